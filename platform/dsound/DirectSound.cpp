// The DirectSound-shaped objects over the mixer: the device, the primary buffer, secondary buffers
// (each a mixer Voice; duplicates share one copy of the data), the 3-D listener and 3-D buffers.

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dsound/AudioDriver.h"
#include "platform/dsound/DSound.h"
#include "platform/dsound/DSoundLayer.h"
#include "platform/dsound/Mixer.h"

namespace platform::dsound {

namespace {

constexpr std::uint32_t kDesiredRate = 44100;

std::atomic<int> gLiveObjects{0};

// What a device and all its objects share: the driver and the mixer it pulls. The last object to go
// closes the driver before the mixer is destroyed.
struct DeviceCore {
  std::unique_ptr<AudioDriver> driver;
  std::unique_ptr<Mixer> mixer;
  DWORD cooperativeLevel = 0;
  IDirectSoundBuffer* primary = nullptr;  // not owned: the primary buffer clears it when it goes

  ~DeviceCore() {
    if (driver)
      driver->Close();
  }
  HRESULT Fault(DsCall call) { return driver->Fault(call); }
};

// Reference counting shared by every object of the layer.
template <class Interface>
class Counted : public Interface {
 public:
  explicit Counted(std::shared_ptr<DeviceCore> core) : core_(std::move(core)) { ++gLiveObjects; }
  virtual ~Counted() { --gLiveObjects; }

  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    core_->Fault(ReleaseCall());
    return ReleaseQuietly();
  }
  // The reference an interface obtained from this object holds on it (as the COM identity would): not
  // a call of the caller's, so not recorded.
  ULONG ReleaseQuietly() {
    const ULONG left = --references_;
    if (left == 0)
      delete this;
    return left;
  }

 protected:
  virtual DsCall ReleaseCall() const = 0;
  std::shared_ptr<DeviceCore> core_;

 private:
  ULONG references_ = 1;
};

bool ValidPcm(const WAVEFORMATEX& f) {
  if (f.wFormatTag != WAVE_FORMAT_PCM)
    return false;
  if (f.nChannels != 1 && f.nChannels != 2)
    return false;
  if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16)
    return false;
  if (f.nSamplesPerSec < DSBFREQUENCY_MIN || f.nSamplesPerSec > DSBFREQUENCY_MAX)
    return false;
  return f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8;
}

class PrimaryBuffer;

class Listener3D final : public Counted<IDirectSound3DListener> {
 public:
  Listener3D(std::shared_ptr<DeviceCore> core, Counted<IDirectSoundBuffer>* primary)
      : Counted(std::move(core)), primary_(primary) {
    primary_->AddRef();
  }
  ~Listener3D() override { primary_->ReleaseQuietly(); }

  HRESULT QueryInterface(REFIID, LPVOID* out) override {
    if (out)
      *out = nullptr;
    return DSERR_NOINTERFACE;
  }
  HRESULT GetPosition(D3DVALUE* x, D3DVALUE* y, D3DVALUE* z) override {
    if (!x || !y || !z)
      return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    const Vec3& p = core_->mixer->CurrentListener().position;
    *x = p.x, *y = p.y, *z = p.z;
    return DS_OK;
  }
  HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override {
    if (HRESULT hr = core_->Fault(DsCall::SetListenerPosition))
      return hr;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    Mixer& m = *core_->mixer;
    m.PendingListener().position = {x, y, z};
    if (apply == DS3D_DEFERRED)
      m.MarkListenerPending();
    else
      m.CurrentListener().position = {x, y, z};
    return DS_OK;
  }
  HRESULT SetOrientation(D3DVALUE xf, D3DVALUE yf, D3DVALUE zf, D3DVALUE xt, D3DVALUE yt, D3DVALUE zt,
                         DWORD apply) override {
    if (HRESULT hr = core_->Fault(DsCall::SetListenerOrientation))
      return hr;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    Mixer& m = *core_->mixer;
    m.PendingListener().front = {xf, yf, zf};
    m.PendingListener().top = {xt, yt, zt};
    if (apply == DS3D_DEFERRED) {
      m.MarkListenerPending();
    } else {
      m.CurrentListener().front = {xf, yf, zf};
      m.CurrentListener().top = {xt, yt, zt};
    }
    return DS_OK;
  }
  HRESULT CommitDeferredSettings() override {
    if (HRESULT hr = core_->Fault(DsCall::CommitDeferredSettings))
      return hr;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    core_->mixer->CommitDeferred();
    return DS_OK;
  }

