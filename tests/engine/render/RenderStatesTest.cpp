// The state cache and how each cached state reaches the device: tolerance, force, the default state
// sequence, the enumeration tables, anisotropy limits, scenes, clearing and indexed drawing.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "RenderFixture.h"
#include "engine/render/Image.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"

namespace CorvantisEngine::testkit {
namespace {

using StatesTest = RenderFixture;

Matrix4 Offset(float delta) {
  Matrix4 m;
  m.m[7] += delta;
  return m;
}

TEST_F(StatesTest, SettersSkipUnchangedValuesWithinTheToleranceUnlessForced) {
  RenderSystem_D3D7& render = Make();
  struct Row {
    const char* why;
    std::function<void(float)> set;  // applies a value that differs from the cached one by delta
    const char* call;
    DWORD a;
  };
  const Row rows[] = {
      {"world matrix", [&](float d) { render.SetWorldMatrix(Offset(d)); }, "SetTransform",
       D3DTRANSFORMSTATE_WORLD},
      {"view matrix", [&](float d) { render.SetViewMatrix(Offset(d)); }, "SetTransform",
       D3DTRANSFORMSTATE_VIEW},
      {"ambient", [&](float d) { render.SetAmbientColor(Vector4(0.0f, d, 0.0f, 1.0f)); }, "SetRenderState",
       D3DRENDERSTATE_AMBIENT},
      {"texture matrix", [&](float d) { render.SetTextureMatrix(1, 1.0f, 1.0f, d, 0.0f); }, "SetTransform",
       D3DTRANSFORMSTATE_TEXTURE1},
  };
  for (const Row& row : rows) {
    display_->ClearCalls();
    row.set(0.0001f);
    EXPECT_EQ(display_->CountCalls(row.call, row.a), 0) << row.why << ": 0.0001 is no change";
    row.set(0.0003f);
    EXPECT_EQ(display_->CountCalls(row.call, row.a), 1) << row.why << ": 0.0002 more is a change";
    row.set(0.0003f);
    EXPECT_EQ(display_->CountCalls(row.call, row.a), 1) << row.why << ": the same value again";
    render.force = true;
    row.set(0.0003f);
    render.force = false;
    EXPECT_EQ(display_->CountCalls(row.call, row.a), 2) << row.why << ": forced";
  }

  struct Switch {
    const char* why;
    std::function<void(bool)> set;
    D3DRENDERSTATETYPE state;
  };
  const Switch switches[] = {
      {"lighting", [&](bool v) { render.SetLighting(v); }, D3DRENDERSTATE_LIGHTING},
      {"normalize", [&](bool v) { render.SetNormalizeNormals(v); }, D3DRENDERSTATE_NORMALIZENORMALS},
      {"z", [&](bool v) { render.SetZ(v); }, D3DRENDERSTATE_ZENABLE},
      {"z write", [&](bool v) { render.SetZWrite(!v); }, D3DRENDERSTATE_ZWRITEENABLE},
      {"stencil", [&](bool v) { render.SetStencil(v); }, D3DRENDERSTATE_STENCILENABLE},
      {"alpha blend", [&](bool v) { render.SetAlphaBlend(v); }, D3DRENDERSTATE_ALPHABLENDENABLE},
      {"cull", [&](bool v) { render.SetCullMode(v ? 2 : 0); }, D3DRENDERSTATE_CULLMODE},
  };
  for (const Switch& s : switches) {
    display_->ClearCalls();
    s.set(false);
    EXPECT_EQ(display_->CountCalls("SetRenderState", s.state), 0) << s.why << " starts at its default";
    s.set(true);
    s.set(true);
    EXPECT_EQ(display_->CountCalls("SetRenderState", s.state), 1) << s.why;
  }

  display_->ClearCalls();
  render.SetBlend(4, 5);
  render.SetBlend(4, 5);
  EXPECT_EQ(display_->CountCalls("SetRenderState", D3DRENDERSTATE_SRCBLEND), 1) << "one update for the pair";
  EXPECT_EQ(display_->CountCalls("SetRenderState", D3DRENDERSTATE_DESTBLEND), 1);
  render.SetBlend(4, 6);
  EXPECT_EQ(display_->CountCalls("SetRenderState", D3DRENDERSTATE_SRCBLEND), 2)
      << "either factor changes both";
}

TEST_F(StatesTest, DefaultStatesReachTheDeviceInOrder) {
  RenderSystem_D3D7& render = Make(true);
  ASSERT_TRUE(render.IsReady());
  ASSERT_TRUE(render.IsStencilPresent());
  display_->ClearCalls();
  render.SetDefaultStates();
  const std::vector<platform::headless::RecordedCall> calls = display_->Calls();
  ASSERT_GE(calls.size(), 6u);
  EXPECT_EQ(calls[0].name, "SetMaterial");
  EXPECT_EQ(calls[1].name, "SetTransform");
  EXPECT_EQ(calls[1].a, D3DTRANSFORMSTATE_VIEW);
  EXPECT_EQ(calls[2].a, D3DTRANSFORMSTATE_WORLD);
  EXPECT_EQ(calls[3].a, D3DRENDERSTATE_AMBIENT);
  EXPECT_EQ(calls[4].a, D3DRENDERSTATE_ALPHABLENDENABLE);
  EXPECT_EQ(calls[5].a, D3DRENDERSTATE_SRCBLEND);

  D3DMATERIAL7 material{};
  render.GetDevice()->GetMaterial(&material);
  EXPECT_FLOAT_EQ(material.ambient.r, 0.6f);
  EXPECT_FLOAT_EQ(material.diffuse.g, 1.0f);
  EXPECT_FLOAT_EQ(material.emissive.a, 1.0f);

  struct Expect {
    D3DRENDERSTATETYPE state;
    DWORD value;
  };
  const Expect states[] = {
      {D3DRENDERSTATE_CULLMODE, D3DCULL_NONE},
      {D3DRENDERSTATE_LIGHTING, FALSE},
      {D3DRENDERSTATE_ZENABLE, D3DZB_FALSE},
      {D3DRENDERSTATE_ZWRITEENABLE, TRUE},
      {D3DRENDERSTATE_STENCILENABLE, FALSE},
      {D3DRENDERSTATE_ALPHABLENDENABLE, FALSE},
      {D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE},
      {D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE},
      {D3DRENDERSTATE_AMBIENT, 0xFF000000u},
      {D3DRENDERSTATE_COLORVERTEX, TRUE},
      {D3DRENDERSTATE_ZFUNC, D3DCMP_LESS},
      {D3DRENDERSTATE_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1},
      {D3DRENDERSTATE_STENCILFUNC, D3DCMP_EQUAL},
      {D3DRENDERSTATE_STENCILPASS, D3DSTENCILOP_INCR},
      {D3DRENDERSTATE_STENCILFAIL, D3DSTENCILOP_KEEP},
      {D3DRENDERSTATE_STENCILMASK, 0xFFFFFFFFu},
  };
  for (const Expect& e : states) {
    EXPECT_EQ(RenderState(e.state), e.value) << "render state " << e.state;
  }
  for (DWORD stage = 0; stage < render.GetTextureStageCount(); ++stage) {
    EXPECT_EQ(StageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS), D3DTTFF_COUNT2);
    EXPECT_EQ(StageState(stage, D3DTSS_TEXCOORDINDEX), 0u);
    EXPECT_EQ(StageState(stage, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(StageState(stage, D3DTSS_ALPHAARG2), D3DTA_DIFFUSE);
    EXPECT_EQ(StageState(stage, D3DTSS_ALPHAOP), stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE);
    EXPECT_EQ(StageState(stage, D3DTSS_ADDRESSU), D3DTADDRESS_WRAP);
    EXPECT_EQ(StageState(stage, D3DTSS_MAGFILTER), D3DTFG_LINEAR);
    EXPECT_EQ(StageState(stage, D3DTSS_MAXANISOTROPY), 1u);
  }
  EXPECT_FALSE(render.force) << "force is cleared again";
}

TEST_F(StatesTest, EnumerationTablesMapToDeviceValues) {
  RenderSystem_D3D7& render = Make();
  const std::pair<std::uint32_t, D3DBLEND> blends[] = {
      {0, D3DBLEND_ONE},          {1, D3DBLEND_ONE},          {2, D3DBLEND_DESTCOLOR},
      {3, D3DBLEND_INVDESTCOLOR}, {4, D3DBLEND_SRCALPHA},     {5, D3DBLEND_INVSRCALPHA},
      {6, D3DBLEND_DESTALPHA},    {7, D3DBLEND_INVDESTALPHA}, {8, D3DBLEND_SRCALPHASAT},
      {9, D3DBLEND_SRCCOLOR},     {10, D3DBLEND_INVSRCCOLOR}, {11, D3DBLEND_ZERO},
      {1000, D3DBLEND_ZERO},
  };
  for (const auto& [engine, device] : blends) {
    render.SetBlend(engine, engine);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_SRCBLEND), device) << "blend " << engine;
    EXPECT_EQ(RenderState(D3DRENDERSTATE_DESTBLEND), device) << "blend " << engine;
  }
  const std::pair<std::uint32_t, D3DCULL> culls[] = {
      {1, D3DCULL_CW}, {2, D3DCULL_CCW}, {3, D3DCULL_NONE}, {0, D3DCULL_NONE}};
  for (const auto& [engine, device] : culls) {
    render.SetCullMode(engine);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_CULLMODE), device) << "cull " << engine;
  }
  const std::pair<std::uint32_t, D3DTEXTUREADDRESS> addresses[] = {
      {0, D3DTADDRESS_CLAMP}, {1, D3DTADDRESS_WRAP}, {2, D3DTADDRESS_WRAP}, {7, D3DTADDRESS_WRAP}};
  for (const auto& [engine, device] : addresses) {
    render.SetTextureAdressU(0, engine == 1 ? 0 : 1);  // move away first so the value below is a change
    render.SetTextureAdressU(0, engine);
    render.SetTextureAdressV(1, engine == 1 ? 0 : 1);
    render.SetTextureAdressV(1, engine);
    EXPECT_EQ(StageState(0, D3DTSS_ADDRESSU), device) << "address " << engine;
    EXPECT_EQ(StageState(1, D3DTSS_ADDRESSV), device) << "address " << engine;
  }

  struct FilterRow {
    std::uint32_t filter;
    std::int32_t anisotropy;
    DWORD mag, min, mip;
  };
  const FilterRow filters[] = {
      {0, 1, D3DTFG_POINT, D3DTFN_POINT, D3DTFP_NONE},
      {1, 1, D3DTFG_LINEAR, D3DTFN_LINEAR, D3DTFP_NONE},
      {2, 1, D3DTFG_LINEAR, D3DTFN_LINEAR, D3DTFP_LINEAR},
      {2, 4, D3DTFG_ANISOTROPIC, D3DTFN_ANISOTROPIC, D3DTFP_LINEAR},
  };
  for (const FilterRow& f : filters) {
    config_->r_texture_anisotropy = f.anisotropy;
    render.Refresh();
    render.SetTextureFilter(0, 9);
    render.SetTextureFilter(0, f.filter);
    EXPECT_EQ(StageState(0, D3DTSS_MAGFILTER), f.mag)
        << "filter " << f.filter << " anisotropy " << f.anisotropy;
    EXPECT_EQ(StageState(0, D3DTSS_MINFILTER), f.min);
    EXPECT_EQ(StageState(0, D3DTSS_MIPFILTER), f.mip);
  }
  EXPECT_EQ(StageState(0, D3DTSS_MAXANISOTROPY), 4u) << "Refresh put the anisotropy on every stage";
  render.SetTextureFilter(0, 1);
  render.SetTextureFilter(0, 3);
  EXPECT_EQ(StageState(0, D3DTSS_MAGFILTER), D3DTFG_LINEAR)
      << "an unknown filter leaves the device as it was";

  render.SetTextureMatrix(0, 0.25f, 0.5f, 0.75f, 0.125f);
  D3DMATRIX m{};
  render.GetDevice()->GetTransform(D3DTRANSFORMSTATE_TEXTURE0, &m);
  EXPECT_FLOAT_EQ(m._11, 0.25f);
  EXPECT_FLOAT_EQ(m._22, 0.5f);
  EXPECT_FLOAT_EQ(m._31, 0.75f) << "offset U in element 8";
  EXPECT_FLOAT_EQ(m._32, 0.125f) << "offset V in element 9";
  EXPECT_FLOAT_EQ(m._41, 0.0f);
}

