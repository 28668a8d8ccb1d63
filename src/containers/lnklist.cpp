// The doubly linked list with one cursor that every list of the library is
// built on.  Elements are the caller's pointers; the list owns its header and
// nodes only.  Every operation runs in the linked-list trace frame except
// next/prev/getNthSavePos, which only call framed operations, and move.
#include "qx/lnklist.h"

#include <algorithm>
#include <cstdarg>
#include <utility>
#include <vector>

#include "core/trace.h"
#include "qx/diag.h"
#include "qx/memory.h"

namespace {

const qx::TraceFamily kLnkList{QX_DIAG_LNKLIST, "Exiting", __FILE__};

using Node = qx_LnkListNode;

Node* new_node(void* data) {
  auto* node = static_cast<Node*>(qx_Malloc(sizeof(Node)));
  if (node) {
    node->data = data;
    node->next = nullptr;
    node->previous = nullptr;
  }
  return node;
}

void release_data(void* data, qx_ReleaseFn release) {
  if (data && release) release(data);
}

void link_front(qx_LnkList* list, Node* node) {
  node->previous = nullptr;
  node->next = list->first;
  if (list->first)
    list->first->previous = node;
  else
    list->last = node;
  list->first = node;
  ++list->count;
}

void link_back(qx_LnkList* list, Node* node) {
  node->next = nullptr;
  node->previous = list->last;
  if (list->last)
    list->last->next = node;
  else
    list->first = node;
  list->last = node;
  ++list->count;
}

void link_before(qx_LnkList* list, Node* at, Node* node) {
  if (at == list->first) return link_front(list, node);
  node->next = at;
  node->previous = at->previous;
  at->previous->next = node;
  at->previous = node;
  ++list->count;
}

void link_after(qx_LnkList* list, Node* at, Node* node) {
  if (at == list->last) return link_back(list, node);
  node->previous = at;
  node->next = at->next;
  at->next->previous = node;
  at->next = node;
  ++list->count;
}

// Takes the node out of the chain; the cursor is the caller's business.
void unlink(qx_LnkList* list, Node* node) {
  if (node->previous)
    node->previous->next = node->next;
  else
    list->first = node->next;
  if (node->next)
    node->next->previous = node->previous;
  else
    list->last = node->previous;
  node->next = node->previous = nullptr;
  --list->count;
}

Node* node_at(const qx_LnkList* list, int index) {
  Node* node = list->first;
  for (int i = 0; i < index && node; ++i) node = node->next;
  return node;
}

// Inserts next to the cursor; a cursor off the list is first put on the
// first (before) or last (after) node.  An empty list gets the node as its
// only one, and the cursor on it.
int insert_at_cursor(qx_LnkList* list, void* data, bool before) {
  Node* node = new_node(data);
  if (!node) return 0;
  if (!list->current) list->current = before ? list->first : list->last;
  if (!list->current) {
    link_back(list, node);
    list->current = node;
  } else if (before) {
    link_before(list, list->current, node);
  } else {
    link_after(list, list->current, node);
  }
  return 1;
}

// ---------------------------------------------------------------------------
// Quicksort.  The partitioning follows the library's documented steps, which
// decide where elements that compare equal end up; the recursion is replaced
// by an explicit stack of pending ranges, so no input makes it run out of
// call stack.  A range is a run of the chain, first to last inclusive.

struct Range {
  Node* first;
  Node* last;
  int depth;         // partition steps above this range
  bool may_settle;   // no earlier attempt found equal elements in it
  bool exit_marker;  // closes the trace frame of a sub-sort when popped
};

// Pivot of a range: the larger of its first element and the first element
// after it that compares unequal (null elements skipped); null when the
// range starts with null data or all elements are equal.
void* find_pivot(Node* first, Node* last, qx_CompareFn compare) {
  void* head = first ? first->data : nullptr;
  if (!head) return nullptr;
  for (Node* node = first; node != last;) {
    node = node->next;
    if (!node->data) continue;
    int order = compare(node->data, head);
    if (order < 0) return head;
    if (order > 0) return node->data;
  }
  return nullptr;
}

// Moves the elements that compare below the pivot to the front of the range,
// walking it once and exchanging data with the end of the growing left part.
// Returns the last node of the left part (null when it is empty); the right
// part starts at its next node.
Node* partition_range(Node* first, Node* last, void* pivot, qx_CompareFn compare) {
  Node* left_last = nullptr;
  Node* right_first = first;
  for (Node* node = first;; node = node->next) {
    if (compare(node->data, pivot) < 0) {
      left_last = left_last ? left_last->next : right_first;
      right_first = right_first->next;
      if (left_last != node) std::swap(left_last->data, node->data);
    }
    if (node == last) break;
  }
  return left_last;
}

// A range whose elements never decrease is left as it is by the partitioning
// (each step peels off the run equal to its head without exchanging
// anything), and a strictly decreasing one ends reversed.  Recognising both
// keeps sorted and reverse-sorted lists linear instead of quadratic.
bool non_decreasing(Node* first, Node* last, qx_CompareFn compare) {
  for (Node* node = first; node != last; node = node->next) {
    // Null data reaches the callback only where the partitioning itself
    // would hand it over.
    if (!node->data || !node->next->data) return false;
    if (compare(node->data, node->next->data) > 0) return false;
  }
  return true;
}

bool strictly_decreasing(Node* first, Node* last, qx_CompareFn compare) {
  for (Node* node = first; node != last; node = node->next) {
    if (!node->data || !node->next->data) return false;
    if (compare(node->data, node->next->data) <= 0) return false;
  }
  return true;
}

void reverse_data(Node* first, Node* last) {
  while (first != last) {
    std::swap(first->data, last->data);
    if (first->next == last) break;
    first = first->next;
    last = last->previous;
  }
}

// When no two elements of a range compare equal there is only one sorted
// order, whatever sort produces it, so a merge sort may finish the range.
// Returns false (and changes nothing) when the range holds null data or
// equal elements, whose places only the partitioning decides.
bool settle_distinct(Node* first, Node* last, qx_CompareFn compare) {
  std::vector<void*> items;
  for (Node* node = first;; node = node->next) {
    if (!node->data) return false;
    items.push_back(node->data);
    if (node == last) break;
  }
  std::stable_sort(items.begin(), items.end(),
                   [compare](void* a, void* b) { return compare(a, b) < 0; });
  for (size_t i = 1; i < items.size(); ++i)
    if (compare(items[i - 1], items[i]) >= 0) return false;
  size_t i = 0;
  for (Node* node = first;; node = node->next) {
    node->data = items[i++];
    if (node == last) break;
  }
  return true;
}

// The sort proper: pending ranges on a stack of their own, left part first,
// as the recursive form visits them.
class Quicksort {
 public:
  Quicksort(qx_CompareFn compare, int count)
      : compare_(compare), tracing_(qx::trace_enabled(kLnkList)) {
    // Ranges nested deeper than a balanced sort would go are tried once as
    // all-distinct: inputs that peel off a few elements per step (a sorted
    // list with a few more appended, say) then stop being quadratic.
    int log2 = 0;
    while ((1 << log2) < count && log2 < 30) ++log2;
    settle_depth_ = 2 * log2 + 16;
  }

