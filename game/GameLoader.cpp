#include "game/GameLoader.h"

#include <memory>

#include "game/Game.h"

namespace Puzzle {

GameLoader::GameLoader(HINSTANCE instance, HINSTANCE previousInstance, const std::string& commandLine,
                       std::uint32_t showCommand)
    : GameLoaderBase(instance, previousInstance, commandLine, showCommand) {
  // The object is whole here, so Run reaches this class's CreateGame.
  Run();
}

GameLoader::~GameLoader() = default;

void GameLoader::CreateGame() {
  game = std::make_unique<Game>(Game::kMaker, Game::kTitle, Game::kVersion);
}

}  // namespace Puzzle
