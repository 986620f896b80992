// Textures: keys, sharing and reference counts, the power-of-two sizes, image loading with the
// checkerboard fallback, the images handed back for a rebuild, mip-level halving, format choice and
// pixel packing into surface memory with a padded pitch.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "engine/core/MessageManager.h"
#include "engine/core/Vector.h"
#include "engine/files/FileManager.h"
#include "engine/render/Image.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"
#include "engine/render/TextureSurfaceFill.h"
#include "tests/support/DataFolder.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/LogProbe.h"
#include "tests/support/RecordingRenderSystem.h"

namespace CorvantisEngine {
namespace {

Image* NewImage(std::uint32_t w, std::uint32_t h, std::uint32_t bits, std::uint8_t value = 100) {
  auto* image = new Image();
  image->Create(nullptr, w, h, bits);
  std::memset(image->GetPixels(), value, image->GetDataSize());
  return image;
}

TEST(TextureKeyTest, KeysAndTargetSizes) {
  EXPECT_EQ(TextureManager::MakeKey("Data\\Wall.JPG", "", false), "diffuse_data\\wall.jpg");
  EXPECT_EQ(TextureManager::MakeKey("a.jpg", "A_alpha.jpg", true),
            "diffuse_a.jpg_plus_opacity_a_alpha.jpg_with_mip_mapping");

  struct Row {
    std::uint32_t size, max, expected;
  };
  const Row rows[] = {
      {300, 0, 256}, {200, 0, 256},    {384, 0, 512},     {96, 0, 128},  // nearest power of two, ties upward
      {0, 0, 1},     {1, 0, 1},        {3, 0, 4},         {5, 0, 4},
      {256, 0, 256}, {1000, 512, 512}, {65536, 0, 65536}, {70000, 0, 65536},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(TextureManager::TargetSize(r.size, r.max), r.expected) << r.size << " max " << r.max;
  }
}

class TextureManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files_ = std::make_unique<FileManager>(&log_, folder_.Root().string(), "");
    render_ = std::make_unique<testsupport::RecordingRenderSystem>(&log_);
    textures_ = std::make_unique<TextureManager>(&log_, files_.get(), nullptr, nullptr, render_.get());
    log_.ClearRecords();
  }
  void TearDown() override {
    textures_.reset();
    files_.reset();
  }
  std::vector<std::string> Texts() {
    std::vector<std::string> texts = testsupport::LogProbe(log_).Entries();
    log_.ClearRecords();
    return texts;
  }

  testsupport::DataFolder folder_;
  MessageManager log_{"test", 0, 0, "", ""};
  std::unique_ptr<FileManager> files_;
  std::unique_ptr<testsupport::RecordingRenderSystem> render_;
  std::unique_ptr<TextureManager> textures_;
};

TEST_F(TextureManagerTest, ResizesToPowerOfTwoWithOneWarning) {
  Image* diffuse = NewImage(300, 200, 24);
  Texture2D* texture = textures_->CreateTexture(true, false, "Pic.jpg", "", diffuse, nullptr);
  EXPECT_EQ(texture->GetWidth(), 256u);
  EXPECT_EQ(texture->GetHeight(), 256u);
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "\nWarning: Texture Manager: \"Pic.jpg\" image size should be power of two!\n\n"}));

  // An opacity image of another size is brought to the diffuse image's size, with its own warning.
  Image* rgb = NewImage(64, 64, 24);
  Image* alpha = NewImage(32, 16, 8);
  Texture2D* blended = textures_->CreateTexture(true, false, "b.jpg", "b_a.jpg", rgb, alpha);
  EXPECT_EQ(blended->GetWidth(), 64u);
  EXPECT_EQ(alpha->GetWidth(), 64u);
  EXPECT_EQ(alpha->GetHeight(), 64u);
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"\nWarning: Texture Manager: \"b_a.jpg\" image size should be the "
                                      "same as \"b.jpg\"!\n\n"}));
}

