#include "engine/core/Matrix4.h"

#include <cmath>
#include <utility>

namespace CorvantisEngine {

void Matrix4::Identity() {
  for (float& element : m) {
    element = 0.0f;
  }
  m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void Matrix4::Scaling(const Vector3& v) {
  Identity();
  m[0] = v.x;
  m[5] = v.y;
  m[10] = v.z;
}

Matrix4 Matrix4::MakeScaling(const Vector3& v) {
  Matrix4 result;
  result.Scaling(v);
  return result;
}

void Matrix4::Translation(const Vector3& v) {
  Identity();
  m[3] = v.x;
  m[7] = v.y;
  m[11] = v.z;
}

void Matrix4::RotationZ(float angle) {
  Identity();
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  m[0] = c;
  m[1] = -s;
  m[4] = s;
  m[5] = c;
}

Matrix4 Matrix4::operator*(const Matrix4& b) const {
  Matrix4 c;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) {
        sum += m[4 * i + k] * b.m[4 * k + j];
      }
      c.m[4 * i + j] = sum;
    }
  }
  return c;
}

bool Matrix4::operator==(const Matrix4& other) const {
  for (int i = 0; i < 16; ++i) {
    if (std::fabs(m[i] - other.m[i]) > kMathsEpsilon) {
      return false;
    }
  }
  return true;
}

Vector3 Matrix4::TransformPoint(const Vector3& p) const {
  return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3], m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
          m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
}

Vector4 Matrix4::TransformVector4(const Vector4& v) const {
  return {m[0] * v.x + m[1] * v.y + m[2] * v.z + m[3] * v.w,
          m[4] * v.x + m[5] * v.y + m[6] * v.z + m[7] * v.w,
          m[8] * v.x + m[9] * v.y + m[10] * v.z + m[11] * v.w,
          m[12] * v.x + m[13] * v.y + m[14] * v.z + m[15] * v.w};
}

Ray Matrix4::TransformRay(const Ray& ray) const {
  const Vector3 origin = TransformPoint(ray.origin);
  const Vector3 end = TransformPoint(ray.origin + ray.direction);
  return Ray(origin, end - origin);
}

void Matrix4::SwapElements(int row, int column) {
  std::swap(m[4 * row + column], m[4 * column + row]);
}

void Matrix4::Transpose() {
  SwapElements(0, 1);
  SwapElements(0, 2);
  SwapElements(0, 3);
  SwapElements(1, 2);
  SwapElements(1, 3);
  SwapElements(2, 3);
}

namespace {

// Determinant of the 3x3 matrix left when row r and column c are struck out of a.
float Minor(const float* a, int r, int c) {
  float sub[9];
  int n = 0;
  for (int i = 0; i < 4; ++i) {
    if (i == r) {
      continue;
    }
    for (int j = 0; j < 4; ++j) {
      if (j == c) {
        continue;
      }
      sub[n++] = a[4 * i + j];
    }
  }
  return sub[0] * (sub[4] * sub[8] - sub[5] * sub[7]) - sub[1] * (sub[3] * sub[8] - sub[5] * sub[6]) +
         sub[2] * (sub[3] * sub[7] - sub[4] * sub[6]);
}

}  // namespace

bool Matrix4::Inverse() {
  // Cramer's rule: the adjugate (transposed cofactors) divided by the determinant, which is expanded
  // along the first row (summed in double). A singular matrix would give infinities, so it is refused.
  float cofactor[16];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      const float sign = ((i + j) % 2 == 0) ? 1.0f : -1.0f;
      cofactor[4 * i + j] = sign * Minor(m, i, j);
    }
  }
  double determinant = 0.0;
  for (int j = 0; j < 4; ++j) {
    determinant += static_cast<double>(m[j]) * cofactor[j];
  }
  if (determinant == 0.0 || !std::isfinite(determinant)) {
    return false;
  }
  const double scale = 1.0 / determinant;
  float result[16];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      result[4 * i + j] = static_cast<float>(cofactor[4 * j + i] * scale);
    }
  }
  for (const float element : result) {
    if (!std::isfinite(element)) {
      return false;
    }
  }
  for (int i = 0; i < 16; ++i) {
    m[i] = result[i];
  }
  return true;
}

}  // namespace CorvantisEngine
