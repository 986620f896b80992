#pragma once
// Private to platform/dinput: the objects behind IDirectInput7 and IDirectInputDevice7, and the shared
// system-input state that feeds them. Everything here runs under the state's mutex.

#include <array>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/dinput/DInput.h"
#include "platform/dinput/InputDriver.h"

namespace platform::dinput {

class DirectInputDevice;

// The largest event buffer a device keeps, whatever size is asked for.
constexpr DWORD kMaxBufferSize = 4096;
// How many released objects are kept (answering failure) before the oldest is really deleted.
constexpr size_t kReleasedObjectsKept = 64;

struct SystemInputState {
  std::mutex mutex;
  std::array<BYTE, 256> keys{};
  std::array<BYTE, 8> buttons{};
  DWORD sequence = 0;
  unsigned staleCalls = 0;
  unsigned openObjects = 0;                 // live DirectInput objects (devices are counted by their list)
  std::vector<DirectInputDevice*> devices;  // live devices, not owned (each is owned by its references)
  struct Retired {
    IUnknown* object;
    void (*destroy)(IUnknown*);
  };
  std::deque<Retired> released;  // owned: destroyed when pushed out or with the state

  SystemInputState() = default;
  SystemInputState(const SystemInputState&) = delete;
  SystemInputState& operator=(const SystemInputState&) = delete;
  ~SystemInputState();
};

SystemInputState& InputState();

// Keeps a released object alive (answering failure) for a while, so a stale call or a double Release
// reaches a live object instead of freed memory. Called under the state's mutex.
void Retire(SystemInputState& state, IUnknown* object, void (*destroy)(IUnknown*));

class DirectInputDevice final : public IDirectInputDevice7A {
 public:
  explicit DirectInputDevice(InputDevice kind) : kind_(kind) {}

  HRESULT QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT Acquire() override;
  HRESULT Unacquire() override;
  HRESULT GetDeviceData(DWORD cbObjectData, LPDIDEVICEOBJECTDATA rgdod, LPDWORD pdwInOut,
                        DWORD dwFlags) override;
  HRESULT GetDeviceState(DWORD cbData, LPVOID lpvData) override;
  HRESULT GetProperty(REFGUID rguidProp, LPDIPROPHEADER pdiph) override;
  HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwFlags) override;
  HRESULT SetDataFormat(LPCDIDATAFORMAT lpdf) override;
  HRESULT SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) override;

  // Called by the system state for every change of this device's kind.
  InputDevice Kind() const { return kind_; }
  bool Receiving() const { return acquired_; }
  void Deliver(DWORD offset, DWORD data, DWORD time, DWORD sequence);
  // Axis records; motion that follows motion still waiting in the buffer is added to it (see the
  // definition).
  void DeliverMotion(LONG dx, LONG dy, LONG dz, DWORD time, DWORD sequence);
  void AddMotion(LONG dx, LONG dy, LONG dz);
  void Lose();
  void Forget();  // drops pending records and motion (system input reset)

 private:
  HRESULT Finish(InputCall call, HRESULT result);
  HRESULT CheckAlive();

  InputDevice kind_;
  ULONG references_ = 1;
  bool released_ = false;
  DWORD dataSize_ = 0;  // 0 until a data format is set
  DWORD cooperativeLevel_ = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
  HWND cooperativeWindow_ = nullptr;
  DWORD bufferSize_ = 0;
  bool acquired_ = false;
  bool lost_ = false;
  bool overflowed_ = false;
  std::deque<DIDEVICEOBJECTDATA> buffer_;
  LONG motion_[3] = {0, 0, 0};
};

class DirectInputObject final : public IDirectInput7A {
 public:
  HRESULT QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT CreateDeviceEx(REFGUID rguid, REFIID riid, LPVOID* pvOut, LPUNKNOWN lpUnknownOuter) override;

 private:
  ULONG references_ = 1;
  bool released_ = false;
};

}  // namespace platform::dinput
