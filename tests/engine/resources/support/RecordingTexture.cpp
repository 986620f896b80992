#include "TestDevice.h"

namespace CorvantisEngine::testkit {

RecordingTexture::RecordingTexture(MessageManager* log, Config* config, TextureManager* manager,
                                   const std::string& key, const Image& d, const Image* o, bool mipMapping)
    : Texture2D(log, config, manager, key, mipMapping), diffuse(d) {
  if (o != nullptr) {
    opacity = std::make_unique<Image>(*o);
  }
  width_ = d.GetWidth();
  height_ = d.GetHeight();
  videoMemory_ = width_ * height_ * (o != nullptr ? 4 : 3);
}

}  // namespace CorvantisEngine::testkit
