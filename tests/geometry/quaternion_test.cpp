// Quaternions, planes and rays: construction from vectors (parallel and
// opposite), from an axis and angle, products, and plane/ray intersection.
#include <gtest/gtest.h>

#include <cmath>

#include "qx/quaternion.h"
#include "qx/rotation.h"

namespace {

constexpr double kPi = 3.141592653589793;

void ExpectQuat(const qx_Quaternion& q, double x, double y, double z, double w,
                double eps = 1e-12) {
  EXPECT_NEAR(q.x, x, eps);
  EXPECT_NEAR(q.y, y, eps);
  EXPECT_NEAR(q.z, z, eps);
  EXPECT_NEAR(q.w, w, eps);
}

void ExpectPoint(const qx_Point& p, double x, double y, double z, double eps = 1e-12) {
  EXPECT_NEAR(p.x, x, eps);
  EXPECT_NEAR(p.y, y, eps);
  EXPECT_NEAR(p.z, z, eps);
}

TEST(QuaternionParts, MagnitudeAndNormalize) {
  qx_Quaternion q{1, 2, 2, 4}, out{7, 7, 7, 7};
  double m = 0;
  ASSERT_EQ(qx_Quaternion_magnitude(&m, &q), 1);
  EXPECT_DOUBLE_EQ(m, 5);
  ASSERT_EQ(qx_Quaternion_normalize(&q, &q), 1);
  ExpectQuat(q, 0.2, 0.4, 0.4, 0.8);
  qx_Quaternion zero{0, 0, 0, 0}, tiny{0, 0, 0, 1e-5};
  EXPECT_EQ(qx_Quaternion_normalize(&out, &zero), 0);
  EXPECT_EQ(qx_Quaternion_normalize(&out, &tiny), 0) << "not greater than the tolerance";
  ExpectQuat(out, 7, 7, 7, 7, 0);
}

TEST(QuaternionProduct, IdentityAndHamiltonRules) {
  qx_Quaternion one{0, 0, 0, 1}, q{0.1, -0.7, 2, 3}, out;
  ASSERT_EQ(qx_Quaternion_multiply(&out, &one, &q), 1);
  ExpectQuat(out, 0.1, -0.7, 2, 3, 0);
  ASSERT_EQ(qx_Quaternion_multiply(&out, &q, &one), 1);
  ExpectQuat(out, 0.1, -0.7, 2, 3, 0);
  // i * j = k, j * i = -k.
  qx_Quaternion i{1, 0, 0, 0}, j{0, 1, 0, 0};
  ASSERT_EQ(qx_Quaternion_multiply(&out, &i, &j), 1);
  ExpectQuat(out, 0, 0, 1, 0, 0);
  ASSERT_EQ(qx_Quaternion_multiply(&j, &j, &i), 1);  // out may be an operand
  ExpectQuat(j, 0, 0, -1, 0, 0);
  ASSERT_EQ(qx_Quaternion_multiply(&i, &i, &i), 1);
  ExpectQuat(i, 0, 0, 0, -1, 0);
}

TEST(QuaternionFromAxis, QuarterTurnAboutZ) {
  qx_Quaternion q;
  qx_Vector z{0, 0, 1};
  ASSERT_EQ(qx_Quaternion_fromRotAxisAndAngle(&q, &z, kPi / 2), 1);
  const double h = std::sqrt(0.5);
  ExpectQuat(q, 0, 0, h, h);
  qx_RotMatrix* m = qx_RotMatrix_create();
  qx_RotMatrix* a = qx_RotMatrix_create();
  ASSERT_EQ(qx_RotMatrix_fromQuaternion(m, &q), 1);
  ASSERT_EQ(qx_RotMatrix_fromAngle(a, kPi / 2), 1);
  EXPECT_EQ(qx_RotMatrix_equal(m, a), 1);
  // The axis is not normalized first, only the result is.
  qx_Vector long_z{0, 0, 3};
  ASSERT_EQ(qx_Quaternion_fromRotAxisAndAngle(&q, &long_z, kPi / 2), 1);
  double len = std::sqrt(4.5 + 0.5);
  ExpectQuat(q, 0, 0, 3 * h / len, h / len);
  // A half turn about a zero axis leaves nothing to normalize.
  qx_Vector zero{0, 0, 0};
  EXPECT_EQ(qx_Quaternion_fromRotAxisAndAngle(&q, &zero, kPi), 0);
  qx_RotMatrix_destroy(m);
  qx_RotMatrix_destroy(a);
}

TEST(QuaternionFromVectors, GeneralParallelAndOpposite) {
  qx_Quaternion q;
  qx_Vector x{1, 0, 0}, y{0, 2, 0};
  ASSERT_EQ(qx_Quaternion_fromVectors(&q, &x, &y), 1);
  const double h = std::sqrt(0.5);
  ExpectQuat(q, 0, 0, h, h);

  qx_Vector almost{1, 0.000001, 0};
  ASSERT_EQ(qx_Quaternion_fromVectors(&q, &x, &almost), 1);
  ExpectQuat(q, 0, 0, 0, 1, 0);

  qx_Vector negx{-1, 0, 0};
  ASSERT_EQ(qx_Quaternion_fromVectors(&q, &x, &negx), 1);
  const double half = 3.1415926536 / 2;  // the library's half turn
  ExpectQuat(q, 0, 0, std::sin(half), std::cos(half), 1e-15);

  // Opposite vectors along Z turn about X instead.
  qx_Vector up{0, 0, 4}, down{0, 0, -1};
  ASSERT_EQ(qx_Quaternion_fromVectors(&q, &up, &down), 1);
  ExpectQuat(q, std::sin(half), 0, 0, std::cos(half), 1e-15);

  // Within 1e-5 of opposite the angle snaps to the half turn.
  qx_Vector nearly_back{-1, 0.003, 0};
  ASSERT_EQ(qx_Quaternion_fromVectors(&q, &x, &nearly_back), 1);
  EXPECT_NEAR(q.w, std::cos(half), 1e-15);

  qx_Vector zero{0, 0, 0};
  EXPECT_EQ(qx_Quaternion_fromVectors(&q, &zero, &x), 0);
}

TEST(QuaternionFromVectors, TurnsFromOntoTo) {
  const qx_Vector pairs[][2] = {{{1, 2, 3}, {-2, 0.5, 1}},
                                {{0, 0, 1}, {1, 1, 0}},
                                {{3, -1, 0}, {-3, 1, 2}},
                                {{0.2, 0.1, -5}, {0, 0, 7}}};
  for (const auto& pair : pairs) {
    qx_Quaternion q;
    ASSERT_EQ(qx_Quaternion_fromVectors(&q, &pair[0], &pair[1]), 1);
    qx_RotMatrix* m = qx_RotMatrix_create();
    ASSERT_EQ(qx_RotMatrix_fromQuaternion(m, &q), 1);
    qx_Vector turned = pair[0], want = pair[1];
    qx_Vector_normalize(&turned);
    qx_Vector_normalize(&want);
    ASSERT_EQ(qx_RotMatrix_rotateVector(&turned, m), 1);
    ExpectPoint(turned, want.x, want.y, want.z, 1e-9);
    qx_RotMatrix_destroy(m);
  }
}

TEST(QuaternionToMatrix, NotNormalizedFirst) {
  qx_RotMatrix* m = qx_RotMatrix_create();
  qx_Quaternion doubled{0, 0, 0, 2};
  ASSERT_EQ(qx_RotMatrix_fromQuaternion(m, &doubled), 1);
  EXPECT_EQ(qx_RotMatrix_isIdentity(m), 1) << "w alone never enters the formula";
  qx_Quaternion x{1, 0, 0, 0};
  ASSERT_EQ(qx_RotMatrix_fromQuaternion(m, &x), 1);
  double e;
  qx_RotMatrix_getElement(&e, m, 1, 1);
  EXPECT_EQ(e, -1);
  qx_Quaternion big{2, 0, 0, 0};
  ASSERT_EQ(qx_RotMatrix_fromQuaternion(m, &big), 1);
  qx_RotMatrix_getElement(&e, m, 1, 1);
  EXPECT_EQ(e, -7) << "1 - 2 * (4 + 0)";
  EXPECT_EQ(qx_RotMatrix_fromQuaternion(m, nullptr), 0);
  qx_RotMatrix_destroy(m);
}

TEST(RayAndPlane, CreateCopiesTheRecords) {
  qx_Point p{1, 2, 3};
  qx_Vector v{0, 0, 2};
  qx_Plane* plane = qx_Plane_create(&p, &v);
  ASSERT_NE(plane, nullptr);
  p = {9, 9, 9};
  qx_Point got;
  ASSERT_EQ(qx_Plane_getPoint(&got, plane), 1);
  ExpectPoint(got, 1, 2, 3, 0);
  qx_Plane_destroy(plane);
  EXPECT_EQ(qx_Ray_create(&p, nullptr), nullptr);
  qx_Ray_destroy(nullptr);
}

TEST(RayAndPlane, IntersectionIncludingBehindTheRay) {
  qx_Plane plane{{0, 0, 5}, {0, 0, 2}};
  qx_Ray ray{{1, 1, 0}, {0, 0, -3}};
  qx_Point out{9, 9, 9};
  ASSERT_EQ(qx_Plane_intersectionWithRay(&out, &plane, &ray), 1);
  ExpectPoint(out, 1, 1, 5);

  qx_Plane slanted{{0, 0, 0}, {1, 1, 1}};
  qx_Ray oblique{{3, 0, 0}, {-1, 1, 0.5}};
  ASSERT_EQ(qx_Plane_intersectionWithRay(&out, &slanted, &oblique), 1);
  EXPECT_NEAR(out.x + out.y + out.z, 0, 1e-12);
  ExpectPoint(out, 9, -6, -3, 1e-12);

  qx_Ray along{{1, 1, 0}, {1, 0, 0}};
  out = {7, 7, 7};
  EXPECT_EQ(qx_Plane_intersectionWithRay(&out, &plane, &along), 0);
  qx_Ray nearly{{1, 1, 0}, {1, 0, 9e-6}};
  EXPECT_EQ(qx_Plane_intersectionWithRay(&out, &plane, &nearly), 0);
  ExpectPoint(out, 7, 7, 7, 0);
  qx_Plane no_normal{{0, 0, 0}, {0, 0, 0}};
  EXPECT_EQ(qx_Plane_intersectionWithRay(&out, &no_normal, &ray), 0);
}

}  // namespace
