// Windows built from window files: template chains (types, full names, the order of overrides and of
// children), the language filter, fader definitions, every way a broken file ends the program, the
// look-ups, and showing and hiding the whole window with disabled controls.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "GUIToolsFixture.h"
#include "engine/core/Error.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIEditBox.h"
#include "engine/gui/GUISlider.h"
#include "tools/gui/GUIEditBoxControl.h"
#include "tools/gui/GUISliderControl.h"
#include "tools/gui/GUITextControl.h"
#include "tools/gui/GUIToolManager.h"
#include "tools/gui/GUIWindowBase.h"
#include "tools/gui/GUIWindowControl.h"

namespace GUITools::guitest {
namespace {

class GUIWindowBaseTest : public GUIToolsFixture {
 protected:
  void SetUp() override {
    WriteFontAndTexts();
    AddShader("skin");
    AddModel("frame", 3);
    Window(
        "faders.xml",
        "<faders>\n"
        "  <fader name=\"soft\" show_speed=\"2\" min=\"0.25\" show_offset=\"0.5\"/>\n"
        "  <fader name=\"soft\" show_speed=\"9\"/>\n"
        "  <fader name=\"quick\" type=\"model_animation\" hide_speed=\"3\" max=\"0.75\" fade_offset=\"0.125\""
        " hide_offset=\"0.25\"/>\n"
        "</faders>\n");
    Window("panel_root.xml",
           "<window name=\"panel_root\" fader=\"soft\" uv=\"0.5 0.5\" size=\"1 1\">\n"
           "  <check_box name=\"tick\" shader=\"skin\"/>\n"
           "</window>\n");
    Window(
        "panel_base.xml",
        "<window name=\"panel_base\" template=\"panel_root\" shader=\"skin\" size=\"300 200\" height=\"2\">\n"
        "  <button name=\"ok\" shader=\"skin\" position=\"10 10\" size=\"50 20\"/>\n"
        "  <text_label name=\"caption\" font=\"fixed\" text=\"greeting\"/>\n"
        "</window>\n");
    Window("window_test.xml",
           "<window name=\"window_test\" template=\"panel_base\" position=\"100 50\">\n"
           "  <button name=\"ok\" position=\"20 30\"/>\n"
           "  <window name=\"inner\"><text_label name=\"label\" text=\"'hi'\" font=\"fixed\"/></window>\n"
           "  <text_label name=\"only_ru\" language=\"ru\"><button name=\"nested\"/></text_label>\n"
           "  <text_label name=\"only_en\" language=\"en\" font=\"fixed\" text=\"[u]greeting\"/>\n"
           "  <fader name=\"decor\"/>\n"
           "</window>\n");
  }
  void TearDown() override {
    window_.reset();
    tools_.reset();
  }

  void Window(const std::string& file, const std::string& text) { Write("data/ui/windows/" + file, text); }
  GUIToolManager* Tools() {
    if (!tools_) {
      tools_ = std::make_unique<GUIToolManager>(GetEngine(), "en");
    }
    return tools_.get();
  }
  GUIWindowBase& Build(const std::string& name) {
    window_ = std::make_unique<GUIWindowBase>(GetEngine(), Keeper(), Tools(), nullptr, name);
    return *window_;
  }
  std::string AbortText(const std::string& name) {
    try {
      GUIWindowBase window(GetEngine(), Keeper(), Tools(), nullptr, name);
    } catch (const FatalError& e) {
      return e.GetMessage();
    }
    return "no abort";
  }
  static std::vector<std::string> Names(const GUIWindowBase& w) {
    std::vector<std::string> out;
    for (const GUIControl* c : w.GetControls()) {
      out.push_back(c->name);
    }
    return out;
  }

