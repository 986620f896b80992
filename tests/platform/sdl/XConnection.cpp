#include "XConnection.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace sdltest {

int XConnectionSocket(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
    return -1;
  return ConnectionNumber(info.info.x11.display);
}

}  // namespace sdltest
