#pragma once
// GUIFrameworkWindow: the protocol that every window of the game carries. A window never opens another
// window: it posts a result code, and the game object's dispatch reads the code, hides the window and
// shows the next one with the poster's id as opener id.
//
// Overrides follow one pattern: Update calls the base first (result := 0), then does its own work and
// posts a code when a control was used; Show and Hide call the base first. A window whose Show decides
// its answer at once posts the result and clears resultConsumed, so that the answer outlives the
// clearing step of the dispatch pass in which it was posted.
//
// Also here: the two bases that belong to the protocol itself, the continue-game base and the in-game
// window base. Main thread only; nothing throws.

#include <cstdint>

namespace CorvantisEngine {
class Config;
class Engine;
class Window;
}  // namespace CorvantisEngine

namespace GameFramework {

class GameLogicBase;
class ProfileBase;
class ProfileManagerBase;

// While a window-mode switch is under way ("v_window_change_mode" issued, e.g. by Alt+Enter), a
// window's copy of the full-screen flag takes the configuration's "v_fullscreen".
void FollowWindowModeSwitch(const CorvantisEngine::Config& config, std::uint8_t& fullScreen);

class GUIFrameworkWindow {
 public:
  GUIFrameworkWindow() = default;
  virtual ~GUIFrameworkWindow() = default;

  GUIFrameworkWindow(const GUIFrameworkWindow&) = delete;
  GUIFrameworkWindow& operator=(const GUIFrameworkWindow&) = delete;

  // Once per frame for every window: result := 0.
  virtual void Update() { result = 0; }
  // openerId := the id of the window that opens this one (1 for the framework).
  virtual void Show(std::uint32_t opener) { openerId = opener; }
  // A hidden window's result counts as seen.
  virtual void Hide() { resultConsumed = 1; }

  // 0 while a result posted during a dispatch pass still waits to be seen.
  std::uint8_t resultConsumed = 1;
  std::uint32_t openerId = 0;
  // 0 = none.
  std::uint32_t result = 0;
};

class GUIContinueGameLogicWindowBase : public GUIFrameworkWindow {};

// The base of the in-game window: the level and profile it shows, a copy of the full-screen setting that
// follows window-mode switches, and whether menus are shown over it.
class GUIGameLogicWindowBase : public GUIFrameworkWindow {
 public:
  GUIGameLogicWindowBase(CorvantisEngine::Engine* engine, ProfileManagerBase* profileManager);

  // Base Update; while a window-mode change is under way ("v_window_change_mode" issued) the
  // full-screen copy follows "v_fullscreen".
  void Update() override;
  // Base Hide; forgets the profile and the level.
  void Hide() override;
  // Show with the level in play; takes the current profile and "v_fullscreen", then SetActive(true).
  virtual void ShowWithLevel(std::uint32_t opener, GameLogicBase* logic);
  virtual void SetActive(bool active) { this->active = active ? 1 : 0; }
  // Asks the engine window to minimise itself.
  void MinimizeWindow();

  CorvantisEngine::Engine* engine;
  CorvantisEngine::Config* config;
  // The configuration's video settings ("v_mode", then "v_fullscreen").
  CorvantisEngine::Config* videoSettings;
  CorvantisEngine::Window* window;
  ProfileManagerBase* profileManager;
  // Both null until shown and again after Hide.
  ProfileBase* profile = nullptr;
  GameLogicBase* level = nullptr;
  std::uint8_t fullScreen = 0;
  std::uint8_t active = 0;
};

}  // namespace GameFramework