 protected:
  DsCall ReleaseCall() const override { return DsCall::ReleaseListener; }

 private:
  Counted<IDirectSoundBuffer>* primary_;
};

// Shared by both buffer kinds: the format and its query.
class BufferBase : public Counted<IDirectSoundBuffer> {
 public:
  BufferBase(std::shared_ptr<DeviceCore> core, const WAVEFORMATEX& format)
      : Counted(std::move(core)), format_(format) {
    format_.cbSize = 0;
  }

  HRESULT GetFormat(LPWAVEFORMATEX f, DWORD allocated, LPDWORD written) override {
    if (f && allocated < sizeof(WAVEFORMATEX))
      return DSERR_INVALIDPARAM;
    if (f)
      *f = format_;
    if (written)
      *written = sizeof(WAVEFORMATEX);
    return DS_OK;
  }

 protected:
  WAVEFORMATEX format_;
};

class PrimaryBuffer final : public BufferBase {
 public:
  PrimaryBuffer(std::shared_ptr<DeviceCore> core, DWORD flags)
      : BufferBase(std::move(core), WAVEFORMATEX{WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0}),
        flags_(flags) {}
  ~PrimaryBuffer() override {
    if (core_->primary == this)
      core_->primary = nullptr;
  }

  HRESULT QueryInterface(REFIID riid, LPVOID* out) override {
    if (!out)
      return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (!(riid == IID_IDirectSound3DListener))
      return DSERR_NOINTERFACE;
    if (HRESULT hr = core_->Fault(DsCall::QueryListener))
      return hr;
    if (!(flags_ & DSBCAPS_CTRL3D))
      return DSERR_NOINTERFACE;
    *out = static_cast<IDirectSound3DListener*>(new Listener3D(core_, this));
    return DS_OK;
  }
  HRESULT GetCurrentPosition(LPDWORD play, LPDWORD write) override {
    if (play)
      *play = 0;
    if (write)
      *write = 0;
    return DS_OK;
  }
  HRESULT GetVolume(LPLONG volume) override {
    if (!volume)
      return DSERR_INVALIDPARAM;
    *volume = volume_;
    return DS_OK;
  }
  HRESULT GetFrequency(LPDWORD) override { return DSERR_CONTROLUNAVAIL; }
  HRESULT GetStatus(LPDWORD status) override {
    if (!status)
      return DSERR_INVALIDPARAM;
    if (HRESULT hr = core_->Fault(DsCall::GetStatus))
      return hr;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    *status = core_->mixer->PrimaryLost() ? DSBSTATUS_BUFFERLOST : 0;
    return DS_OK;
  }
  // With priority access the primary buffer is mixed into, never written.
  HRESULT Lock(DWORD, DWORD, LPVOID* p1, LPDWORD b1, LPVOID* p2, LPDWORD b2, DWORD) override {
    if (p1)
      *p1 = nullptr;
    if (b1)
      *b1 = 0;
    if (p2)
      *p2 = nullptr;
    if (b2)
      *b2 = 0;
    return DSERR_PRIOLEVELNEEDED;
  }
  HRESULT Play(DWORD, DWORD, DWORD) override { return DS_OK; }
  HRESULT SetCurrentPosition(DWORD) override { return DSERR_INVALIDCALL; }
  HRESULT SetFormat(LPCWAVEFORMATEX f) override {
    if (HRESULT hr = core_->Fault(DsCall::SetFormat))
      return hr;
    if (!f)
      return DSERR_INVALIDPARAM;
    if (core_->cooperativeLevel < DSSCL_PRIORITY)
      return DSERR_PRIOLEVELNEEDED;
    if (!ValidPcm(*f) || f->nAvgBytesPerSec != f->nSamplesPerSec * f->nBlockAlign)
      return DSERR_BADFORMAT;
    format_ = *f;
    format_.cbSize = 0;
    return DS_OK;
  }
  HRESULT SetVolume(LONG volume) override {
    if (!(flags_ & DSBCAPS_CTRLVOLUME))
      return DSERR_CONTROLUNAVAIL;
    if (volume > DSBVOLUME_MAX || volume < DSBVOLUME_MIN)
      return DSERR_INVALIDPARAM;
    volume_ = volume;
    return DS_OK;
  }
  HRESULT SetFrequency(DWORD) override { return DSERR_CONTROLUNAVAIL; }
  HRESULT Stop() override { return DS_OK; }
  HRESULT Unlock(LPVOID, DWORD, LPVOID, DWORD) override { return DSERR_INVALIDCALL; }
  HRESULT Restore() override {
    if (HRESULT hr = core_->Fault(DsCall::Restore))
      return hr;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    core_->mixer->SetPrimaryLost(false);
    return DS_OK;
  }

