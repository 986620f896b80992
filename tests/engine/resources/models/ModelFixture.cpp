#include "ModelFixture.h"

#include <cmath>
#include <cstring>

#include "engine/render/VertexBuffer_D3D7.h"

namespace CorvantisEngine::modeltest {

namespace {

class TestIndexBuffer : public IndexBuffer {
 public:
  TestIndexBuffer(std::uint32_t usage, std::uint32_t capacity) : IndexBuffer(usage, capacity) {}
};

}  // namespace

void TestCamera::Update(float aspect) {
  Matrix4 p;
  std::memset(p.m, 0, sizeof(p.m));
  if (IsPerspective()) {
    const float n = nearClip;
    const float f = farClip;
    const float h = n * std::tan(fieldOfView * 0.5f);
    const float r = h * kAspect;
    p.m[0] = n / r;
    p.m[5] = n / h;
    p.m[10] = -(f + n) / (f - n);
    p.m[14] = -2.0f * f * n / (f - n);
    p.m[11] = -1.0f;
  } else {
    p.m[0] = 2.0f / width;
    p.m[5] = 2.0f / height;
    p.m[10] = -2.0f / (farClip - nearClip);
    p.m[12] = -1.0f;
    p.m[13] = -1.0f;
    p.m[14] = -(farClip + nearClip) / (farClip - nearClip);
    p.m[15] = 1.0f;
  }
  projection = p;
  // The inverse camera transform, in the device's row layout.
  orientation.ToMatrix(view);
  view.Transpose();
  Matrix4 translation;
  translation.Translation(-position);
  view = view * translation;
  view.Transpose();
  Camera::Update(aspect);
}

void TestCamera::Apply() {
  renderSystem_->events.push_back("camera");
  renderSystem_->SetViewMatrix(view);
}

void TestCamera::ApplyZBiased() {
  renderSystem_->events.push_back("camera biased");
  renderSystem_->SetViewMatrix(view);
}

VertexBuffer* RecordingRenderSystem::CreateVertexBufferFromData(std::uint32_t usage, std::uint32_t hasColour,
                                                                VertexBuffer* source) {
  const std::uint32_t count = source->GetVertexCount();
  auto* buffer = static_cast<CountingVertexBuffer*>(CreateVertexBuffer(usage, hasColour, count));
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* from = source->GetData() + static_cast<std::size_t>(source->GetStride()) * i;
    std::uint8_t* to = buffer->GetData() + static_cast<std::size_t>(buffer->GetStride()) * i;
    std::memcpy(to, from, 24);
    std::memcpy(to + buffer->GetStride() - 8, from + source->GetStride() - 8, 8);
    if (buffer->HasColour() && source->HasColour()) {
      std::memcpy(to + 24, from + 24, 4);
    }
  }
  return buffer;
}

IndexBuffer* RecordingRenderSystem::CreateIndexBuffer(std::uint32_t usage, std::uint32_t capacity) {
  return new TestIndexBuffer(usage, capacity);
}

IndexBuffer* RecordingRenderSystem::CreateIndexBufferFromData(std::uint32_t usage, IndexBuffer* source) {
  IndexBuffer* buffer = CreateIndexBuffer(usage, source->GetCapacity());
  std::memcpy(buffer->Lock(0, source->GetCapacity()), source->GetData(),
              static_cast<std::size_t>(source->GetCapacity()) * source->GetIndexSize());
  buffer->Unlock();
  buffer->SetIndexCount(source->GetIndexCount());
  return buffer;
}

}  // namespace CorvantisEngine::modeltest
