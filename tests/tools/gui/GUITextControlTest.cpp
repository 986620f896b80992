// The text control: key expressions, placeholders, line breaking with a fixed-advance font (every
// character, the blank included, is half the size wide: 5 units at size 10), alignment of the queued
// lines, fading, and the typewriter's print, erase and reset.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "GUIToolsFixture.h"
#include "engine/core/StringUtils.h"
#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIFontManager.h"
#include "tools/fontbaker/FontFileWriter.h"
#include "tools/gui/GUIFontTool.h"
#include "tools/gui/GUITextControl.h"
#include "tools/gui/GUITextTool.h"

namespace GUITools::guitest {
namespace {

class GUITextControlTest : public GUIToolsFixture {
 protected:
  void SetUp() override {
    WriteFontAndTexts();
    fonts_ = std::make_unique<GUIFontTool>(GetEngine(), "en");
    texts_ = std::make_unique<GUITextTool>(GetEngine(), "en");
  }
  void TearDown() override {
    control_.reset();
    texts_.reset();
    fonts_.reset();
  }

  GUITextControl& Make(Vector2 size = {50, 40}, const std::string& font = "fixed") {
    control_ = std::make_unique<GUITextControl>(GetEngine(), Keeper(), fonts_.get(), texts_.get(),
                                                Container(), Describe("label"));
    control_->size = size;
    control_->SetFont(font);
    return *control_;
  }
  // The texts queued on the element since the last render, in order.
  std::vector<GUITextRecord> Queued() {
    std::vector<GUITextRecord> out;
    GUIWindow* e = control_->GetElement();
    for (std::uint32_t i = 0; i < e->textCount; ++i) {
      out.push_back(*e->textRecords[i]);
    }
    e->textCount = 0;
    return out;
  }
  std::wstring Printed() {
    std::wstring all;
    for (const GUITextRecord& r : Queued()) {
      all += r.text;
    }
    return all;
  }

