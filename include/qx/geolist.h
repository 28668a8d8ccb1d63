/* qx — point, vector and travel-point lists.
 *
 * All three are linked lists (qx/lnklist.h) with the cursor rules of the
 * linked list.  A point or vector list holds private copies of the records
 * handed in and releases them itself; a travel list holds travel nodes that
 * the caller makes with qx_PointTravelNode_create and hands over on
 * insertion.  Vector lists are point lists with vector records, except that
 * they have no search.
 *
 * Beside the lists, a process-wide registry of 50 slots gives out numbers
 * (0, 1, 2, ...) for 32-bit values; the 51st value overwrites the oldest.
 */
#ifndef QX_GEOLIST_H
#define QX_GEOLIST_H

#include "qx/lnklist.h"
#include "qx/point.h"
#include "qx/types.h"

QX_EXTERN_C_BEGIN

typedef struct qx_LnkList qx_PointList;
typedef struct qx_LnkList qx_VectorList;
typedef struct qx_LnkList qx_PointTravelList;

#define QX_TRAVEL_LABEL_LEN 513

typedef struct qx_PointTravelNode {
  qx_Point point;
  qx_wchar label[QX_TRAVEL_LABEL_LEN + 1]; /* cut to 513 characters */
  int32_t value;
} qx_PointTravelNode;

/* --- point lists -------------------------------------------------------- */

/* Copies of the given points (const qx_Point *), ended by a null pointer;
   cursor on the first.  New list: free with qx_PointList_destroy. */
QX_API qx_PointList *qx_PointList_create(const qx_Point *point, ...) QX_SENTINEL;
/* Each inserts a copy where the linked-list operation of the same name
   would; nothing happens for a null list or point. */
QX_API void qx_PointList_insStart(qx_PointList *list, const qx_Point *point);
QX_API void qx_PointList_insEnd(qx_PointList *list, const qx_Point *point);
QX_API void qx_PointList_insBefore(qx_PointList *list, const qx_Point *point);
QX_API void qx_PointList_insAfter(qx_PointList *list, const qx_Point *point);
QX_API int qx_PointList_insNth(qx_PointList *list, int index, const qx_Point *point);
/* The list's own record (not a copy), or null; the cursor moves there. */
QX_API qx_Point *qx_PointList_getNth(qx_PointList *list, int index);
/* The current point copied into a library buffer that the next call
   overwrites, or null. */
QX_API qx_Point *qx_PointList_getCurrCopy(const qx_PointList *list);
/* insNth, modCurr and modNth copy the point in: 1, or 0 for a null
   argument, no such node or no memory.  The del functions free the removed
   records: 1, or 0 when there is nothing to remove.  destroy frees the
   records, the nodes and the list. */
QX_API int qx_PointList_modCurr(qx_PointList *list, const qx_Point *point);
QX_API int qx_PointList_modNth(qx_PointList *list, int index, const qx_Point *point);
QX_API int qx_PointList_delCurr(qx_PointList *list);
QX_API int qx_PointList_delNth(qx_PointList *list, int index);
QX_API int qx_PointList_delAll(qx_PointList *list);
QX_API int qx_PointList_destroy(qx_PointList *list);
/* A new list of copies; a null list gives a new empty one. */
QX_API qx_PointList *qx_PointList_copy(const qx_PointList *list);
/* Index of the LAST element equal to the point within tol, or -1.  The
   cursor does not move. */
QX_API int qx_PointList_search(const qx_PointList *list, const qx_Point *point, double tol);
/* Index of the nearest element (the earliest of equals), copied into out;
   -1 for a null argument or an empty list.  The cursor does not move. */
QX_API int qx_PointList_getClosestPoint(qx_Point *out, const qx_Point *point,
                                        const qx_PointList *list);

/* The linked list's own navigation under this family's names (qx/lnklist.h). */
QX_API int qx_PointList_start(qx_PointList *list);
QX_API int qx_PointList_end(qx_PointList *list);
QX_API int qx_PointList_next(qx_PointList *list);
QX_API int qx_PointList_prev(qx_PointList *list);
QX_API int qx_PointList_skip(qx_PointList *list, int count);
QX_API int qx_PointList_eol(const qx_PointList *list);
QX_API int qx_PointList_length(const qx_PointList *list);
/* The list's own record under the cursor, or null. */
QX_API qx_Point *qx_PointList_getCurr(const qx_PointList *list);

