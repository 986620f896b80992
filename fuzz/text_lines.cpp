// Fuzzes text reading: encoding detection, line splitting and character decoding over any bytes,
// narrow and wide, with and without comment stripping. Reading never throws and always ends.

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/files/FileBinary.h"
#include "engine/files/FileTextual.h"

namespace {

CorvantisEngine::FileTextual* Open(const std::uint8_t* data, std::size_t size) {
  auto* file = new CorvantisEngine::FileBinary(nullptr, "fuzz.txt", false, false, true,
                                               static_cast<std::uint32_t>(size), data);
  return new CorvantisEngine::FileTextual(nullptr, file, false, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) {
    return 0;
  }
  const bool strip = size > 0 && (data[size - 1] & 1) != 0;
  std::size_t lines = 0;
  {
    CorvantisEngine::FileTextual* text = Open(data, size);
    std::string line;
    while (text->ReadLine(line, strip)) {
      if (++lines > size + 1) {
        __builtin_trap();  // more lines than bytes: the reader does not advance
      }
    }
    delete text;
  }
  {
    CorvantisEngine::FileTextual* text = Open(data, size);
    std::wstring line;
    while (text->ReadLine(line, !strip)) {
    }
    delete text;
  }
  {
    CorvantisEngine::FileTextual* text = Open(data, size);
    std::wstring all;
    text->ReadText(all, strip);
    delete text;
  }
  return 0;
}
