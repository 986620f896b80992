#pragma once
// LevelManager: the puzzle game's stages and levels. The levels file gives only the structure (how many
// stages, how many levels in each); the records keep their indices and nothing else. The file is read
// by the constructor, which passes on its FileError.

#include <memory>

#include "framework/LevelManagerBase.h"

namespace Puzzle {

class LevelManager : public GameFramework::LevelManagerBase {
 public:
  explicit LevelManager(CorvantisEngine::Engine* engine);
  ~LevelManager() override;

  // The record of the position's stage, or null outside the table.
  GameFramework::StageRecord* GetStageData(const GameFramework::LevelPosition& position) override;

 protected:
  std::unique_ptr<GameFramework::StageRecord> NewStage() override;
  std::unique_ptr<GameFramework::LevelRecord> NewLevel() override;
};

}  // namespace Puzzle
