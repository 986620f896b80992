#include "game/Game.h"

#include "engine/Engine.h"
#include "engine/EngineStartParameters.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUISoundManager.h"
#include "engine/resources/ShaderManager.h"
#include "framework/AudioManager.h"
#include "framework/GUIFrameworkWindow.h"
#include "framework/GUIGameCursorBase.h"
#include "framework/GUIGameLogicMenuWindowBase.h"
#include "framework/GUILoadingWindowBase.h"
#include "framework/GUIOptionsWindowBase.h"
#include "framework/GUIWindowBases.h"
#include "framework/GameLogicBase.h"
#include "framework/LanguageManager.h"
#include "framework/SaveProblems.h"
#include "framework/SavedFile.h"
#include "game/Content.h"
#include "game/GameData.h"
#include "game/GameLogic.h"
#include "game/GameLogicData.h"
#include "game/LevelManager.h"
#include "game/Profile.h"
#include "game/windows/GUIBackground.h"
#include "game/windows/GUIExitWindow.h"
#include "game/windows/GUIGameCursor.h"
#include "game/windows/GUIGameLogicDialogWindows.h"
#include "game/windows/GUIGameLogicMenuWindow.h"
#include "game/windows/GUIGameLogicWindow.h"
#include "game/windows/GUIGameOverWindow.h"
#include "game/windows/GUIHelpWindow.h"
#include "game/windows/GUILevelCompleteWindow.h"
#include "game/windows/GUILoadingWindows.h"
#include "game/windows/GUILogosWindow.h"
#include "game/windows/GUIMainMenuWindow.h"
#include "game/windows/GUIMenuWindowManager.h"
#include "game/windows/GUINoticeWindow.h"
#include "game/windows/GUIOptionsWindow.h"
#include "game/windows/GUIProfileDialogs.h"
#include "game/windows/GUIProfilesWindow.h"
#include "game/windows/GUIRelaxWindow.h"
#include "game/windows/GUIResultForwardWindows.h"
#include "game/windows/GUIStartGameLogicWindow.h"
#include "game/windows/GUIWelcomeWindow.h"

