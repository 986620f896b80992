#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tools/imagefile/ImageFile.h"

namespace {

std::vector<char> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ImageFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("imagefile_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path folder_;
};

TEST_F(ImageFileTest, ResampleAveragesTheAreaEachPixelCovers) {
  tools::RgbImage image = tools::MakeImage(3, 1);
  image.At(0, 0)[0] = 0;
  image.At(1, 0)[0] = 90;
  image.At(2, 0)[0] = 180;
  // Two output pixels over three: each covers one and a half source pixels.
  const tools::RgbImage half = tools::Resample(image, 2, 1);
  EXPECT_EQ(half.At(0, 0)[0], 30);   // (0 + 0.5 * 90) / 1.5
  EXPECT_EQ(half.At(1, 0)[0], 150);  // (0.5 * 90 + 180) / 1.5
  const tools::RgbImage one = tools::Resample(image, 1, 1);
  EXPECT_EQ(one.At(0, 0)[0], 90);
}

TEST_F(ImageFileTest, CropTakesTheRectangleAndRefusesOneOutside) {
  tools::RgbImage image = tools::MakeImage(4, 3);
  image.At(2, 1)[1] = 77;
  const tools::RgbImage crop = tools::Crop(image, 1, 1, 2, 2);
  EXPECT_EQ(crop.width, 2);
  EXPECT_EQ(crop.At(1, 0)[1], 77);
  EXPECT_THROW(tools::Crop(image, 3, 0, 2, 1), std::runtime_error);
  EXPECT_THROW(tools::Crop(image, -1, 0, 1, 1), std::runtime_error);
}

TEST_F(ImageFileTest, JpegRoundTripsAndTheSamePixelsGiveTheSameBytes) {
  tools::RgbImage image = tools::MakeImage(64, 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 64; ++x) {
      image.At(x, y)[0] = static_cast<std::uint8_t>(x * 4);
      image.At(x, y)[1] = static_cast<std::uint8_t>(y * 8);
      image.At(x, y)[2] = 100;
    }
  }
  const auto first = folder_ / "a.jpg";
  const auto second = folder_ / "b.jpg";
  tools::WriteJpeg(image, first.string(), 92);
  tools::WriteJpeg(image, second.string(), 92);
  EXPECT_EQ(ReadAll(first), ReadAll(second));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "a.jpg.partial"));
  const tools::RgbImage read = tools::ReadJpeg(first.string());
  ASSERT_EQ(read.width, 64);
  ASSERT_EQ(read.height, 32);
  // Top-down rows: the first row read is the first row written.
  EXPECT_NEAR(read.At(60, 0)[0], 240, 8);
  EXPECT_NEAR(read.At(0, 31)[1], 248, 8);
  // Scaled while decoding; the header alone gives the full size.
  EXPECT_EQ(tools::ReadJpegSize(first.string()), std::make_pair(64, 32));
  const tools::RgbImage quarter = tools::ReadJpeg(first.string(), 4);
  EXPECT_EQ(quarter.width, 16);
  EXPECT_EQ(quarter.height, 8);
  EXPECT_THROW(tools::ReadJpeg(first.string(), 3), std::invalid_argument);
  // Baseline: the frame is SOF0 (0xFFC0), never progressive.
  const auto bytes = ReadAll(first);
  bool baseline = false;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) == 0xFF && static_cast<unsigned char>(bytes[i + 1]) == 0xC0) {
      baseline = true;
      break;
    }
  }
  EXPECT_TRUE(baseline);
}

TEST_F(ImageFileTest, ReadingSomethingElseThrowsWithTheName) {
  const auto path = folder_ / "not.jpg";
  std::ofstream(path) << "plain text";
  try {
    tools::ReadJpeg(path.string());
    ADD_FAILURE() << "accepted";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("not.jpg"), std::string::npos);
  }
  EXPECT_THROW(tools::ReadJpeg((folder_ / "missing.jpg").string()), std::runtime_error);
}

}  // namespace
