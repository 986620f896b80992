// The real game object on the built data pack: every factory makes its window from the game's window
// descriptions, and the logos and the loading screen lead to the welcome window while there is no
// player. (One start only: the whole pack is read, which is slow under the sanitizers.)
#include <gtest/gtest.h>

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

class GameStartTest : public flowtest::GameFlowFixture {
 protected:
  static bool Active(const Game& game, std::size_t slot) {
    auto* window = dynamic_cast<GUIMenuWindow*>(game.GetWindows()[slot]);
    return window != nullptr && window->IsActive();
  }
};

TEST_F(GameStartTest, LogosAndLoadingLeadToTheWelcomeWindow) {
  if (!HasPack())
    GTEST_SKIP() << "the data pack is not built";
  Game game(Game::kMaker, Game::kTitle, Game::kVersion);
  windowstest::InputScript input(game.GetEngine(), [&] {
    platform::headless::StepClockMilliseconds(40);
    game.Frame();
  });
  ASSERT_TRUE(input.RunUntil([&] { return Active(game, kWelcome); }, 1500)) << "logos and loading end";
  for (GameFramework::GUIFrameworkWindow* window : game.GetWindows())
    EXPECT_NE(window, nullptr);
  EXPECT_NE(game.GetRelaxWindow(), nullptr);
  EXPECT_NE(game.GetContent(), nullptr);
  EXPECT_FALSE(Active(game, kMainMenu));
  EXPECT_TRUE(game.GetProfileManager()->GetProfiles().empty());
  game.GetEngine()->RequestExit();
  EXPECT_TRUE(game.IsQuit());
}

}  // namespace
}  // namespace Puzzle
