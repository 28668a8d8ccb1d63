/* qx — the table engine's exported helpers: its text-to-number conversions
 * and its record write, for callers that hold an engine table handle. */
#ifndef QX_DBF_H
#define QX_DBF_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

/* Convert at most the first `length` characters of `text` (at most 49 for
 * the double, 127 for the integers) as atof / atoi / atol would; the text
 * needs no terminator. */
QX_API double qx_c4atod(const char *text, int length);
QX_API int qx_c4atoi(const char *text, int length);
QX_API long qx_c4atol(const char *text, int length);

/* Writes the current record buffer of an engine table as record `record`
 * (from 1), with its memo fields and index keys.  0, or -1 for a record
 * number below 1 or past the record count, or the engine's error code. */
QX_API int qx_d4write(void *table, long record);

QX_EXTERN_C_END

#endif /* QX_DBF_H */
