#pragma once
// SoundSystem: the engine's sound device. It opens the output device, owns the primary buffer and the
// optional 3-D listener, makes Sound and SoundBuffer objects for file names, is refreshed once per
// frame and logs every failed device call. SoundSystem_DS7 is the one back end; only the Engine names
// it. The SoundManager, created right after it, hands it the SoundBufferManager that sounds take their
// buffers from.
//
// Main thread only. The system owns its device objects, not what its factories return (the caller
// owns those: in practice the SoundManager and the SoundBufferManager). Construction of the back end
// throws `Error` when the device cannot be set up; factories pass on the readers' `FileError`.

#include <cstdint>
#include <string>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class Config;
class SoundBufferManager;
class Sound;
class SoundBuffer;

class SoundSystem {
 public:
  SoundSystem(MessageManager* log, FileManager* fileManager, Config* config, bool use3D);
  virtual ~SoundSystem();

  SoundSystem(const SoundSystem&) = delete;
  SoundSystem& operator=(const SoundSystem&) = delete;

  virtual void Refresh() {}
  virtual Sound* CreateSound(const std::string& fileName) = 0;
  virtual Sound* CreateSoundShared(const Sound& other) = 0;
  virtual SoundBuffer* CreateSoundBuffer(const std::string& fileName) = 0;
  virtual SoundBuffer* CreateSoundBufferCopy(const SoundBuffer& other) = 0;
  virtual void SetListenerPosition(const Vector3& position);
  virtual void SetListenerOrientation(const Vector3& front, const Vector3& top);
  // Position (0, 0, 0), front (0, 0, -1), top (0, 1, 0).
  virtual void ResetListener();

  // Called once by the SoundManager's constructor; not owned.
  void SetBufferManager(SoundBufferManager* bufferManager) { bufferManager_ = bufferManager; }
  SoundBufferManager* GetBufferManager() const { return bufferManager_; }
  MessageManager* GetLog() const { return log_; }
  FileManager* GetFileManager() const { return fileManager_; }
  bool Is3D() const { return use3D_ != 0; }
  const Vector3& GetListenerPosition() const { return listenerPosition_; }
  const Vector3& GetListenerFront() const { return listenerFront_; }
  const Vector3& GetListenerTop() const { return listenerTop_; }

 protected:
  MessageManager* log_;
  FileManager* fileManager_;
  Config* config_;  // kept, not used
  SoundBufferManager* bufferManager_ = nullptr;
  Vector3 listenerPosition_;
  Vector3 listenerFront_;
  Vector3 listenerTop_;
  std::uint8_t use3D_;
};

}  // namespace CorvantisEngine
