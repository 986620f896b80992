#pragma once
// The render system double of the engine's tests: no device, every state that passes the render
// system's cache, every draw and the scene brackets recorded in `events`; vertex buffers that count
// their locks, index buffers in memory, cameras whose frustum and axes follow the engine's forms, and
// textures that keep a copy of the images they were made from. The largest texture side and whether
// textures can be made at all are the test's to set.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Matrix4.h"
#include "engine/render/Camera.h"
#include "engine/render/Image.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/Texture2D.h"
#include "engine/render/VertexBuffer_D3D7.h"

namespace testsupport {

class RecordingRenderSystem;

class CountingVertexBuffer : public CorvantisEngine::VertexBuffer_D3D7 {
 public:
  CountingVertexBuffer(std::uint32_t usage, std::uint32_t hasColour, std::uint32_t count)
      : VertexBuffer_D3D7(nullptr, usage, hasColour, count) {}
  std::uint8_t* Lock(std::uint32_t first, std::uint32_t count) override {
    ++locks;
    return VertexBuffer_D3D7::Lock(first, count);
  }
  int locks = 0;
};

class MemoryIndexBuffer : public CorvantisEngine::IndexBuffer {
 public:
  MemoryIndexBuffer(std::uint32_t usage, std::uint32_t capacity) : IndexBuffer(usage, capacity) {}
};

// A texture that keeps copies of its images; its size is the diffuse image's.
class RecordingTexture : public CorvantisEngine::Texture2D {
 public:
  RecordingTexture(CorvantisEngine::MessageManager* log, CorvantisEngine::Config* config,
                   CorvantisEngine::TextureManager* manager, const std::string& key,
                   const CorvantisEngine::Image& d, const CorvantisEngine::Image* o, bool mipMapping)
      : Texture2D(log, config, manager, key, mipMapping), diffuse(d) {
    if (o != nullptr) {
      opacity = std::make_unique<CorvantisEngine::Image>(*o);
    }
    width_ = d.GetWidth();
    height_ = d.GetHeight();
    videoMemory_ = width_ * height_ * (o != nullptr ? 4 : 3);
  }
  CorvantisEngine::Image diffuse;
  std::unique_ptr<CorvantisEngine::Image> opacity;
};

// A perspective camera (kind 0) or an orthographic one in the engine's forms, looking along -direction.
class TestCamera : public CorvantisEngine::Camera {
 public:
  TestCamera(RecordingRenderSystem* renderSystem, std::uint32_t kind)
      : Camera(kind), renderSystem_(renderSystem) {}
  void Update(float aspect) override;
  void Apply() override;
  void ApplyZBiased() override;

 private:
  RecordingRenderSystem* renderSystem_;
};

class RecordingRenderSystem : public CorvantisEngine::RenderSystem {
 public:
  explicit RecordingRenderSystem(CorvantisEngine::MessageManager* log)
      : RenderSystem(log, nullptr, nullptr, false, false) {
    textureStageCount = 2;
    maxTextureWidth = 2048;
    maxTextureHeight = 2048;
    InitStates();
    events.clear();
  }

  // 0: no limit.
  void SetMaxTextureSize(std::uint32_t size) {
    maxTextureWidth = size;
    maxTextureHeight = size;
  }

  void BeginScene() override { events.push_back("begin"); }
  void EndScene() override { events.push_back("end"); }
  void SwapBuffers() override { events.push_back("present"); }
  void DrawIndexedPrimitive(std::uint32_t kind, CorvantisEngine::IndexBuffer*,
                            CorvantisEngine::VertexBuffer* vertices, std::uint32_t count) override {
    events.push_back("draw " + std::to_string(kind) + " " + std::to_string(count));
    drawn.push_back(vertices);
  }

