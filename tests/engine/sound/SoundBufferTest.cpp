// Sound buffers and sounds: whole loads and streams, the device they drive, and what the mixer plays.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "OggEncode.h"
#include "SoundTestBase.h"
#include "engine/core/Error.h"
#include "engine/sound/SoundFileReaderOGG.h"
#include "platform/dsound/DSoundLayer.h"

namespace {

using namespace CorvantisEngine;
using platform::dsound::DsCall;
using soundtest::Bytes;
namespace headless = platform::headless;

class SoundBufferTest : public soundtest::SoundTestBase {};

TEST_F(SoundBufferTest, OneMebibyteLoadsWholeAndOneByteMoreStreams) {
  Start();
  WriteData("whole.wav", soundtest::Wav(1, 22050, 8, Bytes(0x100000, 130)));
  WriteData("stream.wav", soundtest::Wav(1, 22050, 8, Bytes(0x100001, 130)));
  Sound* whole = manager_->CreateSound("whole.wav");
  Sound* stream = manager_->CreateSound("stream.wav");
  EXPECT_FALSE(whole->GetBuffer()->IsStreaming());
  EXPECT_FALSE(whole->GetBuffer()->HasReader());
  EXPECT_EQ(whole->GetBuffer()->GetSize(), 0x100000u);
  EXPECT_TRUE(stream->GetBuffer()->IsStreaming());
  EXPECT_EQ(stream->GetBuffer()->GetSize(), 0x100001u);
  EXPECT_FALSE(stream->GetBuffer()->HasReader()) << "a stopped stream holds no file";
  EXPECT_NE(BufferOf(stream)->GetStreamTimer(), nullptr);
  manager_->PlaySound(stream, true);
  EXPECT_TRUE(stream->GetBuffer()->HasReader()) << "a playing stream reads its file";
  manager_->StopSound(stream, true);
  EXPECT_FALSE(stream->GetBuffer()->HasReader());
  EXPECT_EQ(ErrorCount(), 0);
  // Two sounds of a long file each get their own stream: nothing is duplicated.
  Sound* again = manager_->CreateSound("STREAM.wav");
  manager_->PlaySound(stream, true);
  manager_->PlaySound(again, true);
  EXPECT_NE(DeviceOf(again), DeviceOf(stream));
  EXPECT_TRUE(again->GetBuffer()->IsStreaming());
  for (DsCall call : headless::AudioCalls())
    EXPECT_NE(call, DsCall::DuplicateSoundBuffer);
}

TEST_F(SoundBufferTest, VolumeToAttenuationTable) {
  struct Row {
    float volume;
    std::int32_t hundredths;
  };
  const Row rows[] = {{0.0f, -10000},
                      {0.00005f, -10000},
                      {0.0001f, -9210},
                      {0.1f, -2302},
                      {0.5f, -693},
                      {1.0f, 0},
                      {2.0f, 693},
                      {-1.0f, -10000},
                      // A volume computed from a zero duration (a fade of no length) must not reach
                      // an undefined conversion.
                      {std::nanf(""), -10000},
                      {INFINITY, 100000}};
  for (const Row& row : rows)
    EXPECT_EQ(SoundBuffer_DS7::VolumeToAttenuation(row.volume), row.hundredths) << row.volume;
}

TEST_F(SoundBufferTest, VolumeTempoAndPositionReachTheDevice) {
  Start(true);
  WriteData("mono.wav", soundtest::Wav(1, 22050, 16, Bytes(400, 0)));
  WriteData("stereo.wav", soundtest::Wav(2, 22050, 16, Bytes(400, 0)));
  Sound* mono = manager_->CreateSound("mono.wav");
  Sound* stereo = manager_->CreateSound("stereo.wav");
  LONG volume = 1;
  mono->SetVolume(0.5f);
  DeviceOf(mono)->GetVolume(&volume);
  EXPECT_EQ(volume, -693);
  // Above full volume is held at full: the device never sees a gain.
  mono->SetVolume(2.0f);
  DeviceOf(mono)->GetVolume(&volume);
  EXPECT_EQ(volume, 0);
  EXPECT_EQ(mono->GetVolume(), 1.0f);
  mono->SetTempo(1.5f);
  DWORD frequency = 0;
  DeviceOf(mono)->GetFrequency(&frequency);
  EXPECT_EQ(frequency, 33075u);
  // No rate at all: the device is asked for its original frequency, not an undefined conversion.
  mono->SetTempo(std::nanf(""));
  DeviceOf(mono)->GetFrequency(&frequency);
  EXPECT_EQ(frequency, 22050u);
  mono->SetVolume(std::nanf(""));
  DeviceOf(mono)->GetVolume(&volume);
  EXPECT_EQ(volume, -10000);
  // Only a mono sound is 3-D.
  ASSERT_NE(BufferOf(mono)->Get3DBuffer(), nullptr);
  EXPECT_EQ(BufferOf(stereo)->Get3DBuffer(), nullptr);
  mono->SetPosition(Vector3(1, 2, 3));
  stereo->SetPosition(Vector3(1, 2, 3));
  float x, y, z;
  BufferOf(mono)->Get3DBuffer()->GetPosition(&x, &y, &z);
  EXPECT_EQ(y, 0.0f);  // deferred until the next refresh
  system_->Refresh();
  BufferOf(mono)->Get3DBuffer()->GetPosition(&x, &y, &z);
  EXPECT_EQ(y, 2.0f);
  EXPECT_EQ(ErrorCount(), 0);
}

// A stream holds its 1 MiB device ring only while it plays or is paused. What was set while it had none
// (volume, tempo, 3-D position) reaches the ring when it is made; a ring the device refuses is logged
// and the stream stays quiet.
TEST_F(SoundBufferTest, AStoppedStreamHoldsNoRing) {
  Start(true);
  WriteData("music.wav", soundtest::Wav(1, 22050, 16, soundtest::Pattern16Stereo(300000)));
  Sound* music = manager_->CreateSound("music.wav");
  ASSERT_TRUE(music->GetBuffer()->IsStreaming());
  EXPECT_EQ(DeviceOf(music), nullptr);
  music->SetVolume(0.5f);
  music->SetTempo(1.5f);
  music->SetPosition(Vector3(1, 2, 3));
  manager_->PlaySound(music, true);
  ASSERT_NE(DeviceOf(music), nullptr);
  LONG volume = 1;
  DeviceOf(music)->GetVolume(&volume);
  EXPECT_EQ(volume, -693);
  DWORD frequency = 0;
  DeviceOf(music)->GetFrequency(&frequency);
  EXPECT_EQ(frequency, 33075u);
  system_->Refresh();
  float x = 0, y = 0, z = 0;
  ASSERT_NE(BufferOf(music)->Get3DBuffer(), nullptr);
  BufferOf(music)->Get3DBuffer()->GetPosition(&x, &y, &z);
  EXPECT_EQ(y, 2.0f);
  Frame(20);
  manager_->PauseSound(music, true);
  EXPECT_NE(DeviceOf(music), nullptr) << "a paused stream keeps its place in the ring";
  manager_->StopSound(music, true);
  EXPECT_EQ(DeviceOf(music), nullptr);
  EXPECT_EQ(ErrorCount(), 0);

  headless::Audio().Fail(DsCall::CreateSecondaryBuffer, DSERR_OUTOFMEMORY, 1);
  manager_->PlaySound(music, true);
  EXPECT_EQ(DeviceOf(music), nullptr);
  EXPECT_TRUE(Logged("Sound System: DirectSound buffers overflow"));
  Frame(20);
  EXPECT_EQ(music->GetState(), Sound::kStopped);
  manager_->PlaySound(music, true);
  EXPECT_NE(DeviceOf(music), nullptr) << "the next play tries again";
}

TEST_F(SoundBufferTest, StaticSoundPlaysItsSamplesOnceThenStops) {
  Start();
  const Bytes data = soundtest::Pattern16Stereo(3000);
  WriteData("click.wav", soundtest::Wav(2, 22050, 16, data));
  Sound* sound = manager_->CreateSound("click.wav");
  manager_->PlaySound(sound, false);
  EXPECT_EQ(sound->GetState(), Sound::kStopped);  // queued until the frame's end
  manager_->Update(true);
  EXPECT_EQ(sound->GetState(), Sound::kPlaying);
  std::vector<std::int16_t> out;
  for (int i = 0; i < 10; ++i) {
    auto frame = Frame(20);
    out.insert(out.end(), frame.begin(), frame.end());
  }
  const auto expected = Samples(data);
  ASSERT_GE(out.size(), expected.size());
  EXPECT_EQ(std::vector<std::int16_t>(out.begin(), out.begin() + expected.size()), expected);
  EXPECT_TRUE(std::all_of(out.begin() + expected.size(), out.end(), [](std::int16_t s) { return s == 0; }));
  EXPECT_EQ(sound->GetState(), Sound::kStopped);
  // Play again starts from the beginning.
  manager_->PlaySound(sound, true);
  auto frame = Frame(20);
  EXPECT_EQ(std::vector<std::int16_t>(frame.begin(), frame.begin() + 100),
            std::vector<std::int16_t>(expected.begin(), expected.begin() + 100));
}

TEST_F(SoundBufferTest, PauseKeepsThePlacePlayRestartsAPlayingSound) {
  Start();
  const Bytes data = soundtest::Pattern16Stereo(22050);
  WriteData("tone.wav", soundtest::Wav(2, 22050, 16, data));
  const auto expected = Samples(data);
  Sound* sound = manager_->CreateSound("tone.wav");
  manager_->PlaySound(sound, true);
  Frame(20);  // 441 frames
  manager_->PauseSound(sound, true);
  EXPECT_EQ(sound->GetState(), Sound::kPaused);
  auto silent = Frame(20);
  EXPECT_TRUE(std::all_of(silent.begin(), silent.end(), [](std::int16_t s) { return s == 0; }));
  EXPECT_EQ(sound->GetState(), Sound::kPaused);
  manager_->PlaySound(sound, true);
  auto resumed = Frame(20);
  EXPECT_EQ(resumed[0], expected[441 * 2]);
  manager_->PlaySound(sound, true);
  auto restarted = Frame(20);
  EXPECT_EQ(restarted[0], expected[0]);
}

// A stream of 1.5 MiB played against the pulled mixer and the stepped clock, frame by frame.
class StreamTest : public soundtest::SoundTestBase {
 protected:
  static constexpr std::uint32_t kFrames = 393216;  // 1.5 MiB of 16-bit stereo
  void SetUp() override {
    data_ = soundtest::Pattern16Stereo(kFrames);
    WriteData("music.wav", soundtest::Wav(2, 22050, 16, data_));
    expected_ = Samples(data_);
    Start();
    sound_ = manager_->CreateSound("music.wav");
    ASSERT_TRUE(sound_->GetBuffer()->IsStreaming());
  }
  std::vector<std::int16_t> Play(int frames) {
    std::vector<std::int16_t> out;
    for (int i = 0; i < frames; ++i) {
      auto f = Frame(20);
      out.insert(out.end(), f.begin(), f.end());
    }
    return out;
  }
  // Index of the first sample that differs from the file played in a loop from `offset` on, or -1.
  std::int64_t FirstMismatch(const std::vector<std::int16_t>& out, std::size_t offset = 0) const {
    for (std::size_t i = 0; i < out.size(); ++i) {
      if (out[i] != expected_[(offset + i) % expected_.size()])
        return static_cast<std::int64_t>(i);
    }
    return -1;
  }

