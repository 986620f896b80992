// Start-up: from the start of a new process to the first logo on the screen, on the built data pack and
// the real SDL and OpenGL back end (run it under an X server: xvfb-run). Each iteration starts this
// program again as a child that builds the game as the executable does and runs its first frame; the
// parent times from just before the child's exec to the moment the display first put a picture in the
// window, which the child reports with the time its first frame had been drawn and presented
// (`drawn_ms`, the mean over the iterations). The game shows the first logo before it reads its data,
// and its first frame draws the same logo. The child's resident and proportional sizes after that
// frame are reported beside.
//
// Each child starts as on a new machine: a fresh, empty home folder among a hundred other folders, no
// saves or settings, and an empty cache folder, so that the OpenGL driver's shader cache is empty and
// every shader is compiled (bench/FreshHome.h).
//
// The game finds its data through the executable's folder: the build puts a link to the game's data
// folder beside this program.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/FreshHome.h"
#include "bench/ProcessMeasures.h"
#include "game/Game.h"
#include "game/windows/GUILogosWindow.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/sdl/SdlDisplay.h"

namespace {

constexpr const char* kChildFlag = "--startup-child";

// The child: the game's start-up and its first frame, then the time and the resident and proportional
// sizes on `out`.
int RunChild(int out) {
  platform::sdl::InstallBackend();
  Puzzle::Game game(Puzzle::Game::kMaker, Puzzle::Game::kTitle, Puzzle::Game::kVersion);
  game.Frame();
  // The logos window is the first shown; its first logo exists while it plays.
  const auto* logos = dynamic_cast<const Puzzle::GUILogosWindow*>(game.GetWindows()[0]);
  const bool shown = logos != nullptr && logos->GetLogo(0) != nullptr;
  const auto drawn = std::chrono::steady_clock::now().time_since_epoch();
  const auto first = platform::sdl::FirstPictureShown().time_since_epoch();
  auto nanoseconds = [](std::chrono::steady_clock::duration d) {
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(d).count());
  };
  char text[128];
  const int length =
      std::snprintf(text, sizeof text, "%lld %lld %ld %ld %d\n", nanoseconds(first), nanoseconds(drawn),
                    ResidentKilobytes(), ProportionalKilobytes(), shown && first.count() != 0 ? 1 : 0);
  if (write(out, text, static_cast<std::size_t>(length)) != length)
    return 1;
  close(out);
  // The game's teardown is not part of the start-up.
  std::fflush(nullptr);
  _exit(0);
}

std::string SelfPath() {
  return std::filesystem::read_symlink("/proc/self/exe").string();
}

void BM_StartUpToFirstLogoFrame(benchmark::State& state) {
  FreshHome home("brindlewick_startup");
  const std::string self = SelfPath();
  long resident = 0;
  long proportional = 0;
  double drawnSeconds = 0.0;
  for (auto _ : state) {
    home.Renew();
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
      state.SkipWithError("no pipe");
      break;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
      close(pipeEnds[0]);
      home.Enter();
      const std::string fd = std::to_string(pipeEnds[1]);
      execl(self.c_str(), self.c_str(), kChildFlag, fd.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(pipeEnds[1]);
    char text[128] = {};
    std::size_t got = 0;
    ssize_t n = 0;
    while (got < sizeof text - 1 && (n = read(pipeEnds[0], text + got, sizeof text - 1 - got)) > 0)
      got += static_cast<std::size_t>(n);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    long long end = 0;
    long long drawn = 0;
    int shown = 0;
    if (std::sscanf(text, "%lld %lld %ld %ld %d", &end, &drawn, &resident, &proportional, &shown) != 5 ||
        shown != 1) {
      state.SkipWithError("the child did not present the logos (is DISPLAY set? is the data built?)");
      break;
    }
    const long long begin =
        std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
    state.SetIterationTime(static_cast<double>(end - begin) * 1e-9);
    drawnSeconds += static_cast<double>(drawn - begin) * 1e-9;
  }
  if (state.iterations() > 0)
    state.counters["drawn_ms"] = drawnSeconds * 1e3 / static_cast<double>(state.iterations());
  state.counters["resident_MB"] = static_cast<double>(resident) / 1024.0;
  state.counters["proportional_MB"] = static_cast<double>(proportional) / 1024.0;
}
BENCHMARK(BM_StartUpToFirstLogoFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], kChildFlag) == 0)
    return RunChild(std::atoi(argv[2]));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
