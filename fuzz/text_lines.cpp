// Fuzzes text reading: encoding detection, line splitting and character decoding over any bytes,
// narrow and wide, with and without comment stripping. Reading never throws and always ends, and the
// whole text reads as its lines joined by CR LF.

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
  // The wide lines joined by CR LF are what the whole text must read (decoded in bulk when the
  // comments stay).
  for (const bool stripHere : {strip, !strip}) {
    std::wstring joined;
    {
      CorvantisEngine::FileTextual* text = Open(data, size);
      std::wstring line;
      bool first = true;
      while (text->ReadLine(line, stripHere)) {
        if (!first) {
          joined += L"\r\n";
        }
        first = false;
        joined += line;
      }
      delete text;
    }
    CorvantisEngine::FileTextual* text = Open(data, size);
    std::wstring all;
    text->ReadText(all, stripHere);
    delete text;
    if (all != joined) {
      __builtin_trap();  // the whole text differs from its lines
    }
  }
  return 0;
}
