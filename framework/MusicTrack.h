#pragma once
// MusicTrack: one engine sound used as music, with its own level (moved by fades) and the music volume
// as its master; the engine sound always plays at level x master. A fade runs in Update, once per
// frame, at `speed` volume units per second of the timer manager's frame delta.
//
// Main thread only. Owned by the AudioManager; the engine sound belongs to the sound manager and is
// destroyed through it with the track. Without a sound manager (a silent engine), or when the music
// file could not be read, the track has no engine sound: it still keeps its level and fade, plays
// nothing and answers "stopped". Nothing throws.

#include <cstdint>
#include <string>

namespace CorvantisEngine {
class Engine;
class Sound;
class SoundManager;
class TimerManager;
}  // namespace CorvantisEngine

namespace GameFramework {

class MusicTrack {
 public:
  // Fade states.
  static constexpr std::uint32_t kFadeNone = 0;
  static constexpr std::uint32_t kFadeIn = 1;
  static constexpr std::uint32_t kFadeToPause = 3;
  static constexpr std::uint32_t kFadeToStop = 4;

  MusicTrack(CorvantisEngine::Engine* engine, const std::string& fileName, bool loop, std::uint32_t trackId);
  ~MusicTrack();

  MusicTrack(const MusicTrack&) = delete;
  MusicTrack& operator=(const MusicTrack&) = delete;

  // The engine sound's state: 0 playing, 1 paused, 2 stopped (also without an engine sound).
  std::uint32_t GetState() const;
  // Stores the fade; Update carries it out.
  void SetFade(std::uint32_t state, float speed);
  void SetVolume(float volume);
  void SetMasterVolume(float master);
  // Clears the fade, then plays (or resumes) the engine sound at once.
  void Play();
  void Pause();
  void Stop();
  void Update();

  std::uint32_t GetTrackId() const { return trackId_; }
  CorvantisEngine::Sound* GetSound() const { return sound_; }
  float GetVolume() const { return volume_; }
  float GetMasterVolume() const { return masterVolume_; }
  std::uint32_t GetFadeState() const { return fadeState_; }
  float GetFadeSpeed() const { return fadeSpeed_; }

 private:
  void ApplyVolume();

  CorvantisEngine::Engine* engine_;
  CorvantisEngine::SoundManager* soundManager_;  // null without sound
  CorvantisEngine::TimerManager* timers_;
  CorvantisEngine::Sound* sound_ = nullptr;  // owned by the sound manager
  std::uint32_t trackId_;
  float volume_ = 1.0f;
  float masterVolume_ = 1.0f;
  std::uint32_t fadeState_ = kFadeNone;
  float fadeSpeed_ = 0.0f;
};

}  // namespace GameFramework
