#pragma once
// The framework's window bases, one per window role. The game object knows its windows only through
// them; each game window derives from one of them and from the game's menu window. A base adds the
// data its show-with operation carries and, for the profile windows, the profile operations. The
// options, in-game menu, loading and cursor bases have their own headers.
//
// The profile operations go through the profile manager and compare names as profiles store them
// (trimmed, cut to 254 units, letter case ignored). A taken name is reported by returning false; the
// window then shows the name-conflict window. Main thread only; nothing throws.

#include <cstdint>
#include <string>

#include "framework/GUIFrameworkWindow.h"
#include "framework/LevelManagerBase.h"

namespace GameFramework {

class HighScoresTable;
struct HighScoreEntry;

// Bases that add nothing to the protocol.
class GUIExitWindowBase : public GUIFrameworkWindow {};
class GUIGameCompleteWindowBase : public GUIFrameworkWindow {};
class GUIGameLogicGameExitWindowBase : public GUIFrameworkWindow {};
class GUIGameLogicMenuExitWindowBase : public GUIFrameworkWindow {};
class GUIGameLogicPauseWindowBase : public GUIFrameworkWindow {};
class GUIGameLogicRestartWindowBase : public GUIFrameworkWindow {};
class GUIGameOverWindowBase : public GUIFrameworkWindow {};
class GUIHelpWindowBase : public GUIFrameworkWindow {};
class GUILogosWindowBase : public GUIFrameworkWindow {};
class GUIMainMenuWindowBase : public GUIFrameworkWindow {};
class GUIProfileNameConflictWindowBase : public GUIFrameworkWindow {};
class GUIStartGameLogicWindowBase : public GUIFrameworkWindow {};

class GUIWelcomeWindowBase : public GUIFrameworkWindow {
 public:
  explicit GUIWelcomeWindowBase(ProfileManagerBase* profileManager) : profileManager(profileManager) {}

  // Makes the profile (or takes the one of that name) the current one and saves the list.
  void CreateProfile(const std::wstring& name);

  ProfileManagerBase* profileManager;
};

class GUINewProfileWindowBase : public GUIFrameworkWindow {
 public:
  explicit GUINewProfileWindowBase(ProfileManagerBase* profileManager) : profileManager(profileManager) {}

  // The flag is not kept.
  virtual void ShowWithFlag(std::uint32_t opener, bool flag);
  // False when the name is taken; else the new profile becomes current and the list is saved.
  bool CreateProfile(const std::wstring& name);

  ProfileManagerBase* profileManager;
};

class GUIProfilesWindowBase : public GUIFrameworkWindow {
 public:
  explicit GUIProfilesWindowBase(ProfileManagerBase* profileManager) : profileManager(profileManager) {}

  ProfileManagerBase* profileManager;
  std::wstring name;
};

class GUIRenameProfileWindowBase : public GUIFrameworkWindow {
 public:
  explicit GUIRenameProfileWindowBase(ProfileManagerBase* profileManager) : profileManager(profileManager) {}

  // The old name is replaced only when `setName` is true.
  virtual void ShowWithName(std::uint32_t opener, bool setName, const std::wstring& name);
  // True without a change when the new name differs from the old one in letter case (or surrounding
  // blanks) alone; false when another profile has the name; else renames, true.
  bool RenameProfile(const std::wstring& newName);

  ProfileManagerBase* profileManager;
  std::wstring oldName;
};

class GUIDeleteProfileWindowBase : public GUIFrameworkWindow {
 public:
  explicit GUIDeleteProfileWindowBase(ProfileManagerBase* profileManager) : profileManager(profileManager) {}

  virtual void ShowWithName(std::uint32_t opener, const std::wstring& name);
  // Deletes the profile of the stored name (its files too).
  void DeleteProfile();

  ProfileManagerBase* profileManager;
  std::wstring name;
};

class GUIStageCompleteWindowBase : public GUIFrameworkWindow {
 public:
  explicit GUIStageCompleteWindowBase(LevelManagerBase* levelManager) : levelManager(levelManager) {}

  virtual void ShowWithLevel(std::uint32_t opener, const LevelPosition& position);

  LevelManagerBase* levelManager;
  std::uint32_t stage = 0;
  std::uint32_t level = 0;
};

class GUILevelCompleteWindowBase : public GUIFrameworkWindow {
 public:
  explicit GUILevelCompleteWindowBase(LevelManagerBase* levelManager) : levelManager(levelManager) {}

  virtual void ShowWithResult(std::uint32_t opener, const LevelPosition& position, float time);

  LevelManagerBase* levelManager;
  std::uint32_t stage = 0;
  std::uint32_t level = 0;
  float time = 0.0f;
};

class GUIHighScoresWindowBase : public GUIFrameworkWindow {
 public:
  explicit GUIHighScoresWindowBase(HighScoresTable* table) : table(table) {}

  // `entry` (an entry of the table, or null) is the one to highlight.
  virtual void ShowWithEntry(std::uint32_t opener, const HighScoreEntry* entry);

  HighScoresTable* table;
  const HighScoreEntry* entry = nullptr;
};

}  // namespace GameFramework
