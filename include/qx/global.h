/* qx — process-wide library state. */
#ifndef QX_GLOBAL_H
#define QX_GLOBAL_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

/* Releases the application component's holder; the next use makes a new one. */
QX_API void qx_Global_destroyData(void);

QX_EXTERN_C_END

#endif /* QX_GLOBAL_H */
