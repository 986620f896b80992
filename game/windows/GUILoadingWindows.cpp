#include "game/windows/GUILoadingWindows.h"

#include "tools/gui/GUITextControl.h"

namespace Puzzle {

GUILoadingWindow::GUILoadingWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                                   GameData* gameData, GUITools::GUIToolManager* toolManager,
                                   GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent,
                                   const std::string& windowName)
    : GUILoadingWindowBase(engine),
      GUIMenuWindow(engine, soundPlayer, gameData, toolManager, manager, parent, windowName) {}

void GUILoadingWindow::ShowWithTask(std::uint32_t opener, GameTools::DataKeeper* keeper) {
  GUILoadingWindowBase::ShowWithTask(opener, keeper);
  SetShown(true);
  ready = 0;
}

void GUILoadingWindow::Hide() {
  GUILoadingWindowBase::Hide();
  SetShown(false);
}

void GUILoadingWindow::Update() {
  GUILoadingWindowBase::Update();
  GUIMenuWindow::Update();
  if (!IsActive()) {
    return;
  }
  // The load blocks the frame loop, so it starts only once the title has been drawn in full.
  if (ready != 0 && task != nullptr) {
    RunLoading();
    result = 1;
  }
  if (titleText == nullptr || (titleText->IsVisible() && titleText->printingDone)) {
    ready = 1;
  }
}

}  // namespace Puzzle
