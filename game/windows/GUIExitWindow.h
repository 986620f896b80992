#pragma once
// The exit window ("window_exit"): "/window/button_1" quits (answer 23); "/window/button_0" goes back
// to the window that opened it: the welcome window (answer 2), the main menu (3) or the new-profile
// window (6); opened from anywhere else, back does nothing.
//
// Main thread only.

#include <cstdint>

#include "framework/GUIWindowBases.h"
#include "game/windows/GUIMenuWindow.h"

namespace CorvantisEngine {
class GUIButton;
}

namespace Puzzle {

class GUIExitWindow : public GameFramework::GUIExitWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kKey = "window_exit";

  GUIExitWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer, GameData* gameData,
                GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                CorvantisEngine::GUIWindow* parent);

  void Show(std::uint32_t opener) override;
  void Hide() override;
  void Update() override;

 private:
  CorvantisEngine::GUIButton* backButton;
  CorvantisEngine::GUIButton* quitButton;
};

}  // namespace Puzzle
