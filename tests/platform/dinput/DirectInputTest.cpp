// The DirectInput-shaped layer over the headless back end: creation, buffered records, immediate state,
// overflow, lost input, parameter checks and the fault plan.
#include <gtest/gtest.h>

#include <vector>

#include "platform/dinput/DInput.h"
#include "platform/dinput/SystemInput.h"
#include "platform/headless/HeadlessInput.h"

namespace {

using platform::headless::InputCall;
using platform::headless::InputDevice;
namespace headless = platform::headless;

DIPROPDWORD BufferSize(DWORD size) {
  DIPROPDWORD property{};
  property.diph.dwSize = sizeof(DIPROPDWORD);
  property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  property.diph.dwObj = 0;
  property.diph.dwHow = DIPH_DEVICE;
  property.dwData = size;
  return property;
}

class DirectInputTest : public testing::Test {
 protected:
  void SetUp() override {
    headless::ResetInput();
    ASSERT_EQ(DirectInputCreateEx(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput7A,
                                  reinterpret_cast<LPVOID*>(&input_), nullptr),
              DI_OK);
  }
  void TearDown() override {
    for (IDirectInputDevice7* device : devices_) {
      device->Release();
    }
    input_->Release();
    headless::ResetInput();
  }

  // A device with its standard format, the given buffer size (0: none) and acquired.
  IDirectInputDevice7* Open(InputDevice kind, DWORD bufferSize) {
    IDirectInputDevice7* device = nullptr;
    const GUID& guid = kind == InputDevice::Keyboard ? GUID_SysKeyboard : GUID_SysMouse;
    EXPECT_EQ(
        input_->CreateDeviceEx(guid, IID_IDirectInputDevice7A, reinterpret_cast<LPVOID*>(&device), nullptr),
        DI_OK);
    if (device == nullptr) {
      return nullptr;
    }
    devices_.push_back(device);
    EXPECT_EQ(device->SetDataFormat(kind == InputDevice::Keyboard ? &c_dfDIKeyboard : &c_dfDIMouse2), DI_OK);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
    if (bufferSize > 0) {
      DIPROPDWORD property = BufferSize(bufferSize);
      EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DI_OK);
    }
    EXPECT_EQ(device->Acquire(), DI_OK);
    return device;
  }

  static HRESULT Read(IDirectInputDevice7* device, DWORD room, std::vector<DIDEVICEOBJECTDATA>& records) {
    records.assign(room, DIDEVICEOBJECTDATA{});
    DWORD count = room;
    HRESULT result = device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records.data(), &count, 0);
    records.resize(count);
    return result;
  }

  IDirectInput7* input_ = nullptr;
  std::vector<IDirectInputDevice7*> devices_;
};

TEST_F(DirectInputTest, CreationChecksVersionInterfaceAndAggregation) {
  struct Row {
    DWORD version;
    const IID* iid;
    bool outer;
    HRESULT expected;
  };
  IUnknown* outer = input_;
  const Row rows[] = {
      {0x0700, &IID_IDirectInput7A, false, DI_OK},
      {0x0500, &IID_IDirectInput7A, false, DIERR_OLDDIRECTINPUTVERSION},
      {0x0800, &IID_IDirectInput7A, false, DIERR_BETADIRECTINPUTVERSION},
      {0x0700, &IID_IDirectInputDevice7A, false, DIERR_NOINTERFACE},
      {0x0700, &IID_IDirectInput7A, true, DIERR_NOAGGREGATION},
  };
  for (const Row& row : rows) {
    LPVOID out = reinterpret_cast<LPVOID>(1);
    HRESULT result = DirectInputCreateEx(nullptr, row.version, *row.iid, &out, row.outer ? outer : nullptr);
    EXPECT_EQ(result, row.expected) << "version " << std::hex << row.version;
    if (SUCCEEDED(result)) {
      ASSERT_NE(out, nullptr);
      EXPECT_EQ(static_cast<IDirectInput7*>(out)->Release(), 0u);
    } else {
      EXPECT_EQ(out, nullptr);
    }
  }
  EXPECT_EQ(DirectInputCreateEx(nullptr, 0x0700, IID_IDirectInput7A, nullptr, nullptr), E_POINTER);

  LPVOID device = nullptr;
  EXPECT_EQ(input_->CreateDeviceEx(GUID_XAxis, IID_IDirectInputDevice7A, &device, nullptr),
            DIERR_DEVICENOTREG);
  EXPECT_EQ(input_->CreateDeviceEx(GUID_SysMouse, IID_IDirectInput7A, &device, nullptr), DIERR_NOINTERFACE);
  EXPECT_EQ(device, nullptr);
}

