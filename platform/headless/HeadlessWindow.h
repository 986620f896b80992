#pragma once
// The headless window driver: windows exist only as the layer's records, the desktop is 1024x768 at
// 60 Hz in 32 bits, and the system's side is played by the test. What a test pushes (a close request,
// keys, characters, focus changes, minimise and restore) waits until the next PeekMessageA, as real
// events do; keys held for GetAsyncKeyState, the cursor and the message boxes shown are plain state.
// Faults come from the plan: a step the system refuses.
//
// Tests take a fresh driver (and a fresh window layer) with InstallHeadlessWindows(). Main thread only.

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/headless/FaultPlan.h"
#include "platform/win32/WindowDriver.h"

namespace platform::headless {

class HeadlessWindowDriver : public WindowDriver {
 public:
  struct MessageBoxShown {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
  };

  // A refused step makes its call answer the call's own failure value (0 or null), as the system does.
  struct FaultPlan {
    // The next `times` calls of the step are refused (kEveryCall: every one from then on).
    void Fail(Step step, int times = 1) {
      if (times != 0)
        steps[step] = times;
    }
    std::map<Step, int> steps;
  };

  // --- the test's side ---
  FaultPlan& Faults() { return faults_; }
  void SetDesktopSize(int width, int height) { desktop_ = {0, 0, width, height}; }
  // The user closes the window (its close button): WM_CLOSE.
  void PushClose(HWND window);
  // The application is asked to quit (session end, SDL_QUIT): WM_CLOSE to every top-level window.
  void PushQuit();
  // A key goes down: WM_KEYDOWN, or WM_SYSKEYDOWN (Alt bit set) when Alt is held now (see SetKeyDown).
  // With release, WM_KEYUP / WM_SYSKEYUP follows. The key's held state is not changed.
  void PushKey(HWND window, int virtualKey, bool release = false);
  // Typed text: one WM_CHAR per UTF-16 unit.
  void PushChars(HWND window, const std::u16string& units);
  // The user clicks another program (null) or this window.
  void PushFocus(HWND window);
  void PushMinimise(HWND window);
  void PushRestore(HWND window);
  // A key held down, as GetAsyncKeyState reads it.
  void SetKeyDown(int virtualKey, bool down);

  const std::vector<MessageBoxShown>& MessageBoxes() const { return boxes_; }
  bool CursorVisible() const { return cursorVisible_; }
  const CursorShape& CursorShown() const { return cursorShape_; }
  int DisplayModeRestores() const { return displayRestores_; }
  int NativeWindowCount() const { return static_cast<int>(native_.size()); }
  // Windows the driver was asked to bring to the front, in order.
  const std::vector<HWND>& Raised() const { return raised_; }

  // --- WindowDriver ---
  bool Allows(Step step) override;
  bool CreateNativeWindow(const WindowRecord& window) override;
  void DestroyNativeWindow(HWND window) override;
  void UpdateNativeWindow(const WindowRecord& window) override {}
  void MinimiseNativeWindow(HWND window) override {}
  void RestoreNativeWindow(HWND window) override {}
  void RaiseNativeWindow(HWND window) override { raised_.push_back(window); }
  void PumpEvents() override;
  RECT DesktopRect() override { return desktop_; }
  bool IsKeyDown(int virtualKey) override;
  POINT CursorPos() override { return cursor_; }
  void SetCursorPos(POINT screen) override { cursor_ = screen; }
  void ShowCursor(bool visible) override { cursorVisible_ = visible; }
  void SetCursorShape(const CursorShape& shape) override { cursorShape_ = shape; }
  bool RestoreDisplayMode() override {
    ++displayRestores_;
    return true;
  }
  int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;

 private:
  FaultPlan faults_;
  RECT desktop_{0, 0, 1024, 768};
  std::vector<std::function<void()>> pending_;
  std::set<int> keysDown_;
  std::set<HWND> native_;
  std::vector<MessageBoxShown> boxes_;
  std::vector<HWND> raised_;
  POINT cursor_{512, 384};
  bool cursorVisible_ = true;
  CursorShape cursorShape_;
  int displayRestores_ = 0;
};

// The driver the layer starts with.
std::unique_ptr<WindowDriver> MakeWindowDriver();

// Installs a fresh headless driver (the window layer starts afresh) and returns it; it lives until the
// next driver is installed.
HeadlessWindowDriver& InstallHeadlessWindows();

// Refresh rate and depth of the headless display.
constexpr int kDisplayRefreshRate = 60;
constexpr int kDisplayBitsPerPixel = 32;

}  // namespace platform::headless
