#include "engine/input/Controls_DI7.h"

#include <cstring>
#include <memory>
#include <string_view>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/input/ControlsFactory.h"
#include "engine/input/KeyNames.h"
#include "engine/window/Window.h"
#include "platform/dinput/DInput.h"
#include "platform/win32/WinWindow.h"

namespace CorvantisEngine {

std::unique_ptr<Controls> CreateControls(MessageManager* log, TimerManager* timerManager, Window* window,
                                         bool buffered) {
  return std::make_unique<Controls_DI7>(log, timerManager, window, buffered);
}

namespace {

struct KeyCodeRow {
  std::string_view name;
  std::uint32_t code;
};

// In key-name order; the mouse names carry their button index.
constexpr KeyCodeRow kKeyCodeRows[] = {
    {"MOUSE1", 0},
    {"MOUSE2", 1},
    {"MOUSE3", 2},
    {"MOUSE4", 3},
    {"MOUSE5", 4},
    {"MOUSE6", 5},
    {"MOUSE7", 6},
    {"MOUSE8", 7},
    {"CAPS_LOCK", DIK_CAPITAL},
    {"NUM_LOCK", DIK_NUMLOCK},
    {"SCROLL_LOCK", DIK_SCROLL},
    {"0", DIK_0},
    {"1", DIK_1},
    {"2", DIK_2},
    {"3", DIK_3},
    {"4", DIK_4},
    {"5", DIK_5},
    {"6", DIK_6},
    {"7", DIK_7},
    {"8", DIK_8},
    {"9", DIK_9},
    {"A", DIK_A},
    {"B", DIK_B},
    {"C", DIK_C},
    {"D", DIK_D},
    {"E", DIK_E},
    {"F", DIK_F},
    {"G", DIK_G},
    {"H", DIK_H},
    {"I", DIK_I},
    {"J", DIK_J},
    {"K", DIK_K},
    {"L", DIK_L},
    {"M", DIK_M},
    {"N", DIK_N},
    {"O", DIK_O},
    {"P", DIK_P},
    {"Q", DIK_Q},
    {"R", DIK_R},
    {"S", DIK_S},
    {"T", DIK_T},
    {"U", DIK_U},
    {"V", DIK_V},
    {"W", DIK_W},
    {"X", DIK_X},
    {"Y", DIK_Y},
    {"Z", DIK_Z},
    {"BACKSPACE", DIK_BACK},
    {"TAB", DIK_TAB},
    {"SPACE", DIK_SPACE},
    {"ENTER", DIK_RETURN},
    {"ESCAPE", DIK_ESCAPE},
    {"RSHIFT", DIK_RSHIFT},
    {"LSHIFT", DIK_LSHIFT},
    {"RCTRL", DIK_RCONTROL},
    {"LCTRL", DIK_LCONTROL},
    {"RALT", DIK_RMENU},
    {"LALT", DIK_LMENU},
    {"PAGEUP", DIK_PRIOR},
    {"PAGEDOWN", DIK_NEXT},
    {"END", DIK_END},
    {"HOME", DIK_HOME},
    {"PRINTSCRN", DIK_SYSRQ},
    {"INSERT", DIK_INSERT},
    {"DELETE", DIK_DELETE},
    {"PAUSE", DIK_PAUSE},
    {"LEFTARROW", DIK_LEFT},
    {"UPARROW", DIK_UP},
    {"RIGHTARROW", DIK_RIGHT},
    {"DOWNARROW", DIK_DOWN},
    {"NUMPAD_0", DIK_NUMPAD0},
    {"NUMPAD_1", DIK_NUMPAD1},
    {"NUMPAD_2", DIK_NUMPAD2},
    {"NUMPAD_3", DIK_NUMPAD3},
    {"NUMPAD_4", DIK_NUMPAD4},
    {"NUMPAD_5", DIK_NUMPAD5},
    {"NUMPAD_6", DIK_NUMPAD6},
    {"NUMPAD_7", DIK_NUMPAD7},
    {"NUMPAD_8", DIK_NUMPAD8},
    {"NUMPAD_9", DIK_NUMPAD9},
    {"NUMPAD_MULTIPLY", DIK_MULTIPLY},
    {"NUMPAD_PLUS", DIK_ADD},
    {"NUMPAD_MINUS", DIK_SUBTRACT},
    {"NUMPAD_DELETE", DIK_DECIMAL},
    {"NUMPAD_DIVIDE", DIK_DIVIDE},
    {"F1", DIK_F1},
    {"F2", DIK_F2},
    {"F3", DIK_F3},
    {"F4", DIK_F4},
    {"F5", DIK_F5},
    {"F6", DIK_F6},
    {"F7", DIK_F7},
    {"F8", DIK_F8},
    {"F9", DIK_F9},
    {"F10", DIK_F10},
    {"F11", DIK_F11},
    {"F12", DIK_F12},
    {"~", DIK_GRAVE},
    {";", DIK_SEMICOLON},
    {"=", DIK_EQUALS},
    {",", DIK_COMMA},
    {"-", DIK_MINUS},
    {".", DIK_PERIOD},
    {"/", DIK_SLASH},
    {"[", DIK_LBRACKET},
    {"\\", DIK_BACKSLASH},
    {"", DIK_RBRACKET},
    {"'", DIK_APOSTROPHE},
};
static_assert(std::size(kKeyCodeRows) == kKeyNameCount);

constexpr std::string_view kBufferedModeRefused =
    "Failed to set the buffered mode, switching to the immediate mode";

}  // namespace

Controls_DI7::Controls_DI7(MessageManager* log, TimerManager* timerManager, Window* window, bool buffered)
    : Controls(log, timerManager, window), keyboardBuffered_(buffered), mouseBuffered_(buffered) {
  // A set-up that fails part-way releases what it opened before the failure leaves the constructor.
  try {
    SetUp();
  } catch (...) {
    Release(false);
    throw;
  }
  BuildTables();
}

Controls_DI7::~Controls_DI7() {
  log_->Message("\nDirectInput devices destroying:");
  Release(true);
  SetCursorVisible(true);
}

void Controls_DI7::SetUp() {
  log_->Message("Initialization of DirectInput devices...");
  log_->Message("...Creating a DirectInput object...");
  // The window belongs to the program's own module, whose instance handle this is.
  if (FAILED(DirectInputCreateEx(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput7A,
                                 reinterpret_cast<LPVOID*>(&directInput_), nullptr))) {
    directInput_ = nullptr;
    log_->Abort("Failed to create a DirectInput object");
  }
  log_->Message("...Keyboard:");
  SetUpDevice(keyboard_, true, keyboardBuffered_);
  log_->Message("...Mouse:");
  SetUpDevice(mouse_, false, mouseBuffered_);
}

void Controls_DI7::SetUpDevice(IDirectInputDevice7A*& device, bool keyboard, bool& buffered) {
  log_->Message(keyboard ? "......Obtaining an interface to the system keyboard device..."
                         : "......Obtaining an interface to the system mouse device...");
  if (FAILED(directInput_->CreateDeviceEx(keyboard ? GUID_SysKeyboard : GUID_SysMouse,
                                          IID_IDirectInputDevice7A, reinterpret_cast<LPVOID*>(&device),
                                          nullptr))) {
    device = nullptr;
    log_->Abort(keyboard ? "Failed to obtain an interface to the system keyboard device"
                         : "Failed to obtain an interface to the system mouse device");
  }
  log_->Message("......Setting the data format...");
  if (FAILED(device->SetDataFormat(keyboard ? &c_dfDIKeyboard : &c_dfDIMouse2))) {
    log_->Abort("Failed to set the data format");
  }
  log_->Message("......Setting the cooperativity level...");
  if (FAILED(device->SetCooperativeLevel(GetDesktopWindow(), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND))) {
    log_->Abort("Failed to set the cooperativity level");
  }
  if (buffered) {
    log_->Message("......Setting the buffered mode...");
    DIPROPDWORD property{};
    property.diph.dwSize = sizeof(DIPROPDWORD);
    property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    property.diph.dwObj = 0;
    property.diph.dwHow = DIPH_DEVICE;
    property.dwData = keyboard ? kKeyboardBufferSize : kMouseBufferSize;
    if (FAILED(device->SetProperty(DIPROP_BUFFERSIZE, &property.diph))) {
      buffered = false;
      log_->Error(std::string(kBufferedModeRefused));
    }
  }
  device->Acquire();
}

void Controls_DI7::Release(bool logSteps) {
  auto step = [&](const char* text) {
    if (logSteps) {
      log_->Message(text);
    }
  };
  step("...Keyboard...");
  if (keyboard_ != nullptr) {
    keyboard_->Unacquire();
    keyboard_->Release();
    keyboard_ = nullptr;
  }
  step("...Mouse...");
  if (mouse_ != nullptr) {
    mouse_->Unacquire();
    mouse_->Release();
    mouse_ = nullptr;
  }
  step("...DirectInput object...");
  if (directInput_ != nullptr) {
    directInput_->Release();
    directInput_ = nullptr;
  }
}

// Where a keyboard code and a mouse button index coincide (1 to 7), the first name in name order keeps
// the code, which is always the keyboard's ("ESCAPE", "1" to "6"), so buffered key records resolve to
// keyboard names.
void Controls_DI7::BuildTables() {
  for (const KeyCodeRow& row : kKeyCodeRows) {
    keyCodes_.emplace(std::string(row.name), row.code);
  }
  for (const auto& [name, code] : keyCodes_) {
    keyNamesByCode_.emplace(code, name);
  }
}

void Controls_DI7::Update() {
  ReadKeyboard();
  ReadMouse();
  Controls::Update();
}

void Controls_DI7::EndFrame() {
  Controls::EndFrame();
}

void Controls_DI7::Reacquire(IDirectInputDevice7A* device) {
  for (int attempt = 0; attempt < kMaxAcquireAttempts; ++attempt) {
    if (device->Acquire() != DIERR_INPUTLOST) {
      return;
    }
  }
}

void Controls_DI7::ReadKeyboard() {
  bool immediate = !keyboardBuffered_;
  if (keyboardBuffered_) {
    DIDEVICEOBJECTDATA records[kRecordsPerRead];
    DWORD count = kRecordsPerRead;
    if (keyboard_->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records, &count, 0) == DI_OK) {
      for (DWORD i = 0; i < count && i < kRecordsPerRead; ++i) {
        auto name = keyNamesByCode_.find(records[i].dwOfs);
        if (name != keyNamesByCode_.end()) {
          SetKeyState(name->second, (records[i].dwData & 0x80) != 0);
        }
      }
    } else {
      Reacquire(keyboard_);
      immediate = true;
    }
  }
  if (!immediate) {
    return;
  }
  BYTE state[256];
  std::memset(state, 0, sizeof(state));
  if (FAILED(keyboard_->GetDeviceState(sizeof(state), state))) {
    Reacquire(keyboard_);
    std::memset(state, 0, sizeof(state));
  }
  for (std::size_t row = kMouseButtonCount; row < std::size(kKeyCodeRows); ++row) {
    const KeyCodeRow& key = kKeyCodeRows[row];
    ApplyKeyState(key.name, state[key.code] != 0);
  }
}

