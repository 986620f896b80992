#pragma once
// GUIRelaxWindow ("window_relax"): the one-time offer of relax mode after a lost level. "Yes"
// ("/window/button_1") switches the profile to relax mode and saves it; "no" ("/window/button_0")
// leaves the profile alone; both answer 20, and the game then lets the game-over window finish.
//
// Main thread only; nothing throws. The profile manager is borrowed.

#include <cstdint>

#include "framework/GUIFrameworkWindow.h"
#include "game/windows/GUIMenuWindow.h"

namespace CorvantisEngine {
class GUIButton;
}

namespace Puzzle {

class ProfileManager;

class GUIRelaxWindow : public GameFramework::GUIFrameworkWindow, public GUIMenuWindow {
 public:
  static constexpr const char* kWindowName = "window_relax";
  static constexpr std::uint32_t kAnswered = 20;
  static constexpr std::uint32_t kRelaxMode = 1;

  GUIRelaxWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                 ProfileManager* profileManager, GameData* gameData, GUITools::GUIToolManager* toolManager,
                 GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent);

  void Show(std::uint32_t opener) override;
  void Update() override;
  void Hide() override;

 private:
  ProfileManager* profileManager;
  CorvantisEngine::GUIButton* yesButton;
  CorvantisEngine::GUIButton* noButton;
};

}  // namespace Puzzle