TEST_F(DirectInputTest, KeyboardRecordsFollowKeyChangesInOrder) {
  IDirectInputDevice7* keyboard = Open(InputDevice::Keyboard, 8);
  headless::SetInputTime(1000);
  headless::PushKey(DIK_SPACE, true);
  headless::PushKey(DIK_SPACE, true);  // auto-repeat adds nothing
  headless::SetInputTime(1016);
  headless::PushKey(DIK_ESCAPE, true);
  headless::PushKey(DIK_SPACE, false);

  std::vector<DIDEVICEOBJECTDATA> records;
  ASSERT_EQ(Read(keyboard, 8, records), DI_OK);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].dwOfs, DIK_SPACE);
  EXPECT_EQ(records[0].dwData, 0x80u);
  EXPECT_EQ(records[0].dwTimeStamp, 1000u);
  EXPECT_EQ(records[1].dwOfs, DIK_ESCAPE);
  EXPECT_EQ(records[1].dwData & 0x80, 0x80u);
  EXPECT_EQ(records[1].dwTimeStamp, 1016u);
  EXPECT_EQ(records[2].dwOfs, DIK_SPACE);
  EXPECT_EQ(records[2].dwData & 0x80, 0u);
  EXPECT_LT(records[0].dwSequence, records[1].dwSequence);
  EXPECT_LT(records[1].dwSequence, records[2].dwSequence);

  // Taken records are gone; the room limits what one read takes.
  ASSERT_EQ(Read(keyboard, 8, records), DI_OK);
  EXPECT_TRUE(records.empty());
  for (BYTE code : {DIK_A, DIK_B, DIK_C}) {
    headless::PushKey(code, true);
  }
  ASSERT_EQ(Read(keyboard, 2, records), DI_OK);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].dwOfs, DIK_B);
  ASSERT_EQ(Read(keyboard, 8, records), DI_OK);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].dwOfs, DIK_C);
}

TEST_F(DirectInputTest, PeekLeavesRecordsAndNullArrayDiscardsThem) {
  IDirectInputDevice7* keyboard = Open(InputDevice::Keyboard, 8);
  headless::PushKey(DIK_A, true);
  headless::PushKey(DIK_A, false);
  DIDEVICEOBJECTDATA record{};
  DWORD count = 1;
  ASSERT_EQ(keyboard->GetDeviceData(sizeof(record), &record, &count, DIGDD_PEEK), DI_OK);
  EXPECT_EQ(count, 1u);
  count = 1;
  ASSERT_EQ(keyboard->GetDeviceData(sizeof(record), nullptr, &count, 0), DI_OK);
  EXPECT_EQ(count, 1u);
  count = 8;
  ASSERT_EQ(keyboard->GetDeviceData(sizeof(record), &record, &count, 0), DI_OK);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(record.dwData, 0u);
}

TEST_F(DirectInputTest, OverflowKeepsTheOldestRecordsAndIsReportedOnce) {
  IDirectInputDevice7* keyboard = Open(InputDevice::Keyboard, 8);
  const BYTE codes[] = {DIK_1, DIK_2, DIK_3, DIK_4, DIK_5, DIK_6, DIK_7, DIK_8, DIK_9};
  for (BYTE code : codes) {
    headless::PushKey(code, true);
  }
  std::vector<DIDEVICEOBJECTDATA> records;
  EXPECT_EQ(Read(keyboard, 16, records), DI_BUFFEROVERFLOW);
  ASSERT_EQ(records.size(), 8u);
  EXPECT_EQ(records.front().dwOfs, DIK_1);
  EXPECT_EQ(records.back().dwOfs, DIK_8);
  EXPECT_EQ(Read(keyboard, 16, records), DI_OK);
  EXPECT_TRUE(records.empty());

  // The immediate state still knows every key.
  BYTE state[256] = {};
  ASSERT_EQ(keyboard->GetDeviceState(sizeof(state), state), DI_OK);
  EXPECT_EQ(state[DIK_9], 0x80);
}

