// The in-game HUD: its answers to keys and buttons with input on and off, what keeps working while a
// dialog is open, the relax-mode decorations, the menu lock it holds for nobody while it fades out, the
// statistics overlay and the full-screen box.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "InGameWindowsFixture.h"
#include "engine/config/Config.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIWindow.h"
#include "engine/window/Window.h"
#include "framework/GameLogicBase.h"
#include "game/windows/GUIGameLogicWindow.h"
#include "game/windows/GUIMenuWindow.h"
#include "platform/win32/WinMessages.h"
#include "tools/gui/GUITextControl.h"
#include "tools/gui/GUIWindowControl.h"

namespace Puzzle::windowstest {
namespace {

using CorvantisEngine::ConfigVariable;

class GameLogicWindowTest : public InGameWindowsFixture {
 protected:
  void SetUp() override {
    WriteFonts(fonts_);
    WriteWindow("faders.xml", "<faders><fader name=\"slow\" hide_speed=\"2\"/></faders>\n");
    WriteWindow("window_game_logic.xml",
                "<window name=\"window_game_logic\" fader=\"slow\" size=\"800 600\">\n"
                "  <button name=\"menu\" position=\"10 10\" size=\"20 20\"/>\n"
                "  <button name=\"minimize\" position=\"40 10\" size=\"20 20\"/>\n"
                "  <check_box name=\"fullscreen\" position=\"70 10\" size=\"20 20\"/>\n"
                "  <button name=\"close\" position=\"100 10\" size=\"20 20\"/>\n"
                "  <window name=\"money\"><text_label name=\"text_1\" font=\"fixed\"/></window>\n"
                "  <window name=\"eater_bottom\"/>\n"
                "  <window name=\"eater_arrow\"/>\n"
                "</window>\n");
    WriteWindow("window_menu.xml",
                "<window name=\"window_menu\"><window name=\"window\" size=\"100 100\"/></window>\n");
    WriteWindow("window_confirm.xml",
                "<window name=\"window_confirm\"><window name=\"window\" fader=\"slow\" size=\"100 "
                "100\"/></window>\n");
    MakeServices();
    hud_ = std::make_unique<GUIGameLogicWindow>(engine_, profiles_.get(), gameData_.get(), tools_.get(),
                                                menus_.get(), nullptr);
    level_ = std::make_unique<GameFramework::GameLogicBase>(engine_, audio_.get(), nullptr, nullptr, 0);
  }
  void TearDown() override {
    hud_.reset();
    level_.reset();
  }

  CorvantisEngine::GUIButton* Button(const char* name) {
    return hud_->GetButton(std::string("window_game_logic/") + name);
  }
  CorvantisEngine::GUICheckBox* FullScreenBox() { return hud_->GetCheckBox("window_game_logic/fullscreen"); }
  // One frame of the HUD with those keys down and those buttons clicked; the HUD's answer.
  std::uint32_t Frame(const std::vector<BYTE>& keys = {}, const std::vector<const char*>& clicked = {}) {
    for (const char* name : clicked) {
      Button(name)->clicked = 1;
    }
    Step(keys, [&] { hud_->Update(); });
    for (const char* name : clicked) {
      Button(name)->clicked = 0;
    }
    return hud_->result;
  }
  void ShowStatistics(const std::string& value) {
    if (!statisticsAdded_) {
      engine_->GetConfig()->AddVariable("d_show_statistics", ConfigVariable::kInteger, false, false,
                                        &statistics_, "0", false);
      statisticsAdded_ = true;
    }
    engine_->GetConfig()->SetValueText("d_show_statistics", value);
  }

