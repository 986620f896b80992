// The level logic base over a headless engine whose clock the test steps: the state machine with its
// changed flag and timer, the time while paused, the score and the log line of a new level.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "framework/GameLogicBase.h"
#include "framework/LevelManagerBase.h"
#include "platform/headless/HeadlessClock.h"
#include "tests/support/EngineRig.h"

namespace GameFramework {
namespace {

namespace headless = platform::headless;
using CorvantisEngine::LogRecord;

// Records every SetState that reaches the virtual slot.
class RecordingLogic : public GameLogicBase {
 public:
  using GameLogicBase::GameLogicBase;
  void SetState(std::uint32_t newState) override {
    calls.push_back(newState);
    GameLogicBase::SetState(newState);
  }
  std::vector<std::uint32_t> calls;
};

class GameLogicTest : public testing::Test {
 protected:
  GameLogicTest() : engine_(&rig_.Start()) {
    level_.stageIndex = 2;
    level_.levelIndex = 4;
    logic_ = std::make_unique<RecordingLogic>(engine_, nullptr, &stage_, &level_, 7u);
  }

  testsupport::EngineRig rig_;
  CorvantisEngine::Engine* engine_;
  StageRecord stage_;
  LevelRecord level_;
  std::unique_ptr<RecordingLogic> logic_;
};

TEST_F(GameLogicTest, NewLevelIsRunningWithItsTimerStoppedAtZero) {
  EXPECT_EQ(logic_->state, GameLogicBase::kRunning);
  EXPECT_EQ(logic_->stateChanged, 0);
  EXPECT_EQ(logic_->gameCounter, 7u);
  EXPECT_EQ(logic_->GetScore(), 0u);
  EXPECT_TRUE(logic_->IsTimerPaused());
  headless::StepClockSeconds(3.0);
  EXPECT_EQ(logic_->GetTime(), 0.0f);
  // The level is already "running": SetPaused(false) changes no state and leaves the timer to the
  // derived level, which starts it with PauseTimer(false) when it is ready.
  logic_->SetPaused(false);
  headless::StepClockSeconds(1.0);
  EXPECT_EQ(logic_->GetTime(), 0.0f);
  EXPECT_EQ(logic_->stateChanged, 0);

  // The level's numbers are shown counted from 1, after an empty line.
  const std::vector<std::string> messages = rig_.Entries(LogRecord::kMessage);
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[messages.size() - 2], "\n");
  EXPECT_EQ(messages.back(), "Loading level 3-5...\n");
}

TEST_F(GameLogicTest, FirstLevelLogsOneOne) {
  LevelRecord first;
  RecordingLogic logic(engine_, nullptr, &stage_, &first, 0u);
  EXPECT_EQ(rig_.Entries(LogRecord::kMessage).back(), "Loading level 1-1...\n");
}

TEST_F(GameLogicTest, TimerIsMadeAndReturnedToTheTimerManager) {
  const std::size_t before = engine_->GetTimerManager()->GetTimerCount();
  logic_.reset();
  EXPECT_EQ(engine_->GetTimerManager()->GetTimerCount(), before - 1);
}

TEST_F(GameLogicTest, StateChangesSetTheFlagOnceAndDriveTheTimer) {
  struct Step {
    std::uint32_t state;
    bool changed;
    bool timerPaused;
  };
  const Step steps[] = {
      {GameLogicBase::kRunning, false, true},  // same state: nothing, the timer stays as it was
      {GameLogicBase::kPaused, true, true},   {GameLogicBase::kRunning, true, false},
      {GameLogicBase::kFinished, true, true}, {GameLogicBase::kFinished, false, true},
      {GameLogicBase::kFailed, true, true},   {GameLogicBase::kRunning, true, false},
  };
  for (const Step& step : steps) {
    logic_->stateChanged = 0;
    logic_->SetState(step.state);
    SCOPED_TRACE(step.state);
    EXPECT_EQ(logic_->state, step.state);
    EXPECT_EQ(logic_->stateChanged, step.changed ? 1 : 0);
    EXPECT_EQ(logic_->IsTimerPaused(), step.timerPaused);
  }
}

TEST_F(GameLogicTest, PausingGoesThroughTheVirtualSlot) {
  logic_->SetPaused(false);
  logic_->SetPaused(true);
  EXPECT_EQ(logic_->calls, (std::vector<std::uint32_t>{0, 1}));
  EXPECT_EQ(logic_->state, GameLogicBase::kPaused);
  logic_->SetPaused(false);
  EXPECT_EQ(logic_->state, GameLogicBase::kRunning);
  EXPECT_FALSE(logic_->IsTimerPaused());
}

TEST_F(GameLogicTest, EndedLevelIgnoresPausing) {
  for (std::uint32_t ended : {GameLogicBase::kFinished, GameLogicBase::kFailed}) {
    logic_->SetState(ended);
    logic_->stateChanged = 0;
    logic_->calls.clear();
    const float time = logic_->GetTime();
    logic_->SetPaused(true);
    logic_->SetPaused(false);
    headless::StepClockSeconds(1.0);
    EXPECT_EQ(logic_->state, ended);
    EXPECT_EQ(logic_->stateChanged, 0);
    EXPECT_TRUE(logic_->calls.empty());
    EXPECT_TRUE(logic_->IsTimerPaused());
    EXPECT_EQ(logic_->GetTime(), time);
  }
}

TEST_F(GameLogicTest, TimeStandsStillWhilePausedAndContinuesAfter) {
  logic_->PauseTimer(false);
  headless::StepClockSeconds(2.0);
  EXPECT_NEAR(logic_->GetTime(), 2.0f, 0.002f);
  logic_->SetPaused(true);
  headless::StepClockSeconds(5.0);
  EXPECT_NEAR(logic_->GetTime(), 2.0f, 0.002f);
  logic_->SetPaused(false);
  headless::StepClockSeconds(1.0);
  EXPECT_NEAR(logic_->GetTime(), 3.0f, 0.002f);

  // The focus pause stops the timer but keeps the state.
  logic_->PauseTimer(true);
  headless::StepClockSeconds(4.0);
  EXPECT_EQ(logic_->state, GameLogicBase::kRunning);
  EXPECT_TRUE(logic_->IsTimerPaused());
  EXPECT_NEAR(logic_->GetTime(), 3.0f, 0.002f);
  logic_->PauseTimer(false);
  headless::StepClockSeconds(1.0);
  EXPECT_NEAR(logic_->GetTime(), 4.0f, 0.002f);
}

TEST_F(GameLogicTest, ScoreIsTheKeepersScore) {
  logic_->SetScore(125);
  EXPECT_EQ(logic_->GetScore(), 125u);
  EXPECT_EQ(logic_->scoreKeeper->score, 125u);
  EXPECT_EQ(logic_->scoreKeeper->multiplier, 1u);
}

}  // namespace
}  // namespace GameFramework
