#pragma once
// The headless input back end: the default driver of the DirectInput-shaped layer. Tests push keyboard and
// mouse events, make acquired devices lose their input, and fill a fault plan that refuses chosen calls
// (a creation step, the buffer size, reads, acquisitions), for a number of times or for good. Every call
// the layer is asked to make is recorded with the result it answered. Main thread only.

#include <memory>
#include <vector>

#include "platform/dinput/InputDriver.h"
#include "platform/headless/FaultPlan.h"

namespace platform::headless {

using platform::dinput::InputCall;
using platform::dinput::InputDevice;

std::unique_ptr<platform::dinput::InputDriver> MakeInputDriver();

// Events, as the system keyboard and mouse would report them. `code` is a DIK key code; button 0 is the
// left button, 1 the right one. Time stamps come from SetInputTime.
void PushKey(BYTE code, bool down);
void PushMouseButton(unsigned button, bool down);
void PushMouseMotion(LONG dx, LONG dy);
void PushMouseWheel(LONG dz);
// Every acquired device of that kind loses its acquisition.
void LoseInput(InputDevice device);
void SetInputTime(DWORD milliseconds);

// Refuses `call` on `device` with `result`, the next `times` times (kEveryCall: every time). The device
// is ignored for InputCall::CreateDirectInput.
void FailInputCall(InputCall call, InputDevice device, HRESULT result, int times = 1);

struct RecordedInputCall {
  InputCall call;
  InputDevice device;
  HRESULT result;
};
const std::vector<RecordedInputCall>& RecordedInputCalls();
int CountInputCalls(InputCall call, InputDevice device);

// A clean slate for the next test: no faults, no recorded calls, nothing held, time 0.
void ResetInput();

}  // namespace platform::headless
