#pragma once
// A whole game object over the headless back end for the tests of the game base and the loader: every
// manager and window is a recording stand-in that writes what happens to it ("create logos", "show
// main_menu 6", "hide exit", "active game_logic 0", "delete cursor") into one event list, and every
// window can be told to post a result on its next Update or to answer at once when shown.
//
// GameFolder gives each test its own base, save and registry folders (through XDG_DATA_HOME and the
// XDG_CONFIG_* variables) and the small data the start-up reads: levels (stages of 2 and 1 levels),
// the two resource lists, and a text for "game_title".

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "framework/GUIFrameworkWindow.h"
#include "framework/GUIGameCursorBase.h"
#include "framework/GUIGameLogicMenuWindowBase.h"
#include "framework/GUILoadingWindowBase.h"
#include "framework/GUIOptionsWindowBase.h"
#include "framework/GUIWindowBases.h"
#include "framework/GameBase.h"
#include "framework/GameLogicBase.h"
#include "framework/LevelManagerBase.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"
#include "tests/framework/TestProfiles.h"
#include "tests/support/TempFolder.h"
#include "tools/game/DataKeeper.h"

namespace GameFramework::frameworktest {

struct Events {
  std::vector<std::string> list;

  void Add(const std::string& event) { list.push_back(event); }
  // The events from `start` on.
  std::vector<std::string> From(std::size_t start) const {
    return std::vector<std::string>(list.begin() + static_cast<std::ptrdiff_t>(std::min(start, list.size())),
                                    list.end());
  }
  // Only the events that begin with `prefix`.
  std::vector<std::string> Only(const std::string& prefix, std::size_t start = 0) const {
    std::vector<std::string> out;
    for (const std::string& event : From(start)) {
      if (event.rfind(prefix, 0) == 0)
        out.push_back(event);
    }
    return out;
  }
};

// What a test tells a recording window.
struct WindowScript {
  // Posted on the next Update (then forgotten).
  std::uint32_t post = 0;
  // Posted by every Show, which also marks it unseen, as windows that answer at once do.
  std::uint32_t answerOnShow = 0;
  int updates = 0;
  bool shown = false;
};

template <class Base>
class Recorded : public Base, public WindowScript {
 public:
  template <class... Args>
  Recorded(Events* events, std::string name, Args&&... args)
      : Base(std::forward<Args>(args)...), events_(events), name_(std::move(name)) {
    events_->Add("create " + name_);
  }
  ~Recorded() override { events_->Add("delete " + name_); }

  void Update() override {
    Base::Update();
    ++updates;
    if (post != 0) {
      this->result = post;
      post = 0;
    }
  }
  void Show(std::uint32_t opener) override {
    Base::Show(opener);
    shown = true;
    events_->Add("show " + name_ + " " + std::to_string(opener));
    if (answerOnShow != 0) {
      this->result = answerOnShow;
      this->resultConsumed = 0;
    }
  }
  void Hide() override {
    Base::Hide();
    shown = false;
    events_->Add("hide " + name_);
  }

 protected:
  Events* events_;
  std::string name_;
};

// The in-game window's Show comes through ShowWithLevel, and menus over it switch it inactive.
class RecordedGameLogicWindow : public Recorded<GUIGameLogicWindowBase> {
 public:
  using Recorded::Recorded;
  void ShowWithLevel(std::uint32_t opener, GameLogicBase* logic) override {
    events_->Add("show " + name_ + " " + std::to_string(opener));
    shown = true;
    GUIGameLogicWindowBase::ShowWithLevel(opener, logic);
  }
  void SetActive(bool active) override {
    GUIGameLogicWindowBase::SetActive(active);
    events_->Add("active " + name_ + " " + (active ? "1" : "0"));
  }
};

class RecordedCursor : public GUIGameCursorBase {
 public:
  RecordedCursor(CorvantisEngine::Engine* engine, Events* events)
      : GUIGameCursorBase(engine), events_(events) {
    events_->Add("create cursor");
  }
  ~RecordedCursor() override { events_->Add("delete cursor"); }
  // Only what the game asks for is recorded, not the cursor's own re-showing in its Update.
  bool Update() override {
    updating_ = true;
    const bool shown = GUIGameCursorBase::Update();
    updating_ = false;
    return shown;
  }
  void SetVisible(bool visible) override {
    GUIGameCursorBase::SetVisible(visible);
    if (!updating_)
      events_->Add(std::string("cursor ") + (visible ? "1" : "0"));
  }

