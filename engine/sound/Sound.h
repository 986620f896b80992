#pragma once
// Sound: one playable instance over a SoundBuffer, with its own loop flag, volume, tempo, 3-D position
// and play state. Sounds are made by the sound system's factories and owned by the SoundManager; a
// sound takes its buffer from the SoundBufferManager by file name (sounds of one short file share one
// copy of its data) and gives it back when it is destroyed. Sound_DS7 is the back end.
//
// Main thread only. Construction passes on the reader's `FileError`; device failures are logged.

#include <cstdint>
#include <string>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class MessageManager;
class SoundBufferManager;
class SoundBuffer;

class Sound {
 public:
  enum State : std::uint32_t { kPlaying = 0, kPaused = 1, kStopped = 2 };

  // Gives the buffer back to the buffer manager.
  virtual ~Sound();

  Sound& operator=(const Sound&) = delete;

  // Once per frame through the SoundManager.
  virtual void Update() {}
  // Starts from the beginning, or resumes a paused sound. True when it plays.
  virtual bool Play() = 0;
  virtual void Pause() = 0;
  virtual void Stop() = 0;
  virtual void SetLooping(bool looping);
  // 0 silent to 1 full; above 1 is held at 1.
  virtual void SetVolume(float volume);
  virtual void SetTempo(float tempo);
  virtual void SetPosition(const Vector3& position);
  virtual std::uint32_t GetState() const = 0;

  const std::string& GetName() const { return name_; }
  SoundBuffer* GetBuffer() const { return buffer_; }
  bool IsLooping() const { return looping_ != 0; }
  float GetVolume() const { return volume_; }
  float GetTempo() const { return tempo_; }
  const Vector3& GetPosition() const { return position_; }

 protected:
  Sound(MessageManager* log, SoundBufferManager* bufferManager, const std::string& fileName);
  Sound(const Sound& other);

  MessageManager* log_;
  SoundBufferManager* bufferManager_;
  std::string name_;
  SoundBuffer* buffer_ = nullptr;  // owned by the buffer manager, held for this sound alone
  std::uint8_t looping_ = 0;
  float volume_ = 1.0f;
  float tempo_ = 1.0f;
  Vector3 position_;
};

}  // namespace CorvantisEngine
