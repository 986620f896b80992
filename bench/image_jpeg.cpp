// Loading a baseline JPEG (1024 x 768 and 2048 x 1536) through Image::Load (file manager, our source
// manager, bottom-up rows) against decoding the same file with the JPEG library alone, as a plain
// program would: the library reads the file through its stdio source, and each load allocates a fresh
// pixel buffer, as the engine's image does. File reading is included in both.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/render/Image.h"

// The JPEG library's header needs size_t and FILE declared before it.
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace {

using namespace CorvantisEngine;

// A picture of the given size in a data folder of its own.
struct Fixture {
  std::filesystem::path root;
  std::filesystem::path file;
  Fixture(int width, int height) {
    root = std::filesystem::temp_directory_path() /
           ("bench_image_jpeg_" + std::to_string(::getpid()) + "_" + std::to_string(width));
    std::filesystem::create_directories(root / "data");
    file = root / "data" / "picture.jpg";
    std::vector<unsigned char> rows(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        unsigned char* p = &rows[(static_cast<std::size_t>(y) * width + x) * 3];
        // Smooth gradients with fine detail and noise, so that blocks carry real AC coefficients as
        // a photograph's do. Coordinates are scaled to the 1024 x 768 picture, so both sizes show the
        // same scene.
        const int sx = x * 1024 / width;
        const int sy = y * 768 / height;
        const unsigned noise =
            (static_cast<unsigned>(x) * 73856093u ^ static_cast<unsigned>(y) * 19349663u) >> 7;
        p[0] = static_cast<unsigned char>(sx / 4 + (noise & 31));
        p[1] = static_cast<unsigned char>(sy / 3 + ((x ^ y) & 15) * 4);
        p[2] = static_cast<unsigned char>(((sx * sy) >> 9) + ((noise >> 5) & 63));
      }
    }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    std::FILE* out = std::fopen(file.c_str(), "wb");
    jpeg_stdio_dest(&info, out);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 85, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
      JSAMPROW row = &rows[static_cast<std::size_t>(info.next_scanline) * width * 3];
      jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(out);
  }
  ~Fixture() { std::filesystem::remove_all(root); }
};

Fixture& GetFixture(int width, int height) {
  static std::map<std::pair<int, int>, std::unique_ptr<Fixture>> fixtures;
  std::unique_ptr<Fixture>& fixture = fixtures[{width, height}];
  if (!fixture) {
    fixture = std::make_unique<Fixture>(width, height);
  }
  return *fixture;
}

void BM_ImageLoad(benchmark::State& state) {
  Fixture& fixture = GetFixture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  MessageManager log("bench", 0, 0, "", "");
  FileManager files(&log, fixture.root.string(), "");
  for (auto _ : state) {
    Image image;
    if (!image.Load(&log, &files, "data\\picture.jpg")) {
      state.SkipWithError("load failed");
      break;
    }
    benchmark::DoNotOptimize(image.GetPixels());
  }
}
BENCHMARK(BM_ImageLoad)->Args({1024, 768})->Args({2048, 1536})->Unit(benchmark::kMillisecond);

void BM_LibjpegDirect(benchmark::State& state) {
  Fixture& fixture = GetFixture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    std::FILE* in = std::fopen(fixture.file.c_str(), "rb");
    if (in == nullptr) {
      state.SkipWithError("open failed");
      break;
    }
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, in);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    const std::size_t stride = static_cast<std::size_t>(info.output_width) * info.output_components;
    // A fresh buffer for every picture, uninitialised, as the engine's image allocates its pixels.
    std::unique_ptr<unsigned char[]> pixels(new unsigned char[stride * info.output_height]);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = &pixels[(info.output_height - 1 - info.output_scanline) * stride];
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(in);
    benchmark::DoNotOptimize(pixels.get());
  }
}
BENCHMARK(BM_LibjpegDirect)->Args({1024, 768})->Args({2048, 1536})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
