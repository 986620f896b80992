// The whole game on the built data, on the real SDL and OpenGL back end under an X display (sound on
// SDL's dummy driver): the logos and the loading, a new player made in the welcome window, the main menu,
// the options (the sound turned down), the start-game window's first theme, picture and cut at the
// fewest pieces, the level played to the end by mouse clicks on the pieces and their slots (read from the
// play logic), a device reset and a lost focus in the middle of it, the level-complete window, the next
// level, and quit through its close button. Afterwards the player's file, the high scores, the ini (the
// sound volume) and the log are checked. A second, shorter game (two levels, the picture cut in two) turns
// the full screen off in the options, loses a level on purpose with the right button held to hurry the
// tray, takes the relax-mode offer after the game-over window and quits from the main menu; the ini keeps
// the window. Each screen is written as a PPM beside the test ("end_to_end_*.ppm" in the build's tests
// folder).
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "engine/Engine.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem.h"
#include "engine/window/Window.h"
#include "framework/AudioManager.h"
#include "framework/GUIFrameworkWindow.h"
#include "framework/GameLogicBase.h"
#include "framework/ProfileManagerBase.h"
#include "game/Game.h"
#include "game/GameLogic.h"
#include "game/Profile.h"
#include "game/Puzzle.h"
#include "game/PuzzleDepository.h"
#include "game/PuzzleElement.h"
#include "game/windows/GUIMenuWindow.h"
#include "game/windows/GUIMenuWindowManager.h"
#include "platform/sdl/SdlBackend.h"
#include "tests/game/GameFlowFixture.h"
#include "tests/game/windows/InputScript.h"
#include "tests/support/SdlEvents.h"

namespace Puzzle {
namespace {

namespace fs = std::filesystem;
using CorvantisEngine::Vector2;
using Clock = std::chrono::steady_clock;
using testsupport::sdl::PushButton;
using testsupport::sdl::PushText;
using testsupport::sdl::PushWindowEvent;
using testsupport::sdl::WindowId;

// Factory order of the windows (GameBase::GetWindows).
constexpr std::size_t kWelcome = 3;
constexpr std::size_t kExit = 4;
constexpr std::size_t kMainMenu = 5;
constexpr std::size_t kStartGame = 11;
constexpr std::size_t kOptions = 14;
constexpr std::size_t kGameLogic = 16;
constexpr std::size_t kPause = 17;
constexpr std::size_t kGameExit = 21;
constexpr std::size_t kLevelComplete = 22;
constexpr std::size_t kGameOver = 25;

// Seconds a step may take at most (the logos alone take some seconds of real time).
constexpr double kStepSeconds = 60.0;

class GameEndToEndTest : public flowtest::GameFlowFixture {
 protected:
  GameEndToEndTest() {
    // The fixture installs the headless back ends: this test runs on the real ones, its sound on SDL's
    // dummy driver (a machine that runs the tests may have no sound device; one given on purpose stays).
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::sdl::InstallBackend();
  }
  ~GameEndToEndTest() override {
    input_.reset();
    game_.reset();
  }

  void Start() {
    game_ = std::make_unique<Game>(Game::kMaker, Game::kTitle, Game::kVersion);
    input_ = std::make_unique<windowstest::InputScript>(game_->GetEngine(), [this] { game_->Frame(); });
  }

  GUIMenuWindow* Window(std::size_t slot) const {
    return dynamic_cast<GUIMenuWindow*>(game_->GetWindows()[slot]);
  }
  bool Active(std::size_t slot) const {
    GUIMenuWindow* window = Window(slot);
    return window != nullptr && window->IsActive();
  }
  GameLogic* Logic() const { return dynamic_cast<GameLogic*>(game_->GetGameLogic()); }
  // The relax-mode offer is the game's own window.
  GUIMenuWindow* RelaxOffer() const { return dynamic_cast<GUIMenuWindow*>(game_->GetRelaxWindow()); }

