// Trace frames of the container families: which bit switches them on, the
// names they write, and the functions that write nothing.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "qx/containers.h"
#include "qx/diag.h"
#include "qx/lnklist.h"
#include "qx/memory.h"
#include "qx/str.h"
#include "qx/strlist.h"
#include "qx/timer.h"
#include "qx/tree.h"

namespace {

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qx_Diag_setOutput(1, nullptr);
    qx_Diag_setLevel(3);
  }
  void TearDown() override { qx_Diag_disable(); }

  // Runs `body` with the given mask and returns what it wrote.
  template <typename Body>
  std::string traced(uint32_t mask, Body body) {
    qx_Diag_setCondition(mask);
    testing::internal::CaptureStdout();
    body();
    std::string out = testing::internal::GetCapturedStdout();
    qx_Diag_setCondition(0);
    return out;
  }
  static bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
  }
  static int count(const std::string& out, const std::string& text) {
    int n = 0;
    for (size_t at = out.find(text); at != std::string::npos; at = out.find(text, at + 1)) ++n;
    return n;
  }
};

TEST_F(TraceTest, LinkedListWritesUnderBitFourWithItsSourceName) {
  qx_LnkList* list = qx_LnkList_create(nullptr);
  int x = 1;
  std::string out = traced(QX_DIAG_LNKLIST, [&] {
    qx_LnkList_insEnd(list, &x);
    qx_LnkList_next(list);
    qx_LnkList_move(list, 0, 0);
  });
  EXPECT_TRUE(has(out, "lnklist.cpp ("));
  EXPECT_TRUE(has(out, ") Entering qx_LnkList_insEnd.\n"));
  EXPECT_TRUE(has(out, ") Exiting qx_LnkList_insEnd.\n"));
  // next has no frame of its own: the skip it calls writes.
  EXPECT_TRUE(has(out, "Entering qx_LnkList_skip."));
  EXPECT_FALSE(has(out, "qx_LnkList_next"));
  EXPECT_FALSE(has(out, "qx_LnkList_move"));
  EXPECT_EQ(traced(QX_DIAG_STRLIST | QX_DIAG_TREE, [&] { qx_LnkList_insEnd(list, &x); }), "");
  qx_LnkList_destroy(list, nullptr);
}

TEST_F(TraceTest, StringListsWriteUnderBitTwoWithNodeNames) {
  qx_StrList* list = qx_StrList_create(nullptr);
  std::string out = traced(QX_DIAG_STRLIST, [&] {
    qx_StrList_insStart(list, u"a");
    qx_StrList_insEnd(list, u"b");
    qx_StrList_delCurr(list);
  });
  EXPECT_TRUE(has(out, "strlist.cpp ("));
  EXPECT_EQ(count(out, "Entering qx_StrList_insStart."), 1);
  EXPECT_EQ(count(out, "Entering qx_StrListNode_create."), 2);
  EXPECT_FALSE(has(out, "qx_StrList_insEnd"));  // not framed
  EXPECT_FALSE(has(out, "qx_LnkList_"));
  qx_StrList_start(list);
  out = traced(QX_DIAG_STRLIST, [&] { qx_StrList_delCurr(list); });
  EXPECT_TRUE(has(out, "Exiting qx_StrListNode_destroy."));
  qx_StrList_destroy(list);
}

TEST_F(TraceTest, TreeNodesWriteUnderBit21ExceptNextAndDestroy) {
  qx_TreeNode* root = nullptr;
  std::string out = traced(QX_DIAG_TREE, [&] { root = qx_TreeNode_create(u"r", nullptr); });
  EXPECT_TRUE(has(out, "tree.cpp ("));
  EXPECT_TRUE(has(out, "Entering qx_TreeNode_create."));
  out = traced(QX_DIAG_TREE, [&] {
    qx_TreeNode_next(root);
    qx_TreeNode_destroy(root, nullptr);
  });
  EXPECT_FALSE(has(out, "qx_TreeNode_next"));
  EXPECT_FALSE(has(out, "qx_TreeNode_destroy"));
  EXPECT_TRUE(has(out, "Entering qx_TreeNode_delCurr."));
}

