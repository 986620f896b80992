// The control wrappers: which engine widget each makes and how (the creation rule: a quad for a shader
// alone, else a copy of the model textured by the shader), what they push into their widgets every
// update, and how they go.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "GUIToolsFixture.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIEditBox.h"
#include "engine/gui/GUISlider.h"
#include "tools/fontbaker/FontFileWriter.h"
#include "tools/gui/GUIEditBoxControl.h"
#include "tools/gui/GUIFontTool.h"
#include "tools/gui/GUISliderControl.h"
#include "tools/gui/GUIWindowControl.h"

namespace GUITools::guitest {
namespace {

class GUIWrapperControlTest : public GUIToolsFixture {
 protected:
  void SetUp() override {
    AddModel("frame", 4);
    AddShader("skin");
    Container();
  }
  GUIManager* Gui() { return GetEngine()->GetGUIManager(); }
  void ShowAndUpdate(GUIControl& c) {
    c.SetVisible(true, false);
    c.Update();
  }
};

TEST_F(GUIWrapperControlTest, CreationRuleForEveryKind) {
  using Maker = std::function<std::unique_ptr<GUIControl>(const ControlDescription&)>;
  struct Kind {
    const char* name;
    Maker make;
    std::function<std::uint32_t()> count;  // widgets of the kind's own list in the GUI manager
  };
  const Kind kinds[] = {
      {"window",
       [&](const ControlDescription& d) {
         return std::make_unique<GUIWindowControl>(GetEngine(), Keeper(), Container(), d);
       },
       [&] { return Gui()->windows.count; }},
      {"button",
       [&](const ControlDescription& d) {
         return std::make_unique<GUIButtonControl>(GetEngine(), Keeper(), Container(), d);
       },
       [&] { return Gui()->buttons.count; }},
      {"check_box",
       [&](const ControlDescription& d) {
         return std::make_unique<GUICheckBoxControl>(GetEngine(), Keeper(), Container(), d);
       },
       [&] { return Gui()->checkBoxes.count; }},
      {"edit_box",
       [&](const ControlDescription& d) {
         return std::make_unique<GUIEditBoxControl>(GetEngine(), Keeper(), nullptr, Container(), d);
       },
       [&] { return Gui()->editBoxes.count; }},
      {"slider",
       [&](const ControlDescription& d) {
         return std::make_unique<GUISliderControl>(GetEngine(), Keeper(), Container(), d);
       },
       [&] { return Gui()->sliders.count; }},
      {"scroll",
       [&](const ControlDescription& d) {
         return std::make_unique<GUIScrollControl>(GetEngine(), Keeper(), Container(), d);
       },
       [&] { return Gui()->scrolls.count; }},
  };
  struct Look {
    const char* model;
    const char* shader;
    bool quad;
    const char* modelName;  // of the element's model; empty: none
    const char* texture;
    const char* why;
  };
  const Look looks[] = {
      {"frame", "skin", false, "model:frame", "ui\\skin.tga", "model textured by the shader"},
      {"", "skin", true, "self_made", "ui\\skin.tga", "shader alone: an engine-built quad"},
      {"frame", "", false, "model:frame", "", "model alone keeps its own material"},
      {"", "", false, "", "", "neither: a widget over no model"},
  };
  for (const Kind& kind : kinds) {
    for (const Look& look : looks) {
      const std::uint32_t before = kind.count();
      ControlDescription d = Describe(std::string(kind.name) + "_control", look.model, look.shader);
      d.uv = {0.5f, 0.25f};
      auto control = kind.make(d);
      const std::string why = std::string(kind.name) + ": " + look.why;
      GUIWindow* e = control->GetElement();
      ASSERT_NE(e, nullptr) << why;
      EXPECT_EQ(kind.count(), before + 1) << why;
      EXPECT_EQ(e->parent, Container()) << why;
      EXPECT_NE(e->state & kGUIColoured, 0u) << why;
      EXPECT_EQ(e->state & kGUIShown, 0u) << why;
      if (look.modelName[0] == '\0') {
        EXPECT_EQ(e->model, nullptr) << why;
      } else {
        ASSERT_NE(e->model, nullptr) << why;
        EXPECT_EQ(e->model->name, look.modelName) << why;
        EXPECT_NE(e->model, Keeper()->GetModel("ui/frame")) << why;
        if (look.texture[0] != '\0') {
          EXPECT_EQ(TextureOf(e), look.texture) << why;
        }
      }
      if (look.quad) {
        EXPECT_EQ(QuadExtent(e), (Vector2{0.5f, 0.25f})) << why << ": the uv extent";
      }
      control.reset();
      EXPECT_EQ(kind.count(), before) << why << ": destroyed through the GUI manager";
    }
  }
}

TEST_F(GUIWrapperControlTest, OnlyPanelsPlayTheirModelFrames) {
  ControlDescription d = Describe("c", "frame");
  d.modelStartFrame = 1;
  d.modelEndFrame = 3;
  GUIWindowControl panel(GetEngine(), Keeper(), Container(), d);
  GUIButtonControl button(GetEngine(), Keeper(), Container(), d);
  GUICheckBoxControl box(GetEngine(), Keeper(), Container(), d);
  GUIEditBoxControl edit(GetEngine(), Keeper(), nullptr, Container(), d);
  GUISliderControl slider(GetEngine(), Keeper(), Container(), d);
  EXPECT_NE(panel.modelAnimation, nullptr);
  for (GUIControl* c : std::initializer_list<GUIControl*>{&button, &box, &edit, &slider}) {
    EXPECT_EQ(c->modelAnimation, nullptr) << c->name;
    c->SetVisible(true, true);
    c->Update();
    EXPECT_FALSE(c->GetElement()->model->animation->playing) << c->name << ": show plays nothing";
  }
}

TEST_F(GUIWrapperControlTest, EditBoxPushesItsSettingsWhileVisible) {
  Write("data/ui/fonts/test.fnt", fontbaker::BuildFontFile({{'A', 0, 0, 0.1f, 0.1f, 0.5f}}));
  Write("data/ui/fonts/fonts_basic.xml",
        "<fonts>\n"
        "  <font name=\"first\" size=\"10\"><description_file_path path=\"ui\\fonts\\test.fnt\"/>"
        "<diffuse_image_path path=\"ui\\fonts\\a.tga\"/><opacity_image_path path=\"32bit\"/></font>\n"
        "  <font name=\"second\" size=\"12\"><description_file_path path=\"ui\\fonts\\test.fnt\"/>"
        "<diffuse_image_path path=\"ui\\fonts\\a.tga\"/><opacity_image_path path=\"32bit\"/></font>\n"
        "</fonts>\n");
  GUIFontTool fonts(GetEngine(), "en");
  GUIEditBoxControl c(GetEngine(), Keeper(), &fonts, Container(), Describe("name", "", "skin"));
  GUIEditBox* box = c.editBox;
  EXPECT_EQ(c.GetElement(), box);
  EXPECT_EQ(box->fontId, GUIEditBox::kNoFont);
  EXPECT_EQ(box->maxLength, 255u);
  EXPECT_FLOAT_EQ(box->maxTextWidth, 800.0f);
  EXPECT_FLOAT_EQ(box->visibleWidth, 800.0f);
  EXPECT_EQ(box->caretCharacter, '_');

  c.SetFont("second");
  EXPECT_EQ(c.fontIndex, fonts.GetFontIndex("second"));
  c.fontColour = Vector4(1, 0, 0, 1);
  c.textOffset = {4, 2};
  c.cursorCharacter = '|';
  c.maxCharacterCount = 16;
  c.maxTextLength = 120;
  c.visibleTextWidth = 90;
  c.Update();
  EXPECT_EQ(box->fontId, GUIEditBox::kNoFont) << "nothing reaches a hidden widget";

  ShowAndUpdate(c);
  EXPECT_EQ(box->fontId, static_cast<std::uint32_t>(fonts.GetFontIndex("second")));
  EXPECT_EQ(box->textColour.y, 0.0f);
  EXPECT_EQ(box->textOffset, (Vector2{4, 2}));
  EXPECT_EQ(box->caretCharacter, '|');
  EXPECT_EQ(box->caretText, L"|");
  EXPECT_EQ(box->maxLength, 16u);
  EXPECT_FLOAT_EQ(box->maxTextWidth, 120.0f);
  EXPECT_FLOAT_EQ(box->visibleWidth, 90.0f);

  c.SetFont("missing");
  EXPECT_EQ(c.fontIndex, -1);
  c.Update();
  EXPECT_EQ(box->fontId, GUIEditBox::kNoFont);
  c.SetFont("");
  EXPECT_EQ(c.fontIndex, -1);
}

TEST_F(GUIWrapperControlTest, SliderOrientationThumbAndPath) {
  struct Row {
    const char* orientation;
    std::uint32_t vertical;
  };
  const Row rows[] = {{"vertical", 1}, {"upside_vertical_2", 1}, {"horizontal", 0}, {"", 0}, {"Vertical", 0}};
  for (const Row& row : rows) {
    GUISliderControl c(GetEngine(), Keeper(), Container(), Describe("s", "", "skin"));
    c.orientation = row.orientation;
    ShowAndUpdate(c);
    EXPECT_EQ(c.slider->vertical, row.vertical) << row.orientation;
  }

  GUISliderControl c(GetEngine(), Keeper(), Container(), Describe("s", "", "skin"));
  c.thumbSize = {20, 10};
  c.CreateThumb("", "skin", {0.5f, 1.0f});
  ASSERT_NE(c.slider->thumb, nullptr);
  EXPECT_EQ(c.slider->thumb->model->name, "self_made") << "a quad thumb";
  EXPECT_EQ(QuadExtent(c.slider->thumb), (Vector2{0.5f, 1.0f}));
  ShowAndUpdate(c);
  EXPECT_EQ(c.slider->startPoint, (Vector2{0, 0})) << "no path given: the single point (0, 0)";
  EXPECT_EQ(c.slider->endPoint, (Vector2{0, 0}));
  EXPECT_EQ(c.slider->thumb->hoverRectangle, 0);

  c.thumbStart = {5, 0};
  c.thumbEnd = {105, 0};
  c.thumbSelection = true;
  c.thumbSelectionPosition = {1, 1};
  c.thumbSelectionSize = {8, 8};
  c.Update();
  EXPECT_EQ(c.slider->startPoint, (Vector2{5, 0}));
  EXPECT_EQ(c.slider->endPoint, (Vector2{105, 0}));
  EXPECT_EQ(c.slider->thumbSize, (Vector2{20, 10}));
  EXPECT_EQ(c.slider->thumb->hoverRectangle, 1);
  EXPECT_EQ(c.slider->thumb->hoverSize, (Vector2{8, 8}));

  c.CreateThumb("frame", "skin", {1, 1});
  EXPECT_EQ(c.slider->thumb->model->name, "model:frame");
  EXPECT_EQ(TextureOf(c.slider->thumb), "ui\\skin.tga") << "the thumb model takes the shader's texture";
}

TEST_F(GUIWrapperControlTest, ScrollArrowsAndLayerOrder) {
  const std::uint32_t sliders = Gui()->sliders.count;
  auto c = std::make_unique<GUIScrollControl>(GetEngine(), Keeper(), Container(), Describe("sc", "", "skin"));
  EXPECT_EQ(c->slider, c->scroll);
  EXPECT_EQ(Gui()->sliders.count, sliders) << "a scroll is in the scroll list only";
  c->CreateThumb("", "", {1, 1});
  c->CreateIncreaseButton("", "", {1, 1});
  c->CreateDecreaseButton("", "", {1, 1});
  ASSERT_NE(c->scroll->increaseButton, nullptr);
  ASSERT_NE(c->scroll->decreaseButton, nullptr);
  EXPECT_EQ(c->scroll->increaseButton->model, nullptr) << "no attributes: arrows over no model";
  c->height = 4;
  ShowAndUpdate(*c);
  EXPECT_EQ(c->scroll->increaseButton->position, (Vector2{0, 0}));
  EXPECT_EQ(c->scroll->increaseButton->size, (Vector2{1, 1}));
  EXPECT_EQ(c->scroll->decreaseButton->size, (Vector2{1, 1}));

  struct Row {
    const char* alignment;
    std::int32_t arrowLayer;
    std::int32_t scrollLayer;
  };
  const Row rows[] = {{"lower", -1, 5}, {"upper", 2, 4}, {"Lower", 2, 4}, {"", 2, 4}};
  for (const Row& row : rows) {
    c->buttonsAlignment = row.alignment;
    c->Update();
    EXPECT_EQ(c->scroll->increaseButton->layer, row.arrowLayer) << row.alignment;
    EXPECT_EQ(c->scroll->decreaseButton->layer, row.arrowLayer) << row.alignment;
    EXPECT_EQ(c->scroll->layer, row.scrollLayer) << row.alignment;
  }

  c->CreateIncreaseButton("", "skin", {0.5f, 0.5f});
  c->CreateDecreaseButton("frame", "skin", {1, 1});
  c->increase.position = {10, 20};
  c->increase.size = {30, 30};
  c->decrease.selection = true;
  c->decrease.selectionSize = {6, 6};
  c->Update();
  EXPECT_EQ(c->scroll->increaseButton->model->name, "self_made");
  EXPECT_EQ(QuadExtent(c->scroll->increaseButton), (Vector2{0.5f, 0.5f}));
  EXPECT_EQ(c->scroll->increaseButton->position, (Vector2{10, 20}));
  EXPECT_EQ(c->scroll->decreaseButton->model->name, "model:frame");
  EXPECT_EQ(TextureOf(c->scroll->decreaseButton), "ui\\skin.tga");
  EXPECT_EQ(c->scroll->decreaseButton->hoverRectangle, 1);
  EXPECT_EQ(c->scroll->increaseButton->hoverRectangle, 0);

  const std::uint32_t scrolls = Gui()->scrolls.count;
  c.reset();
  EXPECT_EQ(Gui()->scrolls.count, scrolls - 1);
  EXPECT_EQ(Gui()->sliders.count, sliders);
}

}  // namespace
}  // namespace GUITools::guitest
