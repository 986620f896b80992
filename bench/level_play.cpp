// The real game in play on the built data and the real SDL and OpenGL back end (run it under an X
// server: xvfb-run): a new player starts the first level the start-game window offers, with clicks sent
// through SDL's event queue as the game's input, choosing the largest puzzle size (the last size box)
// before Start. Measured, in one run:
//   - level start: from the loading window's first frame to the first frame of play (and from the click
//     on Start, which first lets the start-game window go);
//   - a frame of play with the tray full: the game's own CPU time per frame (this thread's CPU clock:
//     update and draw submission; the software rasterizer's own threads are not counted) and the whole
//     frame's wall time;
//   - the resident size during play.
// The game finds its data through the executable's folder (the build links the data folder here).
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "bench/ProcessMeasures.h"
#include "engine/Engine.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/input/Controls.h"
#include "engine/window/Window.h"
#include "framework/GUIFrameworkWindow.h"
#include "framework/GameLogicBase.h"
#include "game/Game.h"
#include "game/GameLogic.h"
#include "game/Profile.h"
#include "game/Puzzle.h"
#include "game/windows/GUIMenuWindow.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/win32/WinMessages.h"
#include "tools/gui/GUIControl.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kLevelLoading = 2;
constexpr std::size_t kWelcome = 3;
constexpr std::size_t kMainMenu = 5;
constexpr std::size_t kStartGame = 11;

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The game with a new player, driven to a level in play.
class PlayingGame {
 public:
  PlayingGame() {
    home_ = std::filesystem::temp_directory_path() / ("brindlewick_level_play_" + std::to_string(::getpid()));
    std::filesystem::remove_all(home_);
    std::filesystem::create_directories(home_ / "data");
    std::filesystem::create_directories(home_ / "config");
    setenv("XDG_DATA_HOME", (home_ / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    platform::sdl::InstallBackend();
    game_ =
        std::make_unique<Puzzle::Game>(Puzzle::Game::kMaker, Puzzle::Game::kTitle, Puzzle::Game::kVersion);
  }
  ~PlayingGame() {
    game_.reset();
    std::filesystem::remove_all(home_);
  }

  Puzzle::Game& Game() { return *game_; }

  void Frame() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    game_->Frame();
  }
  bool Until(const std::function<bool()>& done, double seconds = 60.0) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
      if (Clock::now() > end || game_->IsQuit())
        return false;
      Frame();
    }
    return true;
  }
  bool Active(std::size_t slot) const {
    auto* window = dynamic_cast<Puzzle::GUIMenuWindow*>(game_->GetWindows()[slot]);
    return window != nullptr && window->IsActive();
  }
  // The pieces of the level in play (its board's slots).
  std::size_t Pieces() const {
    const auto* logic = dynamic_cast<const Puzzle::GameLogic*>(game_->GetGameLogic());
    return logic != nullptr && logic->GetBoard() != nullptr ? logic->GetBoard()->GetSlots().size() : 0;
  }
  bool Running() const {
    return game_->GetGameLogic() != nullptr &&
           game_->GetGameLogic()->state == GameFramework::GameLogicBase::kRunning;
  }

  static Uint32 WindowId() {
    for (Uint32 id = 1; id < 16; ++id) {
      if (SDL_GetWindowFromID(id) != nullptr)
        return id;
    }
    return 0;
  }
  static void PushButton(bool down) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = WindowId();
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    SDL_PushEvent(&event);
  }
  // A click on the window's control: the pointer on its middle, the button down and up.
  bool Click(std::size_t slot, const std::string& control, bool lastFrame = true) {
    auto* window = dynamic_cast<GUITools::GUIWindowBase*>(game_->GetWindows()[slot]);
    const GUITools::GUIControl* found =
        window != nullptr ? window->GetControl(window->GetName() + control) : nullptr;
    if (found == nullptr || found->GetElement() == nullptr)
      return false;
    CorvantisEngine::Engine* engine = game_->GetEngine();
    const CorvantisEngine::GUIWindow& widget = *found->GetElement();
    const CorvantisEngine::Vector2 corner = widget.GetAbsolutePosition();
    const float gx = corner.x + widget.size.x * 0.5f;
    const float gy = corner.y + widget.size.y * 0.5f;
    const float w = static_cast<float>(engine->GetWindow()->GetWidth());
    const float h = static_cast<float>(engine->GetWindow()->GetHeight());
    CorvantisEngine::GUIManager* gui = engine->GetGUIManager();
    engine->GetControls()->SetCursorPosition(
        {gx * w / gui->GetScreenWidth() + 0.5f, h - 1.0f - gy * h / gui->GetScreenHeight() + 0.5f});
    Frame();
    Frame();
    PushButton(true);
    Frame();
    PushButton(false);
    if (lastFrame)
      Frame();
    return true;
  }
  void Type(const std::string& text) {
    for (char c : text) {
      SDL_Event event{};
      event.type = SDL_TEXTINPUT;
      event.text.windowID = WindowId();
      event.text.text[0] = c;
      SDL_PushEvent(&event);
      Frame();
    }
  }

  // New player, main menu, start-game window: false when a step does not come.
  bool ToStartGame() {
    // Each window is answered once it has finished appearing.
    if (!Until([&] { return Active(kWelcome); }))
      return false;
    Until([] { return false; }, 1.0);
    Type("Anna");
    if (!Click(kWelcome, "/window/button_1") || !Until([&] { return Active(kMainMenu); }))
      return false;
    Until([] { return false; }, 1.0);
    if (!Click(kMainMenu, "/window/start") || !Until([&] { return Active(kStartGame); }))
      return false;
    // The window finishes appearing.
    Until([] { return false; }, 1.0);
    return Active(kStartGame);
  }

  // Ticks the start-game window's last size box (the largest puzzle): false when there is none or
  // the profile does not take it.
  bool ChooseLargestSize() {
    std::size_t last = 0;
    auto* window = dynamic_cast<GUITools::GUIWindowBase*>(game_->GetWindows()[kStartGame]);
    if (window == nullptr)
      return false;
    while (window->HasCheckBoxControl(window->GetName() + "/window/puzzle_size_" + std::to_string(last + 1)))
      ++last;
    if (last == 0 || !Click(kStartGame, "/window/puzzle_size_" + std::to_string(last)))
      return false;
    Until([] { return false; }, 0.5);
    const auto* manager = dynamic_cast<Puzzle::ProfileManager*>(game_->GetProfileManager());
    const Puzzle::Profile* profile = manager != nullptr ? manager->GetCurrent() : nullptr;
    return profile != nullptr && profile->selectedPuzzleSize == last;
  }

 private:
  std::filesystem::path home_;
  std::unique_ptr<Puzzle::Game> game_;
};

