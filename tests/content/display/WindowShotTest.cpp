// Every window the game builds by name, drawn from the packed data as a player sees it, at 1024 x 768
// and at 800 x 600: the menu windows over the menu background, the play screen's windows over an empty
// screen. Each screen is written to window_shots/<mode>/<window>.tga beside the test program, and each
// dialog's panel must be on screen where its description puts it.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIEditBox.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem.h"
#include "engine/resources/ShaderDescriptor.h"
#include "tests/content/WindowNames.h"
#include "tests/content/WindowSamples.h"
#include "tests/support/PixelProbe.h"
#include "tests/support/TempFolder.h"
#include "tools/game/DataKeeper.h"
#include "tools/gui/GUIBackgroundBase.h"
#include "tools/gui/GUIEditBoxControl.h"
#include "tools/gui/GUIFontTool.h"
#include "tools/gui/GUIToolManager.h"
#include "tools/gui/GUIWindowBase.h"
#include "tools/gui/GUIWindowControl.h"

namespace {

using namespace CorvantisEngine;

const std::string kBinFolder = BRINDLEWICK_BIN_FOLDER;

// A 24-bit TGA of the screen (rows bottom-up, as the image holds them).
void WriteTga(const std::string& path, const Image& image) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  const std::uint32_t w = image.GetWidth();
  const std::uint32_t h = image.GetHeight();
  const std::uint8_t header[18] = {0,
                                   0,
                                   2,
                                   0,
                                   0,
                                   0,
                                   0,
                                   0,
                                   0,
                                   0,
                                   0,
                                   0,
                                   static_cast<std::uint8_t>(w & 255),
                                   static_cast<std::uint8_t>(w >> 8),
                                   static_cast<std::uint8_t>(h & 255),
                                   static_cast<std::uint8_t>(h >> 8),
                                   24,
                                   0};
  std::fwrite(header, 1, sizeof(header), file);
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(w) * h * 3);
  const std::uint8_t* rgb = image.GetPixels();
  for (std::size_t i = 0; i < bgr.size(); i += 3) {
    bgr[i] = rgb[i + 2];
    bgr[i + 1] = rgb[i + 1];
    bgr[i + 2] = rgb[i];
  }
  std::fwrite(bgr.data(), 1, bgr.size(), file);
  std::fclose(file);
}

class WindowShotTest : public testing::Test {
 protected:
  // Starts the engine in a video mode ("1024x768"); the shots go to window_shots/<mode>/.
  void Start(const std::string& mode) {
    EngineStartParameters parameters = testsupport::DisplayParameters(folder_.Root().string(), "WindowShots");
    parameters.dataFolder = kBinFolder;
    parameters.defaultVideoMode = mode + "x32";
    engine_ = std::make_unique<Engine>(parameters);
    engine_->GetGUIManager()->SetScreenSize(800, 600);
    keeper_ = std::make_unique<GameTools::DataKeeper>(engine_.get(), "en", false);
    for (const char* list : {"data\\ui\\background\\resources_basic.xml", "data\\ui\\resources_basic.xml",
                             "data\\ui\\background\\resources_additional.xml",
                             "data\\game_objects\\resources.xml", "data\\ui\\resources_additional.xml"}) {
      keeper_->LoadResources(list, true);
    }
    tools_ = std::make_unique<GUITools::GUIToolManager>(engine_.get(), "en");
    tools_->GetFontTool()->LoadAdditionalFonts();
    background_ = std::make_unique<GUITools::GUIBackgroundBase>(engine_.get(), keeper_.get(), nullptr,
                                                                "data\\ui\\background\\background.xml");
    background_->LoadBasicLayers();
    background_->LoadAdditionalLayers();
    GUIWindow* menus = background_->GetMenuContainer();
    menus->SetLayer(menus->layer + 20);
    shots_ = kBinFolder + "/../tests/window_shots/" + mode;
    widestName_ = datacheck::WidestName(
        GUITools::GUIWindowBase(engine_.get(), keeper_.get(), tools_.get(), nullptr, "window_welcome"));
    std::filesystem::create_directories(shots_);
  }
  void TearDown() override {
    background_.reset();
    tools_.reset();
    keeper_.reset();
    engine_.reset();
  }

  struct Shot {
    Image image;
    bool hasPanel = false;
    Vector2 panelAt;  // absolute, GUI units
    Vector2 panelSize;
  };

  // Frames of 0.1 s before the shot: enough for every show animation, also of the windows that wait
  // a moment before they come (the level-complete window lets the finished picture be seen first).
  static constexpr int kFrames = 24;

