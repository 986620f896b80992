// The content catalogue: themes and puzzles found on disk and in a pack, lower-cased theme names,
// pictures told from previews by name, the previews queued in the keeper, the price files' errors, and
// the file names of a selection, including selections from a larger catalogue.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/Error.h"
#include "framework/AudioManager.h"
#include "game/Content.h"
#include "game/GameLogicData.h"
#include "game/Profile.h"
#include "platform/headless/HeadlessAudio.h"
#include "tests/support/EngineRig.h"
#include "tools/game/DataKeeper.h"
#include "tools/pack/PackBuilder.h"

namespace Puzzle {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::string Prices(const std::string& inner) {
  return "<content>" + inner + "</content>\n";
}

class ContentTest : public testing::Test {
 protected:
  ContentTest() {
    ::setenv("XDG_DATA_HOME", rig_.Folder().Root().c_str(), 1);
    platform::headless::ResetAudio();
  }
  ~ContentTest() override {
    keeper_.reset();
    platform::headless::ResetAudio();
  }

  // Two themes and two puzzles, one of each only in the pack.
  void WriteCatalogue() {
    rig_.Write("data/themes/themes.xml",
               Prices("<theme_cost>1000</theme_cost><picture_cost>250</picture_cost>"));
    for (const char* name : {"00.jpg", "00_preview.jpg", "01.jpg", "01_preview.jpg", "Preview.JPG",
                             "x_PREVIEW.jpg", "00.xml", "notes.txt"}) {
      rig_.Write(std::string("data/themes/Forest/") + name, "x");
    }
    rig_.Write("data/themes/PreviewShots/00.jpg", "x");
    rig_.Write("data/themes/PreviewShots/00_preview.jpg", "x");
    rig_.Write("data/puzzles/00/puzzle.xml", Prices("<puzzle_cost>0</puzzle_cost>"));
    rig_.Write("data/puzzles/00/puzzle_00.pzf", "x");
    pack_ = {{"data\\themes\\Sea\\00.jpg", Bytes("x")},
             {"data\\themes\\Sea\\00_preview.jpg", Bytes("x")},
             {"data\\puzzles\\01\\puzzle.xml", Bytes(Prices("<puzzle_cost>700</puzzle_cost>"))},
             {"data\\puzzles\\01\\puzzle_02.pzf", Bytes("x")}};
  }

  void WritePack() {
    const std::vector<std::uint8_t> bytes = packtool::BuildPack(pack_);
    rig_.Write("Data/pack0.pak", std::string(bytes.begin(), bytes.end()));
  }

  std::unique_ptr<Content> Make(ProfileManager* profiles = nullptr) {
    WritePack();
    engine_ = &rig_.Start();
    keeper_ = std::make_unique<GameTools::DataKeeper>(engine_, "en", false);
    return std::make_unique<Content>(engine_, profiles, keeper_.get());
  }

