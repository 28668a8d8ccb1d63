// Rotations, quaternions, frames and matrix algebra checked against an
// independent implementation (Eigen) on a few hundred random inputs each.
#include <gtest/gtest.h>

#include <eigen3/Eigen/Dense>
#include <eigen3/Eigen/Geometry>
#include <random>

#include "qx/matrix.h"
#include "qx/quaternion.h"
#include "qx/rotation.h"

namespace {

constexpr int kRounds = 300;
constexpr double kEps = 1e-9;

using Eigen::AngleAxisd;
using Eigen::Matrix3d;
using Eigen::MatrixXd;
using Eigen::Quaterniond;
using Eigen::Vector3d;

class Random {
 public:
  double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(gen_); }
  int size() { return std::uniform_int_distribution<int>(1, 6)(gen_); }
  Vector3d vec(double r = 10) { return {uniform(-r, r), uniform(-r, r), uniform(-r, r)}; }
  double angle() { return uniform(-7, 7); }

 private:
  std::mt19937_64 gen_{20261206};
};

qx_Vector Qx(const Vector3d& v) { return {v.x(), v.y(), v.z()}; }
Vector3d Ei(const qx_Vector& v) { return {v.x, v.y, v.z}; }

MatrixXd ToEigen(const qx_Matrix* m) {
  int rows = 0, cols = 0;
  qx_Matrix_numberRows(&rows, m);
  qx_Matrix_numberColumns(&cols, m);
  MatrixXd e(rows, cols);
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < cols; ++j) qx_Matrix_getElement(&e(i, j), m, i, j);
  return e;
}

qx_Matrix* FromEigen(const MatrixXd& e) {
  qx_Matrix* m = qx_Matrix_create(static_cast<int>(e.rows()), static_cast<int>(e.cols()));
  for (int i = 0; i < e.rows(); ++i)
    for (int j = 0; j < e.cols(); ++j) qx_Matrix_setElement(m, i, j, e(i, j));
  return m;
}

// RAII for the library's matrices.
struct Mat {
  qx_Matrix* m;
  explicit Mat(qx_Matrix* m) : m(m) {}
  ~Mat() { qx_Matrix_destroy(m); }
};

#define EXPECT_MATRIX_NEAR(a, b, eps)                                            \
  EXPECT_TRUE((a).isApprox((b), (eps)) || ((a) - (b)).cwiseAbs().maxCoeff() < (eps)) \
      << "qx:\n" << (a) << "\nEigen:\n" << (b)

TEST(EigenCompare, RotateByThreeAngles) {
  Random rnd;
  for (int k = 0; k < kRounds; ++k) {
    MatrixXd src = MatrixXd::Random(3, 3) * 5;
    double ax = rnd.angle(), ay = rnd.angle(), az = rnd.angle();
    Mat m(FromEigen(src));
    ASSERT_EQ(qx_RotMatrix_rotate(m.m, m.m, ax, ay, az), 1);
    // The library's Ry(a) is the conventional rotation by -a about Y.
    Matrix3d want = (AngleAxisd(ax, Vector3d::UnitX()) * AngleAxisd(-ay, Vector3d::UnitY()) *
                     AngleAxisd(az, Vector3d::UnitZ()))
                        .toRotationMatrix() *
                    src;
    MatrixXd got = ToEigen(m.m);
    EXPECT_MATRIX_NEAR(got, MatrixXd(want), kEps);
  }
}

TEST(EigenCompare, AxisAngleAndRotatePoint) {
  Random rnd;
  for (int k = 0; k < kRounds; ++k) {
    Vector3d axis = rnd.vec();
    if (axis.norm() < 1e-3) continue;
    double angle = rnd.angle();
    Mat m(qx_RotMatrix_create());
    qx_Vector qaxis = Qx(axis);
    ASSERT_EQ(qx_RotMatrix_fromRotAxisAndAngle(m.m, &qaxis, angle), 1);
    Matrix3d want = AngleAxisd(angle, axis.normalized()).toRotationMatrix();
    EXPECT_MATRIX_NEAR(ToEigen(m.m), MatrixXd(want), kEps);

    Vector3d p = rnd.vec(100);
    qx_Point qp = Qx(p);
    ASSERT_EQ(qx_RotMatrix_rotatePoint(&qp, m.m), 1);
    EXPECT_TRUE(Ei(qp).isApprox(want * p, kEps));
  }
}

TEST(EigenCompare, QuaternionToMatrixAndProduct) {
  Random rnd;
  for (int k = 0; k < kRounds; ++k) {
    Quaterniond a(rnd.uniform(-1, 1), rnd.uniform(-1, 1), rnd.uniform(-1, 1), rnd.uniform(-1, 1));
    Quaterniond b(rnd.uniform(-1, 1), rnd.uniform(-1, 1), rnd.uniform(-1, 1), rnd.uniform(-1, 1));
    a.normalize();
    qx_Quaternion qa{a.x(), a.y(), a.z(), a.w()}, qb{b.x(), b.y(), b.z(), b.w()}, prod;
    Mat m(qx_RotMatrix_create());
    ASSERT_EQ(qx_RotMatrix_fromQuaternion(m.m, &qa), 1);
    EXPECT_MATRIX_NEAR(ToEigen(m.m), MatrixXd(a.toRotationMatrix()), kEps);

    ASSERT_EQ(qx_Quaternion_multiply(&prod, &qa, &qb), 1);
    Quaterniond want = a * b;
    EXPECT_NEAR(prod.x, want.x(), kEps);
    EXPECT_NEAR(prod.y, want.y(), kEps);
    EXPECT_NEAR(prod.z, want.z(), kEps);
    EXPECT_NEAR(prod.w, want.w(), kEps);
  }
}

