// DirectInputCreateEx, the DirectInput object and its keyboard and mouse devices, over the shared system
// input state. Devices read the standard layouts only: the 256-byte keyboard and the 16- or 20-byte mouse.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/dinput/DInputObjects.h"

namespace platform::dinput {

namespace {

void DestroyDevice(IUnknown* object) {
  delete static_cast<DirectInputDevice*>(object);
}
void DestroyObject(IUnknown* object) {
  delete static_cast<DirectInputObject*>(object);
}

bool HasExactlyOne(DWORD flags, DWORD a, DWORD b) {
  return ((flags & a) != 0) != ((flags & b) != 0);
}

}  // namespace

// ---- DirectInputDevice ----

HRESULT DirectInputDevice::CheckAlive() {
  if (released_) {
    ++InputState().staleCalls;
    return E_HANDLE;
  }
  return S_OK;
}

HRESULT DirectInputDevice::Finish(InputCall call, HRESULT result) {
  ActiveInputDriver().Completed(call, kind_, result);
  return result;
}

HRESULT DirectInputDevice::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  std::lock_guard lock(InputState().mutex);
  if (ppvObj == nullptr) {
    return E_POINTER;
  }
  *ppvObj = nullptr;
  if (HRESULT alive = CheckAlive(); FAILED(alive)) {
    return alive;
  }
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDirectInputDevice7A)) {
    return E_NOINTERFACE;
  }
  ++references_;
  *ppvObj = static_cast<IDirectInputDevice7A*>(this);
  return S_OK;
}

ULONG DirectInputDevice::AddRef() {
  std::lock_guard lock(InputState().mutex);
  if (FAILED(CheckAlive())) {
    return 0;
  }
  return ++references_;
}

ULONG DirectInputDevice::Release() {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  if (FAILED(CheckAlive())) {
    return 0;
  }
  if (--references_ > 0) {
    return references_;
  }
  released_ = true;
  acquired_ = false;
  buffer_.clear();
  std::erase(state.devices, this);
  Retire(state, this, DestroyDevice);
  return 0;
}

HRESULT DirectInputDevice::Acquire() {
  std::lock_guard lock(InputState().mutex);
  if (HRESULT alive = CheckAlive(); FAILED(alive)) {
    return alive;
  }
  if (HRESULT admitted = ActiveInputDriver().Admit(InputCall::Acquire, kind_); FAILED(admitted)) {
    return Finish(InputCall::Acquire, admitted);
  }
  if (dataSize_ == 0) {
    return Finish(InputCall::Acquire, DIERR_INVALIDPARAM);
  }
  if (acquired_) {
    return Finish(InputCall::Acquire, DI_NOEFFECT);
  }
  acquired_ = true;
  lost_ = false;
  overflowed_ = false;
  buffer_.clear();
  std::fill(std::begin(motion_), std::end(motion_), 0);
  return Finish(InputCall::Acquire, DI_OK);
}

HRESULT DirectInputDevice::Unacquire() {
  std::lock_guard lock(InputState().mutex);
  if (HRESULT alive = CheckAlive(); FAILED(alive)) {
    return alive;
  }
  if (HRESULT admitted = ActiveInputDriver().Admit(InputCall::Unacquire, kind_); FAILED(admitted)) {
    return Finish(InputCall::Unacquire, admitted);
  }
  if (!acquired_) {
    lost_ = false;
    return Finish(InputCall::Unacquire, DI_NOEFFECT);
  }
  acquired_ = false;
  buffer_.clear();
  return Finish(InputCall::Unacquire, DI_OK);
}

HRESULT DirectInputDevice::GetDeviceData(DWORD cbObjectData, LPDIDEVICEOBJECTDATA rgdod, LPDWORD pdwInOut,
                                         DWORD dwFlags) {
  std::lock_guard lock(InputState().mutex);
  if (HRESULT alive = CheckAlive(); FAILED(alive)) {
    return alive;
  }
  if (HRESULT admitted = ActiveInputDriver().Admit(InputCall::GetDeviceData, kind_); FAILED(admitted)) {
    if (pdwInOut != nullptr) {
      *pdwInOut = 0;
    }
    return Finish(InputCall::GetDeviceData, admitted);
  }
  if (cbObjectData != sizeof(DIDEVICEOBJECTDATA) || pdwInOut == nullptr || (dwFlags & ~DIGDD_PEEK) != 0) {
    return Finish(InputCall::GetDeviceData, DIERR_INVALIDPARAM);
  }
  const DWORD room = *pdwInOut;
  *pdwInOut = 0;
  if (bufferSize_ == 0) {
    return Finish(InputCall::GetDeviceData, DIERR_NOTBUFFERED);
  }
  if (lost_) {
    lost_ = false;
    return Finish(InputCall::GetDeviceData, DIERR_INPUTLOST);
  }
  if (!acquired_) {
    return Finish(InputCall::GetDeviceData, DIERR_NOTACQUIRED);
  }
  const DWORD count = static_cast<DWORD>(std::min<size_t>(room, buffer_.size()));
  if (rgdod != nullptr) {
    std::copy_n(buffer_.begin(), count, rgdod);
  }
  *pdwInOut = count;
  const HRESULT result = overflowed_ ? DI_BUFFEROVERFLOW : DI_OK;
  if ((dwFlags & DIGDD_PEEK) == 0) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + count);
    overflowed_ = false;
  }
  return Finish(InputCall::GetDeviceData, result);
}

