// The console over a fixed-width fake view: its variables, wrapping, the slide, the rows it draws, the
// results of Enter, Tab completion and the history.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "FakeConsoleView.h"
#include "engine/config/Config.h"
#include "engine/console/Console.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "platform/win32/WinMessages.h"
#include "support/TempFolder.h"

namespace consoletest {
namespace {

using CorvantisEngine::Config;
using CorvantisEngine::ConfigVariable;
using CorvantisEngine::Console;
using CorvantisEngine::ConsoleLine;

const Vector4 kWhite(1, 1, 1, 1);
const Vector4 kGrey(0.5f, 0.5f, 0.5f, 1);
const Vector4 kRed(1, 0, 0, 1);
const Vector4 kBlue(0, 0, 1, 1);
const Vector4 kGreen(0, 1, 0, 1);

bool SameColour(const Vector4& a, const Vector4& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}

struct Piece {
  std::wstring text;
  int endsRow;
};

class ConsoleTest : public ::testing::Test {
 protected:
  ConsoleTest() : log_("Console Test", 0, 0, "", ""), files_(&log_, temp_.Win(), "") {}

  void MakeConfig() {
    config_ =
        std::make_unique<Config>(&log_, &files_, temp_.Win("cfg"), "Game", false, "800x600x32", false, false);
  }

  Console& Make(float alpha = 0.8f, float size = 300.0f, float speed = 100.0f) {
    if (!config_) {
      MakeConfig();
    }
    auto view = std::make_unique<FakeConsoleView>();
    view_ = view.get();
    view_->screenWidth = screenWidth_;
    view_->fontSize = fontSize_;
    view_->wide = wide_;
    console_ = std::make_unique<Console>(&log_, nullptr, config_.get(), nullptr, std::move(view),
                                         "Brindlewick Console", u'>', u'-', "F12", alpha, size, speed);
    return *console_;
  }

  // The pieces appended since `from`.
  std::vector<Piece> PiecesFrom(std::size_t from) const {
    std::vector<Piece> pieces;
    const auto& lines = console_->GetLines();
    for (std::size_t i = from; i < lines.size(); ++i) {
      pieces.push_back({lines[i].text, lines[i].endsRow});
    }
    return pieces;
  }
  std::wstring TextFrom(std::size_t from) const {
    std::wstring text;
    for (const Piece& piece : PiecesFrom(from)) {
      text += piece.text;
    }
    return text;
  }

  // Types a line and presses Enter; returns the text the console appended.
  std::wstring Enter(const std::wstring& line) {
    const std::size_t from = console_->GetLines().size();
    view_->input = line;
    console_->HandleKey(VK_RETURN);
    return TextFrom(from);
  }

  void OpenFully() {
    console_->Toggle();
    for (int i = 0; i < 1000 && console_->GetState() != Console::kOpen; ++i) {
      console_->Slide(0.1f);
    }
    ASSERT_EQ(console_->GetState(), Console::kOpen);
  }

