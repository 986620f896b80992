#pragma once
// GameLoaderBase: the program's run. The game's loader chooses the game class (CreateGame) and calls
// Run from its constructor: the game is created (its whole start-up runs in its constructor), the
// message loop drives the game's frame until the game reports quit, and the game is destroyed. This is
// the one place where an escaping error ends the program: the game is destroyed first, then a message
// box titled "Fatal Error" shows the text of a FatalError (the log's abort) or "Unhandled exception!"
// for anything else; what an engine error said has been written to the log.
//
// Main thread only. The loader owns the game while it exists.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/win32/WinTypes.h"

namespace GameFramework {

class GameBase;

class GameLoaderBase {
 public:
  static constexpr const char* kErrorCaption = "Fatal Error";
  static constexpr const char* kUnhandledText = "Unhandled exception!";

  GameLoaderBase(HINSTANCE instance, HINSTANCE previousInstance, const std::string& commandLine,
                 std::uint32_t showCommand);
  virtual ~GameLoaderBase();

  GameLoaderBase(const GameLoaderBase&) = delete;
  GameLoaderBase& operator=(const GameLoaderBase&) = delete;

  // True when Run ended with the error box.
  bool HasFailed() const { return failed; }
  GameBase* GetGame() const { return game.get(); }

 protected:
  // Creates, runs and destroys the game inside the error handler (see above). Returns normally.
  virtual void Run();
  // Stores the new game in `game`.
  virtual void CreateGame() = 0;
  // Deletes the game when there is one; a second call does nothing.
  virtual void DestroyGame();
  // One window message per pass, dispatched; a frame of the game when none waits; ends once the game
  // reports quit (asked after every message and every frame).
  virtual void MainLoop();

  HINSTANCE instance;
  HINSTANCE previousInstance;
  std::string commandLine;
  std::uint32_t showCommand;
  std::unique_ptr<GameBase> game;
  bool failed = false;

 private:
  // Destroys the game, then shows the box.
  void Fail(const std::string& text);
};

}  // namespace GameFramework
