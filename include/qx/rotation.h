/* qx — rotation and transformation matrices.
 *
 * A rotation matrix is a 3 x 3 general matrix (matrix.h) whose columns are
 * the X, Y and Z axes of the rotated frame in outer coordinates; a point p
 * turns into R * p.  A transformation matrix is a 4 x 4 general matrix: the
 * rotation in the upper-left 3 x 3 block, the origin in column 3, and row 3
 * (0, 0, 0, 1); a point p becomes R * p + origin.  Angles are in radians.
 *
 * Functions returning int give 1 for success and 0 for failure: a missing
 * argument or a row or column index of 3 or more fails.
 */
#ifndef QX_ROTATION_H
#define QX_ROTATION_H

#include "qx/matrix.h"
#include "qx/point.h"
#include "qx/quaternion.h"
#include "qx/types.h"

QX_EXTERN_C_BEGIN

typedef struct qx_Matrix qx_RotMatrix;
typedef struct qx_Matrix qx_TMatrix;

/* --- rotation matrices -------------------------------------------------- */

QX_API qx_RotMatrix *qx_RotMatrix_create(void); /* 3 x 3 identity; free with qx_RotMatrix_destroy */
QX_API void qx_RotMatrix_destroy(qx_RotMatrix *m); /* null ignored */
/* Nine values, row by row. */
QX_API int qx_RotMatrix_set(qx_RotMatrix *m, double m00, double m01, double m02, double m10,
                            double m11, double m12, double m20, double m21, double m22);
/* row and column 0 to 2 */
QX_API int qx_RotMatrix_setElement(qx_RotMatrix *m, int row, int column, double value);
/* row i = (a, b, c) */
QX_API int qx_RotMatrix_setRowValues(qx_RotMatrix *m, int i, double a, double b, double c);
/* column i = (a, b, c) */
QX_API int qx_RotMatrix_setColumnValues(qx_RotMatrix *m, int i, double a, double b, double c);
/* column i = v (axis i of the frame) */
QX_API int qx_RotMatrix_setColumn(qx_RotMatrix *m, int i, const qx_Vector *v);
/* row i = v */
QX_API int qx_RotMatrix_setRow(qx_RotMatrix *m, int i, const qx_Vector *v);
/* the identity */
QX_API int qx_RotMatrix_setIdentity(qx_RotMatrix *m);
/* 1 when every element is within 1e-5 of the identity's */
QX_API int qx_RotMatrix_isIdentity(const qx_RotMatrix *m);
/* *out = element (row, column) */
QX_API int qx_RotMatrix_getElement(double *out, const qx_RotMatrix *m, int row, int column);
/* *out = column i */
QX_API int qx_RotMatrix_getColumn(qx_Vector *out, const qx_RotMatrix *m, int i);
/* *out = row i */
QX_API int qx_RotMatrix_getRow(qx_Vector *out, const qx_RotMatrix *m, int i);
/* The transpose; dst may be src. */
QX_API int qx_RotMatrix_getInverse(qx_RotMatrix *dst, const qx_RotMatrix *src);
/* dst = a * b; dst may be a or b. */
QX_API int qx_RotMatrix_multiply(qx_RotMatrix *dst, const qx_RotMatrix *a, const qx_RotMatrix *b);
/* *dst = *src */
QX_API int qx_RotMatrix_copy(qx_RotMatrix *dst, const qx_RotMatrix *src);
/* Each column scaled to length 1 (not made orthogonal). */
QX_API int qx_RotMatrix_normalize(qx_RotMatrix *dst, const qx_RotMatrix *src);
/* Rotation about Z. */
QX_API int qx_RotMatrix_fromAngle(qx_RotMatrix *m, double angle);
/* dst = Rx(ax) * Ry(ay) * Rz(az) * src; dst may be src.  Ry has its minus
   sign above the diagonal: rows (c, 0, -s), (0, 1, 0), (s, 0, c). */
QX_API int qx_RotMatrix_rotate(qx_RotMatrix *dst, const qx_RotMatrix *src, double ax, double ay,
                               double az);
/* Frame with origin p0, p1 on the positive X axis and p2 on the positive-Y
   side of the XY plane. */
