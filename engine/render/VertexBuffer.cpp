#include "engine/render/VertexBuffer.h"

#include <cstring>

namespace CorvantisEngine {

VertexBuffer::VertexBuffer(std::uint32_t usage, std::uint32_t hasColour, std::uint32_t vertexCount)
    : usage_(usage),
      hasColour_(hasColour != 0 ? 1 : 0),
      stride_(hasColour != 0 ? 36 : 32),
      vertexCount_(vertexCount),
      data_(new std::uint8_t[static_cast<std::size_t>(stride_) * vertexCount]) {}

VertexBuffer::~VertexBuffer() = default;

void VertexBuffer::Unlock() {
  locked_ = 0;
}

std::uint8_t* VertexBuffer::Lock(std::uint32_t first, std::uint32_t count) {
  locked_ = 1;
  lockFirst_ = first;
  lockCount_ = count;
  return data_.get() + static_cast<std::size_t>(stride_) * first;
}

void VertexBuffer::SetColour(const Vector4& rgba) {
  if (hasColour_ == 0) {
    return;
  }
  const std::uint32_t packed = FloatsToColour(rgba);
  ColouredVertex* vertices = LockColouredVertices(0, vertexCount_);
  for (std::uint32_t i = 0; i < vertexCount_; ++i) {
    vertices[i].colour = packed;
  }
  Unlock();
}

Vector4 VertexBuffer::GetVertexColour(std::uint32_t index) const {
  if (hasColour_ == 0 || index >= vertexCount_) {
    return Vector4(1.0f, 1.0f, 1.0f, 1.0f);
  }
  std::uint32_t packed = 0;
  std::memcpy(&packed, data_.get() + static_cast<std::size_t>(stride_) * index + 24, sizeof(packed));
  return ColourToFloats(packed);
}

}  // namespace CorvantisEngine
