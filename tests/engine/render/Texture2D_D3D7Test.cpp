// Device textures on the headless DirectDraw layer: the format chosen and the packed pixels (row r of the
// image in surface row r), mip chains, the mip-mapping switch, release and rebuild after a reset, a
// surface that cannot be created, and textures whose files are read on their first use.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Vector.h"
#include "engine/files/FileManager.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "engine/render/Texture2D_D3D7.h"
#include "engine/render/TextureManager.h"
#include "engine/render/TextureSurfaceFill.h"
#include "engine/window/Window.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessWindow.h"
#include "support/RenderRig.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/LogProbe.h"

namespace CorvantisEngine {
namespace {

// The render rig (800 x 600, headless) with mip-mapping on and a texture manager over it.
class DeviceTextureTest : public testsupport::HeadlessTest, public testsupport::RenderRig {
 protected:
  void SetUp() override {
    display_ = platform_.SharedDisplay();
    config_->r_use_mip_mapping = 1;
    MakeRenderSystem();
    textures_ =
        std::make_unique<TextureManager>(log_.get(), files_.get(), config_.get(), nullptr, render_.get());
    log_->ClearRecords();
  }

  void TearDown() override { textures_.reset(); }

  static Image* Pattern(std::uint32_t w, std::uint32_t h, std::uint32_t bits) {
    auto* image = new Image();
    image->Create(nullptr, w, h, bits);
    for (std::size_t i = 0; i < image->GetDataSize(); ++i) {
      image->GetPixels()[i] = static_cast<std::uint8_t>(i * 37 + 11);
    }
    return image;
  }

  // The surface's pixels as 32-bit words, surface row by row (pitch removed).
  static std::vector<std::uint32_t> Read(IDirectDrawSurface7* surface, DDPIXELFORMAT* format = nullptr) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
    std::vector<std::uint32_t> pixels;
    const std::uint32_t bytes = desc.ddpfPixelFormat.dwRGBBitCount / 8;
    for (std::uint32_t y = 0; y < desc.dwHeight; ++y) {
      for (std::uint32_t x = 0; x < desc.dwWidth; ++x) {
        std::uint32_t value = 0;
        std::memcpy(&value, static_cast<std::uint8_t*>(desc.lpSurface) + y * desc.lPitch + x * bytes, bytes);
        pixels.push_back(value);
      }
    }
    if (format != nullptr) {
      *format = desc.ddpfPixelFormat;
    }
    surface->Unlock(nullptr);
    return pixels;
  }

