// What only pixels can show: quads drawn through the render system on the real OpenGL device in a real
// window, with the back buffer read back. Positions are given in clip space (identity matrices), depth
// 0..1, y up; row 0 of the read-back is the top of the screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "engine/render/HardwareInfo_D3D7.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"
#include "platform/ddraw/D3D.h"
#include "support/RenderRig.h"
#include "tests/support/LogProbe.h"

namespace CorvantisEngine {
namespace {

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0x0000FF;

class PixelTest : public ::testing::Test, public testsupport::RenderRig {
 protected:
  PixelTest() : RenderRig("640x480x32") { MakeWindow(); }

  void TearDown() override {
    quads_.reset();
    indices_.reset();
  }

  RenderSystem_D3D7& Make(bool stencil = false) {
    MakeRenderSystem(stencil);
    EXPECT_TRUE(render_->IsHardwareDevice());
    quads_.reset(render_->CreateVertexBuffer(0, 1, 4));
    indices_.reset(render_->CreateIndexBuffer(0, 6));
    const std::uint32_t order[] = {0, 1, 2, 0, 2, 3};
    indices_->SetIndices(0, 6, order);
    // The view update negates the third column (the camera looks down -z); undo that here so that
    // clip-space positions go through unchanged.
    Matrix4 view;
    view.m[10] = -1.0f;
    render_->SetViewMatrix(view);
    return *render_;
  }

  // A quad from (x0, y0) to (x1, y1) in clip space at depth z, wound clockwise on screen (top-left,
  // top-right, bottom-right, bottom-left) unless reversed; texture coordinates 0..u1, 0..v1.
  void Quad(float x0, float y0, float x1, float y1, float z, std::uint32_t argb, bool reversed = false,
            float u1 = 1.0f, float v1 = 1.0f) {
    ColouredVertex* v = quads_->LockColouredVertices(0, 4);
    v[0] = {x0, y1, z, 0, 0, -1, argb, 0, 0};
    v[1] = {x1, y1, z, 0, 0, -1, argb, u1, 0};
    v[2] = {x1, y0, z, 0, 0, -1, argb, u1, v1};
    v[3] = {x0, y0, z, 0, 0, -1, argb, 0, v1};
    if (reversed) {
      std::swap(v[1], v[3]);
    }
    quads_->Unlock();
    render_->DrawIndexedPrimitive(0, indices_.get(), quads_.get(), 2);
  }

  // The back buffer's pixel as 0xRRGGBB (row 0 at the top).
  std::uint32_t Pixel(int x, int y) {
    LPDIRECTDRAWSURFACE7 target = nullptr;
    EXPECT_EQ(render_->GetDevice()->GetRenderTarget(&target), D3D_OK);
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    EXPECT_EQ(target->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
    std::uint32_t value = 0;
    std::memcpy(&value, static_cast<std::uint8_t*>(d.lpSurface) + y * d.lPitch + x * 4, 4);
    target->Unlock(nullptr);
    target->Release();
    return value & 0xFFFFFF;
  }

  // A 32-bit texture surface filled row by row from 0xAARRGGBB values.
  IDirectDrawSurface7* Texture(DWORD width, DWORD height, const std::vector<std::uint32_t>& texels,
                               bool alpha = true) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = width;
    d.dwHeight = height;
    d.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    d.ddpfPixelFormat.dwFlags = DDPF_RGB | (alpha ? DDPF_ALPHAPIXELS : 0);
    d.ddpfPixelFormat.dwRGBBitCount = 32;
    d.ddpfPixelFormat.dwRBitMask = 0xFF0000;
    d.ddpfPixelFormat.dwGBitMask = 0xFF00;
    d.ddpfPixelFormat.dwBBitMask = 0xFF;
    d.ddpfPixelFormat.dwRGBAlphaBitMask = alpha ? 0xFF000000u : 0;
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(render_->GetDirectDraw()->CreateSurface(&d, &surface, nullptr), DD_OK);
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    EXPECT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < height; ++y) {
      std::memcpy(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch, &texels[y * width],
                  width * 4);
    }
    surface->Unlock(nullptr);
    return surface;
  }