namespace Puzzle {

namespace {

struct GameSound {
  std::uint32_t id;
  const char* group;
  const char* name;
  bool loop;
};

// In registration order.
constexpr GameSound kGameSounds[] = {
    {Sound::kWindowAppear, "menu", "window_appear", false},
    {Sound::kWindowDisappear, "menu", "window_disappear", false},
    {Sound::kVolumeSlider, "menu", "volume_slider", true},
    {Sound::kChargeScore, "menu", "charge_score", true},
    {Sound::kLevelBegin, "game", "level_begin", false},
    {Sound::kLevelComplete, "game", "level_complete", false},
    {Sound::kLevelFailed, "game", "level_failed", false},
    {Sound::kElementGet, "game", "element_get", false},
    {Sound::kElementPut0, "game", "element_put_0", false},
    {Sound::kElementPut0 + 1, "game", "element_put_1", false},
    {Sound::kElementPut0 + 2, "game", "element_put_2", false},
    {Sound::kElementPut0 + 3, "game", "element_put_3", false},
    {Sound::kElementPut0 + 4, "game", "element_put_4", false},
    {Sound::kElementPutBad, "game", "element_put_bad", false},
    {Sound::kElementCancel, "game", "element_cancel", false},
    {Sound::kBonusTip, "game", "bonus_tip", false},
    {Sound::kBonusMagnet, "game", "bonus_magnet", false},
    {Sound::kBonusTipApply, "game", "bonus_tip_apply", false},
    {Sound::kBonusMagnetApply, "game", "bonus_magnet_apply", false},
    {Sound::kBonusPauseApply, "game", "bonus_pause_apply", false},
    {Sound::kBonusRollbackApply, "game", "bonus_rollback_apply", false},
    {Sound::kPathIntroduction, "game", "path_introduction", true},
    {Sound::kPathIntroductionEnd, "game", "path_introduction_end", false},
    {Sound::kPathBegin, "game", "path_begin", true},
    {Sound::kPathEnd, "game", "path_end", true},
    {Sound::kPathWarning, "game", "path_warning", false},
    {Sound::kChargePathScore, "game", "charge_path_score", true},
};

struct GUISound {
  std::uint32_t id;
  const char* name;
};

// The engine widgets' sounds, group "menu"; id 0 has two files.
constexpr GUISound kGUISounds[] = {
    {0, "button_select_0"}, {0, "button_select_1"}, {1, "button_click"}, {2, "button_select_0"},
    {3, "button_click"},    {4, "button_select_0"}, {5, "button_click"}, {6, "button_select_0"},
    {7, "button_click"},    {8, "button_select_0"}, {9, "button_click"}, {10, "edit_box_print"},
};

}  // namespace

Game::Game(const std::string& maker, const std::string& title, std::uint32_t version)
    : Game(maker, title, version, DelayedInit{}) {
  Init();
}

Game::Game(const std::string& maker, const std::string& title, std::uint32_t version, DelayedInit)
    : GameBase(maker, title, version) {
  CorvantisEngine::SetUse32BitTextures(true);
}

Game::~Game() {
  noticeWindow.reset();
  relaxWindow.reset();
  content.reset();
  background.reset();
  menuWindowManager.reset();
}

void Game::SetCursorTrail(bool enabled) {
  if (auto* gameCursor = dynamic_cast<GUIGameCursor*>(cursor.get()))
    gameCursor->SetTrailEnabled(enabled);
}

GameData* Game::GetPuzzleData() const {
  return static_cast<GameData*>(gameData.get());
}

CorvantisEngine::GUIWindow* Game::GetMenuParent() const {
  return background != nullptr ? background->GetMenuContainer() : nullptr;
}

void Game::FillStartParameters(CorvantisEngine::EngineStartParameters& parameters) {
  GameBase::FillStartParameters(parameters);
  parameters.defaultVideoMode = "1024x768x32";
  parameters.iconId = 101;
  parameters.stencilRequested = 1;
}

void Game::ShowStartPicture() {
  GUILogosWindow::ShowFirstLogo(engine.get());
}

void Game::LoadSounds() {
  CorvantisEngine::GUISoundManager* guiSounds = gui->GetSoundManager();
  for (const GUISound& sound : kGUISounds)
    guiSounds->AddSound(sound.id, GetAudioFileName("menu", sound.name));
  audioManager->ReapplySoundVolume();

  audioManager->AddMusicTrack(Music::kMenuTrack, GetAudioFileName("music", "menu"), true);
  audioManager->AddMusicTrack(Music::kGameTrack0, GetAudioFileName("music", "game0"), true);
  audioManager->AddMusicTrack(Music::kGameTrack1, GetAudioFileName("music", "game1"), true);

  for (const GameSound& sound : kGameSounds)
    audioManager->AddSound(sound.id, GetAudioFileName(sound.group, sound.name), sound.loop, 1);
}

void Game::CreateWindows() {
  if (auto* gameCursor = dynamic_cast<GUIGameCursor*>(cursor.get()))
    gameCursor->CreateEffects(GetPuzzleData());
  if (background != nullptr)
    background->LoadAdditionalLayers();
  GameBase::CreateWindows();
  // The relax offer comes after the other windows, last in the menu-window manager's list.
  relaxWindow = CreateRelaxWindow();
  noticeWindow = CreateNoticeWindow();
}

std::unique_ptr<GameFramework::LevelManagerBase> Game::CreateLevelManager() {
  return std::make_unique<LevelManager>(engine.get());
}

std::unique_ptr<GameFramework::ProfileManagerBase> Game::CreateProfileManager() {
  // Stored level positions are put on existing levels as the profiles load.
  return std::make_unique<ProfileManager>(engine.get(), audioManager.get(), saveFolder, levelManager.get());
}

std::unique_ptr<GameTools::DataKeeper> Game::CreateGameData() {
  auto data = std::make_unique<GameData>(engine.get(), GetLanguageCode());
  data->LoadResources("data\\ui\\background\\resources_basic.xml", true);
  data->LoadResources("data\\ui\\background\\resources_additional.xml", false);
  data->LoadResources("data\\game_objects\\resources.xml", false);
  content =
      std::make_unique<Content>(engine.get(), static_cast<ProfileManager*>(profileManager.get()), data.get());
  return data;
}

std::unique_ptr<GameFramework::GUIGameCursorBase> Game::CreateGameCursor() {
  return std::make_unique<GUIGameCursor>(engine.get());
}

std::unique_ptr<GameFramework::GUILogosWindowBase> Game::CreateLogosWindow() {
  return std::make_unique<GUILogosWindow>(engine.get());
}

std::unique_ptr<GameFramework::GUILoadingWindowBase> Game::CreateGameLoadingWindow() {
  background = std::make_unique<GUIBackground>(engine.get(), gameData.get());
  background->SetVisible(true, false, 1.0f);
  menuWindowManager = std::make_unique<GUIMenuWindowManager>(GetPuzzleData());
  return std::make_unique<GUIGameLoadingWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                                guiToolManager.get(), menuWindowManager.get(),
                                                GetMenuParent());
}

