// The puzzle game object: its start values, the sounds and music it registers, the menu and in-game
// music through the window flow (the two game tracks in turn), and the relax-mode offer after a lost
// level. Windows are the framework tests' recording stand-ins.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUISoundManager.h"
#include "engine/sound/Sound.h"
#include "engine/window/Window.h"
#include "framework/AudioManager.h"
#include "framework/MusicTrack.h"
#include "game/Content.h"
#include "game/Game.h"
#include "game/LevelManager.h"
#include "game/windows/GUINoticeWindow.h"
#include "platform/win32/WinMessages.h"
#include "tests/engine/sound/SoundFixtures.h"
#include "tests/framework/TestGame.h"

namespace Puzzle {
namespace {

using GameFramework::frameworktest::Events;
using GameFramework::frameworktest::GameFolder;
using GameFramework::frameworktest::Recorded;
using GameFramework::frameworktest::RecordedGameLogicWindow;
using GameFramework::frameworktest::RecordedLevel;
using Strings = std::vector<std::string>;
namespace gf = GameFramework;

// The puzzle game with recording windows in the slots the test drives.
class RecordedPuzzleGame : public Game {
 public:
  RecordedPuzzleGame(const GameFolder& folder, Events* events)
      : Game(kMaker, kTitle, kVersion, DelayedInit{}), events_(events) {
    baseFolder = folder.Base();
    Init();
  }

  void Post(gf::GUIFrameworkWindow* window, std::uint32_t result) { window->result = result; }
  gf::GUIFrameworkWindow* Logos() const { return logosWindow.get(); }
  gf::GUIFrameworkWindow* GameLoading() const { return gameLoadingWindow.get(); }
  gf::GUIFrameworkWindow* LevelLoading() const { return levelLoadingWindow.get(); }
  gf::GUIFrameworkWindow* StartGame() const { return startGameWindow.get(); }
  gf::GUIFrameworkWindow* MenuExit() const { return menuExitWindow.get(); }
  gf::GUIFrameworkWindow* GameOver() const { return gameOverWindow.get(); }
  gf::GUIFrameworkWindow* Relax() const { return relaxWindow.get(); }
  using Game::audioManager;
  using Game::gameLogic;

