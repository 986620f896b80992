#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "SceneFixture.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"

namespace CorvantisEngine::scenetest {
namespace {

using BufferTest = SceneFixture;

std::uint32_t U32At(const std::uint8_t* bytes) {
  std::uint32_t value;
  std::memcpy(&value, bytes, 4);
  return value;
}

TEST_F(BufferTest, ColourPackingTable) {
  std::unique_ptr<VertexBuffer> buffer(render_->CreateVertexBuffer(0, 1, 1));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Row {
    Vector4 rgba;
    std::uint32_t packed;
    const char* why;
  };
  const Row rows[] = {
      {{1.5f, 0.5f, -0.2f, 1.0f}, 0xFFFF8000u, "clamped above and below, half rounds up to 128"},
      {{0.2f, 0.4f, 0.6f, 0.8f}, 0xCC336699u, "rounded to nearest, alpha in the top byte"},
      {{0.0f, 0.0f, 0.0f, 0.0f}, 0x00000000u, "zero"},
      {{1.0f, 1.0f, 1.0f, 1.0f}, 0xFFFFFFFFu, "one"},
      {{0.001f, 0.002f, 0.998f, 1.0f}, 0xFF0001FEu, "tiny values round to 0 or 1"},
      {{nan, 1.0f, 1.0f, 1.0f}, 0xFF00FFFFu, "NaN packs as 0"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(buffer->FloatsToColour(row.rgba), row.packed) << row.why;
  }

  // Every byte value survives unpacking and packing again, in every channel.
  for (std::uint32_t value = 0; value < 256; ++value) {
    for (int shift : {0, 8, 16, 24}) {
      const std::uint32_t packed = value << shift;
      ASSERT_EQ(buffer->FloatsToColour(buffer->ColourToFloats(packed)), packed) << std::hex << packed;
    }
  }
  const Vector4 mixed = buffer->ColourToFloats(0x40336699u);
  EXPECT_NEAR(mixed.x, 0.2f, 1e-6f);
  EXPECT_NEAR(mixed.y, 0.4f, 1e-6f);
  EXPECT_NEAR(mixed.z, 0.6f, 1e-6f);
  EXPECT_NEAR(mixed.w, 64.0f / 255.0f, 1e-6f);

  const Vector4 white = buffer->GetVertexColour(0);
  EXPECT_FLOAT_EQ(white.x + white.y + white.z + white.w, 4.0f) << "a coloured buffer starts opaque white";
}

// Three vertices whose every float differs, in the plain layout.
std::unique_ptr<VertexBuffer> PlainFixture(RenderSystem& render) {
  std::unique_ptr<VertexBuffer> plain(render.CreateVertexBuffer(0, 0, 3));
  Vertex* v = plain->LockVertices(0, 3);
  for (int i = 0; i < 3; ++i) {
    const float b = 10.0f * static_cast<float>(i);
    v[i] = Vertex{b + 1, b + 2, b + 3, b + 4, b + 5, b + 6, b + 7, b + 8};
  }
  plain->Unlock();
  return plain;
}

TEST_F(BufferTest, LayoutConversionIsByteExact) {
  std::unique_ptr<VertexBuffer> plain = PlainFixture(*render_);
  ASSERT_EQ(plain->GetStride(), 32u);

  std::unique_ptr<VertexBuffer> coloured(render_->CreateVertexBufferFromData(1, 1, plain.get()));
  ASSERT_EQ(coloured->GetStride(), 36u);
  ASSERT_EQ(coloured->GetVertexCount(), 3u);
  EXPECT_EQ(coloured->GetUsage(), 1u);
  for (std::size_t i = 0; i < 3; ++i) {
    const std::uint8_t* from = plain->GetData() + 32 * i;
    const std::uint8_t* to = coloured->GetData() + 36 * i;
    EXPECT_EQ(std::memcmp(to, from, 24), 0) << "position and normal of vertex " << i;
    EXPECT_EQ(U32At(to + 24), 0xFFFFFFFFu) << "opaque white at bytes 24-27";
    EXPECT_EQ(std::memcmp(to + 28, from + 24, 8), 0) << "u and v at bytes 28-35";
  }

  // Back to plain: the colour goes, every other byte is the original.
  ColouredVertex* cv = coloured->LockColouredVertices(1, 1);
  EXPECT_EQ(reinterpret_cast<std::uint8_t*>(cv), coloured->GetData() + 36);
  cv->colour = 0x12345678u;
  coloured->Unlock();
  std::unique_ptr<VertexBuffer> again(render_->CreateVertexBufferFromData(0, 0, coloured.get()));
  ASSERT_EQ(again->GetStride(), 32u);
  EXPECT_EQ(std::memcmp(again->GetData(), plain->GetData(), 3 * 32), 0);

  // Same layout, and the exact copy: every byte, colours included.
  std::unique_ptr<VertexBuffer> same(render_->CreateVertexBufferFromData(0, 1, coloured.get()));
  EXPECT_EQ(std::memcmp(same->GetData(), coloured->GetData(), 3 * 36), 0);
  std::unique_ptr<VertexBuffer> copy(render_->CopyVertexBuffer(coloured.get()));
  EXPECT_EQ(copy->GetUsage(), 1u);
  EXPECT_EQ(copy->HasColour(), 1u);
  EXPECT_EQ(std::memcmp(copy->GetData(), coloured->GetData(), 3 * 36), 0);
  const Vector4 read = copy->GetVertexColour(1);
  EXPECT_NEAR(read.w, 0x12 / 255.0f, 1e-6f);
  EXPECT_NEAR(read.z, 0x78 / 255.0f, 1e-6f);
}

TEST_F(BufferTest, SetColourTouchesOnlyTheColourBytes) {
  std::unique_ptr<VertexBuffer> plain = PlainFixture(*render_);
  std::unique_ptr<VertexBuffer> coloured(render_->CreateVertexBufferFromData(0, 1, plain.get()));
  std::vector<std::uint8_t> before(coloured->GetData(), coloured->GetData() + 3 * 36);
  coloured->SetColour(Vector4(0.2f, 0.4f, 0.6f, 0.8f));
  EXPECT_FALSE(coloured->IsLocked());
  for (std::size_t i = 0; i < 3; ++i) {
    const std::uint8_t* v = coloured->GetData() + 36 * i;
    EXPECT_EQ(U32At(v + 24), 0xCC336699u);
    EXPECT_EQ(std::memcmp(v, before.data() + 36 * i, 24), 0);
    EXPECT_EQ(std::memcmp(v + 28, before.data() + 36 * i + 28, 8), 0);
  }

  std::vector<std::uint8_t> plainBefore(plain->GetData(), plain->GetData() + 3 * 32);
  plain->SetColour(Vector4(0.0f, 0.0f, 0.0f, 0.0f));
  EXPECT_EQ(std::memcmp(plain->GetData(), plainBefore.data(), 3 * 32), 0);
  EXPECT_FLOAT_EQ(plain->GetVertexColour(0).x, 1.0f) << "a plain buffer reads as white";
}

TEST_F(BufferTest, IndexWidthAtTheBoundary) {
  struct Row {
    std::uint32_t capacity;
    bool wide;
  };
  for (const Row& row : {Row{1, false}, Row{65535, false}, Row{65536, true}, Row{70000, true}}) {
    std::unique_ptr<IndexBuffer> buffer(render_->CreateIndexBuffer(0, row.capacity));
    EXPECT_EQ(buffer->IsWide(), row.wide) << row.capacity;
    EXPECT_EQ(buffer->GetIndexSize(), row.wide ? 4u : 2u) << row.capacity;
    EXPECT_EQ(buffer->GetIndexCount(), row.capacity);
  }

  // A 32-bit buffer keeps values a 16-bit one would cut, and its range covers them.
  std::unique_ptr<IndexBuffer> wide(render_->CreateIndexBuffer(0, 65536));
  const std::uint32_t values[] = {70000, 65536, 100000};
  wide->SetIndices(10, 3, values);
  EXPECT_EQ(U32At(wide->GetData() + 4 * 10), 70000u);
  wide->SetIndexCount(0);
  wide->SetIndices(0, 3, values);
  wide->SetIndexCount(3);
  EXPECT_EQ(wide->GetMinIndex(), 65536u);
  EXPECT_EQ(wide->GetIndexRange(), 34465u);

  // A 16-bit buffer keeps the low 16 bits of a value it cannot hold.
  std::unique_ptr<IndexBuffer> narrow(render_->CreateIndexBuffer(0, 65535));
  narrow->SetIndices(0, 1, values);
  EXPECT_EQ(reinterpret_cast<const std::uint16_t*>(narrow->GetData())[0], 4464u);
}

TEST_F(BufferTest, WritesAndReadsPastTheEndStayInside) {
  std::unique_ptr<IndexBuffer> indices(render_->CreateIndexBuffer(0, 4));
  const std::uint32_t zeros[] = {0, 0, 0, 0};
  indices->SetIndices(0, 4, zeros);
  const std::uint32_t values[] = {1, 2, 3, 4, 5, 6};
  indices->SetIndices(2, 6, values);  // only 1 and 2 fit
  indices->SetIndices(9, 6, values);  // nothing fits
  const auto* narrow = reinterpret_cast<const std::uint16_t*>(indices->GetData());
  EXPECT_EQ(narrow[0], 0u);
  EXPECT_EQ(narrow[2], 1u);
  EXPECT_EQ(narrow[3], 2u);
  EXPECT_EQ(indices->GetIndexRange(), 3u);

  std::unique_ptr<VertexBuffer> vertices(render_->CreateVertexBuffer(0, 1, 2));
  vertices->SetColour(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
  EXPECT_FLOAT_EQ(vertices->GetVertexColour(1).x, 0.0f);
  EXPECT_FLOAT_EQ(vertices->GetVertexColour(2).x, 1.0f) << "past the last vertex reads as white";
}

TEST_F(BufferTest, RangeCacheFollowsLocksAndCounts) {
  std::unique_ptr<IndexBuffer> buffer(render_->CreateIndexBuffer(0, 4));
  const std::uint32_t values[] = {5, 9, 7, 6};
  buffer->SetIndices(0, 4, values);
  EXPECT_EQ(buffer->GetMinIndex(), 5u);
  EXPECT_EQ(buffer->GetIndexRange(), 5u);

  // Writing through a lock is seen at the next query.
  auto* narrow = reinterpret_cast<std::uint16_t*>(buffer->Lock(1, 1));
  *narrow = 2;
  buffer->Unlock();
  EXPECT_EQ(buffer->GetMinIndex(), 2u);
  EXPECT_EQ(buffer->GetIndexRange(), 6u);

  // Only the indices in use count.
  buffer->SetIndexCount(1);
  EXPECT_EQ(buffer->GetMinIndex(), 5u);
  EXPECT_EQ(buffer->GetIndexRange(), 1u);

  // A count beyond the capacity is clamped: the scan never leaves the array.
  buffer->SetIndexCount(1000);
  EXPECT_EQ(buffer->GetIndexCount(), 4u);
  EXPECT_EQ(buffer->GetIndexRange(), 6u);

  // Data copies keep width, capacity, count and bytes, take the new usage, and start with a fresh range.
  buffer->SetIndexCount(3);
  std::unique_ptr<IndexBuffer> copy(render_->CreateIndexBufferFromData(1, buffer.get()));
  EXPECT_EQ(copy->GetUsage(), 1u);
  EXPECT_EQ(copy->GetCapacity(), 4u);
  EXPECT_EQ(copy->GetIndexCount(), 3u);
  EXPECT_EQ(std::memcmp(copy->GetData(), buffer->GetData(), 4 * 2), 0);
  EXPECT_EQ(copy->GetMinIndex(), 2u);
  EXPECT_EQ(copy->GetIndexRange(), 6u);
  std::unique_ptr<IndexBuffer> same(render_->CopyIndexBuffer(buffer.get()));
  EXPECT_EQ(same->GetUsage(), 0u);
  EXPECT_EQ(same->GetIndexCount(), 3u);
  EXPECT_EQ(same->GetIndexRange(), 6u);
}

TEST_F(BufferTest, DrawPastTheVerticesIsSkippedAndLoggedOnce) {
  struct Row {
    const char* why;
    std::uint32_t capacity;
    std::vector<std::uint32_t> pastTheEnd;
  };
  const Row rows[] = {
      {"one index past the last vertex", 3, {0, 1, 4}},
      {"32-bit indices from 0 to the largest value: the range wraps to 0", 0x10000, {0, 1, 0xFFFFFFFFu}},
      {"only the largest 32-bit index: smallest index plus range wraps to 0",
       0x10000,
       {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    display_->ClearCalls();
    log_->ClearRecords();
    std::unique_ptr<VertexBuffer> vertices(render_->CreateVertexBuffer(0, 1, 4));
    std::unique_ptr<IndexBuffer> indices(render_->CreateIndexBuffer(0, row.capacity));
    indices->SetIndices(0, 3, row.pastTheEnd.data());
    indices->SetIndexCount(3);
    for (int frame = 0; frame < 3; ++frame) {
      render_->BeginScene();
      render_->DrawIndexedPrimitive(0, indices.get(), vertices.get(), 1);
      render_->EndScene();
    }
    EXPECT_TRUE(display_->Draws().empty());
    EXPECT_EQ(CountLogged(LogRecord::kError, "RenderSystem_D3D7::DrawIndexedPrimitive"), 1);

    // Mended indices draw again; the last vertex is reachable.
    const std::uint32_t inside[] = {1, 2, 3};
    indices->SetIndices(0, 3, inside);
    indices->SetIndexCount(3);
    render_->BeginScene();
    render_->DrawIndexedPrimitive(0, indices.get(), vertices.get(), 1);
    render_->EndScene();
    ASSERT_EQ(display_->Draws().size(), 1u);
    EXPECT_EQ(display_->Draws()[0].vertexCount, 4u);
  }
}

}  // namespace
}  // namespace CorvantisEngine::scenetest
