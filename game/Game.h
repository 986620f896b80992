#pragma once
// Game: the puzzle game object. Over the framework's game base it chooses the puzzle game's managers
// and windows, registers the sounds and the three music tracks, sets its video mode and volumes, and
// adds to the window flow the menu music, the two in-game tracks played in turn, and the relax-mode
// offer after a lost level.
//
// Music: track 0 ("menu") plays on channel 0 from the end of the logos and comes back whenever play
// returns to the menus; each level start fades the menu channel out and starts track 1 + gameTrack
// ("game0", "game1") on channel 1, then gameTrack flips, so levels alternate the two from program start.
//
// Main thread only. The game owns its own members and deletes them before the base's teardown; the
// start-up runs in the constructor and passes on what it throws (the loader shows the error box).

#include <cstdint>
#include <memory>
#include <string>

#include "framework/GameBase.h"

namespace CorvantisEngine {
class GUIWindow;
}

namespace Puzzle {

class Content;
class GameData;
class GUIBackground;
class GUIMenuWindowManager;
class GUINoticeWindow;

// Sound ids of the game's effects (AudioManager ids).
namespace Sound {
constexpr std::uint32_t kVolumeSlider = 0;
constexpr std::uint32_t kWindowAppear = 1;
constexpr std::uint32_t kWindowDisappear = 2;
constexpr std::uint32_t kChargeScore = 3;
constexpr std::uint32_t kLevelBegin = 4;
constexpr std::uint32_t kLevelComplete = 5;
constexpr std::uint32_t kLevelFailed = 6;
constexpr std::uint32_t kElementGet = 7;
constexpr std::uint32_t kElementPut0 = 8;  // 8..12: the five placement sounds
constexpr std::uint32_t kElementPutBad = 13;
constexpr std::uint32_t kElementCancel = 14;
constexpr std::uint32_t kBonusTip = 15;
constexpr std::uint32_t kBonusMagnet = 16;
constexpr std::uint32_t kBonusTipApply = 17;
constexpr std::uint32_t kBonusMagnetApply = 18;
constexpr std::uint32_t kBonusPauseApply = 19;
constexpr std::uint32_t kBonusRollbackApply = 20;
constexpr std::uint32_t kPathIntroduction = 21;
constexpr std::uint32_t kPathIntroductionEnd = 22;
constexpr std::uint32_t kPathBegin = 23;
constexpr std::uint32_t kPathEnd = 24;
constexpr std::uint32_t kPathWarning = 25;
constexpr std::uint32_t kChargePathScore = 26;
}  // namespace Sound

// Music tracks and the channels they play on.
namespace Music {
constexpr std::uint32_t kMenuTrack = 0;
constexpr std::uint32_t kGameTrack0 = 1;
constexpr std::uint32_t kGameTrack1 = 2;
constexpr std::uint32_t kMenuChannel = 0;
constexpr std::uint32_t kGameChannel = 1;
}  // namespace Music

class Game : public GameFramework::GameBase {
 public:
  static constexpr const char* kMaker = "Pellucan Games";
  static constexpr const char* kTitle = "Brindlewick";
  static constexpr std::uint32_t kVersion = 100;
  // The window id of the relax offer (the game's own, after the framework's).
  static constexpr std::uint32_t kRelaxWindowId = 26;
  // The window id of the saved-games notice.
  static constexpr std::uint32_t kNoticeWindowId = 27;

  // Runs the whole start-up.
  Game(const std::string& maker, const std::string& title, std::uint32_t version);
  ~Game() override;

  std::uint32_t GetGameTrack() const { return gameTrack; }
  GameFramework::GUIFrameworkWindow* GetRelaxWindow() const { return relaxWindow.get(); }
  GUINoticeWindow* GetNoticeWindow() const { return noticeWindow.get(); }
  GUIBackground* GetBackground() const { return background.get(); }
  GUIMenuWindowManager* GetMenuWindowManager() const { return menuWindowManager.get(); }
  Content* GetContent() const { return content.get(); }

 protected:
  // A game that does not run its start-up yet (for derived games that add to it first).
  struct DelayedInit {};
  Game(const std::string& maker, const std::string& title, std::uint32_t version, DelayedInit);

  void FillStartParameters(CorvantisEngine::EngineStartParameters& parameters) override;
  void LoadSounds() override;
  // The first logo, as the logos window's first frame shows it.
  void ShowStartPicture() override;
  void CreateWindows() override;
  float GetDefaultMusicVolume() override { return 0.285f; }
  float GetDefaultSoundVolume() override { return 0.315f; }

