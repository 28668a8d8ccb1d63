/* qx — tree nodes: named hierarchies of caller pointers. */
#ifndef QX_TREE_H
#define QX_TREE_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_TREE_H */
