#pragma once
// Timer: a pausable clock that reads the seconds since its time zero, on the high-resolution
// performance counter or on the millisecond clock (timeGetTime, whose wrap it survives). Timers are
// created and deleted by the TimerManager. Main thread only; nothing fails.

#include <cstdint>

namespace CorvantisEngine {

class Timer {
 public:
  Timer(float startSeconds, bool useCounter);
  virtual ~Timer() = default;

  // Seconds since time zero; frozen while paused.
  float GetTime() const { return static_cast<float>(GetTimeExact()); }
  // The same in double precision: a float of seconds loses milliseconds after a few hours, which is
  // too coarse to take frame differences from.
  double GetTimeExact() const;
  // A call that does not change the state does nothing (pausing twice keeps the first mark).
  void SetPaused(bool paused);
  bool IsPaused() const { return paused_ != 0; }
  // The timer reads `seconds` from now on, running.
  void Reset(float seconds);

 private:
  static std::int64_t ReadCounter();

  std::uint8_t useCounter_;
  std::uint8_t paused_ = 0;
  std::int64_t counterFrequency_ = 0;
  std::int64_t counterStart_ = 0;
  std::int64_t counterPauseMark_ = 0;
  std::uint32_t millisecondStart_ = 0;
  std::uint32_t millisecondPauseMark_ = 0;
};

}  // namespace CorvantisEngine
