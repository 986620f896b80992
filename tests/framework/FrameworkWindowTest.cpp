// The window protocol (opener id, result, consumed flag) as the game's windows use it, and the in-game
// window base: the level and profile it is shown with, its active flag and the full-screen copy that
// follows a window-mode switch.
#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"
#include "TestProfiles.h"
#include "engine/config/Config.h"
#include "framework/AudioManager.h"
#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {
namespace {

using frameworktest::TestProfileManager;

// A window as the game writes them: base first, then a button that posts a code; one variant answers
// from Show without input.
class ButtonWindow : public GUIFrameworkWindow {
 public:
  void Update() override {
    GUIFrameworkWindow::Update();
    if (clicked) {
      result = 12;
    }
  }
  void Show(std::uint32_t opener) override {
    GUIFrameworkWindow::Show(opener);
    if (answerAtOnce) {
      result = 7;
      resultConsumed = 0;
    }
  }
  bool clicked = false;
  bool answerAtOnce = false;
};

TEST(FrameworkWindowTest, ProtocolFieldsThroughShowUpdateAndHide) {
  ButtonWindow window;
  EXPECT_EQ(window.resultConsumed, 1);
  EXPECT_EQ(window.openerId, 0u);
  EXPECT_EQ(window.result, 0u);

  window.Show(1);
  EXPECT_EQ(window.openerId, 1u);
  EXPECT_EQ(window.resultConsumed, 1) << "showing alone posts nothing";
  window.clicked = true;
  window.Update();
  EXPECT_EQ(window.result, 12u);
  window.clicked = false;
  window.Update();
  EXPECT_EQ(window.result, 0u) << "the next frame clears the answer";

  // An answer decided in Show waits for the dispatch; hiding marks it seen.
  window.answerAtOnce = true;
  window.Show(31);
  EXPECT_EQ(window.openerId, 31u);
  EXPECT_EQ(window.result, 7u);
  EXPECT_EQ(window.resultConsumed, 0);
  window.Hide();
  EXPECT_EQ(window.resultConsumed, 1);
  EXPECT_EQ(window.openerId, 31u) << "the opener is kept until the next Show";
}

// Counts the SetActive calls that reach the virtual slot.
class CountingGameWindow : public GUIGameLogicWindowBase {
 public:
  using GUIGameLogicWindowBase::GUIGameLogicWindowBase;
  void SetActive(bool flag) override {
    ++activations;
    GUIGameLogicWindowBase::SetActive(flag);
  }
  int activations = 0;
};

class GameLogicWindowTest : public frameworktest::SaveFolderTest {
 protected:
  GameLogicWindowTest()
      : audio_(engine_),
        profiles_(engine_, &audio_, Save()),
        window_(engine_, &profiles_),
        config_(engine_->GetConfig()) {
    profiles_.SetCurrentProfile(profiles_.AddProfile(L"Anna"), false);
  }

  AudioManager audio_;
  TestProfileManager profiles_;
  CountingGameWindow window_;
  CorvantisEngine::Config* config_;
};

TEST_F(GameLogicWindowTest, ShowWithLevelTakesLevelProfileAndFullScreenAndHideForgetsThem) {
  auto* level = reinterpret_cast<GameLogicBase*>(&window_);  // only stored, never used
  config_->v_fullscreen = 1;
  window_.ShowWithLevel(9, level);
  EXPECT_EQ(window_.openerId, 9u);
  EXPECT_EQ(window_.level, level);
  EXPECT_EQ(window_.profile, profiles_.GetCurrentProfile());
  EXPECT_EQ(window_.fullScreen, 1);
  EXPECT_EQ(window_.active, 1);
  EXPECT_EQ(window_.activations, 1);

  window_.SetActive(false);
  EXPECT_EQ(window_.active, 0);
  window_.Hide();
  EXPECT_EQ(window_.level, nullptr);
  EXPECT_EQ(window_.profile, nullptr);
  EXPECT_EQ(window_.resultConsumed, 1);
}

TEST_F(GameLogicWindowTest, FullScreenCopyFollowsOnlyAnIssuedModeSwitch) {
  window_.ShowWithLevel(9, nullptr);
  window_.result = 5;
  config_->v_fullscreen = 1;
  window_.Update();
  EXPECT_EQ(window_.result, 0u);
  EXPECT_EQ(window_.fullScreen, 0) << "no switch under way";

  config_->SetBool("v_window_change_mode", false);
  window_.Update();
  EXPECT_EQ(window_.fullScreen, 1);
  config_->SetBool("v_window_change_mode", true);
}

}  // namespace
}  // namespace GameFramework
