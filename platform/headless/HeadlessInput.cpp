// Fault plan, call record and pushed events of the headless input back end.
#include "platform/headless/HeadlessInput.h"

#include <algorithm>

#include "platform/dinput/SystemInput.h"

namespace platform::headless {

namespace {

struct Fault {
  InputCall call;
  InputDevice device;
  HRESULT result;
  int times;  // negative: for good
};

struct HeadlessInputState {
  std::vector<Fault> faults;
  std::vector<RecordedInputCall> calls;
  DWORD time = 0;
};

HeadlessInputState& State() {
  static HeadlessInputState state;
  return state;
}

bool Matches(const Fault& fault, InputCall call, InputDevice device) {
  return fault.call == call && (call == InputCall::CreateDirectInput || fault.device == device);
}

class HeadlessInputDriver final : public platform::dinput::InputDriver {
 public:
  HRESULT Admit(InputCall call, InputDevice device) override {
    std::vector<Fault>& faults = State().faults;
    auto fault =
        std::find_if(faults.begin(), faults.end(), [&](const Fault& f) { return Matches(f, call, device); });
    if (fault == faults.end()) {
      return S_OK;
    }
    const HRESULT result = fault->result;
    if (fault->times > 0 && --fault->times == 0) {
      faults.erase(fault);
    }
    return result;
  }

  void Completed(InputCall call, InputDevice device, HRESULT result) override {
    State().calls.push_back({call, device, result});
  }
};

}  // namespace

std::unique_ptr<platform::dinput::InputDriver> MakeInputDriver() {
  return std::make_unique<HeadlessInputDriver>();
}

void PushKey(BYTE code, bool down) {
  platform::dinput::ReportKey(code, down, State().time);
}
void PushMouseButton(unsigned button, bool down) {
  platform::dinput::ReportMouseButton(button, down, State().time);
}
void PushMouseMotion(LONG dx, LONG dy) {
  platform::dinput::ReportMouseMotion(dx, dy, State().time);
}
void PushMouseWheel(LONG dz) {
  platform::dinput::ReportMouseWheel(dz, State().time);
}
void LoseInput(InputDevice device) {
  platform::dinput::LoseInput(device);
}
void SetInputTime(DWORD milliseconds) {
  State().time = milliseconds;
}

void FailInputCall(InputCall call, InputDevice device, HRESULT result, int times) {
  if (times == 0) {
    return;
  }
  State().faults.push_back({call, device, result, times});
}

const std::vector<RecordedInputCall>& RecordedInputCalls() {
  return State().calls;
}

int CountInputCalls(InputCall call, InputDevice device) {
  const std::vector<RecordedInputCall>& calls = State().calls;
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const RecordedInputCall& c) {
    return c.call == call && (call == InputCall::CreateDirectInput || c.device == device);
  }));
}

void ResetInput() {
  HeadlessInputState& state = State();
  state.faults.clear();
  state.calls.clear();
  state.time = 0;
  platform::dinput::ResetSystemInput();
}

}  // namespace platform::headless
