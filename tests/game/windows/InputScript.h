#pragma once
// Scripted input for tests that run whole frames: the pointer is put on a control (or a point in GUI
// units), the left button goes down in one frame and up in the next, keys are pressed the same way, and
// frames run until a condition holds. The input goes through the headless input back end, so the
// engine's controls and GUI widgets see it as they would see a player's.
//
// The frame itself is the test's: the game's frame, or the engine's Tick and Update around the test's
// own window updates. Before each frame the window messages waiting are dispatched, as the main loop
// does.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "engine/Engine.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/input/Controls.h"
#include "engine/window/Window.h"
#include "platform/dinput/DInput.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"
#include "platform/win32/WinMessages.h"
#include "tools/gui/GUIControl.h"
#include "tools/gui/GUIWindowBase.h"

namespace Puzzle::windowstest {

class InputScript {
 public:
  InputScript(CorvantisEngine::Engine* engine, std::function<void()> frame)
      : engine_(engine), frame_(std::move(frame)) {}

  void Frames(int count) {
    for (int i = 0; i < count; ++i) {
      PumpMessages();
      frame_();
      ++frameCount_;
    }
  }
  // Frames until the condition holds, at most `limit`; whether it came to hold.
  bool RunUntil(const std::function<bool()>& done, int limit = 600) {
    for (int i = 0; i < limit; ++i) {
      if (done()) {
        return true;
      }
      Frames(1);
    }
    return done();
  }

  // The pointer to a point in GUI units (800 x 600, y up); it is read in the next frame.
  void PointAt(const CorvantisEngine::Vector2& gui) {
    CorvantisEngine::GUIManager* manager = engine_->GetGUIManager();
    const float w = static_cast<float>(engine_->GetWindow()->GetWidth());
    const float h = static_cast<float>(engine_->GetWindow()->GetHeight());
    const float x = gui.x * w / manager->GetScreenWidth();
    const float y = h - 1.0f - gui.y * h / manager->GetScreenHeight();
    engine_->GetControls()->SetCursorPosition({x + 0.5f, y + 0.5f});
  }
  // The middle of an engine widget's rectangle, in GUI units.
  static CorvantisEngine::Vector2 Middle(const CorvantisEngine::GUIWindow& widget) {
    const CorvantisEngine::Vector2 corner = widget.GetAbsolutePosition();
    return {corner.x + widget.size.x * 0.5f, corner.y + widget.size.y * 0.5f};
  }

  // A left click at the point: pressed in one frame, released in the next.
  void ClickAt(const CorvantisEngine::Vector2& gui) {
    PointAt(gui);
    platform::headless::PushMouseButton(0, true);
    Frames(1);
    platform::headless::PushMouseButton(0, false);
    Frames(1);
  }
  // Clicks the window's control of that name (the window's key is put in front); false, with a test
  // failure, when the window has no such widget.
  bool Click(const GUITools::GUIWindowBase& window, const std::string& control) {
    const GUITools::GUIControl* found = window.GetControl(window.GetName() + control);
    CorvantisEngine::GUIWindow* widget = found != nullptr ? found->GetElement() : nullptr;
    EXPECT_NE(widget, nullptr) << window.GetName() << control;
    if (widget == nullptr) {
      return false;
    }
    ClickAt(Middle(*widget));
    return true;
  }
  // A key (DIK code) pressed in one frame and released in the next.
  void Press(BYTE key) {
    platform::headless::PushKey(key, true);
    Frames(1);
    platform::headless::PushKey(key, false);
    Frames(1);
  }

  // Typed text, one character a frame (the window relays one key event a frame).
  void Type(platform::headless::HeadlessWindowDriver& driver, const std::u16string& text) {
    for (char16_t unit : text) {
      driver.PushChars(engine_->GetWindow()->GetHandle(), std::u16string(1, unit));
      Frames(1);
    }
  }

  int FrameCount() const { return frameCount_; }

  static void PumpMessages() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }

 private:
  CorvantisEngine::Engine* engine_;
  std::function<void()> frame_;
  int frameCount_ = 0;
};

}  // namespace Puzzle::windowstest
