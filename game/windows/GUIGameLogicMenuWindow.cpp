#include "game/windows/GUIGameLogicMenuWindow.h"

#include <algorithm>
#include <cmath>

#include "engine/config/Config.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUISlider.h"
#include "framework/AudioManager.h"
#include "tools/gui/GUIControl.h"
#include "tools/gui/GUIWindowControl.h"

namespace Puzzle {

namespace {

constexpr const char* kChangeModeName = "v_window_change_mode";

}  // namespace

GUIGameLogicMenuWindow::GUIGameLogicMenuWindow(CorvantisEngine::Engine* engine,
                                               GameFramework::AudioManager* audioManager,
                                               GameFramework::ProfileManagerBase* profileManager,
                                               GameData* gameData, GUITools::GUIToolManager* toolManager,
                                               GUIMenuWindowManager* menuWindowManager,
                                               CorvantisEngine::GUIWindow* parent)
    : GUIGameLogicMenuWindowBase(engine, audioManager, profileManager),
      GUIMenuWindow(engine, audioManager, gameData, toolManager, menuWindowManager, parent, kWindowName) {
  const std::string name = kWindowName;
  volumes.sound = GetScroll(name + "/window/sound");
  volumes.music = GetScroll(name + "/window/music");
  fullScreenBox = GetCheckBox(name + "/window/fullscreen");
  leaveButton = GetButton(name + "/window/button_0");
  restartButton = GetButton(name + "/window/button_1");
  resumeButton = GetButton(name + "/window/button_2");
  volumes.Prepare();
  if (windowControl != nullptr) {
    windowShowOffset = windowControl->showOffset;
  }
  if (const GUITools::GUIControl* button = GetControl(name + "/window/button_0")) {
    buttonShowOffset = button->showOffset;
  }
}

GUIGameLogicMenuWindow::~GUIGameLogicMenuWindow() = default;

void GUIGameLogicMenuWindow::Show(std::uint32_t opener) {
  GUIGameLogicMenuWindowBase::Show(opener);
  const bool fromPlay = opener == kOpenerGameLogic;
  if (titleMount != nullptr) {
    EnableControlObject(titleMount, fromPlay);
  }
  if (staticTitleMount != nullptr) {
    EnableControlObject(staticTitleMount, !fromPlay);
  }
  // Back from a confirmation the frame is still in place: it comes at once, and the contents come
  // after the delay they have behind the frame.
  for (GUITools::GUIControl* control : GetControls()) {
    if (control->faderName == kWindowFader) {
      control->showOffset = fromPlay ? windowShowOffset : 0.0f;
    } else if (control->faderName == kControlFader) {
      control->showOffset = fromPlay ? buttonShowOffset : buttonShowOffset - windowShowOffset;
    }
  }
  SetShown(true);
  volumes.ShowVolumes(soundVolume, musicVolume);
  if (fullScreenBox != nullptr) {
    fullScreenBox->checked = fullScreen;
  }
}

void GUIGameLogicMenuWindow::Hide() {
  GUIGameLogicMenuWindowBase::Hide();
  const bool toPlay = result == kAnswerResume;
  if (titleMount != nullptr) {
    EnableControlObject(titleMount, toPlay);
  }
  if (staticTitleMount != nullptr) {
    EnableControlObject(staticTitleMount, !toPlay);
  }
  SetShown(false);
}

void GUIGameLogicMenuWindow::Update() {
  GUIGameLogicMenuWindowBase::Update();
  GUIMenuWindow::Update();
  if (!config->GetBool(kChangeModeName) && fullScreenBox != nullptr) {
    fullScreenBox->checked = fullScreen;
  }
  const bool active = IsActive();
  if (active) {
    // The volumes follow the thumbs while they move.
    volumes.FollowThumbs(audioManager);
  }
  volumes.UpdateSliderSound(audioManager);
  if (!active) {
    return;
  }
  if (fullScreenBox != nullptr && fullScreenBox->clicked != 0) {
    fullScreen = fullScreenBox->checked;
    ApplySettings();
  }
  if (leaveButton != nullptr && leaveButton->clicked != 0) {
    result = kAnswerLeave;
  }
  if (restartButton != nullptr && restartButton->clicked != 0) {
    result = kAnswerRestart;
  }
  if (resumeButton != nullptr && resumeButton->clicked != 0) {
    result = kAnswerResume;
  }
}

}  // namespace Puzzle