TEST_F(TextureManagerTest, SharingByKeyAndReferenceCounts) {
  Texture2D* a = textures_->CreateTexture(true, false, "Same.jpg", "", NewImage(4, 4, 24), nullptr);
  // Kept images of a texture that already exists are deleted by the manager (the sanitizer build
  // would report a leak otherwise).
  Texture2D* b = textures_->CreateTexture(true, false, "same.JPG", "", NewImage(4, 4, 24), NewImage(4, 4, 8));
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->GetReferenceCount(), 2);
  Image* both = NewImage(4, 4, 32);
  Texture2D* shared = textures_->CreateTexture(true, false, "self", "self", both, both);
  EXPECT_EQ(textures_->CreateTexture(true, false, "self", "self", NewImage(2, 2, 8), nullptr), shared);
  textures_->ReleaseTexture(shared);
  textures_->ReleaseTexture(shared);  // one image given as both is owned once (the sanitizer build checks)
  Texture2D* mip = textures_->CreateTexture(true, true, "same.jpg", "", NewImage(4, 4, 24), nullptr);
  EXPECT_NE(mip, a) << "mip mapping is part of the key";
  EXPECT_EQ(mip->GetKey(), "diffuse_same.jpg_with_mip_mapping");
  EXPECT_EQ(textures_->GetTextureCount(), 2u);

  std::vector<Texture2D*> list;
  textures_->GetTextureNames(list);
  EXPECT_EQ(list, (std::vector<Texture2D*>{a, mip}));

  textures_->ReleaseTexture(a);
  EXPECT_EQ(textures_->GetTextureCount(), 2u);
  textures_->ReleaseTexture(a);
  EXPECT_EQ(textures_->GetTextureCount(), 1u);
  textures_->ReleaseTexture(a);  // no longer held: ignored
  textures_->ReleaseTexture(nullptr);
  EXPECT_EQ(textures_->GetTextureCount(), 1u);
  EXPECT_EQ(textures_->GetVideoMemoryUsed(), mip->GetVideoMemory());
}

// A render system that makes no textures leaves the manager empty: nothing is shared, counted or
// released through a null texture.
TEST_F(TextureManagerTest, RenderSystemWithoutTexturesLeavesNothingHeld) {
  render_->makesTextures = false;
  EXPECT_EQ(textures_->CreateTexture(true, false, "none.jpg", "", NewImage(4, 4, 24), nullptr), nullptr);
  EXPECT_EQ(textures_->CreateTexture(true, false, "none.jpg", "", NewImage(4, 4, 24), nullptr), nullptr);
  folder_.Write("wall.bmp", testkit::MakeBmp(2, 2, 3, testkit::Bytes(12, 77)));
  EXPECT_EQ(textures_->LoadTexture(false, "data\\wall.bmp", ""), nullptr);
  EXPECT_EQ(textures_->GetTextureCount(), 0u);
  EXPECT_EQ(textures_->GetVideoMemoryUsed(), 0u);
  textures_->ReleaseTexture(nullptr);
}

TEST_F(TextureManagerTest, LoadsFilesWithCheckerboardForMissingOnes) {
  folder_.Write("wall.bmp", testkit::MakeBmp(2, 2, 3, testkit::Bytes(12, 77)));
  Texture2D* wall = textures_->LoadTexture(false, "data\\wall.bmp", "data\\wall.bmp");
  EXPECT_EQ(wall->GetWidth(), 2u);
  Texture2D* again = textures_->LoadTexture(false, "data\\WALL.bmp", "data\\wall.bmp");
  EXPECT_EQ(again, wall);

  Texture2D* missing = textures_->LoadTexture(false, "data\\missing.jpg", "data\\missing_a.jpg");
  EXPECT_EQ(missing->GetWidth(), 64u) << "the checkerboard stands in";
  const std::vector<std::string> texts = Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[0].find("missing.jpg"), std::string::npos);
  EXPECT_NE(texts[1].find("missing_a.jpg"), std::string::npos);

  Image* diffuse = nullptr;
  Image* opacity = nullptr;
  textures_->LoadImages("data\\wall.bmp", "data\\wall.bmp", diffuse, opacity);
  ASSERT_NE(opacity, nullptr) << "an opacity name equal to the diffuse name takes the diffuse image";
  EXPECT_EQ(std::memcmp(diffuse->GetPixels(), opacity->GetPixels(), diffuse->GetDataSize()), 0);
  delete diffuse;
  delete opacity;
  textures_->LoadImages("data\\wall.bmp", "data\\none.bmp", diffuse, opacity);
  EXPECT_EQ(opacity, nullptr) << "an opacity file that cannot be read means no opacity";
  delete diffuse;
}