HRESULT DirectInputDevice::GetDeviceState(DWORD cbData, LPVOID lpvData) {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  if (HRESULT alive = CheckAlive(); FAILED(alive)) {
    return alive;
  }
  if (HRESULT admitted = ActiveInputDriver().Admit(InputCall::GetDeviceState, kind_); FAILED(admitted)) {
    return Finish(InputCall::GetDeviceState, admitted);
  }
  if (dataSize_ == 0 || cbData != dataSize_ || lpvData == nullptr) {
    return Finish(InputCall::GetDeviceState, DIERR_INVALIDPARAM);
  }
  if (lost_) {
    lost_ = false;
    return Finish(InputCall::GetDeviceState, DIERR_INPUTLOST);
  }
  if (!acquired_) {
    return Finish(InputCall::GetDeviceState, DIERR_NOTACQUIRED);
  }
  auto* out = static_cast<BYTE*>(lpvData);
  if (kind_ == InputDevice::Keyboard) {
    std::memcpy(out, state.keys.data(), state.keys.size());
  } else {
    std::memcpy(out, motion_, sizeof(motion_));
    std::memcpy(out + sizeof(motion_), state.buttons.data(), cbData - sizeof(motion_));
    std::fill(std::begin(motion_), std::end(motion_), 0);
  }
  return Finish(InputCall::GetDeviceState, DI_OK);
}

HRESULT DirectInputDevice::GetProperty(REFGUID rguidProp, LPDIPROPHEADER pdiph) {
  std::lock_guard lock(InputState().mutex);
  if (HRESULT alive = CheckAlive(); FAILED(alive)) {
    return alive;
  }
  if (!IsEqualGUID(rguidProp, DIPROP_BUFFERSIZE)) {
    return DIERR_UNSUPPORTED;
  }
  if (pdiph == nullptr || pdiph->dwSize != sizeof(DIPROPDWORD) ||
      pdiph->dwHeaderSize != sizeof(DIPROPHEADER) || pdiph->dwHow != DIPH_DEVICE || pdiph->dwObj != 0) {
    return DIERR_INVALIDPARAM;
  }
  reinterpret_cast<DIPROPDWORD*>(pdiph)->dwData = bufferSize_;
  return DI_OK;
}

HRESULT DirectInputDevice::SetCooperativeLevel(HWND hwnd, DWORD dwFlags) {
  std::lock_guard lock(InputState().mutex);
  if (HRESULT alive = CheckAlive(); FAILED(alive)) {
    return alive;
  }
  if (HRESULT admitted = ActiveInputDriver().Admit(InputCall::SetCooperativeLevel, kind_); FAILED(admitted)) {
    return Finish(InputCall::SetCooperativeLevel, admitted);
  }
  if (acquired_) {
    return Finish(InputCall::SetCooperativeLevel, DIERR_ACQUIRED);
  }
  const DWORD known =
      DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NOWINKEY;
  if ((dwFlags & ~known) != 0 || !HasExactlyOne(dwFlags, DISCL_EXCLUSIVE, DISCL_NONEXCLUSIVE) ||
      !HasExactlyOne(dwFlags, DISCL_FOREGROUND, DISCL_BACKGROUND)) {
    return Finish(InputCall::SetCooperativeLevel, DIERR_INVALIDPARAM);
  }
  // An exclusive keyboard in the background would take the keyboard from every other program.
  if (kind_ == InputDevice::Keyboard && (dwFlags & DISCL_EXCLUSIVE) && (dwFlags & DISCL_BACKGROUND)) {
    return Finish(InputCall::SetCooperativeLevel, DIERR_UNSUPPORTED);
  }
  cooperativeLevel_ = dwFlags;
  cooperativeWindow_ = hwnd;
  return Finish(InputCall::SetCooperativeLevel, DI_OK);
}

