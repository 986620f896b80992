// The game at rest: the CPU the whole process spends while nobody touches it, on the built data and the
// real SDL and OpenGL back end. Run it on a 1024x768 X screen, as the other whole-game benchmarks:
// SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" bench/bench_idle.
// A new player reaches the main menu, then starts the first level the start-game window offers at the
// largest puzzle size (the last size box), with clicks sent through SDL's event queue as the game's
// input. Measured, each over 10 s of the game's own frames paced as the game paces them (the loop
// pumps the messages and runs a frame, as the program's main loop does):
//   - resting at the main menu;
//   - in a quiet level, once its pieces have slid into the tray;
//   - the same level with the window in the background (its focus lost).
// The CPU is the process's own user and system time (getrusage), so that the software rasterizer's
// threads count with the game's; `cores` is that time over the wall time, `fps` the frames run and
// `cpu_ms_per_frame` the CPU one frame took.
// The game finds its data through the executable's folder (the build links the data folder here).
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

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
#include "tests/support/SdlEvents.h"
#include "tools/gui/GUIControl.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kLevelLoading = 2;
constexpr std::size_t kWelcome = 3;
constexpr std::size_t kMainMenu = 5;
constexpr std::size_t kStartGame = 11;
constexpr double kMeasuredSeconds = 10.0;

