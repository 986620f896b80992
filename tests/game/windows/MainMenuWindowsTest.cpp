// The main menu, welcome, exit and help windows: which button gives which answer (a later click of the
// same frame wins), the main menu's forwarding openers and player name, the button title fonts, the
// welcome window's name field (blank names refused, ENTER, trimming, the length limit), and no answers
// while a window waits for the menu lock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MenuWindowFixture.h"
#include "WindowFiles.h"
#include "engine/gui/GUIEditBox.h"
#include "framework/ProfileBase.h"
#include "game/windows/GUIExitWindow.h"
#include "game/windows/GUIHelpWindow.h"
#include "game/windows/GUIMainMenuWindow.h"
#include "game/windows/GUIWelcomeWindow.h"
#include "tools/gui/GUIControl.h"
#include "tools/gui/GUITextControl.h"

namespace Puzzle::windowstest {
namespace {

class MainMenuWindowsTest : public MenuWindowFixture {
 protected:
  void SetUp() override {
    WriteFonts();
    WriteWindow("main_menu.xml", Window("window_main_menu",
                                        Titled("start", "main_menu_0") + Titled("options", "main_menu_0") +
                                            Titled("change_player", "main_menu_0") +
                                            Titled("credits", "main_menu_0") + Titled("exit", "main_menu_0"),
                                        Text("title", "title")));
    WriteWindow("welcome.xml",
                Window("window_welcome", Edit("name") + ButtonXml("button_0") + ButtonXml("button_1")));
    WriteWindow("exit.xml", Window("window_exit", ButtonXml("button_0") + ButtonXml("button_1")));
    // The help window: three pages (how to play, then the credits) and the buttons that turn them.
    std::string pages;
    for (const char* page : {"page_0", "page_1", "page_2"}) {
      pages += std::string("<window name=\"") + page + "\" size=\"300 200\">" + Text("text", "'words'") +
               "</window>";
    }
    WriteWindow("credits.xml", Window("window_credits", ButtonXml("button_0") + pages +
                                                            ButtonXml("previous") + ButtonXml("next")));
    Start();
  }

