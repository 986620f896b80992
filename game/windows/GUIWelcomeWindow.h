#pragma once
// The welcome window ("window_welcome"), shown at the first start when no profile exists: the player
// types a name ("/window/name") and confirms it ("/window/button_1" or ENTER), which creates the profile,
// makes it current and answers 3 (main menu); "/window/button_0" answers 4 (exit window). A blank name
// cannot be confirmed.
//
// Main thread only. The profile manager is borrowed through the framework base.

#include <cstdint>

#include "framework/GUIWindowBases.h"
#include "game/windows/GUIMenuWindow.h"
#include "game/windows/GUINameInput.h"

namespace Puzzle {

class GUIWelcomeWindow : public GameFramework::GUIWelcomeWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kKey = "window_welcome";

  GUIWelcomeWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                   GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                   CorvantisEngine::GUIWindow* parent, GameFramework::ProfileManagerBase* profileManager);

  // Shows the window with an empty name field.
  void Show(std::uint32_t opener) override;
  void Hide() override;
  void Update() override;

 private:
  GUINameInput input;
};

}  // namespace Puzzle
