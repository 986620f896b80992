#pragma once
// A ray, or the segment from origin to origin + direction.

#include "engine/core/Vector.h"

namespace CorvantisEngine {

struct Ray {
  Vector3 origin;
  Vector3 direction;

  Ray() = default;
  Ray(const Vector3& origin_, const Vector3& direction_) { Set(origin_, direction_); }

  void Set(const Vector3& origin_, const Vector3& direction_) {
    origin = origin_;
    direction = direction_;
  }
};

}  // namespace CorvantisEngine
