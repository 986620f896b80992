// Loading a level's data on the headless device: reading the picture and the piece-shape file, cutting
// one image per piece, packing the images into texture sheets and making the sheets' and the board's
// textures, for 50, 150, 300 and 600 pieces on a 1024 x 512 picture. The piece shapes come from the
// data build's jigsaw cutter.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "game/GameLogicData.h"
#include "game/PieceShapeFile.h"
#include "game/TexturePack.h"
#include "tests/support/EngineRig.h"
#include "tools/cutter/JigsawCutter.h"

namespace {

// Uncompressed 24-bit TGA, rows bottom first.
std::string PictureFile(int width, int height) {
  std::string bytes(18, '\0');
  bytes[2] = 2;
  bytes[12] = static_cast<char>(width & 0xFF);
  bytes[13] = static_cast<char>(width >> 8);
  bytes[14] = static_cast<char>(height & 0xFF);
  bytes[15] = static_cast<char>(height >> 8);
  bytes[16] = 24;
  bytes.reserve(bytes.size() + static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      bytes.push_back(static_cast<char>(x ^ y));
      bytes.push_back(static_cast<char>(y * 3));
      bytes.push_back(static_cast<char>(x * 5));
    }
  }
  return bytes;
}

void BM_LoadLevel(benchmark::State& state) {
  constexpr int kWidth = 1024;
  constexpr int kHeight = 512;
  jigsaw::CutRequest request;
  request.pictureWidth = kWidth;
  request.pictureHeight = kHeight;
  request.columns = static_cast<int>(state.range(0));
  request.rows = static_cast<int>(state.range(1));
  request.style = jigsaw::Style::kClassic;
  request.seed = 4003;
  const jigsaw::Cut cut = jigsaw::CutPicture(request);
  const auto shapes = Puzzle::PieceShapeFile::Write(cut.shapes, kWidth, kHeight);

  testsupport::EngineRig rig;
  rig.Write("data/themes/bench/01.tga", PictureFile(kWidth, kHeight));
  rig.Write("data/themes/bench/01.xml", "<puzzle><puzzle_color>255 255 255</puzzle_color></puzzle>");
  rig.Write("data/puzzles/01/puzzle_01.pzf", std::string(shapes.begin(), shapes.end()));
  CorvantisEngine::Engine& engine = rig.Start();

  std::size_t sheets = 0;
  for (auto _ : state) {
    auto data = std::make_unique<Puzzle::GameLogicData>(&engine, "en", nullptr, nullptr);
    data->picturePath = "data\\themes\\bench\\01.tga";
    data->coloursPath = "data\\themes\\bench\\01.xml";
    data->shapePath = "data\\puzzles\\01\\puzzle_01.pzf";
    data->Load();
    data->WaitForLoad();
    sheets = data->texturePack->GetSheets().size();
    state.PauseTiming();
    data.reset();
    rig.ClearLog();
    state.ResumeTiming();
  }
  state.counters["pieces"] = static_cast<double>(request.columns * request.rows);
  state.counters["sheets"] = static_cast<double>(sheets);
}

BENCHMARK(BM_LoadLevel)
    ->Args({10, 5})
    ->Args({15, 10})
    ->Args({25, 12})
    ->Args({30, 20})
    // The load runs on the keeper's worker thread: the main thread's CPU time says nothing.
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
