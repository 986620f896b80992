#pragma once
// The engine's float vectors. Vector2 is a plain record (callers set both fields); Vector3 starts at
// the origin; Vector4 doubles as an RGBA colour with channels 0 to 1 and starts as opaque white.
// Comparisons with != allow a tolerance of 0.0001 per component.

namespace CorvantisEngine {

constexpr float kMathsEpsilon = 0.0001f;

struct Vector2 {
  float x = 0.0f;
  float y = 0.0f;

  Vector2 operator+(const Vector2& other) const { return {x + other.x, y + other.y}; }
  Vector2 operator-(const Vector2& other) const { return {x - other.x, y - other.y}; }
  Vector2 operator*(float factor) const { return {x * factor, y * factor}; }
  Vector2& operator+=(const Vector2& other);
  Vector2& operator/=(float divisor);
  bool operator!=(const Vector2& other) const;
  bool operator==(const Vector2& other) const { return !(*this != other); }

  float Length() const;
  // Scales the vector to the given length; a vector shorter than 0.0001 times that length (such as the
  // zero vector) is left as it is.
  void SetLength(float length);
  // True when the angle between the directions from this point to p and to q is at least a right angle.
  bool IsOnRightSide(const Vector2& p, const Vector2& q) const;

  // (1 - t)·a + t·b.
  static Vector2 Lerp(const Vector2& a, const Vector2& b, float t);
};

struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  Vector3() = default;
  Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

  void Fill(float value) { x = y = z = value; }

  Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vector3 operator-() const { return {-x, -y, -z}; }
  Vector3 operator*(float f) const { return {x * f, y * f, z * f}; }
  Vector3 operator/(float f) const { return {x / f, y / f, z / f}; }
  // Component-wise product and quotient.
  Vector3 operator*(const Vector3& o) const { return {x * o.x, y * o.y, z * o.z}; }
  Vector3 operator/(const Vector3& o) const { return {x / o.x, y / o.y, z / o.z}; }
  Vector3& operator+=(const Vector3& o);
  Vector3& operator-=(const Vector3& o);
  Vector3& operator*=(float f);
  Vector3& operator/=(float f);
  Vector3& operator*=(const Vector3& o);
  Vector3& operator/=(const Vector3& o);
  bool operator!=(const Vector3& other) const;
  bool operator==(const Vector3& other) const { return !(*this != other); }

  float Length() const;
  // Scales the vector to the given length; a vector shorter than 0.0001 times that length is left as
  // it is, so the zero vector never turns into NaNs.
  void Normalize(float length = 1.0f);
  Vector3 GetNormalized() const;
  float Dot(const Vector3& o) const { return x * o.x + y * o.y + z * o.z; }
  Vector3 Cross(const Vector3& o) const { return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x}; }
};

struct Vector4 {
  float x = 1.0f;
  float y = 1.0f;
  float z = 1.0f;
  float w = 1.0f;

  Vector4() = default;
  Vector4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}

  void Set(float x_, float y_, float z_, float w_) {
    x = x_;
    y = y_;
    z = z_;
    w = w_;
  }
  Vector4 operator*(float f) const { return {x * f, y * f, z * f, w * f}; }
  Vector4 operator+(const Vector4& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
  bool operator==(const Vector4& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
};

}  // namespace CorvantisEngine
