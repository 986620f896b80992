// The SDL window driver and the message pump's translation of SDL events.
#include "platform/sdl/SdlWindow.h"

#include <SDL.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <map>
#include <vector>

#include "platform/sdl/SdlPresentation.h"
#include "platform/sdl/SdlWindow_Local.h"
#include "platform/win32/WinCursor.h"
#include "platform/win32/WinDialog.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinResources.h"
#include "platform/win32/WinWindow.h"
#include "platform/win32/WindowDriver.h"

namespace platform::sdl {

namespace {

// The box's process group while a box is up, for the stop signals' handler.
volatile sig_atomic_t boxGroup = 0;
volatile sig_atomic_t stopSignal = 0;
constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

void StopBoxAndProgram(int signal) {
  stopSignal = signal;
  if (boxGroup > 0)
    ::kill(-boxGroup, SIGKILL);
}

void EndBoxGroup(int) {
  ::kill(0, SIGKILL);
}

// Shows SDL's box from a child process in a process group of its own and waits for it. SDL's X11 box
// runs in a further process of its own, which neither a signal to the program nor the program's end
// would reach: here a stop signal (SIGTERM, SIGINT, SIGHUP) sent to the program ends the box's group
// and then the program, and the program's death, even by SIGKILL, ends the group (the child is told of
// it by the kernel). False when the box could not be shown.
bool ShowBoxInChild(Uint32 flags, const char* caption, const char* text, SDL_Window* owner) {
  // What SDL changes around a box is settled here first, so that the child sends nothing on the
  // program's own display connection.
  SDL_SetRelativeMouseMode(SDL_FALSE);
  SDL_CaptureMouse(SDL_FALSE);
  SDL_ShowCursor(SDL_ENABLE);
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child < 0)
    return SDL_ShowSimpleMessageBox(flags, caption, text, owner) == 0;
  if (child == 0) {
    ::setpgid(0, 0);
    struct sigaction action = {};
    action.sa_handler = EndBoxGroup;
    sigset_t unblocked;
    sigemptyset(&unblocked);
    for (int signal : kStopSignals) {
      ::sigaction(signal, &action, nullptr);
      sigaddset(&unblocked, signal);
    }
    ::sigprocmask(SIG_UNBLOCK, &unblocked, nullptr);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
      ::_exit(2);
    if (SDL_ShowSimpleMessageBox(flags, caption, text, owner) != 0) {
      std::fprintf(stderr, "SDL message box: %s\n", SDL_GetError());
      ::_exit(1);
    }
    ::_exit(0);
  }
  ::setpgid(child, child);
  struct sigaction action = {};
  action.sa_handler = StopBoxAndProgram;
  struct sigaction previous[std::size(kStopSignals)];
  stopSignal = 0;
  boxGroup = child;
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
    ::sigaction(kStopSignals[i], &action, &previous[i]);
  int status = 0;
  pid_t ended;
  do {
    ended = ::waitpid(child, &status, 0);
  } while (ended < 0 && errno == EINTR);
  boxGroup = 0;
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
    ::sigaction(kStopSignals[i], &previous[i], nullptr);
  if (stopSignal != 0) {
    // Asked to stop while the box was up: the program ends as the signal's default action ends it.
    const int signal = stopSignal;
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
  return ended == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct KeyPair {
  int vk;
  SDL_Scancode scancode;
};

// Both sides of a modifier map to the generic code in key messages, as Windows reports them.
const KeyPair kKeys[] = {
    {VK_BACK, SDL_SCANCODE_BACKSPACE},
    {VK_TAB, SDL_SCANCODE_TAB},
    {VK_RETURN, SDL_SCANCODE_RETURN},
    {VK_RETURN, SDL_SCANCODE_KP_ENTER},
    {VK_SHIFT, SDL_SCANCODE_LSHIFT},
    {VK_SHIFT, SDL_SCANCODE_RSHIFT},
    {VK_CONTROL, SDL_SCANCODE_LCTRL},
    {VK_CONTROL, SDL_SCANCODE_RCTRL},
    {VK_MENU, SDL_SCANCODE_LALT},
    {VK_MENU, SDL_SCANCODE_RALT},
    {VK_PAUSE, SDL_SCANCODE_PAUSE},
    {VK_CAPITAL, SDL_SCANCODE_CAPSLOCK},
    {VK_ESCAPE, SDL_SCANCODE_ESCAPE},
    {VK_SPACE, SDL_SCANCODE_SPACE},
    {VK_PRIOR, SDL_SCANCODE_PAGEUP},
    {VK_NEXT, SDL_SCANCODE_PAGEDOWN},
    {VK_END, SDL_SCANCODE_END},
    {VK_HOME, SDL_SCANCODE_HOME},
    {VK_LEFT, SDL_SCANCODE_LEFT},
    {VK_UP, SDL_SCANCODE_UP},
    {VK_RIGHT, SDL_SCANCODE_RIGHT},
    {VK_DOWN, SDL_SCANCODE_DOWN},
    {VK_SNAPSHOT, SDL_SCANCODE_PRINTSCREEN},
    {VK_INSERT, SDL_SCANCODE_INSERT},
    {VK_DELETE, SDL_SCANCODE_DELETE},
    {VK_LWIN, SDL_SCANCODE_LGUI},
    {VK_RWIN, SDL_SCANCODE_RGUI},
    {VK_APPS, SDL_SCANCODE_APPLICATION},
    {VK_MULTIPLY, SDL_SCANCODE_KP_MULTIPLY},
    {VK_ADD, SDL_SCANCODE_KP_PLUS},
    {VK_SUBTRACT, SDL_SCANCODE_KP_MINUS},
    {VK_DECIMAL, SDL_SCANCODE_KP_PERIOD},
    {VK_DIVIDE, SDL_SCANCODE_KP_DIVIDE},
    {VK_NUMLOCK, SDL_SCANCODE_NUMLOCKCLEAR},
    {VK_SCROLL, SDL_SCANCODE_SCROLLLOCK},
    {VK_OEM_1, SDL_SCANCODE_SEMICOLON},
    {VK_OEM_PLUS, SDL_SCANCODE_EQUALS},
    {VK_OEM_COMMA, SDL_SCANCODE_COMMA},
    {VK_OEM_MINUS, SDL_SCANCODE_MINUS},
    {VK_OEM_PERIOD, SDL_SCANCODE_PERIOD},
    {VK_OEM_2, SDL_SCANCODE_SLASH},
    {VK_OEM_3, SDL_SCANCODE_GRAVE},
    {VK_OEM_4, SDL_SCANCODE_LEFTBRACKET},
    {VK_OEM_5, SDL_SCANCODE_BACKSLASH},
    {VK_OEM_6, SDL_SCANCODE_RIGHTBRACKET},
    {VK_OEM_7, SDL_SCANCODE_APOSTROPHE},
};

// Keys that type a control character on Windows; SDL reports no text for them.
int ControlCharacter(int vk) {
  switch (vk) {
    case VK_BACK:
      return 0x08;
    case VK_TAB:
      return 0x09;
    case VK_RETURN:
      return 0x0D;
    case VK_ESCAPE:
      return 0x1B;
    default:
      return 0;
  }
}

SDL_SystemCursor SystemCursor(int id) {
  switch (id) {
    case 32513:
      return SDL_SYSTEM_CURSOR_IBEAM;
    case 32514:
      return SDL_SYSTEM_CURSOR_WAIT;
    case 32515:
      return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case 32646:
      return SDL_SYSTEM_CURSOR_SIZEALL;
    case 32648:
      return SDL_SYSTEM_CURSOR_NO;
    case 32649:
      return SDL_SYSTEM_CURSOR_HAND;
    default:
      return SDL_SYSTEM_CURSOR_ARROW;
  }
}

SDL_Surface* SurfaceOf(const ResourceImage& image, std::vector<std::uint32_t>& pixels) {
  pixels = ResourcePixels(image);
  return SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), image.width, image.height, 32, image.width * 4,
                                            SDL_PIXELFORMAT_ARGB8888);
}

std::vector<EventListener>& Listeners() {
  static std::vector<EventListener> listeners;
  return listeners;
}

class SdlWindowDriver;
SdlWindowDriver* g_driver = nullptr;  // the installed driver, for WindowFromHandle

class SdlWindowDriver final : public WindowDriver {
 public:
  SdlWindowDriver() { g_driver = this; }

