// The console's frame step over the headless controls: its key toggles it, and the frame's key event
// reaches it only while it is open.
#include <gtest/gtest.h>

#include <memory>

#include "FakeConsoleView.h"
#include "engine/console/Console.h"
#include "engine/input/InputTestFixture.h"
#include "platform/dinput/DInput.h"
#include "platform/win32/WinMessages.h"

namespace consoletest {
namespace {

using CorvantisEngine::Console;
namespace headless = platform::headless;

class ConsoleControlsTest : public inputtest::EngineCorner {
 protected:
  void SetUp() override {
    EngineCorner::SetUp();
    MakeControls();
    auto view = std::make_unique<FakeConsoleView>();
    view_ = view.get();
    // 100 units a frame on a fixed delta: four frames from closed to open at 300.
    timers_->delta = 0.1f;
    console_ =
        std::make_unique<Console>(log_.get(), timers_.get(), config_.get(), controls_.get(), std::move(view),
                                  "Console", u'>', u'-', "F12", 0.8f, 300.0f, 1000.0f);
  }
  void TearDown() override {
    console_.reset();
    EngineCorner::TearDown();
  }

  void ConsoleFrame() {
    Frame([&] { console_->Execute(); });
  }
  void PressKey(BYTE key) {
    headless::PushKey(key, true);
    ConsoleFrame();
    headless::PushKey(key, false);
  }
  void PostKeyDown(WPARAM key) { window_->WindowProc(window_->GetHandle(), WM_KEYDOWN, key, 0); }

  FakeConsoleView* view_ = nullptr;
  std::unique_ptr<Console> console_;
};

TEST_F(ConsoleControlsTest, KeyOpensAndClosesAndKeysActOnlyWhileOpen) {
  ConsoleFrame();
  EXPECT_EQ(console_->GetState(), Console::kClosed);

  PressKey(DIK_F12);
  EXPECT_EQ(console_->GetState(), Console::kOpening);
  EXPECT_TRUE(view_->shown);
  EXPECT_FLOAT_EQ(view_->windowY, 500.0f);

  // Enter during the slide does not run the line.
  view_->input = L"v_vsync 0";
  PostKeyDown(VK_RETURN);
  ConsoleFrame();
  EXPECT_EQ(config_->v_vsync, 1);
  EXPECT_EQ(view_->input, L"v_vsync 0");

  for (int i = 0; i < 4 && console_->GetState() != Console::kOpen; ++i) {
    ConsoleFrame();
  }
  ASSERT_EQ(console_->GetState(), Console::kOpen);
  EXPECT_FLOAT_EQ(view_->windowY, 300.0f);
  EXPECT_TRUE(view_->inputActive);

  // A typed character with Enter's code is the edit box's business, not a key.
  window_->WindowProc(window_->GetHandle(), WM_CHAR, VK_RETURN, 0);
  ConsoleFrame();
  EXPECT_EQ(config_->v_vsync, 1);

  PostKeyDown(VK_RETURN);
  ConsoleFrame();
  EXPECT_EQ(config_->v_vsync, 0);
  EXPECT_EQ(view_->input, L"");
  ASSERT_EQ(console_->GetHistory().size(), 1u);

  // Closing: a line left in the edit box does not run from a key meant for the game.
  view_->input = L"v_vsync 1";
  PressKey(DIK_F12);
  EXPECT_EQ(console_->GetState(), Console::kClosing);
  EXPECT_FALSE(view_->inputActive);
  PostKeyDown(VK_RETURN);
  ConsoleFrame();
  EXPECT_EQ(config_->v_vsync, 0);
  for (int i = 0; i < 5; ++i) {
    ConsoleFrame();
  }
  EXPECT_EQ(console_->GetState(), Console::kClosed);
  EXPECT_FALSE(view_->shown);
}

TEST_F(ConsoleControlsTest, KeyNameSetInLowerCaseStillNamesTheKey) {
  config_->ExecuteLine("ui_console_key c", nullptr);
  EXPECT_EQ(console_->keyName, "c");
  PressKey(DIK_F12);
  EXPECT_EQ(console_->GetState(), Console::kClosed) << "the old key is unbound";
  PressKey(DIK_C);
  EXPECT_EQ(console_->GetState(), Console::kOpening);
}

TEST_F(ConsoleControlsTest, AWarningShowsInGreyOnTheNextFrame) {
  log_->ClearRecords();
  log_->Warning("disk almost full");
  const std::size_t from = console_->GetLines().size();
  ConsoleFrame();
  bool found = false;
  for (std::size_t i = from; i < console_->GetLines().size(); ++i) {
    const auto& line = console_->GetLines()[i];
    if (line.text == L"Warning: disk almost full!\n") {
      found = true;
      EXPECT_FLOAT_EQ(line.colour.x, 0.5f);
      EXPECT_FLOAT_EQ(line.colour.y, 0.5f);
      EXPECT_FLOAT_EQ(line.colour.z, 0.5f);
    }
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace consoletest
