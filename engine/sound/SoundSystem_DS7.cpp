#include "engine/sound/SoundSystem_DS7.h"

#include <memory>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/sound/SoundBuffer_DS7.h"
#include "engine/sound/SoundSystemFactory.h"
#include "engine/sound/Sound_DS7.h"
#include "engine/window/Window.h"

namespace CorvantisEngine {

namespace {

struct ResultEntry {
  HRESULT code;
  const char* text;
};

constexpr ResultEntry kResultTexts[] = {
    {DSERR_ACCESSDENIED, "The request failed because access was denied."},
    {DSERR_ALLOCATED,
     "The request failed because resources, such as a priority level, were already in use by another "
     "caller."},
    {DSERR_ALREADYINITIALIZED, "The object is already initialized."},
    {DSERR_BADFORMAT, "The specified wave format is not supported."},
    {DSERR_BUFFERLOST, "The buffer memory has been lost and must be restored."},
    {DSERR_CONTROLUNAVAIL,
     "The buffer control (volume, pan, and so on) requested by the caller is not available."},
    {DSERR_GENERIC, "An undetermined error occurred inside the DirectSound subsystem."},
    {DSERR_INVALIDCALL, "This function is not valid for the current state of this object."},
    {DSERR_INVALIDPARAM, "An invalid parameter was passed to the returning function."},
    {DSERR_NOAGGREGATION, "The object does not support aggregation."},
    {DSERR_NODRIVER, "No sound driver is available for use."},
    {DSERR_NOINTERFACE, "The requested COM interface is not available."},
    {DSERR_OTHERAPPHASPRIO,
     "Another application has a higher priority level, preventing this call from succeeding."},
    {DSERR_OUTOFMEMORY,
     "The DirectSound subsystem could not allocate sufficient memory to complete the caller's request."},
    {DSERR_PRIOLEVELNEEDED,
     "The caller does not have the priority level required for the function to succeed."},
    {DSERR_UNINITIALIZED,
     "The IDirectSound::Initialize method has not been called or has not been called successfully before "
     "other "
     "methods were called."},
    {DSERR_UNSUPPORTED, "The function called is not supported at this time."},
};

}  // namespace

std::unique_ptr<SoundSystem> CreateSoundSystem(MessageManager* log, FileManager* fileManager,
                                               TimerManager* timerManager, Config* config, Window* window,
                                               bool use3D) {
  return std::make_unique<SoundSystem_DS7>(log, fileManager, timerManager, config, window, use3D);
}

SoundSystem_DS7::SoundSystem_DS7(MessageManager* log, FileManager* fileManager, TimerManager* timerManager,
                                 Config* config, Window* window, bool use3D)
    : SoundSystem(log, fileManager, config, use3D), timerManager_(timerManager), window_(window) {
  log_->Message("\nInitialization of DirectSound Subsystem:");

  log_->Message("...Creating a device...");
  const HRESULT created = DirectSoundCreate(nullptr, &device_, nullptr);
  if (created == DSERR_NODRIVER) {
    // A machine without sound (a container, a virtual machine) is normal, not a fault.
    log_->Message("...No sound device: the game runs silent");
    ReleaseAll();
    throw Error("");
  }
  if (created != DS_OK)
    FailSetUp("Failed to create a device");

  log_->Message("...Set cooperative level...");
  if (device_->SetCooperativeLevel(window_ ? window_->GetHandle() : nullptr, DSSCL_PRIORITY) != DS_OK)
    FailSetUp("Failed to set cooperative level");

  log_->Message("...Create primary buffer...");
  DSBUFFERDESC description{};
  description.dwSize = sizeof(DSBUFFERDESC);
  description.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME | (use3D_ ? DSBCAPS_CTRL3D : 0);
  description.guid3DAlgorithm = GUID_NULL;
  if (device_->CreateSoundBuffer(&description, &primaryBuffer_, nullptr) != DS_OK) {
    FailSetUp("Failed to create primary buffer");
  }

  log_->Message("...Set primary buffer format...");
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = 22050;
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(format.wBitsPerSample / 8 * format.nChannels);
  format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
  format.cbSize = 0;
  if (primaryBuffer_->SetFormat(&format) != DS_OK)
    FailSetUp("Failed to set primary buffer format");

  if (use3D_) {
    log_->Message("...Get the 3D listener from the primary buffer...");
    if (primaryBuffer_->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<LPVOID*>(&listener_)) !=
        DS_OK) {
      listener_ = nullptr;
      log_->Error("Failed to get the 3D listener from the primary buffer");
      use3D_ = 0;
    }
  }

  log_->Message("");
  ResetListener();
}

SoundSystem_DS7::~SoundSystem_DS7() {
  ReleaseAll();
}

void SoundSystem_DS7::FailSetUp(const std::string& text) {
  log_->Error(text);
  ReleaseAll();
  throw Error("");
}

void SoundSystem_DS7::ReleaseAll() {
  log_->Message("DirectSound system destroying:");
  if (listener_) {
    log_->Message("...Releasing 3D listener...");
    listener_->Release();
    listener_ = nullptr;
  }
  if (primaryBuffer_) {
    log_->Message("...Releasing primary buffer...");
    primaryBuffer_->Release();
    primaryBuffer_ = nullptr;
  }
  if (device_) {
    log_->Message("...Releasing device...");
    device_->Release();
    device_ = nullptr;
  }
}

void SoundSystem_DS7::Refresh() {
  if (primaryBuffer_) {
    DWORD status = 0;
    const HRESULT result = primaryBuffer_->GetStatus(&status);
    ErrorText("SoundSystem_DS7::Refresh", result);
    if (result == DS_OK && status == DSBSTATUS_BUFFERLOST)
      primaryBuffer_->Restore();
  }
  if (listener_)
    ErrorText("SoundSystem_DS7::Refresh", listener_->CommitDeferredSettings());
}

Sound* SoundSystem_DS7::CreateSound(const std::string& fileName) {
  return new Sound_DS7(log_, this, bufferManager_, fileName);
}

Sound* SoundSystem_DS7::CreateSoundShared(const Sound& other) {
  return new Sound_DS7(static_cast<const Sound_DS7&>(other));
}

SoundBuffer* SoundSystem_DS7::CreateSoundBuffer(const std::string& fileName) {
  return new SoundBuffer_DS7(log_, fileManager_, timerManager_, this, fileName);
}

SoundBuffer* SoundSystem_DS7::CreateSoundBufferCopy(const SoundBuffer& other) {
  return new SoundBuffer_DS7(static_cast<const SoundBuffer_DS7&>(other));
}

void SoundSystem_DS7::SetListenerPosition(const Vector3& position) {
  SoundSystem::SetListenerPosition(position);
  if (listener_)
    listener_->SetPosition(position.x, position.y, position.z, DS3D_DEFERRED);
}

void SoundSystem_DS7::SetListenerOrientation(const Vector3& front, const Vector3& top) {
  SoundSystem::SetListenerOrientation(front, top);
  if (listener_)
    listener_->SetOrientation(front.x, front.y, front.z, top.x, top.y, top.z, DS3D_DEFERRED);
}

std::string SoundSystem_DS7::ResultText(HRESULT result) {
  for (const ResultEntry& entry : kResultTexts) {
    if (entry.code == result)
      return entry.text;
  }
  return "Unknown error (Code: " + IntToString(result) + ")";
}

void SoundSystem_DS7::ErrorText(const std::string& methodName, HRESULT result) const {
  if (result == 0)
    return;
  log_->Error("DirectSound Subsystem (" + methodName + "): " + ResultText(result));
}

}  // namespace CorvantisEngine