  void Begin(std::uint32_t clearRgb = 0) {
    render_->SetClearColour(Vector4(((clearRgb >> 16) & 255) / 255.0f, ((clearRgb >> 8) & 255) / 255.0f,
                                    (clearRgb & 255) / 255.0f, 1.0f));
    render_->BeginScene();
  }

  void End() {
    render_->EndScene();
    render_->SwapBuffers();
  }

  std::unique_ptr<VertexBuffer> quads_;
  std::unique_ptr<IndexBuffer> indices_;
};

void ExpectNear(std::uint32_t actual, std::uint32_t expected, int tolerance, const char* why) {
  for (int shift : {16, 8, 0}) {
    const int a = static_cast<int>((actual >> shift) & 255);
    const int e = static_cast<int>((expected >> shift) & 255);
    EXPECT_LE(std::abs(a - e), tolerance)
        << why << ": got " << std::hex << actual << ", expected " << expected;
  }
}

TEST_F(PixelTest, ClearColourTheRightWayUpAndPresented) {
  RenderSystem_D3D7& render = Make();
  Begin(kBlue);
  Quad(-1, 0, 1, 1, 0.5f, 0xFFFF0000u);  // the upper half of the screen
  End();
  EXPECT_EQ(Pixel(320, 100), kRed) << "clip-space y up is the top of the screen";
  EXPECT_EQ(Pixel(320, 400), kBlue);
  EXPECT_TRUE(render.IsReady());
  EXPECT_EQ(testsupport::LogProbe(*log_).Errors(), std::vector<std::string>()) << "no error logged";
}

TEST_F(PixelTest, BlendFactors) {
  RenderSystem_D3D7& render = Make();
  struct Row {
    std::uint32_t source, destination;
    std::uint32_t expected;
    const char* why;
  };
  const Row rows[] = {
      {4, 5, 0x800080, "source alpha, inverse source alpha"},
      {1, 1, 0xFF00FF, "one, one adds"},
      {0, 11, 0xFF0000, "factor 0 is one; 11 and above are zero"},
      {11, 9, 0x000000, "zero, source colour: blue times red is black"},
      {11, 2, 0x0000FF, "zero, destination colour: blue times blue stays blue"},
  };
  for (const Row& row : rows) {
    Begin(kBlue);
    render.SetAlphaBlend(true);
    render.SetBlend(row.source, row.destination);
    Quad(-1, -1, 1, 1, 0.5f, 0x80FF0000u);
    End();
    ExpectNear(Pixel(320, 240), row.expected, 2, row.why);
  }
  render.SetAlphaBlend(false);
  Begin(kBlue);
  Quad(-1, -1, 1, 1, 0.5f, 0x00FF0000u);
  End();
  EXPECT_EQ(Pixel(320, 240), kRed) << "without blending alpha is ignored";
}

TEST_F(PixelTest, CullModes) {
  RenderSystem_D3D7& render = Make();
  struct Row {
    std::uint32_t cull;
    bool reversed;
    bool visible;
  };
  const Row rows[] = {{0, false, true}, {0, true, true},  {1, false, false},
                      {1, true, true},  {2, false, true}, {2, true, false}};
  for (const Row& row : rows) {
    Begin(kBlue);
    render.SetCullMode(row.cull);
    Quad(-1, -1, 1, 1, 0.5f, 0xFFFF0000u, row.reversed);
    End();
    EXPECT_EQ(Pixel(320, 240), row.visible ? kRed : kBlue)
        << "cull " << row.cull << " reversed " << row.reversed;
  }
}

TEST_F(PixelTest, DepthTestAndDepthWrite) {
  RenderSystem_D3D7& render = Make();
  Begin(kBlue);
  render.SetZ(true);
  render.SetZWrite(true);
  Quad(-1, -1, 1, 1, 0.2f, 0xFFFF0000u);
  Quad(-1, -1, 1, 1, 0.8f, 0xFF00FF00u);
  End();
  EXPECT_EQ(Pixel(320, 240), kRed) << "the farther quad is hidden";

  Begin(kBlue);
  render.SetZWrite(false);
  Quad(-1, -1, 1, 1, 0.2f, 0xFFFF0000u);
  Quad(-1, -1, 1, 1, 0.8f, 0xFF00FF00u);
  End();
  EXPECT_EQ(Pixel(320, 240), kGreen) << "the nearer quad wrote no depth";

  // The clear of the next frame resets depth even though depth writes are off.
  render.SetZWrite(true);
  Begin(kBlue);
  Quad(-1, -1, 1, 1, 0.2f, 0xFFFF0000u);
  End();
  render.SetZWrite(false);
  Begin(kBlue);
  Quad(-1, -1, 1, 1, 0.8f, 0xFF00FF00u);
  End();
  EXPECT_EQ(Pixel(320, 240), kGreen) << "depth was cleared with writes off";

  render.SetZ(false);
  Begin(kBlue);
  Quad(-1, -1, 1, 1, 0.2f, 0xFFFF0000u);
  Quad(-1, -1, 1, 1, 0.8f, 0xFF00FF00u);
  End();
  EXPECT_EQ(Pixel(320, 240), kGreen) << "no depth test: the last quad wins";
}

TEST_F(PixelTest, StencilDrawsEachPixelOnce) {
  RenderSystem_D3D7& render = Make(true);
  ASSERT_TRUE(render.IsStencilPresent());
  for (int frame = 0; frame < 2; ++frame) {
    Begin(kBlue);
    render.SetStencil(true);
    Quad(-1, -1, 0.5f, 1, 0.5f, 0xFFFF0000u);
    Quad(-0.5f, -1, 1, 1, 0.5f, 0xFF00FF00u);
    render.SetStencil(false);
    End();
    EXPECT_EQ(Pixel(320, 240), kRed) << "frame " << frame << ": the overlap keeps the first quad";
    EXPECT_EQ(Pixel(600, 240), kGreen) << "frame " << frame;
  }
}

TEST_F(PixelTest, TextureMatrixSelectsAFrame) {
  RenderSystem_D3D7& render = Make();
  IDirectDrawSurface7* sheet = Texture(2, 1, {0xFFFF0000u, 0xFF00FF00u});
  render.SetTextureFilter(0, 0);
  for (const auto& [offset, expected] : {std::pair{0.0f, kRed}, std::pair{0.5f, kGreen}}) {
    Begin(kBlue);
    render.SetTextureMatrix(0, 1.0f, 1.0f, offset, 0.0f);
    render.GetDevice()->SetTexture(0, sheet);
    Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu, false, 0.5f, 1.0f);
    End();
    EXPECT_EQ(Pixel(320, 240), expected) << "offset " << offset;
  }
  render.GetDevice()->SetTexture(0, nullptr);
  sheet->Release();
}

