#pragma once
// A sound system and a sound manager over the headless device, for the buffer, sound and manager tests.

#include <memory>

#include "SoundFixtures.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundBufferManager.h"
#include "engine/sound/SoundBuffer_DS7.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundSystem_DS7.h"
#include "engine/sound/Sound_DS7.h"

namespace soundtest {

class SoundTestBase : public SoundEnvironment {
 protected:
  void Start(bool use3D = false) {
    system_ =
        std::make_unique<CorvantisEngine::SoundSystem_DS7>(&log_, &files_, &timers_, nullptr, nullptr, use3D);
    manager_ = std::make_unique<CorvantisEngine::SoundManager>(&log_, &files_, system_.get());
    log_.ClearRecords();
    platform::headless::ClearAudioCalls();
  }
  void TearDown() override {
    manager_.reset();
    system_.reset();
  }

  static CorvantisEngine::SoundBuffer_DS7* BufferOf(CorvantisEngine::Sound* sound) {
    return static_cast<CorvantisEngine::Sound_DS7*>(sound)->GetBufferDS7();
  }
  static IDirectSoundBuffer* DeviceOf(CorvantisEngine::Sound* sound) {
    return BufferOf(sound)->GetDeviceBuffer();
  }

  // One frame of the game: the clock moves, the device plays that long, the engine updates sound.
  std::vector<std::int16_t> Frame(std::uint32_t milliseconds) {
    platform::headless::StepClockMilliseconds(milliseconds);
    auto out = platform::headless::PullAudio(platform::headless::Audio().rate * milliseconds / 1000);
    system_->Refresh();
    manager_->Update(true);
    return out;
  }

  // The left and right samples of 16-bit stereo bytes.
  static std::vector<std::int16_t> Samples(const Bytes& bytes) {
    std::vector<std::int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
  }

  std::unique_ptr<CorvantisEngine::SoundSystem_DS7> system_;
  std::unique_ptr<CorvantisEngine::SoundManager> manager_;
};

}  // namespace soundtest
