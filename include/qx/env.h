/* qx — configuration values, session variables, aliases and %name%
   expansion.

   Three stores hold named values: session variables (process-wide, set at
   run time), group "GENERAL" of the library's configuration file qx.ini
   (through the application component's settings service) and the process
   environment.  A %name% reference in qx_Env_expandStr is looked up in that
   order.  The alias table is a fourth, separate store whose references are
   expanded in values read from INI files.

   Results named "static buffer" belong to the library and are overwritten
   by the next call of the same function; copy what you keep.  None of these
   functions is safe to call from two threads at once. */
#ifndef QX_ENV_H
#define QX_ENV_H

#include "qx/types.h"
#include "qx/fldlist.h"
#include "qx/strlist.h"

QX_EXTERN_C_BEGIN

/* --- qx.ini --------------------------------------------------------------
   The file is qx_Sys_getCfgName(path, "qx.ini").  Without the application
   component nothing is read or written. */

/* A value of qx.ini (qx_Ini_get): its %alias% references expanded, cut to
   512 characters; null when the file, group or name is missing or the value
   is empty or blank.  Static buffer shared by the INI lookups. */
QX_API qx_wchar *qx_Env_getIni(const qx_wchar *group, const qx_wchar *name);
/* Writes a value into qx.ini (qx_Ini_set).  0 when written, 1 when not. */
QX_API int qx_Env_setIni(const qx_wchar *group, const qx_wchar *name, const qx_wchar *value);
/* qx_Ini_displayError for qx.ini. */
QX_API int qx_Env_displayIniError(const qx_wchar *group, const qx_wchar *name);
/* A group of qx.ini as a new field list of its expanded, non-empty values
   (qx_Ini_getGroup); null when missing.  Free with qx_FldList_destroy. */
QX_API qx_FldList *qx_Env_getIniGroup(const qx_wchar *group);

/* --- session variables ----------------------------------------------------
   A process-wide list of "name = value" lines; names match without regard
   to case.  The ...Local names and the short names are the same operations. */

/* The value (trimmed), or null when the name is not set.  Static buffer of
   512 characters. */
QX_API qx_wchar *qx_Env_getSesLocal(const qx_wchar *name);
QX_API qx_wchar *qx_Env_getSes(const qx_wchar *name);
/* Sets, replaces (in place) or, with a null or empty value, removes a
   variable.  1 when the name was not set before, 0 when it was. */
QX_API int qx_Env_setSesLocal(const qx_wchar *name, const qx_wchar *value);
QX_API int qx_Env_setSes(const qx_wchar *name, const qx_wchar *value);
/* Empties the session. */
QX_API void qx_Env_resetSesLocal(void);
QX_API void qx_Env_resetSes(void);
/* Marks the session as an application's; nothing in the library reads it. */
QX_API void qx_Env_setSesApp(void);
/* A copy of the session's lines ("name = value"), owned by the caller
   (qx_StrList_destroy); null before the first variable was ever set. */
QX_API qx_StrList *qx_Env_getSesList(void);

/* --- other sources ---------------------------------------------------------- */

/* The value of `key` in `section` of any Windows-style INI file, read
   straight from the file; null when missing or empty.  Static buffer of 256
   characters (terminator included). */
QX_API qx_wchar *qx_Env_getWin(const qx_wchar *file, const qx_wchar *section,
                               const qx_wchar *key);

/* --- %name% expansion over session, qx.ini and environment -------------------
   "%%" gives one '%'; an unknown reference vanishes with its percent signs;
   a reference without its closing '%' runs to the end of the text. */

/* The expanded text, cut to 512 characters.  Static buffer. */
QX_API qx_wchar *qx_Env_expandStr(const qx_wchar *text);
/* Reads the one reference that starts with the '%' at text[*position],
   moves *position past it and returns its value (empty when unknown).
   When text[*position] is not '%' the result is empty and the position
   stays.  Static buffer of 512 characters. */
QX_API qx_wchar *qx_Env_expandVar(const qx_wchar *text, int *position);

/* The parts of a ';'-separated text (first 1024 characters), each trimmed of
   blanks; empty parts between separators are skipped, a part of blanks
   only is kept as "".  A new list (qx_StrList_destroy), or null when the
   text has no part. */
QX_API qx_StrList *qx_Env_split(const qx_wchar *text);

/* --- aliases ---------------------------------------------------------------
   A process-wide table of text values, matched as field-list names are. */

/* Copies the alias's value (at most `maxLength` characters and a
   terminator) into `value`, which is emptied first.  1 when found with a
   text value; the field-list codes (-2 not found, -3 not text) otherwise;
   0 without a buffer, a name or any alias. */
QX_API int qx_Alias_get(qx_wchar *value, const qx_wchar *name, int maxLength);
/* Sets an alias (a null value deletes it).  The field-list result, or 0. */
QX_API int qx_Alias_put(const qx_wchar *name, const qx_wchar *value);
QX_API int qx_Alias_del(const qx_wchar *name);
/* Puts every field of the list, its value as text (512 characters).  1 when
   a list was given, else 0.  Moves the list's cursor. */
QX_API int qx_Alias_putFromFldList(qx_FldList *list);
/* Writes `text` with its %alias% references expanded into `out`: an unknown
   reference stays as written, "%%" vanishes, an unclosed reference is
   dropped with the rest of the text.  `out` must have room for the result,
   which may be longer than the text.  Always 0. */
QX_API int qx_Alias_expandStr(qx_wchar *out, const qx_wchar *text);

QX_EXTERN_C_END

#endif /* QX_ENV_H */
