#include "game/windows/GUIHelpWindow.h"

#include <string>

#include "engine/gui/GUIButton.h"

namespace Puzzle {

GUIHelpWindow::GUIHelpWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                             GameData* gameData, GUITools::GUIToolManager* toolManager,
                             GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent)
    : GUIMenuWindow(engine, soundPlayer, gameData, toolManager, manager, parent, kKey),
      backButton(GetButton(std::string(kKey) + "/window/button_0")) {}

void GUIHelpWindow::Show(std::uint32_t opener) {
  GUIHelpWindowBase::Show(opener);
  SetShown(true);
}

void GUIHelpWindow::Hide() {
  GUIHelpWindowBase::Hide();
  SetShown(false);
}

void GUIHelpWindow::Update() {
  GUIHelpWindowBase::Update();
  GUIMenuWindow::Update();
  if (IsActive() && backButton != nullptr && backButton->clicked != 0) {
    result = 3;
  }
}

}  // namespace Puzzle