  void run(Node* first, Node* last, void* pivot) {
    Range range{first, last, 0, true, false};
    for (;;) {
      if (pivot) split(range, pivot);
      if (!next_range(range)) return;
      pivot = choose_pivot(range);
    }
  }

 private:
  void split(const Range& range, void* pivot) {
    Node* left_last;
    {
      qx::TraceFrame frame(kLnkList, u"qx_LnkList_partition", __LINE__);
      left_last = partition_range(range.first, range.last, pivot, compare_);
      frame.leave(__LINE__);
    }
    // With a consistent comparison both parts are non-empty: the smaller of
    // the two elements that chose the pivot goes left, the pivot itself
    // right.  A comparison that contradicts itself could leave one empty;
    // such a range is left as it is rather than split forever.
    if (!left_last || left_last == range.last) return;
    const int depth = range.depth + 1;
    pending_.push_back({left_last->next, range.last, depth, range.may_settle, false});
    pending_.push_back({range.first, left_last, depth, range.may_settle, false});
  }

  // Pops the next range; exit markers close the frames of finished ranges.
  bool next_range(Range& range) {
    while (!pending_.empty()) {
      range = pending_.back();
      pending_.pop_back();
      if (!range.exit_marker) return true;
      qx::trace_event(kLnkList, "Exiting", u"qx_LnkList_qSort", __LINE__);
    }
    return false;
  }

