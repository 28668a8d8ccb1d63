// The trace frames of the geometry families: condition bits, exit word,
// trace names that differ from the exported names, the functions without a
// frame, and the projection-point diagnostic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/geometry_internal.h"
#include "qx/diag.h"
#include "qx/geolist.h"
#include "qx/matrix.h"
#include "qx/rotation.h"

namespace {

// "point.cpp (123) text" becomes "point.cpp text".
std::string WithoutLineNumber(const std::string& line) {
  size_t open = line.find(" (");
  size_t close = line.find(") ", open == std::string::npos ? 0 : open);
  if (open == std::string::npos || close == std::string::npos) return line;
  return line.substr(0, open) + line.substr(close + 1);
}

class GeometryTrace : public ::testing::Test {
 protected:
  void SetUp() override {
    qx_Diag_setDiagOutput(1);
    qx_Diag_setLevel(3);
  }
  void TearDown() override { qx_Diag_disable(); }

  // Runs fn with the given mask and returns the lines written, without
  // their source line numbers: "point.cpp Entering qx_Point_set.".
  template <typename Fn>
  std::vector<std::string> Run(uint32_t mask, Fn fn) {
    qx_Diag_setCondition(mask);
    ::testing::internal::CaptureStdout();
    fn();
    std::fflush(stdout);
    std::string out = ::testing::internal::GetCapturedStdout();
    qx_Diag_setCondition(0);
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(WithoutLineNumber(line));
    return lines;
  }
};

using Lines = std::vector<std::string>;

TEST_F(GeometryTrace, PointsUseBit8AndTheWordLeaving) {
  qx_Point p;
  EXPECT_EQ(Run(QX_DIAG_POINT, [&] { qx_Point_set(&p, 1, 2, 3); }),
            (Lines{"point.cpp Entering qx_Point_set.", "point.cpp Leaving qx_Point_set."}));
  EXPECT_EQ(Run(QX_DIAG_VECTOR | QX_DIAG_MATRIX, [&] { qx_Point_set(&p, 1, 2, 3); }), Lines{});
  qx_Diag_setLevel(2);
  EXPECT_EQ(Run(0xffffffffu, [&] { qx_Point_set(&p, 1, 2, 3); }), Lines{});
}

TEST_F(GeometryTrace, WithinToleranceVariantsTraceUnderThePlainName) {
  qx_Point a{0, 0, 0}, b{1, 0, 0}, c{2, 0, 0};
  Lines eq = {"point.cpp Entering qx_Point_equal.", "point.cpp Leaving qx_Point_equal."};
  EXPECT_EQ(Run(QX_DIAG_POINT, [&] { qx_Point_equal(&a, &b); }), eq);
  EXPECT_EQ(Run(QX_DIAG_POINT, [&] { qx_Point_equalWithinTol(&a, &b, 2); }), eq);
  // The plain wrapper has no frame of its own: one pair, not two.
  Lines col = {"point.cpp Entering qx_Point_colinear.", "point.cpp Leaving qx_Point_colinear."};
  EXPECT_EQ(Run(QX_DIAG_POINT, [&] { qx_Point_colinear(&a, &b, &c); }), col);
  EXPECT_EQ(Run(QX_DIAG_POINT, [&] { qx_Point_colinearWithinTol(&a, &b, &c, 1); }), col);

  qx_Point b1{5, -1, 0}, b2{5, 1, 0}, out;
  Lines lines = Run(QX_DIAG_POINT, [&] { qx_Point_intersectPoint(&out, &a, &b, &b1, &b2); });
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front(), "point.cpp Entering qx_Point_intersectPoint.");
  EXPECT_EQ(lines.back(), "point.cpp Leaving qx_Point_intersectPoint.");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "point.cpp Entering qx_Point_intersectPoint."),
            1);

  qx_Vector u{1, 0, 0};
  EXPECT_EQ(Run(QX_DIAG_VECTOR, [&] { qx_Vector_equalWithinTol(&u, &u, 1); }),
            (Lines{"vector.cpp Entering qx_Vector_equalWithinTol.",
                   "vector.cpp Leaving qx_Vector_equalWithinTol."}));
}

