// Linked list: cursor rules, insertion and deletion, both sorts with ties,
// move and join.
#include "qx/lnklist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// Elements are records with a sort key and an identity, so that the tests
// can tell apart elements that compare equal.
struct Item {
  int key;
  int id;
};

int compare_items(const void* a, const void* b) {
  int ka = static_cast<const Item*>(a)->key, kb = static_cast<const Item*>(b)->key;
  return ka < kb ? -1 : ka > kb ? 1 : 0;
}

int match_key(const void* element, const void* key) {
  return static_cast<const Item*>(element)->key - *static_cast<const int*>(key);
}

int g_released = 0;
int count_release(void*) {
  ++g_released;
  return 0;
}

class LnkListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_released = 0;
    for (int i = 0; i < 8; ++i) items_[i] = {i, i};
  }
  // A list holding items_[0..n).
  qx_LnkList* make(int n) {
    qx_LnkList* list = qx_LnkList_create(nullptr);
    for (int i = 0; i < n; ++i) qx_LnkList_insEnd(list, &items_[i]);
    return list;
  }
  // The keys in list order, walking the chain both ways to check the links.
  static std::vector<int> keys(const qx_LnkList* list) {
    std::vector<int> forward, backward;
    for (auto* n = list->first; n; n = n->next)
      forward.push_back(n->data ? static_cast<Item*>(n->data)->key : -1);
    for (auto* n = list->last; n; n = n->previous)
      backward.insert(backward.begin(), n->data ? static_cast<Item*>(n->data)->key : -1);
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(static_cast<int>(forward.size()), list->count);
    return forward;
  }
  static int current_key(const qx_LnkList* list) {
    return list->current ? static_cast<Item*>(list->current->data)->key : -1;
  }
  Item items_[8];
};

