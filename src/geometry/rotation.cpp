// Rotation matrices: 3 x 3 general matrices whose columns are the axes of
// the rotated frame.  They trace as matrices; fromVectors,
// fromRotAxisAndAngle and equal have no frame.
#include <cmath>

#include "geometry/geometry_internal.h"
#include "qx/matrix.h"
#include "qx/quaternion.h"
#include "qx/rotation.h"

namespace {

using qx::geometry::kMatrixTrace;
using qx::geometry::kTol;

using Mat3 = double[3][3];

bool index_ok(int i) { return i >= 0 && i < 3; }

// Reads the nine elements; false unless m has (at least) 3 x 3.
bool read3(const qx_RotMatrix* m, Mat3& out) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const double* e = qx::geometry::element_of(m, i, j);
      if (!e) return false;
      out[i][j] = *e;
    }
  return true;
}

// Writes the nine elements; false, writing nothing, unless m has 3 x 3.
bool write3(qx_RotMatrix* m, const Mat3& v) {
  Mat3 check;
  if (!read3(m, check)) return false;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) *qx::geometry::element_of(m, i, j) = v[i][j];
  return true;
}

int write_rows(qx_RotMatrix* m, const Mat3& v) {
  return qx_RotMatrix_set(m, v[0][0], v[0][1], v[0][2], v[1][0], v[1][1], v[1][2], v[2][0],
                          v[2][1], v[2][2]);
}

qx_Vector times(const Mat3& m, const qx_Vector& p) {
  return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z,
          m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z,
          m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z};
}

// Stores one vector as row or column i through a 3-tuple, as the general
// matrix operations take them.
int store_vector(qx_RotMatrix* m, int i, const qx_Vector* v, bool as_row) {
  if (!m || !v || !index_ok(i)) return 0;
  qx_Ntuple* t = qx_Ntuple_fromVector(v);
  if (!t) return 0;
  int ok = as_row ? qx_Matrix_setRow(m, i, t) : qx_Matrix_setColumn(m, i, t);
  qx_Ntuple_destroy(t);
  return ok;
}

int fetch_vector(qx_Vector* out, const qx_RotMatrix* m, int i, bool as_row) {
  if (!out || !m || !index_ok(i)) return 0;
  qx_Ntuple* t = qx_Ntuple_create(3);
  if (!t) return 0;
  int ok = (as_row ? qx_Matrix_getRow(t, m, i) : qx_Matrix_getColumn(t, m, i)) &&
           qx_Vector_fromNtuple(out, t);
  qx_Ntuple_destroy(t);
  return ok;
}

int set_three(qx_RotMatrix* m, const qx_Vector* a, const qx_Vector* b, const qx_Vector* c,
              bool as_rows) {
  if (!m || !a || !b || !c) return 0;
  return store_vector(m, 0, a, as_rows) && store_vector(m, 1, b, as_rows) &&
         store_vector(m, 2, c, as_rows);
}

int rotate_in_place(qx_Point* p, const qx_RotMatrix* m) {
  Mat3 r;
  if (!p || !read3(m, r)) return 0;
  *p = times(r, *p);
  return 1;
}

}  // namespace

extern "C" {

qx_RotMatrix* qx_RotMatrix_create(void) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_create");
  QX_RETURN(qx_Matrix_create(3, 3));
}

void qx_RotMatrix_destroy(qx_RotMatrix* m) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_destroy");
  qx_Matrix_destroy(m);
  QX_RETURN_VOID();
}

int qx_RotMatrix_set(qx_RotMatrix* m, double m00, double m01, double m02, double m10, double m11,
                     double m12, double m20, double m21, double m22) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_set");
  const Mat3 v = {{m00, m01, m02}, {m10, m11, m12}, {m20, m21, m22}};
  QX_RETURN(write3(m, v) ? 1 : 0);
}

int qx_RotMatrix_setElement(qx_RotMatrix* m, int row, int column, double value) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_setElement");
  if (!index_ok(row) || !index_ok(column)) QX_RETURN(0);
  QX_RETURN(qx_Matrix_setElement(m, row, column, value));
}

int qx_RotMatrix_setRowValues(qx_RotMatrix* m, int i, double a, double b, double c) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_setRowValues");
  const qx_Vector v{a, b, c};
  QX_RETURN(store_vector(m, i, &v, true));
}

int qx_RotMatrix_setColumnValues(qx_RotMatrix* m, int i, double a, double b, double c) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_setColumnValues");
  const qx_Vector v{a, b, c};
  QX_RETURN(store_vector(m, i, &v, false));
}

int qx_RotMatrix_setColumn(qx_RotMatrix* m, int i, const qx_Vector* v) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_setColumn");
  QX_RETURN(store_vector(m, i, v, false));
}