 protected:
  DsCall ReleaseCall() const override { return DsCall::ReleasePrimaryBuffer; }

 private:
  DWORD flags_;
  LONG volume_ = 0;
};

class SecondaryBuffer final : public BufferBase {
 public:
  SecondaryBuffer(std::shared_ptr<DeviceCore> core, DWORD flags, const WAVEFORMATEX& format,
                  std::shared_ptr<std::vector<std::uint8_t>> data)
      : BufferBase(std::move(core), format), flags_(flags) {
    voice_.data = std::move(data);
    voice_.channels = format.nChannels;
    voice_.bits = format.wBitsPerSample;
    voice_.blockAlign = format.nBlockAlign;
    voice_.frames = static_cast<std::uint32_t>(voice_.data->size() / format.nBlockAlign);
    voice_.frequency = format.nSamplesPerSec;
    voice_.is3D = (flags & DSBCAPS_CTRL3D) != 0;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    core_->mixer->AddVoice(&voice_);
  }
  ~SecondaryBuffer() override {
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    core_->mixer->RemoveVoice(&voice_);
  }

  DWORD Flags() const { return flags_; }
  const WAVEFORMATEX& Format() const { return format_; }
  std::shared_ptr<std::vector<std::uint8_t>> Data() const { return voice_.data; }
  Voice& GetVoice() { return voice_; }
  DeviceCore* Core() const { return core_.get(); }
  std::uint32_t Size() const { return static_cast<std::uint32_t>(voice_.data->size()); }

  HRESULT QueryInterface(REFIID riid, LPVOID* out) override;