  // Frames until the condition holds or the time runs out.
  bool Until(const std::function<bool()>& done, double seconds = kStepSeconds) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
      if (Clock::now() > end || game_->IsQuit())
        return done();
      input_->Frames(1);
    }
    return true;
  }
  // Frames for that long.
  void Wait(double seconds) {
    Until([] { return false; }, seconds);
  }

  void ClickAt(const Vector2& gui) {
    input_->PointAt(gui);
    input_->Frames(2);
    PushButton(true);
    input_->Frames(1);
    PushButton(false);
    input_->Frames(2);
  }
  void Click(std::size_t slot, const std::string& control) {
    ClickOn(dynamic_cast<GUITools::GUIWindowBase*>(game_->GetWindows()[slot]), control);
  }
  void ClickOn(GUITools::GUIWindowBase* window, const std::string& control) {
    ASSERT_NE(window, nullptr);
    const GUITools::GUIControl* found = window->GetControl(window->GetName() + control);
    ASSERT_TRUE(found != nullptr && found->GetElement() != nullptr) << window->GetName() << control;
    ClickAt(windowstest::InputScript::Middle(*found->GetElement()));
  }
  void Type(const std::string& text) {
    for (char c : text) {
      PushText(c);
      input_->Frames(1);
    }
  }

  // The last presented frame as a binary PPM in the test's working folder.
  void Shot(const std::string& name) {
    CorvantisEngine::Image image;
    game_->GetEngine()->GetRenderSystem()->CopyScreenToImage(&image);
    const std::uint32_t width = image.GetWidth();
    const std::uint32_t height = image.GetHeight();
    ASSERT_GT(width, 0u) << name;
    std::ofstream out("end_to_end_" + name + ".ppm", std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    // The capture's rows run bottom-up; a PPM's run top-down.
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    for (std::uint32_t y = height; y-- > 0;)
      out.write(reinterpret_cast<const char*>(image.GetPixels() + y * row),
                static_cast<std::streamsize>(row));
  }

  // The logos, the loading, the welcome window of a game without players; a new player by that name
  // reaches the main menu. Screens are named from `shot` on.
  void NewPlayer(const std::string& name, const std::string& shot) {
    ASSERT_TRUE(Until([&] { return Active(kWelcome); })) << "the logos and the loading end";
    Wait(1.0);
    Shot(shot + "_welcome");
    Type(name);
    Click(kWelcome, "/window/button_1");
    ASSERT_TRUE(Until([&] { return Active(kMainMenu); })) << "the new player reaches the main menu";
    ASSERT_EQ(game_->GetProfileManager()->GetProfiles().size(), 1u);
    Wait(1.0);
    Shot(shot + "_main_menu");
  }
  // From the main menu, the start-game window: the first theme, picture and cut, the fewest pieces;
  // the level runs.
  void StartSmallestLevel(const std::string& shot) {
    Click(kMainMenu, "/window/start");
    ASSERT_TRUE(Until([&] { return Active(kStartGame); }));
    Wait(1.0);
    Click(kStartGame, "/window/themes/theme_00");
    Click(kStartGame, "/window/pictures/picture_00");
    Click(kStartGame, "/window/puzzles/puzzle_00");
    Click(kStartGame, "/window/puzzle_size_0");
    Shot(shot + "_start_game");
    Click(kStartGame, "/window/button_1");
    ASSERT_TRUE(Until([&] {
      return Logic() != nullptr && Logic()->state == GameFramework::GameLogicBase::kRunning;
    })) << "the level starts";
  }

  // One piece from the tray to its slot: a click on a piece the tray shows, then a click that puts the
  // piece in hand on its slot. False when no piece could be taken.
  bool PlaceOnePiece() {
    GameLogic* logic = Logic();
    PuzzleDepository* tray = logic->GetDepository();
    ::Puzzle::Puzzle* board = logic->GetBoard();
    PuzzleElement* piece = nullptr;
    for (const auto& entry : tray->GetQueue()) {
      const Vector2 at = entry->piece != nullptr ? entry->piece->GetPosition() : Vector2{};
      if (entry->piece != nullptr && entry->IsVisible() && at.x > 0 && at.x < 800 && at.y > 0 && at.y < 600) {
        piece = entry->piece;
        break;
      }
    }
    if (piece == nullptr)
      return false;
    ClickAt(piece->GetPosition());
    if (piece->taken == 0)
      return false;
    // The piece hangs a little off the pointer: aim so that the piece itself lands on the slot.
    const Vector2 slot = board->GetSlotContainer()->GetAbsolutePosition() +
                         board->GetSlots()[piece->GetIndex()]->GetPosition();
    Vector2 aim = slot;
    for (int i = 0; i < 3; ++i) {
      input_->PointAt(aim);
      input_->Frames(2);
      aim = aim + (slot - piece->GetPosition());
    }
    PushButton(true);
    input_->Frames(1);
    PushButton(false);
    input_->Frames(2);
    return true;
  }

  std::string ReadSaved(const std::string& relative) const {
    std::ifstream in(SaveFolder() / relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // A value the ini file holds ("name value" lines), empty when it holds none.
  std::string IniValue(const std::string& name) const {
    std::istringstream lines(ReadSaved(std::string(Game::kTitle) + ".ini"));
    std::string line;
    while (std::getline(lines, line)) {
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      if (line.rfind(name + " ", 0) == 0)
        return line.substr(name.size() + 1);
    }
    return {};
  }
  static bool FullScreenOnScreen() {
    SDL_Window* window = SDL_GetWindowFromID(WindowId());
    SDL_Rect desktop{};
    if (window == nullptr || SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &desktop) != 0)
      return false;
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    return width == desktop.w && height == desktop.h;
  }
  void ExpectCleanLog() const {
    const std::string log = ReadSaved(std::string(Game::kTitle) + ".html");
    EXPECT_NE(log.find("Level Manager"), std::string::npos);
    EXPECT_EQ(log.find("rror"), std::string::npos) << log;
  }

  std::unique_ptr<Game> game_;
  std::unique_ptr<windowstest::InputScript> input_;
};

TEST_F(GameEndToEndTest, ANewPlayerPlaysTheFirstLevelToTheEndAndQuits) {
  if (!HasPack())
    GTEST_SKIP() << "the data pack is not built";
  Start();

  ASSERT_NO_FATAL_FAILURE(NewPlayer("Anna", "01"));

  // The options: a click near the left end of the sound slider turns the effects down; OK keeps it.
  Click(kMainMenu, "/window/options");
  ASSERT_TRUE(Until([&] { return Active(kOptions); }));
  Wait(1.0);
  const float soundBefore = game_->GetAudioManager()->GetSoundVolume();
  {
    const GUITools::GUIControl* slider =
        Window(kOptions)->GetControl(Window(kOptions)->GetName() + "/window/sound");
    ASSERT_TRUE(slider != nullptr && slider->GetElement() != nullptr);
    const CorvantisEngine::GUIWindow& widget = *slider->GetElement();
    ClickAt(widget.GetAbsolutePosition() + Vector2{widget.size.x * 0.05f, widget.size.y * 0.5f});
  }
  Shot("02b_options");
  Click(kOptions, "/window/button_2");
  ASSERT_TRUE(Until([&] { return Active(kMainMenu); }));
  const float soundAfter = game_->GetAudioManager()->GetSoundVolume();
  EXPECT_LT(soundAfter, soundBefore);
  Wait(1.0);

  ASSERT_NO_FATAL_FAILURE(StartSmallestLevel("03"));
  // The pieces come into the tray.
  Wait(4.0);
  Shot("04_level");

  GameLogic* logic = Logic();
  ::Puzzle::Puzzle* board = logic->GetBoard();
  const std::size_t pieces = board->GetSlots().size();
  ASSERT_GT(pieces, 0u);
  bool resetDone = false;
  bool focusDone = false;
  const auto end = Clock::now() + std::chrono::duration<double>(120.0);
  while (!board->IsComplete() && Clock::now() < end && Logic() == logic) {
    const std::uint32_t before = board->GetPlacedCount();
    if (!PlaceOnePiece()) {
      input_->Frames(5);
      continue;
    }
    if (before < board->GetPlacedCount() && board->GetPlacedCount() == pieces / 2 && !resetDone) {
      // Half way: the device is reset, then the window loses the focus and gets it back.
      resetDone = true;
      Shot("05_half_placed");
      game_->GetEngine()->GetRenderSystem()->Reset(3);
      input_->Frames(5);
      EXPECT_EQ(board->GetPlacedCount(), before + 1) << "the reset keeps the placed pieces";
      PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
      ASSERT_TRUE(Until([&] { return Active(kPause); }, 10.0)) << "a lost focus pauses the level";
      EXPECT_EQ(logic->state, GameFramework::GameLogicBase::kPaused);
      Shot("06_paused");
      // The player brings the (minimised) window back.
      // (No window manager runs here to give the restored window the keyboard: the test does.)
      SDL_Window* window = SDL_GetWindowFromID(WindowId());
      ASSERT_NE(window, nullptr);
      Wait(2.0);
      SDL_RestoreWindow(window);
      SDL_ShowWindow(window);
      Wait(1.0);
      SDL_SetWindowInputFocus(window);
      Wait(0.5);
      PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
      ASSERT_TRUE(Until([&] { return game_->GetEngine()->GetWindow()->HasFocus(); }, 10.0));
      input_->Frames(5);
      focusDone = true;
      Wait(3.0);
      Shot("07_pause_window");
      Click(kPause, "/window/button_0");

      ASSERT_TRUE(Until([&] { return logic->state == GameFramework::GameLogicBase::kRunning; }, 10.0))
          << "the level runs again";
      EXPECT_EQ(board->GetPlacedCount(), before + 1);
    }
  }
  EXPECT_TRUE(resetDone);
  EXPECT_TRUE(focusDone);
  ASSERT_TRUE(board->IsComplete()) << board->GetPlacedCount() << " of " << pieces << " placed";
  ASSERT_TRUE(Until([&] { return Active(kLevelComplete); })) << "the level-complete window";
  // The window lets the finished picture be seen for a moment before it comes.
  Wait(3.0);
  Shot("08_level_complete");

  // The level-complete window leads to the next level; the close button there and the confirmation quit
  // the game.
  Click(kLevelComplete, "/window/button_0");
  ASSERT_TRUE(Until([&] {
    return Logic() != nullptr && Logic() != logic && Logic()->state == GameFramework::GameLogicBase::kRunning;
  })) << "the next level starts";
  Wait(3.0);
  Shot("09_next_level");
  Click(kGameLogic, "/close");
  ASSERT_TRUE(Until([&] { return Active(kGameExit); }, 10.0)) << "the close button asks first";
  Wait(1.0);
  Shot("10_game_exit");
  Click(kGameExit, "/window/button_1");
  ASSERT_TRUE(Until([&] { return game_->IsQuit(); }, 10.0)) << "the confirmation quits";
  input_.reset();
  game_.reset();

  // What the game left on disk.
  EXPECT_TRUE(fs::exists(SaveFolder() / "profiles.pmf"));
  EXPECT_TRUE(fs::exists(SaveFolder() / "high_scores.hsf"));
  bool profileFound = false;
  for (const auto& entry : fs::directory_iterator(SaveFolder() / "profiles"))
    profileFound = profileFound || entry.path().extension() == ".prf";
  EXPECT_TRUE(profileFound);
  ExpectCleanLog();
  // The turned-down sound volume is kept for the next start.
  const std::string volume = IniValue("g_sound_volume");
  ASSERT_FALSE(volume.empty());
  EXPECT_NEAR(std::stof(volume), soundAfter, 0.01f);
}

TEST_F(GameEndToEndTest, ALostLevelOffersRelaxModeAndTheOptionsSwitchToAWindow) {
  if (!HasPack())
    GTEST_SKIP() << "the data pack is not built";
  // One stage of two levels and the first picture cut in two: the tray runs out within seconds.
  WriteLevels({2});
  WriteSmallCut(2, 1);
  Start();
  ASSERT_NO_FATAL_FAILURE(NewPlayer("Ben", "11"));

  // The options: the game starts on the full screen; the box turns it off and OK switches to a window.
  ASSERT_TRUE(Until([&] { return FullScreenOnScreen(); }, 5.0)) << "a first start fills the screen";
  Click(kMainMenu, "/window/options");
  ASSERT_TRUE(Until([&] { return Active(kOptions); }));
  Wait(1.0);
  Click(kOptions, "/window/fullscreen");
  Shot("12_options_windowed");
  Click(kOptions, "/window/button_2");
  ASSERT_TRUE(Until([&] { return Active(kMainMenu) && !FullScreenOnScreen(); }, 10.0))
      << "OK puts the game in a window";
  EXPECT_FALSE(game_->GetEngine()->GetWindow()->IsFullScreen());
  EXPECT_EQ(IniValue("v_fullscreen"), "0") << "the choice is saved at once";
  Wait(1.0);
  Shot("13_windowed_main_menu");

  // The level lost on purpose: no piece is taken, and the right button held down hurries the carriage
  // to the end of its path.
  ASSERT_NO_FATAL_FAILURE(StartSmallestLevel("14"));
  Wait(2.0);
  Shot("15_level_windowed");
  PuzzleDepository* tray = Logic()->GetDepository();
  ASSERT_TRUE(Until([&] { return tray->introFinished != 0; }, 10.0)) << "the pieces come in";
  PushButton(true, SDL_BUTTON_RIGHT);
  ASSERT_TRUE(Until([&] { return tray->boost > 0.0f; }, 5.0)) << "the held button hurries the carriage";
  ASSERT_TRUE(Until([&] { return Active(kGameOver); })) << "the tray runs out";
  PushButton(false, SDL_BUTTON_RIGHT);
  EXPECT_EQ(Logic()->state, GameFramework::GameLogicBase::kFailed);
  Wait(1.0);
  Shot("16_game_over");

  // The game over offers relax mode once; the player takes it and is back on the start-game window.
  Click(kGameOver, "/window/button_0");
  GUIMenuWindow* relax = RelaxOffer();
  ASSERT_TRUE(Until([&] { return relax->IsActive(); }, 10.0)) << "the relax offer";
  Wait(1.0);
  Shot("17_relax_offer");
  ASSERT_NO_FATAL_FAILURE(ClickOn(relax, "/window/button_1"));
  ASSERT_TRUE(Until([&] { return Active(kStartGame); })) << "the relax offer leads to the start-game window";
  EXPECT_EQ(Window(kStartGame)->GetCheckBox("window_start_game/window/relax_mode")->checked, 1)
      << "the start-game window shows relax mode";
  const auto* player = static_cast<const Profile*>(game_->GetProfileManager()->GetCurrentProfile());
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->GetGameMode(), 1u) << "the player plays on in relax mode";
  Wait(1.0);
  Shot("18_start_game_relax");

  // Back to the main menu and quit from there.
  Click(kStartGame, "/window/button_0");
  ASSERT_TRUE(Until([&] { return Active(kMainMenu); }));
  Wait(1.0);
  Click(kMainMenu, "/window/exit");
  ASSERT_TRUE(Until([&] { return Active(kExit); }, 10.0)) << "the exit button asks first";
  Wait(1.0);
  Shot("19_exit");
  Click(kExit, "/window/button_1");
  ASSERT_TRUE(Until([&] { return game_->IsQuit(); }, 10.0)) << "the confirmation quits";
  input_.reset();
  game_.reset();

  // The ini keeps the window, the log holds no error.
  EXPECT_EQ(IniValue("v_fullscreen"), "0");
  ExpectCleanLog();
}

}  // namespace
}  // namespace Puzzle