/* --- vector lists ------------------------------------------------------- */

/* Copies of the given vectors (const qx_Vector *), ended by a null pointer;
   cursor on the first.  New list: free with qx_VectorList_destroy.  Every
   operation below behaves as the point list's operation of the same name;
   getCurrCopy has a library buffer of its own, overwritten by its next call. */
QX_API qx_VectorList *qx_VectorList_create(const qx_Vector *vector, ...) QX_SENTINEL;
QX_API void qx_VectorList_insStart(qx_VectorList *list, const qx_Vector *vector);
QX_API void qx_VectorList_insEnd(qx_VectorList *list, const qx_Vector *vector);
QX_API void qx_VectorList_insBefore(qx_VectorList *list, const qx_Vector *vector);
QX_API void qx_VectorList_insAfter(qx_VectorList *list, const qx_Vector *vector);
QX_API int qx_VectorList_insNth(qx_VectorList *list, int index, const qx_Vector *vector);
QX_API qx_Vector *qx_VectorList_getNth(qx_VectorList *list, int index);
QX_API qx_Vector *qx_VectorList_getCurrCopy(const qx_VectorList *list);
QX_API int qx_VectorList_modCurr(qx_VectorList *list, const qx_Vector *vector);
QX_API int qx_VectorList_modNth(qx_VectorList *list, int index, const qx_Vector *vector);
QX_API int qx_VectorList_delCurr(qx_VectorList *list);
QX_API int qx_VectorList_delNth(qx_VectorList *list, int index);
QX_API int qx_VectorList_delAll(qx_VectorList *list);
QX_API int qx_VectorList_destroy(qx_VectorList *list);
QX_API qx_VectorList *qx_VectorList_copy(const qx_VectorList *list);
/* Nearest by the distance between the vectors' tips. */
QX_API int qx_VectorList_getClosestVector(qx_Vector *out, const qx_Vector *vector,
                                          const qx_VectorList *list);

/* The linked list's own navigation under this family's names (qx/lnklist.h). */
QX_API int qx_VectorList_start(qx_VectorList *list);
QX_API int qx_VectorList_end(qx_VectorList *list);
QX_API int qx_VectorList_next(qx_VectorList *list);
QX_API int qx_VectorList_prev(qx_VectorList *list);
QX_API int qx_VectorList_skip(qx_VectorList *list, int count);
QX_API int qx_VectorList_eol(const qx_VectorList *list);
QX_API int qx_VectorList_length(const qx_VectorList *list);
QX_API qx_Vector *qx_VectorList_getCurr(const qx_VectorList *list);

/* --- travel lists and the registry -------------------------------------- */

/* A new empty list; free it with qx_PointTravelList_destroy. */
QX_API qx_PointTravelList *qx_PointTravelList_create(void);
/* A new node holding a copy of the point and the label; null for a null
   point or when memory runs out.  `unused` is not read. */
QX_API qx_PointTravelNode *qx_PointTravelNode_create(const qx_Point *point, const qx_wchar *label,
                                                     const void *unused, int32_t value);
QX_API void qx_PointTravelNode_destroy(qx_PointTravelNode *node); /* only for a node in no list */
/* The list takes over the node: 1, or 0 (the node is still the caller's). */
QX_API int qx_PointTravelList_insEnd(qx_PointTravelList *list, qx_PointTravelNode *node);
QX_API qx_PointTravelNode *qx_PointTravelList_getCurr(const qx_PointTravelList *list); /* the list's node, or null */
/* Releases every node and the list: 1, or 0 for null. */
QX_API int qx_PointTravelList_destroy(qx_PointTravelList *list);

/* The linked list's own navigation under this family's names. */
QX_API int qx_PointTravelList_start(qx_PointTravelList *list);
QX_API int qx_PointTravelList_end(qx_PointTravelList *list);
QX_API int qx_PointTravelList_next(qx_PointTravelList *list);
QX_API int qx_PointTravelList_prev(qx_PointTravelList *list);
QX_API int qx_PointTravelList_eol(const qx_PointTravelList *list);

/* Registers the value and returns its number; numbers count from 0. */
QX_API int32_t qx_PointTravelList_add(int32_t value);
/* The value registered under the number, or 0. */
QX_API int32_t qx_PointTravelList_get(int32_t number);

QX_EXTERN_C_END

#endif /* QX_GEOLIST_H */
