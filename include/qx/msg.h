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
QX_API qx_wchar *qx_Msg(const char *text, const char *key, int layout);
QX_API qx_wchar *qx_MsgDBCols(const qx_wchar *column, int layout);
QX_API qx_wchar *qx_Msg_pad(const qx_wchar *text, const qx_wchar *key, int layout, int width);
QX_API qx_wchar *qx_Msg_format(const qx_wchar *text, int layout);
QX_API int qx_Msg_setFormat(int style);
QX_API qx_wchar *qx_Msg_scanEsc(qx_wchar *text);
QX_API int qx_Msg_breakStr(const qx_wchar *source, qx_wchar *first, qx_wchar *second);

QX_EXTERN_C_END

#endif /* QX_MSG_H */
