#pragma once
// What the sound reader fuzz targets share: a data folder of their own below the temporary folder, a
// log and a file manager over it, and a drain that reads a reader to its end in pieces of one size.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/sound/SoundFileReader.h"
#include "platform/win32/WinFiles.h"

namespace soundfuzz {

struct Environment {
  explicit Environment(const std::string& tag) {
    folder = std::filesystem::temp_directory_path() /
             ("brindlewick-fuzz-" + tag + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "data");
    log = std::make_unique<CorvantisEngine::MessageManager>("fuzz", 0, 0, "", "");
    files = std::make_unique<CorvantisEngine::FileManager>(
        log.get(), platform::win32::ToWindowsPath(folder.string()), "");
  }
  // Writes data/<name> with the fuzzer's bytes.
  void Write(const std::string& name, const std::uint8_t* data, std::size_t size) const {
    std::ofstream(folder / "data" / name, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

  std::filesystem::path folder;
  std::unique_ptr<CorvantisEngine::MessageManager> log;
  std::unique_ptr<CorvantisEngine::FileManager> files;
};

// Reads until the reader reports its end or delivers nothing. Traps on a piece larger than asked for
// and, with boundedBySize, on more bytes in all than the reader announced.
inline std::vector<std::uint8_t> Drain(CorvantisEngine::SoundFileReader& reader, std::uint32_t step,
                                       bool boundedBySize) {
  std::vector<std::uint8_t> out, block(step);
  for (;;) {
    std::uint32_t read = 0;
    bool end = false;
    reader.Read(block.data(), step, read, end);
    if (read > step)
      __builtin_trap();
    out.insert(out.end(), block.begin(), block.begin() + read);
    if (boundedBySize && out.size() > reader.GetSize())
      __builtin_trap();
    if (end || read == 0)
      break;
  }
  return out;
}

}  // namespace soundfuzz
