/* qx — points and vectors: three doubles and their algebra.
 *
 * A point and a vector are the same record, three doubles x, y, z, under two
 * names, so either can be handed to the other's functions.  Every comparison
 * uses the fixed tolerance QX_GEOM_TOL (1e-5) unless a function takes one:
 * a difference is within it only when its absolute value is strictly less,
 * and a NaN difference never is.  Angles are in radians.
 *
 * Every function returns 1 for success (or true) and 0 for failure (or
 * false); a null record argument gives 0 and writes nothing.  The output
 * record comes first.  Outputs may be the same records as inputs.
 *
 * Note the direction of subtraction: qx_Point_subtract(out, a, b) and
 * qx_Vector_subtract(out, a, b) both give out = b - a.
 */
#ifndef QX_POINT_H
#define QX_POINT_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

#define QX_GEOM_TOL 1e-5

typedef struct qx_Point {
  double x;
  double y;
  double z;
} qx_Point;

/* A vector has the point's layout; the two names are one type. */
typedef struct qx_Point qx_Vector;

struct qx_Ntuple; /* matrix.h */

/* --- points ------------------------------------------------------------- */

/* sets all three */
QX_API int qx_Point_set(qx_Point *p, double x, double y, double z);
/* one coordinate */
QX_API int qx_Point_setX(qx_Point *p, double value);
/* one coordinate */
QX_API int qx_Point_setY(qx_Point *p, double value);
/* one coordinate */
QX_API int qx_Point_setZ(qx_Point *p, double value);
/* *out = p->x */
QX_API int qx_Point_getX(double *out, const qx_Point *p);
/* *out = p->y */
QX_API int qx_Point_getY(double *out, const qx_Point *p);
/* *out = p->z */
QX_API int qx_Point_getZ(double *out, const qx_Point *p);
/* 1 when each coordinate differs by less than 1e-5 */
QX_API int qx_Point_equal(const qx_Point *a, const qx_Point *b);
/* as equal, with tol */
QX_API int qx_Point_equalWithinTol(const qx_Point *a, const qx_Point *b, double tol);
/* Coordinates closer to zero than the tolerance become 0.0. */
QX_API void qx_Point_setToTolerance(qx_Point *p);
/* copies the three values */
QX_API int qx_Point_fromVector(qx_Point *p, const qx_Vector *v);
/* *dst = *src */
QX_API int qx_Point_copy(qx_Point *dst, const qx_Point *src);
/* *out = |b - a| */
QX_API int qx_Point_distance(double *out, const qx_Point *a, const qx_Point *b);
/* An area test: the cross-product terms of (c - a) and (a - b) are compared
   with the tolerance without dividing by any length. */
QX_API int qx_Point_colinear(const qx_Point *a, const qx_Point *b, const qx_Point *c);
/* as colinear, with tol */
QX_API int qx_Point_colinearWithinTol(const qx_Point *a, const qx_Point *b, const qx_Point *c,
                                      double tol);
/* out = a + b */
QX_API int qx_Point_add(qx_Point *out, const qx_Point *a, const qx_Point *b);
/* out = b - a. */
QX_API int qx_Point_subtract(qx_Point *out, const qx_Point *a, const qx_Point *b);
/* out = (a + b) / 2 */
QX_API int qx_Point_midpoint(qx_Point *out, const qx_Point *a, const qx_Point *b);
/* 1 when p (or, with onLineOnly 0, its foot on the line) lies strictly
   inside the segment a-b. */
QX_API int qx_Point_between(const qx_Point *p, const qx_Point *a, const qx_Point *b,
                            int onLineOnly);
/* 1 when p lies within radius of the open segment a-b; outDistance (may be
   null) then receives p's distance from the line. */
QX_API int qx_Point_inCylinder(double *outDistance, const qx_Point *p, const qx_Point *a,
                               const qx_Point *b, double radius);
/* out = p + distance * v / |v|; a too short v gives 0 and leaves out = p. */
QX_API int qx_Point_translateByVector(qx_Point *out, const qx_Point *p, const qx_Vector *v,
                                      double distance);
/* Moves in the XY plane, the angle measured from X towards Y. */
QX_API int qx_Point_translateByAngle(qx_Point *out, const qx_Point *p, double angle,
                                     double distance);
/* Intersection of the infinite lines a1-a2 and b1-b2. */
QX_API int qx_Point_intersectPoint(qx_Point *out, const qx_Point *a1, const qx_Point *a2,
                                   const qx_Point *b1, const qx_Point *b2);
/* as intersectPoint, with tol instead of 1e-5 */
QX_API int qx_Point_intersectPointWithinTol(qx_Point *out, const qx_Point *a1,
                                            const qx_Point *a2, const qx_Point *b1,
                                            const qx_Point *b2, double tol);
/* Foot of p on the line through a and b; p at a cannot be projected. */
QX_API int qx_Point_projectOntoLine(qx_Point *out, const qx_Point *p, const qx_Point *a,
                                    const qx_Point *b);