HRESULT DirectInputDevice::SetDataFormat(LPCDIDATAFORMAT lpdf) {
  std::lock_guard lock(InputState().mutex);
  if (HRESULT alive = CheckAlive(); FAILED(alive)) {
    return alive;
  }
  if (HRESULT admitted = ActiveInputDriver().Admit(InputCall::SetDataFormat, kind_); FAILED(admitted)) {
    return Finish(InputCall::SetDataFormat, admitted);
  }
  if (acquired_) {
    return Finish(InputCall::SetDataFormat, DIERR_ACQUIRED);
  }
  if (lpdf == nullptr || lpdf->dwSize != sizeof(DIDATAFORMAT) ||
      lpdf->dwObjSize != sizeof(DIOBJECTDATAFORMAT)) {
    return Finish(InputCall::SetDataFormat, DIERR_INVALIDPARAM);
  }
  const bool fits = kind_ == InputDevice::Keyboard ? lpdf->dwDataSize == 256
                                                   : lpdf->dwDataSize == sizeof(DIMOUSESTATE) ||
                                                         lpdf->dwDataSize == sizeof(DIMOUSESTATE2);
  if (!fits) {
    return Finish(InputCall::SetDataFormat, DIERR_INVALIDPARAM);
  }
  dataSize_ = lpdf->dwDataSize;
  return Finish(InputCall::SetDataFormat, DI_OK);
}

HRESULT DirectInputDevice::SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) {
  std::lock_guard lock(InputState().mutex);
  if (HRESULT alive = CheckAlive(); FAILED(alive)) {
    return alive;
  }
  if (!IsEqualGUID(rguidProp, DIPROP_BUFFERSIZE)) {
    return DIERR_UNSUPPORTED;
  }
  if (HRESULT admitted = ActiveInputDriver().Admit(InputCall::SetBufferSize, kind_); FAILED(admitted)) {
    return Finish(InputCall::SetBufferSize, admitted);
  }
  if (pdiph == nullptr || pdiph->dwSize != sizeof(DIPROPDWORD) ||
      pdiph->dwHeaderSize != sizeof(DIPROPHEADER) || pdiph->dwHow != DIPH_DEVICE || pdiph->dwObj != 0) {
    return Finish(InputCall::SetBufferSize, DIERR_INVALIDPARAM);
  }
  if (acquired_) {
    return Finish(InputCall::SetBufferSize, DIERR_ACQUIRED);
  }
  bufferSize_ = std::min(reinterpret_cast<const DIPROPDWORD*>(pdiph)->dwData, kMaxBufferSize);
  buffer_.clear();
  return Finish(InputCall::SetBufferSize, DI_OK);
}

// A full buffer keeps its records and loses the new one; the next read reports the overflow.
void DirectInputDevice::Deliver(DWORD offset, DWORD data, DWORD time, DWORD sequence) {
  if (bufferSize_ == 0) {
    return;
  }
  if (buffer_.size() >= bufferSize_) {
    overflowed_ = true;
    return;
  }
  buffer_.push_back({offset, data, time, sequence});
}

// Axis records carry the relative motion as the bits of a signed 32-bit value; the axes of one report
// share a sequence number, as simultaneous changes do. A mouse reports motion far more often than the
// program reads its buffer, so motion is merged while it waits: when the newest records are axis
// records (no button record came after them), the new motion is added to them and the whole run takes
// the new time and sequence, instead of adding records. A run of motion thus holds at most one record
// per axis, and button records are never pushed out of the buffer by motion alone. An axis whose sum
// comes back to zero keeps its record (with 0), so the records already read by a peek stay in place.
void DirectInputDevice::DeliverMotion(LONG dx, LONG dy, LONG dz, DWORD time, DWORD sequence) {
  if (bufferSize_ == 0) {
    return;
  }
  const auto isAxis = [](const DIDEVICEOBJECTDATA& record) {
    return record.dwOfs == DIMOFS_X || record.dwOfs == DIMOFS_Y || record.dwOfs == DIMOFS_Z;
  };
  auto runStart = buffer_.end();
  while (runStart != buffer_.begin() && isAxis(*(runStart - 1))) {
    --runStart;
  }
  const std::size_t runBegin = static_cast<std::size_t>(runStart - buffer_.begin());
  const auto merge = [&](DWORD offset, LONG delta) {
    if (delta == 0) {
      return;
    }
    for (std::size_t i = runBegin; i < buffer_.size(); ++i) {
      if (buffer_[i].dwOfs == offset) {
        buffer_[i].dwData += static_cast<DWORD>(delta);  // wrapping, as the immediate state adds
        return;
      }
    }
    Deliver(offset, static_cast<DWORD>(delta), time, sequence);
  };
  merge(DIMOFS_X, dx);
  merge(DIMOFS_Y, dy);
  merge(DIMOFS_Z, dz);
  for (std::size_t i = runBegin; i < buffer_.size(); ++i) {
    buffer_[i].dwTimeStamp = time;
    buffer_[i].dwSequence = sequence;
  }
}

