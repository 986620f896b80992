// The texture manager creating a mip-mapped texture from a 1024 x 768 image in memory: normalising the
// size (bilinear to 1024 x 1024), halving down the chain and packing every level into surface memory,
// on the headless device (the upload to the graphics card happens later, on the main thread).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"
#include "engine/window/Window.h"

namespace {

using namespace CorvantisEngine;

void BM_CreateMipMappedTexture(benchmark::State& state) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("bench_texture_create_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  {
    MessageManager log("bench", 0, 0, "", "");
    FileManager files(&log, folder.string(), "");
    Config config(&log, &files, folder.string(), "bench", false, "800x600x32", false, false);
    config.v_mode = "800x600x32";
    config.r_use_mip_mapping = 1;
    POINT position{0, 0};
    Window window(&log, &config, "bench", nullptr, 0, false, 800, 600, false, true, &position);
    RenderSystem_D3D7 render(&log, &config, &window, false, false);
    TextureManager textures(&log, &files, &config, nullptr, &render);

    Image source;
    source.Create(&log, 1024, 768, 24);
    for (std::size_t i = 0; i < source.GetDataSize(); ++i) {
      source.GetPixels()[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
    }
    for (auto _ : state) {
      Image image(source);
      Texture2D* texture = textures.CreateTexture(false, true, "picture", "", &image, nullptr);
      benchmark::DoNotOptimize(texture);
      textures.ReleaseTexture(texture);
      log.ClearRecords();
    }
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_CreateMipMappedTexture)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
