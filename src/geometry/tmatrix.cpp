// Transformation matrices: 4 x 4 general matrices holding a rotation in the
// upper-left block, an origin in column 3 and (0, 0, 0, 1) in row 3.  They
// trace as matrices; the reading, transforming and constructing functions
// at the end have no frame.
#include "geometry/geometry_internal.h"
#include "qx/matrix.h"
#include "qx/rotation.h"

namespace {

using qx::geometry::kMatrixTrace;

// Every element of a 4 x 4 present; only then are elements touched.
bool is_4x4(const qx_TMatrix* t) {
  if (qx::geometry::columns_of(t) != 4) return false;
  for (int j = 0; j < 4; ++j) {
    const qx_Ntuple* c = qx::geometry::column_of(t, j);
    if (!c || c->n != 4 || !c->elements) return false;
  }
  return true;
}

// Element (row, column) of a matrix that passed is_4x4.
double& at(const qx_TMatrix* t, int row, int column) {
  return *qx::geometry::element_of(t, row, column);
}

void set_bottom_row(qx_TMatrix* t) {
  for (int j = 0; j < 4; ++j) at(t, 3, j) = j == 3 ? 1.0 : 0.0;
}

void set_origin(qx_TMatrix* t, const qx_Point& o) {
  at(t, 0, 3) = o.x;
  at(t, 1, 3) = o.y;
  at(t, 2, 3) = o.z;
}

// The transformation with rotation r and origin o.
int build(qx_TMatrix* t, const qx_RotMatrix* r, const qx_Point& o) {
  if (!qx_TMatrix_setIdentity(t) || !qx_TMatrix_setRMatrix(t, r)) return 0;
  set_origin(t, o);
  return 1;
}

// The frame of three points as a rotation; a degenerate triple leaves it
// the identity, so that frame counts as the world's own axes.
qx_RotMatrix* frame_of(const qx_Point* p0, const qx_Point* p1, const qx_Point* p2) {
  qx_RotMatrix* r = qx_RotMatrix_create();
  if (r) qx_RotMatrix_from3Points(r, p0, p1, p2);
  return r;
}

bool same_direction(const qx_Point* a0, const qx_Point* a1, const qx_Point* b0,
                    const qx_Point* b1) {
  qx_Vector u, w;
  qx_Vector_computeNormal(&u, a0, a1);
  qx_Vector_computeNormal(&w, b0, b1);
  return qx_Vector_equal(&u, &w);
}

// t = Tb * Ta, where Ta takes world coordinates into frame A (rotation
// Ra^T, origin Ra^T * -a0) and Tb takes frame B coordinates to the world
// (rotation Rb, origin b0).
int compose_frames(qx_TMatrix* t, const qx_RotMatrix* ra, const qx_Point& a0,
                   const qx_RotMatrix* rb, const qx_Point& b0) {
  qx_RotMatrix* ra_t = qx_RotMatrix_create();
  qx_TMatrix* ta = qx_TMatrix_create();
  qx_TMatrix* tb = qx_TMatrix_create();
  qx_Point shift{-a0.x, -a0.y, -a0.z};
  int ok = ra_t && ta && tb && qx_RotMatrix_getInverse(ra_t, ra) &&
           qx_RotMatrix_rotatePoint(&shift, ra_t) && build(ta, ra_t, shift) &&
           build(tb, rb, b0) && qx_Matrix_multiply(t, tb, ta);
  qx_RotMatrix_destroy(ra_t);
  qx_TMatrix_destroy(ta);
  qx_TMatrix_destroy(tb);
  return ok;
}

}  // namespace

extern "C" {

qx_TMatrix* qx_TMatrix_create(void) {
  QX_TRACE(kMatrixTrace, u"qx_TMatrix_create");
  QX_RETURN(qx_Matrix_create(4, 4));
}

void qx_TMatrix_destroy(qx_TMatrix* t) {
  QX_TRACE(kMatrixTrace, u"qx_TMatrix_destroy");
  qx_Matrix_destroy(t);
  QX_RETURN_VOID();
}

int qx_TMatrix_set(qx_TMatrix* t, double m00, double m01, double m02, double m03, double m10,
                   double m11, double m12, double m13, double m20, double m21, double m22,
                   double m23) {
  QX_TRACE(kMatrixTrace, u"qx_TMatrix_set");
  if (!is_4x4(t)) QX_RETURN(0);
  const double rows[3][4] = {{m00, m01, m02, m03}, {m10, m11, m12, m13}, {m20, m21, m22, m23}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j) at(t, i, j) = rows[i][j];
  set_bottom_row(t);
  QX_RETURN(1);
}

int qx_TMatrix_setIdentity(qx_TMatrix* t) {
  QX_TRACE(kMatrixTrace, u"qx_TMatrix_setIdentity");
  if (!is_4x4(t)) QX_RETURN(0);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) at(t, i, j) = i == j ? 1.0 : 0.0;
  QX_RETURN(1);
}

