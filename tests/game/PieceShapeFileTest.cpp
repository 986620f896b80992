#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/Error.h"
#include "engine/files/FileManager.h"
#include "game/PieceShapeFile.h"
#include "support/TempFolder.h"

namespace {

using Puzzle::PieceShape;
using Puzzle::PieceShapes;
namespace File = Puzzle::PieceShapeFile;
using Bytes = std::vector<std::uint8_t>;

// Two pieces on a 3 x 2 picture, split along the middle column, which carries the cut line.
PieceShapes TwoPieces() {
  PieceShapes shapes;
  shapes.boardWidth = 3.0f;
  shapes.boardHeight = 2.0f;
  PieceShape left;
  left.x = 0;
  left.y = 0;
  left.width = 2;
  left.height = 2;
  left.neighbours = {1};
  left.mask = {1, 1, 1, 0};  // bottom row full, top row only its left pixel
  PieceShape right;
  right.x = 1;
  right.y = 0;
  right.width = 2;
  right.height = 2;
  right.neighbours = {0};
  right.mask = {0, 1, 1, 1};
  shapes.pieces = {left, right};
  shapes.outline = {0, 255, 0, 0, 255, 0};
  return shapes;
}

const Bytes kTwoPiecesFile = {
    0x60, 0, 0,    0,    'P',  'Z',  'P',  'Z',  'F', 100,  0, 0, 0,  // header: 96 bytes, magic, version 100
    0,    0, 0x40, 0x40, 0,    0,    0,    0x40,                      // board 3.0 x 2.0
    2,    0, 0,    0,                                                 // two pieces
    0,    0, 0,    0,    0,    0,    0,    0,    2,   0,    0, 0, 2, 0, 0, 0,  // piece 0 at (0, 0), 2 x 2
    1,    0, 0,    0,    1,    0,    0,    0,                                  // one neighbour: 1
    2,    0, 0,    0,    0x00, 0x07,  // mask bits 1110 as one literal byte
    1,    0, 0,    0,    0,    0,    0,    0,    2,   0,    0, 0, 2, 0, 0, 0,  // piece 1 at (1, 0), 2 x 2
    1,    0, 0,    0,    0,    0,    0,    0,                                  // one neighbour: 0
    2,    0, 0,    0,    0x00, 0x0E,                                           // mask bits 0111
    7,    0, 0,    0,    0x05, 0,    0xFF, 0,    0,   0xFF, 0,                 // outline: six literal bytes
};

// kTwoPiecesFile with piece 1's mask given no coded bytes at all and an outline that codes only its
// first two pixels (a repeat of 9).
Bytes ShortRunLengthFile() {
  const std::size_t piece1MaskLength = 25 + 30 + 24;
  Bytes file = kTwoPiecesFile;
  file.resize(piece1MaskLength);
  for (const std::uint8_t byte : {0, 0, 0, 0, 2, 0, 0, 0, 0x80, 9}) {
    file.push_back(byte);
  }
  file[0] = static_cast<std::uint8_t>(file.size());
  return file;
}

std::span<const std::uint8_t> Body(const Bytes& file) {
  return std::span<const std::uint8_t>(file).subspan(File::kHeaderSize);
}

TEST(PieceShapeFile, WritesTheGoldenBytesAndReadsThemBack) {
  const Bytes written = File::Write(TwoPieces(), 3, 2);
  EXPECT_EQ(written, kTwoPiecesFile);

  const PieceShapes read = File::ReadBody(Body(kTwoPiecesFile), 3, 2, "two.pzf");
  const PieceShapes expected = TwoPieces();
  EXPECT_EQ(read.boardWidth, 3.0f);
  EXPECT_EQ(read.boardHeight, 2.0f);
  ASSERT_EQ(read.pieces.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(read.pieces[i].x, expected.pieces[i].x);
    EXPECT_EQ(read.pieces[i].y, expected.pieces[i].y);
    EXPECT_EQ(read.pieces[i].width, expected.pieces[i].width);
    EXPECT_EQ(read.pieces[i].height, expected.pieces[i].height);
    EXPECT_EQ(read.pieces[i].neighbours, expected.pieces[i].neighbours);
    EXPECT_EQ(read.pieces[i].mask, expected.pieces[i].mask);
  }
  EXPECT_EQ(read.outline, expected.outline);
}

TEST(PieceShapeFile, MaskBitsPastThePiecesPixelsAreIgnored) {
  // A 5 x 2 piece has 10 mask bits in 2 bytes; the last 6 bits of the second byte mean nothing.
  PieceShapes shapes;
  shapes.boardWidth = 5.0f;
  shapes.boardHeight = 2.0f;
  PieceShape piece;
  piece.width = 5;
  piece.height = 2;
  piece.mask = {1, 0, 1, 0, 1, 0, 1, 0, 1, 1};
  shapes.pieces = {piece};
  shapes.outline.assign(10, 0);
  Bytes file = File::Write(shapes, 5, 2);
  // The mask is the literal run {0x01, 0x55, 0x03} right after the record's fixed fields.
  const std::size_t mask = File::kHeaderSize + 12 + 16 + 4 + 4;
  ASSERT_EQ(file[mask], 0x01);
  ASSERT_EQ(file[mask + 1], 0x55);
  ASSERT_EQ(file[mask + 2], 0x03);
  file[mask + 2] = 0xFF;
  const PieceShapes read = File::ReadBody(Body(file), 5, 2, "bits.pzf");
  EXPECT_EQ(read.pieces[0].mask, piece.mask);
}

TEST(PieceShapeFile, RunLengthControlBytesAtTheirLimits) {
  const std::string name = "rle";
  struct Case {
    Bytes coded;
    std::size_t size;
    Bytes expected;
  };
  Bytes literal128(129, 7);
  literal128[0] = 127;
  const Case cases[] = {
      {{0, 9}, 1, {9}},                         // control 0 copies one byte
      {literal128, 128, Bytes(128, 7)},         // control 127 copies 128
      {{128, 5}, 2, {5, 5}},                    // control 128 repeats twice
      {{255, 4}, 129, Bytes(129, 4)},           // control 255 repeats 129 times
      {{129, 1, 1, 2, 3}, 5, {1, 1, 1, 2, 3}},  // repeat then literals
  };
  for (const Case& c : cases) {
    Bytes out(c.size);
    File::UnpackRle(c.coded, out, name);
    EXPECT_EQ(out, c.expected);
  }
}

TEST(PieceShapeFile, RunLengthRoundTripsAnyData) {
  Bytes data;
  for (int i = 0; i < 1000; ++i) {
    data.push_back(static_cast<std::uint8_t>((i / 7) % 3 == 0 ? 0 : (i * 37) & 0xFF));
  }
  data.insert(data.end(), 300, 255);  // longer than one repeat
  data.push_back(1);
  data.push_back(1);  // a pair at the end
  const Bytes coded = File::PackRle(data);
  Bytes out(data.size());
  File::UnpackRle(coded, out, "rle");
  EXPECT_EQ(out, data);
  EXPECT_TRUE(File::PackRle({}).empty());
}

TEST(PieceShapeFile, RejectsWhatDoesNotFitTheBytesOrThePicture) {
  struct Case {
    const char* what;
    std::size_t at;  // offset in the file to overwrite with `value` (32-bit), or SIZE_MAX for none
    std::uint32_t value;
    std::size_t cut;    // bytes removed from the end
    std::size_t added;  // bytes appended
    std::string reason;
  };
  constexpr std::size_t kNone = SIZE_MAX;
  const std::size_t piece0 = 25;
  const std::size_t piece1 = piece0 + 30;
  const std::size_t outline = piece1 + 30;
  const Case cases[] = {
      {"empty body", kNone, 0, kTwoPiecesFile.size() - File::kHeaderSize, 0, "board width runs past"},
      {"piece count beyond the file", 21, 0x10000000, 0, 0, "impossible count of pieces: 268435456"},
      {"negative x", piece0, 0xFFFFFFFF, 0, 0, "outside the picture"},
      {"rectangle past the right edge", piece1, 2, 0, 0, "outside the picture"},
      {"rectangle past the top", piece0 + 4, 1, 0, 0, "outside the picture"},
      {"zero width", piece0 + 8, 0, 0, 0, "piece 0 has no pixels (0 x 2)"},
      {"negative width", piece0 + 8, 0xFFFFFFFE, 0, 0, "piece 0 has a negative width (-2 x 2)"},
      {"negative height", piece1 + 12, 0x80000000, 0, 0, "piece 1 has a negative height"},
      {"huge height", piece0 + 12, 0x7FFFFFFF, 0, 0, "outside the picture"},
      {"neighbour count beyond the file", piece0 + 16, 0x40000000, 0, 0,
       "impossible count of neighbours of piece 0: 1073741824"},
      {"neighbour index past the last piece", piece0 + 20, 2, 0, 0, "neighbour 2"},
      {"mask length beyond the file", piece0 + 24, 1000, 0, 0, "mask runs past"},
      {"outline length beyond the file", outline, 8, 0, 0, "outline runs past"},
      {"outline cut short", kNone, 0, 1, 0, "outline runs past"},
      {"bytes after the outline", kNone, 0, 0, 1, "bytes after"},
      {"outline decodes short", outline + 4, 0x04, 0, 0, "past their data"},
      {"mask decodes long", piece1 + 28, 0x0E80, 0, 0, "decodes past"},
      {"board width not a number", 13, 0x7FC00000, 0, 0, "board size"},
      {"board width zero", 13, 0, 0, 0, "board size"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes file = kTwoPiecesFile;
    if (c.at != kNone) {
      for (int i = 0; i < 4; ++i) {
        file[c.at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(c.value >> (8 * i));
      }
    }
    file.resize(file.size() - c.cut);
    file.insert(file.end(), c.added, 0);
    try {
      File::ReadBody(Body(file), 3, 2, "bad.pzf");
      ADD_FAILURE() << "accepted";
    } catch (const CorvantisEngine::FileError& error) {
      EXPECT_NE(error.GetMessage().find("\"bad.pzf\""), std::string::npos) << error.GetMessage();
      EXPECT_NE(error.GetMessage().find(c.reason), std::string::npos) << error.GetMessage();
    }
  }
}

TEST(PieceShapeFile, RejectsPicturesTheBoardCannotHold) {
  const std::pair<std::uint32_t, std::uint32_t> sizes[] = {{0, 2}, {3, 0}, {1025, 2}, {3, 513}};
  for (const auto& [width, height] : sizes) {
    EXPECT_THROW(File::ReadBody(Body(kTwoPiecesFile), width, height, "big.pzf"), CorvantisEngine::FileError);
  }
  // An outline longer than the picture decodes past its end.
  EXPECT_THROW(File::ReadBody(Body(kTwoPiecesFile), 2, 2, "narrow.pzf"), CorvantisEngine::FileError);
}

TEST(PieceShapeFile, RunLengthDataUsedUpEarlyLeavesTheRestClear) {
  Bytes out = {7, 7, 7, 7};
  File::UnpackRle(Bytes{0, 9}, out, "rle");
  EXPECT_EQ(out, (Bytes{9, 0, 0, 0}));
  File::UnpackRle(Bytes{}, out, "rle");
  EXPECT_EQ(out, (Bytes{0, 0, 0, 0}));

  const PieceShapes read = File::ReadBody(Body(ShortRunLengthFile()), 3, 2, "short.pzf");
  EXPECT_EQ(read.pieces[0].mask, TwoPieces().pieces[0].mask);
  EXPECT_EQ(read.pieces[1].mask, (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(read.outline, (Bytes{9, 9, 0, 0, 0, 0}));

  // A larger picture than the outline covers reads too, the rest of its outline clear.
  const PieceShapes wide = File::ReadBody(Body(kTwoPiecesFile), 4, 2, "wide.pzf");
  EXPECT_EQ(wide.outline, (Bytes{0, 255, 0, 0, 255, 0, 0, 0}));
}

TEST(PieceShapeFile, WriterRefusesShapesThatWouldNotRead) {
  PieceShapes shapes = TwoPieces();
  shapes.pieces[1].neighbours = {5};
  EXPECT_THROW(File::Write(shapes, 3, 2), std::invalid_argument);
  shapes = TwoPieces();
  shapes.pieces[0].mask.pop_back();
  EXPECT_THROW(File::Write(shapes, 3, 2), std::invalid_argument);
  shapes = TwoPieces();
  EXPECT_THROW(File::Write(shapes, 2, 2), std::invalid_argument);  // piece 1 outside, outline too long
}

TEST(PieceShapeFile, SamplePointsTakeEveryThirdColumnAndRowOfThePiece) {
  PieceShape piece;
  piece.x = 10;
  piece.y = 20;
  piece.width = 4;
  piece.height = 4;
  piece.mask.assign(16, 1);
  piece.mask[3 * 4 + 3] = 0;  // (3, 3) is not part of the piece
  const auto points = File::SamplePoints(piece);
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].x, 10.0f);
  EXPECT_EQ(points[0].y, 20.0f);
  EXPECT_EQ(points[1].x, 10.0f);
  EXPECT_EQ(points[1].y, 23.0f);
  EXPECT_EQ(points[2].x, 13.0f);
  EXPECT_EQ(points[2].y, 20.0f);

  piece.width = 2;  // only column 0 is sampled
  piece.mask.assign(8, 1);
  EXPECT_EQ(File::SamplePoints(piece).size(), 2u);
  piece.mask.assign(8, 0);
  piece.mask[1] = 1;
  EXPECT_TRUE(File::SamplePoints(piece).empty());
}

}  // namespace

namespace {

class PieceShapeFileLoad : public ::testing::Test {
 protected:
  PieceShapeFileLoad() : files_(nullptr, temp_.Win(), "", "") {}

  void Put(const std::string& name, const Bytes& bytes) {
    std::ofstream(temp_.Host(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::string LoadError(const std::string& name) {
    try {
      File::Load(&files_, name, 3, 2);
    } catch (const CorvantisEngine::FileError& error) {
      return error.GetMessage();
    }
    return "";
  }

  testsupport::TempFolder temp_;
  CorvantisEngine::FileManager files_;
};

TEST_F(PieceShapeFileLoad, ReadsAWrittenFileThroughItsVersionedHeader) {
  Put("two.pzf", File::Write(TwoPieces(), 3, 2));
  const PieceShapes shapes = File::Load(&files_, "two.pzf", 3, 2);
  ASSERT_EQ(shapes.pieces.size(), 2u);
  EXPECT_EQ(shapes.pieces[1].mask, TwoPieces().pieces[1].mask);
  EXPECT_EQ(shapes.outline, TwoPieces().outline);
}

TEST_F(PieceShapeFileLoad, ReadsAFileWhoseRunLengthDataEndsEarly) {
  Put("short.pzf", ShortRunLengthFile());
  const PieceShapes shapes = File::Load(&files_, "short.pzf", 3, 2);
  EXPECT_EQ(shapes.pieces[1].mask, (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(shapes.outline, (Bytes{9, 9, 0, 0, 0, 0}));
}

TEST_F(PieceShapeFileLoad, RefusesAnotherMagicVersionOrLengthAndBadBodies) {
  Bytes magic = kTwoPiecesFile;
  magic[4] = 'Q';
  Bytes version = kTwoPiecesFile;
  version[9] = 101;
  Bytes longer = kTwoPiecesFile;
  longer.push_back(0);
  Bytes body = kTwoPiecesFile;
  body[25] = 7;  // piece 0 starts outside the 3 x 2 picture
  Put("magic.pzf", magic);
  Put("version.pzf", version);
  Put("longer.pzf", longer);
  Put("body.pzf", body);
  EXPECT_NE(LoadError("magic.pzf").find("Incorrect \"magic.pzf\" file format"), std::string::npos);
  EXPECT_NE(LoadError("version.pzf").find("format version (101), current is 100"), std::string::npos);
  EXPECT_NE(LoadError("longer.pzf").find("file format"), std::string::npos);
  EXPECT_NE(LoadError("body.pzf").find("outside the picture"), std::string::npos);
  EXPECT_NE(LoadError("missing.pzf"), "");
}

}  // namespace
