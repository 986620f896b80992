#include "engine/console/Console.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/core/TimerManager.h"
#include "engine/input/Controls.h"

namespace CorvantisEngine {

namespace {

// The lower ends of the open ranges (0, 1] and (0, screen height]: a console never fades out entirely
// or shrinks to nothing.
constexpr float kMinimumAlpha = 1.0f / 255.0f;
constexpr float kMinimumSize = 1.0f;
constexpr std::size_t kMaxLineCharacters = 255;

const Vector4 kWhite(1.0f, 1.0f, 1.0f, 1.0f);
const Vector4 kGrey(0.5f, 0.5f, 0.5f, 1.0f);
const Vector4 kRed(1.0f, 0.0f, 0.0f, 1.0f);

std::string FourDecimals(float value) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.4f", static_cast<double>(value));
  return text;
}

// NaN (a text that is no number) falls back to the given value; then the value is clamped.
void ClampInto(float& value, float fallback, float low, float high) {
  if (std::isnan(value)) {
    value = std::isnan(fallback) ? low : fallback;
  }
  value = std::clamp(value, low, high);
}

}  // namespace

Console::Console(MessageManager* log, TimerManager* timers, Config* config, Controls* controls,
                 std::unique_ptr<ConsoleView> view, const std::string& title, std::uint16_t promptChar,
                 std::uint16_t separatorChar, const std::string& keyName, float alpha, float size,
                 float speed)
    : log_(log),
      timers_(timers),
      config_(config),
      controls_(controls),
      view_(std::move(view)),
      alphaArgument_(alpha),
      sizeArgument_(size),
      speedArgument_(speed) {
  this->keyName = keyName;
  this->alpha = alpha;
  this->size = size;
  this->speed = speed;
  Construct(title, promptChar, separatorChar);
}

void Console::Construct(const std::string& title, std::uint16_t promptChar, std::uint16_t separatorChar) {
  config_->AddVariable("ui_console_alpha", ConfigVariable::kFloat, false, true, &alpha, FourDecimals(alpha),
                       false);
  config_->AddVariable("ui_console_size", ConfigVariable::kFloat, false, true, &size, FourDecimals(size),
                       false);
  config_->AddVariable("ui_console_speed", ConfigVariable::kFloat, false, true, &speed, FourDecimals(speed),
                       false);
  config_->AddVariable("ui_console_key", ConfigVariable::kText, false, true, &keyName, keyName, false);
  config_->AddVariable("say", ConfigVariable::kText, false, false, &sayText, "", false);
  // Values read from the ini file land in the fields during registration.
  ClampVariables();

  const float fontSize = view_->GetFontSize();
  textBase_ = fontSize * 0.2f;
  rowStep_ = fontSize * 1.2f;

  prompt_.assign(1, static_cast<wchar_t>(promptChar));
  view_->SetWindowY(view_->GetScreenHeight());
  view_->ShowWindow(false);
  view_->SetInputActive(false);
  scroll_ = 0;
  historyIndex_ = 0;
  state_ = kClosed;

  const std::wstring wideTitle = StringToWStringCopy(title);
  headerLine_ = PadToScreenWidth(
      wideTitle, L' ', wideTitle.size() < kMaxLineCharacters ? kMaxLineCharacters - wideTitle.size() : 0);
  separatorLine_ = PadToScreenWidth(std::wstring(), static_cast<wchar_t>(separatorChar), kMaxLineCharacters);
  speakerName_ = kSpeakerName;
}

Console::~Console() {
  // The configuration keeps pointers to the fields bound to these variables: hide them before the fields
  // go. A later console brings them back with their values.
  if (config_ != nullptr) {
    config_->RemoveVariable("ui_console_alpha");
    config_->RemoveVariable("ui_console_size");
    config_->RemoveVariable("ui_console_speed");
    config_->RemoveVariable("ui_console_key");
    config_->RemoveVariable("say");
  }
}

void Console::ClampVariables() {
  ClampInto(alpha, alphaArgument_, kMinimumAlpha, 1.0f);
  const float screenHeight = std::max(view_->GetScreenHeight(), kMinimumSize);
  ClampInto(size, sizeArgument_, kMinimumSize, screenHeight);
  ClampInto(speed, speedArgument_, 0.0f, FLT_MAX);
}

void Console::Execute() {
  ClampVariables();
  EchoLog();

  // Key names are upper case; a name typed in lower case on the console still means the same key.
  if (controls_ != nullptr && controls_->IsKeyPressed(StringToUpperCopy(keyName))) {
    Toggle();
  }
  Slide(timers_ != nullptr ? timers_->delta : 0.0f);

  if (state_ == kClosed) {
    return;
  }
  if (state_ == kOpen) {
    view_->SetWindowY(view_->GetScreenHeight() - size);
  }
  Draw();

  // Keys act only on the open console: while it slides the edit box is inactive, and a line typed
  // before the console was closed must not run from a key meant for the game.
  std::uint16_t code = 0;
  bool isCharacter = false;
  const std::size_t keyCount = (state_ == kOpen && controls_ != nullptr) ? controls_->GetKeyEventCount() : 0;
  // A line run by Enter may close the console: the keys after it are not the console's.
  for (std::size_t i = 0; i < keyCount && state_ == kOpen && controls_->GetKeyEvent(i, code, isCharacter);
       ++i) {
    if (!isCharacter) {
      HandleKey(code);
    }
  }
}

void Console::EchoLog() {
  if (log_ == nullptr) {
    return;
  }
  const std::int32_t count = log_->GetRecordCount();
  for (std::int32_t i = 0; i < count; ++i) {
    const LogRecord record = log_->GetRecord(i);
    const Vector4* colour = &kWhite;
    if (record.type == LogRecord::kWarning) {
      colour = &kGrey;
    } else if (record.type == LogRecord::kError || record.type == LogRecord::kAbort) {
      colour = &kRed;
    }
    AppendWrappedText(*colour, StringToWStringCopy(record.text));
  }
}

void Console::Toggle() {
  if (state_ == kClosing || state_ == kClosed) {
    state_ = kOpening;
    view_->ShowWindow(true);
    view_->SetInputText(std::wstring());
  } else {
    state_ = kClosing;
    view_->SetInputActive(false);
  }
}

void Console::Slide(float delta) {
  const float screenHeight = view_->GetScreenHeight();
  float y = view_->GetWindowY();
  if (state_ == kOpening) {
    y -= speed * delta;
    if (screenHeight - y > size) {
      state_ = kOpen;
      y = screenHeight - size;
      view_->SetInputActive(true);
    }
    view_->SetWindowY(y);
  } else if (state_ == kClosing) {
    y += speed * delta;
    if (y > screenHeight) {
      state_ = kClosed;
      y = screenHeight;
      view_->ShowWindow(false);
      scroll_ = 0;
    }
    view_->SetWindowY(y);
  }
}

}  // namespace CorvantisEngine
