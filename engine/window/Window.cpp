#include "engine/window/Window.h"

#include <algorithm>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "platform/win32/WinCursor.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindow.h"

namespace CorvantisEngine {

namespace {

// The one window the class procedure serves.
Window* g_currentWindow = nullptr;

LRESULT CALLBACK ForwardingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_currentWindow)
    return g_currentWindow->WindowProc(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

constexpr DWORD kWindowedStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD kWindowedExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;

bool KeyDown(int virtualKey) {
  return (GetAsyncKeyState(virtualKey) & 0xF000) != 0;
}

// Centres a size in a desktop size. Signed, and clamped at 0: a window larger than the desktop keeps its
// top-left corner on the screen.
std::int32_t Centred(std::uint32_t desktop, std::uint32_t size) {
  return std::max<std::int64_t>(0, (static_cast<std::int64_t>(desktop) - size) / 2);
}

}  // namespace

Window::Window(MessageManager* log, Config* config, const std::string& title, HWND hostWindow,
               std::uint32_t iconId, bool minimiseOnFocusLoss, std::uint32_t width, std::uint32_t height,
               bool fullScreen, bool centre, const POINT* position)
    : log_(log),
      config_(config),
      minimiseOnFocusLoss_(minimiseOnFocusLoss ? 1 : 0),
      centre_(centre ? 1 : 0),
      x_(position ? position->x : 0),
      y_(position ? position->y : 0),
      width_(width),
      height_(height),
      fullScreen_(fullScreen ? 1 : 0),
      hostWindow_(hostWindow) {
  log_->Message(" ");
  log_->Message("Window creation:");
  g_currentWindow = this;

  instance_ = GetModuleHandleA(nullptr);
  cursor_ = LoadCursorA(nullptr, IDC_ARROW);

  log_->Message("...Registering the window class...");
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = ForwardingProc;
  wc.hInstance = instance_;
  wc.hIcon = iconId == 0 ? LoadIconA(nullptr, IDI_APPLICATION)
                         : LoadIconA(instance_, MAKEINTRESOURCEA(static_cast<WORD>(iconId)));
  wc.hCursor = cursor_;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kClassName;
  if (!RegisterClassA(&wc))
    FailCreation("Failed to register the window class");
  classRegistered_ = true;

  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};
  if (hostWindow_) {
    fullScreen_ = 0;
    exStyle = WS_EX_TOOLWINDOW;
    style = WS_CHILD;
    RECT host{};
    GetWindowRect(hostWindow_, &host);
    width_ = static_cast<std::uint32_t>(std::max<LONG>(0, host.right - host.left));
    height_ = static_cast<std::uint32_t>(std::max<LONG>(0, host.bottom - host.top));
    rect = {0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
  } else {
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    rect = ModeRect(static_cast<std::uint32_t>(std::max<LONG>(0, desktop.right)),
                    static_cast<std::uint32_t>(std::max<LONG>(0, desktop.bottom)), style, exStyle);
  }
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);

