// String lists: copies in and out, sorted insertion, search, splitting and
// joining, grouped joining with quotes, duplicate removal.
#include "qx/strlist.h"

#include <gtest/gtest.h>

#include <string>

#include "qx/memory.h"
#include "test_support.h"

namespace {

using W = std::u16string;

W joined(qx_StrList* list) { return qxtest::bracketed(list); }

TEST(StrList, StringsAreCopiedInAndOut) {
  qx_wchar source[] = u"abc";
  qx_StrList* list = qx_StrList_create(source, u"def", nullptr);
  source[0] = u'X';
  EXPECT_EQ(joined(list), u"[abc][def]");
  EXPECT_EQ(W(qx_StrList_getCurr(list)), u"abc");
  qx_wchar* copy = qx_StrList_getCurrPtr(list);
  EXPECT_EQ(W(copy), u"abc");
  qx_Free(copy);
  EXPECT_EQ(qx_StrList_insEnd(list, nullptr), 0);
  EXPECT_EQ(qx_StrList_insStart(nullptr, u"x"), 0);
  EXPECT_EQ(qx_StrList_count(list), 2);
  EXPECT_EQ(W(qx_StrList_getNth(list, 1)), u"def");
  EXPECT_EQ(qx_StrList_next(list), 0);
  EXPECT_EQ(qx_StrList_getCurr(list), nullptr);
  EXPECT_EQ(qx_StrList_getCurrPtr(list), nullptr);
  EXPECT_EQ(qx_StrList_getNth(list, 2), nullptr);
  qx_StrList_destroy(list);
}

TEST(StrList, GetCurrCutsToItsBuffer) {
  W big(600, u'z');
  qx_StrList* list = qx_StrList_create(big.c_str(), nullptr);
  EXPECT_EQ(W(qx_StrList_getCurr(list)).size(), 512u);
  qx_wchar* full = qx_StrList_getCurrPtr(list);
  EXPECT_EQ(W(full).size(), 600u);
  qx_Free(full);
  EXPECT_EQ(W(qx_StrList_searchForString(list, u"zz", 0)).size(), 512u);
  qx_StrList_destroy(list);
}

TEST(StrList, PlacementFollowsTheLinkedList) {
  qx_StrList* list = qx_StrList_create(u"b", u"d", nullptr);
  qx_StrList_insStart(list, u"a");
  qx_StrList_insNth(list, 2, u"c");
  qx_StrList_end(list);
  qx_StrList_insAfter(list, u"e");
  qx_StrList_insBefore(list, u"d2");
  EXPECT_EQ(joined(list), u"[a][b][c][d2][d][e]");
  EXPECT_EQ(W(qx_StrList_getCurr(list)), u"d");
  EXPECT_EQ(qx_StrList_modNth(list, 0, u"A"), 1);
  EXPECT_EQ(qx_StrList_delNth(list, 3), 1);
  EXPECT_EQ(W(qx_StrList_getCurr(list)), u"d");
  EXPECT_EQ(joined(list), u"[A][b][c][d][e]");
  qx_StrList_skip(list, 5);
  EXPECT_EQ(qx_StrList_modCurr(list, u"x"), 0);  // cursor off the list
  qx_StrList_end(list);
  qx_StrList_delCurr(list);
  EXPECT_EQ(W(qx_StrList_getCurr(list)), u"d");
  qx_StrList_delAll(list);
  EXPECT_EQ(qx_StrList_length(list), 0);
  qx_StrList_destroy(list);
}

TEST(StrList, SortedInsertionIsOrdinalAndKeepsEqualsInOrder) {
  qx_StrList* list = qx_StrList_create(u"a", u"c", nullptr);
  qx_StrList_insSorted(list, u"b");
  EXPECT_EQ(joined(list), u"[a][b][c]");
  qx_StrList_insSorted(list, u"B");
  EXPECT_EQ(joined(list), u"[B][a][b][c]");
  qx_StrList_insSorted(list, u"z");
  EXPECT_EQ(joined(list), u"[B][a][b][c][z]");
  // An equal string goes after the ones already there.
  qx_StrList_modNth(list, 2, u"b1");
  qx_StrList_insSorted(list, u"b1");
  EXPECT_EQ(qx_StrList_search(list, u"b1", 0), 2);
  EXPECT_EQ(qx_StrList_length(list), 6);
  qx_StrList_destroy(list);

  qx_StrList* empty = qx_StrList_create(nullptr);
  EXPECT_EQ(qx_StrList_insSorted(empty, u"x"), 1);
  EXPECT_EQ(joined(empty), u"[x]");
  qx_StrList_destroy(empty);
}

TEST(StrList, SortIsOrdinal) {
  qx_StrList* list = qx_StrList_create(u"b", u"B", u"a", u"ab", u"a", nullptr);
  qx_StrList_sort(list);
  EXPECT_EQ(joined(list), u"[B][a][a][ab][b]");
  EXPECT_TRUE(qx_StrList_eol(list));
  qx_StrList_destroy(list);
  list = qx_StrList_create(u"same", u"same", nullptr);
  qx_StrList_sort(list);
  EXPECT_FALSE(qx_StrList_eol(list));  // nothing to partition: cursor kept
  qx_StrList_destroy(list);
}

TEST(StrList, SearchesLeaveTheCursorOnTheMatch) {
  qx_StrList* list = qx_StrList_create(u"xyz", u"abc", u"Hello world", nullptr);
  EXPECT_EQ(qx_StrList_search(list, u"ABC", 1), 1);
  EXPECT_EQ(W(qx_StrList_getCurr(list)), u"abc");
  EXPECT_EQ(qx_StrList_search(list, u"ABC", 0), -1);
  EXPECT_TRUE(qx_StrList_eol(list));
  EXPECT_EQ(W(qx_StrList_searchForString(list, u"WORLD", 1)), u"Hello world");
  EXPECT_EQ(qx_StrList_searchForString(list, u"WORLD", 0), nullptr);
  qx_StrList_destroy(list);
}

TEST(StrList, CopyAndConcatenate) {
  qx_StrList* list = qx_StrList_create(u"a", u"b", nullptr);
  qx_StrList* copy = qx_StrList_copy(list);
  EXPECT_EQ(joined(copy), u"[a][b]");
  EXPECT_TRUE(qx_StrList_eol(list));
  EXPECT_EQ(qx_StrList_concatenate(copy, list), 1);
  EXPECT_EQ(joined(copy), u"[a][b][a][b]");
  EXPECT_EQ(qx_StrList_concatenate(list, list), 1);
  EXPECT_EQ(joined(list), u"[a][b][a][b]");
  EXPECT_EQ(qx_StrList_concatenate(list, nullptr), 0);
  qx_StrList* none = qx_StrList_copy(nullptr);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(qx_StrList_length(none), 0);
  for (auto* l : {list, copy, none}) qx_StrList_destroy(l);
}

TEST(StrListSplitJoin, SplittingDropsEmptyFieldsAndTrims) {
  qx_StrList* list = qx_StrList_fromDelimitedString(u"a, b,,c ", u",");
  EXPECT_EQ(joined(list), u"[a][b][c]");
  EXPECT_EQ(W(qx_StrList_getCurr(list)), u"a");
  qx_StrList_destroy(list);
  EXPECT_EQ(qx_StrList_fromDelimitedString(u",,", u","), nullptr);
  EXPECT_EQ(qx_StrList_fromDelimitedString(u"", u","), nullptr);
  EXPECT_EQ(qx_StrList_fromDelimitedString(nullptr, u","), nullptr);
  list = qx_StrList_fromDelimitedString(u"x; ;y", u";");  // a blank token stays, empty
  EXPECT_EQ(joined(list), u"[x][][y]");
  qx_StrList_destroy(list);
  list = qx_StrList_fromDelimitedString(u"1.2;3", u".;");
  EXPECT_EQ(joined(list), u"[1][2][3]");
  qx_StrList_destroy(list);
}

TEST(StrListSplitJoin, JoiningPutsTheSeparatorBetween) {
  qx_StrList* list = qx_StrList_create(u"a", u"b", u"c", nullptr);
  qx_wchar* text = qx_StrList_toDelimitedString(list, u", ");
  EXPECT_EQ(W(text), u"a, b, c");
  qx_Free(text);
  qx_StrList* empty = qx_StrList_create(nullptr);
  EXPECT_EQ(qx_StrList_toDelimitedString(empty, u","), nullptr);
  EXPECT_EQ(qx_StrList_toDelimitedString(nullptr, u","), nullptr);
  EXPECT_EQ(qx_StrList_toDelimitedStringList(empty, u",", 2, 1), nullptr);
  qx_StrList_destroy(empty);
  qx_StrList_destroy(list);
}

TEST(StrListSplitJoin, GroupedJoiningWithQuotes) {
  qx_StrList* list = qx_StrList_create(u"a", u"b", u"c", u"d", u"e", nullptr);
  qx_StrList* groups = qx_StrList_toDelimitedStringList(list, u",", 2, 1);
  EXPECT_EQ(joined(groups), u"['a','b']['c','d']['e']");
  qx_StrList_destroy(groups);
  groups = qx_StrList_toDelimitedStringList(list, u"+", 0, 0);
  EXPECT_EQ(joined(groups), u"[a+b+c+d+e]");
  qx_StrList_destroy(groups);
  groups = qx_StrList_toDelimitedStringList(list, u"+", 5, 0);
  EXPECT_EQ(joined(groups), u"[a+b+c+d+e]");
  qx_StrList_destroy(groups);
  groups = qx_StrList_toDelimitedStringList(list, u"+", 1, 0);
  EXPECT_EQ(joined(groups), u"[a][b][c][d][e]");
  qx_StrList_destroy(groups);
  qx_StrList_destroy(list);
}

TEST(StrListDuplicates, FirstOccurrenceWinsAndTheOldListGoes) {
  qx_StrList* list = qx_StrList_create(u"x", u"X", u"y", u"x", nullptr);
  qx_StrList* unique = qx_StrList_removeDuplicates(list, 1);
  EXPECT_NE(unique, list);
  EXPECT_EQ(joined(unique), u"[x][y]");
  qx_StrList* exact = qx_StrList_removeDuplicates(unique, 0);
  EXPECT_EQ(joined(exact), u"[x][y]");
  qx_StrList_destroy(exact);

  list = qx_StrList_create(u"x", u"X", nullptr);
  unique = qx_StrList_removeDuplicates(list, 0);
  EXPECT_EQ(joined(unique), u"[x][X]");
  qx_StrList_destroy(unique);

  qx_StrList* single = qx_StrList_create(u"only", nullptr);
  EXPECT_EQ(qx_StrList_removeDuplicates(single, 1), single);
  qx_StrList_destroy(single);
  EXPECT_EQ(qx_StrList_removeDuplicates(nullptr, 1), nullptr);
}

}  // namespace
