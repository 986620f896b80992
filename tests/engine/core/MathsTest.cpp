#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "engine/core/Maths.h"

using namespace CorvantisEngine;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

::testing::AssertionResult Near(const Vector3& actual, const Vector3& expected, float tolerance = 1e-4f) {
  if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
      std::fabs(actual.z - expected.z) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") is not (" << expected.x << ", "
         << expected.y << ", " << expected.z << ")";
}

::testing::AssertionResult Near(const Quaternion& a, const Quaternion& b) {
  if (std::fabs(a.x - b.x) <= 1e-5f && std::fabs(a.y - b.y) <= 1e-5f && std::fabs(a.z - b.z) <= 1e-5f &&
      std::fabs(a.w - b.w) <= 1e-5f) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "(" << a.x << ", " << a.y << ", " << a.z << ", " << a.w << ") is not (" << b.x << ", " << b.y
         << ", " << b.z << ", " << b.w << ")";
}

Matrix4 Translate(const Vector3& v) {
  Matrix4 m;
  m.Translation(v);
  return m;
}

Matrix4 RotateZ(float angle) {
  Matrix4 m;
  m.RotationZ(angle);
  return m;
}

// The rotation by angle about a unit axis.
Quaternion AxisAngle(const Vector3& axis, float angle) {
  const float s = std::sin(angle / 2);
  return {axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2)};
}

}  // namespace

TEST(Vectors, LengthChangesLeaveShortVectorsAlone) {
  Vector2 v{3, 4};
  v.SetLength(5);
  EXPECT_EQ(v, (Vector2{3, 4}));
  v.SetLength(10);
  EXPECT_EQ(v, (Vector2{6, 8}));
  Vector2 zero{0, 0};
  zero.SetLength(5);
  EXPECT_FALSE(std::isnan(zero.x));
  EXPECT_EQ(zero, (Vector2{0, 0}));

  Vector3 up(0, 0, 2);
  up.Normalize(1);
  EXPECT_TRUE(Near(up, {0, 0, 1}));
  Vector3 none;
  none.Normalize(1);
  EXPECT_TRUE(Near(none, {0, 0, 0})) << "the zero vector stays zero, not NaN";
  EXPECT_TRUE(Near(Vector3(3, 0, 4).GetNormalized(), {0.6f, 0, 0.8f}));
  EXPECT_TRUE(Near(Vector3(1, 0, 0).Cross(Vector3(0, 1, 0)), {0, 0, 1})) << "right-handed cross product";
  EXPECT_FLOAT_EQ(Vector3(1, 2, 3).Dot(Vector3(4, -5, 6)), 12.0f);

  EXPECT_FALSE(Vector3(1, 1, 1) != Vector3(1.00005f, 1, 1)) << "within the 0.0001 tolerance";
  EXPECT_TRUE(Vector3(1, 1, 1) != Vector3(1, 1, 1.001f));
  EXPECT_EQ(Vector2::Lerp({0, 10}, {10, 20}, 0.25f), (Vector2{2.5f, 12.5f}));
}

TEST(Vectors, IsOnRightSideMeansAnObtuseOrRightAngle) {
  const Vector2 corner{0, 0};
  EXPECT_TRUE(corner.IsOnRightSide({1, 0}, {0, 1})) << "right angle";
  EXPECT_TRUE(corner.IsOnRightSide({1, 0}, {-1, 1})) << "obtuse";
  EXPECT_FALSE(corner.IsOnRightSide({1, 0}, {1, 1})) << "acute";
}

TEST(Vectors, ColourDefaultsToOpaqueWhite) {
  const Vector4 colour;
  EXPECT_EQ(colour, Vector4(1, 1, 1, 1));
  EXPECT_EQ(Vector4(1, 2, 3, 4) * 2 + Vector4(1, 1, 1, 1), Vector4(3, 5, 7, 9));
}

