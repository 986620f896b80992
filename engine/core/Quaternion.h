#pragma once
// A rotation quaternion (x, y, z vector part, w scalar part); a new quaternion is the identity rotation.

#include "engine/core/Matrix4.h"

namespace CorvantisEngine {

struct Quaternion {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 1.0f;

  Quaternion() = default;
  Quaternion(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}

  void Set(const Quaternion& q) { *this = q; }

  // The Hamilton product q·p with the argument q on the LEFT: p * q rotates by p first, then by q.
  Quaternion operator*(const Quaternion& q) const;
  float LengthSquared() const { return x * x + y * y + z * z + w * w; }
  // The rotation matrix (column-vector layout) of this quaternion, which need not be of unit length.
  // A zero quaternion gives the identity.
  void ToMatrix(Matrix4& out) const;

  // Linear blend t·q2 + (1 − t)·q1 along the shorter arc (q2 is negated when q1·q2 < 0); the result is
  // not renormalized.
  static void Lerp(Quaternion& out, const Quaternion& q1, const Quaternion& q2, float t);
};

}  // namespace CorvantisEngine
