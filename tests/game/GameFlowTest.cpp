// The whole game driven by scripted input on the built data, headless: the logos, the welcome window
// with a new player, the main menu, the start-game window, a level played to completion by picking the
// pieces off the tray and putting them on their places, the level-complete window and the next level;
// pause, the in-game menu, restart and leaving for the menus; a lost level, the game-over window and
// the relax-mode offer, declined and taken, which end on the start-game window; quitting; and the
// largest puzzle's pieces riding the whole tray path untouched until the level is lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <utility>
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
#include "game/GameLogicData.h"
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

// The largest puzzle of the built data (80 pieces, its real cut) left to ride the tray: the queue fills
// the whole path and races into the pit. In every frame no piece on the tray reaches under the HUD strip
// or off the screen, and no two pieces cover the same spot except round a right-angled turn of the path,
// where two cells 60 units apart along the path come within 42 units of each other: there only the
// corners of their cells, within 20 units of the turn both ways, may meet. A piece's body is traced by
// its sample points (every third pixel of its shape), carried onto the tray at the piece's scale and
// marked on a grid of 1-unit cells; two pieces overlap when they mark the same cell. In relax mode the
// queue comes to rest against the path's end, and resting pieces do not meet even round a turn.
class TrayRunTest : public GameFlowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(HasPack());
    game_ = std::make_unique<FlowGame>();
    script_ = std::make_unique<InputScript>(game_->GetEngine(), [this] {
      platform::headless::StepClockMilliseconds(frameMilliseconds_);
      game_->Frame();
    });
  }

  using Cells = std::set<std::pair<int, int>>;
  Cells Body(const PuzzleElement& piece, const GameLogicData& level) const {
    const std::uint32_t i = piece.GetIndex();
    const float scale = piece.GetSize().x / level.pieceSizes[i].x;
    Cells cells;
    for (const CorvantisEngine::Vector2& point : level.samplePoints[i]) {
      const CorvantisEngine::Vector2 at = piece.GetPosition() + (point - level.pieceCentres[i]) * scale;
      cells.emplace(static_cast<int>(std::floor(at.x)), static_cast<int>(std::floor(at.y)));
    }
    return cells;
  }
  // Starts the 80-piece level (in relax mode if asked) and leaves the tray to run, checking every frame.
  void Ride(bool relax);
};

