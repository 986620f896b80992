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

std::vector<std::pair<std::uint16_t, std::uint16_t>> ParseCodeRanges(const std::string& text) {
  std::vector<std::pair<std::uint16_t, std::uint16_t>> ranges;
  auto code = [&](const std::string& part) {
    std::size_t used = 0;
    unsigned long value = 0;
    try {
      value = std::stoul(part, &used, 0);
    } catch (const std::logic_error&) {
      used = 0;
    }
    if (part.empty() || used != part.size() || value > 0xFFFF || part[0] == '-' || part[0] == '+') {
      throw std::invalid_argument("bad character code \"" + part + "\" in ranges \"" + text + "\"");
    }
    return static_cast<std::uint16_t>(value);
  };
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    const std::string item = text.substr(start, end - start);
    const std::size_t dash = item.find('-', 1);
    const std::uint16_t first = code(item.substr(0, dash));
    const std::uint16_t last = dash == std::string::npos ? first : code(item.substr(dash + 1));
    if (last < first) {
      throw std::invalid_argument("range \"" + item + "\" ends before it starts");
    }
    ranges.emplace_back(first, last);
    start = end + 1;
  }
  return ranges;
}

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

  // Every glyph is rendered first, so the cells can be sized to hold all of its ink: a glyph's cell
  // starts where its ink or its pen position starts (whichever is further left) and ends where its
  // ink or its advance ends, and the line (the cell height, common to all glyphs) reaches from the
  // highest ink or the ascender down to the lowest ink or the descender. Most glyphs keep a cell of
  // exactly one advance; those whose ink hangs over (f, j, J, _ in many faces) get a wider one.
  struct Cell {
    std::uint16_t code;
    Coverage ink;
    long inkLeft, inkTop;  // the bitmap's left column from the pen, its top row above the baseline
    long cellLeft;         // from the pen position; 0 or negative
    std::uint32_t width;
    std::uint32_t x = 0, top = 0;  // placement on the sheet, top row counted from the sheet's top
  };
  std::vector<Cell> cells;
  long lineTop = std::max<long>(ascender, 1);
  long lineBottom = std::min<long>(descender, 0);
  for (const auto& [first, last] : options.ranges) {
    for (std::uint32_t code = first; code <= last; ++code) {
      const FT_UInt index = FT_Get_Char_Index(face.get(), code);
      if (index == 0 || FT_Load_Glyph(face.get(), index, FT_LOAD_RENDER) != 0) {
        continue;
      }
      const FT_GlyphSlot slot = face->glyph;
      Cell cell{static_cast<std::uint16_t>(code),
                ReadCoverage(library.get(), slot->bitmap),
                slot->bitmap_left,
                slot->bitmap_top,
                0,
                0};
      const long advance = std::max<long>(1, slot->advance.x >> 6);
      long cellRight = advance;
      if (cell.ink.width > 0 && cell.ink.rows > 0) {
        cell.cellLeft = std::min<long>(0, cell.inkLeft);
        cellRight = std::max<long>(advance, cell.inkLeft + static_cast<long>(cell.ink.width));
        lineTop = std::max(lineTop, cell.inkTop);
        lineBottom = std::min(lineBottom, cell.inkTop - static_cast<long>(cell.ink.rows));
      }
      cell.width = static_cast<std::uint32_t>(cellRight - cell.cellLeft);
      if (cell.width + kPadding > options.sheetWidth) {
        continue;
      }
      cells.push_back(std::move(cell));
    }
  }
  const auto cellHeight = static_cast<std::uint32_t>(lineTop - lineBottom);

  std::uint32_t penX = 0;
  std::uint32_t rowTop = 0;
  for (Cell& cell : cells) {
    if (penX + cell.width + kPadding > options.sheetWidth) {
      penX = 0;
      rowTop += cellHeight + kPadding;
    }
    cell.x = penX;
    cell.top = rowTop;
    penX += cell.width + kPadding;
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
    // The cell holds the whole bitmap by construction: no pixel is cut.
    const std::size_t left = cell.x + static_cast<std::size_t>(cell.inkLeft - cell.cellLeft);
    const std::size_t top = cell.top + static_cast<std::size_t>(lineTop - cell.inkTop);
    for (std::uint32_t row = 0; row < cell.ink.rows; ++row) {
      // Rows are stored bottom-up.
      const std::size_t storedRow = height - 1 - (top + row);
      for (std::uint32_t column = 0; column < cell.ink.width; ++column) {
        baked.rgba[(storedRow * baked.width + left + column) * 4 + 3] = cell.ink.At(row, column);
      }
    }
    FontGlyphRecord record;
    record.code = cell.code;
    record.u = static_cast<float>(cell.x) / static_cast<float>(baked.width);
    record.v = static_cast<float>(height - cell.top - cellHeight) / static_cast<float>(height);
    record.du = static_cast<float>(cell.width) / static_cast<float>(baked.width);
    record.dv = static_cast<float>(cellHeight) / static_cast<float>(height);
    record.width = static_cast<float>(cell.width) / static_cast<float>(cellHeight);
    baked.glyphs.push_back(record);
  }
  return baked;
}

}  // namespace fontbaker
