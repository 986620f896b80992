// Console input: the keys of the open console, running the typed line, Tab completion and the history.
#include "engine/config/Config.h"
#include "engine/console/Console.h"
#include "engine/core/StringUtils.h"
#include "platform/win32/WinMessages.h"

namespace CorvantisEngine {

namespace {

const Vector4 kWhite(1.0f, 1.0f, 1.0f, 1.0f);
const Vector4 kBlue(0.0f, 0.0f, 1.0f, 1.0f);
const Vector4 kGreen(0.0f, 1.0f, 0.0f, 1.0f);

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

void Console::HandleKey(std::uint16_t virtualKey) {
  switch (virtualKey) {
    case VK_RETURN:
      RunInputLine();
      break;
    case VK_ESCAPE:
      view_->SetInputText(std::wstring());
      break;
    case VK_TAB:
      CompleteInputLine();
      break;
    case VK_UP:
      HistoryUp();
      break;
    case VK_DOWN:
      HistoryDown();
      break;
    case VK_PRIOR:
      ScrollUp();
      break;
    case VK_NEXT:
      ScrollDown();
      break;
    default:
      break;
  }
}

void Console::RunInputLine() {
  std::wstring text = view_->GetInputText();
  if (text.empty() || text == L"\\") {
    return;
  }
  view_->SetInputText(std::wstring());

  std::string name;
  const std::int32_t result = config_->ExecuteLine(WStringToStringCopy(text), &name);
  if (result == Config::kLineEmpty) {
    return;
  }
  if (text.front() != L'\\') {
    text.insert(0, 1, L'\\');
  }
  history_.push_back(text);
  historyIndex_ = static_cast<std::uint32_t>(history_.size());
  AppendWrappedText(kBlue, prompt_ + text + L"\n");

  const std::wstring wideName = StringToWStringCopy(name);
  if (result == Config::kLineDone && name == "say") {
    AppendWrappedText(kWhite, speakerName_ + L": \"");
    AppendWrappedText(kGreen, StringToWStringCopy(sayText));
    AppendWrappedText(kWhite, L"\"\n");
  } else if (result == Config::kLineNoValue && name != "say") {
    AppendWrappedText(kWhite, L"\"" + wideName + L"\" is \"" +
                                  StringToWStringCopy(config_->GetValueText(name)) + L"\", default is \"" +
                                  StringToWStringCopy(config_->GetDefaultText(name)) + L"\"\n");
  } else if (result == Config::kLineReadOnly) {
    AppendWrappedText(kWhite, L"\"" + wideName + L"\" is read only\n");
  } else if (result == Config::kLineUnknown) {
    AppendWrappedText(kWhite, L"Unknown command \"" + wideName + L"\"\n");
  }
}

void Console::CompleteInputLine() {
  const std::wstring text = view_->GetInputText();
  if (text.empty()) {
    return;
  }
  std::wstring prefix = WStringToLowerCopy(text);
  if (prefix.front() != L'\\') {
    prefix.insert(0, 1, L'\\');
  }

  std::vector<std::string> names;
  config_->GetVariableNames(names);
  std::vector<std::wstring> candidates;
  for (const std::string& name : names) {
    std::wstring candidate = L"\\" + StringToWStringCopy(name);
    if (StartsWith(candidate, prefix)) {
      candidates.push_back(std::move(candidate));
    }
  }

  if (candidates.size() == 1) {
    view_->SetInputText(candidates.front() + L" ");
    return;
  }
  if (candidates.empty()) {
    view_->SetInputText(prefix);
    return;
  }
  AppendWrappedText(kBlue, prefix + L"\n");
  std::wstring common = candidates.front();
  for (const std::wstring& candidate : candidates) {
    AppendWrappedText(kWhite, L"    " + candidate + L"\n");
    std::size_t length = 0;
    while (length < common.size() && length < candidate.size() && common[length] == candidate[length]) {
      ++length;
    }
    common.resize(length);
  }
  view_->SetInputText(common);
}

void Console::HistoryUp() {
  if (historyIndex_ == 0) {
    return;
  }
  --historyIndex_;
  view_->SetInputText(history_[historyIndex_]);
}

void Console::HistoryDown() {
  if (historyIndex_ >= history_.size()) {
    return;
  }
  ++historyIndex_;
  view_->SetInputText(historyIndex_ == history_.size() ? std::wstring() : history_[historyIndex_]);
}

void Console::ScrollDown() {
  if (scroll_ != 0) {
    --scroll_;
  }
}

}  // namespace CorvantisEngine
