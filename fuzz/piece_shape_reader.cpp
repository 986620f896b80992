// Fuzzes the piece-shape reader: the first two bytes give the picture's width and height (1 to 256),
// the rest is the body after the header. Any body is either read or refused with FileError; what is
// read is consistent with the picture and writes back to the same body.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/core/Error.h"
#include "game/PieceShapeFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace File = Puzzle::PieceShapeFile;
  if (size < 2) {
    return 0;
  }
  const std::uint32_t width = data[0] + 1u;
  const std::uint32_t height = data[1] + 1u;
  const std::span<const std::uint8_t> body(data + 2, size - 2);
  Puzzle::PieceShapes shapes;
  try {
    shapes = File::ReadBody(body, width, height, "fuzz.pzf");
  } catch (const CorvantisEngine::FileError&) {
    return 0;  // refused: the expected answer for most inputs
  }
  if (shapes.outline.size() != static_cast<std::size_t>(width) * height) {
    __builtin_trap();
  }
  for (const Puzzle::PieceShape& piece : shapes.pieces) {
    if (piece.x < 0 || piece.y < 0 || piece.x + piece.width > static_cast<std::int32_t>(width) ||
        piece.y + piece.height > static_cast<std::int32_t>(height) ||
        piece.mask.size() != static_cast<std::size_t>(piece.width) * static_cast<std::size_t>(piece.height)) {
      __builtin_trap();
    }
    File::SamplePoints(piece);
  }
  // Written back, the body reads the same (the coding may differ from the input's).
  const std::vector<std::uint8_t> written = File::Write(shapes, width, height);
  const Puzzle::PieceShapes again = File::ReadBody(
      std::span<const std::uint8_t>(written).subspan(File::kHeaderSize), width, height, "again.pzf");
  if (again.pieces.size() != shapes.pieces.size() || again.outline != shapes.outline) {
    __builtin_trap();
  }
  return 0;
}
