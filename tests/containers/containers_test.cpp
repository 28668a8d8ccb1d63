// Integer lists, stacks and queues.
#include "qx/containers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32_t> values(qx_IntList* list) {
  std::vector<int32_t> out;
  for (qx_IntList_start(list); !qx_IntList_eol(list); qx_IntList_next(list))
    out.push_back(*qx_IntList_getCurr(list));
  return out;
}

TEST(IntList, ValuesAreCopiedIntoOwnNodes) {
  int32_t a = 5, b = 7;
  qx_IntList* list = qx_IntList_create(&a, &b, nullptr);
  EXPECT_EQ(*qx_IntList_getCurr(list), 5);  // cursor on the first
  a = 99;
  qx_IntList_insEnd(list, -3);
  EXPECT_EQ(values(list), (std::vector<int32_t>{5, 7, -3}));
  EXPECT_EQ(qx_IntList_length(list), 3);
  EXPECT_EQ(qx_IntList_getCurr(list), nullptr);

  qx_IntList* copy = qx_IntList_copy(list);
  *static_cast<qx_IntListNode*>(list->first->data) = {42};
  EXPECT_EQ(values(copy), (std::vector<int32_t>{5, 7, -3}));
  qx_IntList_destroy(copy);
  qx_IntList_destroy(list);

  qx_IntList* empty = qx_IntList_copy(nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(qx_IntList_length(empty), 0);
  qx_IntList_destroy(empty);
  qx_IntList_insEnd(nullptr, 1);  // ignored
  qx_IntListNode_destroy(nullptr);
}

TEST(StackQueue, StackIsLastInFirstOutQueueFirstInFirstOut) {
  int items[] = {1, 2, 3};
  qx_Stack* stack = qx_Stack_create();
  qx_Queue* queue = qx_Queue_create();
  for (int& item : items) {
    EXPECT_EQ(qx_Stack_push(stack, &item), 1);
    EXPECT_EQ(qx_Queue_push(queue, &item), 1);
    EXPECT_EQ(stack->current, stack->first);
    EXPECT_EQ(queue->current, queue->first);
  }
  EXPECT_EQ(qx_Queue_length(queue), 3);
  std::vector<int> popped_stack, popped_queue;
  while (!qx_Stack_empty(stack)) popped_stack.push_back(*static_cast<int*>(qx_Stack_pop(stack)));
  while (!qx_Queue_empty(queue)) popped_queue.push_back(*static_cast<int*>(qx_Queue_pop(queue)));
  EXPECT_EQ(popped_stack, (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(popped_queue, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(qx_Stack_pop(stack), nullptr);
  EXPECT_EQ(qx_Queue_pop(queue), nullptr);
  EXPECT_EQ(qx_Stack_empty(stack), 1);
  EXPECT_EQ(qx_Stack_empty(nullptr), 1);
  EXPECT_EQ(qx_Stack_pop(nullptr), nullptr);
  EXPECT_EQ(qx_Stack_push(nullptr, items), 0);
  qx_Stack_destroy(stack, nullptr);
  qx_Queue_destroy(queue, nullptr);
}

int g_released = 0;
int count_release(void*) { return ++g_released; }

TEST(StackQueue, DestroyReleasesWhatIsLeft) {
  int items[] = {1, 2};
  qx_Queue* queue = qx_Queue_create();
  qx_Queue_push(queue, &items[0]);
  qx_Queue_push(queue, &items[1]);
  qx_Queue_pop(queue);  // the caller owns what it popped
  g_released = 0;
  EXPECT_EQ(qx_Queue_destroy(queue, count_release), 1);
  EXPECT_EQ(g_released, 1);
}

}  // namespace
