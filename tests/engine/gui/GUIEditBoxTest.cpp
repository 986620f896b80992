// The edit box's key handling over a fixed-width font (every glyph 5 units wide at size 10): limits,
// insert and overwrite, Backspace and Delete, caret moves and the scrolled view, and what it queues.
#include <cmath>

#include "GUIFixture.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIEditBox.h"
#include "platform/headless/HeadlessClock.h"

namespace CorvantisEngine::guitest {
namespace {

constexpr std::uint16_t kInsert = GUIEditBox::kKeyInsert;
constexpr std::uint16_t kDelete = GUIEditBox::kKeyDelete;
constexpr std::uint16_t kBackspace = GUIEditBox::kKeyBackspace;
constexpr std::uint16_t kLeft = GUIEditBox::kKeyLeft;
constexpr std::uint16_t kRight = GUIEditBox::kKeyRight;
constexpr std::uint16_t kHome = GUIEditBox::kKeyHome;
constexpr std::uint16_t kEnd = GUIEditBox::kKeyEnd;

class EditBoxTest : public GUIFixture {
 protected:
  EditBoxTest() { MakeFont(); }

  GUIEditBox* MakeBox(std::uint32_t maxLength, float maxWidth = 1000.0f, float visibleWidth = 1000.0f) {
    return gui_->CreateEditBox(kGUIShown, {100, 100}, {300, 30}, nullptr, kFont, Vector4(1, 1, 1, 1), {4, 6},
                               maxLength, maxWidth, visibleWidth, '_', nullptr, {1, 1});
  }
  static void Type(GUIEditBox* box, const std::wstring& text) {
    for (const wchar_t c : text) {
      box->HandleKey(static_cast<std::uint16_t>(c), true);
    }
  }
  static void Key(GUIEditBox* box, std::uint16_t key, int times = 1) {
    for (int i = 0; i < times; ++i) {
      box->HandleKey(key, false);
    }
  }
};

TEST_F(EditBoxTest, FullBoxKeepsTheCaretOnTheLastCharacter) {
  GUIEditBox* box = MakeBox(8);
  Type(box, L"ABCDEFGH");
  EXPECT_EQ(box->text, L"ABCDEFGH");
  EXPECT_EQ(box->caret, 7);
  EXPECT_FALSE(box->HandleKey('X', true)) << "insert mode refuses a ninth character";
  EXPECT_EQ(box->text, L"ABCDEFGH");
  Key(box, kInsert);
  EXPECT_TRUE(box->HandleKey('X', true));
  EXPECT_EQ(box->text, L"ABCDEFGX") << "overwrite replaces the last character";
  EXPECT_EQ(box->caret, 7);
  EXPECT_TRUE(box->HandleKey(kBackspace, false));
  EXPECT_EQ(box->text, L"ABCDEFG") << "Backspace on the last character of a full box takes it";
  EXPECT_EQ(box->caret, 7);
  Key(box, kBackspace);
  EXPECT_EQ(box->text, L"ABCDEF");
  EXPECT_EQ(box->caret, 6);
}

TEST_F(EditBoxTest, BackspaceInsideAShortTextTakesTheCharacterBeforeTheCaret) {
  GUIEditBox* box = MakeBox(8);
  Type(box, L"abc");
  Key(box, kLeft);
  EXPECT_EQ(box->caret, 2);
  Key(box, kBackspace);
  EXPECT_EQ(box->text, L"ac");
  EXPECT_EQ(box->caret, 1);
  Key(box, kHome);
  EXPECT_FALSE(box->HandleKey(kBackspace, false));
  Type(box, L"X");
  EXPECT_EQ(box->text, L"Xac");
  EXPECT_EQ(box->caret, 1);
}

TEST_F(EditBoxTest, OverwriteKeepsTheTextWithinTheMaximumWidth) {
  // 'i' is 2 units wide at size 10, 'W' 10: "iii" is 6 wide in a box that takes 20.
  WriteData("fonts\\mixed.fnt",
            fontbaker::BuildFontFile({{'i', 0, 0, 0.1f, 0.1f, 0.2f}, {'W', 0, 0, 0.1f, 0.1f, 1.0f}}));
  gui_->GetFontManager()->CreateFont(kFont + 1, nullptr, "fonts\\mixed.fnt")->size = 10.0f;
  GUIEditBox* box = gui_->CreateEditBox(kGUIShown, {}, {300, 30}, nullptr, kFont + 1, Vector4(), {}, 8, 20.0f,
                                        1000.0f, 'i', nullptr, {1, 1});
  Type(box, L"iii");
  Key(box, kHome);
  Key(box, kInsert);
  EXPECT_TRUE(box->HandleKey('W', true));
  EXPECT_EQ(box->text, L"Wii");
  EXPECT_FALSE(box->HandleKey('W', true)) << "\"WWi\" would be 22 wide";
  EXPECT_EQ(box->text, L"Wii");
  EXPECT_EQ(box->caret, 1);
}

TEST_F(EditBoxTest, KeyTable) {
  struct Case {
    const char* why;
    std::uint32_t maxLength;
    float maxWidth;
    std::wstring typed;
    std::vector<std::pair<std::uint16_t, bool>> keys;  // code, is character
    std::wstring text;
    std::int32_t caret;
    bool lastChanged;
  } cases[] = {
      {"Delete at the end does nothing", 8, 1000, L"ab", {{kDelete, false}}, L"ab", 2, false},
      {"Delete under the caret", 8, 1000, L"abc", {{kHome, false}, {kDelete, false}}, L"bc", 0, true},
      {"a code without a glyph is ignored", 8, 1000, L"a", {{'#', true}}, L"a", 1, false},
      {"a space is taken without a glyph", 8, 1000, L"a", {{' ', true}}, L"a ", 2, true},
      {"maximum length 0 refuses everything", 0, 1000, L"", {{'a', true}, {' ', true}}, L"", 0, false},
      {"maximum width: four glyphs of 5 fit in 20", 8, 20, L"abcd", {{'e', true}}, L"abcd", 4, false},
      {"overwrite appends at the end within the limits",
       8,
       1000,
       L"ab",
       {{kInsert, false}, {'c', true}},
       L"abc",
       3,
       true},
      {"overwrite at the end of a full-width text refuses",
       8,
       15,
       L"abc",
       {{kInsert, false}, {'d', true}},
       L"abc",
       3,
       false},
      {"Right stops at the end", 8, 1000, L"ab", {{kRight, false}, {kRight, false}}, L"ab", 2, false},
      {"End goes to the end", 8, 1000, L"abc", {{kHome, false}, {kEnd, false}}, L"abc", 3, false},
      {"Left stops at the start", 8, 1000, L"a", {{kLeft, false}, {kLeft, false}}, L"a", 0, false},
      {"insert in the middle", 8, 1000, L"ac", {{kLeft, false}, {'b', true}}, L"abc", 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    GUIEditBox* box = MakeBox(c.maxLength, c.maxWidth);
    Type(box, c.typed);
    bool changed = false;
    for (const auto& [code, isCharacter] : c.keys) {
      changed = box->HandleKey(code, isCharacter);
    }
    EXPECT_EQ(box->text, c.text);
    EXPECT_EQ(box->caret, c.caret);
    EXPECT_EQ(changed, c.lastChanged);
    gui_->DestroyEditBox(box);
  }
}

TEST_F(EditBoxTest, TypingPastTheVisibleWidthScrollsAndHomeShowsTheStart) {
  // 50 units show nine characters and the caret.
  GUIEditBox* box = MakeBox(100, 1000.0f, 50.0f);
  std::int32_t lastFirst = 0;
  for (int i = 0; i < 30; ++i) {
    Type(box, std::wstring(1, static_cast<wchar_t>(L'a' + i % 26)));
    SCOPED_TRACE(i);
    EXPECT_LE(box->firstVisible - lastFirst, 5) << "the view moves by at most 5 characters";
    EXPECT_GE(box->firstVisible, lastFirst);
    EXPECT_LE(box->firstVisible, box->caret);
    lastFirst = box->firstVisible;
    // The caret stays within the visible width.
    const float caretX = 5.0f * static_cast<float>(box->caret - box->firstVisible);
    EXPECT_LE(caretX + 5.0f, 50.0f + 1e-3f);
  }
  EXPECT_GT(box->firstVisible, 15);
  Key(box, kHome);
  EXPECT_EQ(box->firstVisible, 0);
  EXPECT_EQ(box->caret, 0);
  Key(box, kEnd);
  EXPECT_EQ(box->caret, 30);
  EXPECT_EQ(box->firstVisible, 21);
  // Left at the first visible character scrolls the view back by up to 5.
  Key(box, kLeft, 9);
  EXPECT_EQ(box->caret, 21);
  EXPECT_EQ(box->firstVisible, 16);
}

TEST_F(EditBoxTest, NarrowBoxNeverPutsTheFirstVisiblePastTheCaret) {
  GUIEditBox* box = MakeBox(100, 1000.0f, 2.0f);
  Type(box, L"abcdef");
  EXPECT_EQ(box->caret, 6);
  EXPECT_LE(box->firstVisible, box->caret);
  box->SetText(L"hello");
  EXPECT_EQ(box->caret, 5);
  EXPECT_LE(box->firstVisible, box->caret);
}

TEST_F(EditBoxTest, QueuesTheVisibleTextAndABlinkingCaret) {
  GUIEditBox* box = MakeBox(100, 1000.0f, 30.0f);
  // Move to the start of an "on" phase of the blink.
  const float now = timers_.frameTimer->GetTime();
  const float next = (std::floor(now / 0.8f) + 1.0f) * 0.8f + 0.1f;
  platform::headless::StepClockSeconds(next - now);
  ASSERT_TRUE(box->Update({0, 0}, false, false));
  ASSERT_EQ(box->textCount, 1u) << "an empty text queues only the caret";
  EXPECT_EQ(box->textRecords[0]->text, L"_");
  box->Render();

  box->SetText(L"abcdefghij");
  box->firstVisible = 0;
  box->caret = 2;
  box->Update({0, 0}, false, false);
  ASSERT_EQ(box->textCount, 2u);
  EXPECT_EQ(box->textRecords[0]->text, L"abcdef") << "the longest prefix within 30 units";
  EXPECT_FLOAT_EQ(box->textRecords[0]->position.x, 4.0f);
  EXPECT_FLOAT_EQ(box->textRecords[1]->position.x, 14.0f) << "the caret after two characters";
  EXPECT_FLOAT_EQ(box->textRecords[1]->position.y, 6.0f);
  box->Render();

  platform::headless::StepClockSeconds(0.4);
  box->Update({0, 0}, false, false);
  EXPECT_EQ(box->textCount, 1u) << "the caret is off for 0.4 s";
  box->Render();
  box->active = 0;
  platform::headless::StepClockSeconds(0.4);
  box->Update({0, 0}, false, false);
  EXPECT_EQ(box->textCount, 1u) << "an inactive box shows no caret";
  box->Render();
}

TEST_F(EditBoxTest, TextFadesWithTheWindow) {
  GUIEditBox* box = gui_->CreateEditBox(kGUIShown | kGUIColoured, {}, {100, 20}, nullptr, kFont,
                                        Vector4(1, 0, 0, 0.8f), {}, 10, 100, 100, '_', nullptr, {1, 1});
  box->SetText(L"ab");
  box->SetColour(Vector4(1, 1, 1, 0.5f));
  box->Update({0, 0}, false, false);
  ASSERT_GE(box->textCount, 1u);
  EXPECT_NEAR(box->textRecords[0]->colour.w, 0.4f, 0.01f);
  EXPECT_FLOAT_EQ(box->textRecords[0]->colour.x, 1.0f);
  box->Render();
}

TEST_F(EditBoxTest, WithoutAFontTheBoxDoesNothing) {
  GUIEditBox* box = gui_->CreateEditBox(kGUIShown, {}, {100, 20}, nullptr, GUIEditBox::kNoFont, Vector4(), {},
                                        10, 100, 100, '_', nullptr, {1, 1});
  EXPECT_EQ(box->font, nullptr);
  EXPECT_FALSE(box->Update({0, 0}, false, false));
  // A font destroyed under a box is not reached, also by the calls the toolkit makes between frames;
  // a font registered again under the id is the one the box measures with.
  GUIEditBox* other = MakeBox(10, 20.0f, 1000.0f);
  Type(other, L"ab");
  gui_->GetFontManager()->DestroyFont(kFont);
  EXPECT_FALSE(other->Update({0, 0}, false, false));
  other->SetText(L"abc");
  EXPECT_FALSE(other->HandleKey('d', true));
  EXPECT_EQ(other->text, L"abc");
  other->SetText(L"ab");
  WriteData("fonts\\wide.fnt", fontbaker::BuildFontFile(FixedWidthGlyphs(LettersAndDigits(), 1.0f)));
  gui_->GetFontManager()->CreateFont(kFont, nullptr, "fonts\\wide.fnt")->size = 10.0f;
  EXPECT_FALSE(other->CanInsertChar('c')) << "three glyphs of 10 are wider than 20";
}

}  // namespace
}  // namespace CorvantisEngine::guitest
