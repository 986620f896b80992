#pragma once
// An installed game in a fresh temporary folder, for tests that run the whole game: the built data pack
// (the `data` target's pack0.pak) under "install\data", the registry naming that folder as the
// installation, and the user's folders (where the save folder, the log and the ini go) inside the
// temporary folder too. The test may lay loose data files over the pack (loose files are found before
// packed ones): a short levels file, a small cut. The headless back ends are installed, as for an
// engine of the test's own.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/PieceShapeFile.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"
#include "tests/game/GameTestSupport.h"
#include "tests/support/TempFolder.h"

#ifndef BRINDLEWICK_DATA_PACK
#define BRINDLEWICK_DATA_PACK ""
#endif

namespace Puzzle::flowtest {

// The game's registry key and user folder, as the game object names them.
constexpr const char* kMaker = "Pellucan Games";
constexpr const char* kTitle = "Brindlewick";
// The size of every picture of the game's themes.
constexpr std::uint32_t kPictureWidth = 640;
constexpr std::uint32_t kPictureHeight = 480;

class GameFlowFixture : public testing::Test {
 protected:
  GameFlowFixture() {
    platform::headless::ResetClock();
    platform::headless::ResetInput();
    windows_ = &platform::headless::InstallHeadlessWindows();
    display_ = platform::headless::InstallHeadlessDisplay();

    SetEnvironment("XDG_CONFIG_HOME", folder_.Host("user_config").string());
    SetEnvironment("XDG_CONFIG_DIRS", folder_.Host("machine_config").string());
    SetEnvironment("XDG_DATA_HOME", folder_.Host("user_data").string());
    std::filesystem::create_directories(folder_.Host("user_data"));
    folder_.Write("user_config/corvantis/registry.ini", std::string("[SOFTWARE\\") + kMaker + "\\" + kTitle +
                                                            "]\nInstallPath=" + folder_.Win("install") +
                                                            "\n");

    const std::filesystem::path pack = BRINDLEWICK_DATA_PACK;
    std::filesystem::create_directories(folder_.Host("install/data"));
    if (!pack.empty() && std::filesystem::exists(pack)) {
      std::filesystem::create_symlink(pack, folder_.Host("install/data/pack0.pak"));
      hasPack_ = true;
    }
  }
  ~GameFlowFixture() override {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        ::setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        ::unsetenv(it->first.c_str());
      }
    }
  }

  // A loose data file over the pack: `relative` below "install\data" ("levels/levels.xml").
  void WriteData(const std::string& relative, const std::string& bytes) {
    folder_.Write("install/data/" + relative, bytes);
  }
  void WriteData(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    folder_.Write("install/data/" + relative, bytes);
  }
  // A levels file of that many stages with that many levels each.
  void WriteLevels(const std::vector<int>& levelsPerStage) {
    std::string xml = "<levels>\n";
    for (int count : levelsPerStage) {
      xml += "  <stage>";
      for (int i = 0; i < count; ++i) {
        xml += "<level/>";
      }
      xml += "</stage>\n";
    }
    WriteData("levels/levels.xml", xml + "</levels>\n");
  }

  // Puzzle 00's first size cut into columns x rows rectangles, so that a level has only a few pieces.
  void WriteSmallCut(std::uint32_t columns, std::uint32_t rows) {
    WriteData("puzzles/00/puzzle_00.pzf",
              PieceShapeFile::Write(gametest::GridShapes(kPictureWidth, kPictureHeight, columns, rows),
                                    kPictureWidth, kPictureHeight));
  }

  bool HasPack() const { return hasPack_; }
  platform::headless::HeadlessWindowDriver& Windows() { return *windows_; }
  platform::headless::HeadlessDisplay& Display() { return *display_; }
  const testsupport::TempFolder& Folder() const { return folder_; }
  // Where the game keeps profiles, high scores, its log and its ini (host form).
  std::filesystem::path SaveFolder() const { return folder_.Host("user_data") / kMaker / kTitle; }

 private:
  void SetEnvironment(const std::string& name, const std::string& value) {
    const char* before = ::getenv(name.c_str());
    saved_.emplace_back(name, before != nullptr ? std::optional<std::string>(before) : std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
  }

  testsupport::TempFolder folder_;
  platform::headless::HeadlessWindowDriver* windows_ = nullptr;
  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
  bool hasPack_ = false;
};

}  // namespace Puzzle::flowtest