  // Pivot of a pending range, or null when it needs no partitioning.  With
  // tracing on, every range opens the frame a recursive sort would and the
  // shortcuts (which would skip frames) stay off.
  void* choose_pivot(Range& range) {
    if (tracing_) {
      qx::trace_event(kLnkList, "Entering", u"qx_LnkList_qSort", __LINE__);
      pending_.push_back({nullptr, nullptr, 0, false, true});
      qx::TraceFrame frame(kLnkList, u"qx_LnkList_findPivot", __LINE__);
      return frame.leave(find_pivot(range.first, range.last, compare_), __LINE__);
    }
    if (non_decreasing(range.first, range.last, compare_)) return nullptr;
    if (strictly_decreasing(range.first, range.last, compare_)) {
      reverse_data(range.first, range.last);
      return nullptr;
    }
    if (range.may_settle && range.depth >= settle_depth_) {
      if (settle_distinct(range.first, range.last, compare_)) return nullptr;
      range.may_settle = false;  // its parts inherit the failed attempt
    }
    return find_pivot(range.first, range.last, compare_);
  }

  qx_CompareFn compare_;
  bool tracing_;
  int settle_depth_;
  std::vector<Range> pending_;
};

void quicksort(qx_LnkList* list, qx_CompareFn compare) {
  void* pivot;
  {
    qx::TraceFrame frame(kLnkList, u"qx_LnkList_findPivot", __LINE__);
    pivot = frame.leave(find_pivot(list->first, list->last, compare), __LINE__);
  }
  if (!pivot) return;
  list->current = nullptr;
  Quicksort(compare, list->count).run(list->first, list->last, pivot);
}

}  // namespace

