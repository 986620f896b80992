#pragma once
// Controls_DI7: the controls over the DirectInput-shaped layer. Opens the system keyboard and mouse
// (non-exclusive, in the background), reads both once per frame, from each device's event buffer when it
// can and from its current state otherwise, and turns what it reads into the held and pressed flags of
// the key names. It owns the key-code table (key name to DIK code, mouse names to their button index) and
// its reverse.
//
// Main thread only. Owns the DirectInput object and both devices. Construction logs each set-up step;
// a refused creation, data format or cooperative level ends through MessageManager::Abort (FatalError),
// after releasing whatever it had opened. A refused buffer size is logged as an error and that device
// reads its immediate state from then on. Reads never throw: a failed read re-acquires the device (a
// bounded number of times per frame) and that frame takes the device's state instead, or all keys up.

#include <cstdint>
#include <map>
#include <string>

#include "engine/input/Controls.h"

struct IDirectInput7A;
struct IDirectInputDevice7A;

namespace CorvantisEngine {

class Controls_DI7 : public Controls {
 public:
  // Records the keyboard's buffer holds and the mouse's, and how many one frame takes.
  static constexpr std::uint32_t kKeyboardBufferSize = 8;
  static constexpr std::uint32_t kMouseBufferSize = 16;
  static constexpr std::uint32_t kRecordsPerRead = 8;
  // Acquire calls after a failed read, at most, while the device answers that its input is lost.
  static constexpr int kMaxAcquireAttempts = 4;

  Controls_DI7(MessageManager* log, TimerManager* timerManager, Window* window, bool buffered);
  ~Controls_DI7() override;

  // Reads the keyboard, then the mouse, then runs Controls::Update.
  void Update() override;
  void EndFrame() override;

  void SetKeyState(const std::string& name, bool down) { ApplyKeyState(name, down); }

  bool IsKeyboardBuffered() const { return keyboardBuffered_; }
  bool IsMouseBuffered() const { return mouseBuffered_; }
  const std::map<std::string, std::uint32_t>& GetKeyCodes() const { return keyCodes_; }
  const std::map<std::uint32_t, std::string>& GetKeyNamesByCode() const { return keyNamesByCode_; }

 private:
  void SetUp();
  void SetUpDevice(IDirectInputDevice7A*& device, bool keyboard, bool& buffered);
  // Unacquires and releases whatever is open; logs each step when the engine ends, not after a failure.
  void Release(bool logSteps);
  void BuildTables();
  void ReadKeyboard();
  void ReadMouse();
  static void Reacquire(IDirectInputDevice7A* device);

  IDirectInput7A* directInput_ = nullptr;     // owned
  IDirectInputDevice7A* keyboard_ = nullptr;  // owned
  IDirectInputDevice7A* mouse_ = nullptr;     // owned
  std::map<std::string, std::uint32_t> keyCodes_;
  std::map<std::uint32_t, std::string> keyNamesByCode_;
  bool keyboardBuffered_;
  bool mouseBuffered_;
};

}  // namespace CorvantisEngine
