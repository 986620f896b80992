#pragma once
// Camera_D3D7: a Camera that computes its matrices for the Direct3D 7 device and sets them there. Besides
// the engine-side matrices of Camera it keeps the device forms of the projection (depth 0..1) and of the
// depth-biased projection (the far plane one unit farther, so that a perspective camera's points get a
// slightly smaller depth), both in the device's row-vector layout.
//
// Main thread only. Made by RenderSystem::CreateCamera. Apply and ApplyZBiased report a failed
// SetTransform through RenderSystem_D3D7::ReportError ("Camera_D3D7::Apply", "Camera_D3D7::ApplyZBiased")
// and still set the view matrix; nothing throws.

#include <cstdint>

#include "engine/render/Camera.h"
#include "platform/ddraw/D3D.h"

namespace CorvantisEngine {

class RenderSystem_D3D7;

class Camera_D3D7 : public Camera {
 public:
  Camera_D3D7(RenderSystem_D3D7* renderSystem, std::uint32_t kind);
  ~Camera_D3D7() override;

  void Update(float aspect) override;
  void Apply() override;
  void ApplyZBiased() override;

  // Direct3D layout, element k = the k-th float of the device's D3DMATRIX.
  float deviceProjection[16];
  float deviceZBiasedProjection[16];

 private:
  void UpdatePerspective();
  void UpdateOrthographic();
  void UpdateView();
  void ApplyWith(const float* deviceMatrix, const char* method);

  RenderSystem_D3D7* renderSystem_;  // not owned
  IDirect3DDevice7* const* device_;  // the render system's device field
};

}  // namespace CorvantisEngine
