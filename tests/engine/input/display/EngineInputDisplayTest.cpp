// The game's road for input: a key and a mouse button pressed in the engine's real window are seen by
// name between the engine's frame start and frame end.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/core/Engine.h"
#include "engine/core/Window.h"
#include "engine/input/Controls.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/win32/WinMessages.h"

namespace CorvantisEngine {
namespace {

namespace fs = std::filesystem;

TEST(EngineInputOnRealWindow, KeyAndButtonPressedInTheWindowAreSeenByName) {
  const fs::path folder =
      fs::temp_directory_path() / ("brindlewick_engine_input_display_" + std::to_string(::getpid()));
  fs::remove_all(folder);
  {
    EngineStartParameters p;
    p.name = p.applicationName = p.logName = "Game";
    p.version = 100;
    p.logFolder = p.configFolder = folder.string();
    p.dataFolder = (folder / "data").string();
    p.packFolder = "Data";
    p.defaultVideoMode = "640x480x32";
    p.centreWindow = 1;
    Engine engine(p);
    SDL_Window* window = platform::sdl::WindowFromHandle(engine.GetWindow()->GetHandle());
    ASSERT_NE(window, nullptr);

    auto pump = [] {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    };
    pump();

    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = SDL_GetWindowID(window);
    key.key.state = SDL_PRESSED;
    key.key.keysym.scancode = SDL_SCANCODE_P;
    key.key.keysym.sym = SDLK_p;
    ASSERT_EQ(SDL_PushEvent(&key), 1);
    SDL_Event button{};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.windowID = SDL_GetWindowID(window);
    button.button.button = SDL_BUTTON_LEFT;
    button.button.state = SDL_PRESSED;
    ASSERT_EQ(SDL_PushEvent(&button), 1);

    pump();
    engine.Tick();
    Controls& controls = *engine.GetControls();
    EXPECT_TRUE(controls.IsKeyPressed("P"));
    EXPECT_TRUE(controls.IsKeyPressed("MOUSE1"));
    engine.Update(0);

    engine.Tick();
    EXPECT_TRUE(controls.IsKeyDown("P"));
    EXPECT_FALSE(controls.IsKeyPressed("P"));
    engine.Update(0);
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace CorvantisEngine
