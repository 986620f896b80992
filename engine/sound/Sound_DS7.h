#pragma once
// Sound_DS7: a sound over a SoundBuffer_DS7. Play restarts a playing sound and resumes a paused one;
// Update restores a lost buffer (a stream starts again from its beginning) and moves a sound whose
// device buffer stopped by itself to the stopped state.

#include "engine/sound/Sound.h"

namespace CorvantisEngine {

class SoundSystem_DS7;
class SoundBuffer_DS7;

class Sound_DS7 : public Sound {
 public:
  Sound_DS7(MessageManager* log, SoundSystem_DS7* soundSystem, SoundBufferManager* bufferManager,
            const std::string& fileName);
  // A new buffer of the same file (sharing data when it can) with the other's settings, stopped.
  Sound_DS7(const Sound_DS7& other);

  void Update() override;
  bool Play() override;
  void Pause() override;
  void Stop() override;
  void SetLooping(bool looping) override;
  void SetVolume(float volume) override;
  void SetTempo(float tempo) override;
  void SetPosition(const Vector3& position) override;
  std::uint32_t GetState() const override { return state_; }

  SoundBuffer_DS7* GetBufferDS7() const { return bufferDS7_; }

 private:
  SoundSystem_DS7* soundSystem_;
  SoundBuffer_DS7* bufferDS7_;
  std::uint32_t state_ = kStopped;
};

}  // namespace CorvantisEngine
