// Controls over the headless input layer: frame scripts of key and button events, the input lock, the
// window's last key event, the cursor's display counter and position.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "InputTestFixture.h"
#include "engine/input/KeyNames.h"
#include "platform/dinput/DInput.h"
#include "platform/win32/WinCursor.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindow.h"

namespace {

namespace headless = platform::headless;
using CorvantisEngine::Controls_DI7;

struct Push {
  enum Kind { kKey, kButton, kMotion } kind;
  int code;  // DIK code, button index or x motion
  bool down;
};
Push Key(BYTE code, bool down) {
  return {Push::kKey, code, down};
}
Push Button(unsigned button, bool down) {
  return {Push::kButton, static_cast<int>(button), down};
}
Push Motion(int dx) {
  return {Push::kMotion, dx, false};
}

void PushAll(const std::vector<Push>& pushes) {
  for (const Push& push : pushes) {
    switch (push.kind) {
      case Push::kKey:
        headless::PushKey(static_cast<BYTE>(push.code), push.down);
        break;
      case Push::kButton:
        headless::PushMouseButton(static_cast<unsigned>(push.code), push.down);
        break;
      case Push::kMotion:
        headless::PushMouseMotion(push.code, 0);
        break;
    }
  }
}

std::vector<Push> Repeat(const Push& push, int times) {
  return std::vector<Push>(times, push);
}

// `records` changes of one button, down first.
std::vector<Push> Toggles(unsigned button, int records) {
  std::vector<Push> pushes;
  for (int i = 0; i < records; ++i) {
    pushes.push_back(Button(button, i % 2 == 0));
  }
  return pushes;
}

struct Expect {
  std::string name;
  bool down;
  bool pressed;
};

struct FrameStep {
  std::vector<Push> pushes;  // between the previous frame and this one
  std::vector<Expect> expects;
  std::optional<bool> anyKeyDown;
};

struct Script {
  const char* why;
  bool buffered;
  std::vector<FrameStep> frames;
};

std::vector<Push> Concat(std::vector<Push> a, const std::vector<Push>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class ControlsTest : public inputtest::EngineCorner {};

TEST_F(ControlsTest, FrameScripts) {
  const Script scripts[] = {
      {"press and release within one buffered frame is seen for that frame only",
       true,
       {{{Key(DIK_SPACE, true), Key(DIK_SPACE, false)}, {{"SPACE", true, true}}, true},
        {{}, {{"SPACE", false, false}}, false}}},
      {"press and release between two immediate readings is not seen",
       false,
       {{{Key(DIK_SPACE, true), Key(DIK_SPACE, false)}, {{"SPACE", false, false}}, false}}},
      {"a key held three frames is pressed in the first only",
       true,
       {{{Key(DIK_P, true)}, {{"P", true, true}}},
        {{}, {{"P", true, false}}},
        {{}, {{"P", true, false}}},
        {{Key(DIK_P, false)}, {{"P", false, false}}}}},
      {"a key held three frames, immediate",
       false,
       {{{Key(DIK_P, true)}, {{"P", true, true}}},
        {{}, {{"P", true, false}}},
        {{}, {{"P", true, false}}},
        {{Key(DIK_P, false)}, {{"P", false, false}}}}},
      {"unlisted names never read as down",
       true,
       {{{Key(DIK_SPACE, true)},
         {{"SPACE", true, true},
          {"space", false, false},
          {"Space", false, false},
          {"SPACE ", false, false},
          {"MOUSE9", false, false},
          {"MOUSE0", false, false}}}}},
      {"the empty name is the right bracket key and the backslash name its own key",
       true,
       {{{Key(DIK_RBRACKET, true)}, {{"", true, true}, {"[", false, false}, {"\\", false, false}}},
        {{Key(DIK_RBRACKET, false), Key(DIK_BACKSLASH, true)}, {{"", false, false}, {"\\", true, true}}}}},
      {"Escape is ESCAPE and not the right mouse button, buffered",
       true,
       {{{Key(DIK_ESCAPE, true)}, {{"ESCAPE", true, true}, {"MOUSE2", false, false}}}}},
      {"Escape is ESCAPE and not the right mouse button, immediate",
       false,
       {{{Key(DIK_ESCAPE, true)}, {{"ESCAPE", true, true}, {"MOUSE2", false, false}}}}},
      {"digit keys share codes with mouse button indices but stay digits",
       true,
       {{{Key(DIK_1, true), Key(DIK_6, true)},
         {{"1", true, true}, {"6", true, true}, {"MOUSE3", false, false}, {"MOUSE8", false, false}}}}},
      {"the Windows and application keys are in no row",
       true,
       {{{Key(DIK_LWIN, true), Key(DIK_RWIN, true), Key(DIK_APPS, true)}, {}, false}}},
      {"the right button is MOUSE2, the middle one MOUSE3",
       true,
       {{{Button(1, true), Button(2, true)},
         {{"MOUSE2", true, true}, {"MOUSE3", true, true}, {"MOUSE1", false, false}}},
        {{Button(1, false)}, {{"MOUSE2", false, false}, {"MOUSE3", true, false}}}}},
      {"mouse buttons, immediate",
       false,
       {{{Button(0, true), Button(7, true)}, {{"MOUSE1", true, true}, {"MOUSE8", true, true}}},
        {{Button(0, false)}, {{"MOUSE1", false, false}, {"MOUSE8", true, false}}}}},
      {"more than 8 key events overflow: the frame takes the current state",
       true,
       {{{Key(DIK_A, true), Key(DIK_A, false), Key(DIK_B, true), Key(DIK_C, true), Key(DIK_D, true),
          Key(DIK_E, true), Key(DIK_F, true), Key(DIK_G, true), Key(DIK_H, true)},
         {{"A", false, false}, {"B", true, true}, {"H", true, true}}},
        {{Key(DIK_C, false)}, {{"C", false, false}, {"B", true, false}}}}},
      {"motion waiting in the buffer is merged: a button behind 17 motion events is handled in its frame",
       true,
       {{Concat(Repeat(Motion(1), 17), {Button(0, true)}), {{"MOUSE1", true, true}}},
        {{}, {{"MOUSE1", true, false}}}}},
      {"a button record behind 8 button records is handled a frame later",
       true,
       {{Concat(Toggles(2, 8), {Button(0, true)}), {{"MOUSE1", false, false}, {"MOUSE3", true, true}}},
        {{}, {{"MOUSE1", true, true}}}}},
      {"more than 16 mouse records: the frame reads the button state",
       true,
       {{Concat(Toggles(2, 17), {Button(0, true)}), {{"MOUSE1", true, true}}},
        {{}, {{"MOUSE1", true, false}}}}},
  };
  for (const Script& script : scripts) {
    SCOPED_TRACE(script.why);
    headless::ResetInput();
    MakeControls(script.buffered);
    int frameNumber = 0;
    for (const FrameStep& step : script.frames) {
      SCOPED_TRACE("frame " + std::to_string(++frameNumber));
      PushAll(step.pushes);
      Frame([&] {
        for (const Expect& expect : step.expects) {
          EXPECT_EQ(controls_->IsKeyDown(expect.name), expect.down) << '"' << expect.name << '"';
          EXPECT_EQ(controls_->IsKeyPressed(expect.name), expect.pressed) << '"' << expect.name << '"';
        }
        if (step.anyKeyDown) {
          EXPECT_EQ(controls_->IsAnyKeyDown(), *step.anyKeyDown);
        }
      });
    }
    controls_.reset();
  }
}

TEST_F(ControlsTest, LockHoldsWhileAButtonIsHeldAndEndsInTheFrameThatSeesItUp) {
  Controls_DI7& controls = MakeControls();
  headless::PushMouseButton(0, true);
  Frame([&] {
    EXPECT_TRUE(controls.IsKeyPressed("MOUSE1"));
    controls.LockInput();
    EXPECT_FALSE(controls.IsKeyDown("MOUSE1"));
    EXPECT_FALSE(controls.IsKeyPressed("MOUSE1"));
    EXPECT_FALSE(controls.IsAnyKeyDown());
  });
  for (int frame = 0; frame < 3; ++frame) {
    Frame([&] {
      EXPECT_TRUE(controls.IsInputLocked());
      EXPECT_FALSE(controls.IsKeyDown("MOUSE1"));
    });
  }
  headless::PushMouseButton(0, false);
  headless::PushKey(DIK_Q, true);
  headless::PushKey(DIK_Q, false);  // pressed within the frame: still something down
  Frame([&] { EXPECT_TRUE(controls.IsInputLocked()); });
  Frame([&] {
    EXPECT_FALSE(controls.IsInputLocked());
    EXPECT_FALSE(controls.IsKeyDown("MOUSE1"));
  });
  headless::PushKey(DIK_Q, true);
  Frame([&] { EXPECT_TRUE(controls.IsKeyPressed("Q")); });
}

TEST_F(ControlsTest, LockIsHeldByTheFramesKeyEvent) {
  Controls_DI7& controls = MakeControls();
  controls.LockInput();
  window_->WindowProc(window_->GetHandle(), WM_CHAR, 'a', 0);
  Frame([&] { EXPECT_TRUE(controls.IsInputLocked()); });
  Frame([&] { EXPECT_FALSE(controls.IsInputLocked()); });
}

TEST_F(ControlsTest, LongLockAsksTheSystemWhetherAnyKeyIsStillDown) {
  Controls_DI7& controls = MakeControls();
  headless::PushKey(DIK_SPACE, true);
  Frame([&] { controls.LockInput(); });
  timers_->delta = 0.5f;
  for (int frame = 1; frame <= 4; ++frame) {  // 0.5 .. 2.0 seconds: not yet past the limit
    Frame([&] { EXPECT_TRUE(controls.IsInputLocked()) << frame; });
  }
  windows_->SetKeyDown(VK_SPACE, true);
  Frame([&] { EXPECT_TRUE(controls.IsInputLocked()) << "the system still reports Space down"; });
  windows_->SetKeyDown(VK_SPACE, false);
  Frame([&] {
    EXPECT_FALSE(controls.IsInputLocked());
    // The key state never saw the release: the key reads as held, but not as pressed.
    EXPECT_TRUE(controls.IsKeyDown("SPACE"));
    EXPECT_FALSE(controls.IsKeyPressed("SPACE"));
  });
  // A new lock starts its time afresh.
  controls.LockInput();
  for (int frame = 1; frame <= 4; ++frame) {
    Frame([&] { EXPECT_TRUE(controls.IsInputLocked()) << frame; });
  }
  Frame([&] { EXPECT_FALSE(controls.IsInputLocked()); });
}

TEST_F(ControlsTest, LastKeyEventIsTheFramesLastOne) {
  Controls_DI7& controls = MakeControls();
  const HWND handle = window_->GetHandle();
  std::uint16_t code = 0;
  bool isCharacter = true;

  Frame([&] { EXPECT_FALSE(controls.GetLastKeyEvent(code, isCharacter)); });

  window_->WindowProc(handle, WM_CHAR, 'a', 0);
  window_->WindowProc(handle, WM_CHAR, 'b', 0);
  Frame([&] {
    ASSERT_TRUE(controls.GetLastKeyEvent(code, isCharacter));
    EXPECT_EQ(code, u'b');
    EXPECT_TRUE(isCharacter);
  });
  Frame([&] { EXPECT_FALSE(controls.GetLastKeyEvent(code, isCharacter)) << "cleared at the frame end"; });

  window_->WindowProc(handle, WM_CHAR, 'x', 0);
  window_->WindowProc(handle, WM_KEYDOWN, VK_RETURN, 0);
  Frame([&] {
    ASSERT_TRUE(controls.GetLastKeyEvent(code, isCharacter));
    EXPECT_EQ(code, VK_RETURN);
    EXPECT_FALSE(isCharacter);
    controls.LockInput();
    EXPECT_FALSE(controls.GetLastKeyEvent(code, isCharacter)) << "locked";
    EXPECT_EQ(controls.GetKeyEventCount(), 0u) << "locked";
  });
}

TEST_F(ControlsTest, EveryKeyEventOfTheFrameIsKeptInOrder) {
  Controls_DI7& controls = MakeControls();
  const HWND handle = window_->GetHandle();
  std::uint16_t code = 0;
  bool isCharacter = false;

  window_->WindowProc(handle, WM_KEYDOWN, 'A', 0);
  window_->WindowProc(handle, WM_CHAR, 'a', 0);
  window_->WindowProc(handle, WM_CHAR, 0x1F, 0);  // a control character is no event
  window_->WindowProc(handle, WM_CHAR, 0x20AC, 0);
  window_->WindowProc(handle, WM_SYSKEYDOWN, VK_F4, 0);
  Frame([&] {
    const std::vector<std::pair<std::uint16_t, bool>> expected = {
        {'A', false}, {'a', true}, {0x20AC, true}, {VK_F4, false}};
    ASSERT_EQ(controls.GetKeyEventCount(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      ASSERT_TRUE(controls.GetKeyEvent(i, code, isCharacter)) << i;
      EXPECT_EQ(code, expected[i].first) << i;
      EXPECT_EQ(isCharacter, expected[i].second) << i;
    }
    EXPECT_FALSE(controls.GetKeyEvent(expected.size(), code, isCharacter));
  });
  Frame([&] { EXPECT_EQ(controls.GetKeyEventCount(), 0u) << "cleared at the frame end"; });

  // A frame stalled for long keeps a bounded queue: the first events, none overwritten.
  for (std::size_t i = 0; i < CorvantisEngine::Window::kMaxKeyEvents + 40; ++i) {
    window_->WindowProc(handle, WM_CHAR, 0x100 + i, 0);
  }
  Frame([&] {
    ASSERT_EQ(controls.GetKeyEventCount(), CorvantisEngine::Window::kMaxKeyEvents);
    ASSERT_TRUE(controls.GetKeyEvent(CorvantisEngine::Window::kMaxKeyEvents - 1, code, isCharacter));
    EXPECT_EQ(code, 0x100 + CorvantisEngine::Window::kMaxKeyEvents - 1);
  });
}

int CursorCount() {
  ShowCursor(TRUE);
  return ShowCursor(FALSE);
}

TEST_F(ControlsTest, CursorCounterMovesOneStepPerFrameTowardsItsBound) {
  const int start = CursorCount();
  Controls_DI7& controls = MakeControls();
  EXPECT_EQ(CursorCount(), start) << "construction leaves the cursor alone";
  ASSERT_EQ(start, 0);
  for (int frame = 1; frame <= 15; ++frame) {
    Frame();
    EXPECT_EQ(CursorCount(), std::min(frame, 10));
  }
  controls.SetCursorVisible(false);
  EXPECT_EQ(CursorCount(), -1) << "hidden at once";
  EXPECT_FALSE(controls.IsCursorVisible());
  for (int frame = 1; frame <= 15; ++frame) {
    Frame();
    EXPECT_EQ(CursorCount(), std::max(-1 - frame, -10));
  }
  EXPECT_FALSE(windows_->CursorVisible());

  // The engine's end shows the cursor again.
  controls_.reset();
  EXPECT_GE(CursorCount(), 0);
  EXPECT_TRUE(windows_->CursorVisible());
}

TEST_F(ControlsTest, CursorCounterFarOutOfRangeComesBackWithoutHanging) {
  for (int i = 0; i < 1000; ++i) {
    ShowCursor(FALSE);
  }
  Controls_DI7& controls = MakeControls();
  for (int frame = 0; frame < 20 && CursorCount() < 0; ++frame) {
    Frame();
  }
  EXPECT_GE(CursorCount(), 0);
  EXPECT_TRUE(controls.IsCursorVisible());
}

TEST_F(ControlsTest, CursorPositionIsInClientPixels) {
  Controls_DI7& controls = MakeControls();
  POINT origin{0, 0};
  ASSERT_TRUE(ClientToScreen(window_->GetHandle(), &origin));

  SetCursorPos(origin.x - 5, origin.y + 7);
  CorvantisEngine::Vector2 position = controls.GetCursorPosition();
  EXPECT_FLOAT_EQ(position.x, -5.0f) << "left of the client area";
  EXPECT_FLOAT_EQ(position.y, 7.0f);

  controls.SetCursorPosition({10.9f, -3.7f});
  POINT screen{};
  ASSERT_TRUE(GetCursorPos(&screen));
  EXPECT_EQ(screen.x, origin.x + 10) << "truncated toward zero";
  EXPECT_EQ(screen.y, origin.y - 3);
  EXPECT_FLOAT_EQ(controls.GetCursorPosition().x, 10.0f);

  controls.SetCursorPosition({std::nanf(""), 1e30f});
  ASSERT_TRUE(GetCursorPos(&screen));
  EXPECT_EQ(screen.x, origin.x) << "NaN is taken as 0";
}

}  // namespace
