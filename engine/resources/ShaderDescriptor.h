#pragma once
// ShaderDescriptor: the plain description of a material that every drawable hands to the shader
// manager: alpha blending with its two blend factors, four colours and two values carried as data, and
// up to two texture stages. Built in code, from resource values or read from a shader file ("QXSRF",
// version 211).
//
// Two descriptors that need the same textures share one Shader; `Equals` decides that, and the checksum
// (recomputed whenever the stages change) is the manager's hash key.
// Failures: a third stage throws FatalError "Shader Stages: buffer is overflowed"; reading a file logs
// the reason and throws Error with the same text.

#include <cstdint>
#include <string>

#include "engine/core/Vector.h"
#include "engine/resources/ShaderStage.h"

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class FileBinary;

class ShaderDescriptor {
 public:
  static constexpr std::uint32_t kAlphaBlend = 1;
  static constexpr std::uint32_t kMaxStages = 2;
  // Blend codes that alpha textures use: source alpha and one minus source alpha.
  static constexpr std::uint32_t kBlendSourceAlpha = 4;
  static constexpr std::uint32_t kBlendInverseSourceAlpha = 5;
  static constexpr std::uint32_t kFileVersion = 211;

  explicit ShaderDescriptor(std::uint32_t flags = 0);
  // One stage from resource values. A non-empty opacity name turns alpha blending on with the blend
  // factors 4 and 5; the opacity name "32bit" (any case) then means "alpha from the diffuse file" and no
  // opacity file is loaded.
  ShaderDescriptor(bool mipMapping, std::uint32_t animationType, std::uint32_t columns, std::uint32_t rows,
                   std::uint32_t frameCount, float speed, const std::string& diffuseName,
                   const std::string& opacityName, bool clamp);
  // Reads a shader file; fileName is relative to the data folder. Throws Error (after logging it).
  ShaderDescriptor(MessageManager* log, FileManager* fileManager, const std::string& fileName);
  // Reads a shader file that is already open; fileName names it in log texts and gives the folder of
  // bare texture names.
  ShaderDescriptor(MessageManager* log, FileBinary& file, const std::string& fileName);
  ShaderDescriptor(const ShaderDescriptor&) = default;
  ShaderDescriptor& operator=(const ShaderDescriptor&) = default;
  virtual ~ShaderDescriptor();

  void AddFlags(std::uint32_t bits) { flags_ |= bits; }
  // index 0: source factor, 1: destination factor.
  void SetBlendFactor(std::uint32_t index, std::uint32_t code);
  void SetColour0(const Vector4& value) { colours_[0] = value; }
  void SetColour1(const Vector4& value) { colours_[1] = value; }
  void SetColour2(const Vector4& value) { colours_[2] = value; }
  void SetColour3(const Vector4& value) { colours_[3] = value; }
  void SetValue0(float value) { values_[0] = value; }
  void SetValue1(float value) { values_[1] = value; }

  // Appends a stage (names lower-cased, both address modes set to address) and returns its index.
  // The frame count is kept only for animated stages (type not 0).
  std::uint32_t AddStage(std::uint32_t stageFlags, std::uint32_t animationType, std::uint32_t columns,
                         std::uint32_t rows, std::uint32_t frameCount, float speed,
                         const std::string& diffuseName, const std::string& opacityName,
                         std::uint32_t address);

  // True when both need the same textures: equal checksums, flags apart from alpha blending, stage
  // counts, and per stage the flags apart from mip mapping and random start, the animation kind (static
  // and frame grid count as one) and the names. Colours, values, blend factors, grids, speeds, addresses
  // and transforms belong to each user and are not compared.
  bool Equals(const ShaderDescriptor& other) const;

  std::uint32_t GetFlags() const { return flags_; }
  const Vector4& GetColour(std::uint32_t index) const { return colours_[index]; }
  float GetValue(std::uint32_t index) const { return values_[index]; }
  std::uint32_t GetSourceBlend() const { return sourceBlend_; }
  std::uint32_t GetDestinationBlend() const { return destinationBlend_; }
  std::uint32_t GetStageCount() const { return stageCount_; }
  const ShaderStage& GetStage(std::uint32_t index) const { return stages_[index]; }
  ShaderStage& GetStage(std::uint32_t index) { return stages_[index]; }
  std::uint32_t GetChecksum() const { return checksum_; }

 protected:
  void UpdateChecksum();

 private:
  void ReadFile(MessageManager* log, FileManager* fileManager, const std::string& fileName);
  void ReadFrom(MessageManager* log, FileBinary& file, const std::string& fileName);

  std::uint32_t flags_ = 0;
  Vector4 colours_[4] = {Vector4(1, 1, 1, 1), Vector4(1, 1, 1, 1), Vector4(1, 1, 1, 1), Vector4(0, 0, 0, 1)};
  float values_[2] = {0.0f, 0.0f};
  std::uint32_t sourceBlend_ = 0;
  std::uint32_t destinationBlend_ = 0;
  std::uint32_t stageCount_ = 0;
  ShaderStage stages_[kMaxStages];
  std::uint32_t checksum_ = 0;
};

}  // namespace CorvantisEngine
