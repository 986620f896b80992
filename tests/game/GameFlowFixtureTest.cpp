// The installed game that the whole-game tests start: found through the registry as the game finds its
// installation, the built data pack mounted from it, and loose files laid over the pack.
#include <gtest/gtest.h>

#include <memory>

#include "GameFlowFixture.h"
#include "engine/Engine.h"
#include "engine/core/Registry.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"

namespace Puzzle::flowtest {
namespace {

class GameFlowFixtureTest : public GameFlowFixture {};

TEST_F(GameFlowFixtureTest, TheInstallationIsFoundAndLooseFilesLieOverThePack) {
  ASSERT_TRUE(HasPack()) << "the data target builds the pack";
  std::string installPath;
  ASSERT_TRUE(CorvantisEngine::ReadRegistryStringAnyRoot(std::string("SOFTWARE\\") + kMaker + "\\" + kTitle,
                                                         "InstallPath", installPath));
  EXPECT_EQ(installPath, Folder().Win("install"));
  EXPECT_TRUE(CorvantisEngine::FileManager::IsFileOnDisk(installPath + "\\data\\pack0.pak"));

  WriteLevels({2, 1});
  WriteSmallCut(2, 1);
  CorvantisEngine::EngineStartParameters parameters;
  parameters.name = parameters.applicationName = parameters.logName = "Test";
  parameters.version = 100;
  parameters.logFolder = parameters.configFolder = Folder().Win("user_data");
  parameters.dataFolder = installPath;
  parameters.packFolder = "Data";
  parameters.defaultVideoMode = "800x600x32";
  auto engine = std::make_unique<CorvantisEngine::Engine>(parameters);
  CorvantisEngine::FileManager* files = engine->GetFileManager();
  EXPECT_GE(files->GetPackCount(), 1u);
  EXPECT_TRUE(files->FileExists("data\\themes\\themes.xml")) << "from the pack";

  std::unique_ptr<CorvantisEngine::FileBinary> levels(files->OpenFile("data\\levels\\levels.xml", false));
  ASSERT_NE(levels, nullptr);
  EXPECT_EQ(levels->GetSize(), Folder().Read("install/data/levels/levels.xml").size())
      << "the loose file wins";
  const PieceShapes cut =
      PieceShapeFile::Load(files, R"(data\puzzles\00\puzzle_00.pzf)", kPictureWidth, kPictureHeight);
  EXPECT_EQ(cut.pieces.size(), 2u) << "the small cut lies over the pack's";
}

}  // namespace
}  // namespace Puzzle::flowtest
