#pragma once
// AnimationControl: turns elapsed frame time into the pair of frames a model blends and the blend
// factor. It keeps named frame ranges (animations by id; id 0xFFFFFFFF covers every frame), a speed in
// frames per second, looping with an optional loop limit and a random pause between loops, and plays a
// range backwards when its last frame is below its first.
//
// Every Model owns one and calls Update once per frame (animated models only); the GUI toolkit and the
// game drive it through its public fields and Play/SetAnimation. Main thread only (it may be created on
// the resource loader's thread together with its model). Nothing fails: ranges outside the model's
// frames are the model's to clamp, and odd values from files (huge or negative speeds, NaN) never hang
// the update or produce negative frame numbers.

#include <cstdint>
#include <map>
#include <utility>

namespace CorvantisEngine {

class MessageManager;
class TimerManager;

class AnimationControl {
 public:
  static constexpr std::uint32_t kAllFrames = 0xFFFFFFFFu;

  AnimationControl(MessageManager* log, TimerManager* timerManager, std::uint32_t frameCount);
  AnimationControl(const AnimationControl& source);
  AnimationControl& operator=(const AnimationControl&) = delete;
  virtual ~AnimationControl();

  // Copies the playback state and the ranges, only when both controls have the same frame count.
  void CopyFrom(const AnimationControl& source);
  // False, and nothing changes, when the id exists already.
  bool AddAnimation(std::uint32_t id, std::uint32_t first, std::uint32_t last);
  // Selects the range and rewinds it; playing, loops and pause stay as they are.
  void SetAnimation(std::uint32_t id);
  // Starts playing from the current position, restarts the loop count and draws a pause.
  void Play();
  // Random start point: a random pause (from the delay range, half the time none), or, without a pause,
  // a random position inside the current range.
  void SetRandomStart();
  // Once per frame: advances by the timer manager's delta and sets frameA, frameB and t.
  void Update();

  MessageManager* log;
  TimerManager* timerManager;
  std::uint32_t frameCount;
  float speed = 0.0f;
  float position = 0.0f;
  bool loop = false;
  std::uint32_t loopLimit = 0;
  std::uint32_t loopsDone = 0;
  float minDelay = 0.0f;
  float maxDelay = 0.0f;
  float delay = 0.0f;
  bool interpolate = true;
  bool playing = false;
  std::map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> animations;
  std::uint32_t currentAnimation = kAllFrames;
  std::uint32_t frameA = 0;
  std::uint32_t frameB = 0;
  float t = 0.0f;
};

}  // namespace CorvantisEngine
