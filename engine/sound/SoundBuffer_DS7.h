#pragma once
// SoundBuffer_DS7: a sound buffer over a DirectSound-shaped secondary buffer. A static sound is one
// device buffer of its size (copies duplicate it and share the data); a stream is a looping 1 MiB
// device buffer whose play position is estimated from a stream timer (millisecond clock, running only
// while the buffer plays) and its current frequency, to hand finished chunks back for refilling, and to
// stop a one-shot stream once it has played out. A stream holds its device buffer only from its play to
// its stop (TakeRing and DropRing): a stopped piece of music costs no ring; the volume, tempo and 3D
// position set meanwhile reach the ring when it is made. Failed device calls are logged through
// SoundSystem_DS7::ErrorText.

#include "engine/core/Vector.h"
#include "engine/sound/SoundBuffer.h"
#include "platform/dsound/DSound.h"

namespace CorvantisEngine {

class TimerManager;
class Timer;
class SoundSystem_DS7;

class SoundBuffer_DS7 : public SoundBuffer {
 public:
  SoundBuffer_DS7(MessageManager* log, FileManager* fileManager, TimerManager* timerManager,
                  SoundSystem_DS7* soundSystem, const std::string& fileName);
  // A buffer over the data of a live static buffer.
  SoundBuffer_DS7(const SoundBuffer_DS7& other);
  ~SoundBuffer_DS7() override;

  SoundBuffer_DS7& operator=(const SoundBuffer_DS7&) = delete;

  // Deletes the reader; a stream's device buffer goes with it, a static one keeps its data.
  void CloseReader() override;
  void CreateBuffer(const SoundBuffer* source) override;
  void Release() override;
  bool WriteData(std::uint32_t chunk, const std::uint8_t* data, std::uint32_t bytes) override;
  void QueueChunk(std::uint32_t chunk) override {}
  void UnqueueProcessedBuffers(std::vector<std::uint32_t>* processed) override;

  void Play(bool looping);
  void Pause();
  void Stop();
  bool IsPlaying() const;
  bool IsBufferLost() const;
  // Restores lost memory and writes a static sound's data again; false when either fails.
  bool RestoreBuffer();
  // 0 silent to 1 full; above 1 is held at 1.
  void SetVolume(float volume);
  // Playback rate factor: the device frequency becomes rate x tempo.
  void SetTempo(float tempo);
  void SetPosition(const Vector3& position);
  // A stream's device buffer: made (with the volume, tempo and position set so far) before a stopped
  // stream plays, given back once it has stopped. Neither does anything for a static sound.
  void TakeRing();
  void DropRing();

  // Hundredths of a decibel: -1000 x ln(1 / v), -10000 for v below 0.0001 or NaN.
  static std::int32_t VolumeToAttenuation(float volume);

  IDirectSoundBuffer* GetDeviceBuffer() const { return buffer_; }
  IDirectSound3DBuffer* Get3DBuffer() const { return buffer3D_; }
  float GetVolume() const { return volume_; }
  std::uint64_t GetPlayedTotal() const { return playedTotal_; }
  bool IsFinished() const { return finished_ != 0; }
  Timer* GetStreamTimer() const { return streamTimer_; }

 private:
  // Bytes of the sound the device consumes per second at its current frequency: what a stream's
  // play position is estimated with.
  std::uint32_t PlayedBytesPerSecond() const;

  TimerManager* timerManager_;
  SoundSystem_DS7* soundSystem_;
  IDirectSound* device_;
  IDirectSoundBuffer* buffer_ = nullptr;
  IDirectSound3DBuffer* buffer3D_ = nullptr;
  std::uint32_t ringPosition_ = 0;
  // 64-bit: a looping stream plays on far past 4 GiB.
  std::uint64_t playedTotal_ = 0;
  std::uint8_t finished_ = 0;
  float volume_ = 1.0f;
  float tempo_ = 1.0f;
  Vector3 position_;
  Timer* streamTimer_ = nullptr;  // owned through the timer manager
  // The device frequency in effect (rate x tempo); 0 until a tempo is set, meaning the file's rate.
  std::uint32_t frequency_ = 0;
};

}  // namespace CorvantisEngine