extern "C" {

qx_LnkList* qx_LnkList_create(void* data, ...) {
  QX_TRACE(kLnkList, u"qx_LnkList_create");
  auto* list = static_cast<qx_LnkList*>(qx_Malloc(sizeof(qx_LnkList)));
  if (!list) QX_RETURN(list);
  list->count = 0;
  list->first = list->last = list->current = nullptr;
  va_list ap;
  va_start(ap, data);
  for (void* item = data; item; item = va_arg(ap, void*)) {
    // An element whose node cannot be allocated is left out.
    if (Node* node = new_node(item)) link_back(list, node);
  }
  va_end(ap);
  list->current = list->first;
  QX_RETURN(list);
}

int qx_LnkList_insStart(qx_LnkList* list, void* data) {
  QX_TRACE(kLnkList, u"qx_LnkList_insStart");
  if (!list) QX_RETURN(0);
  Node* node = new_node(data);
  if (!node) QX_RETURN(0);
  link_front(list, node);
  QX_RETURN(1);
}

int qx_LnkList_insEnd(qx_LnkList* list, void* data) {
  QX_TRACE(kLnkList, u"qx_LnkList_insEnd");
  if (!list) QX_RETURN(0);
  Node* node = new_node(data);
  if (!node) QX_RETURN(0);
  link_back(list, node);
  QX_RETURN(1);
}

int qx_LnkList_insBefore(qx_LnkList* list, void* data) {
  QX_TRACE(kLnkList, u"qx_LnkList_insBefore");
  if (!list) QX_RETURN(0);
  QX_RETURN(insert_at_cursor(list, data, true));
}

int qx_LnkList_insAfter(qx_LnkList* list, void* data) {
  QX_TRACE(kLnkList, u"qx_LnkList_insAfter");
  if (!list) QX_RETURN(0);
  QX_RETURN(insert_at_cursor(list, data, false));
}

int qx_LnkList_insNth(qx_LnkList* list, int index, void* data) {
  QX_TRACE(kLnkList, u"qx_LnkList_insNth");
  if (!list) QX_RETURN(0);
  // An index past the end (or on a null element) inserts behind the cursor
  // where getNth left it, which past the end means at the back.
  if (qx_LnkList_getNth(list, index)) QX_RETURN(qx_LnkList_insBefore(list, data));
  QX_RETURN(qx_LnkList_insAfter(list, data));
}

int qx_LnkList_delCurr(qx_LnkList* list, qx_ReleaseFn release) {
  QX_TRACE(kLnkList, u"qx_LnkList_delCurr");
  if (!list || !list->current) QX_RETURN(0);
  Node* node = list->current;
  Node* after = node->next ? node->next : node->previous;
  unlink(list, node);
  release_data(node->data, release);
  qx_Free(node);
  list->current = after;
  QX_RETURN(1);
}

int qx_LnkList_delNth(qx_LnkList* list, int index, qx_ReleaseFn release) {
  QX_TRACE(kLnkList, u"qx_LnkList_delNth");
  if (!list || !qx_LnkList_getNth(list, index)) QX_RETURN(0);
  QX_RETURN(qx_LnkList_delCurr(list, release));
}

int qx_LnkList_delAll(qx_LnkList* list, qx_ReleaseFn release) {
  QX_TRACE(kLnkList, u"qx_LnkList_delAll");
  if (!list) QX_RETURN(0);
  Node* node = list->first;
  while (node) {
    Node* next = node->next;
    release_data(node->data, release);
    qx_Free(node);
    node = next;
  }
  list->count = 0;
  list->first = list->last = list->current = nullptr;
  QX_RETURN(1);
}

int qx_LnkList_destroy(qx_LnkList* list, qx_ReleaseFn release) {
  QX_TRACE(kLnkList, u"qx_LnkList_destroy");
  if (!list) QX_RETURN(0);
  qx_LnkList_delAll(list, release);
  qx_Free(list);
  QX_RETURN(1);
}

int qx_LnkList_start(qx_LnkList* list) {
  QX_TRACE(kLnkList, u"qx_LnkList_start");
  if (!list) QX_RETURN(0);
  list->current = list->first;
  QX_RETURN(list->current ? 1 : 0);
}

int qx_LnkList_end(qx_LnkList* list) {
  QX_TRACE(kLnkList, u"qx_LnkList_end");
  if (!list) QX_RETURN(0);
  list->current = list->last;
  QX_RETURN(list->current ? 1 : 0);
}

int qx_LnkList_skip(qx_LnkList* list, int count) {
  QX_TRACE(kLnkList, u"qx_LnkList_skip");
  if (!list) QX_RETURN(0);
  // A cursor that runs off either end stays off; it does not wrap.
  if (count < 0) {
    for (long i = count; i < 0 && list->current; ++i) list->current = list->current->previous;
  } else {
    for (int i = 0; i < count && list->current; ++i) list->current = list->current->next;
  }
  QX_RETURN(list->current ? 1 : 0);
}

int qx_LnkList_next(qx_LnkList* list) { return qx_LnkList_skip(list, 1); }

int qx_LnkList_prev(qx_LnkList* list) { return qx_LnkList_skip(list, -1); }

int qx_LnkList_eol(const qx_LnkList* list) {
  QX_TRACE(kLnkList, u"qx_LnkList_eol");
  QX_RETURN(!list || !list->current ? 1 : 0);
}

int qx_LnkList_isLast(const qx_LnkList* list) {
  QX_TRACE(kLnkList, u"qx_LnkList_isLast");
  QX_RETURN(list && list->current == list->last ? 1 : 0);
}

int qx_LnkList_length(const qx_LnkList* list) {
  QX_TRACE(kLnkList, u"qx_LnkList_length");
  QX_RETURN(list ? static_cast<int>(list->count) : 0);
}

void* qx_LnkList_getCurr(const qx_LnkList* list) {
  QX_TRACE(kLnkList, u"qx_LnkList_getCurr");
  QX_RETURN(list && list->current ? list->current->data : nullptr);
}

int qx_LnkList_modCurr(qx_LnkList* list, void* data, qx_ReleaseFn release) {
  QX_TRACE(kLnkList, u"qx_LnkList_modCurr");
  if (!list || !list->current) QX_RETURN(0);
  release_data(list->current->data, release);
  list->current->data = data;
  QX_RETURN(1);
}

void* qx_LnkList_getNth(qx_LnkList* list, int index) {
  QX_TRACE(kLnkList, u"qx_LnkList_getNth");
  if (!list || index < 0) QX_RETURN(static_cast<void*>(nullptr));
  list->current = node_at(list, index);
  QX_RETURN(list->current ? list->current->data : nullptr);
}

void* qx_LnkList_getNthSavePos(qx_LnkList* list, int index) {
  // A cursor that was off the list (position -1) comes back on the first
  // node, as setPos steps from the first node.
  int saved = qx_LnkList_getPos(list);
  void* data = qx_LnkList_getNth(list, index);
  qx_LnkList_setPos(list, saved);
  return data;
}

int qx_LnkList_getPos(qx_LnkList* list) {
  QX_TRACE(kLnkList, u"qx_LnkList_getPos");
  if (!list) QX_RETURN(0);
  if (!list->current) QX_RETURN(-1);
  int index = -1;
  for (Node* node = list->current; node; node = node->previous) ++index;
  qx_LnkList_setPos(list, index);
  QX_RETURN(index);
}

int qx_LnkList_setPos(qx_LnkList* list, int index) {
  QX_TRACE(kLnkList, u"qx_LnkList_setPos");
  if (!list) QX_RETURN(0);
  list->current = node_at(list, index);
  QX_RETURN(1);
}

int qx_LnkList_modNth(qx_LnkList* list, int index, void* data, qx_ReleaseFn release) {
  QX_TRACE(kLnkList, u"qx_LnkList_modNth");
  if (!list || !qx_LnkList_getNth(list, index)) QX_RETURN(0);
  QX_RETURN(qx_LnkList_modCurr(list, data, release));
}

void* qx_LnkList_search(qx_LnkList* list, const void* key, qx_CompareFn compare) {
  QX_TRACE(kLnkList, u"qx_LnkList_search");
  if (!list || !compare) QX_RETURN(static_cast<void*>(nullptr));
  for (Node* node = list->first; node; node = node->next) {
    if (node->data && compare(node->data, key) == 0) {
      list->current = node;
      QX_RETURN(node->data);
    }
  }
  list->current = nullptr;
  QX_RETURN(static_cast<void*>(nullptr));
}

void qx_LnkList_sort(qx_LnkList* list, qx_CompareFn compare) {
  QX_TRACE(kLnkList, u"qx_LnkList_sort");
  if (!list || !compare) QX_RETURN_VOID();
  for (Node* node = list->first; node; node = node->next) {
    if (!node->data) continue;
    Node* smallest = node;
    for (Node* other = node->next; other; other = other->next)
      if (other->data && compare(other->data, smallest->data) < 0) smallest = other;
    std::swap(node->data, smallest->data);
  }
  QX_RETURN_VOID();
}

void qx_LnkList_qSort(qx_LnkList* list, qx_CompareFn compare) {
  QX_TRACE(kLnkList, u"qx_LnkList_qSort");
  if (!list || !compare) QX_RETURN_VOID();
  quicksort(list, compare);
  QX_RETURN_VOID();
}

void* qx_LnkList_findPivot(qx_LnkList* list, qx_CompareFn compare) {
  QX_TRACE(kLnkList, u"qx_LnkList_findPivot");
  if (!list || !compare) QX_RETURN(static_cast<void*>(nullptr));
  QX_RETURN(find_pivot(list->first, list->last, compare));
}

void qx_LnkList_partition(qx_LnkList* list, qx_LnkList* left, qx_LnkList* right, void* pivot,
                          qx_CompareFn compare) {
  QX_TRACE(kLnkList, u"qx_LnkList_partition");
  if (!list || !left || !right || !compare) QX_RETURN_VOID();
  *left = qx_LnkList{0, nullptr, nullptr, nullptr};
  *right = qx_LnkList{0, nullptr, nullptr, nullptr};
  list->current = nullptr;
  if (!list->first) QX_RETURN_VOID();
  Node* left_last = partition_range(list->first, list->last, pivot, compare);
  Node* right_first = left_last ? left_last->next : list->first;
  if (left_last) {
    left->first = list->first;
    left->last = left_last;
    left_last->next = nullptr;
  }
  if (right_first) {
    right->first = right_first;
    right->last = list->last;
    right_first->previous = nullptr;
  }
  // The parts' counts are not needed for sorting but keep the headers
  // usable as lists of their own.
  for (Node* node = left->first; node; node = node->next) ++left->count;
  right->count = list->count - left->count;
  QX_RETURN_VOID();
}

int qx_LnkList_join(qx_LnkList* target, qx_LnkList* source, void* /*unused*/) {
  QX_TRACE(kLnkList, u"qx_LnkList_join");
  // Joining a list to itself would free the list it is meant to grow.
  if (!target || !source || target == source) QX_RETURN(0);
  if (source->first) {
    if (target->last) {
      target->last->next = source->first;
      source->first->previous = target->last;
    } else {
      target->first = source->first;
    }
    target->last = source->last;
    target->count += source->count;
  }
  target->current = target->first;
  source->first = source->last = source->current = nullptr;
  source->count = 0;
  qx_LnkList_destroy(source, nullptr);
  QX_RETURN(1);
}

int qx_LnkList_move(qx_LnkList* list, int from, int to) {
  if (!list || from < 0 || to < 0 || from >= list->count || to >= list->count) return 0;
  if (from == to) return 1;
  Node* target = node_at(list, to);
  Node* node = node_at(list, from);
  unlink(list, node);
  if (from > to)
    link_before(list, target, node);
  else
    link_after(list, target, node);
  list->current = node;
  return 1;
}

}  // extern "C"
