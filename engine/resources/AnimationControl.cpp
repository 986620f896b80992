#include "engine/resources/AnimationControl.h"

#include <cmath>

#include "engine/core/Random.h"
#include "engine/core/TimerManager.h"

namespace CorvantisEngine {

namespace {

constexpr float kEpsilon = 0.0001f;

}  // namespace

AnimationControl::AnimationControl(MessageManager* log_, TimerManager* timerManager_,
                                   std::uint32_t frameCount_)
    : log(log_), timerManager(timerManager_), frameCount(frameCount_) {
  AddAnimation(kAllFrames, 0, frameCount > 0 ? frameCount - 1 : 0);
  SetAnimation(kAllFrames);
}

AnimationControl::AnimationControl(const AnimationControl& source)
    : log(source.log), timerManager(source.timerManager), frameCount(source.frameCount) {
  CopyFrom(source);
}

AnimationControl::~AnimationControl() = default;

void AnimationControl::CopyFrom(const AnimationControl& source) {
  if (source.frameCount != frameCount) {
    return;
  }
  animations = source.animations;
  speed = source.speed;
  position = source.position;
  loop = source.loop;
  loopLimit = source.loopLimit;
  loopsDone = source.loopsDone;
  minDelay = source.minDelay;
  maxDelay = source.maxDelay;
  delay = source.delay;
  interpolate = source.interpolate;
  playing = source.playing;
  frameA = source.frameA;
  frameB = source.frameB;
  t = source.t;
  currentAnimation = source.currentAnimation;
}

bool AnimationControl::AddAnimation(std::uint32_t id, std::uint32_t first, std::uint32_t last) {
  return animations.emplace(id, std::make_pair(first, last)).second;
}

void AnimationControl::SetAnimation(std::uint32_t id) {
  currentAnimation = id;
  position = 0.0f;
}

void AnimationControl::Play() {
  playing = true;
  loopsDone = 0;
  delay = RandomFloatRange(minDelay, maxDelay);
}

void AnimationControl::SetRandomStart() {
  float offset = RandomFloatRange(minDelay, maxDelay) * RandomSignedFloat();
  if (!(offset > 0.0f)) {
    offset = 0.0f;
  }
  delay = offset;
  if (offset < kEpsilon) {
    const auto& range = animations[currentAnimation];
    const std::uint32_t span =
        range.second >= range.first ? range.second - range.first : range.first - range.second;
    position = RandomFloatRange(0.0f, static_cast<float>(span));
  } else {
    position = 0.0f;
  }
}

void AnimationControl::Update() {
  const float dt = timerManager != nullptr ? timerManager->delta : 0.0f;
  const auto range = animations[currentAnimation];
  const bool reversed = range.second < range.first;
  const std::uint32_t lo = reversed ? range.second : range.first;
  const std::uint32_t hi = reversed ? range.first : range.second;
  // 64-bit: a range over every 32-bit frame number still has a count.
  const std::uint64_t n = static_cast<std::uint64_t>(hi) - lo + 1;
  const double span = static_cast<double>(n);

  frameA = 0;
  frameB = 0;
  t = 0.0f;
  // The pause only ever needs to know whether it is still running; keeping it at 0 once over stops it
  // from drifting towards minus infinity in a long session.
  delay = delay - dt;
  if (!(delay > 0.0f)) {
    delay = 0.0f;
  }

  if (playing && !(loop && delay >= kEpsilon)) {
    position += speed * dt;
  }
  if (!std::isfinite(position)) {
    position = 0.0f;
  }

  const bool continuous = loop && (loopsDone + 1 < loopLimit || loopLimit == 0) && maxDelay < kEpsilon;
  // Negative speeds run towards the start: a continuous loop wraps round to its end, anything else
  // holds at the first frame.
  if (position < 0.0f) {
    if (continuous && n > 1) {
      const double period = span - 1.0;
      double wrapped = std::fmod(static_cast<double>(position), period);
      if (wrapped < 0.0) {
        wrapped += period;
      }
      position = static_cast<float>(wrapped);
      if (position >= static_cast<float>(period)) {
        position = 0.0f;
      }
    } else {
      position = 0.0f;
    }
  }

  std::uint64_t a = 0;
  std::uint64_t b = 0;
  if (!continuous && static_cast<double>(position) + 1.0 >= span) {
    if (loop) {
      if (delay < kEpsilon) {
        delay = RandomFloatRange(minDelay, maxDelay);
      }
      a = 0;
      // A range of one frame has no second frame to show.
      b = n > 1 ? 1 : 0;
      position = 0.0f;
      playing = maxDelay > kEpsilon;
    } else {
      a = n - 1;
      b = 0;
      position = static_cast<float>(span - 1.0);
      playing = false;
    }
  } else {
    if (n > 1 && static_cast<double>(position) >= span - 1.0) {
      // The last frame is the first frame of the next loop: every wrap moves back by n - 1 frames.
      // Closed form, so that a huge step (a huge speed from a file) costs no more than a small one.
      const double period = span - 1.0;
      const double wraps = std::floor(static_cast<double>(position) / period);
      double rest = static_cast<double>(position) - wraps * period;
      if (rest < 0.0 || rest >= period) {
        rest = 0.0;
      }
      position = static_cast<float>(rest);
      if (static_cast<double>(position) >= period) {
        position = 0.0f;
      }
      const double total = static_cast<double>(loopsDone) + wraps;
      loopsDone = total >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(total);
    }
    const double whole = std::floor(static_cast<double>(position));
    t = static_cast<float>(static_cast<double>(position) - whole);
    std::uint64_t i = static_cast<std::uint64_t>(whole);
    if (i >= n) {
      i %= n;
    }
    a = i;
    b = i + 1 >= n ? 0 : i + 1;
  }

  if (!interpolate) {
    t = 0.0f;
  }
  if (reversed) {
    a = n - a - 1;
    b = n - b - 1;
    // Without interpolation frameA alone is shown: it must stay the frame the position has reached, so
    // the pair is only swapped (and t mirrored) when blending.
    if (interpolate) {
      t = 1.0f - t;
      std::swap(a, b);
    }
  }
  frameA = static_cast<std::uint32_t>(a + lo);
  frameB = static_cast<std::uint32_t>(b + lo);
}

}  // namespace CorvantisEngine