TEST_F(StatesTest, MatricesReachTheDeviceInItsLayout) {
  RenderSystem_D3D7& render = Make();
  Matrix4 world;
  world.Translation(Vector3(1.0f, 2.0f, 3.0f));
  render.SetWorldMatrix(world);
  D3DMATRIX d{};
  render.GetDevice()->GetTransform(D3DTRANSFORMSTATE_WORLD, &d);
  EXPECT_FLOAT_EQ(d._41, 1.0f) << "the engine's column-vector translation becomes the device's row";
  EXPECT_FLOAT_EQ(d._43, 3.0f);

  Matrix4 view;
  for (int i = 0; i < 16; ++i) {
    view.m[i] = static_cast<float>(i + 1);
  }
  render.SetViewMatrix(view);
  render.GetDevice()->GetTransform(D3DTRANSFORMSTATE_VIEW, &d);
  const float* e = &d._11;
  for (int i = 0; i < 16; ++i) {
    const bool third = i == 2 || i == 6 || i == 10 || i == 14;
    EXPECT_FLOAT_EQ(e[i], third ? -(i + 1.0f) : (i + 1.0f)) << "element " << i;
  }
}

TEST_F(StatesTest, AnisotropyIsLimitedAndWrittenBack) {
  RenderSystem_D3D7& render = Make();
  const std::pair<std::int32_t, std::int32_t> rows[] = {{0, 1}, {-5, 1}, {1000, 16}, {8, 8}};
  for (const auto& [set, limited] : rows) {
    config_->r_texture_anisotropy = set;
    render.Refresh();
    EXPECT_EQ(config_->r_texture_anisotropy, limited) << set;
    EXPECT_EQ(StageState(render.GetTextureStageCount() - 1, D3DTSS_MAXANISOTROPY),
              static_cast<DWORD>(limited));
  }
}