int qx_RotMatrix_setRow(qx_RotMatrix* m, int i, const qx_Vector* v) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_setRow");
  QX_RETURN(store_vector(m, i, v, true));
}

int qx_RotMatrix_setIdentity(qx_RotMatrix* m) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_setIdentity");
  if (!m) QX_RETURN(0);
  const Mat3 identity = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
  write3(m, identity);
  QX_RETURN(1);
}

int qx_RotMatrix_isIdentity(const qx_RotMatrix* m) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_isIdentity");
  Mat3 r;
  if (!read3(m, r)) QX_RETURN(0);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (!qx::geometry::within(r[i][j] - (i == j ? 1.0 : 0.0), kTol)) QX_RETURN(0);
  QX_RETURN(1);
}

int qx_RotMatrix_getElement(double* out, const qx_RotMatrix* m, int row, int column) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_getElement");
  if (!index_ok(row) || !index_ok(column)) QX_RETURN(0);
  QX_RETURN(qx_Matrix_getElement(out, m, row, column));
}

int qx_RotMatrix_getColumn(qx_Vector* out, const qx_RotMatrix* m, int i) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_getColumn");
  QX_RETURN(fetch_vector(out, m, i, false));
}

int qx_RotMatrix_getRow(qx_Vector* out, const qx_RotMatrix* m, int i) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_getRow");
  QX_RETURN(fetch_vector(out, m, i, true));
}

int qx_RotMatrix_getInverse(qx_RotMatrix* dst, const qx_RotMatrix* src) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_getInverse");
  QX_RETURN(qx_Matrix_transpose(dst, src));
}

int qx_RotMatrix_multiply(qx_RotMatrix* dst, const qx_RotMatrix* a, const qx_RotMatrix* b) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_multiply");
  QX_RETURN(qx_Matrix_multiply(dst, a, b));
}

int qx_RotMatrix_copy(qx_RotMatrix* dst, const qx_RotMatrix* src) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_copy");
  QX_RETURN(qx_Matrix_copy(dst, src));
}

int qx_RotMatrix_normalize(qx_RotMatrix* dst, const qx_RotMatrix* src) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_normalize");
  Mat3 check;
  if (!dst || !read3(dst, check)) QX_RETURN(0);
  // All three columns first: dst stays as it was when any is too short.
  qx_Vector axes[3];
  for (int j = 0; j < 3; ++j)
    if (!fetch_vector(&axes[j], src, j, false) || !qx_Vector_normalize(&axes[j])) QX_RETURN(0);
  QX_RETURN(set_three(dst, &axes[0], &axes[1], &axes[2], false));
}

int qx_RotMatrix_fromAngle(qx_RotMatrix* m, double angle) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_fromAngle");
  double c = std::cos(angle), s = std::sin(angle);
  const Mat3 rz = {{c, -s, 0.0}, {s, c, 0.0}, {0.0, 0.0, 1.0}};
  QX_RETURN(write_rows(m, rz));
}

int qx_RotMatrix_rotate(qx_RotMatrix* dst, const qx_RotMatrix* src, double ax, double ay,
                        double az) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_rotate");
  if (!dst || !src) QX_RETURN(0);
  qx_RotMatrix* step = qx_RotMatrix_create();
  qx_RotMatrix* acc = qx_RotMatrix_create();
  double cx = std::cos(ax), sx = std::sin(ax);
  double cy = std::cos(ay), sy = std::sin(ay);
  double cz = std::cos(az), sz = std::sin(az);
  const Mat3 rz = {{cz, -sz, 0.0}, {sz, cz, 0.0}, {0.0, 0.0, 1.0}};
  // The minus sign sits above the diagonal in Ry, as in Rx and Rz.
  const Mat3 ry = {{cy, 0.0, -sy}, {0.0, 1.0, 0.0}, {sy, 0.0, cy}};
  const Mat3 rx = {{1.0, 0.0, 0.0}, {0.0, cx, -sx}, {0.0, sx, cx}};
  // acc = Rx * (Ry * (Rz * src)), then copied out, so dst may be src.
  int ok = step && acc && qx_RotMatrix_copy(acc, src) && write_rows(step, rz) &&
           qx_RotMatrix_multiply(acc, step, acc) && write_rows(step, ry) &&
           qx_RotMatrix_multiply(acc, step, acc) && write_rows(step, rx) &&
           qx_RotMatrix_multiply(acc, step, acc) && qx_RotMatrix_copy(dst, acc);
  qx_RotMatrix_destroy(step);
  qx_RotMatrix_destroy(acc);
  QX_RETURN(ok ? 1 : 0);
}

