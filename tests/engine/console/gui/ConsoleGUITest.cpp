// The console's window and edit box on the engine GUI: where they are made, how the slide moves them,
// the texts queued on the window, and wrapping measured in a real bitmap font.
#include <gtest/gtest.h>

#include <memory>

#include "engine/config/Config.h"
#include "engine/console/Console.h"
#include "engine/console/ConsoleGUIView.h"
#include "engine/gui/GUIEditBox.h"
#include "engine/gui/GUIFixture.h"
#include "platform/win32/WinMessages.h"

namespace CorvantisEngine::guitest {
namespace {

class ConsoleGUITest : public GUIFixture {
 protected:
  ConsoleGUITest() {
    config_ = std::make_unique<Config>(&log_, files_.get(), "", "Console GUI Test", false, "", false, false);
  }
  ~ConsoleGUITest() override {
    console_.reset();
    config_.reset();
  }

  // Font size 10: letters 5 units wide, a space (no glyph) 10.
  Console& Make() {
    MakeFont(kFont, 10.0f);
    console_ =
        std::make_unique<Console>(&log_, &timers_, config_.get(), nullptr, shaders_.get(), gui_.get(),
                                  "Console", nullptr, kFont, u'_', u'>', u'-', "F12", 0.75f, 300.0f, 1000.0f);
    view_ = static_cast<ConsoleGUIView*>(&console_->GetView());
    return *console_;
  }

