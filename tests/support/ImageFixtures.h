#pragma once
// Image files built in the tests: BMP and TGA written byte by byte, JPEG encoded with the JPEG library's
// compression side (the engine only ever decodes).

#include <cstdint>
#include <string>
#include <vector>

namespace CorvantisEngine::testkit {

using Bytes = std::vector<std::uint8_t>;

void PutU16(Bytes& out, std::uint32_t value);
void PutU32(Bytes& out, std::uint32_t value);

// A BMP file. rgbRowsBottomUp holds width x height pixels of bytesPerPixel (3 or 4: red, green, blue
// [, alpha]), bottom row first; the file gets them in its blue-first order with rows padded to 4 bytes.
Bytes MakeBmp(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel,
              const Bytes& rgbRowsBottomUp);
// An 8-bit BMP with a 256-entry palette (red, green, blue per entry) and one index per pixel.
Bytes MakeBmp8(std::uint32_t width, std::uint32_t height, const Bytes& paletteRgb,
               const Bytes& indicesBottomUp);

// An 18-byte TGA header.
Bytes MakeTgaHeader(std::uint32_t type, std::uint32_t width, std::uint32_t height, std::uint32_t depth,
                    bool topFirst, std::uint32_t idLength = 0);

// A baseline JPEG of the picture (rows top-down, 1 or 3 components) at the quality given.
Bytes EncodeJpeg(std::uint32_t width, std::uint32_t height, int components, const Bytes& rowsTopDown,
                 int quality = 95, bool progressive = false);
// Decodes a JPEG with the library alone (default output), rows top-down.
Bytes DecodeJpegDirect(const Bytes& jpeg, std::uint32_t& width, std::uint32_t& height, int& components);

}  // namespace CorvantisEngine::testkit
