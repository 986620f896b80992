#include "game/PieceShapeFile.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

#include "engine/core/Error.h"
#include "engine/files/FileBinary.h"
#include "tools/common/ByteWriter.h"
#include "tools/game/VersionedFile.h"

namespace Puzzle::PieceShapeFile {

static_assert(kHeaderSize == GameTools::VersionedFile::kHeaderSize);

namespace {

using CorvantisEngine::FileError;

[[noreturn]] void Fail(const std::string& fileName, const std::string& reason) {
  throw FileError("Incorrect \"" + fileName + "\" file format (" + reason + ")");
}

std::size_t MaskBytes(std::int32_t width, std::int32_t height) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(height) + 7) / 8;
}

// Reads the body front to back; every read checks the bytes left first.
class BodyReader {
 public:
  BodyReader(std::span<const std::uint8_t> bytes, const std::string& fileName)
      : bytes_(bytes), fileName_(fileName) {}

  std::size_t Left() const { return bytes_.size() - at_; }

  std::uint32_t U32(const char* what) {
    const std::uint8_t* p = Take(4, what).data();
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  }
  std::int32_t I32(const char* what) { return static_cast<std::int32_t>(U32(what)); }
  float F32(const char* what) {
    const std::uint32_t bits = U32(what);
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
  }
  std::span<const std::uint8_t> Take(std::size_t n, const char* what) {
    if (n > Left()) {
      Fail(fileName_, std::string(what) + " runs past the end of the file");
    }
    const auto part = bytes_.subspan(at_, n);
    at_ += n;
    return part;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  const std::string& fileName_;
  std::size_t at_ = 0;
};

void CheckPicture(std::uint32_t width, std::uint32_t height, const std::string& fileName) {
  if (width == 0 || height == 0 || width > kMaxPictureWidth || height > kMaxPictureHeight) {
    Fail(fileName,
         "a picture of " + std::to_string(width) + " x " + std::to_string(height) + " cannot be cut");
  }
}

void CheckRectangle(const PieceShape& piece, std::size_t index, std::uint32_t pictureWidth,
                    std::uint32_t pictureHeight, const std::string& fileName) {
  const std::int64_t right = static_cast<std::int64_t>(piece.x) + piece.width;
  const std::int64_t top = static_cast<std::int64_t>(piece.y) + piece.height;
  const std::string name = "piece " + std::to_string(index);
  if (piece.width < 0 || piece.height < 0) {
    Fail(fileName, name + " has a negative " + (piece.width < 0 ? "width" : "height") + " (" +
                       std::to_string(piece.width) + " x " + std::to_string(piece.height) + ")");
  }
  if (piece.width == 0 || piece.height == 0) {
    Fail(fileName, name + " has no pixels (" + std::to_string(piece.width) + " x " +
                       std::to_string(piece.height) + ")");
  }
  if (piece.x < 0 || piece.y < 0 || right > pictureWidth || top > pictureHeight) {
    Fail(fileName, name + " lies outside the picture");
  }
}

}  // namespace

std::vector<std::uint8_t> PackRle(std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> coded;
  std::size_t i = 0;
  std::size_t literalStart = 0;
  auto flushLiterals = [&](std::size_t end) {
    while (literalStart < end) {
      const std::size_t count = std::min<std::size_t>(end - literalStart, 128);
      coded.push_back(static_cast<std::uint8_t>(count - 1));
      coded.insert(coded.end(), data.begin() + static_cast<std::ptrdiff_t>(literalStart),
                   data.begin() + static_cast<std::ptrdiff_t>(literalStart + count));
      literalStart += count;
    }
  };
  while (i < data.size()) {
    std::size_t run = 1;
    while (i + run < data.size() && run < 129 && data[i + run] == data[i]) {
      ++run;
    }
    // A run of two only pays when it does not split a literal stretch.
    if (run >= 3 || (run == 2 && literalStart == i)) {
      flushLiterals(i);
      coded.push_back(static_cast<std::uint8_t>(0x80 | (run - 2)));
      coded.push_back(data[i]);
      i += run;
      literalStart = i;
    } else {
      i += run;
    }
  }
  flushLiterals(data.size());
  return coded;
}

