#pragma once
// The audio driver under the DirectSound-shaped layer: it opens an output device for 16-bit stereo and
// pulls mixed samples from the layer's Mixer, either on its own thread (SDL's audio device) or when a
// test asks (the headless driver, the default). A program selects the SDL driver through
// platform::sdl::InstallBackend().
//
// Each DirectSound method asks the driver about its call first (Fault): the real driver always answers
// DS_OK; the headless driver records the call and answers from the fault plan the test filled in.

#include <cstdint>
#include <memory>

#include "platform/win32/WinTypes.h"

namespace platform::dsound {

class Mixer;

// The calls a fault plan can refuse (and the headless driver records), one per DirectSound method.
enum class DsCall {
  CreateDevice,
  SetCooperativeLevel,
  CreatePrimaryBuffer,
  CreateSecondaryBuffer,
  DuplicateSoundBuffer,
  SetFormat,
  QueryListener,
  Query3DBuffer,
  GetStatus,
  GetCurrentPosition,
  SetCurrentPosition,
  Lock,
  Unlock,
  Play,
  Stop,
  SetVolume,
  SetFrequency,
  Restore,
  SetPosition3D,
  SetListenerPosition,
  SetListenerOrientation,
  CommitDeferredSettings,
  ReleaseDevice,
  ReleasePrimaryBuffer,
  ReleaseSecondaryBuffer,
  ReleaseListener,
  Release3DBuffer,
};
const char* DsCallName(DsCall call);

class AudioDriver {
 public:
  virtual ~AudioDriver() = default;

  // Opens the output device, 16-bit stereo at about desiredRate. Returns the rate in use, or 0 when
  // there is no device (the layer then answers DSERR_NODRIVER). Nothing is pulled before Start.
  virtual std::uint32_t Open(std::uint32_t desiredRate) = 0;
  // From now on the driver pulls from the mixer (which outlives the driver's Close).
  virtual void Start(Mixer* mixer) = 0;
  // Stops pulling and closes the device; after it returns the mixer is no longer touched.
  virtual void Close() = 0;
  // DS_OK to let the call go ahead; any other result is returned by the method unchanged.
  virtual HRESULT Fault(DsCall call) { return 0; }
};

using AudioDriverFactory = std::unique_ptr<AudioDriver> (*)();

// Null restores the default, the headless driver.
void SetAudioDriverFactory(AudioDriverFactory factory);
std::unique_ptr<AudioDriver> CreateAudioDriver();

}  // namespace platform::dsound
