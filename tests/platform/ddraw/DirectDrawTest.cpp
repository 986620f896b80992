// The DirectDraw/Direct3D-shaped layer over the headless display: reference counts and attachment
// chains, surface memory, lost surfaces and the fault plan, the mode list, the device's defaults and
// its validation, and the pixel-format conversions drivers use.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ddraw/D3D.h"
#include "platform/ddraw/DDraw_Local.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/win32/WinDisplay.h"

namespace {

using platform::headless::DisplayStep;
using platform::headless::HeadlessDisplay;

DDSURFACEDESC2 Describe(DWORD caps, DWORD width = 0, DWORD height = 0) {
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  d.dwFlags = DDSD_CAPS;
  d.ddsCaps.dwCaps = caps;
  if (width != 0) {
    d.dwFlags |= DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = width;
    d.dwHeight = height;
  }
  return d;
}

DDSURFACEDESC2 DescribeTexture(DWORD width, DWORD height, const DDPIXELFORMAT& format, DWORD extraCaps = 0) {
  DDSURFACEDESC2 d = Describe(DDSCAPS_TEXTURE | extraCaps, width, height);
  d.dwFlags |= DDSD_PIXELFORMAT;
  d.ddpfPixelFormat = format;
  return d;
}

class DirectDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = platform::headless::InstallHeadlessDisplay();
    baseline_ = platform::ddraw::LiveObjectCount();
  }

  void TearDown() override {
    EXPECT_EQ(platform::ddraw::LiveObjectCount(), baseline_) << "every object was released";
  }

  IDirectDraw7* Create(HWND window = reinterpret_cast<HWND>(0x10), DWORD level = DDSCL_NORMAL) {
    IDirectDraw7* dd = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    EXPECT_EQ(dd->SetCooperativeLevel(window, level), DD_OK);
    return dd;
  }

  std::shared_ptr<HeadlessDisplay> display_;
  int baseline_ = 0;
};

