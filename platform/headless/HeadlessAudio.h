#pragma once
// The headless audio driver, the default under the DirectSound-shaped layer. It has no thread: the
// open device is mixed only when a test pulls samples (PullAudio). A process-wide plan set by the test
// decides whether the device opens, at which rate, and which DirectSound calls fail; every call the
// layer makes is recorded in order.
//
// Threads: tests drive it from one thread. ResetAudio() puts the plan and the record back to defaults.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/dsound/AudioDriver.h"
#include "platform/headless/FaultPlan.h"

namespace platform::headless {

struct AudioPlan {
  bool refuseDevice = false;   // Open answers "no device": DirectSoundCreate gives DSERR_NODRIVER
  std::uint32_t rate = 44100;  // output rate of the device

  // The next `times` calls of that kind (every one with kEveryCall) return `result`.
  void Fail(platform::dsound::DsCall call, HRESULT result, int times = 1);
};

AudioPlan& Audio();
void ResetAudio();

std::unique_ptr<platform::dsound::AudioDriver> CreateAudioDriver();

bool IsAudioOpen();
// Mixes `frames` stereo frames from the open device into out (2 x frames samples). False, and silence,
// when no device is open.
bool PullAudio(std::int16_t* out, std::uint32_t frames);
std::vector<std::int16_t> PullAudio(std::uint32_t frames);
// Every buffer of the open device, and its primary buffer, is lost until restored.
void LoseAudioBuffers();

// The calls the layer made, in order, since the last reset (or ClearAudioCalls); the first million.
const std::vector<platform::dsound::DsCall>& AudioCalls();
void ClearAudioCalls();

}  // namespace platform::headless