  Bytes data_;
  std::vector<std::int16_t> expected_;
  Sound* sound_ = nullptr;
};

TEST_F(StreamTest, OneShotStreamPlaysEveryByteThenSilenceThenStops) {
  manager_->PlaySound(sound_, true);
  const int frames = kFrames / 441 + 40;  // the data plus 0.8 s
  auto out = Play(frames);
  std::vector<std::int16_t> head(out.begin(), out.begin() + expected_.size());
  EXPECT_EQ(FirstMismatch(head), -1);
  EXPECT_TRUE(std::all_of(out.begin() + expected_.size(), out.end(), [](std::int16_t s) { return s == 0; }));
  EXPECT_EQ(sound_->GetState(), Sound::kStopped);
  EXPECT_FALSE(BufferOf(sound_)->IsPlaying());
  EXPECT_EQ(ErrorCount(), 0);
  // And again from the start.
  manager_->PlaySound(sound_, true);
  auto again = Play(100);
  EXPECT_EQ(FirstMismatch(again), -1);

  // Asked to play again in the frame after the stream played out, before the sound has noticed that it
  // ended (its state still says playing): it starts again from the beginning instead of being lost.
  int guard = 0;
  while (!BufferOf(sound_)->IsFinished() && ++guard < 2000)
    Frame(20);
  ASSERT_TRUE(BufferOf(sound_)->IsFinished());
  EXPECT_EQ(sound_->GetState(), Sound::kPlaying);
  manager_->PlaySound(sound_, false);
  manager_->Update(true);
  auto replayed = Play(100);
  EXPECT_EQ(FirstMismatch(replayed), -1);
  EXPECT_EQ(sound_->GetState(), Sound::kPlaying);
}

TEST_F(StreamTest, ChunksGoBackOnceThePlayPositionHasLeftThemByTheMargin) {
  // 22050 Hz 16-bit stereo: 88200 bytes a second. Each row steps the clock and expects the chunks
  // handed back by that step.
  struct Step {
    std::uint32_t milliseconds;
    std::vector<std::uint32_t> chunks;
  };
  SoundBuffer_DS7* buffer = BufferOf(sound_);
  auto run = [&](const std::vector<Step>& steps) {
    std::vector<std::uint32_t> processed;
    for (std::size_t i = 0; i < steps.size(); ++i) {
      headless::StepClockMilliseconds(steps[i].milliseconds);
      buffer->UnqueueProcessedBuffers(&processed);
      EXPECT_EQ(processed, steps[i].chunks) << "step " << i;
    }
  };
  // Small steps: the margin is the played total itself until it reaches 64 KiB, so nothing goes back
  // before 98304 bytes (1.1146 s) have played, and chunk 0 goes first.
  sound_->Play();
  std::vector<Step> small(11, Step{100, {}});  // 97020 bytes
  small.push_back({100, {0}});                 // 105840: 40304 past the margin
  small.push_back({100, {}});
  small.push_back({300, {1}});      // 141120 - 65536 = 75584: chunk 1 left
  small.push_back({1000, {2, 3}});  // 163784 lies in chunk 4, which stays
  run(small);

  // A big first step hands chunk 0 back at once (no margin yet), and again once the margin-shifted
  // position has left it.
  sound_->Stop();
  sound_->Play();
  run({{500, {0}}, {500, {0}}, {100, {}}});
}

TEST_F(StreamTest, TempoChangesHowFastTheRingIsRefilled) {
  // One second at the file's rate, then twice as fast: the device then takes every other frame (at
  // 44100 Hz into a 22050 Hz mix, with no interpolation), and the ring must keep up lap after lap.
  sound_->SetLooping(true);
  manager_->PlaySound(sound_, true);
  auto out = Play(50);  // 22050 frames
  sound_->SetTempo(2.0f);
  const std::uint32_t frames = 22050 + kFrames;  // two more laps of the file
  auto fast = Play(static_cast<int>(kFrames / 441) + 2);
  out.insert(out.end(), fast.begin(), fast.end());
  ASSERT_GE(out.size(), 2u * frames);
  std::int64_t first = -1;
  for (std::size_t frame = 0; frame < frames && first < 0; ++frame) {
    const std::size_t source = (frame < 22050 ? frame : 22050 + 2 * (frame - 22050)) % kFrames;
    if (out[2 * frame] != expected_[2 * source] || out[2 * frame + 1] != expected_[2 * source + 1])
      first = static_cast<std::int64_t>(frame);
  }
  EXPECT_EQ(first, -1);
  // And a one-shot pass at that tempo ends when its data does.
  sound_->SetLooping(false);
  Play(static_cast<int>(kFrames / 2 / 441) + 40);
  EXPECT_EQ(sound_->GetState(), Sound::kStopped);
}

TEST_F(StreamTest, LoopingStreamWrapsSeamlesslyAcrossLaps) {
  sound_->SetLooping(true);
  manager_->PlaySound(sound_, true);
  auto out = Play(static_cast<int>(kFrames * 2.4 / 441));
  EXPECT_EQ(FirstMismatch(out), -1);
  EXPECT_EQ(sound_->GetState(), Sound::kPlaying);
  EXPECT_GT(BufferOf(sound_)->GetPlayedTotal(), 2u * data_.size());

  // Looping switched off in the second lap: the lap plays to its end, then the stream stops.
  manager_->StopSound(sound_, true);
  manager_->PlaySound(sound_, true);
  auto laps = Play(static_cast<int>(kFrames * 1.15 / 441));
  sound_->SetLooping(false);
  auto rest = Play(static_cast<int>(kFrames * 0.85 / 441) + 40);
  laps.insert(laps.end(), rest.begin(), rest.end());
  ASSERT_GT(laps.size(), 2 * expected_.size());
  EXPECT_EQ(FirstMismatch(std::vector<std::int16_t>(laps.begin(), laps.begin() + 2 * expected_.size())), -1);
  EXPECT_TRUE(
      std::all_of(laps.begin() + 2 * expected_.size(), laps.end(), [](std::int16_t s) { return s == 0; }));
  EXPECT_EQ(sound_->GetState(), Sound::kStopped);
}

TEST_F(StreamTest, PausedStreamResumesWherePlayRestartsFromTheBeginning) {
  manager_->PlaySound(sound_, true);
  auto first = Play(600);  // past the first lap of the ring
  manager_->PauseSound(sound_, true);
  auto paused = Play(50);
  EXPECT_TRUE(std::all_of(paused.begin(), paused.end(), [](std::int16_t s) { return s == 0; }));
  manager_->PlaySound(sound_, true);
  auto rest = Play(100);
  first.insert(first.end(), rest.begin(), rest.end());
  EXPECT_EQ(FirstMismatch(first), -1);
  manager_->PlaySound(sound_, true);  // playing: restart
  auto restarted = Play(100);
  EXPECT_EQ(FirstMismatch(restarted), -1);
  // A stopped stream has nothing to resume: pausing it first must not keep the next play from
  // rewinding and refilling the ring (it would play stale chunks from the middle of the file).
  manager_->StopSound(sound_, true);
  manager_->PauseSound(sound_, true);
  manager_->PlaySound(sound_, true);
  auto fromStopped = Play(100);
  EXPECT_EQ(FirstMismatch(fromStopped), -1);
}

TEST_F(SoundBufferTest, OggStreamLoopsSeamlesslyThroughTheReader) {
  // Seven seconds of 44.1 kHz stereo: 1234800 bytes of PCM, so it streams.
  headless::Audio().rate = 44100;
  WriteData("theme.ogg", testsupport::EncodeOgg(2, 44100, 44100L * 7, [](long i, int c) {
              return 0.4f * std::sin(static_cast<float>(i) * (c ? 0.031f : 0.017f));
            }));
  Bytes decoded;
  {
    SoundFileReaderOGG reader(&log_, &files_, "theme.ogg");
    decoded.resize(reader.GetSize());
    std::uint32_t read = 0;
    bool end = false;
    reader.Read(decoded.data(), reader.GetSize(), read, end);
    ASSERT_EQ(read, decoded.size());
  }
  const auto expected = Samples(decoded);
  Start();
  Sound* sound = manager_->CreateSound("theme.ogg");
  ASSERT_TRUE(sound->GetBuffer()->IsStreaming());
  sound->SetLooping(true);
  manager_->PlaySound(sound, true);
  std::vector<std::int16_t> out;
  for (int i = 0; i < 525; ++i) {  // a lap and a half
    auto frame = Frame(20);
    out.insert(out.end(), frame.begin(), frame.end());
  }
  std::size_t mismatches = 0;
  for (std::size_t i = 0; i < out.size(); ++i)
    mismatches += out[i] != expected[i % expected.size()];
  EXPECT_EQ(mismatches, 0u);
  EXPECT_EQ(ErrorCount(), 0);
}

TEST_F(SoundBufferTest, SoundsOfOneShortFileShareOneCopy) {
  Start();
  const Bytes data = soundtest::Pattern16Stereo(500);
  WriteData("ding.wav", soundtest::Wav(2, 22050, 16, data));
  Sound* first = manager_->CreateSound("ding.wav");
  headless::ClearAudioCalls();
  Sound* second = manager_->CreateSound("Ding.WAV");
  EXPECT_EQ(headless::AudioCalls().front(), DsCall::DuplicateSoundBuffer);
  manager_->DestroySound(first);
  headless::ClearAudioCalls();
  Sound* third = manager_->CreateSound("ding.wav");
  EXPECT_EQ(headless::AudioCalls().front(), DsCall::DuplicateSoundBuffer);
  // The copies play the data the first one loaded.
  const auto samples = Samples(data);
  manager_->PlaySound(second, true);
  auto out = Frame(20);
  EXPECT_EQ(std::vector<std::int16_t>(out.begin(), out.begin() + 800),
            std::vector<std::int16_t>(samples.begin(), samples.begin() + 800));
  manager_->DestroySound(second);
  manager_->PlaySound(third, true);
  out = Frame(20);
  EXPECT_EQ(out[0], samples[0]);
}

TEST_F(SoundBufferTest, LostStaticBufferIsRestoredWithItsDataAndAFailedReloadIsOnlyLogged) {
  Start();
  const Bytes data = soundtest::Pattern16Stereo(2000);
  WriteData("loop.wav", soundtest::Wav(2, 22050, 16, data));
  Sound* sound = manager_->CreateSound("loop.wav");
  sound->SetLooping(true);
  manager_->PlaySound(sound, true);
  Frame(20);
  headless::LoseAudioBuffers();
  EXPECT_TRUE(BufferOf(sound)->IsBufferLost());
  manager_->Update(true);  // restores and writes the data again
  EXPECT_FALSE(BufferOf(sound)->IsBufferLost());
  manager_->PlaySound(sound, true);
  auto out = Frame(20);
  EXPECT_EQ(out[0], Samples(data)[0]);
  EXPECT_EQ(out[100], Samples(data)[100]);

  // The file is gone when the buffer is lost again: logged, the sound goes silent, nothing thrown.
  std::filesystem::remove(folder_.Host("data/loop.wav"));
  headless::LoseAudioBuffers();
  log_.ClearRecords();
  EXPECT_NO_THROW(manager_->Update(true));
  EXPECT_GE(ErrorCount(), 1);
  EXPECT_NO_THROW(Frame(20));
  EXPECT_EQ(sound->GetState(), Sound::kStopped);
}

TEST_F(SoundBufferTest, LostStreamStartsAgainFromItsBeginning) {
  Start();
  const Bytes data = soundtest::Pattern16Stereo(300000);
  WriteData("long.wav", soundtest::Wav(2, 22050, 16, data));
  Sound* sound = manager_->CreateSound("long.wav");
  manager_->PlaySound(sound, true);
  for (int i = 0; i < 50; ++i)
    Frame(20);
  headless::LoseAudioBuffers();
  manager_->Update(true);
  EXPECT_EQ(sound->GetState(), Sound::kPlaying);
  auto out = Frame(20);
  const auto samples = Samples(data);
  EXPECT_EQ(std::vector<std::int16_t>(out.begin(), out.begin() + 200),
            std::vector<std::int16_t>(samples.begin(), samples.begin() + 200));
}

TEST_F(SoundBufferTest, FilesThatGiveNoProperSound) {
  Start();
  // Unknown type: logged, eight bytes of silence.
  WriteData("voice.mp3", Bytes(100, 1));
  Sound* odd = manager_->CreateSound("voice.mp3");
  EXPECT_TRUE(Logged("Error: Failed to load \"voice.mp3\" sound file - unknown type"));
  EXPECT_EQ(odd->GetBuffer()->GetSize(), 8u);
  EXPECT_EQ(odd->GetBuffer()->GetBits(), 8u);
  // An empty data chunk: no device buffer of 0 bytes and no data to write, both logged.
  log_.ClearRecords();
  WriteData("empty.wav", soundtest::Wav(1, 22050, 16, Bytes{}));
  Sound* empty = manager_->CreateSound("empty.wav");
  EXPECT_TRUE(Logged("Sound System: DirectSound buffers overflow"));
  EXPECT_TRUE(Logged("\"empty.wav\" sound file - incorrect format"));
  manager_->PlaySound(empty, true);
  Frame(20);
  EXPECT_EQ(empty->GetState(), Sound::kStopped);
  // A missing or malformed file throws and registers nothing.
  WriteData("broken.wav", Bytes(40, 0));
  EXPECT_THROW(manager_->CreateSound("nothere.wav"), FileError);
  EXPECT_THROW(manager_->CreateSound("broken.wav"), FileError);
  EXPECT_EQ(manager_->GetSoundCount(), 2u);
  EXPECT_EQ(manager_->GetBufferManager()->GetBufferCount(), 2u);
}

TEST_F(SoundBufferTest, DeviceRefusalsAreLoggedAndTheSoundStaysQuiet) {
  Start();
  WriteData("a.wav", soundtest::Wav(1, 22050, 16, Bytes(64, 1)));
  headless::Audio().Fail(DsCall::CreateSecondaryBuffer, DSERR_OUTOFMEMORY, 1);
  Sound* sound = manager_->CreateSound("a.wav");
  EXPECT_EQ(DeviceOf(sound), nullptr);
  EXPECT_TRUE(Logged("Sound System: DirectSound buffers overflow"));
  manager_->PlaySound(sound, true);
  EXPECT_EQ(sound->GetState(), Sound::kPlaying);
  Frame(20);
  EXPECT_EQ(sound->GetState(), Sound::kStopped);

  // A copy of a buffer that has no device buffer has none either.
  log_.ClearRecords();
  Sound* copy = manager_->CreateSound("a.wav");
  EXPECT_EQ(DeviceOf(copy), nullptr);
  EXPECT_TRUE(Logged("Sound System: DirectSound buffers overflow"));

  log_.ClearRecords();
  WriteData("c.wav", soundtest::Wav(1, 22050, 16, Bytes(64, 1)));
  headless::Audio().Fail(DsCall::Play, DSERR_BUFFERLOST, 1);
  Sound* other = manager_->CreateSound("c.wav");
  manager_->PlaySound(other, true);
  EXPECT_TRUE(Logged("DirectSound Subsystem (SoundBuffer_DS7::Play): The buffer memory has been lost"));
}

}  // namespace