std::unique_ptr<GameFramework::GUILoadingWindowBase> Game::CreateGameLogicLoadingWindow() {
  return std::make_unique<GUIGameLogicLoadingWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                                     guiToolManager.get(), menuWindowManager.get(),
                                                     GetMenuParent());
}

std::unique_ptr<GameFramework::GUIWelcomeWindowBase> Game::CreateWelcomeWindow() {
  return std::make_unique<GUIWelcomeWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                            guiToolManager.get(), menuWindowManager.get(), GetMenuParent(),
                                            profileManager.get());
}

std::unique_ptr<GameFramework::GUIExitWindowBase> Game::CreateExitWindow() {
  return std::make_unique<GUIExitWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                         guiToolManager.get(), menuWindowManager.get(), GetMenuParent());
}

std::unique_ptr<GameFramework::GUIMainMenuWindowBase> Game::CreateMainMenuWindow() {
  return std::make_unique<GUIMainMenuWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                             guiToolManager.get(), menuWindowManager.get(), GetMenuParent(),
                                             profileManager.get());
}

std::unique_ptr<GameFramework::GUIProfilesWindowBase> Game::CreateProfilesWindow() {
  return std::make_unique<GUIProfilesWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                             guiToolManager.get(), menuWindowManager.get(), GetMenuParent(),
                                             profileManager.get());
}

std::unique_ptr<GameFramework::GUINewProfileWindowBase> Game::CreateNewProfileWindow() {
  return std::make_unique<GUINewProfileWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                               guiToolManager.get(), menuWindowManager.get(), GetMenuParent(),
                                               profileManager.get());
}

std::unique_ptr<GameFramework::GUIRenameProfileWindowBase> Game::CreateRenameProfileWindow() {
  return std::make_unique<GUIRenameProfileWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                                  guiToolManager.get(), menuWindowManager.get(),
                                                  GetMenuParent(), profileManager.get());
}

std::unique_ptr<GameFramework::GUIDeleteProfileWindowBase> Game::CreateDeleteProfileWindow() {
  return std::make_unique<GUIDeleteProfileWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                                  guiToolManager.get(), menuWindowManager.get(),
                                                  GetMenuParent(), profileManager.get());
}

std::unique_ptr<GameFramework::GUIProfileNameConflictWindowBase> Game::CreateProfileNameConflictWindow() {
  return std::make_unique<GUIProfileNameConflictWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                                        guiToolManager.get(), menuWindowManager.get(),
                                                        GetMenuParent());
}

std::unique_ptr<GameFramework::GUIStartGameLogicWindowBase> Game::CreateStartGameLogicWindow() {
  return std::make_unique<GUIStartGameLogicWindow>(engine.get(), audioManager.get(), levelManager.get(),
                                                   static_cast<ProfileManager*>(profileManager.get()),
                                                   GetPuzzleData(), guiToolManager.get(),
                                                   menuWindowManager.get(), GetMenuParent(), content.get());
}

std::unique_ptr<GameFramework::GUIContinueGameLogicWindowBase> Game::CreateContinueGameLogicWindow() {
  return std::make_unique<GUIContinueGameLogicWindow>();
}

