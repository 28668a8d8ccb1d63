/* qx — string lists: linked lists of owned wide strings. */
#ifndef QX_STRLIST_H
#define QX_STRLIST_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_STRLIST_H */
