#include "engine/render/CameraManager.h"

#include <algorithm>
#include <cmath>

#include "engine/core/Matrix4.h"
#include "engine/core/MessageManager.h"
#include "engine/render/Camera.h"
#include "engine/render/RenderSystem.h"
#include "engine/window/Window.h"

namespace CorvantisEngine {

CameraManager::CameraManager(MessageManager* log, Window* window, RenderSystem* renderSystem)
    : log_(log), window_(window), renderSystem_(renderSystem) {
  defaultCamera_ = CreateCamera(Camera::kPerspective);
}

CameraManager::~CameraManager() {
  Destroy(defaultCamera_);
  defaultCamera_ = nullptr;
  freeSlots_.clear();
  for (std::uint32_t slot : liveSlots_) {
    delete slots_[slot];
    slots_[slot] = nullptr;
  }
  liveSlots_.clear();
  slots_.clear();
}

Camera* CameraManager::CreateCamera(std::uint32_t kind) {
  std::uint32_t slot = static_cast<std::uint32_t>(slots_.size());
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
  }
  Camera* camera = renderSystem_->CreateCamera(kind);
  if (camera == nullptr) {
    log_->Error("CameraManager: the render system made no camera");
    return nullptr;
  }
  if (slot == slots_.size()) {
    slots_.push_back(camera);
  } else {
    freeSlots_.pop_back();
    slots_[slot] = camera;
  }
  liveSlots_.push_back(slot);
  return camera;
}

void CameraManager::DestroyCamera(Camera* camera) {
  if (camera == nullptr) {
    return;
  }
  if (camera == defaultCamera_) {
    // Models fall back to the default camera; it lives as long as the manager.
    log_->Warning("CameraManager::DestroyCamera: the default camera is kept until the manager goes");
    return;
  }
  Destroy(camera);
}

void CameraManager::Destroy(Camera* camera) {
  if (camera == nullptr) {
    return;
  }
  auto live = std::find_if(liveSlots_.begin(), liveSlots_.end(),
                           [&](std::uint32_t slot) { return slots_[slot] == camera; });
  if (live == liveSlots_.end()) {
    log_->Warning("CameraManager::DestroyCamera: the camera is not one of this manager's");
    return;
  }
  const std::uint32_t slot = *live;
  liveSlots_.erase(live);
  if (appliedCamera_ == camera) {
    appliedCamera_ = nullptr;  // a new camera at the same address must not count as applied
  }
  delete camera;
  slots_[slot] = nullptr;
  freeSlots_.push_back(slot);
}

Camera* CameraManager::GetCamera(std::uint32_t slot) const {
  return slot < slots_.size() ? slots_[slot] : nullptr;
}

void CameraManager::Update() {
  viewportX_ = 0;
  viewportY_ = 0;
  viewportWidth_ = window_ != nullptr ? window_->GetWidth() : 0;
  viewportHeight_ = window_ != nullptr ? window_->GetHeight() : 0;
  const float aspect = viewportHeight_ != 0
                           ? static_cast<float>(viewportWidth_) / static_cast<float>(viewportHeight_)
                           : Camera::kAspect;
  for (std::uint32_t slot : liveSlots_) {
    slots_[slot]->Update(aspect);
  }
  appliedCamera_ = nullptr;
}

void CameraManager::ApplyCamera(Camera* camera, bool zBiased) {
  if (camera == nullptr || (camera == appliedCamera_ && zBiased == appliedZBiased_)) {
    return;
  }
  appliedCamera_ = camera;
  appliedZBiased_ = zBiased;
  if (zBiased) {
    camera->ApplyZBiased();
  } else {
    camera->Apply();
  }
}

Vector3* CameraManager::Unproject(Vector3* result, const Camera* camera, const Vector3& p) const {
  *result = Vector3(0.0f, 0.0f, 0.0f);
  if (camera == nullptr || viewportWidth_ == 0 || viewportHeight_ == 0) {
    return result;
  }
  // Both matrices are in the device's row layout, so their product is the transpose of the engine's
  // projection·view; inverting and transposing gives the engine-layout inverse that TransformVector4
  // expects.
  Matrix4 m = camera->view * camera->projection;
  if (!m.Inverse()) {
    return result;
  }
  m.Transpose();
  const Vector4 ndc(
      2.0f * (p.x - static_cast<float>(viewportX_)) / static_cast<float>(viewportWidth_) - 1.0f,
      2.0f * (p.y - static_cast<float>(viewportY_)) / static_cast<float>(viewportHeight_) - 1.0f,
      2.0f * p.z - 1.0f, 1.0f);
  const Vector4 q = m.TransformVector4(ndc);
  if (std::fabs(q.w) >= 0.0001f) {
    *result = Vector3(q.x / q.w, q.y / q.w, q.z / q.w);
  }
  return result;
}

}  // namespace CorvantisEngine
