// The whole game driven by scripted input on the built data, headless: the logos, the welcome window
// with a new player, the main menu, the start-game window, a level played to completion by picking the
// pieces off the tray and putting them on their places, the level-complete window and the next level;
// pause, the in-game menu, restart and leaving for the menus; a lost level, the game-over window and
// the relax-mode offer, declined and taken, which end on the start-game window; and quitting.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "GameFlowFixture.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "framework/GUIFrameworkWindow.h"
#include "framework/GUIGameLogicMenuWindowBase.h"
#include "framework/GUIWindowBases.h"
#include "framework/GameLogicBase.h"
#include "game/Game.h"
#include "game/GameLogic.h"
#include "game/Profile.h"
#include "game/Puzzle.h"
#include "game/PuzzleDepository.h"
#include "game/PuzzleElement.h"
#include "game/windows/GUIMenuWindow.h"
#include "game/windows/GUIMenuWindowManager.h"
#include "game/windows/GUINoticeWindow.h"
#include "platform/headless/HeadlessClock.h"
#include "tests/game/windows/InputScript.h"
#include "tools/gui/GUIControl.h"
#include "tools/gui/GUITextControl.h"
#include "tools/gui/GUIWindowBase.h"

namespace Puzzle::flowtest {
namespace {

using GameFramework::GUIFrameworkWindow;
using windowstest::InputScript;

// The game with its windows in reach of the test.
class FlowGame : public Game {
 public:
  FlowGame() : Game(kMaker, kTitle, kVersion) {}

  using Game::relaxWindow;
  using GameBase::exitWindow;
  using GameBase::gameExitWindow;
  using GameBase::gameLogicMenuWindow;
  using GameBase::gameLogicWindow;
  using GameBase::gameOverWindow;
  using GameBase::levelCompleteWindow;
  using GameBase::mainMenuWindow;
  using GameBase::menuExitWindow;
  using GameBase::pauseWindow;
  using GameBase::restartWindow;
  using GameBase::startGameWindow;
  using GameBase::welcomeWindow;
};

constexpr std::uint64_t kFrameMilliseconds = 40;
// Long enough for the logos, the loading and a level's intro at 25 frames a second.
constexpr int kLongWait = 3000;
constexpr int kSettleFrames = 30;

class GameFlowTest : public GameFlowFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(HasPack());
    // One stage of two levels, each picture cut in two.
    WriteLevels({2});
    WriteSmallCut(2, 1);
    game_ = std::make_unique<FlowGame>();
    script_ = std::make_unique<InputScript>(game_->GetEngine(), [this] {
      platform::headless::StepClockMilliseconds(frameMilliseconds_);
      game_->Frame();
    });
  }
  void TearDown() override {
    script_.reset();
    game_.reset();
  }

  static GUIMenuWindow* Menu(GUIFrameworkWindow* window) { return dynamic_cast<GUIMenuWindow*>(window); }
  static GUITools::GUIWindowBase* Screen(GUIFrameworkWindow* window) {
    return dynamic_cast<GUITools::GUIWindowBase*>(window);
  }
  // Frames until the menu window is on screen and answers its buttons. The window may not exist yet
  // (the windows are made when the game's loading ends).
  template <typename Window>
  bool WaitFor(const std::unique_ptr<Window>& window, int limit = kLongWait) {
    return script_->RunUntil(
        [&window] {
          GUIMenuWindow* menu = Menu(window.get());
          return menu != nullptr && menu->IsActive();
        },
        limit);
  }
  // The window on screen, then a click on its control.
  template <typename Window>
  void ClickWhenShown(const std::unique_ptr<Window>& window, const std::string& control) {
    ASSERT_TRUE(WaitFor(window)) << control;
    // The control comes (some windows wait a moment before they show it) and plays its show animation
    // first, as the player waits for them.
    GUIMenuWindow* menu = Menu(window.get());
    const GUITools::GUIControl* target = menu->GetControl(menu->GetName() + control);
    ASSERT_NE(target, nullptr) << control;
    ASSERT_TRUE(script_->RunUntil(
        [target] { return target->GetElement() != nullptr && target->GetElement()->visible != 0; }, 200))
        << control;
    script_->Frames(kSettleFrames);
    ASSERT_TRUE(script_->Click(*Menu(window.get()), control));
  }
  GameLogic* Level() const { return dynamic_cast<GameLogic*>(game_->GetGameLogic()); }
  Profile* Player() const { return static_cast<Profile*>(game_->GetProfileManager()->GetCurrentProfile()); }
  bool LevelRunning() const {
    return Level() != nullptr && Level()->state == GameFramework::GameLogicBase::kRunning;
  }

