#include "engine/sound/SoundBuffer_DS7.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Timer.h"
#include "engine/core/TimerManager.h"
#include "engine/sound/SoundFileReader.h"
#include "engine/sound/SoundSystem_DS7.h"

namespace CorvantisEngine {

SoundBuffer_DS7::SoundBuffer_DS7(MessageManager* log, FileManager* fileManager, TimerManager* timerManager,
                                 SoundSystem_DS7* soundSystem, const std::string& fileName)
    : SoundBuffer(log, fileManager, fileName),
      timerManager_(timerManager),
      soundSystem_(soundSystem),
      device_(soundSystem->GetDevice()) {
  try {
    Load(nullptr);
  } catch (...) {
    // The reader threw before anything was made on the device, but stay exact about what was made.
    if (streamTimer_)
      timerManager_->DeleteTimer(streamTimer_);
    streamTimer_ = nullptr;
    Release();
    throw;
  }
  ringPosition_ = 0;
  playedTotal_ = 0;
  finished_ = 0;
  volume_ = 1.0f;
  // The ring is made when the stream first plays.
  DropRing();
}

void SoundBuffer_DS7::TakeRing() {
  if (!streaming_ || buffer_)
    return;
  CreateBuffer(nullptr);
  if (!buffer_)
    return;
  SetVolume(volume_);
  const float tempo = tempo_;
  frequency_ = 0;
  if (tempo != 1.0f)
    SetTempo(tempo);
  SetPosition(position_);
}

void SoundBuffer_DS7::DropRing() {
  if (streaming_ && streamState_ == kStreamStopped)
    Release();
}

SoundBuffer_DS7::SoundBuffer_DS7(const SoundBuffer_DS7& other)
    : SoundBuffer(other.log_, other.fileManager_, other.name_),
      timerManager_(other.timerManager_),
      soundSystem_(other.soundSystem_),
      device_(other.device_) {
  Load(&other);
}

SoundBuffer_DS7::~SoundBuffer_DS7() {
  if (streamTimer_)
    timerManager_->DeleteTimer(streamTimer_);
  streamTimer_ = nullptr;
  CloseReader();
  Release();
}

void SoundBuffer_DS7::CloseReader() {
  SoundBuffer::CloseReader();
  if (streaming_)
    Release();
}

void SoundBuffer_DS7::CreateBuffer(const SoundBuffer* source) {
  if (buffer_)
    return;
  const bool mono3D = soundSystem_->Is3D() && channels_ == 1;
  if (streaming_ && !streamTimer_) {
    streamTimer_ = timerManager_->CreateTimer(0.0f, false);
    streamTimer_->Reset(0.0f);
    streamTimer_->SetPaused(true);
  }
  if (source) {
    const auto* original = static_cast<const SoundBuffer_DS7*>(source);
    if (!original->buffer_ || device_->DuplicateSoundBuffer(original->buffer_, &buffer_) != DS_OK) {
      buffer_ = nullptr;
      log_->Error("Sound System: DirectSound buffers overflow");
    }
  } else {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels_);
    format.nSamplesPerSec = rate_;
    format.nBlockAlign = static_cast<WORD>(channels_ * bits_ / 8);
    format.nAvgBytesPerSec = rate_ * format.nBlockAlign;
    format.wBitsPerSample = static_cast<WORD>(bits_);
    format.cbSize = 18;
    DSBUFFERDESC description{};
    description.dwSize = sizeof(DSBUFFERDESC);
    description.dwFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME;
    if (mono3D)
      description.dwFlags |= DSBCAPS_CTRL3D;
    if (!streaming_)
      description.dwFlags |= DSBCAPS_STATIC;
    description.dwBufferBytes = streaming_ ? kRingBytes : size_;
    description.lpwfxFormat = &format;
    description.guid3DAlgorithm = GUID_NULL;
    if (device_->CreateSoundBuffer(&description, &buffer_, nullptr) != DS_OK) {
      buffer_ = nullptr;
      log_->Error("Sound System: DirectSound buffers overflow");
    }
  }
  if (buffer_ && mono3D) {
    if (buffer_->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<LPVOID*>(&buffer3D_)) != DS_OK) {
      buffer3D_ = nullptr;
      log_->Error("Sound System: Failed to get the 3D buffer from the secondary buffer");
    }
  }
}

