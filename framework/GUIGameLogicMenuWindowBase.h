#pragma once
// GUIGameLogicMenuWindowBase: the in-game menu's settings: a pending full-screen flag that ApplySettings
// hands to the engine as a window-mode switch ("v_window_change_mode"), and the volumes shown by its
// sliders. Hiding the menu saves the ini file and stores the volumes in the current profile.
//
// Main thread only. Nothing is owned. Nothing throws: configuration and profile writes log their
// failures.

#include <cstdint>

#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

class AudioManager;

class GUIGameLogicMenuWindowBase : public GUIFrameworkWindow {
 public:
  GUIGameLogicMenuWindowBase(CorvantisEngine::Engine* engine, AudioManager* audioManager,
                             ProfileManagerBase* profileManager);

  // As the options base: the pending flag follows a window-mode switch made elsewhere.
  void Update() override;
  void Show(std::uint32_t opener) override;
  void Hide() override;
  // A pending flag that differs from "v_fullscreen" is written, saved and switched to.
  virtual void ApplySettings();

  CorvantisEngine::Engine* engine;
  CorvantisEngine::Config* config;
  CorvantisEngine::Config* videoSettings;
  AudioManager* audioManager;
  ProfileManagerBase* profileManager;
  std::uint8_t fullScreen = 0;
  float soundVolume = 1.0f;
  float musicVolume = 1.0f;
};

}  // namespace GameFramework