  static std::uint32_t Expected(const DDPIXELFORMAT& f, const std::uint8_t* rgb, std::uint32_t alpha) {
    return PackChannel(rgb[0], f.dwRBitMask) + PackChannel(rgb[1], f.dwGBitMask) +
           PackChannel(rgb[2], f.dwBBitMask) + PackChannel(alpha, f.dwRGBAlphaBitMask);
  }

  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
  std::unique_ptr<TextureManager> textures_;
};

TEST_F(DeviceTextureTest, PixelsArePackedRowForRow) {
  Image* image = Pattern(4, 2, 24);
  const Image copy(*image);
  auto* texture =
      static_cast<Texture2D_D3D7*>(textures_->CreateTexture(true, false, "p", "", image, nullptr));
  IDirectDrawSurface7* surface = texture->GetSurface();
  ASSERT_NE(surface, nullptr);
  DDPIXELFORMAT format;
  const std::vector<std::uint32_t> pixels = Read(surface, &format);
  EXPECT_EQ(format.dwRGBAlphaBitMask, 0u) << "a picture without opacity takes a format without alpha";
  ASSERT_EQ(pixels.size(), 8u);
  for (std::uint32_t i = 0; i < 8; ++i) {
    EXPECT_EQ(pixels[i], Expected(format, copy.GetPixels() + 3 * i, 255)) << "pixel " << i;
  }
  EXPECT_EQ(texture->GetVideoMemory(), 4u * 2 * 3);
  EXPECT_EQ(log_->GetRecordCount(), 0);
}

TEST_F(DeviceTextureTest, OpacityImageGivesAlpha) {
  Image* rgb = Pattern(2, 2, 24);
  Image* alpha = Pattern(2, 2, 8);
  const Image rgbCopy(*rgb);
  const Image alphaCopy(*alpha);
  auto* texture = static_cast<Texture2D_D3D7*>(textures_->CreateTexture(true, false, "c", "a", rgb, alpha));
  DDPIXELFORMAT format;
  const std::vector<std::uint32_t> pixels = Read(texture->GetSurface(), &format);
  EXPECT_NE(format.dwRGBAlphaBitMask, 0u);
  for (std::uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(pixels[i], Expected(format, rgbCopy.GetPixels() + 3 * i, alphaCopy.GetPixels()[i])) << i;
  }
}

TEST_F(DeviceTextureTest, MipChainHalvesDownToOnePixel) {
  // 8 x 4 of one colour except one corner block: every level must exist and be the rounded mean.
  Image* image = new Image();
  image->Create(nullptr, 8, 4, 32);
  image->Fill(Vector4(0.0f, 0.0f, 1.0f, 1.0f));
  auto* texture = static_cast<Texture2D_D3D7*>(textures_->CreateTexture(true, true, "m", "", image, nullptr));
  ASSERT_TRUE(texture->IsMipMapped());
  std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes;
  IDirectDrawSurface7* level = texture->GetSurface();
  level->AddRef();
  while (level != nullptr) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    level->GetSurfaceDesc(&desc);
    sizes.emplace_back(desc.dwWidth, desc.dwHeight);
    DDPIXELFORMAT format;
    const std::vector<std::uint32_t> pixels = Read(level, &format);
    const std::uint8_t blue[3] = {0, 0, 255};
    EXPECT_EQ(pixels.front(), Expected(format, blue, 255)) << desc.dwWidth << "x" << desc.dwHeight;
    DDSCAPS2 caps = {DDSCAPS_TEXTURE | DDSCAPS_MIPMAP, 0, 0, 0};
    IDirectDrawSurface7* next = nullptr;
    level->GetAttachedSurface(&caps, &next);
    level->Release();
    level = next;
  }
  EXPECT_EQ(sizes, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{8, 4}, {4, 2}, {2, 1}, {1, 1}}));
  EXPECT_EQ(texture->GetVideoMemory(), (32u + 8 + 2 + 1) * 4);

  // One pixel has one level; with mip mapping switched off a request makes one level under its key.
  auto* single = static_cast<Texture2D_D3D7*>(
      textures_->CreateTexture(true, true, "one", "", Pattern(1, 1, 24), nullptr));
  IDirectDrawSurface7* next = nullptr;
  DDSCAPS2 caps = {DDSCAPS_TEXTURE | DDSCAPS_MIPMAP, 0, 0, 0};
  EXPECT_TRUE(FAILED(single->GetSurface()->GetAttachedSurface(&caps, &next)));
  config_->r_use_mip_mapping = 0;
  auto* off = static_cast<Texture2D_D3D7*>(
      textures_->CreateTexture(true, true, "off", "", Pattern(4, 4, 24), nullptr));
  EXPECT_FALSE(off->IsMipMapped());
  EXPECT_EQ(off->GetKey(), "diffuse_off_with_mip_mapping");
  EXPECT_TRUE(FAILED(off->GetSurface()->GetAttachedSurface(&caps, &next)));
}

TEST_F(DeviceTextureTest, ReleaseAndRestoreKeepSizeAndPixels) {
  // One texture from memory (kept images), one from a file (read again) and one from an image source
  // (made again).
  Image* image = Pattern(6, 6, 24);  // resized to 8 x 8 on creation
  auto* fromMemory =
      static_cast<Texture2D_D3D7*>(textures_->CreateTexture(true, false, "sheet", "", image, nullptr));
  const testkit::Bytes rgb(3 * 3 * 3, 120);
  folder_.Write("data/wall.bmp", testkit::MakeBmp(3, 3, 3, rgb));
  auto* fromFile = static_cast<Texture2D_D3D7*>(textures_->LoadTexture(false, "data\\wall.bmp", ""));
  int made = 0;
  auto* fromSource = static_cast<Texture2D_D3D7*>(
      textures_->CreateTexture(false, "made", "", std::unique_ptr<Image>(Pattern(16, 4, 32)), nullptr,
                               [&made](std::unique_ptr<Image>& diffuse, std::unique_ptr<Image>&) {
                                 ++made;
                                 diffuse.reset(Pattern(16, 4, 32));
                               }));
  for (Texture2D_D3D7* texture : {fromMemory, fromFile, fromSource}) {
    const std::vector<std::uint32_t> before = Read(texture->GetSurface());
    const std::uint32_t width = texture->GetWidth();
    const std::uint32_t memory = texture->GetVideoMemory();
    texture->ReleaseSurface();
    IDirectDrawSurface7* rebuilt = texture->GetSurface();
    ASSERT_NE(rebuilt, nullptr) << texture->GetKey();
    EXPECT_EQ(Read(rebuilt), before) << texture->GetKey();
    EXPECT_EQ(texture->GetWidth(), width);
    EXPECT_EQ(texture->GetVideoMemory(), memory);
  }
  EXPECT_EQ(fromMemory->GetWidth(), 8u);
  EXPECT_EQ(fromFile->GetWidth(), 4u);
  EXPECT_EQ(made, 1);

  // The render system's reset after a mode change drops and rebuilds every surface.
  const std::vector<std::uint32_t> before = Read(fromMemory->GetSurface());
  render_->modeChanged = true;
  const std::vector<std::uint32_t> madeBefore = Read(fromSource->GetSurface());
  render_->Reset(3);
  ASSERT_NE(fromMemory->GetSurface(), nullptr);
  EXPECT_EQ(Read(fromMemory->GetSurface()), before);
  EXPECT_EQ(made, 2);
  EXPECT_EQ(Read(fromSource->GetSurface()), madeBefore);
}

