#pragma once
// VertexBuffer: a model's vertices in system memory, in one of two layouts the device takes as they are:
// plain (32 bytes: position, normal, texture u and v) or coloured (36 bytes: position, normal, a packed
// 0xAARRGGBB colour, texture u and v). Made only through the render system's factories; owned by the one
// model, sprite group or font that fills it through Lock and Unlock.
//
// Threads: filled on the loading worker or the main thread, never by two at once; no lock. Nothing
// fails: lock ranges are the caller's to keep inside the buffer.

#include <cstdint>
#include <memory>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

struct Vertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
static_assert(sizeof(Vertex) == 32);

struct ColouredVertex {
  float x, y, z;
  float nx, ny, nz;
  std::uint32_t colour;  // 0xAARRGGBB
  float u, v;
};
static_assert(sizeof(ColouredVertex) == 36);

class VertexBuffer {
 public:
  VertexBuffer(std::uint32_t usage, std::uint32_t hasColour, std::uint32_t vertexCount);
  virtual ~VertexBuffer();

  VertexBuffer(const VertexBuffer&) = delete;
  VertexBuffer& operator=(const VertexBuffer&) = delete;

  virtual void Unlock();
  // Called by the render system right before a draw.
  virtual void Reserved2() {}
  virtual Vector4 ColourToFloats(std::uint32_t packed) const = 0;
  virtual std::uint32_t FloatsToColour(const Vector4& rgba) const = 0;
  // Returns the bytes of vertex `first`; records the range.
  virtual std::uint8_t* Lock(std::uint32_t first, std::uint32_t count);

  ColouredVertex* LockColouredVertices(std::uint32_t first, std::uint32_t count) {
    return reinterpret_cast<ColouredVertex*>(Lock(first, count));
  }
  Vertex* LockVertices(std::uint32_t first, std::uint32_t count) {
    return reinterpret_cast<Vertex*>(Lock(first, count));
  }

  // Every vertex gets the colour (nothing for a plain buffer).
  void SetColour(const Vector4& rgba);
  // White for a plain buffer and for an index past the last vertex.
  Vector4 GetVertexColour(std::uint32_t index) const;

  std::uint32_t GetUsage() const { return usage_; }
  std::uint32_t HasColour() const { return hasColour_; }
  std::uint32_t GetStride() const { return stride_; }
  std::uint32_t GetVertexCount() const { return vertexCount_; }
  std::uint8_t* GetData() { return data_.get(); }
  const std::uint8_t* GetData() const { return data_.get(); }
  bool IsLocked() const { return locked_ != 0; }

 protected:
  std::uint32_t usage_;
  std::uint32_t hasColour_;
  std::uint32_t stride_;
  std::uint32_t vertexCount_;
  std::unique_ptr<std::uint8_t[]> data_;  // stride × vertexCount bytes
  std::uint32_t locked_ = 0;
  std::uint32_t lockFirst_ = 0;
  std::uint32_t lockCount_ = 0;
};

}  // namespace CorvantisEngine
