// Real SDL keyboard and mouse events, pushed into SDL's queue, reach the controls through the window's
// message pump and the SDL input driver.
#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "FocusGuard.h"
#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/files/FileManager.h"
#include "engine/input/Controls_DI7.h"
#include "engine/input/KeyNames.h"
#include "engine/window/Window.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/win32/WinMessages.h"

namespace CorvantisEngine {
namespace {

class ControlsOnRealWindow : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "brindlewick-input-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    log_ = std::make_unique<MessageManager>("Input Test", 0, 0, "", "");
    files_ = std::make_unique<FileManager>(log_.get(), folder_.string(), "");
    timers_ = std::make_unique<TimerManager>();
    config_ = std::make_unique<Config>(log_.get(), files_.get(), folder_.string(), "Input Test", false,
                                       "640x480x32", false, false);
    const POINT position{0, 0};
    window_ = std::make_unique<Window>(log_.get(), config_.get(), "Input Test", nullptr, 0, false, 640, 480,
                                       false, true, &position);
    sdlWindow_ = platform::sdl::WindowFromHandle(window_->GetHandle());
    ASSERT_NE(sdlWindow_, nullptr);
    Pump();
    controls_ = std::make_unique<Controls_DI7>(log_.get(), timers_.get(), window_.get(), GetParam());
  }

