#include "DeviceStandIn.h"

#include "engine/resources/Shader.h"
#include "engine/resources/TextureManager.h"

namespace CorvantisEngine {

standin::RecordingTexture::RecordingTexture(MessageManager* log, Config* config, TextureManager* manager,
                                            const std::string& key, const Image& d, const Image* o,
                                            bool mipMapping)
    : Texture2D(log, config, manager, key, mipMapping), diffuse(d) {
  if (o != nullptr) {
    opacity = std::make_unique<Image>(*o);
  }
  width_ = d.GetWidth();
  height_ = d.GetHeight();
  videoMemory_ = width_ * height_ * (o != nullptr ? 4 : 3);
  ++standin::createdTextures;
}

Texture2D* TextureManager::CreateDeviceTexture(const std::string& key, Image* diffuse, Image* opacity,
                                               bool mipMapping) {
  return new standin::RecordingTexture(log_, config_, this, key, *diffuse, opacity, mipMapping);
}

std::uint32_t TextureManager::GetMaxTextureWidth() const {
  return standin::maxTextureSize;
}
std::uint32_t TextureManager::GetMaxTextureHeight() const {
  return standin::maxTextureSize;
}

void Shader::Apply(const ShaderUser&) const {}

}  // namespace CorvantisEngine
