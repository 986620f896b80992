#include "platform/sdl/SdlBackend.h"

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

}  // namespace platform::sdl
