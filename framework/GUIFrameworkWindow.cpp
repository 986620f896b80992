#include "framework/GUIFrameworkWindow.h"

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/window/Window.h"
#include "framework/ProfileManagerBase.h"

namespace GameFramework {

void FollowWindowModeSwitch(const CorvantisEngine::Config& config, std::uint8_t& fullScreen) {
  if (!config.GetBool("v_window_change_mode")) {
    fullScreen = config.v_fullscreen;
  }
}

GUIGameLogicWindowBase::GUIGameLogicWindowBase(CorvantisEngine::Engine* engine,
                                               ProfileManagerBase* profileManager)
    : engine(engine),
      config(engine->GetConfig()),
      videoSettings(engine->GetConfig()),
      window(engine->GetWindow()),
      profileManager(profileManager) {}

void GUIGameLogicWindowBase::Update() {
  GUIFrameworkWindow::Update();
  FollowWindowModeSwitch(*videoSettings, fullScreen);
}

void GUIGameLogicWindowBase::Hide() {
  GUIFrameworkWindow::Hide();
  profile = nullptr;
  level = nullptr;
}

void GUIGameLogicWindowBase::ShowWithLevel(std::uint32_t opener, GameLogicBase* logic) {
  GUIFrameworkWindow::Show(opener);
  level = logic;
  profile = profileManager != nullptr ? profileManager->GetCurrentProfile() : nullptr;
  fullScreen = videoSettings->v_fullscreen;
  SetActive(true);
}

void GUIGameLogicWindowBase::MinimizeWindow() {
  if (window != nullptr) {
    window->Minimize();
  }
}

}  // namespace GameFramework
