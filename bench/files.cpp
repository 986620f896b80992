// File layer costs: text lines through the 1024-byte buffer, pack look-ups, and opening a name whose
// case differs from the disk's (the path mapping then scans folders).

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "engine/files/FileTextual.h"
#include "engine/files/PackFile.h"
#include "platform/win32/WinFiles.h"

namespace {

using namespace CorvantisEngine;

std::string TextOfLines(std::size_t bytes) {
  std::string text;
  while (text.size() < bytes) {
    text += "v_mode 1024x768x32 // a comment that is stripped\r\n";
  }
  return text;
}

void ReadLinesNarrow(benchmark::State& state) {
  const std::string text = TextOfLines(1 << 20);
  for (auto _ : state) {
    FileTextual file(nullptr,
                     new FileBinary(nullptr, "t", false, false, true, static_cast<std::uint32_t>(text.size()),
                                    text.data()),
                     false, 0);
    std::string line;
    std::size_t lines = 0;
    while (file.ReadLine(line, true)) {
      ++lines;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ReadLinesNarrow);

void ReadTextUtf8(benchmark::State& state) {
  const std::string text = "\xEF\xBB\xBF" + TextOfLines(1 << 20);
  for (auto _ : state) {
    FileTextual file(nullptr,
                     new FileBinary(nullptr, "t", false, false, true, static_cast<std::uint32_t>(text.size()),
                                    text.data()),
                     false, 0);
    std::wstring all;
    file.ReadText(all, false);
    benchmark::DoNotOptimize(all.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ReadTextUtf8);

// An archive of n entries "data\folder<i / 100>\file<i>.xml" of 16 bytes each.
std::vector<std::uint8_t> BuildArchive(std::uint32_t n) {
  std::vector<std::string> names;
  for (std::uint32_t i = 0; i < n; ++i) {
    names.push_back("data\\folder" + std::to_string(i / 100) + "\\file" + std::to_string(i) + ".xml");
  }
  std::vector<std::uint8_t> out(17, 0);
  std::memcpy(out.data() + 4, "QXPAK", 5);
  out[9] = 100;
  std::memcpy(out.data() + 13, &n, 4);
  for (const std::string& name : names) {
    out.push_back(static_cast<std::uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
  }
  const std::size_t records = out.size();
  out.resize(records + 8u * n);
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t offset = static_cast<std::uint32_t>(out.size() + 16u * i);
    const std::uint32_t size = 16;
    std::memcpy(out.data() + records + 8u * i, &offset, 4);
    std::memcpy(out.data() + records + 8u * i + 4, &size, 4);
  }
  out.resize(out.size() + 16u * n, 'x');
  const std::uint32_t total = static_cast<std::uint32_t>(out.size());
  std::memcpy(out.data(), &total, 4);
  return out;
}

void MountPack(benchmark::State& state) {
  const auto archive = BuildArchive(static_cast<std::uint32_t>(state.range(0)));
  for (auto _ : state) {
    PackFile pack(nullptr, "bench.pak", std::span<const std::uint8_t>(archive));
    benchmark::DoNotOptimize(pack.GetNames().size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(MountPack)->Arg(1000)->Arg(20000);

void PackLookUpAndRead(benchmark::State& state) {
  const auto archive = BuildArchive(20000);
  PackFile pack(nullptr, "bench.pak", std::span<const std::uint8_t>(archive));
  char buffer[16];
  std::uint32_t i = 0;
  for (auto _ : state) {
    const std::string name =
        "DATA\\Folder" + std::to_string((i % 20000) / 100) + "\\file" + std::to_string(i % 20000) + ".XML";
    benchmark::DoNotOptimize(pack.ReadFile(name, buffer));
    ++i;
  }
}
BENCHMARK(PackLookUpAndRead);

// A small data tree on disk, opened by exact and by lower-cased names.
class DiskTree {
 public:
  DiskTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "bench-files-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    for (int f = 0; f < 20; ++f) {
      const auto folder = root_ / "Data" / ("Folder" + std::to_string(f));
      std::filesystem::create_directories(folder);
      for (int i = 0; i < 50; ++i) {
        std::ofstream(folder / ("File" + std::to_string(i) + ".XML")) << "<x/>";
      }
    }
  }
  ~DiskTree() { std::filesystem::remove_all(root_); }
  std::string Win() const { return platform::win32::ToWindowsPath(root_.string()); }

 private:
  std::filesystem::path root_;
};

void OpenFromDisk(benchmark::State& state) {
  DiskTree tree;
  FileManager files(nullptr, tree.Win(), "", "-");
  const bool lowerCase = state.range(0) != 0;
  const std::string name = lowerCase ? "data\\folder7\\file33.xml" : "Data\\Folder7\\File33.XML";
  for (auto _ : state) {
    std::unique_ptr<FileBinary> file(files.OpenFile(name, false));
    benchmark::DoNotOptimize(file->GetSize());
  }
  state.SetLabel(lowerCase ? "case differs" : "exact case");
}
BENCHMARK(OpenFromDisk)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
