#pragma once
// AudioManager: the game's one place for sound effects and music. Effects are addressed by a sound id
// and may have several voices (engine sounds over one file) so that an effect can overlap itself;
// music is addressed by a track id and played on numbered channels, one track per channel, with fades.
// The two user volumes (music, sound) are the configuration variables "g_music_volume" and
// "g_sound_volume", bound to this object's fields; the sound volume reaches every engine sound except
// the music tracks', the music volume every track.
//
// Main thread only. The manager owns its voice records and tracks; the engine sounds belong to the
// engine's sound manager and are destroyed through it. Without a sound manager (a silent engine) every
// operation does nothing and every state query answers 2 (stopped). Nothing throws: a sound file that
// cannot be read is logged and its voice left out (a track keeps no sound and stays silent).

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/MusicTrack.h"

namespace CorvantisEngine {
class Config;
class Engine;
class Sound;
class SoundManager;
class TimerManager;
}  // namespace CorvantisEngine

namespace GameFramework {

// One voice of a sound effect.
struct SoundVoice {
  std::uint32_t soundId = 0;
  std::string fileName;
  CorvantisEngine::Sound* sound = nullptr;  // owned by the sound manager
  std::uint8_t loop = 0;
  // Seconds of the engine's frame timer at the last start; 0 when never started.
  float lastStart = 0.0f;
};

class AudioManager {
 public:
  // A repeat of an effect within this many seconds of any of its voices' starts is dropped.
  static constexpr float kRepeatWindow = 0.02f;
  // Size of the per-frame wobble that pushes the volumes to every engine sound.
  static constexpr float kVolumeJitter = 0.0005f;

  // Registers the two volume variables (a value kept from the ini file or an earlier registration wins
  // over the default) and applies them.
  AudioManager(CorvantisEngine::Engine* engine, float defaultMusicVolume = 1.0f,
               float defaultSoundVolume = 1.0f);
  ~AudioManager();

  AudioManager(const AudioManager&) = delete;
  AudioManager& operator=(const AudioManager&) = delete;

  // Clamped to [0, 1].
  void SetMusicVolume(float volume);
  void SetSoundVolume(float volume);
  float GetMusicVolume() const { return musicVolume_; }
  float GetSoundVolume() const { return soundVolume_; }
  void ReapplySoundVolume();
  // The registered default texts of the two variables, as numbers (the options window's "defaults").
  float GetConfiguredMusicVolume() const;
  float GetConfiguredSoundVolume() const;

  // Adds `voices` voices for the id; ids may repeat across calls (their voices add up).
  void AddSound(std::uint32_t soundId, const std::string& fileName, bool loop, std::uint32_t voices);
  // Starts the least recently started voice of the id (queued until the sound manager's next update).
  void PlaySound(std::uint32_t soundId);
  void StopSound(std::uint32_t soundId);
  void SetSoundLooping(std::uint32_t soundId, bool loop);
  void SetSoundTempo(std::uint32_t soundId, float tempo);
  // 0 playing, 1 paused, 2 stopped (also for an id without voices).
  std::uint32_t GetSoundState(std::uint32_t soundId) const;

  void AddMusicTrack(std::uint32_t trackId, const std::string& fileName, bool loop);
  // Null when no track has the id.
  MusicTrack* FindTrack(std::uint32_t trackId) const;
  // The track last asked to play on the channel, or null.
  MusicTrack* GetChannelTrack(std::uint32_t channel) const;
  std::uint32_t GetChannelState(std::uint32_t channel) const;
  // A track id that was never added is refused and the channel left as it was.
  void PlayMusic(std::uint32_t channel, std::uint32_t trackId, bool fade, float speed);
  void StopChannel(std::uint32_t channel, bool fade, float speed);
  void PauseChannel(std::uint32_t channel, bool pause, bool fade, float speed);
  // In ascending channel order.
  void StopAllMusic(bool fade, float speed);
  void PauseAllMusic(bool pause, bool fade, float speed);

  // Once per frame: runs the fades and pushes the volumes to every engine sound.
  void Update();

  const std::vector<std::unique_ptr<SoundVoice>>& GetVoices() const { return sounds_; }
  const std::vector<std::unique_ptr<MusicTrack>>& GetTracks() const { return tracks_; }

 private:
  // Plays (or resumes) the track, rising from silence at `speed` with a fade, else at full level.
  void StartTrack(MusicTrack* track, bool fade, float speed);
  bool IsTrackSound(const CorvantisEngine::Sound* sound) const;

  CorvantisEngine::Engine* engine_;
  CorvantisEngine::Config* config_;
  CorvantisEngine::SoundManager* soundManager_;  // null without sound
  CorvantisEngine::TimerManager* timers_;
  // Every voice of every id, in the order added; owned.
  std::vector<std::unique_ptr<SoundVoice>> sounds_;
  // Every music track, in the order added; owned.
  std::vector<std::unique_ptr<MusicTrack>> tracks_;
  // Storage of "g_music_volume" and "g_sound_volume".
  float musicVolume_ = 1.0f;
  float soundVolume_ = 1.0f;
  // Entries are never removed; the tracks are owned by `tracks_`.
  std::map<std::uint32_t, MusicTrack*> channels_;
};

}  // namespace GameFramework