TEST(Matrix4Test, TransformsFollowTheColumnVectorConvention) {
  struct Row {
    Matrix4 matrix;
    Vector3 point, expected;
    const char* why;
  };
  const Row rows[] = {
      {RotateZ(kPi / 2), {1, 0, 0}, {0, 1, 0}, "a quarter turn about z takes x to y"},
      {RotateZ(kPi / 2), {0, 1, 0}, {-1, 0, 0}, "and y to -x"},
      {Translate({1, 2, 3}), {1, 1, 1}, {2, 3, 4}, "translation sits in m3, m7, m11"},
      {Translate({1, 2, 3}) * Matrix4::MakeScaling({2, 3, 4}), {1, 1, 1}, {3, 5, 7}, "T·S scales first"},
      {Matrix4::MakeScaling({2, 3, 4}) * Translate({1, 2, 3}), {1, 1, 1}, {4, 9, 16}, "S·T moves first"},
      {Translate({5, 0, 0}) * RotateZ(kPi), {1, 0, 0}, {4, 0, 0}, "rotate, then move"},
  };
  for (const Row& row : rows) {
    EXPECT_TRUE(Near(row.matrix.TransformPoint(row.point), row.expected)) << row.why;
  }

  const Matrix4 m = Translate({1, 2, 3});
  const Vector4 direction = m.TransformVector4(Vector4(1, 0, 0, 0));
  EXPECT_EQ(direction, Vector4(1, 0, 0, 0)) << "w = 0 is not moved";
  const Vector4 point = m.TransformVector4(Vector4(1, 0, 0, 2));
  EXPECT_EQ(point, Vector4(3, 4, 6, 2));

  const Ray ray =
      (Translate({0, 0, 5}) * Matrix4::MakeScaling({2, 2, 2})).TransformRay(Ray({1, 0, 0}, {0, 1, 0}));
  EXPECT_TRUE(Near(ray.origin, {2, 0, 5}));
  EXPECT_TRUE(Near(ray.direction, {0, 2, 0})) << "directions scale but do not move";
}

TEST(Matrix4Test, TransposeAndEquality) {
  Matrix4 m;
  for (int i = 0; i < 16; ++i) {
    m.m[i] = static_cast<float>(i);
  }
  Matrix4 t = m;
  t.Transpose();
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(t.m[4 * r + c], m.m[4 * c + r]);
    }
  }
  t.Transpose();
  EXPECT_TRUE(t == m);
  t.m[7] += 0.00005f;
  EXPECT_TRUE(t == m) << "within 0.0001";
  t.m[7] += 0.001f;
  EXPECT_FALSE(t == m);
}

TEST(Matrix4Test, InverseUndoesTheTransform) {
  const Matrix4 cases[] = {
      Matrix4(),
      Translate({1, -2, 3}),
      RotateZ(0.7f) * Matrix4::MakeScaling({2, 0.5f, 4}),
      Translate({10, 20, 30}) * RotateZ(-1.2f) * Matrix4::MakeScaling({3, 3, 3}),
  };
  for (const Matrix4& matrix : cases) {
    Matrix4 inverse = matrix;
    ASSERT_TRUE(inverse.Inverse());
    EXPECT_TRUE(inverse * matrix == Matrix4());
    EXPECT_TRUE(matrix * inverse == Matrix4());
    EXPECT_TRUE(Near(inverse.TransformPoint(matrix.TransformPoint({1, 2, 3})), {1, 2, 3}, 1e-3f));
  }

  // A full 4x4 with a non-trivial last row (a projection) as well.
  Matrix4 projection;
  const float values[16] = {1, 0, 0.2f, 0, 0, 1.5f, 0.1f, 0, 0, 0, -1.2f, -2, 0, 0, -1, 0};
  std::copy(values, values + 16, projection.m);
  Matrix4 inverse = projection;
  ASSERT_TRUE(inverse.Inverse());
  EXPECT_TRUE(inverse * projection == Matrix4());

  // Singular: refused, matrix unchanged, no NaNs.
  const Matrix4 flat = Matrix4::MakeScaling({1, 0, 1});
  Matrix4 copy = flat;
  EXPECT_FALSE(copy.Inverse());
  EXPECT_TRUE(copy == flat);
}

TEST(QuaternionTest, ProductPutsTheArgumentOnTheLeft) {
  const Quaternion identity;
  const Quaternion i(1, 0, 0, 0), j(0, 1, 0, 0), k(0, 0, 1, 0);
  const Quaternion q(0.1f, -0.2f, 0.3f, 0.9f);
  EXPECT_TRUE(Near(identity * q, q));
  EXPECT_TRUE(Near(q * identity, q));
  EXPECT_TRUE(Near(i * j, Quaternion(0, 0, -1, 0))) << "i * j is the Hamilton product j·i = -k";
  EXPECT_TRUE(Near(j * i, k));
  EXPECT_TRUE(Near(i * i, Quaternion(0, 0, 0, -1)));

  // p * q rotates by p first, then by q: a quarter turn about z then about x takes x to z.
  const Quaternion aboutZ = AxisAngle({0, 0, 1}, kPi / 2);
  const Quaternion aboutX = AxisAngle({1, 0, 0}, kPi / 2);
  Matrix4 m;
  (aboutZ * aboutX).ToMatrix(m);
  EXPECT_TRUE(Near(m.TransformPoint({1, 0, 0}), {0, 0, 1}));
}