  std::unique_ptr<GUIToolManager> tools_;
  std::unique_ptr<GUIWindowBase> window_;
};

TEST_F(GUIWindowBaseTest, TemplatesGiveTypesNamesOrderAndAttributes) {
  GUIWindowBase& w = Build("window_test");
  EXPECT_EQ(Names(w), (std::vector<std::string>{"window_test", "window_test/ok", "window_test/inner",
                                                "window_test/inner/label", "window_test/only_en",
                                                "window_test/caption", "window_test/tick"}))
      << "depth first; the window's own children first, then those only its templates have";
  EXPECT_NE(w.GetWindowControl("window_test"), nullptr);
  EXPECT_NE(w.GetButtonControl("window_test/ok"), nullptr);
  EXPECT_NE(w.GetWindowControl("window_test/inner"), nullptr);
  EXPECT_NE(w.GetTextControl("window_test/inner/label"), nullptr);
  EXPECT_NE(w.GetTextControl("window_test/caption"), nullptr);
  EXPECT_NE(w.GetCheckBoxControl("window_test/tick"), nullptr);

  GUIControl* top = w.GetControl("window_test");
  EXPECT_EQ(top->position, (Vector2{100, 50})) << "the window's own value";
  EXPECT_EQ(top->size, (Vector2{300, 200})) << "the template's value wins over its own template's";
  EXPECT_EQ(top->height, 2);
  EXPECT_EQ(top->GetElement()->parent, w.GetContainer());
  EXPECT_EQ(QuadExtent(top->GetElement()), (Vector2{0.5f, 0.5f})) << "uv from the template's template";
  EXPECT_EQ(top->faderName, "soft");
  EXPECT_FLOAT_EQ(top->showSpeed, 2.0f) << "the first definition of a fader name";
  EXPECT_FLOAT_EQ(top->fadeMin, 0.25f);
  EXPECT_FLOAT_EQ(top->showOffset, 0.5f);
  EXPECT_FLOAT_EQ(top->hideSpeed, 1.0f) << "missing fader values keep the defaults";
  EXPECT_EQ(top->faderType, "timed");

  GUIControl* ok = w.GetControl("window_test/ok");
  EXPECT_EQ(ok->position, (Vector2{20, 30})) << "the window's child overrides the template's child";
  EXPECT_EQ(ok->size, (Vector2{50, 20})) << "and the template's child fills in the rest";
  EXPECT_EQ(TextureOf(ok->GetElement()), "ui\\skin.tga");
  EXPECT_EQ(ok->GetElement()->parent, top->GetElement());
  EXPECT_EQ(w.GetControl("window_test/inner/label")->GetElement()->parent,
            w.GetControl("window_test/inner")->GetElement());
  EXPECT_TRUE(ok->faderName.empty()) << "faders are not inherited from the parent";

  EXPECT_EQ(w.GetTextControl("window_test/caption")->text, L"hello");
  EXPECT_EQ(w.GetTextControl("window_test/only_en")->text, L"HELLO");
  EXPECT_EQ(w.GetTextControl("window_test/inner/label")->text, L"hi");

  EXPECT_EQ(w.GetControl("window_test/only_ru"), nullptr) << "another language: left out";
  EXPECT_TRUE(LoggedError("(GUIWindowBase::GetControl): Unknown \"window_test/only_ru\" control"));
  EXPECT_FALSE(w.HasTextControl("window_test/only_ru/nested"));
  EXPECT_EQ(w.GetControl("window_test/decor"), nullptr) << "fader elements make no control";

  EXPECT_FALSE(w.GetContainer()->state & kGUIShown);
  for (const GUIControl* c : w.GetControls()) {
    EXPECT_EQ(c->GetElement()->state & kGUIShown, 0u) << c->name << " starts hidden";
  }
}

TEST_F(GUIWindowBaseTest, LookUpsAreExactFullNamesInTheirOwnList) {
  GUIWindowBase& w = Build("window_test");
  EXPECT_EQ(w.GetControl("ok"), nullptr) << "a bare child name is not a full name";
  EXPECT_TRUE(LoggedError("(GUIWindowBase::GetControl): Unknown \"ok\" control"));
  EXPECT_EQ(w.GetControl("Window_test/ok"), nullptr) << "case-sensitive";
  EXPECT_EQ(w.GetButtonControl("window_test/tick"), nullptr) << "a check box is not in the button list";
  EXPECT_TRUE(LoggedError("(GUIWindowBase::GetButtonControl): Unknown \"window_test/tick\" control"));
  EXPECT_EQ(w.GetButton("window_test/tick"), nullptr);
  EXPECT_EQ(w.GetButton("window_test/ok"), w.GetButtonControl("window_test/ok")->button);
  EXPECT_EQ(w.GetCheckBox("window_test/tick"), w.GetCheckBoxControl("window_test/tick")->checkBox);
  EXPECT_EQ(w.GetWindow("window_test/inner"), w.GetControl("window_test/inner")->GetElement());
  EXPECT_EQ(w.GetScroll("window_test/ok"), nullptr);
  EXPECT_TRUE(LoggedError("(GUIWindowBase::GetScrollControl): Unknown \"window_test/ok\" control"));
  EXPECT_EQ(w.GetEditBox("window_test/ok"), nullptr);
  EXPECT_EQ(w.GetTextControl("nothing"), nullptr);
  EXPECT_TRUE(LoggedError("(GUIWindowBase::GetTextControl): Unknown \"nothing\" control"));

  const std::size_t errors = Logged(LogRecord::kError).size();
  EXPECT_TRUE(w.HasWindowControl("window_test/inner"));
  EXPECT_FALSE(w.HasWindowControl("window_test/ok"));
  EXPECT_TRUE(w.HasCheckBoxControl("window_test/tick"));
  EXPECT_TRUE(w.HasTextControl("window_test/caption"));
  EXPECT_FALSE(w.HasTextControl("window_test/missing"));
  EXPECT_EQ(Logged(LogRecord::kError).size(), errors) << "the existence tests log nothing";
}

TEST_F(GUIWindowBaseTest, TypeAttributesReachTheControls) {
  Window(
      "window_kinds.xml",
      "<window name=\"window_kinds\">\n"
      "  <text_label name=\"t\" alignment_h=\"right\" alignment_v=\"top\" font=\"fixed\" text=\"greeting\""
      " color=\"1 0 0 0.5\" angle=\"0.25\" font_size=\"20\" multiline=\"1\" line_space=\"3\" "
      "printing_mode=\"1\""
      " printing_speed=\"7\" max_printing_time=\"4\" size=\"40 10\"/>\n"
      "  <edit_box name=\"e\" shader=\"skin\" font=\"fixed\" font_color=\"0 1 0 1\" text_offset=\"3 4\""
      " cursor_character=\"\" max_character_count=\"16\" max_text_length=\"120\" "
      "visible_text_width=\"90\"/>\n"
      "  <edit_box name=\"e2\" cursor_character=\"|x\"/>\n"
      "  <edit_box name=\"e3\"/>\n"
      "  <slider name=\"s\" shader=\"skin\" toddler_shader=\"skin\" toddler_uv=\"0.5 1\" toddler_size=\"8 9\""
      " toddler_min_position=\"1 2\" toddler_max_position=\"100 2\" orientation=\"vertical\""
      " toddler_selection_size=\"4 4\"/>\n"
      "  <scroll name=\"sc\" increase_button_model=\"frame\" increase_button_shader=\"skin\""
      " increase_button_position=\"5 6\" increase_button_size=\"7 8\" decrease_button_shader=\"skin\""
      " decrease_button_uv=\"0.25 0.25\" decrease_button_selection_position=\"1 1\" "
      "buttons_alignment=\"lower\"/>\n"
      "</window>\n");
  GUIWindowBase& w = Build("window_kinds");
  GUITextControl* t = w.GetTextControl("window_kinds/t");
  EXPECT_EQ(t->alignmentH, "right");
  EXPECT_EQ(t->alignmentV, "top");
  EXPECT_EQ(t->fontIndex, 0);
  EXPECT_EQ(t->colour.x, 1.0f);
  EXPECT_EQ(t->colour.w, 0.5f);
  EXPECT_FLOAT_EQ(t->angle, 0.25f);
  EXPECT_FLOAT_EQ(t->fontSizeInUse, 20.0f) << "laid out again after the font size";
  EXPECT_TRUE(t->multiline);
  EXPECT_EQ(t->lines, std::vector<std::wstring>{L"hello"}) << "one word: no wrap";
  EXPECT_FLOAT_EQ(t->lineSpace, 3.0f);
  EXPECT_TRUE(t->printingMode);
  EXPECT_FLOAT_EQ(t->printingSpeed, 7.0f);
  EXPECT_FLOAT_EQ(t->maxPrintingTime, 4.0f);

  GUIEditBoxControl* e = w.GetEditBoxControl("window_kinds/e");
  EXPECT_EQ(e->fontIndex, 0);
  EXPECT_EQ(e->fontColour.y, 1.0f);
  EXPECT_EQ(e->textOffset, (Vector2{3, 4}));
  EXPECT_EQ(e->cursorCharacter, ' ') << "an empty cursor character is a blank";
  EXPECT_EQ(e->maxCharacterCount, 16);
  EXPECT_FLOAT_EQ(e->maxTextLength, 120.0f);
  EXPECT_FLOAT_EQ(e->visibleTextWidth, 90.0f);
  EXPECT_EQ(w.GetEditBoxControl("window_kinds/e2")->cursorCharacter, '|') << "the first character only";
  GUIEditBoxControl* e3 = w.GetEditBoxControl("window_kinds/e3");
  EXPECT_EQ(e3->cursorCharacter, '_');
  EXPECT_EQ(e3->maxCharacterCount, 255);
  EXPECT_EQ(e3->fontIndex, -1);

  auto* s = static_cast<GUISliderControl*>(w.GetControl("window_kinds/s"));
  ASSERT_NE(s->slider->thumb, nullptr);
  EXPECT_EQ(QuadExtent(s->slider->thumb), (Vector2{0.5f, 1.0f}));
  EXPECT_EQ(s->thumbSize, (Vector2{8, 9}));
  EXPECT_EQ(s->thumbStart, (Vector2{1, 2}));
  EXPECT_EQ(s->thumbEnd, (Vector2{100, 2}));
  EXPECT_EQ(s->orientation, "vertical");
  EXPECT_TRUE(s->thumbSelection) << "either selection attribute switches the rectangle on";

  GUIScrollControl* sc = w.GetScrollControl("window_kinds/sc");
  EXPECT_EQ(sc->scroll->increaseButton->model->name, "model:frame");
  EXPECT_EQ(TextureOf(sc->scroll->increaseButton), "ui\\skin.tga");
  EXPECT_EQ(sc->increase.position, (Vector2{5, 6}));
  EXPECT_EQ(sc->increase.size, (Vector2{7, 8}));
  EXPECT_FALSE(sc->increase.selection);
  EXPECT_EQ(QuadExtent(sc->scroll->decreaseButton), (Vector2{0.25f, 0.25f}));
  EXPECT_TRUE(sc->decrease.selection);
  EXPECT_EQ(sc->buttonsAlignment, "lower");
  EXPECT_NE(sc->scroll->thumb, nullptr) << "a scroll gets its thumb too";
}

TEST_F(GUIWindowBaseTest, BrokenFilesEndTheProgram) {
  Window("bad_type.xml", "<window name=\"bad_type\"><dial name=\"d\"/></window>\n");
  Window("bad_fader.xml", "<window name=\"bad_fader\"><button name=\"b\" fader=\"loud\"/></window>\n");
  Window("no_name.xml", "<window name=\"no_name\"><button shader=\"skin\"/></window>\n");
  Window("nameless_fader.xml", "<window name=\"nameless_fader\"><fader/></window>\n");
  Window("self.xml", "<window name=\"self\" template=\"self\"/>\n");
  Window("loop_a.xml", "<window name=\"loop_a\" template=\"loop_b\"/>\n");
  Window("loop_b.xml", "<window name=\"loop_b\" template=\"loop_a\"/>\n");
  Window("nest.xml", "<window name=\"nest\"><window name=\"box\" template=\"nest_box\"/></window>\n");
  Window("nest_box.xml", "<window name=\"nest_box\"><window name=\"box\" template=\"nest_box\"/></window>\n");
  Window("empty_fader.xml", "<window name=\"empty_fader\" fader=\"\"/>\n");
  struct Row {
    const char* window;
    const char* message;
  };
  const Row rows[] = {
      {"bad_type", "(GUIWindowBase::ParseControls): Unknown \"dial\" control type"},
      {"bad_fader", "(GUIWindowBase::ParseControls): Unknown \"loud\" fader"},
      {"no_name",
       "(GUIWindowBase::ParseControls): Failed to find attribute \"name\" in node with \"button\" name"},
      {"nameless_fader",
       "(GUIWindowBase::ParseControls): Failed to find attribute \"name\" in node with \"fader\" name"},
      {"missing_window", "(GUIWindowBase::ParseWindow): Unknown \"missing_window\" window"},
      {"self", "(GUIWindowBase::ResolveTemplates): Template \"self\" refers to itself"},
      {"loop_a", "(GUIWindowBase::ResolveTemplates): Template \"loop_b\" refers to itself"},
      {"nest", "(GUIWindowBase::ParseControls): Control \"nest/box/box/box\" contains itself"},
  };
  const std::uint32_t windows = GetEngine()->GetGUIManager()->windows.count;
  for (const Row& row : rows) {
    EXPECT_EQ(AbortText(row.window), row.message) << row.window;
    EXPECT_EQ(GetEngine()->GetGUIManager()->windows.count, windows) << row.window << ": nothing left behind";
  }
  EXPECT_EQ(Build("empty_fader").GetControl("empty_fader")->faderName, "") << "an empty fader is no fader";
}

TEST_F(GUIWindowBaseTest, ShowAndHideTheWholeWindow) {
  Window("window_pair.xml",
         "<window name=\"window_pair\" shader=\"skin\" fader=\"slow\">\n"
         "  <button name=\"fast\" shader=\"skin\"/>\n"
         "  <button name=\"other\" shader=\"skin\"/>\n"
         "</window>\n");
  Window("pair_faders.xml", "<faders><fader name=\"slow\" show_speed=\"8\" hide_speed=\"2\"/></faders>\n");
  GUIWindowBase& w = Build("window_pair");
  GUIWindow* top = w.GetWindow("window_pair");
  GUIWindow* fast = w.GetButton("window_pair/fast");
  ASSERT_NE(top, nullptr);
  ASSERT_NE(fast, nullptr);
  EXPECT_FALSE(w.IsVisible());
  w.Update();

  SetDelta(0.125f);
  w.SetVisible(true);
  EXPECT_TRUE(w.IsVisible());
  w.Update();
  for (const GUIControl* c : w.GetControls()) {
    EXPECT_EQ(c->GetElement()->visible, 1) << c->name;
  }

  w.SetVisible(false);
  w.Update();
  EXPECT_EQ(fast->visible, 0) << "no fader: gone in the first update";
  EXPECT_EQ(top->visible, 1) << "the panel fades out over half a second";
  EXPECT_TRUE(w.IsVisible());
  w.Update();
  w.Update();
  EXPECT_TRUE(w.IsVisible());
  w.Update();
  EXPECT_FALSE(w.IsVisible()) << "hidden once its last control has gone";
  EXPECT_EQ(w.GetContainer()->state & kGUIShown, 0u);
  w.Update();
  EXPECT_FALSE(w.IsVisible());

  w.EnableControl("window_pair/fast", false);
  EXPECT_FALSE(w.IsControlEnabled("window_pair/fast"));
  w.SetVisible(true);
  w.Update();
  EXPECT_EQ(top->visible, 1);
  EXPECT_EQ(fast->visible, 0) << "a disabled control is not shown";
  w.EnableControl("window_pair/fast", true);
  w.Update();
  EXPECT_EQ(fast->visible, 0) << "enabling shows nothing by itself";
  w.SetVisible(true);
  w.Update();
  EXPECT_EQ(fast->visible, 1) << "the next show does";

  w.EnableControlObject(w.GetControl("window_pair/other"), false);
  EXPECT_EQ(w.GetButton("window_pair/other")->visible, 0) << "disabling hides at once";
  EXPECT_FALSE(w.GetControl("window_pair/other")->IsVisible());

  w.EnableControl("window_pair/none", false);
  EXPECT_TRUE(LoggedError("(GUIWindowBase::EnableControl): Unknown \"window_pair/none\" control"));
}

}  // namespace
}  // namespace GUITools::guitest