std::unique_ptr<GameFramework::GUIHighScoresWindowBase> Game::CreateHighScoresWindow() {
  return std::make_unique<GUIHighScoresWindow>(highScores.get());
}

std::unique_ptr<GameFramework::GUIOptionsWindowBase> Game::CreateOptionsWindow() {
  return std::make_unique<GUIOptionsWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                            guiToolManager.get(), menuWindowManager.get(), GetMenuParent(),
                                            profileManager.get());
}

std::unique_ptr<GameFramework::GUIHelpWindowBase> Game::CreateHelpWindow() {
  return std::make_unique<GUIHelpWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                         guiToolManager.get(), menuWindowManager.get(), GetMenuParent());
}

std::unique_ptr<GameFramework::GUIGameLogicWindowBase> Game::CreateGameLogicWindow() {
  return std::make_unique<GUIGameLogicWindow>(engine.get(), profileManager.get(), GetPuzzleData(),
                                              guiToolManager.get(), menuWindowManager.get(), GetMenuParent());
}

std::unique_ptr<GameFramework::GUIGameLogicPauseWindowBase> Game::CreateGameLogicPauseWindow() {
  return std::make_unique<GUIGameLogicPauseWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                                   guiToolManager.get(), menuWindowManager.get(),
                                                   GetMenuParent());
}

std::unique_ptr<GameFramework::GUIGameLogicMenuWindowBase> Game::CreateGameLogicMenuWindow() {
  return std::make_unique<GUIGameLogicMenuWindow>(engine.get(), audioManager.get(), profileManager.get(),
                                                  GetPuzzleData(), guiToolManager.get(),
                                                  menuWindowManager.get(), GetMenuParent());
}

std::unique_ptr<GameFramework::GUIGameLogicMenuExitWindowBase> Game::CreateGameLogicMenuExitWindow() {
  return std::make_unique<GUIGameLogicMenuExitWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                                      guiToolManager.get(), menuWindowManager.get(),
                                                      GetMenuParent());
}

std::unique_ptr<GameFramework::GUIGameLogicRestartWindowBase> Game::CreateGameLogicRestartWindow() {
  return std::make_unique<GUIGameLogicRestartWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                                     guiToolManager.get(), menuWindowManager.get(),
                                                     GetMenuParent());
}

std::unique_ptr<GameFramework::GUIGameLogicGameExitWindowBase> Game::CreateGameLogicGameExitWindow() {
  return std::make_unique<GUIGameLogicGameExitWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                                      guiToolManager.get(), menuWindowManager.get(),
                                                      GetMenuParent());
}

std::unique_ptr<GameFramework::GUILevelCompleteWindowBase> Game::CreateLevelCompleteWindow() {
  return std::make_unique<GUILevelCompleteWindow>(engine.get(), audioManager.get(), levelManager.get(),
                                                  static_cast<ProfileManager*>(profileManager.get()),
                                                  GetPuzzleData(), guiToolManager.get(),
                                                  menuWindowManager.get(), GetMenuParent());
}

std::unique_ptr<GameFramework::GUIStageCompleteWindowBase> Game::CreateStageCompleteWindow() {
  return std::make_unique<GUIStageCompleteWindow>(engine.get(), levelManager.get());
}

std::unique_ptr<GameFramework::GUIGameCompleteWindowBase> Game::CreateGameCompleteWindow() {
  return std::make_unique<GUIGameCompleteWindow>();
}

std::unique_ptr<GameFramework::GUIGameOverWindowBase> Game::CreateGameOverWindow() {
  return std::make_unique<GUIGameOverWindow>(
      engine.get(), audioManager.get(), static_cast<ProfileManager*>(profileManager.get()), GetPuzzleData(),
      guiToolManager.get(), menuWindowManager.get(), GetMenuParent());
}

std::unique_ptr<GameFramework::GUIFrameworkWindow> Game::CreateRelaxWindow() {
  return std::make_unique<GUIRelaxWindow>(engine.get(), audioManager.get(),
                                          static_cast<ProfileManager*>(profileManager.get()), GetPuzzleData(),
                                          guiToolManager.get(), menuWindowManager.get(), GetMenuParent());
}