void SoundBuffer_DS7::Release() {
  if (buffer3D_) {
    buffer3D_->Release();
    buffer3D_ = nullptr;
  }
  if (buffer_) {
    buffer_->Release();
    buffer_ = nullptr;
  }
}

bool SoundBuffer_DS7::WriteData(std::uint32_t chunk, const std::uint8_t* data, std::uint32_t bytes) {
  if (!buffer_)
    return true;
  void* first = nullptr;
  void* second = nullptr;
  DWORD firstBytes = 0, secondBytes = 0;
  if (buffer_->Lock(chunk * kChunkBytes, bytes, &first, &firstBytes, &second, &secondBytes, 0) != DS_OK) {
    return false;
  }
  const std::uint32_t firstPart = std::min<std::uint32_t>(bytes, firstBytes);
  std::memcpy(first, data, firstPart);
  if (second) {
    std::memcpy(second, data + firstBytes, std::min<std::uint32_t>(bytes - firstPart, secondBytes));
  }
  return buffer_->Unlock(first, firstBytes, second, secondBytes) == DS_OK;
}

void SoundBuffer_DS7::UnqueueProcessedBuffers(std::vector<std::uint32_t>* processed) {
  if (!processed)
    return;
  processed->clear();
  if (!buffer_ || !IsPlaying() || finished_ || !streamTimer_)
    return;
  const std::uint32_t bytesPerSecond = PlayedBytesPerSecond();
  if (bytesPerSecond == 0)
    return;

  std::uint32_t played = static_cast<std::uint32_t>(
      static_cast<std::uint64_t>(static_cast<double>(streamTimer_->GetTime()) * bytesPerSecond));
  while (played >= kRingBytes) {
    played -= kRingBytes;
    // Keep the fraction of a second: whole seconds alone would lose up to a second a lap.
    streamTimer_->Reset(static_cast<float>(static_cast<double>(played) / bytesPerSecond));
  }
  const std::uint32_t advanced =
      played >= ringPosition_ ? played - ringPosition_ : played + kRingBytes - ringPosition_;

  const std::uint64_t margin = std::min<std::uint64_t>(playedTotal_, kMarginBytes);
  std::int64_t start = static_cast<std::int64_t>(playedTotal_ - margin);
  playedTotal_ += advanced;
  std::int64_t end = static_cast<std::int64_t>(playedTotal_ - margin);
  while (end >= 2 * static_cast<std::int64_t>(kRingBytes)) {
    start -= kRingBytes;
    end -= kRingBytes;
  }

  // Two laps of the ring: a chunk goes back once the span [start, end] touches it and end has left it.
  const std::int64_t half = (end - start) / 2;
  const std::int64_t middle = start + half;
  for (std::uint32_t i = 0; i < 2 * kChunkCount; ++i) {
    const std::int64_t chunkStart = static_cast<std::int64_t>(i) * kChunkBytes;
    const std::int64_t chunkEnd = chunkStart + kChunkBytes;
    const std::uint32_t chunk = i % kChunkCount;
    const bool holdsEnd = end >= chunkStart && end <= chunkEnd;
    const bool touches = std::llabs((chunkStart + kChunkBytes / 2) - middle) <= kChunkBytes / 2 + half;
    if (!holdsEnd && touches && std::find(processed->begin(), processed->end(), chunk) == processed->end()) {
      processed->push_back(chunk);
    }
  }
  ringPosition_ = played;

  // The end is where the reader ran out (the sound's size when it never looped), one chunk later.
  if (!looping_ && !finished_ && streamEnd_ != kNoStreamEnd && playedTotal_ > streamEnd_ + kChunkBytes) {
    soundSystem_->ErrorText("SoundBuffer_DS7::UnqueueProcessedBuffers", buffer_->Stop());
    finished_ = 1;
    streamTimer_->Reset(0.0f);
    streamTimer_->SetPaused(true);
  }
}

void SoundBuffer_DS7::Play(bool looping) {
  if (!buffer_)
    return;
  soundSystem_->ErrorText("SoundBuffer_DS7::Play",
                          buffer_->Play(0, 0, (looping || streaming_) ? DSBPLAY_LOOPING : 0));
  finished_ = 0;
  if (streaming_ && streamTimer_)
    streamTimer_->SetPaused(false);
}

void SoundBuffer_DS7::Pause() {
  if (!buffer_)
    return;
  soundSystem_->ErrorText("SoundBuffer_DS7::Pause", buffer_->Stop());
  if (streaming_ && streamTimer_)
    streamTimer_->SetPaused(true);
}

