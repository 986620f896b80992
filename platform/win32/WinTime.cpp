#include "platform/win32/WinTime.h"

#include <algorithm>
#include <mutex>

#include "platform/headless/HeadlessClock.h"
#include "platform/win32/ClockDriver.h"

namespace platform {
namespace {

struct ClockState {
  std::mutex mutex;
  std::unique_ptr<ClockDriver> driver;
  std::vector<UINT> periods;
};

ClockState& State() {
  static ClockState state;
  return state;
}

}  // namespace

void InstallClockDriver(std::unique_ptr<ClockDriver> driver) {
  ClockState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.driver = std::move(driver);
  state.periods.clear();
}

ClockDriver& CurrentClockDriver() {
  ClockState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!state.driver)
    state.driver = std::make_unique<headless::HeadlessClock>();
  return *state.driver;
}

std::vector<UINT> ActiveTimerPeriods() {
  ClockState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.periods;
}

}  // namespace platform

DWORD timeGetTime() {
  return static_cast<DWORD>(platform::CurrentClockDriver().Nanoseconds() / 1000000u);
}

DWORD GetTickCount() {
  return timeGetTime();
}

MMRESULT timeGetDevCaps(LPTIMECAPS ptc, UINT cbtc) {
  if (ptc == nullptr || cbtc != sizeof(TIMECAPS))
    return TIMERR_NOCANDO;
  if (!platform::CurrentClockDriver().CanReadTimerCaps())
    return TIMERR_NOCANDO;
  ptc->wPeriodMin = platform::kTimerPeriodMin;
  ptc->wPeriodMax = platform::kTimerPeriodMax;
  return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT uPeriod) {
  if (uPeriod < platform::kTimerPeriodMin || uPeriod > platform::kTimerPeriodMax)
    return TIMERR_NOCANDO;
  platform::CurrentClockDriver();  // make sure a driver exists before the periods are kept for it
  platform::ClockState& state = platform::State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.periods.push_back(uPeriod);
  return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT uPeriod) {
  platform::ClockState& state = platform::State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto found = std::find(state.periods.rbegin(), state.periods.rend(), uPeriod);
  if (found == state.periods.rend())
    return TIMERR_NOCANDO;
  state.periods.erase(std::next(found).base());
  return TIMERR_NOERROR;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
  if (lpPerformanceCount == nullptr)
    return FALSE;
  const std::uint64_t ns = platform::CurrentClockDriver().Nanoseconds();
  lpPerformanceCount->QuadPart = static_cast<LONGLONG>(ns / (1000000000u / platform::kPerformanceFrequency));
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
  if (lpFrequency == nullptr)
    return FALSE;
  lpFrequency->QuadPart = platform::kPerformanceFrequency;
  return TRUE;
}

void Sleep(DWORD dwMilliseconds) {
  platform::CurrentClockDriver().Sleep(dwMilliseconds);
}
