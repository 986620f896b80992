// Stands in for the render system's side of the texture manager while its interface is not in the tree.
#include "TestDevice.h"
#include "engine/resources/Shader.h"
#include "engine/resources/TextureManager.h"

namespace CorvantisEngine {

namespace {
std::uint32_t maxTextureSize = 2048;
}  // namespace

void testing::DeleteTestRenderSystem(RenderSystem*) {}

testing::TestRenderSystem testing::MakeTestRenderSystem(MessageManager*) {
  return TestRenderSystem(nullptr, DeleteTestRenderSystem);
}

void testing::SetMaxTextureSize(RenderSystem*, std::uint32_t size) {
  maxTextureSize = size;
}

Texture2D* TextureManager::CreateDeviceTexture(const std::string& key, Image* diffuse, Image* opacity,
                                               bool mipMapping) {
  return new testing::RecordingTexture(log_, config_, this, key, *diffuse, opacity, mipMapping);
}

std::uint32_t TextureManager::GetMaxTextureWidth() const {
  return maxTextureSize;
}
std::uint32_t TextureManager::GetMaxTextureHeight() const {
  return maxTextureSize;
}

void Shader::Apply(const ShaderUser&) const {}

}  // namespace CorvantisEngine
