#pragma once
// GUIGameLogicMenuWindowBase: the in-game menu's settings: a pending full-screen flag that ApplySettings
// hands to the engine as a window-mode switch ("v_window_change_mode"), and the volumes shown by its
// sliders. Hiding the menu saves the ini file and stores the volumes in the current profile.
//
// Main thread only. Nothing is owned. Nothing throws: configuration and profile writes log their
// failures.

#include <cstdint>

#include "framework/GUISettingsWindowBase.h"

namespace GameFramework {

class GUIGameLogicMenuWindowBase : public GUISettingsWindowBase {
 public:
  GUIGameLogicMenuWindowBase(CorvantisEngine::Engine* engine, AudioManager* audioManager,
                             ProfileManagerBase* profileManager);

  void Show(std::uint32_t opener) override;
  void Hide() override;
  // A pending flag that differs from "v_fullscreen" is written, saved and switched to.
  virtual void ApplySettings();
};

}  // namespace GameFramework
