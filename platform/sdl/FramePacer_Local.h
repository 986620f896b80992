#pragma once
// Paces presents that should wait for the vertical blank when the system's swap returns at once (a swap
// interval the driver ignores, as under Xvfb or with some drivers): each present is held back until one
// refresh interval after the previous one. A swap that does wait brings its presents at about the
// interval already, so the pacer then waits for nothing. Presents that do not wait for the vertical
// blank are paced the same way to a fraction of the interval, so that switching vsync off lowers the
// latency without drawing frames as fast as the machine can. Main thread only.

#include <chrono>
#include <optional>

namespace platform::sdl {

class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;

  // The refresh interval of a display of this many hertz; 60 Hz when the display does not say.
  static Clock::duration Interval(int refreshRate) {
    const int hertz = refreshRate > 0 ? refreshRate : 60;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / hertz));
  }

  // Presents without vsync come at most this many times per refresh interval.
  static constexpr int kUnsyncedPerRefresh = 2;

  // The interval between presents without vsync on a display of this refresh interval.
  static Clock::duration UnsyncedInterval(Clock::duration refreshInterval) {
    return refreshInterval / kUnsyncedPerRefresh;
  }

  // Called right after a present, at `now`: how long to wait before going on to keep to `interval`.
  // The due times follow one another by whole intervals, so the rate keeps to the display's on average
  // however long each wait oversleeps; a present later than its due time (a slow frame, a swap that
  // waited) starts the count afresh.
  Clock::duration Wait(Clock::time_point now, Clock::duration interval) {
    if (last_) {
      const Clock::time_point due = *last_ + interval;
      // Early by less than an eighth of the interval is a swap that waited, give or take its jitter.
      if (now + interval / 8 < due) {
        last_ = due;
        return due - now;
      }
    }
    last_ = now;
    return Clock::duration::zero();
  }

  // A new window, a change between presents with and without vsync: the next one starts afresh.
  void Reset() { last_.reset(); }

 private:
  std::optional<Clock::time_point> last_;
};

}  // namespace platform::sdl
