// The windows over a level in play: the in-game menu's live volumes, slider sound, full-screen box,
// answers and title hand-over (mounts and show offsets by opener), and the pause and confirmation
// windows' answers and title mounts.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "InGameWindowsFixture.h"
#include "engine/config/Config.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUISlider.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"
#include "game/windows/GUIGameLogicDialogWindows.h"
#include "game/windows/GUIGameLogicMenuWindow.h"
#include "platform/headless/HeadlessClock.h"
#include "tools/gui/GUIControl.h"

namespace Puzzle::windowstest {
namespace {

constexpr const char* kMenu = "window_game_logic_menu";

std::string Dialog(const std::string& name) {
  return "<window name=\"" + name +
         "\"><window name=\"window\" size=\"300 200\"><button name=\"button_0\"/><button "
         "name=\"button_1\"/></window><window name=\"title_mount_animated\"/><window "
         "name=\"title_mount_static\"/></window>\n";
}

class GameLogicMenuWindowsTest : public InGameWindowsFixture {
 protected:
  void SetUp() override {
    WriteFonts();
    WriteWindow("faders.xml",
                "<faders><fader name=\"game_logic_window\" show_offset=\"0.5\"/>"
                "<fader name=\"game_logic_control\" show_offset=\"0.75\"/></faders>\n");
    WriteWindow("window_game_logic_menu.xml",
                "<window name=\"window_game_logic_menu\">\n"
                "  <window name=\"window\" fader=\"game_logic_window\" size=\"400 300\">\n"
                "    <scroll name=\"sound\" size=\"200 20\"/>\n"
                "    <scroll name=\"music\" size=\"200 20\"/>\n"
                "    <check_box name=\"fullscreen\"/>\n"
                "    <button name=\"button_0\" fader=\"game_logic_control\"/>\n"
                "    <button name=\"button_1\" fader=\"game_logic_control\"/>\n"
                "    <button name=\"button_2\" fader=\"game_logic_control\"/>\n"
                "  </window>\n"
                "  <window name=\"title_mount_animated\" fader=\"game_logic_window\"/>\n"
                "  <window name=\"title_mount_static\"/>\n"
                "</window>\n");
    for (const char* name : {"window_game_logic_pause", "window_game_logic_restart",
                             "window_game_logic_menu_exit", "window_game_logic_game_exit"}) {
      WriteWindow(std::string(name) + ".xml", Dialog(name));
    }
    MakeServices();
    audio_->AddSound(GUIGameLogicMenuWindow::kVolumeSliderSound, "", true, 1);
    menu_ = std::make_unique<GUIGameLogicMenuWindow>(engine_, audio_.get(), profiles_.get(), gameData_.get(),
                                                     tools_.get(), menus_.get(), nullptr);
  }
  void TearDown() override {
    menu_.reset();
    dialogs_.clear();
  }

  // One frame: the window's update, the menu manager's, and the sound manager's queue.
  template <typename Window>
  std::uint32_t Frame(Window& window) {
    Step({}, [&] {
      window.Update();
      menus_->Update();
    });
    engine_->GetSoundManager()->Update(true);
    return window.result;
  }
  std::uint32_t Click(const std::vector<const char*>& names) {
    for (const char* name : names) {
      menu_->GetButton(std::string(kMenu) + name)->clicked = 1;
    }
    const std::uint32_t answer = Frame(*menu_);
    for (const char* name : names) {
      menu_->GetButton(std::string(kMenu) + name)->clicked = 0;
    }
    return answer;
  }
  void OpenMenu(std::uint32_t opener) {
    menu_->Show(opener);
    Frame(*menu_);
    ASSERT_TRUE(menu_->IsActive());
  }
  CorvantisEngine::GUIScroll* Scroll(const char* name) {
    return menu_->GetScroll(std::string(kMenu) + "/window/" + name);
  }
  bool SliderSoundPlaying() const {
    return audio_->GetSoundState(GUIGameLogicMenuWindow::kVolumeSliderSound) ==
           CorvantisEngine::Sound::kPlaying;
  }

