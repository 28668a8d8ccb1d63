/* qx — messages: texts looked up by key, translated when a translator is on. */
#ifndef QX_MSG_H
#define QX_MSG_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

#define QX_MSG_RESULT_LEN 256
#define QX_MSG_FORMAT_LEN 259
#define QX_MSG_PAD_LEN 256

/* Layout codes: 0/1 as is, 2 "%s ", 3 "\n%s", 4 "\n%s ", 5 "%s\n",
   6 "%s \n", 7 "\n%s\n", 8 "\n%s \n". */
/* The text for `key` (translated when a translator is on, else the
   narrow default `text` widened, its escapes decoded and laid out), in a library
   buffer of 256 characters shared by qx_Msg and qx_MsgDBCols and
   overwritten by their next call; never null. */
QX_API qx_wchar *qx_Msg(const char *text, const char *key, int layout);
/* qx_Msg for a column title under the key "DBCols" (the title narrowed to
   8 bits first); same buffer. */
QX_API qx_wchar *qx_MsgDBCols(const qx_wchar *column, int layout);
/* As qx_Msg with wide arguments, padded with blanks to `width` (at most
   256), in a buffer of its own overwritten by the next call. */
QX_API qx_wchar *qx_Msg_pad(const qx_wchar *text, const qx_wchar *key, int layout, int width);
/* Escapes decoded and the layout applied, in a buffer of 259 characters of
   its own overwritten by the next call. */
QX_API qx_wchar *qx_Msg_format(const qx_wchar *text, int layout);
QX_API int qx_Msg_setFormat(int style); /* style+1 for 1 to 7, else 1; changes nothing */
/* Decodes C escapes (\n, \t, \\, octal \101, ...) in place; an unknown
   escape is dropped.  Returns text. */
QX_API qx_wchar *qx_Msg_scanEsc(qx_wchar *text);
/* Splits at blanks or '_' into the first two words (source cut to 259
   characters; first and second need room for them): 1 when both are
   non-empty, else 0. */
QX_API int qx_Msg_breakStr(const qx_wchar *source, qx_wchar *first, qx_wchar *second);

QX_EXTERN_C_END

#endif /* QX_MSG_H */
