#include "game/windows/GUIResultForwardWindows.h"

namespace Puzzle {

GUIStageCompleteWindow::GUIStageCompleteWindow(CorvantisEngine::Engine* /*engine*/,
                                               GameFramework::LevelManagerBase* levelManager)
    : GUIImmediateAnswer(levelManager) {}

void GUIStageCompleteWindow::ShowWithLevel(std::uint32_t opener,
                                           const GameFramework::LevelPosition& position) {
  GUIImmediateAnswer::ShowWithLevel(opener, position);
  // The level manager's test answers for the last level of the whole game.
  AnswerAtOnce(levelManager->IsLastLevelOfStage(position) ? kGameComplete : kNextLevel);
}

void GUIGameCompleteWindow::Show(std::uint32_t opener) {
  GUIImmediateAnswer::Show(opener);
  AnswerAtOnce(kAnswer);
}

GUIHighScoresWindow::GUIHighScoresWindow(GameFramework::HighScoresTable* table) : GUIImmediateAnswer(table) {}

void GUIHighScoresWindow::ShowWithEntry(std::uint32_t opener, const GameFramework::HighScoreEntry* entry) {
  GUIImmediateAnswer::ShowWithEntry(opener, entry);
  AnswerAtOnce(kAnswer);
}

void GUIContinueGameLogicWindow::Show(std::uint32_t opener) {
  GUIImmediateAnswer::Show(opener);
  AnswerAtOnce(kAnswer);
}

}  // namespace Puzzle
