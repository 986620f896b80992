// Mouse motion waiting in a device's buffer is merged, so a flood of motion between two reads leaves
// room for the button records.
#include <gtest/gtest.h>

#include <vector>

#include "platform/dinput/DInput.h"
#include "platform/headless/HeadlessInput.h"

namespace {

namespace headless = platform::headless;

class MouseMotionMergeTest : public testing::Test {
 protected:
  void SetUp() override {
    headless::ResetInput();
    ASSERT_EQ(DirectInputCreateEx(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput7A,
                                  reinterpret_cast<LPVOID*>(&input_), nullptr),
              DI_OK);
    ASSERT_EQ(input_->CreateDeviceEx(GUID_SysMouse, IID_IDirectInputDevice7A,
                                     reinterpret_cast<LPVOID*>(&mouse_), nullptr),
              DI_OK);
    ASSERT_EQ(mouse_->SetDataFormat(&c_dfDIMouse2), DI_OK);
    ASSERT_EQ(mouse_->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
    DIPROPDWORD property{};
    property.diph.dwSize = sizeof(DIPROPDWORD);
    property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    property.diph.dwHow = DIPH_DEVICE;
    property.dwData = 16;
    ASSERT_EQ(mouse_->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DI_OK);
    ASSERT_EQ(mouse_->Acquire(), DI_OK);
  }
  void TearDown() override {
    if (mouse_ != nullptr) {
      mouse_->Release();
    }
    if (input_ != nullptr) {
      input_->Release();
    }
    headless::ResetInput();
  }

  HRESULT Read(DWORD room, std::vector<DIDEVICEOBJECTDATA>& records, DWORD flags = 0) {
    records.assign(room, DIDEVICEOBJECTDATA{});
    DWORD count = room;
    const HRESULT result = mouse_->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records.data(), &count, flags);
    records.resize(count);
    return result;
  }

  IDirectInput7* input_ = nullptr;
  IDirectInputDevice7* mouse_ = nullptr;
};

TEST_F(MouseMotionMergeTest, MotionBetweenButtonsBecomesOneRecordPerAxis) {
  headless::SetInputTime(10);
  headless::PushMouseMotion(3, 1);
  headless::SetInputTime(11);
  headless::PushMouseMotion(-1, 0);
  headless::PushMouseWheel(120);
  headless::SetInputTime(12);
  headless::PushMouseMotion(0, 4);
  headless::PushMouseButton(0, true);
  headless::SetInputTime(13);
  headless::PushMouseMotion(5, 0);
  headless::PushMouseMotion(1, -1);

  std::vector<DIDEVICEOBJECTDATA> records;
  ASSERT_EQ(Read(16, records), DI_OK);
  ASSERT_EQ(records.size(), 6u);
  const DWORD offsets[] = {DIMOFS_X, DIMOFS_Y, DIMOFS_Z, DIMOFS_BUTTON0, DIMOFS_X, DIMOFS_Y};
  const LONG values[] = {2, 5, 120, 0x80, 6, -1};
  for (std::size_t i = 0; i < records.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(records[i].dwOfs, offsets[i]);
    EXPECT_EQ(static_cast<LONG>(records[i].dwData), values[i]);
  }
  // A merged run is one simultaneous change at the time of its last motion; sequences keep rising.
  EXPECT_EQ(records[0].dwSequence, records[2].dwSequence);
  EXPECT_EQ(records[0].dwTimeStamp, 12u);
  EXPECT_LT(records[2].dwSequence, records[3].dwSequence);
  EXPECT_LT(records[3].dwSequence, records[4].dwSequence);
  EXPECT_EQ(records[4].dwSequence, records[5].dwSequence);
  EXPECT_EQ(records[5].dwTimeStamp, 13u);

  // The immediate state saw the same motion.
  DIMOUSESTATE2 state{};
  ASSERT_EQ(mouse_->GetDeviceState(sizeof(state), &state), DI_OK);
  EXPECT_EQ(state.lX, 8);
  EXPECT_EQ(state.lY, 4);
  EXPECT_EQ(state.lZ, 120);
}

TEST_F(MouseMotionMergeTest, AFloodOfMotionNeverPushesAClickOut) {
  for (int i = 0; i < 100; ++i) {
    headless::PushMouseMotion(1, -1);
  }
  headless::PushMouseButton(0, true);
  for (int i = 0; i < 100; ++i) {
    headless::PushMouseMotion(-1, 2);
  }
  headless::PushMouseButton(0, false);
  for (int i = 0; i < 100; ++i) {
    headless::PushMouseMotion(1, 0);
  }

  std::vector<DIDEVICEOBJECTDATA> records;
  ASSERT_EQ(Read(16, records), DI_OK) << "no overflow";
  ASSERT_EQ(records.size(), 7u);
  EXPECT_EQ(records[2].dwOfs, DIMOFS_BUTTON0);
  EXPECT_EQ(records[2].dwData, 0x80u);
  EXPECT_EQ(static_cast<LONG>(records[3].dwData), -100);
  EXPECT_EQ(static_cast<LONG>(records[4].dwData), 200);
  EXPECT_EQ(records[5].dwOfs, DIMOFS_BUTTON0);
  EXPECT_EQ(records[5].dwData, 0u);
  EXPECT_EQ(records[6].dwOfs, DIMOFS_X);
  EXPECT_EQ(static_cast<LONG>(records[6].dwData), 100);
}

// Records already handed out are gone from the buffer: motion after a read starts new records, and a
// read of part of the buffer leaves the rest to merge into.
TEST_F(MouseMotionMergeTest, MotionAfterAReadStartsNewRecords) {
  headless::PushMouseMotion(2, 0);
  std::vector<DIDEVICEOBJECTDATA> records;
  ASSERT_EQ(Read(16, records, DIGDD_PEEK), DI_OK);
  ASSERT_EQ(records.size(), 1u);
  headless::PushMouseMotion(3, 0);
  ASSERT_EQ(Read(16, records), DI_OK);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(static_cast<LONG>(records[0].dwData), 5) << "a peek leaves the motion waiting";

  headless::PushMouseMotion(4, 0);
  headless::PushMouseMotion(0, 0);  // no motion, no change
  ASSERT_EQ(Read(16, records), DI_OK);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(static_cast<LONG>(records[0].dwData), 4);

  headless::PushMouseButton(1, true);
  headless::PushMouseMotion(1, 1);
  ASSERT_EQ(Read(1, records), DI_OK);
  EXPECT_EQ(records[0].dwOfs, DIMOFS_BUTTON1);
  headless::PushMouseMotion(1, 1);
  ASSERT_EQ(Read(16, records), DI_OK);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(static_cast<LONG>(records[0].dwData), 2);
  EXPECT_EQ(static_cast<LONG>(records[1].dwData), 2);
}

// Button changes still fill the buffer one record each; the overflow rule is unchanged for them.
TEST_F(MouseMotionMergeTest, ButtonRecordsStillOverflow) {
  for (int i = 0; i < 9; ++i) {
    headless::PushMouseButton(2, true);
    headless::PushMouseMotion(1, 0);
    headless::PushMouseButton(2, false);
  }
  std::vector<DIDEVICEOBJECTDATA> records;
  EXPECT_EQ(Read(32, records), DI_BUFFEROVERFLOW);
  EXPECT_EQ(records.size(), 16u);
}

}  // namespace
