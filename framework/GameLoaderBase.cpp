#include "framework/GameLoaderBase.h"

#include <exception>

#include "engine/core/Error.h"
#include "framework/GameBase.h"
#include "platform/win32/WinDialog.h"
#include "platform/win32/WinMessages.h"

namespace GameFramework {

GameLoaderBase::GameLoaderBase(HINSTANCE instance, HINSTANCE previousInstance, const std::string& commandLine,
                               std::uint32_t showCommand)
    : instance(instance),
      previousInstance(previousInstance),
      commandLine(commandLine),
      showCommand(showCommand) {}

GameLoaderBase::~GameLoaderBase() = default;

void GameLoaderBase::Run() {
  try {
    CreateGame();
    MainLoop();
    DestroyGame();
  } catch (const CorvantisEngine::FatalError& error) {
    Fail(error.GetMessage());
  } catch (...) {
    // An error escaping a frame is written to the log while the game (and its log) still exists; one
    // from the start-up was written by the start-up.
    if (game != nullptr && game->GetEngine() != nullptr) {
      try {
        throw;
      } catch (const CorvantisEngine::Error& error) {
        game->LogError(error.GetMessage());
      } catch (const std::exception& error) {
        game->LogError(error.what());
      } catch (...) {
        game->LogError(kUnhandledText);
      }
    }
    Fail(kUnhandledText);
  }
}

void GameLoaderBase::Fail(const std::string& text) {
  DestroyGame();
  failed = true;
  MessageBoxA(nullptr, text.c_str(), kErrorCaption, MB_ICONERROR);
}

void GameLoaderBase::DestroyGame() {
  game.reset();
}

void GameLoaderBase::MainLoop() {
  MSG message;
  do {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else {
      game->Frame();
    }
  } while (!game->IsQuit());
}

}  // namespace GameFramework