  void TearDown() override {
    controls_.reset();
    window_.reset();
    config_.reset();
    timers_.reset();
    files_.reset();
    log_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  void PushKey(SDL_Scancode scancode, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = SDL_GetWindowID(sdlWindow_);
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }

  void PushButton(Uint8 button, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = SDL_GetWindowID(sdlWindow_);
    event.button.which = 0;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = 10;
    event.button.y = 10;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }

  // One frame of the main loop: the queued messages, then the engine frame's input steps.
  template <class During>
  void Frame(During during) {
    Pump();
    controls_->Update();
    during();
    controls_->EndFrame();
  }

  std::filesystem::path folder_;
  std::unique_ptr<MessageManager> log_;
  std::unique_ptr<FileManager> files_;
  std::unique_ptr<TimerManager> timers_;
  std::unique_ptr<Config> config_;
  std::unique_ptr<Window> window_;
  SDL_Window* sdlWindow_ = nullptr;
  std::unique_ptr<Controls_DI7> controls_;
  inputtest::FocusWatch focusWatch_;
};

TEST_P(ControlsOnRealWindow, KeysAndButtonsPressedInTheWindowAreSeenByName) {
  Controls& controls = *controls_;
  inputtest::Undisturbed([&](inputtest::Observations& seen) {
    PushKey(SDL_SCANCODE_SPACE, true);
    PushButton(SDL_BUTTON_RIGHT, true);
    Frame([&] {
      seen.Expect(controls.IsKeyPressed("SPACE"), true, "SPACE pressed");
      seen.Expect(controls.IsKeyDown("MOUSE2"), true, "MOUSE2 down");
      seen.Expect(controls.IsKeyDown("MOUSE1"), false, "MOUSE1 down");
      std::uint16_t code = 0;
      bool isCharacter = true;
      seen.Expect(controls.GetLastKeyEvent(code, isCharacter), true, "the window saw the key too");
      seen.Expect(code == VK_SPACE && !isCharacter, true, "the key event is Space going down");
    });
    Frame([&] {
      seen.Expect(controls.IsKeyDown("SPACE"), true, "SPACE held in the next frame");
      seen.Expect(controls.IsKeyPressed("SPACE"), false, "SPACE pressed in the next frame");
    });
    PushKey(SDL_SCANCODE_SPACE, false);
    PushButton(SDL_BUTTON_RIGHT, false);
    PushButton(SDL_BUTTON_LEFT, true);
    PushKey(SDL_SCANCODE_RIGHTBRACKET, true);
    Frame([&] {
      seen.Expect(controls.IsKeyDown("SPACE"), false, "SPACE down after its release");
      seen.Expect(controls.IsKeyDown("MOUSE2"), false, "MOUSE2 down after its release");
      seen.Expect(controls.IsKeyPressed("MOUSE1"), true, "MOUSE1 pressed");
      seen.Expect(controls.IsKeyPressed(""), true, "the right bracket's name pressed");
    });
    PushButton(SDL_BUTTON_LEFT, false);
    PushKey(SDL_SCANCODE_RIGHTBRACKET, false);
    Frame([] {});
  });
}

TEST_P(ControlsOnRealWindow, LosingTheFocusLetsGoOfEverything) {
  Controls& controls = *controls_;
  inputtest::Undisturbed(
      [&](inputtest::Observations& seen) {
        PushKey(SDL_SCANCODE_LSHIFT, true);
        PushButton(SDL_BUTTON_LEFT, true);
        Frame([&] { seen.Expect(controls.IsKeyDown("LSHIFT"), true, "LSHIFT down"); });
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = SDL_GetWindowID(sdlWindow_);
        event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
        seen.Expect(SDL_PushEvent(&event) == 1, true, "focus loss pushed");
        Frame([&] {
          seen.Expect(controls.IsKeyDown("LSHIFT"), false, "LSHIFT down without the focus");
          seen.Expect(controls.IsKeyDown("MOUSE1"), false, "MOUSE1 down without the focus");
        });
      },
      1);
}

// Every keyboard name, reached from the physical key SDL reports.
TEST_P(ControlsOnRealWindow, EveryNamedKeyIsReachedFromItsScancode) {
  struct Row {
    SDL_Scancode scancode;
    const char* name;
  };
  const Row rows[] = {
      {SDL_SCANCODE_CAPSLOCK, "CAPS_LOCK"},
      {SDL_SCANCODE_NUMLOCKCLEAR, "NUM_LOCK"},
      {SDL_SCANCODE_SCROLLLOCK, "SCROLL_LOCK"},
      {SDL_SCANCODE_0, "0"},
      {SDL_SCANCODE_1, "1"},
      {SDL_SCANCODE_2, "2"},
      {SDL_SCANCODE_3, "3"},
      {SDL_SCANCODE_4, "4"},
      {SDL_SCANCODE_5, "5"},
      {SDL_SCANCODE_6, "6"},
      {SDL_SCANCODE_7, "7"},
      {SDL_SCANCODE_8, "8"},
      {SDL_SCANCODE_9, "9"},
      {SDL_SCANCODE_A, "A"},
      {SDL_SCANCODE_B, "B"},
      {SDL_SCANCODE_C, "C"},
      {SDL_SCANCODE_D, "D"},
      {SDL_SCANCODE_E, "E"},
      {SDL_SCANCODE_F, "F"},
      {SDL_SCANCODE_G, "G"},
      {SDL_SCANCODE_H, "H"},
      {SDL_SCANCODE_I, "I"},
      {SDL_SCANCODE_J, "J"},
      {SDL_SCANCODE_K, "K"},
      {SDL_SCANCODE_L, "L"},
      {SDL_SCANCODE_M, "M"},
      {SDL_SCANCODE_N, "N"},
      {SDL_SCANCODE_O, "O"},
      {SDL_SCANCODE_P, "P"},
      {SDL_SCANCODE_Q, "Q"},
      {SDL_SCANCODE_R, "R"},
      {SDL_SCANCODE_S, "S"},
      {SDL_SCANCODE_T, "T"},
      {SDL_SCANCODE_U, "U"},
      {SDL_SCANCODE_V, "V"},
      {SDL_SCANCODE_W, "W"},
      {SDL_SCANCODE_X, "X"},
      {SDL_SCANCODE_Y, "Y"},
      {SDL_SCANCODE_Z, "Z"},
      {SDL_SCANCODE_BACKSPACE, "BACKSPACE"},
      {SDL_SCANCODE_TAB, "TAB"},
      {SDL_SCANCODE_SPACE, "SPACE"},
      {SDL_SCANCODE_RETURN, "ENTER"},
      {SDL_SCANCODE_ESCAPE, "ESCAPE"},
      {SDL_SCANCODE_RSHIFT, "RSHIFT"},
      {SDL_SCANCODE_LSHIFT, "LSHIFT"},
      {SDL_SCANCODE_RCTRL, "RCTRL"},
      {SDL_SCANCODE_LCTRL, "LCTRL"},
      {SDL_SCANCODE_RALT, "RALT"},
      {SDL_SCANCODE_LALT, "LALT"},
      {SDL_SCANCODE_PAGEUP, "PAGEUP"},
      {SDL_SCANCODE_PAGEDOWN, "PAGEDOWN"},
      {SDL_SCANCODE_END, "END"},
      {SDL_SCANCODE_HOME, "HOME"},
      {SDL_SCANCODE_PRINTSCREEN, "PRINTSCRN"},
      {SDL_SCANCODE_INSERT, "INSERT"},
      {SDL_SCANCODE_DELETE, "DELETE"},
      {SDL_SCANCODE_PAUSE, "PAUSE"},
      {SDL_SCANCODE_LEFT, "LEFTARROW"},
      {SDL_SCANCODE_UP, "UPARROW"},
      {SDL_SCANCODE_RIGHT, "RIGHTARROW"},
      {SDL_SCANCODE_DOWN, "DOWNARROW"},
      {SDL_SCANCODE_KP_0, "NUMPAD_0"},
      {SDL_SCANCODE_KP_1, "NUMPAD_1"},
      {SDL_SCANCODE_KP_2, "NUMPAD_2"},
      {SDL_SCANCODE_KP_3, "NUMPAD_3"},
      {SDL_SCANCODE_KP_4, "NUMPAD_4"},
      {SDL_SCANCODE_KP_5, "NUMPAD_5"},
      {SDL_SCANCODE_KP_6, "NUMPAD_6"},
      {SDL_SCANCODE_KP_7, "NUMPAD_7"},
      {SDL_SCANCODE_KP_8, "NUMPAD_8"},
      {SDL_SCANCODE_KP_9, "NUMPAD_9"},
      {SDL_SCANCODE_KP_MULTIPLY, "NUMPAD_MULTIPLY"},
      {SDL_SCANCODE_KP_PLUS, "NUMPAD_PLUS"},
      {SDL_SCANCODE_KP_MINUS, "NUMPAD_MINUS"},
      {SDL_SCANCODE_KP_PERIOD, "NUMPAD_DELETE"},
      {SDL_SCANCODE_KP_DIVIDE, "NUMPAD_DIVIDE"},
      {SDL_SCANCODE_F1, "F1"},
      {SDL_SCANCODE_F2, "F2"},
      {SDL_SCANCODE_F3, "F3"},
      {SDL_SCANCODE_F4, "F4"},
      {SDL_SCANCODE_F5, "F5"},
      {SDL_SCANCODE_F6, "F6"},
      {SDL_SCANCODE_F7, "F7"},
      {SDL_SCANCODE_F8, "F8"},
      {SDL_SCANCODE_F9, "F9"},
      {SDL_SCANCODE_F10, "F10"},
      {SDL_SCANCODE_F11, "F11"},
      {SDL_SCANCODE_F12, "F12"},
      {SDL_SCANCODE_GRAVE, "~"},
      {SDL_SCANCODE_SEMICOLON, ";"},
      {SDL_SCANCODE_EQUALS, "="},
      {SDL_SCANCODE_COMMA, ","},
      {SDL_SCANCODE_MINUS, "-"},
      {SDL_SCANCODE_PERIOD, "."},
      {SDL_SCANCODE_SLASH, "/"},
      {SDL_SCANCODE_LEFTBRACKET, "["},
      {SDL_SCANCODE_BACKSLASH, "\\"},
      {SDL_SCANCODE_RIGHTBRACKET, ""},
      {SDL_SCANCODE_APOSTROPHE, "'"},
  };
  ASSERT_EQ(std::size(rows), 100u);
  Controls& controls = *controls_;
  for (const Row& row : rows) {
    inputtest::Undisturbed([&](inputtest::Observations& seen) {
      const std::string name = std::string("\"") + row.name + "\"";
      PushKey(row.scancode, true);
      Frame([&] {
        seen.Expect(controls.IsKeyPressed(row.name), true, name + " pressed");
        for (std::string_view other : KeyNames) {
          if (other != row.name) {
            seen.Expect(controls.IsKeyDown(other), false,
                        name + " pushed, \"" + std::string(other) + "\" down");
          }
        }
      });
      PushKey(row.scancode, false);
      Frame([&] { seen.Expect(controls.IsAnyKeyDown(), false, name + " released, any key down"); });
    });
  }
}

INSTANTIATE_TEST_SUITE_P(Reading, ControlsOnRealWindow, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("Buffered") : std::string("Immediate");
                         });

}  // namespace
}  // namespace CorvantisEngine
