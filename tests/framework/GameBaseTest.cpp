// The game base: where its folders and version come from, what the start-up makes and in which order,
// the teardown (also of a start-up that fails part-way), every window answer and what it opens, the
// level's own finished and failed reactions, the frame with the focus lost, a window-mode switch and a
// device reset, and the debug commands.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileManager.h"
#include "engine/input/Controls.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"
#include "engine/resources/ShaderManager.h"
#include "engine/window/Window.h"
#include "framework/AudioManager.h"
#include "framework/HighScoresTable.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinTime.h"
#include "platform/win32/WinWindow.h"
#include "tests/framework/TestGame.h"

namespace GameFramework {
namespace {

using frameworktest::Events;
using frameworktest::GameFolder;
using frameworktest::TestGame;
using Strings = std::vector<std::string>;

class GameBaseTest : public testing::Test {
 protected:
  void Start(TestGame::Options options = {}) {
    game_ = std::make_unique<TestGame>(folder_, &events_, options);
  }
  void Frame() { game_->Frame(); }
  // Logos, then loading: every window exists and the main menu (or the welcome window) is shown.
  void ToMenus() {
    game_->Post("logos", 1);
    Frame();
    game_->Post("game_loading", 1);
    Frame();
  }
  ProfileBase* AddProfile(const std::wstring& name) {
    ProfileManagerBase* profiles = game_->GetProfileManager();
    ProfileBase* profile = profiles->AddProfile(name);
    profiles->SetCurrentProfile(profile, true);
    return profile;
  }
  void StartLevel() {
    game_->Post("start_game", 24);
    Frame();
    game_->Post("level_loading", 1);
    Frame();
  }
  // The events of one frame after posting a result.
  Strings Answer(const std::string& window, std::uint32_t result) {
    const std::size_t start = events_.list.size();
    game_->Post(window, result);
    Frame();
    return events_.From(start);
  }
  std::string LastLogLines(int count) const {
    CorvantisEngine::MessageManager& log = *game_->GetEngine()->GetMessageManager();
    std::string out;
    for (int i = std::max(0, log.GetRecordCount() - count); i < log.GetRecordCount(); ++i)
      out += log.GetRecord(i).text;
    return out;
  }
  static void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }

  GameFolder folder_;
  Events events_;
  std::unique_ptr<TestGame> game_;
};

TEST(GameBaseFoldersTest, BaseFolderAndVersionFromTheDataBesideTheProgramOrTheRegistry) {
  struct Case {
    bool packBeside;
    const char* values;
    bool machine;
    const char* expectedBase;  // "exe" for the executable's folder
    std::uint32_t expectedVersion;
  };
  const Case cases[] = {
      {true, "InstallPath=/opt/elsewhere\n", false, "exe", 100},
      {false, "InstallPath=/opt/elsewhere\n", false, "/opt/elsewhere", 100},
      {false, "InstallPath=/opt/machine\nVersion=110\n", true, "/opt/machine", 110},
      {false, "", false, "exe", 100},
      {true, "Version=105\n", false, "exe", 105},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.values) + (c.packBeside ? " with the pack" : " without the pack"));
    GameFolder folder;
    const std::string key = "SOFTWARE\\Test Maker\\Test Game";
    folder.WriteRegistry(key, c.values, c.machine);
    const std::string exe = folder.Folder().Win("exe");
    folder.Write("exe/readme.txt", "");
    if (c.packBeside)
      folder.Write("exe/data/pack0.pak", "not looked into");
    EXPECT_EQ(GameBase::FindBaseFolder(exe, key),
              std::string(c.expectedBase) == "exe" ? exe : c.expectedBase);
    EXPECT_EQ(GameBase::ReadVersion(key, 100), c.expectedVersion);
  }
}

TEST_F(GameBaseTest, StartUpMakesTheManagersInOrderAndShowsOnlyTheLogos) {
  Start();
  EXPECT_EQ(events_.From(0),
            (Strings{"create game", "create level_manager", "create profile_manager", "create game_data",
                     "create cursor", "create logos", "create game_loading", "sounds", "show logos 1"}));
  EXPECT_EQ(game_->GetSaveFolder(),
            CorvantisEngine::FileManager::GetUserDataFolder() + "\\Test Maker\\Test Game");
  EXPECT_EQ(game_->GetRegistryKey(), "SOFTWARE\\Test Maker\\Test Game");
  EXPECT_EQ(game_->GetEngine()->GetParameters().dataFolder, folder_.Base());
  EXPECT_EQ(game_->GetEngine()->GetParameters().defaultVideoMode, "800x600x32");
  EXPECT_EQ(game_->GetHighScores()->GetLimit(), 10u);
  EXPECT_EQ(game_->Window("main_menu"), nullptr) << "the menus come after loading";
  char caption[64] = {};
  GetWindowTextA(game_->GetEngine()->GetWindow()->GetHandle(), caption, sizeof caption);
  EXPECT_STREQ(caption, "Puzzle Test");

  ToMenus();
  for (const std::string& name : frameworktest::WindowNames())
    EXPECT_NE(game_->Window(name), nullptr) << name;
  EXPECT_EQ(game_->Window("welcome")->openerId, 3u) << "no profile yet: the welcome window";
  EXPECT_TRUE(game_->GetCursor()->IsVisible());
}

