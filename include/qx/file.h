/* qx — files, directories and drives.

   Paths are wide strings in Windows syntax; '/' separates as well, a drive
   "X:" maps to the folder in the environment variable QX_DRIVE_X (default
   "/"), and a name that does not exist as written is matched without
   regard to case.  Each function reports failure only by its result, with
   the conventions given beside it.

   Existence tests ask the file service of the application component and
   answer 0 when it is not there (COM not initialised on the thread);
   deletes, moves, copies and directory changes tell it what changed.

   One enumeration at a time: qx_File_findFirst starts it, qx_File_findNext
   continues it.  qx_Dir_current and qx_Dir_getParent return a buffer of the
   library (512 characters plus terminator) overwritten by their next call. */
#ifndef QX_FILE_H
#define QX_FILE_H

#include <stdint.h>
#include <stdio.h>

#include "qx/fname.h"
#include "qx/strlist.h"
#include "qx/types.h"

QX_EXTERN_C_BEGIN

/* --- existence and access --------------------------------------------------- */
/* 1 when the file service says the file (or directory) exists, else 0. */
QX_API int qx_File_exists(const qx_wchar *path);
QX_API int qx_Dir_exists(const qx_wchar *path); /* likewise for a directory */
/* Access test, mode 0 exists, 2 write, 4 read, 6 read and write: 1 when it
   succeeds; 0 for a null or empty path or another mode.  A file without
   write permission fails the write test whoever asks. */
QX_API int qx_File_hasAccess(const qx_wchar *path, int mode);
QX_API int qx_File_isWriteEnabled(const qx_wchar *path); /* qx_File_hasAccess(path, 2) */
/* 1 when the file was made read-only / writable; 0 otherwise. */
QX_API int qx_File_setReadOnlyAccess(const qx_wchar *path);
QX_API int qx_File_setReadWriteAccess(const qx_wchar *path);

/* --- whole files ---------------------------------------------------------- */
/* 1 when the file exists or was created empty; an existing file is never
   emptied. */
QX_API int qx_File_create(const qx_wchar *path);
/* 1 when the file was deleted, else 0. */
QX_API int qx_File_deleteSingle(const qx_wchar *path);
/* Deletes the files matching a wildcard pattern, or with `listFile` set,
   the files named one per line in the text file `path`.  Returns how many
   were deleted. */
QX_API int qx_File_delete(const qx_wchar *path, int listFile);
/* Renames, replacing an existing target: 0 on success, -1 on failure. */
QX_API int qx_File_move(const qx_wchar *from, const qx_wchar *to);
/* Copies, keeping the modification time: 0 on success, 1 on failure.  A
   copy onto the source itself is refused (1). */
QX_API int qx_File_copy(const qx_wchar *from, const qx_wchar *to);
/* Appends the source to the target: 0 on success, 1 on failure. */
QX_API int qx_File_append(const qx_wchar *target, const qx_wchar *source);
/* Copies the source stream from its position to its end onto the target
   stream.  Returns 0. */
QX_API int qx_File_copyRest(FILE *target, FILE *source);
/* Tells the file service that the path changed. */
QX_API void qx_File_revalidate(const qx_wchar *path);
/* The length in bytes of the stream's file. */
QX_API long qx_File_length(FILE *stream);

/* --- times (seconds since 1970) --------------------------------------------- */
/* Modification time into *time: 0 on success, 1 when the file cannot be
   examined. */
QX_API int qx_File_getTime(const qx_wchar *path, int32_t *time);
/* Sets access and modification time: 0 on success, -1 on failure. */
QX_API int qx_File_setTime(const qx_wchar *path, int32_t time);
/* -1 when a is older or cannot be examined, 1 when a is newer or b cannot
   be examined, 0 when equal. */
QX_API int qx_File_cmpTime(const qx_wchar *a, const qx_wchar *b);

/* --- text ------------------------------------------------------------------- */
/* Reads one line (without its line feed) of at most `maximum` characters
   into `buffer` (room for maximum+1); the rest of a longer line is skipped.
   1 when a line, possibly empty, was read; 0 at the end. */
QX_API int qx_File_readLine(FILE *stream, qx_wchar *buffer, int maximum);
/* The non-empty lines of a text file, tabs turned into blanks; a last line
   without a line feed is not taken.  Null when the file cannot be opened
   or is empty. */
QX_API qx_StrList *qx_File_readFile(const qx_wchar *path);
/* Every line of a text file with its line feed; a last line without one is
   not taken.  Null when the file cannot be opened or has no line. */
QX_API qx_StrList *qx_File_readFileExactly(const qx_wchar *path);

/* --- enumeration ----------------------------------------------------------- */
/* Starts the enumeration of a wildcard pattern ('*' and '?' as on Windows,
   letter case ignored) and copies the first name found (without directory,
   at most 259 characters) into `name`: 0 when found, -1 when not. */
QX_API int qx_File_findFirst(const qx_wchar *pattern, qx_wchar *name);
/* The next name: 0 when found, non-zero at the end. */
QX_API int qx_File_findNext(qx_wchar *name);

/* --- pieces and scrambling ---------------------------------------------------- */
/* Splits the file into pieces of `size` bytes named with the extension
   replaced by 1, 2, ...  Returns the number of pieces written (the last one
   empty when the length is a multiple of the size); 0 on failure. */
QX_API int qx_File_slice(const qx_wchar *path, int size);
/* Joins and deletes the pieces into `path`; returns the number of the first
   missing piece, 0 when nothing could be opened. */
QX_API int qx_File_mend(const qx_wchar *path);
/* Writes the input scrambled with the library's fixed table to the output;
   the operation is its own inverse.  1 when both files could be opened. */
QX_API int qx_File_encrypt(const qx_wchar *output, const qx_wchar *input);
QX_API int qx_File_decrypt(const qx_wchar *output, const qx_wchar *input); /* the same operation */

/* --- directories and drives ------------------------------------------------- */
/* Creates every missing level: 0 when the deepest missing level was
   created, -1 when nothing was created or the last attempt failed. */
QX_API int qx_Dir_create(const qx_wchar *path);
/* Removes an empty directory: 0 on success, -1 on failure. */
QX_API int qx_Dir_delete(const qx_wchar *path);
/* Removes a directory with everything in it; the result of removing the
   directory itself (0 or -1). */
QX_API int qx_Dir_deleteTree(const qx_wchar *path);
/* The lower-cased paths matching a wildcard pattern (with "." and ".." when
   they match), or null when nothing matches. */
QX_API qx_StrList *qx_Dir_list(const qx_wchar *pattern);
/* Changes the current directory (and drive): 0 on success, -1 on failure. */
QX_API int qx_Dir_change(const qx_wchar *path);
/* The current directory in the shared buffer ("" when it does not fit). */
QX_API qx_wchar *qx_Dir_current(void);
/* The parent with its trailing separator ("c:\a\b" gives "c:\a\"); null for
   a root. */
QX_API qx_wchar *qx_Dir_getParent(const qx_wchar *path);
/* Makes drive `drive` (1 = A) current: 0, or -1 for a number outside 1 to
   26 or a drive whose folder cannot be entered. */
QX_API int qx_Drive_set(int drive);
/* The number of a drive letter, either case: 'c' gives 3. */
QX_API int qx_Drive_num(qx_wchar letter);
/* Always -1. */
QX_API int qx_Drive_get(void);

QX_EXTERN_C_END

#endif /* QX_FILE_H */
