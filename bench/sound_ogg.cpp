// Decoding a 60-second 44.1 kHz stereo Ogg Vorbis file through the engine's reader (32768-byte reads,
// as a stream refills its chunks) against vorbisfile reading the same bytes from memory directly. The
// target: the reader within 1.1 times the direct decode.

#include <benchmark/benchmark.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/sound/SoundFileReaderOGG.h"
#include "platform/win32/WinFiles.h"
#include "tests/engine/sound/OggEncode.h"

namespace {

const std::vector<std::uint8_t>& SixtySeconds() {
  static const std::vector<std::uint8_t> bytes =
      testsupport::EncodeOgg(2, 44100, 44100L * 60, [](long i, int c) {
        const float t = static_cast<float>(i) / 44100.0f;
        return 0.3f * std::sin(t * (c ? 440.0f : 554.0f) * 6.2831853f) +
               0.1f * std::sin(t * 97.0f * 6.2831853f);
      });
  return bytes;
}

struct Memory {
  const std::vector<std::uint8_t>* bytes;
  long position = 0;
};

std::size_t MemoryRead(void* out, std::size_t size, std::size_t count, void* source) {
  auto* m = static_cast<Memory*>(source);
  const long left = static_cast<long>(m->bytes->size()) - m->position;
  const long n = std::min<long>(left, static_cast<long>(size * count));
  std::memcpy(out, m->bytes->data() + m->position, static_cast<std::size_t>(n));
  m->position += n;
  return static_cast<std::size_t>(n);
}
int MemorySeek(void* source, ogg_int64_t offset, int origin) {
  auto* m = static_cast<Memory*>(source);
  const long base = origin == SEEK_SET   ? 0
                    : origin == SEEK_CUR ? m->position
                                         : static_cast<long>(m->bytes->size());
  const long target = base + static_cast<long>(offset);
  if (target < 0 || target > static_cast<long>(m->bytes->size()))
    return -1;
  m->position = target;
  return 0;
}
long MemoryTell(void* source) {
  return static_cast<Memory*>(source)->position;
}

void BM_VorbisfileDirect(benchmark::State& state) {
  const auto& bytes = SixtySeconds();
  std::vector<char> block(32768);
  for (auto _ : state) {
    Memory memory{&bytes};
    OggVorbis_File file;
    ov_open_callbacks(&memory, &file, nullptr, 0,
                      ov_callbacks{&MemoryRead, &MemorySeek, nullptr, &MemoryTell});
    long total = 0;
    int section = 0;
    for (;;) {
      const long got = ov_read(&file, block.data(), static_cast<int>(block.size()), 0, 2, 1, &section);
      if (got == 0)
        break;
      if (got > 0)
        total += got;
    }
    ov_clear(&file);
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_VorbisfileDirect)->Unit(benchmark::kMillisecond);

void BM_SoundFileReaderOGG(benchmark::State& state) {
  const auto& bytes = SixtySeconds();
  const auto folder =
      std::filesystem::temp_directory_path() / ("brindlewick-bench-ogg-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder / "data");
  std::ofstream(folder / "data" / "music.ogg", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  {
    CorvantisEngine::MessageManager log("bench", 0, 0, "", "");
    CorvantisEngine::FileManager files(&log, platform::win32::ToWindowsPath(folder.string()), "");
    std::vector<std::uint8_t> block(32768);
    for (auto _ : state) {
      CorvantisEngine::SoundFileReaderOGG reader(&log, &files, "music.ogg");
      std::uint64_t total = 0;
      for (;;) {
        std::uint32_t read = 0;
        bool end = false;
        reader.Read(block.data(), static_cast<std::uint32_t>(block.size()), read, end);
        total += read;
        if (end)
          break;
      }
      benchmark::DoNotOptimize(total);
    }
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SoundFileReaderOGG)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