  // The first run: the welcome window takes the player's name, the main menu starts and the start-game
  // window starts the first level.
  void StartFirstLevel() {
    ASSERT_TRUE(WaitFor(game_->welcomeWindow)) << "the logos and the loading lead to the welcome";
    GUIMenuWindow* welcome = Menu(game_->welcomeWindow.get());
    ASSERT_NE(game_->relaxWindow, nullptr);
    const std::vector<GUIMenuWindow*>& menus = game_->GetMenuWindowManager()->GetWindows();
    ASSERT_GE(menus.size(), 2u);
    EXPECT_EQ(menus[menus.size() - 2], Menu(game_->relaxWindow.get()))
        << "the relax offer is made after the framework's windows";
    EXPECT_EQ(menus.back(), static_cast<GUIMenuWindow*>(game_->GetNoticeWindow()))
        << "and the saved-games notice last";
    ASSERT_TRUE(script_->Click(*welcome, "/window/name"));
    script_->Type(Windows(), u"Anna");
    ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->welcomeWindow, "/window/button_1"));
    ASSERT_NE(Player(), nullptr);
    EXPECT_EQ(Player()->GetName(), L"Anna");
    ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->mainMenuWindow, "/window/start"));
    ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->startGameWindow, "/window/button_1"));
    ASSERT_TRUE(script_->RunUntil([this] { return LevelRunning(); }, kLongWait)) << "the level starts";
  }

  // Picks each piece off the tray as it comes and puts it on its place, until the level is won.
  bool PlayToTheEnd(int limit = kLongWait) {
    for (int frames = 0; frames < limit; ++frames) {
      GameLogic* level = Level();
      if (level == nullptr || level->state != GameFramework::GameLogicBase::kRunning) {
        return level != nullptr && level->state == GameFramework::GameLogicBase::kFinished;
      }
      const PuzzleElement* held = level->GetElementManager()->FindHeld();
      if (held != nullptr) {
        Puzzle* board = level->GetBoard();
        const CorvantisEngine::Vector2 place = board->GetSlotContainer()->GetAbsolutePosition() +
                                               board->GetSlots()[held->GetIndex()]->GetPosition();
        // The piece follows the pointer over a few frames; the click then puts it down.
        script_->PointAt(place);
        script_->Frames(5);
        script_->ClickAt(place);
        continue;
      }
      const PuzzleElement* next = nullptr;
      for (const auto& entry : level->GetDepository()->GetQueue()) {
        if (entry->piece != nullptr && entry->piece->IsVisible()) {
          next = entry->piece;
          break;
        }
      }
      if (next != nullptr) {
        script_->ClickAt(InputScript::Middle(*next->GetSprite()));
      } else {
        script_->Frames(1);
      }
    }
    return false;
  }

  void LoseAndAnswerTheOffer(bool take);

  std::unique_ptr<FlowGame> game_;
  std::unique_ptr<InputScript> script_;
  std::uint64_t frameMilliseconds_ = kFrameMilliseconds;
};

TEST_F(GameFlowTest, ALevelPlayedToCompletionLeadsToTheNextLevel) {
  ASSERT_NO_FATAL_FAILURE(StartFirstLevel());
  EXPECT_EQ(game_->GetGameTrack(), 1u) << "the first level plays game0";
  ASSERT_TRUE(PlayToTheEnd()) << "every piece placed";

  ASSERT_TRUE(WaitFor(game_->levelCompleteWindow));
  // The result as the player sees it: the level's stars and the player's stars in all.
  GUIMenuWindow* result = Menu(game_->levelCompleteWindow.get());
  EXPECT_GT(Player()->levelEarnings, 0u) << "two pieces placed and the carriage's run";
  EXPECT_EQ(result->GetTextControl("window_level_complete/window/stars_earned")->text,
            std::to_wstring(Player()->levelEarnings));
  EXPECT_EQ(result->GetTextControl("window_level_complete/window/stars_total")->text,
            std::to_wstring(Player()->money));
  EXPECT_EQ(Player()->money, Profile::kStartMoney + Player()->levelEarnings) << "the earnings are paid";
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->levelCompleteWindow, "/window/button_0"));
  ASSERT_TRUE(script_->RunUntil([this] { return LevelRunning(); }, kLongWait)) << "the next level starts";
  EXPECT_EQ(Player()->GetCurrentLevel(), (GameFramework::LevelPosition{0, 1}));
  EXPECT_EQ(game_->GetGameTrack(), 0u) << "the second level plays game1";
}

