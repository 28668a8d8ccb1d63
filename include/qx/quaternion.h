/* qx — quaternions, planes and rays.
 *
 * A quaternion is four doubles: the vector part x, y, z, then the scalar
 * part w.  A ray is a point followed by a direction vector; a plane is the
 * same record, a point on the plane followed by its normal (of any non-zero
 * length), and the plane functions are the ray functions under the plane's
 * names.  Angles are in radians; the tolerance is QX_GEOM_TOL.
 *
 * Functions returning int give 1 for success and 0 for failure; a missing
 * argument gives 0 and writes nothing.
 */
#ifndef QX_QUATERNION_H
#define QX_QUATERNION_H

#include "qx/point.h"
#include "qx/types.h"

QX_EXTERN_C_BEGIN

typedef struct qx_Quaternion {
  double x;
  double y;
  double z;
  double w;
} qx_Quaternion;

typedef struct qx_Ray {
  qx_Point point;
  qx_Vector vector;
} qx_Ray;

/* A plane: a point on it and its normal. */
typedef struct qx_Ray qx_Plane;

/* x, y, z (vector part), w (scalar) */
QX_API int qx_Quaternion_set(qx_Quaternion *q, double x, double y, double z, double w);
/* one component */
QX_API int qx_Quaternion_setX(qx_Quaternion *q, double value);
/* one component */
QX_API int qx_Quaternion_setY(qx_Quaternion *q, double value);
/* one component */
QX_API int qx_Quaternion_setZ(qx_Quaternion *q, double value);
/* x, y, z from v; w stays */
QX_API int qx_Quaternion_setVector(qx_Quaternion *q, const qx_Vector *v);
/* w; x, y, z stay */
QX_API int qx_Quaternion_setScalar(qx_Quaternion *q, double w);
/* *out = q->x */
QX_API int qx_Quaternion_getX(double *out, const qx_Quaternion *q);
/* *out = q->y */
QX_API int qx_Quaternion_getY(double *out, const qx_Quaternion *q);
/* *out = q->z */
QX_API int qx_Quaternion_getZ(double *out, const qx_Quaternion *q);
/* out = (x, y, z) */
QX_API int qx_Quaternion_getVector(qx_Vector *out, const qx_Quaternion *q);
/* *out = q->w */
QX_API int qx_Quaternion_getScalar(double *out, const qx_Quaternion *q);
/* (-x, -y, -z, w) */
QX_API int qx_Quaternion_getConjugate(qx_Quaternion *out, const qx_Quaternion *q);
/* The conjugate: the inverse of a unit quaternion. */
QX_API int qx_Quaternion_getInverse(qx_Quaternion *out, const qx_Quaternion *q);
/* *out = sqrt(x^2 + y^2 + z^2 + w^2) */
QX_API int qx_Quaternion_magnitude(double *out, const qx_Quaternion *q);
/* out may be q; a magnitude not above the tolerance gives 0. */
QX_API int qx_Quaternion_normalize(qx_Quaternion *out, const qx_Quaternion *q);
/* Hamilton product p * q; out may be p or q. */
QX_API int qx_Quaternion_multiply(qx_Quaternion *out, const qx_Quaternion *p,
                                  const qx_Quaternion *q);
/* The rotation that turns the direction of `from` into that of `to`. */
QX_API int qx_Quaternion_fromVectors(qx_Quaternion *out, const qx_Vector *from,
                                     const qx_Vector *to);
/* The axis is taken as given (not normalized); the result is normalized. */
QX_API int qx_Quaternion_fromRotAxisAndAngle(qx_Quaternion *out, const qx_Vector *axis,
                                             double angle);

/* A new ray (plane) holding copies of the point and vector (normal), from
   qx_Malloc; null for a null argument or no memory.  Free with the family's
   destroy, which ignores null. */
QX_API qx_Ray *qx_Ray_create(const qx_Point *point, const qx_Vector *vector);
/* null ignored */
QX_API void qx_Ray_destroy(qx_Ray *ray);
/* copies both records in */
QX_API int qx_Ray_set(qx_Ray *ray, const qx_Point *point, const qx_Vector *vector);
/* *out = the ray's point */
QX_API int qx_Ray_getPoint(qx_Point *out, const qx_Ray *ray);
/* *out = the ray's direction */
QX_API int qx_Ray_getVector(qx_Vector *out, const qx_Ray *ray);

/* as qx_Ray_create; free with qx_Plane_destroy */
QX_API qx_Plane *qx_Plane_create(const qx_Point *point, const qx_Vector *normal);
/* null ignored */
QX_API void qx_Plane_destroy(qx_Plane *plane);
/* copies both records in */
QX_API int qx_Plane_set(qx_Plane *plane, const qx_Point *point, const qx_Vector *normal);
/* *out = the point on the plane */
QX_API int qx_Plane_getPoint(qx_Point *out, const qx_Plane *plane);
/* *out = the normal as stored (not normalized) */
QX_API int qx_Plane_getOrthoVector(qx_Vector *out, const qx_Plane *plane);
/* The ray counts as a whole line; 0 when it runs parallel to the plane. */
QX_API int qx_Plane_intersectionWithRay(qx_Point *out, const qx_Plane *plane, const qx_Ray *ray);

QX_EXTERN_C_END

#endif /* QX_QUATERNION_H */