TEST_F(StatesTest, ScenesClearWithThePackedColourAndOnlyWhenAsked) {
  RenderSystem_D3D7& render = Make(true);
  render.SetClearColour(Vector4(1.5f, 0.5f, -1.0f, 1.0f));
  display_->ClearCalls();
  render.BeginScene();
  render.EndScene();
  render.SwapBuffers();
  ASSERT_EQ(display_->CountCalls("Clear"), 1);
  const auto clear = display_->Calls()[0];
  EXPECT_EQ(clear.a, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
  EXPECT_EQ(clear.b, 0xFFFF7F00u) << "clamped to [0, 1], truncated after * 255";
  const std::vector<std::uint32_t> frame = display_->Frame();
  ASSERT_EQ(frame.size(), 800u * 600u);
  EXPECT_EQ(frame[0] & 0x00FFFFFFu, 0xFF7F00u) << "the presented frame is the cleared back buffer";
  EXPECT_TRUE(Entries(LogRecord::kError).empty());

  Image shot;
  render.CopyScreenToImage(&shot);
  ASSERT_EQ(shot.GetWidth(), 800u);
  ASSERT_EQ(shot.GetBitsPerPixel(), 24u);
  const std::uint8_t* pixel = shot.GetPixels();
  EXPECT_EQ(pixel[0], 0xFF);
  EXPECT_EQ(pixel[1], 0x7F);
  EXPECT_EQ(pixel[2], 0x00) << "the back buffer copied into an image, red first";

  render.SetClearFlags(0);
  display_->ClearCalls();
  render.BeginScene();
  render.EndScene();
  EXPECT_EQ(display_->CountCalls("Clear"), 0) << "clear flags 0 skip the clear, stencil too";
  EXPECT_EQ(display_->CountCalls("BeginScene"), 1);
}

// A picture shown before anything is drawn: the display is handed a plain surface of the image's size,
// rows turned top-down, without a scene or a clear, its colours kept exactly in a 16-bit mode as well.
class ImageToScreenTest : public RenderFixture, public testing::WithParamInterface<const char*> {};

TEST_P(ImageToScreenTest, AnImageIsShownOnTheScreenWithoutDrawing) {
  SetDesktop(1024, 768);
  config_->v_mode = GetParam();
  config_->v_fullscreen = 1;
  RenderSystem_D3D7& render = Make();
  ASSERT_EQ(render.GetBackBufferDescription().ddpfPixelFormat.dwRGBBitCount,
            std::string(GetParam()).ends_with("x16") ? 16u : 32u);
  Image image;
  image.Create(nullptr, 3, 2, 24);
  // Bottom row: red, green, blue; top row: white, a grey and a dark teal no 16-bit pixel holds.
  const std::uint8_t pixels[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 129, 129, 129, 25, 65, 58};
  std::copy(std::begin(pixels), std::end(pixels), image.GetPixels());
  display_->ClearCalls();
  render.CopyImageToScreen(image);
  EXPECT_EQ(display_->CountCalls("Clear"), 0);
  EXPECT_EQ(display_->CountCalls("BeginScene"), 0);
  ASSERT_EQ(display_->Presents().size(), 1u);
  ASSERT_EQ(display_->FrameWidth(), 3u);
  ASSERT_EQ(display_->FrameHeight(), 2u);
  std::vector<std::uint32_t> shown = display_->Frame();
  for (std::uint32_t& pixel : shown)
    pixel &= 0xFFFFFFu;
  EXPECT_EQ(shown, (std::vector<std::uint32_t>{0xFFFFFF, 0x818181, 0x19413A, 0xFF0000, 0x00FF00, 0x0000FF}));
  EXPECT_TRUE(Entries(LogRecord::kError).empty());

  display_->ClearCalls();
  render.CopyImageToScreen(Image());
  EXPECT_TRUE(display_->Presents().empty()) << "an empty image shows nothing";
}

INSTANTIATE_TEST_SUITE_P(Modes, ImageToScreenTest, testing::Values("800x600x32", "800x600x16"));

TEST_F(StatesTest, IndexedDrawsPassFormatCountsAndIndexWidth) {
  RenderSystem_D3D7& render = Make();
  std::unique_ptr<VertexBuffer> plain(render.CreateVertexBuffer(0, 0, 70000));
  std::unique_ptr<VertexBuffer> coloured(render.CreateVertexBuffer(0, 1, 16));
  std::unique_ptr<IndexBuffer> narrow(render.CreateIndexBuffer(0, 6));
  std::unique_ptr<IndexBuffer> wide(render.CreateIndexBuffer(0, 65536));
  const std::uint32_t indices[] = {5, 9, 7, 6, 8, 12};
  narrow->SetIndices(0, 6, indices);
  std::vector<std::uint32_t> many(65536, 0);
  many[100] = 69999;
  wide->SetIndices(0, 65536, many.data());

  render.BeginScene();
  render.DrawIndexedPrimitive(0, narrow.get(), coloured.get(), 2);
  render.DrawIndexedPrimitive(1, narrow.get(), coloured.get(), 3);
  render.DrawIndexedPrimitive(0, wide.get(), plain.get(), 34);
  render.EndScene();
  const auto draws = display_->Draws();
  ASSERT_EQ(draws.size(), 3u);
  EXPECT_EQ(draws[0].primitiveType, D3DPT_TRIANGLELIST);
  EXPECT_EQ(draws[0].vertexFormat, 0x152u);
  EXPECT_EQ(draws[0].indexCount, 6u);
  EXPECT_EQ(draws[0].vertexCount, 13u) << "smallest index 5 plus range 8";
  EXPECT_EQ(draws[1].primitiveType, D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(draws[1].indexCount, 5u) << "a strip of 3 triangles";
  EXPECT_EQ(draws[2].vertexFormat, 0x112u);
  EXPECT_TRUE(draws[2].wideIndices) << "65,536 indices are drawn as 32-bit";
  ASSERT_EQ(draws[2].indices.size(), 102u);
  EXPECT_EQ(draws[2].indices[100], 69999u);
  EXPECT_TRUE(Entries(LogRecord::kError).empty());
}

TEST_F(StatesTest, DrawsOutsideTheBuffersAreRefusedAndLogged) {
  RenderSystem_D3D7& render = Make();
  std::unique_ptr<VertexBuffer> vertices(render.CreateVertexBuffer(0, 0, 3));
  std::unique_ptr<IndexBuffer> indices(render.CreateIndexBuffer(0, 3));
  const std::uint32_t pastTheEnd[] = {0, 1, 7};
  indices->SetIndices(0, 3, pastTheEnd);
  render.BeginScene();
  render.DrawIndexedPrimitive(0, indices.get(), vertices.get(), 1);
  const std::uint32_t inside[] = {0, 1, 2};
  indices->SetIndices(0, 3, inside);
  render.DrawIndexedPrimitive(0, indices.get(), vertices.get(), 2);  // 6 indices from a buffer of 3
  render.EndScene();
  EXPECT_TRUE(display_->Draws().empty());
  EXPECT_EQ(Entries(LogRecord::kError).size(), 2u);
  EXPECT_TRUE(Logged(LogRecord::kError,
                     "Direct3D Subsystem (RenderSystem_D3D7::DrawIndexedPrimitive): One or more "
                     "of the parameters passed to the method are incorrect."));
  render.EndScene();
  EXPECT_TRUE(
      Logged(LogRecord::kError, "Direct3D Subsystem (RenderSystem_D3D7::EndScene): Unknown error (Code: -"))
      << "a second EndScene is refused by the device, reported, and nothing stops";
}

}  // namespace
}  // namespace CorvantisEngine::testkit
