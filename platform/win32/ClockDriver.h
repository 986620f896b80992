#pragma once
// The clock driver: the time source under the Windows-shaped time functions (WinTime.h). The headless
// clock is installed until a program installs another; it stands still until a test sets or steps it,
// and Sleep on it advances it instead of waiting. platform::sdl::InstallBackend installs the real one.
//
// Any thread may read the clock or sleep; install a driver only while no other thread uses the layer.

#include <cstdint>
#include <memory>

namespace platform {

class ClockDriver {
 public:
  virtual ~ClockDriver() = default;

  // Monotonic time in nanoseconds from an arbitrary origin.
  virtual std::uint64_t Nanoseconds() = 0;
  // Waits (or, on a test clock, advances) at least the given milliseconds; 0 only yields.
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // Whether the system answers timeGetDevCaps (a test clock can refuse it).
  virtual bool CanReadTimerCaps() { return true; }
};

// Replaces the driver; the timer periods begun on the old one are forgotten.
void InstallClockDriver(std::unique_ptr<ClockDriver> driver);
ClockDriver& CurrentClockDriver();

}  // namespace platform
