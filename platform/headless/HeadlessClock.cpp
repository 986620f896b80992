#include "platform/headless/HeadlessClock.h"

#include <cmath>

namespace platform::headless {
namespace {

HeadlessClock* Installed() {
  return dynamic_cast<HeadlessClock*>(&CurrentClockDriver());
}

}  // namespace

void ResetClock() {
  InstallClockDriver(std::make_unique<HeadlessClock>());
}

void SetClockNanoseconds(std::uint64_t nanoseconds) {
  if (HeadlessClock* clock = Installed())
    clock->Set(nanoseconds);
}

void SetClockMilliseconds(std::uint64_t milliseconds) {
  SetClockNanoseconds(milliseconds * 1000000u);
}

void StepClockNanoseconds(std::uint64_t nanoseconds) {
  if (HeadlessClock* clock = Installed())
    clock->Step(nanoseconds);
}

void StepClockMilliseconds(std::uint64_t milliseconds) {
  StepClockNanoseconds(milliseconds * 1000000u);
}

void StepClockSeconds(double seconds) {
  if (!(seconds > 0.0))
    return;
  StepClockNanoseconds(static_cast<std::uint64_t>(std::llround(seconds * 1e9)));
}

void RefuseTimerCaps(bool refuse) {
  if (HeadlessClock* clock = Installed())
    clock->RefuseTimerCaps(refuse);
}

}  // namespace platform::headless