void SoundBuffer_DS7::Stop() {
  if (!buffer_)
    return;
  soundSystem_->ErrorText("SoundBuffer_DS7::Stop", buffer_->Stop());
  soundSystem_->ErrorText("SoundBuffer_DS7::Stop", buffer_->SetCurrentPosition(0));
  ringPosition_ = 0;
  playedTotal_ = 0;
  if (streaming_ && streamTimer_) {
    streamTimer_->Reset(0.0f);
    streamTimer_->SetPaused(true);
  }
}

bool SoundBuffer_DS7::IsPlaying() const {
  if (!buffer_)
    return false;
  DWORD status = 0;
  soundSystem_->ErrorText("SoundBuffer_DS7::IsPlaying", buffer_->GetStatus(&status));
  return (status & DSBSTATUS_PLAYING) != 0;
}

bool SoundBuffer_DS7::IsBufferLost() const {
  if (!buffer_)
    return false;
  DWORD status = 0;
  soundSystem_->ErrorText("SoundBuffer_DS7::IsPlaying", buffer_->GetStatus(&status));
  return (status & DSBSTATUS_BUFFERLOST) != 0;
}

bool SoundBuffer_DS7::RestoreBuffer() {
  if (!buffer_)
    return false;
  if (buffer_->Restore() != DS_OK)
    return false;
  if (streaming_)
    return true;
  try {
    Load(nullptr);
  } catch (const Error& error) {
    // The file went away since the sound was loaded: the buffer stays silent and the sound says so.
    log_->Error(error.GetMessage());
    return false;
  }
  return LoadSucceeded();
}

void SoundBuffer_DS7::SetVolume(float volume) {
  volume_ = std::min(volume, 1.0f);
  if (!buffer_)
    return;
  soundSystem_->ErrorText("SoundBuffer_DS7::SetVolume", buffer_->SetVolume(VolumeToAttenuation(volume_)));
}

void SoundBuffer_DS7::SetTempo(float tempo) {
  tempo_ = tempo;
  if (!buffer_)
    return;
  const double frequency = static_cast<double>(rate_) * static_cast<double>(tempo);
  // NaN and rates at or below zero ask for no rate, which the device takes as the original one.
  const DWORD value = !(frequency > 0.0) ? 0 : static_cast<DWORD>(std::min(frequency, 4294967295.0));
  const HRESULT result = buffer_->SetFrequency(value);
  soundSystem_->ErrorText("SoundBuffer_DS7::SetTempo", result);
  if (result != DS_OK)
    return;
  const std::uint32_t before = PlayedBytesPerSecond();
  frequency_ = value == DSBFREQUENCY_ORIGINAL ? rate_ : value;
  const std::uint32_t after = PlayedBytesPerSecond();
  // The stream timer measures time played; what it has measured so far went at the old rate, so it is
  // rescaled to keep the estimated position where the device is.
  if (streamTimer_ && before != 0 && after != 0 && before != after) {
    const bool paused = streamTimer_->IsPaused();
    streamTimer_->Reset(static_cast<float>(streamTimer_->GetTimeExact() * before / after));
    if (paused)
      streamTimer_->SetPaused(true);
  }
}

std::uint32_t SoundBuffer_DS7::PlayedBytesPerSecond() const {
  const std::uint32_t frequency = frequency_ != 0 ? frequency_ : rate_;
  return frequency * channels_ * bits_ / 8;
}

void SoundBuffer_DS7::SetPosition(const Vector3& position) {
  position_ = position;
  if (!buffer3D_)
    return;
  soundSystem_->ErrorText("SoundBuffer_DS7::SetPosition",
                          buffer3D_->SetPosition(position.x, position.y, position.z, DS3D_DEFERRED));
}

std::int32_t SoundBuffer_DS7::VolumeToAttenuation(float volume) {
  if (!(volume >= 0.0001f))  // NaN included
    return -10000;
  const float inverse = 1.0f / volume;
  const float attenuation = -1000.0f * std::log(inverse);
  if (attenuation < -10000.0f)
    return -10000;
  // Only an infinite volume goes past any finite one's result (about 88723); keep the conversion defined.
  return static_cast<std::int32_t>(std::min(attenuation, 100000.0f));
}

}  // namespace CorvantisEngine
