#pragma once
// Windows-shaped time functions (winmm and kernel32): the millisecond clock, the timer resolution
// bracket, the performance counter, the tick count and Sleep. All read the installed clock driver
// (ClockDriver.h), so tests run them on a clock they set. Thread-safe.

#include <vector>

#include "platform/win32/WinTypes.h"

using MMRESULT = UINT;

constexpr MMRESULT TIMERR_NOERROR = 0;
constexpr MMRESULT TIMERR_BASE = 96;
constexpr MMRESULT TIMERR_NOCANDO = TIMERR_BASE + 1;

struct TIMECAPS {
  UINT wPeriodMin;
  UINT wPeriodMax;
};
using LPTIMECAPS = TIMECAPS*;

// Milliseconds of the clock, wrapping at 2^32 (about 49.7 days).
DWORD timeGetTime();
DWORD GetTickCount();
// TIMERR_NOCANDO when ptc is null, cbtc is not sizeof(TIMECAPS) or the system refuses.
MMRESULT timeGetDevCaps(LPTIMECAPS ptc, UINT cbtc);
// Periods outside the capabilities' range are refused (TIMERR_NOCANDO); each timeBeginPeriod must be
// matched by a timeEndPeriod with the same period, which refuses a period that was not begun.
MMRESULT timeBeginPeriod(UINT uPeriod);
MMRESULT timeEndPeriod(UINT uPeriod);

// 10 MHz counter. Both fail (FALSE) only for a null argument.
BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);

void Sleep(DWORD dwMilliseconds);

namespace platform {

constexpr UINT kTimerPeriodMin = 1;
constexpr UINT kTimerPeriodMax = 1000000;
constexpr LONGLONG kPerformanceFrequency = 10000000;

// The periods begun and not yet ended, in the order they were begun.
std::vector<UINT> ActiveTimerPeriods();

}  // namespace platform