  GUIMainMenuWindow* MainMenu() {
    return Make<GUIMainMenuWindow>(engine_, audio_.get(), data_.get(), tools_.get(), manager_.get(),
                                   container_, Profiles());
  }
  GUIWelcomeWindow* Welcome() {
    return Make<GUIWelcomeWindow>(engine_, audio_.get(), data_.get(), tools_.get(), manager_.get(),
                                  container_, Profiles());
  }
  Button* ButtonOf(GUITools::GUIWindowBase* window, const std::string& suffix) {
    return window->GetButton(window->GetName() + suffix);
  }
  void ClickAll(GUITools::GUIWindowBase* window, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      Click(ButtonOf(window, "/window/" + name));
    }
  }
};

TEST_F(MainMenuWindowsTest, MainMenuButtonsGiveTheirAnswersAndTheLastTestedWins) {
  GUIMainMenuWindow* menu = MainMenu();
  menu->Show(6);
  Frame();
  ASSERT_TRUE(menu->IsActive());
  struct Row {
    std::vector<std::string> clicked;
    std::uint32_t answer;
  };
  const Row rows[] = {
      {{}, 0},
      {{"start"}, 24},
      {{"options"}, 11},
      {{"change_player"}, 5},
      {{"credits"}, 12},
      {{"exit"}, 4},
      {{"start", "change_player"}, 24},
      {{"credits", "start", "options"}, 12},
      {{"exit", "options", "change_player"}, 4},
  };
  for (const Row& row : rows) {
    ClickAll(menu, row.clicked);
    Frame();
    EXPECT_EQ(menu->result, row.answer) << testing::PrintToString(row.clicked);
  }
  Frame();
  EXPECT_EQ(menu->result, 0u) << "the answer lasts one frame";
}

TEST_F(MainMenuWindowsTest, MainMenuForwardsFromFinishedGamesAndShowsThePlayersName) {
  Profiles()->SetCurrentProfile(Profiles()->AddProfile(L"Anna"), false);
  GUIMainMenuWindow* menu = MainMenu();
  for (const std::uint32_t opener : {7u, 22u, 23u, 24u, 25u, 26u}) {
    SCOPED_TRACE(opener);
    menu->Show(opener);
    EXPECT_EQ(menu->result, 24u);
    EXPECT_EQ(menu->resultConsumed, 0) << "the answer outlives the dispatch pass";
    EXPECT_FALSE(menu->IsShown());
    menu->Hide();
    Frame();
    EXPECT_FALSE(OnScreen(menu));
    EXPECT_EQ(menu->result, 0u) << "handled (the window hidden): not posted again";
  }

  // Shown from the frame's last dispatch pass, the answer is not handled before the windows update:
  // it is posted again then, once, for the next frame.
  menu->Show(7);
  Frame();
  EXPECT_EQ(menu->result, 24u);
  Frame();
  EXPECT_EQ(menu->result, 0u);
  EXPECT_FALSE(OnScreen(menu));

  menu->Show(1);
  EXPECT_EQ(menu->result, 0u);
  Frame();
  EXPECT_TRUE(menu->IsActive());
  GUITools::GUITextControl* title = menu->GetTextControl("window_main_menu/title");
  EXPECT_EQ(title->lines, std::vector<std::wstring>{L"Hello Anna"});

  menu->Hide();
  Frame();
  Profiles()->RenameProfile(L"Anna", L"Bea");
  menu->Show(10);
  Frame();
  EXPECT_EQ(title->lines, std::vector<std::wstring>{L"Hello Bea"}) << "the name of each show";
}

TEST_F(MainMenuWindowsTest, MainMenuTitlesTakeTheFontOfTheirButtonsLook) {
  GUIMainMenuWindow* menu = MainMenu();
  menu->Show(1);
  Frame();
  const struct {
    std::uint32_t state;
    const char* font;
  } rows[] = {{Button::kHover, "main_menu_1"},
              {Button::kPressed, "main_menu_2"},
              {Button::kDisabled, "main_menu_0"},
              {Button::kNormal, "main_menu_0"}};
  for (const auto& row : rows) {
    ButtonOf(menu, "/window/options")->buttonState = row.state;
    Frame();
    EXPECT_EQ(menu->GetTextControl("window_main_menu/window/options/title")->fontName, row.font);
    EXPECT_EQ(menu->GetTextControl("window_main_menu/window/exit/title")->fontName, "main_menu_0");
  }
}

TEST_F(MainMenuWindowsTest, WelcomeCreatesTheTrimmedNameAndRefusesBlankOnes) {
  GUIWelcomeWindow* welcome = Welcome();
  GUIEditBox* name = welcome->GetEditBox("window_welcome/window/name");
  Button* confirm = ButtonOf(welcome, "/window/button_1");
  name->SetText(L"left over");
  welcome->Show(1);
  Frame();
  ASSERT_TRUE(welcome->IsActive());
  Frame();  // the first frame in which it answers
  EXPECT_EQ(name->text, L"") << "each show starts empty";
  EXPECT_FALSE(confirm->IsEnabled());

  name->SetText(L"   \t ");
  PressEnter();
  Frame();
  EXPECT_FALSE(confirm->IsEnabled()) << "blanks only";
  EXPECT_EQ(welcome->result, 0u) << "ENTER is ignored";
  EXPECT_TRUE(Profiles()->GetProfiles().empty());

  name->SetText(L"  Anna  ");
  Frame();
  EXPECT_TRUE(confirm->IsEnabled());
  EXPECT_EQ(welcome->result, 0u);
  PressEnter();
  Frame();
  EXPECT_EQ(welcome->result, 3u);
  ASSERT_NE(Profiles()->GetCurrentProfile(), nullptr);
  EXPECT_EQ(Profiles()->GetCurrentProfile()->GetName(), L"Anna");
  EXPECT_TRUE(std::filesystem::exists(rig_->Folder().Host("save/profiles.pmf"))) << "the list is saved";
}

TEST_F(MainMenuWindowsTest, WelcomeButtonsAndConfirmWinsOverBack) {
  GUIWelcomeWindow* welcome = Welcome();
  welcome->Show(1);
  Frame();
  ClickAll(welcome, {"button_0"});
  Frame();
  EXPECT_EQ(welcome->result, 4u);
  EXPECT_TRUE(Profiles()->GetProfiles().empty());

  welcome->GetEditBox("window_welcome/window/name")->SetText(L"Bo");
  Frame();
  ClickAll(welcome, {"button_1", "button_0"});
  Frame();
  EXPECT_EQ(welcome->result, 3u);
  EXPECT_EQ(Profiles()->GetProfiles().size(), 1u);
}

TEST_F(MainMenuWindowsTest, NameFieldHoldsAtMost254Characters) {
  GUIWelcomeWindow* welcome = Welcome();
  GUIEditBox* name = welcome->GetEditBox("window_welcome/window/name");
  welcome->Show(1);
  Frame();
  EXPECT_EQ(name->maxLength, 254u) << "the file's default of 255 would overflow a saved name";
  name->SetText(std::wstring(253, L'a'));
  for (const wchar_t c : {L'b', L'c'}) {
    name->HandleKey(static_cast<std::uint16_t>(c), true);
  }
  EXPECT_EQ(name->text.size(), 254u);
  EXPECT_EQ(name->text.back(), L'b') << "typing stops at the limit";

  name->text = std::wstring(300, L'z');  // longer than the field allows, however it got there
  Frame();
  ClickAll(welcome, {"button_1"});
  Frame();
  ASSERT_EQ(welcome->result, 3u);
  EXPECT_EQ(Profiles()->GetCurrentProfile()->GetName(), std::wstring(254, L'z'));
}

TEST_F(MainMenuWindowsTest, ExitQuitsOrGoesBackToItsOpener) {
  GUIExitWindow* exitWindow =
      Make<GUIExitWindow>(engine_, audio_.get(), data_.get(), tools_.get(), manager_.get(), container_);
  const struct {
    std::uint32_t opener;
    std::uint32_t back;
  } rows[] = {{4, 2}, {6, 3}, {11, 6}, {1, 0}, {10, 0}, {25, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.opener);
    exitWindow->Show(row.opener);
    Frame();
    ASSERT_TRUE(exitWindow->IsActive());
    ClickAll(exitWindow, {"button_0"});
    Frame();
    EXPECT_EQ(exitWindow->result, row.back);
    ClickAll(exitWindow, {"button_1"});
    Frame();
    EXPECT_EQ(exitWindow->result, 23u) << "quit from anywhere";
    exitWindow->Hide();
    Frame();
  }
}

TEST_F(MainMenuWindowsTest, HelpGoesBackToTheMainMenu) {
  GUIHelpWindow* help =
      Make<GUIHelpWindow>(engine_, audio_.get(), data_.get(), tools_.get(), manager_.get(), container_);
  help->Show(6);
  Frame();
  ClickAll(help, {"button_0"});
  Frame();
  EXPECT_EQ(help->result, 3u);
}

TEST_F(MainMenuWindowsTest, HelpShowsOnePageAtATimeFromTheFirstAtEveryShow) {
  GUIHelpWindow* help =
      Make<GUIHelpWindow>(engine_, audio_.get(), data_.get(), tools_.get(), manager_.get(), container_);
  ASSERT_EQ(help->GetPageCount(), 3u);
  const std::string panel = help->GetName() + "/window/";
  // Which page's text is on screen, and which of the two page buttons are; -1 for no page or several.
  const auto shownPage = [&] {
    int shown = -1;
    for (int index = 0; index < 3; ++index) {
      const GUITools::GUIControl* text = help->GetControl(panel + "page_" + std::to_string(index) + "/text");
      if (text != nullptr && text->IsVisible()) {
        shown = shown == -1 ? index : -2;
      }
    }
    return shown;
  };
  const auto buttonShown = [&](const char* name) { return help->GetControl(panel + name)->IsVisible(); };

  help->Show(6);
  Frame();
  EXPECT_EQ(shownPage(), 0);
  EXPECT_FALSE(buttonShown("previous")) << "nothing before the first page";
  EXPECT_TRUE(buttonShown("next"));

  struct Step {
    const char* clicked;
    int page;
    bool previous;
    bool next;
  };
  const Step steps[] = {
      {"next", 1, true, true},     {"next", 2, true, false},     {"next", 2, true, false},
      {"previous", 1, true, true}, {"previous", 0, false, true}, {"previous", 0, false, true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.clicked) + " to page " + std::to_string(step.page));
    ClickAll(help, {step.clicked});
    Frame();
    Frame();
    EXPECT_EQ(shownPage(), step.page);
    EXPECT_EQ(help->GetPage(), static_cast<std::size_t>(step.page));
    EXPECT_EQ(buttonShown("previous"), step.previous);
    EXPECT_EQ(buttonShown("next"), step.next);
    EXPECT_EQ(help->result, 0u) << "turning a page answers nothing";
  }

  // Left on the last page, the window opens again on the first.
  ClickAll(help, {"next"});
  Frame();
  ClickAll(help, {"next"});
  Frame();
  ASSERT_EQ(help->GetPage(), 2u);
  ClickAll(help, {"button_0"});
  Frame();
  EXPECT_EQ(help->result, 3u);
  help->Hide();
  Frame();
  Frame();
  help->Show(6);
  Frame();
  EXPECT_EQ(shownPage(), 0);
  EXPECT_FALSE(buttonShown("previous"));
  EXPECT_TRUE(buttonShown("next"));
}

TEST_F(MainMenuWindowsTest, AWindowWaitingForTheLockAnswersNothing) {
  GUIHelpWindow* help =
      Make<GUIHelpWindow>(engine_, audio_.get(), data_.get(), tools_.get(), manager_.get(), container_);
  GUIMainMenuWindow* menu = MainMenu();
  manager_->Acquire(nullptr);
  help->Show(6);
  menu->Show(1);
  Frame();
  ClickAll(help, {"button_0"});
  ClickAll(menu, {"start"});
  Frame();
  EXPECT_EQ(help->result, 0u);
  EXPECT_EQ(menu->result, 0u);
}

}  // namespace
}  // namespace Puzzle::windowstest
