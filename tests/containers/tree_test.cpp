// Tree nodes: appending, names, dotted-path search, visiting order, deletion.
#include "qx/tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using W = std::u16string;

// Visit callback that records the data (a name) and accepts one name.
struct Recorder {
  std::vector<W> seen;
  W accept;
};
int record(void* context, void* data) {
  auto* rec = static_cast<Recorder*>(context);
  W name = data ? static_cast<const qx_wchar*>(data) : u"(null)";
  rec->seen.push_back(name);
  return name == rec->accept ? 1 : 0;
}

// Makes a node whose data is its own name (a literal).
qx_TreeNode* add(qx_TreeNode* parent, const qx_wchar* name) {
  qx_TreeNode* node = qx_TreeNode_create(name, const_cast<qx_wchar*>(name));
  if (parent) qx_TreeNode_insChild(parent, node);
  return node;
}

class TreeTest : public ::testing::Test {
 protected:
  // root { a { b1 b2 } B { b } c }
  void SetUp() override {
    root_ = add(nullptr, u"root");
    a_ = add(root_, u"a");
    b1_ = add(a_, u"b");
    b2_ = add(a_, u"b");
    B_ = add(root_, u"B");
    Bb_ = add(B_, u"b");
    c_ = add(root_, u"c");
  }
  void TearDown() override { qx_TreeNode_destroy(root_, nullptr); }
  qx_TreeNode *root_, *a_, *b1_, *b2_, *B_, *Bb_, *c_;
};

TEST_F(TreeTest, ChildrenAppendInOrder) {
  EXPECT_EQ(qx_TreeNode_getFirstChild(root_), a_);
  EXPECT_EQ(qx_TreeNode_getLastChild(root_), c_);
  EXPECT_EQ(qx_TreeNode_getPreviousSibling(c_), B_);
  EXPECT_EQ(qx_TreeNode_getNextSibling(a_), B_);
  EXPECT_EQ(qx_TreeNode_getPreviousSibling(a_), nullptr);
  EXPECT_EQ(qx_TreeNode_getParent(Bb_), B_);
  EXPECT_EQ(qx_TreeNode_getChildCount(root_, nullptr), 3);
  EXPECT_EQ(qx_TreeNode_getChildCount(root_, u"A"), 1);
  EXPECT_EQ(qx_TreeNode_getChildCount(a_, u"B"), 2);
  EXPECT_EQ(qx_TreeNode_insChild(root_, nullptr), 0);
}

TEST_F(TreeTest, ChildByNameIgnoresCaseAndCountsOccurrences) {
  qx_TreeNode* parent = add(nullptr, u"p");
  qx_TreeNode* first = add(parent, u"a");
  add(parent, u"B");
  qx_TreeNode* third = add(parent, u"A");
  EXPECT_EQ(qx_TreeNode_getChildByName(parent, u"a", 0), first);
  EXPECT_EQ(qx_TreeNode_getChildByName(parent, u"a", 2), third);
  EXPECT_EQ(qx_TreeNode_getChildByName(parent, u"a", 3), nullptr);
  qx_TreeNode_destroy(parent, nullptr);
}

TEST_F(TreeTest, DottedPathSearch) {
  EXPECT_EQ(qx_TreeNode_search(root_, u"a.b", 2), b2_);
  EXPECT_EQ(qx_TreeNode_search(root_, u"a.b", 1), b1_);
  // Parts before the last take the first child of the name ('a', not 'B').
  EXPECT_EQ(qx_TreeNode_search(root_, u" A . B ", 0), b1_);
  EXPECT_EQ(qx_TreeNode_search(root_, u"b.b", 1), Bb_);
  EXPECT_EQ(qx_TreeNode_search(root_, u"a..b", 1), b1_);  // empty parts vanish
  EXPECT_EQ(qx_TreeNode_search(root_, u"a.x", 1), nullptr);
  EXPECT_EQ(qx_TreeNode_search(root_, u"a.b", 3), nullptr);
  EXPECT_EQ(qx_TreeNode_search(root_, u"..", 1), nullptr);
  EXPECT_EQ(qx_TreeNode_search(nullptr, u"a", 1), nullptr);
}

