#include "engine/core/Frustum.h"

namespace CorvantisEngine {

void Frustum::Update(const Matrix4& first, const Matrix4& second) {
  const Matrix4 c = second * first;
  const float* m = c.m;
  planes[0].Set(m[3] - m[0], m[7] - m[4], m[11] - m[8], m[15] - m[12]);
  planes[1].Set(m[3] + m[0], m[7] + m[4], m[11] + m[8], m[15] + m[12]);
  planes[2].Set(m[3] + m[1], m[7] + m[5], m[11] + m[9], m[15] + m[13]);
  planes[3].Set(m[3] - m[1], m[7] - m[5], m[11] - m[9], m[15] - m[13]);
  planes[4].Set(m[3] - m[2], m[7] - m[6], m[11] - m[10], m[15] - m[14]);
  planes[5].Set(m[3] + m[2], m[7] + m[6], m[11] + m[10], m[15] + m[14]);
}

bool Frustum::IsVisible(const BoundingBox& box) const {
  if (box.radius < 0.001f) {
    return false;
  }
  for (const Plane& plane : planes) {
    if (plane.Distance(box.centre) <= -box.radius) {
      return false;
    }
  }
  return true;
}

}  // namespace CorvantisEngine
