// Fuzzes the WAV reader: any bytes are either refused with FileError or give a reader that delivers at
// most its announced size, in pieces of any length, and the same bytes again after a rewind.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/sound/SoundFileReaderWAV.h"
#include "platform/win32/WinFiles.h"

namespace {

struct Environment {
  Environment() {
    folder = std::filesystem::temp_directory_path() / ("brindlewick-fuzz-wav-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "data");
    log = std::make_unique<CorvantisEngine::MessageManager>("fuzz", 0, 0, "", "");
    files = std::make_unique<CorvantisEngine::FileManager>(
        log.get(), platform::win32::ToWindowsPath(folder.string()), "");
  }
  std::filesystem::path folder;
  std::unique_ptr<CorvantisEngine::MessageManager> log;
  std::unique_ptr<CorvantisEngine::FileManager> files;
};

std::vector<std::uint8_t> Drain(CorvantisEngine::SoundFileReader& reader, std::uint32_t step) {
  std::vector<std::uint8_t> out, block(step);
  for (;;) {
    std::uint32_t read = 0;
    bool end = false;
    reader.Read(block.data(), step, read, end);
    if (read > step)
      __builtin_trap();
    out.insert(out.end(), block.begin(), block.begin() + read);
    if (out.size() > reader.GetSize())
      __builtin_trap();
    if (end || read == 0)
      break;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Environment environment;
  std::ofstream(environment.folder / "data" / "fuzz.wav", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  try {
    CorvantisEngine::SoundFileReaderWAV reader(environment.log.get(), environment.files.get(), "fuzz.wav");
    if (reader.GetChannels() < 1 || reader.GetChannels() > 2)
      __builtin_trap();
    if (reader.GetBits() != 8 && reader.GetBits() != 16)
      __builtin_trap();
    const auto first = Drain(reader, 97);
    reader.Rewind();
    if (Drain(reader, 4096) != first)
      __builtin_trap();
  } catch (const CorvantisEngine::Error&) {
    // Refused: the expected answer for most inputs.
  }
  environment.log->ClearRecords();
  return 0;
}
