#include "engine/core/TimerManager.h"

#include <algorithm>

#include "platform/win32/WinTime.h"

namespace CorvantisEngine {

TimerManager::TimerManager() {
  TIMECAPS caps{};
  if (timeGetDevCaps(&caps, sizeof(caps)) == TIMERR_NOERROR) {
    timerPeriod_ = caps.wPeriodMin;
    // A refused period is not held, so it must not be ended either.
    if (timeBeginPeriod(timerPeriod_) != TIMERR_NOERROR)
      timerPeriod_ = 0;
  }
  frameTimer = CreateTimer(0.0f, timerPeriod_ == 0);
}

TimerManager::~TimerManager() {
  DeleteTimer(frameTimer);
  frameTimer = nullptr;
  freeSlots_.clear();
  for (std::uint32_t slot : liveSlots_) {
    delete slots_[slot];
    slots_[slot] = nullptr;
  }
  liveSlots_.clear();
  slots_.clear();
  if (timerPeriod_ != 0)
    timeEndPeriod(timerPeriod_);
}

Timer* TimerManager::CreateTimer(float startSeconds, bool useCounter) {
  Timer* timer = new Timer(startSeconds, useCounter);
  std::uint32_t slot;
  if (freeSlots_.empty()) {
    slot = static_cast<std::uint32_t>(slots_.size());
  } else {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  }
  liveSlots_.push_back(slot);
  if (slot == slots_.size()) {
    slots_.push_back(timer);
  } else {
    slots_[slot] = timer;
  }
  return timer;
}

void TimerManager::DeleteTimer(Timer* timer) {
  if (timer == nullptr)
    return;
  auto live = std::find_if(liveSlots_.begin(), liveSlots_.end(),
                           [&](std::uint32_t slot) { return slots_[slot] == timer; });
  if (live == liveSlots_.end())
    return;
  const std::uint32_t slot = *live;
  delete slots_[slot];
  slots_[slot] = nullptr;
  freeSlots_.push_back(slot);
  liveSlots_.erase(live);
  if (timer == frameTimer)
    frameTimer = nullptr;
}

void TimerManager::Update() {
  if (frameTimer == nullptr)
    return;
  // The difference is taken in double precision: after hours of play a float reading of the frame
  // timer only resolves several milliseconds.
  const double now = frameTimer->GetTimeExact();
  delta = static_cast<float>(now - lastTimeExact_);
  lastTimeExact_ = now;
  lastTime = static_cast<float>(now);

  secondAccumulator += delta;
  ++frameCounter;
  if (secondAccumulator >= 1.0f) {
    secondAccumulator -= 1.0f;
    framesPerSecond = frameCounter;
    frameCounter = 0;
  }

  delta = std::clamp(delta, kMinDelta, kMaxDelta);

  if (smoothing) {
    const float raw = delta;
    if (previousSmoothedDelta < 0.0001f)
      previousSmoothedDelta = raw;
    delta = (previousSmoothedDelta * 9.0f + raw) * 0.1f;
    previousSmoothedDelta = delta;
    if (raw * 1.25f < delta)
      delta = raw * 1.25f;
  }
}

}  // namespace CorvantisEngine