  CorvantisEngine::Camera* CreateCamera(std::uint32_t kind) override { return new TestCamera(this, kind); }
  CorvantisEngine::VertexBuffer* CreateVertexBuffer(std::uint32_t usage, std::uint32_t hasColour,
                                                    std::uint32_t count) override {
    auto* buffer = new CountingVertexBuffer(usage, hasColour, count);
    if (hasColour == 1) {
      buffer->SetColour(CorvantisEngine::Vector4(1, 1, 1, 1));
    }
    buffer->locks = 0;
    return buffer;
  }
  CorvantisEngine::VertexBuffer* CreateVertexBufferFromData(std::uint32_t usage, std::uint32_t hasColour,
                                                            CorvantisEngine::VertexBuffer* source) override {
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
  CorvantisEngine::VertexBuffer* CopyVertexBuffer(CorvantisEngine::VertexBuffer* source) override {
    return CreateVertexBufferFromData(source->GetUsage(), source->HasColour(), source);
  }
  CorvantisEngine::IndexBuffer* CreateIndexBuffer(std::uint32_t usage, std::uint32_t capacity) override {
    return new MemoryIndexBuffer(usage, capacity);
  }
  CorvantisEngine::IndexBuffer* CreateIndexBufferFromData(std::uint32_t usage,
                                                          CorvantisEngine::IndexBuffer* source) override {
    CorvantisEngine::IndexBuffer* buffer = CreateIndexBuffer(usage, source->GetCapacity());
    std::memcpy(buffer->Lock(0, source->GetCapacity()), source->GetData(),
                static_cast<std::size_t>(source->GetCapacity()) * source->GetIndexSize());
    buffer->Unlock();
    buffer->SetIndexCount(source->GetIndexCount());
    return buffer;
  }
  CorvantisEngine::IndexBuffer* CopyIndexBuffer(CorvantisEngine::IndexBuffer* source) override {
    return CreateIndexBufferFromData(source->GetUsage(), source);
  }
  // Null when makesTextures is off, as a render system without textures answers.
  CorvantisEngine::Texture2D* CreateTexture(CorvantisEngine::TextureManager* textures, const std::string& key,
                                            CorvantisEngine::Image* diffuse, CorvantisEngine::Image* opacity,
                                            bool mipMapping) override {
    if (!makesTextures) {
      return nullptr;
    }
    if (diffuse == nullptr) {
      return new CorvantisEngine::Texture2D(messages, config, textures, key, mipMapping);
    }
    return new RecordingTexture(messages, config, textures, key, *diffuse, opacity, mipMapping);
  }
  CorvantisEngine::Light* CreateLight(std::uint32_t) override { return nullptr; }
  void CopyScreenToImage(CorvantisEngine::Image*) override {}
  void CopyImageToScreen(const CorvantisEngine::Image&) override {}
  void SetMaterial(const CorvantisEngine::Vector4&, const CorvantisEngine::Vector4&,
                   const CorvantisEngine::Vector4&, const CorvantisEngine::Vector4&, float) override {}

  void UpdateProjectionMatrix() override {}
  void UpdateViewMatrix() override { events.push_back("view"); }
  void UpdateWorldMatrix() override { events.push_back("world"); }
  void UpdateAmbientColor() override {}
  void UpdateAlphaBlend() override { events.push_back("alpha " + std::to_string(alphaBlend)); }
  void UpdateBlend() override {}
  void UpdateTexture(std::uint32_t) override {}
  void UpdateMaxTextureAnisotropy(std::uint32_t) override {}
  void UpdateTextureFilter(std::uint32_t) override {}
  void UpdateTextureAdressU(std::uint32_t) override {}
  void UpdateTextureAdressV(std::uint32_t) override {}
  void UpdateTextureMatrix(std::uint32_t) override {}
  void UpdateCullMode() override { events.push_back("cull " + std::to_string(cullMode)); }
  void UpdateLighting() override { events.push_back("lighting " + std::to_string(lighting)); }
  void UpdateNormalizeNormals() override {
    events.push_back("normalize " + std::to_string(normalizeNormals));
  }
  void UpdateZ() override { events.push_back("z " + std::to_string(z)); }
  void UpdateZWrite() override { events.push_back("zwrite " + std::to_string(zWrite)); }
  void UpdateStencil() override { events.push_back("stencil " + std::to_string(stencil)); }

  std::vector<std::string> events;
  std::vector<CorvantisEngine::VertexBuffer*> drawn;
  bool makesTextures = true;
};

inline void TestCamera::Update(float aspect) {
  CorvantisEngine::Matrix4 p;
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
  CorvantisEngine::Matrix4 translation;
  translation.Translation(-position);
  view = view * translation;
  view.Transpose();
  Camera::Update(aspect);
}

inline void TestCamera::Apply() {
  renderSystem_->events.push_back("camera");
  renderSystem_->SetViewMatrix(view);
}

inline void TestCamera::ApplyZBiased() {
  renderSystem_->events.push_back("camera biased");
  renderSystem_->SetViewMatrix(view);
}

}  // namespace testsupport
