#pragma once
// Window: the engine's single Win32 window. It registers the window class, creates a top-level window
// (windowed or full screen) or a child inside a host window, owns its device context, answers the
// messages that matter to the engine (close requests and system commands issue "exit" or
// "v_window_change_mode", keys and characters become the key events the controls read, the cursor, the
// session's end logs the program's last line), and
// each frame minimises itself on focus loss, turns an Alt+Enter press into a windowed / full-screen
// switch and ends the program when its host window has gone.
//
// Main thread only; the window procedure runs inside the main loop's message dispatch. One Window exists
// at a time: the class's procedure reaches it through a process-wide current-window pointer that the
// constructor sets. The Window borrows the log and the configuration. Failure to register the class, to
// create the window or to get its device context ends through MessageManager::Abort (FatalError), after
// undoing what was already made.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/WinTypes.h"

namespace CorvantisEngine {

class Config;
class MessageManager;

// A key or character of the frame: queued by the window procedure, read by the controls and cleared at
// the frame end.
struct WindowKeyEvent {
  std::uint8_t present = 0;
  std::uint8_t isCharacter = 0;
  // A virtual-key code, or a UTF-16 unit when isCharacter is set.
  std::uint16_t code = 0;
};

class Window {
 public:
  static constexpr const char* kClassName = "Corvantis Engine window class";
  // Key events kept between two frame ends; a frame stalled far longer than any typist needs drops the
  // rest rather than growing without bound.
  static constexpr std::size_t kMaxKeyEvents = 256;

  // position: the windowed position used when not centring; null means (0, 0). hostWindow: null for a
  // top-level window. iconId 0 uses the system's application icon.
  Window(MessageManager* log, Config* config, const std::string& title, HWND hostWindow, std::uint32_t iconId,
         bool minimiseOnFocusLoss, std::uint32_t width, std::uint32_t height, bool fullScreen, bool centre,
         const POINT* position);
  virtual ~Window();

  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  void Update();
  // Without a host: the focused window is this one. With a host: the focused window is this one, the host
  // or one of the host's ancestors.
  bool HasFocus() const;
  // Posts the minimise system command; the window is minimised when the message is dispatched.
  void Minimize();
  void SetTitle(const std::string& text);
  // A cursor of the program's own resources (the arrow for an unknown id).
  HCURSOR LoadCursor(std::uint32_t resourceId);
  // Keeps the cursor for the client area and shows it at once.
  void SetCursor(HCURSOR cursor);
  // New client size and style; centred in the given desktop when centring. Nothing for an embedded window.
  void SetMode(std::uint32_t width, std::uint32_t height, bool fullScreen, std::uint32_t desktopWidth,
               std::uint32_t desktopHeight);
  // Clamps "v_brightness", "v_contrast" and "v_gamma" into [0, 2]; the display's gamma stays as it is.
  void ApplyGamma();

  LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND GetHandle() const { return window_; }
  HDC GetDeviceContext() const { return deviceContext_; }
  HWND GetHostWindow() const { return hostWindow_; }
  std::uint32_t GetWidth() const { return width_; }
  std::uint32_t GetHeight() const { return height_; }
  bool IsFullScreen() const { return fullScreen_ != 0; }
  bool IsMinimised() const { return minimised_ != 0; }
  bool GetMinimiseOnFocusLoss() const { return minimiseOnFocusLoss_ != 0; }
  // The frame's key events in the order they came; GetKeyEvent is the last one (not present when none).
  const std::vector<WindowKeyEvent>& GetKeyEvents() const { return keyEvents_; }
  WindowKeyEvent GetKeyEvent() const { return keyEvents_.empty() ? WindowKeyEvent{} : keyEvents_.back(); }
  void ClearKeyEvents() { keyEvents_.clear(); }

 private:
  // The rectangle of the window for the current mode, before AdjustWindowRectEx.
  RECT ModeRect(std::uint32_t desktopWidth, std::uint32_t desktopHeight, DWORD& style, DWORD& exStyle) const;
  void SwitchFullScreenVariable(bool fullScreen);
  void QueueKeyEvent(bool isCharacter, WPARAM code);
  // Undoes a half-made construction, then aborts.
  [[noreturn]] void FailCreation(const std::string& text);

  MessageManager* log_;  // not owned
  Config* config_;       // not owned
  std::uint8_t minimiseOnFocusLoss_;
  std::uint8_t minimised_ = 0;
  std::uint8_t centre_;
  std::int32_t x_;
  std::int32_t y_;
  std::uint32_t width_;
  std::uint32_t height_;
  std::uint8_t fullScreen_;
  std::vector<HWND> hostChain_;
  HWND hostWindow_;
  HWND window_ = nullptr;
  HINSTANCE instance_ = nullptr;
  HDC deviceContext_ = nullptr;
  HCURSOR cursor_ = nullptr;
  std::vector<WindowKeyEvent> keyEvents_;

  bool classRegistered_ = false;
  // A minimise was posted and has not been dispatched yet: focus loss posts no second one meanwhile.
  bool minimisePending_ = false;
  // Return's state at the last Alt+Enter check: a held press switches once, not every frame.
  bool returnWasDown_ = false;
};

}  // namespace CorvantisEngine
