#include "game/LevelManager.h"

namespace Puzzle {

LevelManager::LevelManager(CorvantisEngine::Engine* engine) : LevelManagerBase(engine) {
  Load();
}

LevelManager::~LevelManager() = default;

GameFramework::StageRecord* LevelManager::GetStageData(const GameFramework::LevelPosition& position) {
  return GetStage(position.stage);
}

std::unique_ptr<GameFramework::StageRecord> LevelManager::NewStage() {
  return std::make_unique<GameFramework::StageRecord>();
}

std::unique_ptr<GameFramework::LevelRecord> LevelManager::NewLevel() {
  return std::make_unique<GameFramework::LevelRecord>();
}

}  // namespace Puzzle