TEST_F(DirectInputTest, MouseRecordsAndImmediateState) {
  IDirectInputDevice7* mouse = Open(InputDevice::Mouse, 16);
  headless::PushMouseMotion(5, -3);
  headless::PushMouseButton(1, true);
  headless::PushMouseWheel(-120);
  headless::PushMouseButton(7, true);
  headless::PushMouseButton(8, true);  // no such button

  std::vector<DIDEVICEOBJECTDATA> records;
  ASSERT_EQ(Read(mouse, 16, records), DI_OK);
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[0].dwOfs, DIMOFS_X);
  EXPECT_EQ(static_cast<LONG>(records[0].dwData), 5);
  EXPECT_EQ(records[1].dwOfs, DIMOFS_Y);
  EXPECT_EQ(static_cast<LONG>(records[1].dwData), -3);
  EXPECT_EQ(records[0].dwSequence, records[1].dwSequence);
  EXPECT_EQ(records[2].dwOfs, DIMOFS_BUTTON1);
  EXPECT_EQ(records[2].dwData, 0x80u);
  EXPECT_EQ(records[3].dwOfs, DIMOFS_Z);
  EXPECT_EQ(static_cast<LONG>(records[3].dwData), -120);
  EXPECT_EQ(records[4].dwOfs, DIMOFS_BUTTON7);

  headless::PushMouseMotion(2, 2);
  DIMOUSESTATE2 state{};
  ASSERT_EQ(mouse->GetDeviceState(sizeof(state), &state), DI_OK);
  EXPECT_EQ(state.lX, 7);
  EXPECT_EQ(state.lY, -1);
  EXPECT_EQ(state.lZ, -120);
  EXPECT_EQ(state.rgbButtons[0], 0);
  EXPECT_EQ(state.rgbButtons[1], 0x80);
  EXPECT_EQ(state.rgbButtons[7], 0x80);
  // Motion is relative: the next reading starts from zero.
  ASSERT_EQ(mouse->GetDeviceState(sizeof(state), &state), DI_OK);
  EXPECT_EQ(state.lX, 0);
  EXPECT_EQ(state.rgbButtons[1], 0x80);
}

TEST_F(DirectInputTest, LostInputIsReportedOnceAndNothingArrivesUntilReacquired) {
  IDirectInputDevice7* keyboard = Open(InputDevice::Keyboard, 8);
  IDirectInputDevice7* mouse = Open(InputDevice::Mouse, 8);
  headless::PushKey(DIK_A, true);
  headless::LoseInput(InputDevice::Keyboard);
  headless::PushKey(DIK_B, true);

  std::vector<DIDEVICEOBJECTDATA> records;
  EXPECT_EQ(Read(keyboard, 8, records), DIERR_INPUTLOST);
  EXPECT_TRUE(records.empty());
  EXPECT_EQ(Read(keyboard, 8, records), DIERR_NOTACQUIRED);
  BYTE state[256];
  EXPECT_EQ(keyboard->GetDeviceState(sizeof(state), state), DIERR_NOTACQUIRED);

  // The mouse kept its acquisition.
  headless::PushMouseButton(0, true);
  EXPECT_EQ(Read(mouse, 8, records), DI_OK);
  EXPECT_EQ(records.size(), 1u);

  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  EXPECT_EQ(Read(keyboard, 8, records), DI_OK);
  EXPECT_TRUE(records.empty());
  ASSERT_EQ(keyboard->GetDeviceState(sizeof(state), state), DI_OK);
  EXPECT_EQ(state[DIK_A], 0x80);
  EXPECT_EQ(state[DIK_B], 0x80);

  headless::LoseInput(InputDevice::Keyboard);
  EXPECT_EQ(keyboard->GetDeviceState(sizeof(state), state), DIERR_INPUTLOST);
}