  HRESULT GetCurrentPosition(LPDWORD play, LPDWORD write) override {
    if (HRESULT hr = core_->Fault(DsCall::GetCurrentPosition))
      return hr;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    const std::uint32_t size = Size();
    const std::uint32_t playByte = static_cast<std::uint32_t>(voice_.position >> 32) * voice_.blockAlign;
    std::uint32_t writeByte = playByte;
    if (voice_.playing && size != 0) {
      // The mixer works ahead by about ten milliseconds.
      const std::uint32_t lead = (voice_.frequency / 100 + 1) * voice_.blockAlign;
      writeByte = static_cast<std::uint32_t>((static_cast<std::uint64_t>(playByte) + lead) % size);
    }
    if (play)
      *play = playByte;
    if (write)
      *write = writeByte;
    return DS_OK;
  }
  HRESULT GetVolume(LPLONG volume) override {
    if (!volume)
      return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLVOLUME))
      return DSERR_CONTROLUNAVAIL;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    *volume = voice_.volume;
    return DS_OK;
  }
  HRESULT GetFrequency(LPDWORD frequency) override {
    if (!frequency)
      return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLFREQUENCY))
      return DSERR_CONTROLUNAVAIL;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    *frequency = voice_.frequency;
    return DS_OK;
  }
  HRESULT GetStatus(LPDWORD status) override {
    if (!status)
      return DSERR_INVALIDPARAM;
    if (HRESULT hr = core_->Fault(DsCall::GetStatus))
      return hr;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    DWORD s = 0;
    if (voice_.playing)
      s |= DSBSTATUS_PLAYING | (voice_.looping ? DSBSTATUS_LOOPING : 0);
    if (voice_.lost)
      s |= DSBSTATUS_BUFFERLOST;
    *status = s;
    return DS_OK;
  }
  HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* p1, LPDWORD b1, LPVOID* p2, LPDWORD b2,
               DWORD flags) override {
    if (!p1 || !b1)
      return DSERR_INVALIDPARAM;
    *p1 = nullptr;
    *b1 = 0;
    if (p2)
      *p2 = nullptr;
    if (b2)
      *b2 = 0;
    if (HRESULT hr = core_->Fault(DsCall::Lock))
      return hr;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    const std::uint32_t size = Size();
    if (voice_.lost)
      return DSERR_BUFFERLOST;
    if (locked_)
      return DSERR_INVALIDCALL;
    if (flags & DSBLOCK_ENTIREBUFFER)
      bytes = size;
    if (flags & DSBLOCK_FROMWRITECURSOR) {
      const std::uint32_t playByte = static_cast<std::uint32_t>(voice_.position >> 32) * voice_.blockAlign;
      offset =
          voice_.playing ? (playByte + (voice_.frequency / 100 + 1) * voice_.blockAlign) % size : playByte;
    }
    if (bytes == 0 || bytes > size || offset >= size)
      return DSERR_INVALIDPARAM;
    // The caller writes into a copy that Unlock hands to the mixer, so the driver's thread never reads
    // half-written bytes. The copy starts as the current contents: a partial write keeps the rest.
    const std::uint32_t first = std::min(bytes, size - offset);
    const std::uint32_t second = bytes - first;
    // The copy is filled below: a new one is not cleared first.
    if (bytes > scratchBytes_) {
      scratch_.reset(new std::uint8_t[bytes]);
      scratchBytes_ = bytes;
    }
    std::memcpy(scratch_.get(), voice_.data->data() + offset, first);
    if (second)
      std::memcpy(scratch_.get() + first, voice_.data->data(), second);
    locked_ = true;
    lockOffset_ = offset;
    lockFirst_ = first;
    lockSecond_ = second;
    *p1 = scratch_.get();
    *b1 = first;
    if (second) {
      if (!p2 || !b2) {
        locked_ = false;
        *p1 = nullptr;
        *b1 = 0;
        return DSERR_INVALIDPARAM;
      }
      *p2 = scratch_.get() + first;
      *b2 = second;
    }
    return DS_OK;
  }
  HRESULT Unlock(LPVOID p1, DWORD b1, LPVOID p2, DWORD b2) override {
    if (HRESULT hr = core_->Fault(DsCall::Unlock))
      return hr;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    if (!locked_ || p1 != scratch_.get() || b1 > lockFirst_ || b2 > lockSecond_)
      return DSERR_INVALIDPARAM;
    if (b2 && p2 != scratch_.get() + lockFirst_)
      return DSERR_INVALIDPARAM;
    locked_ = false;
    std::memcpy(voice_.data->data() + lockOffset_, scratch_.get(), b1);
    if (b2)
      std::memcpy(voice_.data->data(), scratch_.get() + lockFirst_, b2);
    // A stream's chunk-sized copy is kept for its next chunk; a whole sound's copy is not kept beside
    // the sound itself.
    if (scratchBytes_ > kKeptScratchBytes) {
      scratch_.reset();
      scratchBytes_ = 0;
    }
    return DS_OK;
  }
  HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override {
    if (HRESULT hr = core_->Fault(DsCall::Play))
      return hr;
    if (reserved != 0 || priority != 0)
      return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    if (voice_.lost)
      return DSERR_BUFFERLOST;
    voice_.looping = (flags & DSBPLAY_LOOPING) != 0;
    voice_.playing = voice_.frames != 0;
    return DS_OK;
  }
  HRESULT SetCurrentPosition(DWORD position) override {
    if (HRESULT hr = core_->Fault(DsCall::SetCurrentPosition))
      return hr;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    if (position > Size())
      return DSERR_INVALIDPARAM;
    std::uint64_t frame = position / voice_.blockAlign;
    if (frame >= voice_.frames)
      frame = 0;
    voice_.position = frame << 32;
    return DS_OK;
  }
  HRESULT SetFormat(LPCWAVEFORMATEX) override { return DSERR_INVALIDCALL; }
  HRESULT SetVolume(LONG volume) override {
    if (HRESULT hr = core_->Fault(DsCall::SetVolume))
      return hr;
    if (!(flags_ & DSBCAPS_CTRLVOLUME))
      return DSERR_CONTROLUNAVAIL;
    if (volume > DSBVOLUME_MAX || volume < DSBVOLUME_MIN)
      return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    voice_.volume = volume;
    voice_.gain = Mixer::VolumeToGain(volume);
    return DS_OK;
  }
  HRESULT SetFrequency(DWORD frequency) override {
    if (HRESULT hr = core_->Fault(DsCall::SetFrequency))
      return hr;
    if (!(flags_ & DSBCAPS_CTRLFREQUENCY))
      return DSERR_CONTROLUNAVAIL;
    if (frequency == DSBFREQUENCY_ORIGINAL)
      frequency = format_.nSamplesPerSec;
    if (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX)
      return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    voice_.frequency = frequency;
    return DS_OK;
  }
  HRESULT Stop() override {
    if (HRESULT hr = core_->Fault(DsCall::Stop))
      return hr;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    voice_.playing = false;
    return DS_OK;
  }
  HRESULT Restore() override {
    if (HRESULT hr = core_->Fault(DsCall::Restore))
      return hr;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    if (voice_.lost) {
      // The memory comes back as silence; duplicates see the same data and stay lost until restored.
      const std::uint8_t silence = voice_.bits == 8 ? 128 : 0;
      std::fill(voice_.data->begin(), voice_.data->end(), silence);
      voice_.lost = false;
      voice_.position = 0;
    }
    return DS_OK;
  }

 protected:
  DsCall ReleaseCall() const override { return DsCall::ReleaseSecondaryBuffer; }

 private:
  DWORD flags_;
  Voice voice_;
  static constexpr std::size_t kKeptScratchBytes = 64 * 1024;
  std::unique_ptr<std::uint8_t[]> scratch_;
  std::size_t scratchBytes_ = 0;
  bool locked_ = false;
  std::uint32_t lockOffset_ = 0;
  std::uint32_t lockFirst_ = 0;
  std::uint32_t lockSecond_ = 0;
};