  ~SdlWindowDriver() override {
    if (g_driver == this)
      g_driver = nullptr;
    for (auto& [handle, window] : windows_)
      SDL_DestroyWindow(window);
    for (auto& [key, cursor] : cursors_)
      SDL_FreeCursor(cursor);
    // SDL's video stays up for the rest of the process: quitting it unloads the X libraries, which keep
    // a few allocations of their own that then show as leaks, and the next driver would start it again.
  }

  SDL_Window* Find(HWND window) {
    // A child draws into its top-level ancestor's window.
    for (int depth = 0; window && depth < 64; ++depth) {
      auto it = windows_.find(window);
      if (it != windows_.end())
        return it->second;
      window = GetParent(window);
    }
    return nullptr;
  }

  bool CreateNativeWindow(const WindowRecord& record) override {
    if (record.parent)
      return true;
    if (!StartVideo())
      return false;
    Uint32 flags = SDL_WINDOW_OPENGL | (record.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN);
    if (!(record.style & WS_CAPTION))
      flags |= SDL_WINDOW_BORDERLESS;
    if (record.minimised)
      flags |= SDL_WINDOW_MINIMIZED;
    int width = std::max(1, static_cast<int>(record.rect.right - record.rect.left));
    int height = std::max(1, static_cast<int>(record.rect.bottom - record.rect.top));
    // The window's own framebuffer in the device's target format (8-bit channels with alpha, 24-bit depth,
    // 8-bit stencil), so that the display driver can draw straight into it; a system without such a
    // framebuffer gets its default one, and the driver then draws off-screen and copies.
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_Window* window =
        SDL_CreateWindow(record.title.c_str(), record.rect.left, record.rect.top, width, height, flags);
    if (!window) {
      SDL_GL_ResetAttributes();
      window =
          SDL_CreateWindow(record.title.c_str(), record.rect.left, record.rect.top, width, height, flags);
    }
    if (!window) {
      std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
      return false;
    }
    WriteWindowTitle(window, record.title.c_str());
    if (const ResourceImage* icon = FindIconImage(record.iconId)) {
      std::vector<std::uint32_t> pixels;
      if (SDL_Surface* surface = SurfaceOf(*icon, pixels)) {
        SDL_SetWindowIcon(window, surface);
        SDL_FreeSurface(surface);
      }
    }
    SDL_SetWindowAlwaysOnTop(window, record.topmost ? SDL_TRUE : SDL_FALSE);
    windows_[record.handle] = window;
    origins_[record.handle] = {record.rect.left, record.rect.top};
    byId_[SDL_GetWindowID(window)] = record.handle;
    WatchDisplayConnection();
    SDL_StartTextInput();
    ApplyCursor();
    return true;
  }

