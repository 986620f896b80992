// The options window: volumes to scroll positions, live volumes (small moves ignored), the looping
// slider sound while dragging, video-mode stepping without wrap-around, OK (settings applied, the mode
// change issued), defaults (window stays open), cancel (volumes of the show restored), and a window-mode
// switch made elsewhere showing in the full-screen box.
#include <gtest/gtest.h>

#include <string>

#include "MenuWindowFixture.h"
#include "WindowFiles.h"
#include "engine/config/Config.h"
#include "engine/gui/GUISlider.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"
#include "framework/ProfileBase.h"
#include "game/windows/GUIOptionsWindow.h"
#include "tools/gui/GUITextControl.h"

namespace Puzzle::windowstest {
namespace {

class OptionsWindowTest : public MenuWindowFixture {
 protected:
  void SetUp() override {
    WriteFonts();
    const std::string scroll = " size=\"200 20\" toddler_size=\"10 10\" toddler_max_position=\"190 0\"";
    WriteWindow("options.xml",
                Window("window_options",
                       "<scroll name=\"sound\"" + scroll + "/><scroll name=\"music\"" + scroll + "/>" +
                           CheckBox("fullscreen") + "<window name=\"video_mode\">" + Text("text", "'?'") +
                           "</window>" + ButtonXml("decrease_video_mode") + ButtonXml("increase_video_mode") +
                           ButtonXml("button_0") + ButtonXml("button_1") + ButtonXml("button_2")));
    Start();
    Profiles()->SetCurrentProfile(Profiles()->AddProfile(L"Anna"), false);
    options_ = Make<GUIOptionsWindow>(engine_, audio_.get(), data_.get(), tools_.get(), manager_.get(),
                                      container_, Profiles());
    sound_ = options_->GetScroll("window_options/window/sound");
    music_ = options_->GetScroll("window_options/window/music");
    box_ = options_->GetCheckBox("window_options/window/fullscreen");
  }
  void Open() {
    options_->Show(6);
    Frame();
    ASSERT_TRUE(options_->IsActive());
    Frame();
  }
  // A frame, then the sound manager runs the queued sound requests.
  void SoundFrame() {
    Frame();
    engine_->GetSoundManager()->Update(true);
  }
  Button* ButtonOf(const std::string& name) { return options_->GetButton("window_options/window/" + name); }
  std::wstring ModeLabel() { return options_->GetTextControl("window_options/window/video_mode/text")->text; }
  Config* GetConfig() { return engine_->GetConfig(); }

