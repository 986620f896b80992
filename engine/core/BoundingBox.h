#pragma once
// An axis-aligned box in an object's local space that follows the object's transform: the world box is
// the axis-aligned box around the eight transformed local corners, with its centre, half-extents and
// the radius of the sphere around it. SetBox resets the transform to the identity.

#include "engine/core/Matrix4.h"
#include "engine/core/Ray.h"
#include "engine/core/Vector.h"

namespace CorvantisEngine {

class BoundingBox {
 public:
  // An empty box at the origin (radius 0) with identity transforms.
  BoundingBox() = default;
  BoundingBox(const Vector3& min, const Vector3& max) { SetBox(min, max); }
  BoundingBox(const BoundingBox&) = default;
  BoundingBox& operator=(const BoundingBox&) = default;

  // New local corners; the transforms become identity and the world box equals the local one.
  void SetBox(const Vector3& min, const Vector3& max);
  // New transform; the world box is rebuilt from the transformed local corners.
  void SetMatrix(const Matrix4& matrix);
  // Rebuilds the world values, through the transform or (false) straight from the local corners.
  void Update(bool useTransform);

  // True when the world boxes overlap or touch on every axis.
  bool Intersects(const BoundingBox& other) const;
  // True when the segment from ray.origin to ray.origin + ray.direction meets the world box.
  bool IntersectsSegment(const Ray& ray) const;

  // The box between a and b: centre and half-extents blended by t.
  static void Lerp(BoundingBox& out, const BoundingBox& a, const BoundingBox& b, float t);

  Vector3 localMin;
  Vector3 localMax;
  Matrix4 transform;
  Matrix4 secondTransform;  // kept for the model code; only ever reset to identity here
  Vector3 worldMin;
  Vector3 worldMax;
  Vector3 centre;
  Vector3 halfExtents;
  float radius = 0.0f;
};

}  // namespace CorvantisEngine
