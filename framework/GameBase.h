#pragma once
// GameBase: the game object. It finds the program's folders and registry settings, fills the engine's
// start record, creates the engine and every framework manager in a fixed order, asks the game's class
// (through its factory slots) for the concrete managers and windows, and runs the frame: the focus
// pause, video-mode changes and device resets, the engine's frame start and end, the debug commands,
// and three passes of the window protocol, in which each window's posted result goes to its handler,
// which hides it and shows the next window.
//
// Start-up (Init, called once from the game's constructor) creates: the engine, the language manager,
// the debug commands, the GUI tool manager, the window caption, the audio manager, the level and
// profile managers, the high-score table, the game data with its resource lists (the basic list now,
// the additional one queued for the loading window), the cursor, the logos and game-loading windows and
// the sounds; it then shows the logos window with opener id 1 (the framework itself). The other windows
// are made when the game-loading window answers.
//
// Window ids passed as opener ids: 1 the framework; 2 logos, 3 game loading, 4 welcome, 5 exit, 6 main
// menu, 7 high scores, 8 options, 9 help, 10 profiles, 11 new profile, 12 rename profile, 13 delete
// profile, 14 name conflict, 15 start game, 16 level loading, 17 in-game window (and the level's own
// finished and failed reactions), 18 in-game menu, 19 restart, 20 leave to menu, 21 continue game, 22
// level complete, 23 stage complete, 24 game complete, 25 game over. The pause and in-game quit windows
// open nothing and have no id.
//
// Ownership: everything made here is held by this object and deleted by the destructor in a fixed
// order (the game's own members go first, being destroyed before this base). Every member is empty
// until its creation step, so a start-up that throws part-way tears down exactly what was made. A
// window factory may answer null (a window the game does not have): every step that reaches a window
// skips a missing one. Main thread only. Errors from the engine and the managers pass to the caller
// (the loader); nothing here catches them.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/LevelManagerBase.h"
#include "platform/win32/WinTypes.h"

namespace CorvantisEngine {
class Config;
class Controls;
class Engine;
class FileManager;
class GUIManager;
class MessageManager;
class RenderSystem;
class SoundManager;
class TimerManager;
class Window;
struct EngineStartParameters;
}  // namespace CorvantisEngine

namespace GameTools {
class DataKeeper;
}

namespace GUITools {
class GUIFontTool;
class GUITextTool;
class GUIToolManager;
}  // namespace GUITools

namespace GameFramework {

class AudioManager;
class GameLogicBase;
class GUIContinueGameLogicWindowBase;
class GUIDeleteProfileWindowBase;
class GUIExitWindowBase;
class GUIFrameworkWindow;
class GUIGameCompleteWindowBase;
class GUIGameCursorBase;
class GUIGameLogicGameExitWindowBase;
class GUIGameLogicMenuExitWindowBase;
class GUIGameLogicMenuWindowBase;
class GUIGameLogicPauseWindowBase;
class GUIGameLogicRestartWindowBase;
class GUIGameLogicWindowBase;
class GUIGameOverWindowBase;
class GUIHelpWindowBase;
class GUIHighScoresWindowBase;
class GUILevelCompleteWindowBase;
class GUILoadingWindowBase;
class GUILogosWindowBase;
class GUIMainMenuWindowBase;
class GUINewProfileWindowBase;
class GUIOptionsWindowBase;
class GUIProfileNameConflictWindowBase;
class GUIProfilesWindowBase;
class GUIRenameProfileWindowBase;
class GUIStageCompleteWindowBase;
class GUIStartGameLogicWindowBase;
class GUIWelcomeWindowBase;
class HighScoresTable;
class LanguageManager;
class ProfileBase;
class ProfileManagerBase;
struct GameResult;

// The ids windows pass as opener ids (see above).
namespace WindowId {
constexpr std::uint32_t kFramework = 1;
constexpr std::uint32_t kLogos = 2;
constexpr std::uint32_t kGameLoading = 3;
constexpr std::uint32_t kWelcome = 4;
constexpr std::uint32_t kExit = 5;
constexpr std::uint32_t kMainMenu = 6;
constexpr std::uint32_t kHighScores = 7;
constexpr std::uint32_t kOptions = 8;
constexpr std::uint32_t kHelp = 9;
constexpr std::uint32_t kProfiles = 10;
constexpr std::uint32_t kNewProfile = 11;
constexpr std::uint32_t kRenameProfile = 12;
constexpr std::uint32_t kDeleteProfile = 13;
constexpr std::uint32_t kNameConflict = 14;
constexpr std::uint32_t kStartGame = 15;
constexpr std::uint32_t kLevelLoading = 16;
constexpr std::uint32_t kGameLogic = 17;
constexpr std::uint32_t kGameLogicMenu = 18;
constexpr std::uint32_t kRestart = 19;
constexpr std::uint32_t kMenuExit = 20;
constexpr std::uint32_t kContinueGame = 21;
constexpr std::uint32_t kLevelComplete = 22;
constexpr std::uint32_t kStageComplete = 23;
constexpr std::uint32_t kGameComplete = 24;
constexpr std::uint32_t kGameOver = 25;
}  // namespace WindowId

class GameBase {
 public:
  static constexpr const char* kBasicResources = "data\\ui\\resources_basic.xml";
  // The game's data, below the base folder.
  static constexpr const char* kDataPack = "data\\pack0.pak";
  // The lock file in the user folder, held while a copy of the game runs on it.
  static constexpr const char* kLockFile = "running.lock";
  static constexpr const char* kAdditionalResources = "data\\ui\\resources_additional.xml";
  static constexpr std::uint32_t kHighScoresPerCategory = 10;
  // The frame's sleep while the window is in the background, in milliseconds.
  static constexpr std::uint32_t kFocusPauseSleep = 100;
  // Music pause and resume speed around a focus pause or a device reset.
  static constexpr float kMusicPauseSpeed = 0.5f;
  static constexpr int kDispatchPasses = 3;
  // A window-mode switch is applied this many frames after the command is first seen issued.
  static constexpr std::uint32_t kModeChangeDelay = 2;

