#include "game/windows/GUIMainMenuWindow.h"

#include <string>

#include "engine/gui/GUIButton.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "tools/gui/GUITextControl.h"

namespace Puzzle {

namespace {
constexpr const char* kButtonNames[] = {"start", "options", "change_player", "credits", "exit"};
}  // namespace

GUIMainMenuWindow::GUIMainMenuWindow(CorvantisEngine::Engine* engine,
                                     GameFramework::AudioManager* soundPlayer, GameData* gameData,
                                     GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                     CorvantisEngine::GUIWindow* parent,
                                     GameFramework::ProfileManagerBase* profileManager)
    : GUIMenuWindow(engine, soundPlayer, gameData, toolManager, manager, parent, kKey),
      profileManager(profileManager) {
  for (int i = 0; i < kEntryCount; ++i) {
    const std::string button = std::string(kKey) + "/window/" + kButtonNames[i];
    entries[i].button = GetButton(button);
    entries[i].title = GetTextControl(button + "/title");
  }
}

void GUIMainMenuWindow::Show(std::uint32_t opener) {
  GUIMainMenuWindowBase::Show(opener);
  switch (opener) {
    case 7:   // high scores
    case 22:  // level complete
    case 23:  // stage complete
    case 24:  // game complete
    case 25:  // game over
    case 26:  // relax
      // Back from a finished game: straight on to the next one, as if start had been clicked.
      result = 24;
      resultConsumed = 0;
      forwardPending = 1;
      return;
    default:
      break;
  }
  SetShown(true);
  GameFramework::ProfileBase* profile =
      profileManager != nullptr ? profileManager->GetCurrentProfile() : nullptr;
  if (titleText != nullptr) {
    titleText->SetPlaceholder(L"PROFILE_NAME", profile != nullptr ? profile->GetName() : std::wstring());
  }
}

void GUIMainMenuWindow::Hide() {
  GUIMainMenuWindowBase::Hide();
  forwardPending = 0;
  SetShown(false);
}

void GUIMainMenuWindow::Update() {
  GUIMainMenuWindowBase::Update();
  GUIMenuWindow::Update();
  // An answer posted by Show in the frame's last dispatch pass meets the result reset above before any
  // pass has seen it; posted again here, the next frame's first pass handles it.
  if (forwardPending != 0) {
    forwardPending = 0;
    result = 24;
    return;
  }
  if (!IsActive()) {
    return;
  }
  for (const Entry& entry : entries) {
    if (entry.button == nullptr || entry.title == nullptr) {
      continue;
    }
    switch (entry.button->buttonState) {
      case CorvantisEngine::GUIButton::kHover:
        entry.title->SetFont("main_menu_1");
        break;
      case CorvantisEngine::GUIButton::kPressed:
        entry.title->SetFont("main_menu_2");
        break;
      default:
        entry.title->SetFont("main_menu_0");
        break;
    }
  }
  // In this order: a later click of the same frame wins.
  const auto clicked = [this](int i) {
    return entries[i].button != nullptr && entries[i].button->clicked != 0;
  };
  if (clicked(kChangePlayer)) {
    result = 5;
  }
  if (clicked(kStart)) {
    result = 24;
  }
  if (clicked(kOptions)) {
    result = 11;
  }
  if (clicked(kExit)) {
    result = 4;
  }
  if (clicked(kCredits)) {
    result = 12;
  }
}

}  // namespace Puzzle
