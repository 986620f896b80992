#include "framework/GameBase.h"

#include <cstdint>
#include <ctime>
#include <exception>
#include <vector>

#include "engine/Engine.h"
#include "engine/EngineStartParameters.h"
#include "engine/config/Config.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Registry.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/render/TextureManager.h"
#include "engine/resources/ShaderManager.h"
#include "engine/window/Window.h"
#include "framework/AudioManager.h"
#include "framework/GUIGameCursorBase.h"
#include "framework/GUIGameLogicMenuWindowBase.h"
#include "framework/GUILoadingWindowBase.h"
#include "framework/GUIOptionsWindowBase.h"
#include "framework/GUIWindowBases.h"
#include "framework/GameLogicBase.h"
#include "framework/HighScoresTable.h"
#include "framework/LanguageManager.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "framework/SaveProblems.h"
#include "platform/win32/WinFileHandles.h"
#include "platform/win32/WinFiles.h"
#include "platform/win32/WinThreads.h"
#include "tools/game/DataKeeper.h"
#include "tools/gui/GUIFontTool.h"
#include "tools/gui/GUITextTool.h"
#include "tools/gui/GUIToolManager.h"

namespace GameFramework {

namespace {

// Base 10 like strtoul: leading digits only; no digits give 0.
std::uint32_t ParseVersion(const std::string& text) {
  std::uint32_t value = 0;
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
    ++i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
  return value;
}

}  // namespace

std::string GameBase::FindBaseFolder(const std::string& executableFolder, const std::string& registryKey) {
  // The data beside the program wins over an installation path: a copy run from where it was unpacked
  // uses its own data.
  if (CorvantisEngine::FileManager::IsFileOnDisk(executableFolder + "\\" + kDataPack))
    return executableFolder;
  std::string installPath;
  if (CorvantisEngine::ReadRegistryStringAnyRoot(registryKey, "InstallPath", installPath))
    return installPath;
  return executableFolder;
}

std::uint32_t GameBase::ReadVersion(const std::string& registryKey, std::uint32_t version) {
  std::string text;
  if (!CorvantisEngine::ReadRegistryStringAnyRoot(registryKey, "Version", text))
    text = CorvantisEngine::UIntToString(version);
  return ParseVersion(text);
}

GameBase::GameBase(const std::string& maker, const std::string& title, std::uint32_t version)
    : maker(maker),
      title(title),
      version(version),
      registryKey("SOFTWARE\\" + maker + "\\" + title),
      baseFolder(FindBaseFolder(CorvantisEngine::GetExecutableFolder(), registryKey)),
      saveFolder(CorvantisEngine::FileManager::GetUserDataFolder() + "\\" + maker + "\\" + title) {
  this->version = ReadVersion(registryKey, version);
  // A new session: the player has been told nothing yet.
  SaveProblems::Get().Reset();
}

GameBase::~GameBase() {
  // The order of teardown: the level, the windows (the result windows first, the menus after them, the
  // logos last), the cursor, the managers, the keepers, the tools, the audio and at last the engine.
  gameLogic.reset();
  levelCompleteWindow.reset();
  stageCompleteWindow.reset();
  gameCompleteWindow.reset();
  gameOverWindow.reset();
  gameExitWindow.reset();
  restartWindow.reset();
  menuExitWindow.reset();
  gameLogicMenuWindow.reset();
  pauseWindow.reset();
  gameLogicWindow.reset();
  helpWindow.reset();
  optionsWindow.reset();
  highScoresWindow.reset();
  continueGameWindow.reset();
  startGameWindow.reset();
  nameConflictWindow.reset();
  profilesWindow.reset();
  newProfileWindow.reset();
  renameProfileWindow.reset();
  deleteProfileWindow.reset();
  mainMenuWindow.reset();
  exitWindow.reset();
  welcomeWindow.reset();
  levelLoadingWindow.reset();
  gameLoadingWindow.reset();
  logosWindow.reset();
  cursor.reset();
  highScores.reset();
  profileManager.reset();
  levelManager.reset();
  gameData.reset();
  levelData.reset();
  previousLevelData.reset();
  guiToolManager.reset();
  languageManager.reset();
  audioManager.reset();
  engine.reset();
  if (userFolderLock != nullptr)
    CloseHandle(userFolderLock);
}

void GameBase::FillStartParameters(CorvantisEngine::EngineStartParameters& parameters) {
  parameters.name = title;
  parameters.version = version;
  parameters.dataFolder = baseFolder;
  parameters.saveConfigOnExit = 1;
  parameters.applicationName = title;
  parameters.htmlLog = 1;
  parameters.reopenLog = 0;
  parameters.logFolder = saveFolder;
  parameters.logName = title;
  parameters.configFolder = saveFolder;
  parameters.packFolder = "Data";
  parameters.hostWindow = nullptr;
  parameters.iconId = 0;
  parameters.minimiseOnFocusLoss = 1;
  parameters.forceDefaultVideoMode = 0;
  parameters.defaultVideoMode = "800x600x32";
  parameters.forceDefaultFullScreen = 0;
  parameters.defaultFullScreen = 1;
  parameters.keepWindowSize = 0;
  parameters.stencilRequested = 0;
  parameters.centreWindow = 1;
  parameters.windowX = 0;
  parameters.windowY = 0;
  parameters.use3D = 0;
}

void GameBase::Init() {
  CorvantisEngine::EngineStartParameters parameters;
  FillStartParameters(parameters);
  LockUserFolder();
  engine = std::make_unique<CorvantisEngine::Engine>(parameters);
  log = engine->GetMessageManager();
  files = engine->GetFileManager();
  timers = engine->GetTimerManager();
  config = engine->GetConfig();
  window = engine->GetWindow();
  renderSystem = engine->GetRenderSystem();
  controls = engine->GetControls();
  soundManager = engine->GetSoundManager();
  gui = engine->GetGUIManager();
  ShowStartPicture();

  RemoveAbandonedIniSaves();
  try {
    languageManager = std::make_unique<LanguageManager>(files, registryKey);
    RegisterDebugCommands();
    {
      // The fonts and the basic resources are first drawn after the logos: their pictures are read and
      // their surfaces built then, not before the first logo frame.
      const CorvantisEngine::TextureManager::SurfacesOnFirstUse later;
      guiToolManager = std::make_unique<GUITools::GUIToolManager>(engine.get(), GetLanguageCode());
      fontTool = guiToolManager->GetFontTool();
      textTool = guiToolManager->GetTextTool();
      window->SetTitle(CorvantisEngine::WStringToStringCopy(textTool->GetText("game_title")));
      gui->SetScreenSize(800.0f, 600.0f);
      audioManager =
          std::make_unique<AudioManager>(engine.get(), GetDefaultMusicVolume(), GetDefaultSoundVolume());
      levelManager = CreateLevelManager();
      profileManager = CreateProfileManager();
      highScores = std::make_unique<HighScoresTable>(engine.get(), kHighScoresPerCategory, saveFolder);
      gameData = CreateGameData();
      if (gameData != nullptr) {
        gameData->LoadResources(kBasicResources, true);
        gameData->LoadResources(kAdditionalResources, false);
      }
    }
    cursor = CreateGameCursor();
    logosWindow = CreateLogosWindow();
    gameLoadingWindow = CreateGameLoadingWindow();
    LoadSounds();
    ShowWindow(logosWindow.get(), WindowId::kFramework);
  } catch (const CorvantisEngine::FatalError&) {
    throw;  // the log's Abort has written it
  } catch (const CorvantisEngine::Error& error) {
    // The loader's box only says that something went wrong; the log keeps what.
    LogError(error.GetMessage());
    AbortForMissingData();
    throw;
  } catch (const std::exception& error) {
    LogError(error.what());
    AbortForMissingData();
    throw;
  }
}

void GameBase::RemoveAbandonedIniSaves() {
  // The ini is written to "<title>.ini.<process>.tmp" first, which a kill leaves behind; one that has
  // not been touched for a minute belongs to no save under way.
  constexpr std::int64_t kAbandonedAfterSeconds = 60;
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
  std::vector<std::string> abandoned;
  _finddata_t found{};
  const std::intptr_t search = _findfirst((saveFolder + "\\" + title + ".ini.*.tmp").c_str(), &found);
  if (search == -1)
    return;
  do {
    if ((found.attrib & _A_SUBDIR) == 0 && found.time_write < now - kAbandonedAfterSeconds)
      abandoned.push_back(saveFolder + "\\" + found.name);
  } while (_findnext(search, &found) == 0);
  _findclose(search);
  for (const std::string& path : abandoned) {
    if (files->RemoveFile(path))
      log->Message("Removed \"" + path + "\", a save that was cut off");
  }
}

void GameBase::AbortForMissingData() const {
  // A start-up that failed with a pack refused, or with no pack and no loose data, failed for want of its
  // data: the box names the pack and what is wrong with it rather than the first file that could not be read.
  if (files == nullptr || log == nullptr)
    return;
  const std::vector<std::string>& refused = files->GetPackErrors();
  if (!refused.empty())
    log->Abort("The game's data cannot be read: pack file " + refused.front());
  if (files->GetPackCount() == 0 &&
      !CorvantisEngine::FileManager::IsFileOnDisk(files->ResolvePath(kBasicResources))) {
    const std::string pack = platform::win32::MapPath(files->ResolvePath(kDataPack));
    log->Abort("The game's data is missing: pack file \"" + pack + "\" was not found");
  }
}

void GameBase::LockUserFolder() {
  // Taken before the engine opens the log: a second copy must not overwrite the first one's log, nor
  // interleave its saves with the first one's. A folder where no lock file can be made is no reason to
  // stop: the saves report their own failures.
  CorvantisEngine::FileManager::CreateFolders(saveFolder + "\\");
  const std::string path = saveFolder + "\\" + kLockFile;
  HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (lock != INVALID_HANDLE_VALUE) {
    userFolderLock = lock;
  } else if (GetFileLastError() == ERROR_SHARING_VIOLATION) {
    // No log yet (the log is the other copy's): the error goes straight to the loader's box.
    throw CorvantisEngine::FatalError("Another copy of " + title + " is running on the same user folder (\"" +
                                      platform::win32::MapPath(saveFolder) + "\"). Close it first.");
  }
}

void GameBase::LogError(const std::string& text) const {
  if (log != nullptr)
    log->Error(text);
}

bool GameBase::IsQuit() const {
  return engine == nullptr || engine->IsExitRequested();
}

std::string GameBase::GetAudioFileName(const std::string& group, const std::string& name) const {
  const std::string stem = "audio\\" + group + "\\" + name + ".";
  if (files != nullptr && files->FileExists("data\\" + stem + "wav"))
    return stem + "wav";
  return stem + "ogg";
}

std::string GameBase::GetLanguageCode() const {
  if (languageManager != nullptr && languageManager->GetCurrentLanguage() != nullptr)
    return languageManager->GetCurrentLanguage()->code;
  return "en";
}

std::array<GUIFrameworkWindow*, 26> GameBase::GetWindows() const {
  return {logosWindow.get(),         gameLoadingWindow.get(),   levelLoadingWindow.get(),
          welcomeWindow.get(),       exitWindow.get(),          mainMenuWindow.get(),
          profilesWindow.get(),      newProfileWindow.get(),    renameProfileWindow.get(),
          deleteProfileWindow.get(), nameConflictWindow.get(),  startGameWindow.get(),
          continueGameWindow.get(),  highScoresWindow.get(),    optionsWindow.get(),
          helpWindow.get(),          gameLogicWindow.get(),     pauseWindow.get(),
          gameLogicMenuWindow.get(), menuExitWindow.get(),      restartWindow.get(),
          gameExitWindow.get(),      levelCompleteWindow.get(), stageCompleteWindow.get(),
          gameCompleteWindow.get(),  gameOverWindow.get()};
}

void GameBase::CreateWindows() {
  levelLoadingWindow = CreateGameLogicLoadingWindow();
  welcomeWindow = CreateWelcomeWindow();
  exitWindow = CreateExitWindow();
  mainMenuWindow = CreateMainMenuWindow();
  profilesWindow = CreateProfilesWindow();
  newProfileWindow = CreateNewProfileWindow();
  renameProfileWindow = CreateRenameProfileWindow();
  deleteProfileWindow = CreateDeleteProfileWindow();
  nameConflictWindow = CreateProfileNameConflictWindow();
  startGameWindow = CreateStartGameLogicWindow();
  continueGameWindow = CreateContinueGameLogicWindow();
  highScoresWindow = CreateHighScoresWindow();
  optionsWindow = CreateOptionsWindow();
  helpWindow = CreateHelpWindow();
  gameLogicWindow = CreateGameLogicWindow();
  pauseWindow = CreateGameLogicPauseWindow();
  gameLogicMenuWindow = CreateGameLogicMenuWindow();
  menuExitWindow = CreateGameLogicMenuExitWindow();
  restartWindow = CreateGameLogicRestartWindow();
  gameExitWindow = CreateGameLogicGameExitWindow();
  levelCompleteWindow = CreateLevelCompleteWindow();
  stageCompleteWindow = CreateStageCompleteWindow();
  gameCompleteWindow = CreateGameCompleteWindow();
  gameOverWindow = CreateGameOverWindow();
}

std::unique_ptr<GameResult> GameBase::CreateGameResult() {
  return std::make_unique<GameResult>();
}

void GameBase::FillGameResult(GameResult& result) {
  if (ProfileBase* profile = GetCurrentProfile())
    result.gameMode = profile->GetGameMode();
  if (gameLogic != nullptr) {
    if (gameLogic->levelRecord != nullptr) {
      result.stage = gameLogic->levelRecord->stageIndex;
      result.level = gameLogic->levelRecord->levelIndex;
    }
    result.time = gameLogic->GetTime();
  }
}

ProfileBase* GameBase::GetCurrentProfile() const {
  return profileManager != nullptr ? profileManager->GetCurrentProfile() : nullptr;
}

}  // namespace GameFramework
