#include "engine/core/Quaternion.h"

#include "engine/core/MathFunctions.h"

namespace CorvantisEngine {

Quaternion Quaternion::operator*(const Quaternion& q) const {
  const Quaternion& p = *this;
  return {q.w * p.x + q.x * p.w + q.y * p.z - q.z * p.y, q.w * p.y - q.x * p.z + q.y * p.w + q.z * p.x,
          q.w * p.z + q.x * p.y - q.y * p.x + q.z * p.w, q.w * p.w - q.x * p.x - q.y * p.y - q.z * p.z};
}

void Quaternion::ToMatrix(Matrix4& out) const {
  out.Identity();
  const float lengthSquared = LengthSquared();
  if (!(lengthSquared > 0.0f)) {
    return;  // no rotation to express; 2 / 0 would fill the matrix with NaNs
  }
  const float s = 2.0f / lengthSquared;
  const float xs = x * s;
  const float ys = y * s;
  const float zs = z * s;
  out.m[0] = 1.0f - (y * ys + z * zs);
  out.m[1] = x * ys - w * zs;
  out.m[2] = x * zs + w * ys;
  out.m[4] = x * ys + w * zs;
  out.m[5] = 1.0f - (x * xs + z * zs);
  out.m[6] = y * zs - w * xs;
  out.m[8] = x * zs - w * ys;
  out.m[9] = y * zs + w * xs;
  out.m[10] = 1.0f - (x * xs + y * ys);
}

void Quaternion::Lerp(Quaternion& out, const Quaternion& q1, const Quaternion& q2, float t) {
  Quaternion target = q2;
  if (DotProduct(q1, q2) < 0.0f) {
    target = Quaternion(-q2.x, -q2.y, -q2.z, -q2.w);
  }
  const float u = 1.0f - t;
  out = Quaternion(t * target.x + u * q1.x, t * target.y + u * q1.y, t * target.z + u * q1.z,
                   t * target.w + u * q1.w);
}

}  // namespace CorvantisEngine
