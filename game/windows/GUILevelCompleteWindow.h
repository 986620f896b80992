#pragma once
// GUILevelCompleteWindow ("window_level_complete"): shown after a won level with the time taken, the
// stars earned in the level and the player's stars in all. Its one button leads on: to the stage's end
// (answer 21) after the last level of a stage, else to the next level's start (13).
//
// Main thread only; nothing throws. The level manager and profile manager are borrowed.

#include <cstdint>
#include <string>

#include "framework/GUIWindowBases.h"
#include "game/windows/GUIMenuWindow.h"

namespace CorvantisEngine {
class GUIButton;
}

namespace Puzzle {

class ProfileManager;

class GUILevelCompleteWindow : public GameFramework::GUILevelCompleteWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kWindowName = "window_level_complete";
  static constexpr std::uint32_t kNextLevel = 13;
  static constexpr std::uint32_t kStageComplete = 21;

  GUILevelCompleteWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                         GameFramework::LevelManagerBase* levelManager, ProfileManager* profileManager,
                         GameData* gameData, GUITools::GUIToolManager* toolManager,
                         GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent);

  // Keeps the level and its time, fills the texts and appears.
  void ShowWithResult(std::uint32_t opener, const GameFramework::LevelPosition& position,
                      float time) override;
  void Update() override;
  void Hide() override;

  // Minutes, ":" and two-digit seconds of the time truncated to whole seconds (75.9 gives "1:15").
  static std::wstring FormatTime(float seconds);

 private:
  ProfileManager* profileManager;
  GUITools::GUITextControl* timeText;
  GUITools::GUITextControl* starsEarnedText;
  GUITools::GUITextControl* starsTotalText;
  CorvantisEngine::GUIButton* button;
};

}  // namespace Puzzle
