#include "framework/LevelManagerBase.h"

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLParser.h"

namespace GameFramework {

LevelManagerBase::LevelManagerBase(CorvantisEngine::Engine* engine)
    : engine_(engine), log_(engine->GetMessageManager()), files_(engine->GetFileManager()) {}

LevelManagerBase::~LevelManagerBase() = default;

StageRecord* LevelManagerBase::GetStageData(const LevelPosition&) {
  return nullptr;
}

void LevelManagerBase::Load() {
  const std::string formatError = std::string("Incorrect \"") + kLevelsFile + "\" file format";
  GameTools::XMLNode document;
  GameTools::XMLParser(files_).Parse(&document, kLevelsFile);
  GameTools::XMLNode* levelsElement = document.FindChild("levels");
  if (levelsElement == nullptr)
    throw CorvantisEngine::FileError(formatError);

  std::vector<std::unique_ptr<StageRecord>> stages;
  std::vector<std::vector<std::unique_ptr<LevelRecord>>> levels;
  const auto& stageElements = levelsElement->GetChildList();
  stages.reserve(stageElements.size());
  levels.resize(stageElements.size());
  std::uint32_t total = 0;
  for (std::uint32_t s = 0; s < stageElements.size(); ++s) {
    GameTools::XMLNode* stageElement = stageElements[s];
    std::unique_ptr<StageRecord> stage = NewStage();
    stage->stageIndex = s;
    ParseStage(stage.get(), stageElement);
    const auto& levelElements = stageElement->GetChildList();
    stage->levelCount = static_cast<std::uint32_t>(levelElements.size());
    stages.push_back(std::move(stage));
    levels[s].reserve(levelElements.size());
    for (std::uint32_t l = 0; l < levelElements.size(); ++l) {
      std::unique_ptr<LevelRecord> level = NewLevel();
      level->stageIndex = s;
      level->levelIndex = l;
      ParseLevel(level.get(), levelElements[l]);
      levels[s].push_back(std::move(level));
    }
    total += static_cast<std::uint32_t>(levelElements.size());
  }
  // A game needs a level to start at: position (0, 0) must refer to something.
  if (total == 0)
    throw CorvantisEngine::FileError(formatError);

  stages_ = std::move(stages);
  levels_ = std::move(levels);
  log_->Message("\nLevel Manager: Found " + CorvantisEngine::UIntToString(GetStageCount()) + " stages with " +
                CorvantisEngine::UIntToString(total) + " levels...");
}

void LevelManagerBase::ParseStage(StageRecord* stage, GameTools::XMLNode*) {
  stage->levelCount = 0;
}

void LevelManagerBase::ParseLevel(LevelRecord*, GameTools::XMLNode*) {}

std::uint32_t LevelManagerBase::GetLevelCount(std::uint32_t stage) const {
  return stage < levels_.size() ? static_cast<std::uint32_t>(levels_[stage].size()) : 0;
}

std::vector<std::string> LevelManagerBase::GetLevelResourceLists(const LevelPosition&) const {
  return {};
}

StageRecord* LevelManagerBase::GetStage(std::uint32_t stage) const {
  return stage < stages_.size() ? stages_[stage].get() : nullptr;
}

LevelRecord* LevelManagerBase::GetLevel(const LevelPosition& position) const {
  if (position.level >= GetLevelCount(position.stage))
    return nullptr;
  return levels_[position.stage][position.level].get();
}

bool LevelManagerBase::IsLastLevelOfStage(const LevelPosition& position) const {
  LevelPosition last;
  return FindLastLevel(last) && last == position;
}

LevelPosition LevelManagerBase::GetNextLevel(const LevelPosition& position) const {
  if (position.level + 1 < GetLevelCount(position.stage))
    return {position.stage, position.level + 1};
  LevelPosition next;
  if (position.stage + 1 > position.stage && FindFirstLevelFrom(position.stage + 1, next))
    return next;
  return position;
}

LevelPosition LevelManagerBase::ClampPosition(const LevelPosition& position) const {
  LevelPosition out;
  if (GetLevel(position) != nullptr)
    return position;
  if (position.stage < GetStageCount() && GetLevelCount(position.stage) > 0)
    return {position.stage, GetLevelCount(position.stage) - 1};
  if (position.stage < GetStageCount() && FindFirstLevelFrom(position.stage, out))
    return out;
  if (FindLastLevel(out))
    return out;
  return {};
}

bool LevelManagerBase::FindFirstLevelFrom(std::uint32_t stage, LevelPosition& out) const {
  for (std::uint32_t s = stage; s < GetStageCount(); ++s) {
    if (GetLevelCount(s) > 0) {
      out = {s, 0};
      return true;
    }
  }
  return false;
}

bool LevelManagerBase::FindLastLevel(LevelPosition& out) const {
  for (std::uint32_t s = GetStageCount(); s > 0; --s) {
    if (GetLevelCount(s - 1) > 0) {
      out = {s - 1, GetLevelCount(s - 1) - 1};
      return true;
    }
  }
  return false;
}

}  // namespace GameFramework
