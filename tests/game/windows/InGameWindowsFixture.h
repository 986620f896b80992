#pragma once
// What the tests of the in-game windows (HUD, start-game window, in-game menus) share: a headless
// engine over a fresh folder with a save folder, the game's resource keeper, the GUI tools (a font
// "console" and a font "fixed"), the audio manager, a profile manager with one current profile and the
// menu-window manager. Window descriptions are written by each test before the tools are made. Key
// presses go through the headless input back end, one frame at a time.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/input/Controls.h"
#include "engine/resources/ShaderManager.h"
#include "framework/AudioManager.h"
#include "game/GameData.h"
#include "game/Profile.h"
#include "game/windows/GUIMenuWindowManager.h"
#include "platform/dinput/DInput.h"
#include "platform/headless/HeadlessInput.h"
#include "tests/framework/FrameworkTestSupport.h"
#include "tools/fontbaker/FontFileWriter.h"
#include "tools/gui/GUIToolManager.h"

namespace Puzzle::windowstest {

class InGameWindowsFixture : public GameFramework::frameworktest::SaveFolderTest {
 protected:
  ~InGameWindowsFixture() override {
    menus_.reset();
    profiles_.reset();
    audio_.reset();
    tools_.reset();
    gameData_.reset();
  }

  void WriteWindow(const std::string& file, const std::string& xml) {
    rig_.Write("data/ui/windows/" + file, xml);
  }

  // Fonts of those names (every printable character half the size of 10 wide).
  void WriteFonts(const std::vector<const char*>& names = {"console", "fixed"}) {
    std::vector<fontbaker::FontGlyphRecord> glyphs;
    float u = 0.0f;
    for (wchar_t c = 32; c < 127; ++c) {
      glyphs.push_back({static_cast<std::uint16_t>(c), u, 0.0f, 0.01f, 0.5f, 0.5f});
      u += 0.01f;
    }
    const std::vector<std::uint8_t> bytes = fontbaker::BuildFontFile(glyphs);
    const std::string file(bytes.begin(), bytes.end());
    rig_.Write("data/ui/fonts/fixed.fnt", file);
    std::string list = "<fonts>";
    for (const char* name : names) {
      list +=
          std::string("<font name=\"") + name +
          "\" size=\"10\"><description_file_path path=\"ui\\fonts\\fixed.fnt\"/>"
          "<diffuse_image_path path=\"ui\\fonts\\fixed.tga\"/><opacity_image_path path=\"32bit\"/></font>";
    }
    rig_.Write("data/ui/fonts/fonts_basic.xml", list + "</fonts>\n");
    rig_.Write("data/ui/texts/texts.xml", "<texts/>\n");
    rig_.Write("data/ui/texts/default_texts.xml", "<texts/>\n");
  }

  // Makes the services; the window files must be written by then.
  void MakeServices() {
    engine_->GetGUIManager()->SetScreenSize(800.0f, 600.0f);
    engine_->GetTimerManager()->delta = 0.0f;
    gameData_ = std::make_unique<GameData>(engine_, "en");
    tools_ = std::make_unique<GUITools::GUIToolManager>(engine_, "en");
    audio_ = std::make_unique<GameFramework::AudioManager>(engine_);
    profiles_ = std::make_unique<ProfileManager>(engine_, audio_.get(), Save());
    profiles_->SetCurrentProfile(profiles_->AddProfile(L"Anna"), true);
    menus_ = std::make_unique<GUIMenuWindowManager>(gameData_.get());
  }
  Profile& CurrentProfile() { return *profiles_->GetCurrent(); }

  // A one-stage texture shader under "ui/" + name in the keeper.
  CorvantisEngine::ShaderUser* AddShader(const std::string& name, std::uint32_t frames = 1) {
    const CorvantisEngine::ShaderDescriptor descriptor =
        CorvantisEngine::CreateAnimatedTextureShader(frames, 1, "ui\\" + name + ".tga", "32bit", false);
    CorvantisEngine::ShaderUser* user = engine_->GetShaderManager()->GetShader(descriptor);
    gameData_->AddShaderUser("ui/" + name, user);
    return user;
  }

  // Input of one frame: the keys (DIK codes) and, with `mouse`, the left button go down before the
  // controls read them; Step runs the body between the engine's input read and its frame end, then lets
  // them go.
  template <typename Body>
  void Step(const std::vector<BYTE>& keys, Body body, bool mouse = false) {
    for (BYTE key : keys) {
      platform::headless::PushKey(key, true);
    }
    if (mouse) {
      platform::headless::PushMouseButton(0, true);
    }
    engine_->GetControls()->Update();
    body();
    engine_->GetControls()->EndFrame();
    for (BYTE key : keys) {
      platform::headless::PushKey(key, false);
    }
    if (mouse) {
      platform::headless::PushMouseButton(0, false);
    }
    engine_->GetControls()->Update();
    engine_->GetControls()->EndFrame();
  }

  std::unique_ptr<GameData> gameData_;
  std::unique_ptr<GUITools::GUIToolManager> tools_;
  std::unique_ptr<GameFramework::AudioManager> audio_;
  std::unique_ptr<ProfileManager> profiles_;
  std::unique_ptr<GUIMenuWindowManager> menus_;
};

}  // namespace Puzzle::windowstest
