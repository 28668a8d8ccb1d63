/* qx — elapsed-time timers and base-36 numbers.

   Timers live in one process-wide list and are found by name, the first
   created winning; times are reported in seconds.  Base-36 text uses the
   digits 0-9 and A-Z; values are doubles up to 36^9. */
#ifndef QX_TIMER_H
#define QX_TIMER_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

#define QX_TIMER_NAME_LEN 51

typedef struct qx_TimerNode {
  qx_wchar name[QX_TIMER_NAME_LEN + 1]; /* longer names are cut */
  int32_t start;                        /* clock in milliseconds at start or reset */
} qx_TimerNode;

QX_API int qx_Timer_create(const qx_wchar *name);
QX_API double qx_Timer_reset(const qx_wchar *name);
QX_API double qx_Timer_check(const qx_wchar *name);
QX_API double qx_Timer_delete(const qx_wchar *name);
QX_API int qx_Timer_clearAll(void);

QX_API qx_TimerNode *qx_TimerNode_create(const qx_wchar *name);
/* Comparison callback: (timer node, name); ordinal, -1 when either is null. */
QX_API int qx_TimerNode_compare(const void *node, const void *name);
QX_API void qx_TimerNode_delete(void *node);

#define QX_BASE36_MAX_DIGITS 10

QX_API qx_wchar *qx_Base36_fromBase10(double value); /* library buffer */
QX_API double qx_Base36_toBase10(const qx_wchar *text);
QX_API int qx_Base36_compare(const qx_wchar *a, const qx_wchar *b);
QX_API int qx_Base36_increment(qx_wchar *text, int32_t amount);

QX_EXTERN_C_END

#endif /* QX_TIMER_H */