void TrayRunTest::Ride(bool relax) {
  ASSERT_TRUE(WaitFor(game_->welcomeWindow));
  ASSERT_TRUE(script_->Click(*Menu(game_->welcomeWindow.get()), "/window/name"));
  script_->Type(Windows(), u"Anna");
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->welcomeWindow, "/window/button_1"));
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->mainMenuWindow, "/window/start"));
  ASSERT_NO_FATAL_FAILURE(ClickWhenShown(game_->startGameWindow, "/window/puzzle_size_3"));
  if (relax) {
    ASSERT_TRUE(script_->Click(*Menu(game_->startGameWindow.get()), "/window/relax_mode"));
  }
  ASSERT_TRUE(script_->Click(*Menu(game_->startGameWindow.get()), "/window/button_1"));
  ASSERT_TRUE(script_->RunUntil([this] { return LevelRunning(); }, kLongWait)) << "the level starts";
  const auto* level = dynamic_cast<const GameLogicData*>(game_->GetLevelData());
  ASSERT_NE(level, nullptr);
  ASSERT_EQ(level->GetPieceCount(), 80u);

  // The HUD strip starts at x 756; a tray piece throws its shadow 3 units right and down.
  constexpr float kStrip = 756.0f;
  constexpr float kShadow = 3.0f;
  float furthest = 0.0f;
  std::size_t mostOnTray = 0;
  bool endReached = false;
  int touchingFrames = 0;
  int frames = 0;
  bool touched = false;
  // A lost level ends by itself; relax mode's queue comes to rest at the path's end.
  for (; frames < (relax ? kLongWait / 2 : 2 * kLongWait) && LevelRunning(); ++frames) {
    std::vector<const PuzzleElement*> tray;
    endReached = endReached || Level()->GetDepository()->endReached != 0;
    for (const auto& entry : Level()->GetDepository()->GetQueue()) {
      if (entry->piece != nullptr && entry->piece->IsVisible()) {
        tray.push_back(entry->piece);
      }
    }
    mostOnTray = std::max(mostOnTray, tray.size());
    std::vector<Cells> bodies;
    for (const PuzzleElement* piece : tray) {
      const CorvantisEngine::Vector2 low = piece->GetPosition() - piece->GetSize() * 0.5f;
      const CorvantisEngine::Vector2 high = piece->GetPosition() + piece->GetSize() * 0.5f;
      ASSERT_LE(high.x + kShadow, kStrip)
          << "piece " << piece->GetIndex() << " under the strip, frame " << frames;
      ASSERT_GE(low.x, 0.0f) << "piece " << piece->GetIndex() << " frame " << frames;
      ASSERT_GE(low.y - kShadow, 0.0f) << "piece " << piece->GetIndex() << " frame " << frames;
      ASSERT_LE(high.y, 600.0f) << "piece " << piece->GetIndex() << " frame " << frames;
      furthest = std::max(furthest, high.x);
      bodies.push_back(Body(*piece, *level));
    }
    const std::vector<CorvantisEngine::Vector2>& turns = Level()->GetDepository()->GetPathPoints();
    const auto atATurn = [&turns](const std::pair<int, int>& cell) {
      return std::any_of(turns.begin() + 1, turns.end() - 1, [&cell](const CorvantisEngine::Vector2& turn) {
        return std::fabs(static_cast<float>(cell.first) + 0.5f - turn.x) <= 20.5f &&
               std::fabs(static_cast<float>(cell.second) + 0.5f - turn.y) <= 20.5f;
      });
    };
    touched = false;
    for (std::size_t a = 0; a < bodies.size(); ++a) {
      for (std::size_t b = a + 1; b < bodies.size(); ++b) {
        bool apart = true;
        for (const std::pair<int, int>& cell : bodies[a]) {
          if (bodies[b].count(cell) != 0) {
            touched = true;
            apart = apart && atATurn(cell);
          }
        }
        ASSERT_TRUE(apart) << "pieces " << tray[a]->GetIndex() << " and " << tray[b]->GetIndex()
                           << " overlap away from a turn at (" << tray[a]->GetPosition().x << ", "
                           << tray[a]->GetPosition().y << ") and (" << tray[b]->GetPosition().x << ", "
                           << tray[b]->GetPosition().y << "), frame " << frames;
      }
    }
    touchingFrames += touched ? 1 : 0;
    script_->Frames(1);
  }
  RecordProperty("frames_with_cells_meeting_at_a_turn", touchingFrames);
  RecordProperty("frames", frames);
  EXPECT_GT(mostOnTray, 30u) << "the queue filled the path";
  EXPECT_GT(furthest, 740.0f) << "pieces rode up the right-hand side";
  if (relax) {
    EXPECT_TRUE(LevelRunning() && !endReached);
    EXPECT_FALSE(touched) << "pieces resting round a turn meet";
    // At rest even the cells stay apart: every resting piece is on a turn or 40 units from it.
    std::vector<const PuzzleElement*> resting;
    for (const auto& entry : Level()->GetDepository()->GetQueue()) {
      if (entry->piece != nullptr && entry->piece->IsVisible()) {
        resting.push_back(entry->piece);
      }
    }
    for (std::size_t a = 0; a < resting.size(); ++a) {
      for (std::size_t b = a + 1; b < resting.size(); ++b) {
        const CorvantisEngine::Vector2 gap = resting[a]->GetPosition() - resting[b]->GetPosition();
        const CorvantisEngine::Vector2 reach = (resting[a]->GetSize() + resting[b]->GetSize()) * 0.5f;
        EXPECT_TRUE(std::fabs(gap.x) + 0.01f >= reach.x || std::fabs(gap.y) + 0.01f >= reach.y)
            << "the cells of resting pieces " << resting[a]->GetIndex() << " and " << resting[b]->GetIndex()
            << " overlap at (" << resting[a]->GetPosition().x << ", " << resting[a]->GetPosition().y << ")";
      }
    }
    return;
  }
  EXPECT_TRUE(endReached && !LevelRunning())
      << "the tray filled and the level was lost, " << frames << " frames";
}

TEST_F(TrayRunTest, TheLargestPuzzleRidesTheWholePathClearOfTheStripAndOfEachOther) {
  Ride(false);
}

TEST_F(TrayRunTest, InRelaxModeTheLargestPuzzleComesToRestWithNoTwoPiecesMeeting) {
  Ride(true);
}

}  // namespace
}  // namespace Puzzle::flowtest
