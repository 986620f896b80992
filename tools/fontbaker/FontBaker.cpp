#include "tools/fontbaker/FontBaker.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace fontbaker {

namespace {

struct LibraryDeleter {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};

constexpr std::uint32_t kPadding = 1;

// A rendered glyph as one coverage byte per pixel (0 to 255), rows top-down. Outline glyphs come as
// 8-bit grey, but bitmap fonts and the embedded bitmaps of many TrueType fonts come one bit per pixel
// (or in other depths), so every bitmap goes through FreeType's conversion first.
struct Coverage {
  std::uint32_t rows = 0;
  std::uint32_t width = 0;
  std::vector<std::uint8_t> values;

  std::uint8_t At(std::uint32_t row, std::uint32_t column) const { return values[row * width + column]; }
};

Coverage ReadCoverage(FT_Library library, const FT_Bitmap& bitmap) {
  Coverage coverage;
  FT_Bitmap grey;
  FT_Bitmap_Init(&grey);
  if (FT_Bitmap_Convert(library, &bitmap, &grey, 1) != 0 || grey.num_grays < 2) {
    FT_Bitmap_Done(library, &grey);
    return coverage;
  }
  coverage.rows = grey.rows;
  coverage.width = grey.width;
  coverage.values.resize(static_cast<std::size_t>(grey.rows) * grey.width);
  const long stride = grey.pitch < 0 ? -static_cast<long>(grey.pitch) : grey.pitch;
  const unsigned top = grey.num_grays - 1;
  for (std::uint32_t row = 0; row < grey.rows; ++row) {
    // A negative pitch stores the rows bottom-up.
    const std::uint32_t stored = grey.pitch < 0 ? grey.rows - 1 - row : row;
    const unsigned char* line = grey.buffer + static_cast<long>(stored) * stride;
    for (std::uint32_t column = 0; column < grey.width; ++column) {
      coverage.values[static_cast<std::size_t>(row) * grey.width + column] =
          static_cast<std::uint8_t>(std::min(255u, line[column] * 255u / top));
    }
  }
  FT_Bitmap_Done(library, &grey);
  return coverage;
}

}  // namespace

BakedFont BakeFont(const std::string& ttfPath, const FontBakeOptions& options) {
  if (options.pixelSize == 0 || options.pixelSize > 512 || options.sheetWidth < options.pixelSize * 4 ||
      options.sheetWidth > 8192) {
    throw std::runtime_error("unusable pixel size or sheet width");
  }
  FT_Library rawLibrary = nullptr;
  if (FT_Init_FreeType(&rawLibrary) != 0) {
    throw std::runtime_error("FreeType did not start");
  }
  std::unique_ptr<FT_LibraryRec_, LibraryDeleter> library(rawLibrary);
  FT_Face rawFace = nullptr;
  if (FT_New_Face(library.get(), ttfPath.c_str(), 0, &rawFace) != 0) {
    throw std::runtime_error("cannot read font " + ttfPath);
  }
  std::unique_ptr<FT_FaceRec_, FaceDeleter> face(rawFace);
  if (FT_Set_Pixel_Sizes(face.get(), 0, options.pixelSize) != 0) {
    throw std::runtime_error("font has no size " + std::to_string(options.pixelSize));
  }
  const long ascender = face->size->metrics.ascender >> 6;
  const long descender = face->size->metrics.descender >> 6;  // negative
  const auto cellHeight = static_cast<std::uint32_t>(std::max<long>(1, ascender - descender));

  struct Cell {
    std::uint16_t code;
    std::uint32_t advance;
    std::uint32_t x, top;  // top row counted from the sheet's top
  };
  std::vector<Cell> cells;
  std::uint32_t penX = 0;
  std::uint32_t rowTop = 0;
  for (const auto& [first, last] : options.ranges) {
    for (std::uint32_t code = first; code <= last; ++code) {
      const FT_UInt index = FT_Get_Char_Index(face.get(), code);
      if (index == 0 || FT_Load_Glyph(face.get(), index, FT_LOAD_DEFAULT) != 0) {
        continue;
      }
      const auto advance = static_cast<std::uint32_t>(std::max<long>(1, face->glyph->advance.x >> 6));
      if (advance + kPadding > options.sheetWidth) {
        continue;
      }
      if (penX + advance + kPadding > options.sheetWidth) {
        penX = 0;
        rowTop += cellHeight + kPadding;
      }
      cells.push_back({static_cast<std::uint16_t>(code), advance, penX, rowTop});
      penX += advance + kPadding;
    }
  }
  std::uint32_t height = 1;
  while (height < rowTop + cellHeight + kPadding) {
    height *= 2;
  }

  BakedFont baked;
  baked.width = options.sheetWidth;
  baked.height = height;
  baked.rgba.assign(static_cast<std::size_t>(baked.width) * height * 4, 0);
  for (std::size_t i = 0; i < baked.rgba.size(); i += 4) {
    baked.rgba[i] = baked.rgba[i + 1] = baked.rgba[i + 2] = 255;
  }
  for (const Cell& cell : cells) {
    const FT_UInt index = FT_Get_Char_Index(face.get(), cell.code);
    if (FT_Load_Glyph(face.get(), index, FT_LOAD_RENDER) != 0) {
      continue;
    }
    const FT_GlyphSlot slot = face->glyph;
    const Coverage bitmap = ReadCoverage(library.get(), slot->bitmap);
    const long baselineRow = static_cast<long>(cell.top) + ascender;  // from the sheet's top
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const long y = baselineRow - slot->bitmap_top + static_cast<long>(row);
      if (y < static_cast<long>(cell.top) || y >= static_cast<long>(cell.top + cellHeight)) {
        continue;
      }
      for (unsigned column = 0; column < bitmap.width; ++column) {
        const long x = static_cast<long>(cell.x) + slot->bitmap_left + static_cast<long>(column);
        if (x < static_cast<long>(cell.x) || x >= static_cast<long>(cell.x + cell.advance)) {
          continue;
        }
        const std::uint8_t coverage = bitmap.At(row, column);
        // Rows are stored bottom-up.
        const std::size_t storedRow = height - 1 - static_cast<std::size_t>(y);
        baked.rgba[(storedRow * baked.width + static_cast<std::size_t>(x)) * 4 + 3] = coverage;
      }
    }
    FontGlyphRecord record;
    record.code = cell.code;
    record.u = static_cast<float>(cell.x) / static_cast<float>(baked.width);
    record.v = static_cast<float>(height - cell.top - cellHeight) / static_cast<float>(height);
    record.du = static_cast<float>(cell.advance) / static_cast<float>(baked.width);
    record.dv = static_cast<float>(cellHeight) / static_cast<float>(height);
    record.width = static_cast<float>(cell.advance) / static_cast<float>(cellHeight);
    baked.glyphs.push_back(record);
  }
  return baked;
}

}  // namespace fontbaker
