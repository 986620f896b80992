#include "framework/MusicTrack.h"

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"

namespace GameFramework {

using CorvantisEngine::Sound;

MusicTrack::MusicTrack(CorvantisEngine::Engine* engine, const std::string& fileName, bool loop,
                       std::uint32_t trackId)
    : engine_(engine),
      soundManager_(engine->GetSoundManager()),
      timers_(engine->GetTimerManager()),
      trackId_(trackId) {
  if (soundManager_ == nullptr)
    return;
  try {
    sound_ = soundManager_->CreateSound(fileName);
  } catch (const CorvantisEngine::FileError& error) {
    // A missing or broken music file leaves this track silent; the rest of the game's sound goes on.
    engine->GetMessageManager()->Error(error.GetMessage());
    return;
  }
  volume_ = sound_->GetVolume();
  sound_->SetLooping(loop);
}

MusicTrack::~MusicTrack() {
  if (soundManager_ != nullptr)
    soundManager_->DestroySound(sound_);
}

std::uint32_t MusicTrack::GetState() const {
  if (soundManager_ == nullptr || sound_ == nullptr)
    return Sound::kStopped;
  return sound_->GetState();
}

void MusicTrack::SetFade(std::uint32_t state, float speed) {
  fadeState_ = state;
  fadeSpeed_ = speed;
}

void MusicTrack::SetVolume(float volume) {
  volume_ = volume;
  ApplyVolume();
}

void MusicTrack::SetMasterVolume(float master) {
  masterVolume_ = master;
  ApplyVolume();
}

void MusicTrack::Play() {
  fadeState_ = kFadeNone;
  if (soundManager_ != nullptr)
    soundManager_->PlaySound(sound_, true);
}

void MusicTrack::Pause() {
  if (soundManager_ != nullptr)
    soundManager_->PauseSound(sound_, true);
}

void MusicTrack::Stop() {
  if (soundManager_ != nullptr)
    soundManager_->StopSound(sound_, true);
}

void MusicTrack::Update() {
  const float step = fadeSpeed_ * timers_->delta;
  if (fadeState_ == kFadeIn) {
    volume_ += step;
    if (volume_ >= 1.0f) {
      volume_ = 1.0f;
      fadeState_ = kFadeNone;
    }
  } else if (fadeState_ == kFadeToPause || fadeState_ == kFadeToStop) {
    volume_ -= step;
    if (volume_ < 0.0f) {
      if (fadeState_ == kFadeToStop)
        Stop();
      else
        Pause();
      volume_ = 0.0f;
      fadeState_ = kFadeNone;
    }
  }
  ApplyVolume();
}

void MusicTrack::ApplyVolume() {
  if (sound_ != nullptr)
    sound_->SetVolume(volume_ * masterVolume_);
}

}  // namespace GameFramework
