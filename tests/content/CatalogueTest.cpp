// The game's own catalogue over the packed data: Puzzle::Content scans the data beside the executable
// as the game does at start-up, finds every theme, picture and puzzle with its price, queues previews
// that all load without an error, and names level files that exist.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "game/Content.h"
#include "game/GameLogicData.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"
#include "tests/support/TempFolder.h"
#include "tools/game/DataKeeper.h"

namespace {

TEST(Catalogue, TheGameFindsThePackedThemesPicturesAndPuzzles) {
  platform::headless::ResetClock();
  platform::headless::ResetInput();
  platform::headless::InstallHeadlessWindows();
  const auto display = platform::headless::InstallHeadlessDisplay();
  testsupport::TempFolder user;
  CorvantisEngine::EngineStartParameters parameters;
  parameters.name = parameters.applicationName = parameters.logName = "Catalogue";
  parameters.version = 100;
  parameters.logFolder = parameters.configFolder = user.Root().string();
  parameters.dataFolder = BRINDLEWICK_BIN_FOLDER;
  parameters.packFolder = "Data";
  parameters.defaultVideoMode = "800x600x32";
  auto engine = std::make_unique<CorvantisEngine::Engine>(parameters);
  CorvantisEngine::MessageManager& log = *engine->GetMessageManager();

  {
    GameTools::DataKeeper keeper(engine.get(), "en", false);
    Puzzle::Content content(engine.get(), nullptr, &keeper);
    EXPECT_GE(content.themeCount, 4u);
    EXPECT_GT(content.themeCost, 0);
    EXPECT_GT(content.pictureCost, 0);
    EXPECT_GE(content.puzzleCount, 1u);
    for (std::int32_t cost : content.puzzleCosts) {
      EXPECT_GE(cost, 0);
    }
    for (std::uint32_t t = 0; t < content.themeCount; ++t) {
      SCOPED_TRACE(content.themeNames[t]);
      EXPECT_GE(content.pictureCounts[t], 6u);
      for (std::uint32_t n = 0; n < content.pictureCounts[t]; ++n) {
        const std::string base = "data\\themes\\" + content.themeNames[t] + "\\" + Puzzle::Content::Number(n);
        EXPECT_TRUE(engine->GetFileManager()->FileExists(base + ".jpg")) << base;
        EXPECT_TRUE(engine->GetFileManager()->FileExists(base + ".xml")) << base;
      }
    }

    // Without a profile the first of everything: files that exist.
    Puzzle::GameLogicData level(engine.get(), "en", nullptr, nullptr);
    content.BuildFileNames(&level);
    for (const std::string& name : {level.picturePath, level.coloursPath, level.shapePath}) {
      EXPECT_TRUE(engine->GetFileManager()->FileExists(name)) << name;
    }

    log.ClearRecords();
    keeper.Load();
    keeper.WaitForLoad();
    for (std::int32_t i = 0; i < log.GetRecordCount(); ++i) {
      const CorvantisEngine::LogRecord record = log.GetRecord(i);
      EXPECT_LT(record.type, CorvantisEngine::LogRecord::kWarning) << record.text;
    }
    for (std::uint32_t t = 0; t < content.themeCount; ++t) {
      for (std::uint32_t n = 0; n < content.pictureCounts[t]; ++n) {
        EXPECT_TRUE(keeper.HasShaderUser(Puzzle::Content::PicturePreviewName(content.themeNames[t], n)));
      }
    }
    for (std::uint32_t i = 0; i < content.puzzleCount; ++i) {
      EXPECT_TRUE(keeper.HasShaderUser(Puzzle::Content::PuzzlePreviewName(i)));
    }
  }
  engine.reset();
}

}  // namespace
