/* qx — diagnostics: level, condition mask, output selector, log file. */
#ifndef QX_DIAG_H
#define QX_DIAG_H

#include <stdio.h>

#include "qx/types.h"

QX_EXTERN_C_BEGIN

#define QX_DIAG_MSGBUF_LEN 4096

/* Condition bits: a family writes only when its bit is set. */
#define QX_DIAG_STRLIST 0x2u
#define QX_DIAG_LNKLIST 0x4u
#define QX_DIAG_POINT 0x8u
#define QX_DIAG_MATRIX 0x10u
#define QX_DIAG_VECTOR 0x20u
#define QX_DIAG_ARRAY 0x40u
#define QX_DIAG_NTUPLE 0x80u
#define QX_DIAG_DBFLD 0x200u
#define QX_DIAG_MSG 0x400u
#define QX_DIAG_TREE 0x200000u

/* Output selector: 0 nothing, 1 console, 2 log file, 3 both. */
QX_API extern int16_t QX_DiagCurrentLevel;
QX_API extern uint32_t QX_DiagCurrentCondition;
QX_API extern int16_t QX_DiagCurrentOutput;
QX_API extern qx_wchar *QX_DiagCurrentFileName;
QX_API extern FILE *QX_DiagOutputStream;
QX_API extern qx_wchar QX_DiagMsgBuf[QX_DIAG_MSGBUF_LEN + 1];

QX_API int16_t qx_Diag_getLevel(void); /* 0 (silent) to 3 (call tracing) */
QX_API int16_t qx_Diag_setLevel(int16_t level); /* the old level; outside 0-3 ignored */
QX_API uint32_t qx_Diag_getCondition(void); /* the QX_DIAG_ family bits */
QX_API uint32_t qx_Diag_setCondition(uint32_t mask); /* the old mask */
QX_API void qx_Diag_disable(void); /* level and mask to 0 */
/* Selects the output; for 2 and 3 the log file `path` (empty or null: the
   default "QX_DIAG.LOG", with a notice on standard output) is created empty.
   1, or 0 (console chosen instead) for another selector or a log file that
   cannot be created. */
QX_API int qx_Diag_setOutput(int16_t selector, const qx_wchar *path);
/* The selector; with a log file in use its name is copied into path (room
   for QX_MAX_PATH), else path gets "". */
QX_API int16_t qx_Diag_getOutput(qx_wchar *path);
QX_API int16_t qx_Diag_setDiagOutput(int16_t selector); /* stored as given, no file opened; returns it */
QX_API int16_t qx_Diag_getDiagOutput(void); /* the selector */
QX_API void qx_Diag_setFileName(const qx_wchar *path); /* copied; the log is not opened */
QX_API qx_wchar *qx_Diag_getFileName(void); /* the library's own copy (QX_DiagCurrentFileName); do not free */
QX_API FILE *qx_Diag_setOutputStream(FILE *stream); /* stored and returned; the caller keeps it open */
QX_API FILE *qx_Diag_getOutputStream(void); /* the stream last set, or null */
QX_API qx_wchar *qx_Diag_getDiagMsgBuf(void); /* QX_DiagMsgBuf, shared by every diagnostics line */
/* Writes "file (line) text" to the selected outputs; the text is copied
   into QX_DiagMsgBuf (cut to its size) first.  Empty text writes nothing. */
QX_API void qx_Diag_putOutputMsg(const qx_wchar *text, const qx_wchar *sourcePath, int line);
/* Writes the current content of QX_DiagMsgBuf; `text` is not read. */
QX_API void qx_Diag_putOutput(int length, const qx_wchar *text, const qx_wchar *sourcePath,
                              int line);

QX_EXTERN_C_END

#endif /* QX_DIAG_H */