  std::unique_ptr<GUIFontTool> fonts_;
  std::unique_ptr<GUITextTool> texts_;
  std::unique_ptr<GUITextControl> control_;
};

TEST_F(GUITextControlTest, KeyExpressions) {
  struct Row {
    const char* expression;
    const wchar_t* text;
    const char* why;
  };
  const Row rows[] = {
      {"greeting+' world'", L"hello world", "a key, then a literal"},
      {"[fu]greeting", L"Hello", "first character upper-cased"},
      {"greet[FU]ing", L"Hello", "markup anywhere in the term, any case"},
      {"[u]\"abc\"", L"ABC", "markup on a literal; double quotes"},
      {"'mixed\"", L"mixed", "any pairing of quotes"},
      {"[l]shout", L"loud", "lower-cased"},
      {"[x]greeting", L"hello", "other markup is only removed"},
      {"menu/start", L"start game", "a key reaching deeper elements"},
      {"'abc", L"UNKNOWN", "a quote at one end only: a key"},
      {"'a+b'", L"UNKNOWNUNKNOWN", "a literal cannot hold +"},
      {"greeting + 'x'", L"UNKNOWNUNKNOWN", "blanks beside + belong to the terms"},
      {"greeting++greeting", L"hellohello", "empty terms are skipped"},
      {"missing", L"UNKNOWN", "unknown key"},
  };
  GUITextControl& c = Make();
  for (const Row& row : rows) {
    c.SetTextKey(row.expression);
    EXPECT_EQ(c.text, row.text) << row.why;
    EXPECT_EQ(c.keyExpression, row.expression) << row.why;
  }
  c.SetText(L"plain");
  EXPECT_EQ(c.keyExpression, "'plain'");
  EXPECT_EQ(c.text, L"plain");
}

TEST_F(GUITextControlTest, LayoutBreaksLines) {
  struct Row {
    const char* literal;
    bool multiline;
    float fontSize;
    std::vector<std::wstring> lines;
    const char* why;
  };
  const Row rows[] = {
      {"one\ntwo", false, -1, {L"one", L"two"}, "a line feed always breaks"},
      {"a\r\nb\r\n", false, -1, {L"a", L"b"}, "carriage returns never show"},
      {"aaaa bbbb cccc dd", false, -1, {L"aaaa bbbb cccc dd"}, "no wrapping unless multiline"},
      {"aaaa bbbb cccc", true, -1, {L"aaaa bbbb", L"cccc"}, "wraps at the last blank before the width"},
      {"averyverylongword", true, -1, {L"averyverylongword"}, "a single long word stays whole"},
      {"ab averyverylongword cd",
       true,
       -1,
       {L"ab", L"averyverylongword", L"cd"},
       "a long word after a wrap stays on its own line, no empty lines"},
      {"aaaa bbbb", true, 20, {L"aaaa", L"bbbb"}, "measured at the control's font size"},
      {"aaaa bbbb", true, 0, {L"aaaa bbbb"}, "font size 0: the font's own size"},
      {" x \n y ", false, -1, {L" x ", L"y"}, "a line-feed line keeps its blanks; the last is trimmed"},
  };
  GUITextControl& c = Make({50, 40});
  for (const Row& row : rows) {
    c.fontSize = row.fontSize;
    c.multiline = row.multiline;
    c.SetText(StringToWStringCopy(row.literal));
    EXPECT_EQ(c.lines, row.lines) << row.why;
    std::uint32_t count = 0;
    for (const auto& l : row.lines) {
      count += static_cast<std::uint32_t>(l.size());
    }
    EXPECT_EQ(c.characterCount, count) << row.why;
  }
  EXPECT_FLOAT_EQ(c.fontSizeInUse, 10.0f);
}

TEST_F(GUITextControlTest, PlaceholdersAndMissingFont) {
  GUITextControl& c = Make();
  c.SetText(L"Hi %PROFILE_NAME%, %OTHER%");
  EXPECT_EQ(c.lines, std::vector<std::wstring>{L"Hi %PROFILE_NAME%, %OTHER%"}) << "never set: left as it is";
  c.SetPlaceholder(L"PROFILE_NAME", L"Bob");
  EXPECT_EQ(c.lines, std::vector<std::wstring>{L"Hi Bob, %OTHER%"});
  c.SetPlaceholder(L"PROFILE_NAME", L"Ann");
  EXPECT_EQ(c.lines, std::vector<std::wstring>{L"Hi Ann, %OTHER%"});
  EXPECT_EQ(c.placeholderNames.size(), 1u);
  EXPECT_EQ(c.text, L"Hi %PROFILE_NAME%, %OTHER%") << "the text itself keeps its placeholders";

  c.SetFont("nosuchfont");
  EXPECT_EQ(c.fontIndex, -1);
  EXPECT_TRUE(c.lines.empty());
  c.SetVisible(true, false);
  c.Update();
  EXPECT_TRUE(Queued().empty()) << "no font: nothing drawn";
}

TEST_F(GUITextControlTest, AlignmentOfQueuedLines) {
  struct Row {
    const char* h;
    const char* v;
    std::uint32_t flags;
  };
  const Row single[] = {
      {"left", "bottom", kAlignLeft | kAlignBottom},
      {"right", "top", kAlignRight | kAlignTop},
      {"center", "center", kAlignCentreX | kAlignCentreY},
      {"top_left", "xbottomx", kAlignLeft | kAlignBottom},
      {"", "", kAlignCentreX | kAlignCentreY},
  };
  GUITextControl& c = Make({100, 40});
  c.SetText(L"abc");
  c.SetVisible(true, false);
  for (const Row& row : single) {
    c.alignmentH = row.h;
    c.alignmentV = row.v;
    c.Update();
    const auto q = Queued();
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].alignment, row.flags) << row.h << " " << row.v;
    EXPECT_EQ(q[0].position, (Vector2{0, 0}));
    EXPECT_EQ(q[0].fontId, static_cast<std::uint32_t>(c.fontIndex));
    EXPECT_FLOAT_EQ(q[0].size, 10.0f);
  }

  // Three lines, step = 10 + 2, height 40.
  struct Multi {
    const char* v;
    float firstY;
  };
  const Multi multi[] = {{"top", 30.0f}, {"bottom", 24.0f}, {"center", 24.0f + (40.0f - 36.0f) * 0.5f}};
  c.SetText(L"a\nb\nc");
  c.lineSpace = 2.0f;
  c.alignmentH = "right";
  for (const Multi& row : multi) {
    c.alignmentV = row.v;
    c.Update();
    const auto q = Queued();
    ASSERT_EQ(q.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(q[i].alignment, kAlignRight) << row.v;
      EXPECT_FLOAT_EQ(q[i].position.y, row.firstY - 12.0f * static_cast<float>(i)) << row.v << " line " << i;
    }
  }
}

