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
  soundScroll = GetScroll(name + "/window/sound");
  musicScroll = GetScroll(name + "/window/music");
  fullScreenBox = GetCheckBox(name + "/window/fullscreen");
  leaveButton = GetButton(name + "/window/button_0");
  restartButton = GetButton(name + "/window/button_1");
  resumeButton = GetButton(name + "/window/button_2");
  for (CorvantisEngine::GUIScroll* scroll : {soundScroll, musicScroll}) {
    if (scroll != nullptr) {
      scroll->SetCount(kScrollPositions);
      scroll->step = kScrollStep;
    }
  }
  if (windowControl != nullptr) {
    windowShowOffset = windowControl->showOffset;
  }
  if (const GUITools::GUIControl* button = GetControl(name + "/window/button_0")) {
    buttonShowOffset = button->showOffset;
  }
}

GUIGameLogicMenuWindow::~GUIGameLogicMenuWindow() = default;

std::uint32_t GUIGameLogicMenuWindow::VolumeToPosition(float volume) {
  return static_cast<std::uint32_t>(std::clamp(volume, 0.0f, 1.0f) * 1000.0f);
}

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
  if (soundScroll != nullptr) {
    soundScroll->SetPosition(VolumeToPosition(soundVolume));
  }
  if (musicScroll != nullptr) {
    musicScroll->SetPosition(VolumeToPosition(musicVolume));
  }
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
    ApplyVolumes();
  }
  UpdateSliderSound();
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

void GUIGameLogicMenuWindow::ApplyVolumes() {
  // The volumes follow the thumbs while they move.
  if (soundScroll != nullptr) {
    const float sound = static_cast<float>(soundScroll->GetPosition()) / 1000.0f;
    if (std::fabs(sound - audioManager->GetSoundVolume()) > kVolumeTolerance) {
      audioManager->SetSoundVolume(sound);
    }
  }
  if (musicScroll != nullptr) {
    const float music = static_cast<float>(musicScroll->GetPosition()) / 1000.0f;
    if (std::fabs(music - audioManager->GetMusicVolume()) > kVolumeTolerance) {
      audioManager->SetMusicVolume(music);
    }
  }
}

void GUIGameLogicMenuWindow::UpdateSliderSound() {
  const bool playing = audioManager->GetSoundState(kVolumeSliderSound) == 0;
  const bool dragging = soundScroll != nullptr && soundScroll->IsDragging();
  if (dragging && !playing) {
    audioManager->PlaySound(kVolumeSliderSound);
  } else if (!dragging && playing) {
    audioManager->StopSound(kVolumeSliderSound);
  }
}

}  // namespace Puzzle
