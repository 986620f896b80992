// The display connection's watch. Xlib lives in this file alone, included last: its headers define
// macros (None, Bool, Status, CursorShape) that clash with the Windows-shaped names the layer uses.
#include "platform/sdl/SdlWindow_Local.h"
#include "platform/win32/WindowDriver.h"

// clang-format off
#include <SDL.h>
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

}  // namespace platform::sdl