TEST_F(GameBaseTest, StartUpLeavesTheBasicResourcesPicturesForTheirFirstDraw) {
  // The basic list's art is first drawn after the logos: nothing of it is read before the first frame,
  // a missing picture included, which is reported once it is drawn.
  folder_.Write("base/data/ui/resources_basic.xml",
                "<resources><ui><shader name=\"panel\" diffuse_file_name=\"panel.bmp\"/></ui></resources>\n");
  Start();
  CorvantisEngine::TextureManager& textures = *game_->GetEngine()->GetShaderManager()->GetTextureManager();
  std::vector<CorvantisEngine::Texture2D*> all;
  textures.GetTextureNames(all);
  CorvantisEngine::Texture2D* panel = nullptr;
  for (CorvantisEngine::Texture2D* texture : all) {
    if (texture->GetKey().find("panel.bmp") != std::string::npos)
      panel = texture;
  }
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->IsWaitingForFirstUse());
  EXPECT_EQ(LastLogLines(50).find("panel.bmp"), std::string::npos) << LastLogLines(50);
  while (textures.BuildWaitingSurface()) {
  }
  EXPECT_FALSE(panel->IsWaitingForFirstUse());
  EXPECT_NE(LastLogLines(50).find("panel.bmp"), std::string::npos) << "the missing file is reported";

  // Later loads are made at once.
  CorvantisEngine::Texture2D* later = textures.LoadTexture(false, "data\\ui\\later.bmp", "");
  EXPECT_FALSE(later->IsWaitingForFirstUse());
}

TEST_F(GameBaseTest, IniSavesCutOffByAKillAreRemovedOnceNoSaveCanBeUnderWay) {
  const std::filesystem::path save = folder_.Folder().Host("user") / "Test Maker" / "Test Game";
  std::filesystem::create_directories(save);
  for (const char* name : {"Test Game.ini.4242.tmp", "Test Game.ini.4343.tmp", "notes.ini.4242.tmp"})
    std::ofstream(save / name) << "v_mode 800x600x32\n";
  // Two of them were left an hour ago; the other has just been written.
  const auto anHourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  std::filesystem::last_write_time(save / "Test Game.ini.4242.tmp", anHourAgo);
  std::filesystem::last_write_time(save / "notes.ini.4242.tmp", anHourAgo);
  Start();
  EXPECT_FALSE(std::filesystem::exists(save / "Test Game.ini.4242.tmp"));
  EXPECT_TRUE(std::filesystem::exists(save / "Test Game.ini.4343.tmp"));
  EXPECT_TRUE(std::filesystem::exists(save / "notes.ini.4242.tmp")) << "not ours";
  EXPECT_NE(LastLogLines(1000).find("Test Game.ini.4242.tmp\", a save that was cut off"), std::string::npos);
}

TEST_F(GameBaseTest, LoadingEndsInTheMainMenuOnceAPlayerExists) {
  Start();
  ToMenus();
  AddProfile(L"Anna");
  game_.reset();
  events_.list.clear();
  Start();
  ToMenus();
  EXPECT_EQ(events_.Only("show"), (Strings{"show logos 1", "show game_loading 2", "show main_menu 3"}));
}

TEST_F(GameBaseTest, TeardownGoesInItsOwnOrderFromTheLevelToTheManagers) {
  Start();
  ToMenus();
  AddProfile(L"Anna");
  StartLevel();
  const std::size_t start = events_.list.size();
  game_.reset();
  EXPECT_EQ(events_.Only("delete", start),
            (Strings{"delete game", "delete level",
                     // windows of factories 34..37, then 33 down to 22, 18..21, 17 down to 12
                     "delete level_complete", "delete stage_complete", "delete game_complete",
                     "delete game_over", "delete game_exit", "delete restart", "delete menu_exit",
                     "delete game_menu", "delete pause", "delete game_logic", "delete help", "delete options",
                     "delete high_scores", "delete continue", "delete start_game", "delete name_conflict",
                     "delete profiles", "delete new_profile", "delete rename", "delete delete",
                     "delete main_menu", "delete exit", "delete welcome", "delete level_loading",
                     "delete game_loading", "delete logos", "delete cursor", "delete profile_manager",
                     "delete level_manager", "delete game_data", "delete level_data 0 0"}));
}