void UnpackRle(std::span<const std::uint8_t> coded, std::span<std::uint8_t> out,
               const std::string& fileName) {
  std::size_t in = 0;
  std::size_t written = 0;
  while (in < coded.size()) {
    const std::uint8_t control = coded[in++];
    if (control < 128) {
      const std::size_t count = static_cast<std::size_t>(control) + 1;
      if (count > coded.size() - in) {
        Fail(fileName, "run-length literals run past their data");
      }
      if (count > out.size() - written) {
        Fail(fileName, "run-length data decodes past its size");
      }
      std::memcpy(out.data() + written, coded.data() + in, count);
      in += count;
      written += count;
    } else {
      const std::size_t count = static_cast<std::size_t>(control & 127) + 2;
      if (in == coded.size()) {
        Fail(fileName, "run-length repeat without its byte");
      }
      if (count > out.size() - written) {
        Fail(fileName, "run-length data decodes past its size");
      }
      std::memset(out.data() + written, coded[in++], count);
      written += count;
    }
  }
  // Decoding ends when the coded bytes are used up: what they did not reach stays clear.
  std::memset(out.data() + written, 0, out.size() - written);
}

std::vector<std::uint8_t> Write(const PieceShapes& shapes, std::uint32_t pictureWidth,
                                std::uint32_t pictureHeight) {
  const std::string name = "piece shapes";
  try {
    CheckPicture(pictureWidth, pictureHeight, name);
    for (std::size_t i = 0; i < shapes.pieces.size(); ++i) {
      CheckRectangle(shapes.pieces[i], i, pictureWidth, pictureHeight, name);
    }
  } catch (const FileError& error) {
    throw std::invalid_argument(error.GetMessage());
  }
  if (shapes.outline.size() != static_cast<std::size_t>(pictureWidth) * pictureHeight) {
    throw std::invalid_argument("outline map is not one byte per picture pixel");
  }
  std::vector<std::uint8_t> bytes;
  tools::ByteWriter out(bytes);
  out.U32(0);
  out.Bytes(kMagic, 5);
  out.U32(kVersion);
  out.F32(shapes.boardWidth);
  out.F32(shapes.boardHeight);
  out.U32(static_cast<std::uint32_t>(shapes.pieces.size()));
  for (const PieceShape& piece : shapes.pieces) {
    const std::size_t pixels = static_cast<std::size_t>(piece.width) * static_cast<std::size_t>(piece.height);
    if (piece.mask.size() != pixels) {
      throw std::invalid_argument("mask is not one byte per rectangle pixel");
    }
    out.U32(static_cast<std::uint32_t>(piece.x));
    out.U32(static_cast<std::uint32_t>(piece.y));
    out.U32(static_cast<std::uint32_t>(piece.width));
    out.U32(static_cast<std::uint32_t>(piece.height));
    out.U32(static_cast<std::uint32_t>(piece.neighbours.size()));
    for (const std::uint32_t neighbour : piece.neighbours) {
      if (neighbour >= shapes.pieces.size()) {
        throw std::invalid_argument("neighbour index past the last piece");
      }
      out.U32(neighbour);
    }
    std::vector<std::uint8_t> bits(MaskBytes(piece.width, piece.height), 0);
    for (std::size_t p = 0; p < pixels; ++p) {
      if (piece.mask[p] != 0) {
        bits[p / 8] = static_cast<std::uint8_t>(bits[p / 8] | (1u << (p % 8)));
      }
    }
    const std::vector<std::uint8_t> coded = PackRle(bits);
    out.U32(static_cast<std::uint32_t>(coded.size()));
    out.Bytes(coded.data(), coded.size());
  }
  const std::vector<std::uint8_t> coded = PackRle(shapes.outline);
  out.U32(static_cast<std::uint32_t>(coded.size()));
  out.Bytes(coded.data(), coded.size());
  out.FinishLength();
  return bytes;
}

