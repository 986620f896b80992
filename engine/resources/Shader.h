#pragma once
// Shader: the part of a material that users share: the textures of every stage (one, or one per frame
// of a numbered series), made once for all descriptors that need the same textures and counted by the
// users that point to it. Its Apply sets a user's blending, stage textures, filters, addresses and
// texture transforms on the render system; UpdateTextureAnimation moves a user's clocks and frames.
//
// Ownership: the shader holds one reference of each of its textures and releases them when it goes.
// Texture names that point outside the data folder (absolute, or containing "..") are treated as
// missing files.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/resources/ShaderDescriptor.h"

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class Config;
class RenderSystem;
class TextureManager;
class Texture2D;
class ShaderUser;

class Shader {
 public:
  Shader(MessageManager* log, FileManager* fileManager, Config* config, RenderSystem* renderSystem,
         TextureManager* textureManager, const ShaderDescriptor& descriptor);
  virtual ~Shader();

  Shader(const Shader&) = delete;
  Shader& operator=(const Shader&) = delete;

  void Apply(const ShaderUser& user) const;
  // Advances the user's clocks by the frame delta and sets its frames and frame-grid transforms.
  static void UpdateTextureAnimation(ShaderUser& user, float deltaSeconds);

  // Puts a texture made in memory into a stage in place of what it held; the shader takes over one
  // reference of it and releases it with the others.
  void SetStageTexture(std::uint32_t stage, Texture2D* texture);

  std::uint32_t GetStageCount() const { return stageCount_; }
  const std::vector<Texture2D*>& GetTextures(std::uint32_t stage) const { return textures_[stage]; }
  std::int32_t GetReferenceCount() const { return referenceCount_; }
  void AddReference() { ++referenceCount_; }
  std::int32_t RemoveReference() { return --referenceCount_; }

  // The numbered form of a file name for frame `index` of `frameCount`: fire00.jpg with 16 frames gives
  // fire00.jpg .. fire15.jpg.
  static std::string NumberedName(const std::string& name, std::uint32_t index, std::uint32_t frameCount);
  // Whether a name from content stays inside the data folder.
  static bool IsDataFileName(const std::string& name);

 private:
  std::string ResolveName(const std::string& name, bool isDiffuse) const;

  MessageManager* log_;
  FileManager* fileManager_;
  Config* config_;
  RenderSystem* renderSystem_;
  TextureManager* textureManager_;
  std::uint32_t stageCount_ = 0;
  std::vector<Texture2D*> textures_[ShaderDescriptor::kMaxStages];
  std::int32_t referenceCount_ = 0;
};

}  // namespace CorvantisEngine