TEST_F(TraceTest, VisitsWriteOneBalancedFramePerNode) {
  qx_TreeNode* root = qx_TreeNode_create(u"r", nullptr);
  for (int i = 0; i < 3; ++i) {
    qx_TreeNode* child = qx_TreeNode_create(u"c", nullptr);
    qx_TreeNode_insChild(root, child);
    qx_TreeNode_insChild(child, qx_TreeNode_create(u"g", nullptr));
  }
  auto never = [](void*, void*) { return 0; };
  for (auto visit : {qx_TreeNode_visitPre, qx_TreeNode_visitPost}) {
    std::string out = traced(QX_DIAG_TREE, [&] { visit(root, nullptr, never); });
    const char* name = visit == qx_TreeNode_visitPre ? "qx_TreeNode_visitPre." : "qx_TreeNode_visitPost.";
    EXPECT_EQ(count(out, std::string("Entering ") + name), 7);
    EXPECT_EQ(count(out, std::string("Exiting ") + name), 7);
  }
  qx_TreeNode_destroy(root, nullptr);
}

// Every bit but the linked list's: the timers are held in a linked list,
// which writes its own frames under its bit.
TEST_F(TraceTest, StringsTimersAndBase36WriteNothing) {
  const uint32_t every_other_family = ~uint32_t{QX_DIAG_LNKLIST};
  std::string out = traced(every_other_family, [] {
    qx_wchar buf[16];
    qx_Str_cpy(buf, u"abc");
    qx_Str_cmpi(buf, u"ABC");
    qx_Str_matchWildcard(buf, u"a*");
    qx_Str_getNthToken(u"a b", u" ", 1, nullptr);
    qx_Free(qx_Str_dup(buf));
    qx_Timer_create(u"trace");
    qx_Timer_check(u"trace");
    qx_Timer_reset(u"trace");
    qx_Timer_delete(u"trace");
    qx_Timer_clearAll();
    qx_Base36_toBase10(qx_Base36_fromBase10(1234));
  });
  EXPECT_EQ(out, "");
  // Under the same mask a traced family does write, so the silence above is
  // the families' own.
  qx_StrList* list = qx_StrList_create(nullptr);
  EXPECT_NE(traced(every_other_family, [&] { qx_StrList_insStart(list, u"x"); }), "");
  qx_StrList_destroy(list);
}

int compare_keys(const void* a, const void* b) {
  int x = *static_cast<const int*>(a), y = *static_cast<const int*>(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

// With tracing on, the quicksort writes the frames of a recursive sort;
// the order it leaves must be the same as without tracing.
TEST_F(TraceTest, TracedQuicksortWritesBalancedFramesAndSortsTheSame) {
  std::mt19937 rng(3);
  std::vector<int> keys(200);
  for (int& k : keys) k = static_cast<int>(rng() % 10);
  auto sorted_order = [&](bool trace) {
    qx_LnkList* list = qx_LnkList_create(nullptr);
    for (int& k : keys) qx_LnkList_insEnd(list, &k);
    std::string out = traced(trace ? QX_DIAG_LNKLIST : 0, [&] { qx_LnkList_qSort(list, compare_keys); });
    std::vector<const int*> order;
    for (auto* n = list->first; n; n = n->next) order.push_back(static_cast<const int*>(n->data));
    qx_LnkList_destroy(list, nullptr);
    if (trace) {
      EXPECT_GT(count(out, "Entering qx_LnkList_qSort."), 1);
      EXPECT_EQ(count(out, "Entering qx_LnkList_qSort."), count(out, "Exiting qx_LnkList_qSort."));
      EXPECT_EQ(count(out, "Entering qx_LnkList_partition."), count(out, "Exiting qx_LnkList_partition."));
    }
    return order;
  };
  EXPECT_EQ(sorted_order(true), sorted_order(false));
}

}  // namespace