TEST_F(LnkListTest, CreateTakesElementsUpToNullAndStartsOnFirst) {
  qx_LnkList* list = qx_LnkList_create(&items_[0], &items_[1], &items_[2], nullptr, &items_[3]);
  EXPECT_EQ(keys(list), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(current_key(list), 0);
  EXPECT_EQ(qx_LnkList_getNth(list, 3), nullptr);
  EXPECT_TRUE(qx_LnkList_eol(list));
  qx_LnkList_destroy(list, nullptr);

  qx_LnkList* empty = qx_LnkList_create(nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(qx_LnkList_length(empty), 0);
  EXPECT_TRUE(qx_LnkList_eol(empty));
  qx_LnkList_destroy(empty, nullptr);
}

TEST_F(LnkListTest, InsertionRulesAroundTheCursor) {
  // On an empty list insBefore/insAfter put the cursor on the new node,
  // insStart/insEnd leave it off the list.
  qx_LnkList* a = make(0);
  qx_LnkList_insStart(a, &items_[0]);
  EXPECT_EQ(a->current, nullptr);
  qx_LnkList* b = make(0);
  qx_LnkList_insBefore(b, &items_[1]);
  EXPECT_EQ(current_key(b), 1);
  qx_LnkList* c = make(0);
  qx_LnkList_insAfter(c, &items_[2]);
  EXPECT_EQ(current_key(c), 2);

  // Cursor off a non-empty list: before inserts at the front, after at the
  // back, and the cursor lands on the old first/last node.
  qx_LnkList* list = make(3);
  list->current = nullptr;
  qx_LnkList_insBefore(list, &items_[5]);
  EXPECT_EQ(keys(list), (std::vector<int>{5, 0, 1, 2}));
  EXPECT_EQ(current_key(list), 0);
  list->current = nullptr;
  qx_LnkList_insAfter(list, &items_[6]);
  EXPECT_EQ(keys(list), (std::vector<int>{5, 0, 1, 2, 6}));
  EXPECT_EQ(current_key(list), 2);

  // In the middle the cursor stays on its node.
  qx_LnkList_setPos(list, 2);  // on 1
  qx_LnkList_insBefore(list, &items_[7]);
  qx_LnkList_insAfter(list, &items_[4]);
  EXPECT_EQ(keys(list), (std::vector<int>{5, 0, 7, 1, 4, 2, 6}));
  EXPECT_EQ(current_key(list), 1);
  for (auto* l : {a, b, c, list}) qx_LnkList_destroy(l, nullptr);
}

TEST_F(LnkListTest, InsNthTakesTheIndexOrAppends) {
  qx_LnkList* list = make(3);
  EXPECT_EQ(qx_LnkList_insNth(list, 1, &items_[5]), 1);
  EXPECT_EQ(keys(list), (std::vector<int>{0, 5, 1, 2}));
  EXPECT_EQ(current_key(list), 1);  // the node that was at the index
  EXPECT_EQ(qx_LnkList_insNth(list, 0, &items_[6]), 1);
  EXPECT_EQ(keys(list), (std::vector<int>{6, 0, 5, 1, 2}));
  EXPECT_EQ(qx_LnkList_insNth(list, 99, &items_[7]), 1);
  EXPECT_EQ(keys(list), (std::vector<int>{6, 0, 5, 1, 2, 7}));
  EXPECT_EQ(current_key(list), 2);  // the old last node
  // A node with null data counts as missing: insert behind it.
  qx_LnkList* holes = qx_LnkList_create(&items_[0], nullptr);
  qx_LnkList_insEnd(holes, nullptr);
  qx_LnkList_insEnd(holes, &items_[2]);
  qx_LnkList_insNth(holes, 1, &items_[3]);
  EXPECT_EQ(keys(holes), (std::vector<int>{0, -1, 3, 2}));
  qx_LnkList_destroy(holes, nullptr);
  qx_LnkList_destroy(list, nullptr);
}

TEST_F(LnkListTest, NavigationDoesNotWrap) {
  qx_LnkList* list = make(4);
  EXPECT_EQ(qx_LnkList_setPos(list, 1), 1);
  EXPECT_EQ(qx_LnkList_skip(list, -5), 0);
  EXPECT_EQ(list->current, nullptr);
  EXPECT_EQ(qx_LnkList_skip(list, 1), 0);  // stays off once off
  EXPECT_EQ(qx_LnkList_end(list), 1);
  EXPECT_EQ(qx_LnkList_isLast(list), 1);
  EXPECT_EQ(qx_LnkList_next(list), 0);
  EXPECT_EQ(qx_LnkList_isLast(list), 0);  // cursor null, list not empty
  EXPECT_EQ(qx_LnkList_start(list), 1);
  EXPECT_EQ(qx_LnkList_skip(list, 3), 1);
  EXPECT_EQ(qx_LnkList_getPos(list), 3);
  EXPECT_EQ(current_key(list), 3);  // getPos puts the cursor back
  EXPECT_EQ(qx_LnkList_prev(list), 1);
  EXPECT_EQ(current_key(list), 2);
  EXPECT_EQ(qx_LnkList_setPos(list, 10), 1);
  EXPECT_EQ(qx_LnkList_getPos(list), -1);

  qx_LnkList* empty = make(0);
  EXPECT_EQ(qx_LnkList_isLast(empty), 1);
  EXPECT_EQ(qx_LnkList_start(empty), 0);
  qx_LnkList_destroy(empty, nullptr);
  qx_LnkList_destroy(list, nullptr);
}

TEST_F(LnkListTest, GetNthSavePosRestoresThePositionOrTheFirstNode) {
  qx_LnkList* list = make(4);
  qx_LnkList_setPos(list, 2);
  EXPECT_EQ(static_cast<Item*>(qx_LnkList_getNthSavePos(list, 0))->key, 0);
  EXPECT_EQ(current_key(list), 2);
  list->current = nullptr;
  EXPECT_EQ(static_cast<Item*>(qx_LnkList_getNthSavePos(list, 3))->key, 3);
  EXPECT_EQ(current_key(list), 0);
  // A negative index reads nothing and leaves the cursor.
  qx_LnkList_setPos(list, 1);
  EXPECT_EQ(qx_LnkList_getNth(list, -1), nullptr);
  EXPECT_EQ(current_key(list), 1);
  qx_LnkList_destroy(list, nullptr);
}

TEST_F(LnkListTest, NullListsGiveZeroOrNull) {
  EXPECT_EQ(qx_LnkList_insEnd(nullptr, &items_[0]), 0);
  EXPECT_EQ(qx_LnkList_insBefore(nullptr, &items_[0]), 0);
  EXPECT_EQ(qx_LnkList_delCurr(nullptr, nullptr), 0);
  EXPECT_EQ(qx_LnkList_delAll(nullptr, nullptr), 0);
  EXPECT_EQ(qx_LnkList_destroy(nullptr, nullptr), 0);
  EXPECT_EQ(qx_LnkList_length(nullptr), 0);
  EXPECT_EQ(qx_LnkList_eol(nullptr), 1);
  EXPECT_EQ(qx_LnkList_getCurr(nullptr), nullptr);
  EXPECT_EQ(qx_LnkList_getNth(nullptr, 0), nullptr);
  EXPECT_EQ(qx_LnkList_search(nullptr, nullptr, match_key), nullptr);
  EXPECT_EQ(qx_LnkList_join(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(qx_LnkList_move(nullptr, 0, 1), 0);
}

TEST_F(LnkListTest, DeletionMovesTheCursorOnOrBack) {
  qx_LnkList* list = make(4);
  qx_LnkList_setPos(list, 1);
  EXPECT_EQ(qx_LnkList_delCurr(list, count_release), 1);
  EXPECT_EQ(keys(list), (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(current_key(list), 2);
  qx_LnkList_end(list);
  qx_LnkList_delCurr(list, nullptr);
  EXPECT_EQ(current_key(list), 2);  // the new last node
  EXPECT_EQ(qx_LnkList_delNth(list, 5, count_release), 0);
  EXPECT_EQ(list->current, nullptr);  // left where getNth left it
  EXPECT_EQ(qx_LnkList_delNth(list, 0, count_release), 1);
  EXPECT_EQ(current_key(list), 2);
  EXPECT_EQ(qx_LnkList_delCurr(list, count_release), 1);
  EXPECT_EQ(list->count, 0);
  EXPECT_EQ(list->current, nullptr);
  EXPECT_EQ(list->first, nullptr);
  EXPECT_EQ(list->last, nullptr);
  EXPECT_EQ(qx_LnkList_delCurr(list, count_release), 0);
  EXPECT_EQ(g_released, 3);
  qx_LnkList_destroy(list, nullptr);
}

TEST_F(LnkListTest, DelAllAndDestroyReleaseOnlyNonNullData) {
  qx_LnkList* list = make(3);
  qx_LnkList_insEnd(list, nullptr);
  EXPECT_EQ(qx_LnkList_delAll(list, count_release), 1);
  EXPECT_EQ(g_released, 3);
  EXPECT_EQ(list->count, 0);
  EXPECT_EQ(list->current, nullptr);
  qx_LnkList_insEnd(list, &items_[0]);
  EXPECT_EQ(qx_LnkList_destroy(list, count_release), 1);
  EXPECT_EQ(g_released, 4);
}

TEST_F(LnkListTest, ModifyReleasesTheOldData) {
  qx_LnkList* list = make(3);
  list->current = nullptr;
  EXPECT_EQ(qx_LnkList_modCurr(list, &items_[7], count_release), 0);
  EXPECT_EQ(qx_LnkList_modNth(list, 1, &items_[7], count_release), 1);
  EXPECT_EQ(g_released, 1);
  EXPECT_EQ(keys(list), (std::vector<int>{0, 7, 2}));
  EXPECT_EQ(current_key(list), 7);
  EXPECT_EQ(qx_LnkList_modNth(list, 3, &items_[6], count_release), 0);
  qx_LnkList_destroy(list, nullptr);
}

TEST_F(LnkListTest, SearchStopsOnFirstMatchAndSkipsNullData) {
  qx_LnkList* list = qx_LnkList_create(&items_[1], nullptr);
  qx_LnkList_insEnd(list, nullptr);
  Item twin{2, 99};
  qx_LnkList_insEnd(list, &items_[2]);
  qx_LnkList_insEnd(list, &twin);
  int key = 2;
  EXPECT_EQ(qx_LnkList_search(list, &key, match_key), &items_[2]);
  EXPECT_EQ(qx_LnkList_getPos(list), 2);
  key = 5;
  EXPECT_EQ(qx_LnkList_search(list, &key, match_key), nullptr);
  EXPECT_EQ(list->current, nullptr);
  qx_LnkList_destroy(list, nullptr);
}

TEST_F(LnkListTest, SelectionSortKeepsEarliestOfEqualsFirstAndNullsInPlace) {
  Item v[] = {{3, 0}, {1, 1}, {2, 2}, {1, 3}};
  qx_LnkList* list = qx_LnkList_create(&v[0], &v[1], &v[2], &v[3], nullptr);
  qx_LnkList_setPos(list, 2);
  auto* cursor_node = list->current;
  qx_LnkList_sort(list, compare_items);
  EXPECT_EQ(keys(list), (std::vector<int>{1, 1, 2, 3}));
  EXPECT_EQ(static_cast<Item*>(qx_LnkList_getNth(list, 0))->id, 1);
  EXPECT_EQ(static_cast<Item*>(qx_LnkList_getNth(list, 1))->id, 3);
  qx_LnkList_destroy(list, nullptr);

  list = qx_LnkList_create(&v[0], nullptr);
  qx_LnkList_insEnd(list, nullptr);
  qx_LnkList_insEnd(list, &v[1]);
  qx_LnkList_insEnd(list, &v[2]);
  cursor_node = list->first->next;
  list->current = cursor_node;
  qx_LnkList_sort(list, compare_items);
  EXPECT_EQ(keys(list), (std::vector<int>{1, -1, 2, 3}));
  EXPECT_EQ(list->current, cursor_node);  // nodes never move
  qx_LnkList_destroy(list, nullptr);
}

// The quicksort as documented, written recursively over a vector: the
// reference for where equal elements end up.
void* reference_pivot(std::vector<Item*>& v, size_t lo, size_t hi) {
  if (v[lo] == nullptr) return nullptr;
  for (size_t i = lo + 1; i <= hi; ++i) {
    if (!v[i]) continue;
    int order = compare_items(v[i], v[lo]);
    if (order < 0) return v[lo];
    if (order > 0) return v[i];
  }
  return nullptr;
}

void reference_qsort(std::vector<Item*>& v, size_t lo, size_t hi) {
  void* pivot = reference_pivot(v, lo, hi);
  if (!pivot) return;
  size_t left_count = 0;
  for (size_t i = lo; i <= hi; ++i) {
    if (compare_items(v[i], pivot) < 0) {
      ++left_count;
      std::swap(v[lo + left_count - 1], v[i]);
    }
  }
  reference_qsort(v, lo, lo + left_count - 1);
  reference_qsort(v, lo + left_count, hi);
}

std::vector<int> ids(const qx_LnkList* list) {
  std::vector<int> out;
  for (auto* n = list->first; n; n = n->next) out.push_back(static_cast<Item*>(n->data)->id);
  return out;
}

TEST(LnkListQSort, EqualElementsEndWhereThePartitioningPutsThem) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    size_t n = 1 + rng() % 60;
    int spread = 1 + static_cast<int>(rng() % 6);
    std::vector<Item> store(n);
    for (size_t i = 0; i < n; ++i) store[i] = {static_cast<int>(rng() % spread), static_cast<int>(i)};
    // Every few rounds, shapes that take the fast paths: ascending with
    // ties, strictly descending, descending with ties.
    if (round % 4 == 1) std::sort(store.begin(), store.end(), [](auto& a, auto& b) { return a.key < b.key; });
    if (round % 4 == 2)
      for (size_t i = 0; i < n; ++i) store[i].key = static_cast<int>(n - i);
    if (round % 4 == 3) std::sort(store.begin(), store.end(), [](auto& a, auto& b) { return a.key > b.key; });
    // Partly sorted: a sorted run with a tail.
    if (round % 8 == 5)
      std::sort(store.begin(), store.begin() + static_cast<long>(n / 2),
                [](auto& a, auto& b) { return a.key < b.key; });

    std::vector<Item*> expected;
    qx_LnkList* list = qx_LnkList_create(nullptr);
    for (auto& item : store) {
      expected.push_back(&item);
      qx_LnkList_insEnd(list, &item);
    }
    reference_qsort(expected, 0, n - 1);
    qx_LnkList_qSort(list, compare_items);
    std::vector<int> want;
    for (Item* item : expected) want.push_back(item->id);
    ASSERT_EQ(ids(list), want) << "round " << round;
    ASSERT_EQ(list->count, static_cast<int>(n));
    ASSERT_EQ(list->first->previous, nullptr);
    ASSERT_EQ(list->last->next, nullptr);
    qx_LnkList_destroy(list, nullptr);
  }
}

long g_compares = 0;
int counting_compare(const void* a, const void* b) {
  ++g_compares;
  return compare_items(a, b);
}

// Long, lopsided inputs: a sorted run with a tail peels off a few elements
// per step.  Without ties the sort settles such deep ranges another way
// (far fewer comparisons than the quadratic walk); with ties it must keep
// partitioning.  Either way the order is the reference's.
TEST(LnkListQSort, LopsidedInputsMatchTheReference) {
  const int n = 3000;
  std::mt19937 rng(11);
  std::vector<int> slots(n);
  for (int i = 0; i < n; ++i) slots[i] = i;
  std::shuffle(slots.begin(), slots.end(), rng);
  for (bool ties : {false, true}) {
    for (int tail : {1, 3, 40}) {
      std::vector<Item> store(n);
      for (int i = 0; i < n; ++i) store[i] = {ties ? i / 3 : 10 * i, i};
      for (int k = 0; k < tail; ++k)
        store[n - tail + k].key = ties ? static_cast<int>(rng() % (n / 3)) : 10 * slots[k] + 5;
      std::vector<Item*> expected;
      qx_LnkList* list = qx_LnkList_create(nullptr);
      for (auto& item : store) {
        expected.push_back(&item);
        qx_LnkList_insEnd(list, &item);
      }
      reference_qsort(expected, 0, n - 1);
      g_compares = 0;
      qx_LnkList_qSort(list, counting_compare);
      std::vector<int> want;
      for (Item* item : expected) want.push_back(item->id);
      ASSERT_EQ(ids(list), want) << "ties " << ties << " tail " << tail;
      if (!ties) {
        EXPECT_LT(g_compares, 20L * n * 12) << "tail " << tail;
      }
      qx_LnkList_destroy(list, nullptr);
    }
  }
}

TEST(LnkListQSort, CursorIsClearedOnlyWhenSomethingWasPartitioned) {
  Item same[] = {{4, 0}, {4, 1}, {4, 2}};
  qx_LnkList* list = qx_LnkList_create(&same[0], &same[1], &same[2], nullptr);
  qx_LnkList_setPos(list, 1);
  qx_LnkList_qSort(list, compare_items);
  EXPECT_EQ(qx_LnkList_getPos(list), 1);
  EXPECT_EQ(ids(list), (std::vector<int>{0, 1, 2}));
  qx_LnkList_destroy(list, nullptr);

  Item two[] = {{2, 0}, {1, 1}};
  list = qx_LnkList_create(&two[0], &two[1], nullptr);
  qx_LnkList_qSort(list, compare_items);
  EXPECT_EQ(list->current, nullptr);
  EXPECT_EQ(ids(list), (std::vector<int>{1, 0}));
  qx_LnkList_destroy(list, nullptr);

  // A null first element means there is no pivot: nothing is sorted.
  list = qx_LnkList_create(nullptr);
  qx_LnkList_insEnd(list, nullptr);
  qx_LnkList_insEnd(list, &two[0]);
  qx_LnkList_insEnd(list, &two[1]);
  qx_LnkList_qSort(list, compare_items);
  EXPECT_EQ(static_cast<Item*>(list->last->data)->id, 1);
  qx_LnkList_destroy(list, nullptr);
}

TEST(LnkListQSort, MillionElementsSortedReversedAndPeeledDoNotExhaustTheStack) {
  const int n = 1000000;
  std::vector<Item> store(n);
  for (int i = 0; i < n; ++i) store[i] = {i, i};
  qx_LnkList* list = qx_LnkList_create(nullptr);
  for (auto& item : store) qx_LnkList_insEnd(list, &item);
  qx_LnkList_qSort(list, compare_items);
  int expect = 0;
  for (auto* node = list->first; node; node = node->next)
    ASSERT_EQ(static_cast<Item*>(node->data)->key, expect++);

  // Reversed.
  int i = n;
  for (auto* node = list->first; node; node = node->next) node->data = &store[--i];
  qx_LnkList_qSort(list, compare_items);
  expect = 0;
  for (auto* node = list->first; node; node = node->next)
    ASSERT_EQ(static_cast<Item*>(node->data)->key, expect++);
  qx_LnkList_destroy(list, nullptr);

  // Each partition step peels one element off a long range: a descending
  // run with ties (no fast path) is as deep as it is long.
  const int m = 3000;
  std::vector<Item> tied(m);
  for (int k = 0; k < m; ++k) tied[k] = {(m - k) / 2, k};
  list = qx_LnkList_create(nullptr);
  for (auto& item : tied) qx_LnkList_insEnd(list, &item);
  qx_LnkList_qSort(list, compare_items);
  int previous = -1;
  for (auto* node = list->first; node; node = node->next) {
    ASSERT_LE(previous, static_cast<Item*>(node->data)->key);
    previous = static_cast<Item*>(node->data)->key;
  }
  qx_LnkList_destroy(list, nullptr);
}

// A comparison that contradicts itself gives no useful order, but the sort
// must still end and keep every element.
uint32_t g_coin = 0;
int coin_compare(const void*, const void*) {
  g_coin = g_coin * 1103515245u + 12345u;
  return static_cast<int>((g_coin >> 16) % 3) - 1;
}

TEST(LnkListQSort, InconsistentComparisonEndsAndKeepsAllElements) {
  std::vector<Item> store(500);
  for (int i = 0; i < 500; ++i) store[i] = {i % 7, i};
  for (int round = 0; round < 20; ++round) {
    qx_LnkList* list = qx_LnkList_create(nullptr);
    for (auto& item : store) qx_LnkList_insEnd(list, &item);
    qx_LnkList_qSort(list, coin_compare);
    std::vector<int> seen = ids(list);
    std::sort(seen.begin(), seen.end());
    ASSERT_EQ(seen.size(), 500u);
    for (int i = 0; i < 500; ++i) ASSERT_EQ(seen[i], i);
    qx_LnkList_destroy(list, nullptr);
  }
}

TEST_F(LnkListTest, FindPivotAndPartitionByHand) {
  Item v[] = {{2, 0}, {2, 1}, {5, 2}, {1, 3}, {7, 4}};
  qx_LnkList* list = qx_LnkList_create(&v[0], &v[1], &v[2], &v[3], &v[4], nullptr);
  void* pivot = qx_LnkList_findPivot(list, compare_items);
  EXPECT_EQ(pivot, &v[2]);  // the larger of 2 and the first unequal, 5
  qx_LnkList left, right;
  qx_LnkList_partition(list, &left, &right, pivot, compare_items);
  EXPECT_EQ(list->current, nullptr);
  EXPECT_EQ(keys(&left), (std::vector<int>{2, 2, 1}));
  EXPECT_EQ(keys(&right), (std::vector<int>{5, 7}));
  // Re-link the halves and release through the original header.
  left.last->next = right.first;
  right.first->previous = left.last;
  qx_LnkList_destroy(list, nullptr);

  Item eq[] = {{3, 0}, {3, 1}};
  list = qx_LnkList_create(&eq[0], &eq[1], nullptr);
  EXPECT_EQ(qx_LnkList_findPivot(list, compare_items), nullptr);
  qx_LnkList_destroy(list, nullptr);
}

TEST_F(LnkListTest, MoveRelinksAndMakesTheNodeCurrent) {
  qx_LnkList* list = make(3);
  EXPECT_EQ(qx_LnkList_move(list, 0, 2), 1);
  EXPECT_EQ(keys(list), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(current_key(list), 0);
  EXPECT_EQ(qx_LnkList_move(list, 2, 0), 1);
  EXPECT_EQ(keys(list), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(qx_LnkList_getPos(list), 0);
  qx_LnkList_setPos(list, 1);
  EXPECT_EQ(qx_LnkList_move(list, 1, 1), 1);
  EXPECT_EQ(current_key(list), 1);
  EXPECT_EQ(qx_LnkList_move(list, 1, 3), 0);
  EXPECT_EQ(qx_LnkList_move(list, -1, 0), 0);
  EXPECT_EQ(keys(list), (std::vector<int>{0, 1, 2}));
  qx_LnkList_destroy(list, nullptr);
}

TEST_F(LnkListTest, JoinAppendsAndDestroysTheSource) {
  qx_LnkList* target = make(2);
  qx_LnkList_end(target);
  qx_LnkList* source = qx_LnkList_create(&items_[5], &items_[6], nullptr);
  EXPECT_EQ(qx_LnkList_join(target, source, nullptr), 1);
  EXPECT_EQ(keys(target), (std::vector<int>{0, 1, 5, 6}));
  EXPECT_EQ(current_key(target), 0);

  qx_LnkList_end(target);
  EXPECT_EQ(qx_LnkList_join(target, qx_LnkList_create(nullptr), nullptr), 1);
  EXPECT_EQ(current_key(target), 0);
  EXPECT_EQ(target->count, 4);

  qx_LnkList* empty = qx_LnkList_create(nullptr);
  EXPECT_EQ(qx_LnkList_join(empty, target, nullptr), 1);
  EXPECT_EQ(keys(empty), (std::vector<int>{0, 1, 5, 6}));
  EXPECT_EQ(qx_LnkList_join(empty, empty, nullptr), 0);
  EXPECT_EQ(qx_LnkList_join(empty, nullptr, nullptr), 0);
  qx_LnkList_destroy(empty, nullptr);
}

}  // namespace