TEST_F(TextureManagerTest, ImagesForRebuildAreNormalisedLikeAtCreation) {
  // From a file: loaded again, resized again, without a second warning; the caller deletes them.
  folder_.Write("odd.bmp", testkit::MakeBmp(3, 5, 3, testkit::Bytes(45, 10)));
  Texture2D* fromFile = textures_->LoadTexture(false, "data\\odd.bmp", "");
  ASSERT_EQ(Texts().size(), 1u);
  Image* diffuse = nullptr;
  Image* opacity = nullptr;
  bool deleteImages = false;
  textures_->GetTextureImages(fromFile, diffuse, opacity, deleteImages);
  ASSERT_NE(diffuse, nullptr);
  EXPECT_TRUE(deleteImages);
  EXPECT_EQ(diffuse->GetWidth(), fromFile->GetWidth());
  EXPECT_EQ(diffuse->GetHeight(), fromFile->GetHeight());
  EXPECT_TRUE(Texts().empty()) << "size warnings come once per texture";
  delete diffuse;
  delete opacity;

  // From memory without keepImages: the manager keeps copies, so a rebuild still has the pixels.
  Image caller;
  caller.Create(nullptr, 6, 6, 32);
  caller.Fill(Vector4(0.2f, 0.4f, 0.6f, 0.8f));
  Texture2D* fromMemory = textures_->CreateTexture(false, false, "sheet_1", "", &caller, nullptr);
  EXPECT_EQ(caller.GetWidth(), 8u) << "the caller's image is resized in place as before";
  textures_->GetTextureImages(fromMemory, diffuse, opacity, deleteImages);
  ASSERT_NE(diffuse, nullptr);
  EXPECT_FALSE(deleteImages);
  EXPECT_NE(diffuse, &caller);
  EXPECT_EQ(diffuse->GetWidth(), 8u);
  EXPECT_EQ(std::memcmp(diffuse->GetPixels(), caller.GetPixels(), caller.GetDataSize()), 0);

  Texture2D* unknown = reinterpret_cast<Texture2D*>(&caller);
  textures_->GetTextureImages(unknown, diffuse, opacity, deleteImages);
  EXPECT_EQ(diffuse, nullptr);
}

// A texture made with an image source keeps nothing: a rebuild asks the source again (its images
// normalised as at creation, deleted by the caller); a source that makes nothing gives the checkerboard.
// A second texture of the same key shares the first and its source.
TEST_F(TextureManagerTest, TexturesWithAnImageSourceAreRebuiltFromIt) {
  int made = 0;
  std::uint8_t shade = 30;
  auto source = [&](std::unique_ptr<Image>& diffuse, std::unique_ptr<Image>& opacity) {
    ++made;
    if (shade != 0) {
      diffuse.reset(NewImage(6, 6, 32, shade));
      opacity.reset(NewImage(6, 6, 8, 200));
    }
  };
  Texture2D* texture =
      textures_->CreateTexture(false, "board", "board_alpha", std::unique_ptr<Image>(NewImage(6, 6, 32)),
                               std::unique_ptr<Image>(NewImage(6, 6, 8)), source);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(made, 0) << "creation uses the images given";
  EXPECT_EQ(texture->GetWidth(), 8u);
  EXPECT_EQ(textures_->CreateTexture(false, "BOARD", "board_alpha", nullptr, nullptr, source), texture);
  EXPECT_EQ(texture->GetReferenceCount(), 2);

  Image* diffuse = nullptr;
  Image* opacity = nullptr;
  bool deleteImages = false;
  textures_->GetTextureImages(texture, diffuse, opacity, deleteImages);
  EXPECT_EQ(made, 1);
  EXPECT_TRUE(deleteImages);
  ASSERT_NE(diffuse, nullptr);
  ASSERT_NE(opacity, nullptr);
  EXPECT_EQ(diffuse->GetWidth(), 8u) << "normalised as at creation";
  EXPECT_EQ(opacity->GetWidth(), 8u);
  EXPECT_EQ(diffuse->GetPixels()[0], 30);
  delete diffuse;
  delete opacity;

  shade = 0;
  textures_->GetTextureImages(texture, diffuse, opacity, deleteImages);
  EXPECT_EQ(made, 2);
  ASSERT_NE(diffuse, nullptr);
  EXPECT_EQ(diffuse->GetWidth(), 64u) << "the checkerboard";
  EXPECT_EQ(opacity, nullptr);
  delete diffuse;

  textures_->ReleaseTexture(texture);
  textures_->ReleaseTexture(texture);
  EXPECT_EQ(textures_->GetTextureCount(), 0u);
}

