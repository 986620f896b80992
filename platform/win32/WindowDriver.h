#pragma once
// The window driver: what a back end does for the window layer (WinWindow.h, WinMessages.h,
// WinCursor.h, WinDialog.h). The layer keeps the handle tables, the message queue, focus, the cursor's
// display counter and every window's record; the driver gives windows their real form and reports the
// system's events back through the Notify functions below. The headless driver is installed until a
// program installs another (platform::sdl::InstallBackend installs the SDL one).
//
// Main thread only, except where a function says otherwise.

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/WinTypes.h"

namespace platform {

// Everything the layer knows of one window. rect is the window's (= client) area in screen pixels.
struct WindowRecord {
  HWND handle = nullptr;
  HWND parent = nullptr;
  std::string className;
  std::string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};
  bool visible = false;
  bool minimised = false;
  bool topmost = false;
  int iconId = 0;  // the program's icon resource of the window's class; 0 for the system's icon
};

// Shapes a cursor handle stands for: a system cursor (IDC_ARROW's number) or one of the program's own.
struct CursorShape {
  bool own = false;
  int id = 32512;
};

class WindowDriver {
 public:
  virtual ~WindowDriver() = default;

  // Steps the system may refuse; the layer asks before it acts (the headless driver's fault plan).
  enum class Step { RegisterClass, CreateWindow, GetDC };
  virtual bool Allows(Step step) { return true; }

  // Gives a new window its real form; false when the system refuses it (the window is then not made).
  virtual bool CreateNativeWindow(const WindowRecord& window) = 0;
  virtual void DestroyNativeWindow(HWND window) = 0;
  // Title, place, size, style, visibility or z-order changed.
  virtual void UpdateNativeWindow(const WindowRecord& window) = 0;
  virtual void MinimiseNativeWindow(HWND window) = 0;
  virtual void RestoreNativeWindow(HWND window) = 0;
  // Brings the window to the front and gives it the keyboard.
  virtual void RaiseNativeWindow(HWND window) = 0;

  // Reads the system's pending events and reports them through the Notify functions and PostMessageA.
  virtual void PumpEvents() = 0;

  virtual RECT DesktopRect() = 0;
  virtual bool IsKeyDown(int virtualKey) = 0;
  virtual POINT CursorPos() = 0;
  virtual void SetCursorPos(POINT screen) = 0;
  virtual void ShowCursor(bool visible) = 0;
  virtual void SetCursorShape(const CursorShape& shape) = 0;
  // Back to the desktop's display mode (leaving full screen).
  virtual bool RestoreDisplayMode() = 0;
  virtual int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) = 0;
};

// Replaces the driver and starts the layer afresh: no windows, classes, queued messages, focus, cursor
// counter or open registry keys are kept.
void InstallWindowDriver(std::unique_ptr<WindowDriver> driver);
WindowDriver& CurrentWindowDriver();

// What the driver reports.
void NotifyFocusGained(HWND window);                     // the system gave the window the keyboard
void NotifyFocusLost(HWND window);                       // ... and took it away
void NotifyMinimised(HWND window, bool minimised);       // queues SC_MINIMIZE / SC_RESTORE on a change
void NotifyMoved(HWND window, int x, int y);             // the window's top-left corner on the screen
void NotifyResized(HWND window, int width, int height);  // queues WM_SIZE
// The system asked every top-level window to close (an application quit request): WM_CLOSE to each.
void NotifyQuitRequest();
// The connection to the display is gone and every further call on it would fail or hang. Each top-level
// window's procedure gets WM_ENDSESSION (TRUE, ENDSESSION_CRITICAL) at once, so the program can log its
// last line; then the process ends with EXIT_FAILURE without running exit handlers or static
// destructors, since their teardown would talk to the dead connection. Callable from within the
// driver's own calls (the layer's lock is recursive).
[[noreturn]] void NotifyDisplayLost();

// Looks a window up; false for an unknown handle.
bool FindWindowRecord(HWND window, WindowRecord& out);
std::vector<HWND> TopLevelWindows();

// Encodes and decodes window handles as the 32-bit numbers that files and start parameters carry.
inline std::uint32_t HandleToNumber(HWND window) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
}
inline HWND NumberToHandle(std::uint32_t number) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(number));
}

}  // namespace platform
