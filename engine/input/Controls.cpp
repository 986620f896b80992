#include "engine/input/Controls.h"

#include <algorithm>
#include <cmath>

#include "engine/core/TimerManager.h"
#include "engine/input/KeyNames.h"
#include "engine/window/Window.h"
#include "platform/win32/WinCursor.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindow.h"

namespace CorvantisEngine {

namespace {

// Past this many seconds of lock the system itself is asked whether any key is still down: the key state
// may hold a key whose release was never read.
constexpr float kLockSystemCheckSeconds = 2.0f;
constexpr int kCursorCountVisibleMax = 10;
constexpr int kCursorCountHiddenMin = -10;
// ShowCursor moves the counter one step per call; a counter pushed far away by other code is brought back
// over several frames rather than in one unbounded loop.
constexpr int kMaxCursorStepsPerApply = 64;

// Truncation toward zero; NaN goes to 0 and values are kept within a span that no client-to-screen
// offset can carry past the int range.
constexpr float kPixelLimit = 16777216.0f;

int ToPixel(float value) {
  if (std::isnan(value)) {
    return 0;
  }
  return static_cast<int>(std::clamp(value, -kPixelLimit, kPixelLimit));
}

}  // namespace

Controls::Controls(MessageManager* log, TimerManager* timerManager, Window* window)
    : log_(log), timerManager_(timerManager), window_(window) {
  for (std::string_view name : KeyNames) {
    held_.emplace(std::string(name), false);
  }
  pressed_ = held_;
  mouseButtonNames_.reserve(kMouseButtonCount);
  for (std::size_t i = 0; i < kMouseButtonCount; ++i) {
    mouseButtonNames_.emplace_back(KeyNames[i]);
  }
}

Controls::~Controls() {
  SetCursorVisible(true);
}

void Controls::Update() {
  StepInputLock();
  ApplyCursorVisibility();
}

void Controls::EndFrame() {
  for (auto& entry : pressed_) {
    entry.second = false;
  }
  if (window_ != nullptr) {
    window_->ClearKeyEvents();
  }
}

bool Controls::IsKeyDown(std::string_view name) const {
  if (locked_) {
    return false;
  }
  auto held = held_.find(name);
  if (held == held_.end()) {
    return false;
  }
  return held->second || pressed_.find(name)->second;
}

bool Controls::IsKeyPressed(std::string_view name) const {
  if (locked_) {
    return false;
  }
  auto pressed = pressed_.find(name);
  return pressed != pressed_.end() && pressed->second;
}

bool Controls::IsAnyKeyDown() const {
  if (locked_) {
    return false;
  }
  for (const auto& [name, held] : held_) {
    if (held || pressed_.find(name)->second) {
      return true;
    }
  }
  return false;
}

void Controls::LockInput() {
  locked_ = true;
}

bool Controls::GetLastKeyEvent(std::uint16_t& code, bool& isCharacter) const {
  if (locked_ || !HasPendingKeyEvent()) {
    return false;
  }
  return GetKeyEvent(GetKeyEventCount() - 1, code, isCharacter);
}

std::size_t Controls::GetKeyEventCount() const {
  if (locked_ || window_ == nullptr) {
    return 0;
  }
  return window_->GetKeyEvents().size();
}

bool Controls::GetKeyEvent(std::size_t index, std::uint16_t& code, bool& isCharacter) const {
  if (index >= GetKeyEventCount()) {
    return false;
  }
  const WindowKeyEvent& event = window_->GetKeyEvents()[index];
  code = event.code;
  isCharacter = event.isCharacter != 0;
  return true;
}

void Controls::SetCursorVisible(bool visible) {
  cursorVisible_ = visible;
  ApplyCursorVisibility();
}

void Controls::ApplyCursorVisibility() {
  int steps = 0;
  if (cursorVisible_) {
    int count;
    do {
      count = ShowCursor(TRUE);
    } while (count < 0 && ++steps < kMaxCursorStepsPerApply);
    if (count > kCursorCountVisibleMax) {
      ShowCursor(FALSE);
    }
  } else {
    int count;
    do {
      count = ShowCursor(FALSE);
    } while (count >= 0 && ++steps < kMaxCursorStepsPerApply);
    if (count < kCursorCountHiddenMin) {
      ShowCursor(TRUE);
    }
  }
}

Vector2 Controls::GetCursorPosition() const {
  POINT point{0, 0};
  GetCursorPos(&point);
  ScreenToClient(window_ != nullptr ? window_->GetHandle() : nullptr, &point);
  return {static_cast<float>(point.x), static_cast<float>(point.y)};
}

void Controls::SetCursorPosition(const Vector2& position) {
  POINT point{ToPixel(position.x), ToPixel(position.y)};
  ClientToScreen(window_ != nullptr ? window_->GetHandle() : nullptr, &point);
  SetCursorPos(point.x, point.y);
}

void Controls::ApplyKeyState(std::string_view name, bool down) {
  auto held = held_.find(name);
  if (held == held_.end()) {
    return;
  }
  if (!down) {
    held->second = false;
  } else if (!held->second) {
    held->second = true;
    pressed_.find(name)->second = true;
  }
}

// The lock holds while anything is down or typed this frame. A lock that outlives two seconds asks the
// system directly, so a release that never reached the key state cannot keep the input locked for good.
void Controls::StepInputLock() {
  if (locked_) {
    locked_ = false;
    if (HasPendingKeyEvent() || IsAnyKeyDown()) {
      locked_ = true;
    }
  }
  if (!locked_) {
    lockTime_ = 0.0f;
    return;
  }
  lockTime_ += timerManager_ != nullptr ? timerManager_->delta : 0.0f;
  if (lockTime_ <= kLockSystemCheckSeconds) {
    return;
  }
  for (int virtualKey = 0; virtualKey < 256; ++virtualKey) {
    if ((static_cast<std::uint16_t>(GetAsyncKeyState(virtualKey)) & 0x8000u) != 0) {
      return;
    }
  }
  locked_ = false;
  lockTime_ = 0.0f;
}

bool Controls::HasPendingKeyEvent() const {
  return window_ != nullptr && !window_->GetKeyEvents().empty();
}

}  // namespace CorvantisEngine