TEST(QuaternionTest, ToMatrixMatchesTheRotationMatrices) {
  Matrix4 m;
  AxisAngle({0, 0, 1}, 0.8f).ToMatrix(m);
  EXPECT_TRUE(m == RotateZ(0.8f));

  // Not of unit length: the scale 2 / |q|² makes it a pure rotation all the same.
  Quaternion scaled = AxisAngle({0, 0, 1}, 0.8f);
  scaled = Quaternion(scaled.x * 3, scaled.y * 3, scaled.z * 3, scaled.w * 3);
  scaled.ToMatrix(m);
  EXPECT_TRUE(m == RotateZ(0.8f));

  AxisAngle({1, 0, 0}, kPi / 2).ToMatrix(m);
  EXPECT_TRUE(Near(m.TransformPoint({0, 1, 0}), {0, 0, 1}));
  AxisAngle({0, 1, 0}, kPi / 2).ToMatrix(m);
  EXPECT_TRUE(Near(m.TransformPoint({0, 0, 1}), {1, 0, 0}));

  Quaternion(0, 0, 0, 0).ToMatrix(m);
  EXPECT_TRUE(m == Matrix4()) << "a zero quaternion gives the identity, not NaNs";
}

TEST(QuaternionTest, LerpTakesTheShorterArc) {
  Quaternion out;
  Quaternion::Lerp(out, Quaternion(0, 0, 0, 1), Quaternion(1, 0, 0, 0), 0.25f);
  EXPECT_TRUE(Near(out, Quaternion(0.25f, 0, 0, 0.75f))) << "not renormalized";
  Quaternion::Lerp(out, Quaternion(0, 0, 0, 1), Quaternion(0, 0, 0.6f, -0.8f), 0.5f);
  EXPECT_TRUE(Near(out, Quaternion(0, 0, -0.3f, 0.9f))) << "q2 negated when the dot product is negative";
}