 private:
  Events* events_;
  bool updating_ = false;
};

class RecordedLevelManager : public LevelManagerBase {
 public:
  RecordedLevelManager(CorvantisEngine::Engine* engine, Events* events)
      : LevelManagerBase(engine), events_(events) {
    events_->Add("create level_manager");
    Load();
  }
  ~RecordedLevelManager() override { events_->Add("delete level_manager"); }
  StageRecord* GetStageData(const LevelPosition& position) override { return GetStage(position.stage); }
  std::vector<std::string> GetLevelResourceLists(const LevelPosition& position) const override {
    return {"data\\levels\\level_" + std::to_string(position.stage) + "_" + std::to_string(position.level) +
            ".xml"};
  }

 protected:
  std::unique_ptr<StageRecord> NewStage() override { return std::make_unique<StageRecord>(); }
  std::unique_ptr<LevelRecord> NewLevel() override { return std::make_unique<LevelRecord>(); }

 private:
  Events* events_;
};

class RecordedProfileManager : public TestProfileManager {
 public:
  RecordedProfileManager(CorvantisEngine::Engine* engine, AudioManager* audio, const std::string& saveFolder,
                         const LevelManagerBase* levels, Events* events)
      : TestProfileManager(engine, audio, saveFolder, levels), events_(events) {
    events_->Add("create profile_manager");
  }
  ~RecordedProfileManager() override { events_->Add("delete profile_manager"); }

 private:
  Events* events_;
};

// A keeper that records the lists queued on it instead of reading them later.
class RecordedKeeper : public GameTools::DataKeeper {
 public:
  RecordedKeeper(CorvantisEngine::Engine* engine, Events* events, std::string name)
      : DataKeeper(engine, "en", false), events_(events), name_(std::move(name)) {
    events_->Add("create " + name_);
  }
  ~RecordedKeeper() override { events_->Add("delete " + name_); }

 private:
  Events* events_;
  std::string name_;
};

class RecordedLevel : public GameLogicBase {
 public:
  RecordedLevel(CorvantisEngine::Engine* engine, StageRecord* stage, LevelRecord* level,
                std::uint32_t counter, Events* events)
      : GameLogicBase(engine, nullptr, stage, level, counter), events_(events) {
    events_->Add("create level " + std::to_string(level != nullptr ? level->stageIndex : 99) + " " +
                 std::to_string(level != nullptr ? level->levelIndex : 99));
  }
  ~RecordedLevel() override { events_->Add("delete level"); }
  void Update() override { ++updates; }

  int updates = 0;

 private:
  Events* events_;
};

// Each test's folders and data. Construct before the game.
class GameFolder {
 public:
  GameFolder() {
    ::setenv("XDG_DATA_HOME", folder_.Host("user").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder_.Host("config").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", folder_.Host("machine").c_str(), 1);
    platform::headless::ResetClock();
    platform::headless::ResetInput();
    platform::headless::ResetAudio();
    windows_ = &platform::headless::InstallHeadlessWindows();
    display_ = platform::headless::InstallHeadlessDisplay();
    Write("base/data/levels/levels.xml",
          "<levels>\n  <stage><level/><level/></stage>\n  <stage><level/></stage>\n</levels>\n");
    Write("base/data/ui/resources_basic.xml", "<resources>\n</resources>\n");
    Write("base/data/ui/resources_additional.xml", "<resources>\n</resources>\n");
    Write("base/data/ui/texts/texts.xml",
          "<texts>\n  <game_title><en text=\"Puzzle Test\"/></game_title>\n</texts>\n");
    Write("base/data/ui/texts/default_texts.xml", "<texts/>\n");
  }
  ~GameFolder() { platform::headless::ResetAudio(); }

  void Write(const std::string& relative, const std::string& bytes) const { folder_.Write(relative, bytes); }
  // A value under the game's key in the per-user (or machine-wide) registry file.
  void WriteRegistry(const std::string& key, const std::string& values, bool machine = false) const {
    Write(std::string(machine ? "machine" : "config") + "/corvantis/registry.ini",
          "[" + key + "]\n" + values);
  }
  std::string Base() const { return folder_.Win("base"); }
  const testsupport::TempFolder& Folder() const { return folder_; }
  platform::headless::HeadlessWindowDriver& Windows() const { return *windows_; }

 private:
  testsupport::TempFolder folder_;
  platform::headless::HeadlessWindowDriver* windows_ = nullptr;
  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
};

// The window names, in factory order (slots 12..37).
inline const std::vector<std::string>& WindowNames() {
  static const std::vector<std::string> names = {
      "logos",         "game_loading", "level_loading", "welcome",   "exit",           "main_menu",
      "profiles",      "new_profile",  "rename",        "delete",    "name_conflict",  "start_game",
      "continue",      "high_scores",  "options",       "help",      "game_logic",     "pause",
      "game_menu",     "menu_exit",    "restart",       "game_exit", "level_complete", "stage_complete",
      "game_complete", "game_over"};
  return names;
}

class TestGame : public GameBase {
 public:
  static constexpr const char* kMaker = "Test Maker";
  static constexpr const char* kTitle = "Test Game";

