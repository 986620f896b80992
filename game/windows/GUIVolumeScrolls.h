// The sound and music volume scrolls that the options window and the in-game menu share: a thousand
// steps per volume of 1, arrows that move 30 steps, volumes that follow the thumbs while they move, and
// the slider sound looping while the sound thumb is dragged.
#pragma once

#include <cstdint>

namespace CorvantisEngine {
class GUIScroll;
}  // namespace CorvantisEngine

namespace GameFramework {
class AudioManager;
}  // namespace GameFramework

namespace Puzzle {

struct GUIVolumeScrolls {
  static constexpr std::uint32_t kSteps = 1000;
  static constexpr std::uint32_t kArrowStep = 30;
  // The game's sound id of "volume_slider".
  static constexpr std::uint32_t kSliderSound = 0;
  // Smaller differences are the scroll's rounding, not a move.
  static constexpr float kTolerance = 0.001f;

  // Volume 0..1 to a scroll position: thousandths, truncated.
  static std::uint32_t VolumeToPosition(float volume);

  // Either scroll may be missing from the window's description.
  void Prepare() const;
  void ShowVolumes(float soundVolume, float musicVolume) const;
  void FollowThumbs(GameFramework::AudioManager* audio) const;
  void UpdateSliderSound(GameFramework::AudioManager* audio) const;

  CorvantisEngine::GUIScroll* sound = nullptr;
  CorvantisEngine::GUIScroll* music = nullptr;
};

}  // namespace Puzzle
