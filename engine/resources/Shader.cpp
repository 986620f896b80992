#include "engine/resources/Shader.h"

#include <cmath>

#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileManager.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"
#include "engine/resources/ShaderUser.h"

namespace CorvantisEngine {

Shader::Shader(MessageManager* log, FileManager* fileManager, Config* config, RenderSystem* renderSystem,
               TextureManager* textureManager, const ShaderDescriptor& descriptor)
    : log_(log),
      fileManager_(fileManager),
      config_(config),
      renderSystem_(renderSystem),
      textureManager_(textureManager),
      stageCount_(descriptor.GetStageCount()) {
  for (std::uint32_t s = 0; s < stageCount_; ++s) {
    const ShaderStage& stage = descriptor.GetStage(s);
    if ((stage.stageFlags & ShaderStage::kNoTexture) != 0) {
      continue;
    }
    const std::uint32_t type = stage.animationType;
    const bool numbered = type == ShaderStage::kNumberedDiffuse || type == ShaderStage::kNumberedOpacity ||
                          type == ShaderStage::kNumberedBoth;
    std::uint32_t count = numbered ? stage.frameCount : 1;
    // A series no content could mean (the file reader refuses them) is cut rather than loaded.
    // A numbered series of no frames has no textures: the stage draws without one.
    if (count > ShaderStage::kMaxFrameCount) {
      count = ShaderStage::kMaxFrameCount;
    }
    const bool numberDiffuse = type == ShaderStage::kNumberedDiffuse || type == ShaderStage::kNumberedBoth;
    const bool numberOpacity = type == ShaderStage::kNumberedOpacity || type == ShaderStage::kNumberedBoth;
    textures_[s].reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::string diffuse =
          numberDiffuse ? NumberedName(stage.diffuseName, i, stage.frameCount) : stage.diffuseName;
      const std::string opacity = numberOpacity && !stage.opacityName.empty()
                                      ? NumberedName(stage.opacityName, i, stage.frameCount)
                                      : stage.opacityName;
      textures_[s].push_back(textureManager_->LoadTexture((stage.stageFlags & ShaderStage::kMipMapping) != 0,
                                                          ResolveName(diffuse, true),
                                                          ResolveName(opacity, false)));
    }
  }
}

Shader::~Shader() {
  for (auto& list : textures_) {
    for (Texture2D* texture : list) {
      textureManager_->ReleaseTexture(texture);
    }
    list.clear();
  }
}

bool Shader::IsDataFileName(const std::string& name) {
  if (name.empty()) {
    return true;
  }
  if (name[0] == '\\' || name[0] == '/' || name.find(':') != std::string::npos) {
    return false;
  }
  return name.find("..") == std::string::npos;
}

std::string Shader::ResolveName(const std::string& name, bool isDiffuse) const {
  if (name.empty()) {
    return name;
  }
  if (!IsDataFileName(name)) {
    log_->Error("Shader: \"" + name + "\" is not a file of the data folder");
    // An opacity file that cannot be used is no opacity file; a diffuse one becomes the placeholder
    // pattern through a name that names no image type.
    return isDiffuse ? std::string("data\\invalid_texture_name") : std::string();
  }
  std::string path = StringToLowerCopy(FileManager::MakeDataPath(name));
  if (FileManager::HasExtension(path, "jpg") && !fileManager_->FileExists(path)) {
    // Older content names JPEG files that were converted to other formats.
    for (const char* other : {"jp2", "bmp"}) {
      std::string candidate = path;
      FileManager::ChangeExtension(candidate, other);
      if (fileManager_->FileExists(candidate)) {
        return candidate;
      }
    }
  }
  return path;
}

std::string Shader::NumberedName(const std::string& name, std::uint32_t index, std::uint32_t frameCount) {
  const std::string extension = FileManager::GetExtension(name);
  const std::string digits = std::to_string(frameCount);
  const std::int64_t keep = static_cast<std::int64_t>(name.size()) -
                            static_cast<std::int64_t>(extension.size()) -
                            static_cast<std::int64_t>(digits.size()) - 1;
  const std::size_t prefixLength = keep > 0 ? static_cast<std::size_t>(keep) : 0;
  std::string number = std::to_string(index);
  if (number.size() < digits.size()) {
    number.insert(0, digits.size() - number.size(), '0');
  }
  return name.substr(0, prefixLength) + number + "." + extension;
}

void Shader::SetStageTexture(std::uint32_t stage, Texture2D* texture) {
  if (stage >= ShaderDescriptor::kMaxStages) {
    textureManager_->ReleaseTexture(texture);
    return;
  }
  for (Texture2D* old : textures_[stage]) {
    textureManager_->ReleaseTexture(old);
  }
  textures_[stage].clear();
  if (texture != nullptr) {
    textures_[stage].push_back(texture);
  }
  if (stage >= stageCount_) {
    stageCount_ = stage + 1;
  }
}

void Shader::UpdateTextureAnimation(ShaderUser& user, float deltaSeconds) {
  for (std::uint32_t s = 0; s < user.GetStageCount(); ++s) {
    ShaderStage& stage = user.GetStage(s);
    const std::uint32_t type = stage.animationType;
    if (type == ShaderStage::kStatic) {
      stage.frame = 0;
      continue;
    }
    const std::uint32_t frames = stage.frameCount;
    // A stage without frames (or a grid without cells) does not animate.
    if (frames == 0 || (type == ShaderStage::kFrameGrid && (stage.columns == 0 || stage.rows == 0))) {
      stage.frame = 0;
      continue;
    }
    float clock = user.GetClock(s) + stage.speed * deltaSeconds;
    if (clock >= static_cast<float>(frames)) {
      clock = std::fmod(clock, static_cast<float>(frames));
    }
    if (clock < 0.0f) {
      // Played backwards: wrap into the series from the other end.
      clock = std::fmod(clock, static_cast<float>(frames)) + static_cast<float>(frames);
      if (clock >= static_cast<float>(frames)) {
        clock = 0.0f;
      }
    }
    user.SetClock(s, clock);
    const std::uint32_t f = static_cast<std::uint32_t>(clock);
    if (type == ShaderStage::kFrameGrid) {
      const std::uint32_t column = f % stage.columns;
      const std::uint32_t row = stage.rows - 1 - (f / stage.columns) % stage.rows;
      const float k = 1.0f - 0.001f;
      const float scaleU = k / static_cast<float>(stage.columns);
      const float scaleV = k / static_cast<float>(stage.rows);
      stage.textureTransform[0] = scaleU;
      stage.textureTransform[1] = scaleV;
      stage.textureTransform[2] = scaleU * (static_cast<float>(column) + 0.0005f) / k;
      stage.textureTransform[3] = scaleV * (static_cast<float>(row) + 0.0005f) / k;
      stage.frame = 0;
    } else {
      stage.frame = f < frames ? f : f % frames;
    }
  }
}

}  // namespace CorvantisEngine
