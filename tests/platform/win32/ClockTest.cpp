#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/headless/HeadlessClock.h"
#include "platform/win32/WinSystem.h"
#include "platform/win32/WinTime.h"

namespace {

namespace clock = platform::headless;

class ClockTest : public testing::Test {
 protected:
  void SetUp() override { clock::ResetClock(); }
};

TEST_F(ClockTest, HeadlessClockMovesOnlyWhenSteppedOrSlept) {
  clock::SetClockMilliseconds(1234);
  EXPECT_EQ(timeGetTime(), 1234u);
  EXPECT_EQ(timeGetTime(), 1234u);
  Sleep(20);
  EXPECT_EQ(timeGetTime(), 1254u);
  EXPECT_EQ(GetTickCount(), 1254u);
  Sleep(0);
  clock::StepClockSeconds(-1.0);
  EXPECT_EQ(timeGetTime(), 1254u) << "the clock never runs backwards";

  LARGE_INTEGER frequency{}, before{}, after{};
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  ASSERT_TRUE(QueryPerformanceCounter(&before));
  clock::StepClockNanoseconds(2500);
  ASSERT_TRUE(QueryPerformanceCounter(&after));
  EXPECT_EQ(frequency.QuadPart, 10000000);
  EXPECT_EQ(after.QuadPart - before.QuadPart, 25) << "100 ns per count";
  EXPECT_FALSE(QueryPerformanceCounter(nullptr));
  EXPECT_FALSE(QueryPerformanceFrequency(nullptr));
}

TEST_F(ClockTest, MillisecondClockWrapsAt32Bits) {
  clock::SetClockMilliseconds(0xFFFFFFFFull);
  EXPECT_EQ(timeGetTime(), 0xFFFFFFFFu);
  Sleep(2);
  EXPECT_EQ(timeGetTime(), 1u);
}

TEST_F(ClockTest, TimerCapsAndPeriodBracket) {
  TIMECAPS caps{};
  EXPECT_EQ(timeGetDevCaps(&caps, sizeof(caps) - 1), TIMERR_NOCANDO);
  EXPECT_EQ(timeGetDevCaps(nullptr, sizeof(caps)), TIMERR_NOCANDO);
  ASSERT_EQ(timeGetDevCaps(&caps, sizeof(caps)), TIMERR_NOERROR);
  EXPECT_EQ(caps.wPeriodMin, 1u);
  EXPECT_GE(caps.wPeriodMax, caps.wPeriodMin);

  EXPECT_EQ(timeBeginPeriod(0), TIMERR_NOCANDO);
  EXPECT_EQ(timeBeginPeriod(caps.wPeriodMax + 1), TIMERR_NOCANDO);
  EXPECT_EQ(timeEndPeriod(1), TIMERR_NOCANDO) << "ending a period that was never begun";
  EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
  EXPECT_EQ(timeBeginPeriod(5), TIMERR_NOERROR);
  EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
  EXPECT_EQ(platform::ActiveTimerPeriods(), (std::vector<UINT>{1, 5, 1}));
  EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
  EXPECT_EQ(timeEndPeriod(5), TIMERR_NOERROR);
  EXPECT_EQ(platform::ActiveTimerPeriods(), (std::vector<UINT>{1}));
  EXPECT_EQ(timeEndPeriod(5), TIMERR_NOCANDO);

  clock::RefuseTimerCaps(true);
  EXPECT_EQ(timeGetDevCaps(&caps, sizeof(caps)), TIMERR_NOCANDO);
  clock::ResetClock();
  EXPECT_TRUE(platform::ActiveTimerPeriods().empty()) << "a new clock starts with no periods";
  EXPECT_EQ(timeGetDevCaps(&caps, sizeof(caps)), TIMERR_NOERROR);
}

TEST(SystemTest, ModuleFileNameIsTheRunningExecutable) {
  char buffer[4096];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::strlen(buffer), length);
  const std::string path(buffer, length);
  EXPECT_EQ(path.substr(path.find_last_of('/') + 1), "test_platform_win32");

  // Too small: truncated, still terminated, and the size is returned.
  char small[8];
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof(small)), sizeof(small));
  EXPECT_EQ(std::string(small), path.substr(0, sizeof(small) - 1));
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, 0), 0u);
}

TEST(SystemTest, ComBracketCountsNestedCalls) {
  const int depth = platform::ComInitialisationDepth();
  ASSERT_EQ(depth, 0);
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  EXPECT_EQ(platform::ComInitialisationDepth(), 2);
  CoUninitialize();
  CoUninitialize();
  CoUninitialize();  // unbalanced: ignored
  EXPECT_EQ(platform::ComInitialisationDepth(), 0);
}

}  // namespace
