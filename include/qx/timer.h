/* qx — elapsed-time timers and base-36 numbers. */
#ifndef QX_TIMER_H
#define QX_TIMER_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

QX_EXTERN_C_END

#endif /* QX_TIMER_H */