  struct Options {
    // A creation step that throws instead ("level_manager", "game_data", "logos", ...).
    std::string throwAt;
    // Windows whose factory answers null.
    std::set<std::string> missing;
  };

  TestGame(const GameFolder& folder, Events* events, Options options = {})
      : GameBase(kMaker, kTitle, 100), events_(events), options_(std::move(options)) {
    baseFolder = folder.Base();
    events_->Add("create game");
    Init();
  }
  ~TestGame() override { events_->Add("delete game"); }

  // The script of a window by name, null when it does not exist.
  WindowScript* Script(const std::string& name) const {
    auto it = scripts_.find(name);
    return it != scripts_.end() && Window(name) != nullptr ? it->second : nullptr;
  }
  GUIFrameworkWindow* Window(const std::string& name) const {
    const auto& names = WindowNames();
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? nullptr : GetWindows()[static_cast<std::size_t>(it - names.begin())];
  }
  // Posts a result as the window's own Update would have in the frame before.
  void Post(const std::string& name, std::uint32_t result) { Window(name)->result = result; }

  using GameBase::audioManager;
  using GameBase::ClearWindowResults;
  using GameBase::config;
  using GameBase::engine;
  using GameBase::ExecuteDebugCommands;
  using GameBase::focusPaused;
  using GameBase::gameLogic;
  using GameBase::levelData;
  using GameBase::modeChangeFrames;
  using GameBase::OnLeaveLevel;
  using GameBase::previousLevelData;
  using GameBase::ProcessWindowResults;
  using GameBase::profileManager;
  using GameBase::timerWasPaused;

