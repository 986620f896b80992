#pragma once
// A stand-in for the render system's side of the texture manager: device textures that keep a copy of
// the images they were made from, and a settable largest texture side.

#include <cstdint>
#include <memory>

#include "engine/resources/Image.h"
#include "engine/resources/Texture2D.h"

namespace CorvantisEngine::standin {

class RecordingTexture : public Texture2D {
 public:
  RecordingTexture(MessageManager* log, Config* config, TextureManager* manager, const std::string& key,
                   const Image& diffuse, const Image* opacity, bool mipMapping);
  Image diffuse;
  std::unique_ptr<Image> opacity;
};

// 0: no limit.
inline std::uint32_t maxTextureSize = 2048;
inline int createdTextures = 0;

}  // namespace CorvantisEngine::standin