TEST(TextureHalveTest, MeansRoundAndEdgesRepeat) {
  Texture2D texture(nullptr, nullptr, nullptr, "k", true);
  Image source;
  source.Create(nullptr, 2, 2, 32);
  const std::uint8_t pixels[] = {0, 10, 255, 1, 1, 10, 255, 2, 2, 10, 255, 3, 2, 11, 254, 4};
  std::memcpy(source.GetPixels(), pixels, sizeof(pixels));
  Image half;
  texture.HalveImage(source, half, 1, 1, false);
  ASSERT_EQ(half.GetBitsPerPixel(), 32u);
  EXPECT_EQ(std::vector<std::uint8_t>(half.GetPixels(), half.GetPixels() + 4),
            (std::vector<std::uint8_t>{1, 10, 255, 3}));  // (5 + 2) >> 2 = 1, (41 + 2) >> 2 = 10, ...
  Image alpha;
  texture.HalveImage(source, alpha, 1, 1, true);
  ASSERT_EQ(alpha.GetBitsPerPixel(), 8u);
  EXPECT_EQ(alpha.GetPixels()[0], 3) << "single channel takes the alpha byte";

  // A column one pixel wide repeats it as its right neighbour.
  Image column;
  column.Create(nullptr, 1, 2, 8);
  column.GetPixels()[0] = 10;
  column.GetPixels()[1] = 21;
  texture.HalveImage(column, half, 1, 1, false);
  EXPECT_EQ(half.GetPixels()[0], 16);  // (10 + 10 + 21 + 21 + 2) >> 2
}

DDPIXELFORMAT Format(DWORD flags, DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a) {
  DDPIXELFORMAT f;
  std::memset(&f, 0, sizeof(f));
  f.dwSize = sizeof(f);
  f.dwFlags = flags;
  f.dwRGBBitCount = bits;
  f.dwRBitMask = r;
  f.dwGBitMask = g;
  f.dwBBitMask = b;
  f.dwRGBAlphaBitMask = a;
  return f;
}

TEST(TextureFormatTest, ChoiceFollowsTheDevicesOrder) {
  const std::vector<DDPIXELFORMAT> formats = {
      Format(DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0x0F00, 0x00F0, 0x000F, 0xF000),  // 4-bit alpha: never
      Format(DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0x7C00, 0x03E0, 0x001F, 0x8000),
      Format(DDPF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0),
      Format(DDPF_LUMINANCE, 32, 0xFF, 0, 0, 0),
      Format(DDPF_RGB, 32, 0xFF0000, 0xFF00, 0xFF, 0),
      Format(DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000),
  };
  EXPECT_EQ(ChooseTextureFormat(formats, 32, true), 5);
  EXPECT_EQ(ChooseTextureFormat(formats, 32, false), 4);
  EXPECT_EQ(ChooseTextureFormat(formats, 16, true), 1);
  EXPECT_EQ(ChooseTextureFormat(formats, 16, false), 2);
  EXPECT_EQ(ChooseTextureFormat({formats[0], formats[3]}, 32, true), -1);
}

TEST(TextureFormatTest, PackingWithPaddedPitch) {
  struct Row {
    std::uint32_t value, mask, expected;
  };
  const Row rows[] = {{255, 0xF800, 0xF800}, {0x84, 0x07E0, 0x21 << 5}, {255, 0x8000, 0x8000},
                      {127, 0x8000, 0},      {0xAB, 0xFF00, 0xAB00},    {9, 0, 0}};
  for (const Row& r : rows) {
    EXPECT_EQ(PackChannel(r.value, r.mask), r.expected) << r.value << " into " << r.mask;
  }

  // 3 x 2 RGB image with an 8-bit opacity image into a 32-bit ARGB surface whose rows are 16 bytes.
  Image diffuse;
  diffuse.Create(nullptr, 3, 2, 24);
  for (std::size_t i = 0; i < diffuse.GetDataSize(); ++i) {
    diffuse.GetPixels()[i] = static_cast<std::uint8_t>(i + 1);
  }
  Image opacity;
  opacity.Create(nullptr, 3, 2, 8);
  for (std::size_t i = 0; i < 6; ++i) {
    opacity.GetPixels()[i] = static_cast<std::uint8_t>(200 + i);
  }
  std::vector<std::uint8_t> surface(32, 0xCD);
  FillTextureSurface(Format(DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000),
                     surface.data(), 16, diffuse, &opacity);
  const std::uint32_t expected[2][3] = {{0xC8010203, 0xC9040506, 0xCA070809},
                                        {0xCB0A0B0C, 0xCC0D0E0F, 0xCD101112}};
  for (int row = 0; row < 2; ++row) {
    for (int x = 0; x < 3; ++x) {
      std::uint32_t pixel = 0;
      std::memcpy(&pixel, &surface[row * 16 + x * 4], 4);
      EXPECT_EQ(pixel, expected[row][x]) << "row " << row << " pixel " << x;
    }
    for (int pad = 12; pad < 16; ++pad) {
      EXPECT_EQ(surface[row * 16 + pad], 0xCD) << "padding of row " << row << " is left alone";
    }
  }

  // Grey diffuse into 16-bit 565 without opacity.
  Image grey;
  grey.Create(nullptr, 1, 1, 8);
  grey.GetPixels()[0] = 0xFF;
  std::uint16_t out = 0;
  FillTextureSurface(Format(DDPF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0), &out, 2, grey, nullptr);
  EXPECT_EQ(out, 0xFFFF);
}

