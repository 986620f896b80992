// The real game in play on the built data and the real SDL and OpenGL back end. Run it on a 1024x768 X
// screen, so that the game's full screen is its 1024x768 back buffer drawn straight into the window
// (no scaled copy): SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" bench/bench_level_play.
// A new player starts the first level the start-game window offers, with clicks sent
// through SDL's event queue as the game's input, choosing the largest puzzle size (the last size box)
// before Start. Measured, in one run:
//   - level start: from the loading window's first frame to the first frame of play (and from the click
//     on Start, which first lets the start-game window go);
//   - a frame of play with half of the pieces placed (clicked from the tray onto their slots, as a
//     player does) and the tray full: the game's own CPU time per frame (this thread's CPU clock:
//     update and draw submission; the software rasterizer's own threads are not counted) and the whole
//     frame's wall time;
//   - the same frame's draws replayed with plain OpenGL, without the engine and the game around them:
//     one frame of play is recorded as it reaches OpenGL, then drawn and swapped again and again in the
//     same window, with the same vsync setting; the ratio of the game's frame time to the replay's;
//   - both again with vsync off (the game's setting switched off, the replay unpaced), so that the
//     frame's own cost shows rather than the display's refresh interval;
//   - the resident, proportional and private dirty sizes during play.
// The game starts as on a new machine: a fresh home folder among a hundred others, with an empty cache
// folder (bench/FreshHome.h).
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
#include "bench/WholeGame.h"
#include "engine/Engine.h"
#include "engine/config/Config.h"
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
#include "game/PuzzleDepository.h"
#include "game/PuzzleElement.h"
#include "game/windows/GUIMenuWindow.h"
#include "platform/sdl/FrameRecording.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/sdl/SdlDisplay.h"
#include "platform/win32/WinMessages.h"
#include "tests/support/SdlEvents.h"
#include "tools/gui/GUIControl.h"

namespace {

using Clock = benchsupport::WholeGame::Clock;
constexpr std::size_t kLevelLoading = benchsupport::WholeGame::kLevelLoading;
constexpr std::size_t kStartGame = benchsupport::WholeGame::kStartGame;

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The game with a new player, driven to a level in play.
class PlayingGame : public benchsupport::WholeGame {
 public:
  PlayingGame() : WholeGame("brindlewick_level_play") {}

  // New player, main menu, start-game window: false when a step does not come.
  bool ToStartGame() { return ToMainMenu() && WholeGame::ToStartGame(); }

  // The pieces placed on the board.
  std::size_t Placed() const {
    const Puzzle::GameLogic* logic = Logic();
    return logic != nullptr && logic->GetBoard() != nullptr ? logic->GetBoard()->GetPlacedCount() : 0;
  }
  // The tray: its entries (pieces and bonuses), and the share of its path still free for more (none
  // left: the tray is full).
  std::size_t TrayEntries() const {
    const Puzzle::GameLogic* logic = Logic();
    return logic != nullptr && logic->GetDepository() != nullptr ? logic->GetDepository()->GetQueue().size()
                                                                 : 0;
  }
  double TrayFree() const {
    const Puzzle::GameLogic* logic = Logic();
    const Puzzle::PuzzleDepository* tray = logic != nullptr ? logic->GetDepository() : nullptr;
    if (tray == nullptr || tray->GetPathLength() <= 0.0f)
      return 1.0;
    return static_cast<double>(tray->freeLength / tray->GetPathLength());
  }

  // One piece from the tray to its slot as a player puts it: a click on a piece the tray shows, then
  // the piece carried over its slot and a click that puts it down. False when no piece could be taken.
  bool PlaceOnePiece() {
    Puzzle::GameLogic* logic = Logic();
    if (logic == nullptr || logic->GetDepository() == nullptr || logic->GetBoard() == nullptr)
      return false;
    Puzzle::PuzzleElement* piece = nullptr;
    for (const auto& entry : logic->GetDepository()->GetQueue()) {
      const CorvantisEngine::Vector2 at =
          entry->piece != nullptr ? entry->piece->GetPosition() : CorvantisEngine::Vector2{};
      if (entry->piece != nullptr && entry->IsVisible() && at.x > 0 && at.x < 800 && at.y > 0 && at.y < 600) {
        piece = entry->piece;
        break;
      }
    }
    if (piece == nullptr)
      return false;
    PointAt(piece->GetPosition());
    Frame();
    Frame();
    testsupport::sdl::PushButton(true);
    Frame();
    testsupport::sdl::PushButton(false);
    Frame();
    Frame();
    if (piece->taken == 0)
      return false;
    // The piece hangs a little off the pointer: aim so that the piece itself lands on the slot.
    Puzzle::Puzzle* board = logic->GetBoard();
    const CorvantisEngine::Vector2 slot = board->GetSlotContainer()->GetAbsolutePosition() +
                                          board->GetSlots()[piece->GetIndex()]->GetPosition();
    CorvantisEngine::Vector2 aim = slot;
    for (int i = 0; i < 3; ++i) {
      PointAt(aim);
      Frame();
      Frame();
      aim = aim + (slot - piece->GetPosition());
    }
    testsupport::sdl::PushButton(true);
    Frame();
    testsupport::sdl::PushButton(false);
    Frame();
    Frame();
    return true;
  }