  GUIOptionsWindow* options_ = nullptr;
  GUIScroll* sound_ = nullptr;
  GUIScroll* music_ = nullptr;
  GUICheckBox* box_ = nullptr;
};

TEST_F(OptionsWindowTest, VolumesMapToScrollPositionsTruncated) {
  const struct {
    float volume;
    std::uint32_t position;
  } rows[] = {{0.0f, 0},   {0.315f, 315}, {0.3149f, 314}, {0.0019f, 1},
              {0.5f, 500}, {1.0f, 1000},  {1.5f, 1000},   {-0.2f, 0}};
  for (const auto& row : rows) {
    EXPECT_EQ(GUIOptionsWindow::VolumeToPosition(row.volume), row.position) << row.volume;
  }
  EXPECT_EQ(sound_->count, 1001u);
  EXPECT_EQ(music_->count, 1001u);
  EXPECT_EQ(sound_->step, 30u);
  EXPECT_EQ(options_->modes.size(), 3u);

  audio_->SetSoundVolume(0.315f);
  audio_->SetMusicVolume(0.75f);
  Open();
  EXPECT_EQ(sound_->GetPosition(), 315u);
  EXPECT_EQ(music_->GetPosition(), 750u);
  EXPECT_FLOAT_EQ(audio_->GetSoundVolume(), 0.315f) << "opening moves no volume";
}

TEST_F(OptionsWindowTest, ScrollsSetTheVolumesAtOnceAndCancelBringsThemBack) {
  audio_->SetSoundVolume(0.5f);
  audio_->SetMusicVolume(0.25f);
  Open();
  sound_->SetPosition(800);
  music_->SetPosition(100);
  Frame();
  EXPECT_FLOAT_EQ(audio_->GetSoundVolume(), 0.8f);
  EXPECT_FLOAT_EQ(audio_->GetMusicVolume(), 0.1f);

  audio_->SetSoundVolume(0.8004f);  // within the scroll's rounding
  Frame();
  EXPECT_FLOAT_EQ(audio_->GetSoundVolume(), 0.8004f) << "small differences leave the volume alone";

  Click(ButtonOf("button_0"));
  Frame();
  EXPECT_EQ(options_->result, 3u);
  EXPECT_FLOAT_EQ(audio_->GetSoundVolume(), 0.5f);
  EXPECT_FLOAT_EQ(audio_->GetMusicVolume(), 0.25f);
}

TEST_F(OptionsWindowTest, DraggingTheSoundScrollPlaysTheSliderLoop) {
  Open();
  ASSERT_NE(sound_->thumb, nullptr);
  SoundFrame();
  EXPECT_EQ(audio_->GetSoundState(kSliderSound), Sound::kStopped);
  sound_->thumb->pressedFlag = 1;
  SoundFrame();
  EXPECT_EQ(audio_->GetSoundState(kSliderSound), Sound::kPlaying);
  SoundFrame();
  EXPECT_EQ(audio_->GetSoundState(kSliderSound), Sound::kPlaying);
  sound_->thumb->pressedFlag = 0;
  SoundFrame();
  EXPECT_EQ(audio_->GetSoundState(kSliderSound), Sound::kStopped);
  ASSERT_NE(music_->thumb, nullptr);
  music_->thumb->pressedFlag = 1;
  SoundFrame();
  EXPECT_EQ(audio_->GetSoundState(kSliderSound), Sound::kStopped) << "only the sound scroll plays it";
}

TEST_F(OptionsWindowTest, ModesStepWithoutWrappingAndOkAppliesThem) {
  ASSERT_EQ(GetConfig()->v_mode, "800x600x32");
  GetConfig()->v_fullscreen = 0;
  Open();
  EXPECT_EQ(ModeLabel(), L"800x600") << "the mode's own label, not a text key";
  EXPECT_EQ(box_->checked, 0);
  const struct {
    const char* button;
    const wchar_t* label;
  } steps[] = {{"decrease_video_mode", L"640x480"},
               {"decrease_video_mode", L"640x480"},
               {"increase_video_mode", L"800x600"},
               {"increase_video_mode", L"1024x768"},
               {"increase_video_mode", L"1024x768"}};
  for (const auto& step : steps) {
    Click(ButtonOf(step.button));
    Frame();
    EXPECT_EQ(ModeLabel(), step.label);
    EXPECT_EQ(options_->result, 0u);
  }
  EXPECT_EQ(GetConfig()->v_mode, "800x600x32") << "nothing applied before OK";

  box_->checked = 1;
  sound_->SetPosition(600);
  Frame();
  GetConfig()->SetBool("g_update_video_mode", true);
  Click(ButtonOf("button_2"));
  Frame();
  EXPECT_EQ(options_->result, 3u);
  EXPECT_EQ(GetConfig()->v_mode, "1024x768x32");
  EXPECT_EQ(GetConfig()->v_fullscreen, 1);
  EXPECT_FALSE(GetConfig()->GetBool("g_update_video_mode")) << "the mode change is issued";
  EXPECT_FLOAT_EQ(Profiles()->GetCurrentProfile()->GetSettings().soundVolume, 0.6f) << "kept by the player";
}

TEST_F(OptionsWindowTest, DefaultsKeepTheWindowOpenAndTickFullScreen) {
  GetConfig()->v_fullscreen = 0;
  audio_->SetSoundVolume(0.9f);
  audio_->SetMusicVolume(0.9f);
  Open();
  Click(ButtonOf("decrease_video_mode"));
  Frame();
  Click(ButtonOf("button_1"));
  Frame();
  EXPECT_EQ(options_->result, 0u);
  EXPECT_EQ(box_->checked, 1);
  EXPECT_EQ(ModeLabel(), L"800x600") << "the configured mode";
  EXPECT_FLOAT_EQ(audio_->GetSoundVolume(), audio_->GetConfiguredSoundVolume());
  EXPECT_EQ(sound_->GetPosition(), GUIOptionsWindow::VolumeToPosition(audio_->GetConfiguredSoundVolume()));
  EXPECT_EQ(music_->GetPosition(), GUIOptionsWindow::VolumeToPosition(audio_->GetConfiguredMusicVolume()));
  EXPECT_TRUE(options_->IsActive());
}

TEST_F(OptionsWindowTest, AWindowModeSwitchElsewhereShowsInTheBox) {
  GetConfig()->v_fullscreen = 0;
  Open();
  options_->Hide();
  Frame();
  GetConfig()->v_fullscreen = 1;
  GetConfig()->SetBool("v_window_change_mode", false);
  Frame();
  EXPECT_EQ(box_->checked, 1) << "while the window is closed too";
  GetConfig()->SetBool("v_window_change_mode", true);
}

}  // namespace
}  // namespace Puzzle::windowstest
