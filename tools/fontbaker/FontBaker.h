#pragma once
// Bakes a TrueType font into a glyph sheet and its font file. Each glyph gets a cell one line high and
// one advance wide, widened where its ink reaches past the pen position or the advance; the line runs
// from the ascender (or the highest ink) down to the descender (or the lowest ink). A glyph drawn at
// size s is s high and s * width wide, baseline included, and shows all of its ink. The sheet is white
// with the glyph coverage in alpha.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/fontbaker/FontFileWriter.h"

namespace fontbaker {

struct BakedFont {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgba;  // rows bottom-up
  std::vector<FontGlyphRecord> glyphs;
};

struct FontBakeOptions {
  std::uint32_t pixelSize = 32;
  std::uint32_t sheetWidth = 512;
  // Inclusive code ranges; codes the font lacks are left out.
  std::vector<std::pair<std::uint16_t, std::uint16_t>> ranges = {{32, 126}, {160, 255}};
};

// "32-126,160-255,0x100-0x17F": comma-separated codes or inclusive ranges, decimal or 0x hex, each
// within 0 to 0xFFFF (the font file holds UTF-16 codes). Throws std::invalid_argument with the reason.
std::vector<std::pair<std::uint16_t, std::uint16_t>> ParseCodeRanges(const std::string& text);

// Throws std::runtime_error with the reason when FreeType cannot read the font.
BakedFont BakeFont(const std::string& ttfPath, const FontBakeOptions& options);

}  // namespace fontbaker
