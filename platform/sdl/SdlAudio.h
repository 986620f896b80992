#pragma once
// SDL's audio device as the driver under the DirectSound-shaped layer: SDL's audio thread pulls the
// mixer. Installed by InstallBackend(); the device opens when the engine creates its sound device.

namespace platform::sdl {

void InstallAudioDriver();

}  // namespace platform::sdl
