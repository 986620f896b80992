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
// `cpu_ms_per_frame` the CPU one frame took, `redrawn_pixels` the pixels the display drew again in a frame
// on average (it draws only where a frame differs from the last).
// The game starts as on a new machine: a fresh home folder among a hundred others, with an empty cache
// folder (bench/FreshHome.h).
// The game finds its data through the executable's folder (the build links the data folder here).
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <memory>

#include "bench/WholeGame.h"
#include "platform/sdl/SdlDisplay.h"
#include "tests/support/SdlEvents.h"

namespace {

using Clock = benchsupport::WholeGame::Clock;
constexpr double kMeasuredSeconds = 10.0;

// The user and system CPU seconds of the whole process, every thread's.
double ProcessSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The game with a new player, driven to the main menu and into a level.
class RestingGame : public benchsupport::WholeGame {
 public:
  RestingGame() : WholeGame("brindlewick_idle") {}

  // From the main menu into a level of the largest puzzle, its pieces in the tray.
  bool ToLevel() {
    if (!ToStartGame() || !ChooseLargestSize())
      return false;
    if (!Click(kStartGame, "/window/button_1") || !Until([&] { return Running(); }))
      return false;
    // The pieces slide into the tray.
    PointerAway();
    Wait(5.0);
    return Running();
  }
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
    double redrawn = 0.0;
    while (Clock::now() < end) {
      game.Frame();
      ++frames;
      redrawn += static_cast<double>(platform::sdl::LastRedrawn().pixels);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = ProcessSeconds() - cpuBefore;
    state.SetIterationTime(wall);
    state.counters["cpu_s"] = cpu;
    state.counters["cores"] = cpu / wall;
    state.counters["fps"] = static_cast<double>(frames) / wall;
    // What one frame costs, whatever rate a busy machine let the frames run at.
    state.counters["cpu_ms_per_frame"] = frames > 0 ? cpu * 1e3 / static_cast<double>(frames) : 0.0;
    // The pixels a frame drew again, on average (the display draws only where a frame changed).
    state.counters["redrawn_pixels"] = frames > 0 ? redrawn / static_cast<double>(frames) : 0.0;
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