  testsupport::TempFolder temp_;
  CorvantisEngine::MessageManager log_;
  CorvantisEngine::FileManager files_;
  std::unique_ptr<Config> config_;
  float screenWidth_ = 800.0f;
  float fontSize_ = 20.0f;
  std::map<wchar_t, float> wide_;
  FakeConsoleView* view_ = nullptr;
  std::unique_ptr<Console> console_;
};

TEST_F(ConsoleTest, ConstructionRegistersVariablesAndLaysOutItsFixedLines) {
  Console& console = Make(0.8f, 300.0f, 100.0f);
  EXPECT_EQ(config_->GetDefaultText("ui_console_alpha"), "0.8000");
  EXPECT_EQ(config_->GetDefaultText("ui_console_size"), "300.0000");
  EXPECT_EQ(config_->GetDefaultText("ui_console_speed"), "100.0000");
  EXPECT_EQ(config_->GetValueText("ui_console_key"), "F12");
  EXPECT_EQ(config_->GetValueText("say"), "");

  EXPECT_EQ(console.GetState(), Console::kClosed);
  EXPECT_FALSE(view_->shown);
  EXPECT_FALSE(view_->inputActive);
  EXPECT_FLOAT_EQ(view_->windowY, 600.0f) << "starts just above the top edge";
  EXPECT_FLOAT_EQ(console.GetTextBase(), 4.0f);
  EXPECT_FLOAT_EQ(console.GetRowStep(), 24.0f);
  EXPECT_EQ(console.GetPrompt(), L">");

  // 800 units hold 80 characters of 10: the header is the title padded to exactly that width.
  ASSERT_EQ(console.GetHeaderLine().size(), 80u);
  EXPECT_EQ(console.GetHeaderLine().substr(0, 19), L"Brindlewick Console");
  EXPECT_EQ(console.GetHeaderLine().find_first_not_of(L' ', 19), std::wstring::npos);
  EXPECT_EQ(console.GetSeparatorLine(), std::wstring(80, L'-'));

  // Saved variables reach the ini file; "say" does not.
  config_->Save();
  const std::string ini = temp_.Read("cfg/Game.ini");
  EXPECT_NE(ini.find("ui_console_alpha 0.800000\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("ui_console_key F12\r\n"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("say"), std::string::npos) << ini;
}

TEST_F(ConsoleTest, FixedLinesStopAt255CharactersOnAWideScreen) {
  screenWidth_ = 100000.0f;
  Console& console = Make();
  EXPECT_EQ(console.GetHeaderLine().size(), 255u);
  EXPECT_EQ(console.GetSeparatorLine().size(), 255u);
}

TEST_F(ConsoleTest, VariablesOutOfRangeAreClampedIntoIt) {
  // Values read from the ini file, applied when the console registers its variables.
  struct Row {
    const char* alpha;
    const char* size;
    const char* speed;
    float wantAlpha, wantSize, wantSpeed;
  } rows[] = {
      {"0.5", "200", "50", 0.5f, 200.0f, 50.0f},   {"5", "9000", "-3", 1.0f, 600.0f, 0.0f},
      {"0", "0", "0", 1.0f / 255.0f, 1.0f, 0.0f},  {"-1", "-50", "1e30", 1.0f / 255.0f, 1.0f, 1e30f},
      {"nan", "nan", "nan", 0.8f, 300.0f, 100.0f},  // no number: the constructor's values
  };
  for (const Row& row : rows) {
    console_.reset();
    config_.reset();
    temp_.Write("cfg/Game.ini", std::string("ui_console_alpha ") + row.alpha + "\r\nui_console_size " +
                                    row.size + "\r\nui_console_speed " + row.speed + "\r\n");
    MakeConfig();
    config_->Load();
    Console& console = Make(0.8f, 300.0f, 100.0f);
    EXPECT_FLOAT_EQ(console.alpha, row.wantAlpha) << row.alpha;
    EXPECT_FLOAT_EQ(console.size, row.wantSize) << row.size;
    EXPECT_FLOAT_EQ(console.speed, row.wantSpeed) << row.speed;
  }

  // A value set while the console runs is clamped at the next frame.
  console_->size = 100.0f;
  config_->ExecuteLine("ui_console_size 5000", nullptr);
  console_->Execute();
  EXPECT_FLOAT_EQ(console_->size, 600.0f);
}

TEST_F(ConsoleTest, DestructionHidesTheVariablesAndANewConsoleGetsTheirValues) {
  Make();
  config_->ExecuteLine("ui_console_alpha 0.25", nullptr);
  config_->ExecuteLine("ui_console_key F11", nullptr);
  console_.reset();
  std::vector<std::string> names;
  config_->GetVariableNames(names);
  for (const std::string& name : names) {
    EXPECT_NE(name.rfind("ui_console", 0), 0u) << name << " still bound to a deleted field";
  }
  EXPECT_EQ(config_->GetValueText("ui_console_alpha"), "0.250000") << "kept for the ini file";

  Console& again = Make();
  EXPECT_FLOAT_EQ(again.alpha, 0.25f);
  EXPECT_EQ(again.keyName, "F11");
}

// Rows of 10 characters (100 units, 10 per character).
TEST_F(ConsoleTest, WrappingSplitsTextIntoRowPieces) {
  screenWidth_ = 100.0f;
  wide_[L'W'] = 150.0f;
  struct Row {
    const wchar_t* text;
    std::vector<Piece> want;
    const char* why;
  } rows[] = {
      {L"", {}, "nothing to append"},
      {L"abc", {{L"abc", 0}}, "an open row"},
      {L"abc\n", {{L"abc\n", 1}}, "a closed row"},
      {L"abcdefghij", {{L"abcdefghij", 0}}, "exactly the screen width fits"},
      {L"abcdefghijk", {{L"abcdefghij\n", 1}, {L"k", 0}}, "one past wraps"},
      {L"abcdefghij\n", {{L"abcdefghij\n", 1}}, "a newline after a full row makes no empty row"},
      {L"abcdefghijklmnopqrstuvwxy\n",
       {{L"abcdefghij\n", 1}, {L"klmnopqrst\n", 1}, {L"uvwxy\n", 1}},
       "three rows"},
      {L"ab\ncd", {{L"ab\n", 1}, {L"cd", 0}}, "newline inside"},
      {L"\n\n", {{L"\n", 1}, {L"\n", 1}}, "empty rows"},
      {L"W", {{L"W", 0}}, "a glyph wider than the screen takes a row alone"},
      {L"aWb\n", {{L"a\n", 1}, {L"W\n", 1}, {L"b\n", 1}}, "and pushes its neighbours off"},
  };
  Console& console = Make();
  for (const Row& row : rows) {
    const std::size_t from = console.GetLines().size();
    console.AppendWrappedText(kGreen, row.text);
    const std::vector<Piece> got = PiecesFrom(from);
    ASSERT_EQ(got.size(), row.want.size()) << row.why;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].text, row.want[i].text) << row.why << " piece " << i;
      EXPECT_EQ(got[i].endsRow, row.want[i].endsRow) << row.why << " piece " << i;
      const ConsoleLine& line = console.GetLines()[from + i];
      EXPECT_TRUE(SameColour(line.colour, kGreen));
      EXPECT_FLOAT_EQ(line.width, view_->GetTextWidth(line.text)) << row.why;
    }
  }
}

TEST_F(ConsoleTest, SlideFollowsTheStateMachineOnAFixedDelta) {
  // size 300, speed 100, delta 0.5: 50 units a step on a 600 high screen.
  Console& console = Make(0.8f, 300.0f, 100.0f);
  view_->input = L"left over";
  console.Toggle();
  EXPECT_EQ(console.GetState(), Console::kOpening);
  EXPECT_TRUE(view_->shown);
  EXPECT_EQ(view_->input, L"") << "opening clears the edit box";
  EXPECT_FALSE(view_->inputActive);

  struct Step {
    bool toggle;
    std::uint32_t state;
    float y;
  } steps[] = {
      {false, Console::kOpening, 550},
      {false, Console::kOpening, 500},
      {false, Console::kOpening, 450},
      {false, Console::kOpening, 400},
      {false, Console::kOpening, 350},
      {false, Console::kOpening, 300},  // reaches the size, does not exceed it yet
      {false, Console::kOpen, 300},     // passes it: held at 600 - 300
      {false, Console::kOpen, 300},
      {true, Console::kClosing, 350},
      {false, Console::kClosing, 400},
      {true, Console::kOpening, 350},  // the key reverses a slide half-way
      {true, Console::kClosing, 400},
      {false, Console::kClosing, 450},
      {false, Console::kClosing, 500},
      {false, Console::kClosing, 550},
      {false, Console::kClosing, 600},
      {false, Console::kClosed, 600},  // past the top edge: closed and parked there
      {false, Console::kClosed, 600},
  };
  int index = 0;
  for (const Step& step : steps) {
    if (step.toggle) {
      console.Toggle();
    }
    console.Slide(0.5f);
    EXPECT_EQ(console.GetState(), step.state) << "step " << index;
    EXPECT_FLOAT_EQ(view_->windowY, step.y) << "step " << index;
    if (step.state == Console::kOpen) {
      EXPECT_TRUE(view_->inputActive) << "step " << index;
    }
    if (step.state == Console::kClosing) {
      EXPECT_FALSE(view_->inputActive) << "step " << index;
    }
    ++index;
  }
  EXPECT_FALSE(view_->shown);
}

TEST_F(ConsoleTest, ClosingResetsTheScroll) {
  Console& console = Make(0.8f, 300.0f, 1000.0f);
  for (int i = 0; i < 5; ++i) {
    console.AppendWrappedText(kWhite, L"row\n");
  }
  OpenFully();
  console.ScrollUp();
  console.ScrollUp();
  console.Toggle();
  console.Slide(0.1f);
  EXPECT_EQ(console.GetScroll(), 2u) << "still scrolled while closing";
  for (int i = 0; i < 10 && console.GetState() != Console::kClosed; ++i) {
    console.Slide(0.1f);
  }
  ASSERT_EQ(console.GetState(), Console::kClosed);
  EXPECT_EQ(console.GetScroll(), 0u);
}

// Rows, newest at the bottom just above the header, prompt and separator slots; 24 units a row.
TEST_F(ConsoleTest, DrawShowsTheRowsThatFitNewestAtTheBottom) {
  Console& console = Make(0.8f, 100.0f, 1000.0f);
  for (int i = 0; i < 10; ++i) {
    console.AppendWrappedText(kWhite, L"row " + std::to_wstring(i) + L"\n");
  }
  console.AppendWrappedText(kRed, L"open ");
  console.AppendWrappedText(kGreen, L"end\n");
  OpenFully();
  EXPECT_FLOAT_EQ(view_->windowY, 500.0f);

  view_->printed.clear();
  console.Draw();
  EXPECT_TRUE(SameColour(view_->windowColour, Vector4(1, 1, 1, 0.8f)));
  const auto& printed = view_->printed;
  ASSERT_GE(printed.size(), 2u);
  EXPECT_EQ(printed[0].text, console.GetHeaderLine());
  EXPECT_FLOAT_EQ(printed[0].position.y, 4.0f);
  EXPECT_EQ(printed[1].text, L">");
  EXPECT_FLOAT_EQ(printed[1].position.y, 28.0f);
  // No separator unscrolled; the newest row at 4 + 3 x 24 = 76 is below the visible 100 units, the
  // next one at 100 would start at the screen's top edge and is left out.
  ASSERT_EQ(printed.size(), 4u) << "header, prompt, the two pieces of the newest row";
  EXPECT_EQ(printed[2].text, L"open ");
  EXPECT_FLOAT_EQ(printed[2].position.x, 0.0f);
  EXPECT_FLOAT_EQ(printed[2].position.y, 76.0f);
  EXPECT_TRUE(SameColour(printed[2].colour, kRed));
  EXPECT_EQ(printed[3].text, L"end") << "the row's second piece follows the first";
  EXPECT_FLOAT_EQ(printed[3].position.x, 50.0f);
  EXPECT_FLOAT_EQ(printed[3].position.y, 76.0f);
  EXPECT_TRUE(SameColour(printed[3].colour, kGreen));
}

TEST_F(ConsoleTest, DrawFillsTheWholeOpenHeight) {
  // 4 + 3 x 24 = 76 for the newest row; a 300-unit console holds rows at 76, 100, ..., 292: ten rows.
  Console& console = Make(0.8f, 300.0f, 1000.0f);
  for (int i = 0; i < 20; ++i) {
    console.AppendWrappedText(kWhite, L"row " + std::to_wstring(i) + L"\n");
  }
  OpenFully();
  view_->printed.clear();
  console.Draw();
  ASSERT_EQ(view_->printed.size(), 12u);
  for (int i = 0; i < 10; ++i) {
    const PrintedText& row = view_->printed[2 + i];
    EXPECT_EQ(row.text, L"row " + std::to_wstring(10 + i)) << "oldest first, top down";
    EXPECT_FLOAT_EQ(row.position.y, 76.0f + 24.0f * static_cast<float>(9 - i));
  }
}

TEST_F(ConsoleTest, RowSpacingFollowsAFontThatArrivesLater) {
  fontSize_ = 0.0f;
  Console& console = Make(0.8f, 300.0f, 1000.0f);
  for (int i = 0; i < 3; ++i) {
    console.AppendWrappedText(kWhite, L"row\n");
  }
  OpenFully();
  view_->printed.clear();
  console.Draw();
  EXPECT_EQ(view_->printed.size(), 2u) << "no font size: header and prompt only, no rows piled up";

  view_->fontSize = 10.0f;
  view_->printed.clear();
  console.Draw();
  EXPECT_FLOAT_EQ(console.GetRowStep(), 12.0f);
  ASSERT_EQ(view_->printed.size(), 5u);
  EXPECT_FLOAT_EQ(view_->printed[0].position.y, 2.0f);
  EXPECT_FLOAT_EQ(view_->printed.back().position.y, 38.0f);
}

TEST_F(ConsoleTest, ScrollingShowsTheSeparatorAndStopsAtTheOldestRow) {
  Console& console = Make(0.8f, 300.0f, 1000.0f);
  for (int i = 0; i < 4; ++i) {
    console.AppendWrappedText(kWhite, L"row " + std::to_wstring(i) + L"\n");
  }
  OpenFully();
  auto rowsDrawn = [&] {
    view_->printed.clear();
    console.Draw();
    std::vector<std::wstring> rows;
    for (const PrintedText& text : view_->printed) {
      if (text.text.rfind(L"row", 0) == 0) {
        rows.push_back(text.text);
      }
    }
    return rows;
  };
  EXPECT_EQ(rowsDrawn(), (std::vector<std::wstring>{L"row 0", L"row 1", L"row 2", L"row 3"}));

  console.HandleKey(VK_PRIOR);
  EXPECT_EQ(rowsDrawn(), (std::vector<std::wstring>{L"row 0", L"row 1", L"row 2"}));
  ASSERT_EQ(view_->printed.size(), 6u);
  EXPECT_EQ(view_->printed[2].text, console.GetSeparatorLine());
  EXPECT_FLOAT_EQ(view_->printed[2].position.y, 52.0f);
  EXPECT_FLOAT_EQ(view_->printed.back().position.y, 76.0f) << "the newest shown row sits above the separator";

  for (int i = 0; i < 10; ++i) {
    console.HandleKey(VK_PRIOR);
  }
  EXPECT_EQ(rowsDrawn(), (std::vector<std::wstring>{L"row 0"}));
  EXPECT_EQ(console.GetScroll(), 3u) << "Page Up past the oldest row does not scroll further";
  console.HandleKey(VK_NEXT);
  EXPECT_EQ(rowsDrawn(), (std::vector<std::wstring>{L"row 0", L"row 1"})) << "one Page Down is one row back";
  for (int i = 0; i < 5; ++i) {
    console.HandleKey(VK_NEXT);
  }
  EXPECT_EQ(console.GetScroll(), 0u);
  EXPECT_EQ(rowsDrawn().size(), 4u);
}

TEST_F(ConsoleTest, EnterRunsTheLineAndShowsItsResult) {
  Console& console = Make();
  std::uint8_t fixedValue = 1;
  config_->AddVariable("g_fixed", ConfigVariable::kBool, true, false, &fixedValue, "1", false);
  struct Row {
    const wchar_t* line;
    const wchar_t* shown;  // everything appended, echo included
    const wchar_t* history;
  } rows[] = {
      {L"v_vsync", L">\\v_vsync\n\"v_vsync\" is \"1\", default is \"1\"\n", L"\\v_vsync"},
      {L"v_vsync 0", L">\\v_vsync 0\n", L"\\v_vsync 0"},
      {L"\\V_VSYNC", L">\\V_VSYNC\n\"v_vsync\" is \"0\", default is \"1\"\n", L"\\V_VSYNC"},
      {L"say hello", L">\\say hello\nConsole: \"hello\"\n", L"\\say hello"},
      {L"say", L">\\say\n", L"\\say"},
      {L"g_fixed 0", L">\\g_fixed 0\n\"g_fixed\" is read only\n", L"\\g_fixed 0"},
      {L"no_such_thing 4", L">\\no_such_thing 4\nUnknown command \"no_such_thing\"\n", L"\\no_such_thing 4"},
      {L"exit", L">\\exit\n", L"\\exit"},
  };
  for (const Row& row : rows) {
    const std::size_t historyBefore = console.GetHistory().size();
    EXPECT_EQ(Enter(row.line), row.shown) << row.line;
    EXPECT_EQ(view_->input, L"") << row.line;
    ASSERT_EQ(console.GetHistory().size(), historyBefore + 1) << row.line;
    EXPECT_EQ(console.GetHistory().back(), row.history);
    EXPECT_EQ(console.GetHistoryIndex(), console.GetHistory().size());
  }
  EXPECT_EQ(config_->v_vsync, 0);
  EXPECT_EQ(fixedValue, 1);
  EXPECT_FALSE(config_->GetBool("exit")) << "exit was issued";

  // Lines that run nothing leave no trace; a lone backslash even stays in the edit box.
  const std::size_t lines = console.GetLines().size();
  const std::size_t history = console.GetHistory().size();
  for (const wchar_t* line : {L"", L"\\", L"   ", L"\\\\ "}) {
    view_->input = line;
    console.HandleKey(VK_RETURN);
  }
  EXPECT_EQ(console.GetLines().size(), lines);
  EXPECT_EQ(console.GetHistory().size(), history);
  EXPECT_EQ(view_->input, L"") << "whitespace is cleared from the edit box";
  view_->input = L"\\";
  console.HandleKey(VK_RETURN);
  EXPECT_EQ(view_->input, L"\\");
}

TEST_F(ConsoleTest, EnterColoursEchoAndSayTexts) {
  Console& console = Make();
  const std::size_t from = console.GetLines().size();
  Enter(L"say good day");
  const auto& lines = console.GetLines();
  ASSERT_EQ(lines.size(), from + 4);
  EXPECT_TRUE(SameColour(lines[from].colour, kBlue)) << "the echo";
  EXPECT_EQ(lines[from + 1].text, std::wstring(Console::kSpeakerName) + L": \"");
  EXPECT_TRUE(SameColour(lines[from + 1].colour, kWhite));
  EXPECT_EQ(lines[from + 2].text, L"good day");
  EXPECT_TRUE(SameColour(lines[from + 2].colour, kGreen));
  EXPECT_EQ(lines[from + 2].endsRow, 0) << "speaker, text and quote share one row";
  EXPECT_TRUE(SameColour(lines[from + 3].colour, kWhite));
  EXPECT_EQ(lines[from + 3].endsRow, 1);
}

TEST_F(ConsoleTest, TabCompletesVariableNames) {
  Console& console = Make();
  std::vector<std::string> names;
  config_->GetVariableNames(names);
  std::wstring vList = L"\\v_\n";
  for (const std::string& name : names) {
    if (name.rfind("v_", 0) == 0) {
      vList += L"    \\" + std::wstring(name.begin(), name.end()) + L"\n";
    }
  }
  struct Row {
    const wchar_t* typed;
    const wchar_t* result;
    std::wstring listed;
    const char* why;
  } rows[] = {
      {L"v_vs", L"\\v_vsync ", L"", "one match"},
      {L"V_VS", L"\\v_vsync ", L"", "case does not matter"},
      {L"\\v_vs", L"\\v_vsync ", L"", "a typed backslash is kept, not doubled"},
      {L"v_", L"\\v_", vList, "several: listed, the common beginning stays"},
      {L"sc_take", L"\\sc_take_screenshot",
       L"\\sc_take\n    \\sc_take_screenshot\n    \\sc_take_screenshot_format\n    \\sc_take_screenshot_jpg\n"
       L"    \\sc_take_screenshot_tga\n",
       "the common beginning grows past what was typed"},
      {L"zz", L"\\zz", L"", "none: the prefix"},
      {L"", L"", L"", "empty does nothing"},
  };
  for (const Row& row : rows) {
    const std::size_t from = console.GetLines().size();
    view_->input = row.typed;
    console.HandleKey(VK_TAB);
    EXPECT_EQ(view_->input, row.result) << row.why;
    EXPECT_EQ(TextFrom(from), row.listed) << row.why;
  }
  // The listing's heading is blue, the names white.
  view_->input = L"ui_console_s";
  const std::size_t from = console.GetLines().size();
  console.HandleKey(VK_TAB);
  ASSERT_EQ(console.GetLines().size(), from + 3);
  EXPECT_TRUE(SameColour(console.GetLines()[from].colour, kBlue));
  EXPECT_TRUE(SameColour(console.GetLines()[from + 1].colour, kWhite));
  EXPECT_EQ(view_->input, L"\\ui_console_s");
}

TEST_F(ConsoleTest, HistoryWalksUpAndDown) {
  Console& console = Make();
  view_->input = L"typed";
  console.HandleKey(VK_UP);
  console.HandleKey(VK_DOWN);
  EXPECT_EQ(view_->input, L"typed") << "an empty history changes nothing";

  Enter(L"v_vsync 1");
  Enter(L"\\v_gamma");
  Enter(L"say hi");
  struct Step {
    std::uint16_t key;
    const wchar_t* shown;
    std::uint32_t index;
  } steps[] = {
      {VK_UP, L"\\say hi", 2},    {VK_UP, L"\\v_gamma", 1},  {VK_UP, L"\\v_vsync 1", 0},
      {VK_UP, L"\\v_vsync 1", 0},                                                // stays at the oldest
      {VK_DOWN, L"\\v_gamma", 1}, {VK_DOWN, L"\\say hi", 2}, {VK_DOWN, L"", 3},  // past the newest: cleared
      {VK_ESCAPE, L"", 3},
  };
  for (const Step& step : steps) {
    console.HandleKey(step.key);
    EXPECT_EQ(view_->input, step.shown);
    EXPECT_EQ(console.GetHistoryIndex(), step.index);
  }
  view_->input = L"half typed";
  console.HandleKey(VK_DOWN);
  EXPECT_EQ(view_->input, L"half typed") << "Down at the end leaves the edit box alone";
  console.HandleKey(VK_ESCAPE);
  EXPECT_EQ(view_->input, L"");
}

TEST_F(ConsoleTest, ExecuteEchoesTheLogInLevelColours) {
  Console& console = Make();
  log_.ClearRecords();
  log_.Message("hello");
  log_.Warning("careful");
  log_.Error("broken");
  const std::size_t from = console.GetLines().size();
  console.Execute();
  const auto& lines = console.GetLines();
  ASSERT_GT(lines.size(), from);
  auto colourOf = [&](const std::wstring& text) {
    for (std::size_t i = from; i < lines.size(); ++i) {
      if (lines[i].text.find(text) != std::wstring::npos) {
        return lines[i].colour;
      }
    }
    ADD_FAILURE() << "no piece holds the text";
    return Vector4(0, 0, 0, 0);
  };
  EXPECT_TRUE(SameColour(colourOf(L"hello\n"), kWhite));
  EXPECT_TRUE(SameColour(colourOf(L"Warning: careful!"), kGrey));
  EXPECT_TRUE(SameColour(colourOf(L"Error: broken!"), kRed));
  EXPECT_EQ(console.GetState(), Console::kClosed) << "echoing does not open it";
  EXPECT_TRUE(view_->printed.empty()) << "a closed console draws nothing";
}

}  // namespace
}  // namespace consoletest
