#include "framework/GUISettingsWindowBase.h"

#include "engine/Engine.h"
#include "framework/AudioManager.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"

namespace GameFramework {

GUISettingsWindowBase::GUISettingsWindowBase(CorvantisEngine::Engine* engine, AudioManager* audioManager,
                                             ProfileManagerBase* profileManager)
    : engine(engine),
      config(engine->GetConfig()),
      videoSettings(engine->GetConfig()),
      audioManager(audioManager),
      profileManager(profileManager) {}

void GUISettingsWindowBase::Update() {
  GUIFrameworkWindow::Update();
  FollowWindowModeSwitch(*videoSettings, fullScreen);
}

void GUISettingsWindowBase::StoreProfileVolumes() {
  ProfileBase* profile = profileManager != nullptr ? profileManager->GetCurrentProfile() : nullptr;
  if (profile == nullptr) {
    return;
  }
  profile->GetSettings().soundVolume = audioManager->GetSoundVolume();
  profile->GetSettings().musicVolume = audioManager->GetMusicVolume();
  profile->Save();
}

}  // namespace GameFramework
