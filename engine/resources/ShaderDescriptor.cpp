#include "engine/resources/ShaderDescriptor.h"

#include "engine/core/Error.h"
#include "engine/core/StringUtils.h"

namespace CorvantisEngine {

ShaderDescriptor::ShaderDescriptor(std::uint32_t flags) : flags_(flags) {}

ShaderDescriptor::ShaderDescriptor(bool mipMapping, std::uint32_t animationType, std::uint32_t columns,
                                   std::uint32_t rows, std::uint32_t frameCount, float speed,
                                   const std::string& diffuseName, const std::string& opacityName,
                                   bool clamp) {
  std::string opacity = opacityName;
  if (!opacity.empty()) {
    flags_ = kAlphaBlend;
    sourceBlend_ = kBlendSourceAlpha;
    destinationBlend_ = kBlendInverseSourceAlpha;
    if (StringToLowerCopy(opacity) == "32bit") {
      opacity.clear();
    }
  }
  AddStage(mipMapping ? ShaderStage::kMipMapping : 0, animationType, columns, rows, frameCount, speed,
           diffuseName, opacity, clamp ? ShaderStage::kClamp : ShaderStage::kWrap);
}

ShaderDescriptor::ShaderDescriptor(MessageManager* log, FileManager* fileManager,
                                   const std::string& fileName) {
  ReadFile(log, fileManager, fileName);
}

ShaderDescriptor::ShaderDescriptor(MessageManager* log, FileBinary& file, const std::string& fileName) {
  ReadFrom(log, file, fileName);
}

ShaderDescriptor::~ShaderDescriptor() = default;

void ShaderDescriptor::SetBlendFactor(std::uint32_t index, std::uint32_t code) {
  if (index == 0) {
    sourceBlend_ = code;
  } else if (index == 1) {
    destinationBlend_ = code;
  }
}

std::uint32_t ShaderDescriptor::AddStage(std::uint32_t stageFlags, std::uint32_t animationType,
                                         std::uint32_t columns, std::uint32_t rows, std::uint32_t frameCount,
                                         float speed, const std::string& diffuseName,
                                         const std::string& opacityName, std::uint32_t address) {
  if (stageCount_ >= kMaxStages) {
    throw FatalError("Shader Stages: buffer is overflowed");
  }
  ShaderStage& stage = stages_[stageCount_];
  stage = ShaderStage();
  stage.stageFlags = stageFlags;
  stage.animationType = animationType;
  stage.columns = columns;
  stage.rows = rows;
  stage.frameCount = animationType != ShaderStage::kStatic ? frameCount : 0;
  stage.speed = speed;
  stage.diffuseName = StringToLowerCopy(diffuseName);
  stage.opacityName = StringToLowerCopy(opacityName);
  stage.addressU = address;
  stage.addressV = address;
  ++stageCount_;
  UpdateChecksum();
  return stageCount_ - 1;
}

void ShaderDescriptor::UpdateChecksum() {
  std::uint32_t sum = 0;
  for (std::uint32_t i = 0; i < stageCount_; ++i) {
    // Character codes count as signed bytes.
    for (const char c : stages_[i].diffuseName) {
      sum += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
    }
    for (const char c : stages_[i].opacityName) {
      sum += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
    }
  }
  checksum_ = sum;
}

bool ShaderDescriptor::Equals(const ShaderDescriptor& other) const {
  if (checksum_ != other.checksum_) {
    return false;
  }
  if ((flags_ & ~kAlphaBlend) != (other.flags_ & ~kAlphaBlend)) {
    return false;
  }
  if (stageCount_ != other.stageCount_) {
    return false;
  }
  constexpr std::uint32_t kSharedFlags = ~(ShaderStage::kMipMapping | ShaderStage::kRandomStart);
  for (std::uint32_t i = 0; i < stageCount_; ++i) {
    const ShaderStage& a = stages_[i];
    const ShaderStage& b = other.stages_[i];
    if ((a.stageFlags & kSharedFlags) != (b.stageFlags & kSharedFlags)) {
      return false;
    }
    // A frame grid uses the same single texture as a static stage.
    const bool aSingle = a.animationType <= ShaderStage::kFrameGrid;
    const bool bSingle = b.animationType <= ShaderStage::kFrameGrid;
    if (!(aSingle && bSingle) && (a.animationType != b.animationType || a.frameCount != b.frameCount)) {
      return false;
    }
    if (a.diffuseName != b.diffuseName || a.opacityName != b.opacityName) {
      return false;
    }
  }
  return true;
}

}  // namespace CorvantisEngine
