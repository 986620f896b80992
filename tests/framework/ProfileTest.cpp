// A profile and its ".prf" file: the bytes of a new profile, round trips, files that are refused, file
// names, results and the reached level, deleting, and a save that fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <regex>

#include "FrameworkTestSupport.h"
#include "TestProfiles.h"
#include "engine/core/Error.h"
#include "engine/core/Random.h"
#include "framework/ProfileBase.h"

namespace GameFramework {
namespace {

using frameworktest::F32;
using frameworktest::TestProfile;
using frameworktest::U32;
using frameworktest::U8;
using frameworktest::WithHeader;
using frameworktest::WStr;

class ProfileTest : public frameworktest::SaveFolderTest {
 protected:
  std::unique_ptr<TestProfile> Create(const std::wstring& name) {
    return std::make_unique<TestProfile>(engine_, name, Save(), TestProfile::New{});
  }
  std::unique_ptr<TestProfile> Load(const std::string& fileName) {
    return std::make_unique<TestProfile>(engine_, fileName, Save(), TestProfile::Open{});
  }
  std::string ReadProfile(const TestProfile& profile) { return Read("profiles/" + profile.GetFileName()); }

  // The body of a new profile up to and including N = 0, for hand-made files.
  static std::string NewBodyStart(const std::wstring& name) {
    return WStr(name) + U32(0) + U32(3) + U32(0) + U32(0) + U32(0) + U32(0) + U32(0) + U8(0);
  }
  // What follows the results of a new profile: in-progress flag, volumes and the game's section.
  static std::string NewBodyEnd() {
    return U8(0) + F32(1.0f) + F32(1.0f) + U8(1) + U8(1) + U8(1) + U32(0) + U32(0) + U32(0) + U32(0) +
           U32(1) + U32(0) + U32(2) + U32(0) + U32(0) + U32(1) + U32(0) + U32(1500);
  }
};

TEST_F(ProfileTest, ANewProfileIsWrittenByteForByte) {
  CorvantisEngine::RandomSeed(1);
  auto profile = Create(L"  Anna\t");
  EXPECT_EQ(profile->GetName(), L"Anna");
  EXPECT_TRUE(std::regex_match(profile->GetFileName(), std::regex("anna_[0-9]{11}\\.prf")))
      << profile->GetFileName();
  const std::string expected = WithHeader("PZPRF", 105, NewBodyStart(L"Anna") + U32(0) + NewBodyEnd());
  ASSERT_EQ(expected.size(), 117u);
  EXPECT_EQ(ReadProfile(*profile), expected);
  EXPECT_EQ(profile->GetDataPath(), Save() + "\\profiles\\" + profile->GetFileName().substr(0, 16));

  // Read back and written again, it is the same file.
  auto loaded = Load(profile->GetFileName());
  EXPECT_EQ(loaded->GetName(), L"Anna");
  EXPECT_EQ(loaded->GetGameCounter(), 3u);
  EXPECT_EQ(loaded->money, 1500u);
  EXPECT_EQ(loaded->pictures, (std::vector<std::uint32_t>{0, 0}));
  EXPECT_TRUE(loaded->Save());
  EXPECT_EQ(ReadProfile(*loaded), expected);
}

TEST_F(ProfileTest, EveryFieldSurvivesARoundTrip) {
  auto profile = Create(L"Bo");
  profile->SetGameMode(1);
  profile->SetGameCounter(2);
  profile->SetScore(4321);
  profile->SetCurrentLevel({1, 4});
  profile->SetGameInProgress(true);
  profile->GetSettings() = {0.25f, 0.75f};
  profile->AddGameResult(std::make_unique<GameResult>(GameResult{1, 0, 2, 61.5f}));
  profile->UpdateReachedLevel({1, 5}, true);
  profile->money = 77;

  auto loaded = Load(profile->GetFileName());
  EXPECT_EQ(loaded->GetGameMode(), 1u);
  EXPECT_EQ(loaded->GetGameCounter(), 2u);
  EXPECT_EQ(loaded->GetScore(), 4321u);
  EXPECT_EQ(loaded->GetCurrentLevel(), (LevelPosition{1, 4}));
  EXPECT_EQ(loaded->GetReachedLevel(), (LevelPosition{1, 5}));
  EXPECT_TRUE(loaded->IsGameCompleted());
  EXPECT_TRUE(loaded->IsGameInProgress());
  EXPECT_EQ(loaded->GetSettings().soundVolume, 0.25f);
  EXPECT_EQ(loaded->GetSettings().musicVolume, 0.75f);
  ASSERT_EQ(loaded->GetResults().size(), 1u);
  EXPECT_EQ(loaded->GetResults()[0]->time, 61.5f);
  EXPECT_EQ(loaded->money, 1500u);  // set after the last save
  // The volumes sit music first, then sound.
  const std::string bytes = ReadProfile(*loaded);
  EXPECT_EQ(bytes.substr(13 + 7 + 33 + 16 + 1, 8), F32(0.75f) + F32(0.25f));
}

TEST_F(ProfileTest, FilesThatCannotBeTrustedAreRefused) {
  const std::string good = WithHeader("PZPRF", 105, NewBodyStart(L"Anna") + U32(0) + NewBodyEnd());
  const std::string oneResult = U32(0) + U32(0) + U32(1) + F32(12.0f);
  struct Row {
    std::string bytes;
    const char* why;
  };
  const Row rows[] = {
      {WithHeader("PZPRX", 105, NewBodyStart(L"Anna") + U32(0) + NewBodyEnd()), "another magic"},
      {WithHeader("PZPRF", 104, NewBodyStart(L"Anna") + U32(0) + NewBodyEnd()), "version 104"},
      {good.substr(0, good.size() - 1), "length one short"},
      {good + "\x01", "length one long"},
      {WithHeader("PZPRF", 105, NewBodyStart(L"Anna") + U32(0) + NewBodyEnd().substr(0, 20)),
       "body cut short"},
      {WithHeader("PZPRF", 105, NewBodyStart(L"Anna") + U32(0xFFFFFFFFu) + NewBodyEnd()),
       "huge result count"},
      {WithHeader("PZPRF", 105, NewBodyStart(L"Anna") + U32(4) + oneResult + NewBodyEnd()),
       "more results than the file holds"},
      {WithHeader("PZPRF", 105, U8(200) + "abc"), "name longer than the file"},
      {good.substr(0, 12), "shorter than the header"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    Write("profiles/x.prf", row.bytes);
    EXPECT_THROW(Load("x.prf"), CorvantisEngine::FileError);
  }
  Write("profiles/x.prf",
        WithHeader("PZPRF", 105, NewBodyStart(L"Anna") + U32(1) + oneResult + NewBodyEnd()));
  EXPECT_EQ(Load("x.prf")->GetResults().size(), 1u);
}

TEST_F(ProfileTest, ACountTheFileCannotHoldIsNamedWithItsListAndFile) {
  Write("profiles/x.prf", WithHeader("PZPRF", 105, NewBodyStart(L"Anna") + U32(0xFFFFFFFFu) + NewBodyEnd()));
  try {
    Load("x.prf");
    ADD_FAILURE() << "accepted";
  } catch (const CorvantisEngine::FileError& error) {
    EXPECT_EQ(error.GetMessage(), "Incorrect \"" + Save() +
                                      "\\profiles\\x.prf\" file format (impossible count of best times: "
                                      "4294967295, with 60 bytes left)");
  }
}

TEST_F(ProfileTest, ValuesOutOfTheirRangeArePutBackInRangeAsTheyAreRead) {
  struct Row {
    float sound, music;
    std::uint32_t mode;
    std::uint8_t completed;
    float soundRead, musicRead;
    std::uint32_t modeRead;
    int warnings;
    const char* why;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Row rows[] = {
      {-20.16f, 1.5f, 0, 0, 0.0f, 1.0f, 0, 2, "a flipped byte in each volume"},
      {nan, 0.25f, 7, 2, 1.0f, 0.25f, 0, 2, "a NaN volume and an unknown game mode"},
      {0.0f, 1.0f, 1, 1, 0.0f, 1.0f, 1, 0, "the limits themselves"},
  };
  int warnings = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    const std::string start = WStr(L"Anna") + U32(row.mode) + U32(3) + U32(0) + U32(0) + U32(0) + U32(0) +
                              U32(0) + U8(row.completed) + U32(0);
    const std::string end = NewBodyEnd();
    Write("profiles/x.prf",
          WithHeader("PZPRF", 105, start + U8(0) + F32(row.music) + F32(row.sound) + end.substr(9)));
    auto profile = Load("x.prf");
    EXPECT_EQ(profile->GetSettings().soundVolume, row.soundRead);
    EXPECT_EQ(profile->GetSettings().musicVolume, row.musicRead);
    EXPECT_EQ(profile->GetGameMode(), row.modeRead);
    EXPECT_EQ(profile->IsGameCompleted(), row.completed != 0);
    warnings += row.warnings;
    EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kWarning, "x.prf\" holds the "), warnings);
  }
  EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kWarning, "holds the sound volume -20.16; 0.00 is used"),
            1);
}

