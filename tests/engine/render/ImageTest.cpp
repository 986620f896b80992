// Image operations on pixels built in the test: scaling filters, depth conversion, paste clipping, fill,
// flips, red/blue exchange and the checkerboard.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/core/Vector.h"
#include "engine/render/Image.h"

namespace CorvantisEngine {
namespace {

Image MakeImage(std::uint32_t width, std::uint32_t height, std::uint32_t bits,
                const std::vector<std::uint8_t>& bytes) {
  Image image;
  image.Create(nullptr, width, height, bits);
  EXPECT_EQ(bytes.size(), image.GetDataSize());
  std::memcpy(image.GetPixels(), bytes.data(), bytes.size());
  return image;
}

std::vector<std::uint8_t> Bytes(const Image& image) {
  return std::vector<std::uint8_t>(image.GetPixels(), image.GetPixels() + image.GetDataSize());
}

const std::uint8_t* Pixel(const Image& image, std::uint32_t x, std::uint32_t y) {
  return image.GetPixels() + (static_cast<std::size_t>(y) * image.GetWidth() + x) * image.GetBytesPerPixel();
}

// A 3 x 3 8-bit picture with distinct corner values.
Image Grey3x3() {
  return MakeImage(3, 3, 8, {10, 20, 30, 40, 50, 60, 70, 80, 90});
}

TEST(ImageTest, CreateCopyAndRelease) {
  Image a = Grey3x3();
  Image b(a);
  EXPECT_NE(a.GetPixels(), b.GetPixels()) << "copies must not share pixels";
  EXPECT_EQ(Bytes(a), Bytes(b));
  b.GetPixels()[0] = 99;
  EXPECT_EQ(a.GetPixels()[0], 10);

  Image moved(std::move(b));
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_EQ(moved.GetPixels()[0], 99);
  moved.Release();
  EXPECT_TRUE(moved.IsEmpty());
  EXPECT_EQ(moved.GetPixels(), nullptr);
}

// Large pixel blocks come from the system, small ones from the heap; copies, moves and a new size
// between the two kinds each give their block back the way it was taken (the sanitizer build checks).
TEST(ImageTest, LargeAndSmallPixelBlocksCopyMoveAndResize) {
  Image large;
  large.Create(nullptr, 512, 256, 32);
  std::memset(large.GetPixels(), 7, large.GetDataSize());
  large.GetPixels()[large.GetDataSize() - 1] = 9;
  Image copy(large);
  EXPECT_EQ(copy.GetPixels()[copy.GetDataSize() - 1], 9);
  Image moved;
  moved = std::move(copy);
  EXPECT_TRUE(copy.IsEmpty());
  EXPECT_EQ(moved.GetPixels()[0], 7);
  moved = Grey3x3();
  EXPECT_EQ(moved.GetDataSize(), 9u);
  large.Create(nullptr, 2, 2, 8);
  large.Resize(600, 600, Image::kFilterNearest);
  EXPECT_EQ(large.GetDataSize(), 360000u);
  large.Resize(3, 3, Image::kFilterNearest);
  EXPECT_EQ(large.GetDataSize(), 9u);
}

TEST(ImageTest, ScaleToSameSizeIsIdentityForEveryFilter) {
  for (std::uint32_t filter : {Image::kFilterNearest, Image::kFilterBilinear, Image::kFilterCubic}) {
    Image image = Grey3x3();
    Image out;
    image.Scale(3, 3, filter, out);
    EXPECT_EQ(Bytes(out), Bytes(image)) << "filter " << filter;
    image.Resize(3, 3, filter);
    EXPECT_EQ(Bytes(image), Bytes(Grey3x3())) << "filter " << filter;
  }
}

TEST(ImageTest, ScaledCornersKeepSourceCorners) {
  // Every filter maps the destination's first and last columns and rows onto the source's.
  const Image source = MakeImage(2, 2, 24, {0, 10, 20, 100, 110, 120, 200, 210, 220, 250, 240, 230});
  struct Case {
    std::uint32_t filter;
    bool lastRowExact;  // the bilinear filter's last row sits a 256th inside the source
  };
  for (const Case c : {Case{Image::kFilterNearest, true}, Case{Image::kFilterBilinear, false},
                       Case{Image::kFilterCubic, true}}) {
    Image out;
    source.Scale(4, 4, c.filter, out);
    ASSERT_EQ(out.GetWidth(), 4u);
    ASSERT_EQ(out.GetHeight(), 4u);
    ASSERT_EQ(out.GetBitsPerPixel(), 24u);
    for (int ch = 0; ch < 3; ++ch) {
      EXPECT_EQ(Pixel(out, 0, 0)[ch], Pixel(source, 0, 0)[ch]) << "filter " << c.filter;
      EXPECT_EQ(Pixel(out, 3, 0)[ch], Pixel(source, 1, 0)[ch]) << "filter " << c.filter;
      if (c.lastRowExact) {
        EXPECT_EQ(Pixel(out, 0, 3)[ch], Pixel(source, 0, 1)[ch]) << "filter " << c.filter;
        EXPECT_EQ(Pixel(out, 3, 3)[ch], Pixel(source, 1, 1)[ch]) << "filter " << c.filter;
      } else {
        EXPECT_NEAR(Pixel(out, 0, 3)[ch], Pixel(source, 0, 1)[ch], 1) << "filter " << c.filter;
        EXPECT_NEAR(Pixel(out, 3, 3)[ch], Pixel(source, 1, 1)[ch], 1) << "filter " << c.filter;
      }
    }
  }
}

TEST(ImageTest, BilinearMidpointsAndHalving) {
  // 2 x 1 -> 3 x 1: the middle pixel is the mean of the two.
  const Image row = MakeImage(2, 1, 8, {0, 200});
  Image out;
  row.Scale(3, 1, Image::kFilterBilinear, out);
  EXPECT_EQ(Bytes(out), (std::vector<std::uint8_t>{0, 100, 200}));
  // A destination of one pixel takes the source's first.
  row.Scale(1, 1, Image::kFilterBilinear, out);
  EXPECT_EQ(Bytes(out), (std::vector<std::uint8_t>{0}));
  // A one-row source scaled up in height has no row above it to blend with.
  row.Scale(2, 3, Image::kFilterBilinear, out);
  EXPECT_EQ(Bytes(out), (std::vector<std::uint8_t>{0, 200, 0, 200, 0, 200}));
}

TEST(ImageTest, NearestPicksByIntegerPosition) {
  const Image source = Grey3x3();
  Image out;
  source.Scale(2, 2, Image::kFilterNearest, out);
  EXPECT_EQ(Bytes(out), (std::vector<std::uint8_t>{10, 30, 70, 90}));
}

TEST(ImageTest, CubicClampsOvershoot) {
  // A hard edge overshoots with the -1 kernel; results stay within 0..255.
  const Image edge = MakeImage(4, 1, 8, {0, 0, 255, 255});
  Image out;
  edge.Scale(13, 1, Image::kFilterCubic, out);
  bool sawFull = false;
  for (std::uint8_t v : Bytes(out)) {
    sawFull = sawFull || v == 255;
  }
  EXPECT_TRUE(sawFull);
  EXPECT_EQ(Bytes(out).front(), 0);
  EXPECT_EQ(Bytes(out).back(), 255);
}

TEST(ImageTest, CubicInterpolateTable) {
  struct Row {
    int p0, p1, p2, p3, t, expected;
  };
  const Row rows[] = {
      {0, 100, 200, 300, 0, 100},   // t = 0 gives p1
      {0, 100, 200, 300, 64, 150},  // a straight line stays straight
      {50, 50, 50, 50, 100, 50},    // a constant stays constant
      {0, 0, 255, 255, 64, 127},    // the middle of an edge
      {-20, 0, 0, 0, 64, 2},        // negative inputs use an arithmetic shift
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Image::CubicInterpolate(r.p0, r.p1, r.p2, r.p3, r.t), r.expected)
        << r.p0 << " " << r.p1 << " " << r.p2 << " " << r.p3 << " t=" << r.t;
  }
}

TEST(ImageTest, ConvertBitsPerPixelTable) {
  struct Row {
    std::uint32_t fromBits;
    std::vector<std::uint8_t> from;
    std::uint32_t toBits;
    std::vector<std::uint8_t> expected;
  };
  const Row rows[] = {
      {24, {10, 20, 30}, 32, {10, 20, 30, 255}},
      {24, {255, 255, 255}, 8, {255}},  // white stays white
      {24, {100, 0, 0}, 8, {22}},       // 0.222 x 100
      {24, {0, 100, 0}, 8, {70}},       // 0.707 x 100, truncated
      {32, {1, 2, 3, 4}, 24, {1, 2, 3}},
      {32, {1, 2, 3, 77}, 8, {77}},  // the alpha byte
      {8, {42}, 24, {42, 42, 42}},
      {8, {42}, 32, {42, 42, 42, 255}},
  };
  for (const Row& r : rows) {
    Image image = MakeImage(1, 1, r.fromBits, r.from);
    Image out;
    image.ConvertBitsPerPixel(r.toBits, &out);
    EXPECT_EQ(out.GetBitsPerPixel(), r.toBits);
    EXPECT_EQ(Bytes(out), r.expected) << r.fromBits << " -> " << r.toBits;
    EXPECT_EQ(Bytes(image), r.from) << "the source stays as it was";
    image.ConvertBitsPerPixel(r.toBits);
    EXPECT_EQ(Bytes(image), r.expected) << "in place " << r.fromBits << " -> " << r.toBits;
  }
}

TEST(ImageTest, PasteClipsOnEverySide) {
  // Source 10 x 10 with value = row * 10 + column.
  std::vector<std::uint8_t> bytes(100);
  for (int i = 0; i < 100; ++i) {
    bytes[i] = static_cast<std::uint8_t>(i);
  }
  const Image source = MakeImage(10, 10, 8, bytes);
  struct Row {
    int x, y;
    int copiedColumns, copiedRows;
    int firstTargetColumn, firstTargetRow;
    int firstSourceColumn, firstSourceRow;
  };
  const Row rows[] = {
      {5, 5, 3, 3, 5, 5, 0, 0},    // runs off the top-right corner
      {-4, -7, 6, 3, 0, 0, 4, 7},  // starts left of and below the target
      {8, 0, 0, 0, 0, 0, 0, 0},    // starts past the right edge
      {0, -10, 0, 0, 0, 0, 0, 0},  // ends below the target
  };
  for (const Row& r : rows) {
    Image target = MakeImage(8, 8, 8, std::vector<std::uint8_t>(64, 255));
    target.Paste(r.x, r.y, source);
    int changed = 0;
    for (std::uint32_t y = 0; y < 8; ++y) {
      for (std::uint32_t x = 0; x < 8; ++x) {
        const int tx = static_cast<int>(x) - r.firstTargetColumn;
        const int ty = static_cast<int>(y) - r.firstTargetRow;
        const bool inside = tx >= 0 && ty >= 0 && tx < r.copiedColumns && ty < r.copiedRows;
        const int expected = inside ? (ty + r.firstSourceRow) * 10 + tx + r.firstSourceColumn : 255;
        EXPECT_EQ(*Pixel(target, x, y), expected)
            << "paste at " << r.x << "," << r.y << " pixel " << x << "," << y;
        changed += inside ? 1 : 0;
      }
    }
    EXPECT_EQ(changed, r.copiedColumns * r.copiedRows);
  }
}

TEST(ImageTest, PasteConvertsDepthAndCanWriteToOutput) {
  Image target = MakeImage(2, 1, 24, {0, 0, 0, 0, 0, 0});
  const Image grey = MakeImage(1, 1, 8, {200});
  Image out;
  target.Paste(1, 0, grey, &out);
  EXPECT_EQ(Bytes(out), (std::vector<std::uint8_t>{0, 0, 0, 200, 200, 200}));
  EXPECT_EQ(Bytes(target), (std::vector<std::uint8_t>(6, 0))) << "with an output the target is unchanged";
}

TEST(ImageTest, FillTruncatesAndGreysAndClamps) {
  Image rgba = MakeImage(2, 1, 32, std::vector<std::uint8_t>(8, 0));
  rgba.Fill(Vector4(1.0f, 0.5f, 0.0f, 0.25f));
  EXPECT_EQ(Bytes(rgba), (std::vector<std::uint8_t>{255, 127, 0, 63, 255, 127, 0, 63}));
  Image grey = MakeImage(1, 1, 8, {0});
  grey.Fill(Vector4(1.0f, 1.0f, 1.0f, 1.0f));
  EXPECT_GE(Bytes(grey)[0], 254);
  Image rgb = MakeImage(1, 1, 24, {1, 2, 3});
  rgb.Fill(Vector4(2.0f, -1.0f, 0.5f, 1.0f));
  EXPECT_EQ(Bytes(rgb), (std::vector<std::uint8_t>{255, 0, 127}));
}

TEST(ImageTest, FlipAndSwap) {
  Image image = MakeImage(1, 3, 24, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  Image flipped;
  image.FlipVertical(&flipped);
  EXPECT_EQ(Bytes(flipped), (std::vector<std::uint8_t>{7, 8, 9, 4, 5, 6, 1, 2, 3}));
  image.FlipVertical();
  EXPECT_EQ(Bytes(image), Bytes(flipped));
  image.SwapRedBlue();
  EXPECT_EQ(Bytes(image), (std::vector<std::uint8_t>{9, 8, 7, 6, 5, 4, 3, 2, 1}));
  Image grey = Grey3x3();
  Image out;
  grey.SwapRedBlue(&out);
  EXPECT_EQ(Bytes(out), Bytes(grey));
}

TEST(ImageTest, Checkerboard) {
  Image image;
  image.MakeCheckerboard(nullptr);
  ASSERT_EQ(image.GetWidth(), 64u);
  ASSERT_EQ(image.GetHeight(), 64u);
  ASSERT_EQ(image.GetBitsPerPixel(), 24u);
  const std::uint8_t yellow[3] = {255, 255, 0};
  const std::uint8_t black[3] = {0, 0, 0};
  for (std::uint32_t y : {0u, 7u, 8u, 15u, 63u}) {
    for (std::uint32_t x : {0u, 7u, 8u, 56u, 63u}) {
      const bool even = ((x / 8) + (y / 8)) % 2 == 0;
      EXPECT_EQ(std::memcmp(Pixel(image, x, y), even ? yellow : black, 3), 0) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace CorvantisEngine
