// The ini file's hardening: space pairs removed in one pass, a mode too large for the display, and a
// save that goes through a temporary file of its own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "platform/headless/HeadlessWindow.h"
#include "support/TempFolder.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/LogProbe.h"

namespace CorvantisEngine {
namespace {

// The rule as first written: erase each pair, resuming the scan where the pair was.
std::string PairByPair(std::string work) {
  for (std::size_t at = work.find("  "); at != std::string::npos; at = work.find("  ", at)) {
    work.erase(at, 2);
  }
  return work;
}

TEST(ConfigSpacePairs, OnePassGivesWhatPairByPairErasingGave) {
  const char* rows[] = {"",        " ",       "  ",        "   ",     "a  b",    "a   b",
                        "  a    ", "a \t  b", "v_mode  1", " x  y  ", "\t\t  \t"};
  for (const char* row : rows) {
    EXPECT_EQ(Config::RemoveSpacePairs(row), PairByPair(row)) << '"' << row << '"';
  }
  std::mt19937 random(7);
  const char alphabet[] = {' ', ' ', ' ', 'a', '\t', '\\'};
  for (int round = 0; round < 500; ++round) {
    std::string line(random() % 40, ' ');
    for (char& c : line) {
      c = alphabet[random() % sizeof(alphabet)];
    }
    ASSERT_EQ(Config::RemoveSpacePairs(line), PairByPair(line)) << '"' << line << '"';
  }
}

class ConfigIniTest : public testsupport::HeadlessTest {
 protected:
  ConfigIniTest() : log_("Game", 0, 0, "", ""), files_(&log_, temp_.Win(), "") {
    windows_ = &platform_.Windows();
  }

  std::unique_ptr<Config> Make() {
    return std::make_unique<Config>(&log_, &files_, temp_.Win("cfg"), "Game", false, "1024x768x32", false,
                                    false);
  }
  int Warnings() const { return static_cast<int>(testsupport::LogProbe(log_).Warnings().size()); }

  testsupport::TempFolder temp_;
  MessageManager log_;
  FileManager files_;
  platform::headless::HeadlessWindowDriver* windows_ = nullptr;
};

// A long damaged line (a run of spaces megabytes long) is read in one pass, not erased pair by pair.
TEST_F(ConfigIniTest, AHugeLineOfSpacesIsReadInLinearTime) {
  auto config = Make();
  std::string line = "v_mode" + std::string((4u << 20) + 1, ' ') + "800x600x32";
  EXPECT_EQ(config->ExecuteLine(line, nullptr), Config::kLineDone);
  EXPECT_EQ(config->v_mode, "800x600x32");
  line = "v_mode 1" + std::string(4u << 20, ' ') + "2";
  config->ExecuteLine(line, nullptr);
  EXPECT_EQ(config->v_mode, "12") << "an even run of spaces goes whole";
}

TEST_F(ConfigIniTest, AModeLargerThanTheDisplayFallsBackToTheDefault) {
  windows_->SetDesktopSize(1280, 1024);
  struct Row {
    const char* ini;
    const char* mode;
    bool warned;
  };
  const Row rows[] = {
      {"v_mode 1280x1024x32", "1280x1024x32", false}, {"v_mode 1281x1024x32", "1024x768x32", true},
      {"v_mode 1024x1025x16", "1024x768x32", true},   {"v_mode 99999x99999x32", "1024x768x32", true},
      {"v_mode desktop", "desktop", false},           {"v_mode 800x600x16", "800x600x16", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.ini);
    temp_.Write("cfg/Game.ini", std::string(row.ini) + "\r\n");
    auto config = Make();
    const int before = Warnings();
    config->Load();
    EXPECT_EQ(config->v_mode, row.mode);
    EXPECT_EQ(Warnings() - before, row.warned ? 1 : 0);
  }
  // The fallback is what the next save writes, so the next start is clean too.
  temp_.Write("cfg/Game.ini", std::string("v_mode 4096x2160x32\r\n"));
  auto config = Make();
  config->Load();
  config->Save();
  EXPECT_NE(temp_.Read("cfg/Game.ini").find("v_mode 1024x768x32\r\n"), std::string::npos);
}

// The temporary file carries the process's identifier; another instance's temporary file is left alone.
TEST_F(ConfigIniTest, SavingUsesATemporaryFileOfItsOwnProcess) {
  const std::string mine = "cfg/Game.ini." + std::to_string(::getpid()) + ".tmp";
  const std::string other = "cfg/Game.ini.1.tmp";
  temp_.Write(other, std::string("another instance is writing"));
  auto config = Make();
  config->v_vsync = 0;
  config->Save();
  EXPECT_NE(temp_.Read("cfg/Game.ini").find("v_vsync 0\r\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(temp_.Host(mine)));
  EXPECT_EQ(temp_.Read(other), "another instance is writing");
}

}  // namespace
}  // namespace CorvantisEngine