  void DestroyNativeWindow(HWND handle) override {
    auto it = windows_.find(handle);
    if (it == windows_.end())
      return;
    byId_.erase(SDL_GetWindowID(it->second));
    SDL_DestroyWindow(it->second);
    windows_.erase(it);
    origins_.erase(handle);
  }

  void UpdateNativeWindow(const WindowRecord& record) override {
    auto it = windows_.find(record.handle);
    if (it == windows_.end())
      return;
    SDL_Window* window = it->second;
    origins_[record.handle] = {record.rect.left, record.rect.top};
    if (record.title != SDL_GetWindowTitle(window)) {
      SDL_SetWindowTitle(window, record.title.c_str());
      WriteWindowTitle(window, record.title.c_str());
    }
    // A window the display keeps over the desktop keeps its frame, size and place.
    if (SDL_GetWindowData(window, kCoversDesktopKey) == nullptr) {
      SDL_SetWindowBordered(window, (record.style & WS_CAPTION) ? SDL_TRUE : SDL_FALSE);
      int x, y, w, h;
      SDL_GetWindowPosition(window, &x, &y);
      SDL_GetWindowSize(window, &w, &h);
      int width = std::max(1, static_cast<int>(record.rect.right - record.rect.left));
      int height = std::max(1, static_cast<int>(record.rect.bottom - record.rect.top));
      if (w != width || h != height)
        SDL_SetWindowSize(window, width, height);
      if (x != record.rect.left || y != record.rect.top)
        SDL_SetWindowPosition(window, record.rect.left, record.rect.top);
    }
    SDL_SetWindowAlwaysOnTop(window, record.topmost ? SDL_TRUE : SDL_FALSE);
    bool shown = (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) != 0;
    if (record.visible && !shown)
      SDL_ShowWindow(window);
    if (!record.visible && shown)
      SDL_HideWindow(window);
  }

