#pragma once
// A headless engine with what the menu windows are built from: the GUI tool manager, the game data, an
// audio manager with the window and slider sounds (empty sounds, so each start can be seen), the
// menu-window manager and a shown menu container. Window files, fonts and texts are written by the test
// before Start. Frame runs the game's window update order on a clock the test steps.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/Engine.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/input/Controls.h"
#include "framework/AudioManager.h"
#include "framework/GUIFrameworkWindow.h"
#include "game/GameData.h"
#include "game/Profile.h"
#include "game/windows/GUIMenuWindow.h"
#include "game/windows/GUIMenuWindowManager.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessInput.h"
#include "tests/support/EngineRig.h"
#include "tools/fontbaker/FontFileWriter.h"
#include "tools/gui/GUIToolManager.h"
#include "tools/gui/GUIWindowControl.h"

namespace Puzzle::windowstest {

using namespace CorvantisEngine;

// The sounds the menu windows play, as the game registers them.
constexpr std::uint32_t kSliderSound = 0;
constexpr std::uint32_t kAppear = GUIMenuWindow::kAppearSound;
constexpr std::uint32_t kDisappear = GUIMenuWindow::kDisappearSound;

class MenuWindowFixture : public testing::Test {
 protected:
  MenuWindowFixture() { Reset(); }
  ~MenuWindowFixture() override {
    Shutdown();
    rig_.reset();
    platform::headless::ResetAudio();
  }

  // Everything torn down and a fresh, empty test folder (for tables whose rows need their own files).
  void Reset() {
    Shutdown();
    rig_.reset();
    platform::headless::ResetAudio();
    rig_ = std::make_unique<testsupport::EngineRig>();
    ::setenv("XDG_DATA_HOME", rig_->Folder().Root().c_str(), 1);
  }
  void Shutdown() {
    // Windows first: the container is their parent, the manager lists them.
    framework_.clear();
    windows_.clear();
    if (container_ != nullptr) {
      engine_->GetGUIManager()->DestroyWindow(container_);
      container_ = nullptr;
    }
    manager_.reset();
    profiles_.reset();
    audio_.reset();
    data_.reset();
    tools_.reset();
  }

  void WriteFile(const std::string& relative, const std::string& bytes) { rig_->Write(relative, bytes); }
  void WriteWindow(const std::string& file, const std::string& text) {
    rig_->Write("data/ui/windows/" + file, text);
  }
  // Fonts "fixed" and the main-menu and list fonts (every printable ASCII character half the size wide),
  // and a few texts.
  void WriteFonts() {
    std::vector<fontbaker::FontGlyphRecord> glyphs;
    float u = 0.0f;
    for (wchar_t c = 32; c < 127; ++c) {
      glyphs.push_back({static_cast<std::uint16_t>(c), u, 0.0f, 0.01f, 0.5f, 0.5f});
      u += 0.01f;
    }
    const std::vector<std::uint8_t> font = fontbaker::BuildFontFile(glyphs);
    rig_->Write("data/ui/fonts/fixed.fnt", std::string(font.begin(), font.end()));
    std::string fonts = "<fonts>";
    for (const char* name :
         {"fixed", "main_menu_0", "main_menu_1", "main_menu_2", "common_0", "common_1", "common_2"}) {
      fonts += std::string("<font name=\"") + name +
               "\" size=\"10\"><description_file_path path=\"ui\\fonts\\fixed.fnt\"/>"
               "<diffuse_image_path path=\"ui\\fonts\\fixed.tga\"/><opacity_image_path path=\"32bit\"/>"
               "</font>";
    }
    fonts += "</fonts>\n";
    rig_->Write("data/ui/fonts/fonts_basic.xml", fonts);
    rig_->Write("data/ui/texts/texts.xml",
                "<texts>\n"
                "  <common><exit><en text=\"Exit\"/></exit><cancel><en text=\"Cancel\"/></cancel></common>\n"
                "  <title><en text=\"Hello %PROFILE_NAME%\"/></title>\n"
                "</texts>\n");
    rig_->Write("data/ui/texts/default_texts.xml", "<texts/>\n");
  }

