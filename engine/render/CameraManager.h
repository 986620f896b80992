#pragma once
// CameraManager: owns every camera in numbered slots and the default (perspective) camera that models
// use unless they are given another. Once per frame, before anything is drawn, Update takes the viewport
// from the window's client size and updates every camera; ApplyCamera puts a model's camera on the
// device, skipping the work when that camera (with the same depth bias) is already applied this frame;
// Unproject turns a screen point back into a world point for mouse picking.
//
// Main thread only, no locks. Ownership: the manager owns every camera in its slots; the pointers it
// hands out do not own. A freed slot is reused before the slot list grows, the most recently freed
// first. Failure: nothing throws. A camera the manager does not hold (and the default camera before the
// manager's own destruction) is not destroyed: the attempt is logged as a warning and ignored.

#include <cstdint>
#include <deque>
#include <vector>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class Camera;
class MessageManager;
class RenderSystem;
class Window;

class CameraManager {
 public:
  // Creates the default camera (kind 0). window may be null (the viewport then stays empty).
  CameraManager(MessageManager* log, Window* window, RenderSystem* renderSystem);
  virtual ~CameraManager();

  CameraManager(const CameraManager&) = delete;
  CameraManager& operator=(const CameraManager&) = delete;

  // A new camera of the kind (0 perspective, otherwise orthographic) in a free slot; its matrices are
  // valid from the next Update. Null (and no slot taken) when the render system makes none.
  Camera* CreateCamera(std::uint32_t kind);
  // Deletes the camera and frees its slot. Null is ignored.
  void DestroyCamera(Camera* camera);
  // Once per frame: viewport from the window, every live camera updated, no camera applied.
  void Update();
  // Puts the camera (normal or depth-biased projection) on the device unless it is the one applied.
  void ApplyCamera(Camera* camera, bool zBiased);
  // Screen point (x, y in viewport pixels from the viewport's lower-left corner, z from 0 at the near
  // plane to 1 at the far plane) to world point; returns result. A point whose transformed w is within
  // 0.0001 of zero, an empty viewport or a singular camera gives (0, 0, 0).
  Vector3* Unproject(Vector3* result, const Camera* camera, const Vector3& screenPoint) const;

  Camera* GetDefaultCamera() const { return defaultCamera_; }
  Camera* GetAppliedCamera() const { return appliedCamera_; }
  std::uint32_t GetCameraCount() const { return static_cast<std::uint32_t>(liveSlots_.size()); }
  // The camera in a slot; null for a free or unknown slot.
  Camera* GetCamera(std::uint32_t slot) const;
  std::uint32_t GetViewportX() const { return viewportX_; }
  std::uint32_t GetViewportY() const { return viewportY_; }
  std::uint32_t GetViewportWidth() const { return viewportWidth_; }
  std::uint32_t GetViewportHeight() const { return viewportHeight_; }

 private:
  void Destroy(Camera* camera);

  MessageManager* log_;         // not owned
  Window* window_;              // not owned
  RenderSystem* renderSystem_;  // not owned
  std::uint32_t viewportX_ = 0;
  std::uint32_t viewportY_ = 0;
  std::uint32_t viewportWidth_ = 0;
  std::uint32_t viewportHeight_ = 0;
  std::deque<std::uint32_t> freeSlots_;   // used as a stack
  std::vector<std::uint32_t> liveSlots_;  // in creation order
  std::vector<Camera*> slots_;            // owned; a freed slot holds null
  Camera* defaultCamera_ = nullptr;
  Camera* appliedCamera_ = nullptr;  // null: none applied this frame
  bool appliedZBiased_ = false;
};

}  // namespace CorvantisEngine
