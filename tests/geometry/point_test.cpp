// Points and vectors: tolerance boundaries, subtraction direction, the
// degenerate cases of projection, betweenness and cylinders, line
// intersection, angles and parsing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "qx/point.h"

namespace {

constexpr double kPi = 3.141592653589793;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

qx_Point P(double x, double y, double z) { return {x, y, z}; }

void ExpectPoint(const qx_Point& p, double x, double y, double z, double eps = 1e-12) {
  EXPECT_NEAR(p.x, x, eps);
  EXPECT_NEAR(p.y, y, eps);
  EXPECT_NEAR(p.z, z, eps);
}

TEST(PointTolerance, DifferenceEqualToToleranceIsOutside) {
  qx_Point o = P(0, 0, 0);
  qx_Point at = P(0, 0, 0.00001);
  qx_Point below = P(0, 0, 0.000009);
  EXPECT_EQ(qx_Point_equal(&o, &at), 0);
  EXPECT_EQ(qx_Point_equal(&o, &below), 1);
  EXPECT_EQ(qx_Vector_equal(&o, &at), 0);
  EXPECT_EQ(qx_Vector_equal(&o, &below), 1);
  qx_Point far = P(0.5, 0, 0);
  EXPECT_EQ(qx_Point_equalWithinTol(&o, &far, 0.5), 0);
  EXPECT_EQ(qx_Point_equalWithinTol(&o, &far, 0.5000001), 1);
  EXPECT_EQ(qx_Vector_equalWithinTol(&o, &far, 0.5), 0);
}

TEST(PointTolerance, NaNIsNeverWithin) {
  qx_Point a = P(kNaN, 0, 0);
  EXPECT_EQ(qx_Point_equal(&a, &a), 0);
  EXPECT_EQ(qx_Point_equalWithinTol(&a, &a, 1e300), 0);
  EXPECT_EQ(qx_Vector_equal(&a, &a), 0);
  qx_Vector v = P(kNaN, 1, 0);
  EXPECT_EQ(qx_Vector_normalize(&v), 0);
  EXPECT_TRUE(std::isnan(v.x)) << "left unchanged";
  qx_Point b = P(0, 0, 0), c = P(1, 1, 1);
  EXPECT_EQ(qx_Point_colinear(&a, &b, &c), 0);
}

TEST(PointTolerance, SetToToleranceZeroesOnlyTinyCoordinates) {
  qx_Point p = P(9.99e-6, -9.99e-6, 1e-5);
  qx_Point_setToTolerance(&p);
  ExpectPoint(p, 0.0, 0.0, 1e-5, 0.0);
  qx_Point_setToTolerance(nullptr);  // no crash
}

TEST(PointTolerance, NormalizeNeedsLengthAboveTolerance) {
  qx_Vector tiny = P(0, 0, 1e-6);
  EXPECT_EQ(qx_Vector_normalize(&tiny), 0);
  ExpectPoint(tiny, 0, 0, 1e-6, 0.0);
  qx_Vector exact = P(0, 0, 1e-5);
  EXPECT_EQ(qx_Vector_normalize(&exact), 0) << "not greater than the tolerance";
  qx_Vector small = P(0, 0, 2e-5);
  EXPECT_EQ(qx_Vector_normalize(&small), 1);
  ExpectPoint(small, 0, 0, 1);

  qx_Vector dst = P(9, 9, 9);
  EXPECT_EQ(qx_Vector_copyNormalize(&dst, &tiny), 0);
  ExpectPoint(dst, 0, 0, 1e-6, 0.0);  // dst = src when too short
}

TEST(PointTolerance, ParallelAndOrthogonalUseRawProducts) {
  qx_Vector x = P(1, 0, 0), negx = P(-3, 0, 0);
  EXPECT_EQ(qx_Vector_parallel(&x, &negx), 1);
  qx_Vector a = P(0.001, 0, 0), b = P(0, 0.001, 0);
  EXPECT_EQ(qx_Vector_parallel(&a, &b), 1) << "cross product 1e-6: short vectors are parallel";
  EXPECT_EQ(qx_Vector_orthogonal(&a, &a), 1) << "dot product 1e-6";
  qx_Vector y = P(0, 1, 0);
  EXPECT_EQ(qx_Vector_parallel(&x, &y), 0);
  EXPECT_EQ(qx_Vector_orthogonal(&x, &y), 1);
  qx_Vector up = P(0, 0, 5), flat = P(3, 4, 0);
  EXPECT_EQ(qx_Vector_isVertical(&up), 1);
  EXPECT_EQ(qx_Vector_isHorizontal(&up), 0);
  EXPECT_EQ(qx_Vector_isHorizontal(&flat), 1);
  EXPECT_EQ(qx_Vector_isVertical(&flat), 0);
}

TEST(PointTolerance, ColinearityIsAnAreaTest) {
  qx_Point a = P(0, 0, 0), b = P(1, 0, 0);
  qx_Point near = P(2, 9e-6, 0);
  EXPECT_EQ(qx_Point_colinear(&a, &b, &near), 1);
  // The same angular deviation on segments 1000 times longer is outside.
  qx_Point b2 = P(1000, 0, 0), far = P(2000, 9e-3, 0);
  EXPECT_EQ(qx_Point_colinear(&a, &b2, &far), 0);
  EXPECT_EQ(qx_Point_colinearWithinTol(&a, &b2, &far, 9.0), 0) << "area 9 equals the tolerance";
  EXPECT_EQ(qx_Point_colinearWithinTol(&a, &b2, &far, 9.001), 1);
  // Each plane of the cross product is checked.
  qx_Point offz = P(2, 0, 1);
  EXPECT_EQ(qx_Point_colinear(&a, &b, &offz), 0);
  qx_Point zline0 = P(0, 0, 0), zline1 = P(0, 0, 1), offy = P(0, 1, 2);
  EXPECT_EQ(qx_Point_colinear(&zline0, &zline1, &offy), 0);
}

TEST(PointSubtract, PointsAndVectorsGiveSecondMinusFirst) {
  qx_Point a = P(1, 2, 3), b = P(4, 6, 8), out;
  ASSERT_EQ(qx_Point_subtract(&out, &a, &b), 1);
  ExpectPoint(out, 3, 4, 5);
  ASSERT_EQ(qx_Vector_subtract(&out, &a, &b), 1);
  ExpectPoint(out, 3, 4, 5);
  ASSERT_EQ(qx_Vector_computeVector(&out, &a, &b), 1);
  ExpectPoint(out, 3, 4, 5);
}

TEST(PointSubtract, OutputMayBeAnInput) {
  qx_Point a = P(1, 2, 3), b = P(4, 6, 8);
  ASSERT_EQ(qx_Point_subtract(&a, &a, &b), 1);
  ExpectPoint(a, 3, 4, 5);
  qx_Point c = P(1, 2, 3);
  ASSERT_EQ(qx_Point_subtract(&b, &c, &b), 1);
  ExpectPoint(b, 3, 4, 5);
  qx_Point m = P(2, 4, 6), n = P(4, 0, 0);
  ASSERT_EQ(qx_Point_midpoint(&m, &m, &n), 1);
  ExpectPoint(m, 3, 2, 3);
  qx_Vector u = P(1, 0, 0), v = P(0, 1, 0);
  ASSERT_EQ(qx_Vector_crossProduct(&u, &u, &v), 1);
  ExpectPoint(u, 0, 0, 1);
  qx_Vector w = P(0, 1, 0);
  ASSERT_EQ(qx_Vector_crossProduct(&w, &u, &w), 1);  // (0,0,1) x (0,1,0)
  ExpectPoint(w, -1, 0, 0);
}

TEST(PointSubtract, CoincidentPointsGiveZeroVectorAndFailure) {
  qx_Point p = P(1, 1, 1), q = P(1, 1, 1 + 1e-7), out = P(9, 9, 9);
  EXPECT_EQ(qx_Vector_computeVector(&out, &p, &p), 0);
  ExpectPoint(out, 0, 0, 0, 0.0);
  EXPECT_EQ(qx_Vector_computeVector(&out, &p, &q), 1) << "any non-zero difference";
  EXPECT_EQ(qx_Vector_computeNormal(&out, &p, &q), 0) << "too short to normalize";

  qx_Point a = P(0, 0, 0), b = P(1, 0, 0), c = P(2, 0, 0), d = P(0, 1, 0);
  qx_Vector n = P(7, 7, 7);
  EXPECT_EQ(qx_Vector_computeOrthovec(&n, &a, &a, &d), 0);
  ExpectPoint(n, 7, 7, 7, 0.0);
  EXPECT_EQ(qx_Vector_computeOrthovec(&n, &a, &b, &c), 1) << "colinear: zero but allowed";
  EXPECT_EQ(qx_Vector_computeOrthonorm(&n, &a, &b, &c), 0);
  qx_Point far = P(0, 3, 0);
  ASSERT_EQ(qx_Vector_computeOrthovec(&n, &a, &b, &far), 1);
  ExpectPoint(n, 0, 0, 3);
  ASSERT_EQ(qx_Vector_computeOrthonorm(&n, &a, &b, &far), 1);
  ExpectPoint(n, 0, 0, 1);
}

TEST(PointNullArguments, GiveZeroAndWriteNothing) {
  qx_Point p = P(1, 2, 3);
  double d = 42;
  EXPECT_EQ(qx_Point_set(nullptr, 1, 2, 3), 0);
  EXPECT_EQ(qx_Point_getX(nullptr, &p), 0);
  EXPECT_EQ(qx_Point_getX(&d, nullptr), 0);
  EXPECT_EQ(qx_Point_distance(&d, &p, nullptr), 0);
  EXPECT_EQ(d, 42);
  EXPECT_EQ(qx_Point_add(&p, nullptr, &p), 0);
  EXPECT_EQ(qx_Point_between(nullptr, &p, &p, 0), 0);
  EXPECT_EQ(qx_Point_inCylinder(&d, &p, nullptr, &p, 1), 0);
  EXPECT_EQ(qx_Vector_angle(&d, &p, nullptr), 0);
  EXPECT_EQ(qx_Vector_getOrthoVector(nullptr, &p, &p), 0);
  EXPECT_EQ(qx_Vector_fromNtuple(&p, nullptr), 0);
  EXPECT_EQ(qx_Point_intersectPoint(&p, &p, &p, nullptr, &p), 0);
  ExpectPoint(p, 1, 2, 3, 0.0);
  EXPECT_EQ(d, 42);
}

TEST(PointProjection, FootOnTheLineAndDegenerateCases) {
  qx_Point a = P(0, 0, 0), b = P(4, 0, 0), p = P(1, 3, 0), out = P(9, 9, 9);
  ASSERT_EQ(qx_Point_projectOntoLine(&out, &p, &a, &b), 1);
  ExpectPoint(out, 1, 0, 0);
  // Beyond either end the foot is still on the infinite line.
  qx_Point behind = P(-2, 1, 5);
  ASSERT_EQ(qx_Point_projectOntoLine(&out, &behind, &a, &b), 1);
  ExpectPoint(out, -2, 0, 0);

  out = P(9, 9, 9);
  EXPECT_EQ(qx_Point_projectOntoLine(&out, &a, &a, &b), 0) << "p at a";
  EXPECT_EQ(qx_Point_projectOntoLine(&out, &p, &a, &a), 0) << "a line of no length";
  qx_Point near_a = P(1e-6, 0, 0);
  EXPECT_EQ(qx_Point_projectOntoLine(&out, &near_a, &a, &b), 0) << "within the tolerance of a";
  ExpectPoint(out, 9, 9, 9, 0.0);
  // The output may be the projected point itself.
  ASSERT_EQ(qx_Point_projectOntoLine(&p, &p, &a, &b), 1);
  ExpectPoint(p, 1, 0, 0);
}

TEST(PointProjection, OrthoVectorOfPointAndOfVectors) {
  qx_Point a = P(0, 0, 0), b = P(4, 0, 0), p = P(1, 3, 2);
  qx_Vector out;
  ASSERT_EQ(qx_Point_getOrthoVector(&out, &a, &b, &p), 1);
  ExpectPoint(out, 0, 3, 2);
  qx_Point on = P(2, 0, 0);
  EXPECT_EQ(qx_Point_getOrthoVector(&out, &a, &b, &on), 0) << "a point on the line";

  qx_Vector u = P(2, 0, 0), v = P(1, 1, 0);
  ASSERT_EQ(qx_Vector_getOrthoVector(&out, &u, &v), 1);
  const double h = std::sqrt(0.5);
  ExpectPoint(out, 0, h, 0, 1e-12);  // unit(v) less its X part, not normalized
  qx_Vector same = P(5, 0, 0), opposite = P(-1, 0, 0);
  EXPECT_EQ(qx_Vector_getOrthoVector(&out, &u, &same), 0);
  EXPECT_EQ(qx_Vector_getOrthoVector(&out, &u, &opposite), 0);
}

TEST(PointBetween, EndsAreOutsideAndOffLinePointsUseTheirFoot) {
  qx_Point a = P(0, 0, 0), b = P(1, 0, 0);
  qx_Point mid = P(0.5, 0, 0), off = P(0.5, 1, 0), beyond = P(1.5, 0, 0), before = P(-0.5, 0, 0);
  EXPECT_EQ(qx_Point_between(&mid, &a, &b, 1), 1);
  EXPECT_EQ(qx_Point_between(&b, &a, &b, 0), 0);
  EXPECT_EQ(qx_Point_between(&a, &a, &b, 0), 0);
  qx_Point near_b = P(1 - 1e-6, 0, 0);
  EXPECT_EQ(qx_Point_between(&near_b, &a, &b, 1), 1) << "strictly shorter, same direction";
  EXPECT_EQ(qx_Point_between(&beyond, &a, &b, 0), 0);
  EXPECT_EQ(qx_Point_between(&before, &a, &b, 0), 0);
  EXPECT_EQ(qx_Point_between(&off, &a, &b, 0), 1);
  EXPECT_EQ(qx_Point_between(&off, &a, &b, 1), 0);
  qx_Point off_beyond = P(2, 1, 0);
  EXPECT_EQ(qx_Point_between(&off_beyond, &a, &b, 0), 0);
}

TEST(PointInCylinder, RadiusInclusiveEndsOpen) {
  qx_Point a = P(0, 0, 0), b = P(10, 0, 0);
  qx_Point p = P(5, 3, 4);
  double d = -1;
  EXPECT_EQ(qx_Point_inCylinder(&d, &p, &a, &b, 5.0), 1);
  EXPECT_DOUBLE_EQ(d, 5.0);
  d = -1;
  EXPECT_EQ(qx_Point_inCylinder(&d, &p, &a, &b, 4.999), 0);
  EXPECT_EQ(d, -1) << "untouched when outside";
  EXPECT_EQ(qx_Point_inCylinder(nullptr, &p, &a, &b, 5.0), 1) << "distance is optional";
  qx_Point over_a = P(0, 1, 0), over_b = P(10, 1, 0), past = P(11, 0.5, 0);
  EXPECT_EQ(qx_Point_inCylinder(&d, &over_a, &a, &b, 2.0), 0);
  EXPECT_EQ(qx_Point_inCylinder(&d, &over_b, &a, &b, 2.0), 0);
  EXPECT_EQ(qx_Point_inCylinder(&d, &past, &a, &b, 2.0), 0);
  EXPECT_EQ(qx_Point_inCylinder(&d, &a, &a, &b, 2.0), 0) << "p at a cannot be projected";
}

TEST(PointIntersect, InfiniteLinesMeetBeyondTheSegments) {
  qx_Point a1 = P(0, 0, 0), a2 = P(1, 0, 0), b1 = P(5, -1, 0), b2 = P(5, 1, 0), out;
  ASSERT_EQ(qx_Point_intersectPoint(&out, &a1, &a2, &b1, &b2), 1);
  ExpectPoint(out, 5, 0, 0);
  // Oblique crossing, with B pointing away from the crossing.
  qx_Point c1 = P(2, 3, 0), c2 = P(3, 5, 0);
  ASSERT_EQ(qx_Point_intersectPoint(&out, &a1, &a2, &c1, &c2), 1);
  ExpectPoint(out, 0.5, 0, 0, 1e-9);
}

TEST(PointIntersect, SharedEndsParallelAndSkewLines) {
  qx_Point a1 = P(0, 0, 0), a2 = P(1, 0, 0), out = P(9, 9, 9);
  qx_Point b1 = P(3, 3, 0), end = P(1, 0, 0);
  ASSERT_EQ(qx_Point_intersectPoint(&out, &a1, &a2, &b1, &end), 1);
  ExpectPoint(out, 1, 0, 0, 0.0);
  qx_Point nearly_a1 = P(0.05, 0, 0);
  ASSERT_EQ(qx_Point_intersectPointWithinTol(&out, &a1, &a2, &b1, &nearly_a1, 0.1), 1);
  SCOPED_TRACE("a1 itself when within the given tolerance");
  ExpectPoint(out, 0, 0, 0, 0.0);

  qx_Point p1 = P(0, 1, 0), p2 = P(-4, 1, 0);
  out = P(9, 9, 9);
  EXPECT_EQ(qx_Point_intersectPoint(&out, &a1, &a2, &p1, &p2), 0);
  SCOPED_TRACE("parallel lines write nothing");
  ExpectPoint(out, 9, 9, 9, 0.0);

  // Skew lines: the point on B is written but is not on A.
  qx_Point s1 = P(5, -1, 1), s2 = P(5, 1, 1);
  EXPECT_EQ(qx_Point_intersectPoint(&out, &a1, &a2, &s1, &s2), 0);
  EXPECT_NEAR(out.z, 1.0, 1e-12);
}

TEST(PointIntersect, OutputMayAliasAnInput) {
  qx_Point a1 = P(0, 0, 0), a2 = P(1, 0, 0), b1 = P(5, -1, 0), b2 = P(5, 1, 0);
  ASSERT_EQ(qx_Point_intersectPoint(&b1, &a1, &a2, &b1, &b2), 1);
  ExpectPoint(b1, 5, 0, 0);
}

TEST(PointTranslate, ByVectorAndByAngle) {
  qx_Point p = P(1, 1, 1), out = P(9, 9, 9);
  qx_Vector v = P(0, 0, 10);
  ASSERT_EQ(qx_Point_translateByVector(&out, &p, &v, 2.5), 1);
  ExpectPoint(out, 1, 1, 3.5);
  qx_Vector tiny = P(0, 0, 1e-6);
  EXPECT_EQ(qx_Point_translateByVector(&out, &p, &tiny, 2.5), 0);
  SCOPED_TRACE("out = p on failure");
  ExpectPoint(out, 1, 1, 1, 0.0);
  // out may be the direction itself.
  qx_Vector dir = P(3, 4, 0);
  ASSERT_EQ(qx_Point_translateByVector(&dir, &p, &dir, 5), 1);
  ExpectPoint(dir, 4, 5, 1);

  qx_Point o = P(0, 0, 0);
  ASSERT_EQ(qx_Point_translateByAngle(&out, &o, kPi / 2, 2), 1);
  ExpectPoint(out, 0, 2, 0, 1e-12);
  ASSERT_EQ(qx_Point_translateByAngle(&out, &p, kPi, 1), 1);
  ExpectPoint(out, 0, 1, 1, 1e-12);
}

TEST(VectorAngle, LimitsAndShortVectors) {
  qx_Vector x = P(1, 0, 0), negx = P(-1, 0, 0), zero = P(0, 0, 0), y = P(0, 2, 0);
  double a = -1;
  ASSERT_EQ(qx_Vector_angle(&a, &x, &negx), 1);
  EXPECT_DOUBLE_EQ(a, kPi);
  ASSERT_EQ(qx_Vector_angle(&a, &x, &x), 1);
  EXPECT_DOUBLE_EQ(a, 0.0);
  ASSERT_EQ(qx_Vector_angle(&a, &x, &y), 1);
  EXPECT_DOUBLE_EQ(a, kPi / 2);
  a = -1;
  EXPECT_EQ(qx_Vector_angle(&a, &x, &zero), 0);
  EXPECT_EQ(a, -1);
  // Rounding that pushes the cosine past 1 still gives a number.
  qx_Vector u = P(0.1, 0.7, 0.3);
  qx_Vector w = P(0.1 * 3, 0.7 * 3, 0.3 * 3);
  ASSERT_EQ(qx_Vector_angle(&a, &u, &w), 1);
  EXPECT_FALSE(std::isnan(a));
  EXPECT_NEAR(a, 0.0, 1e-7);
}

TEST(VectorBasics, ProductsMagnitudeAndScale) {
  qx_Vector u = P(1, 2, 3), v = P(4, 5, 6), out;
  double d;
  ASSERT_EQ(qx_Vector_dotProduct(&d, &u, &v), 1);
  EXPECT_EQ(d, 32);
  ASSERT_EQ(qx_Vector_crossProduct(&out, &u, &v), 1);
  ExpectPoint(out, -3, 6, -3, 0.0);
  ASSERT_EQ(qx_Vector_magnitude(&d, &u), 1);
  EXPECT_DOUBLE_EQ(d, std::sqrt(14.0));
  ASSERT_EQ(qx_Vector_scale(&out, &u, -2), 1);
  ExpectPoint(out, -2, -4, -6, 0.0);
  ASSERT_EQ(qx_Vector_negate(&u, &u), 1);
  ExpectPoint(u, -1, -2, -3, 0.0);
  ASSERT_EQ(qx_Point_distance(&d, &u, &v), 1);
  EXPECT_DOUBLE_EQ(d, std::sqrt(25.0 + 49.0 + 81.0));
}

TEST(PointFromText, TwoOrThreeItemsAndFailures) {
  qx_Point p = P(9, 9, 9);
  EXPECT_EQ(qx_Point_fromDelimitedString(&p, u"1.5,2", u","), 1);
  ExpectPoint(p, 1.5, 2, 0, 0.0);
  EXPECT_EQ(qx_Point_fromDelimitedString(&p, u" 1 ; -2.5e1 ;3;99", u";"), 1);
  ExpectPoint(p, 1, -25, 3, 0.0);
  EXPECT_EQ(qx_Point_fromDelimitedString(&p, u"4,,5", u","), 1) << "runs of delimiters are one";
  ExpectPoint(p, 4, 5, 0, 0.0);
  EXPECT_EQ(qx_Point_fromDelimitedString(&p, u"3x,abc, 7.25mm", u","), 1);
  ExpectPoint(p, 3, 0, 7.25, 0.0);
  p = P(9, 9, 9);
  EXPECT_EQ(qx_Point_fromDelimitedString(&p, u"7", u","), 0);
  ExpectPoint(p, 0, 0, 0, 0.0);
  p = P(9, 9, 9);
  EXPECT_EQ(qx_Point_fromDelimitedString(&p, nullptr, u","), 0);
  SCOPED_TRACE("zeroed before the arguments are checked");
  ExpectPoint(p, 0, 0, 0, 0.0);
  EXPECT_EQ(qx_Point_fromDelimitedString(&p, u"1,2", nullptr), 0);
  EXPECT_EQ(qx_Point_fromDelimitedString(nullptr, u"1,2", u","), 0);
}

}  // namespace
