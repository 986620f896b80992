#include "engine/resources/ShaderManager.h"

#include <algorithm>
#include <atomic>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Random.h"
#include "engine/core/TimerManager.h"
#include "engine/render/TextureManager.h"
#include "engine/resources/Shader.h"
#include "engine/resources/ShaderUser.h"

namespace CorvantisEngine {

namespace {

// Set by the game before it builds its texture shaders.
std::atomic<bool> textureShaderMipMapping{false};

bool IsAnimated(const ShaderUser& user) {
  for (std::uint32_t s = 0; s < user.GetStageCount(); ++s) {
    if (user.GetStage(s).animationType != ShaderStage::kStatic) {
      return true;
    }
  }
  return false;
}

}  // namespace

void SetTextureShaderMipMapping(bool mipMapping) {
  textureShaderMipMapping = mipMapping;
}

ShaderDescriptor CreateAnimatedTextureShader(std::uint32_t columns, std::uint32_t rows,
                                             const std::string& diffuseName, const std::string& opacityName,
                                             bool clamp) {
  ShaderDescriptor descriptor(0);
  if (!opacityName.empty()) {
    descriptor.AddFlags(ShaderDescriptor::kAlphaBlend);
    descriptor.SetBlendFactor(0, ShaderDescriptor::kBlendSourceAlpha);
    descriptor.SetBlendFactor(1, ShaderDescriptor::kBlendInverseSourceAlpha);
  }
  if (!diffuseName.empty()) {
    const std::uint32_t frames = columns * rows;
    const bool noOpacityFile = opacityName.find("32bit") != std::string::npos;
    descriptor.AddStage(textureShaderMipMapping ? ShaderStage::kMipMapping : 0,
                        frames > 1 ? ShaderStage::kFrameGrid : ShaderStage::kStatic, columns, rows, frames,
                        0.0f, diffuseName, noOpacityFile ? std::string() : opacityName,
                        clamp ? ShaderStage::kClamp : ShaderStage::kWrap);
  }
  return descriptor;
}

ShaderDescriptor CreateTextureShader(const std::string& diffuseName, const std::string& opacityName,
                                     bool clamp) {
  return CreateAnimatedTextureShader(1, 1, diffuseName, opacityName, clamp);
}

ShaderManager::ShaderManager(MessageManager* log, FileManager* fileManager, TimerManager* timerManager,
                             Config* config, RenderSystem* renderSystem)
    : log_(log),
      fileManager_(fileManager),
      timerManager_(timerManager),
      config_(config),
      renderSystem_(renderSystem),
      textureManager_(
          std::make_unique<TextureManager>(log, fileManager, config, timerManager, renderSystem)) {}

ShaderManager::~ShaderManager() {
  for (auto& [checksum, user] : users_) {
    delete user;
  }
  users_.clear();
  textureManager_.reset();
}

ShaderUser* ShaderManager::GetShader(const ShaderDescriptor& descriptor) {
  Shader* shader = nullptr;
  const auto [first, last] = users_.equal_range(descriptor.GetChecksum());
  for (auto it = first; it != last; ++it) {
    if (it->second->Equals(descriptor)) {
      shader = it->second->GetShader();
      break;
    }
  }
  if (shader == nullptr) {
    shader = new Shader(log_, fileManager_, config_, renderSystem_, textureManager_.get(), descriptor);
    ++shaderCount_;
  }
  auto* user = new ShaderUser(descriptor, log_, timerManager_, shader);
  for (std::uint32_t s = 0; s < user->GetStageCount(); ++s) {
    const ShaderStage& stage = user->GetStage(s);
    if ((stage.stageFlags & ShaderStage::kRandomStart) != 0) {
      user->SetClock(s, RandomFloatRange(0.0f, static_cast<float>(stage.frameCount)));
    }
  }
  users_.emplace(user->GetChecksum(), user);
  if (IsAnimated(*user)) {
    animated_.push_back(user);
  }
  return user;
}

ShaderUser* ShaderManager::LoadShader(const std::string& fileName) {
  try {
    return GetShader(ShaderDescriptor(log_, fileManager_, fileName));
  } catch (const Error&) {
    // The reader has logged why; the default material stands in.
    return GetShader(ShaderDescriptor(0));
  }
}

void ShaderManager::RemoveShader(ShaderUser* user) {
  if (user == nullptr) {
    return;
  }
  const auto [first, last] = users_.equal_range(user->GetChecksum());
  for (auto it = first; it != last; ++it) {
    if (it->second == user) {
      users_.erase(it);
      if (IsAnimated(*user)) {
        std::erase(animated_, user);
      }
      if (user->GetShader()->GetReferenceCount() == 1) {
        --shaderCount_;
      }
      delete user;
      return;
    }
  }
  log_->Error("Shader Manager: Failed to remove shader");
}

void ShaderManager::Update() {
  const float delta = timerManager_ != nullptr ? timerManager_->delta : 0.0f;
  // A static stage's frame stays 0, so only the animated users need the pass.
  for (ShaderUser* user : animated_) {
    Shader::UpdateTextureAnimation(*user, delta);
  }
}

}  // namespace CorvantisEngine
