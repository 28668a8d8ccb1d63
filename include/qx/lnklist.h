/* qx — the doubly linked list with a cursor that every list of the library is built on. */
#ifndef QX_LNKLIST_H
#define QX_LNKLIST_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_LNKLIST_H */
