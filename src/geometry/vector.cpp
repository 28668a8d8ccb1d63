// Vectors: the point's record read as a direction.  Traced under the
// vector family except isHorizontal, isVertical, getOrthoVector and angle,
// which run without a frame of their own.
#include <cmath>

#include "geometry/geometry_internal.h"
#include "qx/diag.h"
#include "qx/matrix.h"
#include "qx/point.h"

namespace qx::geometry {
extern const TraceFamily kVectorTrace{QX_DIAG_VECTOR, "Leaving", __FILE__};
}  // namespace qx::geometry

namespace {

using qx::geometry::kTol;
using qx::geometry::kVectorTrace;
using qx::geometry::equal_within;
using qx::geometry::get_field;
using qx::geometry::set_field;
using qx::geometry::within;

const qx_Vector kZAxis{0.0, 0.0, 1.0};

}  // namespace

extern "C" {

int qx_Vector_fromNtuple(qx_Vector* v, const qx_Ntuple* t) {
  QX_TRACE(kVectorTrace, u"qx_Vector_fromNtuple");
  if (!v || !t) QX_RETURN(0);
  qx_Vector read;
  if (!qx_Ntuple_getElement(&read.x, t, 0) || !qx_Ntuple_getElement(&read.y, t, 1) ||
      !qx_Ntuple_getElement(&read.z, t, 2))
    QX_RETURN(0);
  *v = read;
  QX_RETURN(1);
}

int qx_Vector_set(qx_Vector* v, double x, double y, double z) {
  QX_TRACE(kVectorTrace, u"qx_Vector_set");
  if (!v) QX_RETURN(0);
  *v = {x, y, z};
  QX_RETURN(1);
}

int qx_Vector_setX(qx_Vector* v, double value) {
  QX_TRACE(kVectorTrace, u"qx_Vector_setX");
  QX_RETURN(set_field(&qx_Vector::x, v, value));
}

int qx_Vector_setY(qx_Vector* v, double value) {
  QX_TRACE(kVectorTrace, u"qx_Vector_setY");
  QX_RETURN(set_field(&qx_Vector::y, v, value));
}

int qx_Vector_setZ(qx_Vector* v, double value) {
  QX_TRACE(kVectorTrace, u"qx_Vector_setZ");
  QX_RETURN(set_field(&qx_Vector::z, v, value));
}

int qx_Vector_getX(double* out, const qx_Vector* v) {
  QX_TRACE(kVectorTrace, u"qx_Vector_getX");
  QX_RETURN(get_field(&qx_Vector::x, out, v));
}

int qx_Vector_getY(double* out, const qx_Vector* v) {
  QX_TRACE(kVectorTrace, u"qx_Vector_getY");
  QX_RETURN(get_field(&qx_Vector::y, out, v));
}

int qx_Vector_getZ(double* out, const qx_Vector* v) {
  QX_TRACE(kVectorTrace, u"qx_Vector_getZ");
  QX_RETURN(get_field(&qx_Vector::z, out, v));
}

int qx_Vector_equal(const qx_Vector* u, const qx_Vector* v) {
  QX_TRACE(kVectorTrace, u"qx_Vector_equal");
  if (!u || !v) QX_RETURN(0);
  QX_RETURN(equal_within(*u, *v, kTol) ? 1 : 0);
}

int qx_Vector_equalWithinTol(const qx_Vector* u, const qx_Vector* v, double tol) {
  QX_TRACE(kVectorTrace, u"qx_Vector_equalWithinTol");
  if (!u || !v) QX_RETURN(0);
  QX_RETURN(equal_within(*u, *v, tol) ? 1 : 0);
}

int qx_Vector_fromPoint(qx_Vector* v, const qx_Point* p) {
  QX_TRACE(kVectorTrace, u"qx_Vector_fromPoint");
  if (!v || !p) QX_RETURN(0);
  *v = *p;
  QX_RETURN(1);
}

int qx_Vector_magnitude(double* out, const qx_Vector* v) {
  QX_TRACE(kVectorTrace, u"qx_Vector_magnitude");
  if (!out || !v) QX_RETURN(0);
  *out = qx::geometry::length(*v);
  QX_RETURN(1);
}

int qx_Vector_dotProduct(double* out, const qx_Vector* u, const qx_Vector* v) {
  QX_TRACE(kVectorTrace, u"qx_Vector_dotProduct");
  if (!out || !u || !v) QX_RETURN(0);
  *out = qx::geometry::dot(*u, *v);
  QX_RETURN(1);
}

int qx_Vector_normalize(qx_Vector* v) {
  QX_TRACE(kVectorTrace, u"qx_Vector_normalize");
  if (!v) QX_RETURN(0);
  double len = qx::geometry::length(*v);
  if (!qx::geometry::long_enough(len)) QX_RETURN(0);
  v->x /= len;
  v->y /= len;
  v->z /= len;
  QX_RETURN(1);
}

int qx_Vector_copy(qx_Vector* dst, const qx_Vector* src) {
  QX_TRACE(kVectorTrace, u"qx_Vector_copy");
  if (!dst || !src) QX_RETURN(0);
  *dst = *src;
  QX_RETURN(1);
}

int qx_Vector_copyNormalize(qx_Vector* dst, const qx_Vector* src) {
  QX_TRACE(kVectorTrace, u"qx_Vector_copyNormalize");
  if (!qx_Vector_copy(dst, src)) QX_RETURN(0);
  QX_RETURN(qx_Vector_normalize(dst));
}

int qx_Vector_crossProduct(qx_Vector* out, const qx_Vector* u, const qx_Vector* v) {
  QX_TRACE(kVectorTrace, u"qx_Vector_crossProduct");
  if (!out || !u || !v) QX_RETURN(0);
  *out = qx::geometry::cross(*u, *v);
  QX_RETURN(1);
}

int qx_Vector_orthogonal(const qx_Vector* u, const qx_Vector* v) {
  QX_TRACE(kVectorTrace, u"qx_Vector_orthogonal");
  if (!u || !v) QX_RETURN(0);
  QX_RETURN(within(qx::geometry::dot(*u, *v), kTol) ? 1 : 0);
}

int qx_Vector_parallel(const qx_Vector* u, const qx_Vector* v) {
  QX_TRACE(kVectorTrace, u"qx_Vector_parallel");
  if (!u || !v) QX_RETURN(0);
  QX_RETURN(qx::geometry::length(qx::geometry::cross(*u, *v)) < kTol ? 1 : 0);
}

int qx_Vector_scale(qx_Vector* out, const qx_Vector* v, double s) {
  QX_TRACE(kVectorTrace, u"qx_Vector_scale");
  if (!out || !v) QX_RETURN(0);
  *out = {s * v->x, s * v->y, s * v->z};
  QX_RETURN(1);
}

int qx_Vector_add(qx_Vector* out, const qx_Vector* u, const qx_Vector* v) {
  QX_TRACE(kVectorTrace, u"qx_Vector_add");
  if (!out || !u || !v) QX_RETURN(0);
  *out = {u->x + v->x, u->y + v->y, u->z + v->z};
  QX_RETURN(1);
}

int qx_Vector_subtract(qx_Vector* out, const qx_Vector* u, const qx_Vector* v) {
  QX_TRACE(kVectorTrace, u"qx_Vector_subtract");
  if (!out || !u || !v) QX_RETURN(0);
  *out = qx::geometry::diff(*v, *u);
  QX_RETURN(1);
}

int qx_Vector_computeVector(qx_Vector* out, const qx_Point* p0, const qx_Point* p1) {
  QX_TRACE(kVectorTrace, u"qx_Vector_computeVector");
  if (!out || !p0 || !p1) QX_RETURN(0);
  *out = qx::geometry::diff(*p1, *p0);
  // Any non-zero length will do here; only exact coincidence fails.
  QX_RETURN(qx::geometry::length(*out) > 0.0 ? 1 : 0);
}

int qx_Vector_computeNormal(qx_Vector* out, const qx_Point* p0, const qx_Point* p1) {
  QX_TRACE(kVectorTrace, u"qx_Vector_computeNormal");
  if (!qx_Vector_computeVector(out, p0, p1)) QX_RETURN(0);
  QX_RETURN(qx_Vector_normalize(out));
}

int qx_Vector_computeOrthovec(qx_Vector* out, const qx_Point* p0, const qx_Point* p1,
                              const qx_Point* p2) {
  QX_TRACE(kVectorTrace, u"qx_Vector_computeOrthovec");
  if (!out) QX_RETURN(0);
  qx_Vector d1, d2;
  if (!qx_Vector_computeVector(&d1, p0, p1) || !qx_Vector_computeVector(&d2, p0, p2))
    QX_RETURN(0);
  QX_RETURN(qx_Vector_crossProduct(out, &d1, &d2));
}

int qx_Vector_computeOrthonorm(qx_Vector* out, const qx_Point* p0, const qx_Point* p1,
                               const qx_Point* p2) {
  QX_TRACE(kVectorTrace, u"qx_Vector_computeOrthonorm");
  if (!qx_Vector_computeOrthovec(out, p0, p1, p2)) QX_RETURN(0);
  QX_RETURN(qx_Vector_normalize(out));
}

int qx_Vector_negate(qx_Vector* out, const qx_Vector* v) {
  QX_TRACE(kVectorTrace, u"qx_Vector_negate");
  if (!out || !v) QX_RETURN(0);
  *out = {-v->x, -v->y, -v->z};
  QX_RETURN(1);
}

int qx_Vector_isHorizontal(const qx_Vector* v) { return qx_Vector_orthogonal(v, &kZAxis); }

int qx_Vector_isVertical(const qx_Vector* v) { return qx_Vector_parallel(v, &kZAxis); }

int qx_Vector_getOrthoVector(qx_Vector* out, const qx_Vector* u, const qx_Vector* v) {
  if (!out || !u || !v) return 0;
  // The tips of both unit vectors drawn from the origin; the vector from
  // the foot of v's tip on the line through u's to v's tip is the answer.
  const qx_Point origin{0.0, 0.0, 0.0};
  qx_Point tip_u, tip_v;
  if (!qx_Point_translateByVector(&tip_u, &origin, u, 1.0) ||
      !qx_Point_translateByVector(&tip_v, &origin, v, 1.0))
    return 0;
  return qx_Point_getOrthoVector(out, &origin, &tip_u, &tip_v);
}

int qx_Vector_angle(double* out, const qx_Vector* u, const qx_Vector* v) {
  if (!out || !u || !v) return 0;
  double u_len = qx::geometry::length(*u);
  double v_len = qx::geometry::length(*v);
  if (!qx::geometry::long_enough(u_len) || !qx::geometry::long_enough(v_len)) return 0;
  // Rounding can carry the cosine just past +-1, where acos has no value.
  double c = qx::geometry::dot(*u, *v) / (u_len * v_len);
  if (c > 1.0)
    *out = 0.0;
  else if (c < -1.0)
    *out = 3.141592653589793;
  else
    *out = std::acos(c);
  return 1;
}

}  // extern "C"
