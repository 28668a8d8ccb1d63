/* qx — the table engine's exported helpers. */
#ifndef QX_DBF_H
#define QX_DBF_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_DBF_H */