TEST_F(PixelTest, FiltersAndAlphaOfFormatsWithout) {
  RenderSystem_D3D7& render = Make();
  IDirectDrawSurface7* ramp = Texture(2, 1, {0xFF000000u, 0xFFFFFFFFu});
  struct Row {
    std::uint32_t filter;
    bool blended;
  };
  for (const Row& row : {Row{0, false}, Row{1, true}, Row{2, true}}) {
    Begin(kBlue);
    render.SetTextureFilter(0, row.filter);
    render.SetTextureAdressU(0, 0);
    render.GetDevice()->SetTexture(0, ramp);
    Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu);
    End();
    const std::uint32_t middle = Pixel(320, 240) & 0xFF;
    if (row.blended) {
      EXPECT_GT(middle, 0x40u) << "filter " << row.filter << " mixes the texels (one mip level is not black)";
      EXPECT_LT(middle, 0xC0u) << "filter " << row.filter;
    } else {
      EXPECT_TRUE(middle == 0 || middle == 0xFF) << "point filter picks a texel: " << middle;
    }
  }
  render.GetDevice()->SetTexture(0, nullptr);
  ramp->Release();

  // X8R8G8B8 with a zero top byte still samples alpha 1.
  IDirectDrawSurface7* opaque = Texture(1, 1, {0x0000FF00u}, false);
  Begin(kBlue);
  render.SetAlphaBlend(true);
  render.SetBlend(4, 5);
  render.GetDevice()->SetTexture(0, opaque);
  Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu);
  End();
  EXPECT_EQ(Pixel(320, 240), kGreen);
  render.GetDevice()->SetTexture(0, nullptr);
  opaque->Release();
}

