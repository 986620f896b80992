#pragma once
// The profiles window ("window_profiles"): up to 12 player names at a time on the buttons
// "/window/text_area/button_profile_11" down to "_00" (the current player first, then the others in the
// profile list's order), more through the scroll "/window/scroll". Clicking a name makes that player
// current (the list is saved); the current player's button is disabled and its title takes the font
// "common_1" (a hovered one "common_2", the others "common_0"). Answers: 6 create, 7 rename, 8 delete
// (both with the current player's name handed on), 3 done.
//
// Main thread only. The profile manager is borrowed through the framework base.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/GUIWindowBases.h"
#include "game/windows/GUIMenuWindow.h"

namespace CorvantisEngine {
class GUIButton;
class GUIScroll;
}  // namespace CorvantisEngine

namespace GUITools {
class GUIControl;
}

namespace Puzzle {

class GUIProfilesWindow : public GameFramework::GUIProfilesWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kKey = "window_profiles";
  static constexpr std::uint32_t kSlotCount = 12;

  GUIProfilesWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                    GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                    CorvantisEngine::GUIWindow* parent, GameFramework::ProfileManagerBase* profileManager);

  // Lists the names again (current player first) and shows the slots and the scroll they need.
  void Show(std::uint32_t opener) override;
  void Hide() override;
  void Update() override;

  const std::vector<std::wstring>& GetNames() const { return names; }

 private:
  // Slot 0 is the button numbered 11, slot 11 the one numbered 00.
  std::vector<GUITools::GUIControl*> slotControls;
  std::vector<CorvantisEngine::GUIButton*> slotButtons;
  std::vector<GUITools::GUITextControl*> slotTitles;
  std::vector<std::wstring> names;
  CorvantisEngine::GUIScroll* scroll;
  CorvantisEngine::GUIButton* createButton;
  CorvantisEngine::GUIButton* renameButton;
  CorvantisEngine::GUIButton* deleteButton;
  CorvantisEngine::GUIButton* doneButton;
};

}  // namespace Puzzle
