// The real game object on the built data pack: every factory makes its window from the game's window
// descriptions, the logos and the loading screen lead to the welcome window while there is no player,
// and straight to the main menu once there is one, whose credits open and close again.
#include <gtest/gtest.h>

#include <string>

#include "engine/Engine.h"
#include "framework/GUIFrameworkWindow.h"
#include "framework/ProfileManagerBase.h"
#include "game/Game.h"
#include "game/windows/GUIMenuWindow.h"
#include "platform/headless/HeadlessClock.h"
#include "tests/game/GameFlowFixture.h"
#include "tests/game/windows/InputScript.h"

namespace Puzzle {
namespace {

// Factory order of the windows (GameBase::GetWindows).
constexpr std::size_t kWelcome = 3;
constexpr std::size_t kMainMenu = 5;
constexpr std::size_t kHelp = 15;

class GameStartTest : public flowtest::GameFlowFixture {
 protected:
  static bool Active(const Game& game, std::size_t slot) {
    auto* window = dynamic_cast<GUIMenuWindow*>(game.GetWindows()[slot]);
    return window != nullptr && window->IsActive();
  }
};

TEST_F(GameStartTest, LogosAndLoadingLeadToTheWelcomeWindowThenToTheMainMenu) {
  if (!HasPack())
    GTEST_SKIP() << "the data pack is not built";
  {
    Game game(Game::kMaker, Game::kTitle, Game::kVersion);
    windowstest::InputScript input(game.GetEngine(), [&] {
      platform::headless::StepClockMilliseconds(20);
      game.Frame();
    });
    ASSERT_TRUE(input.RunUntil([&] { return Active(game, kWelcome); }, 3000)) << "logos and loading end";
    for (GameFramework::GUIFrameworkWindow* window : game.GetWindows())
      EXPECT_NE(window, nullptr);
    EXPECT_NE(game.GetRelaxWindow(), nullptr);
    EXPECT_FALSE(Active(game, kMainMenu));
    GameFramework::ProfileManagerBase* profiles = game.GetProfileManager();
    profiles->SetCurrentProfile(profiles->AddProfile(L"Anna"), true);
    game.GetEngine()->RequestExit();
    EXPECT_TRUE(game.IsQuit());
  }
  // A player exists now.
  Game game(Game::kMaker, Game::kTitle, Game::kVersion);
  windowstest::InputScript input(game.GetEngine(), [&] {
    platform::headless::StepClockMilliseconds(20);
    game.Frame();
  });
  ASSERT_TRUE(input.RunUntil([&] { return Active(game, kMainMenu); }, 3000));
  EXPECT_FALSE(Active(game, kWelcome));
  EXPECT_EQ(game.GetProfileManager()->GetCurrentProfile()->GetName(), L"Anna");

  // Credits and back, once the menu's buttons have flown in.
  input.Frames(100);
  auto* mainMenu = dynamic_cast<GUIMenuWindow*>(game.GetWindows()[kMainMenu]);
  ASSERT_TRUE(input.Click(*mainMenu, "/window/credits"));
  ASSERT_TRUE(input.RunUntil([&] { return Active(game, kHelp); }, 500));
  input.Frames(100);
  ASSERT_TRUE(input.Click(*dynamic_cast<GUIMenuWindow*>(game.GetWindows()[kHelp]), "/window/button_0"));
  EXPECT_TRUE(input.RunUntil([&] { return Active(game, kMainMenu); }, 500));
}

}  // namespace
}  // namespace Puzzle