TEST_F(GUITextControlTest, ColourIsFadedWithTheControl) {
  GUITextControl& c = Make();
  c.colour = Vector4(1, 0.5f, 0, 0.8f);
  c.SetText(L"abc");
  c.faderName = "f";
  c.showSpeed = 4.0f;
  c.SetVisible(true, true);
  SetDelta(0.125f);
  c.Update();
  const auto q = Queued();
  ASSERT_EQ(q.size(), 1u);
  EXPECT_FLOAT_EQ(q[0].colour.y, 0.5f);
  EXPECT_NEAR(q[0].colour.w, 0.8f * 0.5f, 1e-5f);
}

TEST_F(GUITextControlTest, TypewriterPrintsWithinTheMaximumTime) {
  GUITextControl& c = Make({1000, 40});
  c.printingMode = true;
  c.printingSpeed = 10.0f;
  c.maxPrintingTime = 2.0f;
  c.SetText(std::wstring(30, L'x'));
  c.SetVisible(true, false);
  SetDelta(0.125f);
  for (int i = 0; i < 8; ++i) {
    c.Update();
    if (i < 7) {
      Queued();
    }
  }
  EXPECT_EQ(Printed(), std::wstring(15, L'x')) << "15 characters per second, not 10";
  EXPECT_FALSE(c.printingDone);
  for (int i = 0; i < 9; ++i) {
    c.Update();
    Queued();
  }
  EXPECT_TRUE(c.printingDone);
  c.Update();
  EXPECT_EQ(Printed(), std::wstring(30, L'x'));
}

TEST_F(GUITextControlTest, AZeroSpeedStillPrintsWithinTheMaximumTime) {
  GUITextControl& c = Make({1000, 40});
  c.printingMode = true;
  c.printingSpeed = 0.0f;
  c.maxPrintingTime = 0.5f;
  c.SetText(L"abcd");
  c.SetVisible(true, false);
  SetDelta(0.125f);
  c.Update();
  EXPECT_EQ(Printed(), L"a");
  for (int i = 0; i < 3; ++i) {
    Queued();
    c.Update();
  }
  EXPECT_EQ(Printed(), L"abcd") << "four characters in half a second";
}

TEST_F(GUITextControlTest, ANewTextIsErasedThenPrintedAgain) {
  GUITextControl& c = Make({1000, 40});
  c.printingMode = true;
  c.printingSpeed = 8.0f;
  c.SetText(L"abcd");
  c.SetVisible(true, false);
  SetDelta(0.125f);
  for (int i = 0; i < 5; ++i) {
    c.Update();
  }
  Queued();
  ASSERT_TRUE(c.printingDone);

  c.SetText(L"abcd");
  EXPECT_TRUE(c.printingDone) << "the same text leaves printing done alone";
  EXPECT_EQ(c.previousLines, std::vector<std::wstring>{L"abcd"});
  c.Update();
  EXPECT_EQ(Printed(), L"abc") << "the shown text is erased first";
  EXPECT_FALSE(c.printingDone);
  // 3.0001 characters left to erase at one per update: the erase ends in the fourth.
  for (int i = 0; i < 4; ++i) {
    EXPECT_FALSE(c.previousLines.empty()) << i;
    c.Update();
  }
  Queued();
  EXPECT_TRUE(c.previousLines.empty());
  c.Update();
  EXPECT_EQ(Printed(), L"a") << "then printed again from its first character";

  c.SetText(L"other");
  EXPECT_FALSE(c.printingDone);
  c.SetVisible(false, false);
  c.Update();
  EXPECT_EQ(c.printed, 0.0f) << "an invisible control starts over";
  EXPECT_FALSE(c.printingDone);
  EXPECT_TRUE(c.previousLines.empty());
}

TEST_F(GUITextControlTest, APartlyPrintedLineStartsWhereTheWholeLineWould) {
  GUITextControl& c = Make({100, 40});
  c.alignmentH = "center";
  c.alignmentV = "top";
  c.printingMode = true;
  c.printingSpeed = 40.0f;
  c.SetText(L"abcdefghij");
  c.SetVisible(true, false);
  SetDelta(0.125f);
  c.Update();
  const auto q = Queued();
  ASSERT_EQ(q.size(), 1u);
  EXPECT_EQ(q[0].text, L"abcde");
  EXPECT_EQ(q[0].alignment, 0u);
  // The whole line is 50 wide and 10 high: centred in 100, at the top of 40.
  EXPECT_NEAR(q[0].position.x, 25.0f, 0.01f);
  EXPECT_NEAR(q[0].position.y, 30.0f, 0.01f);
}

}  // namespace
}  // namespace GUITools::guitest