// The user and system CPU seconds of the whole process, every thread's.
double ProcessSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The game with a new player, driven to the main menu and into a level.
class RestingGame {
 public:
  RestingGame() {
    home_ = std::filesystem::temp_directory_path() / ("brindlewick_idle_" + std::to_string(::getpid()));
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
  ~RestingGame() {
    game_.reset();
    std::filesystem::remove_all(home_);
  }

  // One pass of the main loop: the waiting messages, then a frame.
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
  void Wait(double seconds) {
    Until([] { return false; }, seconds);
  }
  bool Active(std::size_t slot) const {
    auto* window = dynamic_cast<Puzzle::GUIMenuWindow*>(game_->GetWindows()[slot]);
    return window != nullptr && window->IsActive();
  }
  bool Running() const {
    return game_->GetGameLogic() != nullptr &&
           game_->GetGameLogic()->state == GameFramework::GameLogicBase::kRunning;
  }
  std::size_t Pieces() const {
    const auto* logic = dynamic_cast<Puzzle::GameLogic*>(game_->GetGameLogic());
    return logic != nullptr && logic->GetBoard() != nullptr ? logic->GetBoard()->GetSlots().size() : 0;
  }

  // The pointer on a point in GUI units.
  void PointAt(const CorvantisEngine::Vector2& gui) {
    CorvantisEngine::Engine* engine = game_->GetEngine();
    const float w = static_cast<float>(engine->GetWindow()->GetWidth());
    const float h = static_cast<float>(engine->GetWindow()->GetHeight());
    CorvantisEngine::GUIManager* manager = engine->GetGUIManager();
    engine->GetControls()->SetCursorPosition({gui.x * w / manager->GetScreenWidth() + 0.5f,
                                              h - 1.0f - gui.y * h / manager->GetScreenHeight() + 0.5f});
  }
  // A click on the window's control: the pointer on its middle, the button down and up.
  bool Click(std::size_t slot, const std::string& control) {
    auto* window = dynamic_cast<GUITools::GUIWindowBase*>(game_->GetWindows()[slot]);
    const GUITools::GUIControl* found =
        window != nullptr ? window->GetControl(window->GetName() + control) : nullptr;
    if (found == nullptr || found->GetElement() == nullptr)
      return false;
    const CorvantisEngine::GUIWindow& widget = *found->GetElement();
    const CorvantisEngine::Vector2 corner = widget.GetAbsolutePosition();
    PointAt({corner.x + widget.size.x * 0.5f, corner.y + widget.size.y * 0.5f});
    Frame();
    Frame();
    testsupport::sdl::PushButton(true);
    Frame();
    testsupport::sdl::PushButton(false);
    Frame();
    return true;
  }
  // The pointer to the screen's top-right corner, away from every button.
  void PointerAway() {
    PointAt({795.0f, 5.0f});
    Frame();
  }

  // A new player on the main menu: false when a step does not come.
  bool ToMainMenu() {
    if (!Until([&] { return Active(kWelcome); }))
      return false;
    Wait(1.0);
    for (char c : std::string("Anna")) {
      testsupport::sdl::PushText(c);
      Frame();
    }
    return Click(kWelcome, "/window/button_1") && Until([&] { return Active(kMainMenu); });
  }

  // From the main menu into a level of the largest puzzle, its pieces in the tray.
  bool ToLevel() {
    // Each window is answered once it has finished appearing.
    Wait(1.0);
    if (!Click(kMainMenu, "/window/start") || !Until([&] { return Active(kStartGame); }))
      return false;
    Wait(1.0);
    std::size_t last = 0;
    auto* window = dynamic_cast<GUITools::GUIWindowBase*>(game_->GetWindows()[kStartGame]);
    while (window != nullptr &&
           window->HasCheckBoxControl(window->GetName() + "/window/puzzle_size_" + std::to_string(last + 1)))
      ++last;
    if (last == 0 || !Click(kStartGame, "/window/puzzle_size_" + std::to_string(last)))
      return false;
    Wait(0.5);
    if (!Click(kStartGame, "/window/button_1") || !Until([&] { return Running(); }))
      return false;
    // The pieces slide into the tray.
    PointerAway();
    Wait(5.0);
    return Running();
  }

 private:
  std::filesystem::path home_;
  std::unique_ptr<Puzzle::Game> game_;
};

std::unique_ptr<RestingGame> resting;
const char* failure = nullptr;

RestingGame* Resting(benchmark::State& state) {
  if (resting == nullptr && failure == nullptr) {
    resting = std::make_unique<RestingGame>();
    if (!resting->ToMainMenu())
      failure = "the main menu did not come (is DISPLAY set? is the data built?)";
  }
  if (failure != nullptr) {
    state.SkipWithError(failure);
    return nullptr;
  }
  return resting.get();
}

// The game's frames for kMeasuredSeconds, once: the CPU it took, in seconds and in cores.
void MeasureRest(benchmark::State& state, RestingGame& game) {
  for (auto _ : state) {
    const double cpuBefore = ProcessSeconds();
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(kMeasuredSeconds);
    long frames = 0;
    while (Clock::now() < end) {
      game.Frame();
      ++frames;
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = ProcessSeconds() - cpuBefore;
    state.SetIterationTime(wall);
    state.counters["cpu_s"] = cpu;
    state.counters["cores"] = cpu / wall;
    state.counters["fps"] = static_cast<double>(frames) / wall;
    // What one frame costs, whatever rate a busy machine let the frames run at.
    state.counters["cpu_ms_per_frame"] = frames > 0 ? cpu * 1e3 / static_cast<double>(frames) : 0.0;
  }
}

void BM_RestAtMenu(benchmark::State& state) {
  RestingGame* game = Resting(state);
  if (game == nullptr)
    return;
  game->PointerAway();
  game->Wait(2.0);
  MeasureRest(state, *game);
}
BENCHMARK(BM_RestAtMenu)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_RestInLevel(benchmark::State& state) {
  RestingGame* game = Resting(state);
  if (game == nullptr)
    return;
  if (!game->Running() && !game->ToLevel()) {
    failure = "the level did not start";
    state.SkipWithError(failure);
    return;
  }
  MeasureRest(state, *game);
  state.counters["pieces"] = static_cast<double>(game->Pieces());
  if (!game->Running())
    state.SkipWithError("the level ended during the measure");
}
BENCHMARK(BM_RestInLevel)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// The window loses the focus, as when the player switches to another program: the level pauses.
void BM_RestInBackground(benchmark::State& state) {
  RestingGame* game = Resting(state);
  if (game == nullptr)
    return;
  testsupport::sdl::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  game->Wait(1.0);
  MeasureRest(state, *game);
}
BENCHMARK(BM_RestInBackground)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  resting.reset();
  benchmark::Shutdown();
  return 0;
}
