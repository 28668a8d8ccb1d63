// Point and vector lists: linked lists whose elements are private copies of
// three-double records.  A point list fills its copies with qx_Point_copy
// and a vector list with qx_Vector_copy; otherwise the two are one
// implementation.  The lists run in no trace frame of their own; the
// linked-list and record operations they call run in theirs.
#include <cstdarg>

#include "geometry/geometry_internal.h"
#include "qx/geolist.h"
#include "qx/lnklist.h"
#include "qx/memory.h"

namespace {

using CopyFn = int (*)(qx_Point*, const qx_Point*);
using InsertFn = int (*)(qx_LnkList*, void*);

// Element records go back through the shared node releaser.
int release_record(void* record) {
  qx_PointTravelNode_destroy(static_cast<qx_PointTravelNode*>(record));
  return 1;
}

qx_Point* make_copy(const qx_Point* src, CopyFn copy) {
  if (!src) return nullptr;
  auto* record = static_cast<qx_Point*>(qx_Malloc(sizeof(qx_Point)));
  if (record) copy(record, src);
  return record;
}

// Hands a new copy to a linked-list insertion; a copy the list did not take
// is released again.
int insert_copy(qx_LnkList* list, const qx_Point* src, CopyFn copy, InsertFn insert) {
  if (!list || !src) return 0;
  qx_Point* record = make_copy(src, copy);
  if (!record) return 0;
  if (insert(list, record)) return 1;
  qx_Free(record);
  return 0;
}

qx_LnkList* create_from(const qx_Point* first, va_list args, CopyFn copy) {
  qx_LnkList* list = qx_LnkList_create(nullptr);
  if (!list) return nullptr;
  for (const qx_Point* p = first; p; p = va_arg(args, const qx_Point*))
    insert_copy(list, p, copy, qx_LnkList_insEnd);
  qx_LnkList_start(list);
  return list;
}

qx_LnkList* copy_list(const qx_LnkList* src, CopyFn copy) {
  qx_LnkList* list = qx_LnkList_create(nullptr);
  if (!list || !src) return list;
  for (const qx_LnkListNode* n = src->first; n; n = n->next)
    if (n->data) insert_copy(list, static_cast<const qx_Point*>(n->data), copy, qx_LnkList_insEnd);
  return list;
}

qx_Point* curr_copy(const qx_LnkList* list, qx_Point& buffer, CopyFn copy) {
  const auto* p = static_cast<const qx_Point*>(qx_LnkList_getCurr(list));
  if (!p) return nullptr;
  copy(&buffer, p);
  return &buffer;
}

int mod_curr(qx_LnkList* list, const qx_Point* src, CopyFn copy) {
  if (!list || !src || !list->current) return 0;
  qx_Point* record = make_copy(src, copy);
  if (!record) return 0;
  if (qx_LnkList_modCurr(list, record, release_record)) return 1;
  qx_Free(record);
  return 0;
}

int mod_nth(qx_LnkList* list, int index, const qx_Point* src, CopyFn copy) {
  if (!list || !src) return 0;
  qx_Point* record = make_copy(src, copy);
  if (!record) return 0;
  if (qx_LnkList_modNth(list, index, record, release_record)) return 1;
  qx_Free(record);
  return 0;
}

int ins_nth(qx_LnkList* list, int index, const qx_Point* src, CopyFn copy) {
  if (!list || !src) return 0;
  qx_Point* record = make_copy(src, copy);
  if (!record) return 0;
  if (qx_LnkList_insNth(list, index, record)) return 1;
  qx_Free(record);
  return 0;
}

// The first element is always taken; a later one only when strictly nearer,
// so of equal distances the earliest wins.
int closest(qx_Point* out, const qx_Point* target, const qx_LnkList* list, CopyFn copy) {
  if (!out || !target || !list) return -1;
  int best = -1, index = 0;
  double best_distance = 0.0;
  const qx_Point* best_record = nullptr;
  for (const qx_LnkListNode* n = list->first; n; n = n->next, ++index) {
    const auto* p = static_cast<const qx_Point*>(n->data);
    if (!p) continue;
    double d = 0.0;
    qx_Point_distance(&d, p, target);
    if (best < 0 || d < best_distance) {
      best = index;
      best_distance = d;
      best_record = p;
    }
  }
  if (best_record) copy(out, best_record);
  return best;
}

qx_Point g_point_buffer;
qx_Vector g_vector_buffer;

}  // namespace

