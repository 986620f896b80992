// A level's data: loading a picture, its piece shapes and colours, cutting the pieces (compared pixel by
// pixel with the picture under the mask and the outline), the board textures (all checked as rebuilt
// from the files, since the textures keep no pixels), the numbering of loads, and the contents that
// end the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "GameTestSupport.h"
#include "engine/core/Error.h"
#include "engine/render/Image.h"
#include "engine/render/TextureManager.h"
#include "engine/resources/Shader.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/ShaderUser.h"
#include "game/GameLogicData.h"
#include "game/PieceShapeFile.h"
#include "game/TexturePack.h"

namespace Puzzle {
namespace {

using CorvantisEngine::Image;
using CorvantisEngine::Vector2;
using CorvantisEngine::Vector4;
using gametest::Picture;

// A 12 x 8 picture cut into a bottom-left L-shaped piece and the rest; the asymmetry shows any flip.
PieceShapes Shapes(const Picture& picture) {
  PieceShapes shapes;
  shapes.boardWidth = 120.0f;
  shapes.boardHeight = 80.0f;
  PieceShape a;
  a.x = 0;
  a.y = 0;
  a.width = 7;
  a.height = 5;
  a.neighbours = {1};
  a.mask.assign(35, 0);
  for (int row = 0; row < 5; ++row) {
    for (int column = 0; column < 7; ++column) {
      a.mask[row * 7 + column] = (row < 2 || column < 3) ? 1 : 0;
    }
  }
  PieceShape b;
  b.x = 0;
  b.y = 0;
  b.width = 12;
  b.height = 8;
  b.neighbours = {0};
  b.mask.assign(96, 1);
  for (int row = 0; row < 5; ++row) {
    for (int column = 0; column < 7; ++column) {
      b.mask[row * 12 + column] = a.mask[row * 7 + column] ? 0 : 1;
    }
  }
  shapes.pieces = {a, b};
  shapes.outline.assign(static_cast<std::size_t>(picture.width) * picture.height, 0);
  for (std::size_t i = 0; i < shapes.outline.size(); ++i) {
    shapes.outline[i] = static_cast<std::uint8_t>((i * 29) % 256);
  }
  return shapes;
}

class GameLogicDataTest : public gametest::EngineTest {
 protected:
  std::unique_ptr<GameLogicData> MakeData() { return MakeLevel(); }
  static void Load(GameLogicData& data) {
    data.Load();
    data.WaitForLoad();
  }
  // The images a texture of the level is rebuilt from: made again from the files, nothing is kept.
  const Image& Rebuilt(CorvantisEngine::ShaderUser* user) {
    Image* diffuse = nullptr;
    Image* opacity = nullptr;
    bool deleteImages = false;
    engine_->GetShaderManager()->GetTextureManager()->GetTextureImages(
        user->GetShader()->GetTextures(0).at(0), diffuse, opacity, deleteImages);
    EXPECT_TRUE(deleteImages) << "the level's textures keep no images";
    EXPECT_EQ(opacity, nullptr);
    rebuilt_.emplace_back(diffuse);
    return *diffuse;
  }
  std::vector<std::unique_ptr<Image>> rebuilt_;
};

TEST_F(GameLogicDataTest, PiecesAreCutFromThePictureUnderTheirMasks) {
  const Picture picture = gametest::Gradient(12, 8);
  const PieceShapes shapes = Shapes(picture);
  WriteLevel(picture, shapes,
             "<puzzle><background_color>10 20 30</background_color><puzzle_color>255 0 51</puzzle_color>"
             "</puzzle>");
  Start();
  auto data = MakeData();
  Load(*data);

  ASSERT_EQ(data->GetPieceCount(), 2u);
  EXPECT_EQ(data->boardSize, (Vector2{120, 80}));
  EXPECT_EQ(data->pieceCentres[0], (Vector2{3.5f, 2.5f}));
  EXPECT_EQ(data->pieceSizes[1], (Vector2{12, 8}));
  EXPECT_EQ(data->pieceSizesInPixels[0], std::make_pair(7, 5));
  EXPECT_EQ(data->neighbours[1], (std::vector<std::uint32_t>{0}));
  // Every third column and row of the mask: columns 0, 3, 6 of rows 0 and 3 (row 3 only below column 3).
  EXPECT_EQ(data->samplePoints[0].size(), 4u);
  EXPECT_EQ(data->backgroundColour, Vector4(10 / 255.0f, 20 / 255.0f, 30 / 255.0f, 1));
  EXPECT_EQ(data->puzzleColour, Vector4(1, 0, 0.2f, 1));
  EXPECT_EQ(data->tipColour, Vector4(1, 1, 1, 1));

  // The bigger piece is named "0", the L-shape "1".
  EXPECT_EQ(data->pieceImageNames[0], "1");
  EXPECT_EQ(data->pieceImageNames[1], "0");
  for (std::size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const PieceShape& piece = shapes.pieces[i];
    const TexturePackItem* item = data->texturePack->FindItem(data->pieceImageNames[i]);
    ASSERT_NE(item, nullptr);
    const Image& sheet = Rebuilt(item->shader);
    const int x0 = static_cast<int>(std::lround(item->uv0.x * sheet.GetWidth()));
    const int y0 = static_cast<int>(std::lround(item->uv0.y * sheet.GetHeight()));
    int wrong = 0;
    for (int row = 0; row < piece.height; ++row) {
      for (int column = 0; column < piece.width; ++column) {
        const std::uint8_t* got =
            sheet.GetPixels() + (static_cast<std::size_t>(y0 + row) * sheet.GetWidth() + x0 + column) * 4;
        const std::uint8_t* want = picture.At(piece.x + column, piece.y + row);
        const std::uint8_t line = shapes.outline[(piece.y + row) * picture.width + piece.x + column];
        const int alpha = piece.Contains(column, row) ? 255 - line : 0;
        wrong += got[0] != want[0] || got[1] != want[1] || got[2] != want[2] || got[3] != alpha;
      }
    }
    EXPECT_EQ(wrong, 0);
  }

  // The board textures: the picture on white, its greyed copy, and the cut lines in the puzzle colour.
  const Image& theme = Rebuilt(data->themeShader);
  ASSERT_EQ(theme.GetWidth(), 1024u);
  ASSERT_EQ(theme.GetHeight(), 512u);
  const std::uint8_t* corner = theme.GetPixels() + (7 * 1024 + 11) * 3;
  EXPECT_EQ(corner[0], picture.At(11, 7)[0]);
  EXPECT_EQ(corner[1], picture.At(11, 7)[1]);
  EXPECT_EQ(theme.GetPixels()[(8 * 1024) * 3], 255);
  const Image& grey = Rebuilt(data->backgroundShader);
  const std::uint8_t* p = picture.At(5, 6);
  const float mean = (p[0] + p[1] + p[2]) / 3.0f;
  EXPECT_EQ(grey.GetPixels()[(6 * 1024 + 5) * 3 + 1], static_cast<std::uint8_t>(0.8f * mean + 0.2f * p[1]));
  const Image& lines = Rebuilt(data->puzzleShader);
  const std::uint8_t* line = lines.GetPixels() + (3 * 1024 + 4) * 4;
  EXPECT_EQ(line[0], 255);
  EXPECT_EQ(line[1], 0);
  EXPECT_EQ(line[3], shapes.outline[3 * 12 + 4]);
  EXPECT_EQ(lines.GetPixels()[(3 * 1024 + 12) * 4 + 3], 0);
  EXPECT_EQ(data->GetShaderUser("puzzle"), data->puzzleShader);
  EXPECT_EQ(data->GetShaderUser("puzzle_theme"), data->themeShader);
  EXPECT_EQ(data->GetShaderUser("puzzle_background"), data->backgroundShader);
  // The greyed picture in the background colour (10, 20, 30) with the cut lines laid over it, as drawing
  // the lines over it blends them.
  const Image& lined = Rebuilt(data->linedBackgroundShader);
  ASSERT_EQ(lined.GetWidth(), 1024u);
  ASSERT_EQ(lined.GetHeight(), 512u);
  for (const auto& [x, y] : {std::pair{4, 3}, std::pair{5, 6}, std::pair{11, 7}, std::pair{0, 0}}) {
    SCOPED_TRACE(testing::Message() << "texel " << x << ", " << y);
    const std::uint32_t a = shapes.outline[static_cast<std::size_t>(y) * 12 + x];
    const double tint[3] = {10, 20, 30};
    for (int c = 0; c < 3; ++c) {
      const double g = grey.GetPixels()[(y * 1024 + x) * 3 + c] * tint[c] / 255.0;
      const std::uint32_t l = lines.GetPixels()[(y * 1024 + x) * 4 + c];
      EXPECT_NEAR(lined.GetPixels()[(y * 1024 + x) * 3 + c], (g * (255 - a) + l * a) / 255.0, 1.0);
    }
  }
  EXPECT_EQ(data->GetShaderUser("puzzle_background_lined"), data->linedBackgroundShader);
}

TEST_F(GameLogicDataTest, APictureWithAlphaIsConvertedBeforeCutting) {
  const gametest::Picture picture = gametest::Gradient(12, 8);
  WriteLevel(picture, Shapes(picture), "<puzzle/>");
  Write("data/themes/t/01.tga", gametest::Tga(picture, 32));
  Start();
  auto data = MakeData();
  Load(*data);
  const TexturePackItem* item = data->texturePack->FindItem(data->pieceImageNames[1]);
  const Image& sheet = Rebuilt(item->shader);
  const int x0 = static_cast<int>(std::lround(item->uv0.x * sheet.GetWidth()));
  const int y0 = static_cast<int>(std::lround(item->uv0.y * sheet.GetHeight()));
  const std::uint8_t* got =
      sheet.GetPixels() + (static_cast<std::size_t>(y0 + 6) * sheet.GetWidth() + x0 + 9) * 4;
  EXPECT_EQ(got[0], picture.At(9, 6)[0]);
  EXPECT_EQ(got[1], picture.At(9, 6)[1]);
  EXPECT_EQ(got[2], picture.At(9, 6)[2]);
}

TEST_F(GameLogicDataTest, EachLoadNumbersItsTexturesAndAMissingPuzzleElementLeavesTheColours) {
  const Picture picture = gametest::Gradient(12, 8);
  WriteLevel(picture, Shapes(picture), "<other/>");
  Start();
  auto first = MakeData();
  first->puzzleColour = Vector4(0.5f, 0.5f, 0.5f, 0.5f);
  Load(*first);
  EXPECT_EQ(first->puzzleColour, Vector4(0.5f, 0.5f, 0.5f, 0.5f));
  auto second = MakeData();
  Load(*second);
  EXPECT_EQ(second->GetLoadNumber(), first->GetLoadNumber() + 1);
  EXPECT_EQ(second->texturePack->GetName(), "puzzle_elements_" + std::to_string(second->GetLoadNumber()));
  // Two loads alive at once keep their own textures.
  EXPECT_NE(first->themeShader->GetShader(), second->themeShader->GetShader());
}

// A level's textures are rebuilt from its files when the device loses them. Files that can no longer
// be read, or that no longer match the level in play, are logged and give the checkerboard; the game
// goes on.
TEST_F(GameLogicDataTest, TexturesThatCannotBeMadeAgainBecomeTheCheckerboard) {
  const Picture picture = gametest::Gradient(12, 8);
  WriteLevel(picture, Shapes(picture), "<puzzle/>");
  Start();
  auto data = MakeData();
  Load(*data);
  const TexturePackItem* item = data->texturePack->FindItem(data->pieceImageNames[0]);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(Rebuilt(item->shader).GetBitsPerPixel(), 32u);
  EXPECT_EQ(Rebuilt(data->linedBackgroundShader).GetWidth(), 1024u);

  // Other shapes: one piece less.
  PieceShapes fewer = Shapes(picture);
  fewer.pieces.pop_back();
  fewer.pieces[0].neighbours.clear();
  Write("data/puzzles/01/puzzle_01.pzf", PieceShapeFile::Write(fewer, 12, 8));
  rig_.ClearLog();
  const Image& sheet = Rebuilt(item->shader);
  EXPECT_EQ(sheet.GetWidth(), 64u) << "the checkerboard";
  EXPECT_EQ(rig_.CountLogged("no longer matches"), 1);
  EXPECT_EQ(Rebuilt(data->puzzleShader).GetWidth(), 64u);

  std::filesystem::remove(rig_.Folder().Host("data/themes/t/01.tga"));
  rig_.ClearLog();
  EXPECT_EQ(Rebuilt(data->themeShader).GetWidth(), 64u);
  EXPECT_GE(rig_.CountLogged("01.tga\" image again"), 1);
}

TEST_F(GameLogicDataTest, ContentThatCannotBeTrustedEndsTheProgram) {
  const Picture picture = gametest::Gradient(12, 8);
  PieceShapes outside = Shapes(picture);
  WriteLevel(picture, outside, "<puzzle/>");
  // A piece-shape file written for a larger picture has rectangles outside this one.
  Write("data/puzzles/01/puzzle_02.pzf", PieceShapeFile::Write(Shapes(gametest::Gradient(14, 8)), 14, 8));
  Write("data/themes/t/02.xml", "<puzzle><tip_color>1 2</puzzle>");
  Start();
  struct Row {
    const char* picture;
    const char* shapes;
    const char* colours;
    const char* logged;
  };
  const Row rows[] = {
      {"data\\themes\\t\\09.tga", "data\\puzzles\\01\\puzzle_01.pzf", "data\\themes\\t\\01.xml",
       "Failed to open \"data\\themes\\t\\09.tga\" image!"},
      {"data\\themes\\t\\01.tga", "data\\puzzles\\01\\puzzle_09.pzf", "data\\themes\\t\\01.xml", "puzzle_09"},
      {"data\\themes\\t\\01.tga", "data\\puzzles\\01\\puzzle_02.pzf", "data\\themes\\t\\01.xml", "puzzle_02"},
      {"data\\themes\\t\\01.tga", "data\\puzzles\\01\\puzzle_01.pzf", "data\\themes\\t\\02.xml",
       "XML format error"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.logged);
    rig_.ClearLog();
    auto data = MakeData();
    data->picturePath = row.picture;
    data->shapePath = row.shapes;
    data->coloursPath = row.colours;
    EXPECT_THROW(Load(*data), CorvantisEngine::FatalError);
    EXPECT_GE(rig_.CountLogged(row.logged), 1);
  }
}

// Where the cut lines can show: the cells holding or touching a line texel (bilinear sampling reads one
// texel either side), clamped at the texture's edges, clipped to the board, run together along rows.
TEST(OutlineCellsTest, CellsHoldEveryTexelTheSamplingCanReadAndNothingElse) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> texels;  // (x, y) of line texels in a 32 x 24 picture
    std::int32_t clipWidth;
    std::int32_t clipHeight;
    std::vector<TexelRect> cells;
  };
  const Case cases[] = {
      {"no lines", {}, 32, 24, {}},
      {"a texel inside a cell", {{12, 11}}, 32, 24, {{8, 8, 8, 8}}},
      {"a texel at a cell's left edge reaches the cell before", {{16, 11}}, 32, 24, {{8, 8, 16, 8}}},
      {"a texel at a cell's top edge reaches the row after",
       {{12, 15}},
       32,
       24,
       {{8, 8, 8, 8}, {8, 16, 8, 8}}},
      {"the texture's corner clamps, no wrapping round", {{0, 0}}, 32, 24, {{0, 0, 8, 8}}},
      {"cells are clipped to the board", {{31, 23}}, 30, 20, {{24, 16, 6, 4}}},
      {"a row of line texels makes one run per row of cells",
       {{3, 3}, {11, 3}, {19, 3}, {27, 3}},
       32,
       24,
       {{0, 0, 32, 8}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> alpha(32 * 24, 0);
    for (const auto& [x, y] : c.texels) {
      alpha[static_cast<std::size_t>(y) * 32 + x] = 128;
    }
    EXPECT_EQ(GameLogicData::OutlineCells(alpha.data(), 32, 24, 1024, 512, c.clipWidth, c.clipHeight, 8),
              c.cells);
  }
}

// On a denser outline: every texel within one texel of a line lies in a cell, and the cells leave out the
// blank regions between lines.
TEST(OutlineCellsTest, CellsCoverEveryNeighbourOfALineAndLeaveBlankAreasOut) {
  constexpr std::int32_t kWidth = 200;
  constexpr std::int32_t kHeight = 120;
  std::vector<std::uint8_t> alpha(kWidth * kHeight, 0);
  for (std::int32_t y = 0; y < kHeight; ++y) {
    for (std::int32_t x = 0; x < kWidth; ++x) {
      const bool line = x % 50 == 25 || y % 40 == 20 || (x - y == 3);
      alpha[static_cast<std::size_t>(y) * kWidth + x] = line ? 200 : 0;
    }
  }
  const std::vector<TexelRect> cells =
      GameLogicData::OutlineCells(alpha.data(), kWidth, kHeight, 1024, 512, kWidth, kHeight, 8);
  std::vector<std::uint8_t> covered(kWidth * kHeight, 0);
  std::size_t area = 0;
  for (const TexelRect& r : cells) {
    area += static_cast<std::size_t>(r.width) * r.height;
    for (std::int32_t y = r.y; y < r.y + r.height; ++y) {
      for (std::int32_t x = r.x; x < r.x + r.width; ++x) {
        EXPECT_EQ(covered[static_cast<std::size_t>(y) * kWidth + x]++, 0)
            << "cells overlap at " << x << ", " << y;
      }
    }
  }
  int missed = 0;
  for (std::int32_t y = 0; y < kHeight; ++y) {
    for (std::int32_t x = 0; x < kWidth; ++x) {
      if (alpha[static_cast<std::size_t>(y) * kWidth + x] == 0) {
        continue;
      }
      for (std::int32_t dy = -1; dy <= 1; ++dy) {
        for (std::int32_t dx = -1; dx <= 1; ++dx) {
          const std::int32_t nx = std::clamp(x + dx, 0, kWidth - 1);
          const std::int32_t ny = std::clamp(y + dy, 0, kHeight - 1);
          missed += covered[static_cast<std::size_t>(ny) * kWidth + nx] == 0 ? 1 : 0;
        }
      }
    }
  }
  EXPECT_EQ(missed, 0);
  EXPECT_LT(area, static_cast<std::size_t>(kWidth * kHeight) * 7 / 10);
}

}  // namespace
}  // namespace Puzzle