TEST_F(TreeTest, VisitingOrder) {
  Recorder pre;
  EXPECT_EQ(qx_TreeNode_visit(root_, &pre, record, 1), nullptr);
  EXPECT_EQ(pre.seen, (std::vector<W>{u"root", u"a", u"b", u"b", u"B", u"b", u"c"}));
  Recorder post;
  EXPECT_EQ(qx_TreeNode_visitPost(root_, &post, record), nullptr);
  EXPECT_EQ(post.seen, (std::vector<W>{u"b", u"b", u"a", u"b", u"B", u"c", u"root"}));

  Recorder stop{{}, u"B"};
  EXPECT_EQ(qx_TreeNode_visit(root_, &stop, record, 0), B_);
  EXPECT_EQ(stop.seen, (std::vector<W>{u"root", u"a", u"b", u"b", u"B"}));
  Recorder stop_post{{}, u"a"};
  EXPECT_EQ(qx_TreeNode_visit(root_, &stop_post, record, 2), a_);
  EXPECT_EQ(stop_post.seen, (std::vector<W>{u"b", u"b", u"a"}));

  Recorder none;
  EXPECT_EQ(qx_TreeNode_visit(root_, &none, record, 5), nullptr);
  EXPECT_TRUE(none.seen.empty());
  EXPECT_EQ(qx_TreeNode_visitPre(root_, &none, nullptr), nullptr);
  // A visit covers only the subtree it starts from.
  Recorder sub;
  qx_TreeNode_visitPre(a_, &sub, record);
  EXPECT_EQ(sub.seen, (std::vector<W>{u"a", u"b", u"b"}));
}

TEST_F(TreeTest, NextWalksPreOrderOverTheWholeTree) {
  std::vector<qx_TreeNode*> order;
  for (qx_TreeNode* n = root_; n; n = qx_TreeNode_next(n)) order.push_back(n);
  EXPECT_EQ(order, (std::vector<qx_TreeNode*>{root_, a_, b1_, b2_, B_, Bb_, c_}));
  EXPECT_EQ(qx_TreeNode_next(b2_), B_);  // leaves the subtree of a
}

TEST_F(TreeTest, NamesDataAndRootValue) {
  EXPECT_EQ(W(qx_TreeNode_getName(a_)), u"a");
  EXPECT_EQ(qx_TreeNode_setName(a_, u"renamed"), 1);
  EXPECT_EQ(W(qx_TreeNode_getName(a_)), u"renamed");
  EXPECT_EQ(qx_TreeNode_setName(nullptr, u"x"), 0);
  int value = 1;
  EXPECT_EQ(qx_TreeNode_setData(a_, &value), 0);
  EXPECT_EQ(qx_TreeNode_getData(a_), &value);
  EXPECT_EQ(qx_TreeNode_setRoot(a_, &value), 0);  // data already set
  qx_TreeNode* bare = qx_TreeNode_create(nullptr, nullptr);
  EXPECT_EQ(qx_TreeNode_getName(bare), nullptr);
  EXPECT_EQ(qx_TreeNode_setRoot(bare, nullptr), 0);
  EXPECT_EQ(qx_TreeNode_setRoot(bare, &value), 1);
  EXPECT_EQ(qx_TreeNode_getRoot(bare), &value);
  qx_TreeNode_destroy(bare, nullptr);
}

int g_released = 0;
int count_release(void*) { return ++g_released; }

TEST_F(TreeTest, DeletionUnlinksOnlyChildlessNodes) {
  EXPECT_EQ(qx_TreeNode_delCurr(a_, nullptr), 0);  // a has children
  EXPECT_EQ(qx_TreeNode_getChildCount(a_, nullptr), 2);
  g_released = 0;
  EXPECT_EQ(qx_TreeNode_delCurr(b1_, count_release), 1);
  EXPECT_EQ(g_released, 1);
  EXPECT_EQ(qx_TreeNode_getFirstChild(a_), b2_);
  EXPECT_EQ(qx_TreeNode_getPreviousSibling(b2_), nullptr);
  // Destroying a subtree removes children first, later siblings first, and
  // unlinks it from its parent.
  EXPECT_EQ(qx_TreeNode_destroy(B_, count_release), 1);
  EXPECT_EQ(g_released, 3);
  EXPECT_EQ(qx_TreeNode_getNextSibling(a_), c_);
  EXPECT_EQ(qx_TreeNode_getPreviousSibling(c_), a_);
  EXPECT_EQ(qx_TreeNode_destroy(nullptr, nullptr), 0);
}

TEST(TreeDepth, DeepChainsAreWalkedWithoutRecursion) {
  const int depth = 200000;
  qx_TreeNode* root = qx_TreeNode_create(u"n", nullptr);
  qx_TreeNode* node = root;
  for (int i = 0; i < depth; ++i) node = add(node, u"n");
  Recorder rec{{}, u"never"};
  EXPECT_EQ(qx_TreeNode_visitPost(root, &rec, record), nullptr);
  EXPECT_EQ(rec.seen.size(), static_cast<size_t>(depth + 1));
  EXPECT_EQ(qx_TreeNode_destroy(root, nullptr), 1);
}

}  // namespace
