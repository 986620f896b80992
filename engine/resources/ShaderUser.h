#pragma once
// ShaderUser: what a drawable holds: its own copy of the shader description (colours, blend factors,
// grid, speed, addresses and texture transforms are its own), the shared Shader with the textures, and
// one animation clock per stage. Made and deleted by the ShaderManager.

#include "engine/resources/ShaderDescriptor.h"

namespace CorvantisEngine {

class MessageManager;
class TimerManager;
class Shader;

class ShaderUser : public ShaderDescriptor {
 public:
  // Takes one reference of the shader.
  ShaderUser(const ShaderDescriptor& descriptor, MessageManager* log, TimerManager* timerManager,
             Shader* shader);
  // Drops the reference; the last user of a shader deletes it.
  ~ShaderUser() override;

  ShaderUser(const ShaderUser&) = delete;
  ShaderUser& operator=(const ShaderUser&) = delete;

  // Sets this user's blending and textures on the render system (Shader::Apply).
  void Apply();

  Shader* GetShader() const { return shader_; }
  // The animation clock of a stage, in frames.
  float GetClock(std::uint32_t stage) const { return clocks_[stage]; }
  void SetClock(std::uint32_t stage, float frames) { clocks_[stage] = frames; }
  TimerManager* GetTimerManager() const { return timerManager_; }

 private:
  [[maybe_unused]] MessageManager* log_;
  TimerManager* timerManager_;
  Shader* shader_;
  float clocks_[kMaxStages] = {0.0f, 0.0f};
};

}  // namespace CorvantisEngine