TEST(EigenCompare, RotationBetweenTwoVectors) {
  Random rnd;
  int checked = 0;
  for (int k = 0; k < kRounds; ++k) {
    Vector3d from = rnd.vec(), to = rnd.vec();
    // Nearly parallel pairs snap to no turn or a half turn on purpose.
    double c = from.normalized().dot(to.normalized());
    if (from.norm() < 1e-3 || to.norm() < 1e-3 || std::abs(c) > 0.999) continue;
    qx_Vector qf = Qx(from), qt = Qx(to);
    Mat m(qx_RotMatrix_create());
    ASSERT_EQ(qx_RotMatrix_fromVectors(m.m, nullptr, &qf, &qt), 1);
    Matrix3d want = Quaterniond::FromTwoVectors(from, to).toRotationMatrix();
    EXPECT_MATRIX_NEAR(ToEigen(m.m), MatrixXd(want), 1e-8);
    ++checked;
  }
  EXPECT_GT(checked, kRounds / 2);
}

TEST(EigenCompare, FrameFromThreePointsAndUcsTransform) {
  Random rnd;
  auto frame = [](const Vector3d& p0, const Vector3d& p1, const Vector3d& p2) {
    Vector3d x = (p1 - p0).normalized();
    Vector3d y = ((p2 - p0) - x * x.dot(p2 - p0)).normalized();
    Matrix3d r;
    r << x, y, x.cross(y);
    return r;
  };
  for (int k = 0; k < kRounds; ++k) {
    Vector3d a0 = rnd.vec(), a1 = rnd.vec(), a2 = rnd.vec();
    Vector3d b0 = rnd.vec(), b1 = rnd.vec(), b2 = rnd.vec();
    qx_Point qa0 = Qx(a0), qa1 = Qx(a1), qa2 = Qx(a2), qb0 = Qx(b0), qb1 = Qx(b1), qb2 = Qx(b2);
    Mat ra(qx_RotMatrix_create());
    ASSERT_EQ(qx_RotMatrix_from3Points(ra.m, &qa0, &qa1, &qa2), 1);
    Matrix3d fa = frame(a0, a1, a2), fb = frame(b0, b1, b2);
    EXPECT_MATRIX_NEAR(ToEigen(ra.m), MatrixXd(fa), 1e-8);

    // A point given relative to frame A lands at the same place relative
    // to frame B.
    Mat t(qx_TMatrix_create());
    ASSERT_EQ(qx_TMatrix_createFromUCS(t.m, &qa0, &qa1, &qa2, &qb0, &qb1, &qb2), 1);
    Vector3d p = rnd.vec(50);
    qx_Point qp = Qx(p), out;
    ASSERT_EQ(qx_TMatrix_xform(&out, t.m, &qp), 1);
    Vector3d want = fb * (fa.transpose() * (p - a0)) + b0;
    EXPECT_TRUE(Ei(out).isApprox(want, 1e-8)) << Ei(out).transpose() << " vs " << want.transpose();
  }
}

TEST(EigenCompare, GeneralMultiplyAndTranspose) {
  Random rnd;
  for (int k = 0; k < kRounds; ++k) {
    int r = rnd.size(), inner = rnd.size(), c = rnd.size();
    MatrixXd a = MatrixXd::Random(r, inner) * 10, b = MatrixXd::Random(inner, c) * 10;
    Mat qa(FromEigen(a)), qb(FromEigen(b)), prod(qx_Matrix_create(r, c)),
        tr(qx_Matrix_create(inner, r));
    ASSERT_EQ(qx_Matrix_multiply(prod.m, qa.m, qb.m), 1);
    EXPECT_MATRIX_NEAR(ToEigen(prod.m), MatrixXd(a * b), 1e-12);
    ASSERT_EQ(qx_Matrix_transpose(tr.m, qa.m), 1);
    EXPECT_EQ(ToEigen(tr.m), MatrixXd(a.transpose()));
    Mat sum(qx_Matrix_create(r, inner));
    ASSERT_EQ(qx_Matrix_subtract(sum.m, qa.m, qa.m), 1);
    EXPECT_EQ(ToEigen(sum.m), MatrixXd::Zero(r, inner));
  }
}

TEST(EigenCompare, PlaneAndRay) {
  Random rnd;
  for (int k = 0; k < kRounds; ++k) {
    Vector3d p0 = rnd.vec(), n = rnd.vec(), r0 = rnd.vec(), d = rnd.vec();
    if (n.norm() < 1e-2 || d.norm() < 1e-2 || std::abs(n.normalized().dot(d.normalized())) < 1e-2)
      continue;
    qx_Plane plane{Qx(p0), Qx(n)};
    qx_Ray ray{Qx(r0), Qx(d)};
    qx_Point out;
    ASSERT_EQ(qx_Plane_intersectionWithRay(&out, &plane, &ray), 1);
    Eigen::Hyperplane<double, 3> hp(n.normalized(), p0);
    Eigen::ParametrizedLine<double, 3> line(r0, d.normalized());
    Vector3d want = line.intersectionPoint(hp);
    EXPECT_TRUE(Ei(out).isApprox(want, 1e-8)) << Ei(out).transpose() << " vs " << want.transpose();
  }
}

}  // namespace
