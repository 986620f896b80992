#pragma once
// What the texture and shader tests need of a render system: device textures that keep a copy of the
// images they were made from, a settable largest texture side, and (with the render system's
// interface in the tree) the stage states the last Apply set.

#include <cstdint>
#include <memory>

#include "engine/render/Image.h"
#include "engine/render/Texture2D.h"

namespace CorvantisEngine {
class MessageManager;
class RenderSystem;
}  // namespace CorvantisEngine

namespace CorvantisEngine::testing {

class RecordingTexture : public Texture2D {
 public:
  RecordingTexture(MessageManager* log, Config* config, TextureManager* manager, const std::string& key,
                   const Image& diffuse, const Image* opacity, bool mipMapping);
  Image diffuse;
  std::unique_ptr<Image> opacity;
};

void DeleteTestRenderSystem(RenderSystem* renderSystem);
using TestRenderSystem = std::unique_ptr<RenderSystem, void (*)(RenderSystem*)>;
// A render system for the tests (null while the texture manager's device calls are stood in for).
TestRenderSystem MakeTestRenderSystem(MessageManager* log);
// 0: no limit. Applies to the test render system (or the stand-in).
void SetMaxTextureSize(RenderSystem* renderSystem, std::uint32_t size);
// false: the test render system's CreateTexture returns null, as a render system without textures does.
void SetMakesTextures(RenderSystem* renderSystem, bool makesTextures);

}  // namespace CorvantisEngine::testing
