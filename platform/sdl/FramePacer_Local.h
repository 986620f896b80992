#pragma once
// Paces presents that should wait for the vertical blank when the system's swap returns at once (a swap
// interval the driver ignores, as under Xvfb or with some drivers): each present is held back until one
// refresh interval after the previous one. A swap that does wait brings its presents at about the
// interval already, so the pacer then waits for nothing. Main thread only.

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

  // Called right after a present that should have waited, at `now`: how long to wait before going on.
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

  // A present that did not ask to wait, a new window: the next one starts afresh.
  void Reset() { last_.reset(); }

 private:
  std::optional<Clock::time_point> last_;
};

}  // namespace platform::sdl
