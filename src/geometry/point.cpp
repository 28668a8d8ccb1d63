// Points: the three-double record and its algebra.  Every function but the
// few noted runs in the trace frame of the point family; the functions that
// the algorithms name (computeVector, projectOntoLine, translateByVector,
// ...) are called through their exported entries, so their own trace lines
// appear nested inside the caller's.
#include <cmath>

#include "geometry/geometry_internal.h"
#include "port/wstr.h"
#include "qx/diag.h"
#include "qx/point.h"

namespace qx::geometry {
extern const TraceFamily kPointTrace{QX_DIAG_POINT, "Leaving", __FILE__};
}  // namespace qx::geometry

namespace {

using qx::geometry::kPointTrace;
using qx::geometry::kTol;
using qx::geometry::equal_within;
using qx::geometry::get_field;
using qx::geometry::set_field;
using qx::geometry::within;

// The test that between and inCylinder share: `from` to `to` and `from` to
// `probe` point the same way and the probe is nearer, so the probe lies
// strictly inside the segment.
bool inside_segment(const qx_Point& probe, const qx_Point& from, const qx_Point& to) {
  qx_Vector d1 = qx::geometry::diff(probe, from);
  qx_Vector d2 = qx::geometry::diff(to, from);
  qx_Vector u1, u2;
  if (!qx_Vector_copyNormalize(&u1, &d1) || !qx_Vector_copyNormalize(&u2, &d2)) return false;
  if (!qx_Vector_equal(&u1, &u2)) return false;
  double m1 = 0.0, m2 = 0.0;
  qx_Vector_magnitude(&m1, &d1);
  qx_Vector_magnitude(&m2, &d2);
  return m2 > m1;
}

// "Projection point is ..." under the point family's condition bit.
void report_projection(const qx_Point& q, int line) {
  if (!qx::trace_enabled(kPointTrace)) return;
  qx_wchar* buf = qx_Diag_getDiagMsgBuf();
  int count = qx::port::wsnprintf(buf, QX_DIAG_MSGBUF_LEN + 1,
                                  u"Projection point is %lf, %lf, %lf\n", q.x, q.y, q.z);
  qx::port::wstring source = qx::port::widen(kPointTrace.source);
  qx_Diag_putOutput(count, buf, source.c_str(), line);
}

}  // namespace

