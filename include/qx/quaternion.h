/* qx — quaternions, planes and rays. */
#ifndef QX_QUATERNION_H
#define QX_QUATERNION_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_QUATERNION_H */
