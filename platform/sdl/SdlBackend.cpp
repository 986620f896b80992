#include "platform/sdl/SdlBackend.h"

#include <SDL.h>

#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlClock.h"
#include "platform/sdl/SdlDisplay.h"
#include "platform/sdl/SdlInput.h"
#include "platform/sdl/SdlWindow.h"

namespace platform::sdl {

void InstallBackend() {
  // Each area of the layer installs its SDL driver here.
  InstallClockDriver();
  InstallWindowDriver();
  InstallAudioDriver();
  InstallInputDriver();
  InstallDisplayDriver();
}

bool OpenDisplay(std::string& reason) {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0)
    return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    reason = SDL_GetError();
    if (reason.empty())
      reason = "no video driver could start";
    return false;
  }
  // When no display answers, SDL falls back to drivers that draw nowhere; a window there is never seen.
  // They serve only a program that asks for them by name.
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  const bool nowhere =
      driver != nullptr && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
  if (!nowhere || (asked != nullptr && SDL_strcasecmp(asked, driver) == 0))
    return true;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  const char* display = SDL_getenv("DISPLAY");
  if (display == nullptr || *display == 0)
    reason = "DISPLAY is not set";
  else
    reason = std::string("no X server answers at DISPLAY ") + display;
  return false;
}

}  // namespace platform::sdl