  void Start() {
    engine_ = &rig_->Start();
    engine_->GetGUIManager()->SetScreenSize(800.0f, 600.0f);
    platform::headless::SetClockMilliseconds(1000);
    engine_->GetTimerManager()->Update();
    tools_ = std::make_unique<GUITools::GUIToolManager>(engine_, "en");
    data_ = std::make_unique<GameData>(engine_, "en");
    audio_ = std::make_unique<GameFramework::AudioManager>(engine_, 0.285f, 0.315f);
    audio_->AddSound(kSliderSound, "", true, 1);
    audio_->AddSound(kAppear, "", false, 1);
    audio_->AddSound(kDisappear, "", false, 1);
    manager_ = std::make_unique<GUIMenuWindowManager>(data_.get());
    container_ = engine_->GetGUIManager()->CreateModelWindow(kGUIShown, {0, 0}, {0, 0}, nullptr, nullptr);
  }

  // The game's profile manager over the test's save folder, made on first use (after Start).
  ProfileManager* Profiles() {
    if (!profiles_) {
      profiles_ = std::make_unique<ProfileManager>(engine_, audio_.get(), rig_->Folder().Win("save"));
    }
    return profiles_.get();
  }

  // Builds a window; the fixture keeps it and runs its Update in Frame when it is a framework window.
  template <typename T, typename... Args>
  T* Make(Args&&... args) {
    auto window = std::make_unique<T>(std::forward<Args>(args)...);
    T* raw = window.get();
    if constexpr (std::is_base_of_v<GameFramework::GUIFrameworkWindow, T>) {
      framework_.push_back(raw);
    }
    windows_.push_back(std::move(window));
    return raw;
  }
  // A bare menu window of that name.
  GUIMenuWindow* MakeMenu(const std::string& name) {
    return Make<GUIMenuWindow>(engine_, audio_.get(), data_.get(), tools_.get(), manager_.get(), container_,
                               name);
  }

  // One frame of `milliseconds`: the frame delta, then the game's window update order. Returns the
  // window sounds started in it.
  std::vector<std::uint32_t> Frame(std::uint64_t milliseconds = 50) {
    platform::headless::StepClockMilliseconds(milliseconds);
    engine_->GetTimerManager()->Update();
    const std::map<std::uint32_t, float> before = Starts();
    manager_->BeginUpdate();
    for (GameFramework::GUIFrameworkWindow* window : framework_) {
      window->Update();
    }
    manager_->Update();
    // Clicks last one frame, as the engine's buttons report them.
    for (Button* button : clicked_) {
      button->clicked = 0;
    }
    clicked_.clear();
    engine_->GetControls()->EndFrame();
    std::vector<std::uint32_t> started;
    for (const auto& [id, start] : Starts()) {
      if (start != before.at(id)) {
        started.push_back(id);
      }
    }
    return started;
  }
  // Frames until the condition holds (at most `limit`); the number of frames run.
  template <typename Condition>
  int FramesUntil(Condition done, int limit = 200) {
    int n = 0;
    while (!done() && n < limit) {
      Frame();
      ++n;
    }
    return n;
  }

  // The engine button reports a click in the next frame.
  using Button = CorvantisEngine::GUIButton;
  void Click(Button* button) {
    ASSERT_NE(button, nullptr);
    button->clicked = 1;
    clicked_.push_back(button);
  }
  // ENTER went down since the last frame: the controls read it now; the next frame's end clears it.
  void PressEnter() {
    platform::headless::PushKey(0x1C, true);
    engine_->GetControls()->Update();
    platform::headless::PushKey(0x1C, false);
  }

  static bool OnScreen(const GUITools::GUIWindowBase* window) { return window->GetContainer()->visible != 0; }

  std::map<std::uint32_t, float> Starts() const {
    std::map<std::uint32_t, float> out;
    for (const auto& voice : audio_->GetVoices()) {
      out[voice->soundId] = voice->lastStart;
    }
    return out;
  }

  std::unique_ptr<testsupport::EngineRig> rig_;
  Engine* engine_ = nullptr;
  std::unique_ptr<GUITools::GUIToolManager> tools_;
  std::unique_ptr<GameData> data_;
  std::unique_ptr<GameFramework::AudioManager> audio_;
  std::unique_ptr<GUIMenuWindowManager> manager_;
  std::unique_ptr<ProfileManager> profiles_;
  GUIWindow* container_ = nullptr;
  std::vector<std::unique_ptr<GUITools::GUIWindowBase>> windows_;
  std::vector<GameFramework::GUIFrameworkWindow*> framework_;
  std::vector<Button*> clicked_;
};

}  // namespace Puzzle::windowstest