  void MinimiseNativeWindow(HWND handle) override {
    if (SDL_Window* window = Find(handle))
      SDL_MinimizeWindow(window);
  }

  void RestoreNativeWindow(HWND handle) override {
    if (SDL_Window* window = Find(handle))
      SDL_RestoreWindow(window);
  }

  void RaiseNativeWindow(HWND handle) override {
    if (SDL_Window* window = Find(handle))
      SDL_RaiseWindow(window);
  }

  void PumpEvents() override {
    if (!SDL_WasInit(SDL_INIT_EVENTS))
      return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      for (EventListener listener : Listeners())
        listener(event);
      Translate(event);
    }
  }

  RECT DesktopRect() override {
    SDL_DisplayMode mode;
    if (StartVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0)
      return {0, 0, mode.w, mode.h};
    return {0, 0, 1024, 768};
  }

  bool IsKeyDown(int vk) override {
    if (!SDL_WasInit(SDL_INIT_VIDEO))
      return false;
    Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    switch (vk) {
      case VK_LBUTTON:
        return buttons & SDL_BUTTON(SDL_BUTTON_LEFT);
      case VK_RBUTTON:
        return buttons & SDL_BUTTON(SDL_BUTTON_RIGHT);
      case VK_MBUTTON:
        return buttons & SDL_BUTTON(SDL_BUTTON_MIDDLE);
      default:
        break;
    }
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    auto down = [keys](SDL_Scancode code) { return keys[code] != 0; };
    switch (vk) {
      case VK_LSHIFT:
        return down(SDL_SCANCODE_LSHIFT);
      case VK_RSHIFT:
        return down(SDL_SCANCODE_RSHIFT);
      case VK_LCONTROL:
        return down(SDL_SCANCODE_LCTRL);
      case VK_RCONTROL:
        return down(SDL_SCANCODE_RCTRL);
      case VK_LMENU:
        return down(SDL_SCANCODE_LALT);
      case VK_RMENU:
        return down(SDL_SCANCODE_RALT);
      default:
        break;
    }
    for (int code = 0; code < SDL_NUM_SCANCODES; ++code) {
      if (keys[code] && VirtualKeyFromScancode(code) == vk)
        return true;
    }
    return false;
  }

