#pragma once
// A 4x4 float matrix for column vectors: element m[4 * row + column], a point transforms as p' = M·p,
// the translation sits in m[3], m[7] and m[11]. A·B applied to a point applies B first. (The camera and
// device matrices are kept transposed, in Direct3D's row-vector layout; see Camera.) A new matrix is
// the identity. Equality allows a tolerance of 0.0001 per element.

#include "engine/core/Ray.h"
#include "engine/core/Vector.h"

namespace CorvantisEngine {

class Matrix4 {
 public:
  float m[16];

  Matrix4() { Identity(); }

  // All elements zero, then 1 on the diagonal.
  void Identity();
  // Diagonal (v.x, v.y, v.z, 1), everything else zero.
  void Scaling(const Vector3& v);
  static Matrix4 MakeScaling(const Vector3& v);
  // Identity with the translation v.
  void Translation(const Vector3& v);
  // Identity with a rotation by angle radians about z (x' = x·cos − y·sin).
  void RotationZ(float angle);

  Matrix4 operator*(const Matrix4& b) const;
  bool operator==(const Matrix4& other) const;
  bool operator!=(const Matrix4& other) const { return !(*this == other); }

  Vector3 TransformPoint(const Vector3& p) const;
  Vector4 TransformVector4(const Vector4& v) const;
  // Transforms the ray's origin and end point (origin + direction) and rebuilds it from them.
  Ray TransformRay(const Ray& ray) const;

  // Swaps the elements (row, column) and (column, row).
  void SwapElements(int row, int column);
  void Transpose();
  // Inverts in place. A singular matrix (determinant 0 or not finite) is left unchanged and false is
  // returned.
  bool Inverse();
};

}  // namespace CorvantisEngine
