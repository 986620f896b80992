#pragma once
// GUIGameLogicWindow: the head-up display over a level in play ("window_game_logic"): a menu button, a
// minimise button, a full-screen check box, a close button, the stars earned in the level, two
// decorations that only a normal (not relaxed) level shows, and a statistics overlay for developers
// ("d_show_statistics" non-zero). Keys and clicks become answers: 4 close (the quit dialog), 15 pause
// (SPACE or P), 16 the in-game menu (ESCAPE or the menu button); a later test in a frame wins.
//
// It is no menu window, yet it takes part in the one-menu-at-a-time lock: hiding it holds the lock for
// nobody until its root control has faded out, so the next menu waits for the HUD to vanish.
//
// Main thread only. The engine, managers and level are borrowed; the window owns its statistics window
// (destroyed through the GUI manager) and, through the toolkit window, its controls. Nothing throws
// beyond the toolkit window's construction; a missing control is logged by the look-up and the steps
// that need it are skipped.

#include <cstdint>
#include <string>

#include "framework/GUIFrameworkWindow.h"
#include "tools/gui/GUIWindowBase.h"

namespace CorvantisEngine {
class Controls;
class GUIButton;
class GUICheckBox;
class GUIWindow;
class TimerManager;
}  // namespace CorvantisEngine

namespace GameFramework {
class GameLogicBase;
class ProfileManagerBase;
}  // namespace GameFramework

namespace GUITools {
class GUIToolManager;
class GUITextControl;
class GUIWindowControl;
}  // namespace GUITools

namespace Puzzle {

class GameData;
class GUIMenuWindowManager;

class GUIGameLogicWindow : public GameFramework::GUIGameLogicWindowBase, public GUITools::GUIWindowBase {
 public:
  static constexpr const char* kWindowName = "window_game_logic";
  // Answers.
  static constexpr std::uint32_t kAnswerClose = 4;
  static constexpr std::uint32_t kAnswerPause = 15;
  static constexpr std::uint32_t kAnswerMenu = 16;
  // Where the statistics lines go: the first at (8, 512), each further one 15 units lower.
  static constexpr float kStatisticsX = 8.0f;
  static constexpr float kStatisticsY = 512.0f;
  static constexpr float kStatisticsStep = -15.0f;

  // `parent` is the GUI window the HUD is built under.
  GUIGameLogicWindow(CorvantisEngine::Engine* engine, GameFramework::ProfileManagerBase* profileManager,
                     GameData* gameData, GUITools::GUIToolManager* toolManager,
                     GUIMenuWindowManager* menuWindowManager, CorvantisEngine::GUIWindow* parent);
  ~GUIGameLogicWindow() override;

  // Both bases' per-frame update: the answer, the controls, the counters and the overlay.
  void Update() override;
  // Hides the controls and holds the menu lock for nobody until the HUD has faded out.
  void Hide() override;
  // The framework's show with the level in play.
  void ShowWithLevel(std::uint32_t opener, GameFramework::GameLogicBase* logic) override {
    Open(opener, logic);
  }
  void Open(std::uint32_t opener, GameFramework::GameLogicBase* logic);
  // The framework's active flag is the HUD's input switch: the menu and close buttons, SPACE, P and
  // ESCAPE answer only while it is on.
  void SetActive(bool active) override { SetInputEnabled(active); }
  void SetInputEnabled(bool enabled);
  // Queues the overlay's four lines for this frame when "d_show_statistics" is non-zero.
  void DrawStatistics();

  GameFramework::GameLogicBase* GetLogic() const { return logic; }
  CorvantisEngine::GUIWindow* GetStatisticsWindow() const { return statisticsWindow; }

 protected:
  CorvantisEngine::TimerManager* timerManager;
  CorvantisEngine::Controls* controls;
  GUIMenuWindowManager* menuWindowManager;
  CorvantisEngine::GUIWindow* statisticsWindow = nullptr;  // owned, destroyed through the GUI manager
  GUITools::GUIWindowControl* rootControl = nullptr;
  CorvantisEngine::GUIButton* menuButton = nullptr;
  CorvantisEngine::GUIButton* minimizeButton = nullptr;
  CorvantisEngine::GUICheckBox* fullScreenBox = nullptr;
  CorvantisEngine::GUIButton* closeButton = nullptr;
  GUITools::GUITextControl* moneyText = nullptr;
  // The level in play; null while hidden.
  GameFramework::GameLogicBase* logic = nullptr;

 private:
  std::string Name(const char* relative) const { return std::string(kWindowName) + relative; }
};

}  // namespace Puzzle