  // What the game and the player put into the windows besides texts: the publishers' small marks, a
  // typed name, and on the start-game window the previews, a new player's free first entries and one
  // locked entry's price.
  void DressAsTheGame(GUITools::GUIWindowBase& window) {
    const std::string& name = window.GetName();
    for (const char* n : {"0", "1"}) {
      const std::string logo = name + "/logo_additional_" + n;
      if (window.HasWindowControl(logo)) {
        const std::string base = std::string("ui\\textures\\publishers\\") + n;
        window.GetWindow(logo)->SetTexture(ShaderDescriptor(false, 0, 1, 1, 1, 0.0f, base + "_logo_small.jpg",
                                                            base + "_logo_small_alpha.jpg", true));
      }
    }
    if (name != "window_start_game") {
      for (GUITools::GUIControl* control : window.GetControls()) {
        if (auto* edit = dynamic_cast<GUITools::GUIEditBoxControl*>(control)) {
          edit->editBox->SetText(widestName_);
        }
      }
      return;
    }
    const std::string root = name + "/window/";
    auto preview = [](const std::string& file) {
      return ShaderDescriptor(false, 0, 1, 1, 1, 0.0f, file, "", true);
    };
    for (int i = 0; i < 8; ++i) {
      const std::string nn = std::string(i < 10 ? "0" : "") + std::to_string(i);
      for (const std::string list : {"themes/theme_", "pictures/picture_", "puzzles/puzzle_"}) {
        const std::string slot = root + list + nn;
        if (!window.HasCheckBoxControl(slot)) {
          continue;
        }
        const bool picture = list[0] == 'p' && list[1] == 'i';
        const bool puzzle = list[0] == 'p' && list[1] == 'u';
        window.GetWindow(slot + "/picture")
            ->SetTexture(preview(puzzle    ? "puzzles\\0" + std::to_string(i % 4) + "\\preview.jpg"
                                 : picture ? "themes\\blossoms\\0" + std::to_string(i % 6) + "_preview.jpg"
                                           : "themes\\blossoms\\00_preview.jpg"));
        window.GetCheckBox(slot)->checked = i == 0 ? 1 : 0;
        if (i == 0) {
          window.EnableControl(slot + "/lock", false);
        }
        if (!(i == 1 && list[0] == 't')) {
          window.EnableControl(slot + "/star", false);
          window.EnableControl(slot + "/text", false);
        }
      }
    }
    window.GetCheckBox(root + "puzzle_size_1")->checked = 1;
    window.EnableControl(name + "/cursor_tip", false);
  }

  // Builds, fills and shows the window, runs a second of frames and takes the screen.
  Shot Take(const std::string& name, bool overBackground) {
    background_->SetVisible(overBackground, false, 1.0f);
    GUIWindow* parent = overBackground ? background_->GetMenuContainer() : nullptr;
    auto window =
        std::make_unique<GUITools::GUIWindowBase>(engine_.get(), keeper_.get(), tools_.get(), parent, name);
    datacheck::FillWithWidestTexts(*window, widestName_);
    DressAsTheGame(*window);
    window->SetVisible(true);
    for (int frame = 0; frame < kFrames; ++frame) {
      engine_->Tick();
      engine_->GetTimerManager()->delta = 0.1f;
      background_->Update();
      window->Update();
      engine_->Render();
      if (frame + 1 < kFrames) {
        engine_->Update(0);  // the screen is read before the last frame ends
      }
    }
    Shot shot;
    engine_->GetRenderSystem()->CopyScreenToImage(&shot.image);
    WriteTga(shots_ + "/" + name + ".tga", shot.image);
    if (window->HasWindowControl(name + "/window")) {
      const GUITools::GUIControl* panel = window->GetWindowControl(name + "/window");
      shot.hasPanel = true;
      shot.panelAt = panel->GetElement()->GetAbsolutePosition();
      shot.panelSize = panel->size;
    }
    return shot;
  }

  void ShootAll(std::uint32_t width, std::uint32_t height) {
    Start(std::to_string(width) + "x" + std::to_string(height));
    ASSERT_TRUE(engine_->GetRenderSystem()->IsReady());
    for (const datacheck::WindowNames& names : datacheck::WindowsTheCodeBuilds()) {
      SCOPED_TRACE(names.window);
      const bool inGame =
          names.window.rfind("window_game_logic", 0) == 0 && names.window != "window_game_logic_loading";
      const Shot shot = Take(names.window, !inGame);
      ASSERT_EQ(shot.image.GetWidth(), width);
      ASSERT_EQ(shot.image.GetHeight(), height);
      if (shot.hasPanel) {
        // The cream of the panel just inside its left edge, half-way up.
        const testsupport::Rgb cream = testsupport::GUIPixel(
            shot.image, shot.panelAt.x + shot.panelSize.x * 0.035f, shot.panelAt.y + shot.panelSize.y * 0.5f);
        EXPECT_GT(cream.r, 215) << "no panel at " << shot.panelAt.x << " " << shot.panelAt.y;
        EXPECT_GT(cream.g, 205);
        EXPECT_GT(cream.b, 185);
      }
    }
  }

  testsupport::TempFolder folder_;
  std::unique_ptr<Engine> engine_;
  std::unique_ptr<GameTools::DataKeeper> keeper_;
  std::unique_ptr<GUITools::GUIToolManager> tools_;
  std::unique_ptr<GUITools::GUIBackgroundBase> background_;
  std::string shots_;
  std::wstring widestName_;
};

// The game's default mode, and 800 x 600.
TEST_F(WindowShotTest, At1024x768EveryWindowDrawsItsPanelWhereItsDescriptionPutsIt) {
  ShootAll(1024, 768);
}

TEST_F(WindowShotTest, At800x600EveryWindowDrawsItsPanelWhereItsDescriptionPutsIt) {
  ShootAll(800, 600);
}

}  // namespace