 protected:
  std::unique_ptr<gf::GUILogosWindowBase> CreateLogosWindow() override {
    return std::make_unique<Recorded<gf::GUILogosWindowBase>>(events_, "logos");
  }
  std::unique_ptr<gf::GUILoadingWindowBase> CreateGameLoadingWindow() override {
    return std::make_unique<Recorded<gf::GUILoadingWindowBase>>(events_, "game_loading", engine.get());
  }
  std::unique_ptr<gf::GUILoadingWindowBase> CreateGameLogicLoadingWindow() override {
    return std::make_unique<Recorded<gf::GUILoadingWindowBase>>(events_, "level_loading", engine.get());
  }
  std::unique_ptr<gf::GUIMainMenuWindowBase> CreateMainMenuWindow() override {
    return std::make_unique<Recorded<gf::GUIMainMenuWindowBase>>(events_, "main_menu");
  }
  std::unique_ptr<gf::GUIWelcomeWindowBase> CreateWelcomeWindow() override {
    return std::make_unique<Recorded<gf::GUIWelcomeWindowBase>>(events_, "welcome", profileManager.get());
  }
  std::unique_ptr<gf::GUIStartGameLogicWindowBase> CreateStartGameLogicWindow() override {
    return std::make_unique<Recorded<gf::GUIStartGameLogicWindowBase>>(events_, "start_game");
  }
  std::unique_ptr<gf::GUIGameLogicWindowBase> CreateGameLogicWindow() override {
    return std::make_unique<RecordedGameLogicWindow>(events_, "game_logic", engine.get(),
                                                     profileManager.get());
  }
  std::unique_ptr<gf::GUIGameLogicMenuExitWindowBase> CreateGameLogicMenuExitWindow() override {
    return std::make_unique<Recorded<gf::GUIGameLogicMenuExitWindowBase>>(events_, "menu_exit");
  }
  std::unique_ptr<gf::GUIGameOverWindowBase> CreateGameOverWindow() override {
    return std::make_unique<Recorded<gf::GUIGameOverWindowBase>>(events_, "game_over");
  }
  std::unique_ptr<gf::GUIFrameworkWindow> CreateRelaxWindow() override {
    return std::make_unique<Recorded<gf::GUIFrameworkWindow>>(events_, "relax");
  }
  // Windows this test does not drive.
  std::unique_ptr<GUINoticeWindow> CreateNoticeWindow() override { return nullptr; }
  std::unique_ptr<gf::GUIExitWindowBase> CreateExitWindow() override { return nullptr; }
  std::unique_ptr<gf::GUIProfilesWindowBase> CreateProfilesWindow() override { return nullptr; }
  std::unique_ptr<gf::GUINewProfileWindowBase> CreateNewProfileWindow() override { return nullptr; }
  std::unique_ptr<gf::GUIRenameProfileWindowBase> CreateRenameProfileWindow() override { return nullptr; }
  std::unique_ptr<gf::GUIDeleteProfileWindowBase> CreateDeleteProfileWindow() override { return nullptr; }
  std::unique_ptr<gf::GUIProfileNameConflictWindowBase> CreateProfileNameConflictWindow() override {
    return nullptr;
  }
  std::unique_ptr<gf::GUIOptionsWindowBase> CreateOptionsWindow() override { return nullptr; }
  std::unique_ptr<gf::GUIHelpWindowBase> CreateHelpWindow() override { return nullptr; }
  std::unique_ptr<gf::GUIGameCursorBase> CreateGameCursor() override { return nullptr; }
  std::unique_ptr<gf::GUIContinueGameLogicWindowBase> CreateContinueGameLogicWindow() override {
    return nullptr;
  }
  std::unique_ptr<gf::GUIHighScoresWindowBase> CreateHighScoresWindow() override { return nullptr; }
  std::unique_ptr<gf::GUIGameLogicPauseWindowBase> CreateGameLogicPauseWindow() override { return nullptr; }
  std::unique_ptr<gf::GUIGameLogicMenuWindowBase> CreateGameLogicMenuWindow() override { return nullptr; }
  std::unique_ptr<gf::GUIGameLogicRestartWindowBase> CreateGameLogicRestartWindow() override {
    return nullptr;
  }
  std::unique_ptr<gf::GUIGameLogicGameExitWindowBase> CreateGameLogicGameExitWindow() override {
    return nullptr;
  }
  std::unique_ptr<gf::GUILevelCompleteWindowBase> CreateLevelCompleteWindow() override { return nullptr; }
  std::unique_ptr<gf::GUIStageCompleteWindowBase> CreateStageCompleteWindow() override { return nullptr; }
  std::unique_ptr<gf::GUIGameCompleteWindowBase> CreateGameCompleteWindow() override { return nullptr; }
  std::unique_ptr<gf::GameLogicBase> CreateGameLogic(gf::StageRecord* stage, gf::LevelRecord* level,
                                                     std::uint32_t counter) override {
    return std::make_unique<RecordedLevel>(engine.get(), stage, level, counter, events_);
  }

 private:
  Events* events_;
};

class GameTest : public testing::Test {
 protected:
  GameTest() {
    folder_.Write("base/data/ui/background/resources_basic.xml", "<resources>\n</resources>\n");
    folder_.Write("base/data/ui/background/resources_additional.xml", "<resources>\n</resources>\n");
    folder_.Write("base/data/game_objects/resources.xml", "<resources>\n</resources>\n");
    // A catalogue of one theme with one picture and one puzzle.
    folder_.Write("base/data/themes/themes.xml",
                  "<content><theme_cost>100</theme_cost><picture_cost>10</picture_cost></content>\n");
    folder_.Write("base/data/themes/forest/00.jpg", "x");
    folder_.Write("base/data/puzzles/00/puzzle.xml", "<content><puzzle_cost>0</puzzle_cost></content>\n");
    folder_.Write("base/data/puzzles/00/puzzle_00.pzf", "x");
  }
  void WriteSound(const std::string& group, const std::string& name) {
    const soundtest::Bytes wave = soundtest::Wav(1, 22050, 16, soundtest::Bytes(64, 0));
    folder_.Write("base/data/audio/" + group + "/" + name + ".wav", std::string(wave.begin(), wave.end()));
  }
  void Start() { game_ = std::make_unique<RecordedPuzzleGame>(folder_, &events_); }
  void Frame() { game_->Frame(); }
  void Answer(gf::GUIFrameworkWindow* window, std::uint32_t result) {
    game_->Post(window, result);
    Frame();
  }
  // To the menus with a player, then into a level.
  void ToMenus() {
    Answer(game_->Logos(), 1);
    Answer(game_->GameLoading(), 1);
    gf::ProfileManagerBase* profiles = game_->GetProfileManager();
    profiles->SetCurrentProfile(profiles->AddProfile(L"Anna"), true);
  }
  void PlayLevel() {
    Answer(game_->StartGame(), 24);
    Answer(game_->LevelLoading(), 1);
  }
  std::uint32_t ChannelTrack(std::uint32_t channel) const {
    gf::MusicTrack* track = game_->audioManager->GetChannelTrack(channel);
    return track != nullptr ? track->GetTrackId() : 99;
  }

