// One frame of the engine's GUI on the real device: a window with a child, a button and a check box
// after scripted mouse input, a slider, a text in a baked DejaVu font and the cursor, probed by pixel
// colour at known GUI coordinates.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUICursor.h"
#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIFontManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUISlider.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem.h"
#include "engine/resources/ShaderDescriptor.h"
#include "tests/support/PixelProbe.h"
#include "tests/support/TempFolder.h"
#include "tools/fontbaker/FontBaker.h"

namespace CorvantisEngine {
namespace {

namespace fs = std::filesystem;

using testsupport::Near;
using testsupport::Rgb;
using testsupport::WriteCells;

class GUIDisplayTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = temp_.Root();
    fs::create_directories(folder_ / "data" / "ui");
    const fs::path ui = folder_ / "data" / "ui";
    WriteCells(ui / "blue.tga", {{0, 0, 255}});
    WriteCells(ui / "green.tga", {{0, 255, 0}});
    WriteCells(ui / "white.tga", {{255, 255, 255}});
    WriteCells(ui / "magenta.tga", {{255, 0, 255}});
    WriteCells(ui / "dark.tga", {{40, 40, 40}});
    // Button looks: normal red, hover yellow, pressed cyan, disabled grey.
    WriteCells(ui / "button.tga", {{255, 0, 0}, {255, 255, 0}, {0, 255, 255}, {128, 128, 128}});
    // Check-box looks in index order: 0-2 unchecked, 3-5 checked, 6-7 disabled.
    WriteCells(ui / "check.tga", {{10, 10, 10},
                                  {20, 20, 20},
                                  {30, 30, 30},
                                  {200, 0, 0},
                                  {0, 200, 0},
                                  {0, 0, 200},
                                  {60, 60, 60},
                                  {70, 70, 70}});
    fontbaker::FontBakeOptions options;
    options.pixelSize = 64;
    options.sheetWidth = 1024;
    const fontbaker::BakedFont baked = fontbaker::BakeFont(DEJAVU_SANS, options);
    ASSERT_TRUE(fontbaker::WriteTga32((ui / "sans.tga").string(), baked.width, baked.height, baked.rgba));
    ASSERT_TRUE(fontbaker::WriteFontFile((ui / "sans.fnt").string(), baked.glyphs));

    engine_ = std::make_unique<Engine>(testsupport::DisplayParameters(folder_.string(), "GUI"));
  }
  void TearDown() override { engine_.reset(); }

  static ShaderDescriptor Plain(const std::string& name) {
    return ShaderDescriptor(false, 0, 1, 1, 1, 0.0f, "ui\\" + name, "", true);
  }
  static ShaderDescriptor Grid(const std::string& name, std::uint32_t frames) {
    return ShaderDescriptor(false, 1, frames, 1, frames, 0.0f, "ui\\" + name, "", true);
  }

  // The colour drawn at a GUI point (800 x 600 units, y up) of the last rendered frame.
  Rgb At(float x, float y) { return testsupport::GUIPixel(image_, x, y); }
  void Capture() {
    image_ = Image();
    engine_->GetRenderSystem()->CopyScreenToImage(&image_);
    ASSERT_GT(image_.GetWidth(), 0u);
  }

  testsupport::TempFolder temp_;
  fs::path folder_;
  std::unique_ptr<Engine> engine_;
  Image image_;
};

