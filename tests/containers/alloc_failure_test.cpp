// Allocation failures: an insert whose node or copy cannot be allocated reports
// failure and leaves the container as it was, without leaking what it had
// already allocated.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "qx/containers.h"
#include "qx/lnklist.h"
#include "qx/memory.h"
#include "qx/str.h"
#include "qx/strlist.h"
#include "qx/timer.h"
#include "qx/tree.h"

namespace {

// Allocations left before one fails; negative: none fails.
int g_allocs_left = -1;

void* flaky_malloc(size_t n) {
  if (g_allocs_left == 0) {
    g_allocs_left = -1;
    return nullptr;
  }
  if (g_allocs_left > 0) --g_allocs_left;
  return std::malloc(n);
}

class AllocFailure : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { qx_MemoryManager_set(flaky_malloc, nullptr, nullptr, nullptr); }
  void TearDown() override { g_allocs_left = -1; }

  // Runs `op` with the k-th allocation failing, for k = 0, 1, ... until an
  // attempt goes through without any failure; `check` sees each outcome.
  template <typename Op, typename Check>
  static void each_failure_point(Op op, Check check) {
    for (int k = 0; k < 16; ++k) {
      g_allocs_left = k;
      int result = op();
      bool failed_one = g_allocs_left == -1;
      g_allocs_left = -1;
      check(result, failed_one);
      if (!failed_one) return;
    }
    FAIL() << "operation kept allocating";
  }
};

std::u16string strings(qx_StrList* list) {
  std::u16string out;
  for (auto* n = list->first; n; n = n->next) {
    out += static_cast<qx_StrListNode*>(n->data)->str;
    out += u'|';
  }
  return out;
}

TEST_F(AllocFailure, StringListInsertsLeaveTheListUnchanged) {
  qx_StrList* list = qx_StrList_create(u"a", u"c", nullptr);
  const std::u16string before = strings(list);
  each_failure_point([&] { return qx_StrList_insSorted(list, u"b"); },
                     [&](int result, bool failed) {
                       if (failed) {
                         EXPECT_EQ(result, 0);
                         EXPECT_EQ(strings(list), before);
                         EXPECT_EQ(list->count, 2);
                       } else {
                         EXPECT_EQ(result, 1);
                         EXPECT_EQ(strings(list), u"a|b|c|");
                       }
                     });
  qx_StrList_start(list);
  each_failure_point([&] { return qx_StrList_modCurr(list, u"A"); },
                     [&](int result, bool failed) {
                       EXPECT_EQ(strings(list), failed ? u"a|b|c|" : u"A|b|c|");
                       EXPECT_EQ(result, failed ? 0 : 1);
                     });
  qx_StrList_destroy(list);
}

TEST_F(AllocFailure, LinkedListAndSmallContainerInserts) {
  int x = 1;
  qx_LnkList* list = qx_LnkList_create(&x, nullptr);
  g_allocs_left = 0;
  EXPECT_EQ(qx_LnkList_insBefore(list, &x), 0);
  EXPECT_EQ(list->count, 1);
  g_allocs_left = 0;
  EXPECT_EQ(qx_Stack_push(list, &x), 0);
  EXPECT_EQ(list->count, 1);
  qx_LnkList_destroy(list, nullptr);

  qx_IntList* ints = qx_IntList_create(nullptr);
  each_failure_point([&] {
    qx_IntList_insEnd(ints, 5);
    return qx_IntList_length(ints);
  }, [&](int length, bool failed) { EXPECT_EQ(length, failed ? 0 : 1); });
  qx_IntList_destroy(ints);
}

TEST_F(AllocFailure, AllocatingStringFunctionsReturnNull) {
  g_allocs_left = 0;
  EXPECT_EQ(qx_Str_dup(u"x"), nullptr);
  g_allocs_left = 0;
  EXPECT_EQ(qx_Str_replaceKeywordDynamic(u"%a%", u"a", u"%", u"b"), nullptr);
  qx_StrList* list = qx_StrList_create(u"x", nullptr);
  ASSERT_NE(list, nullptr);
  g_allocs_left = 0;
  EXPECT_EQ(qx_StrList_toDelimitedString(list, u","), nullptr);
  qx_StrList_destroy(list);
  each_failure_point([&] {
    qx_TreeNode* node = qx_TreeNode_create(u"n", nullptr);
    int made = node != nullptr;
    qx_TreeNode_destroy(node, nullptr);
    return made;
  }, [](int made, bool failed) { EXPECT_EQ(made, failed ? 0 : 1); });
  each_failure_point([] { return qx_Timer_create(u"t"); },
                     [](int made, bool failed) { EXPECT_EQ(made, failed ? 0 : 1); });
  qx_Timer_clearAll();
}

}  // namespace
