#pragma once
// The result windows without a screen of their own: stage complete, game complete, high scores and the
// continue question. Each answers at once when it is shown and so only steers the window flow; its
// base keeps what the show carried.
//
//   stage complete   22 after the last level of the game, else 13 (back to the start-game window)
//   game complete    1 (the high-score entry)
//   high scores      3 (back to the main menu; the entry to highlight is kept, not shown)
//   continue         13 (start the next level afresh)
//
// Main thread only; nothing throws. None owns anything.

#include "framework/GUIFrameworkWindow.h"
#include "framework/GUIWindowBases.h"
#include "game/windows/GUIImmediateAnswer.h"

namespace CorvantisEngine {
class Engine;
}

namespace Puzzle {

class GUIStageCompleteWindow : public GUIImmediateAnswer<GameFramework::GUIStageCompleteWindowBase> {
 public:
  static constexpr std::uint32_t kNextLevel = 13;
  static constexpr std::uint32_t kGameComplete = 22;

  GUIStageCompleteWindow(CorvantisEngine::Engine* engine, GameFramework::LevelManagerBase* levelManager);

  void ShowWithLevel(std::uint32_t opener, const GameFramework::LevelPosition& position) override;
};

class GUIGameCompleteWindow : public GUIImmediateAnswer<GameFramework::GUIGameCompleteWindowBase> {
 public:
  static constexpr std::uint32_t kAnswer = 1;

  void Show(std::uint32_t opener) override;
};

class GUIHighScoresWindow : public GUIImmediateAnswer<GameFramework::GUIHighScoresWindowBase> {
 public:
  static constexpr std::uint32_t kAnswer = 3;

  explicit GUIHighScoresWindow(GameFramework::HighScoresTable* table);

  void ShowWithEntry(std::uint32_t opener, const GameFramework::HighScoreEntry* entry) override;
};

class GUIContinueGameLogicWindow : public GUIImmediateAnswer<GameFramework::GUIContinueGameLogicWindowBase> {
 public:
  static constexpr std::uint32_t kAnswer = 13;

  void Show(std::uint32_t opener) override;
};

}  // namespace Puzzle