  // The folder that holds the data folder: the executable's folder when "data\pack0.pak" is there,
  // else the registry's "InstallPath", else the executable's folder again.
  static std::string FindBaseFolder(const std::string& executableFolder, const std::string& registryKey);
  // The registry's "Version" read as a decimal number, else `version`.
  static std::uint32_t ReadVersion(const std::string& registryKey, std::uint32_t version);

  // Folders and registry values only (see the .cpp); creates nothing.
  GameBase(const std::string& maker, const std::string& title, std::uint32_t version);
  virtual ~GameBase();

  GameBase(const GameBase&) = delete;
  GameBase& operator=(const GameBase&) = delete;

  // One frame; called by the loader's main loop whenever no window message waits.
  virtual void Frame();
  // The start-up; called once by the game's constructor.
  virtual void Init();
  // True once the engine's "exit" command has been issued.
  bool IsQuit() const;
  // "audio\<group>\<name>.wav" when "data\" + that file exists (loose or packed), else the same name
  // ending in ".ogg" (not tested).
  std::string GetAudioFileName(const std::string& group, const std::string& name) const;

  const std::string& GetMaker() const { return maker; }
  const std::string& GetTitle() const { return title; }
  std::uint32_t GetVersion() const { return version; }
  const std::string& GetRegistryKey() const { return registryKey; }
  const std::string& GetBaseFolder() const { return baseFolder; }
  const std::string& GetSaveFolder() const { return saveFolder; }
  CorvantisEngine::Engine* GetEngine() const { return engine.get(); }
  AudioManager* GetAudioManager() const { return audioManager.get(); }
  LanguageManager* GetLanguageManager() const { return languageManager.get(); }
  GUITools::GUIToolManager* GetGUIToolManager() const { return guiToolManager.get(); }
  LevelManagerBase* GetLevelManager() const { return levelManager.get(); }
  ProfileManagerBase* GetProfileManager() const { return profileManager.get(); }
  HighScoresTable* GetHighScores() const { return highScores.get(); }
  GameTools::DataKeeper* GetGameData() const { return gameData.get(); }
  GameTools::DataKeeper* GetLevelData() const { return levelData.get(); }
  GUIGameCursorBase* GetCursor() const { return cursor.get(); }
  GameLogicBase* GetGameLogic() const { return gameLogic.get(); }
  // An error line in the engine's log, when the engine exists.
  void LogError(const std::string& text) const;
  // Deletes ini files that a save cut off by a kill left in the save folder (see the .cpp).
  void RemoveAbandonedIniSaves();
  // Ends a failed start-up through the log's Abort naming the game's pack when a pack was refused or
  // none was found; returns otherwise.
  void AbortForMissingData() const;
  // Takes the user folder's lock file; throws FatalError when another copy of the game holds it.
  void LockUserFolder();
  // The language code the interface runs in ("en" when there is no language manager yet).
  std::string GetLanguageCode() const;
  // Every window of factory slots 12..37 in slot order, null where there is none.
  std::array<GUIFrameworkWindow*, 26> GetWindows() const;

