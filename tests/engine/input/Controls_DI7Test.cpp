// The DirectInput back end of the controls: its key-code table and reverse map, set-up with its log lines
// and abort texts, the refused buffered mode, immediate-only reading and lost input.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "InputTestFixture.h"
#include "engine/core/Error.h"
#include "engine/input/KeyNames.h"
#include "platform/dinput/DInput.h"
#include "platform/dinput/SystemInput.h"
#include "tests/support/LogProbe.h"

namespace {

namespace headless = platform::headless;
using CorvantisEngine::Controls_DI7;
using CorvantisEngine::KeyNames;
using platform::headless::InputCall;
using platform::headless::InputDevice;

// The expected codes, written from the physical keyboard rather than from the DIK names: each
// character row runs along consecutive scan codes.
std::map<std::string, std::uint32_t> ExpectedKeyCodes() {
  std::map<std::string, std::uint32_t> codes;
  auto row = [&](std::uint32_t first, std::vector<std::string> names) {
    for (const std::string& name : names) {
      codes[name] = first++;
    }
  };
  row(0x00, {"MOUSE1", "MOUSE2", "MOUSE3", "MOUSE4", "MOUSE5", "MOUSE6", "MOUSE7", "MOUSE8"});
  row(0x01, {"ESCAPE", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "=", "BACKSPACE", "TAB"});
  row(0x10, {"Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "[", "", "ENTER", "LCTRL"});
  row(0x1E, {"A", "S", "D", "F", "G", "H", "J", "K", "L", ";", "'", "~", "LSHIFT", "\\"});
  row(0x2C, {"Z", "X", "C", "V", "B", "N", "M", ",", ".", "/", "RSHIFT", "NUMPAD_MULTIPLY", "LALT", "SPACE",
             "CAPS_LOCK"});
  row(0x3B, {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "NUM_LOCK", "SCROLL_LOCK"});
  row(0x47, {"NUMPAD_7", "NUMPAD_8", "NUMPAD_9", "NUMPAD_MINUS", "NUMPAD_4", "NUMPAD_5", "NUMPAD_6",
             "NUMPAD_PLUS", "NUMPAD_1", "NUMPAD_2", "NUMPAD_3", "NUMPAD_0", "NUMPAD_DELETE"});
  row(0x57, {"F11", "F12"});
  row(0x9D, {"RCTRL"});
  row(0xB5, {"NUMPAD_DIVIDE"});
  row(0xB7, {"PRINTSCRN", "RALT"});
  row(0xC5, {"PAUSE"});
  row(0xC7, {"HOME", "UPARROW", "PAGEUP"});
  row(0xCB, {"LEFTARROW"});
  row(0xCD, {"RIGHTARROW"});
  row(0xCF, {"END", "DOWNARROW", "PAGEDOWN", "INSERT", "DELETE"});
  return codes;
}

class Controls_DI7Test : public inputtest::EngineCorner {};

TEST_F(Controls_DI7Test, KeyNamesAreTheFixed108InOrder) {
  EXPECT_EQ(KeyNames.size(), 108u);
  EXPECT_EQ(std::set<std::string_view>(KeyNames.begin(), KeyNames.end()).size(), 108u) << "names are unique";
  EXPECT_EQ(KeyNames[0], "MOUSE1");
  EXPECT_EQ(KeyNames[7], "MOUSE8");
  EXPECT_EQ(KeyNames[8], "CAPS_LOCK");
  EXPECT_EQ(KeyNames[105], "\\");
  EXPECT_EQ(KeyNames[106], "");
  EXPECT_EQ(KeyNames[107], "'");
}

TEST_F(Controls_DI7Test, KeyCodeTableAndReverseMap) {
  Controls_DI7& controls = MakeControls();
  const auto& codes = controls.GetKeyCodes();
  const std::map<std::string, std::uint32_t> expected = ExpectedKeyCodes();
  ASSERT_EQ(expected.size(), 108u);
  for (std::string_view name : KeyNames) {
    auto found = codes.find(std::string(name));
    ASSERT_NE(found, codes.end()) << '"' << name << '"';
    EXPECT_EQ(found->second, expected.at(std::string(name))) << '"' << name << '"';
  }
  EXPECT_EQ(codes.size(), 108u);

  // Codes 1 to 7 are shared by a mouse name and a keyboard name; the keyboard name keeps them.
  const auto& names = controls.GetKeyNamesByCode();
  EXPECT_EQ(names.size(), 101u);
  EXPECT_EQ(names.at(0), "MOUSE1");
  EXPECT_EQ(names.at(1), "ESCAPE");
  for (const auto& [name, code] : expected) {
    if (name.rfind("MOUSE", 0) != 0) {
      EXPECT_EQ(names.at(code), name);
    }
  }
}

TEST_F(Controls_DI7Test, EveryKeyboardRowReadsAsItsOwnNameOnly) {
  for (bool buffered : {true, false}) {
    SCOPED_TRACE(buffered ? "buffered" : "immediate");
    headless::ResetInput();
    Controls_DI7& controls = MakeControls(buffered);
    for (const auto& row : ExpectedKeyCodes()) {
      const std::string& name = row.first;
      const std::uint32_t code = row.second;
      if (name.rfind("MOUSE", 0) == 0) {
        continue;
      }
      headless::PushKey(static_cast<BYTE>(code), true);
      Frame([&] {
        for (std::string_view other : KeyNames) {
          EXPECT_EQ(controls.IsKeyPressed(other), other == name)
              << '"' << name << "\" pushed, \"" << other << '"';
        }
      });
      headless::PushKey(static_cast<BYTE>(code), false);
      Frame([&] { EXPECT_FALSE(controls.IsAnyKeyDown()) << '"' << name << '"'; });
    }
    controls_.reset();
  }
}

TEST_F(Controls_DI7Test, SetUpAndReleaseAreLogged) {
  const int before = log_->GetRecordCount();
  MakeControls(true);
  std::vector<std::string> lines;
  for (int i = before; i < log_->GetRecordCount(); ++i) {
    lines.push_back(log_->GetRecord(i).text);
  }
  const std::vector<std::string> expected = {
      "Initialization of DirectInput devices...\n",
      "...Creating a DirectInput object...\n",
      "...Keyboard:\n",
      "......Obtaining an interface to the system keyboard device...\n",
      "......Setting the data format...\n",
      "......Setting the cooperativity level...\n",
      "......Setting the buffered mode...\n",
      "...Mouse:\n",
      "......Obtaining an interface to the system mouse device...\n",
      "......Setting the data format...\n",
      "......Setting the cooperativity level...\n",
      "......Setting the buffered mode...\n",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(headless::CountInputCalls(InputCall::Acquire, InputDevice::Keyboard), 1);
  EXPECT_EQ(headless::CountInputCalls(InputCall::Acquire, InputDevice::Mouse), 1);
  EXPECT_EQ(platform::dinput::OpenObjectCount(), 3u);

  log_->ClearRecords();
  controls_.reset();
  lines = testsupport::LogProbe(*log_).Entries();
  const std::vector<std::string> released = {
      "\nDirectInput devices destroying:\n",
      "...Keyboard...\n",
      "...Mouse...\n",
      "...DirectInput object...\n",
  };
  EXPECT_EQ(lines, released);
  EXPECT_EQ(headless::CountInputCalls(InputCall::Unacquire, InputDevice::Keyboard), 1);
  EXPECT_EQ(headless::CountInputCalls(InputCall::Unacquire, InputDevice::Mouse), 1);
  EXPECT_EQ(platform::dinput::OpenObjectCount(), 0u);
  EXPECT_EQ(platform::dinput::StaleCallCount(), 0u);
}

TEST_F(Controls_DI7Test, RefusedSetUpStepsAbortWithTheirTextAndReleaseWhatWasOpened) {
  struct Row {
    InputCall call;
    InputDevice device;
    const char* text;
  };
  const Row rows[] = {
      {InputCall::CreateDirectInput, InputDevice::Keyboard, "Failed to create a DirectInput object"},
      {InputCall::CreateDevice, InputDevice::Keyboard,
       "Failed to obtain an interface to the system keyboard device"},
      {InputCall::SetDataFormat, InputDevice::Keyboard, "Failed to set the data format"},
      {InputCall::SetCooperativeLevel, InputDevice::Keyboard, "Failed to set the cooperativity level"},
      {InputCall::CreateDevice, InputDevice::Mouse,
       "Failed to obtain an interface to the system mouse device"},
      {InputCall::SetDataFormat, InputDevice::Mouse, "Failed to set the data format"},
      {InputCall::SetCooperativeLevel, InputDevice::Mouse, "Failed to set the cooperativity level"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    headless::ResetInput();
    log_->ClearRecords();
    headless::FailInputCall(row.call, row.device, DIERR_GENERIC, headless::kEveryCall);
    try {
      MakeControls(true);
      ADD_FAILURE() << "construction succeeded";
    } catch (const CorvantisEngine::FatalError& error) {
      EXPECT_EQ(error.GetMessage(), row.text);
    }
    EXPECT_NE(LogText().find(std::string("PROGRAM ABORTING: ") + row.text), std::string::npos);
    EXPECT_EQ(LogText().find("DirectInput devices destroying"), std::string::npos);
    EXPECT_EQ(platform::dinput::OpenObjectCount(), 0u) << "everything opened before the failure is released";
    EXPECT_EQ(platform::dinput::StaleCallCount(), 0u);
  }
}

TEST_F(Controls_DI7Test, RefusedBufferSizeFallsBackToImmediateReadingForThatDevice) {
  headless::FailInputCall(InputCall::SetBufferSize, InputDevice::Keyboard, DIERR_GENERIC,
                          headless::kEveryCall);
  Controls_DI7& controls = MakeControls(true);
  EXPECT_FALSE(controls.IsKeyboardBuffered());
  EXPECT_TRUE(controls.IsMouseBuffered());
  EXPECT_NE(LogText().find("\nError: Failed to set the buffered mode, switching to the immediate mode!\n\n"),
            std::string::npos);

  headless::PushKey(DIK_SPACE, true);
  headless::PushKey(DIK_SPACE, false);
  headless::PushMouseButton(0, true);
  headless::PushMouseButton(0, false);
  Frame([&] {
    EXPECT_FALSE(controls.IsKeyPressed("SPACE")) << "the keyboard reads its state";
    EXPECT_TRUE(controls.IsKeyPressed("MOUSE1")) << "the mouse still reads its records";
  });
  EXPECT_EQ(headless::CountInputCalls(InputCall::GetDeviceData, InputDevice::Keyboard), 0);
}

TEST_F(Controls_DI7Test, UnbufferedControlsNeverAskForRecords) {
  Controls_DI7& controls = MakeControls(false);
  EXPECT_EQ(LogText().find("Setting the buffered mode"), std::string::npos);
  EXPECT_EQ(headless::CountInputCalls(InputCall::SetBufferSize, InputDevice::Keyboard), 0);
  headless::PushMouseButton(1, true);
  for (int frame = 0; frame < 3; ++frame) {
    Frame([&] { EXPECT_TRUE(controls.IsKeyDown("MOUSE2")); });
  }
  EXPECT_EQ(headless::CountInputCalls(InputCall::GetDeviceData, InputDevice::Keyboard), 0);
  EXPECT_EQ(headless::CountInputCalls(InputCall::GetDeviceData, InputDevice::Mouse), 0);
  EXPECT_EQ(headless::CountInputCalls(InputCall::GetDeviceState, InputDevice::Keyboard), 3);
  EXPECT_EQ(headless::CountInputCalls(InputCall::GetDeviceState, InputDevice::Mouse), 3);
}

TEST_F(Controls_DI7Test, LostInputIsReacquiredAndTheFrameTakesTheCurrentState) {
  Controls_DI7& controls = MakeControls(true);
  headless::PushKey(DIK_SPACE, true);
  Frame();
  headless::LoseInput(InputDevice::Keyboard);
  headless::PushKey(DIK_RETURN, true);
  Frame([&] {
    EXPECT_TRUE(controls.IsKeyDown("SPACE"));
    EXPECT_TRUE(controls.IsKeyPressed("ENTER")) << "went down while the device was lost";
  });
  headless::PushKey(DIK_SPACE, false);
  Frame([&] { EXPECT_FALSE(controls.IsKeyDown("SPACE")) << "records again"; });
}

TEST_F(Controls_DI7Test, ReacquiringIsBoundedPerFrameAndKeysThenReadAsUp) {
  Controls_DI7& controls = MakeControls(true);
  headless::PushKey(DIK_SPACE, true);
  headless::PushMouseButton(0, true);
  Frame();
  const int limit = Controls_DI7::kMaxAcquireAttempts;
  // Two frames' worth of refusals: each frame tries after the failed record read and again after the
  // failed state read.
  headless::FailInputCall(InputCall::Acquire, InputDevice::Keyboard, DIERR_INPUTLOST, 4 * limit);
  headless::LoseInput(InputDevice::Keyboard);
  for (int frame = 0; frame < 2; ++frame) {
    const int acquiresBefore = headless::CountInputCalls(InputCall::Acquire, InputDevice::Keyboard);
    Frame([&] {
      EXPECT_FALSE(controls.IsKeyDown("SPACE"));
      EXPECT_TRUE(controls.IsKeyDown("MOUSE1")) << "the mouse is not affected";
    });
    const int acquires =
        headless::CountInputCalls(InputCall::Acquire, InputDevice::Keyboard) - acquiresBefore;
    EXPECT_GT(acquires, 0);
    EXPECT_LE(acquires, 2 * limit);
  }
  Frame([&] {
    EXPECT_TRUE(controls.IsKeyDown("SPACE")) << "acquired again: the key is still down";
    EXPECT_TRUE(controls.IsKeyPressed("SPACE"));
  });
}

}  // namespace
