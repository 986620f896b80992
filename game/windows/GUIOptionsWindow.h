#pragma once
// The options window ("window_options"): the sound and music volume scrolls ("/window/sound",
// "/window/music", 0 to 1000) act at once, a looping slider sound plays while the sound scroll is
// dragged; the full-screen box ("/window/fullscreen") and the video mode, stepped with
// "/window/decrease_video_mode" and "/window/increase_video_mode" among 640x480, 800x600 and 1024x768 and
// shown in "/window/video_mode/text", count only when OK ("/window/button_2") applies them. Defaults
// ("/window/button_1") puts back the configured mode, full screen and volumes and keeps the window open;
// cancel ("/window/button_0") restores the volumes of the moment the window was shown. OK and cancel
// answer 3 (main menu).
//
// Main thread only. The audio and profile managers are borrowed through the framework base.

#include <cstdint>

#include "framework/GUIOptionsWindowBase.h"
#include "game/windows/GUIMenuWindow.h"
#include "game/windows/GUIVolumeScrolls.h"

namespace CorvantisEngine {
class GUIButton;
class GUICheckBox;
class GUIScroll;
}  // namespace CorvantisEngine

namespace Puzzle {

class GUIOptionsWindow : public GameFramework::GUIOptionsWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kKey = "window_options";

  GUIOptionsWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                   GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                   CorvantisEngine::GUIWindow* parent, GameFramework::ProfileManagerBase* profileManager);

  void Show(std::uint32_t opener) override;
  void Hide() override;
  void Update() override;

  static std::uint32_t VolumeToPosition(float volume) { return GUIVolumeScrolls::VolumeToPosition(volume); }

 private:
  void SetControlsFromSettings();

  GUIVolumeScrolls volumes;
  CorvantisEngine::GUICheckBox* fullScreenBox;
  GUITools::GUITextControl* modeText;
  CorvantisEngine::GUIButton* decreaseButton;
  CorvantisEngine::GUIButton* increaseButton;
  CorvantisEngine::GUIButton* okButton;
  CorvantisEngine::GUIButton* defaultsButton;
  CorvantisEngine::GUIButton* cancelButton;
};

}  // namespace Puzzle
