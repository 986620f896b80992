#include "game/windows/GUIGameOverWindow.h"

#include "engine/gui/GUIButton.h"
#include "game/Profile.h"
#include "tools/gui/GUIWindowControl.h"

namespace Puzzle {

GUIGameOverWindow::GUIGameOverWindow(CorvantisEngine::Engine* engine,
                                     GameFramework::AudioManager* audioManager,
                                     ProfileManager* profileManager, GameData* gameData,
                                     GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                     CorvantisEngine::GUIWindow* parent)
    : GUIMenuWindow(engine, audioManager, gameData, toolManager, manager, parent, kWindowName),
      profileManager(profileManager),
      button(GetButton(windowName + "/window/button_0")) {}

void GUIGameOverWindow::Show(std::uint32_t opener) {
  GUIImmediateAnswer::Show(opener);
  if (opener == kRelaxOpener) {
    // Back from the relax offer: the game is over, the window does not appear again.
    AnswerAtOnce(kDone);
    return;
  }
  if (titleMount != nullptr) {
    EnableControlObject(titleMount, true);
  }
  if (staticTitleMount != nullptr) {
    EnableControlObject(staticTitleMount, false);
  }
  SetShown(true);
}

void GUIGameOverWindow::Update() {
  GUIImmediateAnswer::Update();
  GUIMenuWindow::Update();
  if (!IsActive()) {
    return;
  }
  if (button != nullptr && button->clicked != 0) {
    Profile* profile = profileManager != nullptr ? profileManager->GetCurrent() : nullptr;
    if (profile != nullptr && profile->relaxOffer != 0 && profile->GetGameMode() == 0) {
      // The offer is made once per profile.
      profile->relaxOffer = 0;
      profile->Save();
      result = kOfferRelax;
    } else {
      result = kDone;
    }
  }
}

void GUIGameOverWindow::Hide() {
  const bool toOffer = result == kOfferRelax;
  GUIImmediateAnswer::Hide();
  // On the way to the offer the title stays put; otherwise it leaves with its animation.
  GUITools::GUIWindowControl* mount = toOffer ? staticTitleMount : titleMount;
  if (mount != nullptr) {
    EnableControlObject(mount, true);
  }
  SetShown(false);
}

}  // namespace Puzzle