TEST_F(GeometryTrace, FunctionsWithoutAFrame) {
  qx_Point p{1e-6, 1, 2}, a{0, 0, 0}, b{4, 0, 0};
  qx_Vector u{1, 0, 0}, v{0, 1, 0}, out;
  double d;
  EXPECT_EQ(Run(QX_DIAG_POINT, [&] { qx_Point_setToTolerance(&p); }), Lines{});
  EXPECT_EQ(Run(QX_DIAG_POINT, [&] { qx_Point_fromDelimitedString(&p, u"1,2", u","); }),
            Lines{});
  EXPECT_EQ(Run(QX_DIAG_VECTOR, [&] { qx_Vector_angle(&d, &u, &v); }), Lines{});
  EXPECT_EQ(Run(QX_DIAG_VECTOR, [&] { qx_Vector_isHorizontal(&u); }),
            (Lines{"vector.cpp Entering qx_Vector_orthogonal.",
                   "vector.cpp Leaving qx_Vector_orthogonal."}));
  qx_Point q{1, 1, 0};
  Lines cyl = Run(QX_DIAG_POINT, [&] { qx_Point_inCylinder(&d, &q, &a, &b, 2); });
  ASSERT_FALSE(cyl.empty());
  EXPECT_EQ(cyl.front(), "point.cpp Entering qx_Point_projectOntoLine.");
  Lines ortho = Run(QX_DIAG_VECTOR, [&] { qx_Vector_getOrthoVector(&out, &u, &v); });
  for (const auto& line : ortho) EXPECT_EQ(line.find("qx_Vector_getOrthoVector"), std::string::npos);

  qx_Quaternion qq{0, 0, 0, 1};
  qx_Ray ray{{0, 0, 0}, {0, 0, 1}};
  qx_Point hit;
  EXPECT_EQ(Run(0xffffffffu,
                  [&] {
                    qx_Quaternion_normalize(&qq, &qq);
                    qx_Ray_getPoint(&hit, &ray);
                  }),
            Lines{});
}

TEST_F(GeometryTrace, ProjectionPointMessage) {
  qx_Point a{0, 0, 0}, b{4, 0, 0}, p{1, 3, 0};
  qx_Vector out;
  Lines lines = Run(QX_DIAG_POINT, [&] { qx_Point_getOrthoVector(&out, &a, &b, &p); });
  // The message carries its own line feed, so an empty line follows it.
  auto it = std::find(lines.begin(), lines.end(),
                      "point.cpp Projection point is 1.000000, 0.000000, 0.000000");
  ASSERT_NE(it, lines.end());
  ASSERT_NE(it + 1, lines.end());
  EXPECT_EQ(*(it + 1), "");
  // The message goes with the point family's bit, not the vector family's.
  for (const auto& line : Run(QX_DIAG_VECTOR, [&] { qx_Point_getOrthoVector(&out, &a, &b, &p); }))
    EXPECT_EQ(line.find("Projection"), std::string::npos);
}

TEST_F(GeometryTrace, MatricesAndNtuples) {
  qx_Matrix* m = qx_Matrix_create(2, 2);
  int n;
  EXPECT_EQ(Run(QX_DIAG_MATRIX, [&] { qx_Matrix_numberColumns(&n, m); }),
            (Lines{"matrix.cpp Entering qx_Matrix_numberCols.",
                   "matrix.cpp Leaving qx_Matrix_numberCols."}));
  EXPECT_EQ(Run(QX_DIAG_MATRIX | QX_DIAG_NTUPLE, [&] { qx_Matrix_add(m, m, m); }), Lines{});
  EXPECT_EQ(Run(QX_DIAG_MATRIX, [&] { qx_Matrix_scale(m, m, 2); }),
            (Lines{"matrix.cpp Entering qx_Matrix_copy.", "matrix.cpp Leaving qx_Matrix_copy."}));
  qx_Ntuple* t = qx_Ntuple_create(2);
  EXPECT_EQ(Run(QX_DIAG_NTUPLE, [&] { qx_Ntuple_setElement(t, 0, 1); }),
            (Lines{"ntuple.cpp Entering qx_Ntuple_setElement.",
                   "ntuple.cpp Leaving qx_Ntuple_setElement."}));
  qx_Ntuple_destroy(t);
  qx_Matrix_destroy(m);

  // Rotation and transformation matrices trace as matrices.
  qx_RotMatrix* r = qx_RotMatrix_create();
  Lines rot = Run(QX_DIAG_MATRIX, [&] { qx_RotMatrix_isIdentity(r); });
  ASSERT_GE(rot.size(), 2u);
  EXPECT_EQ(rot.front(), "matrix.cpp Entering qx_RotMatrix_isIdentity.");
  EXPECT_EQ(rot.back(), "matrix.cpp Leaving qx_RotMatrix_isIdentity.");
  qx_Vector z{0, 0, 1};
  Lines axis = Run(QX_DIAG_MATRIX, [&] { qx_RotMatrix_fromRotAxisAndAngle(r, &z, 1.0); });
  ASSERT_FALSE(axis.empty());
  EXPECT_EQ(axis.front(), "matrix.cpp Entering qx_RotMatrix_set.") << "its own frame is absent";
  qx_RotMatrix_destroy(r);
}