std::unique_ptr<GUINoticeWindow> Game::CreateNoticeWindow() {
  return std::make_unique<GUINoticeWindow>(engine.get(), audioManager.get(), GetPuzzleData(),
                                           guiToolManager.get(), menuWindowManager.get(), GetMenuParent(),
                                           GameFramework::HostPath(saveFolder));
}

std::unique_ptr<GameTools::DataKeeper> Game::CreateGameLogicData(GameFramework::StageRecord* stage,
                                                                 GameFramework::LevelRecord* level) {
  auto data = std::make_unique<GameLogicData>(engine.get(), GetLanguageCode(), stage, level);
  // The picture, colours and piece shapes of the player's choice.
  if (content != nullptr)
    content->BuildFileNames(data.get());
  return data;
}

std::unique_ptr<GameFramework::GameLogicBase> Game::CreateGameLogic(GameFramework::StageRecord* stage,
                                                                    GameFramework::LevelRecord* level,
                                                                    std::uint32_t gameCounter) {
  GameFramework::ProfileBase* profile = GetCurrentProfile();
  return std::make_unique<GameLogic>(
      engine.get(), cursor.get(), static_cast<ProfileManager*>(profileManager.get()), audioManager.get(),
      GetPuzzleData(), static_cast<GameLogicData*>(levelData.get()), guiToolManager.get(), stage, level,
      gameCounter, profile != nullptr ? profile->GetDataPath() : std::string());
}

void Game::ProcessWindowResults() {
  GameBase::ProcessWindowResults();
  if (relaxWindow != nullptr)
    OnRelaxWindowResult();
  if (noticeWindow != nullptr)
    OnNoticeWindowResult();
}

void Game::ClearWindowResults() {
  GameBase::ClearWindowResults();
  GameFramework::GUIFrameworkWindow* const windows[] = {relaxWindow.get(), noticeWindow.get()};
  for (GameFramework::GUIFrameworkWindow* window : windows) {
    if (window == nullptr)
      continue;
    if (window->resultConsumed != 0)
      window->result = 0;
    window->resultConsumed = 1;
  }
}

void Game::UpdateWindows() {
  if (background != nullptr)
    background->Update();
  if (menuWindowManager != nullptr)
    menuWindowManager->BeginUpdate();
  GameBase::UpdateWindows();
  if (relaxWindow != nullptr)
    relaxWindow->Update();
  if (noticeWindow != nullptr) {
    noticeWindow->Update();
    ShowSaveNotice();
  }
  // Only one menu window on screen: the manager carries out the shows and hides asked for above.
  if (menuWindowManager != nullptr)
    menuWindowManager->Update();
}

void Game::MenuMusicBack() {
  audioManager->StopAllMusic(true, 1.0f);
  audioManager->PlayMusic(Music::kMenuChannel, Music::kMenuTrack, true, 0.5f);
  if (background != nullptr)
    background->SetVisible(true, true, 1.0f);
}

void Game::OnLogosWindowResult() {
  const bool finished = logosWindow->result == 1;
  GameBase::OnLogosWindowResult();
  if (finished)
    audioManager->PlayMusic(Music::kMenuChannel, Music::kMenuTrack, true, 0.5f);
}

void Game::OnGameLogicLoadingWindowResult() {
  const bool loaded = levelLoadingWindow->result == 1;
  GameBase::OnGameLogicLoadingWindowResult();
  if (!loaded)
    return;
  if (background != nullptr)
    background->SetVisible(false, true, 1.0f);
  audioManager->StopChannel(Music::kMenuChannel, true, 1.0f);
  audioManager->PlayMusic(Music::kGameChannel, Music::kGameTrack0 + gameTrack, true, 0.1f);
  gameTrack = (gameTrack + 1) % 2;
  SetCursorTrail(false);
}

void Game::OnStartGameLogicWindowResult() {
  // The loading screen shows no cursor.
  if (startGameWindow->result == 24 && cursor != nullptr)
    cursor->SetVisible(false);
  GameBase::OnStartGameLogicWindowResult();
}

