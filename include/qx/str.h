/* qx — wide string utilities. */
#ifndef QX_STR_H
#define QX_STR_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_STR_H */