// With tracing on, transpose and multiply go step by step through
// temporary n-tuples (each step traced); the results must be the same to
// the last bit as without tracing.
TEST_F(GeometryTrace, TracedAndUntracedMatrixAlgebraAgree) {
  auto fill = [](qx_Matrix* m, int rows, int cols, double seed) {
    for (int i = 0; i < rows; ++i)
      for (int j = 0; j < cols; ++j) qx_Matrix_setElement(m, i, j, std::sin(seed + 7 * i + j) * 1e3);
  };
  qx_Matrix* a = qx_Matrix_create(3, 5);
  qx_Matrix* b = qx_Matrix_create(5, 4);
  fill(a, 3, 5, 0.1);
  fill(b, 5, 4, 0.7);
  qx_Matrix* quiet = qx_Matrix_create(3, 4);
  qx_Matrix* loud = qx_Matrix_create(3, 4);
  qx_Matrix* quiet_t = qx_Matrix_create(5, 3);
  qx_Matrix* loud_t = qx_Matrix_create(5, 3);
  ASSERT_EQ(qx_Matrix_multiply(quiet, a, b), 1);
  ASSERT_EQ(qx_Matrix_transpose(quiet_t, a), 1);
  for (uint32_t mask : {QX_DIAG_MATRIX, QX_DIAG_NTUPLE}) {
    Lines lines = Run(mask, [&] {
      ASSERT_EQ(qx_Matrix_multiply(loud, a, b), 1);
      ASSERT_EQ(qx_Matrix_transpose(loud_t, a), 1);
    });
    EXPECT_GT(lines.size(), 100u);
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 4; ++j) EXPECT_EQ(*qx::geometry::element_of(quiet, i, j),
                                            *qx::geometry::element_of(loud, i, j));
    for (int i = 0; i < 5; ++i)
      for (int j = 0; j < 3; ++j) EXPECT_EQ(*qx::geometry::element_of(quiet_t, i, j),
                                            *qx::geometry::element_of(loud_t, i, j));
  }
  // Mismatched shapes fail on both paths without touching the destination.
  EXPECT_EQ(Run(QX_DIAG_MATRIX, [&] { EXPECT_EQ(qx_Matrix_multiply(loud, b, a), 0); }).size(), 2u);
  for (qx_Matrix* m : {a, b, quiet, loud, quiet_t, loud_t}) qx_Matrix_destroy(m);
}

TEST_F(GeometryTrace, ListsHaveNoFrameOfTheirOwn) {
  qx_Point p{1, 2, 3};
  qx_PointList* list = qx_PointList_create(&p, nullptr);
  Lines lines = Run(0xffffffffu, [&] {
    qx_PointList_length(list);
    qx_PointList_insEnd(list, &p);
    qx_PointList_search(list, &p, 1e-3);
  });
  EXPECT_FALSE(lines.empty()) << "the linked-list and point operations trace";
  for (const auto& line : lines) EXPECT_EQ(line.find("qx_PointList"), std::string::npos) << line;
  qx_PointList_destroy(list);
}

}  // namespace
