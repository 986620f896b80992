#pragma once
// GUIMenuWindow: the base of every game screen built from a window description (menus, profile
// dialogs, options, loading screens, the in-game dialogs). Over the toolkit window it adds a set of
// optional, conventionally named controls, an appear and a disappear sound, and a deferred show: a
// window asked to appear stays invisible until the menu-window manager's lock is free (or already its
// own), so that only one menu is on screen at a time and the next one appears once the previous one has
// finished hiding.
//
// The concrete screens derive from their framework window base first and from this class second; their
// Show and Hide call SetShown. Update is empty here (the concrete windows answer in it); the toolkit's
// own control update runs from UpdateTransition, which the manager calls every frame.
//
// Main thread only. The audio manager, game data and manager are borrowed; the window registers itself
// with the manager and never leaves its list, so the manager must not be updated once a window is gone.
// Nothing throws beyond the toolkit window's construction (a broken window file ends the program).

#include <cstdint>
#include <string>

#include "tools/gui/GUIWindowBase.h"

namespace CorvantisEngine {
class Engine;
class GUIWindow;
}  // namespace CorvantisEngine

namespace GameFramework {
class AudioManager;
}

namespace GUITools {
class GUIToolManager;
class GUIWindowControl;
class GUITextControl;
}  // namespace GUITools

namespace Puzzle {

class GameData;
class GUIMenuWindowManager;

class GUIMenuWindow : public GUITools::GUIWindowBase {
 public:
  // The game's sound ids of the window sounds.
  static constexpr std::uint32_t kAppearSound = 1;
  static constexpr std::uint32_t kDisappearSound = 2;

  // `parent` is the menu background's menu container, so that every menu lies above the background.
  GUIMenuWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer, GameData* gameData,
                GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                CorvantisEngine::GUIWindow* parent, const std::string& windowName);
  ~GUIMenuWindow() override;

  // Empty: the concrete windows read their controls here (and call this version).
  void Update() override;
  // True: the window appears as soon as the lock allows. False: a window on screen starts hiding (its
  // controls play their hide), and a show still waiting for the lock is dropped.
  virtual void SetShown(bool show);
  // Shown and on screen: only then do a window's controls count.
  virtual bool IsActive() const;
  // The manager's per-frame step: appear when the lock allows, the controls' update, release the lock
  // once hidden, the window sounds.
  virtual void UpdateTransition();

  bool IsShown() const { return shown != 0; }
  bool IsShowPending() const { return showPending != 0; }

 protected:
  GameFramework::AudioManager* soundPlayer;  // null: silent
  GameData* gameData;
  GUIMenuWindowManager* manager;
  // Optional controls, null when the window file has none of that name.
  GUITools::GUIWindowControl* windowControl = nullptr;     // "/window": the panel that appears and hides
  GUITools::GUITextControl* titleText = nullptr;           // "/title"
  GUITools::GUITextControl* windowText = nullptr;          // "/window/text"
  GUITools::GUIWindowControl* titleMount = nullptr;        // "/title_mount_animated"
  GUITools::GUIWindowControl* staticTitleMount = nullptr;  // "/title_mount_static"
  std::uint8_t soundPending = 0;
  std::uint8_t shown = 0;
  std::uint8_t showPending = 0;

 private:
  // Which of the two window sounds is still to be played.
  enum class PendingSound { Appear, Disappear };

  bool IsStillOnScreen() const;
  void PlayPendingSound();

  PendingSound pendingSound_ = PendingSound::Appear;
};

}  // namespace Puzzle
