#include "platform/sdl/SdlAudio.h"

#include <SDL.h>

#include <cstdint>
#include <memory>

#include "platform/dsound/AudioDriver.h"
#include "platform/dsound/Mixer.h"

namespace platform::sdl {

namespace {

using platform::dsound::Mixer;

class SdlAudioDriver final : public platform::dsound::AudioDriver {
 public:
  ~SdlAudioDriver() override { Close(); }

  std::uint32_t Open(std::uint32_t desiredRate) override {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      SDL_Log("Audio: no sound device (%s): running silent", SDL_GetError());
      return 0;
    }
    subsystem_ = true;
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(desiredRate);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &SdlAudioDriver::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // SDL converts anything else for us; only the rate may differ, and the mixer resamples to it.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) {
      SDL_Log("Audio: no sound device (%s): running silent", SDL_GetError());
      Close();
      return 0;
    }
    return static_cast<std::uint32_t>(have.freq);
  }

  void Start(Mixer* mixer) override {
    if (device_ == 0)
      return;
    SDL_LockAudioDevice(device_);
    mixer_ = mixer;
    SDL_UnlockAudioDevice(device_);
    SDL_PauseAudioDevice(device_, 0);
  }

  void Close() override {
    if (device_ != 0) {
      SDL_CloseAudioDevice(device_);  // waits for the callback to return
      device_ = 0;
    }
    mixer_ = nullptr;
    if (subsystem_) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      subsystem_ = false;
    }
  }

 private:
  static void SDLCALL Callback(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<SdlAudioDriver*>(userdata);
    const auto frames = static_cast<std::uint32_t>(len / 4);
    if (!self->mixer_) {
      SDL_memset(stream, 0, static_cast<std::size_t>(len));
      return;
    }
    self->mixer_->Mix(reinterpret_cast<std::int16_t*>(stream), frames);
  }

  SDL_AudioDeviceID device_ = 0;
  Mixer* mixer_ = nullptr;
  bool subsystem_ = false;
};

std::unique_ptr<platform::dsound::AudioDriver> CreateSdlAudioDriver() {
  return std::make_unique<SdlAudioDriver>();
}

}  // namespace

void InstallAudioDriver() {
  platform::dsound::SetAudioDriverFactory(&CreateSdlAudioDriver);
}

}  // namespace platform::sdl
