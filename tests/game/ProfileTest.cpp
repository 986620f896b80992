// The game's profile: the bytes of a new profile, the game's section surviving a round trip, the level
// earnings never saved, an odd picture count read as its whole pairs, and files whose lists cannot be
// trusted left out by the manager.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/Error.h"
#include "engine/core/Random.h"
#include "framework/AudioManager.h"
#include "game/Profile.h"
#include "platform/headless/HeadlessAudio.h"
#include "tests/framework/FrameworkTestSupport.h"

namespace Puzzle {
namespace {

using GameFramework::frameworktest::F32;
using GameFramework::frameworktest::U32;
using GameFramework::frameworktest::U8;
using GameFramework::frameworktest::WithHeader;
using GameFramework::frameworktest::WStr;

class PuzzleProfileTest : public GameFramework::frameworktest::SaveFolderTest {
 protected:
  std::string Body(const std::string& pictures) const {
    return WStr(L"Anna") + U32(0) + U32(3) + U32(0) + U32(0) + U32(0) + U32(0) + U32(0) + U8(0) + U32(0) +
           U8(0) + F32(1.0f) + F32(1.0f) + U8(1) + U8(1) + U8(1) + U32(0) + U32(0) + U32(0) + U32(0) +
           U32(1) + U32(0) + pictures + U32(1) + U32(0) + U32(1500);
  }
};

TEST_F(PuzzleProfileTest, ANewProfileHasTheStartingContentAndMoney) {
  CorvantisEngine::RandomSeed(1);
  Profile profile(engine_, L"Anna", Save(), Profile::New{});
  EXPECT_EQ(profile.money, 1500u);
  EXPECT_EQ(profile.unlockedThemes, (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(profile.unlockedPictures, (std::vector<std::uint32_t>{0, 0}));
  EXPECT_EQ(profile.unlockedPuzzles, (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(
      profile.selectedTheme + profile.selectedPicture + profile.selectedPuzzle + profile.selectedPuzzleSize,
      0u);
  const std::string expected = WithHeader("PZPRF", 105, Body(U32(2) + U32(0) + U32(0)));
  EXPECT_EQ(Read("profiles/" + profile.GetFileName()), expected);
}

TEST_F(PuzzleProfileTest, TheGameSectionSurvivesARoundTripButNotTheEarnings) {
  Profile profile(engine_, L"Bo", Save(), Profile::New{});
  profile.optionB = 0;
  profile.relaxOffer = 0;
  profile.selectedTheme = 2;
  profile.selectedPicture = 3;
  profile.selectedPuzzle = 4;
  profile.selectedPuzzleSize = 5;
  profile.unlockedThemes = {0, 2};
  profile.unlockedPictures = {0, 0, 2, 3};
  profile.unlockedPuzzles = {0, 4, 7};
  profile.money = 12;
  profile.levelEarnings = 99;
  ASSERT_TRUE(profile.Save());

  Profile loaded(engine_, profile.GetFileName(), Save(), Profile::Existing{});
  EXPECT_EQ(loaded.optionA, 1);
  EXPECT_EQ(loaded.optionB, 0);
  EXPECT_EQ(loaded.relaxOffer, 0);
  EXPECT_EQ(loaded.selectedTheme, 2u);
  EXPECT_EQ(loaded.selectedPicture, 3u);
  EXPECT_EQ(loaded.selectedPuzzle, 4u);
  EXPECT_EQ(loaded.selectedPuzzleSize, 5u);
  EXPECT_EQ(loaded.unlockedThemes, profile.unlockedThemes);
  EXPECT_EQ(loaded.unlockedPictures, profile.unlockedPictures);
  EXPECT_EQ(loaded.unlockedPuzzles, profile.unlockedPuzzles);
  EXPECT_EQ(loaded.money, 12u);
  EXPECT_EQ(loaded.levelEarnings, 0u);
}

TEST_F(PuzzleProfileTest, AnOddPictureCountKeepsTheWholePairsAndTheProfileLoads) {
  Write("profiles/odd.prf", WithHeader("PZPRF", 105, Body(U32(3) + U32(0) + U32(0) + U32(1))));
  Profile odd(engine_, "odd.prf", Save(), Profile::Existing{});
  EXPECT_EQ(odd.unlockedPictures, (std::vector<std::uint32_t>{0, 0}));
  EXPECT_EQ(odd.unlockedPuzzles, (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(odd.money, 1500u);
  EXPECT_EQ(CountLogged(CorvantisEngine::LogRecord::kWarning,
                        Save() + "\\profiles\\odd.prf\" holds an odd count of unlocked pictures (3)"),
            1);
  {
    GameFramework::AudioManager audio(engine_);
    ProfileManager manager(engine_, &audio, Save());
    ASSERT_EQ(manager.GetProfiles().size(), 1u);
    EXPECT_EQ(manager.GetProfiles()[0]->GetFileName(), "odd.prf");
    EXPECT_TRUE(manager.GetUnreadProfiles().empty());
  }
  // The writer stays as it was: the pairs, each whole.
  ASSERT_TRUE(odd.Save());
  EXPECT_EQ(Read("profiles/odd.prf"), WithHeader("PZPRF", 105, Body(U32(2) + U32(0) + U32(0))));
}

TEST_F(PuzzleProfileTest, ACountBeyondTheFileIsRefusedNamingItsListAndTheManagerSkipsIt) {
  Write("profiles/bad.prf", WithHeader("PZPRF", 105, Body(U32(0x40000000u) + U32(0) + U32(0))));
  try {
    Profile(engine_, "bad.prf", Save(), Profile::Existing{});
    ADD_FAILURE() << "accepted";
  } catch (const CorvantisEngine::FileError& error) {
    EXPECT_EQ(error.GetMessage(), "Incorrect \"" + Save() +
                                      "\\profiles\\bad.prf\" file format (impossible count of unlocked "
                                      "pictures: 1073741824, with 20 bytes left)");
  }
  Write("profiles/good.prf", WithHeader("PZPRF", 105, Body(U32(2) + U32(1) + U32(2))));
  Write("profiles/old.prf", WithHeader("PZPRF", 104, Body(U32(2) + U32(1) + U32(2))));
  GameFramework::AudioManager audio(engine_);
  ProfileManager manager(engine_, &audio, Save());
  ASSERT_EQ(manager.GetProfiles().size(), 1u);
  auto* profile = dynamic_cast<Profile*>(manager.GetProfiles()[0].get());
  ASSERT_NE(profile, nullptr);
  EXPECT_EQ(profile->GetFileName(), "good.prf");
  EXPECT_EQ(profile->unlockedPictures, (std::vector<std::uint32_t>{1, 2}));
  EXPECT_EQ(manager.GetUnreadProfiles().size(), 2u);

  auto* created = dynamic_cast<Profile*>(manager.AddProfile(L"Cleo"));
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->money, 1500u);
}

}  // namespace
}  // namespace Puzzle