// Every image layout into 32-bit ARGB and XRGB surfaces with padded rows: each pixel is its channels
// placed by their masks, the alpha from the opacity image when there is one, and the padding untouched.
TEST(TextureFormatTest, ByteChannelSurfacesFromEveryImageLayout) {
  struct Case {
    std::uint32_t bits;
    std::uint32_t opacityBits;  // 0: no opacity image
    bool alphaSurface;
  };
  const Case cases[] = {{8, 0, true},   {24, 0, true}, {32, 0, true},  {24, 8, true}, {32, 8, true},
                        {24, 32, true}, {8, 8, true},  {32, 0, false}, {24, 8, false}};
  constexpr std::uint32_t kWidth = 5;
  constexpr std::uint32_t kHeight = 3;
  constexpr std::int32_t kPitch = 24;
  for (const Case& c : cases) {
    Image diffuse;
    diffuse.Create(nullptr, kWidth, kHeight, c.bits);
    for (std::size_t i = 0; i < diffuse.GetDataSize(); ++i) {
      diffuse.GetPixels()[i] = static_cast<std::uint8_t>(i * 37 + 11);
    }
    Image opacity;
    if (c.opacityBits != 0) {
      opacity.Create(nullptr, kWidth, kHeight, c.opacityBits);
      for (std::size_t i = 0; i < opacity.GetDataSize(); ++i) {
        opacity.GetPixels()[i] = static_cast<std::uint8_t>(250 - i * 13);
      }
    }
    const DWORD alphaMask = c.alphaSurface ? 0xFF000000 : 0;
    const DDPIXELFORMAT format = Format(c.alphaSurface ? DDPF_RGB | DDPF_ALPHAPIXELS : DDPF_RGB, 32, 0xFF0000,
                                        0xFF00, 0xFF, alphaMask);
    std::vector<std::uint8_t> surface(kPitch * kHeight, 0xCD);
    FillTextureSurface(format, surface.data(), kPitch, diffuse, c.opacityBits != 0 ? &opacity : nullptr);

    const std::uint32_t bpp = c.bits / 8;
    const std::uint32_t opacityBpp = c.opacityBits / 8;
    for (std::uint32_t y = 0; y < kHeight; ++y) {
      for (std::uint32_t x = 0; x < kWidth; ++x) {
        const std::uint8_t* p = diffuse.GetPixels() + (y * kWidth + x) * bpp;
        const std::uint32_t r = p[0];
        const std::uint32_t g = bpp == 1 ? p[0] : p[1];
        const std::uint32_t b = bpp == 1 ? p[0] : p[2];
        std::uint32_t a = bpp == 4 ? p[3] : 255;
        if (opacityBpp != 0) {
          a = opacity.GetPixels()[(y * kWidth + x) * opacityBpp + (opacityBpp == 4 ? 3 : 0)];
        }
        const std::uint32_t expected = PackChannel(r, 0xFF0000) | PackChannel(g, 0xFF00) |
                                       PackChannel(b, 0xFF) | PackChannel(a, alphaMask);
        std::uint32_t pixel = 0;
        std::memcpy(&pixel, &surface[y * kPitch + x * 4], 4);
        EXPECT_EQ(pixel, expected) << c.bits << "-bit image, " << c.opacityBits
                                   << "-bit opacity, alpha surface " << c.alphaSurface << ", pixel " << x
                                   << "," << y;
      }
      for (std::uint32_t pad = kWidth * 4; pad < static_cast<std::uint32_t>(kPitch); ++pad) {
        EXPECT_EQ(surface[y * kPitch + pad], 0xCD) << "padding of row " << y << " is left alone";
      }
    }
  }
}

}  // namespace
}  // namespace CorvantisEngine
