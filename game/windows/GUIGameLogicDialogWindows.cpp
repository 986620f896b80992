#include "game/windows/GUIGameLogicDialogWindows.h"

#include "engine/gui/GUIButton.h"
#include "tools/gui/GUIWindowControl.h"

namespace Puzzle {

namespace {

bool Clicked(const CorvantisEngine::GUIButton* button) {
  return button != nullptr && button->clicked != 0;
}

}  // namespace

GUIGameLogicPauseWindow::GUIGameLogicPauseWindow(CorvantisEngine::Engine* engine,
                                                 GameFramework::AudioManager* audioManager,
                                                 GameData* gameData, GUITools::GUIToolManager* toolManager,
                                                 GUIMenuWindowManager* menuWindowManager,
                                                 CorvantisEngine::GUIWindow* parent)
    : GUIMenuWindow(engine, audioManager, gameData, toolManager, menuWindowManager, parent, kWindowName) {
  resumeButton = GetButton(std::string(kWindowName) + "/window/button_0");
}

void GUIGameLogicPauseWindow::Show(std::uint32_t opener) {
  GUIGameLogicPauseWindowBase::Show(opener);
  SetShown(true);
}

void GUIGameLogicPauseWindow::Update() {
  GUIGameLogicPauseWindowBase::Update();
  GUIMenuWindow::Update();
  if (IsActive() && Clicked(resumeButton)) {
    result = kAnswerResume;
  }
}

void GUIGameLogicPauseWindow::Hide() {
  GUIGameLogicPauseWindowBase::Hide();
  SetShown(false);
}

GUIGameLogicConfirmWindow::GUIGameLogicConfirmWindow(
    CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager, GameData* gameData,
    GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* menuWindowManager,
    CorvantisEngine::GUIWindow* parent, const std::string& windowName, std::uint32_t confirmAnswer,
    std::uint32_t backAnswer, bool staticTitle)
    : GUIMenuWindow(engine, audioManager, gameData, toolManager, menuWindowManager, parent, windowName),
      confirmAnswer(confirmAnswer),
      backAnswer(backAnswer),
      staticTitle(staticTitle) {
  backButton = GetButton(windowName + "/window/button_0");
  confirmButton = GetButton(windowName + "/window/button_1");
}

std::uint32_t GUIGameLogicConfirmWindow::Answer(std::uint32_t current) const {
  if (!IsActive()) {
    return current;
  }
  std::uint32_t answer = current;
  if (Clicked(confirmButton)) {
    answer = confirmAnswer;
  }
  if (Clicked(backButton)) {
    answer = backAnswer;
  }
  return answer;
}

void GUIGameLogicConfirmWindow::ShowConfirmation() {
  if (staticTitle && staticTitleMount != nullptr) {
    EnableControlObject(staticTitleMount, true);
  }
  SetShown(true);
}

void GUIGameLogicConfirmWindow::HideConfirmation(std::uint32_t answer) {
  // Going back to the in-game menu keeps the title frame standing for it.
  if (staticTitle && staticTitleMount != nullptr) {
    EnableControlObject(staticTitleMount, answer == kAnswerBackToMenu);
  }
  SetShown(false);
}

GUIGameLogicRestartWindow::GUIGameLogicRestartWindow(CorvantisEngine::Engine* engine,
                                                     GameFramework::AudioManager* audioManager,
                                                     GameData* gameData,
                                                     GUITools::GUIToolManager* toolManager,
                                                     GUIMenuWindowManager* menuWindowManager,
                                                     CorvantisEngine::GUIWindow* parent)
    : GUIGameLogicConfirmation(engine, audioManager, gameData, toolManager, menuWindowManager, parent,
                               kWindowName, kAnswerRestart, kAnswerBackToMenu, true) {}

GUIGameLogicMenuExitWindow::GUIGameLogicMenuExitWindow(CorvantisEngine::Engine* engine,
                                                       GameFramework::AudioManager* audioManager,
                                                       GameData* gameData,
                                                       GUITools::GUIToolManager* toolManager,
                                                       GUIMenuWindowManager* menuWindowManager,
                                                       CorvantisEngine::GUIWindow* parent)
    : GUIGameLogicConfirmation(engine, audioManager, gameData, toolManager, menuWindowManager, parent,
                               kWindowName, kAnswerLeave, kAnswerBackToMenu, true) {}

GUIGameLogicGameExitWindow::GUIGameLogicGameExitWindow(CorvantisEngine::Engine* engine,
                                                       GameFramework::AudioManager* audioManager,
                                                       GameData* gameData,
                                                       GUITools::GUIToolManager* toolManager,
                                                       GUIMenuWindowManager* menuWindowManager,
                                                       CorvantisEngine::GUIWindow* parent)
    : GUIGameLogicConfirmation(engine, audioManager, gameData, toolManager, menuWindowManager, parent,
                               kWindowName, kAnswerQuit, kAnswerResume, false) {}

}  // namespace Puzzle
