#pragma once
// The help window: the credits page ("window_credits"); "/window/button_0" answers 3 (main menu).
//
// Main thread only.

#include <cstdint>

#include "framework/GUIWindowBases.h"
#include "game/windows/GUIMenuWindow.h"

namespace CorvantisEngine {
class GUIButton;
}

namespace Puzzle {

class GUIHelpWindow : public GameFramework::GUIHelpWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kKey = "window_credits";

  GUIHelpWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer, GameData* gameData,
                GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                CorvantisEngine::GUIWindow* parent);

  void Show(std::uint32_t opener) override;
  void Hide() override;
  void Update() override;

 private:
  CorvantisEngine::GUIButton* backButton;
};

}  // namespace Puzzle
