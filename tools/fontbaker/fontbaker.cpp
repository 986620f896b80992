// fontbaker: fontbaker <font.ttf> <pixel size> <sheet.tga> <font.fnt> [code ranges]
// Writes the glyph sheet (32-bit TGA) and the font file for the codes of the ranges ("32-126,160-255",
// printable ASCII and Latin-1, when none are given; e.g. "32-126,160-383" adds Latin Extended-A).
#include "tools/fontbaker/FontBaker.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

int main(int argc, char** argv) {
  if (argc != 5 && argc != 6) {
    std::fprintf(stderr, "usage: fontbaker <font.ttf> <pixel size> <sheet.tga> <font.fnt> [code ranges]\n");
    return 2;
  }
  fontbaker::FontBakeOptions options;
  const long size = std::strtol(argv[2], nullptr, 10);
  if (size <= 0 || size > 512) {
    std::fprintf(stderr, "fontbaker: pixel size must be 1 to 512\n");
    return 2;
  }
  options.pixelSize = static_cast<std::uint32_t>(size);
  while (options.sheetWidth < options.pixelSize * 8) {
    options.sheetWidth *= 2;
  }
  if (argc == 6) {
    try {
      options.ranges = fontbaker::ParseCodeRanges(argv[5]);
    } catch (const std::invalid_argument& error) {
      std::fprintf(stderr, "fontbaker: %s\n", error.what());
      return 2;
    }
  }
  try {
    const fontbaker::BakedFont baked = fontbaker::BakeFont(argv[1], options);
    if (!fontbaker::WriteTga32(argv[3], baked.width, baked.height, baked.rgba)) {
      std::fprintf(stderr, "fontbaker: cannot write %s\n", argv[3]);
      return 1;
    }
    if (!fontbaker::WriteFontFile(argv[4], baked.glyphs)) {
      std::fprintf(stderr, "fontbaker: cannot write %s\n", argv[4]);
      return 1;
    }
    std::printf("fontbaker: %zu glyphs, sheet %ux%u\n", baked.glyphs.size(), baked.width, baked.height);
  } catch (const std::runtime_error& error) {
    std::fprintf(stderr, "fontbaker: %s\n", error.what());
    return 1;
  }
  return 0;
}
