// GameBase: the window protocol. Once per pass every window's posted result goes to its handler, which
// hides the window and shows the next one with its own id as opener id (or acts on the level); the
// clearing step then drops the results that were seen. A window whose Show answers at once keeps its
// answer for the next pass, so a chain of up to three answers settles within one frame.
#include "engine/Engine.h"
#include "framework/GUIFrameworkWindow.h"
#include "framework/GUIGameCursorBase.h"
#include "framework/GUIGameLogicMenuWindowBase.h"
#include "framework/GUILoadingWindowBase.h"
#include "framework/GUIOptionsWindowBase.h"
#include "framework/GUIWindowBases.h"
#include "framework/GameBase.h"
#include "framework/GameLogicBase.h"
#include "framework/HighScoresTable.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "tools/game/DataKeeper.h"
#include "tools/gui/GUIFontTool.h"

namespace GameFramework {

namespace {

// The result a window posted, or 0 when there is no window.
std::uint32_t ResultOf(const GUIFrameworkWindow* window) {
  return window != nullptr ? window->result : 0;
}

}  // namespace

void GameBase::ShowWindow(GUIFrameworkWindow* window, std::uint32_t opener) {
  if (window != nullptr)
    window->Show(opener);
}

void GameBase::HideWindow(GUIFrameworkWindow* window) {
  if (window != nullptr)
    window->Hide();
}

void GameBase::EndLevel() {
  HideWindow(gameLogicWindow.get());
  gameLogic.reset();
}

LevelPosition GameBase::GetCurrentPosition() const {
  ProfileBase* profile = GetCurrentProfile();
  const LevelPosition stored = profile != nullptr ? profile->GetCurrentLevel() : LevelPosition{};
  return levelManager != nullptr ? levelManager->ClampPosition(stored) : stored;
}

void GameBase::ShowHighScores(std::uint32_t opener, std::uint32_t score) {
  ProfileBase* profile = GetCurrentProfile();
  if (score == 0 || profile == nullptr || highScores == nullptr) {
    ShowWindow(mainMenuWindow.get(), opener);
    return;
  }
  const HighScoreEntry* entry = highScores->AddScore(profile->GetName(), profile->GetGameMode(), score);
  if (highScoresWindow != nullptr)
    highScoresWindow->ShowWithEntry(opener, entry);
}

void GameBase::ResumePlay() {
  if (gameLogicWindow != nullptr)
    gameLogicWindow->SetActive(true);
  if (gameLogic != nullptr)
    gameLogic->SetPaused(false);
}

void GameBase::ProcessWindowResults() {
  if (logosWindow != nullptr)
    OnLogosWindowResult();
  if (gameLoadingWindow != nullptr)
    OnGameLoadingWindowResult();
  if (welcomeWindow != nullptr)
    OnWelcomeWindowResult();
  if (exitWindow != nullptr)
    OnExitWindowResult();
  if (mainMenuWindow != nullptr)
    OnMainMenuWindowResult();
  if (profilesWindow != nullptr)
    OnProfilesWindowResult();
  if (levelLoadingWindow != nullptr)
    OnGameLogicLoadingWindowResult();
  if (newProfileWindow != nullptr)
    OnNewProfileWindowResult();
  if (renameProfileWindow != nullptr)
    OnRenameProfileWindowResult();
  if (deleteProfileWindow != nullptr)
    OnDeleteProfileWindowResult();
  if (nameConflictWindow != nullptr)
    OnProfileNameConflictWindowResult();
  if (startGameWindow != nullptr)
    OnStartGameLogicWindowResult();
  if (continueGameWindow != nullptr)
    OnContinueGameLogicWindowResult();
  if (highScoresWindow != nullptr)
    OnHighScoresWindowResult();
  if (optionsWindow != nullptr)
    OnOptionsWindowResult();
  if (helpWindow != nullptr)
    OnHelpWindowResult();
  if (gameLogicWindow != nullptr)
    OnGameLogicWindowResult();
  if (pauseWindow != nullptr)
    OnGameLogicPauseWindowResult();
  if (gameLogicMenuWindow != nullptr)
    OnGameLogicMenuWindowResult();
  if (menuExitWindow != nullptr)
    OnGameLogicMenuExitWindowResult();
  if (restartWindow != nullptr)
    OnGameLogicRestartWindowResult();
  if (gameExitWindow != nullptr)
    OnGameLogicGameExitWindowResult();
  // Pausing and resuming also mark the state as changed: only a finished or failed level is answered.
  if (gameLogic != nullptr && gameLogic->stateChanged != 0) {
    if (gameLogic->state == GameLogicBase::kFinished)
      OnLevelFinished();
    else if (gameLogic->state == GameLogicBase::kFailed)
      OnGameFailed();
  }
  if (levelCompleteWindow != nullptr)
    OnLevelCompleteWindowResult();
  if (stageCompleteWindow != nullptr)
    OnStageCompleteWindowResult();
  if (gameCompleteWindow != nullptr)
    OnGameCompleteWindowResult();
  if (gameOverWindow != nullptr)
    OnGameOverWindowResult();
}

void GameBase::ClearWindowResults() {
  for (GUIFrameworkWindow* window : GetWindows()) {
    if (window == nullptr)
      continue;
    if (window->resultConsumed != 0)
      window->result = 0;
    window->resultConsumed = 1;
  }
  if (gameLogic != nullptr)
    gameLogic->stateChanged = 0;
}

void GameBase::UpdateWindows() {
  GUIFrameworkWindow* const menus[] = {
      logosWindow.get(),         gameLoadingWindow.get(),   welcomeWindow.get(),
      exitWindow.get(),          mainMenuWindow.get(),      profilesWindow.get(),
      newProfileWindow.get(),    renameProfileWindow.get(), deleteProfileWindow.get(),
      nameConflictWindow.get(),  levelLoadingWindow.get(),  startGameWindow.get(),
      continueGameWindow.get(),  highScoresWindow.get(),    optionsWindow.get(),
      helpWindow.get(),          gameLogicWindow.get(),     pauseWindow.get(),
      gameLogicMenuWindow.get(), menuExitWindow.get(),      restartWindow.get(),
      gameExitWindow.get()};
  for (GUIFrameworkWindow* window : menus) {
    if (window != nullptr)
      window->Update();
  }
  if (gameLogic != nullptr)
    gameLogic->Update();
  GUIFrameworkWindow* const results[] = {levelCompleteWindow.get(), stageCompleteWindow.get(),
                                         gameCompleteWindow.get(), gameOverWindow.get()};
  for (GUIFrameworkWindow* window : results) {
    if (window != nullptr)
      window->Update();
  }
}

void GameBase::OnLogosWindowResult() {
  if (ResultOf(logosWindow.get()) != 1)
    return;
  logosWindow->Hide();
  if (gameLoadingWindow != nullptr)
    gameLoadingWindow->ShowWithTask(WindowId::kLogos, gameData.get());
}

void GameBase::OnGameLoadingWindowResult() {
  if (ResultOf(gameLoadingWindow.get()) != 1)
    return;
  gameLoadingWindow->Hide();
  if (fontTool != nullptr)
    fontTool->LoadAdditionalFonts();
  CreateWindows();
  const bool noProfile = profileManager == nullptr || profileManager->GetProfiles().empty();
  if (noProfile)
    ShowWindow(welcomeWindow.get(), WindowId::kGameLoading);
  else
    ShowWindow(mainMenuWindow.get(), WindowId::kGameLoading);
  if (cursor != nullptr)
    cursor->SetVisible(true);
}

void GameBase::OnWelcomeWindowResult() {
  const std::uint32_t result = ResultOf(welcomeWindow.get());
  if (result == 3) {
    welcomeWindow->Hide();
    ShowWindow(mainMenuWindow.get(), WindowId::kWelcome);
  } else if (result == 4) {
    welcomeWindow->Hide();
    ShowWindow(exitWindow.get(), WindowId::kWelcome);
  }
}

void GameBase::OnExitWindowResult() {
  switch (ResultOf(exitWindow.get())) {
    case 2:
      exitWindow->Hide();
      ShowWindow(welcomeWindow.get(), WindowId::kExit);
      break;
    case 3:
      exitWindow->Hide();
      ShowWindow(mainMenuWindow.get(), WindowId::kExit);
      break;
    case 6:
      exitWindow->Hide();
      if (newProfileWindow != nullptr)
        newProfileWindow->ShowWithFlag(WindowId::kExit, false);
      break;
    case 23:
      // The window stays on screen while the frame runs to its end.
      engine->RequestExit();
      break;
    default:
      break;
  }
}

void GameBase::OnMainMenuWindowResult() {
  GUIFrameworkWindow* next = nullptr;
  switch (ResultOf(mainMenuWindow.get())) {
    case 5:
      next = profilesWindow.get();
      break;
    case 24: {
      ProfileBase* profile = GetCurrentProfile();
      if (profile != nullptr && profile->IsGameInProgress()) {
        next = continueGameWindow.get();
      } else {
        if (profile != nullptr)
          profile->ResetProgress();
        next = startGameWindow.get();
      }
      break;
    }
    case 10:
      mainMenuWindow->Hide();
      if (highScoresWindow != nullptr)
        highScoresWindow->ShowWithEntry(WindowId::kMainMenu, nullptr);
      return;
    case 11:
      next = optionsWindow.get();
      break;
    case 12:
      next = helpWindow.get();
      break;
    case 4:
      next = exitWindow.get();
      break;
    default:
      return;
  }
  mainMenuWindow->Hide();
  ShowWindow(next, WindowId::kMainMenu);
}

void GameBase::OnProfilesWindowResult() {
  switch (ResultOf(profilesWindow.get())) {
    case 6:
      profilesWindow->Hide();
      if (newProfileWindow != nullptr)
        newProfileWindow->ShowWithFlag(WindowId::kProfiles, true);
      break;
    case 7:
      profilesWindow->Hide();
      if (renameProfileWindow != nullptr)
        renameProfileWindow->ShowWithName(WindowId::kProfiles, true, profilesWindow->name);
      break;
    case 8:
      profilesWindow->Hide();
      if (deleteProfileWindow != nullptr)
        deleteProfileWindow->ShowWithName(WindowId::kProfiles, profilesWindow->name);
      break;
    case 3:
      profilesWindow->Hide();
      ShowWindow(mainMenuWindow.get(), WindowId::kProfiles);
      break;
    default:
      break;
  }
}

void GameBase::OnGameLogicLoadingWindowResult() {
  if (ResultOf(levelLoadingWindow.get()) != 1)
    return;
  levelLoadingWindow->Hide();
  if (cursor != nullptr)
    cursor->SetVisible(true);
  ProfileBase* profile = GetCurrentProfile();
  const LevelPosition position = GetCurrentPosition();
  gameLogic.reset();
  gameLogic = CreateGameLogic(levelManager->GetStage(position.stage), levelManager->GetLevel(position),
                              profile != nullptr ? profile->GetGameCounter() : ProfileBase::kNewGameCounter);
  if (gameLogicWindow != nullptr)
    gameLogicWindow->ShowWithLevel(WindowId::kLevelLoading, gameLogic.get());
}

void GameBase::OnNewProfileWindowResult() {
  GUIFrameworkWindow* next = nullptr;
  switch (ResultOf(newProfileWindow.get())) {
    case 9:
      next = nameConflictWindow.get();
      break;
    case 5:
      next = profilesWindow.get();
      break;
    case 4:
      next = exitWindow.get();
      break;
    default:
      return;
  }
  newProfileWindow->Hide();
  ShowWindow(next, WindowId::kNewProfile);
}

void GameBase::OnRenameProfileWindowResult() {
  GUIFrameworkWindow* next = nullptr;
  switch (ResultOf(renameProfileWindow.get())) {
    case 9:
      next = nameConflictWindow.get();
      break;
    case 5:
      next = profilesWindow.get();
      break;
    default:
      return;
  }
  renameProfileWindow->Hide();
  ShowWindow(next, WindowId::kRenameProfile);
}

void GameBase::OnDeleteProfileWindowResult() {
  switch (ResultOf(deleteProfileWindow.get())) {
    case 5:
      deleteProfileWindow->Hide();
      ShowWindow(profilesWindow.get(), WindowId::kDeleteProfile);
      break;
    case 6:
      deleteProfileWindow->Hide();
      if (newProfileWindow != nullptr)
        newProfileWindow->ShowWithFlag(WindowId::kDeleteProfile, true);
      break;
    default:
      break;
  }
}

void GameBase::OnProfileNameConflictWindowResult() {
  switch (ResultOf(nameConflictWindow.get())) {
    case 6:
      nameConflictWindow->Hide();
      if (newProfileWindow != nullptr)
        newProfileWindow->ShowWithFlag(WindowId::kNameConflict, false);
      break;
    case 7:
      nameConflictWindow->Hide();
      if (renameProfileWindow != nullptr)
        renameProfileWindow->ShowWithName(WindowId::kNameConflict, false, std::wstring());
      break;
    default:
      break;
  }
}

void GameBase::OnStartGameLogicWindowResult() {
  switch (ResultOf(startGameWindow.get())) {
    case 3:
      startGameWindow->Hide();
      ShowWindow(mainMenuWindow.get(), WindowId::kStartGame);
      break;
    case 24: {
      // The keeper of the level before stays until this one has loaded.
      previousLevelData = std::move(levelData);
      const LevelPosition position = GetCurrentPosition();
      levelData =
          CreateGameLogicData(levelManager->GetStage(position.stage), levelManager->GetLevel(position));
      if (levelData != nullptr) {
        for (const std::string& list : levelManager->GetLevelResourceLists(position))
          levelData->LoadResources(list, false);
      }
      startGameWindow->Hide();
      if (levelLoadingWindow != nullptr)
        levelLoadingWindow->ShowWithTask(WindowId::kStartGame, levelData.get());
      break;
    }
    default:
      break;
  }
}

void GameBase::OnContinueGameLogicWindowResult() {
  switch (ResultOf(continueGameWindow.get())) {
    case 14:
      continueGameWindow->Hide();
      ShowWindow(startGameWindow.get(), WindowId::kContinueGame);
      break;
    case 13:
      if (ProfileBase* profile = GetCurrentProfile()) {
        profile->SetGameInProgress(false);
        profile->Save();
        profile->ResetProgress();
      }
      continueGameWindow->Hide();
      ShowWindow(startGameWindow.get(), WindowId::kContinueGame);
      break;
    case 3:
      continueGameWindow->Hide();
      ShowWindow(mainMenuWindow.get(), WindowId::kContinueGame);
      break;
    default:
      break;
  }
}

void GameBase::OnHighScoresWindowResult() {
  if (ResultOf(highScoresWindow.get()) != 3)
    return;
  highScoresWindow->Hide();
  ShowWindow(mainMenuWindow.get(), WindowId::kHighScores);
}

void GameBase::OnOptionsWindowResult() {
  if (ResultOf(optionsWindow.get()) != 3)
    return;
  optionsWindow->Hide();
  ShowWindow(mainMenuWindow.get(), WindowId::kOptions);
}

void GameBase::OnHelpWindowResult() {
  if (ResultOf(helpWindow.get()) != 3)
    return;
  helpWindow->Hide();
  ShowWindow(mainMenuWindow.get(), WindowId::kHelp);
}

void GameBase::OnGameLogicWindowResult() {
  GUIFrameworkWindow* next = nullptr;
  switch (ResultOf(gameLogicWindow.get())) {
    case 16:
      next = gameLogicMenuWindow.get();
      break;
    case 15:
      next = pauseWindow.get();
      break;
    case 4:
      next = gameExitWindow.get();
      break;
    default:
      return;
  }
  // The in-game window stays under the menu shown over it.
  gameLogicWindow->SetActive(false);
  ShowWindow(next, WindowId::kGameLogic);
  if (gameLogic != nullptr)
    gameLogic->SetPaused(true);
}

void GameBase::OnGameLogicPauseWindowResult() {
  if (ResultOf(pauseWindow.get()) != 19)
    return;
  pauseWindow->Hide();
  ResumePlay();
}

void GameBase::OnGameLogicMenuWindowResult() {
  switch (ResultOf(gameLogicMenuWindow.get())) {
    case 19:
      gameLogicMenuWindow->Hide();
      ResumePlay();
      break;
    case 18:
      gameLogicMenuWindow->Hide();
      ShowWindow(menuExitWindow.get(), WindowId::kGameLogicMenu);
      break;
    case 17:
      gameLogicMenuWindow->Hide();
      ShowWindow(restartWindow.get(), WindowId::kGameLogicMenu);
      break;
    default:
      break;
  }
}

void GameBase::OnGameLogicMenuExitWindowResult() {
  switch (ResultOf(menuExitWindow.get())) {
    case 16:
      menuExitWindow->Hide();
      ShowWindow(gameLogicMenuWindow.get(), WindowId::kMenuExit);
      break;
    case 3:
      menuExitWindow->Hide();
      EndLevel();
      ShowWindow(mainMenuWindow.get(), WindowId::kMenuExit);
      break;
    default:
      break;
  }
}

void GameBase::OnGameLogicRestartWindowResult() {
  switch (ResultOf(restartWindow.get())) {
    case 16:
      restartWindow->Hide();
      ShowWindow(gameLogicMenuWindow.get(), WindowId::kRestart);
      break;
    case 20:
      restartWindow->Hide();
      ShowWindow(gameOverWindow.get(), WindowId::kRestart);
      break;
    case 13:
      restartWindow->Hide();
      EndLevel();
      ShowWindow(startGameWindow.get(), WindowId::kRestart);
      break;
    default:
      break;
  }
}

void GameBase::OnGameLogicGameExitWindowResult() {
  switch (ResultOf(gameExitWindow.get())) {
    case 19:
      gameExitWindow->Hide();
      ResumePlay();
      break;
    case 23:
      // The window stays on screen while the frame runs to its end.
      engine->RequestExit();
      break;
    default:
      break;
  }
}

void GameBase::OnLevelFinished() {
  if (gameLogicWindow != nullptr)
    gameLogicWindow->SetActive(false);
  ProfileBase* profile = GetCurrentProfile();
  const LevelPosition played =
      gameLogic->levelRecord != nullptr
          ? LevelPosition{gameLogic->levelRecord->stageIndex, gameLogic->levelRecord->levelIndex}
          : GetCurrentPosition();
  const LevelPosition next = levelManager->GetNextLevel(played);
  const bool last = next == played;
  const float time = gameLogic->GetTime();
  if (profile != nullptr) {
    profile->SetCurrentLevel(next);
    profile->Save();
    profile->UpdateReachedLevel(next, last);
    profile->SetGameCounter(gameLogic->gameCounter);
    profile->SetScore(profile->GetScore() + gameLogic->GetScore());
    gameLogic->SetScore(0);
    profile->SetGameInProgress(!last);
    profile->Save();
    profileManager->AddRecord(played, profile->GetName(), profile->GetGameMode(), time);
    std::unique_ptr<GameResult> result = CreateGameResult();
    FillGameResult(*result);
    profile->AddGameResult(std::move(result));
  }
  if (levelCompleteWindow != nullptr)
    levelCompleteWindow->ShowWithResult(WindowId::kGameLogic, played, time);
}

void GameBase::OnLeaveLevel() {
  if (ProfileBase* profile = GetCurrentProfile()) {
    LevelPosition position = profile->GetCurrentLevel();
    if (position.level > 0) {
      --position.level;
    } else if (position.stage > 0) {
      --position.stage;
      const std::uint32_t levels = levelManager->GetLevelCount(position.stage);
      position.level = levels > 0 ? levels - 1 : 0;
    }
    profile->SetCurrentLevel(position);
    profile->Save();
  }
  EndLevel();
  ShowWindow(startGameWindow.get(), WindowId::kMainMenu);
}

void GameBase::OnGameFailed() {
  if (gameLogicWindow != nullptr)
    gameLogicWindow->SetActive(false);
  if (ProfileBase* profile = GetCurrentProfile()) {
    profile->SetGameInProgress(false);
    profile->Save();
  }
  ShowWindow(gameOverWindow.get(), WindowId::kGameLogic);
}

void GameBase::OnLevelCompleteWindowResult() {
  switch (ResultOf(levelCompleteWindow.get())) {
    case 13:
      levelCompleteWindow->Hide();
      EndLevel();
      ShowWindow(startGameWindow.get(), WindowId::kLevelComplete);
      break;
    case 21:
      // The level stays while the stage-complete window is shown over it.
      levelCompleteWindow->Hide();
      if (stageCompleteWindow != nullptr)
        stageCompleteWindow->ShowWithLevel(
            WindowId::kLevelComplete, LevelPosition{levelCompleteWindow->stage, levelCompleteWindow->level});
      break;
    default:
      break;
  }
}

void GameBase::OnStageCompleteWindowResult() {
  switch (ResultOf(stageCompleteWindow.get())) {
    case 13:
      stageCompleteWindow->Hide();
      EndLevel();
      ShowWindow(startGameWindow.get(), WindowId::kStageComplete);
      break;
    case 22:
      stageCompleteWindow->Hide();
      EndLevel();
      ShowWindow(gameCompleteWindow.get(), WindowId::kStageComplete);
      break;
    default:
      break;
  }
}

void GameBase::OnGameCompleteWindowResult() {
  if (ResultOf(gameCompleteWindow.get()) != 1)
    return;
  gameCompleteWindow->Hide();
  ProfileBase* profile = GetCurrentProfile();
  ShowHighScores(WindowId::kGameComplete, profile != nullptr ? profile->GetScore() : 0);
}

void GameBase::OnGameOverWindowResult() {
  switch (ResultOf(gameOverWindow.get())) {
    case 1: {
      gameOverWindow->Hide();
      ProfileBase* profile = GetCurrentProfile();
      const std::uint32_t score =
          (profile != nullptr ? profile->GetScore() : 0) + (gameLogic != nullptr ? gameLogic->GetScore() : 0);
      ShowHighScores(WindowId::kGameOver, score);
      EndLevel();
      break;
    }
    case 17:
      gameOverWindow->Hide();
      ShowWindow(restartWindow.get(), WindowId::kGameOver);
      break;
    default:
      break;
  }
}

}  // namespace GameFramework