TEST_F(DirectDrawTest, ReferenceCountsAndReleaseOrder) {
  IDirectDraw7* dd = Create(reinterpret_cast<HWND>(0x10), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
  DDSURFACEDESC2 primaryDesc =
      Describe(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE);
  primaryDesc.dwFlags |= DDSD_BACKBUFFERCOUNT;
  primaryDesc.dwBackBufferCount = 1;
  IDirectDrawSurface7* primary = nullptr;
  ASSERT_EQ(dd->CreateSurface(&primaryDesc, &primary, nullptr), DD_OK);
  IDirectDrawSurface7* second = nullptr;
  EXPECT_EQ(dd->CreateSurface(&primaryDesc, &second, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);

  DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  IDirectDrawSurface7* back = nullptr;
  ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
  DDSURFACEDESC2 backDesc{};
  backDesc.dwSize = sizeof(backDesc);
  back->GetSurfaceDesc(&backDesc);
  EXPECT_EQ(backDesc.dwWidth, 1024u) << "the display's size";

  IDirect3D7* d3d = nullptr;
  ASSERT_EQ(dd->QueryInterface(IID_IDirect3D7, reinterpret_cast<LPVOID*>(&d3d)), DD_OK);
  DDSURFACEDESC2 zDesc = Describe(DDSCAPS_ZBUFFER, 1024, 768);
  zDesc.dwFlags |= DDSD_PIXELFORMAT;
  zDesc.ddpfPixelFormat = platform::ddraw::FormatDepth(32, 8);
  IDirectDrawSurface7* z = nullptr;
  ASSERT_EQ(dd->CreateSurface(&zDesc, &z, nullptr), DD_OK);
  ASSERT_EQ(back->AddAttachedSurface(z), DD_OK);
  EXPECT_EQ(back->AddAttachedSurface(z), DDERR_SURFACEALREADYATTACHED);
  IDirect3DDevice7* device = nullptr;
  ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DTnLHalDevice, back, &device), D3D_OK);
  DWORD zEnable = 0;
  device->GetRenderState(D3DRENDERSTATE_ZENABLE, &zEnable);
  EXPECT_EQ(zEnable, D3DZB_TRUE) << "a device on a target with depth starts with depth on";

  EXPECT_EQ(device->Release(), 0u);
  EXPECT_EQ(back->Release(), 1u) << "the primary keeps its back buffer";
  EXPECT_EQ(z->Release(), 1u) << "the back buffer keeps the attached depth buffer";
  EXPECT_EQ(primary->Release(), 0u);
  EXPECT_EQ(d3d->Release(), 0u);
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(DirectDrawTest, SurfaceCreationIsValidated) {
  IDirectDraw7* dd = Create();
  struct Row {
    const char* why;
    DDSURFACEDESC2 desc;
    HRESULT expected;
  };
  DDSURFACEDESC2 noCaps = Describe(DDSCAPS_TEXTURE, 4, 4);
  noCaps.dwFlags &= ~DDSD_CAPS;
  DDSURFACEDESC2 badSize = Describe(DDSCAPS_TEXTURE, 4, 4);
  badSize.dwSize = 12;
  DDSURFACEDESC2 flip = Describe(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX);
  flip.dwFlags |= DDSD_BACKBUFFERCOUNT;
  flip.dwBackBufferCount = 1;
  DDSURFACEDESC2 zNoFormat = Describe(DDSCAPS_ZBUFFER, 4, 4);
  DDSURFACEDESC2 mipWithoutComplex = DescribeTexture(8, 8, platform::ddraw::FormatARGB8888(), DDSCAPS_MIPMAP);
  mipWithoutComplex.dwFlags |= DDSD_MIPMAPCOUNT;
  mipWithoutComplex.dwMipMapCount = 2;
  DDSURFACEDESC2 tooManyLevels =
      DescribeTexture(8, 8, platform::ddraw::FormatARGB8888(), DDSCAPS_MIPMAP | DDSCAPS_COMPLEX);
  tooManyLevels.dwFlags |= DDSD_MIPMAPCOUNT;
  tooManyLevels.dwMipMapCount = 5;
  const Row rows[] = {
      {"no caps", noCaps, DDERR_INVALIDPARAMS},
      {"wrong record size", badSize, DDERR_INVALIDPARAMS},
      {"zero width", Describe(DDSCAPS_OFFSCREENPLAIN, 0, 4), DDERR_INVALIDPARAMS},
      {"texture beyond the maximum", DescribeTexture(8192, 4, platform::ddraw::FormatARGB8888()),
       DDERR_TOOBIGSIZE},
      {"flipping without exclusive mode", flip, DDERR_NOEXCLUSIVEMODE},
      {"depth buffer without a depth format", zNoFormat, DDERR_INVALIDPIXELFORMAT},
      {"mip levels without a complex surface", mipWithoutComplex, DDERR_INVALIDPARAMS},
      {"more levels than the size has", tooManyLevels, DDERR_INVALIDPARAMS},
  };
  for (Row row : rows) {
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&row.desc, &s, nullptr), row.expected) << row.why;
    EXPECT_EQ(s, nullptr) << row.why;
  }
  dd->Release();
}

