// The window bases over a headless engine and a real save folder: the profile operations with their
// name conflicts, the show-with data, the options logic (mode list, current index, apply, defaults,
// volume preview) and the in-game menu's settings.
#include <gtest/gtest.h>

#include <filesystem>

#include "FrameworkTestSupport.h"
#include "TestProfiles.h"
#include "engine/config/Config.h"
#include "framework/AudioManager.h"
#include "framework/GUIGameLogicMenuWindowBase.h"
#include "framework/GUIOptionsWindowBase.h"
#include "framework/GUIWindowBases.h"
#include "framework/HighScoresTable.h"

namespace GameFramework {
namespace {

using CorvantisEngine::ConfigVariable;
using frameworktest::TestProfileManager;

class WindowBasesTest : public frameworktest::SaveFolderTest {
 protected:
  WindowBasesTest() : audio_(engine_, 0.25f, 0.75f), profiles_(engine_, &audio_, Save()) {}

  std::vector<std::wstring> Names() const { return profiles_.Names(); }
  std::wstring CurrentName() const {
    return profiles_.GetCurrentProfile() != nullptr ? profiles_.GetCurrentProfile()->GetName() : L"<none>";
  }

  AudioManager audio_;
  TestProfileManager profiles_;
};

TEST_F(WindowBasesTest, WelcomeMakesTheProfileCurrentOrTakesTheOneOfThatName) {
  GUIWelcomeWindowBase welcome(&profiles_);
  welcome.CreateProfile(L"Anna");
  EXPECT_EQ(CurrentName(), L"Anna");
  welcome.CreateProfile(L"Zoe");
  welcome.CreateProfile(L" ANNA");
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Anna", L"Zoe"}));
  EXPECT_EQ(CurrentName(), L"Anna");
  // The list file remembers the current profile.
  EXPECT_NE(Read("profiles.pmf").find(frameworktest::WStr(L"Anna")), std::string::npos);
}

TEST_F(WindowBasesTest, NewProfileRefusesATakenNameAsProfilesStoreIt) {
  GUINewProfileWindowBase window(&profiles_);
  window.ShowWithFlag(4, true);
  EXPECT_EQ(window.openerId, 4u);
  EXPECT_TRUE(window.CreateProfile(L"Anna"));
  EXPECT_TRUE(window.CreateProfile(L"Zoe"));
  EXPECT_EQ(CurrentName(), L"Zoe");
  for (const wchar_t* taken : {L"Anna", L"aNNA", L"  Anna  "}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(taken)));
    EXPECT_FALSE(window.CreateProfile(taken));
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Anna", L"Zoe"}));
    EXPECT_EQ(CurrentName(), L"Zoe") << "a refused name changes nothing";
  }
}

TEST_F(WindowBasesTest, OverlongNamesAreCutTo254UnitsAndStillBecomeCurrent) {
  GUINewProfileWindowBase window(&profiles_);
  const std::wstring longName(300, L'q');
  ASSERT_TRUE(window.CreateProfile(longName));
  EXPECT_EQ(CurrentName(), std::wstring(254, L'q'));
  // Another overlong name with the same first 254 units is the same stored name.
  EXPECT_FALSE(window.CreateProfile(std::wstring(260, L'Q')));
  EXPECT_EQ(Names().size(), 1u);

  GUIWelcomeWindowBase welcome(&profiles_);
  welcome.CreateProfile(std::wstring(254, L'a') + L"bc");
  EXPECT_EQ(CurrentName(), std::wstring(254, L'a'));
}

TEST_F(WindowBasesTest, RenameKeepsTheNameOnACaseChangeAndRefusesATakenOne) {
  profiles_.SetCurrentProfile(profiles_.AddProfile(L"Anna"), true);
  profiles_.AddProfile(L"Zoe");
  GUIRenameProfileWindowBase window(&profiles_);
  window.ShowWithName(6, true, L"Anna");
  EXPECT_EQ(window.openerId, 6u);

  EXPECT_TRUE(window.RenameProfile(L"ANNA"));
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Anna", L"Zoe"})) << "letter case alone changes nothing";
  EXPECT_FALSE(window.RenameProfile(L"zoe"));
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Anna", L"Zoe"}));

  EXPECT_TRUE(window.RenameProfile(L"Bella"));
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Bella", L"Zoe"}));
  EXPECT_EQ(CurrentName(), L"Bella");

  // Shown again without a name: the old name stays.
  window.ShowWithName(6, false, L"Zoe");
  EXPECT_EQ(window.oldName, L"Anna");
}

TEST_F(WindowBasesTest, DeleteRemovesTheNamedProfile) {
  profiles_.SetCurrentProfile(profiles_.AddProfile(L"Anna"), true);
  profiles_.AddProfile(L"Zoe");
  GUIDeleteProfileWindowBase window(&profiles_);
  window.ShowWithName(2, L"Anna");
  window.DeleteProfile();
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Zoe"}));
  EXPECT_EQ(CurrentName(), L"Zoe");
}

