// Rotation quaternions (x, y, z vector part, w scalar part) and the rotation
// matrix of a quaternion.  No trace frame.
#include <cmath>

#include "geometry/geometry_internal.h"
#include "qx/quaternion.h"
#include "qx/rotation.h"

namespace {

using qx::geometry::kTol;

int set_part(double qx_Quaternion::*field, qx_Quaternion* q, double value) {
  if (!q) return 0;
  q->*field = value;
  return 1;
}

int get_part(double qx_Quaternion::*field, double* out, const qx_Quaternion* q) {
  if (!out || !q) return 0;
  *out = q->*field;
  return 1;
}

double magnitude_of(const qx_Quaternion& q) {
  return std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
}

// An axis for the half turn between parallel or opposite directions: the
// part of Z orthogonal to a, or of X when a itself runs along Z.
int axis_for_parallel(qx_Vector* out, const qx_Vector& a) {
  const qx_Vector x_axis{1.0, 0.0, 0.0};
  const qx_Vector z_axis{0.0, 0.0, 1.0};
  if (qx_Vector_parallel(&a, &z_axis)) return qx_Vector_getOrthoVector(out, &a, &x_axis);
  return qx_Vector_getOrthoVector(out, &a, &z_axis);
}

}  // namespace

extern "C" {

int qx_Quaternion_set(qx_Quaternion* q, double x, double y, double z, double w) {
  if (!q) return 0;
  *q = {x, y, z, w};
  return 1;
}

int qx_Quaternion_setX(qx_Quaternion* q, double value) {
  return set_part(&qx_Quaternion::x, q, value);
}
int qx_Quaternion_setY(qx_Quaternion* q, double value) {
  return set_part(&qx_Quaternion::y, q, value);
}
int qx_Quaternion_setZ(qx_Quaternion* q, double value) {
  return set_part(&qx_Quaternion::z, q, value);
}
int qx_Quaternion_setScalar(qx_Quaternion* q, double w) {
  return set_part(&qx_Quaternion::w, q, w);
}

int qx_Quaternion_setVector(qx_Quaternion* q, const qx_Vector* v) {
  if (!q || !v) return 0;
  q->x = v->x;
  q->y = v->y;
  q->z = v->z;
  return 1;
}

int qx_Quaternion_getX(double* out, const qx_Quaternion* q) {
  return get_part(&qx_Quaternion::x, out, q);
}
int qx_Quaternion_getY(double* out, const qx_Quaternion* q) {
  return get_part(&qx_Quaternion::y, out, q);
}
int qx_Quaternion_getZ(double* out, const qx_Quaternion* q) {
  return get_part(&qx_Quaternion::z, out, q);
}
int qx_Quaternion_getScalar(double* out, const qx_Quaternion* q) {
  return get_part(&qx_Quaternion::w, out, q);
}

int qx_Quaternion_getVector(qx_Vector* out, const qx_Quaternion* q) {
  if (!out || !q) return 0;
  *out = {q->x, q->y, q->z};
  return 1;
}

int qx_Quaternion_getConjugate(qx_Quaternion* out, const qx_Quaternion* q) {
  if (!out || !q) return 0;
  *out = {-q->x, -q->y, -q->z, q->w};
  return 1;
}

int qx_Quaternion_getInverse(qx_Quaternion* out, const qx_Quaternion* q) {
  return qx_Quaternion_getConjugate(out, q);
}

int qx_Quaternion_magnitude(double* out, const qx_Quaternion* q) {
  if (!out || !q) return 0;
  *out = magnitude_of(*q);
  return 1;
}

int qx_Quaternion_normalize(qx_Quaternion* out, const qx_Quaternion* q) {
  if (!out || !q) return 0;
  double m = magnitude_of(*q);
  if (!qx::geometry::long_enough(m)) return 0;
  *out = {q->x / m, q->y / m, q->z / m, q->w / m};
  return 1;
}

int qx_Quaternion_multiply(qx_Quaternion* out, const qx_Quaternion* p, const qx_Quaternion* q) {
  if (!out || !p || !q) return 0;
  const qx_Vector pv{p->x, p->y, p->z};
  const qx_Vector qv{q->x, q->y, q->z};
  double w = p->w * q->w - qx::geometry::dot(pv, qv);
  qx_Vector c;
  qx_Vector_crossProduct(&c, &pv, &qv);
  *out = {q->w * pv.x + p->w * qv.x + c.x, q->w * pv.y + p->w * qv.y + c.y,
          q->w * pv.z + p->w * qv.z + c.z, w};
  return 1;
}

int qx_Quaternion_fromRotAxisAndAngle(qx_Quaternion* out, const qx_Vector* axis, double angle) {
  if (!out || !axis) return 0;
  double h = angle / 2.0;
  double s = std::sin(h);
  *out = {s * axis->x, s * axis->y, s * axis->z, std::cos(h)};
  return qx_Quaternion_normalize(out, out);
}

int qx_Quaternion_fromVectors(qx_Quaternion* out, const qx_Vector* from, const qx_Vector* to) {
  if (!out || !from || !to) return 0;
  qx_Vector a, b, c;
  qx_Vector_copyNormalize(&a, from);
  qx_Vector_copyNormalize(&b, to);
  qx_Vector_crossProduct(&c, &a, &b);
  double c_len = 0.0;
  qx_Vector_magnitude(&c_len, &c);
  if (c_len < kTol) axis_for_parallel(&c, *from);
  if (!qx_Vector_normalize(&c)) return 0;
  double d = 0.0;
  qx_Vector_dotProduct(&d, &a, &b);
  double angle = d > 0.99999 ? 0.0 : d < -0.99999 ? qx::geometry::kHalfTurn : std::acos(d);
  return qx_Quaternion_fromRotAxisAndAngle(out, &c, angle);
}

int qx_RotMatrix_fromQuaternion(qx_RotMatrix* m, const qx_Quaternion* q) {
  if (!m || !q) return 0;
  const double x = q->x, y = q->y, z = q->z, w = q->w;
  return qx_RotMatrix_set(m, 1.0 - 2.0 * (y * y + z * z), 2.0 * (x * y - z * w),
                          2.0 * (x * z + y * w), 2.0 * (x * y + z * w),
                          1.0 - 2.0 * (x * x + z * z), 2.0 * (y * z - x * w),
                          2.0 * (x * z - y * w), 2.0 * (y * z + x * w),
                          1.0 - 2.0 * (x * x + y * y));
}

}  // extern "C"
