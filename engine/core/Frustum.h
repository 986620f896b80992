#pragma once
// The six clipping planes of a camera's view volume, facing inwards, and a visibility test for bounding
// boxes against them.

#include "engine/core/BoundingBox.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Plane.h"

namespace CorvantisEngine {

class Frustum {
 public:
  Frustum() = default;
  virtual ~Frustum() = default;

  // Extracts the planes from second·first. Both are in Direct3D's row-vector layout: the camera passes
  // its projection matrix first and its view matrix second.
  void Update(const Matrix4& first, const Matrix4& second);
  // False for a box of radius below 0.001 and for one whose bounding sphere lies wholly behind a plane
  // (a sphere that just touches a plane from outside counts as outside).
  bool IsVisible(const BoundingBox& box) const;

  const Plane& GetPlane(int index) const { return planes[index]; }

  Plane planes[6];
};

}  // namespace CorvantisEngine
