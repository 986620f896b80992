// The audio manager over a headless engine: voice choice and the music fades on a clock the test sets,
// the two volume variables, and a silent engine.
#include <gtest/gtest.h>

#include <memory>

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"
#include "framework/AudioManager.h"
#include "framework/MusicTrack.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/headless/HeadlessClock.h"
#include "tests/support/EngineRig.h"

namespace GameFramework {
namespace {

namespace headless = platform::headless;
using CorvantisEngine::Sound;

// The empty sound needs no file and stays "playing" until the headless device is pulled.
constexpr const char* kEmpty = "";

class AudioManagerTest : public testing::Test {
 protected:
  void TearDown() override {
    audio_.reset();
    rig_.reset();
  }

  // A fresh engine, with or without the headless sound device, and a manager with the game's volumes;
  // the clock stands at 1 s.
  void Start(bool withSound = true) {
    audio_.reset();
    rig_.reset();
    rig_ = std::make_unique<testsupport::EngineRig>();  // a fresh headless platform
    headless::Audio().refuseDevice = !withSound;
    engine_ = &rig_->Start();
    audio_ = std::make_unique<AudioManager>(engine_, 0.285f, 0.315f);
    At(1.0);
  }

  // Puts the clock at `seconds` and measures the frame.
  void At(double seconds) {
    headless::SetClockNanoseconds(static_cast<std::uint64_t>(seconds * 1e9));
    engine_->GetTimerManager()->Update();
  }
  // `count` frames of 0.1 s, each followed by the manager's update.
  void Frames(int count) {
    for (int i = 0; i < count; ++i) {
      headless::StepClockMilliseconds(100);
      engine_->GetTimerManager()->Update();
      audio_->Update();
    }
  }
  CorvantisEngine::SoundManager* Sounds() const { return engine_->GetSoundManager(); }
  float LastStart(std::size_t voice) const { return audio_->GetVoices()[voice]->lastStart; }

