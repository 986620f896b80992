// A render system without a device: textures record their images, stage states stay in the cache.
#include "TestDevice.h"
#include "engine/render/RenderSystem.h"

namespace CorvantisEngine::testkit {

namespace {

class FakeRenderSystem : public RenderSystem {
 public:
  explicit FakeRenderSystem(MessageManager* log) : RenderSystem(log, nullptr, nullptr, false, false) {
    maxTextureWidth = 2048;
    maxTextureHeight = 2048;
    textureStageCount = 2;
    InitStates();
  }
  Camera* CreateCamera(std::uint32_t) override { return nullptr; }
  VertexBuffer* CreateVertexBuffer(std::uint32_t, std::uint32_t, std::uint32_t) override { return nullptr; }
  VertexBuffer* CreateVertexBufferFromData(std::uint32_t, std::uint32_t, VertexBuffer*) override {
    return nullptr;
  }
  VertexBuffer* CopyVertexBuffer(VertexBuffer*) override { return nullptr; }
  IndexBuffer* CreateIndexBuffer(std::uint32_t, std::uint32_t) override { return nullptr; }
  IndexBuffer* CreateIndexBufferFromData(std::uint32_t, IndexBuffer*) override { return nullptr; }
  IndexBuffer* CopyIndexBuffer(IndexBuffer*) override { return nullptr; }
  Texture2D* CreateTexture(TextureManager* textureManager, const std::string& key, Image* diffuse,
                           Image* opacity, bool mipMapping) override {
    if (!makesTextures) {
      return nullptr;
    }
    return new RecordingTexture(messages, config, textureManager, key, *diffuse, opacity, mipMapping);
  }
  Light* CreateLight(std::uint32_t) override { return nullptr; }
  void CopyScreenToImage(Image*) override {}
  void SetMaterial(const Vector4&, const Vector4&, const Vector4&, const Vector4&, float) override {}
  void UpdateProjectionMatrix() override {}
  void UpdateViewMatrix() override {}
  void UpdateWorldMatrix() override {}
  void UpdateAmbientColor() override {}
  void UpdateAlphaBlend() override {}
  void UpdateBlend() override {}
  void UpdateTexture(std::uint32_t) override {}
  void UpdateMaxTextureAnisotropy(std::uint32_t) override {}
  void UpdateTextureFilter(std::uint32_t) override {}
  void UpdateTextureAdressU(std::uint32_t) override {}
  void UpdateTextureAdressV(std::uint32_t) override {}
  void UpdateTextureMatrix(std::uint32_t) override {}
  void UpdateCullMode() override {}
  void UpdateLighting() override {}
  void UpdateNormalizeNormals() override {}
  void UpdateZ() override {}
  void UpdateZWrite() override {}
  void UpdateStencil() override {}

  bool makesTextures = true;
};

}  // namespace

void DeleteTestRenderSystem(RenderSystem* renderSystem) {
  delete renderSystem;
}

TestRenderSystem MakeTestRenderSystem(MessageManager* log) {
  return TestRenderSystem(new FakeRenderSystem(log), DeleteTestRenderSystem);
}

void SetMakesTextures(RenderSystem* renderSystem, bool makesTextures) {
  static_cast<FakeRenderSystem*>(renderSystem)->makesTextures = makesTextures;
}

void SetMaxTextureSize(RenderSystem* renderSystem, std::uint32_t size) {
  renderSystem->maxTextureWidth = size;
  renderSystem->maxTextureHeight = size;
}

}  // namespace CorvantisEngine::testkit
