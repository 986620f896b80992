#pragma once
// The seam between the DirectInput-shaped layer and a back end. The shared logic (platform/dinput) carries
// out every call itself; the active driver is asked to admit each call first, so the headless back end can
// refuse creation steps or reads from its fault plan and record what was asked. The SDL back end admits
// everything: its part is to report the real keyboard and mouse through platform/dinput/SystemInput.h.
// Main thread only.

#include <memory>

#include "platform/win32/WinTypes.h"

namespace platform::dinput {

enum class InputDevice { Keyboard, Mouse };

enum class InputCall {
  CreateDirectInput,  // the device argument is meaningless for this one
  CreateDevice,
  SetDataFormat,
  SetCooperativeLevel,
  SetBufferSize,
  Acquire,
  Unacquire,
  GetDeviceData,
  GetDeviceState,
};

class InputDriver {
 public:
  virtual ~InputDriver() = default;
  // A failing code refuses the call: it answers that code and changes nothing. Success lets it proceed.
  virtual HRESULT Admit(InputCall call, InputDevice device) = 0;
  // The result the call finally answered (refused or carried out).
  virtual void Completed(InputCall call, InputDevice device, HRESULT result) {}
};

// Makes `driver` the active driver. Until a back end installs one, the headless driver answers.
void InstallInputDriver(std::unique_ptr<InputDriver> driver);
InputDriver& ActiveInputDriver();

}  // namespace platform::dinput
