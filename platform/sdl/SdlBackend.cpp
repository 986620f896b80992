#include "platform/sdl/SdlBackend.h"

namespace platform::sdl {

void InstallBackend() {
  // Each area of the layer installs its SDL driver here.
}

}  // namespace platform::sdl
