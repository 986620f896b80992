// The jigsaw cutter: one cut of the game's picture size at each size the start-game window offers,
// written as a piece-shape file in memory, and a larger cut for scale.

#include <benchmark/benchmark.h>

#include "game/PieceShapeFile.h"
#include "tools/cutter/JigsawCutter.h"

namespace {

void BM_CutAndWrite(benchmark::State& state) {
  jigsaw::CutRequest request;
  request.pictureWidth = static_cast<int>(state.range(0));
  request.pictureHeight = static_cast<int>(state.range(1));
  request.columns = static_cast<int>(state.range(2));
  request.rows = static_cast<int>(state.range(3));
  request.style = jigsaw::Style::kIrregular;
  request.seed = 4003;
  for (auto _ : state) {
    const jigsaw::Cut cut = jigsaw::CutPicture(request);
    auto bytes = Puzzle::PieceShapeFile::Write(cut.shapes, static_cast<std::uint32_t>(request.pictureWidth),
                                               static_cast<std::uint32_t>(request.pictureHeight));
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["pieces"] = static_cast<double>(request.columns * request.rows);
}

BENCHMARK(BM_CutAndWrite)
    ->Args({640, 480, 4, 3})
    ->Args({640, 480, 6, 4})
    ->Args({640, 480, 8, 6})
    ->Args({640, 480, 10, 8})
    ->Args({1024, 512, 30, 20})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