class Buffer3D final : public Counted<IDirectSound3DBuffer> {
 public:
  Buffer3D(std::shared_ptr<DeviceCore> core, SecondaryBuffer* buffer)
      : Counted(std::move(core)), buffer_(buffer) {
    buffer_->AddRef();
  }
  ~Buffer3D() override { buffer_->ReleaseQuietly(); }

  HRESULT QueryInterface(REFIID, LPVOID* out) override {
    if (out)
      *out = nullptr;
    return DSERR_NOINTERFACE;
  }
  HRESULT GetPosition(D3DVALUE* x, D3DVALUE* y, D3DVALUE* z) override {
    if (!x || !y || !z)
      return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    const Vec3& p = buffer_->GetVoice().position3D;
    *x = p.x, *y = p.y, *z = p.z;
    return DS_OK;
  }
  HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override {
    if (HRESULT hr = core_->Fault(DsCall::SetPosition3D))
      return hr;
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    Voice& v = buffer_->GetVoice();
    v.pendingPosition3D = {x, y, z};
    if (apply == DS3D_DEFERRED) {
      v.pending3D = true;
    } else {
      v.position3D = {x, y, z};
      v.pending3D = false;
    }
    return DS_OK;
  }

 protected:
  DsCall ReleaseCall() const override { return DsCall::Release3DBuffer; }

 private:
  SecondaryBuffer* buffer_;
};

HRESULT SecondaryBuffer::QueryInterface(REFIID riid, LPVOID* out) {
  if (!out)
    return DSERR_INVALIDPARAM;
  *out = nullptr;
  if (!(riid == IID_IDirectSound3DBuffer))
    return DSERR_NOINTERFACE;
  if (HRESULT hr = core_->Fault(DsCall::Query3DBuffer))
    return hr;
  if (!(flags_ & DSBCAPS_CTRL3D))
    return DSERR_NOINTERFACE;
  *out = static_cast<IDirectSound3DBuffer*>(new Buffer3D(core_, this));
  return DS_OK;
}

class Device final : public Counted<IDirectSound> {
 public:
  // Buffers may outlive the device object: they keep the core (and so the driver) alive.
  using Counted::Counted;

  HRESULT QueryInterface(REFIID, LPVOID* out) override {
    if (out)
      *out = nullptr;
    return DSERR_NOINTERFACE;
  }