TEST_F(GameBaseTest, StartUpThatFailsPartWayTearsDownWhatWasMadeInOrder) {
  struct Case {
    const char* step;
    Strings deleted;
  };
  const Case cases[] = {
      {"level_manager", {}},
      {"game_data", {"delete profile_manager", "delete level_manager"}},
      {"logos", {"delete cursor", "delete profile_manager", "delete level_manager", "delete game_data"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    GameFolder folder;
    Events events;
    bool thrown = false;
    try {
      TestGame game(folder, &events, {c.step, {}});
    } catch (const CorvantisEngine::FileError& error) {
      thrown = true;
      EXPECT_EQ(error.GetMessage(), std::string("Broken ") + c.step);
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(events.Only("delete"), c.deleted);
    EXPECT_TRUE(events.Only("show").empty());
  }
}

TEST_F(GameBaseTest, MenuAnswersHideTheWindowAndOpenTheNextWithTheirId) {
  struct Row {
    const char* window;
    std::uint32_t result;
    Strings events;
  };
  const Row rows[] = {
      {"welcome", 3, {"hide welcome", "show main_menu 4"}},
      {"welcome", 4, {"hide welcome", "show exit 4"}},
      {"exit", 2, {"hide exit", "show welcome 5"}},
      {"exit", 3, {"hide exit", "show main_menu 5"}},
      {"exit", 6, {"hide exit", "show new_profile 5"}},
      {"main_menu", 5, {"hide main_menu", "show profiles 6"}},
      {"main_menu", 24, {"hide main_menu", "show start_game 6"}},
      {"main_menu", 10, {"hide main_menu", "show high_scores 6"}},
      {"main_menu", 11, {"hide main_menu", "show options 6"}},
      {"main_menu", 12, {"hide main_menu", "show help 6"}},
      {"main_menu", 4, {"hide main_menu", "show exit 6"}},
      {"main_menu", 99, {}},
      {"profiles", 6, {"hide profiles", "show new_profile 10"}},
      {"profiles", 7, {"hide profiles", "show rename 10"}},
      {"profiles", 8, {"hide profiles", "show delete 10"}},
      {"profiles", 3, {"hide profiles", "show main_menu 10"}},
      {"new_profile", 9, {"hide new_profile", "show name_conflict 11"}},
      {"new_profile", 5, {"hide new_profile", "show profiles 11"}},
      {"new_profile", 4, {"hide new_profile", "show exit 11"}},
      {"rename", 9, {"hide rename", "show name_conflict 12"}},
      {"rename", 5, {"hide rename", "show profiles 12"}},
      {"delete", 5, {"hide delete", "show profiles 13"}},
      {"delete", 6, {"hide delete", "show new_profile 13"}},
      {"name_conflict", 6, {"hide name_conflict", "show new_profile 14"}},
      {"name_conflict", 7, {"hide name_conflict", "show rename 14"}},
      {"start_game", 3, {"hide start_game", "show main_menu 15"}},
      {"start_game", 24, {"create level_data 0 1", "hide start_game", "show level_loading 15"}},
      {"continue", 14, {"hide continue", "show start_game 21"}},
      {"continue", 13, {"hide continue", "show start_game 21"}},
      {"continue", 3, {"hide continue", "show main_menu 21"}},
      {"high_scores", 3, {"hide high_scores", "show main_menu 7"}},
      {"options", 3, {"hide options", "show main_menu 8"}},
      {"help", 3, {"hide help", "show main_menu 9"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.window) + " answers " + std::to_string(row.result));
    events_.list.clear();
    game_.reset();
    Start();
    ToMenus();
    ProfileBase* anna = AddProfile(L"Anna");
    anna->SetCurrentLevel({0, 1});
    anna->SetGameInProgress(std::string(row.window) == "continue");
    auto* profiles = static_cast<GUIProfilesWindowBase*>(game_->Window("profiles"));
    profiles->name = L"Anna";
    EXPECT_EQ(Answer(row.window, row.result), row.events);
    EXPECT_FALSE(game_->IsQuit());
    if (std::string(row.window) == "profiles" && row.result == 7) {
      EXPECT_EQ(static_cast<GUIRenameProfileWindowBase*>(game_->Window("rename"))->oldName, L"Anna");
    }
    if (std::string(row.window) == "profiles" && row.result == 8) {
      EXPECT_EQ(static_cast<GUIDeleteProfileWindowBase*>(game_->Window("delete"))->name, L"Anna");
    }
    if (std::string(row.window) == "continue" && row.result == 13) {
      EXPECT_FALSE(anna->IsGameInProgress());
    }
    if (std::string(row.window) == "start_game" && row.result == 24) {
      auto* loading = static_cast<GUILoadingWindowBase*>(game_->Window("level_loading"));
      EXPECT_EQ(loading->task, game_->GetLevelData());
    }
  }
}

TEST_F(GameBaseTest, MainMenuStartsANewGameOrOffersToContinue) {
  Start();
  ToMenus();
  ProfileBase* anna = AddProfile(L"Anna");
  anna->SetScore(40);
  anna->SetGameCounter(1);
  anna->SetGameInProgress(true);
  EXPECT_EQ(Answer("main_menu", 24), (Strings{"hide main_menu", "show continue 6"}));
  EXPECT_EQ(anna->GetScore(), 40u);
  game_->Window("continue")->Hide();
  anna->SetGameInProgress(false);
  EXPECT_EQ(Answer("main_menu", 24), (Strings{"hide main_menu", "show start_game 6"}));
  EXPECT_EQ(anna->GetScore(), 0u) << "a new game starts from nothing";
  EXPECT_EQ(anna->GetGameCounter(), ProfileBase::kNewGameCounter);
}

TEST_F(GameBaseTest, ExitAnswersEndTheLoopWithTheWindowLeftOnScreen) {
  for (const char* window : {"exit", "game_exit"}) {
    SCOPED_TRACE(window);
    game_.reset();
    events_.list.clear();
    Start();
    ToMenus();
    AddProfile(L"Anna");
    EXPECT_TRUE(Answer(window, 23).empty());
    EXPECT_TRUE(game_->IsQuit());
  }
}

TEST_F(GameBaseTest, LevelAnswersPauseResumeAndLeaveTheLevel) {
  struct Row {
    const char* window;
    std::uint32_t result;
    Strings events;
    bool levelLeft;
    std::uint32_t state;  // of the level, when it is left in play
  };
  const Row rows[] = {
      {"game_logic", 16, {"active game_logic 0", "show game_menu 17"}, false, GameLogicBase::kPaused},
      {"game_logic", 15, {"active game_logic 0", "show pause 17"}, false, GameLogicBase::kPaused},
      {"game_logic", 4, {"active game_logic 0", "show game_exit 17"}, false, GameLogicBase::kPaused},
      {"pause", 19, {"hide pause", "active game_logic 1"}, false, GameLogicBase::kRunning},
      {"game_menu", 19, {"hide game_menu", "active game_logic 1"}, false, GameLogicBase::kRunning},
      {"game_menu", 18, {"hide game_menu", "show menu_exit 18"}, false, GameLogicBase::kPaused},
      {"game_menu", 17, {"hide game_menu", "show restart 18"}, false, GameLogicBase::kPaused},
      {"menu_exit", 16, {"hide menu_exit", "show game_menu 20"}, false, GameLogicBase::kPaused},
      {"menu_exit", 3, {"hide menu_exit", "hide game_logic", "delete level", "show main_menu 20"}, true, 0},
      {"restart", 16, {"hide restart", "show game_menu 19"}, false, GameLogicBase::kPaused},
      {"restart", 20, {"hide restart", "show game_over 19"}, false, GameLogicBase::kPaused},
      {"restart", 13, {"hide restart", "hide game_logic", "delete level", "show start_game 19"}, true, 0},
      {"game_exit", 19, {"hide game_exit", "active game_logic 1"}, false, GameLogicBase::kRunning},
      {"game_over", 17, {"hide game_over", "show restart 25"}, false, GameLogicBase::kPaused},
      {"game_over", 1, {"hide game_over", "show main_menu 25", "hide game_logic", "delete level"}, true, 0},
      {"level_complete",
       13,
       {"hide level_complete", "hide game_logic", "delete level", "show start_game 22"},
       true,
       0},
      {"level_complete",
       21,
       {"hide level_complete", "show stage_complete 22"},
       false,
       GameLogicBase::kPaused},
      {"stage_complete",
       13,
       {"hide stage_complete", "hide game_logic", "delete level", "show start_game 23"},
       true,
       0},
      {"stage_complete",
       22,
       {"hide stage_complete", "hide game_logic", "delete level", "show game_complete 23"},
       true,
       0},
      {"game_complete", 1, {"hide game_complete", "show main_menu 24"}, false, GameLogicBase::kPaused},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.window) + " answers " + std::to_string(row.result));
    game_.reset();
    events_.list.clear();
    Start();
    ToMenus();
    AddProfile(L"Anna");
    StartLevel();
    ASSERT_NE(game_->GetGameLogic(), nullptr);
    // Menus are answered over a paused level.
    if (std::string(row.window) != "game_logic")
      game_->GetGameLogic()->SetPaused(true);
    game_->ClearWindowResults();
    EXPECT_EQ(Answer(row.window, row.result), row.events);
    EXPECT_EQ(game_->GetGameLogic() == nullptr, row.levelLeft);
    if (!row.levelLeft) {
      EXPECT_EQ(game_->GetGameLogic()->state, row.state);
    }
    EXPECT_TRUE(events_.Only("show game_over").empty() || std::string(row.window) == "restart")
        << "pausing and resuming never fail the level";
  }
}

TEST_F(GameBaseTest, LevelLoadingStartsTheLevelOfTheProfilesPosition) {
  Start();
  ToMenus();
  ProfileBase* anna = AddProfile(L"Anna");
  anna->SetCurrentLevel({1, 0});
  anna->SetGameCounter(2);
  game_->Post("start_game", 24);
  Frame();
  EXPECT_EQ(events_.Only("create level_data").back(), "create level_data 1 0");
  EXPECT_EQ(Answer("level_loading", 1), (Strings{"hide level_loading", "cursor 1", "create level 1 0",
                                                 "show game_logic 16", "active game_logic 1"}));
  EXPECT_EQ(game_->GetGameLogic()->gameCounter, 2u);
  auto* inGame = static_cast<GUIGameLogicWindowBase*>(game_->Window("game_logic"));
  EXPECT_EQ(inGame->level, game_->GetGameLogic());
  EXPECT_EQ(inGame->profile, anna);

  // The next level's keeper replaces this one; this one stays until the start after.
  GameTools::DataKeeper* first = game_->GetLevelData();
  game_->Post("game_logic", 16);
  Frame();
  game_->Post("game_menu", 17);
  Frame();
  game_->Post("restart", 13);
  Frame();
  game_->Post("start_game", 24);
  Frame();
  EXPECT_EQ(game_->previousLevelData.get(), first);
  EXPECT_NE(game_->GetLevelData(), first);
}

TEST_F(GameBaseTest, PositionOutsideTheLevelsStartsTheNearestLevel) {
  Start();
  ToMenus();
  ProfileBase* anna = AddProfile(L"Anna");
  // Written against a longer levels file.
  anna->SetCurrentLevel({7, 3});
  StartLevel();
  EXPECT_EQ(events_.Only("create level_data").back(), "create level_data 1 0");
  EXPECT_EQ(events_.Only("create level ").back(), "create level 1 0");
}

TEST_F(GameBaseTest, FinishedLevelMovesTheProfileOnAndShowsLevelComplete) {
  struct Case {
    LevelPosition played;
    LevelPosition next;
    bool last;
  };
  for (const Case& c :
       {Case{{0, 0}, {0, 1}, false}, Case{{0, 1}, {1, 0}, false}, Case{{1, 0}, {1, 0}, true}}) {
    SCOPED_TRACE(std::to_string(c.played.stage) + "-" + std::to_string(c.played.level));
    game_.reset();
    events_.list.clear();
    Start();
    ToMenus();
    ProfileBase* anna = AddProfile(L"Anna");
    anna->SetCurrentLevel(c.played);
    anna->SetScore(100);
    StartLevel();
    GameLogicBase* level = game_->GetGameLogic();
    level->SetScore(30);
    level->gameCounter = 2;
    level->PauseTimer(false);
    platform::headless::StepClockSeconds(12.0);
    level->SetState(GameLogicBase::kFinished);
    const std::size_t start = events_.list.size();
    Frame();
    EXPECT_EQ(events_.From(start), (Strings{"active game_logic 0", "show level_complete 17"}));
    EXPECT_EQ(anna->GetCurrentLevel(), c.next);
    EXPECT_EQ(anna->GetReachedLevel(), c.next);
    EXPECT_EQ(anna->IsGameCompleted(), c.last);
    EXPECT_EQ(anna->IsGameInProgress(), !c.last);
    EXPECT_EQ(anna->GetScore(), 130u);
    EXPECT_EQ(anna->GetGameCounter(), 2u);
    EXPECT_EQ(level->GetScore(), 0u);
    const GameResult* result = anna->FindResult(0, c.played);
    ASSERT_NE(result, nullptr);
    EXPECT_NEAR(result->time, 12.0f, 0.01f);
    const ProfileRecord* record = game_->GetProfileManager()->FindRecord(c.played, 0);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->name, L"Anna");
    auto* complete = static_cast<GUILevelCompleteWindowBase*>(game_->Window("level_complete"));
    EXPECT_EQ(LevelPosition({complete->stage, complete->level}), c.played);
    EXPECT_NEAR(complete->time, 12.0f, 0.01f);
  }
}

