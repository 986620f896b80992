// The DirectSound-shaped layer over the headless driver: the test pulls the mixer by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/dsound/DSound.h"
#include "platform/dsound/DSoundLayer.h"
#include "platform/headless/HeadlessAudio.h"

namespace {

using platform::dsound::DsCall;
namespace headless = platform::headless;

class DirectSoundTest : public testing::Test {
 protected:
  void SetUp() override {
    headless::ResetAudio();
    headless::Audio().rate = 22050;
    ASSERT_EQ(DirectSoundCreate(nullptr, &device_, nullptr), DS_OK);
    ASSERT_EQ(device_->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
  }
  void TearDown() override {
    for (auto* b : buffers_)
      b->Release();
    if (device_)
      device_->Release();
    EXPECT_EQ(platform::dsound::LiveObjectCount(), 0);
    headless::ResetAudio();
  }

  IDirectSoundBuffer* Make(WORD channels, WORD bits, DWORD rate, DWORD bytes,
                           DWORD flags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY) {
    WAVEFORMATEX f{WAVE_FORMAT_PCM, channels, rate, 0, static_cast<WORD>(channels * bits / 8), bits, 18};
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    DSBUFFERDESC d{sizeof(DSBUFFERDESC), flags, bytes, 0, &f, GUID_NULL};
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(device_->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
    if (b)
      buffers_.push_back(b);
    return b;
  }

  static void Write(IDirectSoundBuffer* b, DWORD offset, const void* data, DWORD bytes) {
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(offset, bytes, &p1, &n1, &p2, &n2, 0), DS_OK);
    std::memcpy(p1, data, n1);
    if (n2)
      std::memcpy(p2, static_cast<const char*>(data) + n1, n2);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
  }

  static DWORD Status(IDirectSoundBuffer* b) {
    DWORD s = 0xFFFF;
    EXPECT_EQ(b->GetStatus(&s), DS_OK);
    return s;
  }

  IDirectSound* device_ = nullptr;
  std::vector<IDirectSoundBuffer*> buffers_;
};

// A ramp of 16-bit stereo frames: left i, right -i.
std::vector<std::int16_t> Ramp(int frames) {
  std::vector<std::int16_t> v;
  for (int i = 0; i < frames; ++i) {
    v.push_back(static_cast<std::int16_t>(i * 7));
    v.push_back(static_cast<std::int16_t>(-i * 7));
  }
  return v;
}

TEST_F(DirectSoundTest, SameRateFullVolumeCopiesSamplesExactlyAndOneShotEnds) {
  auto ramp = Ramp(1000);
  auto* b = Make(2, 16, 22050, 4000);
  Write(b, 0, ramp.data(), 4000);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  EXPECT_EQ(Status(b), DSBSTATUS_PLAYING);
  auto first = headless::PullAudio(600);
  EXPECT_EQ(std::vector<std::int16_t>(first.begin(), first.end()),
            std::vector<std::int16_t>(ramp.begin(), ramp.begin() + 1200));
  DWORD play = 0, write = 0;
  ASSERT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
  EXPECT_EQ(play, 2400u);
  EXPECT_GT(write, play);
  auto rest = headless::PullAudio(500);
  EXPECT_EQ(std::vector<std::int16_t>(rest.begin(), rest.begin() + 800),
            std::vector<std::int16_t>(ramp.begin() + 1200, ramp.end()));
  EXPECT_EQ(rest[800], 0);  // silence after the end
  EXPECT_EQ(Status(b), 0u);
}

TEST_F(DirectSoundTest, LoopingBufferWrapsWithoutAGap) {
  auto ramp = Ramp(100);
  auto* b = Make(2, 16, 22050, 400);
  Write(b, 0, ramp.data(), 400);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  EXPECT_EQ(Status(b), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
  auto out = headless::PullAudio(350);
  for (int i = 0; i < 350; ++i)
    ASSERT_EQ(out[2 * i], ramp[2 * (i % 100)]) << i;
  EXPECT_NE(Status(b) & DSBSTATUS_PLAYING, 0u);
  ASSERT_EQ(b->Stop(), DS_OK);
  EXPECT_EQ(Status(b), 0u);
  // Stop keeps the position; play resumes there.
  DWORD play = 0;
  ASSERT_EQ(b->GetCurrentPosition(&play, nullptr), DS_OK);
  EXPECT_EQ(play, 50u * 4);
}

TEST_F(DirectSoundTest, EightBitMonoIsCentredAndSpreadToBothChannels) {
  const std::uint8_t data[4] = {128, 255, 0, 192};
  auto* b = Make(1, 8, 22050, 4);
  Write(b, 0, data, 4);
  b->Play(0, 0, 0);
  auto out = headless::PullAudio(4);
  const std::int16_t expected[] = {0, 0, 127 * 256, 127 * 256, -32768, -32768, 64 * 256, 64 * 256};
  EXPECT_EQ(out, std::vector<std::int16_t>(std::begin(expected), std::end(expected)));
}

TEST_F(DirectSoundTest, HalfRateIsInterpolatedAndFrequencyChangesTheStep) {
  const std::int16_t data[] = {0, 0, 1000, 1000, 2000, 2000};
  auto* b = Make(2, 16, 11025, sizeof(data));
  Write(b, 0, data, sizeof(data));
  b->Play(0, 0, 0);
  auto out = headless::PullAudio(6);
  const std::int16_t expected[] = {0, 0, 500, 500, 1000, 1000, 1500, 1500, 2000, 2000, 2000, 2000};
  EXPECT_EQ(out, std::vector<std::int16_t>(std::begin(expected), std::end(expected)));

  ASSERT_EQ(b->SetFrequency(44100), DS_OK);
  DWORD f = 0;
  ASSERT_EQ(b->GetFrequency(&f), DS_OK);
  EXPECT_EQ(f, 44100u);
  ASSERT_EQ(b->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
  ASSERT_EQ(b->GetFrequency(&f), DS_OK);
  EXPECT_EQ(f, 11025u);
  EXPECT_EQ(b->SetFrequency(50), DSERR_INVALIDPARAM);
  auto* fixed = Make(1, 16, 22050, 64, DSBCAPS_CTRLVOLUME);
  EXPECT_EQ(fixed->SetFrequency(22050), DSERR_CONTROLUNAVAIL);
}

TEST_F(DirectSoundTest, VolumeFollowsHundredthsOfADecibel) {
  struct Row {
    LONG volume;
    double factor;
  };
  const Row rows[] = {{0, 1.0}, {-600, 0.501}, {-2000, 0.1}, {-4000, 0.01}, {-10000, 0.0}};
  std::vector<std::int16_t> loud(200, 20000);
  auto* b = Make(2, 16, 22050, 400);
  Write(b, 0, loud.data(), 400);
  for (const Row& row : rows) {
    ASSERT_EQ(b->SetVolume(row.volume), DS_OK);
    LONG got = 1;
    ASSERT_EQ(b->GetVolume(&got), DS_OK);
    EXPECT_EQ(got, row.volume);
    b->SetCurrentPosition(0);
    b->Play(0, 0, 0);
    auto out = headless::PullAudio(10);
    EXPECT_NEAR(out[4], 20000 * row.factor, 20000 * 0.002 + 1) << row.volume;
    b->Stop();
  }
  EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetVolume(-10001), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, VoicesAreSummedWithSaturation) {
  std::vector<std::int16_t> a(200, 20000), c(200, -5000);
  auto* b1 = Make(2, 16, 22050, 400);
  auto* b2 = Make(2, 16, 22050, 400);
  auto* b3 = Make(2, 16, 22050, 400);
  Write(b1, 0, a.data(), 400);
  Write(b2, 0, a.data(), 400);
  Write(b3, 0, c.data(), 400);
  b1->Play(0, 0, 0);
  b3->Play(0, 0, 0);
  EXPECT_EQ(headless::PullAudio(1)[0], 15000);
  b2->Play(0, 0, 0);
  EXPECT_EQ(headless::PullAudio(1)[0], 32767);
}

TEST_F(DirectSoundTest, LockWrapsAroundTheEndInTwoRegions) {
  auto* b = Make(1, 16, 22050, 16);
  void* p1 = nullptr;
  void* p2 = nullptr;
  DWORD n1 = 0, n2 = 0;
  ASSERT_EQ(b->Lock(12, 8, &p1, &n1, &p2, &n2, 0), DS_OK);
  EXPECT_EQ(n1, 4u);
  EXPECT_EQ(n2, 4u);
  ASSERT_NE(p2, nullptr);
  // A second lock before the unlock is refused.
  void* q = nullptr;
  DWORD m = 0;
  EXPECT_EQ(b->Lock(0, 2, &q, &m, nullptr, nullptr, 0), DSERR_INVALIDCALL);
  const std::int16_t tail[] = {100, 200}, head[] = {300, 400};
  std::memcpy(p1, tail, 4);
  std::memcpy(p2, head, 4);
  ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
  b->Play(0, 0, 0);
  auto out = headless::PullAudio(8);
  const std::int16_t expected[] = {300, 300, 400, 400, 0, 0, 0, 0, 0, 0, 0, 0, 100, 100, 200, 200};
  EXPECT_EQ(out, std::vector<std::int16_t>(std::begin(expected), std::end(expected)));

  struct Bad {
    DWORD offset, bytes;
  };
  for (Bad bad : {Bad{0, 0}, Bad{0, 17}, Bad{16, 2}}) {
    EXPECT_EQ(b->Lock(bad.offset, bad.bytes, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM)
        << bad.offset << "+" << bad.bytes;
  }
  // Only what was unlocked reaches the buffer: a partial unlock keeps the old bytes after it.
  ASSERT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
  EXPECT_EQ(n1, 16u);
  std::memset(p1, 0x11, 16);
  ASSERT_EQ(b->Unlock(p1, 2, nullptr, 0), DS_OK);
  b->SetCurrentPosition(0);
  b->Play(0, 0, 0);
  out = headless::PullAudio(2);
  EXPECT_EQ(out[0], 0x1111);
  EXPECT_EQ(out[2], 400);
}

TEST_F(DirectSoundTest, DuplicatesShareDataButNotPositionOrVolume) {
  std::vector<std::int16_t> v(200, 1000);
  auto* original = Make(2, 16, 22050, 400);
  IDirectSoundBuffer* copy = nullptr;
  ASSERT_EQ(device_->DuplicateSoundBuffer(original, &copy), DS_OK);
  buffers_.push_back(copy);
  Write(original, 0, v.data(), 400);  // written after duplicating: the copy sees it
  copy->Play(0, 0, 0);
  EXPECT_EQ(headless::PullAudio(10)[0], 1000);
  EXPECT_EQ(Status(original), 0u);
  original->SetVolume(-10000);
  EXPECT_EQ(headless::PullAudio(1)[0], 1000);
  // Releasing the original leaves the copy playable.
  original->Release();
  buffers_.erase(buffers_.begin());
  EXPECT_EQ(headless::PullAudio(1)[0], 1000);

  IDirectSoundBuffer* primary = nullptr;
  DSBUFFERDESC d{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr, GUID_NULL};
  ASSERT_EQ(device_->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
  IDirectSoundBuffer* bad = nullptr;
  EXPECT_EQ(device_->DuplicateSoundBuffer(primary, &bad), DSERR_INVALIDPARAM);
  primary->Release();
}

TEST_F(DirectSoundTest, LostBuffersRefuseUntilRestoredAndComeBackSilent) {
  std::vector<std::int16_t> v(200, 1000);
  auto* b = Make(2, 16, 22050, 400);
  IDirectSoundBuffer* primary = nullptr;
  DSBUFFERDESC d{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME, 0, 0, nullptr, GUID_NULL};
  ASSERT_EQ(device_->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
  Write(b, 0, v.data(), 400);
  b->Play(0, 0, DSBPLAY_LOOPING);
  headless::LoseAudioBuffers();
  EXPECT_EQ(Status(b), DSBSTATUS_BUFFERLOST);
  EXPECT_EQ(Status(primary), DSBSTATUS_BUFFERLOST);
  EXPECT_EQ(b->Play(0, 0, 0), DSERR_BUFFERLOST);
  void* p = nullptr;
  DWORD n = 0;
  EXPECT_EQ(b->Lock(0, 4, &p, &n, nullptr, nullptr, 0), DSERR_BUFFERLOST);
  EXPECT_EQ(headless::PullAudio(1)[0], 0);
  ASSERT_EQ(b->Restore(), DS_OK);
  ASSERT_EQ(primary->Restore(), DS_OK);
  EXPECT_EQ(Status(b), 0u);
  EXPECT_EQ(Status(primary), 0u);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  EXPECT_EQ(headless::PullAudio(1)[0], 0);  // the data did not survive
  primary->Release();
}

TEST_F(DirectSoundTest, DeferredThreeDSettingsWaitForTheCommit) {
  IDirectSoundBuffer* primary = nullptr;
  DSBUFFERDESC d{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D, 0, 0, nullptr, GUID_NULL};
  ASSERT_EQ(device_->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
  IDirectSound3DListener* listener = nullptr;
  ASSERT_EQ(primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener)), DS_OK);
  std::vector<std::int16_t> v(100, 8000);
  auto* b = Make(1, 16, 22050, 200, DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME);
  IDirectSound3DBuffer* b3 = nullptr;
  ASSERT_EQ(b->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&b3)), DS_OK);
  Write(b, 0, v.data(), 200);
  b->Play(0, 0, DSBPLAY_LOOPING);
  EXPECT_EQ(headless::PullAudio(1)[0], 8000);
  ASSERT_EQ(b3->SetPosition(0, 0, 4, DS3D_DEFERRED), DS_OK);
  EXPECT_EQ(headless::PullAudio(1)[0], 8000);
  ASSERT_EQ(listener->CommitDeferredSettings(), DS_OK);
  auto out = headless::PullAudio(1);
  EXPECT_EQ(out[0], 2000);  // a quarter at four units straight ahead
  EXPECT_EQ(out[1], 2000);
  listener->SetPosition(0, 0, 3, DS3D_IMMEDIATE);
  EXPECT_EQ(headless::PullAudio(1)[0], 8000);
  // A position that is not a number plays at full gain rather than reaching an undefined conversion
  // on the mixing thread; one infinitely far away is silent.
  ASSERT_EQ(b3->SetPosition(std::nanf(""), 0, 4, DS3D_IMMEDIATE), DS_OK);
  out = headless::PullAudio(1);
  EXPECT_EQ(out[0], 8000);
  EXPECT_EQ(out[1], 8000);
  ASSERT_EQ(b3->SetPosition(INFINITY, 0, 0, DS3D_IMMEDIATE), DS_OK);
  out = headless::PullAudio(1);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 0);
  // A stereo buffer cannot be 3-D; a plain buffer has no 3-D interface.
  WAVEFORMATEX f{WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
  DSBUFFERDESC sd{sizeof(DSBUFFERDESC), DSBCAPS_CTRL3D, 64, 0, &f, GUID_NULL};
  IDirectSoundBuffer* stereo = nullptr;
  EXPECT_EQ(device_->CreateSoundBuffer(&sd, &stereo, nullptr), DSERR_INVALIDPARAM);
  auto* plain = Make(1, 16, 22050, 64);
  void* none = nullptr;
  EXPECT_EQ(plain->QueryInterface(IID_IDirectSound3DBuffer, &none), DSERR_NOINTERFACE);
  b3->Release();
  listener->Release();
  primary->Release();
}

TEST_F(DirectSoundTest, PrimaryBufferTakesOnlyValidPcmFormats) {
  IDirectSoundBuffer* primary = nullptr;
  DSBUFFERDESC d{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME, 0, 0, nullptr, GUID_NULL};
  ASSERT_EQ(device_->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
  WAVEFORMATEX good{WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
  EXPECT_EQ(primary->SetFormat(&good), DS_OK);
  WAVEFORMATEX badAlign = good;
  badAlign.nBlockAlign = 3;
  WAVEFORMATEX badTag = good;
  badTag.wFormatTag = 3;
  EXPECT_EQ(primary->SetFormat(&badAlign), DSERR_BADFORMAT);
  EXPECT_EQ(primary->SetFormat(&badTag), DSERR_BADFORMAT);
  void* none = nullptr;
  EXPECT_EQ(primary->QueryInterface(IID_IDirectSound3DListener, &none), DSERR_NOINTERFACE);
  DSBUFFERDESC wrongSize = d;
  wrongSize.dwSize = 20;
  IDirectSoundBuffer* other = nullptr;
  EXPECT_EQ(device_->CreateSoundBuffer(&wrongSize, &other, nullptr), DSERR_INVALIDPARAM);
  primary->Release();
}

TEST(DirectSoundSetUp, PlannedFaultsAndNoDeviceAreReported) {
  headless::ResetAudio();
  headless::Audio().refuseDevice = true;
  IDirectSound* device = reinterpret_cast<IDirectSound*>(1);
  EXPECT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DSERR_NODRIVER);
  EXPECT_EQ(device, nullptr);
  EXPECT_FALSE(headless::IsAudioOpen());

  headless::ResetAudio();
  headless::Audio().Fail(DsCall::SetCooperativeLevel, DSERR_ALLOCATED, 1);
  ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
  EXPECT_TRUE(headless::IsAudioOpen());
  EXPECT_EQ(device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DSERR_ALLOCATED);
  EXPECT_EQ(device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);  // only once
  WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  DSBUFFERDESC d{sizeof(DSBUFFERDESC), DSBCAPS_CTRLVOLUME, 64, 0, &f, GUID_NULL};
  IDirectSoundBuffer* b = nullptr;
  ASSERT_EQ(device->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
  // The buffer outlives the device object; the device closes with the last object.
  device->Release();
  EXPECT_TRUE(headless::IsAudioOpen());
  EXPECT_EQ(b->Play(0, 0, 0), DS_OK);
  b->Release();
  EXPECT_FALSE(headless::IsAudioOpen());
  EXPECT_EQ(platform::dsound::LiveObjectCount(), 0);
  const std::vector<DsCall> expected = {DsCall::CreateDevice,          DsCall::SetCooperativeLevel,
                                        DsCall::SetCooperativeLevel,   DsCall::CreateSecondaryBuffer,
                                        DsCall::ReleaseDevice,         DsCall::Play,
                                        DsCall::ReleaseSecondaryBuffer};
  EXPECT_EQ(headless::AudioCalls(), expected);
  headless::ResetAudio();
}

}  // namespace