TEST_F(WindowBasesTest, ShowWithDataKeepsTheData) {
  GUIStageCompleteWindowBase stage(nullptr);
  stage.ShowWithLevel(3, LevelPosition{2, 5});
  EXPECT_EQ(stage.openerId, 3u);
  EXPECT_EQ(stage.stage, 2u);
  EXPECT_EQ(stage.level, 5u);

  GUILevelCompleteWindowBase level(nullptr);
  level.ShowWithResult(8, LevelPosition{1, 4}, 93.5f);
  EXPECT_EQ(level.openerId, 8u);
  EXPECT_EQ(level.stage, 1u);
  EXPECT_EQ(level.level, 4u);
  EXPECT_EQ(level.time, 93.5f);

  HighScoresTable table(engine_, 10, Save());
  const HighScoreEntry* entry = table.AddScore(L"Anna", 0, 500);
  GUIHighScoresWindowBase scores(&table);
  scores.ShowWithEntry(11, entry);
  EXPECT_EQ(scores.entry, entry);
  scores.ShowWithEntry(11, nullptr);
  EXPECT_EQ(scores.entry, nullptr);
}

// The options and in-game menu bases over the configuration built with "800x600x32" as its default
// video mode. "g_update_video_mode" belongs to the game object; the test registers it to see it issued.
class SettingsWindowTest : public WindowBasesTest {
 protected:
  SettingsWindowTest() : config_(engine_->GetConfig()), options_(engine_, &audio_, &profiles_) {
    config_->AddVariable("g_update_video_mode", ConfigVariable::kCommand, false, false, nullptr, "", false);
    profiles_.SetCurrentProfile(profiles_.AddProfile(L"Anna"), true);
    options_.AddVideoMode(1024, 768);
    options_.AddVideoMode(800, 600);
    options_.AddVideoMode(800, 600);
    options_.AddVideoMode(640, 480);
  }

  bool UpdateIssued() {
    const bool issued = !config_->GetBool("g_update_video_mode");
    config_->SetBool("g_update_video_mode", true);
    return issued;
  }
  std::filesystem::path Ini() const { return rig_.Folder().Host("Test.ini"); }
  float ProfileSound() const { return profiles_.GetCurrentProfile()->GetSettings().soundVolume; }
  float ProfileMusic() const { return profiles_.GetCurrentProfile()->GetSettings().musicVolume; }

  CorvantisEngine::Config* config_;
  GUIOptionsWindowBase options_;
};

TEST_F(SettingsWindowTest, ModeListIsSortedWithoutDuplicates) {
  std::vector<std::string> labels;
  for (const auto& mode : options_.modes)
    labels.push_back(mode->label);
  EXPECT_EQ(labels, (std::vector<std::string>{"640x480", "800x600", "1024x768"}));
  std::uint32_t index = 9;
  EXPECT_TRUE(options_.FindVideoMode(1024, 768, &index));
  EXPECT_EQ(index, 2u);
  EXPECT_FALSE(options_.FindVideoMode(768, 1024, &index));
  EXPECT_EQ(options_.GetCurrentModeIndex(), 1u);

  GUIOptionsWindowBase empty(engine_, &audio_, &profiles_);
  EXPECT_EQ(empty.GetCurrentModeIndex(), 0u);
}

