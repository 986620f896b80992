// Fuzzes the Ogg Vorbis reader: any bytes are either refused with FileError or give a reader that delivers at
// most its announced size, in pieces of any length, and decodes again after a rewind.

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
#include "engine/sound/SoundFileReaderOGG.h"
#include "platform/win32/WinFiles.h"

namespace {

struct Environment {
  Environment() {
    folder = std::filesystem::temp_directory_path() / ("brindlewick-fuzz-ogg-" + std::to_string(::getpid()));
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

    if (end || read == 0)
      break;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Environment environment;
  std::ofstream(environment.folder / "data" / "fuzz.ogg", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  try {
    CorvantisEngine::SoundFileReaderOGG reader(environment.log.get(), environment.files.get(), "fuzz.ogg");
    if (reader.GetChannels() < 1 || reader.GetChannels() > 2)
      __builtin_trap();
    if (reader.GetBits() != 16)
      __builtin_trap();
    // Odd piece sizes too: the reader must not stop early or overrun on a partial frame.
    Drain(reader, 4099);
    reader.Rewind();
    Drain(reader, 65536);
  } catch (const CorvantisEngine::Error&) {
    // Refused: the expected answer for most inputs.
  }
  environment.log->ClearRecords();
  return 0;
}
