// Vertex and index buffers: layouts, colour packing, index width and the range cache, conversions.
#include "RenderFixture.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"

namespace CorvantisEngine::testkit {
namespace {

using BuffersTest = RenderFixture;

TEST_F(BuffersTest, ColourPacking) {
  RenderSystem_D3D7& render = Make();
  std::unique_ptr<VertexBuffer> buffer(render.CreateVertexBuffer(0, 1, 2));
  EXPECT_EQ(buffer->GetStride(), 36u);
  EXPECT_EQ(buffer->FloatsToColour(Vector4(1.5f, 0.5f, -0.2f, 1.0f)), 0xFFFF8000u);
  const Vector4 back = buffer->ColourToFloats(0x80FF0000u);
  EXPECT_FLOAT_EQ(back.x, 1.0f);
  EXPECT_FLOAT_EQ(back.y, 0.0f);
  EXPECT_NEAR(back.w, 0.502f, 0.001f);
  const Vector4 white = buffer->GetVertexColour(1);
  EXPECT_FLOAT_EQ(white.x + white.y + white.z + white.w, 4.0f) << "a coloured buffer starts opaque white";

  std::unique_ptr<VertexBuffer> plain(render.CreateVertexBuffer(0, 0, 2));
  plain->LockVertices(0, 2)[1] = Vertex{1, 2, 3, 0, 0, 1, 0.5f, 0.25f};
  plain->Unlock();
  plain->SetColour(Vector4(0.0f, 0.0f, 0.0f, 0.0f));
  EXPECT_FLOAT_EQ(plain->GetVertexColour(0).x, 1.0f) << "a plain buffer has no colour to set";
  std::unique_ptr<VertexBuffer> converted(render.CreateVertexBufferFromData(1, 1, plain.get()));
  const ColouredVertex* v = converted->LockColouredVertices(0, 2);
  EXPECT_EQ(v[1].colour, 0xFFFFFFFFu);
  EXPECT_FLOAT_EQ(v[1].z, 3.0f);
  EXPECT_FLOAT_EQ(v[1].v, 0.25f);
  converted->Unlock();
  std::unique_ptr<VertexBuffer> backToPlain(render.CreateVertexBufferFromData(0, 0, converted.get()));
  EXPECT_FLOAT_EQ(backToPlain->LockVertices(0, 2)[1].u, 0.5f);
}

TEST_F(BuffersTest, IndexWidthAndRange) {
  RenderSystem_D3D7& render = Make();
  std::unique_ptr<IndexBuffer> narrow(render.CreateIndexBuffer(0, 65535));
  std::unique_ptr<IndexBuffer> wide(render.CreateIndexBuffer(0, 65536));
  EXPECT_FALSE(narrow->IsWide());
  EXPECT_TRUE(wide->IsWide());
  const std::uint32_t big[] = {70000};
  narrow->SetIndices(0, 1, big);
  EXPECT_EQ(reinterpret_cast<const std::uint16_t*>(narrow->GetData())[0], 4464u);

  std::unique_ptr<IndexBuffer> small(render.CreateIndexBuffer(0, 3));
  const std::uint32_t values[] = {5, 9, 7};
  small->SetIndices(0, 3, values);
  EXPECT_EQ(small->GetMinIndex(), 5u);
  EXPECT_EQ(small->GetIndexRange(), 5u);
  small->SetIndexCount(0);
  EXPECT_EQ(small->GetMinIndex(), 0u);
  EXPECT_EQ(small->GetIndexRange(), 0u);
  small->SetIndexCount(2);
  std::unique_ptr<IndexBuffer> copy(render.CopyIndexBuffer(small.get()));
  EXPECT_EQ(copy->GetIndexCount(), 2u);
  EXPECT_EQ(copy->GetIndexRange(), 5u) << "5 and 9";
}

}  // namespace
}  // namespace CorvantisEngine::testkit