void DirectInputDevice::AddMotion(LONG dx, LONG dy, LONG dz) {
  // Wrapping addition: a flood of motion between two reads must not overflow a signed value.
  auto add = [](LONG& total, LONG delta) {
    total = static_cast<LONG>(static_cast<DWORD>(total) + static_cast<DWORD>(delta));
  };
  add(motion_[0], dx);
  add(motion_[1], dy);
  add(motion_[2], dz);
}

void DirectInputDevice::Lose() {
  if (acquired_) {
    acquired_ = false;
    lost_ = true;
    buffer_.clear();
  }
}

void DirectInputDevice::Forget() {
  buffer_.clear();
  overflowed_ = false;
  std::fill(std::begin(motion_), std::end(motion_), 0);
}

// ---- DirectInputObject ----

HRESULT DirectInputObject::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  if (ppvObj == nullptr) {
    return E_POINTER;
  }
  *ppvObj = nullptr;
  if (released_) {
    ++state.staleCalls;
    return E_HANDLE;
  }
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDirectInput7A)) {
    return E_NOINTERFACE;
  }
  ++references_;
  *ppvObj = static_cast<IDirectInput7A*>(this);
  return S_OK;
}

ULONG DirectInputObject::AddRef() {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  if (released_) {
    ++state.staleCalls;
    return 0;
  }
  return ++references_;
}

ULONG DirectInputObject::Release() {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  if (released_) {
    ++state.staleCalls;
    return 0;
  }
  if (--references_ > 0) {
    return references_;
  }
  released_ = true;
  --state.openObjects;
  Retire(state, this, DestroyObject);
  return 0;
}

HRESULT DirectInputObject::CreateDeviceEx(REFGUID rguid, REFIID riid, LPVOID* pvOut,
                                          LPUNKNOWN lpUnknownOuter) {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  if (pvOut == nullptr) {
    return E_POINTER;
  }
  *pvOut = nullptr;
  if (released_) {
    ++state.staleCalls;
    return E_HANDLE;
  }
  InputDevice kind;
  if (IsEqualGUID(rguid, GUID_SysKeyboard)) {
    kind = InputDevice::Keyboard;
  } else if (IsEqualGUID(rguid, GUID_SysMouse)) {
    kind = InputDevice::Mouse;
  } else {
    return DIERR_DEVICENOTREG;
  }
  InputDriver& driver = ActiveInputDriver();
  HRESULT result = driver.Admit(InputCall::CreateDevice, kind);
  if (SUCCEEDED(result)) {
    if (lpUnknownOuter != nullptr) {
      result = DIERR_NOAGGREGATION;
    } else if (!IsEqualIID(riid, IID_IDirectInputDevice7A)) {
      result = DIERR_NOINTERFACE;
    } else {
      auto* device = new (std::nothrow) DirectInputDevice(kind);
      if (device == nullptr) {
        result = DIERR_OUTOFMEMORY;
      } else {
        state.devices.push_back(device);
        *pvOut = static_cast<IDirectInputDevice7A*>(device);
        result = DI_OK;
      }
    }
  }
  driver.Completed(InputCall::CreateDevice, kind, result);
  return result;
}

}  // namespace platform::dinput

HRESULT WINAPI DirectInputCreateEx(HINSTANCE hinst, DWORD dwVersion, REFIID riidltf, LPVOID* ppvOut,
                                   LPUNKNOWN punkOuter) {
  using namespace platform::dinput;
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  if (ppvOut == nullptr) {
    return E_POINTER;
  }
  *ppvOut = nullptr;
  InputDriver& driver = ActiveInputDriver();
  HRESULT result = driver.Admit(InputCall::CreateDirectInput, InputDevice::Keyboard);
  if (SUCCEEDED(result)) {
    if (dwVersion < DIRECTINPUT_VERSION) {
      result = DIERR_OLDDIRECTINPUTVERSION;
    } else if (dwVersion > DIRECTINPUT_VERSION) {
      result = DIERR_BETADIRECTINPUTVERSION;
    } else if (punkOuter != nullptr) {
      result = DIERR_NOAGGREGATION;
    } else if (!IsEqualIID(riidltf, IID_IDirectInput7A)) {
      result = DIERR_NOINTERFACE;
    } else {
      auto* object = new (std::nothrow) DirectInputObject();
      if (object == nullptr) {
        result = DIERR_OUTOFMEMORY;
      } else {
        ++state.openObjects;
        *ppvOut = static_cast<IDirectInput7A*>(object);
        result = DI_OK;
      }
    }
  }
  driver.Completed(InputCall::CreateDirectInput, InputDevice::Keyboard, result);
  return result;
}
