// One toolkit window built from a window file on the real device: a panel, a button and a text label
// from their resources and attributes, drawn and probed by pixel colour at known GUI coordinates.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIManager.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem.h"
#include "engine/resources/ShaderDescriptor.h"
#include "engine/resources/ShaderManager.h"
#include "tests/support/PixelProbe.h"
#include "tests/support/TempFolder.h"
#include "tools/fontbaker/FontBaker.h"
#include "tools/game/DataKeeper.h"
#include "tools/gui/GUIFontTool.h"
#include "tools/gui/GUIToolManager.h"
#include "tools/gui/GUIWindowBase.h"

namespace GUITools {
namespace {

using namespace CorvantisEngine;

using testsupport::Near;
using testsupport::Rgb;
using testsupport::WriteCells;

class GUIWindowDisplayTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::string ui = (folder_.Root() / "data" / "ui").string();
    std::filesystem::create_directories(ui);
    WriteCells(ui + "/blue.tga", {{0, 0, 255}});
    // Button looks: normal red, hover yellow, pressed cyan, disabled grey.
    WriteCells(ui + "/button.tga", {{255, 0, 0}, {255, 255, 0}, {0, 255, 255}, {128, 128, 128}});
    fontbaker::FontBakeOptions options;
    options.pixelSize = 64;
    options.sheetWidth = 1024;
    const fontbaker::BakedFont baked = fontbaker::BakeFont(DEJAVU_SANS, options);
    ASSERT_TRUE(fontbaker::WriteTga32(ui + "/sans.tga", baked.width, baked.height, baked.rgba));
    ASSERT_TRUE(fontbaker::WriteFontFile(ui + "/sans.fnt", baked.glyphs));
    folder_.Write("data/ui/fonts/fonts_basic.xml",
                  "<fonts><font name=\"sans\" size=\"20\">"
                  "<description_file_path path=\"ui\\sans.fnt\"/>"
                  "<diffuse_image_path path=\"ui\\sans.tga\"/><opacity_image_path path=\"32bit\"/>"
                  "</font></fonts>\n");
    folder_.Write("data/ui/texts/texts.xml", "<texts><title><en text=\"T\"/></title></texts>\n");
    folder_.Write("data/ui/texts/default_texts.xml", "<texts/>\n");
    folder_.Write("data/ui/windows/templates.xml",
                  "<window name=\"dialog\" shader=\"panel\" position=\"100 100\" size=\"400 300\">\n"
                  "  <button name=\"ok\" shader=\"button\" position=\"50 50\" size=\"100 60\"/>\n"
                  "</window>\n");
    folder_.Write(
        "data/ui/windows/window_probe.xml",
        "<window name=\"window_probe\" template=\"dialog\">\n"
        "  <text_label name=\"title\" font=\"sans\" text=\"title\" color=\"1 1 0 1\" font_size=\"200\""
        " position=\"200 40\" size=\"180 240\" alignment_h=\"left\" alignment_v=\"bottom\"/>\n"
        "</window>\n");

    engine_ = std::make_unique<Engine>(testsupport::DisplayParameters(folder_.Root().string(), "GUITools"));
    engine_->GetGUIManager()->SetScreenSize(800, 600);
    keeper_ = std::make_unique<GameTools::DataKeeper>(engine_.get(), "en", false);
    ShaderManager* shaders = engine_->GetShaderManager();
    keeper_->AddShaderUser(
        "ui/panel", shaders->GetShader(ShaderDescriptor(false, 0, 1, 1, 1, 0.0f, "ui\\blue.tga", "", true)));
    keeper_->AddShaderUser("ui/button", shaders->GetShader(ShaderDescriptor(false, 1, 4, 1, 4, 0.0f,
                                                                            "ui\\button.tga", "", true)));
    tools_ = std::make_unique<GUIToolManager>(engine_.get(), "en");
  }
  void TearDown() override {
    window_.reset();
    tools_.reset();
    keeper_.reset();
    engine_.reset();
  }

  Rgb At(float x, float y) { return testsupport::GUIPixel(image_, x, y); }

  testsupport::TempFolder folder_;
  std::unique_ptr<Engine> engine_;
  std::unique_ptr<GameTools::DataKeeper> keeper_;
  std::unique_ptr<GUIToolManager> tools_;
  std::unique_ptr<GUIWindowBase> window_;
  Image image_;
};

TEST_F(GUIWindowDisplayTest, AWindowFromItsFileLandsWhereTheFilePutsIt) {
  ASSERT_TRUE(engine_->GetRenderSystem()->IsReady());
  window_ =
      std::make_unique<GUIWindowBase>(engine_.get(), keeper_.get(), tools_.get(), nullptr, "window_probe");
  window_->SetVisible(true);
  for (int frame = 0; frame < 3; ++frame) {
    engine_->Tick();
    window_->Update();
    engine_->Render();
    if (frame < 2) {
      engine_->Update(0);
    }
  }
  engine_->GetRenderSystem()->CopyScreenToImage(&image_);
  ASSERT_GT(image_.GetWidth(), 0u);

  EXPECT_TRUE(Near(At(110, 110), {0, 0, 255})) << "the panel's own corner";
  EXPECT_TRUE(Near(At(490, 390), {0, 0, 255})) << "the panel's far corner, from the template's size";
  EXPECT_FALSE(Near(At(90, 90), {0, 0, 255})) << "nothing of the panel outside it";
  EXPECT_TRUE(Near(At(200, 180), {255, 0, 0}))
      << "the button, placed relative to the panel, in its normal look";
  EXPECT_TRUE(Near(At(145, 180), {0, 0, 255})) << "left of the button: the panel";

  // The "T" in a 200-unit cell whose bottom-left corner is at the label's origin (300, 140); its top bar
  // lies about 0.79 of the cell up, its stem in the middle of the glyph.
  GUIFont* font = tools_->GetFontTool()->GetFont("sans");
  ASSERT_NE(font, nullptr);
  const float left = 300.0f;
  const float bottom = 140.0f;
  const float w = 200.0f * font->glyphs.at('T').width;
  EXPECT_TRUE(Near(At(left + w * 0.15f, bottom + 200.0f * 0.79f), {255, 255, 0}))
      << "the title's bar, in its colour";
  EXPECT_TRUE(Near(At(left + w * 0.5f, bottom + 200.0f * 0.35f), {255, 255, 0})) << "its stem";
  EXPECT_TRUE(Near(At(left + w * 0.15f, bottom + 200.0f * 0.21f), {0, 0, 255}))
      << "beside the stem: the panel";
}

}  // namespace
}  // namespace GUITools