  GameFolder folder_;
  Events events_;
  std::unique_ptr<RecordedPuzzleGame> game_;
};

TEST_F(GameTest, StartsInItsVideoModeWithItsVolumesAndTheLevelsFile) {
  Start();
  const CorvantisEngine::EngineStartParameters& parameters = game_->GetEngine()->GetParameters();
  EXPECT_EQ(parameters.defaultVideoMode, "1024x768x32");
  EXPECT_EQ(parameters.iconId, 101u);
  EXPECT_EQ(parameters.stencilRequested, 1);
  EXPECT_EQ(parameters.name, "Brindlewick");
  EXPECT_EQ(game_->GetSaveFolder(),
            CorvantisEngine::FileManager::GetUserDataFolder() + "\\Pellucan Games\\Brindlewick");
  EXPECT_FLOAT_EQ(game_->GetAudioManager()->GetMusicVolume(), 0.285f);
  EXPECT_FLOAT_EQ(game_->GetAudioManager()->GetSoundVolume(), 0.315f);
  EXPECT_EQ(game_->GetLevelManager()->GetStageCount(), 2u);
  ASSERT_NE(game_->GetContent(), nullptr);
  EXPECT_EQ(game_->GetContent()->themeCount, 1u);
  EXPECT_EQ(events_.list.back(), "show logos 1");
}

TEST_F(GameTest, SoundsAndMusicAreRegisteredInOrderWaveFirstElseOgg) {
  const std::vector<std::pair<const char*, const char*>> waves = {
      {"menu", "window_appear"}, {"menu", "window_disappear"}, {"menu", "volume_slider"},
      {"menu", "charge_score"},  {"game", "level_begin"},      {"game", "element_put_0"},
      {"game", "path_begin"},    {"menu", "button_click"},     {"menu", "button_select_0"}};
  for (const auto& [group, name] : waves)
    WriteSound(group, name);
  Start();
  const auto& voices = game_->GetAudioManager()->GetVoices();
  std::vector<std::uint32_t> ids;
  for (const auto& voice : voices)
    ids.push_back(voice->soundId);
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{1, 2, 0, 3, 4, 8, 23})) << "unreadable files give no voice";
  EXPECT_EQ(voices[0]->fileName, "audio\\menu\\window_appear.wav");
  EXPECT_EQ(voices[2]->loop, 1) << "the slider's sound loops";
  EXPECT_EQ(voices[4]->loop, 0);
  EXPECT_EQ(voices[6]->loop, 1);

  const auto& tracks = game_->GetAudioManager()->GetTracks();
  ASSERT_EQ(tracks.size(), 3u);
  EXPECT_EQ(tracks[0]->GetTrackId(), Music::kMenuTrack);
  EXPECT_EQ(tracks[2]->GetTrackId(), Music::kGameTrack1);
  EXPECT_EQ(game_->GetAudioFileName("music", "game1"), "audio\\music\\game1.ogg");
  EXPECT_EQ(game_->GetAudioFileName("game", "level_begin"), "audio\\game\\level_begin.wav");

  // The widgets' click and the first selection sound, under their ids; the second selection file of
  // id 0 is missing.
  auto& widgetSounds = game_->GetEngine()->GetGUIManager()->GetSoundManager()->sounds;
  for (std::uint32_t id : {0u, 1u, 2u, 9u})
    EXPECT_EQ(widgetSounds[id].size(), 1u) << id;
  EXPECT_TRUE(widgetSounds[10].empty());
}