int qx_RotMatrix_from3Points(qx_RotMatrix* m, const qx_Point* p0, const qx_Point* p1,
                             const qx_Point* p2) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_from3Points");
  if (!m || !p0 || !p1 || !p2) QX_RETURN(0);
  // X along p0 -> p1, Y from p2's foot on that line towards p2, Z = X x Y.
  qx_Vector x, y, z;
  qx_Point foot;
  if (!qx_Vector_computeNormal(&x, p0, p1)) QX_RETURN(0);
  if (!qx_Point_projectOntoLine(&foot, p2, p0, p1)) QX_RETURN(0);
  if (!qx_Vector_computeNormal(&y, &foot, p2)) QX_RETURN(0);
  qx_Vector_crossProduct(&z, &x, &y);
  double z_len = 0.0;
  qx_Vector_magnitude(&z_len, &z);
  if (!qx::geometry::long_enough(z_len)) QX_RETURN(0);
  QX_RETURN(qx_RotMatrix_fromColumnVectors(m, &x, &y, &z));
}

int qx_RotMatrix_fromVectorsXY(qx_RotMatrix* m, const qx_Point* origin,
                               const qx_Vector* xDirection, const qx_Vector* yDirection) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_fromVectorsXY");
  if (!m || !origin || !xDirection || !yDirection) QX_RETURN(0);
  qx_Point on_x, on_y;
  if (!qx_Point_translateByVector(&on_x, origin, xDirection, 1.0) ||
      !qx_Point_translateByVector(&on_y, origin, yDirection, 1.0))
    QX_RETURN(0);
  QX_RETURN(qx_RotMatrix_from3Points(m, origin, &on_x, &on_y));
}

int qx_RotMatrix_fromVectors(qx_RotMatrix* m, const qx_Vector* axis, const qx_Vector* from,
                             const qx_Vector* to) {
  if (!m || !from || !to) return 0;
  qx_Quaternion q;
  double axis_len = 0.0;
  if (axis && qx_Vector_magnitude(&axis_len, axis) && qx::geometry::long_enough(axis_len)) {
    // Turn about the given axis: only the parts of from and to that are
    // orthogonal to it matter.
    qx_Vector u, w;
    if (!qx_Vector_getOrthoVector(&u, axis, from) || !qx_Vector_normalize(&u)) return 0;
    if (!qx_Vector_getOrthoVector(&w, axis, to) || !qx_Vector_normalize(&w)) return 0;
    if (!qx_Vector_equal(&u, &w) && qx_Vector_parallel(&u, &w)) {
      qx_Vector unit_axis;
      qx_Vector_copyNormalize(&unit_axis, axis);
      if (!qx_Quaternion_fromRotAxisAndAngle(&q, &unit_axis, qx::geometry::kHalfTurn)) return 0;
    } else if (!qx_Quaternion_fromVectors(&q, &u, &w)) {
      return 0;
    }
  } else if (!qx_Quaternion_fromVectors(&q, from, to)) {
    return 0;
  }
  return qx_RotMatrix_fromQuaternion(m, &q);
}

int qx_RotMatrix_fromRotAxisAndAngle(qx_RotMatrix* m, const qx_Vector* axis, double angle) {
  if (!m || !axis) return 0;
  // A zero axis names no rotation: refused rather than read as identity.
  qx_Vector unit_axis;
  qx_Quaternion q;
  if (!qx_Vector_copyNormalize(&unit_axis, axis)) return 0;
  if (!qx_Quaternion_fromRotAxisAndAngle(&q, &unit_axis, angle)) return 0;
  return qx_RotMatrix_fromQuaternion(m, &q);
}

int qx_RotMatrix_fromColumnVectors(qx_RotMatrix* m, const qx_Vector* c0, const qx_Vector* c1,
                                   const qx_Vector* c2) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_fromColumnVectors");
  QX_RETURN(set_three(m, c0, c1, c2, false));
}

int qx_RotMatrix_fromRowVectors(qx_RotMatrix* m, const qx_Vector* r0, const qx_Vector* r1,
                                const qx_Vector* r2) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_fromRowVectors");
  QX_RETURN(set_three(m, r0, r1, r2, true));
}

int qx_RotMatrix_rotatePoint(qx_Point* p, const qx_RotMatrix* m) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_rotatePoint");
  QX_RETURN(rotate_in_place(p, m));
}

int qx_RotMatrix_rotateVector(qx_Vector* v, const qx_RotMatrix* m) {
  QX_TRACE(kMatrixTrace, u"qx_RotMatrix_rotateVector");
  QX_RETURN(rotate_in_place(v, m));
}

int qx_RotMatrix_equal(const qx_RotMatrix* a, const qx_RotMatrix* b) {
  if (!a || !b) return 0;
  for (int j = 0; j < 3; ++j) {
    qx_Vector ca, cb;
    if (!fetch_vector(&ca, a, j, false) || !fetch_vector(&cb, b, j, false)) return 0;
    if (!qx_Vector_equal(&ca, &cb)) return 0;
  }
  return 1;
}

}  // extern "C"