TEST_F(PixelTest, MipLevelsAndASecondStage) {
  RenderSystem_D3D7& render = Make();
  // Three levels, each a colour of its own: a quad two pixels across shows the 4x4 texture's 2x2 level.
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_MIPMAPCOUNT;
  d.dwWidth = d.dwHeight = 4;
  d.dwMipMapCount = 3;
  d.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_MIPMAP | DDSCAPS_COMPLEX;
  d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  d.ddpfPixelFormat.dwFlags = DDPF_RGB;
  d.ddpfPixelFormat.dwRGBBitCount = 32;
  d.ddpfPixelFormat.dwRBitMask = 0xFF0000;
  d.ddpfPixelFormat.dwGBitMask = 0xFF00;
  d.ddpfPixelFormat.dwBBitMask = 0xFF;
  IDirectDrawSurface7* top = nullptr;
  ASSERT_EQ(render.GetDirectDraw()->CreateSurface(&d, &top, nullptr), DD_OK);
  IDirectDrawSurface7* level = top;
  level->AddRef();
  for (std::uint32_t colour : {kRed, kGreen, kBlue}) {
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    ASSERT_EQ(level->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < locked.dwHeight; ++y) {
      for (DWORD x = 0; x < locked.dwWidth; ++x) {
        std::memcpy(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch + 4 * x, &colour, 4);
      }
    }
    level->Unlock(nullptr);
    DDSCAPS2 caps{DDSCAPS_TEXTURE | DDSCAPS_MIPMAP, 0, 0, 0};
    IDirectDrawSurface7* next = nullptr;
    level->GetAttachedSurface(&caps, &next);
    level->Release();
    level = next;
  }
  Begin(kBlue);
  render.GetDevice()->SetTexture(0, top);
  render.GetDevice()->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_POINT);
  render.GetDevice()->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_POINT);
  render.GetDevice()->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTFP_POINT);
  Quad(0.0f, 0.0f, 4.0f / 640.0f, 4.0f / 480.0f, 0.5f, 0xFFFFFFFFu);
  End();
  EXPECT_EQ(Pixel(320, 239), kGreen) << "the second level";
  Begin(kBlue);
  Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu);
  End();
  EXPECT_EQ(Pixel(320, 240), kRed) << "magnified: the top level";

  // New pixels in a lower level alone reach the screen, with the texture still set.
  {
    DDSCAPS2 caps{DDSCAPS_TEXTURE | DDSCAPS_MIPMAP, 0, 0, 0};
    IDirectDrawSurface7* second = nullptr;
    ASSERT_EQ(top->GetAttachedSurface(&caps, &second), DD_OK);
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    ASSERT_EQ(second->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    const std::uint32_t yellow = 0xFFFF00;
    for (DWORD y = 0; y < locked.dwHeight; ++y) {
      for (DWORD x = 0; x < locked.dwWidth; ++x) {
        std::memcpy(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch + 4 * x, &yellow, 4);
      }
    }
    second->Unlock(nullptr);
    second->Release();
  }
  Begin(kBlue);
  Quad(0.0f, 0.0f, 4.0f / 640.0f, 4.0f / 480.0f, 0.5f, 0xFFFFFFFFu);
  End();
  EXPECT_EQ(Pixel(320, 239), 0xFFFF00u) << "the second level, changed";

  // A second stage modulates with its own texture; without one it passes the colour through.
  IDirectDrawSurface7* grey = Texture(1, 1, {0xFF808080u});
  Begin(kBlue);
  render.GetDevice()->SetTexture(1, grey);
  Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu);
  End();
  ExpectNear(Pixel(320, 240), 0x800000, 1, "red modulated by grey");
  render.GetDevice()->SetTexture(1, nullptr);
  Begin(kBlue);
  Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu);
  End();
  EXPECT_EQ(Pixel(320, 240), kRed) << "an empty second stage passes the colour through";
  render.GetDevice()->SetTexture(0, nullptr);
  grey->Release();
  top->Release();
}

