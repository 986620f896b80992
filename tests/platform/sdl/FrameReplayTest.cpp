// A frame recorded as the SDL display sends it to OpenGL, and the same frame replayed with plain OpenGL:
// a small scene drawn through the Direct3D-shaped device on the real window (clears, a sub-viewport
// clear, blending, alpha test, depth, culling, lighting, two texture stages, a texture transform,
// 16- and 32-bit indices and a non-indexed strip) is read back with glReadPixels, replayed, and read
// back again.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <vector>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/window/Window.h"
#include "platform/ddraw/D3D.h"
#include "platform/ddraw/DDraw_Local.h"
#include "platform/sdl/FrameRecording.h"
#include "platform/sdl/SdlDisplay.h"
#include "platform/sdl/SdlWindow.h"
#include "tests/platform/sdl/XConnection.h"

namespace platform::sdl {
namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// Position, normal, colour and two sets of texture coordinates; draws use the leading parts they name.
struct Vertex {
  float x, y, z;
  float nx, ny, nz;
  DWORD colour;
  float u0, v0, u1, v1;
};

constexpr DWORD kFull = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2;

// The leading parts of the vertices in a smaller format, packed as the device expects them.
std::vector<std::uint8_t> Pack(const std::vector<Vertex>& vertices, DWORD fvf) {
  std::vector<std::uint8_t> out;
  auto put = [&out](const void* p, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    out.insert(out.end(), b, b + n);
  };
  for (const Vertex& v : vertices) {
    put(&v.x, 12);
    if ((fvf & D3DFVF_NORMAL) != 0)
      put(&v.nx, 12);
    if ((fvf & D3DFVF_DIFFUSE) != 0)
      put(&v.colour, 4);
    const DWORD sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (sets >= 1)
      put(&v.u0, 8);
    if (sets >= 2)
      put(&v.u1, 8);
  }
  return out;
}

// A quad in view space at depth z, corners clockwise on screen from the top left.
std::vector<Vertex> Quad(float x0, float y0, float x1, float y1, float z, DWORD c0, DWORD c1 = 0) {
  if (c1 == 0)
    c1 = c0;
  return {{x0, y1, z, 0, 0, -1, c0, 0, 0, 0, 0},
          {x1, y1, z, 0, 0, -1, c0, 1, 0, 1, 0},
          {x1, y0, z, 0, 0, -1, c1, 1, 1, 1, 1},
          {x0, y0, z, 0, 0, -1, c1, 0, 1, 0, 1}};
}

D3DCOLORVALUE Colour(float r, float g, float b) {
  D3DCOLORVALUE c{};
  c.r = r;
  c.g = g;
  c.b = b;
  c.a = 1.0f;
  return c;
}

D3DMATRIX Identity() {
  return ddraw::IdentityMatrix();
}

// A window with a Direct3D device drawing into a back buffer with a depth buffer, and the folder, log
// and settings the window needs.
class DeviceFixture : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("frame-replay-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    log_ = std::make_unique<CorvantisEngine::MessageManager>("Test", 0, 0, "", "test");
    files_ = std::make_unique<CorvantisEngine::FileManager>(log_.get(), folder_.string(), "");
    config_ = std::make_unique<CorvantisEngine::Config>(log_.get(), files_.get(), folder_.string(), "test",
                                                        false, "160x120x32", false, false);
  }
  void TearDown() override {
    CloseDevice();
    config_.reset();
    files_.reset();
    log_.reset();
    fs::remove_all(folder_);
  }

  // A window of windowWidth_ x windowHeight_ and a device drawing into a back buffer of the given size.
  void OpenDevice(DWORD width, DWORD height) {
    POINT position{0, 0};
    window_ =
        std::make_unique<CorvantisEngine::Window>(log_.get(), config_.get(), "Replay", nullptr, 101, false,
                                                  windowWidth_, windowHeight_, false, true, &position);
    const HWND hwnd = window_->GetHandle();
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&dd_), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ(dd_->SetCooperativeLevel(hwnd, DDSCL_NORMAL), DD_OK);
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(dd_->CreateSurface(&d, &primary_, nullptr), DD_OK);
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd_->CreateClipper(0, &clipper, nullptr), DD_OK);
    clipper->SetHWnd(0, hwnd);
    primary_->SetClipper(clipper);
    clipper->Release();
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    d.dwWidth = width;
    d.dwHeight = height;
    ASSERT_EQ(dd_->CreateSurface(&d, &back_, nullptr), DD_OK);
    d.dwFlags |= DDSD_PIXELFORMAT;
    d.ddsCaps.dwCaps = DDSCAPS_ZBUFFER;
    d.ddpfPixelFormat = ddraw::FormatDepth(32, 8);
    ASSERT_EQ(dd_->CreateSurface(&d, &depth_, nullptr), DD_OK);
    ASSERT_EQ(back_->AddAttachedSurface(depth_), DD_OK);
    ASSERT_EQ(dd_->QueryInterface(IID_IDirect3D7, reinterpret_cast<LPVOID*>(&d3d_)), DD_OK);
    ASSERT_EQ(d3d_->CreateDevice(IID_IDirect3DTnLHalDevice, back_, &device_), D3D_OK);
  }
  // Releases the device and its surfaces, then destroys the window.
  void CloseDevice() {
    for (IUnknown** object : std::initializer_list<IUnknown**>{
             reinterpret_cast<IUnknown**>(&device_), reinterpret_cast<IUnknown**>(&d3d_),
             reinterpret_cast<IUnknown**>(&depth_), reinterpret_cast<IUnknown**>(&back_),
             reinterpret_cast<IUnknown**>(&primary_), reinterpret_cast<IUnknown**>(&dd_)}) {
      if (*object != nullptr)
        (*object)->Release();
      *object = nullptr;
    }
    window_.reset();
  }

  int windowWidth_ = kWidth;
  int windowHeight_ = kHeight;
  fs::path folder_;
  std::unique_ptr<CorvantisEngine::MessageManager> log_;
  std::unique_ptr<CorvantisEngine::FileManager> files_;
  std::unique_ptr<CorvantisEngine::Config> config_;
  std::unique_ptr<CorvantisEngine::Window> window_;
  IDirectDraw7* dd_ = nullptr;
  IDirectDrawSurface7* primary_ = nullptr;
  IDirectDrawSurface7* back_ = nullptr;
  IDirectDrawSurface7* depth_ = nullptr;
  IDirect3D7* d3d_ = nullptr;
  IDirect3DDevice7* device_ = nullptr;
};

class FrameReplayTest : public DeviceFixture {
 protected:
  void SetUp() override {
    DeviceFixture::SetUp();
    ASSERT_NO_FATAL_FAILURE(OpenDevice(kWidth, kHeight));
    checker_ = Texture(8, 8, [](DWORD x, DWORD y) {
      return ((x + y) & 1) != 0 ? 0xFFF0C020u : 0x8020A0F0u;  // opaque amber, half-transparent blue
    });
    holes_ = Texture(4, 4, [](DWORD x, DWORD y) {
      return (x == 1 || y == 2) ? 0x00FF00FFu : 0xFFE0E0E0u;  // a cross of see-through texels
    });
  }

