/* qx — general matrices and n-tuples.
 *
 * An n-tuple is a counted array of doubles.  A matrix of any size is stored
 * by column: an array of column n-tuples, column j's element i being the
 * element in row i, column j.  The number of rows is the count of column 0.
 * Positions are (row, column), both from 0.
 *
 * Functions returning int give 1 for success and 0 for failure (size
 * mismatch, index out of range, missing argument, memory exhausted).
 * Subtraction reads naturally here: out = a - b.
 */
#ifndef QX_MATRIX_H
#define QX_MATRIX_H

#include <stdio.h>

#include "qx/point.h"
#include "qx/types.h"

QX_EXTERN_C_BEGIN

typedef struct qx_Ntuple {
  int32_t n;         /* number of elements */
  double *elements;  /* n doubles */
} qx_Ntuple;

typedef struct qx_Matrix {
  int32_t columns;     /* number of columns */
  qx_Ntuple **column;  /* one n-tuple per column */
} qx_Matrix;

/* --- n-tuples ----------------------------------------------------------- */

/* A new n-tuple of n zeros from qx_Malloc (free with qx_Ntuple_destroy);
   null for a negative n or when memory runs out. */
QX_API qx_Ntuple *qx_Ntuple_create(int n);
QX_API void qx_Ntuple_destroy(qx_Ntuple *t); /* frees the elements and the record; null ignored */
/* Element i (from 0) set or read: 0 for an index out of range. */
QX_API int qx_Ntuple_setElement(qx_Ntuple *t, int i, double value);
/* *out = element i; 0 out of range */
QX_API int qx_Ntuple_getElement(double *out, const qx_Ntuple *t, int i);
/* New 3-tuple (x, y, z) that the caller destroys. */
QX_API qx_Ntuple *qx_Ntuple_fromVector(const qx_Vector *v);
/* "a, b, c" on one line; a null stream means standard output. */
QX_API void qx_Ntuple_print(const qx_Ntuple *t, FILE *stream);
/* every element times s, in place */
QX_API int qx_Ntuple_scale(qx_Ntuple *t, double s);
/* *out = a . b; 0 for different sizes */
QX_API int qx_Ntuple_dotProduct(double *out, const qx_Ntuple *a, const qx_Ntuple *b);
/* same sizes only */
QX_API int qx_Ntuple_copy(qx_Ntuple *dst, const qx_Ntuple *src);
/* out = a + b; all three of one size */
QX_API int qx_Ntuple_add(qx_Ntuple *out, const qx_Ntuple *a, const qx_Ntuple *b);
/* out = a - b. */
QX_API int qx_Ntuple_subtract(qx_Ntuple *out, const qx_Ntuple *a, const qx_Ntuple *b);

/* --- matrices ----------------------------------------------------------- */

/* Ones on the diagonal (j, j) for every j below both sizes, zeros elsewhere;
   null for a negative size or when memory runs out.  Free it with
   qx_Matrix_destroy. */
QX_API qx_Matrix *qx_Matrix_create(int rows, int columns);
QX_API void qx_Matrix_destroy(qx_Matrix *m); /* frees every column and the record; null ignored */
QX_API int qx_Matrix_numberRows(int *out, const qx_Matrix *m);
/* *out = the number of columns */
QX_API int qx_Matrix_numberColumns(int *out, const qx_Matrix *m);
/* *out = element (row, column) */
QX_API int qx_Matrix_getElement(double *out, const qx_Matrix *m, int row, int column);
/* element (row, column) = value */
QX_API int qx_Matrix_setElement(qx_Matrix *m, int row, int column, double value);
/* Column by column; stops at the first column whose size differs. */
QX_API int qx_Matrix_copy(qx_Matrix *dst, const qx_Matrix *src);
/* into an n-tuple of the column's size */
QX_API int qx_Matrix_getColumn(qx_Ntuple *out, const qx_Matrix *m, int column);
/* into an n-tuple of the row's size (the column count) */
QX_API int qx_Matrix_getRow(qx_Ntuple *out, const qx_Matrix *m, int row);
/* from an n-tuple of the column's size */
QX_API int qx_Matrix_setColumn(qx_Matrix *m, int column, const qx_Ntuple *t);
/* from an n-tuple of the row's size */
QX_API int qx_Matrix_setRow(qx_Matrix *m, int row, const qx_Ntuple *t);
/* Row by row, "%lf " per element; a null stream means standard output. */
QX_API void qx_Matrix_print(const qx_Matrix *m, FILE *stream);
/* dst may be src (square) and, for multiply, a or b: both work in a
   temporary and leave dst unchanged on failure. */
QX_API int qx_Matrix_transpose(qx_Matrix *dst, const qx_Matrix *src);
QX_API int qx_Matrix_multiply(qx_Matrix *dst, const qx_Matrix *a, const qx_Matrix *b);
/* dst = a + b; all of one shape */
QX_API int qx_Matrix_add(qx_Matrix *dst, const qx_Matrix *a, const qx_Matrix *b);
/* dst = a - b. */
QX_API int qx_Matrix_subtract(qx_Matrix *dst, const qx_Matrix *a, const qx_Matrix *b);
/* dst = s * src; same shape */
QX_API int qx_Matrix_scale(qx_Matrix *dst, const qx_Matrix *src, double s);

QX_EXTERN_C_END

#endif /* QX_MATRIX_H */