TEST_F(DirectInputTest, AcquisitionRules) {
  IDirectInputDevice7* keyboard = nullptr;
  ASSERT_EQ(input_->CreateDeviceEx(GUID_SysKeyboard, IID_IDirectInputDevice7A,
                                   reinterpret_cast<LPVOID*>(&keyboard), nullptr),
            DI_OK);
  devices_.push_back(keyboard);
  EXPECT_EQ(keyboard->Acquire(), DIERR_INVALIDPARAM) << "no data format yet";
  EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIMouse2), DIERR_INVALIDPARAM);
  ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  DIPROPDWORD property = BufferSize(4);
  ASSERT_EQ(keyboard->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DI_OK);

  headless::PushKey(DIK_Q, true);  // not acquired: no record
  EXPECT_EQ(keyboard->Acquire(), DI_OK);
  EXPECT_EQ(keyboard->Acquire(), DI_NOEFFECT);
  EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
  EXPECT_EQ(keyboard->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DIERR_ACQUIRED);
  std::vector<DIDEVICEOBJECTDATA> records;
  EXPECT_EQ(Read(keyboard, 8, records), DI_OK);
  EXPECT_TRUE(records.empty());

  EXPECT_EQ(keyboard->Unacquire(), DI_OK);
  EXPECT_EQ(keyboard->Unacquire(), DI_NOEFFECT);
  EXPECT_EQ(Read(keyboard, 8, records), DIERR_NOTACQUIRED);

  // A device without a buffer has no records to give.
  IDirectInputDevice7* mouse = Open(InputDevice::Mouse, 0);
  EXPECT_EQ(Read(mouse, 8, records), DIERR_NOTBUFFERED);
}

TEST_F(DirectInputTest, ParameterChecks) {
  IDirectInputDevice7* keyboard = Open(InputDevice::Keyboard, 0);
  IDirectInputDevice7* mouse = nullptr;
  ASSERT_EQ(input_->CreateDeviceEx(GUID_SysMouse, IID_IDirectInputDevice7A, reinterpret_cast<LPVOID*>(&mouse),
                                   nullptr),
            DI_OK);
  devices_.push_back(mouse);

  struct LevelRow {
    IDirectInputDevice7* device;
    DWORD flags;
    HRESULT expected;
  };
  const LevelRow levels[] = {
      {mouse, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, DI_OK},
      {mouse, DISCL_EXCLUSIVE | DISCL_FOREGROUND, DI_OK},
      {mouse, DISCL_NONEXCLUSIVE, DIERR_INVALIDPARAM},
      {mouse, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, DIERR_INVALIDPARAM},
      {mouse, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND, DIERR_INVALIDPARAM},
      {mouse, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND | 0x100, DIERR_INVALIDPARAM},
      {keyboard, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, DIERR_ACQUIRED},
  };
  for (const LevelRow& row : levels) {
    EXPECT_EQ(row.device->SetCooperativeLevel(nullptr, row.flags), row.expected) << std::hex << row.flags;
  }
  ASSERT_EQ(keyboard->Unacquire(), DI_OK);
  EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DIERR_UNSUPPORTED);

  DIPROPDWORD property = BufferSize(8);
  property.diph.dwHeaderSize = 20;
  EXPECT_EQ(mouse->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DIERR_INVALIDPARAM);
  property = BufferSize(8);
  property.diph.dwHow = DIPH_BYOFFSET;
  EXPECT_EQ(mouse->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DIERR_INVALIDPARAM);
  EXPECT_EQ(mouse->SetProperty(GUID_XAxis, &property.diph), DIERR_UNSUPPORTED);
  // A huge buffer is granted only up to the layer's bound.
  property = BufferSize(0xFFFFFFFFu);
  ASSERT_EQ(mouse->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DI_OK);
  DIPROPDWORD granted = BufferSize(0);
  ASSERT_EQ(mouse->GetProperty(DIPROP_BUFFERSIZE, &granted.diph), DI_OK);
  EXPECT_LE(granted.dwData, 4096u);
  EXPECT_GT(granted.dwData, 16u);

  // The state size must be the format's.
  ASSERT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
  ASSERT_EQ(mouse->Acquire(), DI_OK);
  DIMOUSESTATE2 state{};
  EXPECT_EQ(mouse->GetDeviceState(sizeof(DIMOUSESTATE2), &state), DIERR_INVALIDPARAM);
  EXPECT_EQ(mouse->GetDeviceState(sizeof(DIMOUSESTATE), &state), DI_OK);
  EXPECT_EQ(mouse->GetDeviceState(sizeof(DIMOUSESTATE), nullptr), DIERR_INVALIDPARAM);
  DWORD count = 1;
  DIDEVICEOBJECTDATA record;
  EXPECT_EQ(mouse->GetDeviceData(12, &record, &count, 0), DIERR_INVALIDPARAM);
  EXPECT_EQ(mouse->GetDeviceData(sizeof(record), &record, nullptr, 0), DIERR_INVALIDPARAM);
}

