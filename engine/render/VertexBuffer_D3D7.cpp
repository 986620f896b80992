#include "engine/render/VertexBuffer_D3D7.h"

namespace CorvantisEngine {

namespace {

std::uint32_t Channel(float c) {
  if (c >= 1.0f) {
    return 255;
  }
  if (c > 0.0f) {
    return static_cast<std::uint32_t>(c * 255.0f + 0.5f);
  }
  return 0;  // also NaN
}

}  // namespace

VertexBuffer_D3D7::VertexBuffer_D3D7(RenderSystem_D3D7* renderSystem, std::uint32_t usage,
                                     std::uint32_t hasColour, std::uint32_t vertexCount)
    : VertexBuffer(usage, hasColour, vertexCount), renderSystem_(renderSystem) {}

Vector4 VertexBuffer_D3D7::ColourToFloats(std::uint32_t packed) const {
  constexpr float k = 0.003921569f;
  return Vector4(static_cast<float>((packed >> 16) & 255) * k, static_cast<float>((packed >> 8) & 255) * k,
                 static_cast<float>(packed & 255) * k, static_cast<float>((packed >> 24) & 255) * k);
}

std::uint32_t VertexBuffer_D3D7::FloatsToColour(const Vector4& rgba) const {
  return Channel(rgba.w) << 24 | Channel(rgba.x) << 16 | Channel(rgba.y) << 8 | Channel(rgba.z);
}

IndexBuffer_D3D7::IndexBuffer_D3D7(RenderSystem_D3D7* renderSystem, std::uint32_t usage,
                                   std::uint32_t capacity)
    : IndexBuffer(usage, capacity), renderSystem_(renderSystem) {}

}  // namespace CorvantisEngine
