#include "framework/GameLogicBase.h"

#include <string>

#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Timer.h"
#include "engine/core/TimerManager.h"
#include "framework/LevelManagerBase.h"

namespace GameFramework {

GameLogicBase::GameLogicBase(CorvantisEngine::Engine* engine, AudioManager* audio, StageRecord* stageRecord,
                             LevelRecord* levelRecord, std::uint32_t gameCounter)
    : engine(engine),
      log(engine->GetMessageManager()),
      timers(engine->GetTimerManager()),
      audio(audio),
      timer(nullptr),
      stageRecord(stageRecord),
      levelRecord(levelRecord),
      gameCounter(gameCounter) {
  const std::uint32_t stage = levelRecord != nullptr ? levelRecord->stageIndex : 0;
  const std::uint32_t level = levelRecord != nullptr ? levelRecord->levelIndex : 0;
  log->Message("");
  log->Message("Loading level " + std::to_string(stage + 1) + "-" + std::to_string(level + 1) + "...");
  // The millisecond clock: the level time needs no finer steps.
  timer = timers->CreateTimer(0.0f, false);
  scoreKeeper = std::make_unique<ScoreKeeper>(0);
  timer->Reset(0.0f);
  timer->SetPaused(true);
}

GameLogicBase::~GameLogicBase() {
  timers->DeleteTimer(timer);
}

void GameLogicBase::SetState(std::uint32_t newState) {
  if (newState != state) {
    timer->SetPaused(newState != kRunning);
    stateChanged = 1;
  }
  state = newState;
}

void GameLogicBase::SetPaused(bool paused) {
  if (state == kFinished || state == kFailed) {
    return;
  }
  SetState(paused ? kPaused : kRunning);
}

void GameLogicBase::PauseTimer(bool paused) {
  timer->SetPaused(paused);
}

bool GameLogicBase::IsTimerPaused() const {
  return timer->IsPaused();
}

float GameLogicBase::GetTime() const {
  return timer->GetTime();
}

}  // namespace GameFramework
