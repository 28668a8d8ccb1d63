/* qx — integer lists, stacks and queues. */
#ifndef QX_CONTAINERS_H
#define QX_CONTAINERS_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_CONTAINERS_H */