  std::unique_ptr<Config> config_;
  std::unique_ptr<Console> console_;
  ConsoleGUIView* view_ = nullptr;
};

TEST_F(ConsoleGUITest, MakesAHiddenTopLayerWindowWithItsEditBoxAndGivesThemBack) {
  const std::uint32_t windowsBefore = gui_->windows.count;
  const std::uint32_t editBoxesBefore = gui_->editBoxes.count;
  Make();
  GUIWindow* window = view_->GetWindow();
  GUIEditBox* editBox = view_->GetEditBox();
  ASSERT_NE(window, nullptr);
  ASSERT_NE(editBox, nullptr);
  EXPECT_EQ(gui_->windows.count, windowsBefore + 1);
  EXPECT_EQ(gui_->editBoxes.count, editBoxesBefore + 1);

  EXPECT_EQ(window->state, kGUIColoured | kGUILayer3);
  EXPECT_EQ(window->visible, 0);
  EXPECT_FLOAT_EQ(window->depth, -30.0f);
  EXPECT_EQ(window->position, (Vector2{0, 600}));
  EXPECT_EQ(window->size, (Vector2{800, 600}));

  EXPECT_EQ(editBox->parent, window);
  // The test font has no glyph for ">": it measures as a space, 10 units.
  EXPECT_EQ(editBox->position, (Vector2{10, 14})) << "right of the prompt, on the prompt's row";
  EXPECT_EQ(editBox->maxLength, 255u);
  EXPECT_FLOAT_EQ(editBox->maxTextWidth, 3200.0f);
  EXPECT_FLOAT_EQ(editBox->visibleWidth, 790.0f);
  EXPECT_EQ(editBox->caretCharacter, u'_');
  EXPECT_EQ(editBox->active, 0) << "takes no keys until the console is open";
  EXPECT_EQ(editBox->fontId, kFont);

  console_.reset();
  EXPECT_EQ(gui_->windows.count, windowsBefore);
  EXPECT_EQ(gui_->editBoxes.count, editBoxesBefore);
}

TEST_F(ConsoleGUITest, OpenConsoleQueuesItsTextsOnTheWindow) {
  Console& console = Make();
  GUIWindow* window = view_->GetWindow();
  console.AppendWrappedText(Vector4(1, 0, 0, 1), L"abc\n");
  console.Toggle();
  timers_.delta = 0.1f;
  for (int i = 0; i < 10 && console.GetState() != Console::kOpen; ++i) {
    console.Execute();
    gui_->Render();
  }
  ASSERT_EQ(console.GetState(), Console::kOpen);
  EXPECT_EQ(window->visible, 1);
  EXPECT_EQ(window->position, (Vector2{0, 300}));
  EXPECT_EQ(view_->GetEditBox()->visible, 1);
  EXPECT_EQ(view_->GetEditBox()->active, 1);

  console.Execute();
  EXPECT_NEAR(window->GetColour().w, 0.75f, 1.0f / 255.0f) << "the window fades by the alpha";
  ASSERT_EQ(window->textCount, 3u) << "header, prompt and the one row";
  const GUITextRecord& header = *window->textRecords[0];
  EXPECT_EQ(header.text, console.GetHeaderLine());
  EXPECT_EQ(header.fontId, kFont);
  EXPECT_EQ(header.alignment, 0u);
  EXPECT_EQ(header.position, (Vector2{0, 2}));
  EXPECT_EQ(window->textRecords[1]->text, L">");
  EXPECT_EQ(window->textRecords[1]->position, (Vector2{0, 14}));
  const GUITextRecord& row = *window->textRecords[2];
  EXPECT_EQ(row.text, L"abc");
  EXPECT_EQ(row.position, (Vector2{0, 38}));
  EXPECT_FLOAT_EQ(row.colour.x, 1.0f);
  EXPECT_FLOAT_EQ(row.colour.y, 0.0f);
  gui_->Render();
  EXPECT_EQ(window->textCount, 0u) << "drawn and cleared";

  // A line typed into the edit box runs on Enter.
  view_->GetEditBox()->SetText(L"v_vsync 0");
  console.HandleKey(VK_RETURN);
  EXPECT_EQ(config_->v_vsync, 0);
  EXPECT_EQ(view_->GetEditBox()->text, L"");
}

TEST_F(ConsoleGUITest, AScreenSizedAfterCreationIsStillCovered) {
  Console& console = Make();
  gui_->SetScreenSize(1024.0f, 768.0f);
  console.Toggle();
  timers_.delta = 0.1f;
  for (int i = 0; i < 10 && console.GetState() != Console::kOpen; ++i) {
    console.Execute();
  }
  ASSERT_EQ(console.GetState(), Console::kOpen);
  EXPECT_EQ(view_->GetWindow()->size, (Vector2{1024, 768}));
  EXPECT_EQ(view_->GetWindow()->position, (Vector2{0, 468}));
}

TEST_F(ConsoleGUITest, WrapsAndPadsInTheConsoleFont) {
  Console& console = Make();
  // Header: "Console" is 35 wide, each space 10: 76 spaces keep it within 800.
  EXPECT_EQ(console.GetHeaderLine(), L"Console" + std::wstring(76, L' '));
  console.AppendWrappedText(Vector4(), std::wstring(200, L'a'));
  ASSERT_EQ(console.GetLines().size(), 2u);
  EXPECT_EQ(console.GetLines()[0].text, std::wstring(160, L'a') + L"\n") << "160 letters of 5 fill 800";
  EXPECT_EQ(console.GetLines()[1].text, std::wstring(40, L'a'));
  EXPECT_FLOAT_EQ(console.GetLines()[1].width, 200.0f);
}

TEST_F(ConsoleGUITest, AFontMissingAtCreationIsFoundOnceRegistered) {
  console_ =
      std::make_unique<Console>(&log_, &timers_, config_.get(), nullptr, shaders_.get(), gui_.get(),
                                "Console", nullptr, 99, u'_', u'>', u'-', "F12", 0.75f, 300.0f, 1000.0f);
  console_->AppendWrappedText(Vector4(), L"no font yet\n");
  ASSERT_EQ(console_->GetLines().size(), 1u) << "nothing measures, nothing wraps, nothing breaks";
  gui_->GetFontManager()->CreateFont(99, nullptr, "fonts\\test.fnt");
  EXPECT_FLOAT_EQ(console_->GetView().GetTextWidth(L"ab"), 1.0f) << "size 1, letters half of it";
}

}  // namespace
}  // namespace CorvantisEngine::guitest
