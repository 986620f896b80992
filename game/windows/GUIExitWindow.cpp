#include "game/windows/GUIExitWindow.h"

#include <string>

#include "engine/gui/GUIButton.h"

namespace Puzzle {

GUIExitWindow::GUIExitWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                             GameData* gameData, GUITools::GUIToolManager* toolManager,
                             GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent)
    : GUIMenuWindow(engine, soundPlayer, gameData, toolManager, manager, parent, kKey),
      backButton(GetButton(std::string(kKey) + "/window/button_0")),
      quitButton(GetButton(std::string(kKey) + "/window/button_1")) {}

void GUIExitWindow::Show(std::uint32_t opener) {
  GUIExitWindowBase::Show(opener);
  SetShown(true);
}

void GUIExitWindow::Hide() {
  GUIExitWindowBase::Hide();
  SetShown(false);
}

void GUIExitWindow::Update() {
  GUIExitWindowBase::Update();
  GUIMenuWindow::Update();
  if (!IsActive()) {
    return;
  }
  if (quitButton != nullptr && quitButton->clicked != 0) {
    result = 23;
  }
  if (backButton != nullptr && backButton->clicked != 0) {
    switch (openerId) {
      case 4:  // welcome
        result = 2;
        break;
      case 6:  // main menu
        result = 3;
        break;
      case 11:  // new profile
        result = 6;
        break;
      default:
        break;
    }
  }
}

}  // namespace Puzzle
