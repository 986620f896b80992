#include "platform/dsound/AudioDriver.h"

#include "platform/headless/HeadlessAudio.h"

namespace platform::dsound {

namespace {
AudioDriverFactory gFactory = nullptr;
}  // namespace

void SetAudioDriverFactory(AudioDriverFactory factory) {
  gFactory = factory;
}

std::unique_ptr<AudioDriver> CreateAudioDriver() {
  return gFactory ? gFactory() : platform::headless::CreateAudioDriver();
}

const char* DsCallName(DsCall call) {
  switch (call) {
    case DsCall::CreateDevice:
      return "CreateDevice";
    case DsCall::SetCooperativeLevel:
      return "SetCooperativeLevel";
    case DsCall::CreatePrimaryBuffer:
      return "CreatePrimaryBuffer";
    case DsCall::CreateSecondaryBuffer:
      return "CreateSecondaryBuffer";
    case DsCall::DuplicateSoundBuffer:
      return "DuplicateSoundBuffer";
    case DsCall::SetFormat:
      return "SetFormat";
    case DsCall::QueryListener:
      return "QueryListener";
    case DsCall::Query3DBuffer:
      return "Query3DBuffer";
    case DsCall::GetStatus:
      return "GetStatus";
    case DsCall::GetCurrentPosition:
      return "GetCurrentPosition";
    case DsCall::SetCurrentPosition:
      return "SetCurrentPosition";
    case DsCall::Lock:
      return "Lock";
    case DsCall::Unlock:
      return "Unlock";
    case DsCall::Play:
      return "Play";
    case DsCall::Stop:
      return "Stop";
    case DsCall::SetVolume:
      return "SetVolume";
    case DsCall::SetFrequency:
      return "SetFrequency";
    case DsCall::Restore:
      return "Restore";
    case DsCall::SetPosition3D:
      return "SetPosition3D";
    case DsCall::SetListenerPosition:
      return "SetListenerPosition";
    case DsCall::SetListenerOrientation:
      return "SetListenerOrientation";
    case DsCall::CommitDeferredSettings:
      return "CommitDeferredSettings";
    case DsCall::ReleaseDevice:
      return "ReleaseDevice";
    case DsCall::ReleasePrimaryBuffer:
      return "ReleasePrimaryBuffer";
    case DsCall::ReleaseSecondaryBuffer:
      return "ReleaseSecondaryBuffer";
    case DsCall::ReleaseListener:
      return "ReleaseListener";
    case DsCall::Release3DBuffer:
      return "Release3DBuffer";
  }
  return "?";
}

}  // namespace platform::dsound