TEST_F(GameBaseTest, FailedLevelShowsGameOverAndItsScoreGoesToTheHighScores) {
  Start();
  ToMenus();
  ProfileBase* anna = AddProfile(L"Anna");
  anna->SetGameInProgress(true);
  anna->SetScore(100);
  StartLevel();
  game_->GetGameLogic()->SetScore(25);
  game_->GetGameLogic()->SetState(GameLogicBase::kFailed);
  std::size_t start = events_.list.size();
  Frame();
  EXPECT_EQ(events_.From(start), (Strings{"active game_logic 0", "show game_over 17"}));
  EXPECT_FALSE(anna->IsGameInProgress());

  EXPECT_EQ(Answer("game_over", 1),
            (Strings{"hide game_over", "show high_scores 25", "hide game_logic", "delete level"}));
  auto* scores = static_cast<GUIHighScoresWindowBase*>(game_->Window("high_scores"));
  ASSERT_NE(scores->entry, nullptr);
  EXPECT_EQ(scores->entry->score, 125u);
  EXPECT_EQ(scores->entry->name, L"Anna");
  EXPECT_EQ(anna->GetScore(), 100u) << "the level's score is not added to the profile";
}

TEST_F(GameBaseTest, AnswersGivenInShowChainThroughThePassesOfOneFrame) {
  Start();
  ToMenus();
  AddProfile(L"Anna");
  // Each window answers as it is shown; a window whose handler comes earlier in the pass waits for the
  // next pass, so the third pass takes the last link and the answer after it is dropped.
  game_->Script("new_profile")->answerOnShow = 9;
  game_->Script("name_conflict")->answerOnShow = 7;
  game_->Script("rename")->answerOnShow = 5;
  game_->Script("profiles")->answerOnShow = 3;
  EXPECT_EQ(Answer("delete", 6),
            (Strings{"hide delete", "show new_profile 13", "hide new_profile", "show name_conflict 11",
                     "hide name_conflict", "show rename 14", "hide rename", "show profiles 12"}));
  EXPECT_EQ(game_->Window("profiles")->result, 0u);
  EXPECT_TRUE(events_.Only("show main_menu 10").empty());

  // Handlers later in the same pass see an answer at once: level complete, stage complete and game
  // complete settle in the first pass.
  StartLevel();
  game_->Script("stage_complete")->answerOnShow = 22;
  game_->Script("game_complete")->answerOnShow = 1;
  game_->GetGameLogic()->SetPaused(true);
  game_->ClearWindowResults();
  EXPECT_EQ(
      Answer("level_complete", 21),
      (Strings{"hide level_complete", "show stage_complete 22", "hide stage_complete", "hide game_logic",
               "delete level", "show game_complete 23", "hide game_complete", "show main_menu 24"}));
}

