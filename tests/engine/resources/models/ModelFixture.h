#pragma once
// A render system without a device that records every state that passes its cache, every draw and the
// scene brackets, with buffers that count their locks and perspective cameras whose frustum and axes
// follow the engine's forms; and a fixture holding the services a model needs over a temporary data
// folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/files/FileManager.h"
#include "engine/render/Camera.h"
#include "engine/render/CameraManager.h"
#include "engine/render/LightManager.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/Texture2D.h"
#include "engine/render/VertexBuffer_D3D7.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/SpriteGroup.h"
#include "support/TempFolder.h"

namespace CorvantisEngine::modeltest {

class RecordingRenderSystem;

class CountingVertexBuffer : public VertexBuffer_D3D7 {
 public:
  CountingVertexBuffer(std::uint32_t usage, std::uint32_t hasColour, std::uint32_t count)
      : VertexBuffer_D3D7(nullptr, usage, hasColour, count) {}
  std::uint8_t* Lock(std::uint32_t first, std::uint32_t count) override {
    ++locks;
    return VertexBuffer_D3D7::Lock(first, count);
  }
  int locks = 0;
};

// A perspective camera (kind 0) or an orthographic one in the engine's forms, looking along -direction.
class TestCamera : public Camera {
 public:
  TestCamera(RecordingRenderSystem* renderSystem, std::uint32_t kind)
      : Camera(kind), renderSystem_(renderSystem) {}
  void Update(float aspect) override;
  void Apply() override;
  void ApplyZBiased() override;

 private:
  RecordingRenderSystem* renderSystem_;
};

class RecordingRenderSystem : public RenderSystem {
 public:
  explicit RecordingRenderSystem(MessageManager* log) : RenderSystem(log, nullptr, nullptr, false, false) {
    textureStageCount = 2;
    maxTextureWidth = 2048;
    maxTextureHeight = 2048;
    InitStates();
    events.clear();
  }

  void BeginScene() override { events.push_back("begin"); }
  void EndScene() override { events.push_back("end"); }
  void SwapBuffers() override { events.push_back("present"); }
  void DrawIndexedPrimitive(std::uint32_t kind, IndexBuffer*, VertexBuffer* vertices,
                            std::uint32_t count) override {
    events.push_back("draw " + std::to_string(kind) + " " + std::to_string(count));
    drawn.push_back(vertices);
  }

  Camera* CreateCamera(std::uint32_t kind) override { return new TestCamera(this, kind); }
  VertexBuffer* CreateVertexBuffer(std::uint32_t usage, std::uint32_t hasColour,
                                   std::uint32_t count) override {
    auto* buffer = new CountingVertexBuffer(usage, hasColour, count);
    if (hasColour == 1) {
      buffer->SetColour(Vector4(1, 1, 1, 1));
    }
    buffer->locks = 0;
    return buffer;
  }
  VertexBuffer* CreateVertexBufferFromData(std::uint32_t usage, std::uint32_t hasColour,
                                           VertexBuffer* source) override;
  VertexBuffer* CopyVertexBuffer(VertexBuffer* source) override {
    return CreateVertexBufferFromData(source->GetUsage(), source->HasColour(), source);
  }
  IndexBuffer* CreateIndexBuffer(std::uint32_t usage, std::uint32_t capacity) override;
  IndexBuffer* CreateIndexBufferFromData(std::uint32_t usage, IndexBuffer* source) override;
  IndexBuffer* CopyIndexBuffer(IndexBuffer* source) override {
    return CreateIndexBufferFromData(source->GetUsage(), source);
  }
  Texture2D* CreateTexture(TextureManager* textures, const std::string& key, Image*, Image*,
                           bool mipMapping) override {
    return new Texture2D(messages, nullptr, textures, key, mipMapping);
  }
  Light* CreateLight(std::uint32_t) override { return nullptr; }
  void CopyScreenToImage(Image*) override {}
  void SetMaterial(const Vector4&, const Vector4&, const Vector4&, const Vector4&, float) override {}

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
  std::vector<VertexBuffer*> drawn;
};

class ModelFixture : public ::testing::Test {
 protected:
  ModelFixture() {
    std::filesystem::create_directories(folder_.Host("data"));
    files_ = std::make_unique<FileManager>(&log_, folder_.Root().string(), "");
    render_ = std::make_unique<RecordingRenderSystem>(&log_);
    cameras_ = std::make_unique<CameraManager>(&log_, nullptr, render_.get());
    lights_ = std::make_unique<LightManager>(&log_, render_.get());
    shaders_ = std::make_unique<ShaderManager>(&log_, files_.get(), &timers_, nullptr, render_.get());
    models_ = std::make_unique<ModelManager>(&log_, files_.get(), &timers_, render_.get(), cameras_.get(),
                                             lights_.get(), shaders_.get());
    sprites_ = std::make_unique<SpriteGroupManager>(&log_, cameras_.get(), shaders_.get(), models_.get());
    particles_ = std::make_unique<ParticleSystemManager>(&log_, files_.get(), &timers_, shaders_.get(),
                                                         sprites_.get());
    cameras_->Update();
    timers_.delta = 0.01f;
    log_.ClearRecords();
  }
  ~ModelFixture() override {
    particles_.reset();
    sprites_.reset();
    models_.reset();
    shaders_.reset();
    lights_.reset();
    cameras_.reset();
    render_.reset();
    files_.reset();
  }

  void WriteData(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    std::string host = relative;
    std::replace(host.begin(), host.end(), '\\', '/');
    const std::filesystem::path path = folder_.Host("data/" + host);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  int CountLogged(std::uint32_t type, const std::string& part) const {
    int count = 0;
    for (std::int32_t i = 0; i < log_.GetRecordCount(); ++i) {
      const LogRecord record = log_.GetRecord(i);
      count += record.type == type && record.text.find(part) != std::string::npos ? 1 : 0;
    }
    return count;
  }

  Camera* DefaultCamera() const { return cameras_->GetDefaultCamera(); }

  testsupport::TempFolder folder_;
  MessageManager log_{"test", 0, 0, "", ""};
  TimerManager timers_;
  std::unique_ptr<FileManager> files_;
  std::unique_ptr<RecordingRenderSystem> render_;
  std::unique_ptr<CameraManager> cameras_;
  std::unique_ptr<LightManager> lights_;
  std::unique_ptr<ShaderManager> shaders_;
  std::unique_ptr<ModelManager> models_;
  std::unique_ptr<SpriteGroupManager> sprites_;
  std::unique_ptr<ParticleSystemManager> particles_;
};

}  // namespace CorvantisEngine::modeltest
