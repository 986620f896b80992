#include "game/windows/GUIMenuWindow.h"

#include "engine/gui/GUIWindow.h"
#include "framework/AudioManager.h"
#include "game/GameData.h"
#include "game/windows/GUIMenuWindowManager.h"
#include "tools/gui/GUITextControl.h"
#include "tools/gui/GUIWindowControl.h"

namespace Puzzle {

GUIMenuWindow::GUIMenuWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                             GameData* gameData, GUITools::GUIToolManager* toolManager,
                             GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent,
                             const std::string& windowName)
    : GUIWindowBase(engine, gameData, toolManager, parent, windowName),
      soundPlayer(soundPlayer),
      gameData(gameData),
      manager(manager) {
  manager->AddWindow(this);
  // Every one of these is optional: ask first, so that a missing one logs nothing.
  const std::string& name = GetName();
  if (HasWindowControl(name + "/window")) {
    windowControl = GetWindowControl(name + "/window");
  }
  if (HasTextControl(name + "/title")) {
    titleText = GetTextControl(name + "/title");
  }
  if (HasTextControl(name + "/window/text")) {
    windowText = GetTextControl(name + "/window/text");
  }
  if (HasWindowControl(name + "/title_mount_animated")) {
    titleMount = GetWindowControl(name + "/title_mount_animated");
  }
  if (HasWindowControl(name + "/title_mount_static")) {
    staticTitleMount = GetWindowControl(name + "/title_mount_static");
  }
  manager->SetupAdditionalLogos(this);
}

GUIMenuWindow::~GUIMenuWindow() = default;

void GUIMenuWindow::Update() {}

void GUIMenuWindow::SetShown(bool show) {
  if (show) {
    showPending = 1;
  } else {
    // A window that never got on screen has nothing to hide and makes no sound; dropping its show keeps
    // it from appearing later as a dead window that holds the lock for good.
    const bool onScreen = (GetContainer()->state & CorvantisEngine::kGUIShown) != 0;
    if (shown != 0 && onScreen) {
      GUIWindowBase::SetVisible(false);
      if (windowControl != nullptr) {
        soundPending = 1;
        pendingSound_ = PendingSound::Disappear;
      }
    }
    showPending = 0;
  }
  shown = show ? 1 : 0;
}

bool GUIMenuWindow::IsActive() const {
  return shown != 0 && GUIWindowBase::IsVisible();
}

bool GUIMenuWindow::IsStillOnScreen() const {
  if (windowControl != nullptr && windowControl->IsVisible()) {
    return true;
  }
  if (titleMount != nullptr && titleMount->IsVisible()) {
    return true;
  }
  return titleText != nullptr && titleText->IsVisible() && !titleText->printingDone;
}

void GUIMenuWindow::UpdateTransition() {
  if (showPending != 0 && (manager->IsFree() || manager->GetOwner() == this)) {
    showPending = 0;
    manager->Acquire(this);
    GUIWindowBase::SetVisible(true);
    if (windowControl != nullptr) {
      soundPending = 1;
      pendingSound_ = PendingSound::Appear;
    }
  }

  GUIWindowBase::Update();

  if (shown == 0 && !manager->IsFree()) {
    GUIMenuWindow* owner = manager->GetOwner();
    // A lock held for nobody (the in-game window fading out) is not released here, but a hidden window
    // still takes its container off the screen.
    const bool otherOwner = owner != nullptr && owner != this;
    if (!otherOwner && !IsStillOnScreen()) {
      if (owner == this) {
        manager->Release();
      }
      GetContainer()->ClearState(CorvantisEngine::kGUIShown);
    }
  }

  if (soundPending != 0) {
    PlayPendingSound();
  }
}

void GUIMenuWindow::PlayPendingSound() {
  if (windowControl == nullptr) {
    soundPending = 0;
    return;
  }
  // The panel's element stays visible while a faded hide runs, so each sound waits for its own
  // direction: the appear sound for the panel on screen, the disappear sound for the panel gone.
  std::uint32_t sound = 0;
  if (pendingSound_ == PendingSound::Appear) {
    if (windowControl->GetElement() == nullptr || windowControl->GetElement()->visible == 0) {
      return;
    }
    sound = kAppearSound;
  } else {
    if (windowControl->IsVisible()) {
      return;
    }
    sound = kDisappearSound;
  }
  soundPending = 0;
  if (soundPlayer != nullptr) {
    soundPlayer->PlaySound(sound);
  }
}

}  // namespace Puzzle
