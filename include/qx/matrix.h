/* qx — general matrices and n-tuples. */
#ifndef QX_MATRIX_H
#define QX_MATRIX_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_MATRIX_H */