  testsupport::EngineRig rig_;
  std::vector<packtool::PackEntry> pack_;
  CorvantisEngine::Engine* engine_ = nullptr;
  std::unique_ptr<GameTools::DataKeeper> keeper_;
};

TEST_F(ContentTest, ScansThemesAndPuzzlesFromDiskAndPack) {
  WriteCatalogue();
  std::unique_ptr<Content> content = Make();

  EXPECT_EQ(content->themeCount, 3u);
  EXPECT_EQ(content->themeNames, (std::vector<std::string>{"forest", "previewshots", "sea"}))
      << "names are lower-cased";
  // 00.jpg and 01.jpg; Preview.JPG and x_PREVIEW.jpg are previews by their lower-cased names; a theme
  // folder's own name does not make its pictures previews.
  EXPECT_EQ(content->pictureCounts, (std::vector<std::uint32_t>{2, 1, 1}));
  EXPECT_EQ(content->themeCost, 1000);
  EXPECT_EQ(content->pictureCost, 250);
  EXPECT_EQ(content->puzzleCount, 2u);
  EXPECT_EQ(content->puzzleCosts, (std::vector<std::int32_t>{0, 700}));

  // The previews are queued, not made: they appear with the keeper's load.
  EXPECT_FALSE(keeper_->HasShaderUser("themes/forest/preview_00"));
  keeper_->Load();
  keeper_->WaitForLoad();
  for (const char* name : {"themes/forest/preview_00", "themes/forest/preview_01", "themes/sea/preview_00",
                           "themes/previewshots/preview_00", "puzzles/00/preview", "puzzles/01/preview"}) {
    EXPECT_TRUE(keeper_->HasShaderUser(name)) << name;
  }
  EXPECT_FALSE(keeper_->HasShaderUser("themes/forest/preview_02"));
  EXPECT_FALSE(keeper_->HasShaderUser("themes/sea/preview_01"));
}

TEST_F(ContentTest, PriceFilesWithoutTheirPriceAreFormatErrors) {
  struct Row {
    std::string themes;
    std::string puzzle;
    std::string message;
    const char* why;
  };
  const std::string goodThemes = Prices("<theme_cost>1</theme_cost><picture_cost>2</picture_cost>");
  const std::string goodPuzzle = Prices("<puzzle_cost>3</puzzle_cost>");
  const Row rows[] = {
      {Prices("<picture_cost>2</picture_cost>"), goodPuzzle,
       "Incorrect \"data\\themes\\themes.xml\" file format", "no theme cost"},
      {Prices("<theme_cost>1</theme_cost>"), goodPuzzle, "Incorrect \"data\\themes\\themes.xml\" file format",
       "no picture cost"},
      {"<prices><theme_cost>1</theme_cost><picture_cost>2</picture_cost></prices>", goodPuzzle,
       "Incorrect \"data\\themes\\themes.xml\" file format", "prices under the wrong element"},
      {Prices("<theme_cost>1</theme_cost><picture_cost>-5</picture_cost>"), goodPuzzle,
       "Incorrect \"data\\themes\\themes.xml\" file format", "a negative price"},
      {goodThemes, Prices("<cost>3</cost>"), "Incorrect \"data\\puzzles\\01\\puzzle.xml\" file format",
       "the second puzzle has no price"},
      {goodThemes, Prices("<puzzle_cost>-1</puzzle_cost>"),
       "Incorrect \"data\\puzzles\\01\\puzzle.xml\" file format", "a negative puzzle price"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    testsupport::EngineRig rig;
    rig.Write("data/themes/a/00.jpg", "x");
    rig.Write("data/themes/themes.xml", row.themes);
    rig.Write("data/puzzles/00/puzzle.xml", goodPuzzle);
    rig.Write("data/puzzles/01/puzzle.xml", row.puzzle);
    CorvantisEngine::Engine& engine = rig.Start();
    GameTools::DataKeeper keeper(&engine, "en", false);
    try {
      Content content(&engine, nullptr, &keeper);
      ADD_FAILURE() << "no error";
    } catch (const CorvantisEngine::FileError& error) {
      EXPECT_EQ(error.GetMessage(), row.message);
    }
  }
}

TEST_F(ContentTest, AnEmptyCatalogueStopsTheStartUp) {
  rig_.Write("data/themes/themes.xml", Prices("<theme_cost>1</theme_cost><picture_cost>2</picture_cost>"));
  rig_.Write("data/puzzles/00/puzzle.xml", Prices("<puzzle_cost>3</puzzle_cost>"));
  EXPECT_THROW(Make(), CorvantisEngine::FatalError) << "no theme folder";
  EXPECT_EQ(rig_.CountLogged("No themes found in \"data\\themes\""), 1);
}

TEST_F(ContentTest, FileNamesFollowTheSelectionAndFallBackInsideTheCatalogue) {
  WriteCatalogue();
  std::unique_ptr<GameFramework::AudioManager> audio;
  std::unique_ptr<ProfileManager> profiles;
  std::unique_ptr<Content> content;
  {
    WritePack();
    engine_ = &rig_.Start();
    audio = std::make_unique<GameFramework::AudioManager>(engine_);
    profiles = std::make_unique<ProfileManager>(engine_, audio.get(), rig_.Folder().Win("save"));
    profiles->SetCurrentProfile(profiles->AddProfile(L"Anna"), false);
    keeper_ = std::make_unique<GameTools::DataKeeper>(engine_, "en", false);
    content = std::make_unique<Content>(engine_, profiles.get(), keeper_.get());
  }
  Profile* profile = profiles->GetCurrent();
  ASSERT_NE(profile, nullptr);

  struct Row {
    std::uint32_t theme, picture, puzzle, size;
    const char* picturePath;
    const char* shapePath;
    const char* why;
  };
  const Row rows[] = {
      {0, 0, 0, 0, "data\\themes\\forest\\00", "data\\puzzles\\00\\puzzle_00.pzf", "the first of everything"},
      {0, 1, 1, 2, "data\\themes\\forest\\01", "data\\puzzles\\01\\puzzle_02.pzf",
       "a later picture and puzzle"},
      {2, 0, 1, 12, "data\\themes\\sea\\00", "data\\puzzles\\01\\puzzle_12.pzf", "the packed theme"},
      {2, 1, 0, 0, "data\\themes\\sea\\00", "data\\puzzles\\00\\puzzle_00.pzf", "a picture the theme lacks"},
      {7, 1, 9, 1, "data\\themes\\forest\\01", "data\\puzzles\\00\\puzzle_01.pzf",
       "a theme and a puzzle beyond the catalogue"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    profile->selectedTheme = row.theme;
    profile->selectedPicture = row.picture;
    profile->selectedPuzzle = row.puzzle;
    profile->selectedPuzzleSize = row.size;
    GameLogicData level(engine_, "en", nullptr, nullptr);
    content->BuildFileNames(&level);
    EXPECT_EQ(level.picturePath, std::string(row.picturePath) + ".jpg");
    EXPECT_EQ(level.coloursPath, std::string(row.picturePath) + ".xml");
    EXPECT_EQ(level.shapePath, row.shapePath);
  }
  content.reset();
  keeper_.reset();
  profiles.reset();
}

TEST_F(ContentTest, LoadedProfilesChooseOnlyWhatTheCatalogueHolds) {
  WriteCatalogue();
  WritePack();
  engine_ = &rig_.Start();
  GameFramework::AudioManager audio(engine_);
  {
    ProfileManager profiles(engine_, &audio, rig_.Folder().Win("save"));
    auto* anna = static_cast<Profile*>(profiles.AddProfile(L"Anna"));
    anna->selectedTheme = 7;  // beyond the three themes
    anna->selectedPicture = 1;
    anna->selectedPuzzle = 9;
    anna->selectedPuzzleSize = 5;
    anna->Save();
    auto* bo = static_cast<Profile*>(profiles.AddProfile(L"Bo"));
    bo->selectedTheme = 0;
    bo->selectedPicture = 1;
    bo->selectedPuzzle = 1;
    bo->selectedPuzzleSize = 2;  // packed: data\puzzles\01\puzzle_02.pzf
    bo->Save();
    auto* cy = static_cast<Profile*>(profiles.AddProfile(L"Cy"));
    cy->selectedTheme = 2;
    cy->selectedPicture = 1;     // the sea theme has one picture
    cy->selectedPuzzleSize = 3;  // puzzle 00 has no size 3
    cy->Save();
  }
  ProfileManager profiles(engine_, &audio, rig_.Folder().Win("save"));
  keeper_ = std::make_unique<GameTools::DataKeeper>(engine_, "en", false);
  Content content(engine_, &profiles, keeper_.get());
  const auto selection = [&](const wchar_t* name) {
    const auto* profile = static_cast<const Profile*>(profiles.FindProfile(name));
    return std::vector<std::uint32_t>{profile->selectedTheme, profile->selectedPicture,
                                      profile->selectedPuzzle, profile->selectedPuzzleSize};
  };
  EXPECT_EQ(selection(L"Anna"), (std::vector<std::uint32_t>{0, 0, 0, 0}));
  EXPECT_EQ(selection(L"Bo"), (std::vector<std::uint32_t>{0, 1, 1, 2}));
  EXPECT_EQ(selection(L"Cy"), (std::vector<std::uint32_t>{2, 0, 0, 0}));
  EXPECT_EQ(rig_.CountLogged("is not in the catalogue"), 2);
}

}  // namespace
}  // namespace Puzzle
