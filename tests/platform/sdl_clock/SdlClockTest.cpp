#include <gtest/gtest.h>

#include "platform/headless/HeadlessClock.h"
#include "platform/sdl/SdlClock.h"
#include "platform/win32/WinTime.h"

namespace {

class SdlClockTest : public testing::Test {
 protected:
  void SetUp() override { platform::sdl::InstallClockDriver(); }
  void TearDown() override { platform::headless::ResetClock(); }

  static LONGLONG Counter() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
  }
};

TEST_F(SdlClockTest, RunsOnItsOwnAndNeverBackwards) {
  const LONGLONG first = Counter();
  LONGLONG last = first;
  // The counter ticks every 100 ns: it must move within a moment of busy waiting.
  for (int i = 0; i < 1000000 && last == first; ++i) {
    const LONGLONG now = Counter();
    ASSERT_GE(now, last);
    last = now;
  }
  EXPECT_GT(last, first);
}

TEST_F(SdlClockTest, SleepWaitsAtLeastTheTimeAsked) {
  // Only the lower bound is checked: a busy machine may oversleep, never undersleep.
  const LONGLONG before = Counter();
  const DWORD beforeMs = timeGetTime();
  Sleep(30);
  EXPECT_GE(Counter() - before, 30 * platform::kPerformanceFrequency / 1000);
  EXPECT_GE(timeGetTime() - beforeMs, 29u);  // the millisecond clock truncates both readings
}

TEST_F(SdlClockTest, AnswersTimerCapsAndPeriods) {
  TIMECAPS caps{};
  ASSERT_EQ(timeGetDevCaps(&caps, sizeof(caps)), TIMERR_NOERROR);
  EXPECT_EQ(timeBeginPeriod(caps.wPeriodMin), TIMERR_NOERROR);
  EXPECT_EQ(timeEndPeriod(caps.wPeriodMin), TIMERR_NOERROR);
}

}  // namespace
