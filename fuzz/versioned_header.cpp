// Fuzzes the versioned header of save files: any bytes either open as a file of the expected format or
// are refused with FileError. A file that opens is written back through a VersionedFile and must come
// out byte for byte the same.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Error.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "platform/win32/WinFiles.h"
#include "tools/game/VersionedFile.h"

namespace {

// One folder for the whole run; each input is written over the same file.
const std::string& Folder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "versioned-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      __builtin_trap();
    }
    return pattern;
  }();
  return folder;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace CorvantisEngine;
  using GameTools::VersionedFile;
  if (size > (1u << 16)) {
    return 0;
  }
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::ofstream(Folder() + "/f.prf", std::ios::binary | std::ios::trunc).write(input.data(), input.size());

  FileManager files(nullptr, platform::win32::ToWindowsPath(Folder()), "", "");
  const bool skipVersion = size > 0 && (data[size - 1] & 1) != 0;
  std::string body;
  std::uint32_t version = 105;
  try {
    VersionedFile file(&files, "PZPRF", 105);
    file.Open("f.prf", VersionedFile::kRead, skipVersion, &version);
    FileBinary* stream = file.GetStream();
    if (stream->GetPosition() != VersionedFile::kHeaderSize || stream->GetSize() != size) {
      __builtin_trap();
    }
    body.resize(stream->GetRemaining());
    stream->Read(body.data(), static_cast<std::uint32_t>(body.size()));
  } catch (const Error&) {
    return 0;
  }

  {
    VersionedFile file(&files, "PZPRF", version);
    file.Open("g.prf", VersionedFile::kWrite);
    file.GetStream()->Write(body.data(), static_cast<std::uint32_t>(body.size()));
    file.Close();
  }
  if (ReadAll(Folder() + "/g.prf") != input) {
    __builtin_trap();  // a file that reads must be written back the same
  }
  return 0;
}