int qx_TMatrix_setOrigin(qx_TMatrix* t, const qx_Point* origin) {
  QX_TRACE(kMatrixTrace, u"qx_TMatrix_setOrigin");
  if (!is_4x4(t) || !origin) QX_RETURN(0);
  set_origin(t, *origin);
  QX_RETURN(1);
}

int qx_TMatrix_setRMatrix(qx_TMatrix* t, const qx_RotMatrix* r) {
  QX_TRACE(kMatrixTrace, u"qx_TMatrix_setRMatrix");
  double v[3][3];
  if (!is_4x4(t) || !r) QX_RETURN(0);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const double* e = qx::geometry::element_of(r, i, j);
      if (!e) QX_RETURN(0);
      v[i][j] = *e;
    }
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) at(t, i, j) = v[i][j];
  set_bottom_row(t);
  QX_RETURN(1);
}

int qx_TMatrix_getOrigin(qx_Point* out, const qx_TMatrix* t) {
  if (!out || !is_4x4(t)) return 0;
  *out = {at(t, 0, 3), at(t, 1, 3), at(t, 2, 3)};
  return 1;
}

int qx_TMatrix_getRMatrix(qx_RotMatrix* out, const qx_TMatrix* t) {
  if (!out || !is_4x4(t)) return 0;
  return qx_RotMatrix_set(out, at(t, 0, 0), at(t, 0, 1), at(t, 0, 2), at(t, 1, 0), at(t, 1, 1),
                          at(t, 1, 2), at(t, 2, 0), at(t, 2, 1), at(t, 2, 2));
}

int qx_TMatrix_rotate(qx_TMatrix* dst, const qx_TMatrix* src, double ax, double ay, double az) {
  QX_TRACE(kMatrixTrace, u"qx_TMatrix_rotate");
  if (!is_4x4(dst) || !is_4x4(src)) QX_RETURN(0);
  qx_RotMatrix* r = qx_RotMatrix_create();
  int ok = r && qx_RotMatrix_rotate(r, r, ax, ay, az) && qx_Matrix_copy(dst, src) &&
           qx_TMatrix_setRMatrix(dst, r);
  qx_RotMatrix_destroy(r);
  QX_RETURN(ok ? 1 : 0);
}

int qx_TMatrix_xform(qx_Point* out, const qx_TMatrix* t, const qx_Point* p) {
  if (!out || !p || !is_4x4(t)) return 0;
  // Row by row into a temporary, so out may also be p.
  const qx_Point q = *p;
  double r[3];
  for (int i = 0; i < 3; ++i)
    r[i] = at(t, i, 0) * q.x + at(t, i, 1) * q.y + at(t, i, 2) * q.z + at(t, i, 3);
  *out = {r[0], r[1], r[2]};
  return 1;
}

int qx_TMatrix_createForTranslation(qx_TMatrix* t, const qx_Point* from, const qx_Point* to) {
  if (!from || !to || !qx_TMatrix_setIdentity(t)) return 0;
  set_origin(t, qx::geometry::diff(*to, *from));
  return 1;
}

int qx_TMatrix_createFromUCS(qx_TMatrix* t, const qx_Point* a0, const qx_Point* a1,
                             const qx_Point* a2, const qx_Point* b0, const qx_Point* b1,
                             const qx_Point* b2) {
  if (!a0 || !a1 || !a2 || !b0 || !b1 || !b2 || !qx_TMatrix_setIdentity(t)) return 0;
  // Frames that point the same way differ by a shift only.
  if (same_direction(a0, a1, b0, b1) && same_direction(a1, a2, b1, b2)) {
    set_origin(t, qx::geometry::diff(*b0, *a0));
    return 1;
  }
  qx_RotMatrix* ra = frame_of(a0, a1, a2);
  qx_RotMatrix* rb = frame_of(b0, b1, b2);
  int ok = ra && rb && compose_frames(t, ra, *a0, rb, *b0);
  qx_RotMatrix_destroy(ra);
  qx_RotMatrix_destroy(rb);
  return ok;
}

}  // extern "C"
