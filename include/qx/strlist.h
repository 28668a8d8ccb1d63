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

/* The list ends with a null pointer; the cursor starts on the first. */
QX_API qx_StrList *qx_StrList_create(const qx_wchar *s, ...) QX_SENTINEL;
QX_API int qx_StrList_destroy(qx_StrList *list);
QX_API int qx_StrList_delAll(qx_StrList *list);

QX_API int qx_StrList_insStart(qx_StrList *list, const qx_wchar *s);
QX_API int qx_StrList_insEnd(qx_StrList *list, const qx_wchar *s);
QX_API int qx_StrList_insBefore(qx_StrList *list, const qx_wchar *s);
QX_API int qx_StrList_insAfter(qx_StrList *list, const qx_wchar *s);
QX_API int qx_StrList_insNth(qx_StrList *list, int index, const qx_wchar *s);
/* Before the first greater string (ordinal), so equal strings keep their
   insertion order. */
QX_API int qx_StrList_insSorted(qx_StrList *list, const qx_wchar *s);

QX_API qx_wchar *qx_StrList_getCurr(qx_StrList *list);    /* library buffer */
QX_API qx_wchar *qx_StrList_getCurrPtr(qx_StrList *list); /* new copy, qx_Free it */
QX_API qx_wchar *qx_StrList_getNth(qx_StrList *list, int index);
QX_API int qx_StrList_modCurr(qx_StrList *list, const qx_wchar *s);
QX_API int qx_StrList_modNth(qx_StrList *list, int index, const qx_wchar *s);
QX_API int qx_StrList_delCurr(qx_StrList *list);
QX_API int qx_StrList_delNth(qx_StrList *list, int index);

QX_API void qx_StrList_sort(qx_StrList *list);
QX_API int qx_StrList_search(qx_StrList *list, const qx_wchar *s, int ignoreCase);
QX_API qx_wchar *qx_StrList_searchForString(qx_StrList *list, const qx_wchar *sub,
                                           int ignoreCase);
QX_API qx_StrList *qx_StrList_copy(qx_StrList *list);
QX_API int qx_StrList_concatenate(qx_StrList *target, qx_StrList *source);

/* Splitting and joining. */
QX_API qx_StrList *qx_StrList_fromDelimitedString(const qx_wchar *text,
                                                 const qx_wchar *delimiters);
QX_API qx_wchar *qx_StrList_toDelimitedString(qx_StrList *list, const qx_wchar *separator);
QX_API qx_StrList *qx_StrList_toDelimitedStringList(qx_StrList *list, const qx_wchar *separator,
                                                   int groupSize, int quote);
/* Returns a new list (the given one is destroyed) unless the list has fewer
   than two elements, which is returned as it is. */
QX_API qx_StrList *qx_StrList_removeDuplicates(qx_StrList *list, int ignoreCase);

/* The linked list's own navigation under this family's names. */
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