TEST_F(DirectInputTest, FaultPlanRefusesCallsForTheGivenNumberOfTimes) {
  headless::FailInputCall(InputCall::Acquire, InputDevice::Keyboard, DIERR_INPUTLOST, 2);
  headless::FailInputCall(InputCall::CreateDevice, InputDevice::Mouse, DIERR_GENERIC, headless::kEveryCall);
  IDirectInputDevice7* keyboard = nullptr;
  ASSERT_EQ(input_->CreateDeviceEx(GUID_SysKeyboard, IID_IDirectInputDevice7A,
                                   reinterpret_cast<LPVOID*>(&keyboard), nullptr),
            DI_OK);
  devices_.push_back(keyboard);
  ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  EXPECT_EQ(keyboard->Acquire(), DIERR_INPUTLOST);
  EXPECT_EQ(keyboard->Acquire(), DIERR_INPUTLOST);
  EXPECT_EQ(keyboard->Acquire(), DI_OK);
  EXPECT_EQ(headless::CountInputCalls(InputCall::Acquire, InputDevice::Keyboard), 3);

  for (int attempt = 0; attempt < 2; ++attempt) {
    LPVOID mouse = nullptr;
    EXPECT_EQ(input_->CreateDeviceEx(GUID_SysMouse, IID_IDirectInputDevice7A, &mouse, nullptr),
              DIERR_GENERIC);
    EXPECT_EQ(mouse, nullptr);
  }
  const auto& calls = headless::RecordedInputCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().call, InputCall::CreateDevice);
  EXPECT_EQ(calls.back().result, DIERR_GENERIC);

  headless::FailInputCall(InputCall::CreateDirectInput, InputDevice::Keyboard, DIERR_OUTOFMEMORY, 1);
  LPVOID second = nullptr;
  EXPECT_EQ(DirectInputCreateEx(nullptr, 0x0700, IID_IDirectInput7A, &second, nullptr), DIERR_OUTOFMEMORY);
  EXPECT_EQ(second, nullptr);
}

TEST_F(DirectInputTest, ReleasedObjectsAnswerFailureInsteadOfCrashing) {
  IDirectInputDevice7* keyboard = nullptr;
  ASSERT_EQ(input_->CreateDeviceEx(GUID_SysKeyboard, IID_IDirectInputDevice7A,
                                   reinterpret_cast<LPVOID*>(&keyboard), nullptr),
            DI_OK);
  EXPECT_EQ(keyboard->AddRef(), 2u);
  EXPECT_EQ(keyboard->Release(), 1u);
  EXPECT_EQ(keyboard->Release(), 0u);
  EXPECT_EQ(platform::dinput::StaleCallCount(), 0u);
  EXPECT_EQ(keyboard->Release(), 0u);
  EXPECT_EQ(keyboard->Acquire(), E_HANDLE);
  EXPECT_EQ(platform::dinput::StaleCallCount(), 2u);
  headless::PushKey(DIK_A, true);  // a released device takes no records
}

TEST_F(DirectInputTest, FocusLossReleasesEverythingThatIsDown) {
  IDirectInputDevice7* keyboard = Open(InputDevice::Keyboard, 8);
  IDirectInputDevice7* mouse = Open(InputDevice::Mouse, 8);
  headless::PushKey(DIK_LSHIFT, true);
  headless::PushMouseButton(0, true);
  platform::dinput::ReleaseAllInput(0);
  std::vector<DIDEVICEOBJECTDATA> records;
  ASSERT_EQ(Read(keyboard, 8, records), DI_OK);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].dwOfs, DIK_LSHIFT);
  EXPECT_EQ(records[1].dwData, 0u);
  ASSERT_EQ(Read(mouse, 8, records), DI_OK);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].dwOfs, DIMOFS_BUTTON0);
  EXPECT_EQ(records[1].dwData, 0u);
  EXPECT_FALSE(platform::dinput::IsSystemKeyDown(DIK_LSHIFT));
}

}  // namespace
