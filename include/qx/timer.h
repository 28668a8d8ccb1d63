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

/* Starts a timer under the name (a second one of the same name is added
   but never found): 1, or 0 for a null name or no memory. */
QX_API int qx_Timer_create(const qx_wchar *name);
/* Seconds since the timer's start or last reset (millisecond steps); reset
   restarts it, delete removes it.  0 when no timer has the name (reset then
   starts one). */
QX_API double qx_Timer_reset(const qx_wchar *name);
QX_API double qx_Timer_check(const qx_wchar *name);
QX_API double qx_Timer_delete(const qx_wchar *name);
QX_API int qx_Timer_clearAll(void); /* removes every timer: 1 */

QX_API qx_TimerNode *qx_TimerNode_create(const qx_wchar *name); /* started now; qx_Malloc, free with qx_TimerNode_delete */
/* Comparison callback: (timer node, name); ordinal, -1 when either is null. */
QX_API int qx_TimerNode_compare(const void *node, const void *name);
QX_API void qx_TimerNode_delete(void *node); /* qx_Free of a node; null is ignored */

#define QX_BASE36_MAX_DIGITS 10

/* The value's integral part in base 36 ("0" below 1, "" above 36^9), in a
   library buffer of 10 digits overwritten by the next call. */
QX_API qx_wchar *qx_Base36_fromBase10(double value);
QX_API double qx_Base36_toBase10(const qx_wchar *text); /* letters in either case */
QX_API int qx_Base36_compare(const qx_wchar *a, const qx_wchar *b); /* -1, 0 or 1 by value */
/* Adds amount to the number written in text, in place (room for 10 digits
   and a terminator): 1, or 0 for null. */
QX_API int qx_Base36_increment(qx_wchar *text, int32_t amount);

QX_EXTERN_C_END

#endif /* QX_TIMER_H */