TEST_F(GameBaseTest, LeavingALevelStepsTheProfileBackOneLevel) {
  struct Case {
    LevelPosition from;
    LevelPosition to;
  };
  for (const Case& c : {Case{{0, 1}, {0, 0}}, Case{{1, 0}, {0, 1}}, Case{{0, 0}, {0, 0}}}) {
    game_.reset();
    events_.list.clear();
    Start();
    ToMenus();
    ProfileBase* anna = AddProfile(L"Anna");
    anna->SetCurrentLevel(c.from);
    StartLevel();
    const std::size_t start = events_.list.size();
    game_->OnLeaveLevel();
    EXPECT_EQ(events_.From(start), (Strings{"hide game_logic", "delete level", "show start_game 6"}));
    EXPECT_EQ(anna->GetCurrentLevel(), c.to);
  }
}

TEST_F(GameBaseTest, MissingWindowsAreSkipped) {
  Start({"", {"welcome", "game_logic", "level_complete"}});
  ToMenus();
  EXPECT_EQ(events_.Only("show"), (Strings{"show logos 1", "show game_loading 2"}));
  AddProfile(L"Anna");
  StartLevel();
  game_->GetGameLogic()->SetState(GameLogicBase::kFinished);
  Frame();
  EXPECT_EQ(game_->GetProfileManager()->GetCurrentProfile()->GetCurrentLevel(), LevelPosition({0, 1}));
}