 protected:
  void LoadSounds() override { events_->Add("sounds"); }
  std::unique_ptr<LevelManagerBase> CreateLevelManager() override {
    Step("level_manager");
    return std::make_unique<RecordedLevelManager>(engine.get(), events_);
  }
  std::unique_ptr<ProfileManagerBase> CreateProfileManager() override {
    Step("profile_manager");
    return std::make_unique<RecordedProfileManager>(engine.get(), audioManager.get(), saveFolder,
                                                    levelManager.get(), events_);
  }
  std::unique_ptr<GameTools::DataKeeper> CreateGameData() override {
    Step("game_data");
    return std::make_unique<RecordedKeeper>(engine.get(), events_, "game_data");
  }
  std::unique_ptr<GUIGameCursorBase> CreateGameCursor() override {
    Step("cursor");
    return std::make_unique<RecordedCursor>(engine.get(), events_);
  }
  std::unique_ptr<GUILogosWindowBase> CreateLogosWindow() override {
    return Make<GUILogosWindowBase>("logos");
  }
  std::unique_ptr<GUILoadingWindowBase> CreateGameLoadingWindow() override {
    return Make<GUILoadingWindowBase>("game_loading", engine.get());
  }
  std::unique_ptr<GUILoadingWindowBase> CreateGameLogicLoadingWindow() override {
    return Make<GUILoadingWindowBase>("level_loading", engine.get());
  }
  std::unique_ptr<GUIWelcomeWindowBase> CreateWelcomeWindow() override {
    return Make<GUIWelcomeWindowBase>("welcome", profileManager.get());
  }
  std::unique_ptr<GUIExitWindowBase> CreateExitWindow() override { return Make<GUIExitWindowBase>("exit"); }
  std::unique_ptr<GUIMainMenuWindowBase> CreateMainMenuWindow() override {
    return Make<GUIMainMenuWindowBase>("main_menu");
  }
  std::unique_ptr<GUIProfilesWindowBase> CreateProfilesWindow() override {
    return Make<GUIProfilesWindowBase>("profiles", profileManager.get());
  }
  std::unique_ptr<GUINewProfileWindowBase> CreateNewProfileWindow() override {
    return Make<GUINewProfileWindowBase>("new_profile", profileManager.get());
  }
  std::unique_ptr<GUIRenameProfileWindowBase> CreateRenameProfileWindow() override {
    return Make<GUIRenameProfileWindowBase>("rename", profileManager.get());
  }
  std::unique_ptr<GUIDeleteProfileWindowBase> CreateDeleteProfileWindow() override {
    return Make<GUIDeleteProfileWindowBase>("delete", profileManager.get());
  }
  std::unique_ptr<GUIProfileNameConflictWindowBase> CreateProfileNameConflictWindow() override {
    return Make<GUIProfileNameConflictWindowBase>("name_conflict");
  }
  std::unique_ptr<GUIStartGameLogicWindowBase> CreateStartGameLogicWindow() override {
    return Make<GUIStartGameLogicWindowBase>("start_game");
  }
  std::unique_ptr<GUIContinueGameLogicWindowBase> CreateContinueGameLogicWindow() override {
    return Make<GUIContinueGameLogicWindowBase>("continue");
  }
  std::unique_ptr<GUIHighScoresWindowBase> CreateHighScoresWindow() override {
    return Make<GUIHighScoresWindowBase>("high_scores", highScores.get());
  }
  std::unique_ptr<GUIOptionsWindowBase> CreateOptionsWindow() override {
    return Make<GUIOptionsWindowBase>("options", engine.get(), audioManager.get(), profileManager.get());
  }
  std::unique_ptr<GUIHelpWindowBase> CreateHelpWindow() override { return Make<GUIHelpWindowBase>("help"); }
  std::unique_ptr<GUIGameLogicWindowBase> CreateGameLogicWindow() override {
    if (options_.missing.count("game_logic") != 0)
      return nullptr;
    auto window =
        std::make_unique<RecordedGameLogicWindow>(events_, "game_logic", engine.get(), profileManager.get());
    scripts_["game_logic"] = window.get();
    return window;
  }
  std::unique_ptr<GUIGameLogicPauseWindowBase> CreateGameLogicPauseWindow() override {
    return Make<GUIGameLogicPauseWindowBase>("pause");
  }
  std::unique_ptr<GUIGameLogicMenuWindowBase> CreateGameLogicMenuWindow() override {
    return Make<GUIGameLogicMenuWindowBase>("game_menu", engine.get(), audioManager.get(),
                                            profileManager.get());
  }
  std::unique_ptr<GUIGameLogicMenuExitWindowBase> CreateGameLogicMenuExitWindow() override {
    return Make<GUIGameLogicMenuExitWindowBase>("menu_exit");
  }
  std::unique_ptr<GUIGameLogicRestartWindowBase> CreateGameLogicRestartWindow() override {
    return Make<GUIGameLogicRestartWindowBase>("restart");
  }
  std::unique_ptr<GUIGameLogicGameExitWindowBase> CreateGameLogicGameExitWindow() override {
    return Make<GUIGameLogicGameExitWindowBase>("game_exit");
  }
  std::unique_ptr<GUILevelCompleteWindowBase> CreateLevelCompleteWindow() override {
    return Make<GUILevelCompleteWindowBase>("level_complete", levelManager.get());
  }
  std::unique_ptr<GUIStageCompleteWindowBase> CreateStageCompleteWindow() override {
    return Make<GUIStageCompleteWindowBase>("stage_complete", levelManager.get());
  }
  std::unique_ptr<GUIGameCompleteWindowBase> CreateGameCompleteWindow() override {
    return Make<GUIGameCompleteWindowBase>("game_complete");
  }
  std::unique_ptr<GUIGameOverWindowBase> CreateGameOverWindow() override {
    return Make<GUIGameOverWindowBase>("game_over");
  }
  std::unique_ptr<GameTools::DataKeeper> CreateGameLogicData(StageRecord*, LevelRecord* level) override {
    return std::make_unique<RecordedKeeper>(
        engine.get(), events_,
        "level_data " + std::to_string(level->stageIndex) + " " + std::to_string(level->levelIndex));
  }
  std::unique_ptr<GameLogicBase> CreateGameLogic(StageRecord* stage, LevelRecord* level,
                                                 std::uint32_t counter) override {
    return std::make_unique<RecordedLevel>(engine.get(), stage, level, counter, events_);
  }

 private:
  void Step(const std::string& name) {
    if (options_.throwAt == name)
      throw CorvantisEngine::FileError("Broken " + name);
  }
  template <class Base, class... Args>
  std::unique_ptr<Base> Make(const std::string& name, Args&&... args) {
    Step(name);
    if (options_.missing.count(name) != 0)
      return nullptr;
    auto window = std::make_unique<Recorded<Base>>(events_, name, std::forward<Args>(args)...);
    scripts_[name] = window.get();
    return window;
  }

  Events* events_;
  Options options_;
  std::map<std::string, WindowScript*> scripts_;
};

}  // namespace GameFramework::frameworktest
