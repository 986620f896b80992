// The process-wide system keyboard and mouse, the active input driver, and the keeping of released
// objects. Reports fan out to every acquired device of their kind.
#include "platform/dinput/SystemInput.h"

#include "platform/dinput/DInputObjects.h"
#include "platform/headless/HeadlessInput.h"

namespace platform::dinput {

namespace {

std::unique_ptr<InputDriver>& DriverSlot() {
  static std::unique_ptr<InputDriver> driver;
  return driver;
}

void ReportKeyLocked(SystemInputState& state, BYTE code, bool down, DWORD time) {
  const BYTE value = down ? 0x80 : 0x00;
  if (state.keys[code] == value) {
    return;
  }
  state.keys[code] = value;
  const DWORD sequence = ++state.sequence;
  for (DirectInputDevice* device : state.devices) {
    if (device->Kind() == InputDevice::Keyboard && device->Receiving()) {
      device->Deliver(code, value, time, sequence);
    }
  }
}

void ReportMouseButtonLocked(SystemInputState& state, unsigned button, bool down, DWORD time) {
  if (button >= state.buttons.size()) {
    return;
  }
  const BYTE value = down ? 0x80 : 0x00;
  if (state.buttons[button] == value) {
    return;
  }
  state.buttons[button] = value;
  const DWORD sequence = ++state.sequence;
  for (DirectInputDevice* device : state.devices) {
    if (device->Kind() == InputDevice::Mouse && device->Receiving()) {
      device->Deliver(DIMOFS_BUTTON0 + button, value, time, sequence);
    }
  }
}

void ReportMotionLocked(SystemInputState& state, LONG dx, LONG dy, LONG dz, DWORD time) {
  if (dx == 0 && dy == 0 && dz == 0) {
    return;
  }
  const DWORD sequence = ++state.sequence;
  for (DirectInputDevice* device : state.devices) {
    if (device->Kind() != InputDevice::Mouse || !device->Receiving()) {
      continue;
    }
    device->AddMotion(dx, dy, dz);
    device->DeliverMotion(dx, dy, dz, time, sequence);
  }
}

}  // namespace

SystemInputState::~SystemInputState() {
  for (Retired& retired : released) {
    retired.destroy(retired.object);
  }
}

SystemInputState& InputState() {
  static SystemInputState state;
  return state;
}

void Retire(SystemInputState& state, IUnknown* object, void (*destroy)(IUnknown*)) {
  state.released.push_back({object, destroy});
  while (state.released.size() > kReleasedObjectsKept) {
    SystemInputState::Retired oldest = state.released.front();
    state.released.pop_front();
    oldest.destroy(oldest.object);
  }
}

void InstallInputDriver(std::unique_ptr<InputDriver> driver) {
  DriverSlot() = std::move(driver);
}

InputDriver& ActiveInputDriver() {
  std::unique_ptr<InputDriver>& driver = DriverSlot();
  if (!driver) {
    driver = platform::headless::MakeInputDriver();
  }
  return *driver;
}

void ReportKey(BYTE code, bool down, DWORD time) {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  ReportKeyLocked(state, code, down, time);
}

void ReportMouseButton(unsigned button, bool down, DWORD time) {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  ReportMouseButtonLocked(state, button, down, time);
}

void ReportMouseMotion(LONG dx, LONG dy, DWORD time) {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  ReportMotionLocked(state, dx, dy, 0, time);
}

void ReportMouseWheel(LONG dz, DWORD time) {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  ReportMotionLocked(state, 0, 0, dz, time);
}

void ReleaseAllInput(DWORD time) {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  for (unsigned code = 0; code < state.keys.size(); ++code) {
    ReportKeyLocked(state, static_cast<BYTE>(code), false, time);
  }
  for (unsigned button = 0; button < state.buttons.size(); ++button) {
    ReportMouseButtonLocked(state, button, false, time);
  }
}

void LoseInput(InputDevice kind) {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  for (DirectInputDevice* device : state.devices) {
    if (device->Kind() == kind) {
      device->Lose();
    }
  }
}

bool IsSystemKeyDown(BYTE code) {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  return state.keys[code] != 0;
}

bool IsSystemMouseButtonDown(unsigned button) {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  return button < state.buttons.size() && state.buttons[button] != 0;
}

unsigned OpenObjectCount() {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  return static_cast<unsigned>(state.devices.size()) + state.openObjects;
}

unsigned StaleCallCount() {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  return state.staleCalls;
}

void ResetSystemInput() {
  SystemInputState& state = InputState();
  std::lock_guard lock(state.mutex);
  state.keys.fill(0);
  state.buttons.fill(0);
  state.staleCalls = 0;
  for (DirectInputDevice* device : state.devices) {
    device->Forget();
  }
}

}  // namespace platform::dinput
