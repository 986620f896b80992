#include "game/windows/GUIWelcomeWindow.h"

#include "engine/Engine.h"

namespace Puzzle {

GUIWelcomeWindow::GUIWelcomeWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                                   GameData* gameData, GUITools::GUIToolManager* toolManager,
                                   GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent,
                                   GameFramework::ProfileManagerBase* profileManager)
    : GUIWelcomeWindowBase(profileManager),
      GUIMenuWindow(engine, soundPlayer, gameData, toolManager, manager, parent, kKey) {
  input.Setup(*this);
}

void GUIWelcomeWindow::Show(std::uint32_t opener) {
  GUIWelcomeWindowBase::Show(opener);
  SetShown(true);
  input.SetText(L"");
}

void GUIWelcomeWindow::Hide() {
  GUIWelcomeWindowBase::Hide();
  SetShown(false);
}

void GUIWelcomeWindow::Update() {
  GUIWelcomeWindowBase::Update();
  GUIMenuWindow::Update();
  if (!IsActive()) {
    return;
  }
  const std::wstring name = input.GetName();
  const bool confirmed = input.UpdateConfirm(name, engine->GetControls());
  if (input.IsBackClicked()) {
    result = 4;
  }
  if (confirmed) {
    CreateProfile(name);
    result = 3;
  }
}

}  // namespace Puzzle
