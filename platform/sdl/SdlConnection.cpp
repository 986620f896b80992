// The display connection's watch. Xlib lives in this file alone, included last: its headers define
// macros (None, Bool, Status, CursorShape) that clash with the Windows-shaped names the layer uses.
#include "platform/sdl/SdlWindow_Local.h"
#include "platform/win32/WindowDriver.h"

// clang-format off
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
// clang-format on

#include <cstring>

namespace platform::sdl {

namespace {

// Xlib calls this when a read or write on the connection fails and exits when it returns; it never
// returns.
int ConnectionBroken(Display*) {
  platform::NotifyDisplayLost();
}

}  // namespace

void WatchDisplayConnection() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != nullptr && std::strcmp(driver, "x11") == 0)
    XSetIOErrorHandler(ConnectionBroken);
}

bool WindowManagerRuns(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
    return true;
  Display* display = info.info.x11.display;
  // A window manager that follows the desktop conventions names its check window on the root.
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == 0)
    return false;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const int read = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                                      &type, &format, &count, &after, &data);
  const bool found = read == Success && type == XA_WINDOW && format == 32 && count == 1;
  if (data != nullptr)
    XFree(data);
  return found;
}

}  // namespace platform::sdl