extern "C" {

int qx_Point_set(qx_Point* p, double x, double y, double z) {
  QX_TRACE(kPointTrace, u"qx_Point_set");
  if (!p) QX_RETURN(0);
  *p = {x, y, z};
  QX_RETURN(1);
}

int qx_Point_setX(qx_Point* p, double value) {
  QX_TRACE(kPointTrace, u"qx_Point_setX");
  QX_RETURN(set_field(&qx_Point::x, p, value));
}

int qx_Point_setY(qx_Point* p, double value) {
  QX_TRACE(kPointTrace, u"qx_Point_setY");
  QX_RETURN(set_field(&qx_Point::y, p, value));
}

int qx_Point_setZ(qx_Point* p, double value) {
  QX_TRACE(kPointTrace, u"qx_Point_setZ");
  QX_RETURN(set_field(&qx_Point::z, p, value));
}

int qx_Point_getX(double* out, const qx_Point* p) {
  QX_TRACE(kPointTrace, u"qx_Point_getX");
  QX_RETURN(get_field(&qx_Point::x, out, p));
}

int qx_Point_getY(double* out, const qx_Point* p) {
  QX_TRACE(kPointTrace, u"qx_Point_getY");
  QX_RETURN(get_field(&qx_Point::y, out, p));
}

int qx_Point_getZ(double* out, const qx_Point* p) {
  QX_TRACE(kPointTrace, u"qx_Point_getZ");
  QX_RETURN(get_field(&qx_Point::z, out, p));
}

int qx_Point_equal(const qx_Point* a, const qx_Point* b) {
  QX_TRACE(kPointTrace, u"qx_Point_equal");
  if (!a || !b) QX_RETURN(0);
  QX_RETURN(equal_within(*a, *b, kTol) ? 1 : 0);
}

int qx_Point_equalWithinTol(const qx_Point* a, const qx_Point* b, double tol) {
  QX_TRACE(kPointTrace, u"qx_Point_equal");
  if (!a || !b) QX_RETURN(0);
  QX_RETURN(equal_within(*a, *b, tol) ? 1 : 0);
}

void qx_Point_setToTolerance(qx_Point* p) {
  if (!p) return;
  for (double* c : {&p->x, &p->y, &p->z})
    if (within(*c, kTol)) *c = 0.0;
}

int qx_Point_fromVector(qx_Point* p, const qx_Vector* v) {
  QX_TRACE(kPointTrace, u"qx_Point_fromVector");
  if (!p || !v) QX_RETURN(0);
  *p = *v;
  QX_RETURN(1);
}

int qx_Point_copy(qx_Point* dst, const qx_Point* src) {
  QX_TRACE(kPointTrace, u"qx_Point_copy");
  if (!dst || !src) QX_RETURN(0);
  *dst = *src;
  QX_RETURN(1);
}

int qx_Point_distance(double* out, const qx_Point* a, const qx_Point* b) {
  QX_TRACE(kPointTrace, u"qx_Point_distance");
  if (!out || !a || !b) QX_RETURN(0);
  *out = qx::geometry::length(qx::geometry::diff(*a, *b));
  QX_RETURN(1);
}

int qx_Point_colinear(const qx_Point* a, const qx_Point* b, const qx_Point* c) {
  return qx_Point_colinearWithinTol(a, b, c, kTol);
}

int qx_Point_colinearWithinTol(const qx_Point* a, const qx_Point* b, const qx_Point* c,
                               double tol) {
  QX_TRACE(kPointTrace, u"qx_Point_colinear");
  if (!a || !b || !c) QX_RETURN(0);
  // The terms of (c - a) x (a - b), unscaled: an area, not an angle.
  qx_Vector d = qx::geometry::diff(*c, *a);
  qx_Vector e = qx::geometry::diff(*a, *b);
  if (!within(d.x * e.y - d.y * e.x, tol)) QX_RETURN(0);
  if (!within(d.y * e.z - d.z * e.y, tol)) QX_RETURN(0);
  if (!within(d.x * e.z - d.z * e.x, tol)) QX_RETURN(0);
  QX_RETURN(1);
}

int qx_Point_add(qx_Point* out, const qx_Point* a, const qx_Point* b) {
  QX_TRACE(kPointTrace, u"qx_Point_add");
  if (!out || !a || !b) QX_RETURN(0);
  qx_Point sum{a->x + b->x, a->y + b->y, a->z + b->z};
  *out = sum;
  QX_RETURN(1);
}

int qx_Point_subtract(qx_Point* out, const qx_Point* a, const qx_Point* b) {
  QX_TRACE(kPointTrace, u"qx_Point_subtract");
  if (!out || !a || !b) QX_RETURN(0);
  *out = qx::geometry::diff(*b, *a);
  QX_RETURN(1);
}

int qx_Point_midpoint(qx_Point* out, const qx_Point* a, const qx_Point* b) {
  QX_TRACE(kPointTrace, u"qx_Point_midpoint");
  if (!out || !a || !b) QX_RETURN(0);
  qx_Point mid{(a->x + b->x) / 2.0, (a->y + b->y) / 2.0, (a->z + b->z) / 2.0};
  *out = mid;
  QX_RETURN(1);
}

int qx_Point_between(const qx_Point* p, const qx_Point* a, const qx_Point* b, int onLineOnly) {
  QX_TRACE(kPointTrace, u"qx_Point_between");
  if (!p || !a || !b) QX_RETURN(0);
  if (qx_Point_colinear(p, a, b)) QX_RETURN(inside_segment(*p, *a, *b) ? 1 : 0);
  if (onLineOnly) QX_RETURN(0);
  qx_Point foot;
  if (!qx_Point_projectOntoLine(&foot, p, a, b)) QX_RETURN(0);
  QX_RETURN(inside_segment(foot, *a, *b) ? 1 : 0);
}

int qx_Point_inCylinder(double* outDistance, const qx_Point* p, const qx_Point* a,
                        const qx_Point* b, double radius) {
  if (!p || !a || !b) return 0;
  qx_Point foot;
  if (!qx_Point_projectOntoLine(&foot, p, a, b)) return 0;
  // Open at both ends: a foot on a or b is outside.
  if (!inside_segment(foot, *a, *b)) return 0;
  double d = 0.0;
  qx_Point_distance(&d, p, &foot);
  if (!(d <= radius)) return 0;
  if (outDistance) *outDistance = d;
  return 1;
}

int qx_Point_translateByVector(qx_Point* out, const qx_Point* p, const qx_Vector* v,
                               double distance) {
  QX_TRACE(kPointTrace, u"qx_Point_translateByVector");
  if (!out || !p || !v) QX_RETURN(0);
  // Read the direction before out is written: out may be v.
  qx_Vector unit;
  int normalized = qx_Vector_copyNormalize(&unit, v);
  *out = *p;
  if (!normalized) QX_RETURN(0);
  out->x += distance * unit.x;
  out->y += distance * unit.y;
  out->z += distance * unit.z;
  QX_RETURN(1);
}

int qx_Point_translateByAngle(qx_Point* out, const qx_Point* p, double angle, double distance) {
  QX_TRACE(kPointTrace, u"qx_Point_translateByAngle");
  if (!out || !p) QX_RETURN(0);
  const qx_Point origin{0.0, 0.0, 0.0};
  const qx_Point toward{std::cos(angle), std::sin(angle), 0.0};
  qx_Vector direction;
  qx_Vector_computeNormal(&direction, &origin, &toward);
  QX_RETURN(qx_Point_translateByVector(out, p, &direction, distance));
}

int qx_Point_intersectPoint(qx_Point* out, const qx_Point* a1, const qx_Point* a2,
                            const qx_Point* b1, const qx_Point* b2) {
  return qx_Point_intersectPointWithinTol(out, a1, a2, b1, b2, kTol);
}

int qx_Point_intersectPointWithinTol(qx_Point* out, const qx_Point* a1, const qx_Point* a2,
                                     const qx_Point* b1, const qx_Point* b2, double tol) {
  QX_TRACE(kPointTrace, u"qx_Point_intersectPoint");
  if (!out || !a1 || !a2 || !b1 || !b2) QX_RETURN(0);
  // Copies: out may be any of the inputs.
  const qx_Point A1 = *a1, A2 = *a2, B1 = *b1, B2 = *b2;
  qx_Vector u, v;
  int u_ok = qx_Vector_computeVector(&u, &A1, &A2);
  int v_ok = qx_Vector_computeVector(&v, &B1, &B2);
  if (u_ok && v_ok && qx_Vector_parallel(&u, &v)) QX_RETURN(0);

  // A shared end point is the intersection.
  if (qx_Point_equalWithinTol(&A1, &B1, tol) || qx_Point_equalWithinTol(&A1, &B2, tol)) {
    *out = A1;
    QX_RETURN(1);
  }
  if (qx_Point_equalWithinTol(&A2, &B1, tol) || qx_Point_equalWithinTol(&A2, &B2, tol)) {
    *out = A2;
    QX_RETURN(1);
  }

  // f is the foot of b1 on line A and r runs from b1 to it; the distance t
  // along line B to the crossing follows from the right triangle b1, f, x.
  if (!qx_Vector_normalize(&u)) QX_RETURN(0);
  double s = qx::geometry::dot(u, qx::geometry::diff(B1, A1));
  qx_Point f{A1.x + s * u.x, A1.y + s * u.y, A1.z + s * u.z};
  qx_Vector r = qx::geometry::diff(f, B1);
  double k = qx::geometry::dot(r, v);
  double r_len = qx::geometry::length(r);
  double t = std::fabs(k) < kTol ? r_len : r_len * r_len * qx::geometry::length(v) / k;
  qx_Point_translateByVector(out, &B1, &v, t);
  QX_RETURN(qx_Point_colinearWithinTol(&A1, &A2, out, tol));
}

int qx_Point_projectOntoLine(qx_Point* out, const qx_Point* p, const qx_Point* a,
                             const qx_Point* b) {
  QX_TRACE(kPointTrace, u"qx_Point_projectOntoLine");
  if (!out || !p || !a || !b) QX_RETURN(0);
  qx_Vector u, w;
  if (!qx_Vector_computeVector(&u, a, b)) QX_RETURN(0);
  if (!qx_Vector_computeVector(&w, a, p)) QX_RETURN(0);
  double u_len = 0.0, w_len = 0.0, uw = 0.0, pa = 0.0;
  qx_Vector_magnitude(&u_len, &u);
  qx_Vector_magnitude(&w_len, &w);
  if (!qx::geometry::long_enough(u_len) || !qx::geometry::long_enough(w_len)) QX_RETURN(0);
  qx_Vector_dotProduct(&uw, &u, &w);
  qx_Point_distance(&pa, p, a);
  // The cosine of the angle at a times the distance from a: (u.w)/|u|,
  // computed in this order so results match to the last bit.
  double t = uw / (u_len * w_len) * pa;
  qx_Point_translateByVector(out, a, &u, t);
  QX_RETURN(1);
}

int qx_Point_getOrthoVector(qx_Vector* out, const qx_Point* a, const qx_Point* b,
                            const qx_Point* p) {
  if (!out || !a || !b || !p) return 0;
  qx_Point foot;
  if (!qx_Point_projectOntoLine(&foot, p, b, a)) return 0;
  report_projection(foot, __LINE__);
  return qx_Vector_computeVector(out, &foot, p);
}

int qx_Point_fromDelimitedString(qx_Point* p, const qx_wchar* text, const qx_wchar* delimiters) {
  if (!p) return 0;
  *p = {0.0, 0.0, 0.0};
  if (!text || !delimiters) return 0;
  // Items as the string-list splitter finds them: runs of delimiters count
  // as one and no empty item appears.  Blanks around an item do not matter
  // to the number conversion, which skips leading ones and stops at the
  // first character that cannot belong to a number.
  qx::port::wstring copy = qx::port::wstring_of(text);
  qx_wchar* context = nullptr;
  double values[3] = {0.0, 0.0, 0.0};
  int items = 0;
  for (qx_wchar* tok = qx::port::wtok(copy.data(), delimiters, &context); tok;
       tok = qx::port::wtok(nullptr, delimiters, &context)) {
    if (items < 3) values[items] = qx::port::wtof(tok);
    ++items;
  }
  if (items < 2) return 0;
  p->x = values[0];
  p->y = values[1];
  if (items >= 3) p->z = values[2];
  return 1;
}

}  // extern "C"