 protected:
  // Slot 3: the engine's start record (see the .cpp for the values).
  virtual void FillStartParameters(CorvantisEngine::EngineStartParameters& parameters);
  // Slot 4: the debug variables.
  virtual void RegisterDebugCommands();
  // Slot 5: the engine's drop-down console; nothing here calls it.
  virtual void CreateConsole();
  // Slot 6: the game's sounds and music.
  virtual void LoadSounds() {}
  // Slot 7: the windows of factories 14..37, in slot order.
  virtual void CreateWindows();

  // Factories (slots 8..39).
  virtual std::unique_ptr<LevelManagerBase> CreateLevelManager() = 0;
  virtual std::unique_ptr<ProfileManagerBase> CreateProfileManager() = 0;
  virtual std::unique_ptr<GameTools::DataKeeper> CreateGameData() = 0;
  virtual std::unique_ptr<GUIGameCursorBase> CreateGameCursor() = 0;
  virtual std::unique_ptr<GUILogosWindowBase> CreateLogosWindow() = 0;
  virtual std::unique_ptr<GUILoadingWindowBase> CreateGameLoadingWindow() = 0;
  virtual std::unique_ptr<GUILoadingWindowBase> CreateGameLogicLoadingWindow() = 0;
  virtual std::unique_ptr<GUIWelcomeWindowBase> CreateWelcomeWindow() = 0;
  virtual std::unique_ptr<GUIExitWindowBase> CreateExitWindow() = 0;
  virtual std::unique_ptr<GUIMainMenuWindowBase> CreateMainMenuWindow() = 0;
  virtual std::unique_ptr<GUIProfilesWindowBase> CreateProfilesWindow() = 0;
  virtual std::unique_ptr<GUINewProfileWindowBase> CreateNewProfileWindow() = 0;
  virtual std::unique_ptr<GUIRenameProfileWindowBase> CreateRenameProfileWindow() = 0;
  virtual std::unique_ptr<GUIDeleteProfileWindowBase> CreateDeleteProfileWindow() = 0;
  virtual std::unique_ptr<GUIProfileNameConflictWindowBase> CreateProfileNameConflictWindow() = 0;
  virtual std::unique_ptr<GUIStartGameLogicWindowBase> CreateStartGameLogicWindow() = 0;
  virtual std::unique_ptr<GUIContinueGameLogicWindowBase> CreateContinueGameLogicWindow() = 0;
  virtual std::unique_ptr<GUIHighScoresWindowBase> CreateHighScoresWindow() = 0;
  virtual std::unique_ptr<GUIOptionsWindowBase> CreateOptionsWindow() = 0;
  virtual std::unique_ptr<GUIHelpWindowBase> CreateHelpWindow() = 0;
  virtual std::unique_ptr<GUIGameLogicWindowBase> CreateGameLogicWindow() = 0;
  virtual std::unique_ptr<GUIGameLogicPauseWindowBase> CreateGameLogicPauseWindow() = 0;
  virtual std::unique_ptr<GUIGameLogicMenuWindowBase> CreateGameLogicMenuWindow() = 0;
  virtual std::unique_ptr<GUIGameLogicMenuExitWindowBase> CreateGameLogicMenuExitWindow() = 0;
  virtual std::unique_ptr<GUIGameLogicRestartWindowBase> CreateGameLogicRestartWindow() = 0;
  virtual std::unique_ptr<GUIGameLogicGameExitWindowBase> CreateGameLogicGameExitWindow() = 0;
  virtual std::unique_ptr<GUILevelCompleteWindowBase> CreateLevelCompleteWindow() = 0;
  virtual std::unique_ptr<GUIStageCompleteWindowBase> CreateStageCompleteWindow() = 0;
  virtual std::unique_ptr<GUIGameCompleteWindowBase> CreateGameCompleteWindow() = 0;
  virtual std::unique_ptr<GUIGameOverWindowBase> CreateGameOverWindow() = 0;
  // The resources of one level and the level itself.
  virtual std::unique_ptr<GameTools::DataKeeper> CreateGameLogicData(StageRecord* stage,
                                                                     LevelRecord* level) = 0;
  virtual std::unique_ptr<GameLogicBase> CreateGameLogic(StageRecord* stage, LevelRecord* level,
                                                         std::uint32_t gameCounter) = 0;