  window_ = CreateWindowExA(exStyle, kClassName, title.c_str(), style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                            rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, hostWindow_,
                            nullptr, instance_, nullptr);
  if (!window_)
    FailCreation("Failed to create window");
  SetWindowPos(window_, fullScreen_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

  log_->Message("...Creating a device context...");
  deviceContext_ = GetDC(window_);
  if (!deviceContext_)
    FailCreation("Failed to create a device context");

  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  if (!hostWindow_)
    SetFocus(window_);
  if (fullScreen_ && !hostWindow_)
    ApplyGamma();

  if (hostWindow_) {
    for (HWND parent = GetParent(window_); parent && hostChain_.size() < 64; parent = GetParent(parent)) {
      hostChain_.push_back(parent);
    }
  }
}

Window::~Window() {
  log_->Message("\nWindow destroying:");
  log_->Message("...Releasing device context...");
  if (deviceContext_)
    ReleaseDC(window_, deviceContext_);
  log_->Message("...Releasing window...");
  if (window_)
    DestroyWindow(window_);
  log_->Message("...Unregistering class...");
  if (classRegistered_)
    UnregisterClassA(kClassName, instance_);
  if (g_currentWindow == this)
    g_currentWindow = nullptr;
}

void Window::FailCreation(const std::string& text) {
  if (window_)
    DestroyWindow(window_);
  window_ = nullptr;
  if (classRegistered_)
    UnregisterClassA(kClassName, instance_);
  classRegistered_ = false;
  if (g_currentWindow == this)
    g_currentWindow = nullptr;
  log_->Abort(text);
}

RECT Window::ModeRect(std::uint32_t desktopWidth, std::uint32_t desktopHeight, DWORD& style,
                      DWORD& exStyle) const {
  std::int32_t x = 0;
  std::int32_t y = 0;
  if (fullScreen_) {
    exStyle = WS_EX_APPWINDOW;
    style = WS_POPUP;
  } else {
    exStyle = kWindowedExStyle;
    style = kWindowedStyle;
    x = centre_ ? Centred(desktopWidth, width_) : x_;
    y = centre_ ? Centred(desktopHeight, height_) : y_;
  }
  return {x, y, static_cast<LONG>(x + static_cast<std::int64_t>(width_)),
          static_cast<LONG>(y + static_cast<std::int64_t>(height_))};
}

void Window::Update() {
  if (!HasFocus()) {
    if (minimiseOnFocusLoss_ && !hostWindow_ && !minimised_ && !minimisePending_)
      Minimize();
  } else {
    minimisePending_ = false;
  }

  if (!hostWindow_ && !minimised_ && HasFocus()) {
    bool alt = KeyDown(VK_MENU) || KeyDown(VK_LMENU) || KeyDown(VK_RMENU);
    bool enter = KeyDown(VK_RETURN);
    if (alt && enter && !returnWasDown_)
      SwitchFullScreenVariable(config_->v_fullscreen == 0);
    returnWasDown_ = enter;
  }

  if (hostWindow_ && !IsWindow(hostWindow_))
    config_->ExecuteLine("exit", nullptr);
}

void Window::SwitchFullScreenVariable(bool fullScreen) {
  config_->v_fullscreen = fullScreen ? 1 : 0;
  config_->Save();
  config_->SetBool("v_window_change_mode", false);
}

bool Window::HasFocus() const {
  HWND focus = GetFocus();
  if (!focus)
    return false;
  if (focus == window_)
    return true;
  if (!hostWindow_)
    return false;
  return std::find(hostChain_.begin(), hostChain_.end(), focus) != hostChain_.end();
}

void Window::Minimize() {
  if (PostMessageA(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0))
    minimisePending_ = true;
}

void Window::SetTitle(const std::string& text) {
  SetWindowTextA(window_, text.c_str());
}

HCURSOR Window::LoadCursor(std::uint32_t resourceId) {
  return LoadCursorA(instance_, MAKEINTRESOURCEA(static_cast<WORD>(resourceId)));
}

void Window::SetCursor(HCURSOR cursor) {
  cursor_ = cursor;
  ::SetCursor(cursor);
}

void Window::SetMode(std::uint32_t width, std::uint32_t height, bool fullScreen, std::uint32_t desktopWidth,
                     std::uint32_t desktopHeight) {
  if (hostWindow_)
    return;
  width_ = width;
  height_ = height;
  fullScreen_ = fullScreen ? 1 : 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect = ModeRect(desktopWidth, desktopHeight, style, exStyle);
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  SetWindowLongA(window_, GWL_EXSTYLE, static_cast<LONG>(exStyle));
  SetWindowLongA(window_, GWL_STYLE, static_cast<LONG>(style));
  SetWindowPos(window_, fullScreen_ ? HWND_TOPMOST : HWND_NOTOPMOST, rect.left, rect.top,
               rect.right - rect.left, rect.bottom - rect.top, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
  SetFocus(window_);
  if (fullScreen_) {
    ApplyGamma();
  } else {
    ChangeDisplaySettingsA(nullptr, 0);
  }
}

void Window::ApplyGamma() {
  for (float* value : {&config_->v_brightness, &config_->v_contrast, &config_->v_gamma}) {
    // NaN fails both comparisons; it becomes the neutral 1.
    if (!(*value >= 0.0f && *value <= 2.0f))
      *value = *value > 2.0f ? 2.0f : (*value < 0.0f ? 0.0f : 1.0f);
  }
}

void Window::QueueKeyEvent(bool isCharacter, WPARAM code) {
  if (keyEvents_.size() < kMaxKeyEvents)
    keyEvents_.push_back(
        {1, static_cast<std::uint8_t>(isCharacter ? 1 : 0), static_cast<std::uint16_t>(code & 0xFFFF)});
}

LRESULT Window::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
    case WM_QUIT:
      config_->ExecuteLine("exit", nullptr);
      return 0;
    case WM_ENDSESSION:
      // The process ends as soon as this returns, with no teardown: the log's line is all that is left.
      if (wParam)
        log_->Error("The display or the session has gone: the program ends at once");
      return 0;
    case WM_SETCURSOR:
      ::SetCursor(cursor_);
      return 1;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      QueueKeyEvent(false, wParam);
      break;
    case WM_CHAR:
      // The layer delivers characters as UTF-16 units, so the unit is the character.
      if (wParam > 0x1F)
        QueueKeyEvent(true, wParam);
      break;
    case WM_SYSKEYUP:
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          config_->ExecuteLine("exit", nullptr);
          return 0;
        case SC_MINIMIZE:
          minimisePending_ = false;
          if (hostWindow_)
            return 0;
          minimised_ = 1;
          break;
        case SC_MAXIMIZE:
          if (!hostWindow_ && !fullScreen_)
            SwitchFullScreenVariable(true);
          return 0;
        case SC_RESTORE:
          if (window_) {
            minimised_ = 0;
            if (fullScreen_ && !hostWindow_)
              ApplyGamma();
          }
          break;
        case SC_TASKLIST:
        case SC_SCREENSAVE:
        case SC_HOTKEY:
        case SC_MONITORPOWER:
          return 0;
        default:
          break;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace CorvantisEngine
