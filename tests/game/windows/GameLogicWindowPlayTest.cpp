// The in-game window over the game's own level logic: the relax-mode decorations follow the level that
// is played, even when the profile's mode has changed since the level was made.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "game/GameLogic.h"
#include "game/PlayTestSupport.h"
#include "game/windows/GUIGameLogicWindow.h"
#include "game/windows/GUIMenuWindowManager.h"
#include "tools/fontbaker/FontFileWriter.h"
#include "tools/gui/GUIToolManager.h"

namespace Puzzle::windowstest {
namespace {

class GameLogicWindowPlayTest : public gametest::PlayTest {
 protected:
  ~GameLogicWindowPlayTest() override {
    hud_.reset();
    logic_.reset();
    menus_.reset();
    profiles_.reset();
    tools_.reset();
  }
  void SetUp() override {
    LoadAll();
    rig_.Write(
        "data/ui/windows/window_game_logic.xml",
        "<window name=\"window_game_logic\"><button name=\"menu\"/><button name=\"minimize\"/>"
        "<check_box name=\"fullscreen\"/><button name=\"close\"/><window name=\"money\"><text_label "
        "name=\"text_1\"/></window><window name=\"eater_bottom\"/><window name=\"eater_arrow\"/></window>\n");
    tools_ = std::make_unique<GUITools::GUIToolManager>(engine_, "en");
    profiles_ = std::make_unique<ProfileManager>(engine_, audio_.get(), rig_.Folder().Win("save"));
    profiles_->SetCurrentProfile(profiles_->AddProfile(L"Anna"), false);
    menus_ = std::make_unique<GUIMenuWindowManager>(gameData_.get());
    hud_ = std::make_unique<GUIGameLogicWindow>(engine_, profiles_.get(), gameData_.get(), tools_.get(),
                                                menus_.get(), nullptr);
  }
  // The game's level logic, made while the profile is in that mode.
  void MakeLevel(bool relax) {
    logic_.reset();
    profiles_->GetCurrent()->SetGameMode(relax ? 1 : 0);
    logic_ = std::make_unique<GameLogic>(engine_, nullptr, profiles_.get(), audio_.get(), gameData_.get(),
                                         level_.get(), nullptr, nullptr, nullptr, 0, "");
  }
  bool EatersShown() const {
    return hud_->IsControlEnabled("window_game_logic/eater_bottom") &&
           hud_->IsControlEnabled("window_game_logic/eater_arrow");
  }

  std::unique_ptr<GUITools::GUIToolManager> tools_;
  std::unique_ptr<ProfileManager> profiles_;
  std::unique_ptr<GameLogic> logic_;
  std::unique_ptr<GUIMenuWindowManager> menus_;
  std::unique_ptr<GUIGameLogicWindow> hud_;
};

TEST_F(GameLogicWindowPlayTest, TheDecorationsFollowTheRelaxModeOfTheLevelInPlay) {
  for (bool relax : {true, false}) {
    SCOPED_TRACE(relax ? "relax" : "normal");
    MakeLevel(relax);
    profiles_->GetCurrent()->SetGameMode(relax ? 0 : 1);  // changed after the level was made
    hud_->Open(16, logic_.get());
    EXPECT_EQ(EatersShown(), !relax);
    EXPECT_EQ(hud_->GetLogic(), logic_.get());
    hud_->Hide();
  }
}

}  // namespace
}  // namespace Puzzle::windowstest
