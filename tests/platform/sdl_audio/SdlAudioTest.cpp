// The DirectSound-shaped layer on SDL's audio device: SDL's own thread pulls the mixer, so a one-shot
// buffer plays out by itself.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/dsound/DSound.h"
#include "platform/dsound/DSoundLayer.h"

namespace {

TEST(SdlAudio, DeviceOpensAndItsThreadPlaysABufferToTheEnd) {
  // Silent and deviceless in CI; a developer's machine may play the short blip.
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  IDirectSound* device = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
  ASSERT_EQ(device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
  WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  DSBUFFERDESC description{sizeof(DSBUFFERDESC), DSBCAPS_CTRLVOLUME, 2205 * 2, 0, &format, GUID_NULL};
  IDirectSoundBuffer* buffer = nullptr;
  ASSERT_EQ(device->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
  buffer->SetVolume(-3000);
  ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
  DWORD status = DSBSTATUS_PLAYING;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while ((status & DSBSTATUS_PLAYING) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    buffer->GetStatus(&status);
  }
  EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u) << "the audio thread never pulled the mixer";
  buffer->Release();
  device->Release();
  EXPECT_EQ(platform::dsound::LiveObjectCount(), 0);
}

}  // namespace
