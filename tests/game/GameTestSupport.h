#pragma once
// What the game's tests share: a headless engine over a fresh data folder, and pictures written as
// uncompressed 24-bit TGA files (lossless, rows bottom first like the engine's images).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "game/GameLogicData.h"
#include "game/PieceShapeFile.h"
#include "tests/support/EngineRig.h"

namespace Puzzle::gametest {

// A picture in the engine's order: row 0 at the bottom, red, green, blue per pixel.
struct Picture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgb;

  const std::uint8_t* At(std::uint32_t column, std::uint32_t row) const {
    return rgb.data() + (static_cast<std::size_t>(row) * width + column) * 3;
  }
};

// Every pixel different: red from the column, green from the row, blue from both.
inline Picture Gradient(std::uint32_t width, std::uint32_t height) {
  Picture picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
  for (std::uint32_t row = 0; row < height; ++row) {
    for (std::uint32_t column = 0; column < width; ++column) {
      std::uint8_t* p = picture.rgb.data() + (static_cast<std::size_t>(row) * width + column) * 3;
      p[0] = static_cast<std::uint8_t>(column * 7);
      p[1] = static_cast<std::uint8_t>(row * 11);
      p[2] = static_cast<std::uint8_t>((column * 3 + row * 5) ^ 0x5A);
    }
  }
  return picture;
}

// 24-bit, or 32-bit with an opaque alpha channel.
inline std::string Tga(const Picture& picture, int bits = 24) {
  std::string bytes(18, '\0');
  bytes[2] = 2;  // uncompressed true colour
  bytes[12] = static_cast<char>(picture.width & 0xFF);
  bytes[13] = static_cast<char>(picture.width >> 8);
  bytes[14] = static_cast<char>(picture.height & 0xFF);
  bytes[15] = static_cast<char>(picture.height >> 8);
  bytes[16] = static_cast<char>(bits);
  for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
    bytes.push_back(static_cast<char>(picture.rgb[i + 2]));
    bytes.push_back(static_cast<char>(picture.rgb[i + 1]));
    bytes.push_back(static_cast<char>(picture.rgb[i]));
    if (bits == 32) {
      bytes.push_back(static_cast<char>(0xFF));
    }
  }
  return bytes;
}

// A picture cut into columns x rows rectangles, with an outline of 255 on each piece's left column
// and bottom row (the cut lines) and 0 elsewhere.
inline PieceShapes GridShapes(std::uint32_t width, std::uint32_t height, std::uint32_t columns,
                              std::uint32_t rows) {
  PieceShapes shapes;
  shapes.boardWidth = static_cast<float>(width);
  shapes.boardHeight = static_cast<float>(height);
  shapes.outline.assign(static_cast<std::size_t>(width) * height, 0);
  const std::uint32_t w = width / columns;
  const std::uint32_t h = height / rows;
  for (std::uint32_t r = 0; r < rows; ++r) {
    for (std::uint32_t c = 0; c < columns; ++c) {
      PieceShape piece;
      piece.x = static_cast<std::int32_t>(c * w);
      piece.y = static_cast<std::int32_t>(r * h);
      piece.width = static_cast<std::int32_t>(c + 1 == columns ? width - c * w : w);
      piece.height = static_cast<std::int32_t>(r + 1 == rows ? height - r * h : h);
      piece.mask.assign(static_cast<std::size_t>(piece.width) * piece.height, 1);
      if (c > 0)
        piece.neighbours.push_back(r * columns + c - 1);
      if (c + 1 < columns)
        piece.neighbours.push_back(r * columns + c + 1);
      for (std::int32_t y = 0; y < piece.height; ++y) {
        for (std::int32_t x = 0; x < piece.width; ++x) {
          if ((x == 0 && c > 0) || (y == 0 && r > 0)) {
            shapes.outline[static_cast<std::size_t>(piece.y + y) * width + piece.x + x] = 255;
          }
        }
      }
      shapes.pieces.push_back(std::move(piece));
    }
  }
  return shapes;
}

class EngineTest : public testing::Test {
 protected:
  // Files go in before Start.
  void Write(const std::string& relative, const std::string& bytes) { rig_.Write(relative, bytes); }
  void Write(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    rig_.Write(relative, std::string(bytes.begin(), bytes.end()));
  }
  CorvantisEngine::Engine* Start() {
    engine_ = &rig_.Start();
    return engine_;
  }

  // Writes a level (picture, colours, shapes) under fixed names, for LoadLevel after Start.
  void WriteLevel(const Picture& picture, const PieceShapes& shapes, const std::string& colours) {
    Write("data/themes/t/01.tga", Tga(picture));
    Write("data/themes/t/01.xml", colours);
    Write("data/puzzles/01/puzzle_01.pzf", PieceShapeFile::Write(shapes, picture.width, picture.height));
  }
  std::unique_ptr<GameLogicData> MakeLevel() {
    auto data = std::make_unique<GameLogicData>(engine_, "en", nullptr, nullptr);
    data->picturePath = "data\\themes\\t\\01.tga";
    data->coloursPath = "data\\themes\\t\\01.xml";
    data->shapePath = "data\\puzzles\\01\\puzzle_01.pzf";
    return data;
  }
  std::unique_ptr<GameLogicData> LoadLevel() {
    auto data = MakeLevel();
    data->Load();
    data->WaitForLoad();
    return data;
  }

  testsupport::EngineRig rig_;
  CorvantisEngine::Engine* engine_ = nullptr;
};

}  // namespace Puzzle::gametest
