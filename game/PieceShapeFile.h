#pragma once
// The piece-shape file (".pzf"): how a picture is cut into pieces. Little-endian and packed, after the
// 13-byte versioned header (magic "PZPZF", version 100):
//
//   f32 board width, f32 board height     the picture's drawn size
//   u32 N                                 pieces, then N records in piece order:
//     i32 x, y, w, h                        rectangle in picture pixels
//     u32 M, M x u32                        neighbour piece indices
//     u32 L, L bytes                        mask, run-length coded: w*h bits, row-major, least
//                                           significant bit first, 1 = the pixel belongs to the piece
//   u32 L2, L2 bytes                      outline map, run-length coded: one byte per picture pixel,
//                                           0 away from the cut lines, rising to 255 on them
//
// Rows count the way the engine's images store them: row 0 is the bottom row of the picture. So y is
// the rectangle's lowest row counted from the picture's bottom edge, mask row 0 is the rectangle's
// bottom row and the outline map starts with the picture's bottom row.
//
// Run-length code: a control byte c below 128 is followed by c + 1 literal bytes; c of 128 or more by
// one byte that stands (c & 127) + 2 times.
//
// Decoding ends when the coded bytes are used up: a mask or outline map that they do not fill is clear
// (0) in the rest.
//
// The game only reads these files; the data build's cutter writes them (always filling every mask and
// the outline). Reading checks everything against the bytes left and the picture: counts, rectangles
// at least 1 x 1 and inside the picture, neighbour indices below N, masks and the outline decoding to
// no more than their size, no bytes after the outline, and a picture of at most 1024 x 512. Faults
// throw CorvantisEngine::FileError naming the file.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/core/Vector.h"

namespace CorvantisEngine {
class FileManager;
}

namespace Puzzle {

struct PieceShape {
  std::int32_t x = 0;  // left column of the rectangle
  std::int32_t y = 0;  // bottom row of the rectangle, counted from the picture's bottom row
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> neighbours;
  // width * height bytes, 1 where the pixel belongs to the piece, else 0; row 0 is the bottom row.
  std::vector<std::uint8_t> mask;

  bool Contains(std::int32_t column, std::int32_t row) const {
    return mask[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(column)] != 0;
  }
};

struct PieceShapes {
  float boardWidth = 0.0f;
  float boardHeight = 0.0f;
  std::vector<PieceShape> pieces;
  // One byte per picture pixel, row 0 the bottom row.
  std::vector<std::uint8_t> outline;
};

namespace PieceShapeFile {

inline constexpr char kMagic[] = "PZPZF";
inline constexpr std::uint32_t kVersion = 100;
inline constexpr std::size_t kHeaderSize = 13;
// The board textures are 1024 x 512: no picture may be larger.
inline constexpr std::uint32_t kMaxPictureWidth = 1024;
inline constexpr std::uint32_t kMaxPictureHeight = 512;

// The whole file, header included, for a picture of pictureWidth x pictureHeight. The shapes must be
// valid for that picture (as reading would check); std::invalid_argument otherwise.
std::vector<std::uint8_t> Write(const PieceShapes& shapes, std::uint32_t pictureWidth,
                                std::uint32_t pictureHeight);

// Opens the file through the versioned file (magic, length and version checked) and reads the body.
PieceShapes Load(CorvantisEngine::FileManager* files, const std::string& fileName, std::uint32_t pictureWidth,
                 std::uint32_t pictureHeight);

// Reads the body that follows the header (the header is the versioned file's matter).
PieceShapes ReadBody(std::span<const std::uint8_t> body, std::uint32_t pictureWidth,
                     std::uint32_t pictureHeight, const std::string& fileName);

std::vector<std::uint8_t> PackRle(std::span<const std::uint8_t> data);
// Decodes into out; bytes past the decoded ones are cleared. Coded data that decodes past out's end, or
// whose last literal run or repeat lacks its bytes, throws.
void UnpackRle(std::span<const std::uint8_t> coded, std::span<std::uint8_t> out, const std::string& fileName);

// The picture points (x + column, y + row) of the piece's pixels on every third column and every third
// row, starting at 0, column by column.
std::vector<CorvantisEngine::Vector2> SamplePoints(const PieceShape& piece);

}  // namespace PieceShapeFile

}  // namespace Puzzle
