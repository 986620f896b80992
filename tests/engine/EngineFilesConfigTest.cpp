#include <gtest/gtest.h>

#include <string>

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "platform/headless/HeadlessClock.h"
#include "support/TempFolder.h"
#include "tests/support/HeadlessTest.h"
#include "tools/pack/PackBuilder.h"

namespace CorvantisEngine {
namespace {

// The engine's file manager and configuration: data folder and packs, the ini read at creation and
// written at exit, and "exit" as a configuration command.
class EngineFilesConfigTest : public testsupport::HeadlessTest {
 protected:
  EngineStartParameters Parameters() const {
    EngineStartParameters p;
    p.name = p.applicationName = p.logName = "Game";
    p.version = 100;
    p.logFolder = p.configFolder = temp_.Win("user");
    p.dataFolder = temp_.Win("install");
    p.packFolder = "Data";
    p.defaultVideoMode = "1024x768x32";
    p.defaultFullScreen = 1;
    return p;
  }

  testsupport::TempFolder temp_;
};

TEST_F(EngineFilesConfigTest, IniIsReadAtCreationAndWrittenAtExit) {
  temp_.Write("user/Game.ini", std::string("r_show_mip_maps 1\r\nv_fullscreen 0\r\ng_music 0.3\r\n"));
  EngineStartParameters p = Parameters();
  p.saveConfigOnExit = 1;
  float music = 0;  // bound storage outlives the engine, which saves it at exit
  {
    Engine engine(p);
    Config& config = *engine.GetConfig();
    EXPECT_EQ(config.r_show_mip_maps, 1);
    EXPECT_EQ(config.v_fullscreen, 0);
    config.AddVariable("g_music", ConfigVariable::kFloat, false, true, &music, "0.285", false);
    EXPECT_FLOAT_EQ(music, 0.3f) << "a line read before the game registered its variable";
    config.ExecuteLine("v_gamma 1.5", nullptr);
  }
  const std::string ini = temp_.Read("user/Game.ini");
  EXPECT_NE(ini.find("v_gamma 1.500000\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("g_music 0.300000\r\n"), std::string::npos) << ini;

  p.saveConfigOnExit = 0;
  {
    Engine engine(p);
    engine.GetConfig()->ExecuteLine("v_gamma 0.5", nullptr);
  }
  EXPECT_EQ(temp_.Read("user/Game.ini"), ini) << "not saved without the flag";
}

TEST_F(EngineFilesConfigTest, ExitIsTheConfigurationCommand) {
  Engine engine(Parameters());
  Config& config = *engine.GetConfig();
  EXPECT_FALSE(engine.IsExitRequested());
  config.ExecuteLine("exit", nullptr);
  EXPECT_TRUE(engine.IsExitRequested());
  engine.Tick();
  engine.Update(0);
  EXPECT_TRUE(engine.IsExitRequested()) << "nobody re-arms exit";
}

TEST_F(EngineFilesConfigTest, ChangedFlagsLiveFromFrameStartToFrameEnd) {
  Engine engine(Parameters());
  Config& config = *engine.GetConfig();
  std::int32_t level = 0;
  config.AddVariable("g_level", ConfigVariable::kInteger, false, false, &level, "1", true);
  engine.Tick();
  engine.Update(0);
  level = 2;
  engine.Tick();
  EXPECT_TRUE(config.IsChanged("g_level"));
  engine.Update(0);
  EXPECT_FALSE(config.IsChanged("g_level"));
  config.v_gamma = 1.9f;
  config.SetBool("reset_config", false);
  engine.Tick();
  EXPECT_FLOAT_EQ(config.v_gamma, 1.0f) << "reset_config is handled at the frame start";
  EXPECT_TRUE(config.GetBool("reset_config"));
}

TEST_F(EngineFilesConfigTest, FilesComeFromTheDataFolderAndItsPacks) {
  temp_.Write("install/data/disk.txt", std::string("disk"));
  temp_.Write("install/Data/pack0.pak", packtool::BuildPack({{"data\\packed.txt", {'p'}}}));
  Engine engine(Parameters());
  FileManager& files = *engine.GetFileManager();
  EXPECT_EQ(files.GetPackCount(), 1u);
  EXPECT_TRUE(files.FileExists("data\\disk.txt"));
  EXPECT_TRUE(files.FileExists("data\\packed.txt"));
  std::unique_ptr<FileBinary> file(files.OpenFile("data\\packed.txt", false));
  EXPECT_EQ(file->GetSize(), 1u);
}

}  // namespace
}  // namespace CorvantisEngine
