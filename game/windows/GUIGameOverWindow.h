#pragma once
// GUIGameOverWindow ("window_game_over"): shown after a lost level. Its button answers 1 (the score goes
// to the high-score table and the game returns to the menus), except the first time for a profile that
// plays in normal mode: the profile's relax offer is then used up and the answer is 25, which opens the
// relax-mode offer. Shown again by the offer (opener 26) it answers 1 at once without appearing.
//
// Main thread only; nothing throws. The profile manager is borrowed.

#include <cstdint>

#include "framework/GUIWindowBases.h"
#include "game/windows/GUIImmediateAnswer.h"
#include "game/windows/GUIMenuWindow.h"

namespace CorvantisEngine {
class GUIButton;
}

namespace Puzzle {

class ProfileManager;

class GUIGameOverWindow : public GUIImmediateAnswer<GameFramework::GUIGameOverWindowBase>,
                          public GUIMenuWindow {
 public:
  static constexpr const char* kWindowName = "window_game_over";
  static constexpr std::uint32_t kRelaxOpener = 26;
  static constexpr std::uint32_t kDone = 1;
  static constexpr std::uint32_t kOfferRelax = 25;

  GUIGameOverWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                    ProfileManager* profileManager, GameData* gameData, GUITools::GUIToolManager* toolManager,
                    GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent);

  void Show(std::uint32_t opener) override;
  void Update() override;
  void Hide() override;

 private:
  ProfileManager* profileManager;
  CorvantisEngine::GUIButton* button;
};

}  // namespace Puzzle
