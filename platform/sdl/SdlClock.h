#pragma once
// The real clock: the system's monotonic clock, and Sleep that waits.

namespace platform::sdl {

void InstallClockDriver();

}  // namespace platform::sdl
