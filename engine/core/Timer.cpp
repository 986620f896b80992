#include "engine/core/Timer.h"

#include "platform/win32/WinTime.h"

namespace CorvantisEngine {

Timer::Timer(float startSeconds, bool useCounter) : useCounter_(useCounter ? 1 : 0) {
  if (useCounter_) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    counterFrequency_ = frequency.QuadPart;
    // A counter without a frequency cannot be read; the millisecond clock still can.
    if (counterFrequency_ <= 0)
      useCounter_ = 0;
  }
  Reset(startSeconds);
}

std::int64_t Timer::ReadCounter() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

double Timer::GetTimeExact() const {
  if (useCounter_) {
    const std::int64_t end = paused_ ? counterPauseMark_ : ReadCounter();
    return static_cast<double>(end - counterStart_) / static_cast<double>(counterFrequency_);
  }
  const std::uint32_t end = paused_ ? millisecondPauseMark_ : timeGetTime();
  // Unsigned difference: a wrap of the clock between start and now does not disturb it.
  const std::uint32_t elapsed = end - millisecondStart_;
  return elapsed * 0.001;
}

void Timer::SetPaused(bool paused) {
  if ((paused_ != 0) == paused)
    return;
  paused_ = paused ? 1 : 0;
  if (useCounter_) {
    if (paused) {
      counterPauseMark_ = ReadCounter();
    } else {
      counterStart_ += ReadCounter() - counterPauseMark_;
    }
  } else {
    if (paused) {
      millisecondPauseMark_ = timeGetTime();
    } else {
      millisecondStart_ += timeGetTime() - millisecondPauseMark_;
    }
  }
}

void Timer::Reset(float seconds) {
  if (useCounter_) {
    counterStart_ =
        ReadCounter() - static_cast<std::int64_t>(static_cast<double>(counterFrequency_) * seconds);
  } else {
    millisecondStart_ =
        timeGetTime() - static_cast<std::uint32_t>(static_cast<std::int64_t>(seconds * 1000.0));
  }
  paused_ = 0;
}

}  // namespace CorvantisEngine
