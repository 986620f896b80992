#include "engine/core/BoundingBox.h"

#include <algorithm>
#include <cmath>

namespace CorvantisEngine {

void BoundingBox::SetBox(const Vector3& min, const Vector3& max) {
  localMin = min;
  localMax = max;
  Update(false);
}

void BoundingBox::SetMatrix(const Matrix4& matrix) {
  transform = matrix;
  Update(true);
}

void BoundingBox::Update(bool useTransform) {
  if (useTransform) {
    // The bounds start from the first corner rather than from a large sentinel, so boxes placed
    // arbitrarily far away keep their true extent.
    for (int corner = 0; corner < 8; ++corner) {
      const Vector3 local((corner & 1) ? localMax.x : localMin.x, (corner & 2) ? localMax.y : localMin.y,
                          (corner & 4) ? localMax.z : localMin.z);
      const Vector3 world = transform.TransformPoint(local);
      if (corner == 0) {
        worldMin = world;
        worldMax = world;
        continue;
      }
      worldMin = Vector3(std::min(worldMin.x, world.x), std::min(worldMin.y, world.y),
                         std::min(worldMin.z, world.z));
      worldMax = Vector3(std::max(worldMax.x, world.x), std::max(worldMax.y, world.y),
                         std::max(worldMax.z, world.z));
    }
  } else {
    transform.Identity();
    secondTransform.Identity();
    worldMin = localMin;
    worldMax = localMax;
  }
  halfExtents = (worldMax - worldMin) * 0.5f;
  centre = worldMin + halfExtents;
  radius = halfExtents.Length();
}

bool BoundingBox::Intersects(const BoundingBox& other) const {
  return std::fabs(centre.x - other.centre.x) <= halfExtents.x + other.halfExtents.x &&
         std::fabs(centre.y - other.centre.y) <= halfExtents.y + other.halfExtents.y &&
         std::fabs(centre.z - other.centre.z) <= halfExtents.z + other.halfExtents.z;
}

bool BoundingBox::IntersectsSegment(const Ray& ray) const {
  // Separating-axis test of the segment (midpoint m, unit direction d, half-length h) against the box:
  // the three box axes, then the three cross products of d with them.
  const Vector3 mid = ray.origin + ray.direction * 0.5f;
  const Vector3 d = ray.direction.GetNormalized();
  const float h = ray.direction.Length() * 0.5f;
  const Vector3 t = mid - centre;
  const Vector3& e = halfExtents;
  if (std::fabs(t.x) > e.x + h * std::fabs(d.x) || std::fabs(t.y) > e.y + h * std::fabs(d.y) ||
      std::fabs(t.z) > e.z + h * std::fabs(d.z)) {
    return false;
  }
  if (std::fabs(t.y * d.z - t.z * d.y) > e.y * std::fabs(d.z) + e.z * std::fabs(d.y)) {
    return false;
  }
  if (std::fabs(t.z * d.x - t.x * d.z) > e.x * std::fabs(d.z) + e.z * std::fabs(d.x)) {
    return false;
  }
  if (std::fabs(t.x * d.y - t.y * d.x) > e.x * std::fabs(d.y) + e.y * std::fabs(d.x)) {
    return false;
  }
  return true;
}

void BoundingBox::Lerp(BoundingBox& out, const BoundingBox& a, const BoundingBox& b, float t) {
  const float u = 1.0f - t;
  const Vector3 centre = a.centre * u + b.centre * t;
  const Vector3 half = a.halfExtents * u + b.halfExtents * t;
  out = BoundingBox(centre - half, centre + half);
}

}  // namespace CorvantisEngine