void Game::OnGameLogicWindowResult() {
  const std::uint32_t result = gameLogicWindow->result;
  // Menus over the level use the arrow, with its trail.
  if (result == 16 || result == 15 || result == 4) {
    if (cursor != nullptr)
      cursor->ApplySystemCursor(0);
    SetCursorTrail(true);
  }
  GameBase::OnGameLogicWindowResult();
}

void Game::OnGameLogicPauseWindowResult() {
  const bool resumed = pauseWindow->result == 19;
  GameBase::OnGameLogicPauseWindowResult();
  if (resumed)
    SetCursorTrail(false);
}

void Game::OnGameLogicMenuWindowResult() {
  const bool resumed = gameLogicMenuWindow->result == 19;
  GameBase::OnGameLogicMenuWindowResult();
  if (resumed)
    SetCursorTrail(false);
}

void Game::OnGameLogicGameExitWindowResult() {
  const bool resumed = gameExitWindow->result == 19;
  GameBase::OnGameLogicGameExitWindowResult();
  if (resumed)
    SetCursorTrail(false);
}

void Game::OnLevelFinished() {
  GameBase::OnLevelFinished();
  if (cursor != nullptr)
    cursor->ApplySystemCursor(0);
  SetCursorTrail(true);
}

void Game::OnGameFailed() {
  GameBase::OnGameFailed();
  SetCursorTrail(true);
}

void Game::OnLeaveLevel() {
  GameBase::OnLeaveLevel();
  ShowWindow(startGameWindow.get(), GameFramework::WindowId::kLevelComplete);
  SetCursorTrail(true);
}

void Game::OnGameLogicMenuExitWindowResult() {
  const bool left = menuExitWindow->result == 3;
  GameBase::OnGameLogicMenuExitWindowResult();
  if (left)
    MenuMusicBack();
}

void Game::OnGameLogicRestartWindowResult() {
  const bool restarted = restartWindow->result == 13;
  GameBase::OnGameLogicRestartWindowResult();
  if (restarted)
    MenuMusicBack();
}

void Game::OnLevelCompleteWindowResult() {
  if (levelCompleteWindow->result == 13)
    MenuMusicBack();
  GameBase::OnLevelCompleteWindowResult();
}

void Game::OnStageCompleteWindowResult() {
  if (stageCompleteWindow->result == 13 || stageCompleteWindow->result == 22)
    MenuMusicBack();
  GameBase::OnStageCompleteWindowResult();
}

void Game::OnGameOverWindowResult() {
  const std::uint32_t result = gameOverWindow->result;
  if (result == 25) {
    // The relax-mode offer over the lost level.
    gameOverWindow->Hide();
    ShowWindow(relaxWindow.get(), GameFramework::WindowId::kGameOver);
    return;
  }
  GameBase::OnGameOverWindowResult();
  if (result == 1)
    MenuMusicBack();
}

void Game::ShowSaveNotice() {
  if (noticeWindow->IsShown() || !GameFramework::SaveProblems::Get().HasNews())
    return;
  GameFramework::GUIFrameworkWindow* const calmMenus[] = {welcomeWindow.get(), mainMenuWindow.get(),
                                                          profilesWindow.get(), startGameWindow.get()};
  for (GameFramework::GUIFrameworkWindow* window : calmMenus) {
    auto* menu = dynamic_cast<GUIMenuWindow*>(window);
    if (menu == nullptr || !menu->IsActive())
      continue;
    window->Hide();
    noticeOpener = window;
    noticeWindow->ShowNews(kNoticeWindowId);
    return;
  }
}

void Game::OnNoticeWindowResult() {
  if (noticeWindow->result != GUINoticeWindow::kAnswered)
    return;
  noticeWindow->Hide();
  if (noticeWindow->ShowNews(kNoticeWindowId))
    return;
  ShowWindow(noticeOpener, kNoticeWindowId);
  noticeOpener = nullptr;
}

void Game::OnRelaxWindowResult() {
  if (relaxWindow->result != 20)
    return;
  relaxWindow->Hide();
  ShowWindow(gameOverWindow.get(), kRelaxWindowId);
}

}  // namespace Puzzle