  std::unique_ptr<GUIGameLogicWindow> hud_;
  std::unique_ptr<GameFramework::GameLogicBase> level_;
  std::vector<const char*> fonts_ = {"console", "fixed"};
  std::int32_t statistics_ = 0;
  bool statisticsAdded_ = false;
};

TEST_F(GameLogicWindowTest, KeysAndButtonsAnswerOnlyWithInputOnAndTheLaterTestWins) {
  struct Row {
    std::vector<BYTE> keys;
    std::vector<const char*> clicked;
    std::uint32_t input_on;
    std::uint32_t input_off;
    const char* why;
  };
  const Row rows[] = {
      {{}, {}, 0, 0, "nothing used"},
      {{}, {"close"}, 4, 0, "close asks to quit"},
      {{DIK_SPACE}, {}, 15, 0, "space pauses"},
      {{DIK_P}, {}, 15, 0, "P pauses"},
      {{DIK_ESCAPE}, {}, 16, 0, "escape opens the menu"},
      {{}, {"menu"}, 16, 0, "the menu button opens the menu"},
      {{DIK_SPACE, DIK_ESCAPE}, {}, 16, 0, "the menu test comes after the pause test"},
      {{DIK_ESCAPE}, {"close"}, 16, 0, "the menu test comes after the close test"},
      {{DIK_SPACE}, {"close"}, 15, 0, "the pause test comes after the close test"},
      {{}, {"minimize"}, 0, 0, "minimising answers nothing"},
  };
  hud_->Open(16, level_.get());
  for (const Row& row : rows) {
    hud_->SetInputEnabled(true);
    EXPECT_EQ(Frame(row.keys, row.clicked), row.input_on) << row.why;
    hud_->SetInputEnabled(false);
    EXPECT_EQ(Frame(row.keys, row.clicked), row.input_off) << row.why << " (a dialog is open)";
  }
  EXPECT_FALSE(Button("menu")->IsEnabled()) << "input off disables the menu and close buttons";
  EXPECT_FALSE(Button("close")->IsEnabled());
  EXPECT_TRUE(Button("minimize")->IsEnabled());
  hud_->SetActive(true);
  EXPECT_TRUE(Button("menu")->IsEnabled()) << "the framework's active switch is the input switch";
  EXPECT_EQ(hud_->active, 1);
}

TEST_F(GameLogicWindowTest, ADialogLeavesTheCountersTheOverlayAndTheFullScreenBoxWorking) {
  ShowStatistics("1");
  hud_->Open(16, level_.get());
  hud_->SetInputEnabled(false);
  CurrentProfile().levelEarnings = 35;
  Frame();
  EXPECT_EQ(hud_->GetTextControl("window_game_logic/money/text_1")->text, L"35");
  EXPECT_EQ(hud_->GetStatisticsWindow()->textCount, 4u);

  Frame({}, {"minimize"});
  MSG msg;
  int minimise = 0;
  while (PeekMessageA(&msg, engine_->GetWindow()->GetHandle(), WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE)) {
    minimise += (msg.wParam & 0xFFF0) == SC_MINIMIZE;
  }
  EXPECT_EQ(minimise, 1) << "the minimise button asks the engine window to minimise";

  FullScreenBox()->checked = 1;
  FullScreenBox()->clicked = 1;
  Frame();
  FullScreenBox()->clicked = 0;
  EXPECT_EQ(engine_->GetConfig()->v_fullscreen, 1);
  EXPECT_FALSE(engine_->GetConfig()->GetBool("v_window_change_mode")) << "the mode switch is issued";
  EXPECT_NE(rig_.Folder().Read("Test.ini").find("v_fullscreen 1"), std::string::npos)
      << "the ini file holds the new mode";
}

TEST_F(GameLogicWindowTest, TheMoneyCounterShowsOnlyTheLevelsEarnings) {
  CurrentProfile().money = 1500;
  CurrentProfile().levelEarnings = 0;
  hud_->Open(16, level_.get());
  Frame();
  EXPECT_EQ(hud_->GetTextControl("window_game_logic/money/text_1")->text, L"0");
  CurrentProfile().levelEarnings = 1234567;
  Frame();
  EXPECT_EQ(hud_->GetTextControl("window_game_logic/money/text_1")->text, L"1234567");
}

TEST_F(GameLogicWindowTest, TheEaterDecorationsFollowRelaxMode) {
  for (std::uint32_t mode : {1u, 0u}) {
    CurrentProfile().SetGameMode(mode);
    hud_->Open(16, level_.get());
    EXPECT_EQ(hud_->IsControlEnabled("window_game_logic/eater_bottom"), mode == 0) << mode;
    EXPECT_EQ(hud_->IsControlEnabled("window_game_logic/eater_arrow"), mode == 0) << mode;
    hud_->Hide();
  }
}

TEST_F(GameLogicWindowTest, AfterHideAMenuWaitsUntilTheHudHasFadedOut) {
  GUIMenuWindow menu(engine_, audio_.get(), gameData_.get(), tools_.get(), menus_.get(), nullptr,
                     "window_menu");
  hud_->Open(16, level_.get());
  Frame();
  hud_->Hide();
  EXPECT_EQ(hud_->GetLogic(), nullptr);
  EXPECT_FALSE(menus_->IsFree()) << "held for nobody";
  EXPECT_EQ(menus_->GetOwner(), nullptr);

  menu.SetShown(true);
  engine_->GetTimerManager()->delta = 0.1f;
  int frames = 0;
  while (!menu.IsActive() && frames < 20) {
    hud_->Update();
    menus_->Update();
    ++frames;
    if (!menu.IsActive()) {
      EXPECT_TRUE(hud_->GetWindowControl("window_game_logic")->IsVisible())
          << "the menu appears only once the HUD's root has faded out (frame " << frames << ")";
    }
  }
  EXPECT_TRUE(menu.IsActive());
  EXPECT_GE(frames, 5) << "the root's hide lasts half a second";
  EXPECT_EQ(menus_->GetOwner(), &menu);
}

TEST_F(GameLogicWindowTest, OpeningAgainBeforeTheFadeOutEndedGivesTheLockBack) {
  GUIMenuWindow menu(engine_, audio_.get(), gameData_.get(), tools_.get(), menus_.get(), nullptr,
                     "window_menu");
  hud_->Open(16, level_.get());
  hud_->Hide();
  ASSERT_FALSE(menus_->IsFree());
  hud_->Open(16, level_.get());
  EXPECT_TRUE(menus_->IsFree()) << "else no menu could appear over this level";
  menu.SetShown(true);
  Frame();
  menus_->Update();
  EXPECT_TRUE(menu.IsActive()) << "the in-game menu appears over the HUD";
}

TEST_F(GameLogicWindowTest, LeavingTheLevelFromAConfirmationEndsOnTheNextMenu) {
  GUIMenuWindow confirm(engine_, audio_.get(), gameData_.get(), tools_.get(), menus_.get(), nullptr,
                        "window_confirm");
  GUIMenuWindow next(engine_, audio_.get(), gameData_.get(), tools_.get(), menus_.get(), nullptr,
                     "window_menu");
  hud_->Open(16, level_.get());
  hud_->SetInputEnabled(false);
  confirm.SetShown(true);
  Frame();
  menus_->Update();
  ASSERT_TRUE(confirm.IsActive());

  // The confirmation answered "leave": it and the HUD hide, the next menu is asked for.
  confirm.SetShown(false);
  hud_->Hide();
  next.SetShown(true);
  engine_->GetTimerManager()->delta = 0.1f;
  for (int frame = 0; frame < 30 && !next.IsActive(); ++frame) {
    hud_->Update();
    menus_->Update();
  }
  EXPECT_TRUE(next.IsActive()) << "the screen is never left without a menu";
  EXPECT_EQ(menus_->GetOwner(), &next);
  EXPECT_FALSE(hud_->GetWindowControl("window_game_logic")->IsVisible());
  EXPECT_FALSE(confirm.IsActive());
}

TEST_F(GameLogicWindowTest, HidingWhileAMenuHoldsTheLockTakesItOver) {
  GUIMenuWindow menu(engine_, audio_.get(), gameData_.get(), tools_.get(), menus_.get(), nullptr,
                     "window_menu");
  menu.SetShown(true);
  menus_->Update();
  ASSERT_EQ(menus_->GetOwner(), &menu);
  hud_->Open(16, level_.get());
  hud_->Hide();
  EXPECT_FALSE(menus_->IsFree());
  EXPECT_EQ(menus_->GetOwner(), nullptr);
}

TEST_F(GameLogicWindowTest, TheOverlayDrawsFourLinesOnlyWhenSwitchedOn) {
  struct Row {
    const char* value;  // null: the variable does not exist
    std::uint32_t lines;
  };
  for (const Row& row : {Row{nullptr, 0}, Row{"0", 0}, Row{"1", 4}, Row{"7", 4}}) {
    if (row.value != nullptr) {
      ShowStatistics(row.value);
    }
    hud_->Open(16, level_.get());
    Frame();
    const CorvantisEngine::GUIWindow* overlay = hud_->GetStatisticsWindow();
    ASSERT_EQ(overlay->textCount, row.lines) << (row.value != nullptr ? row.value : "unknown");
    if (row.lines == 4) {
      const float ys[] = {512.0f, 497.0f, 482.0f, 467.0f};
      const wchar_t* starts[] = {L"FPS: ", L"Model count: ", L"Triangle count: ", L"Time: "};
      for (int i = 0; i < 4; ++i) {
        const CorvantisEngine::GUITextRecord& line = *overlay->textRecords[i];
        EXPECT_EQ(line.position.x, 8.0f);
        EXPECT_EQ(line.position.y, ys[i]);
        EXPECT_EQ(line.text.rfind(starts[i], 0), 0u) << i;
        EXPECT_EQ(line.size, -1.0f);
      }
      EXPECT_EQ(overlay->textRecords[3]->text, L"Time: 0.0");
    }
    hud_->GetStatisticsWindow()->textCount = 0;
  }
}

class GameLogicWindowWithoutConsoleFontTest : public GameLogicWindowTest {
 protected:
  GameLogicWindowWithoutConsoleFontTest() { fonts_ = {"fixed"}; }
};

TEST_F(GameLogicWindowWithoutConsoleFontTest, TheOverlayDrawsNothing) {
  ShowStatistics("1");
  hud_->Open(16, level_.get());
  CurrentProfile().levelEarnings = 5;
  Frame();
  EXPECT_EQ(hud_->GetStatisticsWindow()->textCount, 0u);
  EXPECT_EQ(hud_->GetTextControl("window_game_logic/money/text_1")->text, L"5") << "the rest goes on";
}

TEST_F(GameLogicWindowTest, AWindowModeSwitchMadeElsewhereShowsInTheBox) {
  hud_->Open(16, level_.get());
  EXPECT_EQ(FullScreenBox()->checked, 0);
  engine_->GetConfig()->v_fullscreen = 1;
  engine_->GetConfig()->SetBool("v_window_change_mode", false);
  Frame();
  EXPECT_EQ(FullScreenBox()->checked, 1);
  EXPECT_EQ(hud_->fullScreen, 1);
}

}  // namespace
}  // namespace Puzzle::windowstest
