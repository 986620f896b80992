#pragma once
// The dialogs around the profiles window:
// - GUINewProfileWindow ("window_new_profile"): a name for a new player; answers 5 (back to the list)
//   once created, 9 (name conflict) when the name is taken, and back gives 5, or 4 (exit window) when
//   no player exists yet, which its back button then says ("common/exit" instead of "common/cancel");
// - GUIRenameProfileWindow ("window_rename_profile"): a new name for the current player; 5 when renamed
//   (or unchanged), 9 when taken by another player; back 5;
// - GUIDeleteProfileWindow ("window_delete_profile"): asks before deleting the player named in
//   "/window/text" (placeholder "PROFILE_NAME", in double quotes); 6 (new profile) when none is left,
//   else 5; back 5;
// - GUIProfileNameConflictWindow ("window_profile_name_conflict"): the typed name is taken; its button
//   or ENTER goes back to the new-profile (6) or the rename window (7), the typed name kept.
// In the name dialogs "/window/button_1" or ENTER confirms and blank names cannot be confirmed.
//
// Main thread only. The profile manager is borrowed through the framework bases.

#include <cstdint>
#include <string>

#include "framework/GUIWindowBases.h"
#include "game/windows/GUIMenuWindow.h"
#include "game/windows/GUINameInput.h"

namespace CorvantisEngine {
class GUIButton;
}

namespace Puzzle {

class GUINewProfileWindow : public GameFramework::GUINewProfileWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kKey = "window_new_profile";

  GUINewProfileWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                      GameData* gameData, GUITools::GUIToolManager* toolManager,
                      GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent,
                      GameFramework::ProfileManagerBase* profileManager);

  // Opens the window; `clearName` empties the name field (false keeps a name back from the conflict).
  void ShowWithFlag(std::uint32_t opener, bool clearName) override;
  void Hide() override;
  void Update() override;

 private:
  GUINameInput input;
  GUITools::GUITextControl* backTitle;
  std::uint8_t noProfile = 0;
};

class GUIRenameProfileWindow : public GameFramework::GUIRenameProfileWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kKey = "window_rename_profile";

  GUIRenameProfileWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                         GameData* gameData, GUITools::GUIToolManager* toolManager,
                         GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent,
                         GameFramework::ProfileManagerBase* profileManager);

  // Opens the window; with `takeName` the name is the old name and fills the field.
  void ShowWithName(std::uint32_t opener, bool takeName, const std::wstring& name) override;
  void Hide() override;
  void Update() override;

 private:
  GUINameInput input;
};

class GUIDeleteProfileWindow : public GameFramework::GUIDeleteProfileWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kKey = "window_delete_profile";

  GUIDeleteProfileWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                         GameData* gameData, GUITools::GUIToolManager* toolManager,
                         GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent,
                         GameFramework::ProfileManagerBase* profileManager);

  void ShowWithName(std::uint32_t opener, const std::wstring& name) override;
  void Hide() override;
  void Update() override;

 private:
  CorvantisEngine::GUIButton* backButton;
  CorvantisEngine::GUIButton* deleteButton;
};

class GUIProfileNameConflictWindow : public GameFramework::GUIProfileNameConflictWindowBase,
                                     public GUIMenuWindow {
 public:
  static constexpr const char* kKey = "window_profile_name_conflict";

  GUIProfileNameConflictWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                               GameData* gameData, GUITools::GUIToolManager* toolManager,
                               GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent);

  void Show(std::uint32_t opener) override;
  void Hide() override;
  void Update() override;

 private:
  CorvantisEngine::GUIButton* backButton;
};

}  // namespace Puzzle
