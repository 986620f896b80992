#pragma once
// GUIGameLogicMenuWindow: the menu opened over a level in play ("window_game_logic_menu"): live sound
// and music volume scrolls (1001 positions, 30 per arrow step), a full-screen box, and three buttons:
// leave (answer 18, the leave confirmation), restart (17, the restart confirmation) and resume (19).
// The sound scroll plays the looping "volume_slider" sound while its thumb is dragged, so the player
// hears the new volume.
//
// Title hand-over: opened from the HUD (opener 17) the window shows its animated title mount and plays
// its whole opening; opened again by a confirmation going back, it shows the static mount, its frame
// ("game_logic_window" faders) appears at once and its contents ("game_logic_control" faders) without
// the frame's delay. It leaves with the animated mount only when play resumes.
//
// Main thread only. The engine, managers and game data are borrowed. Nothing throws beyond the toolkit
// window's construction; a missing control is logged by its look-up and skipped.

#include <cstdint>

#include "framework/GUIGameLogicMenuWindowBase.h"
#include "game/windows/GUIMenuWindow.h"
#include "game/windows/GUIVolumeScrolls.h"

namespace CorvantisEngine {
class GUIButton;
class GUICheckBox;
class GUIScroll;
}  // namespace CorvantisEngine

namespace Puzzle {

class GUIGameLogicMenuWindow : public GameFramework::GUIGameLogicMenuWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kWindowName = "window_game_logic_menu";
  static constexpr std::uint32_t kAnswerLeave = 18;
  static constexpr std::uint32_t kAnswerRestart = 17;
  static constexpr std::uint32_t kAnswerResume = 19;
  // The HUD's id as opener.
  static constexpr std::uint32_t kOpenerGameLogic = 17;
  static constexpr std::uint32_t kVolumeSliderSound = GUIVolumeScrolls::kSliderSound;
  static constexpr const char* kWindowFader = "game_logic_window";
  static constexpr const char* kControlFader = "game_logic_control";

  GUIGameLogicMenuWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                         GameFramework::ProfileManagerBase* profileManager, GameData* gameData,
                         GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* menuWindowManager,
                         CorvantisEngine::GUIWindow* parent);
  ~GUIGameLogicMenuWindow() override;

  void Show(std::uint32_t opener) override;
  void Update() override;
  void Hide() override;

  static std::uint32_t VolumeToPosition(float volume) { return GUIVolumeScrolls::VolumeToPosition(volume); }

 protected:
  GUIVolumeScrolls volumes;
  CorvantisEngine::GUICheckBox* fullScreenBox = nullptr;
  CorvantisEngine::GUIButton* leaveButton = nullptr;
  CorvantisEngine::GUIButton* restartButton = nullptr;
  CorvantisEngine::GUIButton* resumeButton = nullptr;
  // The show offsets of "/window" and "/window/button_0" as the description gives them.
  float windowShowOffset = 0.0f;
  float buttonShowOffset = 0.0f;
};

}  // namespace Puzzle