  // Slot 40: a record with every field 0.
  virtual std::unique_ptr<GameResult> CreateGameResult();
  // Slot 41: the current profile's game mode, the level's position and its elapsed time.
  virtual void FillGameResult(GameResult& result);
  // Slot 42: answers the debug commands with log lines.
  virtual void ExecuteDebugCommands();
  virtual float GetDefaultMusicVolume() { return 1.0f; }
  virtual float GetDefaultSoundVolume() { return 1.0f; }
  // Slot 45: the render system's reset (frame and mode change).
  virtual void ResetRenderSystem();

  // The window protocol (slots 46..48): one dispatch pass, its clearing step, every window's update.
  virtual void ProcessWindowResults();
  virtual void ClearWindowResults();
  virtual void UpdateWindows();

  // Result handlers (slots 49..77), one per window; each runs only when its window exists.
  virtual void OnLogosWindowResult();
  virtual void OnGameLoadingWindowResult();
  virtual void OnWelcomeWindowResult();
  virtual void OnExitWindowResult();
  virtual void OnMainMenuWindowResult();
  virtual void OnProfilesWindowResult();
  virtual void OnGameLogicLoadingWindowResult();
  virtual void OnNewProfileWindowResult();
  virtual void OnRenameProfileWindowResult();
  virtual void OnDeleteProfileWindowResult();
  virtual void OnProfileNameConflictWindowResult();
  virtual void OnStartGameLogicWindowResult();
  virtual void OnContinueGameLogicWindowResult();
  virtual void OnHighScoresWindowResult();
  virtual void OnOptionsWindowResult();
  virtual void OnHelpWindowResult();
  virtual void OnGameLogicWindowResult();
  virtual void OnGameLogicPauseWindowResult();
  virtual void OnGameLogicMenuWindowResult();
  virtual void OnGameLogicMenuExitWindowResult();
  virtual void OnGameLogicRestartWindowResult();
  virtual void OnGameLogicGameExitWindowResult();
  // The level's state 2: the profile moves on, records the result and the level-complete window shows.
  virtual void OnLevelFinished();
  // Not dispatched: the profile steps back one level and the start-game window shows (opener 6).
  virtual void OnLeaveLevel();
  // The level's state 3: the game-over window shows.
  virtual void OnGameFailed();
  virtual void OnLevelCompleteWindowResult();
  virtual void OnStageCompleteWindowResult();
  virtual void OnGameCompleteWindowResult();
  virtual void OnGameOverWindowResult();

  // After the slots: shows a first picture as soon as the engine has started, before the game's data
  // is read; nothing by default.
  virtual void ShowStartPicture() {}

  // Helpers of the handlers. Show and Hide skip a missing window.
  static void ShowWindow(GUIFrameworkWindow* window, std::uint32_t opener);
  static void HideWindow(GUIFrameworkWindow* window);
  // The in-game window hidden and the level deleted.
  void EndLevel();
  // Back to play from an in-game window: the in-game window active again and the level running.
  void ResumePlay();
  // The current profile's position, put on an existing level; null records without levels.
  LevelPosition GetCurrentPosition() const;
  // The high-score entry of the current profile with `score`, or the main menu when it is 0.
  void ShowHighScores(std::uint32_t opener, std::uint32_t score);
  // The current profile, or null.
  ProfileBase* GetCurrentProfile() const;

  std::string maker;
  std::string title;
  std::uint32_t version;
  std::string registryKey;
  std::string baseFolder;
  std::string saveFolder;
  // The lock file that keeps a second copy of the game off this user folder, held from the start-up
  // until the game is destroyed; null before.
  HANDLE userFolderLock = nullptr;

