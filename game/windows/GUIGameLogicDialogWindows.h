#pragma once
// The small windows opened over a level in play, besides the in-game menu: the pause screen
// ("window_game_logic_pause", resume 19) and three confirmations, each with "/window/button_0" (back)
// and "/window/button_1" (confirm): restart the level ("window_game_logic_restart": 13, back to the
// in-game menu 16), leave for the main menu ("window_game_logic_menu_exit": 3, back 16) and quit the
// program ("window_game_logic_game_exit": 23, back to play 19). When both buttons are clicked in one
// frame, back wins (it is tested last).
//
// The restart and leave confirmations take over the in-game menu's title frame: they open with the
// static title mount and leave with it when going back to the menu, so the frame does not close and
// open again between them.
//
// Main thread only. The engine, managers and game data are borrowed. Nothing throws beyond the toolkit
// window's construction; a missing button is logged by its look-up and never answers.

#include <cstdint>
#include <string>

#include "framework/GUIWindowBases.h"
#include "game/windows/GUIMenuWindow.h"

namespace CorvantisEngine {
class GUIButton;
}

namespace Puzzle {

class GUIGameLogicPauseWindow : public GameFramework::GUIGameLogicPauseWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kWindowName = "window_game_logic_pause";
  static constexpr std::uint32_t kAnswerResume = 19;

  GUIGameLogicPauseWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                          GameData* gameData, GUITools::GUIToolManager* toolManager,
                          GUIMenuWindowManager* menuWindowManager, CorvantisEngine::GUIWindow* parent);

  void Show(std::uint32_t opener) override;
  void Update() override;
  void Hide() override;

 protected:
  CorvantisEngine::GUIButton* resumeButton = nullptr;
};

// What the three confirmations share: the two buttons and their answers, and whether the window takes
// part in the title hand-over with the in-game menu.
class GUIGameLogicConfirmWindow : public GUIMenuWindow {
 public:
  // The in-game menu's id as answer: back to it.
  static constexpr std::uint32_t kAnswerBackToMenu = 16;

  GUIGameLogicConfirmWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                            GameData* gameData, GUITools::GUIToolManager* toolManager,
                            GUIMenuWindowManager* menuWindowManager, CorvantisEngine::GUIWindow* parent,
                            const std::string& windowName, std::uint32_t confirmAnswer,
                            std::uint32_t backAnswer, bool staticTitle);

 protected:
  // The confirmation's answer, the back answer, or `current` when neither button was clicked.
  std::uint32_t Answer(std::uint32_t current) const;
  void ShowConfirmation();
  void HideConfirmation(std::uint32_t answer);

  CorvantisEngine::GUIButton* backButton = nullptr;
  CorvantisEngine::GUIButton* confirmButton = nullptr;
  std::uint32_t confirmAnswer;
  std::uint32_t backAnswer;
  bool staticTitle;
};

// A confirmation on its framework side: the framework's Show, Update and Hide, then the confirmation's.
template <class FrameworkBase>
class GUIGameLogicConfirmation : public FrameworkBase, public GUIGameLogicConfirmWindow {
 public:
  using GUIGameLogicConfirmWindow::GUIGameLogicConfirmWindow;

  void Show(std::uint32_t opener) override {
    FrameworkBase::Show(opener);
    ShowConfirmation();
  }
  void Update() override {
    FrameworkBase::Update();
    GUIMenuWindow::Update();
    this->result = Answer(this->result);
  }
  void Hide() override {
    FrameworkBase::Hide();
    HideConfirmation(this->result);
  }
};

class GUIGameLogicRestartWindow
    : public GUIGameLogicConfirmation<GameFramework::GUIGameLogicRestartWindowBase> {
 public:
  static constexpr const char* kWindowName = "window_game_logic_restart";
  static constexpr std::uint32_t kAnswerRestart = 13;

  GUIGameLogicRestartWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                            GameData* gameData, GUITools::GUIToolManager* toolManager,
                            GUIMenuWindowManager* menuWindowManager, CorvantisEngine::GUIWindow* parent);
};

class GUIGameLogicMenuExitWindow
    : public GUIGameLogicConfirmation<GameFramework::GUIGameLogicMenuExitWindowBase> {
 public:
  static constexpr const char* kWindowName = "window_game_logic_menu_exit";
  static constexpr std::uint32_t kAnswerLeave = 3;

  GUIGameLogicMenuExitWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                             GameData* gameData, GUITools::GUIToolManager* toolManager,
                             GUIMenuWindowManager* menuWindowManager, CorvantisEngine::GUIWindow* parent);
};

class GUIGameLogicGameExitWindow
    : public GUIGameLogicConfirmation<GameFramework::GUIGameLogicGameExitWindowBase> {
 public:
  static constexpr const char* kWindowName = "window_game_logic_game_exit";
  static constexpr std::uint32_t kAnswerQuit = 23;
  static constexpr std::uint32_t kAnswerResume = 19;

  GUIGameLogicGameExitWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                             GameData* gameData, GUITools::GUIToolManager* toolManager,
                             GUIMenuWindowManager* menuWindowManager, CorvantisEngine::GUIWindow* parent);
};

}  // namespace Puzzle
