#include "engine/render/LightManager.h"

#include <algorithm>

#include "engine/core/MessageManager.h"
#include "engine/render/Light.h"
#include "engine/render/RenderSystem.h"

namespace CorvantisEngine {

LightManager::LightManager(MessageManager* messages, RenderSystem* renderSystem)
    : messages_(messages), renderSystem_(renderSystem) {}

LightManager::~LightManager() {
  freeSlots_.clear();
  for (std::uint32_t id : liveIds_) {
    delete slots_[id];
    slots_[id] = nullptr;
  }
  liveIds_.clear();
  slots_.clear();
}

void LightManager::Update() {
  renderSystem_->SetAmbientColor(ambientColour_);
  for (std::uint32_t id : liveIds_) {
    slots_[id]->Refresh();
  }
}

void LightManager::SetLightingEnabled(bool enabled) {
  renderSystem_->SetLighting(enabled);
}

Light* LightManager::CreateLight() {
  std::uint32_t slot = static_cast<std::uint32_t>(slots_.size());
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
  }
  Light* light = renderSystem_->CreateLight(slot);
  if (light == nullptr) {
    messages_->Error("LightManager: the render system made no light");
    return nullptr;
  }
  if (slot == slots_.size()) {
    slots_.push_back(light);
  } else {
    freeSlots_.pop_back();
    slots_[slot] = light;
  }
  liveIds_.push_back(slot);
  return light;
}

void LightManager::DestroyLight(Light* light) {
  if (light == nullptr) {
    return;
  }
  auto live =
      std::find_if(liveIds_.begin(), liveIds_.end(), [&](std::uint32_t id) { return slots_[id] == light; });
  if (live == liveIds_.end()) {
    messages_->Warning("LightManager::DestroyLight: the light is not one of this manager's");
    return;
  }
  const std::uint32_t slot = *live;
  liveIds_.erase(live);
  delete light;
  slots_[slot] = nullptr;
  freeSlots_.push_back(slot);
}

Light* LightManager::GetLight(std::uint32_t id) const {
  return id < slots_.size() ? slots_[id] : nullptr;
}

}  // namespace CorvantisEngine
