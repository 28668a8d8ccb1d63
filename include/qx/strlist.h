/* qx — string lists: linked lists of owned wide strings.

   A string list is a qx_LnkList whose element data are qx_StrListNode
   records, each owning a private copy of one string.  Strings are always
   copied in; a null string is never inserted.  All cursor rules of the
   linked list hold, and the navigation operations are the linked list's own.

   qx_StrList_getCurr and qx_StrList_getNth share one library buffer,
   qx_StrList_searchForString has another; each holds 512 characters and is
   overwritten by the next call. */
#ifndef QX_STRLIST_H
#define QX_STRLIST_H

#include "qx/str.h"

QX_EXTERN_C_BEGIN

typedef struct qx_StrListNode {
  qx_wchar *str; /* owned copy, from qx_Str_dup */
} qx_StrListNode;

#define QX_STRLIST_BUF 512

/* A new list holding copies of the strings, which end with a null pointer
   (an empty list: qx_StrList_create(NULL, NULL)); the cursor starts on the
   first.  Free it with qx_StrList_destroy; null when memory runs out. */
QX_API qx_StrList *qx_StrList_create(const qx_wchar *s, ...) QX_SENTINEL;
/* Frees every string, node and the header: 1, or 0 for a null list. */
QX_API int qx_StrList_destroy(qx_StrList *list);
/* Frees every string and node, keeping the empty list: 1, or 0. */
QX_API int qx_StrList_delAll(qx_StrList *list);

/* Insert a copy of s where the linked-list operation of the same name
   would: 1, or 0 for a null list or string or when memory runs out. */
QX_API int qx_StrList_insStart(qx_StrList *list, const qx_wchar *s);
QX_API int qx_StrList_insEnd(qx_StrList *list, const qx_wchar *s);
QX_API int qx_StrList_insBefore(qx_StrList *list, const qx_wchar *s);
QX_API int qx_StrList_insAfter(qx_StrList *list, const qx_wchar *s);
QX_API int qx_StrList_insNth(qx_StrList *list, int index, const qx_wchar *s);
/* Before the first greater string (ordinal), so equal strings keep their
   insertion order: 1, or 0.  Each insertion walks the list (n^2 for n). */
QX_API int qx_StrList_insSorted(qx_StrList *list, const qx_wchar *s);

/* The current string copied into the shared library buffer (512
   characters, longer strings cut), or null off the list. */
QX_API qx_wchar *qx_StrList_getCurr(qx_StrList *list);
/* A new copy of the whole current string from qx_Malloc (free with
   qx_Free), or null. */
QX_API qx_wchar *qx_StrList_getCurrPtr(qx_StrList *list);
/* As getCurr for the 0-based index, which becomes current; null when out of
   range. */
QX_API qx_wchar *qx_StrList_getNth(qx_StrList *list, int index);
/* Replace the current (or index-th) string with a copy: 1, or 0. */
QX_API int qx_StrList_modCurr(qx_StrList *list, const qx_wchar *s);
QX_API int qx_StrList_modNth(qx_StrList *list, int index, const qx_wchar *s);
/* Remove and free the current (or index-th) string: 1, or 0. */
QX_API int qx_StrList_delCurr(qx_StrList *list);
QX_API int qx_StrList_delNth(qx_StrList *list, int index);

/* Ordinal, stable sort; the cursor is left off the list (unless all
   strings are equal, when nothing changes). */
QX_API void qx_StrList_sort(qx_StrList *list);
/* 0-based index of the first equal string, now current, or -1 (cursor off
   the list). */
QX_API int qx_StrList_search(qx_StrList *list, const qx_wchar *s, int ignoreCase);
/* The first string containing `sub`, now current, copied into its own
   library buffer (512 characters) that the next call overwrites; or null. */
QX_API qx_wchar *qx_StrList_searchForString(qx_StrList *list, const qx_wchar *sub,
                                           int ignoreCase);
/* A new list of copies (free with qx_StrList_destroy); a null list gives a
   new empty one. */
QX_API qx_StrList *qx_StrList_copy(qx_StrList *list);
/* Appends copies of the source's strings to the target; the source is
   unchanged.  1, or 0 for a null list. */
QX_API int qx_StrList_concatenate(qx_StrList *target, qx_StrList *source);

/* Splitting and joining. */
/* The tokens of text (wcstok rules: runs of delimiters are one, so empty
   fields vanish), each with its blanks trimmed, as a new list (free with
   qx_StrList_destroy); null when there is no token. */
QX_API qx_StrList *qx_StrList_fromDelimitedString(const qx_wchar *text,
                                                 const qx_wchar *delimiters);
/* The strings joined with the separator into a new string from qx_Malloc
   (free with qx_Free); null for a null or empty list. */
QX_API qx_wchar *qx_StrList_toDelimitedString(qx_StrList *list, const qx_wchar *separator);
/* Joins each run of groupSize strings (all of them for 0), each in single
   quotes when `quote` is set, into a new list (free with
   qx_StrList_destroy); null for a null or empty list. */
QX_API qx_StrList *qx_StrList_toDelimitedStringList(qx_StrList *list, const qx_wchar *separator,
                                                   int groupSize, int quote);
/* Returns a new list of the first occurrences (the given one is destroyed)
   unless the list has fewer than two elements, which is returned as it is. */
QX_API qx_StrList *qx_StrList_removeDuplicates(qx_StrList *list, int ignoreCase);

/* The linked list's own navigation under this family's names (see
   qx/lnklist.h); count is length. */
QX_API int qx_StrList_start(qx_StrList *list);
QX_API int qx_StrList_end(qx_StrList *list);
QX_API int qx_StrList_next(qx_StrList *list);
QX_API int qx_StrList_prev(qx_StrList *list);
QX_API int qx_StrList_skip(qx_StrList *list, int count);
QX_API int qx_StrList_eol(const qx_StrList *list);
QX_API int qx_StrList_length(const qx_StrList *list);
QX_API int qx_StrList_count(const qx_StrList *list);

QX_EXTERN_C_END

#endif /* QX_STRLIST_H */