TEST_F(GUIDisplayTest, OneFrameOfWidgets) {
  GUIManager& gui = *engine_->GetGUIManager();
  ASSERT_TRUE(engine_->GetRenderSystem()->IsReady());
  gui.SetScreenSize(800, 600);

  const ShaderDescriptor blue = Plain("blue.tga");
  const ShaderDescriptor green = Plain("green.tga");
  const ShaderDescriptor white = Plain("white.tga");
  const ShaderDescriptor magenta = Plain("magenta.tga");
  const ShaderDescriptor dark = Plain("dark.tga");
  const ShaderDescriptor button = Grid("button.tga", 4);
  const ShaderDescriptor check = Grid("check.tga", 8);
  const ShaderDescriptor sans(false, 0, 1, 1, 1, 0.0f, "ui\\sans.tga", "32bit", true);

  // The parent covers the left half of the top; its child a square inside it.
  GUIWindow* parent = gui.CreateWindow(kGUIShown | kGUILayer1, {0, 300}, {400, 300}, &blue, nullptr, {1, 1});
  gui.CreateWindow(kGUIShown, {100, 100}, {100, 100}, &green, parent, {1, 1});
  GUIButton* hovered = gui.CreateButton(kGUIShown, {450, 450}, {100, 100}, &button, nullptr, {1, 1});
  GUIButton* idle = gui.CreateButton(kGUIShown, {600, 450}, {100, 100}, &button, nullptr, {1, 1});
  GUICheckBox* box = gui.CreateCheckBox(kGUIShown, {450, 300}, {100, 100}, &check, nullptr, {1, 1});
  GUISlider* slider =
      gui.CreateSlider(kGUIShown, {50, 50}, {300, 40}, &dark, false, {0, 0}, {260, 0}, 3, nullptr, {1, 1});
  slider->CreateThumb({40, 40}, &white, {1, 1});
  GUIWindow* textPanel = gui.CreateWindow(kGUIShown, {450, 0}, {350, 250}, &dark, nullptr, {1, 1});
  GUIFont* font = gui.GetFontManager()->CreateFont(1, &sans, "ui\\sans.fnt");
  font->size = 200.0f;
  GUICursor* cursor = gui.CreateCursor(&magenta, 40.0f);
  cursor->visible = 1;

  for (int frame = 0; frame < 3; ++frame) {
    engine_->Tick();
    // Scripted input after the real mouse's pass: the box is clicked once (press and release), then
    // stays hovered; one button is hovered, the other not.
    if (frame == 0) {
      box->Update({500, 350}, true, true);
    }
    box->Update({500, 350}, false, false);
    hovered->Update({500, 500}, false, false);
    idle->Update({10, 10}, false, false);
    slider->SetPosition(2);
    cursor->position = {660, 520};  // over the idle button
    textPanel->PrintText(0, 1, {20, 10}, Vector4(1, 1, 0, 1), L"T", 0.0f, -1.0f);
    engine_->Render();
    if (frame < 2) {
      engine_->Update(0);
    }
  }
  Capture();

  EXPECT_TRUE(Near(At(50, 550), {0, 0, 255})) << "parent";
  EXPECT_TRUE(Near(At(150, 450), {0, 255, 0})) << "the child draws over its parent";
  EXPECT_TRUE(Near(At(500, 500), {255, 255, 0})) << "hovered button shows its hover look";
  EXPECT_TRUE(Near(At(690, 460), {255, 0, 0})) << "idle button shows its normal look";
  EXPECT_EQ(box->checked, 1);
  EXPECT_TRUE(Near(At(500, 350), {0, 200, 0})) << "checked and hovered after the click: look 4";
  EXPECT_TRUE(Near(At(20 + 50, 70), {40, 40, 40})) << "slider track";
  EXPECT_TRUE(Near(At(50 + 260 + 20, 70), {255, 255, 255})) << "thumb at the last of three positions";
  EXPECT_TRUE(Near(At(670, 510), {255, 0, 255})) << "the cursor is in front, hanging below its hot spot";
  EXPECT_TRUE(Near(At(650, 530), {255, 0, 0})) << "nothing of the cursor above its hot spot";

  // The "T" at (470, 10) in a cell 200 high: with DejaVu's ascender and descender the cap's top bar lies
  // about 0.76 to 0.83 of the cell up, the baseline about 0.2 up. Upside down, the bar would lie about
  // 0.2 up.
  const float left = 470.0f;
  const float bottom = 10.0f;
  const float w = 200.0f * font->glyphs.at('T').width;
  const Rgb bar = At(left + w * 0.15f, bottom + 200.0f * 0.79f);
  const Rgb stem = At(left + w * 0.5f, bottom + 200.0f * 0.35f);
  const Rgb underBar = At(left + w * 0.15f, bottom + 200.0f * 0.21f);
  EXPECT_TRUE(Near(bar, {255, 255, 0})) << "the bar is at the top: the text is the right way up";
  EXPECT_TRUE(Near(stem, {255, 255, 0})) << "stem";
  EXPECT_TRUE(Near(underBar, {40, 40, 40})) << "no ink under the bar beside the stem";
}

}  // namespace
}  // namespace CorvantisEngine
