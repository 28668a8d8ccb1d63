/* qx — system directories, names and settings.

   The directories come from variables looked up in the session and then in
   group "GENERAL" of qx.ini (see qx/env.h), with defaults built from the
   network directory:

     network         "QV"                        ""
     local           "QVWS"                      the network directory
     temporary       "QVTMP"                     local + "qvtmp\"
       per session   "QVSES" (session only)      the first free number
     pipe specs      "QVSPECS"                   network + "specs"
     binary          "QX_DEV_BIN_DIR", then "QX_BIN_DIR" (qx.ini only)
                                                 network + "bin"
     versioned       binary + "ACADVER" (session only)

   Every directory ends in a separator (the kind the value uses last, a
   backslash when it has none) and is lower-cased; the paths keep the
   library's Windows form and are mapped onto this file system when used.
   Values of "QVTMP" and "QVSPECS" found in qx.ini are copied into the
   session, so a later change of qx.ini is seen only after qx_Env_resetSes.

   Output buffers hold QX_MAX_PATH characters (terminator included); longer
   results are cut.  The name functions append the file name to their
   directory and lower-case the whole. */
#ifndef QX_SYS_H
#define QX_SYS_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

/* The configuration directory of the application component; empty when the
   component gives none. */
QX_API void qx_Sys_getCfgDir(qx_wchar *dir);
/* The configuration directory plus `name` (so "qx.ini" alone without a
   configuration directory).  Returns `path`. */
QX_API qx_wchar *qx_Sys_getCfgName(qx_wchar *path, const qx_wchar *name);

/* Each returns the buffer it was given. */
QX_API qx_wchar *qx_Sys_getNetDir(qx_wchar *dir);
QX_API qx_wchar *qx_Sys_getNetName(qx_wchar *path, const qx_wchar *name);
QX_API qx_wchar *qx_Sys_getLocalDir(qx_wchar *dir);
QX_API qx_wchar *qx_Sys_getLocalName(qx_wchar *path, const qx_wchar *name);
/* The temporary directory, made when missing.  With `perSession` set, the
   process's own numbered folder inside it ("qvtmp\1\", "qvtmp\2\", ...):
   the first call picks the first number whose folder it can create and
   keeps it in the session variable "QVSES". */
QX_API qx_wchar *qx_Sys_getTempDir(qx_wchar *dir, int perSession);
/* `name` may be null. */
QX_API qx_wchar *qx_Sys_getTempName(qx_wchar *path, const qx_wchar *name, int perSession);
/* The pipe-specs directory (QVSPECS), plus `sub` and a separator when `sub` is
   neither null nor empty. */
QX_API qx_wchar *qx_Sys_getSpecDir(qx_wchar *dir, const qx_wchar *sub);
QX_API qx_wchar *qx_Sys_getSpecName(qx_wchar *path, const qx_wchar *sub, const qx_wchar *name);
QX_API qx_wchar *qx_Sys_getBinDir(qx_wchar *dir);
QX_API qx_wchar *qx_Sys_getBinName(qx_wchar *path, const qx_wchar *name);
/* With `preferVersioned`: the file in the versioned binary directory when it
   exists there, else in the binary directory.  Without: the name in the
   versioned binary directory, which is made when missing. */
QX_API qx_wchar *qx_Sys_getVersionBinName(qx_wchar *path, const qx_wchar *name,
                                          int preferVersioned);

/* The application object's group, at most `maxLength` characters; 1 when a
   non-empty group was copied, else 0 (the buffer emptied). */
QX_API int qx_Sys_getApplicationGroup(qx_wchar *group, int maxLength);
/* 1 when the group was handed to the application object, else 0. */
QX_API int qx_Sys_setApplicationGroup(const qx_wchar *group);
/* 1 when "ShowModeSelectionGUI" of qx.ini is "1", else 0. */
QX_API int qx_Sys_getShowModeSelectGUI(void);
/* Writes "1" or "0"; 0 when written (as qx_Env_setIni). */
QX_API int qx_Sys_setShowModeSelectGUI(int flag);

/* --- processes and versions ---------------------------------------------- */

/* Starts "program arguments" (arguments may be null), a command line in
   the Windows form: blanks separate, double quotes group.  A program named
   with a separator is a library path, a bare name is searched in PATH (a
   missing ".exe" is forgiven).  With `wait` the call returns when the
   program has ended.  1 when it started, 0 when not; then, when `error` is
   given, it receives (within `errorLength` characters, terminator included)
   the reason, the program and the system's text, without separators. */
QX_API int qx_Sys_createProcess(const qx_wchar *program, const qx_wchar *arguments, int wait,
                                qx_wchar *error, int errorLength);
/* The product version of a loaded module as "05.02.10.03"; null when the
   module is not loaded or has no version.  Static buffer (see qx/global.h). */
QX_API qx_wchar *qx_Sys_getVersionNumber(const qx_wchar *module);
/* The version of the installed product of that display name (case-blind),
   its third character from the end turned into a point; empty when no
   product matches, null when there is no versions file.  Static buffer of
   512 characters. */
QX_API qx_wchar *qx_Sys_getProductVersion(const qx_wchar *displayName);

QX_EXTERN_C_END

#endif /* QX_SYS_H */
