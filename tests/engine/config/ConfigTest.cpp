#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileManager.h"
#include "support/TempFolder.h"

namespace CorvantisEngine {
namespace {

// A Config over a fresh folder: the ini is <folder>\cfg\Game.ini, the log keeps records only.
class ConfigTest : public ::testing::Test {
 protected:
  ConfigTest() : log_("Game", 0, 0, "", ""), files_(&log_, temp_.Win(), "") {}

  std::unique_ptr<Config> Make(bool forceMode = false, const std::string& mode = "1024x768x32",
                               bool forceFull = false, bool full = true) {
    return std::make_unique<Config>(&log_, &files_, temp_.Win("cfg"), "Game", forceMode, mode, forceFull,
                                    full);
  }
  std::string Ini() const { return temp_.Read("cfg/Game.ini"); }
  // Saving writes this process's temporary file first.
  static std::string Temporary() { return "cfg/Game.ini." + std::to_string(::getpid()) + ".tmp"; }

  testsupport::TempFolder temp_;
  MessageManager log_;
  FileManager files_;
};

TEST_F(ConfigTest, EngineVariablesStartAtTheirDefaults) {
  auto config = Make();
  EXPECT_EQ(config->GetIniPath(), temp_.Win("cfg") + "\\Game.ini");
  EXPECT_EQ(config->v_mode, "1024x768x32");
  EXPECT_EQ(config->v_fullscreen, 1);
  EXPECT_EQ(config->v_vsync, 1);
  EXPECT_FLOAT_EQ(config->v_gamma, 1.0f);
  EXPECT_EQ(config->r_texture_anisotropy, 1);
  EXPECT_EQ(config->GetValueText("v_brightness"), "1.000000");
  EXPECT_EQ(config->GetValueText("V_MODE"), "1024x768x32");
  EXPECT_EQ(config->GetValueText("exit"), "");
  EXPECT_EQ(config->GetValueText("nothing"), "");
  EXPECT_EQ(config->GetString("v_mode"), "1024x768x32") << "GetString is the default text";
  EXPECT_TRUE(config->GetBool("exit")) << "commands start armed";

  Config bare(&log_, &files_, "", "", true, "", false, false);
  EXPECT_EQ(bare.GetIniPath(), "Corvantis Engine.ini");
  EXPECT_EQ(bare.v_mode, "800x600x32");
  EXPECT_EQ(bare.v_fullscreen, 0);
}

TEST_F(ConfigTest, ExecuteLineResults) {
  auto config = Make();
  std::int32_t level = 0;
  std::string text;
  config->AddVariable("g_level", ConfigVariable::kInteger, false, true, &level, "3", false);
  config->AddVariable("g_locked", ConfigVariable::kText, true, true, &text, "fixed", false);
  struct Row {
    const char* line;
    std::int32_t result;
    const char* name;
    const char* why;
  };
  const Row rows[] = {
      {"  \\\\V_VSYNC 0  ", Config::kLineDone, "v_vsync", "leading backslashes, outer blanks and case"},
      {"v_vsync", Config::kLineNoValue, "v_vsync", "no value"},
      {"v_vsync   \\\\ note", Config::kLineNoValue, "v_vsync", "only a comment"},
      {"exit whatever follows", Config::kLineDone, "exit", "a command ignores its value"},
      {"v_mode 1280x1024x32 \\\\ comment", Config::kLineDone, "v_mode", "comment cut"},
      {"v_mode  800x600x32", Config::kLineUnknown, "v_mode800x600x32", "a doubled space joins"},
      {"g_locked other", Config::kLineReadOnly, "g_locked", "read-only"},
      {"nothing 1", Config::kLineUnknown, "nothing", "unknown"},
      {"   ", Config::kLineEmpty, "", "blank"},
      {"\\\\", Config::kLineEmpty, "", "only backslashes"},
      {"\\ g_level 7", Config::kLineDone, "g_level", "blank after backslash before the name"},
  };
  for (const Row& row : rows) {
    std::string name = "stale";
    EXPECT_EQ(config->ExecuteLine(row.line, &name), row.result) << row.why;
    EXPECT_EQ(name, row.name) << row.why;
  }
  EXPECT_EQ(config->v_vsync, 0);
  EXPECT_EQ(config->v_mode, "1280x1024x32");
  EXPECT_FALSE(config->GetBool("exit"));
  EXPECT_EQ(text, "fixed");
  EXPECT_EQ(level, 7) << "the value is taken right after the parsed name";
  EXPECT_EQ(config->ExecuteLine("g_level", nullptr), Config::kLineNoValue);
}

TEST_F(ConfigTest, CommandsAreIssuedAndReArmedByExactName) {
  auto config = Make();
  config->SetBool("EXIT", false);
  EXPECT_TRUE(config->GetBool("exit")) << "SetBool does not lower-case";
  config->SetBool("exit", false);
  EXPECT_FALSE(config->GetBool("EXIT")) << "GetBool does";
  config->SetBool("exit", true);
  EXPECT_TRUE(config->GetBool("exit"));
  config->SetBool("unknown", false);
  EXPECT_FALSE(config->GetBool("unknown"));
}

TEST_F(ConfigTest, ResetConfigRestoresDefaultsButNotReadOnly) {
  auto config = Make();
  std::string locked;
  config->AddVariable("g_locked", ConfigVariable::kText, true, false, &locked, "a", false);
  locked = "b";
  config->v_gamma = 1.7f;
  config->SetBool("exit", false);
  config->ExecuteLine("reset_config", nullptr);
  config->Update();
  EXPECT_TRUE(config->GetBool("reset_config")) << "re-armed by Update";
  EXPECT_FLOAT_EQ(config->v_gamma, 1.0f);
  EXPECT_TRUE(config->GetBool("exit")) << "a reset re-arms commands";
  EXPECT_EQ(locked, "b");
}

TEST_F(ConfigTest, WatchedVariablesReportChangesUntilCleared) {
  auto config = Make();
  float volume = 0;
  std::string name;
  config->AddVariable("g_volume", ConfigVariable::kFloat, false, true, &volume, "0.5", true);
  config->AddVariable("g_name", ConfigVariable::kText, false, true, &name, "x", true);
  EXPECT_TRUE(config->IsChanged("g_volume")) << "starts equal to the watch flag";
  config->Update();
  config->ClearChangedFlags();
  config->Update();
  EXPECT_FALSE(config->IsChanged("g_volume"));
  volume = 0.50005f;
  config->Update();
  EXPECT_FALSE(config->IsChanged("G_VOLUME")) << "within the tolerance";
  volume = 0.6f;
  name = "y";
  config->Update();
  EXPECT_TRUE(config->IsChanged("g_volume"));
  EXPECT_TRUE(config->IsChanged("g_name"));
  EXPECT_FALSE(config->IsChanged("v_mode")) << "not watched";
  EXPECT_TRUE(config->IsReadOnly("g_name")) << "the framework's name for IsChanged";
  config->ClearChangedFlags();
  EXPECT_FALSE(config->IsChanged("g_name"));
}

TEST_F(ConfigTest, RemovedVariablesHideAndComeBackWithTheirValue) {
  auto config = Make();
  std::int32_t first = 0;
  config->AddVariable("g_n", ConfigVariable::kInteger, false, true, &first, "1", false);
  config->ExecuteLine("g_n 42", nullptr);
  config->RemoveVariable("G_N");
  EXPECT_EQ(config->GetValueText("g_n"), "42") << "kept text";
  EXPECT_EQ(config->ExecuteLine("g_n 5", nullptr), Config::kLineUnknown);
  std::vector<std::string> names;
  config->GetVariableNames(names);
  EXPECT_EQ(std::count(names.begin(), names.end(), "g_n"), 0);
  std::int32_t second = 0;
  config->AddVariable("g_n", ConfigVariable::kInteger, false, true, &second, "9", false);
  EXPECT_EQ(second, 42);
  EXPECT_EQ(first, 42) << "the old storage is left alone";
}

TEST_F(ConfigTest, IniRoundTrip) {
  {
    auto config = Make();
    float half = 0;
    std::int32_t secret = 5;
    std::uint8_t flag = 0;
    config->AddVariable("g_half", ConfigVariable::kFloat, false, true, &half, "0.5", false);
    config->AddVariable("g_secret", ConfigVariable::kInteger, true, true, &secret, "5", false);
    config->AddVariable("G_Unsaved", ConfigVariable::kBool, false, false, &flag, "1", false);
    config->AddVariable("g_cmd", ConfigVariable::kCommand, false, true, nullptr, "", false);
    config->ExecuteLine("v_mode 640x480x16", nullptr);
    config->Save();
  }
  const std::string expected =
      "c_invert_mouse 0\r\n"
      "g_half 0.500000\r\n"
      "r_show_faces_edges 0\r\n"
      "r_show_faces_normals 0\r\n"
      "r_show_mip_maps 0\r\n"
      "r_show_octree_nodes 0\r\n"
      "r_texture_anisotropy 1\r\n"
      "r_use_mip_mapping 1\r\n"
      "sc_take_screenshot_format 0\r\n"
      "v_brightness 1.000000\r\n"
      "v_contrast 1.000000\r\n"
      "v_fullscreen 1\r\n"
      "v_gamma 1.000000\r\n"
      "v_mode 640x480x16\r\n"
      "v_vsync 1\r\n";
  EXPECT_EQ(Ini(), expected);
  EXPECT_FALSE(std::filesystem::exists(temp_.Host(Temporary())));

  // Lines for variables that do not exist yet wait for their registration.
  auto config = Make();
  config->Load();
  EXPECT_EQ(config->v_mode, "640x480x16");
  float half = 0;
  config->AddVariable("g_half", ConfigVariable::kFloat, false, true, &half, "0.25", false);
  EXPECT_FLOAT_EQ(half, 0.5f);
  float other = 0;
  config->AddVariable("g_other", ConfigVariable::kFloat, false, true, &other, "0.25", false);
  EXPECT_FLOAT_EQ(other, 0.25f);
}

TEST_F(ConfigTest, LoadToleratesHandWrittenFilesAndForcedModes) {
  temp_.Write("cfg/Game.ini",
              "v_mode 1280x1024x32 // set by hand\n"
              "\n"
              "v_fullscreen 0\r"
              "g_later 12\r\n"
              "garbage line\r\n");
  auto config = Make(/*forceMode=*/true, "1024x768x32", /*forceFull=*/false, true);
  config->Load();
  EXPECT_EQ(config->v_mode, "1024x768x32") << "forced back to the default";
  EXPECT_EQ(config->v_fullscreen, 0) << "a lone CR ends a line";
  std::int32_t later = 0;
  config->AddVariable("g_later", ConfigVariable::kInteger, false, true, &later, "1", false);
  EXPECT_EQ(later, 12);

  auto missing = std::make_unique<Config>(&log_, &files_, temp_.Win("none"), "Game", false, "", false, false);
  missing->v_vsync = 0;
  missing->Load();
  EXPECT_EQ(missing->v_vsync, 1) << "no file: defaults";
}

TEST_F(ConfigTest, FailedSaveIsLoggedAndKeepsTheOldFile) {
  temp_.Write("cfg/Game.ini", "v_vsync 0\r\n");
  std::filesystem::create_directories(temp_.Host(Temporary()));  // cannot be opened for writing
  auto config = Make();
  const int before = log_.GetRecordCount();
  config->Save();
  EXPECT_EQ(Ini(), "v_vsync 0\r\n");
  ASSERT_EQ(log_.GetRecordCount(), before + 1);
  EXPECT_EQ(log_.GetRecord(before).type, LogRecord::kError);
  EXPECT_NE(log_.GetRecord(before).text.find(Temporary().substr(4)), std::string::npos);
}

// A relative data folder lies beside the executable, wherever the current folder is: the finished ini
// must replace the old one there too.
TEST(ConfigSave, RelativeBaseFolderLiesBesideTheExecutable) {
  testsupport::TempFolder elsewhere;
  const std::string relative = "brindlewick-config-" + std::to_string(::getpid());
  const std::filesystem::path beside = std::filesystem::path(GetExecutableFolder()) / relative;
  const std::filesystem::path current = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.Root());
  {
    MessageManager log("Game", 0, 0, "", "");
    FileManager files(&log, relative, "");
    Config config(&log, &files, "", "Game", false, "", false, false);
    config.v_vsync = 0;
    const int before = log.GetRecordCount();
    config.Save();
    EXPECT_EQ(log.GetRecordCount(), before) << "no error";
  }
  std::filesystem::current_path(current);
  std::ifstream in(beside / "Game.ini", std::ios::binary);
  const std::string ini{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::filesystem::remove_all(beside);
  EXPECT_NE(ini.find("v_vsync 0\r\n"), std::string::npos);
}

TEST(ConfigParseMode, Table) {
  struct Row {
    const char* text;
    std::uint32_t width, height, bits;
  };
  const Row rows[] = {
      {"800x600x32", 800, 600, 32},
      {"1280X1024x32", 1280, 1024, 32},
      {"1024x768", 640, 480, 16},
      {"", 640, 480, 16},
      {"axbxc", 0, 0, 0},
      {"1024x768x", 1024, 768, 0},
      {" 640 x 480 x 8", 640, 480, 8},
  };
  for (const Row& row : rows) {
    std::uint32_t w = 1, h = 1, b = 1;
    Config::ParseMode(row.text, &w, &h, &b);
    EXPECT_EQ(w, row.width) << row.text;
    EXPECT_EQ(h, row.height) << row.text;
    EXPECT_EQ(b, row.bits) << row.text;
  }
  std::uint32_t h = 0;
  Config::ParseMode("320x200x8", nullptr, &h, nullptr);
  EXPECT_EQ(h, 200u);
}

}  // namespace
}  // namespace CorvantisEngine
