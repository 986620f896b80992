#include "engine/core/MathFunctions.h"

#include <cmath>

namespace CorvantisEngine {

Vector2 BezierQuadratic(const Vector2& a, const Vector2& b, const Vector2& c, float t) {
  const float u = 1.0f - t;
  const float wa = u * u;
  const float wb = 2.0f * t * u;
  const float wc = t * t;
  return {wa * a.x + wb * b.x + wc * c.x, wa * a.y + wb * b.y + wc * c.y};
}

bool IsPointInTriangle(const Plane& plane, const Vector3& a, const Vector3& b, const Vector3& c,
                       const Vector3& p) {
  // Project on the two axes other than the normal's largest component.
  const Vector3& n = plane.GetNormal();
  const float ax = std::fabs(n.x);
  const float ay = std::fabs(n.y);
  const float az = std::fabs(n.z);
  const float largest = std::fmax(ax, std::fmax(ay, az));
  auto project = [&](const Vector3& v, float& s, float& t) {
    if (largest - ax < kMathsEpsilon) {
      s = v.y;
      t = v.z;
    } else if (largest - ay < kMathsEpsilon) {
      s = v.x;
      t = v.z;
    } else {
      s = v.x;
      t = v.y;
    }
  };
  float s0, t0, s1, t1, s2, t2;
  project(p - a, s0, t0);
  project(b - a, s1, t1);
  project(c - a, s2, t2);

  float alpha, beta;
  if (std::fabs(s1) >= kMathsEpsilon) {
    const float denominator = t2 * s1 - s2 * t1;
    if (denominator == 0.0f) {
      return false;
    }
    beta = (t0 * s1 - s0 * t1) / denominator;
    if (beta < 0.0f || beta > 1.0f) {
      return false;
    }
    alpha = (s0 - beta * s2) / s1;
  } else {
    if (s2 == 0.0f || t1 == 0.0f) {
      return false;
    }
    beta = s0 / s2;
    if (beta < 0.0f || beta > 1.0f) {
      return false;
    }
    alpha = (t0 - beta * t2) / t1;
  }
  if (!(alpha >= 0.0f)) {
    return false;
  }
  return alpha + beta <= 1.0f;
}

}  // namespace CorvantisEngine
