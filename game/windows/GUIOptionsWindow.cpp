#include "game/windows/GUIOptionsWindow.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/config/Config.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUISlider.h"
#include "engine/sound/Sound.h"
#include "framework/AudioManager.h"
#include "tools/gui/GUITextControl.h"

namespace Puzzle {

namespace {
bool Clicked(const CorvantisEngine::GUIButton* button) {
  return button != nullptr && button->clicked != 0;
}
}  // namespace

GUIOptionsWindow::GUIOptionsWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                                   GameData* gameData, GUITools::GUIToolManager* toolManager,
                                   GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent,
                                   GameFramework::ProfileManagerBase* profileManager)
    : GUIOptionsWindowBase(engine, soundPlayer, profileManager),
      GUIMenuWindow(engine, soundPlayer, gameData, toolManager, manager, parent, kKey) {
  const std::string key = kKey;
  volumes.sound = GetScroll(key + "/window/sound");
  volumes.music = GetScroll(key + "/window/music");
  fullScreenBox = GetCheckBox(key + "/window/fullscreen");
  modeText = GetTextControl(key + "/window/video_mode/text");
  decreaseButton = GetButton(key + "/window/decrease_video_mode");
  increaseButton = GetButton(key + "/window/increase_video_mode");
  okButton = GetButton(key + "/window/button_2");
  defaultsButton = GetButton(key + "/window/button_1");
  cancelButton = GetButton(key + "/window/button_0");
  volumes.Prepare();
  AddVideoMode(640, 480);
  AddVideoMode(800, 600);
  AddVideoMode(1024, 768);
}

void GUIOptionsWindow::Show(std::uint32_t opener) {
  GUIOptionsWindowBase::Show(opener);
  SetShown(true);
  volumes.ShowVolumes(soundVolume, musicVolume);
  if (fullScreenBox != nullptr) {
    fullScreenBox->checked = fullScreen;
  }
}

void GUIOptionsWindow::Hide() {
  GUIOptionsWindowBase::Hide();
  SetShown(false);
}

void GUIOptionsWindow::SetControlsFromSettings() {
  volumes.ShowVolumes(audioManager->GetSoundVolume(), audioManager->GetMusicVolume());
  if (fullScreenBox != nullptr) {
    fullScreenBox->checked = fullScreen;
  }
}

void GUIOptionsWindow::Update() {
  GUIOptionsWindowBase::Update();
  GUIMenuWindow::Update();
  // A window-mode switch made elsewhere (Alt+Enter) shows in the box, open or not.
  if (!config->GetBool("v_window_change_mode") && fullScreenBox != nullptr) {
    fullScreenBox->checked = fullScreen;
  }
  if (!IsActive()) {
    return;
  }

  volumes.FollowThumbs(audioManager);
  volumes.UpdateSliderSound(audioManager);

  if (Clicked(decreaseButton) && chosenMode > 0) {
    --chosenMode;
  }
  if (Clicked(increaseButton) && chosenMode + 1 < modes.size()) {
    ++chosenMode;
  }

  if (Clicked(okButton)) {
    if (fullScreenBox != nullptr) {
      fullScreen = fullScreenBox->checked != 0 ? 1 : 0;
    }
    ApplySettings();
    result = 3;
  }
  if (Clicked(defaultsButton)) {
    RevertSettings();
    SetControlsFromSettings();
  }
  if (Clicked(cancelButton)) {
    PreviewVolumes();
    result = 3;
  }

  // Quoted, the label is shown as it is, not looked up as a text key; set only on a change, so that a
  // printing label is not printed again every frame.
  if (modeText != nullptr && chosenMode < modes.size()) {
    const std::string label = "'" + modes[chosenMode]->label + "'";
    if (modeText->keyExpression != label) {
      modeText->SetTextKey(label);
    }
  }
}

}  // namespace Puzzle
