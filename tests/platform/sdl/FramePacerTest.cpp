// The pacing of presents whose swap should have waited for the vertical blank.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/sdl/FramePacer_Local.h"

namespace {

using platform::sdl::FramePacer;
using namespace std::chrono_literals;

TEST(FramePacerTest, IntervalFollowsTheDisplayAndSixtyHertzWhenUnknown) {
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::microseconds>(FramePacer::Interval(60)).count(), 16666);
  EXPECT_EQ(FramePacer::Interval(0), FramePacer::Interval(60));
  EXPECT_EQ(FramePacer::Interval(-5), FramePacer::Interval(60));
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::microseconds>(FramePacer::Interval(144)).count(), 6944);
}

// Each row: the presents' times after the first (ms from it) and the waits expected after each.
TEST(FramePacerTest, WaitsOutTheRestOfTheIntervalOnlyForEarlyPresents) {
  struct Case {
    const char* why;
    std::vector<double> presents;
    std::vector<double> waits;
  } cases[] = {
      // Due at 16, 32 and 48 ms: waking late from one wait does not push the next due time back.
      {"a swap that returns at once: each present is held to the next whole interval",
       {1, 17.5, 34},
       {15, 14.5, 14}},
      {"a swap that waits brings its presents at the interval: no wait", {16.7, 33.3, 50.1}, {0, 0, 0}},
      {"jitter of a waiting swap stays within an eighth of the interval", {15.5, 31.5}, {0, 0}},
      {"a slow frame starts the count afresh", {1, 40, 41}, {15, 0, 15}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    FramePacer pacer;
    const FramePacer::Clock::time_point start{};
    const auto interval = std::chrono::duration_cast<FramePacer::Clock::duration>(16ms);
    ASSERT_EQ(pacer.Wait(start, interval), FramePacer::Clock::duration::zero()) << "the first present";
    for (std::size_t i = 0; i < c.presents.size(); ++i) {
      const auto at = start + std::chrono::duration_cast<FramePacer::Clock::duration>(
                                  std::chrono::duration<double, std::milli>(c.presents[i]));
      const double waited = std::chrono::duration<double, std::milli>(pacer.Wait(at, interval)).count();
      EXPECT_NEAR(waited, c.waits[i], 1e-3) << "present " << i;
    }
  }
  FramePacer pacer;
  const FramePacer::Clock::time_point start{};
  pacer.Wait(start, 16ms);
  pacer.Reset();
  EXPECT_EQ(pacer.Wait(start + 1ms, 16ms), FramePacer::Clock::duration::zero()) << "after a reset";
}

}  // namespace