// A texture made from a source without an image has no surface until its first use, which makes the
// image; a texture that is never used never makes it.
TEST_F(DeviceTextureTest, ATextureWithoutAnImageIsMadeAtItsFirstUse) {
  int made = 0;
  auto source = [&made](std::unique_ptr<Image>& diffuse, std::unique_ptr<Image>&) {
    ++made;
    diffuse.reset(Pattern(6, 6, 24));
  };
  auto* later =
      static_cast<Texture2D_D3D7*>(textures_->CreateTexture(false, "later", "", nullptr, nullptr, source));
  ASSERT_NE(later, nullptr);
  textures_->CreateTexture(false, "never", "", nullptr, nullptr, source);
  EXPECT_EQ(made, 0);
  EXPECT_EQ(later->GetVideoMemory(), 0u);
  IDirectDrawSurface7* surface = later->GetSurface();
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(made, 1);
  EXPECT_EQ(later->GetWidth(), 8u);
  EXPECT_FALSE(later->IsFailed());
  EXPECT_EQ(later->GetSurface(), surface) << "made once";

  auto* kept = static_cast<Texture2D_D3D7*>(
      textures_->CreateTexture(true, false, "kept", "", Pattern(6, 6, 24), nullptr));
  EXPECT_EQ(Read(surface), Read(kept->GetSurface())) << "the same pixels as a texture made at once";
  EXPECT_EQ(made, 1);
}

TEST_F(DeviceTextureTest, SurfaceThatCannotBeMadeIsLoggedOnceAndDrawsAsNothing) {
  display_->Plan().Fail(platform::headless::DisplayStep::CreateTexture, DDERR_OUTOFVIDEOMEMORY,
                        platform::headless::kEveryCall);
  auto* texture = static_cast<Texture2D_D3D7*>(
      textures_->CreateTexture(true, false, "big", "", Pattern(4, 4, 24), nullptr));
  EXPECT_TRUE(texture->IsFailed());
  EXPECT_EQ(texture->GetSurface(), nullptr);
  EXPECT_EQ(texture->GetSurface(), nullptr);
  EXPECT_GE(testsupport::LogProbe(*log_).Errors().size(), 1u);
  const std::int32_t afterFirst = log_->GetRecordCount();
  texture->GetSurface();
  EXPECT_EQ(log_->GetRecordCount(), afterFirst) << "no new lines per frame";

  // Once the device can make it again, a rebuild brings it back.
  display_->Plan().steps.clear();
  texture->RestoreSurface();
  EXPECT_FALSE(texture->IsFailed());
  EXPECT_NE(texture->GetSurface(), nullptr);
}