  void TearDown() override {
    CancelFrameRecording();
    for (IUnknown* object : std::initializer_list<IUnknown*>{checker_, holes_}) {
      if (object != nullptr)
        object->Release();
    }
    DeviceFixture::TearDown();
  }

  template <typename Texel>
  IDirectDrawSurface7* Texture(DWORD width, DWORD height, Texel texel) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    d.dwWidth = width;
    d.dwHeight = height;
    d.ddpfPixelFormat = ddraw::FormatARGB8888();
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&d, &surface, nullptr), DD_OK);
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    EXPECT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < height; ++y) {
      for (DWORD x = 0; x < width; ++x) {
        const DWORD value = texel(x, y);
        std::memcpy(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * 4, &value, 4);
      }
    }
    surface->Unlock(nullptr);
    return surface;
  }

  void State(D3DRENDERSTATETYPE type, DWORD value) {
    EXPECT_EQ(device_->SetRenderState(type, value), D3D_OK);
  }
  void Stage(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    EXPECT_EQ(device_->SetTextureStageState(stage, type, value), D3D_OK);
  }

  void DrawIndexed(const std::vector<Vertex>& quad, DWORD fvf, bool wide) {
    std::vector<std::uint8_t> packed = Pack(quad, fvf);
    if (wide) {
      DWORD indices[] = {0, 1, 2, 0, 2, 3};
      EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, fvf, packed.data(), 4, indices, 6, 0),
                D3D_OK);
    } else {
      WORD indices[] = {0, 1, 2, 0, 2, 3};
      EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, fvf, packed.data(), 4, indices, 6, 0),
                D3D_OK);
    }
  }

  // The scene, one frame: begun, drawn, ended; not presented.
  void DrawScene() {
    D3DVIEWPORT7 whole{0, 0, kWidth, kHeight, 0.0f, 1.0f};
    ASSERT_EQ(device_->SetViewport(&whole), D3D_OK);
    // A perspective projection (depth 2..10) and a view moved back a little.
    D3DMATRIX projection{};
    projection._11 = 1.2f;
    projection._22 = 1.6f;
    projection._33 = 10.0f / 8.0f;
    projection._34 = 1.0f;
    projection._43 = -2.0f * 10.0f / 8.0f;
    D3DMATRIX view = Identity();
    view._43 = 0.5f;
    D3DMATRIX world = Identity();
    device_->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    device_->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    device_->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040u, 1.0f, 0), D3D_OK);
    State(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
    State(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
    State(D3DRENDERSTATE_LIGHTING, FALSE);
    State(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);

    // A shaded background strip, not indexed, without texture.
    device_->SetTexture(0, nullptr);
    std::vector<Vertex> strip = Quad(-4, -3, 4, 3, 5.0f, 0xFF4060A0u, 0xFFA06040u);
    std::swap(strip[2], strip[3]);  // strip order: top left, top right, bottom left, bottom right
    std::vector<std::uint8_t> packed = Pack(strip, D3DFVF_XYZ | D3DFVF_DIFFUSE);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_XYZ | D3DFVF_DIFFUSE, packed.data(), 4, 0),
              D3D_OK);

    // The checker, tiled twice by a texture transform, modulated by the vertex colour and blended.
    device_->SetTexture(0, checker_);
    Stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    Stage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    Stage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    Stage(0, D3DTSS_MAGFILTER, D3DTFG_POINT);
    Stage(0, D3DTSS_MINFILTER, D3DTFN_POINT);
    Stage(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    Stage(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    Stage(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    D3DMATRIX tiles = Identity();
    tiles._11 = 2.0f;
    tiles._22 = 2.0f;
    device_->SetTransform(D3DTRANSFORMSTATE_TEXTURE0, &tiles);
    State(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    State(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    State(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    D3DMATRIX turned = Identity();
    turned._11 = 0.94f;
    turned._12 = 0.34f;
    turned._21 = -0.34f;
    turned._22 = 0.94f;
    device_->SetTransform(D3DTRANSFORMSTATE_WORLD, &turned);
    DrawIndexed(Quad(-2.5f, -1.5f, 1.0f, 2.0f, 4.0f, 0xFFFFFFFFu, 0xC080FF80u),
                D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, false);
    device_->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
    Stage(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);

    // Holes cut by the alpha test, nearer, with 32-bit indices and no vertex colour.
    State(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
    State(D3DRENDERSTATE_ALPHATESTENABLE, TRUE);
    State(D3DRENDERSTATE_ALPHAFUNC, D3DCMP_GREATER);
    State(D3DRENDERSTATE_ALPHAREF, 0x80);
    device_->SetTexture(0, holes_);
    Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    DrawIndexed(Quad(-0.5f, -2.0f, 2.5f, 1.0f, 3.5f, 0), D3DFVF_XYZ | D3DFVF_TEX1, true);
    State(D3DRENDERSTATE_ALPHATESTENABLE, FALSE);

    // Culled away: wound counter-clockwise on screen under D3DCULL_CCW.
    device_->SetTexture(0, nullptr);
    State(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    std::vector<Vertex> reversed = Quad(-4, -3, 4, 3, 2.5f, 0xFFFF0000u);
    std::swap(reversed[1], reversed[3]);
    DrawIndexed(reversed, D3DFVF_XYZ | D3DFVF_DIFFUSE, false);
    State(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);

    // Lit by a directional light, the vertex colours standing in for the material's diffuse colour.
    State(D3DRENDERSTATE_LIGHTING, TRUE);
    State(D3DRENDERSTATE_AMBIENT, 0xFF202020u);
    State(D3DRENDERSTATE_COLORVERTEX, TRUE);
    State(D3DRENDERSTATE_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    D3DMATERIAL7 material{};
    material.diffuse = Colour(1, 1, 1);
    material.ambient = Colour(0.5f, 0.5f, 0.5f);
    device_->SetMaterial(&material);
    D3DLIGHT7 light{};
    light.dltType = D3DLIGHT_DIRECTIONAL;
    light.dcvDiffuse = Colour(0.9f, 0.8f, 0.7f);
    light.dvDirection.x = 0.3f;
    light.dvDirection.y = -0.4f;
    light.dvDirection.z = 0.87f;
    device_->SetLight(0, &light);
    device_->LightEnable(0, TRUE);
    State(D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL);
    std::vector<Vertex> lit = Quad(-3.5f, 0.5f, -1.0f, 2.5f, 3.0f, 0xFF30C0F0u, 0xFFF0F030u);
    lit[0].nx = -0.5f;
    lit[2].ny = 0.6f;
    DrawIndexed(lit, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE, false);
    State(D3DRENDERSTATE_LIGHTING, FALSE);

    // Two stages: the checker filtered and clamped, times the holes' texture from the second set.
    device_->SetTexture(0, checker_);
    device_->SetTexture(1, holes_);
    Stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    Stage(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    Stage(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
    Stage(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    Stage(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    Stage(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    Stage(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    Stage(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    Stage(1, D3DTSS_TEXCOORDINDEX, 1);
    std::vector<Vertex> layered = Quad(-3.0f, -2.8f, -0.5f, -0.3f, 3.2f, 0xFFFFFFFFu);
    for (Vertex& v : layered) {
      v.u1 *= 2.0f;
    }
    DrawIndexed(layered, kFull, false);
    device_->SetTexture(1, nullptr);
    Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);

    // A clear limited to a small viewport, then a flat quad over part of it.
    D3DVIEWPORT7 corner{110, 10, 40, 30, 0.0f, 1.0f};
    ASSERT_EQ(device_->SetViewport(&corner), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00C000u, 1.0f, 0), D3D_OK);
    device_->SetTexture(0, nullptr);
    DrawIndexed(Quad(-4, -4, 0, 0, 4.0f, 0xFFFFFF00u), D3DFVF_XYZ | D3DFVF_DIFFUSE, false);
    ASSERT_EQ(device_->SetViewport(&whole), D3D_OK);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
  }

  // The whole target as the viewport, with identity projection, view and world: positions are in clip
  // space.
  void FlatOnTheWholeTarget() {
    D3DVIEWPORT7 whole{0, 0, kWidth, kHeight, 0.0f, 1.0f};
    ASSERT_EQ(device_->SetViewport(&whole), D3D_OK);
    D3DMATRIX identity = Identity();
    device_->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &identity);
    device_->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
    device_->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
  }

  void Present() {
    RECT area{0, 0, kWidth, kHeight};
    EXPECT_EQ(primary_->Blt(&area, back_, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  }

  // The framebuffer bound for drawing, as RGBA rows from the bottom.
  static std::vector<std::uint8_t> ReadPixels() {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  }

  // Pixels whose channels differ by more than the tolerance.
  static int Differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
                         int tolerance) {
    int count = 0;
    for (std::size_t i = 0; i < a.size(); i += 4) {
      for (std::size_t c = 0; c < 3; ++c) {
        if (std::abs(a[i + c] - b[i + c]) > tolerance) {
          ++count;
          break;
        }
      }
    }
    return count;
  }

  static std::size_t Colours(const std::vector<std::uint8_t>& pixels) {
    std::set<std::uint32_t> seen;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
      seen.insert(pixels[i] | (pixels[i + 1] << 8) | (pixels[i + 2] << 16));
    }
    return seen.size();
  }

  // The pixel at (x, y) counted from the top left, as 0xRRGGBB.
  static std::uint32_t At(const std::vector<std::uint8_t>& pixels, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(kHeight - 1 - y) * kWidth + x) * 4;
    return (pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2];
  }

  // Records the scene, checks that the device drew it, replays it twice and reads each replayed frame
  // back, then lets the device draw it again after the replay.
  void ExpectReplayDrawsTheSamePicture(bool offscreen) {
    FrameRecording recording;
    RecordNextFrame(recording);
    ASSERT_NO_FATAL_FAILURE(DrawScene());
    const std::vector<std::uint8_t> drawn = ReadPixels();
    Present();
    ASSERT_TRUE(recording.complete);
    if (offscreen) {
      EXPECT_TRUE(recording.offscreen) << "a window larger than the back buffer";
    }
    EXPECT_GE(Colours(drawn), 20u) << "the scene shows its parts, not one flat colour";
    EXPECT_EQ(At(drawn, 130, 12), 0x00C000u) << "the corner clear";
    EXPECT_NE(At(drawn, 2, 118) & 0xFF0000, 0xFF0000u) << "the culled quad stays away";

    {
      FrameReplay replay(recording);
      replay.Draw();
      const std::vector<std::uint8_t> replayed = ReadPixels();
      EXPECT_EQ(Differences(drawn, replayed, 1), 0) << "the replay draws the same picture";
      replay.Present();
      // Drawn a second time in a row, the replay starts from the state its first frame left.
      replay.Draw();
      EXPECT_EQ(Differences(drawn, ReadPixels(), 1), 0) << "the second replayed frame";
      replay.Present();
    }

    // The display sets its whole state again after the replay changed the context behind it.
    ASSERT_NO_FATAL_FAILURE(DrawScene());
    EXPECT_EQ(Differences(drawn, ReadPixels(), 0), 0) << "the device's frame after the replay";
    Present();
  }

  IDirectDrawSurface7* checker_ = nullptr;
  IDirectDrawSurface7* holes_ = nullptr;
};

// The back buffer drawn straight into a window of its size.
TEST_F(FrameReplayTest, ReplayDrawsTheRecordedFramesPicture) {
  ExpectReplayDrawsTheSamePicture(false);
}

// A fixture in a larger window: the device draws into an off-screen target that presenting scales into
// the window.
template <typename Fixture>
class InALargerWindow : public Fixture {
 protected:
  InALargerWindow() {
    this->windowWidth_ = 2 * kWidth;
    this->windowHeight_ = 2 * kHeight;
  }
};

// The replay does the same as the device in a larger window.
using FrameReplayScaledTest = InALargerWindow<FrameReplayTest>;

TEST_F(FrameReplayScaledTest, ReplayDrawsTheRecordedFramesPictureOffScreen) {
  ExpectReplayDrawsTheSamePicture(true);
}

// The replay leaves its own textures and vertex pointers in the context. The device's next frame draws
// from the same vertex memory, moved in place, with no state changed since its last frame: the display
// must bind its texture and point at its vertices again rather than trust what it set before.
TEST_F(FrameReplayTest, TheDisplayDrawsRightAfterAReplay) {
  const D3DMATRIX identity = Identity();
  device_->SetTransform(D3DTRANSFORMSTATE_PROJECTION, const_cast<D3DMATRIX*>(&identity));
  device_->SetTransform(D3DTRANSFORMSTATE_VIEW, const_cast<D3DMATRIX*>(&identity));
  device_->SetTransform(D3DTRANSFORMSTATE_WORLD, const_cast<D3DMATRIX*>(&identity));
  State(D3DRENDERSTATE_LIGHTING, FALSE);
  State(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  IDirectDrawSurface7* plain = Texture(2, 2, [](DWORD, DWORD) { return 0xFF30A0F0u; });
  device_->SetTexture(0, plain);
  Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  const DWORD fvf = D3DFVF_XYZ | D3DFVF_TEX1;
  // The left half of the screen in clip space, later the right half, in the same memory.
  std::vector<std::uint8_t> vertices = Pack(Quad(-1, -1, 0, 1, 0.5f, 0), fvf);
  const WORD indices[] = {0, 1, 2, 0, 2, 3};
  auto frame = [&] {
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, fvf, vertices.data(), 4,
                                            const_cast<WORD*>(indices), 6, 0),
              D3D_OK);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
  };

  FrameRecording recording;
  RecordNextFrame(recording);
  ASSERT_NO_FATAL_FAILURE(frame());
  EXPECT_EQ(At(ReadPixels(), 40, 60), 0x30A0F0u);
  Present();
  {
    FrameReplay replay(recording);
    replay.Draw();
    EXPECT_EQ(At(ReadPixels(), 40, 60), 0x30A0F0u) << "the replay";
    replay.Present();
  }

  const std::vector<std::uint8_t> moved = Pack(Quad(0, -1, 1, 1, 0.5f, 0), fvf);
  std::copy(moved.begin(), moved.end(), vertices.begin());
  ASSERT_NO_FATAL_FAILURE(frame());
  Present();  // the display sends a frame's calls by its present
  const std::vector<std::uint8_t> after = ReadPixels();
  EXPECT_EQ(At(after, 120, 60), 0x30A0F0u) << "the moved quad, with the device's texture";
  EXPECT_EQ(At(after, 40, 60), 0x000000u) << "nothing left where it was";
  device_->SetTexture(0, nullptr);
  plain->Release();
}

// A draw that asks to blend by source alpha but comes out opaque everywhere (an opaque texture, opaque
// vertex colours) reaches OpenGL without blending: the same picture without reading the target back.
// Anything that can bring a fragment's alpha below 1 keeps the blending.
TEST_F(FrameReplayTest, OpaqueDrawsReachOpenGLWithoutBlending) {
  IDirectDrawSurface7* opaque = Texture(4, 4, [](DWORD x, DWORD y) { return 0xFF000000u | (x * 40 + y); });
  struct Case {
    const char* why;
    IDirectDrawSurface7* texture;
    DWORD secondColour;
    DWORD alphaOp;
    DWORD destinationBlend;
    bool lighting;
    std::int32_t blend;
  } cases[] = {
      {"opaque texture and colours", opaque, 0xFF8080FFu, D3DTOP_MODULATE, D3DBLEND_INVSRCALPHA, false, 0},
      {"a vertex colour below alpha 1", opaque, 0xFE8080FFu, D3DTOP_MODULATE, D3DBLEND_INVSRCALPHA, false, 1},
      {"a texture with see-through texels", checker_, 0xFFFFFFFFu, D3DTOP_MODULATE, D3DBLEND_INVSRCALPHA,
       false, 1},
      {"alpha from the colours alone, opaque", checker_, 0xFFFFFFFFu, D3DTOP_SELECTARG2, D3DBLEND_INVSRCALPHA,
       false, 0},
      {"an operation that can lower alpha (add signed)", opaque, 0xFFFFFFFFu, D3DTOP_ADDSIGNED,
       D3DBLEND_INVSRCALPHA, false, 1},
      {"additive blending adds the target", opaque, 0xFFFFFFFFu, D3DTOP_MODULATE, D3DBLEND_ONE, false, 1},
      {"lit: the material's alpha is not looked into", opaque, 0xFFFFFFFFu, D3DTOP_MODULATE,
       D3DBLEND_INVSRCALPHA, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    FrameRecording recording;
    RecordNextFrame(recording);
    FlatOnTheWholeTarget();
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    State(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
    State(D3DRENDERSTATE_LIGHTING, c.lighting ? TRUE : FALSE);
    State(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    State(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    State(D3DRENDERSTATE_DESTBLEND, c.destinationBlend);
    device_->SetTexture(0, c.texture);
    Stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    Stage(0, D3DTSS_ALPHAOP, c.alphaOp);
    Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    Stage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    DrawIndexed(Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu, c.secondColour),
                D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, false);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    Present();
    ASSERT_EQ(recording.DrawCount(), 1u);
    EXPECT_EQ(std::get<RecordedDraw>(recording.steps.back()).states.blend, c.blend);
  }
  opaque->Release();
}

// A texture whose texels land one to one on the target's pixels is point sampled, whatever filters its
// stage asks for: each pixel takes the texel it lies on (as filtering would, up to a fraction of a pixel's
// shift) without the filter's cost. Any scale other than one, from the quad or the texture transform,
// keeps the stage's filters, and the same texture drawn larger afterwards is filtered again.
TEST_F(FrameReplayTest, TexturesDrawnTexelForPixelArePointSampled) {
  IDirectDrawSurface7* texture = Texture(16, 16, [](DWORD x, DWORD y) { return 0xFF000000u | (x * 16 + y); });
  struct Case {
    const char* why;
    float left, top, width, height;  // in the target's pixels, from its top-left corner
    float textureScale;              // of the coordinates by the texture transform; 0: none
    GLint filter;
  } cases[] = {
      {"16 x 16 texels on 16 x 16 pixels", 32, 24, 16, 16, 0.0f, GL_NEAREST},
      {"the same a third of a pixel off the grid", 32.33f, 24.5f, 16, 16, 0.0f, GL_NEAREST},
      {"mirrored left to right", 48, 24, -16, 16, 0.0f, GL_NEAREST},
      {"twice the size", 32, 24, 32, 32, 0.0f, GL_LINEAR},
      {"one pixel wider", 32, 24, 17, 16, 0.0f, GL_LINEAR},
      {"the texture transform halves the texels' steps", 32, 24, 16, 16, 0.5f, GL_LINEAR},
      {"the texture transform doubles the steps on a double size", 32, 24, 32, 32, 2.0f, GL_NEAREST},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    FrameRecording recording;
    RecordNextFrame(recording);
    FlatOnTheWholeTarget();
    D3DMATRIX scale = Identity();
    scale._11 = scale._22 = c.textureScale;
    device_->SetTransform(D3DTRANSFORMSTATE_TEXTURE0, &scale);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    State(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
    State(D3DRENDERSTATE_LIGHTING, FALSE);
    State(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
    device_->SetTexture(0, texture);
    Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    Stage(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
    Stage(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    Stage(0, D3DTSS_MIPFILTER, D3DTFP_NONE);
    Stage(0, D3DTSS_TEXTURETRANSFORMFLAGS, c.textureScale != 0.0f ? D3DTTFF_COUNT2 : D3DTTFF_DISABLE);
    Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    // Pixels to clip space: x from -1 at the left, y from 1 at the top.
    const float x0 = c.left / (kWidth / 2.0f) - 1.0f;
    const float x1 = (c.left + c.width) / (kWidth / 2.0f) - 1.0f;
    const float y1 = 1.0f - c.top / (kHeight / 2.0f);
    const float y0 = 1.0f - (c.top + c.height) / (kHeight / 2.0f);
    DrawIndexed(Quad(x0, y0, x1, y1, 0.5f, 0xFFFFFFFFu), D3DFVF_XYZ | D3DFVF_TEX1, false);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    Present();
    ASSERT_EQ(recording.DrawCount(), 1u);
    const RecordedUnit& unit = std::get<RecordedDraw>(recording.steps.back()).units[0];
    EXPECT_EQ(unit.minFilter, c.filter);
    EXPECT_EQ(unit.magFilter, c.filter);
  }
  Stage(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  texture->Release();
}

// Frames drawn with flat quads, their pixels read back through the device: the whole-target clears that
// can be left out are, and the picture is the one the clears and draws give.
class FrameClearTest : public FrameReplayTest {
 protected:
  static constexpr DWORD kRed = 0xFFFF0000u;

  void Begin() {
    FlatOnTheWholeTarget();
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kRed, 1.0f, 0), D3D_OK);
    State(D3DRENDERSTATE_LIGHTING, FALSE);
    State(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    State(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
    State(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
    State(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
    State(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    State(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device_->SetTexture(0, nullptr);
    Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    Stage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    Stage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  }
  // A flat quad over rows top to bottom (from the target's top) of the whole width, at depth z.
  void Band(float top, float bottom, DWORD colour, float z = 0.5f) {
    DrawIndexed(Quad(-1.0f, 1.0f - bottom / (kHeight / 2.0f), 1.0f, 1.0f - top / (kHeight / 2.0f), z, colour),
                D3DFVF_XYZ | D3DFVF_DIFFUSE, false);
  }
  // The back buffer's pixel (from its top-left corner) as 0xRRGGBB, read back through the device.
  DWORD Pixel(DWORD x, DWORD y) {
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    EXPECT_EQ(back_->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    DWORD value = 0;
    std::memcpy(&value, static_cast<const std::uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * 4, 4);
    back_->Unlock(nullptr);
    return value & 0xFFFFFF;
  }
};

TEST_F(FrameClearTest, ClearsUnderOpaqueDrawsAreLeftOut) {
  // The depth buffer holds 1 everywhere from here on: nothing below writes it.
  ASSERT_NO_FATAL_FAILURE(Begin());
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  Present();
  struct Case {
    const char* why;
    bool blendFirst;       // the upper band blends (half transparent)
    bool lowerBand;        // a second band covers the rest
    std::uint64_t clears;  // sent in the frame
    DWORD upper, lower;    // the pixels at the middle of each part
  } cases[] = {
      {"two opaque bands over the whole target: no clear", false, true, 0, 0x00FF00, 0x0000FF},
      {"one band over the upper part: the rest cleared", false, false, 1, 0x00FF00, 0xFF0000},
      {"a blended band first: the whole target cleared", true, true, 1, 0x808000, 0x0000FF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const std::uint64_t before = ClearsSent();
    ASSERT_NO_FATAL_FAILURE(Begin());
    State(D3DRENDERSTATE_ALPHABLENDENABLE, c.blendFirst ? TRUE : FALSE);
    Band(0, 80, c.blendFirst ? 0x8000FF00u : 0xFF00FF00u);
    State(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
    if (c.lowerBand)
      Band(80, kHeight, 0xFF0000FFu);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    const DWORD upper = Pixel(kWidth / 2, 40);
    const DWORD lower = Pixel(kWidth / 2, 100);
    EXPECT_EQ(ClearsSent() - before, c.clears);
    // Blending by half: within one step of a channel.
    EXPECT_NEAR(static_cast<int>(upper >> 16), static_cast<int>(c.upper >> 16), 1);
    EXPECT_NEAR(static_cast<int>((upper >> 8) & 255), static_cast<int>((c.upper >> 8) & 255), 1);
    EXPECT_EQ(upper & 255, c.upper & 255);
    EXPECT_EQ(lower, c.lower);
    EXPECT_EQ(Pixel(kWidth / 2, 79) & 255, c.upper & 255) << "the upper band's last row";
    Present();
  }
}

// A depth clear is left out while the depth buffer still holds that depth everywhere, and sent once a
// draw has written depth: a quad behind what the earlier frame wrote is then drawn.
TEST_F(FrameClearTest, DepthIsClearedAgainOnceADrawHasWrittenIt) {
  ASSERT_NO_FATAL_FAILURE(Begin());
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  Present();
  std::uint64_t before = ClearsSent();
  ASSERT_NO_FATAL_FAILURE(Begin());
  State(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
  State(D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL);
  State(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
  Band(0, kHeight, 0xFF00FF00u, 0.25f);  // near: depth 0.25 written everywhere
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  EXPECT_EQ(Pixel(10, 10), 0x00FF00u);
  EXPECT_EQ(ClearsSent() - before, 1u) << "the colour, before the depth-tested draw; the depth held 1";
  Present();

  before = ClearsSent();
  ASSERT_NO_FATAL_FAILURE(Begin());
  State(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
  State(D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL);
  Band(0, kHeight, 0xFF0000FFu, 0.75f);  // farther than what the last frame wrote
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  EXPECT_EQ(Pixel(10, 10), 0x0000FFu) << "the depth was cleared to 1 again";
  EXPECT_EQ(ClearsSent() - before, 1u) << "colour and depth in one clear";
  Present();
}

TEST_F(FrameReplayTest, RecordingHoldsOneFrameUntilItsPresent) {
  FrameRecording recording;
  ASSERT_NO_FATAL_FAILURE(DrawScene());
  Present();
  EXPECT_FALSE(FrameRecordingArmed());
  EXPECT_TRUE(recording.steps.empty()) << "nothing is recorded unless armed";

  RecordNextFrame(recording);
  EXPECT_TRUE(FrameRecordingArmed());
  ASSERT_NO_FATAL_FAILURE(DrawScene());
  Present();
  EXPECT_FALSE(FrameRecordingArmed()) << "the present ends the recording";
  ASSERT_TRUE(recording.complete);
  EXPECT_EQ(recording.steps.size(), 9u) << "two clears and seven draws";
  EXPECT_EQ(recording.DrawCount(), 7u);
  EXPECT_EQ(recording.textures.size(), 2u) << "each texture read back once";
  EXPECT_EQ(recording.width, kWidth);
  EXPECT_EQ(recording.height, kHeight);
  EXPECT_FALSE(recording.vsync);
  const auto& first = std::get<RecordedDraw>(recording.steps[1]);
  EXPECT_EQ(first.indexType, 0) << "the strip is not indexed";
  EXPECT_EQ(first.units[0].enabled, 0);
  const auto& alphaTested = std::get<RecordedDraw>(recording.steps[3]);
  EXPECT_EQ(alphaTested.indexType, static_cast<std::int32_t>(GL_UNSIGNED_INT));
  EXPECT_EQ(alphaTested.indices.size(), 6u * 4u);
  EXPECT_EQ(alphaTested.colour.offset, -1) << "no vertex colours in that draw";
  EXPECT_EQ(alphaTested.states.alphaTest, 1);

  ASSERT_NO_FATAL_FAILURE(DrawScene());
  Present();
  EXPECT_EQ(recording.DrawCount(), 7u) << "the next frame is not added";

  RecordNextFrame(recording);
  EXPECT_TRUE(recording.steps.empty()) << "arming empties the recording";
  CancelFrameRecording();
  ASSERT_NO_FATAL_FAILURE(DrawScene());
  Present();
  EXPECT_TRUE(recording.steps.empty()) << "a cancelled recording takes nothing";
  EXPECT_FALSE(recording.complete);
}

}  // namespace
}  // namespace platform::sdl

namespace platform::sdl {
namespace {

// How OpenGL keeps the bound texture's level.
GLint InternalFormat(GLint level = 0) {
  GLint format = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_INTERNAL_FORMAT, &format);
  return format;
}

GLuint TextureName(IDirectDrawSurface7* surface) {
  return static_cast<ddraw::Surface*>(surface)->driverHandle.load();
}

// A texture is kept in the smallest storage that holds its texels exactly (white text as alpha alone,
// greys as luminance) and draws as it did in four bytes a texel; a recorded frame replays it the same.
TEST_F(FrameReplayTest, TexturesAreKeptInTheSmallestExactStorage) {
  struct Case {
    const char* why;
    DWORD texel;  // ARGB
    GLint storage;
    std::uint32_t drawn;  // over black, blended by the texel's alpha
  } cases[] = {
      {"white text's texels: alpha alone", 0x80FFFFFFu, GL_ALPHA8, 0x808080u},
      {"see-through greys: luminance and alpha", 0x80404040u, GL_LUMINANCE8_ALPHA8, 0x202020u},
      {"opaque greys: luminance alone", 0xFF606060u, GL_LUMINANCE8, 0x606060u},
      {"opaque white: luminance alone", 0xFFFFFFFFu, GL_LUMINANCE8, 0xFFFFFFu},
      {"colours", 0x80FF8000u, GL_RGBA8, 0x804000u},
      {"opaque colours", 0xFF2080C0u, GL_RGB8, 0x2080C0u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    IDirectDrawSurface7* texture = Texture(4, 4, [&c](DWORD, DWORD) { return c.texel; });
    FrameRecording recording;
    RecordNextFrame(recording);
    FlatOnTheWholeTarget();
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), D3D_OK);
    State(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
    State(D3DRENDERSTATE_LIGHTING, FALSE);
    State(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    State(D3DRENDERSTATE_ALPHATESTENABLE, FALSE);
    State(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    State(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    State(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device_->SetTexture(0, texture);
    Stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    Stage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    Stage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    Stage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    Stage(0, D3DTSS_MAGFILTER, D3DTFG_POINT);
    Stage(0, D3DTSS_MINFILTER, D3DTFN_POINT);
    Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    DrawIndexed(Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu), D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, false);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    const std::vector<std::uint8_t> drawn = ReadPixels();
    Present();
    glBindTexture(GL_TEXTURE_2D, TextureName(texture));
    EXPECT_EQ(InternalFormat(), c.storage);
    const std::uint32_t pixel = At(drawn, kWidth / 2, kHeight / 2);
    for (int shift : {0, 8, 16}) {
      EXPECT_NEAR(static_cast<int>((pixel >> shift) & 0xFF), static_cast<int>((c.drawn >> shift) & 0xFF), 1)
          << std::hex << pixel;
    }
    {
      FrameReplay replay(recording);
      replay.Draw();
      EXPECT_EQ(Differences(drawn, ReadPixels(), 0), 0) << "the replay";
      replay.Present();
    }
    device_->SetTexture(0, nullptr);
    texture->Release();
  }
}

// A texture kept small (alpha alone, luminance and alpha) whose top level is written again in colour:
// the storage grows, and the smaller level, not written since, keeps its texels (read back from OpenGL,
// not lost).
TEST_F(FrameReplayTest, AStorageThatNoLongerFitsGrowsWithEveryLevel) {
  struct Case {
    const char* why;
    DWORD smallLevel;  // ARGB
    GLint storage;
  } cases[] = {
      {"white text", 0xC0FFFFFFu, GL_ALPHA8},
      {"see-through greys", 0xC0606060u, GL_LUMINANCE8_ALPHA8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_MIPMAPCOUNT;
    d.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_MIPMAP | DDSCAPS_COMPLEX;
    d.dwWidth = 4;
    d.dwHeight = 4;
    d.dwMipMapCount = 2;
    d.ddpfPixelFormat = ddraw::FormatARGB8888();
    IDirectDrawSurface7* top = nullptr;
    ASSERT_EQ(dd_->CreateSurface(&d, &top, nullptr), DD_OK);
    DDSCAPS2 caps{DDSCAPS_TEXTURE | DDSCAPS_MIPMAP, 0, 0, 0};
    IDirectDrawSurface7* small = nullptr;
    ASSERT_EQ(top->GetAttachedSurface(&caps, &small), DD_OK);
    auto fill = [](IDirectDrawSurface7* level, DWORD value) {
      DDSURFACEDESC2 locked{};
      locked.dwSize = sizeof(locked);
      ASSERT_EQ(level->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
      for (DWORD y = 0; y < locked.dwHeight; ++y) {
        for (DWORD x = 0; x < locked.dwWidth; ++x) {
          std::memcpy(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * 4, &value, 4);
        }
      }
      level->Unlock(nullptr);
    };
    fill(top, (c.smallLevel & 0x00FFFFFFu) | 0x40000000u);
    fill(small, c.smallLevel);
    auto draw = [&] {
      ASSERT_EQ(device_->BeginScene(), D3D_OK);
      device_->SetTexture(0, top);
      Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
      Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
      DrawIndexed(Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu), D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, false);
      ASSERT_EQ(device_->EndScene(), D3D_OK);
      Present();
    };
    ASSERT_NO_FATAL_FAILURE(draw());
    glBindTexture(GL_TEXTURE_2D, TextureName(top));
    EXPECT_EQ(InternalFormat(0), c.storage);
    EXPECT_EQ(InternalFormat(1), c.storage);

    fill(top, 0x40FF8000u);
    ASSERT_NO_FATAL_FAILURE(draw());
    glBindTexture(GL_TEXTURE_2D, TextureName(top));
    EXPECT_EQ(InternalFormat(0), GL_RGBA8);
    EXPECT_EQ(InternalFormat(1), GL_RGBA8);
    std::vector<std::uint8_t> texels(4 * 4 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ((std::vector<std::uint8_t>{texels[0], texels[1], texels[2], texels[3]}),
              (std::vector<std::uint8_t>{0xFF, 0x80, 0x00, 0x40}));
    glGetTexImage(GL_TEXTURE_2D, 1, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    const auto channel = [&c](int shift) {
      return static_cast<std::uint8_t>((c.smallLevel >> shift) & 0xFF);
    };
    for (std::size_t i = 0; i < 2 * 2 * 4; i += 4) {
      EXPECT_EQ((std::vector<std::uint8_t>{texels[i], texels[i + 1], texels[i + 2], texels[i + 3]}),
                (std::vector<std::uint8_t>{channel(16), channel(8), channel(0), channel(24)}))
          << "texel " << i / 4 << " of the smaller level";
    }
    device_->SetTexture(0, nullptr);
    small->Release();
    top->Release();
  }
}

// Frames kept and drawn again only where they changed give the very pixels of frames drawn whole: a
// run of frames (moving particles in one draw, a quad that moves, a quad that comes and goes, a texture
// rewritten, a depth-tested quad over the moving ones, a frame without a clear, a frame read back before
// its present) is drawn both ways and read back after every present.
class KeptFrameTest : public FrameReplayTest {
 protected:
  struct Frame {
    const char* what;
    int particles;    // how far the particles have drifted
    int mover;        // the moving quad's left edge, in pixels
    bool extra;       // a small quad drawn between the others
    DWORD checker;    // the checker texture's opaque texel
    bool cleared;     // the frame starts with a clear
    bool readEarly;   // read back through the device before its present
    long mostPixels;  // the most pixels the frame may draw
  };

  // A quad in target pixels (from the top-left corner), flat on the whole target.
  static std::vector<Vertex> PixelQuad(float left, float top, float right, float bottom, float z,
                                       DWORD colour) {
    auto x = [](float px) { return px / (kWidth / 2.0f) - 1.0f; };
    auto y = [](float py) { return 1.0f - py / (kHeight / 2.0f); };
    return Quad(x(left), y(bottom), x(right), y(top), z, colour);
  }

  void DrawFrame(const Frame& f) {
    FlatOnTheWholeTarget();
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    if (f.cleared) {
      ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040u, 1.0f, 0), D3D_OK);
    }
    State(D3DRENDERSTATE_LIGHTING, FALSE);
    State(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    State(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
    State(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
    State(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    State(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    State(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device_->SetTexture(0, nullptr);
    Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    Stage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    Stage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    const DWORD flat = D3DFVF_XYZ | D3DFVF_DIFFUSE;

    // A half-transparent band over the whole width, under everything else.
    DrawIndexed(PixelQuad(0, 20, kWidth, 100, 0.5f, 0x80C06020u), flat, false);

    // The checker, filtered, blended over the band; its texels rewritten in place when they change.
    if (f.checker != checkerTexel_)
      PaintChecker(f.checker);
    device_->SetTexture(0, checker_);
    Stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    Stage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    Stage(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    Stage(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
    DrawIndexed(PixelQuad(90, 30, 150, 90, 0.5f, 0xFFFFFFFFu), D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1,
                false);
    device_->SetTexture(0, nullptr);
    Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);

    // Particles: small quads scattered over the target, one draw (few enough that drawing the target
    // in several rectangles is cheaper than drawing it whole).
    std::vector<Vertex> particles;
    for (int i = 0; i < 4; ++i) {
      const float px = static_cast<float>((i * 37 + f.particles * (1 + i % 3)) % (kWidth - 6));
      const float py = static_cast<float>((i * 23 + f.particles * (i % 2)) % (kHeight - 6));
      const std::vector<Vertex> quad = PixelQuad(px, py, px + 5.5f, py + 5.5f, 0.5f, 0xA0F0F0A0u);
      for (int corner : {0, 1, 2, 0, 2, 3})
        particles.push_back(quad[corner]);
    }
    std::vector<std::uint8_t> packed = Pack(particles, flat);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, flat, packed.data(),
                                     static_cast<DWORD>(particles.size()), 0),
              D3D_OK);

    if (f.extra)
      DrawIndexed(PixelQuad(10, 100, 30, 115, 0.5f, 0xFF00FF00u), flat, false);

    // A moving opaque quad, writing depth.
    State(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
    State(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
    State(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
    State(D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL);
    DrawIndexed(PixelQuad(static_cast<float>(f.mover), 50, f.mover + 24.0f, 74, 0.4f, 0xFF4080FFu), flat,
                true);
    // A static quad behind the mover: the depth test keeps the mover in front where they meet.
    DrawIndexed(PixelQuad(40, 40, 80, 80, 0.6f, 0xFFFFFF00u), flat, false);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
  }

  void PaintChecker(DWORD opaque) {
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    ASSERT_EQ(checker_->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < 8; ++y) {
      for (DWORD x = 0; x < 8; ++x) {
        const DWORD value = ((x + y) & 1) != 0 ? opaque : 0x8020A0F0u;
        std::memcpy(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * 4, &value, 4);
      }
    }
    checker_->Unlock(nullptr);
    checkerTexel_ = opaque;
  }

  // Every frame's pixels after its present.
  std::vector<std::vector<std::uint8_t>> Run(const std::vector<Frame>& frames, bool partial,
                                             std::vector<RedrawnArea>* redrawn) {
    SetPartialRedraw(partial);
    PaintChecker(0xFFF0C020u);
    std::vector<std::vector<std::uint8_t>> pictures;
    for (const Frame& f : frames) {
      DrawFrame(f);
      if (f.readEarly) {
        DDSURFACEDESC2 locked{};
        locked.dwSize = sizeof(locked);
        EXPECT_EQ(back_->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
        back_->Unlock(nullptr);
      }
      Present();
      pictures.push_back(ReadPixels());
      if (redrawn != nullptr)
        redrawn->push_back(LastRedrawn());
    }
    SetPartialRedraw(true);
    return pictures;
  }

  DWORD checkerTexel_ = 0xFFF0C020u;

  void ExpectKeptFramesDrawTheSamePictures() {
    constexpr long kWhole = static_cast<long>(kWidth) * kHeight;
    const Frame frames[] = {
        {"the first frame: drawn whole", 0, 10, false, 0xFFF0C020u, true, false, kWhole},
        {"the same again: nothing drawn", 0, 10, false, 0xFFF0C020u, true, false, 0},
        {"the particles drift", 1, 10, false, 0xFFF0C020u, true, false, kWhole / 3},
        {"the quad moves", 1, 14, false, 0xFFF0C020u, true, false, kWhole / 4},
        {"a quad comes", 1, 14, true, 0xFFF0C020u, true, false, kWhole / 4},
        {"both move, the quad stays", 2, 18, true, 0xFFF0C020u, true, false, kWhole - 1},
        {"the quad goes", 2, 18, false, 0xFFF0C020u, true, false, kWhole / 4},
        {"the checker's texels change", 2, 18, false, 0xFF20C0F0u, true, false, kWhole / 3},
        {"no clear: drawn whole over the last picture", 3, 22, false, 0xFF20C0F0u, false, false, kWhole},
        {"cleared again", 3, 22, false, 0xFF20C0F0u, true, false, kWhole},
        {"read back before the present", 4, 26, false, 0xFF20C0F0u, true, true, kWhole},
        {"the frame after a read back: drawn whole", 4, 26, false, 0xFF20C0F0u, true, false, kWhole},
        {"unchanged after all that", 4, 26, false, 0xFF20C0F0u, true, false, 0},
    };
    const std::vector<Frame> run(std::begin(frames), std::end(frames));
    // A window's first frame can see the driver make its buffers again under it while it settles on
    // the window's size: both runs start after one.
    ASSERT_NO_FATAL_FAILURE(DrawFrame(frames[0]));
    Present();
    const std::vector<std::vector<std::uint8_t>> whole = Run(run, false, nullptr);
    std::vector<RedrawnArea> redrawn;
    const std::vector<std::vector<std::uint8_t>> kept = Run(run, true, &redrawn);
    for (std::size_t i = 0; i < run.size(); ++i) {
      SCOPED_TRACE(run[i].what);
      EXPECT_EQ(Differences(whole[i], kept[i], 0), 0);
      if (run[i].mostPixels == kWhole) {
        EXPECT_EQ(redrawn[i].pixels, kWhole);
      } else {
        EXPECT_LE(redrawn[i].pixels, run[i].mostPixels);
        EXPECT_EQ(redrawn[i].Empty(), run[i].mostPixels == 0);
        if (run[i].mostPixels <= kWhole / 3 && run[i].particles != run[i - 1].particles) {
          EXPECT_GT(redrawn[i].rectangles, 1) << "particles apart, drawn apart";
        }
      }
    }
  }
};

TEST_F(KeptFrameTest, FramesDrawnWhereTheyChangedMatchFramesDrawnWhole) {
  ExpectKeptFramesDrawTheSamePictures();
}

using KeptFrameScaledTest = InALargerWindow<KeptFrameTest>;

// The off-screen target keeps the last picture when the window is larger than the back buffer.
TEST_F(KeptFrameScaledTest, FramesDrawnWhereTheyChangedMatchFramesDrawnWholeOffScreen) {
  ExpectKeptFramesDrawTheSamePictures();
}

// A plain surface in system memory blitted to the primary surface is shown as it is, stretched over the
// screen, without the device; the device's next frame covers it. Both ways a picture reaches the window
// are tried: straight through the X server, and through OpenGL as with other video drivers.
class PlainSurfaceTest : public FrameReplayTest {
 protected:
  void TearDown() override {
    SetPlainSurfacesThroughX(true);
    FrameReplayTest::TearDown();
  }

  // A quarter-screen picture in quadrants of four colours, in the given format.
  IDirectDrawSurface7* Quadrants(const DDPIXELFORMAT& format) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.dwWidth = kWidth / 2;
    d.dwHeight = kHeight / 2;
    d.ddpfPixelFormat = format;
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&d, &surface, nullptr), DD_OK);
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    EXPECT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    const DWORD bytes = format.dwRGBBitCount / 8;
    for (DWORD y = 0; y < d.dwHeight; ++y) {
      for (DWORD x = 0; x < d.dwWidth; ++x) {
        const int quadrant = (x < d.dwWidth / 2 ? 0 : 1) + (y < d.dwHeight / 2 ? 0 : 2);
        const std::uint32_t colour = kColours[quadrant];
        const DWORD value =
            ddraw::PackRGBA(format, static_cast<std::uint8_t>(colour >> 16),
                            static_cast<std::uint8_t>(colour >> 8), static_cast<std::uint8_t>(colour), 0xFF);
        std::memcpy(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * bytes, &value,
                    bytes);
      }
    }
    surface->Unlock(nullptr);
    return surface;
  }

  // The window's colour at the middle of each quadrant of the screen.
  std::vector<std::uint32_t> QuadrantMiddles() const {
    const sdltest::XPicture shown = sdltest::ReadXWindow(WindowFromHandle(window_->GetHandle()));
    EXPECT_EQ(shown.width, windowWidth_);
    EXPECT_EQ(shown.height, windowHeight_);
    if (shown.width != windowWidth_ || shown.height != windowHeight_)
      return {};
    std::vector<std::uint32_t> middles;
    for (int quadrant = 0; quadrant < 4; ++quadrant)
      middles.push_back(shown.At((2 * (quadrant % 2) + 1) * windowWidth_ / 4,
                                 (2 * (quadrant / 2) + 1) * windowHeight_ / 4));
    return middles;
  }

  void ExpectShownThenCovered() {
    struct Case {
      const char* name;
      DDPIXELFORMAT format;
      bool throughX;
    };
    const Case cases[] = {
        {"32-bit, X server", ddraw::FormatXRGB8888(), true},
        {"16-bit, X server", ddraw::FormatRGB565(), true},
        {"32-bit, OpenGL", ddraw::FormatXRGB8888(), false},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      SetPlainSurfacesThroughX(c.throughX);
      IDirectDrawSurface7* picture = Quadrants(c.format);
      const std::uint64_t clears = ClearsSent();
      RECT area{0, 0, kWidth, kHeight};
      ASSERT_EQ(primary_->Blt(&area, picture, nullptr, DDBLT_WAIT, nullptr), DD_OK);
      picture->Release();
      EXPECT_EQ(ClearsSent(), clears) << "the device drew";
      EXPECT_EQ(QuadrantMiddles(), std::vector<std::uint32_t>(std::begin(kColours), std::end(kColours)));

      // The device's next frame covers the picture everywhere.
      ASSERT_EQ(device_->BeginScene(), D3D_OK);
      ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF305070u, 1.0f, 0), D3D_OK);
      ASSERT_EQ(device_->EndScene(), D3D_OK);
      Present();
      EXPECT_EQ(QuadrantMiddles(), std::vector<std::uint32_t>(4, 0x305070u));
    }
  }

  // Quadrants from the top-left, in reading order; channels that 16 bits keep exactly.
  static constexpr std::uint32_t kColours[4] = {0xFF8200u, 0x4282FFu, 0x00FF00u, 0xFFFFFFu};
};

TEST_F(PlainSurfaceTest, IsShownStretchedWithoutTheDeviceUntilTheNextFrame) {
  ExpectShownThenCovered();
}

using PlainSurfaceScaledTest = InALargerWindow<PlainSurfaceTest>;

TEST_F(PlainSurfaceScaledTest, IsShownStretchedOverTheScaledScreen) {
  ExpectShownThenCovered();
}

// Windows made one after another, each gone before the next comes, as a program that closes its window
// and opens another does. They are large enough that the driver's buffers for each come fresh from the
// system rather than from the last window's memory.
class WindowAfterWindowTest : public DeviceFixture {
 protected:
  static constexpr int kSide = 400;

  WindowAfterWindowTest() {
    windowWidth_ = kSide;
    windowHeight_ = kSide;
  }

  // The pixel at (x, y) of the framebuffer bound for drawing, as 0xRRGGBB.
  static std::uint32_t Pixel(int x, int y) {
    std::uint8_t rgba[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return (rgba[0] << 16) | (rgba[1] << 8) | rgba[2];
  }
};

// Each window's frame clears its own depth buffer and draws a depth-tested quad over it, also when the
// system hands a new window the address of one that is gone (the rounds go on until it does, at most
// twelve): nothing the display knew of the old window's buffers holds for the new one's.
TEST_F(WindowAfterWindowTest, EachDrawsWithADepthBufferOfItsOwn) {
  std::set<SDL_Window*> seen;
  bool addressCameBack = false;
  for (int round = 0; round < 12 && !addressCameBack; ++round) {
    SCOPED_TRACE(testing::Message() << "window " << round);
    ASSERT_NO_FATAL_FAILURE(OpenDevice(kSide, kSide));
    addressCameBack = !seen.insert(WindowFromHandle(window_->GetHandle())).second;
    D3DVIEWPORT7 whole{0, 0, kSide, kSide, 0.0f, 1.0f};
    ASSERT_EQ(device_->SetViewport(&whole), D3D_OK);
    D3DMATRIX identity = Identity();
    device_->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &identity);
    device_->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
    device_->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
    device_->SetRenderState(D3DRENDERSTATE_LIGHTING, FALSE);
    device_->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
    device_->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESS);
    // Tested, not written: the depth buffer holds the clear's value when the window goes.
    device_->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
    device_->SetTexture(0, nullptr);
    std::vector<std::uint8_t> quad = Pack(Quad(-1, -1, 1, 1, 0.5f, 0xFF30C060u), D3DFVF_XYZ | D3DFVF_DIFFUSE);
    WORD indices[] = {0, 1, 2, 0, 2, 3};
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_XYZ | D3DFVF_DIFFUSE, quad.data(), 4,
                                            indices, 6, 0),
              D3D_OK);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    EXPECT_EQ(Pixel(kSide / 2, kSide / 2), 0x30C060u);
    EXPECT_EQ(Pixel(2, 2), 0x30C060u);
    RECT area{0, 0, kSide, kSide};
    EXPECT_EQ(primary_->Blt(&area, back_, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    CloseDevice();
  }
}

}  // namespace
}  // namespace platform::sdl