extern "C" {

// --- point lists -------------------------------------------------------------

qx_PointList* qx_PointList_create(const qx_Point* point, ...) {
  va_list args;
  va_start(args, point);
  qx_LnkList* list = create_from(point, args, qx_Point_copy);
  va_end(args);
  return list;
}

void qx_PointList_insStart(qx_PointList* list, const qx_Point* point) {
  insert_copy(list, point, qx_Point_copy, qx_LnkList_insStart);
}
void qx_PointList_insEnd(qx_PointList* list, const qx_Point* point) {
  insert_copy(list, point, qx_Point_copy, qx_LnkList_insEnd);
}
void qx_PointList_insBefore(qx_PointList* list, const qx_Point* point) {
  insert_copy(list, point, qx_Point_copy, qx_LnkList_insBefore);
}
void qx_PointList_insAfter(qx_PointList* list, const qx_Point* point) {
  insert_copy(list, point, qx_Point_copy, qx_LnkList_insAfter);
}
int qx_PointList_insNth(qx_PointList* list, int index, const qx_Point* point) {
  return ins_nth(list, index, point, qx_Point_copy);
}

qx_Point* qx_PointList_getNth(qx_PointList* list, int index) {
  return static_cast<qx_Point*>(qx_LnkList_getNth(list, index));
}

qx_Point* qx_PointList_getCurrCopy(const qx_PointList* list) {
  return curr_copy(list, g_point_buffer, qx_Point_copy);
}

int qx_PointList_modCurr(qx_PointList* list, const qx_Point* point) {
  return mod_curr(list, point, qx_Point_copy);
}
int qx_PointList_modNth(qx_PointList* list, int index, const qx_Point* point) {
  return mod_nth(list, index, point, qx_Point_copy);
}

int qx_PointList_delCurr(qx_PointList* list) { return qx_LnkList_delCurr(list, release_record); }
int qx_PointList_delNth(qx_PointList* list, int index) {
  return qx_LnkList_delNth(list, index, release_record);
}
int qx_PointList_delAll(qx_PointList* list) { return qx_LnkList_delAll(list, release_record); }
int qx_PointList_destroy(qx_PointList* list) { return qx_LnkList_destroy(list, release_record); }

qx_PointList* qx_PointList_copy(const qx_PointList* list) {
  return copy_list(list, qx_Point_copy);
}

int qx_PointList_search(const qx_PointList* list, const qx_Point* point, double tol) {
  if (!list || !point) return -1;
  // Every element is compared: the last match wins.
  int found = -1, index = 0;
  for (const qx_LnkListNode* n = list->first; n; n = n->next, ++index)
    if (n->data && qx_Point_equalWithinTol(static_cast<const qx_Point*>(n->data), point, tol))
      found = index;
  return found;
}

int qx_PointList_getClosestPoint(qx_Point* out, const qx_Point* point, const qx_PointList* list) {
  return closest(out, point, list, qx_Point_copy);
}

int qx_PointList_start(qx_PointList* list) { return qx_LnkList_start(list); }
int qx_PointList_end(qx_PointList* list) { return qx_LnkList_end(list); }
int qx_PointList_next(qx_PointList* list) { return qx_LnkList_next(list); }
int qx_PointList_prev(qx_PointList* list) { return qx_LnkList_prev(list); }
int qx_PointList_skip(qx_PointList* list, int count) { return qx_LnkList_skip(list, count); }
int qx_PointList_eol(const qx_PointList* list) { return qx_LnkList_eol(list); }
int qx_PointList_length(const qx_PointList* list) { return qx_LnkList_length(list); }
qx_Point* qx_PointList_getCurr(const qx_PointList* list) {
  return static_cast<qx_Point*>(qx_LnkList_getCurr(list));
}

// --- vector lists ------------------------------------------------------------

qx_VectorList* qx_VectorList_create(const qx_Vector* vector, ...) {
  va_list args;
  va_start(args, vector);
  qx_LnkList* list = create_from(vector, args, qx_Vector_copy);
  va_end(args);
  return list;
}

void qx_VectorList_insStart(qx_VectorList* list, const qx_Vector* vector) {
  insert_copy(list, vector, qx_Vector_copy, qx_LnkList_insStart);
}
void qx_VectorList_insEnd(qx_VectorList* list, const qx_Vector* vector) {
  insert_copy(list, vector, qx_Vector_copy, qx_LnkList_insEnd);
}
void qx_VectorList_insBefore(qx_VectorList* list, const qx_Vector* vector) {
  insert_copy(list, vector, qx_Vector_copy, qx_LnkList_insBefore);
}
void qx_VectorList_insAfter(qx_VectorList* list, const qx_Vector* vector) {
  insert_copy(list, vector, qx_Vector_copy, qx_LnkList_insAfter);
}
int qx_VectorList_insNth(qx_VectorList* list, int index, const qx_Vector* vector) {
  return ins_nth(list, index, vector, qx_Vector_copy);
}

qx_Vector* qx_VectorList_getNth(qx_VectorList* list, int index) {
  return qx_PointList_getNth(list, index);
}

qx_Vector* qx_VectorList_getCurrCopy(const qx_VectorList* list) {
  return curr_copy(list, g_vector_buffer, qx_Vector_copy);
}

int qx_VectorList_modCurr(qx_VectorList* list, const qx_Vector* vector) {
  return mod_curr(list, vector, qx_Vector_copy);
}
int qx_VectorList_modNth(qx_VectorList* list, int index, const qx_Vector* vector) {
  return mod_nth(list, index, vector, qx_Vector_copy);
}

int qx_VectorList_delCurr(qx_VectorList* list) { return qx_PointList_delCurr(list); }
int qx_VectorList_delNth(qx_VectorList* list, int index) { return qx_PointList_delNth(list, index); }
int qx_VectorList_delAll(qx_VectorList* list) { return qx_PointList_delAll(list); }
int qx_VectorList_destroy(qx_VectorList* list) { return qx_PointList_destroy(list); }

qx_VectorList* qx_VectorList_copy(const qx_VectorList* list) {
  return copy_list(list, qx_Vector_copy);
}

int qx_VectorList_getClosestVector(qx_Vector* out, const qx_Vector* vector,
                                   const qx_VectorList* list) {
  return closest(out, vector, list, qx_Vector_copy);
}

int qx_VectorList_start(qx_VectorList* list) { return qx_LnkList_start(list); }
int qx_VectorList_end(qx_VectorList* list) { return qx_LnkList_end(list); }
int qx_VectorList_next(qx_VectorList* list) { return qx_LnkList_next(list); }
int qx_VectorList_prev(qx_VectorList* list) { return qx_LnkList_prev(list); }
int qx_VectorList_skip(qx_VectorList* list, int count) { return qx_LnkList_skip(list, count); }
int qx_VectorList_eol(const qx_VectorList* list) { return qx_LnkList_eol(list); }
int qx_VectorList_length(const qx_VectorList* list) { return qx_LnkList_length(list); }
qx_Vector* qx_VectorList_getCurr(const qx_VectorList* list) {
  return static_cast<qx_Vector*>(qx_LnkList_getCurr(list));
}

}  // extern "C"
