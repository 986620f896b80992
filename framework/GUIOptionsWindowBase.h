#pragma once
// GUIOptionsWindowBase: the options window's logic. It keeps the list of video modes the game offers
// (sorted by width, then height, no duplicates), the chosen mode and the pending full-screen flag, and
// the volumes as they were when the window was shown. Applying writes the chosen mode ("WxHxB") and the
// flag into the configuration's video settings, issues "g_update_video_mode" when either changed (the
// game's frame then resets the render system), saves the ini file and stores the volumes in the
// current profile. "Defaults" puts back the configuration's default mode, full screen and the default
// volumes.
//
// Main thread only. Owns its mode entries; the engine, the audio and profile managers are not owned.
// Nothing throws: configuration and profile writes log their failures.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/GUISettingsWindowBase.h"

namespace GameFramework {

class GUIOptionsWindowBase : public GUISettingsWindowBase {
 public:
  struct ModeEntry {
    std::string label;  // "800x600"
    std::uint32_t width = 0;
    std::uint32_t height = 0;
  };

  GUIOptionsWindowBase(CorvantisEngine::Engine* engine, AudioManager* audioManager,
                       ProfileManagerBase* profileManager);

  // Base Show; takes the chosen mode, bits and full-screen flag from the configuration and remembers
  // the volumes.
  void Show(std::uint32_t opener) override;
  virtual void ApplySettings();
  virtual void RevertSettings();
  // Puts the volumes remembered at Show back (the window's cancel).
  virtual void PreviewVolumes();

  // Adds the mode unless it is listed; keeps the list sorted.
  void AddVideoMode(std::uint32_t width, std::uint32_t height);
  bool FindVideoMode(std::uint32_t width, std::uint32_t height, std::uint32_t* index) const;
  // The index of the configuration's default "v_mode", 0 when it is not listed.
  std::uint32_t GetCurrentModeIndex() const;

  std::uint32_t chosenMode = 0;
  std::vector<std::unique_ptr<ModeEntry>> modes;
  std::uint32_t bitsPerPixel = 0;
};

}  // namespace GameFramework