TEST_F(GameFlowTest, PauseMenuRestartAndLeavingForTheMenus) {
  ASSERT_NO_FATAL_FAILURE(StartFirstLevel());

  // P pauses; the pause window's button goes back to the level.
  script_->Press(DIK_P);
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->pauseWindow, "/window/button_0"));
  ASSERT_TRUE(script_->RunUntil([this] { return LevelRunning(); }, 200));

  // The in-game menu: restart asked and taken back, then resumed.
  GUITools::GUIWindowBase* hud = Screen(game_->gameLogicWindow.get());
  ASSERT_NE(hud, nullptr);
  ASSERT_TRUE(script_->Click(*hud, "/menu"));
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->gameLogicMenuWindow, "/window/button_1"));
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->restartWindow, "/window/button_0"));
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->gameLogicMenuWindow, "/window/button_2"));
  ASSERT_TRUE(script_->RunUntil([this] { return LevelRunning(); }, 200));

  // Restart for real: the level starts again from the start-game window.
  ASSERT_TRUE(script_->Click(*hud, "/menu"));
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->gameLogicMenuWindow, "/window/button_1"));
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->restartWindow, "/window/button_1"));
  ASSERT_TRUE(script_->RunUntil([this] { return LevelRunning(); }, kLongWait)) << "restarted";

  // Leave for the menus: the main menu comes back.
  ASSERT_TRUE(script_->Click(*hud, "/menu"));
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->gameLogicMenuWindow, "/window/button_0"));
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->menuExitWindow, "/window/button_1"));
  ASSERT_TRUE(WaitFor(game_->mainMenuWindow));
  EXPECT_EQ(game_->GetGameLogic(), nullptr);

  // Quit from the menus.
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->mainMenuWindow, "/window/exit"));
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->exitWindow, "/window/button_1"));
  script_->Frames(1);
  EXPECT_TRUE(game_->IsQuit());
}

// A lost level: the game-over window offers relax mode once; declined, the profile keeps normal mode,
// taken, it is saved in relax mode; either way the flow ends on the start-game window.
void GameFlowTest::LoseAndAnswerTheOffer(bool take) {
  ASSERT_NO_FATAL_FAILURE(StartFirstLevel());
  if (!take) {
    // A won level first: the offer waits for the first lost level, here the second one.
    ASSERT_TRUE(PlayToTheEnd());
    ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->levelCompleteWindow, "/window/button_0"));
    ASSERT_TRUE(script_->RunUntil([this] { return LevelRunning(); }, kLongWait));
  }
  // Coarser frames while the tray runs out.
  frameMilliseconds_ = 100;
  ASSERT_TRUE(WaitFor(game_->gameOverWindow, 4 * kLongWait)) << "the tray runs out";
  frameMilliseconds_ = kFrameMilliseconds;
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->gameOverWindow, "/window/button_0"));
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->relaxWindow, take ? "/window/button_1" : "/window/button_0"));
  ASSERT_TRUE(WaitFor(game_->startGameWindow)) << "never an empty screen";
  EXPECT_EQ(Player()->GetGameMode(), take ? 1u : 0u);
  EXPECT_EQ(Player()->relaxOffer, 0);
  EXPECT_EQ(Menu(game_->startGameWindow.get())->GetCheckBox("window_start_game/window/relax_mode")->checked,
            take ? 1 : 0)
      << "the start-game window shows the mode";
}

TEST_F(GameFlowTest, ALostLevelOffersRelaxModeDeclined) {
  LoseAndAnswerTheOffer(false);
}

TEST_F(GameFlowTest, ALostLevelOffersRelaxModeTaken) {
  LoseAndAnswerTheOffer(true);
}

TEST_F(GameFlowTest, QuittingFromALevel) {
  ASSERT_NO_FATAL_FAILURE(StartFirstLevel());
  GUITools::GUIWindowBase* hud = Screen(game_->gameLogicWindow.get());
  ASSERT_NE(hud, nullptr);
  ASSERT_TRUE(script_->Click(*hud, "/close"));
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->gameExitWindow, "/window/button_1"));
  script_->Frames(1);
  EXPECT_TRUE(game_->IsQuit());
}

}  // namespace
}  // namespace Puzzle::flowtest
