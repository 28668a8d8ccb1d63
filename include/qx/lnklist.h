/* qx — the doubly linked list with a cursor that every list of the library is built on.

   A list is a header (count, first, last, current) over a chain of nodes
   (data, next, previous).  The elements are the caller's pointers: the list
   owns only its header and nodes and frees an element only through the
   release callback handed to a delete operation.  The cursor ("current") is
   either one of the list's nodes or null, meaning off the list.

   Results written 1/0 mean done/not done.  A null list is accepted by every
   operation except the sort family and gives 0 or null. */
#ifndef QX_LNKLIST_H
#define QX_LNKLIST_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

typedef struct qx_LnkListNode {
  void *data;                      /* the caller's element; may be null */
  struct qx_LnkListNode *next;     /* following node, null at the end */
  struct qx_LnkListNode *previous; /* preceding node, null at the start */
} qx_LnkListNode;

typedef struct qx_LnkList {
  int32_t count;            /* number of nodes */
  qx_LnkListNode *first;    /* null when empty */
  qx_LnkListNode *last;     /* null when empty */
  qx_LnkListNode *current;  /* the cursor; null when off the list */
} qx_LnkList;

/* A new list holding the given elements, ended by a null pointer (an empty
   list: qx_LnkList_create(NULL, NULL)); the cursor starts on the first
   node.  Null when memory runs out.  Free it with qx_LnkList_destroy. */
QX_API qx_LnkList *qx_LnkList_create(void *data, ...) QX_SENTINEL;
/* Frees every node and the header, handing each element to `release` when
   one is given (null: the elements stay the caller's).  1, or 0 for null. */
QX_API int qx_LnkList_destroy(qx_LnkList *list, qx_ReleaseFn release);
/* As destroy, keeping the empty header. */
QX_API int qx_LnkList_delAll(qx_LnkList *list, qx_ReleaseFn release);

/* Insertion: 1, or 0 when the node cannot be allocated.  insStart/insEnd
   leave the cursor alone; insBefore/insAfter insert next to the cursor
   (front/back when it is off the list); insNth inserts before the index-th
   element, or at the back for an index past the end. */
QX_API int qx_LnkList_insStart(qx_LnkList *list, void *data);
QX_API int qx_LnkList_insEnd(qx_LnkList *list, void *data);
QX_API int qx_LnkList_insBefore(qx_LnkList *list, void *data);
QX_API int qx_LnkList_insAfter(qx_LnkList *list, void *data);
QX_API int qx_LnkList_insNth(qx_LnkList *list, int index, void *data);

/* Deletion of the current (index-th) node, its element handed to `release`
   when one is given: 1, or 0 when there is no such node.  The cursor moves
   to the following node, or the preceding one when the last node went. */
QX_API int qx_LnkList_delCurr(qx_LnkList *list, qx_ReleaseFn release);
QX_API int qx_LnkList_delNth(qx_LnkList *list, int index, qx_ReleaseFn release);

/* Cursor movement: 1 when the cursor is on a node afterwards, 0 when it is
   off the list (a cursor that runs off an end stays off; it never wraps). */
QX_API int qx_LnkList_start(qx_LnkList *list);
QX_API int qx_LnkList_end(qx_LnkList *list);
QX_API int qx_LnkList_skip(qx_LnkList *list, int count); /* negative: backwards */
QX_API int qx_LnkList_next(qx_LnkList *list);
QX_API int qx_LnkList_prev(qx_LnkList *list);
QX_API int qx_LnkList_eol(const qx_LnkList *list);    /* 1 off the list (or null list), else 0 */
QX_API int qx_LnkList_isLast(const qx_LnkList *list); /* 1 on the last node (or both null) */
QX_API int qx_LnkList_length(const qx_LnkList *list); /* the count; 0 for null */
QX_API int qx_LnkList_getPos(qx_LnkList *list);       /* 0-based cursor index; -1 off the list */
/* Puts the cursor on the index-th node (off the list when out of range);
   1, or 0 for a null list. */
QX_API int qx_LnkList_setPos(qx_LnkList *list, int index);

/* Reading and replacing elements; indexes are 0-based and move the cursor. */
QX_API void *qx_LnkList_getCurr(const qx_LnkList *list); /* the element, or null */
/* Replaces the current (index-th) element, handing the old one to `release`
   when given: 1, or 0 when there is no such node. */
QX_API int qx_LnkList_modCurr(qx_LnkList *list, void *data, qx_ReleaseFn release);
/* The index-th element, now current, or null (cursor off the list). */
QX_API void *qx_LnkList_getNth(qx_LnkList *list, int index);
/* As getNth, with the cursor put back where it was (on the first node when
   it was off the list). */
QX_API void *qx_LnkList_getNthSavePos(qx_LnkList *list, int index);
QX_API int qx_LnkList_modNth(qx_LnkList *list, int index, void *data, qx_ReleaseFn release);

/* The first non-null element with compare(element, key) == 0, now current;
   null (cursor off the list) when there is none. */
QX_API void *qx_LnkList_search(qx_LnkList *list, const void *key, qx_CompareFn compare);

/* Sorting exchanges data pointers; the nodes stay where they are.
   qx_LnkList_sort is a selection sort (the earliest of equal elements comes
   first); qx_LnkList_qSort is a quicksort built from findPivot and
   partition (not stable), and leaves the cursor null when it partitioned
   anything. */
QX_API void qx_LnkList_sort(qx_LnkList *list, qx_CompareFn compare);
QX_API void qx_LnkList_qSort(qx_LnkList *list, qx_CompareFn compare);
/* The pivot quicksort would choose: the greater of the first two different
   elements; null when all are equal. */
QX_API void *qx_LnkList_findPivot(qx_LnkList *list, qx_CompareFn compare);
/* Splits the chain into the elements below the pivot (left) and the rest
   (right), cutting it between them; left and right are headers provided by
   the caller and are overwritten. */
QX_API void qx_LnkList_partition(qx_LnkList *list, qx_LnkList *left, qx_LnkList *right,
                                 void *pivot, qx_CompareFn compare);

/* Appends the source's chain to the target and frees the source header
   (the source pointer is then invalid); the third argument is not used.
   The target's cursor goes to its first node.  1, or 0 for a null list or
   a list joined to itself. */
QX_API int qx_LnkList_join(qx_LnkList *target, qx_LnkList *source, void *unused);
/* Moves the node at `from` so that it ends at index `to`; it becomes
   current.  1, or 0 for an index out of range. */
QX_API int qx_LnkList_move(qx_LnkList *list, int from, int to);

QX_EXTERN_C_END

#endif /* QX_LNKLIST_H */
