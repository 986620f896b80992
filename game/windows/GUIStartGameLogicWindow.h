#pragma once
// GUIStartGameLogicWindow: the screen before a level ("window_start_game"). The player picks a theme, a
// picture of it, a puzzle (the cut of the pieces) and a puzzle size, switches relax mode, and buys
// locked themes, pictures and puzzles with the stars saved in the profile; every choice is written to
// the current profile at once. Answers: 3 back, 24 start. Opened by a flow that needs no choice (level
// complete 22, restart 19, continue 21 with a level in progress) it stays hidden and answers 24 in its
// first update.
//
// Entries come from the window description: "/window/themes/theme_NN", "/window/pictures/picture_NN"
// and "/window/puzzles/puzzle_NN" (check boxes, NN = 00, 01, ... up to the first missing one), each
// with a lock, a preview picture, a star and a price text; "/window/puzzle_size_N" boxes. A hovered
// locked entry shows its lock frame (0 idle, 1 affordable, 2 too dear) and its price, red when too
// dear and else in the description's own colour (a light text plate stays readable); MOUSE1 on an
// affordable one buys it, selects it and flies a stars effect to it.
//
// When it opens, the profile's selections are brought into the catalogue (an entry outside it falls
// back to the first unlocked one, else 0); with no theme, no picture in the selected theme or no puzzle
// the start button is disabled.
//
// Main thread only. The engine, managers, game data and catalogue are borrowed; the window owns its
// stars effects. Nothing throws beyond the toolkit window's construction; missing sub-controls are
// logged by the look-ups and skipped.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Vector.h"
#include "framework/GUIWindowBases.h"
#include "game/windows/GUIMenuWindow.h"

namespace CorvantisEngine {
class Controls;
class GUIButton;
class GUICheckBox;
}  // namespace CorvantisEngine

namespace GameFramework {
class LevelManagerBase;
}

namespace GUITools {
class GUICheckBoxControl;
}

namespace Puzzle {

class Content;
class Profile;
class ProfileManager;
class GUIStartGameStarsEffect;

class GUIStartGameLogicWindow : public GameFramework::GUIStartGameLogicWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kWindowName = "window_start_game";
  static constexpr std::uint32_t kAnswerBack = 3;
  static constexpr std::uint32_t kAnswerStart = 24;
  // Openers that need no choice.
  static constexpr std::uint32_t kOpenerContinue = 21;
  static constexpr std::uint32_t kOpenerLevelComplete = 22;
  static constexpr std::uint32_t kOpenerRestart = 19;
  // Frames of a lock's animation.
  static constexpr float kLockIdle = 0.0f;
  static constexpr float kLockAffordable = 1.0f;
  static constexpr float kLockTooDear = 2.0f;
  // Slots looked for per list.
  static constexpr std::uint32_t kMaxSlots = 100;

  // One theme, picture or puzzle slot of the description.
  struct Entry {
    GUITools::GUICheckBoxControl* control = nullptr;
    CorvantisEngine::GUICheckBox* checkBox = nullptr;
    GUITools::GUIWindowControl* lock = nullptr;
    CorvantisEngine::GUIWindow* lockWindow = nullptr;
    CorvantisEngine::GUIWindow* picture = nullptr;
    GUITools::GUIWindowControl* star = nullptr;
    GUITools::GUITextControl* text = nullptr;
    // The price's colour as the description gives it, shown while the entry is affordable.
    CorvantisEngine::Vector4 priceColour;
  };

  GUIStartGameLogicWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                          GameFramework::LevelManagerBase* levelManager, ProfileManager* profileManager,
                          GameData* gameData, GUITools::GUIToolManager* toolManager,
                          GUIMenuWindowManager* menuWindowManager, CorvantisEngine::GUIWindow* parent,
                          Content* content);
  ~GUIStartGameLogicWindow() override;

  void Update() override;
  void Show(std::uint32_t opener) override;
  void Hide() override;

  void RefreshThemesAndPictures();
  void RefreshPuzzles();
  void MarkPuzzleSize();
  // Flies stars from the stars counter to `target` (GUI units), reusing a finished effect.
  void StartStarsEffect(const CorvantisEngine::Vector2& target);

  const std::vector<Entry>& GetThemeEntries() const { return themes; }
  const std::vector<Entry>& GetPictureEntries() const { return pictures; }
  const std::vector<Entry>& GetPuzzleEntries() const { return puzzles; }
  const std::vector<CorvantisEngine::GUICheckBox*>& GetPuzzleSizeBoxes() const { return puzzleSizes; }
  const std::vector<GUIStartGameStarsEffect*>& GetStarsEffects() const { return starsEffects; }

 protected:
  // What one list is about: its entries, how many the catalogue has, and per entry whether the
  // profile has it, its price and what choosing it does.
  enum class ListKind { Themes, Pictures, Puzzles };

  void CollectEntries(const std::string& prefix, std::vector<Entry>& list);
  // The rule for one entry, each frame while active. `stars` is the frame's starting money.
  void UpdateEntry(ListKind kind, std::uint32_t index, Entry& entry, std::uint32_t stars,
                   bool& affordableHover);
  void Buy(ListKind kind, std::uint32_t index, std::uint32_t cost);
  void Choose(ListKind kind, std::uint32_t index);
  // Locks, enabling and check marks of the slots below `count`.
  void RefreshLocks(ListKind kind, std::vector<Entry>& list, std::uint32_t count);
  void HideStarsAndPrices();
  // The keeper's preview of that name on the picture window; a missing one leaves it as it is.
  void SetPreview(CorvantisEngine::GUIWindow* picture, const std::string& name);
  // The profile's selections brought into the catalogue; the start button follows whether a level
  // can be made.
  void ClampSelections();

  Profile* CurrentProfile() const;
  bool IsUnlocked(ListKind kind, std::uint32_t index) const;
  std::uint32_t CostOf(ListKind kind, std::uint32_t index) const;
  std::uint32_t ThemeCount() const;
  std::uint32_t PictureCount(std::uint32_t theme) const;
  std::uint32_t PuzzleCount() const;
  std::string Name(const std::string& relative) const { return std::string(kWindowName) + relative; }

  CorvantisEngine::Controls* controls;
  ProfileManager* profileManager;
  Content* content;
  CorvantisEngine::GUIButton* backButton = nullptr;
  CorvantisEngine::GUIButton* startButton = nullptr;
  GUITools::GUITextControl* startTitle = nullptr;
  CorvantisEngine::GUICheckBox* relaxBox = nullptr;
  std::vector<Entry> themes;
  std::vector<Entry> pictures;
  std::vector<Entry> puzzles;
  std::vector<CorvantisEngine::GUICheckBox*> puzzleSizes;
  GUITools::GUITextControl* starsText = nullptr;
  GUITools::GUITextControl* cursorTip = nullptr;
  CorvantisEngine::Vector2 cursorTipOffset;
  std::vector<GUIStartGameStarsEffect*> starsEffects;  // owned, reused once finished
};

}  // namespace Puzzle
