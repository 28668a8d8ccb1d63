/* qx — field lists: named, typed values. */
#ifndef QX_FLDLIST_H
#define QX_FLDLIST_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_FLDLIST_H */
