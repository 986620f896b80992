#pragma once
// ShaderManager: hands out shader users (GetShader, LoadShader), shares one Shader among all users whose
// descriptors need the same textures, animates every user once per frame, and owns the TextureManager.
//
// Threads: the resource loader's worker obtains users and loads textures through it while the main
// thread only presents frames and plays sound; Update and everything else waits until the worker has
// ended. No lock.
// Ownership: every user handed out belongs to the manager until RemoveShader; the destructor deletes
// those left (and with them their shaders and textures), then the texture manager.
// Failures: an unreadable shader file gives the default descriptor (the reader has logged why).
// Removing a user the manager does not hold is logged and ignored (it is reached from destructors).

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/resources/ShaderDescriptor.h"

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class TimerManager;
class Config;
class RenderSystem;
class TextureManager;
class ShaderUser;

class ShaderManager {
 public:
  ShaderManager(MessageManager* log, FileManager* fileManager, TimerManager* timerManager, Config* config,
                RenderSystem* renderSystem);
  virtual ~ShaderManager();

  ShaderManager(const ShaderManager&) = delete;
  ShaderManager& operator=(const ShaderManager&) = delete;

  // A new user of the descriptor; every call makes a new user, sharing the shader of an equal one.
  ShaderUser* GetShader(const ShaderDescriptor& descriptor);
  // GetShader of the descriptor read from a shader file (relative to the data folder), or of the
  // default descriptor when the file cannot be read.
  ShaderUser* LoadShader(const std::string& fileName);
  // Removes and deletes the user; null does nothing.
  void RemoveShader(ShaderUser* user);
  TextureManager* GetTextureManager() const { return textureManager_.get(); }
  // Per frame: advances the texture animation of every user.
  void Update();

  std::uint32_t GetShaderUserCount() const { return static_cast<std::uint32_t>(users_.size()); }
  std::uint32_t GetShaderCount() const { return shaderCount_; }

 private:
  MessageManager* log_;
  FileManager* fileManager_;
  TimerManager* timerManager_;
  Config* config_;
  RenderSystem* renderSystem_;
  std::unique_ptr<TextureManager> textureManager_;
  std::unordered_multimap<std::uint32_t, ShaderUser*> users_;  // by checksum; owned
  // The users with a stage that is not static: the only ones whose animation a frame changes. A
  // stage's kind is fixed by its descriptor, so membership is decided once, when the user is made.
  std::vector<ShaderUser*> animated_;
  std::uint32_t shaderCount_ = 0;
};

// Descriptors for textured quads, used by the game. The mip-mapping flag that they give their stage is
// set once by the game (it starts off).
void SetTextureShaderMipMapping(bool mipMapping);
inline void SetUse32BitTextures(bool mipMapping) {
  SetTextureShaderMipMapping(mipMapping);
}
// One stage showing a columns x rows frame grid of the diffuse file; a non-empty opacity name turns
// alpha blending on (4, 5), and an opacity name containing "32bit" loads no opacity file.
ShaderDescriptor CreateAnimatedTextureShader(std::uint32_t columns, std::uint32_t rows,
                                             const std::string& diffuseName, const std::string& opacityName,
                                             bool clamp);
ShaderDescriptor CreateTextureShader(const std::string& diffuseName, const std::string& opacityName,
                                     bool clamp);

}  // namespace CorvantisEngine
