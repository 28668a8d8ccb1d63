/* qx — INI files.

   An INI file is made of groups, each opened by a header line "[name]" and
   followed by entry lines "name=value"; a line whose first non-blank
   character is ';' is a comment.  Group and entry names compare without
   regard to case.  Files are UTF-8 (8-bit ISO-8859-1 text where their bytes
   are not UTF-8), with "\n" or "\r\n" line ends and an optional UTF-8
   byte-order mark.

   Two routes lead to the files:

   - Values, groups as field lists, group lists, adding and removing groups
     and the cache go through the settings service of the application
     component.  The service reads a file once into its cache and serves it
     from there until qx_Ini_reload or qx_Ini_resetCache.  A change is
     written at once: every line it does not touch (comments, blank lines,
     order, line ends, the byte-order mark) stays as it was, and the file is
     replaced so that a crash leaves either the old or the new file whole.
     Two processes changing one file take turns, and each change is made to
     the file as it is on disk at that moment, so neither loses the other's
     values.  Without the service (COM not initialised on the thread) the
     readers answer null and the writers report failure.

   - qx_Ini_getGroupLines, qx_Ini_getGroupItems, qx_Ini_findGroup and
     qx_Ini_setGroupItems read and rewrite the file directly, line by line:
     a line is read up to 1024 characters (the rest of a longer line is
     skipped), leading blanks are removed, empty lines are ignored.

   Entry lines split as qx_Ini_parse says: spaces before the name are
   skipped; the name runs to the first '=' and is trimmed; every space or
   '=' after it is skipped; the rest, trimmed, is the value.  A line without
   '=' is a name with an empty value.

   qx_Ini_get, qx_Ini_getAbsolute and qx_Ini_getValue share one library
   buffer (1024 characters and terminator) that each call overwrites;
   qx_Ini_getNextIncrSuffix has its own.  Lists returned are the caller's,
   freed with qx_FldList_destroy or qx_StrList_destroy.  A failing call of
   the settings service counts as "not found" or "not written". */
#ifndef QX_INI_H
#define QX_INI_H

#include <stdio.h>

#include "qx/fldlist.h"
#include "qx/strlist.h"
#include "qx/types.h"

QX_EXTERN_C_BEGIN

/* Room of the shared value buffer and of the direct route's line buffer. */
#define QX_INI_LINE 1024

/* --- single values (settings service) ------------------------------------ */
/* The value of `name` in `group`, leading blanks removed (trailing blanks
   stay).  With `expand` set, %alias% references are expanded (up to 1024
   characters); otherwise at most `maximum` characters are kept.  Null when
   the entry is missing or its value is empty or only blanks. */
QX_API qx_wchar *qx_Ini_getValue(const qx_wchar *file, const qx_wchar *group,
                                 const qx_wchar *name, int expand, int maximum);
/* qx_Ini_getValue expanded / as stored, at most 512 characters. */
QX_API qx_wchar *qx_Ini_get(const qx_wchar *file, const qx_wchar *group, const qx_wchar *name);
QX_API qx_wchar *qx_Ini_getAbsolute(const qx_wchar *file, const qx_wchar *group,
                                    const qx_wchar *name);
/* Writes the value, adding the entry and the group when missing: 0 when
   written, 1 when not (no service, a name or group that would not read
   back as itself: empty, holding '=' or ']' or a line break, ...). */
QX_API int qx_Ini_set(const qx_wchar *file, const qx_wchar *group, const qx_wchar *name,
                      const qx_wchar *value);
/* qx_Ini_set, its result stored through `setResult` when given, then the
   value read back: 1 when it equals the written one without regard to
   case, 0 otherwise or when nothing is read back. */
QX_API int qx_Ini_setAndVerify(const qx_wchar *file, const qx_wchar *group, const qx_wchar *name,
                               const qx_wchar *value, int *setResult);
/* Prints "Error reading Ini File\nFile Name %s\nGroup Name %s\nVariable
   Name %s" to standard output; returns the number of characters printed. */
QX_API int qx_Ini_displayError(const qx_wchar *file, const qx_wchar *group, const qx_wchar *name);

/* --- whole groups (settings service) -------------------------------------- */
/* Writes each field of the list (text, or other values as text) with
   qx_Ini_set; with `onlyExisting` set, fields whose entry does not exist
   are skipped.  Returns 0 at once when the file is not writable; otherwise
   the status of the last field handled: 1 written, -3 written from a
   non-text value, 0 unnamed or not written, another qx_FldList_currChar
   code as it came. */
QX_API int qx_Ini_setGroup(const qx_wchar *file, const qx_wchar *group, qx_FldList *list,
                           int onlyExisting);
