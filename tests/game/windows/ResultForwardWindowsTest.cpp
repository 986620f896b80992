// The result windows without a screen: what each answers when shown, what its base keeps, and that an
// answer given at once outlives the window's own Update until a handler hides the window.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/Engine.h"
#include "framework/HighScoresTable.h"
#include "framework/LevelManagerBase.h"
#include "game/windows/GUIResultForwardWindows.h"
#include "tests/support/EngineRig.h"

namespace Puzzle {
namespace {

using GameFramework::GUIFrameworkWindow;
using GameFramework::LevelPosition;

class Levels : public GameFramework::LevelManagerBase {
 public:
  explicit Levels(CorvantisEngine::Engine* engine) : LevelManagerBase(engine) { Load(); }

 protected:
  std::unique_ptr<GameFramework::StageRecord> NewStage() override {
    return std::make_unique<GameFramework::StageRecord>();
  }
  std::unique_ptr<GameFramework::LevelRecord> NewLevel() override {
    return std::make_unique<GameFramework::LevelRecord>();
  }
};

class ResultForwardWindowsTest : public testing::Test {
 protected:
  ResultForwardWindowsTest() {
    // Stage 0 has two levels, stage 1 none, stage 2 one: (2, 0) is the last level of the game.
    rig_.Write("data/levels/levels.xml",
               "<levels><stage><level/><level/></stage><stage/><stage><level/></stage></levels>");
    engine_ = &rig_.Start();
    levels_ = std::make_unique<Levels>(engine_);
  }

  testsupport::EngineRig rig_;
  CorvantisEngine::Engine* engine_;
  std::unique_ptr<Levels> levels_;
};

TEST_F(ResultForwardWindowsTest, EachWindowAnswersAtOnceWhenShown) {
  GUIStageCompleteWindow stage(engine_, levels_.get());
  GUIGameCompleteWindow game;
  GUIHighScoresWindow scores(nullptr);
  GUIContinueGameLogicWindow next;
  const GameFramework::HighScoreEntry best{L"Anna", 0, 420, 1};
  const GameFramework::HighScoreEntry* entry = &best;

  struct Case {
    const char* what;
    GUIFrameworkWindow* window;
    std::function<void()> show;
    std::uint32_t opener;
    std::uint32_t answer;
  };
  const Case cases[] = {
      {"stage complete, a stage's last level", &stage,
       [&] {
         stage.ShowWithLevel(22, {0, 1});
       },
       22, 13},
      {"stage complete, inside a stage", &stage,
       [&] {
         stage.ShowWithLevel(22, {0, 0});
       },
       22, 13},
      {"stage complete, the game's last level", &stage,
       [&] {
         stage.ShowWithLevel(22, {2, 0});
       },
       22, 22},
      {"game complete", &game, [&] { game.Show(23); }, 23, 1},
      {"high scores", &scores, [&] { scores.ShowWithEntry(6, entry); }, 6, 3},
      {"high scores, no entry", &scores, [&] { scores.ShowWithEntry(7, nullptr); }, 7, 3},
      {"continue", &next, [&] { next.Show(6); }, 6, 13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.show();
    EXPECT_EQ(c.window->result, c.answer);
    EXPECT_EQ(c.window->resultConsumed, 0) << "the next dispatch pass of the frame sees the answer";
    EXPECT_EQ(c.window->openerId, c.opener);
    c.window->Hide();
    EXPECT_EQ(c.window->resultConsumed, 1);
  }
  // What the bases keep.
  stage.ShowWithLevel(22, {2, 0});
  EXPECT_EQ(stage.stage, 2u);
  EXPECT_EQ(stage.level, 0u);
  scores.ShowWithEntry(6, entry);
  EXPECT_EQ(scores.entry, entry);
}

// An answer given in the last dispatch pass of a frame meets the frame's window update before any pass
// has seen it: it is posted again until a handler takes it and hides the window.
TEST_F(ResultForwardWindowsTest, AnAnswerNotYetTakenSurvivesUpdateUntilHidden) {
  GUIContinueGameLogicWindow window;
  window.Update();
  EXPECT_EQ(window.result, 0u);

  window.Show(6);
  window.resultConsumed = 1;  // the clearing step after the pass
  window.Update();
  EXPECT_EQ(window.result, 13u);
  window.Update();
  EXPECT_EQ(window.result, 13u);

  window.Hide();  // the handler takes it
  window.Update();
  EXPECT_EQ(window.result, 0u);
  EXPECT_EQ(window.GetPendingAnswer(), 0u);
}

}  // namespace
}  // namespace Puzzle
