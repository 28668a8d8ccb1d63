/* qx — integer lists, stacks and queues.

   All three are linked lists (qx/lnklist.h).  An integer list's element data
   are qx_IntListNode records that the list owns; a stack or queue holds the
   caller's pointers and frees them only through a release callback given to
   destroy.  A stack pushes at the front, a queue at the back; both pop from
   the front. */
#ifndef QX_CONTAINERS_H
#define QX_CONTAINERS_H

#include "qx/lnklist.h"

QX_EXTERN_C_BEGIN

typedef struct qx_LnkList qx_IntList;
typedef struct qx_LnkList qx_Stack;
typedef struct qx_LnkList qx_Queue;

typedef struct qx_IntListNode {
  int32_t value;
} qx_IntListNode;

/* A new list of copies of the integers whose addresses (const int32_t *)
   are given, ended by a null pointer; the cursor starts on the first.  Free
   it with qx_IntList_destroy; null when memory runs out. */
QX_API qx_IntList *qx_IntList_create(const int32_t *value, ...) QX_SENTINEL;
QX_API void qx_IntList_insEnd(qx_IntList *list, int32_t value); /* nothing for a null list */
QX_API int32_t *qx_IntList_getCurr(const qx_IntList *list); /* the list's own value, or null */
QX_API qx_IntList *qx_IntList_copy(qx_IntList *list); /* new list; null list gives an empty one */
QX_API void qx_IntList_destroy(qx_IntList *list); /* frees the values, nodes and header */
QX_API qx_IntListNode *qx_IntListNode_create(int32_t value); /* from qx_Malloc, or null */
/* Releases any non-null block with qx_Free; several families use it as
   their node releaser. */
QX_API void qx_IntListNode_destroy(void *node);

/* The linked list's own navigation under this family's names (qx/lnklist.h). */
QX_API int qx_IntList_start(qx_IntList *list);
QX_API int qx_IntList_next(qx_IntList *list);
QX_API int qx_IntList_eol(const qx_IntList *list);
QX_API int qx_IntList_length(const qx_IntList *list);

/* New empty containers (null when memory runs out); push answers 1, or 0
   for a null container or no memory, and leaves the cursor on the front.
   pop removes the front element and returns it (null when empty: an element
   that is itself null cannot be told from that).  empty is 1 for an empty
   or null container.  destroy hands each element still held to `release`
   when given and answers 1, or 0 for null. */
QX_API qx_Stack *qx_Stack_create(void);
QX_API int qx_Stack_push(qx_Stack *stack, void *data);
QX_API void *qx_Stack_pop(qx_Stack *stack);
QX_API int qx_Stack_empty(const qx_Stack *stack);
QX_API int qx_Stack_destroy(qx_Stack *stack, qx_ReleaseFn release);

/* The same for a queue, which pushes at the back and pops from the front
   (first in, first out); length is its number of elements (0 for null). */
QX_API qx_Queue *qx_Queue_create(void);
QX_API int qx_Queue_push(qx_Queue *queue, void *data);
QX_API void *qx_Queue_pop(qx_Queue *queue);
QX_API int qx_Queue_empty(const qx_Queue *queue);
QX_API int qx_Queue_length(const qx_Queue *queue);
QX_API int qx_Queue_destroy(qx_Queue *queue, qx_ReleaseFn release);

QX_EXTERN_C_END

#endif /* QX_CONTAINERS_H */
