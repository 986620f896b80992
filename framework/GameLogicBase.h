#pragma once
// GameLogicBase: the framework's view of one level in play. It keeps the level's state (running,
// paused, finished, failed) with a flag that tells the frame's result dispatch that the state changed,
// the level timer whose time is the level's elapsed time, and the score keeper. The game derives its
// level logic from it and starts the timer with PauseTimer(false) when the level is ready (a new level
// is already in state 0, so SetPaused(false) changes nothing).
//
// States and their timer: 0 running (timer runs), 1 paused, 2 finished, 3 failed (timer paused). A
// change of state sets `stateChanged`; the dispatch clears it. A finished or failed level ignores
// SetPaused.
//
// Main thread only. The logic owns its score keeper and its timer (made by and returned to the engine's
// timer manager); the engine, the audio manager and the records are not owned. Nothing throws.

#include <cstdint>
#include <memory>

#include "framework/ScoreKeeper.h"

namespace CorvantisEngine {
class Engine;
class MessageManager;
class Timer;
class TimerManager;
}  // namespace CorvantisEngine

namespace GameFramework {

class AudioManager;
struct LevelRecord;
struct StageRecord;

class GameLogicBase {
 public:
  static constexpr std::uint32_t kRunning = 0;
  static constexpr std::uint32_t kPaused = 1;
  static constexpr std::uint32_t kFinished = 2;
  static constexpr std::uint32_t kFailed = 3;

  // Logs "Loading level <stage+1>-<level+1>..." (after an empty line) and makes the paused level timer
  // at 0. A null level record logs stage and level 1.
  GameLogicBase(CorvantisEngine::Engine* engine, AudioManager* audio, StageRecord* stageRecord,
                LevelRecord* levelRecord, std::uint32_t gameCounter);
  virtual ~GameLogicBase();

  GameLogicBase(const GameLogicBase&) = delete;
  GameLogicBase& operator=(const GameLogicBase&) = delete;

  virtual void Update() {}
  // A state equal to the current one changes nothing; any other pauses the timer (resumes it for 0)
  // and sets stateChanged.
  virtual void SetState(std::uint32_t newState);

  // SetState(1) or SetState(0); nothing while the level is finished or failed.
  void SetPaused(bool paused);
  // Pauses or resumes the level timer alone (the frame's focus handling).
  void PauseTimer(bool paused);
  bool IsTimerPaused() const;
  // Seconds of the level timer; still while it is paused.
  float GetTime() const;
  std::uint32_t GetScore() const { return scoreKeeper->score; }
  void SetScore(std::uint32_t value) { scoreKeeper->score = value; }

  CorvantisEngine::Engine* engine;
  CorvantisEngine::MessageManager* log;
  CorvantisEngine::TimerManager* timers;
  AudioManager* audio;
  CorvantisEngine::Timer* timer;
  std::unique_ptr<ScoreKeeper> scoreKeeper;
  StageRecord* stageRecord;
  LevelRecord* levelRecord;
  // Handed in at creation; read back by the framework when the level is finished.
  std::uint32_t gameCounter;
  std::uint32_t state = kRunning;
  std::uint8_t stateChanged = 0;
};

}  // namespace GameFramework
