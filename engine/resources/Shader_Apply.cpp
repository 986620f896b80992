// Setting a shader user's material on the render system.
#include "engine/render/RenderSystem.h"
#include "engine/resources/Shader.h"
#include "engine/resources/ShaderUser.h"

namespace CorvantisEngine {

void Shader::Apply(const ShaderUser& user) const {
  RenderSystem* render = renderSystem_;
  if ((user.GetFlags() & ShaderDescriptor::kAlphaBlend) != 0) {
    render->SetAlphaBlend(true);
    render->SetBlend(user.GetSourceBlend(), user.GetDestinationBlend());
  } else {
    render->SetAlphaBlend(false);
  }
  const std::uint32_t stages = render->GetTextureStageCount();
  std::uint32_t s = 0;
  for (; s < user.GetStageCount() && s < stages; ++s) {
    const ShaderStage& stage = user.GetStage(s);
    const std::vector<Texture2D*>& list = textures_[s];
    Texture2D* texture = nullptr;
    if (!list.empty()) {
      texture = list[stage.frame < list.size() ? stage.frame : 0];
    }
    render->SetTexture(s, texture);
    render->SetTextureFilter(s, (stage.stageFlags & ShaderStage::kMipMapping) != 0 ? 2 : 1);
    render->SetTextureAdressU(s, stage.addressU);
    render->SetTextureAdressV(s, stage.addressV);
    render->SetTextureMatrix(s, stage.textureTransform[0], stage.textureTransform[1],
                             stage.textureTransform[2], stage.textureTransform[3]);
  }
  for (; s < stages; ++s) {
    render->SetTexture(s, nullptr);
  }
}

}  // namespace CorvantisEngine
