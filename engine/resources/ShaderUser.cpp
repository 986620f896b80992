#include "engine/resources/ShaderUser.h"

#include "engine/resources/Shader.h"

namespace CorvantisEngine {

ShaderUser::ShaderUser(const ShaderDescriptor& descriptor, MessageManager* log, TimerManager* timerManager,
                       Shader* shader)
    : ShaderDescriptor(descriptor), log_(log), timerManager_(timerManager), shader_(shader) {
  shader_->AddReference();
}

ShaderUser::~ShaderUser() {
  if (shader_->RemoveReference() <= 0) {
    delete shader_;
  }
}

void ShaderUser::Apply() {
  shader_->Apply(*this);
}

}  // namespace CorvantisEngine
