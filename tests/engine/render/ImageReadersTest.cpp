// The BMP, TGA and JPEG readers on files built in the test, and their answers to damaged and hostile
// input: a clear log line, false, an empty image, and no read outside the input (the sanitizer build
// runs these too).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "engine/render/Image.h"
#include "tests/support/ImageFixtures.h"

namespace CorvantisEngine {
namespace {

using testkit::Bytes;

class ImageReadersTest : public ::testing::Test {
 protected:
  bool Load(const std::string& name, const Bytes& bytes) {
    FileBinary file(&log_, name, false, false, true, static_cast<std::uint32_t>(bytes.size()), bytes.data());
    return image_.LoadFromFile(&log_, file, name);
  }

  Bytes Pixels() const { return Bytes(image_.GetPixels(), image_.GetPixels() + image_.GetDataSize()); }

  // The one error line logged since the last call (and that there was exactly one).
  std::string TakeOnlyError() {
    EXPECT_EQ(log_.GetRecordCount(), 1);
    std::string text = log_.GetRecordCount() > 0 ? log_.GetRecord(0).text : std::string();
    log_.ClearRecords();
    return text;
  }

  MessageManager log_{"test", 0, 0, "", ""};
  Image image_;
};

TEST_F(ImageReadersTest, Bmp24WithPaddedRows) {
  // 3 x 2: rows of 9 bytes padded to 12. Bottom row first in the file and in the image.
  const Bytes pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255,  // bottom: red, green, blue
                        1,   2, 3, 4, 5,   6, 7, 8, 9};   // top
  ASSERT_TRUE(Load("a.bmp", testkit::MakeBmp(3, 2, 3, pixels)));
  EXPECT_EQ(image_.GetWidth(), 3u);
  EXPECT_EQ(image_.GetHeight(), 2u);
  EXPECT_EQ(image_.GetBitsPerPixel(), 24u);
  EXPECT_EQ(Pixels(), pixels);
  EXPECT_EQ(log_.GetRecordCount(), 0);
}

TEST_F(ImageReadersTest, Bmp32KeepsAlphaAnd8BitUsesPalette) {
  const Bytes rgba = {10, 20, 30, 40, 50, 60, 70, 80};
  ASSERT_TRUE(Load("b.BMP", testkit::MakeBmp(2, 1, 4, rgba)));
  EXPECT_EQ(image_.GetBitsPerPixel(), 32u);
  EXPECT_EQ(Pixels(), rgba);

  // The 108-byte information header that editors write with alpha: the pixels follow it, not byte 54.
  Bytes longer = testkit::MakeBmp(2, 1, 4, rgba);
  longer[14] = 108;
  longer.insert(longer.begin() + 54, 108 - 40, 0xCC);
  ASSERT_TRUE(Load("long.bmp", longer));
  EXPECT_EQ(Pixels(), rgba);

  const Bytes palette = {0, 0, 0, 200, 100, 50, 7, 8, 9};
  ASSERT_TRUE(Load("c.bmp", testkit::MakeBmp8(3, 2, palette, {1, 2, 0, 2, 2, 1})));
  EXPECT_EQ(image_.GetBitsPerPixel(), 24u);
  EXPECT_EQ(Pixels(), (Bytes{200, 100, 50, 7, 8, 9, 0, 0, 0, 7, 8, 9, 7, 8, 9, 200, 100, 50}));
}

TEST_F(ImageReadersTest, TgaBothOriginsGiveTheSameImage) {
  // 2 x 2, 24-bit. Bottom-up storage (descriptor bit 5 clear) and top-down storage of one picture.
  const Bytes bottomRow = {0, 0, 255, 0, 255, 0};   // stored blue, green, red: red, green
  const Bytes topRow = {255, 0, 0, 255, 255, 255};  // blue, white
  Bytes bottomUp = testkit::MakeTgaHeader(2, 2, 2, 24, false);
  bottomUp.insert(bottomUp.end(), bottomRow.begin(), bottomRow.end());
  bottomUp.insert(bottomUp.end(), topRow.begin(), topRow.end());
  Bytes topDown = testkit::MakeTgaHeader(2, 2, 2, 24, true);
  topDown.insert(topDown.end(), topRow.begin(), topRow.end());
  topDown.insert(topDown.end(), bottomRow.begin(), bottomRow.end());

  const Bytes expected = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  ASSERT_TRUE(Load("up.tga", bottomUp));
  EXPECT_EQ(Pixels(), expected);
  ASSERT_TRUE(Load("down.tga", topDown));
  EXPECT_EQ(Pixels(), expected);
}

TEST_F(ImageReadersTest, TgaRunLengthWithOverrunningLastPacketAndIdField) {
  // 3 x 1, 8-bit grey, run-length (type 11), a 2-byte identification field to skip. The second packet
  // repeats its pixel 5 times but only 2 are needed.
  Bytes file = testkit::MakeTgaHeader(11, 3, 1, 8, true, 2);
  file.insert(file.end(), {0xAA, 0xBB});  // identification field
  file.insert(file.end(), {0x00, 7});     // literal packet of one pixel
  file.insert(file.end(), {0x84, 9});     // run of five
  ASSERT_TRUE(Load("rle.tga", file));
  EXPECT_EQ(image_.GetBitsPerPixel(), 8u);
  EXPECT_EQ(Pixels(), (Bytes{7, 9, 9}));
}

TEST_F(ImageReadersTest, Tga16And32BitPixels) {
  Bytes file16 = testkit::MakeTgaHeader(2, 2, 1, 16, true);
  testkit::PutU16(file16, 0x8000 | (31 << 10) | (1 << 5) | 2);  // opaque, red 31, green 1, blue 2
  testkit::PutU16(file16, (3 << 10));                           // transparent, red 3
  ASSERT_TRUE(Load("p16.tga", file16));
  EXPECT_EQ(image_.GetBitsPerPixel(), 32u);
  EXPECT_EQ(Pixels(), (Bytes{248, 8, 16, 255, 24, 0, 0, 0}));

  Bytes file32 = testkit::MakeTgaHeader(2, 1, 1, 32, true);
  file32.insert(file32.end(), {3, 2, 1, 128});
  ASSERT_TRUE(Load("p32.tga", file32));
  EXPECT_EQ(Pixels(), (Bytes{1, 2, 3, 128}));
}

TEST_F(ImageReadersTest, JpegMatchesAnIndependentEncoderRightWayUp) {
  // 16 x 16: top half red, bottom half blue (top-down rows, as the encoder takes them).
  Bytes rows;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool top = y < 8;
      rows.insert(rows.end(),
                  {static_cast<std::uint8_t>(top ? 255 : 0), 0, static_cast<std::uint8_t>(top ? 0 : 255)});
    }
  }
  const Bytes jpeg = testkit::EncodeJpeg(16, 16, 3, rows, 95);
  ASSERT_TRUE(Load("picture.JPEG", jpeg));
  ASSERT_EQ(image_.GetWidth(), 16u);
  ASSERT_EQ(image_.GetHeight(), 16u);
  ASSERT_EQ(image_.GetBitsPerPixel(), 24u);

  // Image row 0 is the bottom of the picture: blue. The top row is red.
  const std::uint8_t* bottom = image_.GetPixels() + 3 * 16 * 1 + 3 * 4;
  const std::uint8_t* top = image_.GetPixels() + 3 * 16 * 14 + 3 * 4;
  EXPECT_LT(bottom[0], 20);
  EXPECT_GT(bottom[2], 235);
  EXPECT_GT(top[0], 235);
  EXPECT_LT(top[2], 20);

  // Exactly the library's own decode, rows turned.
  std::uint32_t w = 0, h = 0;
  int components = 0;
  const Bytes direct = testkit::DecodeJpegDirect(jpeg, w, h, components);
  for (std::uint32_t s = 0; s < h; ++s) {
    ASSERT_EQ(std::memcmp(&direct[s * w * 3], image_.GetPixels() + (h - 1 - s) * w * 3, w * 3), 0)
        << "scanline " << s;
  }
}