TEST_F(SettingsWindowTest, ShowTakesModeBitsFullScreenAndVolumes) {
  struct Case {
    const char* mode;
    std::uint32_t index;
    std::uint32_t bits;
  };
  // A mode that is not listed shows the configuration's default mode: the engine's GetString answers
  // the default text ("800x600x32"), not the current value.
  const Case cases[] = {{"1024x768x16", 2, 16}, {"640x480x32", 0, 32}, {"1280x1024x32", 1, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    config_->v_mode = c.mode;
    config_->v_fullscreen = 1;
    audio_.SetSoundVolume(0.4f);
    audio_.SetMusicVolume(0.6f);
    options_.Show(5);
    EXPECT_EQ(options_.openerId, 5u);
    EXPECT_EQ(options_.chosenMode, c.index);
    EXPECT_EQ(options_.bitsPerPixel, c.bits);
    EXPECT_EQ(options_.fullScreen, 1);
    EXPECT_FLOAT_EQ(options_.soundVolume, 0.4f);
    EXPECT_FLOAT_EQ(options_.musicVolume, 0.6f);
  }
}

TEST_F(SettingsWindowTest, ApplyWritesTheChosenModeAndIssuesTheUpdateOnlyOnAChange) {
  config_->v_mode = "1280x1024x32";
  config_->v_fullscreen = 0;
  options_.Show(5);
  UpdateIssued();
  options_.ApplySettings();
  EXPECT_EQ(config_->v_mode, "800x600x32") << "the default mode's entry with the current bits";
  EXPECT_TRUE(UpdateIssued());

  // Unchanged (letter case of the stored text aside): no update, but the ini file and the profile's
  // volumes are still written.
  config_->v_mode = "800X600X32";
  std::filesystem::remove(Ini());
  options_.Show(5);
  audio_.SetSoundVolume(0.125f);
  audio_.SetMusicVolume(0.5f);
  options_.ApplySettings();
  EXPECT_FALSE(UpdateIssued());
  EXPECT_EQ(config_->v_mode, "800X600X32");
  EXPECT_TRUE(std::filesystem::exists(Ini()));
  EXPECT_FLOAT_EQ(ProfileSound(), 0.125f);
  EXPECT_FLOAT_EQ(ProfileMusic(), 0.5f);
  EXPECT_NE(Read("profiles/" + profiles_.GetCurrentProfile()->GetFileName()).find(frameworktest::F32(0.125f)),
            std::string::npos);

  // A new mode and the full-screen flag.
  options_.chosenMode = 2;
  options_.fullScreen = 1;
  options_.ApplySettings();
  EXPECT_EQ(config_->v_mode, "1024x768x32");
  EXPECT_EQ(config_->v_fullscreen, 1);
  EXPECT_TRUE(UpdateIssued());
  options_.ApplySettings();
  EXPECT_FALSE(UpdateIssued());
}

TEST_F(SettingsWindowTest, ApplyWithoutACurrentProfileWritesOnlyTheConfiguration) {
  profiles_.SetCurrentProfile(nullptr, true);
  options_.Show(5);
  options_.chosenMode = 0;
  options_.ApplySettings();
  EXPECT_EQ(config_->v_mode, "640x480x32");
}

TEST_F(SettingsWindowTest, DefaultsAndPreviewPutVolumesAndModeBack) {
  config_->v_mode = "1024x768x16";
  config_->v_fullscreen = 0;
  audio_.SetSoundVolume(0.5f);
  audio_.SetMusicVolume(0.5f);
  options_.Show(5);

  // The sliders preview live; cancelling puts the volumes of Show back.
  audio_.SetSoundVolume(0.9f);
  audio_.SetMusicVolume(0.1f);
  options_.PreviewVolumes();
  EXPECT_FLOAT_EQ(audio_.GetSoundVolume(), 0.5f);
  EXPECT_FLOAT_EQ(audio_.GetMusicVolume(), 0.5f);

  options_.RevertSettings();
  EXPECT_EQ(options_.chosenMode, 1u);
  EXPECT_EQ(options_.bitsPerPixel, 32u);
  EXPECT_EQ(options_.fullScreen, 1);
  EXPECT_FLOAT_EQ(audio_.GetSoundVolume(), audio_.GetConfiguredSoundVolume());
  EXPECT_FLOAT_EQ(audio_.GetMusicVolume(), audio_.GetConfiguredMusicVolume());
  EXPECT_EQ(config_->v_mode, "1024x768x16") << "nothing is written before Apply";
}

TEST_F(SettingsWindowTest, PendingFlagFollowsAModeSwitchMadeElsewhere) {
  GUIGameLogicMenuWindowBase menu(engine_, &audio_, &profiles_);
  config_->v_fullscreen = 0;
  options_.Show(5);
  menu.Show(5);
  options_.fullScreen = 1;
  menu.fullScreen = 1;
  options_.Update();
  menu.Update();
  EXPECT_EQ(options_.fullScreen, 1);
  EXPECT_EQ(menu.fullScreen, 1);
  config_->SetBool("v_window_change_mode", false);
  options_.Update();
  menu.Update();
  EXPECT_EQ(options_.fullScreen, 0);
  EXPECT_EQ(menu.fullScreen, 0);
  config_->SetBool("v_window_change_mode", true);
}

TEST_F(SettingsWindowTest, InGameMenuSwitchesTheWindowModeAndStoresVolumesOnHide) {
  GUIGameLogicMenuWindowBase menu(engine_, &audio_, &profiles_);
  config_->v_fullscreen = 1;
  audio_.SetSoundVolume(0.3f);
  audio_.SetMusicVolume(0.7f);
  menu.Show(14);
  EXPECT_EQ(menu.fullScreen, 1);
  EXPECT_FLOAT_EQ(menu.soundVolume, 0.3f);
  EXPECT_FLOAT_EQ(menu.musicVolume, 0.7f);

  menu.ApplySettings();
  EXPECT_TRUE(config_->GetBool("v_window_change_mode")) << "nothing to switch";
  menu.fullScreen = 0;
  menu.ApplySettings();
  EXPECT_EQ(config_->v_fullscreen, 0);
  EXPECT_FALSE(config_->GetBool("v_window_change_mode"));
  config_->SetBool("v_window_change_mode", true);

  std::filesystem::remove(Ini());
  audio_.SetSoundVolume(0.2f);
  menu.Hide();
  EXPECT_EQ(menu.resultConsumed, 1);
  EXPECT_TRUE(std::filesystem::exists(Ini()));
  EXPECT_FLOAT_EQ(ProfileSound(), 0.2f);
  EXPECT_FLOAT_EQ(ProfileMusic(), 0.7f);
}

}  // namespace
}  // namespace GameFramework
