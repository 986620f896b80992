#pragma once
// The software mixer behind the DirectSound-shaped layer. Every secondary buffer is a Voice: PCM data
// (8-bit unsigned or 16-bit signed, mono or stereo, shared between a buffer and its duplicates), a play
// position, a frequency, a volume in hundredths of a decibel and, for 3-D buffers, a position relative to
// the listener. Mix() resamples each playing voice to the output rate (linear interpolation), applies
// its gain and sums everything into 16-bit stereo with saturation.
//
// Threads: the driver calls Mix() on its own thread; the layer's objects change voices on the main
// thread. Both hold Lock() (a plain mutex) while they touch voices or the listener.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::dsound {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

struct Voice {
  std::shared_ptr<std::vector<std::uint8_t>> data;  // shared with duplicates
  std::uint32_t channels = 1;
  std::uint32_t bits = 16;
  std::uint32_t blockAlign = 2;
  std::uint32_t frames = 0;  // data->size() / blockAlign
  bool playing = false;
  bool looping = false;
  bool lost = false;
  std::uint64_t position = 0;  // frames, 32.32 fixed point
  std::uint32_t frequency = 22050;
  std::int32_t volume = 0;    // hundredths of a decibel, -10000..0
  std::int32_t gain = 65536;  // volume as a Q16 amplitude factor
  bool is3D = false;
  Vec3 position3D;         // in effect
  Vec3 pendingPosition3D;  // set with DS3D_DEFERRED, applied at the next commit
  bool pending3D = false;
};

struct Listener {
  Vec3 position;
  Vec3 front{0, 0, 1};
  Vec3 top{0, 1, 0};
};

class Mixer {
 public:
  explicit Mixer(std::uint32_t outputRate) : outputRate_(outputRate) {}
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  std::uint32_t OutputRate() const { return outputRate_; }
  std::mutex& Lock() { return mutex_; }

  // Fills frames x 2 interleaved 16-bit samples (left, right). Takes the lock.
  void Mix(std::int16_t* out, std::uint32_t frames);

  // Called with the lock held.
  void AddVoice(Voice* voice);
  void RemoveVoice(Voice* voice);
  const std::vector<Voice*>& Voices() const { return voices_; }
  Listener& CurrentListener() { return listener_; }
  Listener& PendingListener() { return pendingListener_; }
  void MarkListenerPending() { listenerPending_ = true; }
  // Applies the deferred listener and 3-D buffer settings.
  void CommitDeferred();
  // Every voice and the primary buffer report lost until restored; playing voices stop.
  void LoseAll();
  bool PrimaryLost() const { return primaryLost_; }
  void SetPrimaryLost(bool lost) { primaryLost_ = lost; }

  // Hundredths of a decibel to a Q16 amplitude factor: 0 gives 65536, -600 about half, -10000 silence.
  static std::int32_t VolumeToGain(std::int32_t volume);

 private:
  void MixVoice(Voice& voice, std::uint32_t frames);
  void GainsFor(const Voice& voice, std::int32_t& left, std::int32_t& right) const;

  std::uint32_t outputRate_;
  std::mutex mutex_;
  std::vector<Voice*> voices_;
  std::vector<std::int32_t> accumulator_;
  Listener listener_;
  Listener pendingListener_;
  bool listenerPending_ = false;
  bool primaryLost_ = false;
};

}  // namespace platform::dsound