TEST_F(ImageReadersTest, GreyscaleAndProgressiveJpeg) {
  Bytes grey(8 * 8);
  for (std::size_t i = 0; i < grey.size(); ++i) {
    grey[i] = static_cast<std::uint8_t>(i * 4);
  }
  ASSERT_TRUE(Load("grey.jpg", testkit::EncodeJpeg(8, 8, 1, grey, 100)));
  EXPECT_EQ(image_.GetBitsPerPixel(), 8u);

  Bytes rgb(24 * 24 * 3, 128);
  ASSERT_TRUE(Load("prog.jpg", testkit::EncodeJpeg(24, 24, 3, rgb, 90, true)));
  EXPECT_EQ(image_.GetWidth(), 24u);
  EXPECT_NEAR(image_.GetPixels()[0], 128, 2);
}

TEST_F(ImageReadersTest, TruncatedJpegDecodesToItsEnd) {
  Bytes rows(64 * 64 * 3);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i] = static_cast<std::uint8_t>((i * 7) ^ (i >> 5));
  }
  Bytes jpeg = testkit::EncodeJpeg(64, 64, 3, rows, 90);
  jpeg.resize(jpeg.size() / 2);
  ASSERT_TRUE(Load("cut.jpg", jpeg));
  EXPECT_EQ(image_.GetWidth(), 64u);
  EXPECT_EQ(image_.GetHeight(), 64u);
  EXPECT_EQ(log_.GetRecordCount(), 0);
}

