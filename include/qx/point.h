/* qx — points and vectors: three doubles and their algebra. */
#ifndef QX_POINT_H
#define QX_POINT_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_POINT_H */