  // Places pieces until half of the level's are on the board; false when that does not come.
  bool PlaceHalf() {
    const std::size_t half = Pieces() / 2;
    for (int tries = 0; Placed() < half && tries < 4 * static_cast<int>(half) + 20; ++tries) {
      if (!Running())
        return false;
      if (!PlaceOnePiece())
        Until([] { return false; }, 0.2);  // the tray brings the next piece
    }
    return Placed() >= half;
  }
};

// The tray counts as full with at most this share of its path free; with none free the lead is at
// the path's end and the level lost. It is hurried until kTrayHurried, and runs on a little after.
constexpr double kTrayHurried = 0.35;
constexpr double kTrayFull = 0.3;

std::unique_ptr<PlayingGame> playing;
double trayAtStart = 0.0;
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
    // The pieces slide into the tray; half of them are placed, and the tray fills up again.
    playing->Until([] { return false; }, 5.0);
    if (!playing->PlaceHalf()) {
      failure = "half of the pieces could not be placed";
      state.SkipWithError(failure);
      return nullptr;
    }
    // The tray fills up again, hurried along as a player does, with the right button held; it runs on
    // for a moment after the button is let go.
    testsupport::sdl::PushButton(true, SDL_BUTTON_RIGHT);
    playing->Until([] { return playing->TrayFree() <= kTrayHurried; }, 30.0);
    testsupport::sdl::PushButton(false, SDL_BUTTON_RIGHT);
    playing->Until([] { return false; }, 3.0);
    trayAtStart = playing->TrayFree();
    if (trayAtStart > kTrayFull || !playing->Running()) {
      failure = "the tray did not fill up";
      state.SkipWithError(failure);
      return nullptr;
    }
  }
  return playing.get();
}

// The game's frames of play, timed: the mean wall and CPU milliseconds per frame.
struct FrameTimes {
  double wallMs = 0.0;
  double cpuMs = 0.0;
};

FrameTimes TimeFrames(benchmark::State& state, PlayingGame& game) {
  double cpu = 0.0;
  double wall = 0.0;
  for (auto _ : state) {
    const auto start = Clock::now();
    const double before = ThreadSeconds();
    game.Frame();
    cpu += ThreadSeconds() - before;
    wall += std::chrono::duration<double>(Clock::now() - start).count();
  }
  const auto frames = static_cast<double>(state.iterations());
  return {wall * 1e3 / frames, cpu * 1e3 / frames};
}

// One frame of play as it reaches OpenGL; null (and the benchmark skipped) when it was not recorded.
platform::sdl::FrameRecording* RecordFrame(benchmark::State& state, PlayingGame& game) {
  static platform::sdl::FrameRecording recording;
  platform::sdl::RecordNextFrame(recording);
  game.Frame();
  if (!recording.complete || recording.DrawCount() == 0) {
    platform::sdl::CancelFrameRecording();
    state.SkipWithError("no frame of play was recorded");
    return nullptr;
  }
  return &recording;
}

// Replays the frame, drawn and swapped per iteration, and reports it beside the game's frame.
void TimeReplay(benchmark::State& state, const platform::sdl::FrameRecording& recording,
                const FrameTimes& game) {
  platform::sdl::FrameReplay replay(recording);
  double wall = 0.0;
  for (auto _ : state) {
    const auto start = Clock::now();
    replay.Draw();
    replay.Present();
    wall += std::chrono::duration<double>(Clock::now() - start).count();
  }
  const double replayMs = wall * 1e3 / static_cast<double>(state.iterations());
  state.counters["replay_ms"] = replayMs;
  state.counters["game_frame_ms"] = game.wallMs;
  state.counters["game_cpu_ms"] = game.cpuMs;
  state.counters["ratio"] = replayMs > 0.0 ? game.wallMs / replayMs : 0.0;
  state.counters["draws"] = static_cast<double>(recording.DrawCount());
  state.counters["textures"] = static_cast<double>(recording.textures.size());
  state.counters["vsync"] = recording.vsync ? 1.0 : 0.0;
  // 1 when the frame went through an off-screen target copied into the window at present.
  state.counters["offscreen"] = recording.offscreen ? 1.0 : 0.0;
}

