#pragma once
// LevelManagerBase: the game's sequence of stages, each a sequence of levels, read once from
// "data\levels\levels.xml", and the answers about positions in it (which level comes next, whether a
// level is the last one). A position is a pair of 0-based indices (stage, level); profiles store such
// pairs. The records of stages and levels are made by the subclass (NewStage, NewLevel) and may be
// filled from their elements (ParseStage, ParseLevel).
//
// The file: the element "levels" among the document's top elements; each of its child elements, in
// document order and whatever its name, is a stage; each child element of a stage is a level. No
// attribute or text is read here.
//
// Main thread only. The manager owns its records. Load throws CorvantisEngine::FileError for a
// missing or malformed file (the parser's error) and for a file without "levels" or without any level.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace CorvantisEngine {
class Engine;
class FileManager;
class MessageManager;
}  // namespace CorvantisEngine

namespace GameTools {
class XMLNode;
}

namespace GameFramework {

struct LevelPosition {
  std::uint32_t stage = 0;
  std::uint32_t level = 0;

  bool operator==(const LevelPosition&) const = default;
};

// What the framework keeps of a stage; a game may derive to keep more.
struct StageRecord {
  virtual ~StageRecord() = default;
  std::uint32_t stageIndex = 0;
  std::uint32_t levelCount = 0;
};

struct LevelRecord {
  virtual ~LevelRecord() = default;
  std::uint32_t stageIndex = 0;
  std::uint32_t levelIndex = 0;
};

class LevelManagerBase {
 public:
  static constexpr const char* kLevelsFile = "data\\levels\\levels.xml";

  explicit LevelManagerBase(CorvantisEngine::Engine* engine);
  virtual ~LevelManagerBase();

  LevelManagerBase(const LevelManagerBase&) = delete;
  LevelManagerBase& operator=(const LevelManagerBase&) = delete;

  // The stage record of the position's stage; the base has none.
  virtual StageRecord* GetStageData(const LevelPosition& position);
  // Reads the file and replaces the tables.
  virtual void Load();
  // The resource lists a level's own keeper loads before the level starts; none in the base.
  virtual std::vector<std::string> GetLevelResourceLists(const LevelPosition& position) const;

  // True for the last level of the game (the last level of the last stage that has levels).
  bool IsLastLevelOfStage(const LevelPosition& position) const;
  // The next level, skipping stages without levels; the same position after the last level of the
  // game (callers detect the end by equality).
  LevelPosition GetNextLevel(const LevelPosition& position) const;
  // The nearest existing level: a stage past the end gives the last level of the game, a level past
  // the end of its stage that stage's last level, a stage without levels the next level after it.
  // Positions come from saved profiles, which may have been written against another levels file.
  LevelPosition ClampPosition(const LevelPosition& position) const;

  std::uint32_t GetStageCount() const { return static_cast<std::uint32_t>(stages_.size()); }
  std::uint32_t GetLevelCount(std::uint32_t stage) const;
  // Null outside the tables.
  StageRecord* GetStage(std::uint32_t stage) const;
  LevelRecord* GetLevel(const LevelPosition& position) const;

 protected:
  virtual std::unique_ptr<StageRecord> NewStage() = 0;
  virtual std::unique_ptr<LevelRecord> NewLevel() = 0;
  // The base sets the level count to 0 (Load fills it afterwards).
  virtual void ParseStage(StageRecord* stage, GameTools::XMLNode* element);
  virtual void ParseLevel(LevelRecord* level, GameTools::XMLNode* element);

  CorvantisEngine::Engine* engine_;
  CorvantisEngine::MessageManager* log_;
  CorvantisEngine::FileManager* files_;
  // One record per stage in file order, and per stage its level records; owned.
  std::vector<std::unique_ptr<StageRecord>> stages_;
  std::vector<std::vector<std::unique_ptr<LevelRecord>>> levels_;

 private:
  // The first level at or after the start of `stage`, if any stage from there on has levels.
  bool FindFirstLevelFrom(std::uint32_t stage, LevelPosition& out) const;
  bool FindLastLevel(LevelPosition& out) const;
};

}  // namespace GameFramework
