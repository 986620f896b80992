// The texture manager's calls into the render system.
#include "engine/render/RenderSystem.h"
#include "engine/render/TextureManager.h"

namespace CorvantisEngine {

Texture2D* TextureManager::CreateDeviceTexture(const std::string& key, Image* diffuse, Image* opacity,
                                               bool mipMapping) {
  return renderSystem_->CreateTexture(this, key, diffuse, opacity, mipMapping);
}

std::uint32_t TextureManager::GetMaxTextureWidth() const {
  return renderSystem_->GetMaxTextureWidth();
}

std::uint32_t TextureManager::GetMaxTextureHeight() const {
  return renderSystem_->GetMaxTextureHeight();
}

}  // namespace CorvantisEngine