/* Replaces the group by exactly the list's fields; 1 when the group exists
   afterwards. */
QX_API int qx_Ini_setGroupEx(const qx_wchar *file, const qx_wchar *group, qx_FldList *list);
/* Empties the group (making it when missing) and adds the list's fields:
   1 on success, 0 on failure. */
QX_API int qx_Ini_updateGroup(const qx_wchar *file, const qx_wchar *group, qx_FldList *list);
/* 1 when the group was added; 0 when it existed or could not be added. */
QX_API int qx_Ini_addGroup(const qx_wchar *file, const qx_wchar *group);
/* 1 when the group was removed, else 0. */
QX_API int qx_Ini_removeGroup(const qx_wchar *file, const qx_wchar *group);
/* The group's entries as a field list of texts in file order: values
   expanded and empty ones left out (getGroup), expanded and empty ones kept
   (getGroupWithNulls), as stored without empty ones (getGroupAbsolute), or
   expanded as asked without empty ones (getGroupValues).  Null when the
   group is missing or has no entries. */
QX_API qx_FldList *qx_Ini_getGroup(const qx_wchar *file, const qx_wchar *group);
QX_API qx_FldList *qx_Ini_getGroupWithNulls(const qx_wchar *file, const qx_wchar *group);
QX_API qx_FldList *qx_Ini_getGroupAbsolute(const qx_wchar *file, const qx_wchar *group);
QX_API qx_FldList *qx_Ini_getGroupValues(const qx_wchar *file, const qx_wchar *group, int expand);

/* --- group lists (settings service) --------------------------------------- */
/* The names of the groups whose first characters equal `prefix` without
   regard to case (every group for a null or empty prefix), in file order;
   null when there is no group. */
QX_API qx_StrList *qx_Ini_findPrefixGroups(const qx_wchar *file, const qx_wchar *prefix);
QX_API qx_StrList *qx_Ini_findAllGroups(const qx_wchar *file);
/* The text after the first '.' of a group name, or the whole name. */
QX_API qx_wchar *qx_Ini_getGroupNameSuffix(const qx_wchar *name);
/* The next free number of the groups "prefix.N": one more than the largest
   suffix among the groups starting with `prefix` ("0" when none), as text
   in a library buffer overwritten by the next call. */
QX_API qx_wchar *qx_Ini_getNextIncrSuffix(const qx_wchar *file, const qx_wchar *prefix);

/* --- the cache (settings service) ----------------------------------------- */
/* Drops every cached file. */
QX_API void qx_Ini_resetCache(void);
/* Tells the file service that the file changed and reads it again. */
QX_API void qx_Ini_reload(const qx_wchar *file);
/* Prints the cached files to standard output. */
QX_API void qx_Ini_viewCache(void);

/* --- the file itself, line by line ----------------------------------------- */
/* The group's lines in file order, leading blanks removed, empty lines left
   out, comment lines kept only with `keepComments` set.  Null when the file
   cannot be opened, the group is missing or has no line. */
QX_API qx_StrList *qx_Ini_getGroupLines(const qx_wchar *file, const qx_wchar *group,
                                        int keepComments);
/* The group's entries with both a name and a value, parsed from its lines
   (not expanded; repeated names kept); null when there is none. */
QX_API qx_FldList *qx_Ini_getGroupItems(const qx_wchar *file, const qx_wchar *group);
/* Reads from the stream's position to the group's header: 1 when found,
   the stream then on the line after it; 0 at the end of the file. */
QX_API int qx_Ini_findGroup(FILE *stream, const qx_wchar *group);
/* Removes the line's leading blanks; when it then starts with '[', copies
   the text up to ']' (or the end), trimmed, into `name` and returns 1. */
QX_API int qx_Ini_getGroupName(qx_wchar *line, qx_wchar *name);
/* Splits an entry line into `name` and `value` (each needs room for the
   line's length and a terminator). */
QX_API void qx_Ini_parse(const qx_wchar *line, qx_wchar *name, qx_wchar *value);
/* Rewrites the group with exactly the list's fields (texts, or other values
   as text), followed by one empty line; a missing group is added at the
   end, a missing file is made with only that group.  Every other line of
   the file is kept byte for byte.  The new file is written beside the old
   one as "qx_tmp.ini" and moved over it.  1 when the file was rewritten.
   The settings service is not told: read through it after qx_Ini_reload. */
QX_API int qx_Ini_setGroupItems(const qx_wchar *file, const qx_wchar *group, qx_FldList *list);

QX_EXTERN_C_END

#endif /* QX_INI_H */
