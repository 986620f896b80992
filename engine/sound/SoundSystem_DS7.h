#pragma once
// SoundSystem_DS7: the sound system over the DirectSound-shaped layer. Construction opens the device
// with priority access, creates the primary buffer (22050 Hz, 16-bit stereo) and, with 3-D sound, the
// listener; each step is logged, and a failed step releases what was made and throws `Error` with an
// empty text (a missing listener only switches 3-D off). ErrorText turns a failed device call into one
// log line "DirectSound Subsystem (<method>): <text>".

#include <string>

#include "engine/sound/SoundSystem.h"
#include "platform/dsound/DSound.h"

namespace CorvantisEngine {

class TimerManager;
class Window;

class SoundSystem_DS7 : public SoundSystem {
 public:
  SoundSystem_DS7(MessageManager* log, FileManager* fileManager, TimerManager* timerManager, Config* config,
                  Window* window, bool use3D);
  ~SoundSystem_DS7() override;

  // Restores a lost primary buffer and commits deferred 3-D settings.
  void Refresh() override;
  Sound* CreateSound(const std::string& fileName) override;
  Sound* CreateSoundShared(const Sound& other) override;
  SoundBuffer* CreateSoundBuffer(const std::string& fileName) override;
  SoundBuffer* CreateSoundBufferCopy(const SoundBuffer& other) override;
  void SetListenerPosition(const Vector3& position) override;
  void SetListenerOrientation(const Vector3& front, const Vector3& top) override;

  // Logs a failed call; a result of 0 logs nothing, any other (success codes too) is logged.
  void ErrorText(const std::string& methodName, HRESULT result) const;
  // The text of a DirectSound result, or "Unknown error (Code: <signed decimal>)".
  static std::string ResultText(HRESULT result);

  IDirectSound* GetDevice() const { return device_; }
  TimerManager* GetTimerManager() const { return timerManager_; }

 private:
  void ReleaseAll();
  [[noreturn]] void FailSetUp(const std::string& text);

  TimerManager* timerManager_;
  Window* window_;
  IDirectSound* device_ = nullptr;
  IDirectSoundBuffer* primaryBuffer_ = nullptr;
  IDirectSound3DListener* listener_ = nullptr;
};

}  // namespace CorvantisEngine
