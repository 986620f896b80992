// The level manager: the structure of levels.xml, the next level, the last level, positions put on
// existing levels, and the files it refuses.
#include <gtest/gtest.h>

#include "FrameworkTestSupport.h"
#include "engine/core/Error.h"
#include "framework/LevelManagerBase.h"

namespace GameFramework {
namespace {

// Keeps only the indices, as the puzzle game does.
class TestLevelManager : public LevelManagerBase {
 public:
  explicit TestLevelManager(CorvantisEngine::Engine* engine) : LevelManagerBase(engine) { Load(); }
  StageRecord* GetStageData(const LevelPosition& position) override { return GetStage(position.stage); }

 protected:
  std::unique_ptr<StageRecord> NewStage() override { return std::make_unique<StageRecord>(); }
  std::unique_ptr<LevelRecord> NewLevel() override { return std::make_unique<LevelRecord>(); }
};

class LevelManagerTest : public frameworktest::SaveFolderTest {
 protected:
  void WriteLevels(const std::string& xml) { rig_.Write("data/levels/levels.xml", xml); }
  std::unique_ptr<TestLevelManager> Open() { return std::make_unique<TestLevelManager>(engine_); }
  // "<levels>" with stages of the given level counts, each element named differently.
  static std::string Stages(const std::vector<int>& counts) {
    std::string xml = "<?xml version=\"1.0\"?>\n<levels>\n";
    for (std::size_t s = 0; s < counts.size(); ++s) {
      xml += "  <stage" + std::to_string(s) + " name=\"x\">\n    some text\n    <!-- a comment -->\n";
      for (int l = 0; l < counts[s]; ++l)
        xml += "    <" + std::string(l % 2 ? "level" : "puzzle") + " id=\"" + std::to_string(l) + "\"/>\n";
      xml += "  </stage" + std::to_string(s) + ">\n";
    }
    return xml + "</levels>\n";
  }
};

TEST_F(LevelManagerTest, StagesAndLevelsAreTheChildElementsWhateverTheirNames) {
  WriteLevels(Stages({10, 12}));
  auto levels = Open();
  ASSERT_EQ(levels->GetStageCount(), 2u);
  EXPECT_EQ(levels->GetLevelCount(0), 10u);
  EXPECT_EQ(levels->GetLevelCount(1), 12u);
  EXPECT_EQ(levels->GetStage(1)->stageIndex, 1u);
  EXPECT_EQ(levels->GetStage(1)->levelCount, 12u);
  EXPECT_EQ(levels->GetLevel({1, 7})->stageIndex, 1u);
  EXPECT_EQ(levels->GetLevel({1, 7})->levelIndex, 7u);
  EXPECT_EQ(levels->GetLevel({1, 12}), nullptr);
  EXPECT_EQ(levels->GetStageData({1, 0}), levels->GetStage(1));
  EXPECT_EQ(
      CountLogged(CorvantisEngine::LogRecord::kMessage, "Level Manager: Found 2 stages with 22 levels..."),
      1);
}

TEST_F(LevelManagerTest, NextAndLastLevels) {
  // The middle stage is empty: play goes from stage 0 straight to stage 2.
  WriteLevels(Stages({10, 0, 12, 0}));
  auto levels = Open();
  struct Row {
    LevelPosition from;
    LevelPosition next;
    bool last;
    const char* why;
  };
  const Row rows[] = {
      {{0, 0}, {0, 1}, false, "within a stage"},
      {{0, 9}, {2, 0}, false, "end of a stage: the next stage with levels"},
      {{2, 10}, {2, 11}, false, "within the last stage"},
      {{2, 11}, {2, 11}, true, "the last level of the game: the same position"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(levels->GetNextLevel(row.from), row.next);
    EXPECT_EQ(levels->IsLastLevelOfStage(row.from), row.last);
  }
}

TEST_F(LevelManagerTest, SavedPositionsArePutOnExistingLevels) {
  WriteLevels(Stages({3, 0, 2}));
  auto levels = Open();
  struct Row {
    LevelPosition saved;
    LevelPosition clamped;
    const char* why;
  };
  const Row rows[] = {
      {{0, 2}, {0, 2}, "an existing level stays"},
      {{0, 7}, {0, 2}, "past the end of its stage: the stage's last level"},
      {{1, 0}, {2, 0}, "a stage without levels: the next level after it"},
      {{9, 9}, {2, 1}, "past the last stage: the last level of the game"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    EXPECT_EQ(levels->ClampPosition(row.saved), row.clamped);
  }
}

TEST_F(LevelManagerTest, FilesWithoutLevelsAreRefused) {
  const std::string formatError = "Incorrect \"data\\levels\\levels.xml\" file format";
  struct Row {
    std::string xml;
    const char* why;
  };
  const Row rows[] = {
      {"<stages><stage><level/></stage></stages>", "no \"levels\" element"},
      {"<levels></levels>", "no stage"},
      {"<levels><stage/><stage>text only</stage></levels>", "stages without levels"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    WriteLevels(row.xml);
    try {
      Open();
      ADD_FAILURE() << "accepted";
    } catch (const CorvantisEngine::FileError& error) {
      EXPECT_EQ(error.GetMessage(), formatError);
    }
  }
  WriteLevels("<levels><stage><level></stage></levels>");
  EXPECT_THROW(Open(), CorvantisEngine::FileError);  // malformed: the parser's own error
  std::filesystem::remove(rig_.Folder().Host("data/levels/levels.xml"));
  EXPECT_THROW(Open(), CorvantisEngine::FileError);  // missing
  WriteLevels("<levels><stage><level/></stage></levels>");
  EXPECT_EQ(Open()->GetNextLevel({0, 0}), (LevelPosition{0, 0}));
}

}  // namespace
}  // namespace GameFramework
