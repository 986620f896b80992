#pragma once
// The main menu ("window_main_menu"): start, options, change player, credits and exit, each button with
// a title whose font follows the button's look, and the current player's name in the window title
// (placeholder "PROFILE_NAME"). Answers: 24 start, 11 options, 5 change player, 12 credits, 4 exit.
// Opened from the high scores, the level, stage or game complete, game over or relax windows, it is not
// shown at all: it answers 24 at once, so that the start-game flow follows. Should that answer come too
// late in the frame to be handled (a show from the frame's last dispatch pass), the next Update posts it
// again, once; handling it hides the window, which drops it.
//
// Main thread only. The profile manager is borrowed.

#include <cstdint>

#include "framework/GUIWindowBases.h"
#include "game/windows/GUIMenuWindow.h"

namespace CorvantisEngine {
class GUIButton;
}

namespace GameFramework {
class ProfileManagerBase;
}

namespace Puzzle {

class GUIMainMenuWindow : public GameFramework::GUIMainMenuWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kKey = "window_main_menu";

  GUIMainMenuWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                    GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                    CorvantisEngine::GUIWindow* parent, GameFramework::ProfileManagerBase* profileManager);

  void Show(std::uint32_t opener) override;
  void Hide() override;
  void Update() override;

 private:
  struct Entry {
    CorvantisEngine::GUIButton* button = nullptr;
    GUITools::GUITextControl* title = nullptr;
  };
  enum { kStart, kOptions, kChangePlayer, kCredits, kExit, kEntryCount };

  GameFramework::ProfileManagerBase* profileManager;
  Entry entries[kEntryCount];
  // A start answer posted by Show that has not been handled (the window not hidden) yet.
  std::uint8_t forwardPending = 0;
};

}  // namespace Puzzle