TEST_F(PixelTest, ALitQuadWithNoLightsIsBlack) {
  RenderSystem_D3D7& render = Make();
  Begin(kBlue);
  render.SetLighting(true);
  Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu);
  End();
  EXPECT_EQ(Pixel(320, 240), 0u);

  D3DLIGHT7 light{};
  light.dltType = D3DLIGHT_DIRECTIONAL;
  light.dcvDiffuse.r = light.dcvDiffuse.g = light.dcvDiffuse.b = 1.0f;
  light.dvDirection.z = 1.0f;  // travelling into the screen, onto the quad's -z normal
  light.dvRange = D3DLIGHT_RANGE_MAX;
  render.GetDevice()->SetLight(0, &light);
  render.GetDevice()->LightEnable(0, TRUE);
  Begin(kBlue);
  Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu);
  End();
  ExpectNear(Pixel(320, 240), 0xFFFFFF, 3, "one white light straight on");
  render.GetDevice()->LightEnable(0, FALSE);
}

// The device sends OpenGL only what changed between draws; these draws change one thing each and show
// that nothing stale is left behind: a vertex colour, a texture's coordinates, the projection.
TEST_F(PixelTest, EachDrawShowsItsOwnStatesAfterAnother) {
  RenderSystem_D3D7& render = Make();
  std::unique_ptr<VertexBuffer> plain(render.CreateVertexBuffer(0, 0, 4));
  auto plainQuad = [&](float x0, float y0, float x1, float y1) {
    Vertex* v = plain->LockVertices(0, 4);
    v[0] = {x0, y1, 0.5f, 0, 0, -1, 0, 0};
    v[1] = {x1, y1, 0.5f, 0, 0, -1, 1, 0};
    v[2] = {x1, y0, 0.5f, 0, 0, -1, 1, 1};
    v[3] = {x0, y0, 0.5f, 0, 0, -1, 0, 1};
    plain->Unlock();
    render.DrawIndexedPrimitive(0, indices_.get(), plain.get(), 2);
  };
  IDirectDrawSurface7* green = Texture(1, 1, {0xFF00FF00u});
  D3DMATRIX identity{};
  identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
  D3DMATRIX half = identity;
  half._11 = half._22 = 0.5f;

  Begin(kBlue);
  Quad(-1, 0.5f, -0.5f, 1, 0.5f, 0xFFFF0000u);  // a red vertex colour, top left
  plainQuad(-0.5f, 0.5f, 0, 1);                 // no colours: white
  render.GetDevice()->SetTexture(0, green);
  plainQuad(0, 0.5f, 0.5f, 1);  // textured: green
  render.GetDevice()->SetTexture(0, nullptr);
  Quad(0.5f, 0.5f, 1, 1, 0.5f, 0xFF0000FFu | 0xFF00u);  // untextured again: its own cyan
  render.GetDevice()->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &half);
  Quad(-1, -1, 0, 0, 0.5f, 0xFFFF0000u);  // halved: from the centre to a quarter of the way down-left
  render.GetDevice()->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &identity);
  Quad(0, -1, 1, 0, 0.5f, 0xFFFFFFFFu);  // the projection back as it was: the bottom-right quarter
  End();

  struct Expected {
    int x, y;
    std::uint32_t rgb;
    const char* why;
  } expected[] = {
      {80, 60, kRed, "a coloured quad"},
      {240, 60, 0xFFFFFF, "a quad without colours after a coloured one is white"},
      {400, 60, kGreen, "a textured quad"},
      {560, 60, 0x00FFFF, "an untextured quad after a textured one"},
      {240, 300, kRed, "the halved projection"},
      {100, 400, kBlue, "beyond the halved quad"},
      {560, 400, 0xFFFFFF, "the projection set back"},
  };
  for (const Expected& e : expected) {
    EXPECT_EQ(Pixel(e.x, e.y), e.rgb) << e.why;
  }
  green->Release();
}

}  // namespace
}  // namespace CorvantisEngine
