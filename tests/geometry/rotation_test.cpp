// Rotation and transformation matrices: sign conventions, frames from three
// points, rotations between vectors, and the transformations between two
// coordinate systems.
#include <gtest/gtest.h>

#include <cmath>

#include "qx/rotation.h"

namespace {

constexpr double kPi = 3.141592653589793;

void ExpectPoint(const qx_Point& p, double x, double y, double z, double eps = 1e-12) {
  EXPECT_NEAR(p.x, x, eps);
  EXPECT_NEAR(p.y, y, eps);
  EXPECT_NEAR(p.z, z, eps);
}

void ExpectRows(const qx_RotMatrix* m, std::initializer_list<double> values, double eps = 1e-12) {
  int k = 0;
  for (double v : values) {
    double e = -999;
    ASSERT_EQ(qx_RotMatrix_getElement(&e, m, k / 3, k % 3), 1);
    EXPECT_NEAR(e, v, eps) << "element " << k / 3 << "," << k % 3;
    ++k;
  }
}

qx_Point Turned(const qx_RotMatrix* m, qx_Point p) {
  EXPECT_EQ(qx_RotMatrix_rotatePoint(&p, m), 1);
  return p;
}

struct Rot {
  qx_RotMatrix* m = qx_RotMatrix_create();
  ~Rot() { qx_RotMatrix_destroy(m); }
};

struct Tm {
  qx_TMatrix* t = qx_TMatrix_create();
  ~Tm() { qx_TMatrix_destroy(t); }
};

TEST(RotMatrixSetters, RowsColumnsAndRanges) {
  Rot r;
  ASSERT_EQ(qx_RotMatrix_isIdentity(r.m), 1);
  qx_Vector v{1, 2, 3};
  ASSERT_EQ(qx_RotMatrix_setRow(r.m, 0, &v), 1);
  ExpectRows(r.m, {1, 2, 3, 0, 1, 0, 0, 0, 1});
  ASSERT_EQ(qx_RotMatrix_setIdentity(r.m), 1);
  ASSERT_EQ(qx_RotMatrix_setColumnValues(r.m, 0, 1, 2, 3), 1);
  ExpectRows(r.m, {1, 0, 0, 2, 1, 0, 3, 0, 1});
  ASSERT_EQ(qx_RotMatrix_setRowValues(r.m, 2, 7, 8, 9), 1);
  ExpectRows(r.m, {1, 0, 0, 2, 1, 0, 7, 8, 9});
  qx_Vector got;
  ASSERT_EQ(qx_RotMatrix_getRow(&got, r.m, 1), 1);
  ExpectPoint(got, 2, 1, 0, 0);
  ASSERT_EQ(qx_RotMatrix_getColumn(&got, r.m, 2), 1);
  ExpectPoint(got, 0, 0, 9, 0);

  EXPECT_EQ(qx_RotMatrix_setElement(r.m, 3, 0, 1), 0);
  EXPECT_EQ(qx_RotMatrix_setElement(r.m, 0, 3, 1), 0);
  EXPECT_EQ(qx_RotMatrix_setRow(r.m, 3, &v), 0);
  EXPECT_EQ(qx_RotMatrix_setColumn(r.m, -1, &v), 0);
  EXPECT_EQ(qx_RotMatrix_getColumn(&got, r.m, 3), 0);
  EXPECT_EQ(qx_RotMatrix_setRow(r.m, 0, nullptr), 0);
  EXPECT_EQ(qx_RotMatrix_setIdentity(nullptr), 0);

  ASSERT_EQ(qx_RotMatrix_set(r.m, 1, 2, 3, 4, 5, 6, 7, 8, 9), 1);
  ExpectRows(r.m, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  qx_Vector c0{1, 0, 0}, c1{0, 0, 1}, c2{0, -1, 0};
  EXPECT_EQ(qx_RotMatrix_fromColumnVectors(r.m, &c0, &c1, nullptr), 0);
  ASSERT_EQ(qx_RotMatrix_fromColumnVectors(r.m, &c0, &c1, &c2), 1);
  ExpectRows(r.m, {1, 0, 0, 0, 0, -1, 0, 1, 0});
  ASSERT_EQ(qx_RotMatrix_fromRowVectors(r.m, &c0, &c1, &c2), 1);
  ExpectRows(r.m, {1, 0, 0, 0, 0, 1, 0, -1, 0});
}

TEST(RotMatrixSetters, IdentityAndEqualityTolerance) {
  Rot r, s;
  ASSERT_EQ(qx_RotMatrix_setElement(r.m, 0, 0, -1), 1);
  EXPECT_EQ(qx_RotMatrix_isIdentity(r.m), 0);
  ASSERT_EQ(qx_RotMatrix_setElement(r.m, 0, 0, 1 + 9e-6), 1);
  EXPECT_EQ(qx_RotMatrix_isIdentity(r.m), 1);
  EXPECT_EQ(qx_RotMatrix_equal(r.m, s.m), 1);
  ASSERT_EQ(qx_RotMatrix_setElement(r.m, 2, 1, 1e-5), 1);
  EXPECT_EQ(qx_RotMatrix_isIdentity(r.m), 0);
  EXPECT_EQ(qx_RotMatrix_equal(r.m, s.m), 0);
  EXPECT_EQ(qx_RotMatrix_isIdentity(nullptr), 0);
}

TEST(RotMatrixSigns, FromAngleAndRotateFollowTheConventions) {
  Rot r;
  ASSERT_EQ(qx_RotMatrix_fromAngle(r.m, kPi / 2), 1);
  ExpectPoint(Turned(r.m, {1, 0, 0}), 0, 1, 0);

  // Ry carries its minus sign above the diagonal: X turns towards +Z.
  Rot y;
  ASSERT_EQ(qx_RotMatrix_rotate(y.m, y.m, 0, kPi / 2, 0), 1);
  ExpectPoint(Turned(y.m, {1, 0, 0}), 0, 0, 1);
  ExpectPoint(Turned(y.m, {0, 0, 1}), -1, 0, 0);
  Rot x;
  ASSERT_EQ(qx_RotMatrix_rotate(x.m, x.m, kPi / 2, 0, 0), 1);
  ExpectPoint(Turned(x.m, {0, 1, 0}), 0, 0, 1);
  Rot z;
  ASSERT_EQ(qx_RotMatrix_rotate(z.m, z.m, 0, 0, kPi / 2), 1);
  ExpectPoint(Turned(z.m, {1, 0, 0}), 0, 1, 0);

  // The order is Rx * Ry * Rz * src: Z turns first.
  Rot all;
  ASSERT_EQ(qx_RotMatrix_rotate(all.m, all.m, kPi / 2, kPi / 2, 0), 1);
  ExpectPoint(Turned(all.m, {1, 0, 0}), 0, -1, 0);  // Ry: (0,0,1), then Rx: (0,-1,0)
}

TEST(RotMatrixSigns, InverseMultiplyAndNormalize) {
  Rot r, inv, prod;
  ASSERT_EQ(qx_RotMatrix_rotate(r.m, r.m, 0.3, -1.1, 2.0), 1);
  ASSERT_EQ(qx_RotMatrix_getInverse(inv.m, r.m), 1);
  ASSERT_EQ(qx_RotMatrix_multiply(prod.m, r.m, inv.m), 1);
  EXPECT_EQ(qx_RotMatrix_isIdentity(prod.m), 1);
  ASSERT_EQ(qx_RotMatrix_getInverse(r.m, r.m), 1);  // in place
  EXPECT_EQ(qx_RotMatrix_equal(r.m, inv.m), 1);

  Rot s, n;
  ASSERT_EQ(qx_RotMatrix_set(s.m, 2, 0, 0, 0, 0, 0, 0, 0, -3), 1);
  ASSERT_EQ(qx_RotMatrix_normalize(n.m, s.m), 0) << "column 1 is zero";
  EXPECT_EQ(qx_RotMatrix_isIdentity(n.m), 1) << "dst unchanged";
  ASSERT_EQ(qx_RotMatrix_set(s.m, 2, 0, 0, 0, 5, 0, 0, 0, -3), 1);
  ASSERT_EQ(qx_RotMatrix_normalize(s.m, s.m), 1);
  ExpectRows(s.m, {1, 0, 0, 0, 1, 0, 0, 0, -1});
}

TEST(RotMatrixFrames, FromThreePoints) {
  Rot r;
  qx_Point p0{0, 0, 0}, p1{2, 0, 0}, p2{5, 3, 0};
  ASSERT_EQ(qx_RotMatrix_from3Points(r.m, &p0, &p1, &p2), 1);
  EXPECT_EQ(qx_RotMatrix_isIdentity(r.m), 1);

  // A frame standing up: X along +Y, the third point above.
  qx_Point o{1, 1, 1}, on_x{1, 4, 1}, up{7, 2, 3};
  ASSERT_EQ(qx_RotMatrix_from3Points(r.m, &o, &on_x, &up), 1);
  ExpectRows(r.m, {0, 0.9486832980505138, 0.31622776601683794, 1, 0, 0, 0, 0.31622776601683794,
                   -0.9486832980505138});

  Rot keep;
  ASSERT_EQ(qx_RotMatrix_fromAngle(keep.m, 0.5), 1);
  Rot before;
  qx_RotMatrix_copy(before.m, keep.m);
  qx_Point on_line{7, 0, 0};
  EXPECT_EQ(qx_RotMatrix_from3Points(keep.m, &p0, &p1, &on_line), 0);
  EXPECT_EQ(qx_RotMatrix_from3Points(keep.m, &p0, &p0, &p2), 0);
  EXPECT_EQ(qx_RotMatrix_from3Points(keep.m, &p0, &p1, &p0), 0) << "third point at the origin";
  EXPECT_EQ(qx_RotMatrix_equal(keep.m, before.m), 1) << "left unchanged";
}

TEST(RotMatrixFrames, FromVectorsXYUsesDirectionsOnly) {
  Rot a, b;
  qx_Point o{3, -2, 8};
  qx_Vector x{10, 0, 0}, y{4, 0.5, 0};
  ASSERT_EQ(qx_RotMatrix_fromVectorsXY(a.m, &o, &x, &y), 1);
  EXPECT_EQ(qx_RotMatrix_isIdentity(a.m), 1);
  qx_Vector zero{0, 0, 0};
  EXPECT_EQ(qx_RotMatrix_fromVectorsXY(b.m, &o, &zero, &y), 0);
}

TEST(RotMatrixFromVectors, WithoutAndWithAnAxis) {
  Rot r;
  qx_Vector from{1, 0, 0}, to{0, 3, 0};
  ASSERT_EQ(qx_RotMatrix_fromVectors(r.m, nullptr, &from, &to), 1);
  ExpectPoint(Turned(r.m, {1, 0, 0}), 0, 1, 0, 1e-12);
  ExpectPoint(Turned(r.m, {0, 0, 1}), 0, 0, 1, 1e-12);

  // About the Z axis only the XY parts count.
  qx_Vector axis{0, 0, 2}, tilted_from{1, 0, 5}, tilted_to{0, -1, -2};
  ASSERT_EQ(qx_RotMatrix_fromVectors(r.m, &axis, &tilted_from, &tilted_to), 1);
  ExpectPoint(Turned(r.m, {1, 0, 0}), 0, -1, 0, 1e-12);
  ExpectPoint(Turned(r.m, {0, 0, 1}), 0, 0, 1, 1e-12);

  // Opposite parts: a half turn about the axis itself.
  qx_Vector back{-1, 0, 7};
  ASSERT_EQ(qx_RotMatrix_fromVectors(r.m, &axis, &tilted_from, &back), 1);
  ExpectPoint(Turned(r.m, {1, 0, 0}), -1, 0, 0, 1e-9);
  ExpectPoint(Turned(r.m, {0, 0, 1}), 0, 0, 1, 1e-9);

  // A vector along the axis has no orthogonal part.
  qx_Vector along{0, 0, 1};
  EXPECT_EQ(qx_RotMatrix_fromVectors(r.m, &axis, &along, &to), 0);
  // A too short axis counts as none.
  qx_Vector short_axis{0, 0, 1e-6};
  ASSERT_EQ(qx_RotMatrix_fromVectors(r.m, &short_axis, &from, &to), 1);
  ExpectPoint(Turned(r.m, {1, 0, 0}), 0, 1, 0, 1e-12);
}

TEST(RotMatrixFromVectors, AxisAndAngleMatchesFromAngle) {
  Rot a, b;
  qx_Vector z{0, 0, 5};
  ASSERT_EQ(qx_RotMatrix_fromRotAxisAndAngle(a.m, &z, kPi / 2), 1);
  ASSERT_EQ(qx_RotMatrix_fromAngle(b.m, kPi / 2), 1);
  EXPECT_EQ(qx_RotMatrix_equal(a.m, b.m), 1);
  ExpectRows(a.m, {0, -1, 0, 1, 0, 0, 0, 0, 1}, 1e-15);
  qx_Vector zero{0, 0, 0};
  EXPECT_EQ(qx_RotMatrix_fromRotAxisAndAngle(a.m, &zero, 1.0), 0);
}

TEST(TMatrixBasics, SetOriginRotationAndXform) {
  Tm t;
  qx_Point p{1, 2, 3}, out, from{0, 0, 0}, to{10, 0, 0};
  ASSERT_EQ(qx_TMatrix_createForTranslation(t.t, &from, &to), 1);
  ASSERT_EQ(qx_TMatrix_xform(&out, t.t, &p), 1);
  ExpectPoint(out, 11, 2, 3, 0);
  ASSERT_EQ(qx_TMatrix_xform(&p, t.t, &p), 1) << "out may be p";
  ExpectPoint(p, 11, 2, 3, 0);

  ASSERT_EQ(qx_TMatrix_set(t.t, 0, -1, 0, 5, 1, 0, 0, 6, 0, 0, 1, 7), 1);
  qx_Point q{1, 0, 0};
  ASSERT_EQ(qx_TMatrix_xform(&out, t.t, &q), 1);
  ExpectPoint(out, 5, 7, 7, 0);
  double e = -1;
  ASSERT_EQ(qx_Matrix_getElement(&e, t.t, 3, 3), 1);
  EXPECT_EQ(e, 1.0);
  qx_Point origin;
  ASSERT_EQ(qx_TMatrix_getOrigin(&origin, t.t), 1);
  ExpectPoint(origin, 5, 6, 7, 0);

  Rot r;
  ASSERT_EQ(qx_TMatrix_getRMatrix(r.m, t.t), 1);
  ExpectRows(r.m, {0, -1, 0, 1, 0, 0, 0, 0, 1}, 0);
  // A new rotation keeps the origin.
  ASSERT_EQ(qx_RotMatrix_setIdentity(r.m), 1);
  ASSERT_EQ(qx_TMatrix_setRMatrix(t.t, r.m), 1);
  ASSERT_EQ(qx_TMatrix_xform(&out, t.t, &q), 1);
  ExpectPoint(out, 6, 6, 7, 0);
  qx_Point moved{-1, -1, -1};
  ASSERT_EQ(qx_TMatrix_setOrigin(t.t, &moved), 1);
  ASSERT_EQ(qx_TMatrix_xform(&out, t.t, &q), 1);
  ExpectPoint(out, 0, -1, -1, 0);

  EXPECT_EQ(qx_TMatrix_xform(&out, r.m, &q), 0) << "a 3 x 3 is no transformation";
  EXPECT_EQ(qx_TMatrix_setOrigin(t.t, nullptr), 0);
  EXPECT_EQ(qx_TMatrix_createForTranslation(nullptr, &from, &to), 0);
}

TEST(TMatrixBasics, RotateReplacesTheRotationAndKeepsTheOrigin) {
  Tm src, dst;
  ASSERT_EQ(qx_TMatrix_set(src.t, 0, 0, 1, 1, 0, 1, 0, 2, -1, 0, 0, 3), 1);
  ASSERT_EQ(qx_TMatrix_rotate(dst.t, src.t, 0, 0, kPi / 2), 1);
  qx_Point q{1, 0, 0}, out;
  ASSERT_EQ(qx_TMatrix_xform(&out, dst.t, &q), 1);
  ExpectPoint(out, 1, 3, 3);  // Rz alone (src's rotation not composed), then the origin
  ASSERT_EQ(qx_TMatrix_rotate(src.t, src.t, 0, 0, 0), 1);
  ASSERT_EQ(qx_TMatrix_xform(&out, src.t, &q), 1);
  ExpectPoint(out, 2, 2, 3);
}

TEST(TMatrixFromUCS, CarriesFrameAToFrameB) {
  Tm t;
  qx_Point a0{0, 0, 0}, a1{1, 0, 0}, a2{0, 1, 0};
  qx_Point b0{5, 5, 0}, b1{5, 6, 0}, b2{4, 5, 0};
  ASSERT_EQ(qx_TMatrix_createFromUCS(t.t, &a0, &a1, &a2, &b0, &b1, &b2), 1);
  qx_Point out;
  ASSERT_EQ(qx_TMatrix_xform(&out, t.t, &a1), 1);
  ExpectPoint(out, 5, 6, 0);
  ASSERT_EQ(qx_TMatrix_xform(&out, t.t, &a2), 1);
  ExpectPoint(out, 4, 5, 0);
  qx_Point above{0, 0, 1};
  ASSERT_EQ(qx_TMatrix_xform(&out, t.t, &above), 1);
  ExpectPoint(out, 5, 5, 1);

  // Both frames off the origin and tilted.
  qx_Point c0{1, 2, 3}, c1{1, 2, 5}, c2{4, 2, 3};
  qx_Point d0{-1, 0, 0}, d1{-1, -3, 0}, d2{-1, 0, 2};
  ASSERT_EQ(qx_TMatrix_createFromUCS(t.t, &c0, &c1, &c2, &d0, &d1, &d2), 1);
  ASSERT_EQ(qx_TMatrix_xform(&out, t.t, &c0), 1);
  ExpectPoint(out, -1, 0, 0);
  ASSERT_EQ(qx_TMatrix_xform(&out, t.t, &c1), 1);
  ExpectPoint(out, -1, -2, 0);  // 2 along A's X is 2 along B's X
  ASSERT_EQ(qx_TMatrix_xform(&out, t.t, &c2), 1);
  ExpectPoint(out, -1, 0, 3);
}

TEST(TMatrixFromUCS, EquallyOrientedFramesGiveAShift) {
  Tm t;
  qx_Point a0{0, 0, 0}, a1{1, 0, 0}, a2{1, 1, 0};
  qx_Point b0{10, 20, 30}, b1{13, 20, 30}, b2{13, 25, 30};
  ASSERT_EQ(qx_TMatrix_createFromUCS(t.t, &a0, &a1, &a2, &b0, &b1, &b2), 1);
  Rot r;
  ASSERT_EQ(qx_TMatrix_getRMatrix(r.m, t.t), 1);
  EXPECT_EQ(qx_RotMatrix_isIdentity(r.m), 1);
  qx_Point origin;
  ASSERT_EQ(qx_TMatrix_getOrigin(&origin, t.t), 1);
  ExpectPoint(origin, 10, 20, 30, 0);
  EXPECT_EQ(qx_TMatrix_createFromUCS(t.t, &a0, &a1, &a2, &b0, &b1, nullptr), 0);
}

}  // namespace