TEST_F(ImageReadersTest, CorruptJpegIsLoggedAndLeavesNoImage) {
  Bytes rows(16 * 16 * 3, 90);
  const Bytes good = testkit::EncodeJpeg(16, 16, 3, rows);
  // A failed load after a good one must not leave the old or a half-decoded picture behind.
  ASSERT_TRUE(Load("ok.jpg", good));

  Bytes badTables = good;
  // Wipe everything after the start-of-image marker: no frame header is ever found.
  std::fill(badTables.begin() + 2, badTables.end(), 0x00);
  EXPECT_FALSE(Load("bad.jpg", badTables));
  EXPECT_TRUE(image_.IsEmpty());
  EXPECT_EQ(TakeOnlyError(), "\nError: Incorrect \"bad.jpg\" file format!\n\n");

  EXPECT_FALSE(Load("text.jpg", Bytes{'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(TakeOnlyError(), "\nError: Incorrect \"text.jpg\" file format!\n\n");
  EXPECT_FALSE(Load("empty.jpg", Bytes{}));
  EXPECT_EQ(TakeOnlyError(), "\nError: Incorrect \"empty.jpg\" file format!\n\n");
}

TEST_F(ImageReadersTest, UnknownTypes) {
  for (const char* name : {"picture", "picture.png", "folder.jpg\\file"}) {
    EXPECT_FALSE(Load(name, Bytes{1, 2, 3}));
    EXPECT_EQ(TakeOnlyError(), std::string("\nError: Unknown \"") + name + "\" image file type!\n\n");
  }
}

Bytes Bmp24Header(std::int32_t width, std::int32_t height, std::uint32_t bits, std::uint32_t compression) {
  Bytes out;
  testkit::PutU16(out, 0x4D42);
  testkit::PutU32(out, 0);
  testkit::PutU32(out, 0);
  testkit::PutU32(out, 54);
  testkit::PutU32(out, 40);
  testkit::PutU32(out, static_cast<std::uint32_t>(width));
  testkit::PutU32(out, static_cast<std::uint32_t>(height));
  testkit::PutU16(out, 1);
  testkit::PutU16(out, bits);
  testkit::PutU32(out, compression);
  out.resize(54, 0);
  return out;
}

Bytes WithBytes(Bytes header, std::size_t extra) {
  header.resize(header.size() + extra, 0x5A);
  return header;
}

TEST_F(ImageReadersTest, HostileHeaders) {
  struct Row {
    const char* name;
    Bytes file;
    std::string expected;  // the error text without the log's "Error: " and "!"
  };
  auto incorrect = [](const std::string& name) { return "Incorrect \"" + name + "\" file format"; };
  auto unsupported = [](const std::string& name) { return "Unsupported \"" + name + "\" file format"; };
  auto shortRead = [](std::uint32_t n, const std::string& name) {
    return "Failed to read " + std::to_string(n) + " bytes from \"" + name + "\" file";
  };
  const Row rows[] = {
      // Files that end before a block their header promises fail with the file's read error.
      {"short.bmp", Bytes{'B', 'M', 0, 0}, shortRead(54, "short.bmp")},
      {"pixels.bmp", WithBytes(Bmp24Header(100, 100, 24, 0), 1000), shortRead(300, "pixels.bmp")},
      {"palette.bmp", WithBytes(Bmp24Header(2, 2, 8, 0), 500), shortRead(1024, "palette.bmp")},
      {"rows8.bmp", WithBytes(Bmp24Header(6, 2, 8, 0), 1024 + 8), shortRead(6, "rows8.bmp")},
      {"short.tga", Bytes(10, 0), shortRead(18, "short.tga")},
      {"magic.bmp", WithBytes(Bytes{'M', 'B'}, 100), incorrect("magic.bmp")},
      {"zero.bmp", WithBytes(Bmp24Header(0, 4, 24, 0), 64), unsupported("zero.bmp")},
      {"negative.bmp", WithBytes(Bmp24Header(4, -4, 24, 0), 64), unsupported("negative.bmp")},
      {"huge.bmp", WithBytes(Bmp24Header(0x7FFFFFFF, 0x7FFFFFFF, 24, 0), 64), unsupported("huge.bmp")},
      {"wide.bmp", WithBytes(Bmp24Header(16385, 1, 24, 0), 65536), unsupported("wide.bmp")},
      {"depth.bmp", WithBytes(Bmp24Header(2, 2, 16, 0), 64), unsupported("depth.bmp")},
      {"rle8.bmp", WithBytes(Bmp24Header(2, 2, 8, 1), 2048), unsupported("rle8.bmp")},
      {"zero.tga", WithBytes(testkit::MakeTgaHeader(2, 0, 5, 24, false), 64), unsupported("zero.tga")},
      {"depth.tga", WithBytes(testkit::MakeTgaHeader(2, 2, 2, 15, false), 64), unsupported("depth.tga")},
      {"pixels.tga", WithBytes(testkit::MakeTgaHeader(2, 300, 300, 32, false), 1000),
       incorrect("pixels.tga")},
      {"idfield.tga", WithBytes(testkit::MakeTgaHeader(2, 1, 1, 8, false, 200), 10),
       incorrect("idfield.tga")},
      {"rlerun.tga", WithBytes(testkit::MakeTgaHeader(10, 100, 100, 24, false), 0), incorrect("rlerun.tga")},
      // 16384 x 16384 from 4 bytes of packets: refused before a gigabyte is allocated.
      {"rlehuge.tga", WithBytes(testkit::MakeTgaHeader(10, 16384, 16384, 32, false), 4),
       incorrect("rlehuge.tga")},
      // One run packet (0xFF) missing its pixel bytes.
      {"rlecut.tga", Bytes{0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4, 0, 32, 0, 0xFF, 1},
       incorrect("rlecut.tga")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(Load("fine.tga", [] {
      Bytes ok = testkit::MakeTgaHeader(2, 1, 1, 8, false);
      ok.push_back(1);
      return ok;
    }()));
    EXPECT_FALSE(Load(row.name, row.file));
    EXPECT_TRUE(image_.IsEmpty());
    EXPECT_EQ(TakeOnlyError(), "\nError: " + row.expected + "!\n\n");
  }
}

TEST_F(ImageReadersTest, OversizedJpegIsRefusedBeforeDecoding) {
  // A valid small JPEG whose frame header claims 20000 x 20000.
  Bytes jpeg = testkit::EncodeJpeg(8, 8, 3, Bytes(8 * 8 * 3, 50));
  for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = 20000 >> 8;
      jpeg[i + 6] = 20000 & 255;
      jpeg[i + 7] = 20000 >> 8;
      jpeg[i + 8] = 20000 & 255;
      break;
    }
  }
  EXPECT_FALSE(Load("big.jpg", jpeg));
  EXPECT_EQ(TakeOnlyError(), "\nError: Unsupported \"big.jpg\" file format!\n\n");

  // 16000 x 16000 is a size the reader takes, but not from a file of a few hundred bytes.
  for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = jpeg[i + 7] = 16000 >> 8;
      jpeg[i + 6] = jpeg[i + 8] = 16000 & 255;
      break;
    }
  }
  EXPECT_FALSE(Load("claims.jpg", jpeg));
  EXPECT_EQ(TakeOnlyError(), "\nError: Incorrect \"claims.jpg\" file format!\n\n");
}

}  // namespace
}  // namespace CorvantisEngine
