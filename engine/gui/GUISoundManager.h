#pragma once
// GUISoundManager: the widgets' sounds by numeric id (0/1 button over/pressed, 2/3 check box, 4/5
// slider thumb, 6/7 scroll thumb, 8/9 scroll arrows, 10 edit box text changed). An id may hold several
// recordings: a request plays the one rested longest, and a second request within 0.01 s of any of
// them plays nothing.
//
// Main thread only. The sounds are made by, and destroyed through, the sound manager; the timer and
// sound managers and the log are borrowed. Without a sound manager (no sound in the engine) nothing is
// registered or played. A recording that cannot be read is logged as an error and left out; nothing
// else is caught.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace CorvantisEngine {

class MessageManager;
class TimerManager;
class SoundManager;
class Sound;

struct GUISoundEntry {
  Sound* sound = nullptr;
  float lastStart = 0.0f;  // seconds on the frame timer
  // A recording that never played does not hold back a request made in the first 0.01 s of the timer.
  bool played = false;
};

class GUISoundManager {
 public:
  static constexpr float kRepeatWindow = 0.01f;

  GUISoundManager(TimerManager* timerManager, SoundManager* soundManager, MessageManager* log = nullptr);
  virtual ~GUISoundManager();

  GUISoundManager(const GUISoundManager&) = delete;
  GUISoundManager& operator=(const GUISoundManager&) = delete;

  void AddSound(std::uint32_t id, const std::string& fileName);
  // Queues the sound for the sound manager's end-of-frame update.
  void PlaySound(std::uint32_t id);

  TimerManager* timerManager;
  SoundManager* soundManager;
  MessageManager* log;  // where a recording that cannot be read is reported; may be null
  std::map<std::uint32_t, std::vector<GUISoundEntry*>> sounds;  // entries owned
  float volume = 1.0f;
};

}  // namespace CorvantisEngine
