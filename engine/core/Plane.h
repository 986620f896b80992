#pragma once
// A plane: the points p with normal·p + d = 0. Set, SetFromPoints and the three-point constructor
// normalize it, so Distance is then the signed distance in world units.

#include "engine/core/Ray.h"
#include "engine/core/Vector.h"

namespace CorvantisEngine {

class Plane {
 public:
  Vector3 normal;
  float d = 0.0f;

  Plane() = default;
  // The plane through a, b and c, facing the side from which they run anticlockwise.
  Plane(const Vector3& a, const Vector3& b, const Vector3& c);
  Plane(const Plane&) = default;
  Plane& operator=(const Plane&) = default;
  virtual ~Plane() = default;

  const Vector3& GetNormal() const { return normal; }
  // Signed: positive on the side the normal points to.
  float Distance(const Vector3& p) const { return normal.Dot(p) + d; }
  // normal = (a, b, c), then normalized.
  void Set(float a, float b, float c, float dValue);
  // Divides normal and d by the normal's length, unless that is below 0.0001.
  void Normalize();
  void SetFromPoints(const Vector3& a, const Vector3& b, const Vector3& c);
  // Parameter t of the ray's crossing (origin + t·direction). False, with t untouched, when the ray runs
  // parallel to the plane; otherwise t is stored and the result is t > 0 (a crossing ahead of the
  // origin).
  bool IntersectRay(const Ray& ray, float& t) const;
};

}  // namespace CorvantisEngine