TEST_F(GameTest, MenuMusicAfterTheLogosAndTheGameTracksTakeTurnsLevelByLevel) {
  Start();
  EXPECT_EQ(ChannelTrack(Music::kMenuChannel), 99u) << "silent during the logos";
  ToMenus();
  EXPECT_EQ(ChannelTrack(Music::kMenuChannel), Music::kMenuTrack);
  std::vector<std::uint32_t> played;
  for (int level = 0; level < 3; ++level) {
    PlayLevel();
    ASSERT_NE(game_->gameLogic, nullptr);
    played.push_back(ChannelTrack(Music::kGameChannel));
    // Leave to the menu: the menu music comes back.
    game_->GetGameLogic()->SetPaused(true);
    Answer(game_->MenuExit(), 3);
    EXPECT_EQ(game_->gameLogic, nullptr);
    EXPECT_EQ(ChannelTrack(Music::kMenuChannel), Music::kMenuTrack);
  }
  EXPECT_EQ(played, (std::vector<std::uint32_t>{Music::kGameTrack0, Music::kGameTrack1, Music::kGameTrack0}));
}

TEST_F(GameTest, FocusLossPausesTheMusicAtOnceAndItsReturnFadesItBackIn) {
  WriteSound("music", "menu");
  Start();
  ToMenus();
  Frame();
  gf::AudioManager& audio = *game_->audioManager;
  ASSERT_EQ(audio.GetChannelState(Music::kMenuChannel), CorvantisEngine::Sound::kPlaying);
  const auto pump = [] {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  };
  folder_.Windows().PushFocus(nullptr);
  pump();
  Frame();
  EXPECT_EQ(audio.GetChannelState(Music::kMenuChannel), CorvantisEngine::Sound::kPaused) << "no fade";
  pump();  // the window minimised itself meanwhile
  folder_.Windows().PushRestore(game_->GetEngine()->GetWindow()->GetHandle());
  pump();
  Frame();
  gf::MusicTrack* track = audio.GetChannelTrack(Music::kMenuChannel);
  EXPECT_EQ(audio.GetChannelState(Music::kMenuChannel), CorvantisEngine::Sound::kPlaying);
  EXPECT_EQ(track->GetFadeState(), gf::MusicTrack::kFadeIn);
  EXPECT_FLOAT_EQ(track->GetFadeSpeed(), 0.5f);
}

TEST_F(GameTest, LostLevelOffersRelaxModeAndComesBackToGameOver) {
  Start();
  ToMenus();
  PlayLevel();
  game_->GetGameLogic()->SetState(gf::GameLogicBase::kFailed);
  Frame();
  std::size_t start = events_.list.size();
  Answer(game_->GameOver(), 25);
  EXPECT_EQ(events_.From(start), (Strings{"hide game_over", "show relax 25"}));
  start = events_.list.size();
  Answer(game_->Relax(), 20);
  EXPECT_EQ(events_.From(start), (Strings{"hide relax", "show game_over 26"}));
  EXPECT_NE(game_->gameLogic, nullptr) << "the lost level stays until game over is answered";
  // Game over's final answer leaves the level and brings the menu music back.
  start = events_.list.size();
  Answer(game_->GameOver(), 1);
  EXPECT_EQ(game_->gameLogic, nullptr);
  EXPECT_EQ(ChannelTrack(Music::kMenuChannel), Music::kMenuTrack);
}

TEST_F(GameTest, RelaxWindowIsMadeAfterTheOtherWindowsAndAnswersWithinTheFrame) {
  Start();
  Answer(game_->Logos(), 1);
  const std::size_t start = events_.list.size();
  Answer(game_->GameLoading(), 1);
  const Strings created = events_.Only("create", start);
  ASSERT_FALSE(created.empty());
  EXPECT_EQ(created.back(), "create relax");
  // An answer the relax window gives as it is shown is handled in the next pass of the same frame.
  static_cast<Recorded<gf::GUIFrameworkWindow>*>(game_->Relax())->answerOnShow = 20;
  gf::ProfileManagerBase* profiles = game_->GetProfileManager();
  profiles->SetCurrentProfile(profiles->AddProfile(L"Anna"), true);
  PlayLevel();
  game_->GetGameLogic()->SetState(gf::GameLogicBase::kFailed);
  Frame();
  const std::size_t offer = events_.list.size();
  Answer(game_->GameOver(), 25);
  EXPECT_EQ(events_.From(offer),
            (Strings{"hide game_over", "show relax 25", "hide relax", "show game_over 26"}));
}

}  // namespace
}  // namespace Puzzle
