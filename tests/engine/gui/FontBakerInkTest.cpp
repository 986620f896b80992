// The font baker keeps every glyph's ink inside its cell: ink left of the pen, past the advance, above
// the ascender or below the descender widens the cell or the line instead of being cut. And the code
// ranges a font is baked for come from the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support/TempFolder.h"
#include "tools/fontbaker/FontBaker.h"

namespace {

struct PixelRect {
  long left, top, right, bottom;  // top-down sheet rows, right and bottom exclusive
};

PixelRect CellOf(const fontbaker::BakedFont& baked, const fontbaker::FontGlyphRecord& glyph) {
  const long left = std::lround(glyph.u * baked.width);
  const long right = std::lround((glyph.u + glyph.du) * baked.width);
  const long bottom = static_cast<long>(baked.height) - std::lround(glyph.v * baked.height);
  const long top = static_cast<long>(baked.height) - std::lround((glyph.v + glyph.dv) * baked.height);
  return {left, top, right, bottom};
}

std::uint8_t AlphaAt(const fontbaker::BakedFont& baked, long x, long topDownRow) {
  const std::size_t stored = baked.height - 1 - static_cast<std::size_t>(topDownRow);
  return baked.rgba[(stored * baked.width + static_cast<std::size_t>(x)) * 4 + 3];
}

// A bitmap font whose two glyphs overhang on every side. Line: ascent 6, descent 2.
//  'A': advance 4, an 8 x 8 block from 2 left of the pen and 3 below the baseline (left and bottom).
//  'B': advance 8, a 2 x 10 bar from column 7 and 1 below the baseline, so 9 above it (right and top).
const char kOverhangFont[] =
    "STARTFONT 2.1\nFONT -test-overhang-medium-r-normal--8-80-75-75-p-80-iso10646-1\n"
    "SIZE 8 75 75\nFONTBOUNDINGBOX 11 12 -2 -3\nSTARTPROPERTIES 2\nFONT_ASCENT 6\nFONT_DESCENT 2\n"
    "ENDPROPERTIES\nCHARS 2\n"
    "STARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 4 0\nBBX 8 8 -2 -3\nBITMAP\n"
    "FF\nFF\nFF\nFF\nFF\nFF\nFF\nFF\nENDCHAR\n"
    "STARTCHAR B\nENCODING 66\nSWIDTH 1000 0\nDWIDTH 8 0\nBBX 2 10 7 -1\nBITMAP\n"
    "C0\nC0\nC0\nC0\nC0\nC0\nC0\nC0\nC0\nC0\nENDCHAR\nENDFONT\n";

TEST(FontBakerInk, OverhangingInkWidensTheCellAndTheLineInsteadOfBeingCut) {
  testsupport::TempFolder temp;
  temp.Write("overhang.bdf", std::string(kOverhangFont));
  fontbaker::FontBakeOptions options;
  options.pixelSize = 8;
  options.sheetWidth = 64;
  options.ranges = {{65, 66}};
  const fontbaker::BakedFont baked = fontbaker::BakeFont(temp.Host("overhang.bdf").string(), options);
  ASSERT_EQ(baked.glyphs.size(), 2u);

  // The line reaches from 9 above the baseline ('B') to 3 below it ('A'): 12 rows.
  const fontbaker::FontGlyphRecord& a = baked.glyphs[0];
  const fontbaker::FontGlyphRecord& b = baked.glyphs[1];
  EXPECT_FLOAT_EQ(a.width, 8.0f / 12.0f) << "from 2 left of the pen to the ink's end, 6 past it";
  EXPECT_FLOAT_EQ(b.width, 9.0f / 12.0f) << "the advance and the column beyond it";

  const PixelRect cellA = CellOf(baked, a);
  const PixelRect cellB = CellOf(baked, b);
  EXPECT_EQ(cellA.bottom - cellA.top, 12);
  EXPECT_EQ(cellA.right - cellA.left, 8);
  EXPECT_EQ(cellB.right - cellB.left, 9);
  auto inkInside = [&](const PixelRect& cell) {
    std::uint32_t count = 0;
    for (long y = cell.top; y < cell.bottom; ++y) {
      for (long x = cell.left; x < cell.right; ++x) {
        count += AlphaAt(baked, x, y) == 255 ? 1 : 0;
      }
    }
    return count;
  };
  EXPECT_EQ(inkInside(cellA), 64u) << "the whole block";
  EXPECT_EQ(inkInside(cellB), 20u) << "the whole bar";
  std::uint32_t total = 0;
  for (std::size_t i = 3; i < baked.rgba.size(); i += 4) {
    total += baked.rgba[i] != 0 ? 1 : 0;
  }
  EXPECT_EQ(total, 84u) << "no ink outside the cells";

  // Placed as the pen would draw them: 'A' fills its cell's columns and rows 4 to 11 (its top is 5
  // below the line's top of 9); 'B' stands in columns 7 and 8 from the cell's top.
  EXPECT_EQ(AlphaAt(baked, cellA.left, cellA.top + 4), 255);
  EXPECT_EQ(AlphaAt(baked, cellA.left, cellA.top + 3), 0);
  EXPECT_EQ(AlphaAt(baked, cellA.right - 1, cellA.bottom - 1), 255);
  EXPECT_EQ(AlphaAt(baked, cellB.left + 7, cellB.top), 255);
  EXPECT_EQ(AlphaAt(baked, cellB.left + 6, cellB.top), 0);
  EXPECT_EQ(AlphaAt(baked, cellB.left + 8, cellB.top + 9), 255);
}

// In a real face the overhanging glyphs get the wider cells, and no glyph's ink touches the padding
// between cells.
TEST(FontBakerInk, DejaVuBoldObliqueKeepsItsInkInItsCells) {
  fontbaker::FontBakeOptions options;
  options.pixelSize = 32;
  std::string path = DEJAVU_SANS;
  path.replace(path.rfind("DejaVuSans.ttf"), 14, "DejaVuSans-BoldOblique.ttf");
  const fontbaker::BakedFont baked = fontbaker::BakeFont(path, options);
  ASSERT_GT(baked.glyphs.size(), 180u);
  std::vector<bool> inCell(std::size_t{baked.width} * baked.height, false);
  for (const fontbaker::FontGlyphRecord& glyph : baked.glyphs) {
    const PixelRect cell = CellOf(baked, glyph);
    for (long y = cell.top; y < cell.bottom; ++y) {
      for (long x = cell.left; x < cell.right; ++x) {
        inCell[static_cast<std::size_t>(y) * baked.width + static_cast<std::size_t>(x)] = true;
      }
    }
  }
  for (std::size_t y = 0; y < baked.height; ++y) {
    for (std::size_t x = 0; x < baked.width; ++x) {
      if (!inCell[y * baked.width + x]) {
        ASSERT_EQ(AlphaAt(baked, static_cast<long>(x), static_cast<long>(y)), 0) << x << "," << y;
      }
    }
  }
}

TEST(FontBakerInk, CodeRangesFromTheCommandLine) {
  using Ranges = std::vector<std::pair<std::uint16_t, std::uint16_t>>;
  EXPECT_EQ(fontbaker::ParseCodeRanges("32-126,160-255"), (Ranges{{32, 126}, {160, 255}}));
  EXPECT_EQ(fontbaker::ParseCodeRanges("0x100-0x17F,8364"), (Ranges{{0x100, 0x17F}, {8364, 8364}}));
  EXPECT_EQ(fontbaker::ParseCodeRanges("65535"), (Ranges{{65535, 65535}}));
  for (const char* bad : {"", "32-", "-5", "126-32", "0x10000", "a-z", "32,,64", "32 - 64", "1-2,"}) {
    EXPECT_THROW(fontbaker::ParseCodeRanges(bad), std::invalid_argument) << '"' << bad << '"';
  }

  testsupport::TempFolder temp;
  temp.Write("overhang.bdf", std::string(kOverhangFont));
  fontbaker::FontBakeOptions options;
  options.pixelSize = 8;
  options.sheetWidth = 64;
  options.ranges = fontbaker::ParseCodeRanges("66,0x41");
  const fontbaker::BakedFont baked = fontbaker::BakeFont(temp.Host("overhang.bdf").string(), options);
  ASSERT_EQ(baked.glyphs.size(), 2u);
  EXPECT_EQ(baked.glyphs[0].code, 66) << "in the order of the ranges";
  EXPECT_EQ(baked.glyphs[1].code, 65);
}

}  // namespace
