#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "game/PieceShapeFile.h"
#include "tools/cutter/JigsawCutter.h"

namespace {

using jigsaw::CutRequest;
using jigsaw::Style;

CutRequest Request(Style style, int columns, int rows, std::uint32_t seed) {
  CutRequest request;
  request.pictureWidth = 640;
  request.pictureHeight = 480;
  request.columns = columns;
  request.rows = rows;
  request.style = style;
  request.seed = seed;
  return request;
}

std::vector<std::uint8_t> Bytes(const CutRequest& request) {
  return Puzzle::PieceShapeFile::Write(jigsaw::CutPicture(request).shapes, 640, 480);
}

TEST(JigsawCutter, TheSameSeedGivesTheSameBytesAndAnotherSeedAnotherCut) {
  const CutRequest request = Request(Style::kWavy, 6, 4, 77);
  EXPECT_EQ(Bytes(request), Bytes(request));
  CutRequest other = request;
  other.seed = 78;
  EXPECT_NE(Bytes(request), Bytes(other));
  other = request;
  other.style = Style::kBold;
  EXPECT_NE(Bytes(request), Bytes(other));
}

TEST(JigsawCutter, EveryPixelBelongsToExactlyOnePieceInEveryStyleAndSize) {
  const Style styles[] = {Style::kClassic, Style::kWavy, Style::kBold, Style::kIrregular};
  const std::pair<int, int> grids[] = {{4, 3}, {6, 4}, {8, 6}, {10, 8}, {15, 10}};
  for (const Style style : styles) {
    for (const auto& [columns, rows] : grids) {
      for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        SCOPED_TRACE(std::to_string(static_cast<int>(style)) + " " + std::to_string(columns) + "x" +
                     std::to_string(rows) + " seed " + std::to_string(seed));
        const auto cut = jigsaw::CutPicture(Request(style, columns, rows, seed));
        const auto& shapes = cut.shapes;
        ASSERT_EQ(shapes.pieces.size(), static_cast<std::size_t>(columns * rows));
        std::vector<int> owners(640 * 480, 0);
        for (std::size_t p = 0; p < shapes.pieces.size(); ++p) {
          const auto& piece = shapes.pieces[p];
          bool left = false, right = false, bottom = false, top = false;
          for (int r = 0; r < piece.height; ++r) {
            for (int c = 0; c < piece.width; ++c) {
              if (piece.Contains(c, r)) {
                ++owners[static_cast<std::size_t>((piece.y + r) * 640 + piece.x + c)];
                left |= c == 0;
                right |= c == piece.width - 1;
                bottom |= r == 0;
                top |= r == piece.height - 1;
              }
            }
          }
          EXPECT_TRUE(left && right && bottom && top) << "rectangle of piece " << p << " is not tight";
          // Neighbours are mutual.
          for (const std::uint32_t n : piece.neighbours) {
            const auto& back = shapes.pieces[n].neighbours;
            EXPECT_NE(std::find(back.begin(), back.end(), static_cast<std::uint32_t>(p)), back.end());
          }
        }
        EXPECT_TRUE(std::all_of(owners.begin(), owners.end(), [](int n) { return n == 1; }));
      }
    }
  }
}

TEST(JigsawCutter, PiecesCountRowsFromThePicturesBottom) {
  // Piece 0 is the bottom-left piece and holds the picture's first stored pixel; the last piece holds
  // the top-right one.
  const auto cut = jigsaw::CutPicture(Request(Style::kClassic, 4, 3, 5));
  const auto& first = cut.shapes.pieces.front();
  EXPECT_EQ(first.x, 0);
  EXPECT_EQ(first.y, 0);
  EXPECT_TRUE(first.Contains(0, 0));
  const auto& last = cut.shapes.pieces.back();
  EXPECT_EQ(last.x + last.width, 640);
  EXPECT_EQ(last.y + last.height, 480);
  EXPECT_TRUE(last.Contains(last.width - 1, last.height - 1));
  EXPECT_EQ(first.neighbours, (std::vector<std::uint32_t>{1, 4}));

  // Drawn over a top-down picture, piece 0 (tinted white) lands at the bottom and the last piece
  // (index 11, tinted black) at the top.
  tools::RgbImage grey = tools::MakeImage(640, 480);
  std::fill(grey.pixels.begin(), grey.pixels.end(), 128);
  const std::uint8_t line[3] = {0, 0, 0};
  const tools::RgbImage drawn = jigsaw::DrawCut(cut, grey, line, true);
  EXPECT_GT(drawn.At(0, 479)[0], 128);  // bottom-left, top-down row 479
  EXPECT_LT(drawn.At(639, 0)[0], 128);  // top-right, top-down row 0
}

TEST(JigsawCutter, OutlinesAreAntialiasedAndOnlyOnInnerCuts) {
  const auto cut = jigsaw::CutPicture(Request(Style::kClassic, 4, 3, 9));
  const auto& outline = cut.shapes.outline;
  std::set<int> levels(outline.begin(), outline.end());
  EXPECT_TRUE(levels.count(0) && levels.count(255));
  EXPECT_GT(std::count_if(levels.begin(), levels.end(), [](int v) { return v > 0 && v < 255; }), 50);
  // The picture's border is no cut line: its corners stay clear.
  EXPECT_EQ(outline[0], 0);
  EXPECT_EQ(outline[639], 0);
  EXPECT_EQ(outline[479 * 640], 0);
  // Between the columns of a 4 x 3 grid a line runs near x = 160 on every row outside the tab.
  int hits = 0;
  for (int row = 0; row < 480; ++row) {
    const auto* line = &outline[static_cast<std::size_t>(row) * 640];
    hits += *std::max_element(line + 140, line + 181) == 255 ? 1 : 0;
  }
  EXPECT_GT(hits, 400);
}

TEST(JigsawCutter, RefusesGridsThatDoNotFitAndUnknownStyles) {
  EXPECT_THROW(jigsaw::CutPicture(Request(Style::kClassic, 0, 3, 1)), std::invalid_argument);
  EXPECT_THROW(jigsaw::CutPicture(Request(Style::kClassic, 100, 3, 1)), std::invalid_argument);
  EXPECT_THROW(jigsaw::ParseStyle("round"), std::invalid_argument);
  EXPECT_EQ(jigsaw::ParseStyle("irregular"), Style::kIrregular);
}

}  // namespace
