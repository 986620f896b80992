#include "tools/gui/GUITextControl.h"

#include <algorithm>
#include <cmath>

#include "engine/core/StringUtils.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIFontManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/resources/ShaderUser.h"
#include "tools/gui/GUIFontTool.h"
#include "tools/gui/GUITextTool.h"

namespace GUITools {

using namespace CorvantisEngine;

namespace {

constexpr float kEpsilon = 0.0001f;

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

GUITextControl::GUITextControl(Engine* engine_, GameTools::DataKeeper* dataKeeper_, GUIFontTool* fontTool_,
                               GUITextTool* textTool_, GUIWindow* parent,
                               const ControlDescription& description)
    : GUIControl(engine_, dataKeeper_, description),
      fontManager(guiManager->GetFontManager()),
      fontTool(fontTool_),
      textTool(textTool_) {
  Setup(MakeWindowWidget(description, parent), description);
}

GUITextControl::~GUITextControl() {
  guiManager->DestroyWindow(element);
}

GUIFont* GUITextControl::CurrentFont() const {
  return fontIndex >= 0 && fontManager != nullptr
             ? fontManager->FindFont(static_cast<std::uint32_t>(fontIndex))
             : nullptr;
}

void GUITextControl::SetFont(const std::string& newFontName) {
  fontName = newFontName;
  fontIndex = fontTool != nullptr ? fontTool->GetFontIndex(newFontName) : -1;
  font = fontTool != nullptr ? fontTool->GetFont(newFontName) : nullptr;
  LayoutText();
}

std::wstring GUITextControl::BuildText(const std::string& expression) const {
  std::wstring result;
  std::size_t start = 0;
  while (start <= expression.size()) {
    std::size_t end = expression.find('+', start);
    if (end == std::string::npos) {
      end = expression.size();
    }
    std::string term = expression.substr(start, end - start);
    start = end + 1;
    if (term.empty()) {
      continue;
    }
    std::string markup;
    const std::size_t open = term.rfind('[');
    const std::size_t close = term.rfind(']');
    if (open != std::string::npos && close != std::string::npos && open < close) {
      markup = term.substr(open, close - open + 1);
      StringReplaceAll(term, markup, "");
      StringToLower(markup);
    }
    std::wstring piece;
    if (term.size() >= 2 && IsQuote(term.front()) && IsQuote(term.back())) {
      piece = StringToWStringCopy(term.substr(1, term.size() - 2));
    } else {
      piece = textTool != nullptr ? textTool->GetText(term) : L"UNKNOWN";
    }
    if (markup == "[fu]" && !piece.empty()) {
      std::wstring first = piece.substr(0, 1);
      WStringToUpper(first);
      piece.replace(0, 1, first);
    } else if (markup == "[u]") {
      WStringToUpper(piece);
    } else if (markup == "[l]") {
      WStringToLower(piece);
    }
    result += piece;
  }
  return result;
}

void GUITextControl::SetTextKey(const std::string& expression) {
  if (printingMode) {
    printingDone = printingDone && expression == keyExpression;
  }
  keyExpression = expression;
  text = BuildText(expression);
  LayoutText();
}

void GUITextControl::SetText(const std::wstring& newText) {
  if (printingMode) {
    printingDone = printingDone && newText == text;
  }
  keyExpression = "'" + WStringToStringCopy(newText) + "'";
  text = newText;
  LayoutText();
}

void GUITextControl::SetPlaceholder(const std::wstring& placeholder, const std::wstring& value) {
  const auto found = std::find(placeholderNames.begin(), placeholderNames.end(), placeholder);
  if (found != placeholderNames.end()) {
    placeholderValues[static_cast<std::size_t>(found - placeholderNames.begin())] = value;
  } else {
    placeholderNames.push_back(placeholder);
    placeholderValues.push_back(value);
  }
  LayoutText();
}

void GUITextControl::LayoutText() {
  if (printingMode) {
    previousLines = lines;
  }
  lines.clear();
  characterCount = 0;
  GUIFont* current = CurrentFont();
  if (keyExpression.empty() || current == nullptr) {
    return;
  }
  std::wstring source = text;
  for (std::size_t i = 0; i < placeholderNames.size(); ++i) {
    WStringReplaceAll(source, L"%" + placeholderNames[i] + L"%", placeholderValues[i]);
  }
  fontSizeInUse = fontSize > 0.0f ? fontSize : current->size;

  std::wstring line;
  for (const wchar_t c : source) {
    if (c == L'\r') {
      continue;
    }
    if (c == L'\n') {
      lines.push_back(line);
      line.clear();
      continue;
    }
    line += c;
    if (!multiline || line.size() < 2) {
      continue;
    }
    const std::size_t blank = line.find_last_of(L" \t");
    if (blank == std::wstring::npos || current->GetTextSize(line, angle, fontSizeInUse).x <= size.x) {
      continue;
    }
    // Never an empty line: a word that alone overflows after a wrap stays whole on its own line.
    const std::wstring before = WStringTrim(line.substr(0, blank));
    if (!before.empty()) {
      lines.push_back(before);
      line.erase(0, blank);
    }
  }
  if (!line.empty()) {
    lines.push_back(WStringTrim(line));
  }
  for (const std::wstring& l : lines) {
    characterCount += static_cast<std::uint32_t>(l.size());
  }
}

void GUITextControl::AdvanceTypewriter(float dt) {
  float speed = printingSpeed;
  const float count = static_cast<float>(characterCount);
  // The whole text always prints within the maximum time, however slow the speed (0 included).
  if (count > 0.0f && maxPrintingTime > 0.0f &&
      (printingSpeed <= 0.0f || count / printingSpeed > maxPrintingTime)) {
    speed = count / maxPrintingTime;
  }
  if (previousLines.empty() && (shown || pending)) {
    printed += speed * dt;
    if (printed > count) {
      printed = count + kEpsilon;
      printingDone = true;
    } else {
      printingDone = false;
    }
  } else {
    printed -= speed * dt;
    if (printed < kEpsilon) {
      printed = 0.0f;
      previousLines.clear();
      printingDone = true;
    } else {
      printingDone = false;
    }
  }
}

void GUITextControl::Update() {
  GUIControl::Update();
  if (element == nullptr) {
    return;
  }
  if (element->visible == 0) {
    if (printingMode) {
      previousLines.clear();
      printed = 0.0f;
      printingDone = false;
    }
    return;
  }
  GUIFont* current = CurrentFont();
  if (fontName.empty() || keyExpression.empty() || lines.empty() || current == nullptr) {
    return;
  }
  if (!printingMode) {
    QueueLines(lines, *current);
    return;
  }
  // The text shown is chosen before the typewriter moves; an erase that ends now leaves nothing printed.
  const std::vector<std::wstring> drawn = previousLines.empty() ? lines : previousLines;
  AdvanceTypewriter(timerManager->delta);
  QueueLines(drawn, *current);
}

void GUITextControl::QueueLines(const std::vector<std::wstring>& drawn, GUIFont& current) {
  std::uint32_t horizontal = kAlignCentreX;
  if (Contains(alignmentH, "left")) {
    horizontal = kAlignLeft;
  } else if (Contains(alignmentH, "right")) {
    horizontal = kAlignRight;
  }
  const bool top = Contains(alignmentV, "top");
  const bool bottom = !top && Contains(alignmentV, "bottom");
  const std::size_t n = drawn.size();
  std::uint32_t vertical = 0;
  float y = 0.0f;
  const float step = fontSizeInUse + lineSpace;
  if (n < 2) {
    vertical = top ? kAlignTop : bottom ? kAlignBottom : kAlignCentreY;
  } else if (top) {
    y = size.y - fontSizeInUse;
  } else if (bottom) {
    y = step * static_cast<float>(n - 1);
  } else {
    y = step * static_cast<float>(n - 1) + (size.y - step * static_cast<float>(n)) * 0.5f;
  }
  Vector4 shade = colour;
  if (HasFader()) {
    shade.w *= fadeValue;
  }
  const std::uint32_t flags = horizontal | vertical;
  const float ownSize = current.size;
  current.size = fontSizeInUse;
  float remaining = printed;
  for (const std::wstring& line : drawn) {
    const Vector2 at{0.0f, y};
    y -= step;
    if (!printingMode) {
      element->PrintText(flags, static_cast<std::uint32_t>(fontIndex), at, shade, line, angle, fontSizeInUse);
      continue;
    }
    if (remaining < kEpsilon) {
      break;
    }
    const auto k = static_cast<std::size_t>(std::min(remaining, static_cast<float>(line.size()) + kEpsilon));
    remaining -= static_cast<float>(k);
    // The part goes where the whole line would start: the aligned origin of the whole line, kept at the
    // line's own position, queued without flags so that the part's own width does not move it.
    const auto id = static_cast<std::uint32_t>(fontIndex);
    const Vector2 aligned = fontManager->AlignText(flags, id, element, at, angle, line);
    const Vector2 plain = fontManager->AlignText(0, id, element, at, angle, line);
    element->PrintText(0, id, aligned - plain + at, shade, line.substr(0, k), angle, fontSizeInUse);
  }
  current.size = ownSize;
}

}  // namespace GUITools
