// Real SDL keyboard and mouse events, pushed into SDL's queue, reach the controls through the window's
// message pump and the SDL input driver.
#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/core/Window.h"
#include "engine/files/FileManager.h"
#include "engine/input/Controls_DI7.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/win32/WinMessages.h"

// SDL's video start-up connects to D-Bus, whose library keeps a buffer for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n";
}

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
};

TEST_P(ControlsOnRealWindow, KeysAndButtonsPressedInTheWindowAreSeenByName) {
  Controls& controls = *controls_;
  PushKey(SDL_SCANCODE_SPACE, true);
  PushButton(SDL_BUTTON_RIGHT, true);
  Frame([&] {
    EXPECT_TRUE(controls.IsKeyPressed("SPACE"));
    EXPECT_TRUE(controls.IsKeyDown("MOUSE2"));
    EXPECT_FALSE(controls.IsKeyDown("MOUSE1"));
    std::uint16_t code = 0;
    bool isCharacter = true;
    ASSERT_TRUE(controls.GetLastKeyEvent(code, isCharacter)) << "the window saw the key too";
    EXPECT_EQ(code, VK_SPACE);
    EXPECT_FALSE(isCharacter);
  });
  Frame([&] {
    EXPECT_TRUE(controls.IsKeyDown("SPACE"));
    EXPECT_FALSE(controls.IsKeyPressed("SPACE"));
  });
  PushKey(SDL_SCANCODE_SPACE, false);
  PushButton(SDL_BUTTON_RIGHT, false);
  PushButton(SDL_BUTTON_LEFT, true);
  PushKey(SDL_SCANCODE_RIGHTBRACKET, true);
  Frame([&] {
    EXPECT_FALSE(controls.IsKeyDown("SPACE"));
    EXPECT_FALSE(controls.IsKeyDown("MOUSE2"));
    EXPECT_TRUE(controls.IsKeyPressed("MOUSE1"));
    EXPECT_TRUE(controls.IsKeyPressed(""));
  });
}

TEST_P(ControlsOnRealWindow, LosingTheFocusLetsGoOfEverything) {
  Controls& controls = *controls_;
  PushKey(SDL_SCANCODE_LSHIFT, true);
  PushButton(SDL_BUTTON_LEFT, true);
  Frame([&] { EXPECT_TRUE(controls.IsKeyDown("LSHIFT")); });
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = SDL_GetWindowID(sdlWindow_);
  event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  Frame([&] {
    EXPECT_FALSE(controls.IsKeyDown("LSHIFT"));
    EXPECT_FALSE(controls.IsKeyDown("MOUSE1"));
  });
}

INSTANTIATE_TEST_SUITE_P(Reading, ControlsOnRealWindow, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("Buffered") : std::string("Immediate");
                         });

}  // namespace
}  // namespace CorvantisEngine
