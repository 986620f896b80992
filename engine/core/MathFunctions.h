#pragma once
// Small free functions of the engine's geometry code.

#include "engine/core/Plane.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Vector.h"

namespace CorvantisEngine {

inline float FloatMin(float a, float b) {
  return a < b ? a : b;
}
inline float FloatMax(float a, float b) {
  return a > b ? a : b;
}

// The four-component dot product.
inline float DotProduct(const Vector4& a, const Vector4& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}
inline float DotProduct(const Quaternion& a, const Quaternion& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}

// The point at t (0 to 1) of the quadratic Bézier curve from a through control point b to c.
Vector2 BezierQuadratic(const Vector2& a, const Vector2& b, const Vector2& c, float t);

// True when p, a point on the plane of the triangle a, b, c (plane is that plane), lies inside the
// triangle or on its edges. The test runs in 2-D on the two axes the plane's normal favours least. A
// degenerate triangle contains nothing.
bool IsPointInTriangle(const Plane& plane, const Vector3& a, const Vector3& b, const Vector3& c,
                       const Vector3& p);

}  // namespace CorvantisEngine
