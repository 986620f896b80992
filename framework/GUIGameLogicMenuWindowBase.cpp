#include "framework/GUIGameLogicMenuWindowBase.h"

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "framework/AudioManager.h"

namespace GameFramework {

namespace {

constexpr const char* kChangeModeName = "v_window_change_mode";

}  // namespace

GUIGameLogicMenuWindowBase::GUIGameLogicMenuWindowBase(CorvantisEngine::Engine* engine,
                                                       AudioManager* audioManager,
                                                       ProfileManagerBase* profileManager)
    : GUISettingsWindowBase(engine, audioManager, profileManager) {}

void GUIGameLogicMenuWindowBase::Show(std::uint32_t opener) {
  GUIFrameworkWindow::Show(opener);
  fullScreen = videoSettings->v_fullscreen;
  soundVolume = audioManager->GetSoundVolume();
  musicVolume = audioManager->GetMusicVolume();
}

void GUIGameLogicMenuWindowBase::Hide() {
  GUIFrameworkWindow::Hide();
  config->Save();
  StoreProfileVolumes();
}

void GUIGameLogicMenuWindowBase::ApplySettings() {
  if (videoSettings->v_fullscreen == fullScreen) {
    return;
  }
  videoSettings->v_fullscreen = fullScreen;
  config->Save();
  config->SetBool(kChangeModeName, false);
}

}  // namespace GameFramework
