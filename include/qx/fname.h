/* qx — file names: building, splitting and completing paths. */
#ifndef QX_FNAME_H
#define QX_FNAME_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_FNAME_H */
