#include "game/windows/GUIVolumeScrolls.h"

#include <algorithm>
#include <cmath>

#include "engine/gui/GUISlider.h"
#include "engine/sound/Sound.h"
#include "framework/AudioManager.h"

namespace Puzzle {

namespace {

float PositionToVolume(const CorvantisEngine::GUIScroll* scroll) {
  return static_cast<float>(scroll->GetPosition()) / static_cast<float>(GUIVolumeScrolls::kSteps);
}

}  // namespace

std::uint32_t GUIVolumeScrolls::VolumeToPosition(float volume) {
  return static_cast<std::uint32_t>(std::clamp(volume, 0.0f, 1.0f) * static_cast<float>(kSteps));
}

void GUIVolumeScrolls::Prepare() const {
  for (CorvantisEngine::GUIScroll* scroll : {sound, music}) {
    if (scroll != nullptr) {
      scroll->SetCount(kSteps + 1);
      scroll->step = kArrowStep;
    }
  }
}

void GUIVolumeScrolls::ShowVolumes(float soundVolume, float musicVolume) const {
  if (sound != nullptr) {
    sound->SetPosition(VolumeToPosition(soundVolume));
  }
  if (music != nullptr) {
    music->SetPosition(VolumeToPosition(musicVolume));
  }
}

void GUIVolumeScrolls::FollowThumbs(GameFramework::AudioManager* audio) const {
  if (sound != nullptr) {
    const float volume = PositionToVolume(sound);
    if (std::fabs(volume - audio->GetSoundVolume()) > kTolerance) {
      audio->SetSoundVolume(volume);
    }
  }
  if (music != nullptr) {
    const float volume = PositionToVolume(music);
    if (std::fabs(volume - audio->GetMusicVolume()) > kTolerance) {
      audio->SetMusicVolume(volume);
    }
  }
}

void GUIVolumeScrolls::UpdateSliderSound(GameFramework::AudioManager* audio) const {
  const bool playing = audio->GetSoundState(kSliderSound) == CorvantisEngine::Sound::kPlaying;
  const bool dragging = sound != nullptr && sound->IsDragging();
  if (dragging && !playing) {
    audio->PlaySound(kSliderSound);
  } else if (!dragging && playing) {
    audio->StopSound(kSliderSound);
  }
}

}  // namespace Puzzle
