#pragma once
// GUISettingsWindowBase: what the options base and the in-game menu base share: the engine, its
// configuration with the video settings ("v_mode", then "v_fullscreen"), the audio and profile
// managers, and a pending full-screen flag that follows a window-mode switch made elsewhere (Alt+Enter)
// at each Update. Main thread only. Nothing is owned. Nothing throws: configuration and profile writes
// log their failures.

#include <cstdint>

#include "framework/GUIFrameworkWindow.h"

namespace GameFramework {

class AudioManager;

class GUISettingsWindowBase : public GUIFrameworkWindow {
 public:
  GUISettingsWindowBase(CorvantisEngine::Engine* engine, AudioManager* audioManager,
                        ProfileManagerBase* profileManager);

  // Base Update; while "v_window_change_mode" is issued the pending flag takes "v_fullscreen".
  void Update() override;

  CorvantisEngine::Engine* engine;
  CorvantisEngine::Config* config;
  // The configuration's video settings.
  CorvantisEngine::Config* videoSettings;
  AudioManager* audioManager;
  ProfileManagerBase* profileManager;
  // Pending until applied.
  std::uint8_t fullScreen = 0;
  // The audio manager's volumes when the window was shown.
  float soundVolume = 1.0f;
  float musicVolume = 1.0f;

 protected:
  // The audio manager's volumes into the current profile, which is saved; nothing without one (the
  // profile windows make a profile current before any settings window can be reached).
  void StoreProfileVolumes();
};

}  // namespace GameFramework