TEST_F(DirectDrawTest, MipChainsAndLockedMemory) {
  IDirectDraw7* dd = Create();
  DDSURFACEDESC2 desc =
      DescribeTexture(256, 64, platform::ddraw::FormatARGB8888(), DDSCAPS_MIPMAP | DDSCAPS_COMPLEX);
  IDirectDrawSurface7* top = nullptr;
  ASSERT_EQ(dd->CreateSurface(&desc, &top, nullptr), DD_OK);
  std::vector<std::pair<DWORD, DWORD>> sizes;
  IDirectDrawSurface7* level = top;
  level->AddRef();
  while (level != nullptr) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    level->GetSurfaceDesc(&d);
    sizes.emplace_back(d.dwWidth, d.dwHeight);
    DDSCAPS2 caps{DDSCAPS_TEXTURE | DDSCAPS_MIPMAP, 0, 0, 0};
    IDirectDrawSurface7* next = nullptr;
    level->GetAttachedSurface(&caps, &next);
    level->Release();
    level = next;
  }
  ASSERT_EQ(sizes.size(), 9u) << "256 needs 9 levels";
  EXPECT_EQ(sizes[1], std::make_pair(128u, 32u));
  EXPECT_EQ(sizes[6], std::make_pair(4u, 1u));
  EXPECT_EQ(sizes[8], std::make_pair(1u, 1u));
  top->Release();

  // 16-bit rows of 3 pixels are padded: the pitch, not the width, steps between rows.
  DDSURFACEDESC2 small = DescribeTexture(3, 2, platform::ddraw::FormatRGB565());
  IDirectDrawSurface7* texture = nullptr;
  ASSERT_EQ(dd->CreateSurface(&small, &texture, nullptr), DD_OK);
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);
  ASSERT_EQ(texture->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_GT(locked.lPitch, 6);
  EXPECT_EQ(locked.ddpfPixelFormat.dwRBitMask, 0xF800u);
  EXPECT_EQ(texture->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  auto* surface = static_cast<platform::ddraw::Surface*>(texture);
  const auto before = surface->Version();
  EXPECT_EQ(texture->Unlock(nullptr), DD_OK);
  EXPECT_NE(surface->Version(), before) << "an unlock marks the pixels changed for the next upload";
  EXPECT_EQ(texture->Unlock(nullptr), DDERR_NOTLOCKED);
  RECT part{1, 1, 3, 2};
  DDSURFACEDESC2 partLock{};
  partLock.dwSize = sizeof(partLock);
  ASSERT_EQ(texture->Lock(&part, &partLock, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(static_cast<std::uint8_t*>(partLock.lpSurface) - static_cast<std::uint8_t*>(locked.lpSurface),
            locked.lPitch + 2);
  texture->Unlock(nullptr);
  RECT outside{0, 0, 4, 2};
  EXPECT_EQ(texture->Lock(&outside, &partLock, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT);

  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = 0x07E0;
  ASSERT_EQ(texture->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  IDirectDrawSurface7* copy = nullptr;
  ASSERT_EQ(dd->CreateSurface(&small, &copy, nullptr), DD_OK);
  ASSERT_EQ(copy->Blt(nullptr, texture, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  ASSERT_EQ(copy->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  std::uint16_t pixel = 0;
  std::memcpy(&pixel, static_cast<std::uint8_t*>(locked.lpSurface) + locked.lPitch + 4, 2);
  EXPECT_EQ(pixel, 0x07E0);
  copy->Unlock(nullptr);
  DDSURFACEDESC2 wide = DescribeTexture(3, 2, platform::ddraw::FormatARGB8888());
  IDirectDrawSurface7* other = nullptr;
  ASSERT_EQ(dd->CreateSurface(&wide, &other, nullptr), DD_OK);
  EXPECT_EQ(other->Blt(nullptr, texture, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPIXELFORMAT);
  other->Release();
  copy->Release();
  texture->Release();
  dd->Release();
}

// A surface's system memory is made at its first use, and a driver holding its own copy of the pixels
// may give it back: a later use gets new memory, and a restored surface without memory keeps the
// driver's copy (it is not marked changed). Small surfaces and large ones (whose memory comes straight
// from the system) behave alike: every byte of new memory reads as zero.
TEST_F(DirectDrawTest, SurfaceMemoryIsMadeOnUseAndMayBeGivenBack) {
  auto allZero = [](const DDSURFACEDESC2& locked, DWORD height) {
    const auto* bytes = static_cast<const std::uint8_t*>(locked.lpSurface);
    const std::size_t size = static_cast<std::size_t>(locked.lPitch) * height;
    return std::all_of(bytes, bytes + size, [](std::uint8_t b) { return b == 0; });
  };
  IDirectDraw7* dd = Create();
  for (const auto& [width, height] : {std::pair<DWORD, DWORD>{4, 4}, {1024, 1024}, {1000, 700}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    DDSURFACEDESC2 desc = DescribeTexture(width, height, platform::ddraw::FormatARGB8888());
    IDirectDrawSurface7* texture = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &texture, nullptr), DD_OK);
    auto* surface = static_cast<platform::ddraw::Surface*>(texture);
    EXPECT_FALSE(surface->HoldsMemory()) << "nothing used it yet";
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    ASSERT_EQ(texture->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_TRUE(surface->HoldsMemory());
    EXPECT_TRUE(allZero(locked, height)) << "new memory reads as zero";
    const std::size_t bytes = static_cast<std::size_t>(locked.lPitch) * height;
    EXPECT_EQ(surface->HeapBytes(), bytes < (std::size_t{2} << 20) ? bytes : 0)
        << "only small surfaces hold heap memory, which a compaction has to give back";
    std::memset(locked.lpSurface, 0x5A, static_cast<std::size_t>(locked.lPitch) * height);
    EXPECT_FALSE(surface->DiscardMemory()) << "a locked surface keeps its memory";
    EXPECT_EQ(texture->Unlock(nullptr), DD_OK);
    EXPECT_TRUE(surface->DiscardMemory());
    EXPECT_FALSE(surface->HoldsMemory());
    EXPECT_EQ(surface->HeapBytes(), 0u);

    surface->SetLost(true);
    const auto version = surface->Version();
    EXPECT_EQ(texture->Restore(), DD_OK);
    EXPECT_EQ(surface->Version(), version) << "the driver's copy stays what is drawn";
    surface->SetLost(true);
    EXPECT_EQ(dd->RestoreAllSurfaces(), DD_OK);
    EXPECT_EQ(surface->Version(), version);

    ASSERT_EQ(texture->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_TRUE(allZero(locked, height)) << "memory made again";
    EXPECT_EQ(texture->Unlock(nullptr), DD_OK);
    EXPECT_NE(surface->Version(), version);
    texture->Release();
  }
  dd->Release();
}

TEST_F(DirectDrawTest, FaultPlanLosesSurfacesAndStallsLocks) {
  IDirectDraw7* dd = Create();
  IDirectDrawSurface7* primary = nullptr;
  DDSURFACEDESC2 pd = Describe(DDSCAPS_PRIMARYSURFACE);
  ASSERT_EQ(dd->CreateSurface(&pd, &primary, nullptr), DD_OK);
  IDirectDrawSurface7* back = nullptr;
  DDSURFACEDESC2 bd = Describe(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, 320, 240);
  ASSERT_EQ(dd->CreateSurface(&bd, &back, nullptr), DD_OK);
  DDSURFACEDESC2 td = DescribeTexture(4, 4, platform::ddraw::FormatARGB8888());
  IDirectDrawSurface7* texture = nullptr;
  ASSERT_EQ(dd->CreateSurface(&td, &texture, nullptr), DD_OK);

  display_->Plan().stillDrawingLocks = 2;
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);
  EXPECT_EQ(texture->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DDERR_WASSTILLDRAWING);
  EXPECT_EQ(texture->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DDERR_WASSTILLDRAWING);
  EXPECT_EQ(texture->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  texture->Unlock(nullptr);

  display_->Plan().Fail(DisplayStep::Blt, DDERR_SURFACELOST, 1, 1);
  EXPECT_EQ(primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr), DD_OK) << "the first blit passes";
  EXPECT_EQ(primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(texture->IsLost(), DDERR_SURFACELOST) << "every surface of the object is lost";
  EXPECT_EQ(texture->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST) << "until restored";
  EXPECT_EQ(texture->Restore(), DD_OK);
  EXPECT_EQ(texture->IsLost(), DD_OK);
  EXPECT_EQ(back->IsLost(), DDERR_SURFACELOST) << "Restore brings back one surface";
  EXPECT_EQ(dd->RestoreAllSurfaces(), DD_OK);
  EXPECT_EQ(primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(display_->Presents().size(), 2u);

  display_->Plan().cooperativeLevelAnswers = {DDERR_NOEXCLUSIVEMODE, DDERR_WRONGMODE};
  EXPECT_EQ(dd->TestCooperativeLevel(), DDERR_NOEXCLUSIVEMODE);
  EXPECT_EQ(dd->TestCooperativeLevel(), DDERR_WRONGMODE);
  EXPECT_EQ(dd->TestCooperativeLevel(), DD_OK);

  primary->Release();
  back->Release();
  EXPECT_EQ(dd->Release(), 0u);
  EXPECT_EQ(texture->IsLost(), DDERR_SURFACELOST) << "a surface that outlives its object stays lost";
  EXPECT_EQ(texture->Restore(), DDERR_WRONGMODE);
  texture->Release();
}

TEST_F(DirectDrawTest, WaitForVerticalBlankSynchronisesTheNextBlitToThePrimary) {
  IDirectDraw7* dd = Create();
  IDirectDrawSurface7* primary = nullptr;
  DDSURFACEDESC2 pd = Describe(DDSCAPS_PRIMARYSURFACE);
  ASSERT_EQ(dd->CreateSurface(&pd, &primary, nullptr), DD_OK);
  IDirectDrawSurface7* back = nullptr;
  DDSURFACEDESC2 bd = Describe(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, 320, 240);
  ASSERT_EQ(dd->CreateSurface(&bd, &back, nullptr), DD_OK);
  IDirectDrawSurface7* other = nullptr;
  ASSERT_EQ(dd->CreateSurface(&bd, &other, nullptr), DD_OK);

  ASSERT_EQ(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
  ASSERT_EQ(other->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr), DD_OK) << "not a present";
  ASSERT_EQ(primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  ASSERT_EQ(primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  const auto presents = display_->Presents();
  ASSERT_EQ(presents.size(), 2u);
  EXPECT_TRUE(presents[0].vsync) << "the blit after the wait";
  EXPECT_FALSE(presents[1].vsync) << "one wait covers one present";

  other->Release();
  back->Release();
  primary->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(DirectDrawTest, ModeListReachesTheDesktopSize) {
  display_->Plan().desktop = {1280, 1024, 24, 75};
  display_->Plan().reportedModes = {{1280, 1024, 24, 75}, {1000, 700, 32, 60}};
  DEVMODEA desktop{};
  desktop.dmSize = sizeof(desktop);
  ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &desktop));
  EXPECT_EQ(desktop.dmBitsPerPel, 32u) << "a 24-bit desktop reports 32";
  EXPECT_EQ(desktop.dmPelsWidth, 1280u);
  EXPECT_FALSE(EnumDisplaySettingsA("other", ENUM_CURRENT_SETTINGS, &desktop));

  IDirectDraw7* dd = Create();
  std::vector<DDSURFACEDESC2> modes;
  dd->EnumDisplayModes(0, nullptr, &modes, [](LPDDSURFACEDESC2 d, LPVOID context) -> HRESULT {
    static_cast<std::vector<DDSURFACEDESC2>*>(context)->push_back(*d);
    return DDENUMRET_OK;
  });
  auto has = [&](DWORD w, DWORD h, DWORD bits) {
    for (const DDSURFACEDESC2& m : modes) {
      if (m.dwWidth == w && m.dwHeight == h && m.ddpfPixelFormat.dwRGBBitCount == bits)
        return true;
    }
    return false;
  };
  for (DWORD bits : {16u, 32u}) {
    EXPECT_TRUE(has(640, 480, bits));
    EXPECT_TRUE(has(800, 600, bits));
    EXPECT_TRUE(has(1152, 864, bits));
    EXPECT_TRUE(has(1280, 1024, bits));
    EXPECT_TRUE(has(1000, 700, bits)) << "a mode the display reports";
    EXPECT_FALSE(has(1600, 1200, bits)) << "nothing larger than the desktop";
  }
  for (const DDSURFACEDESC2& m : modes) {
    EXPECT_NE(m.ddpfPixelFormat.dwRGBBitCount, 24u);
  }
  EXPECT_EQ(dd->SetDisplayMode(800, 600, 32, 0, 0), DDERR_NOEXCLUSIVEMODE);
  dd->SetCooperativeLevel(reinterpret_cast<HWND>(0x10), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
  EXPECT_EQ(dd->SetDisplayMode(800, 600, 24, 0, 0), DD_OK) << "24 bits are set as 32";
  EXPECT_EQ(display_->CurrentMode().bitsPerPixel, 32u);
  EXPECT_EQ(dd->SetDisplayMode(1600, 1200, 32, 0, 0), DDERR_INVALIDMODE);
  dd->Release();
  EXPECT_EQ(display_->CurrentMode().width, 0u) << "the desktop's mode comes back with the object";
}

class DeviceTest : public DirectDrawTest {
 protected:
  void SetUp() override {
    DirectDrawTest::SetUp();
    dd_ = Create();
    dd_->QueryInterface(IID_IDirect3D7, reinterpret_cast<LPVOID*>(&d3d_));
    DDSURFACEDESC2 bd = Describe(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, 64, 48);
    dd_->CreateSurface(&bd, &target_, nullptr);
    ASSERT_EQ(d3d_->CreateDevice(IID_IDirect3DRGBDevice, target_, &device_), D3D_OK);
  }
  void TearDown() override {
    EXPECT_EQ(device_->Release(), 0u);
    target_->Release();
    d3d_->Release();
    dd_->Release();
    DirectDrawTest::TearDown();
  }
  DWORD RenderState(D3DRENDERSTATETYPE s) {
    DWORD v = 0;
    device_->GetRenderState(s, &v);
    return v;
  }
  IDirectDraw7* dd_ = nullptr;
  IDirect3D7* d3d_ = nullptr;
  IDirectDrawSurface7* target_ = nullptr;
  IDirect3DDevice7* device_ = nullptr;
};

TEST_F(DeviceTest, StatesNobodySetKeepDirect3DDefaults) {
  EXPECT_EQ(RenderState(D3DRENDERSTATE_LIGHTING), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RenderState(D3DRENDERSTATE_AMBIENT), 0u);
  EXPECT_EQ(RenderState(D3DRENDERSTATE_CULLMODE), D3DCULL_CCW);
  EXPECT_EQ(RenderState(D3DRENDERSTATE_ZENABLE), D3DZB_FALSE) << "no depth buffer attached";
  EXPECT_EQ(RenderState(D3DRENDERSTATE_SRCBLEND), D3DBLEND_ONE);
  EXPECT_EQ(RenderState(D3DRENDERSTATE_DESTBLEND), D3DBLEND_ZERO);
  DWORD op = 0;
  device_->GetTextureStageState(0, D3DTSS_COLOROP, &op);
  EXPECT_EQ(op, D3DTOP_MODULATE);
  device_->GetTextureStageState(1, D3DTSS_COLOROP, &op);
  EXPECT_EQ(op, D3DTOP_DISABLE);
  device_->GetTextureStageState(3, D3DTSS_TEXCOORDINDEX, &op);
  EXPECT_EQ(op, 3u);
  D3DVIEWPORT7 viewport{};
  device_->GetViewport(&viewport);
  EXPECT_EQ(viewport.dwWidth, 64u);
  EXPECT_FLOAT_EQ(viewport.dvMaxZ, 1.0f);
  D3DDEVICEDESC7 caps{};
  device_->GetCaps(&caps);
  EXPECT_EQ(caps.dwDevCaps & D3DDEVCAPS_HWRASTERIZATION, 0u) << "the RGB device is the software one";
  EXPECT_TRUE(caps.deviceGUID == IID_IDirect3DRGBDevice);
}

TEST_F(DeviceTest, CallsAreValidated) {
  std::vector<std::uint8_t> vertices(32 * 3, 0);
  WORD indices[] = {0, 1, 2};
  WORD beyond[] = {0, 1, 3};
  const DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, fvf, vertices.data(), 3, indices, 3, 0),
            D3DERR_SCENE_NOT_IN_SCENE);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  EXPECT_EQ(device_->BeginScene(), D3DERR_SCENE_IN_SCENE);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, fvf, vertices.data(), 3, indices, 3, 0),
            D3D_OK);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, fvf, vertices.data(), 3, beyond, 3, 0),
            DDERR_INVALIDPARAMS)
      << "an index past the vertices";
  EXPECT_EQ(
      device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_NORMAL, vertices.data(), 3, indices, 3, 0),
      D3DERR_INVALIDVERTEXFORMAT);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_ZBUFFER_NOTPRESENT);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030u, 1.0f, 0), D3D_OK);
  EXPECT_EQ(device_->EndScene(), D3D_OK);
  EXPECT_EQ(device_->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
  ASSERT_EQ(display_->Draws().size(), 1u);
  EXPECT_EQ(display_->Draws()[0].vertexFormat, fvf);

  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);
  ASSERT_EQ(target_->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  std::uint32_t pixel = 0;
  std::memcpy(&pixel, locked.lpSurface, 4);
  EXPECT_EQ(pixel & 0xFFFFFF, 0x102030u) << "the clear reached the render target's memory";
  target_->Unlock(nullptr);

  EXPECT_EQ(device_->SetTexture(0, target_), DDERR_INVALIDPARAMS) << "only textures bind to stages";
  EXPECT_EQ(device_->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_MODULATE), DDERR_INVALIDPARAMS);
  EXPECT_EQ(device_->SetRenderState(0, 1), DDERR_INVALIDPARAMS);
  EXPECT_EQ(device_->SetTransform(99, nullptr), DDERR_INVALIDPARAMS);

  D3DLIGHT7 light{};
  EXPECT_EQ(device_->SetLight(0, &light), DDERR_INVALIDPARAMS) << "a light of kind 0 is refused";
  EXPECT_EQ(device_->LightEnable(5, TRUE), D3D_OK);
  ASSERT_EQ(device_->GetLight(5, &light), D3D_OK);
  EXPECT_EQ(light.dltType, D3DLIGHT_DIRECTIONAL) << "enabling an unset light makes the default one";
  EXPECT_FLOAT_EQ(light.dvDirection.z, 1.0f);
  for (DWORD i = 10; i < 17; ++i) {
    EXPECT_EQ(device_->LightEnable(i, TRUE), D3D_OK);
  }
  EXPECT_EQ(device_->LightEnable(17, TRUE), D3DERR_LIGHT_SET_FAILED) << "eight lights at most";
}

TEST_F(DeviceTest, TexturesMadeOnAWorkerWhileTheMainThreadPresents) {
  IDirectDrawSurface7* primary = nullptr;
  DDSURFACEDESC2 pd = Describe(DDSCAPS_PRIMARYSURFACE);
  ASSERT_EQ(dd_->CreateSurface(&pd, &primary, nullptr), DD_OK);
  std::atomic<bool> done{false};
  std::atomic<int> made{0};
  std::thread worker([&] {
    for (int i = 0; i < 200; ++i) {
      DDSURFACEDESC2 td =
          DescribeTexture(16, 16, platform::ddraw::FormatARGB8888(), DDSCAPS_MIPMAP | DDSCAPS_COMPLEX);
      IDirectDrawSurface7* texture = nullptr;
      if (dd_->CreateSurface(&td, &texture, nullptr) != DD_OK)
        continue;
      DDSURFACEDESC2 locked{};
      locked.dwSize = sizeof(locked);
      if (texture->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) == DD_OK) {
        std::memset(locked.lpSurface, 0x7F, static_cast<std::size_t>(locked.lPitch) * locked.dwHeight);
        texture->Unlock(nullptr);
      }
      texture->Release();
      ++made;
    }
    done = true;
  });
  while (!done) {
    device_->BeginScene();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    device_->EndScene();
    primary->Blt(nullptr, target_, nullptr, DDBLT_WAIT, nullptr);
  }
  worker.join();
  EXPECT_EQ(made.load(), 200);
  primary->Release();
}

TEST(PixelFormatTest, ConversionsToRGBA) {
  using namespace platform::ddraw;
  struct Row {
    DDPIXELFORMAT format;
    DWORD value;
    std::uint8_t rgba[4];
  };
  const Row rows[] = {
      {FormatRGB565(), 0xF800, {255, 0, 0, 255}},
      {FormatRGB565(), 0x07E0, {0, 255, 0, 255}},
      {FormatARGB1555(), 0x801F, {0, 0, 255, 255}},
      {FormatARGB1555(), 0x7C00, {255, 0, 0, 0}},
      {FormatARGB4444(), 0x80F0, {0, 255, 0, 136}},
      {FormatXRGB8888(), 0x00123456, {0x12, 0x34, 0x56, 255}},
      {FormatARGB8888(), 0x80123456, {0x12, 0x34, 0x56, 0x80}},
  };
  for (const Row& row : rows) {
    std::uint8_t rgba[4] = {};
    ConvertRowToRGBA(row.format, reinterpret_cast<const std::uint8_t*>(&row.value), rgba, 1);
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(rgba[c], row.rgba[c]) << std::hex << row.value << " channel " << c;
    }
    EXPECT_EQ(PackRGBA(row.format, rgba[0], rgba[1], rgba[2], rgba[3]), row.value) << std::hex << row.value;
  }

  // A longer row of 32-bit pixels: each one converted in place, alpha kept only where the format has it.
  const DWORD pixels[] = {0x80123456, 0x00FFFFFF, 0xFF000000, 0x01ABCDEF, 0x7F102030};
  std::uint8_t argb[sizeof pixels];
  std::memcpy(argb, pixels, sizeof pixels);
  for (const DDPIXELFORMAT& format : {FormatARGB8888(), FormatXRGB8888()}) {
    const bool alpha = format.dwRGBAlphaBitMask != 0;
    std::uint8_t out[sizeof pixels + 4];
    std::memset(out, 0xCD, sizeof out);
    ConvertRowToRGBA(format, argb, out, 5);
    for (int x = 0; x < 5; ++x) {
      const std::uint8_t expected[4] = {
          static_cast<std::uint8_t>(pixels[x] >> 16), static_cast<std::uint8_t>(pixels[x] >> 8),
          static_cast<std::uint8_t>(pixels[x]),
          alpha ? static_cast<std::uint8_t>(pixels[x] >> 24) : std::uint8_t{255}};
      for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(out[4 * x + c], expected[c]) << "pixel " << x << " channel " << c << " alpha " << alpha;
      }
    }
    for (int pad = 20; pad < 24; ++pad) {
      EXPECT_EQ(out[pad], 0xCD) << "nothing is written past the row";
    }
  }
}

}  // namespace