QX_API int qx_RotMatrix_from3Points(qx_RotMatrix *m, const qx_Point *p0, const qx_Point *p1,
                                    const qx_Point *p2);
/* frame at origin with X along xDirection, Y towards yDirection */
QX_API int qx_RotMatrix_fromVectorsXY(qx_RotMatrix *m, const qx_Point *origin,
                                      const qx_Vector *xDirection, const qx_Vector *yDirection);
/* Rotation turning `from` into `to`, about `axis` when one is given (may be
   null). */
QX_API int qx_RotMatrix_fromVectors(qx_RotMatrix *m, const qx_Vector *axis, const qx_Vector *from,
                                    const qx_Vector *to);
/* rotation by angle about axis */
QX_API int qx_RotMatrix_fromRotAxisAndAngle(qx_RotMatrix *m, const qx_Vector *axis, double angle);
/* the three vectors as columns, as given */
QX_API int qx_RotMatrix_fromColumnVectors(qx_RotMatrix *m, const qx_Vector *c0,
                                          const qx_Vector *c1, const qx_Vector *c2);
/* the three vectors as rows, as given */
QX_API int qx_RotMatrix_fromRowVectors(qx_RotMatrix *m, const qx_Vector *r0, const qx_Vector *r1,
                                       const qx_Vector *r2);
/* The quaternion is used as given, not normalized first. */
QX_API int qx_RotMatrix_fromQuaternion(qx_RotMatrix *m, const qx_Quaternion *q);
/* In place: p = m * p. */
QX_API int qx_RotMatrix_rotatePoint(qx_Point *p, const qx_RotMatrix *m);
/* in place: v = m * v */
QX_API int qx_RotMatrix_rotateVector(qx_Vector *v, const qx_RotMatrix *m);
/* 1 when the columns are equal within 1e-5 */
QX_API int qx_RotMatrix_equal(const qx_RotMatrix *a, const qx_RotMatrix *b);

/* --- transformation matrices -------------------------------------------- */

QX_API qx_TMatrix *qx_TMatrix_create(void); /* 4 x 4 identity; free with qx_TMatrix_destroy */
QX_API void qx_TMatrix_destroy(qx_TMatrix *t); /* null ignored */
/* Rows 0 to 2, four values each; row 3 becomes (0, 0, 0, 1). */
QX_API int qx_TMatrix_set(qx_TMatrix *t, double m00, double m01, double m02, double m03,
                          double m10, double m11, double m12, double m13, double m20, double m21,
                          double m22, double m23);
/* the identity */
QX_API int qx_TMatrix_setIdentity(qx_TMatrix *t);
/* column 3 = origin; the rotation stays */
QX_API int qx_TMatrix_setOrigin(qx_TMatrix *t, const qx_Point *origin);
/* Replaces the rotation block; the origin stays. */
QX_API int qx_TMatrix_setRMatrix(qx_TMatrix *t, const qx_RotMatrix *r);
/* *out = column 3 */
QX_API int qx_TMatrix_getOrigin(qx_Point *out, const qx_TMatrix *t);
/* *out = the rotation block (out is a 3 x 3 matrix of the caller's) */
QX_API int qx_TMatrix_getRMatrix(qx_RotMatrix *out, const qx_TMatrix *t);
/* dst = src with its rotation block replaced by Rx * Ry * Rz (src's own
   rotation is not composed in). */
QX_API int qx_TMatrix_rotate(qx_TMatrix *dst, const qx_TMatrix *src, double ax, double ay,
                             double az);
/* out = R * p + origin. */
QX_API int qx_TMatrix_xform(qx_Point *out, const qx_TMatrix *t, const qx_Point *p);
/* identity rotation, origin to - from */
QX_API int qx_TMatrix_createForTranslation(qx_TMatrix *t, const qx_Point *from,
                                           const qx_Point *to);
/* Carries a point placed relative to frame A (origin a0, a1 on its X axis,
   a2 in its XY plane) to the same place relative to frame B. */
QX_API int qx_TMatrix_createFromUCS(qx_TMatrix *t, const qx_Point *a0, const qx_Point *a1,
                                    const qx_Point *a2, const qx_Point *b0, const qx_Point *b1,
                                    const qx_Point *b2);

QX_EXTERN_C_END

#endif /* QX_ROTATION_H */