PieceShapes ReadBody(std::span<const std::uint8_t> body, std::uint32_t pictureWidth,
                     std::uint32_t pictureHeight, const std::string& fileName) {
  CheckPicture(pictureWidth, pictureHeight, fileName);
  BodyReader in(body, fileName);
  PieceShapes shapes;
  shapes.boardWidth = in.F32("board width");
  shapes.boardHeight = in.F32("board height");
  if (!std::isfinite(shapes.boardWidth) || !std::isfinite(shapes.boardHeight) || shapes.boardWidth <= 0.0f ||
      shapes.boardHeight <= 0.0f) {
    Fail(fileName, "board size is not a positive number");
  }
  const std::uint32_t count = in.U32("piece count");
  // Every record takes at least 24 bytes (rectangle, neighbour count, mask length).
  constexpr std::size_t kSmallestRecord = 24;
  if (count > in.Left() / kSmallestRecord) {
    Fail(fileName, "impossible count of pieces: " + std::to_string(count) + ", with " +
                       std::to_string(in.Left()) + " bytes left");
  }
  shapes.pieces.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    PieceShape& piece = shapes.pieces[i];
    piece.x = in.I32("piece rectangle");
    piece.y = in.I32("piece rectangle");
    piece.width = in.I32("piece rectangle");
    piece.height = in.I32("piece rectangle");
    CheckRectangle(piece, i, pictureWidth, pictureHeight, fileName);
    const std::uint32_t neighbours = in.U32("neighbour count");
    if (neighbours > in.Left() / 4) {
      Fail(fileName, "impossible count of neighbours of piece " + std::to_string(i) + ": " +
                         std::to_string(neighbours) + ", with " + std::to_string(in.Left()) + " bytes left");
    }
    piece.neighbours.resize(neighbours);
    for (std::uint32_t& neighbour : piece.neighbours) {
      neighbour = in.U32("neighbour");
      if (neighbour >= count) {
        Fail(fileName, "piece " + std::to_string(i) + " names neighbour " + std::to_string(neighbour));
      }
    }
    const std::uint32_t codedSize = in.U32("mask length");
    const std::span<const std::uint8_t> coded = in.Take(codedSize, "mask");
    std::vector<std::uint8_t> bits(MaskBytes(piece.width, piece.height));
    UnpackRle(coded, bits, fileName);
    const std::size_t pixels = static_cast<std::size_t>(piece.width) * static_cast<std::size_t>(piece.height);
    piece.mask.resize(pixels);
    for (std::size_t p = 0; p < pixels; ++p) {
      piece.mask[p] = static_cast<std::uint8_t>((bits[p / 8] >> (p % 8)) & 1u);
    }
  }
  const std::uint32_t codedSize = in.U32("outline length");
  const std::span<const std::uint8_t> coded = in.Take(codedSize, "outline");
  shapes.outline.resize(static_cast<std::size_t>(pictureWidth) * pictureHeight);
  UnpackRle(coded, shapes.outline, fileName);
  if (in.Left() != 0) {
    Fail(fileName, "bytes after the outline map");
  }
  return shapes;
}

PieceShapes Load(CorvantisEngine::FileManager* files, const std::string& fileName, std::uint32_t pictureWidth,
                 std::uint32_t pictureHeight) {
  GameTools::VersionedFile file(files, kMagic, kVersion);
  file.Open(fileName, GameTools::VersionedFile::kRead);
  // The header's length matched the file's size, so the body is what is left of it.
  CorvantisEngine::FileBinary* stream = file.GetStream();
  std::vector<std::uint8_t> body(stream->GetSize() - stream->GetPosition());
  stream->Read(body.data(), static_cast<std::uint32_t>(body.size()));
  file.Close();
  return ReadBody(body, pictureWidth, pictureHeight, fileName);
}

std::vector<CorvantisEngine::Vector2> SamplePoints(const PieceShape& piece) {
  std::vector<CorvantisEngine::Vector2> points;
  for (std::int32_t column = 0; column < piece.width; column += 3) {
    for (std::int32_t row = 0; row < piece.height; row += 3) {
      if (piece.Contains(column, row)) {
        points.push_back({static_cast<float>(piece.x + column), static_cast<float>(piece.y + row)});
      }
    }
  }
  return points;
}

}  // namespace Puzzle::PieceShapeFile
