// Integer lists, stacks and queues: thin families over the linked list.
// None is traced itself; the linked-list operations they call are.
#include "qx/containers.h"

#include <cstdarg>

#include "qx/memory.h"

namespace {

int release_int_node(void* node) {
  qx_IntListNode_destroy(node);
  return 1;
}

// Pop for both containers: the front element leaves without being released,
// so its pointer passes to the caller.
void* pop_front(qx_LnkList* list) {
  if (!qx_LnkList_start(list)) return nullptr;
  void* data = qx_LnkList_getCurr(list);
  qx_LnkList_delCurr(list, nullptr);
  return data;
}

}  // namespace

extern "C" {

// --- integer lists -----------------------------------------------------------

qx_IntListNode* qx_IntListNode_create(int32_t value) {
  auto* node = static_cast<qx_IntListNode*>(qx_Malloc(sizeof(qx_IntListNode)));
  if (node) node->value = value;
  return node;
}

void qx_IntListNode_destroy(void* node) {
  if (node) qx_Free(node);
}

qx_IntList* qx_IntList_create(const int32_t* value, ...) {
  qx_IntList* list = qx_LnkList_create(nullptr);
  if (!list) return list;
  va_list ap;
  va_start(ap, value);
  for (const int32_t* item = value; item; item = va_arg(ap, const int32_t*))
    qx_IntList_insEnd(list, *item);
  va_end(ap);
  list->current = list->first;
  return list;
}

void qx_IntList_insEnd(qx_IntList* list, int32_t value) {
  if (!list) return;
  qx_IntListNode* node = qx_IntListNode_create(value);
  if (node && !qx_LnkList_insEnd(list, node)) qx_IntListNode_destroy(node);
}

int32_t* qx_IntList_getCurr(const qx_IntList* list) {
  auto* node = static_cast<qx_IntListNode*>(qx_LnkList_getCurr(list));
  return node ? &node->value : nullptr;
}

qx_IntList* qx_IntList_copy(qx_IntList* list) {
  qx_IntList* copy = qx_LnkList_create(nullptr);
  if (!copy || !list) return copy;
  for (qx_LnkListNode* node = list->first; node; node = node->next)
    if (node->data) qx_IntList_insEnd(copy, static_cast<qx_IntListNode*>(node->data)->value);
  return copy;
}

void qx_IntList_destroy(qx_IntList* list) { qx_LnkList_destroy(list, release_int_node); }

int qx_IntList_start(qx_IntList* list) { return qx_LnkList_start(list); }
int qx_IntList_next(qx_IntList* list) { return qx_LnkList_next(list); }
int qx_IntList_eol(const qx_IntList* list) { return qx_LnkList_eol(list); }
int qx_IntList_length(const qx_IntList* list) { return qx_LnkList_length(list); }

// --- stacks and queues ---------------------------------------------------------
// Both pop from the front: a stack pushes there too (last in, first out), a
// queue pushes at the back (first in, first out).

qx_Stack* qx_Stack_create(void) { return qx_LnkList_create(nullptr); }
qx_Queue* qx_Queue_create(void) { return qx_LnkList_create(nullptr); }

int qx_Stack_push(qx_Stack* stack, void* data) {
  int done = qx_LnkList_insStart(stack, data);
  qx_LnkList_start(stack);
  return done;
}

int qx_Queue_push(qx_Queue* queue, void* data) {
  int done = qx_LnkList_insEnd(queue, data);
  qx_LnkList_start(queue);
  return done;
}

void* qx_Stack_pop(qx_Stack* stack) { return pop_front(stack); }
void* qx_Queue_pop(qx_Queue* queue) { return pop_front(queue); }

// A missing container holds nothing, so a pop loop over it ends at once.
int qx_Stack_empty(const qx_Stack* stack) { return qx_LnkList_length(stack) == 0 ? 1 : 0; }
int qx_Queue_empty(const qx_Queue* queue) { return qx_LnkList_length(queue) == 0 ? 1 : 0; }

int qx_Queue_length(const qx_Queue* queue) { return qx_LnkList_length(queue); }

int qx_Stack_destroy(qx_Stack* stack, qx_ReleaseFn release) {
  return qx_LnkList_destroy(stack, release);
}
int qx_Queue_destroy(qx_Queue* queue, qx_ReleaseFn release) {
  return qx_LnkList_destroy(queue, release);
}

}  // extern "C"
