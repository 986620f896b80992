// Fuzzes the pack archive reader: any bytes either mount as an archive or are refused with FileError;
// a mounted archive answers every look-up, read and listing within its bounds.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/core/Error.h"
#include "engine/files/PackFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace CorvantisEngine;
  if (size > 0xFFFFFFFFu) {
    return 0;
  }
  try {
    PackFile pack(nullptr, "fuzz.pak", std::span<const std::uint8_t>(data, size));
    std::vector<std::uint8_t> buffer;
    for (const std::string& name : pack.GetNames()) {
      std::uint32_t entrySize = 0;
      if (!pack.GetFileSize(name, entrySize)) {
        __builtin_trap();  // every listed name must be found
      }
      buffer.assign(entrySize + 1, 0);
      pack.ReadFile(name, buffer.data());
    }
    std::vector<std::string> out;
    for (const std::string& folder : pack.GetFolders()) {
      pack.ListFolders(folder, out);
      pack.ListFiles(folder, "*.*", out);
      pack.HasFolder(folder);
    }
    pack.ListFiles("data", "*", out);
  } catch (const Error&) {
    // Refused: the expected answer for most inputs.
  }
  return 0;
}