TEST(PlaneTest, FromPointsDistanceAndRayCrossing) {
  const Plane floor({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  EXPECT_TRUE(Near(floor.GetNormal(), {0, 0, 1}));
  EXPECT_FLOAT_EQ(floor.Distance({5, 5, 3}), 3.0f);

  Plane raised;
  raised.Set(0, 0, 2, -4);  // 2z - 4 = 0, normalized to z - 2 = 0
  EXPECT_FLOAT_EQ(raised.Distance({0, 0, 5}), 3.0f);
  EXPECT_FLOAT_EQ(raised.d, -2.0f);

  struct Row {
    Ray ray;
    bool hit;
    float t;
    const char* why;
  };
  const Row rows[] = {
      {Ray({0, 0, 4}, {0, 0, -1}), true, 2.0f, "straight down onto z = 2"},
      {Ray({0, 0, 4}, {0, 0, 1}), false, -2.0f, "behind the origin: t stored, not a hit"},
      {Ray({0, 0, 2}, {1, 0, -1}), false, 0.0f, "starting on the plane: t = 0 is not ahead"},
  };
  for (const Row& row : rows) {
    float t = 99.0f;
    EXPECT_EQ(raised.IntersectRay(row.ray, t), row.hit) << row.why;
    EXPECT_FLOAT_EQ(t, row.t) << row.why;
  }
  float untouched = 99.0f;
  EXPECT_FALSE(raised.IntersectRay(Ray({0, 0, 4}, {1, 0, 0}), untouched));
  EXPECT_EQ(untouched, 99.0f) << "a parallel ray leaves t alone";

  Plane degenerate({0, 0, 0}, {1, 1, 1}, {2, 2, 2});
  EXPECT_FALSE(std::isnan(degenerate.d)) << "collinear points give a zero plane, not NaNs";
}

TEST(BoundingBoxTest, WorldBoxFollowsTheTransform) {
  BoundingBox box({-1, -2, -3}, {1, 2, 3});
  EXPECT_TRUE(Near(box.centre, {0, 0, 0}));
  EXPECT_TRUE(Near(box.halfExtents, {1, 2, 3}));
  EXPECT_FLOAT_EQ(box.radius, std::sqrt(14.0f));

  box.SetMatrix(Translate({10, 0, 0}) * RotateZ(kPi / 2));
  EXPECT_TRUE(Near(box.worldMin, {8, -1, -3}));
  EXPECT_TRUE(Near(box.worldMax, {12, 1, 3}));
  EXPECT_TRUE(Near(box.centre, {10, 0, 0}));

  box.SetBox({0, 0, 0}, {1, 1, 1});
  EXPECT_TRUE(box.transform == Matrix4()) << "SetBox resets the transform";
  EXPECT_TRUE(Near(box.worldMax, {1, 1, 1}));

  // Far beyond any sentinel value the world box is still right.
  BoundingBox far({0, 0, 0}, {1, 1, 1});
  far.SetMatrix(Translate({250000, -250000, 0}));
  EXPECT_TRUE(Near(far.worldMin, {250000, -250000, 0}));
  EXPECT_TRUE(Near(far.worldMax, {250001, -249999, 1}));
}

TEST(BoundingBoxTest, OverlapAndLerp) {
  const BoundingBox a({0, 0, 0}, {2, 2, 2});
  EXPECT_TRUE(a.Intersects(BoundingBox({1, 1, 1}, {3, 3, 3})));
  EXPECT_TRUE(a.Intersects(BoundingBox({2, 0, 0}, {3, 2, 2}))) << "touching faces count";
  EXPECT_FALSE(a.Intersects(BoundingBox({2.1f, 0, 0}, {3, 2, 2})));
  EXPECT_FALSE(a.Intersects(BoundingBox({0, 0, 5}, {2, 2, 6}))) << "apart on one axis only";

  BoundingBox out;
  BoundingBox::Lerp(out, a, BoundingBox({10, 10, 10}, {14, 14, 14}), 0.5f);
  EXPECT_TRUE(Near(out.centre, {6.5f, 6.5f, 6.5f}));
  EXPECT_TRUE(Near(out.halfExtents, {1.5f, 1.5f, 1.5f}));
}

TEST(BoundingBoxTest, SegmentTest) {
  const BoundingBox box({-1, -1, -1}, {1, 1, 1});
  struct Row {
    Vector3 origin, direction;
    bool hit;
    const char* why;
  };
  const Row rows[] = {
      {{-5, 0, 0}, {10, 0, 0}, true, "passes straight through"},
      {{-5, 0, 0}, {3, 0, 0}, false, "stops short of the box"},
      {{-5, 0, 0}, {4, 0, 0}, true, "ends on the face"},
      {{0, 0, 0}, {0.1f, 0, 0}, true, "wholly inside"},
      {{-5, 2, 0}, {10, 0, 0}, false, "passes beside it"},
      {{-3.5f, -1, 0}, {4, 4, 0}, false, "diagonal that misses a corner: only the cross axes show it"},
      {{-2, -1.5f, 0}, {4, 4, 0}, true, "diagonal through the corner region"},
      {{0.5f, 0.5f, 0.5f}, {0, 0, 0}, true, "a zero-length segment inside is a point inside"},
      {{5, 5, 5}, {0, 0, 0}, false, "a zero-length segment outside"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(box.IntersectsSegment(Ray(row.origin, row.direction)), row.hit) << row.why;
  }
}

TEST(FrustumTest, VisibilityAgainstTheClipVolume) {
  // With identity matrices the clip volume is the cube -1..1 on every axis.
  Frustum frustum;
  frustum.Update(Matrix4(), Matrix4());
  struct Row {
    Vector3 min, max;
    bool visible;
    const char* why;
  };
  const Row rows[] = {
      {{-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, true, "inside"},
      {{0.9f, 0, 0}, {3, 0.1f, 0.1f}, true, "straddling a plane"},
      {{5, 5, 5}, {6, 6, 6}, false, "wholly outside"},
      {{0, 0, 0}, {0.0005f, 0.0005f, 0.0005f}, false, "radius below 0.001 is never visible"},
      {{0, 0, -4}, {0, 0, -2}, false, "behind the near plane (a zero-width box has radius 1)"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(frustum.IsVisible(BoundingBox(row.min, row.max)), row.visible) << row.why;
  }

  // A sphere exactly touching a plane from outside counts as outside.
  BoundingBox touching({-1, -1, -1}, {1, 1, 1});
  touching.SetMatrix(Translate({1 + std::sqrt(3.0f), 0, 0}));
  EXPECT_FLOAT_EQ(frustum.GetPlane(0).Distance(touching.centre), -touching.radius);
  EXPECT_FALSE(frustum.IsVisible(touching));
}

TEST(FrustumTest, CombinesSecondTimesFirst) {
  // Row-vector (Direct3D) layout as the camera passes them: a view that moves x by +1, then a
  // projection that halves everything. The clip volume is then -3 <= x <= 1; the other order would give
  // -4 <= x <= 0.
  Matrix4 view = Translate({1, 0, 0});
  view.Transpose();
  const Matrix4 projection = Matrix4::MakeScaling({0.5f, 0.5f, 0.5f});
  Frustum frustum;
  frustum.Update(projection, view);

  const Vector3 small(0.05f, 0.05f, 0.05f);
  EXPECT_TRUE(frustum.IsVisible(BoundingBox(Vector3(0.5f, 0, 0) - small, Vector3(0.5f, 0, 0) + small)));
  EXPECT_FALSE(frustum.IsVisible(BoundingBox(Vector3(-3.5f, 0, 0) - small, Vector3(-3.5f, 0, 0) + small)));
  EXPECT_TRUE(frustum.IsVisible(BoundingBox(Vector3(-2.8f, 0, 0) - small, Vector3(-2.8f, 0, 0) + small)));
}

TEST(MathFunctionsTest, PointInTriangleOnEveryProjection) {
  struct Row {
    Vector3 a, b, c, p;
    bool inside;
    const char* why;
  };
  const Row rows[] = {
      {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}, {1, 1, 0}, true, "xy plane, inside"},
      {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}, {3, 3, 0}, false, "xy plane, beyond the hypotenuse"},
      {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}, {2, 2, 0}, true, "on the hypotenuse"},
      {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}, {0, 0, 0}, true, "at a corner"},
      {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}, {-1, 1, 0}, false, "left of the triangle"},
      {{0, 0, 0}, {0, 4, 0}, {0, 0, 4}, {0, 1, 1}, true, "yz plane (normal along x)"},
      {{0, 0, 0}, {0, 4, 0}, {0, 0, 4}, {0, 3, 3}, false, "yz plane, outside"},
      {{0, 0, 0}, {4, 0, 0}, {0, 0, 4}, {1, 0, 1}, true, "xz plane (normal along y)"},
      {{0, 0, 0}, {0, 4, 0}, {4, 0, 0}, {1, 1, 0}, true, "b straight above a in projection (s1 = 0)"},
      {{0, 0, 0}, {0, 4, 0}, {4, 0, 0}, {3, 3, 0}, false, "s1 = 0, outside"},
      {{0, 0, 0}, {4, 0, 4}, {0, 4, 4}, {1, 1, 2}, true, "tilted plane"},
  };
  for (const Row& row : rows) {
    const Plane plane(row.a, row.b, row.c);
    EXPECT_EQ(IsPointInTriangle(plane, row.a, row.b, row.c, row.p), row.inside) << row.why;
  }
  // A triangle squashed to a line contains nothing.
  const Vector3 a(0, 0, 0), b(2, 0, 0), c(4, 0, 0);
  Plane plane;
  plane.Set(0, 0, 1, 0);
  EXPECT_FALSE(IsPointInTriangle(plane, a, b, c, {1, 0, 0}));
}

TEST(MathFunctionsTest, SmallHelpers) {
  EXPECT_EQ(FloatMin(2, -3), -3);
  EXPECT_EQ(FloatMax(2, -3), 2);
  EXPECT_EQ(BezierQuadratic({0, 0}, {1, 2}, {2, 0}, 0.5f), (Vector2{1, 1}));
  EXPECT_EQ(BezierQuadratic({0, 0}, {1, 2}, {2, 0}, 0), (Vector2{0, 0}));
  EXPECT_EQ(BezierQuadratic({0, 0}, {1, 2}, {2, 0}, 1), (Vector2{2, 0}));
  EXPECT_FLOAT_EQ(DotProduct(Vector4(1, 2, 3, 4), Vector4(1, 1, 1, 1)), 10.0f);
}
