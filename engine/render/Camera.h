#pragma once
// Camera: the parameters of one view of the scene and what is derived from them: the projection and
// view matrices, the camera's axes and its view frustum. Kind 0 is a perspective camera (the default
// camera every model uses unless given another); any other kind is orthographic (the GUI's screen-space
// camera). The parameters are public data; nothing is recomputed until the next Update, which the
// CameraManager runs for every camera at the start of each frame's render pass.
//
// Matrix layout: `projection`, `zBiasedProjection` and `view` are kept in Direct3D's row-vector layout
// (translation in elements 12, 13 and 14), the transpose of the engine's column-vector Matrix4 layout.
// `projection` is the depth -1..1 form used for the frustum and for unprojection; the device forms live
// in the back end (Camera_D3D7).
//
// Main thread only. Cameras are made by RenderSystem::CreateCamera and owned by the CameraManager.
// Nothing here throws.

#include <cstdint>
#include <memory>

#include "engine/core/Frustum.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Vector.h"

namespace CorvantisEngine {

class Camera {
 public:
  static constexpr std::uint32_t kPerspective = 0;
  static constexpr std::uint32_t kOrthographic = 1;
  // The perspective projection's fixed aspect ratio, whatever the window's shape.
  static constexpr float kAspect = 1.3333334f;

  explicit Camera(std::uint32_t kind);
  virtual ~Camera();

  Camera(const Camera&) = delete;
  Camera& operator=(const Camera&) = delete;

  // Recomputes the matrices (back end), then the axes and the frustum from them. The aspect argument
  // is accepted for the interface and does not enter the computation.
  virtual void Update(float aspect);
  // Put the projection (normal or depth-biased) and the view on the device; nothing in the base class.
  virtual void Apply() {}
  virtual void ApplyZBiased() {}

  bool IsPerspective() const { return kind == kPerspective; }

  std::uint32_t kind;
  float nearClip = 1.0f;           // near distance (perspective) or near depth (orthographic)
  float farClip = 1000.0f;         // far distance or far depth
  float fieldOfView = 1.5707964f;  // radians
  float width = 1.0f;              // orthographic extent in x, screen units
  float height = 1.0f;             // orthographic extent in y
  Quaternion orientation;
  Vector3 position;
  Matrix4 projection;
  Matrix4 zBiasedProjection;
  Matrix4 view;
  Vector3 right;
  Vector3 up;
  Vector3 direction;  // length 1 after Update (the camera's +z axis in world space)
  std::unique_ptr<Frustum> frustum;
};

}  // namespace CorvantisEngine
