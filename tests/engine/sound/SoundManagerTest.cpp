// Sound and buffer managers: slots, look-ups, the command queue and ownership.
#include <gtest/gtest.h>

#include "SoundTestBase.h"
#include "engine/core/Error.h"
#include "platform/dsound/DSoundLayer.h"

namespace {

using namespace CorvantisEngine;
using platform::dsound::DsCall;
using soundtest::Bytes;
namespace headless = platform::headless;

class SoundManagerTest : public soundtest::SoundTestBase {
 protected:
  void SetUp() override {
    WriteData("a.wav", soundtest::Wav(1, 22050, 16, Bytes(4410, 1)));
    WriteData("b.wav", soundtest::Wav(1, 22050, 16, Bytes(4410, 2)));
    Start();
  }
  // The device calls made on behalf of one sound's buffer since the last clear are hard to tell apart,
  // so the queue tests read the sound's own state and the device status instead.
  static bool DevicePlaying(Sound* sound) { return BufferOf(sound)->IsPlaying(); }
};

TEST_F(SoundManagerTest, FreedSlotsAreReusedMostRecentFirst) {
  std::vector<Sound*> sounds;
  for (int i = 0; i < 6; ++i)
    sounds.push_back(manager_->CreateSound(i % 2 ? "a.wav" : "b.wav"));
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(manager_->GetSlotOf(sounds[i]), i);
  manager_->DestroySound(sounds[2]);
  manager_->DestroySound(sounds[5]);
  EXPECT_EQ(manager_->GetSoundCount(), 4u);
  Sound* first = manager_->CreateSound("a.wav");
  Sound* second = manager_->CreateSound("a.wav");
  EXPECT_EQ(manager_->GetSlotOf(first), 5);
  EXPECT_EQ(manager_->GetSlotOf(second), 2);
  // Order of creation, not slot order.
  EXPECT_EQ(manager_->GetSound(4), first);
  EXPECT_EQ(manager_->GetSound(5), second);
  // Buffers follow their sounds.
  EXPECT_EQ(manager_->GetBufferManager()->GetBufferCount(), 6u);
}

TEST_F(SoundManagerTest, LookUpsAndIgnoredArguments) {
  Sound* a = manager_->CreateSound("a.wav");
  Sound* b = manager_->CreateSound("b.wav");
  EXPECT_EQ(manager_->GetSound(0), a);
  manager_->DestroySound(a);
  EXPECT_EQ(manager_->GetSound(0), b);
  EXPECT_EQ(manager_->GetSound(1), nullptr);
  EXPECT_EQ(manager_->GetSound(0xFFFFFFFFu), nullptr);
  // Null, a stranger and a second destroy are ignored.
  manager_->DestroySound(nullptr);
  manager_->DestroySound(a);
  manager_->GetBufferManager()->ReleaseBuffer(nullptr);
  EXPECT_EQ(manager_->GetSoundCount(), 1u);
  // So are actions on null, at once or queued.
  manager_->PlaySound(nullptr, true);
  manager_->PauseSound(nullptr, false);
  manager_->StopSound(nullptr, false);
  EXPECT_EQ(manager_->GetQueuedCount(), 0u);
  // A file that fails to load costs no slot.
  EXPECT_THROW(manager_->CreateSound("missing.wav"), FileError);
  EXPECT_EQ(manager_->GetSlotOf(manager_->CreateSound("a.wav")), 0);
}

TEST_F(SoundManagerTest, QueuedCommandsWaitForTheFrameEndAndRunInOrder) {
  Sound* a = manager_->CreateSound("a.wav");
  Sound* b = manager_->CreateSound("b.wav");
  manager_->PlaySound(a, false);
  manager_->StopSound(a, false);
  manager_->PlaySound(b, false);
  EXPECT_EQ(manager_->GetQueuedCount(), 3u);
  // Update(false) leaves the queue alone but still updates sounds.
  manager_->Update(false);
  EXPECT_EQ(manager_->GetQueuedCount(), 3u);
  EXPECT_EQ(a->GetState(), Sound::kStopped);
  EXPECT_EQ(b->GetState(), Sound::kStopped);
  headless::ClearAudioCalls();
  manager_->Update(true);
  EXPECT_EQ(manager_->GetQueuedCount(), 0u);
  // a was started and then stopped in the same frame end; b plays.
  const auto& calls = headless::AudioCalls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), DsCall::Play), 2);
  EXPECT_EQ(a->GetState(), Sound::kStopped);
  EXPECT_FALSE(DevicePlaying(a));
  EXPECT_EQ(b->GetState(), Sound::kPlaying);
  EXPECT_TRUE(DevicePlaying(b));

  manager_->PauseSound(b, false);
  manager_->ClearQueue();
  manager_->Update(true);
  EXPECT_EQ(b->GetState(), Sound::kPlaying);
  manager_->PauseSound(b, false);
  manager_->Update(true);
  EXPECT_EQ(b->GetState(), Sound::kPaused);
}

TEST_F(SoundManagerTest, DestroyingASoundDropsItsQueuedCommands) {
  Sound* a = manager_->CreateSound("a.wav");
  Sound* b = manager_->CreateSound("b.wav");
  manager_->PlaySound(a, false);
  manager_->PlaySound(b, false);
  manager_->StopSound(a, false);
  manager_->DestroySound(a);
  EXPECT_EQ(manager_->GetQueuedCount(), 1u);
  manager_->Update(true);  // must not touch the deleted sound (the sanitizer build would tell)
  EXPECT_EQ(b->GetState(), Sound::kPlaying);
}

TEST_F(SoundManagerTest, ManagerOwnsSoundsAndBuffersAndGivesBackTheDevice) {
  const int before = platform::dsound::LiveObjectCount();
  manager_->CreateSound("a.wav");
  manager_->CreateSound("a.wav");
  Sound* b = manager_->CreateSound("b.wav");
  manager_->PlaySound(b, false);
  EXPECT_EQ(platform::dsound::LiveObjectCount(), before + 3);
  manager_.reset();
  EXPECT_EQ(platform::dsound::LiveObjectCount(), before);
  EXPECT_EQ(system_->GetBufferManager(), nullptr);
  system_.reset();
  EXPECT_EQ(platform::dsound::LiveObjectCount(), 0);
  EXPECT_FALSE(headless::IsAudioOpen());
}

TEST_F(SoundManagerTest, CopiedSoundKeepsTheSettingsOfItsOriginal) {
  Sound* a = manager_->CreateSound("a.wav");
  a->SetVolume(0.5f);
  a->SetTempo(2.0f);
  a->SetLooping(true);
  std::unique_ptr<Sound> copy(system_->CreateSoundShared(*a));
  EXPECT_EQ(copy->GetState(), Sound::kStopped);
  EXPECT_TRUE(copy->IsLooping());
  LONG volume = 0;
  DWORD frequency = 0;
  DeviceOf(copy.get())->GetVolume(&volume);
  DeviceOf(copy.get())->GetFrequency(&frequency);
  EXPECT_EQ(volume, -693);
  EXPECT_EQ(frequency, 44100u);
  EXPECT_NE(copy->GetBuffer(), a->GetBuffer());
}

}  // namespace
