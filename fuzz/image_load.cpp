// Fuzzes the image readers. The first byte picks the reader (BMP, TGA or JPEG); the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "engine/render/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace CorvantisEngine;
  if (size < 1 || size > (1u << 24)) {
    return 0;
  }
  static MessageManager log("fuzz", 0, 0, "", "");
  static const char* const kNames[] = {"input.bmp", "input.tga", "input.jpg"};
  const std::string name = kNames[data[0] % 3];
  FileBinary file(&log, name, false, false, true, static_cast<std::uint32_t>(size - 1), data + 1);
  Image image;
  if (image.LoadFromFile(&log, file, name)) {
    // Touch every pixel so that a wrong size shows as an out-of-bounds read.
    volatile std::uint8_t sum = 0;
    for (std::size_t i = 0; i < image.GetDataSize(); i += 97) {
      sum = static_cast<std::uint8_t>(sum + image.GetPixels()[i]);
    }
    if (image.GetDataSize() > 0) {
      sum = static_cast<std::uint8_t>(sum + image.GetPixels()[image.GetDataSize() - 1]);
    }
  }
  log.ClearRecords();
  return 0;
}