std::unique_ptr<PlayingGame> playing;
double levelStartSeconds = 0.0;
double clickToPlaySeconds = 0.0;
const char* failure = nullptr;

PlayingGame* Playing(benchmark::State& state) {
  if (playing == nullptr && failure == nullptr) {
    playing = std::make_unique<PlayingGame>();
    if (!playing->ToStartGame())
      failure = "the start-game window did not come (is DISPLAY set? is the data built?)";
    else if (!playing->ChooseLargestSize())
      failure = "the largest puzzle size could not be chosen";
  }
  if (failure != nullptr) {
    state.SkipWithError(failure);
    return nullptr;
  }
  if (levelStartSeconds == 0.0) {
    // The level's start is the first frame of the loading window (after the start-game window has
    // gone); the time from the click on Start is reported beside.
    const auto click = Clock::now();
    playing->Click(kStartGame, "/window/button_1", false);
    auto loading = Clock::now();
    bool loadingSeen = false;
    if (!playing->Until([&] {
          if (!loadingSeen && playing->Active(kLevelLoading)) {
            loadingSeen = true;
            loading = Clock::now();
          }
          return playing->Running();
        })) {
      failure = "the level did not start";
      state.SkipWithError(failure);
      return nullptr;
    }
    const auto play = Clock::now();
    levelStartSeconds = std::chrono::duration<double>(play - loading).count();
    clickToPlaySeconds = std::chrono::duration<double>(play - click).count();
    // The pieces slide into the tray.
    playing->Until([] { return false; }, 5.0);
  }
  return playing.get();
}

void BM_LevelStart(benchmark::State& state) {
  PlayingGame* game = Playing(state);
  if (game == nullptr)
    return;
  for (auto _ : state)
    state.SetIterationTime(levelStartSeconds);
  state.counters["click_to_play_ms"] = clickToPlaySeconds * 1e3;
  state.counters["pieces"] = static_cast<double>(game->Pieces());
}
BENCHMARK(BM_LevelStart)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PlayFrame(benchmark::State& state) {
  PlayingGame* game = Playing(state);
  if (game == nullptr)
    return;
  double cpu = 0.0;
  for (auto _ : state) {
    const double before = ThreadSeconds();
    game->Frame();
    cpu += ThreadSeconds() - before;
  }
  state.counters["game_cpu_ms"] = benchmark::Counter(cpu * 1e3 / static_cast<double>(state.iterations()));
  state.counters["resident_MB"] = static_cast<double>(ResidentKilobytes()) / 1024.0;
}
BENCHMARK(BM_PlayFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  playing.reset();
  benchmark::Shutdown();
  return 0;
}
