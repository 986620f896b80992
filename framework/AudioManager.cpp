#include "framework/AudioManager.h"

#include <algorithm>
#include <limits>

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Random.h"
#include "engine/core/StringUtils.h"
#include "engine/core/Timer.h"
#include "engine/core/TimerManager.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"

namespace GameFramework {

using CorvantisEngine::ConfigVariable;
using CorvantisEngine::Sound;

namespace {

constexpr const char* kMusicVolumeName = "g_music_volume";
constexpr const char* kSoundVolumeName = "g_sound_volume";

float Clamp01(float value) {
  return std::clamp(value, 0.0f, 1.0f);
}

}  // namespace

AudioManager::AudioManager(CorvantisEngine::Engine* engine, float defaultMusicVolume,
                           float defaultSoundVolume)
    : engine_(engine),
      config_(engine->GetConfig()),
      soundManager_(engine->GetSoundManager()),
      timers_(engine->GetTimerManager()) {
  config_->AddVariable(kMusicVolumeName, ConfigVariable::kFloat, false, true, &musicVolume_,
                       CorvantisEngine::FloatToString(defaultMusicVolume, 6), false);
  config_->AddVariable(kSoundVolumeName, ConfigVariable::kFloat, false, true, &soundVolume_,
                       CorvantisEngine::FloatToString(defaultSoundVolume, 6), false);
  SetMusicVolume(musicVolume_);
  SetSoundVolume(soundVolume_);
}

AudioManager::~AudioManager() {
  if (soundManager_ != nullptr) {
    for (const auto& voice : sounds_)
      soundManager_->DestroySound(voice->sound);
  }
  sounds_.clear();
  tracks_.clear();  // each track destroys its engine sound
  // The configuration keeps the values for a later registration and for the ini file.
  config_->RemoveVariable(kMusicVolumeName);
  config_->RemoveVariable(kSoundVolumeName);
  channels_.clear();
}

void AudioManager::SetMusicVolume(float volume) {
  musicVolume_ = Clamp01(volume);
  for (const auto& track : tracks_)
    track->SetMasterVolume(musicVolume_);
}

void AudioManager::SetSoundVolume(float volume) {
  soundVolume_ = Clamp01(volume);
  if (soundManager_ == nullptr)
    return;
  // Every engine sound, the GUI's included, follows the sound volume; music has its own.
  const std::uint32_t count = soundManager_->GetSoundCount();
  for (std::uint32_t i = 0; i < count; ++i) {
    Sound* sound = soundManager_->GetSound(i);
    if (sound != nullptr && !IsTrackSound(sound))
      sound->SetVolume(soundVolume_);
  }
}

void AudioManager::ReapplySoundVolume() {
  SetSoundVolume(soundVolume_);
}

float AudioManager::GetConfiguredMusicVolume() const {
  return CorvantisEngine::StringToFloat(config_->GetString(kMusicVolumeName));
}

float AudioManager::GetConfiguredSoundVolume() const {
  return CorvantisEngine::StringToFloat(config_->GetString(kSoundVolumeName));
}

void AudioManager::AddSound(std::uint32_t soundId, const std::string& fileName, bool loop,
                            std::uint32_t voices) {
  if (soundManager_ == nullptr)
    return;
  for (std::uint32_t i = 0; i < voices; ++i) {
    auto voice = std::make_unique<SoundVoice>();
    voice->soundId = soundId;
    voice->fileName = fileName;
    voice->loop = loop ? 1 : 0;
    try {
      voice->sound = soundManager_->CreateSound(fileName);
    } catch (const CorvantisEngine::FileError& error) {
      // The effect stays silent; the other voices would fail the same way.
      engine_->GetMessageManager()->Error(error.GetMessage());
      return;
    }
    voice->sound->SetLooping(loop);
    voice->sound->SetVolume(soundVolume_);
    sounds_.push_back(std::move(voice));
  }
}

void AudioManager::PlaySound(std::uint32_t soundId) {
  if (soundManager_ == nullptr)
    return;
  const float now = timers_->frameTimer != nullptr ? timers_->frameTimer->GetTime() : 0.0f;
  SoundVoice* best = nullptr;
  // Starts above any time, so that after any length of play the least recent voice is still found.
  float oldest = std::numeric_limits<float>::infinity();
  for (const auto& voice : sounds_) {
    if (voice->soundId != soundId)
      continue;
    if (std::abs(now - voice->lastStart) < kRepeatWindow)
      return;
    if (voice->lastStart < oldest) {
      best = voice.get();
      oldest = voice->lastStart;
    }
  }
  if (best == nullptr)
    return;
  // A looping voice that still plays goes on; any other voice is (re)started.
  if (best->loop == 0 || best->sound->GetState() != Sound::kPlaying)
    soundManager_->PlaySound(best->sound, false);
  best->lastStart = now;
}

void AudioManager::StopSound(std::uint32_t soundId) {
  if (soundManager_ == nullptr)
    return;
  for (const auto& voice : sounds_) {
    if (voice->soundId == soundId)
      soundManager_->StopSound(voice->sound, false);
  }
}

void AudioManager::SetSoundLooping(std::uint32_t soundId, bool loop) {
  for (const auto& voice : sounds_) {
    if (voice->soundId == soundId) {
      voice->loop = loop ? 1 : 0;
      voice->sound->SetLooping(loop);
    }
  }
}

void AudioManager::SetSoundTempo(std::uint32_t soundId, float tempo) {
  for (const auto& voice : sounds_) {
    if (voice->soundId == soundId)
      voice->sound->SetTempo(tempo);
  }
}

std::uint32_t AudioManager::GetSoundState(std::uint32_t soundId) const {
  if (soundManager_ == nullptr)
    return Sound::kStopped;
  for (const auto& voice : sounds_) {
    if (voice->soundId != soundId)
      continue;
    const std::uint32_t state = voice->sound->GetState();
    if (state <= Sound::kStopped)
      return state;
  }
  return Sound::kStopped;
}

void AudioManager::AddMusicTrack(std::uint32_t trackId, const std::string& fileName, bool loop) {
  auto track = std::make_unique<MusicTrack>(engine_, fileName, loop, trackId);
  track->SetMasterVolume(musicVolume_);
  tracks_.push_back(std::move(track));
}

MusicTrack* AudioManager::FindTrack(std::uint32_t trackId) const {
  for (const auto& track : tracks_) {
    if (track->GetTrackId() == trackId)
      return track.get();
  }
  return nullptr;
}

MusicTrack* AudioManager::GetChannelTrack(std::uint32_t channel) const {
  const auto it = channels_.find(channel);
  return it != channels_.end() ? it->second : nullptr;
}

std::uint32_t AudioManager::GetChannelState(std::uint32_t channel) const {
  if (soundManager_ == nullptr)
    return Sound::kStopped;
  const MusicTrack* track = GetChannelTrack(channel);
  if (track == nullptr)
    return Sound::kStopped;
  const std::uint32_t state = track->GetState();
  return state <= Sound::kStopped ? state : Sound::kStopped;
}

void AudioManager::PlayMusic(std::uint32_t channel, std::uint32_t trackId, bool fade, float speed) {
  if (soundManager_ == nullptr)
    return;
  MusicTrack* requested = FindTrack(trackId);
  if (requested == nullptr)
    return;
  MusicTrack* current = GetChannelTrack(channel);
  MusicTrack* next = nullptr;
  if (current != nullptr && current->GetTrackId() != trackId) {
    // The old track fades out on its own, driven by Update, although the channel no longer holds it.
    current->SetFade(MusicTrack::kFadeToStop, 1.0f);
    next = requested;
    channels_[channel] = next;
  } else if (current != nullptr) {
    // Already playing (even while fading out): left alone.
    if (current->GetState() == Sound::kPlaying)
      return;
    next = current;
  } else {
    next = requested;
    channels_[channel] = next;
  }
  StartTrack(next, fade, speed);
}

void AudioManager::StopChannel(std::uint32_t channel, bool fade, float speed) {
  if (soundManager_ == nullptr)
    return;
  MusicTrack* track = GetChannelTrack(channel);
  if (track == nullptr)
    return;
  const std::uint32_t state = GetChannelState(channel);
  if (state == Sound::kPaused) {
    track->Stop();
  } else if (state == Sound::kPlaying) {
    if (fade)
      track->SetFade(MusicTrack::kFadeToStop, speed);
    else
      track->Stop();
  }
}

void AudioManager::PauseChannel(std::uint32_t channel, bool pause, bool fade, float speed) {
  if (soundManager_ == nullptr)
    return;
  MusicTrack* track = GetChannelTrack(channel);
  if (track == nullptr)
    return;
  const std::uint32_t state = GetChannelState(channel);
  if (!pause) {
    // Only a paused track resumes; a stopped one stays stopped.
    if (state != Sound::kPaused)
      return;
    StartTrack(track, fade, speed);
    return;
  }
  if (state != Sound::kPlaying)
    return;
  const bool stopping = track->GetFadeState() == MusicTrack::kFadeToStop;
  if (fade) {
    if (!stopping)
      track->SetFade(MusicTrack::kFadeToPause, speed);
  } else if (stopping) {
    track->Stop();
  } else {
    track->Pause();
  }
}

void AudioManager::StopAllMusic(bool fade, float speed) {
  for (const auto& [channel, track] : channels_)
    StopChannel(channel, fade, speed);
}

void AudioManager::PauseAllMusic(bool pause, bool fade, float speed) {
  for (const auto& [channel, track] : channels_)
    PauseChannel(channel, pause, fade, speed);
}

void AudioManager::Update() {
  if (soundManager_ == nullptr)
    return;
  for (const auto& track : tracks_)
    track->Update();
  // The variables may have been changed through the console: a tiny random wobble makes sure the
  // values reach every engine sound each frame, and restoring the fields keeps it from accumulating.
  const float music = musicVolume_;
  const float sound = soundVolume_;
  SetSoundVolume(sound + CorvantisEngine::RandomSignedFloat() * kVolumeJitter);
  SetMusicVolume(music + CorvantisEngine::RandomSignedFloat() * kVolumeJitter);
  musicVolume_ = music;
  soundVolume_ = sound;
}

void AudioManager::StartTrack(MusicTrack* track, bool fade, float speed) {
  // A fade starts from silence; without one the track plays at its full level at once.
  track->SetVolume(fade ? 0.0f : 1.0f);
  track->Play();
  if (fade)
    track->SetFade(MusicTrack::kFadeIn, speed);
}

bool AudioManager::IsTrackSound(const Sound* sound) const {
  for (const auto& track : tracks_) {
    if (track->GetSound() == sound)
      return true;
  }
  return false;
}

}  // namespace GameFramework
