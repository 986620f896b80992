// The interface art of the data build, read by the engine's image readers: every texture loads with
// power-of-two sides, TGAs carry alpha, opacity images match their pictures, and the pictures whose
// placement the code fixes (cursor, big logos) have their content where the engine shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/render/Image.h"

namespace CorvantisEngine {
namespace {

class ArtData : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = std::make_unique<MessageManager>("Test", 0, 0, "", "test");
    files_ = std::make_unique<FileManager>(log_.get(), DATA_STAGE, "");
  }

  // A data-relative name ("ui\cursors\cursor.jpg"), loaded as the texture manager loads it.
  Image Load(const std::string& name) {
    Image image;
    EXPECT_TRUE(image.Load(log_.get(), files_.get(), "data\\" + name)) << name;
    return image;
  }

  // Every texture the art build wrote, as data-relative names.
  static std::vector<std::string> Textures() {
    std::vector<std::string> names;
    const std::filesystem::path data = std::filesystem::path(DATA_STAGE) / "data";
    for (const char* area : {"ui", "game_objects"}) {
      if (!std::filesystem::exists(data / area)) {
        continue;
      }
      for (const auto& entry : std::filesystem::recursive_directory_iterator(data / area)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".tga" || extension == ".jpg") {
          std::string name = std::filesystem::relative(entry.path(), data).string();
          std::replace(name.begin(), name.end(), '/', '\\');
          names.push_back(name);
        }
      }
    }
    return names;
  }

  // Brightness of a pixel, x from the left and y from the top as seen in an image editor.
  static int Grey(const Image& image, std::uint32_t x, std::uint32_t yFromTop) {
    const std::uint8_t* p = image.GetPixels() + ((image.GetHeight() - 1 - yFromTop) * image.GetWidth() + x) *
                                                    image.GetBytesPerPixel();
    return (p[0] + p[1] + p[2]) / 3;
  }

  std::unique_ptr<MessageManager> log_;
  std::unique_ptr<FileManager> files_;
};

bool PowerOfTwo(std::uint32_t n) {
  return n != 0 && (n & (n - 1)) == 0;
}

TEST_F(ArtData, EveryTextureLoadsWithPowerOfTwoSides) {
  const std::vector<std::string> names = Textures();
  ASSERT_GE(names.size(), 40u);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const Image image = Load(name);
    EXPECT_TRUE(PowerOfTwo(image.GetWidth()));
    EXPECT_TRUE(PowerOfTwo(image.GetHeight()));
    if (name.ends_with(".tga")) {
      EXPECT_EQ(image.GetBitsPerPixel(), 32u);
    }
  }
}

TEST_F(ArtData, OpacityImagesMatchTheirPictures) {
  for (const std::string& name : Textures()) {
    const std::size_t at = name.rfind("_alpha.jpg");
    if (at == std::string::npos) {
      continue;
    }
    SCOPED_TRACE(name);
    const Image opacity = Load(name);
    const Image picture = Load(name.substr(0, at) + ".jpg");
    EXPECT_EQ(opacity.GetWidth(), picture.GetWidth());
    EXPECT_EQ(opacity.GetHeight(), picture.GetHeight());
  }
}

TEST_F(ArtData, CursorHangsFromItsTopLeftCorner) {
  const Image opacity = Load("ui\\cursors\\cursor_alpha.jpg");
  ASSERT_EQ(opacity.GetWidth(), 64u);
  ASSERT_EQ(opacity.GetHeight(), 64u);
  EXPECT_GT(Grey(opacity, 4, 4), 200);   // the tip, at the hot spot
  EXPECT_LT(Grey(opacity, 60, 4), 30);   // nothing right of the tip
  EXPECT_LT(Grey(opacity, 60, 60), 30);  // nor in the far corner
}

TEST_F(ArtData, BigLogosKeepTheirMarkInTheShownPart) {
  // An 800 x 600 quad shows the bottom-left 800 x 600 of the 1024 x 1024 picture as seen in an editor:
  // the strip above it and right of it is plain ground, the mark sits in the middle of the shown part.
  for (const char* name :
       {"ui\\textures\\publishers\\0_logo_big.jpg", "ui\\textures\\publishers\\1_logo_big.jpg"}) {
    SCOPED_TRACE(name);
    const Image logo = Load(name);
    ASSERT_EQ(logo.GetWidth(), 1024u);
    ASSERT_EQ(logo.GetHeight(), 1024u);
    const int ground = Grey(logo, 1000, 10);
    EXPECT_NEAR(Grey(logo, 900, 700), ground, 6);
    EXPECT_NEAR(Grey(logo, 400, 200), ground, 6);
    EXPECT_GT(std::abs(Grey(logo, 400, 424 + 250) - ground), 40);  // the mark
  }
}

}  // namespace
}  // namespace CorvantisEngine