void Controls_DI7::ReadMouse() {
  bool immediate = !mouseBuffered_;
  if (mouseBuffered_) {
    DIDEVICEOBJECTDATA records[kRecordsPerRead];
    DWORD count = kRecordsPerRead;
    if (mouse_->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records, &count, 0) == DI_OK) {
      for (DWORD i = 0; i < count && i < kRecordsPerRead; ++i) {
        const DWORD offset = records[i].dwOfs;
        if (offset >= DIMOFS_BUTTON0 && offset <= DIMOFS_BUTTON7) {
          SetKeyState(MouseButtonNames()[offset - DIMOFS_BUTTON0], (records[i].dwData & 0x80) != 0);
        }
      }
    } else {
      Reacquire(mouse_);
      immediate = true;
    }
  }
  if (!immediate) {
    return;
  }
  DIMOUSESTATE2 state;
  std::memset(&state, 0, sizeof(state));
  if (FAILED(mouse_->GetDeviceState(sizeof(state), &state))) {
    Reacquire(mouse_);
    std::memset(&state, 0, sizeof(state));
  }
  for (std::size_t button = 0; button < kMouseButtonCount; ++button) {
    SetKeyState(MouseButtonNames()[button], state.rgbButtons[button] != 0);
  }
}

}  // namespace CorvantisEngine
