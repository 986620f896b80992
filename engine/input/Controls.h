#pragma once
// Controls: the engine's keyboard and mouse state by key name (KeyNames.h). For every name it keeps
// whether the key is held and whether it went down during the current frame; beside that it relays the
// window's key events of the frame (typed characters and key presses, in order) for text entry, shows or
// hides the system cursor, reports and moves the cursor position, and offers an input lock under which every
// key reads as up until the player has let go of all keys.
//
// Controls reads no device: a back end (Controls_DI7) fills the key state at the start of every frame in
// its Update and then calls Controls::Update. The Engine calls Update at its frame start and EndFrame at
// its frame end. Main thread only. The log, timer manager and window are borrowed. Nothing here throws.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class MessageManager;
class TimerManager;
class Window;

class Controls {
 public:
  // Touches no device and leaves the system cursor alone.
  Controls(MessageManager* log, TimerManager* timerManager, Window* window);
  // Shows the system cursor again.
  virtual ~Controls();

  Controls(const Controls&) = delete;
  Controls& operator=(const Controls&) = delete;

  // The input lock step, then the cursor visibility is applied. A back end reads its devices first.
  virtual void Update();
  // Clears every pressed flag and the window's pending key events.
  virtual void EndFrame();

  // Unlisted names (lower-case forms included) are never down or pressed; everything is up while locked.
  // A key that went down and came up again within this frame's reading reads as down for the frame.
  bool IsKeyDown(std::string_view name) const;
  bool IsKeyPressed(std::string_view name) const;
  bool IsAnyKeyDown() const;

  // Every query answers false until a frame finds no key held, pressed or typed (or, after more than two
  // seconds, the system reports no key down).
  void LockInput();
  bool IsInputLocked() const { return locked_; }

  // The window's last key event of this frame: a typed character (UTF-16 unit, isCharacter true) or a key
  // that went down (virtual-key code). False while locked or when there is none.
  bool GetLastKeyEvent(std::uint16_t& code, bool& isCharacter) const;
  // Every key event of this frame, oldest first, so that text typed faster than the frame rate arrives
  // whole: 0 while locked. GetKeyEvent is false for an index past the count.
  std::size_t GetKeyEventCount() const;
  bool GetKeyEvent(std::size_t index, std::uint16_t& code, bool& isCharacter) const;

  bool IsCursorVisible() const { return cursorVisible_; }
  void SetCursorVisible(bool visible);
  // Brings the system cursor's display counter to the visibility flag: within 0..10 while visible and
  // -10..-1 while hidden once it started in that span.
  void ApplyCursorVisibility();
  // In client-area pixels of the engine window; outside the client area x or y is negative or beyond it.
  Vector2 GetCursorPosition() const;
  // Client-area pixels, truncated toward zero.
  void SetCursorPosition(const Vector2& position);

 protected:
  // The change one reading makes to a key: up clears held; down on a key not held sets held and pressed;
  // down on a held key and unlisted names change nothing.
  void ApplyKeyState(std::string_view name, bool down);
  const std::vector<std::string>& MouseButtonNames() const { return mouseButtonNames_; }

  MessageManager* log_;
  TimerManager* timerManager_;
  Window* window_;

 private:
  using KeyMap = std::map<std::string, bool, std::less<>>;

  void StepInputLock();
  bool HasPendingKeyEvent() const;

  bool cursorVisible_ = true;
  KeyMap held_;
  KeyMap pressed_;
  std::vector<std::string> mouseButtonNames_;
  bool locked_ = false;
  float lockTime_ = 0.0f;
};

}  // namespace CorvantisEngine