  // Over a full-screen window that scales its back buffer to the desktop, the cursor is reported in
  // the back buffer's pixels placed at the window's own origin, as a real change of display mode would.
  //
  // While the pointer is over one of the program's windows its place is SDL's record of the pointer in
  // that window, which every motion event keeps up to date: relative or absolute, with or without a
  // button, after another program's grab or a change of focus. SDL's desktop-wide state is refreshed
  // only by raw device events, which an absolute pointer (a tablet, a remote desktop, a virtual machine,
  // a warp) need not send, so it is read only while the pointer is over none of them.
  POINT CursorPos() override {
    int x = 0, y = 0;
    if (!SDL_WasInit(SDL_INIT_VIDEO))
      return {x, y};
    const Presented p = FindPresented();
    if (SDL_Window* over = SDL_GetMouseFocus(); over != nullptr) {
      auto id = byId_.find(SDL_GetWindowID(over));
      if (id != byId_.end()) {
        SDL_GetMouseState(&x, &y);
        if (over == p.window) {
          WindowToSource(p.area, p.size.width, p.size.height, x, y);
          return {p.origin.x + x, p.origin.y + y};
        }
        auto origin = origins_.find(id->second);
        const POINT at = origin != origins_.end() ? origin->second : POINT{0, 0};
        return {at.x + x, at.y + y};
      }
    }
    SDL_GetGlobalMouseState(&x, &y);
    if (p.window != nullptr) {
      int left = 0, top = 0;
      SDL_GetWindowPosition(p.window, &left, &top);
      x -= left;
      y -= top;
      WindowToSource(p.area, p.size.width, p.size.height, x, y);
      return {p.origin.x + x, p.origin.y + y};
    }
    return {x, y};
  }

  void SetCursorPos(POINT screen) override {
    if (!SDL_WasInit(SDL_INIT_VIDEO))
      return;
    if (const Presented p = FindPresented(); p.window != nullptr) {
      int x = screen.x - p.origin.x;
      int y = screen.y - p.origin.y;
      SourceToWindow(p.area, p.size.width, p.size.height, x, y);
      SDL_WarpMouseInWindow(p.window, x, y);
      return;
    }
    SDL_WarpMouseGlobal(screen.x, screen.y);
  }

  void ShowCursor(bool visible) override {
    cursorVisible_ = visible;
    if (SDL_WasInit(SDL_INIT_VIDEO))
      SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
  }

  void SetCursorShape(const CursorShape& shape) override {
    shape_ = shape;
    ApplyCursor();
  }