  HRESULT SetCooperativeLevel(HWND, DWORD level) override {
    if (HRESULT hr = core_->Fault(DsCall::SetCooperativeLevel))
      return hr;
    if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY)
      return DSERR_INVALIDPARAM;
    core_->cooperativeLevel = level;
    return DS_OK;
  }

  HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* out, LPUNKNOWN outer) override {
    if (!out)
      return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (outer)
      return DSERR_NOAGGREGATION;
    if (!desc || desc->dwSize != sizeof(DSBUFFERDESC))
      return DSERR_INVALIDPARAM;
    if (core_->cooperativeLevel == 0)
      return DSERR_PRIOLEVELNEEDED;
    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
      if (HRESULT hr = core_->Fault(DsCall::CreatePrimaryBuffer))
        return hr;
      if (desc->dwBufferBytes != 0 || desc->lpwfxFormat)
        return DSERR_INVALIDPARAM;
      if (core_->primary) {
        core_->primary->AddRef();
      } else {
        core_->primary = new PrimaryBuffer(core_, desc->dwFlags);
      }
      *out = core_->primary;
      return DS_OK;
    }
    if (HRESULT hr = core_->Fault(DsCall::CreateSecondaryBuffer))
      return hr;
    if (!desc->lpwfxFormat)
      return DSERR_INVALIDPARAM;
    if (!ValidPcm(*desc->lpwfxFormat))
      return DSERR_BADFORMAT;
    if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX)
      return DSERR_INVALIDPARAM;
    if ((desc->dwFlags & DSBCAPS_CTRL3D) && desc->lpwfxFormat->nChannels != 1)
      return DSERR_INVALIDPARAM;
    std::shared_ptr<std::vector<std::uint8_t>> data;
    try {
      const std::uint8_t silence = desc->lpwfxFormat->wBitsPerSample == 8 ? 128 : 0;
      data = std::make_shared<std::vector<std::uint8_t>>(desc->dwBufferBytes, silence);
    } catch (const std::bad_alloc&) {
      return DSERR_OUTOFMEMORY;
    }
    *out = new SecondaryBuffer(core_, desc->dwFlags, *desc->lpwfxFormat, std::move(data));
    return DS_OK;
  }

  HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* out) override {
    if (!out)
      return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (HRESULT hr = core_->Fault(DsCall::DuplicateSoundBuffer))
      return hr;
    auto* source = dynamic_cast<SecondaryBuffer*>(original);
    if (!source || source->Core() != core_.get())
      return DSERR_INVALIDPARAM;
    auto* copy = new SecondaryBuffer(core_, source->Flags(), source->Format(), source->Data());
    std::lock_guard<std::mutex> lock(core_->mixer->Lock());
    copy->GetVoice().volume = source->GetVoice().volume;
    copy->GetVoice().gain = source->GetVoice().gain;
    copy->GetVoice().frequency = source->GetVoice().frequency;
    copy->GetVoice().lost = source->GetVoice().lost;
    *out = copy;
    return DS_OK;
  }

 protected:
  DsCall ReleaseCall() const override { return DsCall::ReleaseDevice; }
};

}  // namespace

int LiveObjectCount() {
  return gLiveObjects.load();
}

}  // namespace platform::dsound

HRESULT DirectSoundCreate(LPCGUID lpGuid, LPDIRECTSOUND* ppDS, LPUNKNOWN pUnkOuter) {
  using namespace platform::dsound;
  if (!ppDS)
    return DSERR_INVALIDPARAM;
  *ppDS = nullptr;
  if (pUnkOuter)
    return DSERR_NOAGGREGATION;
  if (lpGuid && !(*lpGuid == GUID_NULL))
    return DSERR_NODRIVER;
  auto core = std::make_shared<DeviceCore>();
  core->driver = CreateAudioDriver();
  if (!core->driver)
    return DSERR_NODRIVER;
  if (HRESULT hr = core->Fault(DsCall::CreateDevice)) {
    core->driver.reset();
    return hr;
  }
  const std::uint32_t rate = core->driver->Open(kDesiredRate);
  if (rate == 0) {
    core->driver.reset();
    return DSERR_NODRIVER;
  }
  core->mixer = std::make_unique<Mixer>(rate);
  core->driver->Start(core->mixer.get());
  *ppDS = new Device(core);
  return DS_OK;
}