  std::unique_ptr<GameFramework::LevelManagerBase> CreateLevelManager() override;
  std::unique_ptr<GameFramework::ProfileManagerBase> CreateProfileManager() override;
  std::unique_ptr<GameTools::DataKeeper> CreateGameData() override;
  std::unique_ptr<GameFramework::GUIGameCursorBase> CreateGameCursor() override;
  std::unique_ptr<GameFramework::GUILogosWindowBase> CreateLogosWindow() override;
  std::unique_ptr<GameFramework::GUILoadingWindowBase> CreateGameLoadingWindow() override;
  std::unique_ptr<GameFramework::GUILoadingWindowBase> CreateGameLogicLoadingWindow() override;
  std::unique_ptr<GameFramework::GUIWelcomeWindowBase> CreateWelcomeWindow() override;
  std::unique_ptr<GameFramework::GUIExitWindowBase> CreateExitWindow() override;
  std::unique_ptr<GameFramework::GUIMainMenuWindowBase> CreateMainMenuWindow() override;
  std::unique_ptr<GameFramework::GUIProfilesWindowBase> CreateProfilesWindow() override;
  std::unique_ptr<GameFramework::GUINewProfileWindowBase> CreateNewProfileWindow() override;
  std::unique_ptr<GameFramework::GUIRenameProfileWindowBase> CreateRenameProfileWindow() override;
  std::unique_ptr<GameFramework::GUIDeleteProfileWindowBase> CreateDeleteProfileWindow() override;
  std::unique_ptr<GameFramework::GUIProfileNameConflictWindowBase> CreateProfileNameConflictWindow() override;
  std::unique_ptr<GameFramework::GUIStartGameLogicWindowBase> CreateStartGameLogicWindow() override;
  std::unique_ptr<GameFramework::GUIContinueGameLogicWindowBase> CreateContinueGameLogicWindow() override;
  std::unique_ptr<GameFramework::GUIHighScoresWindowBase> CreateHighScoresWindow() override;
  std::unique_ptr<GameFramework::GUIOptionsWindowBase> CreateOptionsWindow() override;
  std::unique_ptr<GameFramework::GUIHelpWindowBase> CreateHelpWindow() override;
  std::unique_ptr<GameFramework::GUIGameLogicWindowBase> CreateGameLogicWindow() override;
  std::unique_ptr<GameFramework::GUIGameLogicPauseWindowBase> CreateGameLogicPauseWindow() override;
  std::unique_ptr<GameFramework::GUIGameLogicMenuWindowBase> CreateGameLogicMenuWindow() override;
  std::unique_ptr<GameFramework::GUIGameLogicMenuExitWindowBase> CreateGameLogicMenuExitWindow() override;
  std::unique_ptr<GameFramework::GUIGameLogicRestartWindowBase> CreateGameLogicRestartWindow() override;
  std::unique_ptr<GameFramework::GUIGameLogicGameExitWindowBase> CreateGameLogicGameExitWindow() override;
  std::unique_ptr<GameFramework::GUILevelCompleteWindowBase> CreateLevelCompleteWindow() override;
  std::unique_ptr<GameFramework::GUIStageCompleteWindowBase> CreateStageCompleteWindow() override;
  std::unique_ptr<GameFramework::GUIGameCompleteWindowBase> CreateGameCompleteWindow() override;
  std::unique_ptr<GameFramework::GUIGameOverWindowBase> CreateGameOverWindow() override;
  std::unique_ptr<GameTools::DataKeeper> CreateGameLogicData(GameFramework::StageRecord* stage,
                                                             GameFramework::LevelRecord* level) override;
  std::unique_ptr<GameFramework::GameLogicBase> CreateGameLogic(GameFramework::StageRecord* stage,
                                                                GameFramework::LevelRecord* level,
                                                                std::uint32_t gameCounter) override;
  // The relax-mode offer, made with the other windows once loading has finished.
  virtual std::unique_ptr<GameFramework::GUIFrameworkWindow> CreateRelaxWindow();
  // The saved-games notice, made after the relax offer.
  virtual std::unique_ptr<GUINoticeWindow> CreateNoticeWindow();

  // The window protocol with the relax offer after the framework's windows.
  void ProcessWindowResults() override;
  void ClearWindowResults() override;
  void UpdateWindows() override;

  void OnLogosWindowResult() override;
  void OnGameLogicLoadingWindowResult() override;
  void OnStartGameLogicWindowResult() override;
  void OnGameLogicWindowResult() override;
  void OnGameLogicPauseWindowResult() override;
  void OnGameLogicMenuWindowResult() override;
  void OnGameLogicGameExitWindowResult() override;
  void OnLevelFinished() override;
  void OnGameFailed() override;
  // The start-game window is shown again for the level-complete flow (opener 22).
  void OnLeaveLevel() override;
  void OnGameLogicMenuExitWindowResult() override;
  void OnGameLogicRestartWindowResult() override;
  void OnLevelCompleteWindowResult() override;
  void OnStageCompleteWindowResult() override;
  void OnGameOverWindowResult() override;
  // The relax offer: 20 (declined or taken) shows the game-over window again, opener 26.
  virtual void OnRelaxWindowResult();
  // News about the saved games goes over the first calm menu on screen (welcome, main menu, players,
  // puzzle choice), which comes back once the player has read it.
  void ShowSaveNotice();
  // 20: the next notice, or the window it came over again (opener 27).
  void OnNoticeWindowResult();

  // The menu track back on its channel and the menu background back on screen, after play.
  void MenuMusicBack();
  // The cursor's trail follows it over menus and stays off in play (nothing without the game's cursor).
  void SetCursorTrail(bool enabled);
  // The game's resident keeper.
  GameData* GetPuzzleData() const;
  // Every menu window hangs under the background's menu container (none without a background).
  CorvantisEngine::GUIWindow* GetMenuParent() const;

  // Destroyed in the reverse order: the notice and relax windows, the catalogue, the background, the manager.
  std::unique_ptr<GUIMenuWindowManager> menuWindowManager;
  std::unique_ptr<GUIBackground> background;
  std::unique_ptr<Content> content;
  std::unique_ptr<GameFramework::GUIFrameworkWindow> relaxWindow;
  std::unique_ptr<GUINoticeWindow> noticeWindow;
  // The menu the notice came over.
  GameFramework::GUIFrameworkWindow* noticeOpener = nullptr;
  // Which in-game track plays next: 0 or 1.
  std::uint32_t gameTrack = 0;
};

}  // namespace Puzzle
