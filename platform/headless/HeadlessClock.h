#pragma once
// The headless clock: time stands still until a test sets or steps it; Sleep advances it by the
// requested milliseconds at once. The layer starts with it. The functions below act on the installed
// clock driver when it is the headless one and do nothing otherwise.

#include <atomic>
#include <cstdint>

#include "platform/win32/ClockDriver.h"

namespace platform::headless {

class HeadlessClock : public ClockDriver {
 public:
  std::uint64_t Nanoseconds() override { return now_.load(); }
  void Sleep(std::uint32_t milliseconds) override { Step(std::uint64_t{milliseconds} * 1000000u); }
  bool CanReadTimerCaps() override { return !refuseTimerCaps_.load(); }

  void Set(std::uint64_t nanoseconds) { now_.store(nanoseconds); }
  void Step(std::uint64_t nanoseconds) { now_.fetch_add(nanoseconds); }
  void RefuseTimerCaps(bool refuse) { refuseTimerCaps_.store(refuse); }

 private:
  std::atomic<std::uint64_t> now_{0};
  std::atomic<bool> refuseTimerCaps_{false};
};

// Installs a fresh headless clock at time 0 that answers everything (and forgets begun periods).
void ResetClock();

void SetClockNanoseconds(std::uint64_t nanoseconds);
void SetClockMilliseconds(std::uint64_t milliseconds);
void StepClockNanoseconds(std::uint64_t nanoseconds);
void StepClockMilliseconds(std::uint64_t milliseconds);
// Rounded to the nearest nanosecond; negative steps are ignored (the clock never runs backwards).
void StepClockSeconds(double seconds);

// Fault plan: timeGetDevCaps fails while set.
void RefuseTimerCaps(bool refuse);

}  // namespace platform::headless
