#include "game/windows/GUIProfilesWindow.h"

#include <cstdio>

#include "engine/gui/GUIButton.h"
#include "engine/gui/GUISlider.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "tools/gui/GUITextControl.h"

namespace Puzzle {

GUIProfilesWindow::GUIProfilesWindow(CorvantisEngine::Engine* engine,
                                     GameFramework::AudioManager* soundPlayer, GameData* gameData,
                                     GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                     CorvantisEngine::GUIWindow* parent,
                                     GameFramework::ProfileManagerBase* profileManager)
    : GUIProfilesWindowBase(profileManager),
      GUIMenuWindow(engine, soundPlayer, gameData, toolManager, manager, parent, kKey) {
  const std::string key = kKey;
  for (int number = static_cast<int>(kSlotCount) - 1; number >= 0; --number) {
    char suffix[8];
    std::snprintf(suffix, sizeof(suffix), "%02d", number);
    const std::string button = key + "/window/text_area/button_profile_" + suffix;
    slotControls.push_back(GetControl(button));
    slotButtons.push_back(GetButton(button));
    slotTitles.push_back(GetTextControl(button + "/title"));
  }
  scroll = GetScroll(key + "/window/scroll");
  if (scroll != nullptr) {
    scroll->reversed = 1;
  }
  createButton = GetButton(key + "/window/create");
  renameButton = GetButton(key + "/window/rename");
  deleteButton = GetButton(key + "/window/delete");
  doneButton = GetButton(key + "/window/done");
}

void GUIProfilesWindow::Show(std::uint32_t opener) {
  GUIProfilesWindowBase::Show(opener);
  name.clear();
  const GameFramework::ProfileBase* current = profileManager->GetCurrentProfile();
  names.clear();
  if (current != nullptr) {
    names.push_back(current->GetName());
  }
  for (const auto& profile : profileManager->GetProfiles()) {
    if (profile.get() != current) {
      names.push_back(profile->GetName());
    }
  }
  const std::size_t count = profileManager->GetProfiles().size();
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    EnableControlObject(slotControls[i], i < count);
  }
  if (scroll != nullptr) {
    if (count > kSlotCount) {
      scroll->SetEnabled(true);
      scroll->SetCount(static_cast<std::uint32_t>(count - kSlotCount + 1));
    } else {
      scroll->SetEnabled(false);
      scroll->SetCount(2);
    }
    scroll->SetPosition(0);
  }
  SetShown(true);
}

void GUIProfilesWindow::Hide() {
  GUIProfilesWindowBase::Hide();
  SetShown(false);
}

void GUIProfilesWindow::Update() {
  GUIProfilesWindowBase::Update();
  GUIMenuWindow::Update();
  if (!IsActive()) {
    return;
  }
  const std::size_t first = scroll != nullptr ? scroll->GetPosition() : 0;
  for (std::size_t i = 0; i < kSlotCount && first + i < names.size(); ++i) {
    if (slotTitles[i] != nullptr) {
      slotTitles[i]->SetText(names[first + i]);
    }
  }

  for (std::size_t i = 0; i < kSlotCount && first + i < names.size(); ++i) {
    CorvantisEngine::GUIButton* button = slotButtons[i];
    if (button == nullptr || button->visible == 0) {
      break;
    }
    const std::wstring& slotName = names[first + i];
    if (button->clicked != 0) {
      if (GameFramework::ProfileBase* picked = profileManager->FindProfile(slotName)) {
        profileManager->SetCurrentProfile(picked, true);
      }
    }
    const GameFramework::ProfileBase* current = profileManager->GetCurrentProfile();
    const bool selected = current != nullptr && slotName == current->GetName();
    button->SetEnabled(!selected);
    if (slotTitles[i] != nullptr) {
      if (selected) {
        slotTitles[i]->SetFont("common_1");
      } else if (button->buttonState == CorvantisEngine::GUIButton::kHover) {
        slotTitles[i]->SetFont("common_2");
      } else {
        slotTitles[i]->SetFont("common_0");
      }
    }
  }

  const auto clicked = [](const CorvantisEngine::GUIButton* b) { return b != nullptr && b->clicked != 0; };
  const GameFramework::ProfileBase* current = profileManager->GetCurrentProfile();
  const std::wstring currentName = current != nullptr ? current->GetName() : std::wstring();
  if (clicked(createButton)) {
    result = 6;
  }
  if (clicked(renameButton)) {
    result = 7;
    name = currentName;
  }
  if (clicked(deleteButton)) {
    result = 8;
    name = currentName;
  }
  if (clicked(doneButton)) {
    result = 3;
  }
}

}  // namespace Puzzle
