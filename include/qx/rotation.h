/* qx — rotation and transformation matrices. */
#ifndef QX_ROTATION_H
#define QX_ROTATION_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_ROTATION_H */
