#pragma once
// The Direct3D 7 forms of the buffers: plain memory arrays (the device draws from user memory), with the
// owning render system and Direct3D's packed-colour conversions.

#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"

namespace CorvantisEngine {

class RenderSystem_D3D7;

class VertexBuffer_D3D7 : public VertexBuffer {
 public:
  VertexBuffer_D3D7(RenderSystem_D3D7* renderSystem, std::uint32_t usage, std::uint32_t hasColour,
                    std::uint32_t vertexCount);
  ~VertexBuffer_D3D7() override = default;

  void Unlock() override { VertexBuffer::Unlock(); }
  void Reserved2() override { VertexBuffer::Reserved2(); }
  std::uint8_t* Lock(std::uint32_t first, std::uint32_t count) override {
    return VertexBuffer::Lock(first, count);
  }
  // r, g, b, a from the packed bytes times 1/255.
  Vector4 ColourToFloats(std::uint32_t packed) const override;
  // Each channel: 255 at 1 or more, 0 at 0 or less, else the truncation of c * 255 + 0.5.
  std::uint32_t FloatsToColour(const Vector4& rgba) const override;

 private:
  [[maybe_unused]] RenderSystem_D3D7* renderSystem_;  // not owned
};

class IndexBuffer_D3D7 : public IndexBuffer {
 public:
  IndexBuffer_D3D7(RenderSystem_D3D7* renderSystem, std::uint32_t usage, std::uint32_t capacity);
  ~IndexBuffer_D3D7() override = default;

  std::uint8_t* Lock(std::uint32_t first, std::uint32_t count) override {
    return IndexBuffer::Lock(first, count);
  }
  void Unlock() override { IndexBuffer::Unlock(); }
  void Reserved3() override { IndexBuffer::Reserved3(); }

 private:
  [[maybe_unused]] RenderSystem_D3D7* renderSystem_;  // not owned
};

}  // namespace CorvantisEngine