  bool RestoreDisplayMode() override {
    for (auto& [handle, window] : windows_) {
      if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)
        SDL_SetWindowFullscreen(window, 0);
    }
    return true;
  }

  int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override {
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if ((type & 0xF0) == MB_ICONERROR)
      flags = SDL_MESSAGEBOX_ERROR;
    if ((type & 0xF0) == MB_ICONWARNING)
      flags = SDL_MESSAGEBOX_WARNING;
    // An error is written to stderr as well: the box may go unseen, and a terminal shows what ended
    // the program.
    const bool error = flags == SDL_MESSAGEBOX_ERROR;
    if (error)
      std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    if ((!StartVideo() || !ShowBoxInChild(flags, caption.c_str(), text.c_str(), Find(owner))) && !error) {
      std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    UINT buttons = type & 0xF;
    if (buttons == MB_YESNO)
      return IDYES;
    return IDOK;
  }

 private:
  bool StartVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO))
      return true;
    if (videoFailed_)
      return false;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      std::fprintf(stderr, "SDL video: %s\n", SDL_GetError());
      videoFailed_ = true;
      return false;
    }
    return true;
  }

  void ApplyCursor() {
    if (!SDL_WasInit(SDL_INIT_VIDEO))
      return;
    auto key = std::make_pair(shape_.own, shape_.id);
    SDL_Cursor*& cursor = cursors_[key];
    if (!cursor) {
      const ResourceImage* image = shape_.own ? FindCursorImage(shape_.id) : nullptr;
      if (image) {
        std::vector<std::uint32_t> pixels;
        if (SDL_Surface* surface = SurfaceOf(*image, pixels)) {
          cursor = SDL_CreateColorCursor(surface, image->hotX, image->hotY);
          SDL_FreeSurface(surface);
        }
      }
      if (!cursor)
        cursor = SDL_CreateSystemCursor(shape_.own ? SDL_SYSTEM_CURSOR_ARROW : SystemCursor(shape_.id));
    }
    if (cursor)
      SDL_SetCursor(cursor);
    SDL_ShowCursor(cursorVisible_ ? SDL_ENABLE : SDL_DISABLE);
  }

  HWND HandleOf(Uint32 windowId) {
    auto it = byId_.find(windowId);
    return it == byId_.end() ? nullptr : it->second;
  }

  // Key messages go to the window with the keyboard focus, as on Windows.
  HWND KeyTarget(Uint32 windowId) {
    HWND focus = GetFocus();
    return focus ? focus : HandleOf(windowId);
  }

  void Translate(const SDL_Event& event) {
    switch (event.type) {
      case SDL_QUIT:
        NotifyQuitRequest();
        break;
      case SDL_WINDOWEVENT: {
        HWND window = HandleOf(event.window.windowID);
        if (!window)
          break;
        switch (event.window.event) {
          case SDL_WINDOWEVENT_CLOSE:
            PostMessageA(window, WM_CLOSE, 0, 0);
            break;
          case SDL_WINDOWEVENT_MINIMIZED:
            NotifyMinimised(window, true);
            break;
          case SDL_WINDOWEVENT_RESTORED:
            NotifyMinimised(window, false);
            break;
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            NotifyFocusGained(window);
            break;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            NotifyFocusLost(window);
            break;
          case SDL_WINDOWEVENT_MOVED:
            NotifyMoved(window, event.window.data1, event.window.data2);
            break;
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            NotifyResized(window, event.window.data1, event.window.data2);
            break;
          default:
            break;
        }
        break;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        HWND window = KeyTarget(event.key.windowID);
        int vk = VirtualKeyFromScancode(event.key.keysym.scancode);
        if (!window || !vk)
          break;
        bool up = event.type == SDL_KEYUP;
        bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
        bool system = alt || vk == 0x79;  // F10
        LPARAM lParam = 1 | (static_cast<LPARAM>(event.key.keysym.scancode & 0xFF) << 16);
        if (alt)
          lParam |= KF_ALTDOWN_BIT;
        if (event.key.repeat || up)
          lParam |= LPARAM{1} << 30;
        if (up)
          lParam |= LPARAM{1} << 31;
        UINT message = up ? (system ? WM_SYSKEYUP : WM_KEYUP) : (system ? WM_SYSKEYDOWN : WM_KEYDOWN);
        PostMessageA(window, message, static_cast<WPARAM>(vk), lParam);
        int control = up || system || (event.key.keysym.mod & KMOD_CTRL) ? 0 : ControlCharacter(vk);
        if (control)
          PostMessageA(window, WM_CHAR, static_cast<WPARAM>(control), lParam);
        break;
      }
      case SDL_TEXTINPUT: {
        HWND window = KeyTarget(event.text.windowID);
        if (!window)
          break;
        for (char16_t unit : Utf16(event.text.text))
          PostMessageA(window, WM_CHAR, static_cast<WPARAM>(unit), 1);
        break;
      }
      default:
        break;
    }
  }

  static std::u16string Utf16(const char* text) {
    std::u16string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
      char32_t c;
      int extra;
      if (*p < 0x80) {
        c = *p;
        extra = 0;
      } else if ((*p & 0xE0) == 0xC0) {
        c = *p & 0x1F;
        extra = 1;
      } else if ((*p & 0xF0) == 0xE0) {
        c = *p & 0x0F;
        extra = 2;
      } else if ((*p & 0xF8) == 0xF0) {
        c = *p & 0x07;
        extra = 3;
      } else {
        ++p;
        continue;
      }
      ++p;
      bool ok = true;
      for (int i = 0; i < extra; ++i) {
        if ((*p & 0xC0) != 0x80) {
          ok = false;
          break;
        }
        c = (c << 6) | (*p++ & 0x3F);
      }
      if (!ok)
        continue;
      if (c >= 0x10000) {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
      } else {
        out.push_back(static_cast<char16_t>(c));
      }
    }
    return out;
  }

  struct Presented {
    SDL_Window* window = nullptr;
    POINT origin{0, 0};
    PresentedSize size;
    PresentedArea area;
  };

  // The window, if any, whose back buffer the display scales to a larger window (full screen).
  Presented FindPresented() const {
    for (const auto& [handle, window] : windows_) {
      const PresentedSize size = DecodePresentedSize(SDL_GetWindowData(window, kPresentedSizeKey));
      if (size.width <= 0 || size.height <= 0)
        continue;
      int w = 0, h = 0;
      SDL_GetWindowSize(window, &w, &h);
      auto origin = origins_.find(handle);
      return {window, origin != origins_.end() ? origin->second : POINT{0, 0}, size,
              FitArea(size.width, size.height, w, h)};
    }
    return {};
  }

  std::map<HWND, SDL_Window*> windows_;  // owned
  std::map<HWND, POINT> origins_;        // each window's place as the program set it
  std::map<Uint32, HWND> byId_;
  std::map<std::pair<bool, int>, SDL_Cursor*> cursors_;  // owned
  CursorShape shape_;
  bool cursorVisible_ = true;
  bool videoFailed_ = false;
};

}  // namespace