// What the frames showed: the pieces placed, the tray's entries and its free share, and whether the
// level was still in play at the end.
void PlayState(benchmark::State& state, const PlayingGame& game) {
  state.counters["placed"] = static_cast<double>(game.Placed());
  state.counters["tray_entries"] = static_cast<double>(game.TrayEntries());
  state.counters["tray_free"] = game.TrayFree();
  if (!game.Running())
    state.SkipWithError("the level ended during the frames");
}

FrameTimes playFrame;
FrameTimes playFrameUnpaced;

void BM_LevelStart(benchmark::State& state) {
  PlayingGame* game = Playing(state);
  if (game == nullptr)
    return;
  for (auto _ : state)
    state.SetIterationTime(levelStartSeconds);
  state.counters["click_to_play_ms"] = clickToPlaySeconds * 1e3;
  state.counters["pieces"] = static_cast<double>(game->Pieces());
  state.counters["placed"] = static_cast<double>(game->Placed());
  state.counters["tray_free"] = trayAtStart;
}
BENCHMARK(BM_LevelStart)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PlayFrame(benchmark::State& state) {
  PlayingGame* game = Playing(state);
  if (game == nullptr)
    return;
  playFrame = TimeFrames(state, *game);
  state.counters["game_cpu_ms"] = playFrame.cpuMs;
  state.counters["resident_MB"] = static_cast<double>(ResidentKilobytes()) / 1024.0;
  state.counters["proportional_MB"] = static_cast<double>(ProportionalKilobytes()) / 1024.0;
  state.counters["private_dirty_MB"] = static_cast<double>(PrivateDirtyKilobytes()) / 1024.0;
  PlayState(state, *game);
}
// Fixed counts of frames: the tray fills on while the game runs, and with no room left the level is
// lost; some 15 s of play keep it in play.
BENCHMARK(BM_PlayFrame)->Unit(benchmark::kMillisecond)->Iterations(300);

void BM_ReplayFrame(benchmark::State& state) {
  PlayingGame* game = Playing(state);
  platform::sdl::FrameRecording* recording = game != nullptr ? RecordFrame(state, *game) : nullptr;
  if (recording == nullptr)
    return;
  TimeReplay(state, *recording, playFrame);
}
BENCHMARK(BM_ReplayFrame)->Unit(benchmark::kMillisecond)->Iterations(300);

// The player's vsync switched off while it lives, and the presents let run as fast as the frames are
// drawn (the game otherwise holds them to a few times the display's rate); one frame is run first, whose
// present leaves the waiting behind.
class VsyncOff {
 public:
  explicit VsyncOff(PlayingGame& game)
      : config_(game.Game().GetEngine()->GetConfig()), vsync_(config_->v_vsync) {
    config_->v_vsync = 0;
    platform::sdl::SetUnsyncedPacing(false);
    game.Frame();
  }
  ~VsyncOff() {
    config_->v_vsync = vsync_;
    platform::sdl::SetUnsyncedPacing(true);
  }
  VsyncOff(const VsyncOff&) = delete;
  VsyncOff& operator=(const VsyncOff&) = delete;

 private:
  CorvantisEngine::Config* config_;
  std::uint8_t vsync_;
};

void BM_PlayFrameUnpaced(benchmark::State& state) {
  PlayingGame* game = Playing(state);
  if (game == nullptr)
    return;
  {
    const VsyncOff unpaced(*game);
    playFrameUnpaced = TimeFrames(state, *game);
  }
  state.counters["game_cpu_ms"] = playFrameUnpaced.cpuMs;
  PlayState(state, *game);
}
BENCHMARK(BM_PlayFrameUnpaced)->Unit(benchmark::kMillisecond)->Iterations(1000);

void BM_ReplayFrameUnpaced(benchmark::State& state) {
  PlayingGame* game = Playing(state);
  if (game == nullptr)
    return;
  platform::sdl::FrameRecording* recording = nullptr;
  {
    const VsyncOff unpaced(*game);
    recording = RecordFrame(state, *game);
  }
  if (recording == nullptr)
    return;
  TimeReplay(state, *recording, playFrameUnpaced);
}
BENCHMARK(BM_ReplayFrameUnpaced)->Unit(benchmark::kMillisecond)->Iterations(1000);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  playing.reset();
  benchmark::Shutdown();
  return 0;
}