  std::unique_ptr<GUIGameLogicMenuWindow> menu_;
  // Kept to the end: the menu manager keeps every menu window in its list.
  std::vector<std::unique_ptr<GUIMenuWindow>> dialogs_;
};

TEST(GameLogicMenuVolumeTest, AVolumeShowsAsTruncatedThousandths) {
  struct Row {
    float volume;
    std::uint32_t position;
  };
  for (const Row& row : {Row{1.0f, 1000}, Row{0.0f, 0}, Row{0.3149f, 314}, Row{0.315f, 315}, Row{0.5f, 500},
                         Row{1.5f, 1000}, Row{-0.25f, 0}}) {
    EXPECT_EQ(GUIGameLogicMenuWindow::VolumeToPosition(row.volume), row.position) << row.volume;
  }
}

TEST_F(GameLogicMenuWindowsTest, TheScrollsShowAndSetTheVolumesLive) {
  audio_->SetSoundVolume(0.3149f);
  audio_->SetMusicVolume(1.0f);
  OpenMenu(17);
  EXPECT_EQ(Scroll("sound")->GetPosition(), 314u);
  EXPECT_EQ(Scroll("music")->GetPosition(), 1000u);
  EXPECT_EQ(Scroll("sound")->count, 1001u);
  EXPECT_EQ(Scroll("sound")->step, 30u) << "an arrow moves 0.03 of volume";
  EXPECT_FLOAT_EQ(audio_->GetSoundVolume(), 0.3149f) << "a change below 0.001 is not passed on";

  Scroll("sound")->SetPosition(0);
  Scroll("music")->SetPosition(250);
  Frame(*menu_);
  EXPECT_FLOAT_EQ(audio_->GetSoundVolume(), 0.0f);
  EXPECT_FLOAT_EQ(audio_->GetMusicVolume(), 0.25f);
  Scroll("sound")->SetPosition(1000);
  Frame(*menu_);
  EXPECT_FLOAT_EQ(audio_->GetSoundVolume(), 1.0f);

  menu_->result = GUIGameLogicMenuWindow::kAnswerResume;
  menu_->Hide();
  EXPECT_FLOAT_EQ(CurrentProfile().GetSettings().soundVolume, 1.0f) << "hiding stores the volumes";
  EXPECT_FLOAT_EQ(CurrentProfile().GetSettings().musicVolume, 0.25f);
}

TEST_F(GameLogicMenuWindowsTest, DraggingTheSoundThumbPlaysTheSliderSoundUntilReleased) {
  // A sound is not started twice within 0.02 s of the clock: play from one second on.
  platform::headless::SetClockNanoseconds(1000000000);
  engine_->GetTimerManager()->Update();
  engine_->GetTimerManager()->delta = 0.0f;
  OpenMenu(17);
  Scroll("music")->thumb->pressedFlag = 1;
  Frame(*menu_);
  EXPECT_FALSE(SliderSoundPlaying()) << "the music scroll plays no sound";
  Scroll("music")->thumb->pressedFlag = 0;

  Scroll("sound")->thumb->pressedFlag = 1;
  Frame(*menu_);
  EXPECT_TRUE(SliderSoundPlaying());
  Frame(*menu_);
  EXPECT_TRUE(SliderSoundPlaying());
  Scroll("sound")->thumb->pressedFlag = 0;
  Frame(*menu_);
  EXPECT_FALSE(SliderSoundPlaying());
}

TEST_F(GameLogicMenuWindowsTest, ButtonsAnswerAndTheLastTestedWins) {
  OpenMenu(17);
  EXPECT_EQ(Click({"/window/button_0"}), 18u);
  EXPECT_EQ(Click({"/window/button_1"}), 17u);
  EXPECT_EQ(Click({"/window/button_2"}), 19u);
  EXPECT_EQ(Click({"/window/button_0", "/window/button_1"}), 17u);
  EXPECT_EQ(Click({"/window/button_0", "/window/button_1", "/window/button_2"}), 19u);
  EXPECT_EQ(Click({}), 0u);
}

TEST_F(GameLogicMenuWindowsTest, TheFullScreenBoxSwitchesOnlyWhenItDiffers) {
  OpenMenu(17);
  CorvantisEngine::GUICheckBox* box = menu_->GetCheckBox(std::string(kMenu) + "/window/fullscreen");
  CorvantisEngine::Config* config = engine_->GetConfig();
  EXPECT_EQ(box->checked, 0);

  box->clicked = 1;
  Frame(*menu_);
  box->clicked = 0;
  EXPECT_TRUE(config->GetBool("v_window_change_mode")) << "same state: nothing issued";

  box->checked = 1;
  box->clicked = 1;
  Frame(*menu_);
  box->clicked = 0;
  EXPECT_EQ(config->v_fullscreen, 1);
  EXPECT_FALSE(config->GetBool("v_window_change_mode"));
  EXPECT_NE(rig_.Folder().Read("Test.ini").find("v_fullscreen 1"), std::string::npos);
}

TEST_F(GameLogicMenuWindowsTest, TheOpenerDecidesTheTitleMountAndTheShowOffsets) {
  struct Row {
    std::uint32_t opener;
    bool animated;
    float windowOffset;
    float controlOffset;
  };
  for (const Row& row :
       {Row{17, true, 0.5f, 0.75f}, Row{16, false, 0.0f, 0.25f}, Row{17, true, 0.5f, 0.75f}}) {
    menu_->Show(row.opener);
    EXPECT_EQ(menu_->IsControlEnabled(std::string(kMenu) + "/title_mount_animated"), row.animated)
        << row.opener;
    EXPECT_EQ(menu_->IsControlEnabled(std::string(kMenu) + "/title_mount_static"), !row.animated)
        << row.opener;
    EXPECT_FLOAT_EQ(menu_->GetControl(std::string(kMenu) + "/window")->showOffset, row.windowOffset);
    EXPECT_FLOAT_EQ(menu_->GetControl(std::string(kMenu) + "/title_mount_animated")->showOffset,
                    row.windowOffset);
    EXPECT_FLOAT_EQ(menu_->GetControl(std::string(kMenu) + "/window/button_2")->showOffset,
                    row.controlOffset);
    menu_->Hide();
  }
}

TEST_F(GameLogicMenuWindowsTest, LeavingForPlayUsesTheAnimatedMountAndForAConfirmationTheStaticOne) {
  for (std::uint32_t answer : {19u, 17u, 18u}) {
    OpenMenu(17);
    menu_->result = answer;
    menu_->Hide();
    EXPECT_EQ(menu_->IsControlEnabled(std::string(kMenu) + "/title_mount_animated"), answer == 19) << answer;
    EXPECT_EQ(menu_->IsControlEnabled(std::string(kMenu) + "/title_mount_static"), answer != 19) << answer;
    for (int i = 0; i < 3; ++i) {
      Frame(*menu_);
    }
  }
}

TEST_F(GameLogicMenuWindowsTest, DialogsAnswerTheirButtonsOnlyWhileActiveAndBackWins) {
  struct Row {
    const char* name;
    std::function<GUIMenuWindow*()> make;
    std::uint32_t confirm;  // 0: the window has no confirm button
    std::uint32_t back;
    bool staticMount;
  };
  auto* engine = engine_;
  const Row rows[] = {
      {"window_game_logic_pause",
       [&] {
         return new GUIGameLogicPauseWindow(engine, audio_.get(), gameData_.get(), tools_.get(), menus_.get(),
                                            nullptr);
       },
       0, 19, false},
      {"window_game_logic_restart",
       [&] {
         return new GUIGameLogicRestartWindow(engine, audio_.get(), gameData_.get(), tools_.get(),
                                              menus_.get(), nullptr);
       },
       13, 16, true},
      {"window_game_logic_menu_exit",
       [&] {
         return new GUIGameLogicMenuExitWindow(engine, audio_.get(), gameData_.get(), tools_.get(),
                                               menus_.get(), nullptr);
       },
       3, 16, true},
      {"window_game_logic_game_exit",
       [&] {
         return new GUIGameLogicGameExitWindow(engine, audio_.get(), gameData_.get(), tools_.get(),
                                               menus_.get(), nullptr);
       },
       23, 19, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    dialogs_.emplace_back(row.make());
    GUIMenuWindow* dialog = dialogs_.back().get();
    auto* protocol = dynamic_cast<GameFramework::GUIFrameworkWindow*>(dialog);
    ASSERT_NE(protocol, nullptr);
    const std::string name = row.name;
    CorvantisEngine::GUIButton* back = dialog->GetButton(name + "/window/button_0");
    CorvantisEngine::GUIButton* confirm = dialog->GetButton(name + "/window/button_1");

    // Waiting for the lock, the window answers nothing.
    menus_->Acquire(nullptr);
    protocol->Show(5);
    back->clicked = 1;
    EXPECT_EQ(Frame(*protocol), 0u);
    EXPECT_FALSE(dialog->IsActive());
    menus_->Release();
    back->clicked = 0;
    Frame(*protocol);
    ASSERT_TRUE(dialog->IsActive());
    if (row.staticMount) {
      EXPECT_TRUE(dialog->IsControlEnabled(name + "/title_mount_static")) << "shown with the static mount";
    }

    confirm->clicked = 1;
    EXPECT_EQ(Frame(*protocol), row.confirm);
    back->clicked = 1;
    EXPECT_EQ(Frame(*protocol), row.back) << "back is tested last";
    confirm->clicked = 0;
    EXPECT_EQ(Frame(*protocol), row.back);
    back->clicked = 0;
    EXPECT_EQ(Frame(*protocol), 0u);

    if (row.staticMount) {
      protocol->result = row.confirm;
      protocol->Hide();
      EXPECT_FALSE(dialog->IsControlEnabled(name + "/title_mount_static")) << "leaving for play or the menu";
      protocol->Show(5);
      protocol->result = row.back;
      protocol->Hide();
      EXPECT_TRUE(dialog->IsControlEnabled(name + "/title_mount_static")) << "back to the in-game menu";
    } else {
      protocol->Hide();
    }
    for (int i = 0; i < 3; ++i) {
      Frame(*protocol);
    }
  }
}

}  // namespace
}  // namespace Puzzle::windowstest