void InstallWindowDriver() {
  platform::InstallWindowDriver(std::make_unique<SdlWindowDriver>());
}

SDL_Window* WindowFromHandle(HWND window) {
  return g_driver ? g_driver->Find(window) : nullptr;
}

void AddEventListener(EventListener listener) {
  auto& listeners = Listeners();
  if (listener && std::find(listeners.begin(), listeners.end(), listener) == listeners.end()) {
    listeners.push_back(listener);
  }
}

void RemoveEventListener(EventListener listener) {
  std::erase(Listeners(), listener);
}

int VirtualKeyFromScancode(int scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
    return 'A' + (scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
    return '1' + (scancode - SDL_SCANCODE_1);
  if (scancode == SDL_SCANCODE_0)
    return '0';
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
    return VK_F1 + (scancode - SDL_SCANCODE_F1);
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) {
    return VK_NUMPAD0 + 1 + (scancode - SDL_SCANCODE_KP_1);
  }
  if (scancode == SDL_SCANCODE_KP_0)
    return VK_NUMPAD0;
  for (const KeyPair& pair : kKeys) {
    if (pair.scancode == scancode)
      return pair.vk;
  }
  return 0;
}

int ScancodeFromVirtualKey(int vk) {
  if (vk >= 'A' && vk <= 'Z')
    return SDL_SCANCODE_A + (vk - 'A');
  if (vk >= '1' && vk <= '9')
    return SDL_SCANCODE_1 + (vk - '1');
  if (vk == '0')
    return SDL_SCANCODE_0;
  if (vk >= VK_F1 && vk <= VK_F12)
    return SDL_SCANCODE_F1 + (vk - VK_F1);
  if (vk == VK_NUMPAD0)
    return SDL_SCANCODE_KP_0;
  if (vk > VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
    return SDL_SCANCODE_KP_1 + (vk - VK_NUMPAD0 - 1);
  switch (vk) {
    case VK_LSHIFT:
      return SDL_SCANCODE_LSHIFT;
    case VK_RSHIFT:
      return SDL_SCANCODE_RSHIFT;
    case VK_LCONTROL:
      return SDL_SCANCODE_LCTRL;
    case VK_RCONTROL:
      return SDL_SCANCODE_RCTRL;
    case VK_LMENU:
      return SDL_SCANCODE_LALT;
    case VK_RMENU:
      return SDL_SCANCODE_RALT;
    default:
      break;
  }
  for (const KeyPair& pair : kKeys) {
    if (pair.vk == vk)
      return pair.scancode;
  }
  return SDL_SCANCODE_UNKNOWN;
}

}  // namespace platform::sdl