/* Vector from the foot of p on the line (a, b) to p. */
QX_API int qx_Point_getOrthoVector(qx_Vector *out, const qx_Point *a, const qx_Point *b,
                                   const qx_Point *p);
/* Reads "x<delim>y[<delim>z]"; 1 when at least two items were found. */
QX_API int qx_Point_fromDelimitedString(qx_Point *p, const qx_wchar *text,
                                        const qx_wchar *delimiters);

/* --- vectors ------------------------------------------------------------ */

/* the first three values; 0 for a shorter n-tuple */
QX_API int qx_Vector_fromNtuple(qx_Vector *v, const struct qx_Ntuple *t);
/* sets all three */
QX_API int qx_Vector_set(qx_Vector *v, double x, double y, double z);
/* one coordinate */
QX_API int qx_Vector_setX(qx_Vector *v, double value);
/* one coordinate */
QX_API int qx_Vector_setY(qx_Vector *v, double value);
/* one coordinate */
QX_API int qx_Vector_setZ(qx_Vector *v, double value);
/* *out = v->x */
QX_API int qx_Vector_getX(double *out, const qx_Vector *v);
/* *out = v->y */
QX_API int qx_Vector_getY(double *out, const qx_Vector *v);
/* *out = v->z */
QX_API int qx_Vector_getZ(double *out, const qx_Vector *v);
/* 1 when each component differs by less than 1e-5 */
QX_API int qx_Vector_equal(const qx_Vector *u, const qx_Vector *v);
/* as equal, with tol */
QX_API int qx_Vector_equalWithinTol(const qx_Vector *u, const qx_Vector *v, double tol);
/* copies the three values */
QX_API int qx_Vector_fromPoint(qx_Vector *v, const qx_Point *p);
/* *out = |v| */
QX_API int qx_Vector_magnitude(double *out, const qx_Vector *v);
/* *out = u . v */
QX_API int qx_Vector_dotProduct(double *out, const qx_Vector *u, const qx_Vector *v);
/* In place; a vector not longer than the tolerance gives 0, unchanged. */
QX_API int qx_Vector_normalize(qx_Vector *v);
/* *dst = *src */
QX_API int qx_Vector_copy(qx_Vector *dst, const qx_Vector *src);
/* dst = src / |src|; 0 when too short */
QX_API int qx_Vector_copyNormalize(qx_Vector *dst, const qx_Vector *src);
/* out = u x v */
QX_API int qx_Vector_crossProduct(qx_Vector *out, const qx_Vector *u, const qx_Vector *v);
/* Raw products, not of unit vectors: short vectors are parallel and
   orthogonal to everything. */
QX_API int qx_Vector_orthogonal(const qx_Vector *u, const qx_Vector *v);
/* 1 when |u x v| is below the tolerance (either direction) */
QX_API int qx_Vector_parallel(const qx_Vector *u, const qx_Vector *v);
/* out = s * v */
QX_API int qx_Vector_scale(qx_Vector *out, const qx_Vector *v, double s);
/* out = u + v */
QX_API int qx_Vector_add(qx_Vector *out, const qx_Vector *u, const qx_Vector *v);
/* out = v - u. */
QX_API int qx_Vector_subtract(qx_Vector *out, const qx_Vector *u, const qx_Vector *v);
/* out = p1 - p0; coincident points give 0 and a zero vector. */
QX_API int qx_Vector_computeVector(qx_Vector *out, const qx_Point *p0, const qx_Point *p1);
/* out = unit(p1 - p0); 0 when the points coincide */
QX_API int qx_Vector_computeNormal(qx_Vector *out, const qx_Point *p0, const qx_Point *p1);
/* out = (p1 - p0) x (p2 - p0), not normalized. */
QX_API int qx_Vector_computeOrthovec(qx_Vector *out, const qx_Point *p0, const qx_Point *p1,
                                     const qx_Point *p2);
/* unit((p1 - p0) x (p2 - p0)); 0 for colinear points */
QX_API int qx_Vector_computeOrthonorm(qx_Vector *out, const qx_Point *p0, const qx_Point *p1,
                                      const qx_Point *p2);
/* out = -v */
QX_API int qx_Vector_negate(qx_Vector *out, const qx_Vector *v);
/* 1 when orthogonal to Z */
QX_API int qx_Vector_isHorizontal(const qx_Vector *v);
/* 1 when parallel to Z */
QX_API int qx_Vector_isVertical(const qx_Vector *v);
/* The part of unit(v) orthogonal to u, not normalized. */
QX_API int qx_Vector_getOrthoVector(qx_Vector *out, const qx_Vector *u, const qx_Vector *v);
/* Angle between u and v, 0 to pi. */
QX_API int qx_Vector_angle(double *out, const qx_Vector *u, const qx_Vector *v);

QX_EXTERN_C_END

#endif /* QX_POINT_H */
