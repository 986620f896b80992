#pragma once
// TimerManager: owns every Timer, holds the system timer resolution for its lifetime and measures each
// frame: the clamped (and optionally smoothed) delta that the engine's systems advance by, and the
// frames per second. The Engine creates it after the log and the file manager.
//
// Main thread only. Timers handed out by CreateTimer belong to the manager: delete them through
// DeleteTimer or leave them to the manager's destructor. Nothing fails: timer capabilities that cannot
// be read only switch the frame timer to the performance counter and skip the resolution bracket.

#include <cstdint>
#include <deque>
#include <vector>

#include "engine/core/Timer.h"

namespace CorvantisEngine {

class TimerManager {
 public:
  static constexpr float kMinDelta = 0.001f;
  static constexpr float kMaxDelta = 0.1f;

  TimerManager();
  virtual ~TimerManager();

  TimerManager(const TimerManager&) = delete;
  TimerManager& operator=(const TimerManager&) = delete;

  // The manager keeps ownership of the timer.
  Timer* CreateTimer(float startSeconds, bool useCounter);
  // Deletes a timer of this manager; null and timers it does not hold are ignored.
  void DeleteTimer(Timer* timer);
  // Measures one frame: call once per frame.
  void Update();

  // The minimum timer period granted by the system in milliseconds, 0 when it could not be read.
  std::uint32_t GetTimerPeriod() const { return timerPeriod_; }
  std::size_t GetTimerCount() const { return liveSlots_.size(); }

 private:
  std::uint32_t timerPeriod_ = 0;
  std::deque<std::uint32_t> freeSlots_;
  std::vector<std::uint32_t> liveSlots_;
  // Owned; a deleted timer's slot is null until reused.
  std::vector<Timer*> slots_;
  // lastTime in full precision, from which the delta is measured.
  double lastTimeExact_ = 0.0;

 public:
  // Read directly by the engine's systems and the game; smoothing may be switched on by a user.
  Timer* frameTimer = nullptr;
  float lastTime = 0.0f;
  std::uint8_t smoothing = 0;
  // Seconds of the current frame, always within [kMinDelta, kMaxDelta].
  float delta = 0.0f;
  float previousSmoothedDelta = 0.0f;
  std::uint32_t framesPerSecond = 0;
  std::uint32_t frameCounter = 0;
  float secondAccumulator = 0.0f;
};

}  // namespace CorvantisEngine