TEST_F(DeviceTextureTest, TexturesLoadedForFirstUseReadTheirFilesWhenFirstDrawn) {
  // Two files of the same 3 x 3 picture (resized to 4 x 4 with a warning): one loaded at once, one for
  // its first use; and a missing file for its first use.
  const testkit::Bytes rgb = {10, 20, 30, 40, 50, 60, 70, 80, 90, 11, 21, 31, 41, 51,
                              61, 71, 81, 91, 12, 22, 32, 42, 52, 62, 72, 82, 92};
  folder_.Write("data/now.bmp", testkit::MakeBmp(3, 3, 3, rgb));
  folder_.Write("data/later.bmp", testkit::MakeBmp(3, 3, 3, rgb));
  auto* now = static_cast<Texture2D_D3D7*>(textures_->LoadTexture(true, "data\\now.bmp", ""));
  testsupport::LogProbe probe(*log_);
  const std::size_t warningsAtOnce = probe.Warnings().size();
  ASSERT_EQ(warningsAtOnce, 1u);
  log_->ClearRecords();
  Texture2D_D3D7* later = nullptr;
  Texture2D_D3D7* missing = nullptr;
  {
    const TextureManager::SurfacesOnFirstUse outer;
    const TextureManager::SurfacesOnFirstUse nested;
    later = static_cast<Texture2D_D3D7*>(textures_->LoadTexture(true, "data\\later.bmp", ""));
  }
  {
    const TextureManager::SurfacesOnFirstUse scope;
    missing = static_cast<Texture2D_D3D7*>(textures_->LoadTexture(false, "data\\missing.bmp", ""));
    // Another thread loads as usual meanwhile.
    Texture2D* elsewhere = nullptr;
    std::thread([&] { elsewhere = textures_->LoadTexture(true, "data\\now.bmp", ""); }).join();
    EXPECT_EQ(elsewhere, now) << "shared by key as ever";
    std::thread([&] {
      auto* fresh = static_cast<Texture2D_D3D7*>(textures_->LoadTexture(false, "data\\now.bmp", "_"));
      EXPECT_FALSE(fresh->IsWaitingForFirstUse());
      EXPECT_EQ(fresh->GetWidth(), 4u);
    }).join();
  }
  log_->ClearRecords();
  ASSERT_TRUE(later->IsWaitingForFirstUse());
  ASSERT_TRUE(missing->IsWaitingForFirstUse());
  EXPECT_EQ(later->GetWidth(), 0u) << "nothing is read before the first use";
  EXPECT_EQ(later->GetVideoMemory(), 0u);
  EXPECT_EQ(textures_->LoadTexture(true, "data\\later.bmp", ""), later) << "the waiting texture is shared";

  // The first draw reads the file: the same pixels, size and warning as a texture loaded at once.
  IDirectDrawSurface7* surface = later->GetSurface();
  ASSERT_NE(surface, nullptr);
  EXPECT_FALSE(later->IsWaitingForFirstUse());
  EXPECT_EQ(Read(surface), Read(now->GetSurface()));
  EXPECT_EQ(later->GetWidth(), now->GetWidth());
  EXPECT_EQ(later->GetVideoMemory(), now->GetVideoMemory());
  EXPECT_EQ(probe.Warnings().size(), warningsAtOnce);
  EXPECT_TRUE(probe.Errors().empty());

  // A missing file is reported when the texture is first built, and it draws as the checkerboard.
  log_->ClearRecords();
  EXPECT_TRUE(textures_->BuildWaitingSurface()) << "the missing file's texture still waits";
  EXPECT_FALSE(missing->IsWaitingForFirstUse());
  EXPECT_GE(probe.Errors().size(), 1u);
  EXPECT_NE(missing->GetSurface(), nullptr);
  EXPECT_GT(missing->GetWidth(), 0u);
  EXPECT_FALSE(textures_->BuildWaitingSurface()) << "none waits any more";

  // Outside the scope a texture is built at once.
  folder_.Write("data/after.bmp", testkit::MakeBmp(3, 3, 3, rgb));
  Texture2D* after = textures_->LoadTexture(false, "data\\after.bmp", "");
  EXPECT_FALSE(after->IsWaitingForFirstUse());
  EXPECT_EQ(after->GetWidth(), 4u);
}

TEST_F(DeviceTextureTest, ResetBuildsTexturesThatWaitForTheirFirstUse) {
  folder_.Write("data/wall.bmp", testkit::MakeBmp(3, 3, 3, testkit::Bytes(27, 120)));
  Texture2D_D3D7* texture = nullptr;
  {
    const TextureManager::SurfacesOnFirstUse scope;
    texture = static_cast<Texture2D_D3D7*>(textures_->LoadTexture(false, "data\\wall.bmp", ""));
  }
  render_->modeChanged = true;
  render_->Reset(3);
  EXPECT_FALSE(texture->IsWaitingForFirstUse());
  EXPECT_EQ(texture->GetWidth(), 4u);
  EXPECT_NE(texture->GetSurface(), nullptr);
}

TEST_F(DeviceTextureTest, LockThatIsStillDrawingIsRetried) {
  display_->Plan().stillDrawingLocks = 3;
  auto* texture = static_cast<Texture2D_D3D7*>(
      textures_->CreateTexture(true, false, "w", "", Pattern(2, 2, 24), nullptr));
  EXPECT_FALSE(texture->IsFailed());
  EXPECT_NE(texture->GetSurface(), nullptr);
}

}  // namespace
}  // namespace CorvantisEngine
