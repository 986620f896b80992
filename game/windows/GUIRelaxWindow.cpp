#include "game/windows/GUIRelaxWindow.h"

#include "engine/gui/GUIButton.h"
#include "game/Profile.h"

namespace Puzzle {

GUIRelaxWindow::GUIRelaxWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                               ProfileManager* profileManager, GameData* gameData,
                               GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                               CorvantisEngine::GUIWindow* parent)
    : GUIMenuWindow(engine, audioManager, gameData, toolManager, manager, parent, kWindowName),
      profileManager(profileManager),
      yesButton(GetButton(windowName + "/window/button_1")),
      noButton(GetButton(windowName + "/window/button_0")) {}

void GUIRelaxWindow::Show(std::uint32_t opener) {
  GUIFrameworkWindow::Show(opener);
  SetShown(true);
}

void GUIRelaxWindow::Update() {
  GUIFrameworkWindow::Update();
  GUIMenuWindow::Update();
  if (!IsActive()) {
    return;
  }
  if (yesButton != nullptr && yesButton->clicked != 0) {
    if (Profile* profile = profileManager != nullptr ? profileManager->GetCurrent() : nullptr) {
      profile->SetGameMode(kRelaxMode);
      profile->Save();
    }
    result = kAnswered;
  }
  if (noButton != nullptr && noButton->clicked != 0) {
    result = kAnswered;
  }
}

void GUIRelaxWindow::Hide() {
  GUIFrameworkWindow::Hide();
  SetShown(false);
}

}  // namespace Puzzle
