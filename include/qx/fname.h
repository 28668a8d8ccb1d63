/* qx — file names: building, splitting and completing paths.

   Names are wide strings in Windows syntax ("C:\data\pipe.dbf"); '/' is
   taken as a separator wherever one is looked for, so POSIX names
   ("/srv/data/pipe.dbf") work too.  Where a separator is added it is of the
   kind the name already uses last, the backslash when it has none.

   Functions that change a name work in the caller's buffer, which must have
   room for the grown name.  The functions returning text return a buffer
   of the library (512 characters plus terminator) that the next call of the
   same function overwrites. */
#ifndef QX_FNAME_H
#define QX_FNAME_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

/* Appends a separator unless the name is empty or already ends in one. */
QX_API void qx_Fname_fixDir(qx_wchar *name);
/* Replaces the extension (or adds one); `ext` is given without its point.
   Returns 0. */
QX_API int qx_Fname_addExt(qx_wchar *name, const qx_wchar *ext);
/* Sets the extension when the name has none or `replace` is non-zero; a
   null or empty `ext` removes it.  0 for a null name, else 1. */
QX_API int qx_Fname_modExt(qx_wchar *name, const qx_wchar *ext, int replace);
/* The directory part with its final separator (or a drive's colon) into
   `path`; returns its length. */
QX_API int qx_Fname_extractPath(const qx_wchar *name, qx_wchar *path);
/* The extension without its point into `ext`; returns its length. */
QX_API int qx_Fname_extractExt(const qx_wchar *name, qx_wchar *ext);
/* Keeps only what follows the last separator or colon.  Returns 0. */
QX_API int qx_Fname_rmvPath(qx_wchar *name);
/* Cuts the extension with its point; a leading point is kept.  Returns 0. */
QX_API int qx_Fname_rmvExt(qx_wchar *name);
/* out = drive ":" directory "\" base "." extension; null or empty parts
   are left out, and no separator, colon or point is doubled. */
QX_API void qx_Fname_build(qx_wchar *out, const qx_wchar *drive, const qx_wchar *directory,
                           const qx_wchar *base, const qx_wchar *ext);
/* The name shortened for display to at most `maximum` characters by
   putting "..." in place of middle directories.  Empty for a null name or
   a maximum of 513 or more. */
QX_API qx_wchar *qx_Fname_abbreviate(const qx_wchar *name, int maximum);
/* "qx_" and five random digits; existence is not checked. */
QX_API qx_wchar *qx_Fname_createTemp(void);
/* The absolute form of the name ("." and ".." resolved, a relative name
   joined to the current directory); a copy of the name when that fails. */
QX_API qx_wchar *qx_Fname_fullPath(const qx_wchar *name);
/* The network form of a name on a mapped drive; the name itself when the
   drive is local (always, on this system).  Empty for a null name. */
QX_API qx_wchar *qx_File_getUNCPathName(const qx_wchar *name);
/* `file` relative to `directory` ("..\x\f.txt"); `file` itself when the
   drives differ; null when either name is shorter than 4 or longer than
   512 characters or the result would not fit. */
QX_API qx_wchar *qx_File_getRelativeFilename(const qx_wchar *directory, const qx_wchar *file);

QX_EXTERN_C_END

#endif /* QX_FNAME_H */
