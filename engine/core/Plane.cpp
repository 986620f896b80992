#include "engine/core/Plane.h"

#include <cmath>

namespace CorvantisEngine {

Plane::Plane(const Vector3& a, const Vector3& b, const Vector3& c) {
  SetFromPoints(a, b, c);
}

void Plane::Set(float a, float b, float c, float dValue) {
  normal = Vector3(a, b, c);
  d = dValue;
  Normalize();
}

void Plane::Normalize() {
  const float length = normal.Length();
  if (length >= kMathsEpsilon) {
    normal /= length;
    d /= length;
  }
}

void Plane::SetFromPoints(const Vector3& a, const Vector3& b, const Vector3& c) {
  normal = (b - a).Cross(c - a);
  d = -normal.Dot(a);
  Normalize();
}

bool Plane::IntersectRay(const Ray& ray, float& t) const {
  const float denominator = normal.Dot(ray.direction);
  if (std::fabs(denominator) < kMathsEpsilon) {
    return false;
  }
  t = -(normal.Dot(ray.origin) + d) / denominator;
  return t > 0.0f;
}

}  // namespace CorvantisEngine
