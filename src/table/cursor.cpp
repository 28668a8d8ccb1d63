// Cursors: lists of labelled table field lists, the records of a whole-table
// read or a query.
#include <string>

#include "core/owned_text.h"
#include "port/wstr.h"
#include "qx/dbfldlist.h"
#include "qx/memory.h"

namespace {

// The label a name reader gave last, kept as a copy: the element it came
// from may be destroyed before the reader falls back on it.
struct LastLabel {
  std::u16string text;
  bool any = false;
  const qx_wchar* remember(const qx_wchar* label) {
    any = label != nullptr;
    if (any) text = label;
    return label;
  }
  const qx_wchar* fallback() const { return any ? text.c_str() : nullptr; }
};

LastLabel last_curr_label, last_nth_label;

int release_element(void* data) {
  return qx_DbCursorNode_destroy(static_cast<qx_DbCursorNode*>(data));
}

qx_DbCursorNode* element(qx_DbCursor* cursor) {
  return static_cast<qx_DbCursorNode*>(qx_LnkList_getCurr(cursor));
}

}  // namespace

extern "C" {

qx_DbCursor* qx_DbCursor_create(void) { return qx_LnkList_create(nullptr); }

qx_DbCursorNode* qx_DbCursorNode_create(const qx_wchar* label, qx_DbFldList* list) {
  auto* node = static_cast<qx_DbCursorNode*>(qx_Malloc(sizeof(qx_DbCursorNode)));
  if (!node) return nullptr;
  node->fldList = list;
  node->label = qx::wdup(label);
  if (label && !node->label) {
    qx_Free(node);
    return nullptr;
  }
  return node;
}

int qx_DbCursorNode_destroy(qx_DbCursorNode* node) {
  if (!node) return 1;
  qx_Free(node->label);
  qx_DbFldList_destroy(node->fldList);
  qx_Free(node);
  return 1;
}

int qx_DbCursor_insStart(qx_DbCursor* cursor, const qx_wchar* label, qx_DbFldList* list) {
  if (!cursor) return 0;
  qx_DbCursorNode* node = qx_DbCursorNode_create(label, list);
  if (!node) return 0;
  int done = qx_LnkList_insStart(cursor, node);
  if (!done) qx_Free(node->label), qx_Free(node);  // the list stays the caller's
  return done;
}

int qx_DbCursor_insEnd(qx_DbCursor* cursor, const qx_wchar* label, qx_DbFldList* list) {
  if (!cursor) return 0;
  qx_DbCursorNode* node = qx_DbCursorNode_create(label, list);
  if (!node) return 0;
  int done = qx_LnkList_insEnd(cursor, node);
  if (!done) qx_Free(node->label), qx_Free(node);
  return done;
}

int qx_DbCursor_modCurr(qx_DbCursor* cursor, const qx_wchar* label, qx_DbFldList* list) {
  if (!cursor) return 0;
  qx_DbCursorNode* node = qx_DbCursorNode_create(label, list);
  if (!node) return 0;
  int done = qx_LnkList_modCurr(cursor, node, release_element);
  if (!done) qx_Free(node->label), qx_Free(node);
  return done;
}

const qx_wchar* qx_DbCursor_getCurrTblName(qx_DbCursor* cursor) {
  qx_DbCursorNode* node = element(cursor);
  return node ? last_curr_label.remember(node->label) : last_curr_label.fallback();
}

qx_DbFldList* qx_DbCursor_getCurrFldList(qx_DbCursor* cursor) {
  qx_DbCursorNode* node = element(cursor);
  return node ? node->fldList : nullptr;
}

qx_DbCursorNode* qx_DbCursor_getNth(qx_DbCursor* cursor, int n) {
  return static_cast<qx_DbCursorNode*>(qx_LnkList_getNth(cursor, n));
}

const qx_wchar* qx_DbCursor_getNthTblName(qx_DbCursor* cursor, int n) {
  qx_DbCursorNode* node = qx_DbCursor_getNth(cursor, n);
  return node ? last_nth_label.remember(node->label) : last_nth_label.fallback();
}

qx_DbFldList* qx_DbCursor_getNthFldList(qx_DbCursor* cursor, int n) {
  qx_DbCursorNode* node = qx_DbCursor_getNth(cursor, n);
  return node ? node->fldList : nullptr;
}

int qx_DbCursor_delCurr(qx_DbCursor* cursor) {
  return cursor ? qx_LnkList_delCurr(cursor, release_element) : 0;
}

int qx_DbCursor_delNth(qx_DbCursor* cursor, int n) {
  return cursor ? qx_LnkList_delNth(cursor, n, release_element) : 0;
}

int qx_DbCursor_join(qx_DbCursor* a, qx_DbCursor* b) { return qx_LnkList_join(a, b, nullptr); }

qx_DbCursor* qx_DbCursor_copy(qx_DbCursor* cursor) {
  if (!cursor) return nullptr;
  qx_DbCursor* copy = nullptr;
  for (qx_LnkListNode* at = cursor->first; at; at = at->next) {
    auto* node = static_cast<const qx_DbCursorNode*>(at->data);
    if (!node || !node->label || !node->fldList) continue;
    if (!copy && !(copy = qx_DbCursor_create())) return nullptr;
    qx_DbFldList* list = qx_DbFldList_copy(node->fldList);
    if (!list || !qx_DbCursor_insEnd(copy, node->label, list)) {
      qx_DbFldList_destroy(list);
      qx_DbCursor_destroy(copy);
      return nullptr;
    }
  }
  return copy;
}

int qx_DbCursor_destroy(qx_DbCursor* cursor) {
  return cursor ? qx_LnkList_destroy(cursor, release_element) : 0;
}

int qx_DbCursor_start(qx_DbCursor* cursor) { return qx_LnkList_start(cursor); }
int qx_DbCursor_next(qx_DbCursor* cursor) { return qx_LnkList_next(cursor); }
int qx_DbCursor_prev(qx_DbCursor* cursor) { return qx_LnkList_prev(cursor); }
int qx_DbCursor_skip(qx_DbCursor* cursor, int count) { return qx_LnkList_skip(cursor, count); }
int qx_DbCursor_eol(qx_DbCursor* cursor) { return qx_LnkList_eol(cursor); }
int qx_DbCursor_end(qx_DbCursor* cursor) { return qx_LnkList_end(cursor); }
int qx_DbCursor_length(qx_DbCursor* cursor) { return qx_LnkList_length(cursor); }
qx_DbCursorNode* qx_DbCursor_getCurr(qx_DbCursor* cursor) { return element(cursor); }

}  // extern "C"