  std::unique_ptr<CorvantisEngine::Engine> engine;
  // Services of the engine, borrowed once it exists.
  CorvantisEngine::MessageManager* log = nullptr;
  CorvantisEngine::FileManager* files = nullptr;
  CorvantisEngine::TimerManager* timers = nullptr;
  CorvantisEngine::Config* config = nullptr;
  CorvantisEngine::Window* window = nullptr;
  CorvantisEngine::RenderSystem* renderSystem = nullptr;
  CorvantisEngine::Controls* controls = nullptr;
  CorvantisEngine::SoundManager* soundManager = nullptr;  // null without sound
  CorvantisEngine::GUIManager* gui = nullptr;
  // Storage of "d_show_statistics".
  std::uint8_t showStatistics = 0;

  std::unique_ptr<LanguageManager> languageManager;
  std::unique_ptr<AudioManager> audioManager;
  std::unique_ptr<GUITools::GUIToolManager> guiToolManager;
  GUITools::GUIFontTool* fontTool = nullptr;
  GUITools::GUITextTool* textTool = nullptr;
  std::unique_ptr<GameTools::DataKeeper> gameData;
  std::unique_ptr<GameTools::DataKeeper> levelData;
  std::unique_ptr<GameTools::DataKeeper> previousLevelData;
  std::unique_ptr<LevelManagerBase> levelManager;
  std::unique_ptr<ProfileManagerBase> profileManager;
  std::unique_ptr<HighScoresTable> highScores;
  std::unique_ptr<GUIGameCursorBase> cursor;

  // The windows, one per factory (slots 12..37).
  std::unique_ptr<GUILogosWindowBase> logosWindow;
  std::unique_ptr<GUILoadingWindowBase> gameLoadingWindow;
  std::unique_ptr<GUILoadingWindowBase> levelLoadingWindow;
  std::unique_ptr<GUIWelcomeWindowBase> welcomeWindow;
  std::unique_ptr<GUIExitWindowBase> exitWindow;
  std::unique_ptr<GUIMainMenuWindowBase> mainMenuWindow;
  std::unique_ptr<GUIProfilesWindowBase> profilesWindow;
  std::unique_ptr<GUINewProfileWindowBase> newProfileWindow;
  std::unique_ptr<GUIRenameProfileWindowBase> renameProfileWindow;
  std::unique_ptr<GUIDeleteProfileWindowBase> deleteProfileWindow;
  std::unique_ptr<GUIProfileNameConflictWindowBase> nameConflictWindow;
  std::unique_ptr<GUIStartGameLogicWindowBase> startGameWindow;
  std::unique_ptr<GUIContinueGameLogicWindowBase> continueGameWindow;
  std::unique_ptr<GUIHighScoresWindowBase> highScoresWindow;
  std::unique_ptr<GUIOptionsWindowBase> optionsWindow;
  std::unique_ptr<GUIHelpWindowBase> helpWindow;
  std::unique_ptr<GUIGameLogicWindowBase> gameLogicWindow;
  std::unique_ptr<GUIGameLogicPauseWindowBase> pauseWindow;
  std::unique_ptr<GUIGameLogicMenuWindowBase> gameLogicMenuWindow;
  std::unique_ptr<GUIGameLogicMenuExitWindowBase> menuExitWindow;
  std::unique_ptr<GUIGameLogicRestartWindowBase> restartWindow;
  std::unique_ptr<GUIGameLogicGameExitWindowBase> gameExitWindow;
  std::unique_ptr<GUILevelCompleteWindowBase> levelCompleteWindow;
  std::unique_ptr<GUIStageCompleteWindowBase> stageCompleteWindow;
  std::unique_ptr<GUIGameCompleteWindowBase> gameCompleteWindow;
  std::unique_ptr<GUIGameOverWindowBase> gameOverWindow;

  // The level being played; null outside a level.
  std::unique_ptr<GameLogicBase> gameLogic;
  // The frame has paused the music for a lost focus.
  std::uint8_t focusPaused = 0;
  // The level timer's paused state before the focus pause.
  std::uint8_t timerWasPaused = 0;
  // Frames seen with "v_window_change_mode" issued.
  std::uint32_t modeChangeFrames = 0;
};

}  // namespace GameFramework
