#include "engine/core/Vector.h"

#include <cmath>

namespace CorvantisEngine {

Vector2& Vector2::operator+=(const Vector2& other) {
  x += other.x;
  y += other.y;
  return *this;
}

Vector2& Vector2::operator/=(float divisor) {
  x /= divisor;
  y /= divisor;
  return *this;
}

bool Vector2::operator!=(const Vector2& other) const {
  return std::fabs(x - other.x) > kMathsEpsilon || std::fabs(y - other.y) > kMathsEpsilon;
}

float Vector2::Length() const {
  return std::sqrt(x * x + y * y);
}

void Vector2::SetLength(float length) {
  const float ratio = Length() / length;
  if (std::fabs(ratio) >= kMathsEpsilon) {
    x /= ratio;
    y /= ratio;
  }
}

bool Vector2::IsOnRightSide(const Vector2& p, const Vector2& q) const {
  const float dot = (p.x - x) * (q.x - x) + (p.y - y) * (q.y - y);
  return dot <= 0.0f;
}

Vector2 Vector2::Lerp(const Vector2& a, const Vector2& b, float t) {
  return {(1.0f - t) * a.x + t * b.x, (1.0f - t) * a.y + t * b.y};
}

Vector3& Vector3::operator+=(const Vector3& o) {
  x += o.x;
  y += o.y;
  z += o.z;
  return *this;
}

Vector3& Vector3::operator-=(const Vector3& o) {
  x -= o.x;
  y -= o.y;
  z -= o.z;
  return *this;
}

Vector3& Vector3::operator*=(float f) {
  x *= f;
  y *= f;
  z *= f;
  return *this;
}

Vector3& Vector3::operator/=(float f) {
  x /= f;
  y /= f;
  z /= f;
  return *this;
}

Vector3& Vector3::operator*=(const Vector3& o) {
  x *= o.x;
  y *= o.y;
  z *= o.z;
  return *this;
}

Vector3& Vector3::operator/=(const Vector3& o) {
  x /= o.x;
  y /= o.y;
  z /= o.z;
  return *this;
}

bool Vector3::operator!=(const Vector3& o) const {
  return std::fabs(x - o.x) > kMathsEpsilon || std::fabs(y - o.y) > kMathsEpsilon ||
         std::fabs(z - o.z) > kMathsEpsilon;
}

float Vector3::Length() const {
  return std::sqrt(x * x + y * y + z * z);
}

void Vector3::Normalize(float length) {
  const float ratio = Length() / length;
  if (std::fabs(ratio) >= kMathsEpsilon) {
    x /= ratio;
    y /= ratio;
    z /= ratio;
  }
}

Vector3 Vector3::GetNormalized() const {
  Vector3 copy = *this;
  copy.Normalize(1.0f);
  return copy;
}

}  // namespace CorvantisEngine