TEST_F(GameBaseTest, WithoutTheFocusTheLevelPausesOnceAndFramesOnlyKeepTheEngineAlive) {
  Start();
  ToMenus();
  AddProfile(L"Anna");
  StartLevel();
  auto* level = static_cast<frameworktest::RecordedLevel*>(game_->GetGameLogic());
  const int updates = level->updates;
  folder_.Windows().PushFocus(nullptr);
  PumpMessages();
  ASSERT_FALSE(game_->GetEngine()->GetWindow()->HasFocus());

  // The first frame pauses the level and opens the pause window, and runs to its end.
  std::size_t start = events_.list.size();
  Frame();
  EXPECT_EQ(events_.From(start), (Strings{"active game_logic 0", "show pause 1"}));
  EXPECT_EQ(level->state, GameLogicBase::kPaused);
  EXPECT_EQ(level->updates, updates + 1);
  EXPECT_EQ(game_->focusPaused, 1);

  // Later frames sleep 100 ms each and update nothing.
  const DWORD before = timeGetTime();
  start = events_.list.size();
  Frame();
  Frame();
  EXPECT_EQ(timeGetTime() - before, 200u);
  EXPECT_EQ(level->updates, updates + 1);
  EXPECT_TRUE(events_.From(start).empty());

  // The focus comes back: the level stays paused until the pause window is answered.
  PumpMessages();  // the window minimised itself meanwhile
  folder_.Windows().PushRestore(game_->GetEngine()->GetWindow()->GetHandle());
  PumpMessages();
  ASSERT_TRUE(game_->GetEngine()->GetWindow()->HasFocus());
  Frame();
  EXPECT_EQ(game_->focusPaused, 0);
  EXPECT_EQ(level->state, GameLogicBase::kPaused);
  EXPECT_TRUE(level->IsTimerPaused());
  EXPECT_EQ(level->updates, updates + 2);
  EXPECT_EQ(Answer("pause", 19), (Strings{"hide pause", "active game_logic 1"}));
  EXPECT_EQ(level->state, GameLogicBase::kRunning);
}

