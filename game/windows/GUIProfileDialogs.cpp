#include "game/windows/GUIProfileDialogs.h"

#include "engine/Engine.h"
#include "engine/gui/GUIButton.h"
#include "engine/input/Controls.h"
#include "framework/ProfileManagerBase.h"
#include "tools/gui/GUITextControl.h"

namespace Puzzle {

namespace {
bool Clicked(const CorvantisEngine::GUIButton* button) {
  return button != nullptr && button->clicked != 0;
}
}  // namespace

GUINewProfileWindow::GUINewProfileWindow(CorvantisEngine::Engine* engine,
                                         GameFramework::AudioManager* soundPlayer, GameData* gameData,
                                         GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                         CorvantisEngine::GUIWindow* parent,
                                         GameFramework::ProfileManagerBase* profileManager)
    : GUINewProfileWindowBase(profileManager),
      GUIMenuWindow(engine, soundPlayer, gameData, toolManager, manager, parent, kKey),
      backTitle(GetTextControl(std::string(kKey) + "/window/button_0/title")) {
  input.Setup(*this);
}

void GUINewProfileWindow::ShowWithFlag(std::uint32_t opener, bool clearName) {
  GUINewProfileWindowBase::ShowWithFlag(opener, clearName);
  SetShown(true);
  if (clearName) {
    input.SetText(L"");
  }
  noProfile = profileManager->GetProfiles().empty() ? 1 : 0;
  if (backTitle != nullptr) {
    backTitle->SetTextKey(noProfile != 0 ? "common/exit" : "common/cancel");
  }
}

void GUINewProfileWindow::Hide() {
  GUINewProfileWindowBase::Hide();
  SetShown(false);
}

void GUINewProfileWindow::Update() {
  GUINewProfileWindowBase::Update();
  GUIMenuWindow::Update();
  if (!IsActive()) {
    return;
  }
  const std::wstring typed = input.GetName();
  const bool confirmed = input.UpdateConfirm(typed, engine->GetControls());
  if (input.IsBackClicked()) {
    result = noProfile != 0 ? 4 : 5;
  }
  if (confirmed) {
    result = CreateProfile(typed) ? 5 : 9;
  }
}

GUIRenameProfileWindow::GUIRenameProfileWindow(CorvantisEngine::Engine* engine,
                                               GameFramework::AudioManager* soundPlayer, GameData* gameData,
                                               GUITools::GUIToolManager* toolManager,
                                               GUIMenuWindowManager* manager,
                                               CorvantisEngine::GUIWindow* parent,
                                               GameFramework::ProfileManagerBase* profileManager)
    : GUIRenameProfileWindowBase(profileManager),
      GUIMenuWindow(engine, soundPlayer, gameData, toolManager, manager, parent, kKey) {
  input.Setup(*this);
}

void GUIRenameProfileWindow::ShowWithName(std::uint32_t opener, bool takeName, const std::wstring& name) {
  GUIRenameProfileWindowBase::ShowWithName(opener, takeName, name);
  SetShown(true);
  if (takeName) {
    input.SetText(name);
  }
}

void GUIRenameProfileWindow::Hide() {
  GUIRenameProfileWindowBase::Hide();
  SetShown(false);
}

void GUIRenameProfileWindow::Update() {
  GUIRenameProfileWindowBase::Update();
  GUIMenuWindow::Update();
  if (!IsActive()) {
    return;
  }
  const std::wstring typed = input.GetName();
  const bool confirmed = input.UpdateConfirm(typed, engine->GetControls());
  if (input.IsBackClicked()) {
    result = 5;
  }
  if (confirmed) {
    result = RenameProfile(typed) ? 5 : 9;
  }
}

GUIDeleteProfileWindow::GUIDeleteProfileWindow(CorvantisEngine::Engine* engine,
                                               GameFramework::AudioManager* soundPlayer, GameData* gameData,
                                               GUITools::GUIToolManager* toolManager,
                                               GUIMenuWindowManager* manager,
                                               CorvantisEngine::GUIWindow* parent,
                                               GameFramework::ProfileManagerBase* profileManager)
    : GUIDeleteProfileWindowBase(profileManager),
      GUIMenuWindow(engine, soundPlayer, gameData, toolManager, manager, parent, kKey),
      backButton(GetButton(std::string(kKey) + "/window/button_0")),
      deleteButton(GetButton(std::string(kKey) + "/window/button_1")) {}

void GUIDeleteProfileWindow::ShowWithName(std::uint32_t opener, const std::wstring& name) {
  GUIDeleteProfileWindowBase::ShowWithName(opener, name);
  SetShown(true);
  if (windowText != nullptr) {
    windowText->SetPlaceholder(L"PROFILE_NAME", L"\"" + name + L"\"");
  }
}

void GUIDeleteProfileWindow::Hide() {
  GUIDeleteProfileWindowBase::Hide();
  SetShown(false);
}

void GUIDeleteProfileWindow::Update() {
  GUIDeleteProfileWindowBase::Update();
  GUIMenuWindow::Update();
  if (!IsActive()) {
    return;
  }
  if (Clicked(backButton)) {
    result = 5;
  }
  if (Clicked(deleteButton)) {
    DeleteProfile();
    result = profileManager->GetProfiles().empty() ? 6 : 5;
  }
}

GUIProfileNameConflictWindow::GUIProfileNameConflictWindow(
    CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer, GameData* gameData,
    GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent)
    : GUIMenuWindow(engine, soundPlayer, gameData, toolManager, manager, parent, kKey),
      backButton(GetButton(std::string(kKey) + "/window/button_0")) {}

void GUIProfileNameConflictWindow::Show(std::uint32_t opener) {
  GUIProfileNameConflictWindowBase::Show(opener);
  SetShown(true);
}

void GUIProfileNameConflictWindow::Hide() {
  GUIProfileNameConflictWindowBase::Hide();
  SetShown(false);
}

void GUIProfileNameConflictWindow::Update() {
  GUIProfileNameConflictWindowBase::Update();
  GUIMenuWindow::Update();
  if (!IsActive()) {
    return;
  }
  if (Clicked(backButton) || engine->GetControls()->IsKeyPressed("ENTER")) {
    result = openerId == 11 ? 6 : 7;
  }
}

}  // namespace Puzzle
