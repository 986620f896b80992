#pragma once
// GameLoader: the puzzle game's run. Constructing it runs the whole program (the framework's loader
// with the puzzle game object) and returns when the game has ended; HasFailed then tells whether it
// ended with the error box.

#include <cstdint>
#include <string>

#include "framework/GameLoaderBase.h"

namespace Puzzle {

class GameLoader : public GameFramework::GameLoaderBase {
 public:
  GameLoader(HINSTANCE instance, HINSTANCE previousInstance, const std::string& commandLine,
             std::uint32_t showCommand);
  ~GameLoader() override;

 protected:
  void CreateGame() override;
};

}  // namespace Puzzle