TEST_F(GameBaseTest, FocusLostOverAPausedLevelOrTheMenusKeepsTheTimerAsItWas) {
  Start();
  ToMenus();
  AddProfile(L"Anna");
  StartLevel();
  GameLogicBase* level = game_->GetGameLogic();
  // A menu over the level has paused it already.
  level->SetPaused(true);
  level->PauseTimer(false);
  folder_.Windows().PushFocus(nullptr);
  PumpMessages();
  const std::size_t start = events_.list.size();
  Frame();
  EXPECT_TRUE(events_.From(start).empty()) << "no pause window over a menu";
  EXPECT_TRUE(level->IsTimerPaused());
  EXPECT_EQ(game_->timerWasPaused, 0);
  PumpMessages();  // the window minimised itself meanwhile
  folder_.Windows().PushRestore(game_->GetEngine()->GetWindow()->GetHandle());
  PumpMessages();
  Frame();
  EXPECT_FALSE(level->IsTimerPaused()) << "the timer's earlier state comes back";
}

TEST_F(GameBaseTest, WindowModeSwitchIsComparedTwoFramesAfterTheCommand) {
  Start();
  ToMenus();
  CorvantisEngine::Config& config = *game_->config;
  CorvantisEngine::Window& window = *game_->GetEngine()->GetWindow();
  ASSERT_TRUE(window.IsFullScreen());
  config.SetValueText("v_fullscreen", "0");
  config.SetBool("v_window_change_mode", false);
  Frame();
  EXPECT_EQ(game_->modeChangeFrames, 1u);
  EXPECT_TRUE(config.GetBool("g_update_video_mode"));
  Frame();
  EXPECT_EQ(game_->modeChangeFrames, 0u);
  EXPECT_TRUE(config.GetBool("v_window_change_mode")) << "re-armed";
  EXPECT_FALSE(config.GetBool("g_update_video_mode")) << "issued for the next frame";
  EXPECT_TRUE(window.IsFullScreen());
  Frame();
  EXPECT_TRUE(config.GetBool("g_update_video_mode"));
  EXPECT_FALSE(window.IsFullScreen());
}

