// The profile windows: the list's slots and scroll for a number of players, picking a player (saved at
// once, marked in the same frame), the list's answers, and the name dialogs: create, the name conflict
// and back with the name kept, rename (its own name in another case is no conflict), delete down to no
// player, where the new-profile window's back leads to the exit window.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "MenuWindowFixture.h"
#include "WindowFiles.h"
#include "engine/gui/GUIEditBox.h"
#include "engine/gui/GUISlider.h"
#include "framework/ProfileBase.h"
#include "game/windows/GUIProfileDialogs.h"
#include "game/windows/GUIProfilesWindow.h"
#include "tools/gui/GUITextControl.h"

namespace Puzzle::windowstest {
namespace {

std::string SlotSuffix(int slot) {
  char number[8];
  std::snprintf(number, sizeof(number), "%02d", 11 - slot);
  return std::string("/window/text_area/button_profile_") + number;
}

class ProfileWindowsTest : public MenuWindowFixture {
 protected:
  void SetUp() override {
    WriteFonts();
    std::string slots;
    for (int n = 0; n < 12; ++n) {
      char number[8];
      std::snprintf(number, sizeof(number), "%02d", n);
      slots += ButtonXml(std::string("button_profile_") + number,
                         "<text_label name=\"title\" font=\"common_0\" text=\"'-'\"/>");
    }
    WriteWindow("profiles.xml",
                Window("window_profiles", "<window name=\"text_area\">" + slots + "</window>" +
                                              Scroll("scroll") + ButtonXml("create") + ButtonXml("rename") +
                                              ButtonXml("delete") + ButtonXml("done")));
    WriteWindow("new_profile.xml",
                Window("window_new_profile", Edit("name") + Titled("button_0") + ButtonXml("button_1")));
    WriteWindow("rename_profile.xml", Window("window_rename_profile",
                                             Edit("name") + ButtonXml("button_0") + ButtonXml("button_1")));
    WriteWindow("delete_profile.xml",
                Window("window_delete_profile", Text("text", "'Delete %PROFILE_NAME%?'") +
                                                    ButtonXml("button_0") + ButtonXml("button_1")));
    WriteWindow("name_conflict.xml", Window("window_profile_name_conflict", ButtonXml("button_0")));
    Start();
  }

