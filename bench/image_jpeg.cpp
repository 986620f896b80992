// Loading a 1024 x 768 baseline JPEG through Image::Load (file manager, our source manager, bottom-up
// rows) against decoding the same file with the JPEG library alone into a buffer (file read included
// in both).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/resources/Image.h"

// The JPEG library's header needs size_t and FILE declared before it.
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace {

using namespace CorvantisEngine;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct Fixture {
  std::filesystem::path root;
  std::filesystem::path file;
  Fixture() {
    root = std::filesystem::temp_directory_path() / ("bench_image_jpeg_" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "data");
    file = root / "data" / "picture.jpg";
    std::vector<unsigned char> rows(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        unsigned char* p = &rows[(static_cast<std::size_t>(y) * kWidth + x) * 3];
        // Smooth gradients with fine detail and noise, so that blocks carry real AC coefficients as
        // a photograph's do.
        const unsigned noise =
            (static_cast<unsigned>(x) * 73856093u ^ static_cast<unsigned>(y) * 19349663u) >> 7;
        p[0] = static_cast<unsigned char>(x / 4 + (noise & 31));
        p[1] = static_cast<unsigned char>(y / 3 + ((x ^ y) & 15) * 4);
        p[2] = static_cast<unsigned char>(((x * y) >> 9) + ((noise >> 5) & 63));
      }
    }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    std::FILE* out = std::fopen(file.c_str(), "wb");
    jpeg_stdio_dest(&info, out);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 85, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
      JSAMPROW row = &rows[static_cast<std::size_t>(info.next_scanline) * kWidth * 3];
      jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(out);
  }
  ~Fixture() { std::filesystem::remove_all(root); }
};

Fixture& GetFixture() {
  static Fixture fixture;
  return fixture;
}

void BM_ImageLoad(benchmark::State& state) {
  Fixture& fixture = GetFixture();
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
BENCHMARK(BM_ImageLoad)->Unit(benchmark::kMillisecond);

void BM_LibjpegDirect(benchmark::State& state) {
  Fixture& fixture = GetFixture();
  std::vector<unsigned char> pixels;
  for (auto _ : state) {
    std::ifstream in(fixture.file, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    const std::size_t stride = static_cast<std::size_t>(info.output_width) * info.output_components;
    pixels.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = &pixels[info.output_scanline * stride];
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_LibjpegDirect)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