TEST_F(ProfileTest, FileNamesComeFromTheLettersOfTheName) {
  struct Row {
    std::wstring name;
    const char* pattern;
    const char* why;
  };
  const Row rows[] = {
      {L"Anna", "anna_[0-9]{11}\\.prf", "short names get '_' and digits up to 16 characters"},
      {L"Jo 2nd-Bär!", "jondbr_[0-9]{9}\\.prf", "digits, spaces, punctuation and other letters go"},
      {L"Ярослав", "_[0-9]{15}\\.prf", "no Latin letters: '_' and 15 digits"},
      {L"abcdefghijklmn", "abcdefghijklmn_[0-9]\\.prf", "14 letters"},
      {L"Abcdefghijklmno", "abcdefghijklmno\\.prf", "15 letters: no suffix"},
      {L"abcdefghijklmno.", "abcdefghijklmno_[0-9]{8}\\.prf", "the same 15 letters again: told apart"},
      {std::wstring(100, L'q'), "q{64}\\.prf", "long names are cut to 64 letters"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    auto profile = Create(row.name);
    EXPECT_TRUE(std::regex_match(profile->GetFileName(), std::regex(row.pattern))) << profile->GetFileName();
    EXPECT_TRUE(Exists("profiles/" + profile->GetFileName()));
  }
}

TEST_F(ProfileTest, ATakenFileNameIsDrawnAgain) {
  CorvantisEngine::RandomSeed(42);
  const std::string first = Create(L"Anna")->GetFileName();
  CorvantisEngine::RandomSeed(42);
  auto second = Create(L"Anna");
  EXPECT_NE(second->GetFileName(), first);
  EXPECT_EQ(second->GetFileName().substr(0, 5), "anna_");
  EXPECT_EQ(Load(first)->GetName(), L"Anna");  // the first file is untouched
}

TEST_F(ProfileTest, RenamingKeepsTheFileAndCutsLongNames) {
  auto profile = Create(L"Anna");
  const std::string fileName = profile->GetFileName();
  profile->Rename(L"  Zoe ");
  EXPECT_EQ(profile->GetFileName(), fileName);
  EXPECT_EQ(Load(fileName)->GetName(), L"Zoe");

  profile->Rename(std::wstring(400, L'x'));
  EXPECT_EQ(profile->GetName().size(), 254u);
  EXPECT_EQ(Load(fileName)->GetName(), std::wstring(254, L'x'));
  EXPECT_EQ(Create(std::wstring(255, L'y'))->GetName().size(), 254u);
}

TEST_F(ProfileTest, TheBestTimePerLevelAndModeIsKept) {
  auto profile = Create(L"Anna");
  for (std::uint32_t mode = 0; mode < 2; ++mode) {
    for (std::uint32_t level = 0; level < 3; ++level)
      profile->AddGameResult(std::make_unique<GameResult>(GameResult{1 - mode, 0, level, 30.0f + level}));
  }
  EXPECT_EQ(profile->GetResults().size(), 6u);
  profile->AddGameResult(std::make_unique<GameResult>(GameResult{1, 0, 1, 45.0f}));  // slower
  profile->AddGameResult(std::make_unique<GameResult>(GameResult{0, 0, 2, 12.0f}));  // faster
  EXPECT_EQ(profile->GetResults().size(), 6u);
  auto loaded = Load(profile->GetFileName());
  EXPECT_EQ(loaded->FindResult(1, {0, 1})->time, 31.0f);
  EXPECT_EQ(loaded->FindResult(0, {0, 2})->time, 12.0f);
  EXPECT_EQ(loaded->FindResult(1, {0, 2})->time, 32.0f);
  EXPECT_EQ(loaded->FindResult(0, {1, 0}), nullptr);
}

TEST_F(ProfileTest, TheReachedLevelOnlyMovesForward) {
  struct Step {
    LevelPosition position;
    bool completed;
    LevelPosition reached;
    bool gameCompleted;
    const char* why;
  };
  const Step steps[] = {
      {{0, 3}, false, {0, 3}, false, "later level"},
      {{0, 2}, true, {0, 3}, false, "earlier level: nothing"},
      {{0, 3}, false, {0, 3}, false, "same level, not completed: nothing"},
      {{0, 3}, true, {0, 3}, true, "same level, completed"},
      {{1, 0}, false, {1, 0}, false, "later stage"},
      {{0, 9}, true, {1, 0}, false, "earlier stage, higher level: nothing"},
  };
  auto profile = Create(L"Anna");
  for (const Step& step : steps) {
    SCOPED_TRACE(step.why);
    profile->UpdateReachedLevel(step.position, step.completed);
    EXPECT_EQ(profile->GetReachedLevel(), step.reached);
    EXPECT_EQ(profile->IsGameCompleted(), step.gameCompleted);
    auto loaded = Load(profile->GetFileName());
    EXPECT_EQ(loaded->GetReachedLevel(), step.reached);
    EXPECT_EQ(loaded->IsGameCompleted(), step.gameCompleted);
  }
}

TEST_F(ProfileTest, DeletingRemovesTheFileAndItsDataFolderOnly) {
  auto anna = Create(L"Anna");
  auto bo = Create(L"Bo");
  const std::string stem = anna->GetFileName().substr(0, 16);
  Write("profiles/" + stem + "/picture.bin", "x");
  anna->DeleteFiles();
  EXPECT_FALSE(Exists("profiles/" + anna->GetFileName()));
  EXPECT_FALSE(Exists("profiles/" + stem));
  EXPECT_TRUE(Exists("profiles/" + bo->GetFileName()));

  // A file named just ".prf" has no data folder; deleting it leaves the profiles folder alone.
  Write("profiles/.prf", ReadProfile(*bo));
  auto nameless = Load(".prf");
  nameless->DeleteFiles();
  EXPECT_FALSE(Exists("profiles/.prf"));
  EXPECT_TRUE(Exists("profiles/" + bo->GetFileName()));
}

TEST_F(ProfileTest, AFailedSaveIsLoggedAndKeepsTheOldFile) {
  auto profile = Create(L"Anna");
  const std::string before = ReadProfile(*profile);
  profile->Rename(std::wstring(100, L'z'));  // a bigger file than the limit allows
  {
    frameworktest::FileSizeLimit limit(before.size());
    profile->Rename(std::wstring(100, L'y'));
    EXPECT_FALSE(profile->Save());
  }
  EXPECT_EQ(Load(profile->GetFileName())->GetName(), std::wstring(100, L'z'));
  EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kError, profile->GetFileName()), 2);
  EXPECT_EQ(profile->GetName(), std::wstring(100, L'y'));  // memory keeps the change
  for (const auto& entry : std::filesystem::directory_iterator(rig_.Folder().Host("save/profiles")))
    EXPECT_EQ(entry.path().extension(), ".prf") << "no temporary file is left behind";
}

}  // namespace
}  // namespace GameFramework