  template <typename T, typename... Extra>
  T* MakeWindow(Extra... extra) {
    return Make<T>(engine_, audio_.get(), data_.get(), tools_.get(), manager_.get(), container_, extra...);
  }
  GUIProfilesWindow* List() { return MakeWindow<GUIProfilesWindow>(Profiles()); }
  void AddPlayers(const std::vector<std::wstring>& names) {
    for (const std::wstring& name : names) {
      Profiles()->AddProfile(name);
    }
  }
  void MakeCurrent(const std::wstring& name) {
    Profiles()->SetCurrentProfile(Profiles()->FindProfile(name), false);
  }
  std::wstring Current() {
    return Profiles()->GetCurrentProfile() != nullptr ? Profiles()->GetCurrentProfile()->GetName() : L"";
  }
  // Shows a window and runs frames until it answers input.
  void Settle(GUIMenuWindow* window) {
    Frame();
    ASSERT_TRUE(window->IsActive());
    Frame();
  }
  Button* ButtonOf(GUITools::GUIWindowBase* window, const std::string& suffix) {
    return window->GetButton(window->GetName() + suffix);
  }
  GUITools::GUITextControl* SlotTitle(GUIProfilesWindow* list, int slot) {
    return list->GetTextControl(list->GetName() + SlotSuffix(slot) + "/title");
  }
  GUIEditBox* NameField(GUITools::GUIWindowBase* window) {
    return window->GetEditBox(window->GetName() + "/window/name");
  }
};

TEST_F(ProfileWindowsTest, SlotsAndScrollFollowTheNumberOfPlayers) {
  struct Row {
    int players;
    std::uint32_t scrollCount;
    bool scrollEnabled;
  };
  for (const Row row : {Row{3, 2, false}, Row{12, 2, false}, Row{13, 2, true}, Row{14, 3, true}}) {
    SCOPED_TRACE(row.players);
    Reset();
    SetUp();
    std::vector<std::wstring> names;
    for (int i = row.players - 1; i >= 0; --i) {
      names.push_back(L"P" + std::to_wstring(100 + i));
    }
    AddPlayers(names);
    MakeCurrent(L"P101");
    names.clear();
    for (const auto& profile : Profiles()->GetProfiles()) {
      names.push_back(profile->GetName());
    }
    ASSERT_EQ(names[1], L"P101") << "the manager keeps its list sorted";
    GUIProfilesWindow* list = List();
    list->Show(6);
    Settle(list);

    std::vector<std::wstring> expected = names;
    expected.erase(expected.begin() + 1);
    expected.insert(expected.begin(), L"P101");
    EXPECT_EQ(list->GetNames(), expected) << "the current player first, then the list's order";
    for (int slot = 0; slot < 12; ++slot) {
      const bool used = slot < row.players;
      EXPECT_EQ(list->IsControlEnabled(list->GetName() + SlotSuffix(slot)), used) << slot;
      EXPECT_EQ(ButtonOf(list, SlotSuffix(slot))->visible != 0, used) << slot;
      if (used) {
        EXPECT_EQ(SlotTitle(list, slot)->text, expected[static_cast<std::size_t>(slot)]) << slot;
      }
    }
    GUIScroll* scroll = list->GetScroll("window_profiles/window/scroll");
    EXPECT_EQ(scroll->count, row.scrollCount);
    EXPECT_EQ(scroll->IsEnabled(), row.scrollEnabled);
    EXPECT_EQ(scroll->reversed, 1);
    EXPECT_EQ(SlotTitle(list, 0)->fontName, "common_1") << "the current player is marked";
    EXPECT_FALSE(ButtonOf(list, SlotSuffix(0))->IsEnabled());

    if (row.players == 14) {
      scroll->SetPosition(2);
      Frame();
      for (int slot = 0; slot < 12; ++slot) {
        EXPECT_EQ(SlotTitle(list, slot)->text, expected[static_cast<std::size_t>(slot + 2)]) << slot;
      }
    }
  }
}

TEST_F(ProfileWindowsTest, PickingAPlayerMakesItCurrentAndSavesTheList) {
  AddPlayers({L"Anna", L"Bo", L"Cy"});
  MakeCurrent(L"Anna");
  GUIProfilesWindow* list = List();
  list->Show(6);
  Settle(list);
  ButtonOf(list, SlotSuffix(2))->buttonState = Button::kHover;
  Frame();
  EXPECT_EQ(SlotTitle(list, 2)->fontName, "common_2") << "hovered";
  EXPECT_EQ(SlotTitle(list, 1)->fontName, "common_0");

  Click(ButtonOf(list, SlotSuffix(2)));
  Frame();
  EXPECT_EQ(Current(), list->GetNames()[2]);
  EXPECT_EQ(SlotTitle(list, 2)->fontName, "common_1") << "marked in the same frame";
  EXPECT_FALSE(ButtonOf(list, SlotSuffix(2))->IsEnabled());
  EXPECT_EQ(list->result, 0u);
  Frame();
  EXPECT_EQ(SlotTitle(list, 0)->fontName, "common_0") << "the slots before it follow in the next frame";
  EXPECT_TRUE(ButtonOf(list, SlotSuffix(0))->IsEnabled());
  EXPECT_EQ(list->GetNames()[0], L"Anna") << "the list keeps its order until the next show";

  // The saved list names the new current player.
  const std::wstring picked = Current();
  ProfileManager reread(engine_, audio_.get(), rig_->Folder().Win("save"));
  ASSERT_NE(reread.GetCurrentProfile(), nullptr);
  EXPECT_EQ(reread.GetCurrentProfile()->GetName(), picked);
}

TEST_F(ProfileWindowsTest, ListButtonsAnswerAndHandTheCurrentNameOn) {
  AddPlayers({L"Anna", L"Bo"});
  MakeCurrent(L"Bo");
  GUIProfilesWindow* list = List();
  list->Show(6);
  Settle(list);
  const struct {
    std::vector<std::string> clicked;
    std::uint32_t answer;
    std::wstring name;
  } rows[] = {
      {{"create"}, 6, L""}, {{"rename"}, 7, L"Bo"},       {{"delete"}, 8, L"Bo"},
      {{"done"}, 3, L""},   {{"done", "create"}, 3, L""}, {{"rename", "delete"}, 8, L"Bo"},
  };
  for (const auto& row : rows) {
    list->Show(6);  // clears the handed-on name
    for (const std::string& button : row.clicked) {
      Click(ButtonOf(list, "/window/" + button));
    }
    Frame();
    EXPECT_EQ(list->result, row.answer) << testing::PrintToString(row.clicked);
    EXPECT_EQ(list->name, row.name);
  }
}

TEST_F(ProfileWindowsTest, ATakenNameGoesThroughTheConflictAndBackWithTheNameKept) {
  AddPlayers({L"Anna"});
  MakeCurrent(L"Anna");
  auto* create = MakeWindow<GUINewProfileWindow>(Profiles());
  auto* conflict = MakeWindow<GUIProfileNameConflictWindow>();
  create->ShowWithFlag(10, true);
  Settle(create);
  EXPECT_EQ(create->GetTextControl("window_new_profile/window/button_0/title")->keyExpression,
            "common/cancel");
  NameField(create)->SetText(L" ANNA ");
  PressEnter();
  Frame();
  EXPECT_EQ(create->result, 9u) << "letter case and blanks do not make a new name";
  EXPECT_EQ(Profiles()->GetProfiles().size(), 1u);

  create->Hide();
  conflict->Show(11);
  Frame();
  Settle(conflict);
  PressEnter();
  Frame();
  EXPECT_EQ(conflict->result, 6u) << "back to the new-profile window";
  conflict->Hide();
  create->ShowWithFlag(14, false);
  Settle(create);
  EXPECT_EQ(NameField(create)->text, L" ANNA ") << "the name survives the trip";

  NameField(create)->SetText(L"Bea");
  Frame();
  Click(ButtonOf(create, "/window/button_1"));
  Frame();
  EXPECT_EQ(create->result, 5u);
  EXPECT_EQ(Current(), L"Bea");

  create->ShowWithFlag(10, true);
  Settle(create);
  EXPECT_EQ(NameField(create)->text, L"");
  Click(ButtonOf(create, "/window/button_0"));
  Frame();
  EXPECT_EQ(create->result, 5u) << "back to the list";
}

TEST_F(ProfileWindowsTest, RenameKeepsItsOwnNameAndRefusesAnothersName) {
  AddPlayers({L"Anna", L"Bo"});
  MakeCurrent(L"Anna");
  auto* rename = MakeWindow<GUIRenameProfileWindow>(Profiles());
  auto* conflict = MakeWindow<GUIProfileNameConflictWindow>();
  rename->ShowWithName(10, true, L"Anna");
  Settle(rename);
  EXPECT_EQ(NameField(rename)->text, L"Anna");
  const struct {
    std::wstring typed;
    std::uint32_t answer;
    std::wstring current;
  } rows[] = {
      {L"anna", 5, L"Anna"},
      {L"bo", 9, L"Anna"},
      {L"   ", 0, L"Anna"},
      {L" Cleo ", 5, L"Cleo"},
  };
  for (const auto& row : rows) {
    NameField(rename)->SetText(row.typed);
    Frame();
    Click(ButtonOf(rename, "/window/button_1"));
    Frame();
    EXPECT_EQ(rename->result, row.answer);
    EXPECT_EQ(Current(), row.current);
  }
  Click(ButtonOf(rename, "/window/button_0"));
  Frame();
  EXPECT_EQ(rename->result, 5u);

  rename->Hide();
  conflict->Show(12);
  Frame();
  Settle(conflict);
  Click(ButtonOf(conflict, "/window/button_0"));
  Frame();
  EXPECT_EQ(conflict->result, 7u) << "back to the rename window";
}

TEST_F(ProfileWindowsTest, DeletingTheLastPlayerLeadsToANewOneOrTheExit) {
  AddPlayers({L"Anna", L"Bo"});
  MakeCurrent(L"Anna");
  auto* remove = MakeWindow<GUIDeleteProfileWindow>(Profiles());
  auto* create = MakeWindow<GUINewProfileWindow>(Profiles());
  remove->ShowWithName(10, L"Anna");
  Settle(remove);
  EXPECT_EQ(remove->GetTextControl("window_delete_profile/window/text")->lines,
            std::vector<std::wstring>{L"Delete \"Anna\"?"});
  Click(ButtonOf(remove, "/window/button_0"));
  Frame();
  EXPECT_EQ(remove->result, 5u);
  EXPECT_EQ(Profiles()->GetProfiles().size(), 2u) << "back deletes nothing";

  Click(ButtonOf(remove, "/window/button_1"));
  Click(ButtonOf(remove, "/window/button_0"));
  Frame();
  EXPECT_EQ(remove->result, 5u) << "one player is left";
  EXPECT_EQ(Current(), L"Bo");

  remove->ShowWithName(10, L"Bo");
  Frame();
  Click(ButtonOf(remove, "/window/button_1"));
  Frame();
  EXPECT_EQ(remove->result, 6u) << "none left: a new player";
  EXPECT_TRUE(Profiles()->GetProfiles().empty());

  remove->Hide();
  create->ShowWithFlag(13, true);
  Frame();
  Settle(create);
  GUITools::GUITextControl* backTitle = create->GetTextControl("window_new_profile/window/button_0/title");
  EXPECT_EQ(backTitle->keyExpression, "common/exit");
  EXPECT_EQ(backTitle->text, L"Exit");
  Click(ButtonOf(create, "/window/button_0"));
  Frame();
  EXPECT_EQ(create->result, 4u) << "to the exit window";
}

}  // namespace
}  // namespace Puzzle::windowstest