TEST_F(GameBaseTest, DeviceResetRunsBeforeTheFrameAndLocksTheInput) {
  Start();
  ToMenus();
  CorvantisEngine::RenderSystem& render = *game_->GetEngine()->GetRenderSystem();
  render.resetNeeded = true;
  // The key that caused the reset is still held.
  platform::headless::PushKey(0x1C, true);
  Frame();
  EXPECT_FALSE(render.IsResetNeeded());
  EXPECT_TRUE(game_->GetEngine()->GetControls()->IsInputLocked());
}

TEST_F(GameBaseTest, DebugCommandsWriteTheirLinesOncePerIssue) {
  Start();
  CorvantisEngine::Config& config = *game_->config;
  CorvantisEngine::TextureManager& textures = *game_->GetEngine()->GetShaderManager()->GetTextureManager();
  for (const char* name : {"first.bmp", "second.bmp", "third.bmp"}) {
    auto* image = new CorvantisEngine::Image();
    image->Create(nullptr, 64, 64, 32);
    textures.CreateTexture(true, false, name, "", image, nullptr);
  }
  std::vector<CorvantisEngine::Texture2D*> list;
  textures.GetTextureNames(list);

  config.SetBool("d_get_loaded_textures", false);
  config.SetBool("d_get_loaded_textures", false);
  game_->GetEngine()->GetMessageManager()->ClearRecords();
  game_->ExecuteDebugCommands();
  game_->ExecuteDebugCommands();
  std::string expected;
  for (std::size_t i = 0; i < list.size(); ++i)
    expected += "Texture " + std::to_string(i) + ": " + list[i]->GetKey() + "\n";
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(LastLogLines(3), expected);
  EXPECT_EQ(game_->GetEngine()->GetMessageManager()->GetRecordCount(), static_cast<int>(list.size()));
  EXPECT_TRUE(config.GetBool("d_get_loaded_textures")) << "re-armed";

  config.SetBool("d_get_manages_occupation", false);
  config.SetBool("d_get_used_video_memory_size", false);
  game_->ExecuteDebugCommands();
  const std::string lines = LastLogLines(6);
  const std::string megabytes =
      CorvantisEngine::FloatToString(static_cast<float>(textures.GetVideoMemoryUsed() / 1048576.0), 2);
  EXPECT_EQ(lines.rfind("Video Memory Used: " + megabytes + " Mb\nShader users count: ", 0), 0u) << lines;
  for (const char* text : {"\nShaders count: ", "\nTextures count: ", "\nModels count: ", "\nSounds count: "})
    EXPECT_NE(lines.find(text), std::string::npos) << text;
  EXPECT_NE(lines.find("Textures count: " + std::to_string(textures.GetTextureCount()) + "\n"),
            std::string::npos);
}

TEST_F(GameBaseTest, StatisticsSwitchIsSavedAndTheCommandsAreNot) {
  Start();
  CorvantisEngine::Config& config = *game_->config;
  config.SetValueText("d_show_statistics", "1");
  config.SetBool("d_get_loaded_textures", false);
  const std::string ini = config.GetIniPath();
  config.Save();
  game_.reset();
  const std::string text = folder_.Folder().Read("user/Test Maker/Test Game/Test Game.ini");
  EXPECT_NE(text.find("d_show_statistics 1"), std::string::npos) << text;
  EXPECT_EQ(text.find("d_get_"), std::string::npos) << text;
  EXPECT_EQ(text.find("g_update_video_mode"), std::string::npos) << text;
}

TEST_F(GameBaseTest, AudioFilesAreWaveWhenThereIsOneElseOgg) {
  folder_.Write("base/data/audio/menu/click.wav", "RIFF");
  Start();
  EXPECT_EQ(game_->GetAudioFileName("menu", "click"), "audio\\menu\\click.wav");
  EXPECT_EQ(game_->GetAudioFileName("menu", "nothing"), "audio\\menu\\nothing.ogg");
}

TEST_F(GameBaseTest, StartUpErrorIsWrittenToTheLog) {
  GameFolder folder;
  Events events;
  EXPECT_THROW(TestGame(folder, &events, {"profile_manager", {}}), CorvantisEngine::FileError);
  const std::string log = folder.Folder().Read("user/Test Maker/Test Game/Test Game.html");
  EXPECT_NE(log.find("Broken profile_manager"), std::string::npos);
}

}  // namespace
}  // namespace GameFramework
