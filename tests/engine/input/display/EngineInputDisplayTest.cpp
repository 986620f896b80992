// The game's road for input: a key and a mouse button pressed in the engine's real window are seen by
// name between the engine's frame start and frame end.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "FocusGuard.h"
#include "engine/Engine.h"
#include "engine/input/Controls.h"
#include "engine/window/Window.h"
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

    Controls& controls = *engine.GetControls();
    inputtest::FocusWatch watch;
    inputtest::Undisturbed([&](inputtest::Observations& seen) {
      SDL_Event key{};
      key.type = SDL_KEYDOWN;
      key.key.windowID = SDL_GetWindowID(window);
      key.key.state = SDL_PRESSED;
      key.key.keysym.scancode = SDL_SCANCODE_P;
      key.key.keysym.sym = SDLK_p;
      seen.Expect(SDL_PushEvent(&key) == 1, true, "key pushed");
      SDL_Event button{};
      button.type = SDL_MOUSEBUTTONDOWN;
      button.button.windowID = SDL_GetWindowID(window);
      button.button.button = SDL_BUTTON_LEFT;
      button.button.state = SDL_PRESSED;
      seen.Expect(SDL_PushEvent(&button) == 1, true, "button pushed");

      pump();
      engine.Tick();
      seen.Expect(controls.IsKeyPressed("P"), true, "P pressed");
      seen.Expect(controls.IsKeyPressed("MOUSE1"), true, "MOUSE1 pressed");
      engine.Update(0);

      pump();
      engine.Tick();
      seen.Expect(controls.IsKeyDown("P"), true, "P held in the next frame");
      seen.Expect(controls.IsKeyPressed("P"), false, "P pressed in the next frame");
      engine.Update(0);

      key.type = SDL_KEYUP;
      key.key.state = SDL_RELEASED;
      button.type = SDL_MOUSEBUTTONUP;
      button.button.state = SDL_RELEASED;
      SDL_PushEvent(&key);
      SDL_PushEvent(&button);
      pump();
      engine.Tick();
      engine.Update(0);
    });
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace CorvantisEngine