  std::unique_ptr<testsupport::EngineRig> rig_;
  CorvantisEngine::Engine* engine_ = nullptr;
  std::unique_ptr<AudioManager> audio_;
};

TEST_F(AudioManagerTest, PlaySoundStartsTheLeastRecentlyStartedVoice) {
  Start();
  audio_->AddSound(7, kEmpty, false, 3);
  audio_->AddSound(8, kEmpty, false, 1);
  ASSERT_EQ(audio_->GetVoices().size(), 4u);

  struct Step {
    double at;
    float expected[3];  // last start of voices 0..2 afterwards
    std::size_t queued;
    const char* why;
  };
  const Step steps[] = {
      {1.00, {1.00f, 0.0f, 0.0f}, 1, "first call: the first of the never-started voices"},
      {1.01, {1.00f, 0.0f, 0.0f}, 0, "within 0.02 s of a start: dropped, although voices are free"},
      {1.05, {1.00f, 1.05f, 0.0f}, 1, "second voice"},
      {1.10, {1.00f, 1.05f, 1.10f}, 1, "third voice"},
      {1.15, {1.15f, 1.05f, 1.10f}, 1, "all started: the least recent one is restarted"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.why);
    At(step.at);
    Sounds()->ClearQueue();
    audio_->PlaySound(7);
    EXPECT_EQ(Sounds()->GetQueuedCount(), step.queued);
    for (std::size_t v = 0; v < 3; ++v)
      EXPECT_FLOAT_EQ(LastStart(v), step.expected[v]) << "voice " << v;
  }
  EXPECT_EQ(LastStart(3), 0.0f);  // another id is untouched

  // The play requests are queued for the sound manager's next update.
  Sounds()->Update(true);
  EXPECT_EQ(audio_->GetSoundState(7), Sound::kPlaying);
  EXPECT_EQ(audio_->GetSoundState(8), Sound::kStopped);
  EXPECT_EQ(audio_->GetSoundState(99), Sound::kStopped);
  audio_->StopSound(7);
  Sounds()->Update(true);
  EXPECT_EQ(audio_->GetSoundState(7), Sound::kStopped);
}

TEST_F(AudioManagerTest, AVoiceIsStillFoundAfterLongPlay) {
  // Every voice started past 100000 s (about 28 hours of play): the least recent one is still chosen.
  Start();
  audio_->AddSound(1, kEmpty, false, 2);
  At(100000.25);
  audio_->PlaySound(1);
  At(100000.5);
  audio_->PlaySound(1);
  At(100000.75);
  Sounds()->ClearQueue();
  audio_->PlaySound(1);
  EXPECT_EQ(Sounds()->GetQueuedCount(), 1u);
  EXPECT_FLOAT_EQ(LastStart(0), 100000.75f);
  EXPECT_FLOAT_EQ(LastStart(1), 100000.5f);
}

TEST_F(AudioManagerTest, APlayingLoopIsNotRestartedButItsStartTimeMoves) {
  Start();
  audio_->AddSound(3, kEmpty, true, 1);
  audio_->PlaySound(3);
  Sounds()->Update(true);
  ASSERT_EQ(audio_->GetSoundState(3), Sound::kPlaying);
  EXPECT_TRUE(audio_->GetVoices()[0]->sound->IsLooping());

  At(2.0);
  audio_->PlaySound(3);
  EXPECT_EQ(Sounds()->GetQueuedCount(), 0u);
  EXPECT_FLOAT_EQ(LastStart(0), 2.0f);

  // Stopped, it is asked to play again.
  audio_->SetSoundLooping(3, false);
  audio_->SetSoundLooping(3, true);
  audio_->StopSound(3);
  Sounds()->Update(true);
  At(3.0);
  audio_->PlaySound(3);
  EXPECT_EQ(Sounds()->GetQueuedCount(), 1u);

  audio_->SetSoundTempo(3, 1.5f);
  EXPECT_FLOAT_EQ(audio_->GetVoices()[0]->sound->GetTempo(), 1.5f);
}

TEST_F(AudioManagerTest, FadeInReachesFullVolumeAndEnds) {
  Start();
  audio_->AddMusicTrack(10, kEmpty, true);
  audio_->PlayMusic(0, 10, true, 0.5f);
  MusicTrack* track = audio_->FindTrack(10);
  ASSERT_EQ(audio_->GetChannelTrack(0), track);
  EXPECT_EQ(audio_->GetChannelState(0), Sound::kPlaying);
  EXPECT_EQ(track->GetVolume(), 0.0f);
  EXPECT_EQ(track->GetFadeState(), MusicTrack::kFadeIn);

  Frames(10);  // 1 s at 0.5 per second
  EXPECT_NEAR(track->GetVolume(), 0.5f, 1e-4f);
  // The engine sound plays at the track's level times the music volume.
  EXPECT_NEAR(track->GetSound()->GetVolume(), 0.5f * 0.285f, 1e-3f);
  Frames(11);
  EXPECT_EQ(track->GetVolume(), 1.0f);
  EXPECT_EQ(track->GetFadeState(), MusicTrack::kFadeNone);

  // Asking again for the playing track changes nothing.
  audio_->PlayMusic(0, 10, true, 0.5f);
  EXPECT_EQ(track->GetVolume(), 1.0f);
  EXPECT_EQ(track->GetFadeState(), MusicTrack::kFadeNone);
}

TEST_F(AudioManagerTest, AnotherTrackOnTheChannelFadesTheOldOneOutAtSpeedOne) {
  Start();
  audio_->AddMusicTrack(10, kEmpty, true);
  audio_->AddMusicTrack(11, kEmpty, true);
  MusicTrack* first = audio_->FindTrack(10);
  MusicTrack* second = audio_->FindTrack(11);
  audio_->PlayMusic(2, 10, false, 0.0f);
  EXPECT_EQ(first->GetVolume(), 1.0f);

  audio_->PlayMusic(2, 11, false, 0.25f);
  EXPECT_EQ(audio_->GetChannelTrack(2), second);
  EXPECT_EQ(second->GetVolume(), 1.0f);
  EXPECT_EQ(second->GetState(), Sound::kPlaying);
  EXPECT_EQ(first->GetFadeState(), MusicTrack::kFadeToStop);
  EXPECT_EQ(first->GetFadeSpeed(), 1.0f);

  // The old track keeps fading although the channel no longer holds it.
  Frames(5);
  EXPECT_NEAR(first->GetVolume(), 0.5f, 1e-4f);
  EXPECT_EQ(first->GetState(), Sound::kPlaying);
  Frames(6);
  EXPECT_EQ(first->GetState(), Sound::kStopped);
  EXPECT_EQ(first->GetVolume(), 0.0f);
  EXPECT_EQ(first->GetFadeState(), MusicTrack::kFadeNone);
  EXPECT_EQ(second->GetState(), Sound::kPlaying);

  // Back to the first, with a fade: it starts from silence.
  audio_->PlayMusic(2, 10, true, 2.0f);
  EXPECT_EQ(first->GetVolume(), 0.0f);
  EXPECT_EQ(first->GetState(), Sound::kPlaying);
  EXPECT_EQ(first->GetFadeState(), MusicTrack::kFadeIn);
  EXPECT_EQ(second->GetFadeState(), MusicTrack::kFadeToStop);
}

TEST_F(AudioManagerTest, ATrackFadingOutIsNotRestartedByPlayMusic) {
  Start();
  audio_->AddMusicTrack(10, kEmpty, true);
  MusicTrack* track = audio_->FindTrack(10);
  audio_->PlayMusic(0, 10, false, 0.0f);
  audio_->StopChannel(0, true, 1.0f);
  Frames(3);
  audio_->PlayMusic(0, 10, true, 1.0f);
  EXPECT_EQ(track->GetFadeState(), MusicTrack::kFadeToStop);
  Frames(8);
  EXPECT_EQ(audio_->GetChannelState(0), Sound::kStopped);
  // Once stopped, the same request plays it again.
  audio_->PlayMusic(0, 10, true, 1.0f);
  EXPECT_EQ(audio_->GetChannelState(0), Sound::kPlaying);
  EXPECT_EQ(track->GetFadeState(), MusicTrack::kFadeIn);
}

TEST_F(AudioManagerTest, PauseAndResumeWithAndWithoutFades) {
  Start();
  audio_->AddMusicTrack(10, kEmpty, true);
  MusicTrack* track = audio_->FindTrack(10);
  audio_->PlayMusic(0, 10, false, 0.0f);

  // Fade to a pause.
  audio_->PauseChannel(0, true, true, 2.0f);
  EXPECT_EQ(track->GetFadeState(), MusicTrack::kFadeToPause);
  Frames(6);
  EXPECT_EQ(audio_->GetChannelState(0), Sound::kPaused);
  EXPECT_EQ(track->GetFadeState(), MusicTrack::kFadeNone);
  audio_->PauseChannel(0, true, false, 0.0f);  // already paused: nothing
  EXPECT_EQ(audio_->GetChannelState(0), Sound::kPaused);

  // Resume with a fade: from silence up.
  audio_->PauseChannel(0, false, true, 0.5f);
  EXPECT_EQ(audio_->GetChannelState(0), Sound::kPlaying);
  EXPECT_EQ(track->GetVolume(), 0.0f);
  EXPECT_EQ(track->GetFadeState(), MusicTrack::kFadeIn);
  audio_->PauseChannel(0, false, false, 0.0f);  // already playing: nothing
  EXPECT_EQ(track->GetVolume(), 0.0f);

  // Pause at once, resume at once at full level.
  audio_->PauseChannel(0, true, false, 0.0f);
  EXPECT_EQ(audio_->GetChannelState(0), Sound::kPaused);
  audio_->PauseChannel(0, false, false, 0.0f);
  EXPECT_EQ(audio_->GetChannelState(0), Sound::kPlaying);
  EXPECT_EQ(track->GetVolume(), 1.0f);
  EXPECT_EQ(track->GetFadeState(), MusicTrack::kFadeNone);

  // A stopped track is not resumed.
  audio_->StopChannel(0, false, 0.0f);
  audio_->PauseChannel(0, false, true, 1.0f);
  EXPECT_EQ(audio_->GetChannelState(0), Sound::kStopped);

  // Stopping a paused track is immediate, fade or not.
  audio_->PlayMusic(0, 10, false, 0.0f);
  audio_->PauseChannel(0, true, false, 0.0f);
  audio_->StopChannel(0, true, 1.0f);
  EXPECT_EQ(audio_->GetChannelState(0), Sound::kStopped);
}

TEST_F(AudioManagerTest, PausingATrackThatFadesToAStop) {
  struct Row {
    bool fade;
    std::uint32_t state;
    std::uint32_t fadeState;
    const char* why;
  };
  const Row rows[] = {
      {true, Sound::kPlaying, MusicTrack::kFadeToStop, "with a fade: the fade to a stop goes on"},
      {false, Sound::kStopped, MusicTrack::kFadeToStop, "at once: stopped, not paused"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    Start();
    audio_->AddMusicTrack(10, kEmpty, true);
    audio_->PlayMusic(0, 10, false, 0.0f);
    audio_->StopChannel(0, true, 0.5f);
    audio_->PauseChannel(0, true, row.fade, 3.0f);
    EXPECT_EQ(audio_->GetChannelState(0), row.state);
    EXPECT_EQ(audio_->FindTrack(10)->GetFadeState(), row.fadeState);
    EXPECT_EQ(audio_->FindTrack(10)->GetFadeSpeed(), 0.5f);
  }
}

TEST_F(AudioManagerTest, AllChannelsStopAndPauseTogether) {
  Start();
  audio_->AddMusicTrack(10, kEmpty, true);
  audio_->AddMusicTrack(11, kEmpty, true);
  audio_->PlayMusic(5, 10, false, 0.0f);
  audio_->PlayMusic(1, 11, false, 0.0f);
  audio_->PauseAllMusic(true, false, 0.0f);
  EXPECT_EQ(audio_->GetChannelState(1), Sound::kPaused);
  EXPECT_EQ(audio_->GetChannelState(5), Sound::kPaused);
  audio_->PauseAllMusic(false, false, 0.0f);
  EXPECT_EQ(audio_->GetChannelState(1), Sound::kPlaying);
  audio_->StopAllMusic(true, 1.0f);
  EXPECT_EQ(audio_->FindTrack(10)->GetFadeState(), MusicTrack::kFadeToStop);
  EXPECT_EQ(audio_->FindTrack(11)->GetFadeState(), MusicTrack::kFadeToStop);
  audio_->StopAllMusic(false, 0.0f);
  EXPECT_EQ(audio_->GetChannelState(1), Sound::kStopped);
  EXPECT_EQ(audio_->GetChannelState(5), Sound::kStopped);
}

TEST_F(AudioManagerTest, AnUnknownTrackLeavesTheChannelAlone) {
  Start();
  audio_->AddMusicTrack(10, kEmpty, true);
  audio_->PlayMusic(0, 10, false, 0.0f);
  audio_->PlayMusic(0, 42, true, 1.0f);
  EXPECT_EQ(audio_->GetChannelTrack(0), audio_->FindTrack(10));
  EXPECT_EQ(audio_->FindTrack(10)->GetFadeState(), MusicTrack::kFadeNone);
  audio_->PlayMusic(3, 42, true, 1.0f);
  EXPECT_EQ(audio_->GetChannelTrack(3), nullptr);
  EXPECT_EQ(audio_->GetChannelState(3), Sound::kStopped);
}

TEST_F(AudioManagerTest, VolumesAreConfigurationVariables) {
  Start();
  CorvantisEngine::Config* config = engine_->GetConfig();
  EXPECT_EQ(config->GetString("g_music_volume"), "0.285000");
  EXPECT_EQ(config->GetString("g_sound_volume"), "0.315000");
  EXPECT_FLOAT_EQ(audio_->GetMusicVolume(), 0.285f);
  EXPECT_FLOAT_EQ(audio_->GetSoundVolume(), 0.315f);

  audio_->AddSound(1, kEmpty, false, 1);
  audio_->AddMusicTrack(10, kEmpty, true);
  Sound* other = Sounds()->CreateSound(kEmpty);  // say a GUI sound
  Sound* effect = audio_->GetVoices()[0]->sound;
  Sound* music = audio_->FindTrack(10)->GetSound();
  EXPECT_FLOAT_EQ(effect->GetVolume(), 0.315f);
  EXPECT_FLOAT_EQ(music->GetVolume(), 0.285f);

  // Set through the console beyond the range: sounds get the clamped value, the variable keeps its own.
  ASSERT_EQ(config->ExecuteLine("g_sound_volume 1.5", nullptr), CorvantisEngine::Config::kLineDone);
  ASSERT_EQ(config->ExecuteLine("g_music_volume 0.5", nullptr), CorvantisEngine::Config::kLineDone);
  Frames(1);
  EXPECT_NEAR(effect->GetVolume(), 1.0f, 0.0005f);
  EXPECT_NEAR(other->GetVolume(), 1.0f, 0.0005f);
  EXPECT_NEAR(music->GetVolume(), 0.5f, 0.0005f);  // music follows the music volume only
  EXPECT_EQ(config->GetValueText("g_sound_volume"), "1.500000");
  EXPECT_EQ(config->GetValueText("g_music_volume"), "0.500000");
  Frames(50);  // the wobble never accumulates
  EXPECT_EQ(audio_->GetMusicVolume(), 0.5f);
  EXPECT_NEAR(music->GetVolume(), 0.5f, 0.0005f);

  audio_->SetSoundVolume(-2.0f);
  EXPECT_EQ(audio_->GetSoundVolume(), 0.0f);
  EXPECT_EQ(effect->GetVolume(), 0.0f);
  audio_->SetMusicVolume(0.25f);
  EXPECT_FLOAT_EQ(music->GetVolume(), 0.25f);
  EXPECT_FLOAT_EQ(audio_->GetConfiguredMusicVolume(), 0.285f);
  EXPECT_FLOAT_EQ(audio_->GetConfiguredSoundVolume(), 0.315f);

  // A new manager takes the values kept by the configuration, not its defaults.
  audio_.reset();
  EXPECT_EQ(config->GetValueText("g_music_volume"), "0.250000");
  audio_ = std::make_unique<AudioManager>(engine_);
  EXPECT_FLOAT_EQ(audio_->GetMusicVolume(), 0.25f);
  EXPECT_EQ(audio_->GetSoundVolume(), 0.0f);
  EXPECT_EQ(Sounds()->GetSoundCount(), 1u);  // the old manager's sounds went with it
}

TEST_F(AudioManagerTest, WithoutSoundEverythingIsSilentAndStopped) {
  Start(false);
  ASSERT_EQ(Sounds(), nullptr);
  audio_->AddSound(1, kEmpty, false, 2);
  audio_->AddMusicTrack(10, kEmpty, true);
  audio_->PlaySound(1);
  audio_->StopSound(1);
  audio_->SetSoundLooping(1, true);
  audio_->SetSoundTempo(1, 2.0f);
  audio_->PlayMusic(0, 10, true, 1.0f);
  audio_->PauseChannel(0, true, true, 1.0f);
  audio_->StopAllMusic(true, 1.0f);
  Frames(3);
  EXPECT_EQ(audio_->GetSoundState(1), Sound::kStopped);
  EXPECT_EQ(audio_->GetChannelState(0), Sound::kStopped);
  EXPECT_EQ(audio_->FindTrack(10)->GetState(), Sound::kStopped);
  EXPECT_EQ(audio_->GetChannelTrack(0), nullptr);
  audio_->SetSoundVolume(0.5f);
  EXPECT_EQ(audio_->GetSoundVolume(), 0.5f);
}

TEST_F(AudioManagerTest, AnUnreadableFileIsLoggedAndLeftSilent) {
  Start();
  audio_->AddSound(1, "missing.wav", false, 3);
  audio_->AddMusicTrack(10, "missing.ogg", true);
  EXPECT_TRUE(audio_->GetVoices().empty());
  EXPECT_EQ(audio_->FindTrack(10)->GetSound(), nullptr);
  const bool logged = rig_->Log().Logged("missing.wav");
  EXPECT_TRUE(logged);
  audio_->PlaySound(1);
  audio_->PlayMusic(0, 10, true, 1.0f);
  Frames(3);
  EXPECT_EQ(audio_->GetChannelState(0), Sound::kStopped);
  EXPECT_EQ(Sounds()->GetSoundCount(), 0u);
}

}  // namespace
}  // namespace GameFramework
