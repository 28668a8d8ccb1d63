// A table field list turned into typed field values: numbers with decimals
// (a comma read as the point), whole numbers, text for every other type,
// unnamed fields skipped.
#include <gtest/gtest.h>

#include <string>

#include "qx/dbfldlist.h"
#include "qx/fldlist.h"

namespace {

TEST(FldListFromDbFldList, TypesFollowTheTableFieldDescriptions) {
  qx_DbFldList* table = qx_DbFldList_create(nullptr);
  qx_DbFldList_insEnd(table, u"PRICE", u"3,25", 8, 2, 'N');
  qx_DbFldList_insEnd(table, u"COUNT", u"12", 4, 0, 'N');
  qx_DbFldList_insEnd(table, u"RATE", u" -0.5", 6, 3, 'N');
  qx_DbFldList_insEnd(table, u"NAME", u"Pipe 12", 20, 0, 'C');
  qx_DbFldList_insEnd(table, u"BUILT", u"20240131", 8, 0, 'D');
  qx_DbFldList_insEnd(table, u"", u"lost", 5, 0, 'C');
  qx_DbFldList_insEnd(table, u"EMPTY", nullptr, 6, 2, 'N');
  qx_FldList* list = qx_FldList_fromDbFldList(table);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(qx_FldList_count(list), 6);
  double real = 0;
  int32_t whole = 0;
  qx_wchar text[64] = {};
  EXPECT_EQ(qx_FldList_find(list, u"PRICE")->type, 'N');
  EXPECT_EQ(qx_FldList_getReal(list, u"PRICE", &real), 1);
  EXPECT_DOUBLE_EQ(real, 3.25);
  EXPECT_EQ(qx_FldList_find(list, u"COUNT")->type, 'I');
  EXPECT_EQ(qx_FldList_getInt(list, u"COUNT", &whole), 1);
  EXPECT_EQ(whole, 12);
  EXPECT_EQ(qx_FldList_getReal(list, u"RATE", &real), 1);
  EXPECT_DOUBLE_EQ(real, -0.5);
  EXPECT_EQ(qx_FldList_getChar(list, u"NAME", text, 63), 1);
  EXPECT_EQ(std::u16string(text), u"Pipe 12");
  EXPECT_EQ(qx_FldList_getChar(list, u"BUILT", text, 63), 1);
  EXPECT_EQ(std::u16string(text), u"20240131");
  EXPECT_EQ(qx_FldList_getReal(list, u"EMPTY", &real), 1);
  EXPECT_EQ(real, 0.0);
  EXPECT_TRUE(qx_DbFldList_eol(table));  // the walk leaves the table list past the end
  qx_FldList_destroy(list);
  qx_DbFldList_destroy(table);
}

TEST(FldListFromDbFldList, NullGivesAnEmptyList) {
  qx_FldList* list = qx_FldList_fromDbFldList(nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(qx_FldList_count(list), 0);
  qx_FldList_destroy(list);
}

}  // namespace
