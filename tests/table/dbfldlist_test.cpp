// Table field lists and cursors: the value rule, the two lookups and their
// different case rules, the readers' neutral values and bounded buffers,
// template files, printing, and cursor ownership.
#include <gtest/gtest.h>

#include <string>

#include "qx/dbfldlist.h"
#include "qx/memory.h"
#include "table/table_test.h"
#include "test_support.h"

namespace {

using qxtest::u8;
using qxtest::CursorPtr;
using qxtest::DbListPtr;

TEST(DbFldNode, ValueRuleTrimsByType) {
  qx_DbFldNode* c = qx_DbFldNode_new(u"Name", u"  ab \t ", 10, 0, u'c');
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(u8(c->name), "Name");  // names are kept as given
  EXPECT_EQ(c->type, u'C');
  EXPECT_EQ(u8(c->value), "  ab");
  qx_DbFldNode* n = qx_DbFldNode_new(u"QTY", u"  12.50  ", 8, 2, u'n');
  EXPECT_EQ(u8(n->value), "12.50");
  qx_DbFldNode* f = qx_DbFldNode_new(u"F", u" 1 ", 8, 2, u'F');
  EXPECT_EQ(u8(f->value), "1");
  qx_DbFldNode* none = qx_DbFldNode_new(u"X", nullptr, 1, 0, u'L');
  EXPECT_EQ(none->value, nullptr);
  std::u16string long_name(100, u'A');
  qx_DbFldNode* cut = qx_DbFldNode_new(long_name.c_str(), u"", 1, 0, u'C');
  EXPECT_EQ(std::u16string(cut->name), long_name.substr(0, 63));
  for (auto* node : {c, n, f, none, cut}) EXPECT_EQ(qx_DbFldNode_destroy(node), 1);
  EXPECT_EQ(qx_DbFldNode_destroy(nullptr), 0);
  EXPECT_EQ(qx_DbFldNode_fromFld(nullptr), nullptr);
}

TEST(DbFldList, CreateUppercasesNamesAndKeepsLeadingBlanks) {
  DbListPtr list(qx_DbFldList_create(u"Name", u"  12 ", u"City", nullptr,
                                   static_cast<const qx_wchar*>(nullptr)));
  ASSERT_EQ(qx_DbFldList_length(list.get()), 2);
  auto* first = static_cast<qx_DbFldNode*>(list->first->data);
  EXPECT_EQ(u8(first->name), "NAME");
  EXPECT_EQ(u8(first->value), "  12");
  EXPECT_EQ(first->type, u'C');
  EXPECT_EQ(first->width, 0);
  auto* second = static_cast<qx_DbFldNode*>(list->last->data);
  ASSERT_NE(second->value, nullptr);  // a null value gives an empty text
  EXPECT_EQ(u8(second->value), "");
  // At most 512 characters of a value are taken.
  std::u16string big(600, u'x');
  DbListPtr wide(qx_DbFldList_create(u"A", big.c_str(), static_cast<const qx_wchar*>(nullptr)));
  EXPECT_EQ(std::u16string(static_cast<qx_DbFldNode*>(wide->first->data)->value).size(), 512u);
}

TEST(DbFldList, FindIsExactOnUppercaseWhileFindFldIgnoresCase) {
  DbListPtr list(qx_DbFldList_create(u"NAME", u"x", static_cast<const qx_wchar*>(nullptr)));
  ASSERT_EQ(qx_DbFldList_insEnd(list.get(), u"abc", u"1", 5, 0, u'N'), 1);
  EXPECT_EQ(qx_DbFldList_find(list.get(), u"name"), 1);
  EXPECT_EQ(qx_DbFldList_find(list.get(), u"abc"), 0);
  EXPECT_EQ(qx_DbFldList_find(list.get(), u"ABC"), 0);
  qx_DbFldNode* node = qx_DbFldList_findFld(list.get(), u"ABC");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(qx_DbFldList_getCurrFld(list.get()), node);
  EXPECT_EQ(qx_DbFldList_delFld(list.get(), u"abc"), 0);  // delFld goes through find
  EXPECT_EQ(qx_DbFldList_delFld(list.get(), u"Name"), 1);
  EXPECT_EQ(qx_DbFldList_length(list.get()), 1);
  EXPECT_EQ(qx_DbFldList_delFld(nullptr, u"x"), 0);
  EXPECT_EQ(qx_DbFldList_findFld(nullptr, u"x"), nullptr);
}

TEST(DbFldList, ReadersOfNoCurrentNodeGiveNeutralValues) {
  DbListPtr list(qx_DbFldList_create(static_cast<const qx_wchar*>(nullptr)));
  for (qx_DbFldList* l : {list.get(), static_cast<qx_DbFldList*>(nullptr)}) {
    EXPECT_EQ(qx_DbFldList_getCurrType(l), u'C');
    EXPECT_EQ(qx_DbFldList_getCurrWidth(l), 0);
    EXPECT_EQ(qx_DbFldList_getCurrPrec(l), 0);
    EXPECT_EQ(u8(qx_DbFldList_getCurrStr(l)), "");
    EXPECT_EQ(u8(qx_DbFldList_getCurrStrPadded(l)), "");
    EXPECT_EQ(u8(qx_DbFldList_getCurrName(l)), "");
    EXPECT_EQ(qx_DbFldList_getCurrDouble(l), 0.0);
    EXPECT_EQ(qx_DbFldList_modCurrVal(l, u"x"), 0);
    EXPECT_EQ(qx_DbFldList_modCurrWidth(l, 4), 0);
    EXPECT_EQ(u8(qx_DbFldList_getNthStr(l, 0)), "");
    EXPECT_EQ(qx_DbFldList_modNthVal(l, 0, u"x"), 0);
    EXPECT_EQ(u8(qx_DbFldList_getFldVal(l, u"A")), "");
    EXPECT_EQ(qx_DbFldList_modFldVal(l, u"A", u"x"), 0);
  }
}

TEST(DbFldList, CurrentAndNthReadersAndModifiers) {
  DbListPtr list(qx_DbFldList_create(static_cast<const qx_wchar*>(nullptr)));
  qx_DbFldList_insEnd(list.get(), u"QTY", u" 42.5", 8, 2, u'N');
  qx_DbFldList_insStart(list.get(), u"CODE", u"AB", 6, 0, u'C');
  ASSERT_EQ(qx_DbFldList_start(list.get()), 1);
  EXPECT_EQ(u8(qx_DbFldList_getCurrName(list.get())), "CODE");
  EXPECT_EQ(u8(qx_DbFldList_getCurrStrPadded(list.get())), "AB    ");
  EXPECT_EQ(qx_DbFldList_modCurrWidth(list.get(), 3), 6);
  EXPECT_EQ(qx_DbFldList_modCurrPrec(list.get(), 1), 0);
  EXPECT_EQ(qx_DbFldList_getCurrPrec(list.get()), 1);
  EXPECT_EQ(u8(qx_DbFldList_getNthStrPadded(list.get(), 1)), "42.5    ");
  EXPECT_EQ(qx_DbFldList_getCurrDouble(list.get()), 42.5);
  EXPECT_EQ(qx_DbFldList_getCurrInt(list.get()), 42);
  EXPECT_EQ(qx_DbFldList_modNthVal(list.get(), 1, u" 7 "), 1);
  EXPECT_EQ(u8(qx_DbFldList_getFldVal(list.get(), u"qty")), "7");
  EXPECT_EQ(qx_DbFldList_modFldVal(list.get(), u"code", nullptr), 0);
  EXPECT_EQ(static_cast<qx_DbFldNode*>(list->first->data)->value, nullptr);
  // The nth buffers hold 260 characters; longer values are cut, not overrun.
  std::u16string big(400, u'z');
  qx_DbFldList_modNthVal(list.get(), 0, big.c_str());
  EXPECT_EQ(std::u16string(qx_DbFldList_getNthStr(list.get(), 0)).size(), 260u);
  EXPECT_EQ(std::u16string(qx_DbFldList_getCurrStr(list.get())).size(), 400u);
  // A width beyond the padded buffer pads to the buffer's end only.
  qx_DbFldList_modCurrWidth(list.get(), 100000);
  EXPECT_EQ(std::u16string(qx_DbFldList_getCurrStrPadded(list.get())).size(), 512u);
  qx_DbFldList_freeValues(list.get());
  EXPECT_EQ(static_cast<qx_DbFldNode*>(list->last->data)->value, nullptr);
}

TEST(DbFldList, CopyIsDeepAndKeepsEveryAttribute) {
  DbListPtr list(qx_DbFldList_create(static_cast<const qx_wchar*>(nullptr)));
  qx_DbFldList_insEnd(list.get(), u"A", u"one", 3, 0, u'C');
  qx_DbFldList_insEnd(list.get(), u"B", nullptr, 8, 3, u'N');
  DbListPtr copy(qx_DbFldList_copy(list.get()));
  ASSERT_EQ(qx_DbFldList_length(copy.get()), 2);
  auto* a = static_cast<qx_DbFldNode*>(copy->first->data);
  auto* b = static_cast<qx_DbFldNode*>(copy->last->data);
  EXPECT_NE(a, list->first->data);
  EXPECT_NE(a->value, static_cast<qx_DbFldNode*>(list->first->data)->value);
  EXPECT_EQ(u8(a->value), "one");
  EXPECT_EQ(b->value, nullptr);
  EXPECT_EQ(b->width, 8);
  EXPECT_EQ(b->decimals, 3);
  EXPECT_EQ(b->type, u'N');
  EXPECT_EQ(qx_DbFldList_copy(nullptr), nullptr);
}

TEST(DbFldList, PrintListWritesNameTypeAndValue) {
  DbListPtr list(qx_DbFldList_create(static_cast<const qx_wchar*>(nullptr)));
  qx_DbFldList_insEnd(list.get(), u"NAME", u"P\u00fcmpe", 10, 0, u'C');
  qx_DbFldList_insEnd(list.get(), u"EMPTY", nullptr, 1, 0, u'L');
  qx_DbFldList_insEnd(list.get(), u"QTY", u"3", 5, 0, u'N');
  testing::internal::CaptureStdout();
  qx_DbFldList_printList(list.get());
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "NAME             C:P\u00fcmpe\nEMPTY            QTY              N:3\n");
}

TEST(DbFldList, FieldDescriptionsNeedANameAndSevenCharacters) {
  qx_wchar name[256];
  qx_wchar type = 0;
  int width = -1, decimals = -1;
  EXPECT_EQ(qx_DbFldList_parseFldDesc(u"diameter   n010003 rest", name, &type, &width, &decimals),
            1);
  EXPECT_EQ(u8(name), "DIAMETER");
  EXPECT_EQ(type, u'N');
  EXPECT_EQ(width, 10);
  EXPECT_EQ(decimals, 3);
  EXPECT_EQ(qx_DbFldList_parseFldDesc(u"code C010000", name, &type, &width, &decimals), 1);
  EXPECT_EQ(type, u'C');
  EXPECT_EQ(width, 10);
  EXPECT_EQ(decimals, 0);
  EXPECT_EQ(qx_DbFldList_parseFldDesc(u"short C05", name, &type, &width, &decimals), 0);
  EXPECT_EQ(u8(name), "short");  // written in any case, not upper-cased
  EXPECT_EQ(qx_DbFldList_parseFldDesc(u"", name, &type, &width, &decimals), 0);
  EXPECT_EQ(qx_DbFldList_parseFldDesc(u"   ", name, &type, &width, &decimals), 0);
  EXPECT_EQ(qx_DbFldList_parseFldDesc(nullptr, name, &type, &width, &decimals), 0);
  // A name longer than the output's room is cut there.
  std::u16string huge(5000, u'n');
  huge += u" C001000";
  EXPECT_EQ(qx_DbFldList_parseFldDesc(huge.c_str(), name, &type, &width, &decimals), 0);
  EXPECT_EQ(std::u16string(name).size(), 255u);
}

// A model of the description rule written from its statement: the first
// blank-separated word, then after blanks seven characters.
bool model_accepts(const std::u16string& line, std::u16string* name, std::u16string* desc) {
  size_t at = line.find_first_not_of(u' ');
  if (at == std::u16string::npos) return false;
  size_t end = line.find(u' ', at);
  *name = line.substr(at, end == std::u16string::npos ? std::u16string::npos : end - at);
  if (end == std::u16string::npos) return false;
  size_t d = line.find_first_not_of(u' ', end);
  if (d == std::u16string::npos) return false;
  *desc = line.substr(d, 7);
  return desc->size() == 7;
}

TEST(DbFldList, FieldDescriptionsAgreeWithAModelOnRandomLines) {
  unsigned seed = 12345;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  const char16_t alphabet[] = u"  aZ09Nc\t,.\u00e9\u20ac";
  for (int round = 0; round < 3000; ++round) {
    std::u16string line;
    size_t length = next() % 24;
    for (size_t i = 0; i < length; ++i) line += alphabet[next() % (sizeof alphabet / 2 - 1)];
    qx_wchar name[256];
    qx_wchar type = 0;
    int width = 0, decimals = 0;
    std::u16string model_name, desc;
    bool expected = model_accepts(line, &model_name, &desc);
    ASSERT_EQ(qx_DbFldList_parseFldDesc(line.c_str(), name, &type, &width, &decimals),
              expected ? 1 : 0)
        << u8(line);
    if (expected) {
      for (auto& c : model_name) c = qx::port::wtoupper(c);
      EXPECT_EQ(std::u16string(name), model_name);
      EXPECT_EQ(type, qx::port::wtoupper(desc[0]));
      EXPECT_EQ(width, qx::port::wtoi(desc.substr(1, 3).c_str()));
      EXPECT_EQ(decimals, qx::port::wtoi(desc.substr(4, 3).c_str()));
    }
  }
}

TEST(DbFldList, TemplatesSkipWhatIsNoDescription) {
  qxtest::TempDir dir;
  qxtest::write_file(dir.file("pipe.tpl"),
                     "# parts\r\nCODE C012000\r\n\r\nCODEONLY\r\nSHORT C05\r\nDIAM N010003\nOK L001000");
  DbListPtr list(qx_DbFldList_fromTemplate(dir.wfile("pipe.tpl").c_str()));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(qx_DbFldList_length(list.get()), 3);
  auto* code = static_cast<qx_DbFldNode*>(list->first->data);
  EXPECT_EQ(u8(code->name), "CODE");
  EXPECT_EQ(code->value, nullptr);
  EXPECT_EQ(code->width, 12);
  auto* ok = static_cast<qx_DbFldNode*>(list->last->data);
  EXPECT_EQ(ok->type, u'L');
  qxtest::write_file(dir.file("none.tpl"), "nothing here\n");
  EXPECT_EQ(qx_DbFldList_fromTemplate(dir.wfile("none.tpl").c_str()), nullptr);
  EXPECT_EQ(qx_DbFldList_fromTemplate(dir.wfile("missing.tpl").c_str()), nullptr);
  EXPECT_EQ(qx_DbFldList_fromTemplate(nullptr), nullptr);
}

DbListPtr one_field(const qx_wchar* value) {
  return DbListPtr(qx_DbFldList_create(u"V", value, static_cast<const qx_wchar*>(nullptr)));
}

TEST(DbCursor, ElementsOwnTheirListsAndLabels) {
  CursorPtr cursor(qx_DbCursor_create());
  EXPECT_EQ(qx_DbCursor_insEnd(cursor.get(), u"pipes", one_field(u"1").release()), 1);
  EXPECT_EQ(qx_DbCursor_insEnd(cursor.get(), nullptr, one_field(u"2").release()), 1);
  EXPECT_EQ(qx_DbCursor_insStart(cursor.get(), u"first", one_field(u"0").release()), 1);
  EXPECT_EQ(qx_DbCursor_length(cursor.get()), 3);
  EXPECT_EQ(u8(qx_DbCursor_getNthTblName(cursor.get(), 1)), "pipes");
  qx_DbFldList* second = qx_DbCursor_getNthFldList(cursor.get(), 2);
  EXPECT_EQ(u8(qx_DbFldList_getFldVal(second, u"v")), "2");
  EXPECT_EQ(qx_DbCursor_getNthFldList(cursor.get(), 3), nullptr);
  EXPECT_EQ(qx_DbCursor_start(cursor.get()), 1);
  EXPECT_EQ(qx_DbCursor_modCurr(cursor.get(), u"again", one_field(u"9").release()), 1);
  EXPECT_EQ(u8(qx_DbCursor_getCurrTblName(cursor.get())), "again");
  EXPECT_EQ(u8(qx_DbFldList_getFldVal(qx_DbCursor_getCurrFldList(cursor.get()), u"V")), "9");
  EXPECT_EQ(qx_DbCursor_delNth(cursor.get(), 1), 1);
  EXPECT_EQ(qx_DbCursor_length(cursor.get()), 2);
  EXPECT_EQ(qx_DbCursor_insEnd(nullptr, u"x", nullptr), 0);
  EXPECT_EQ(qx_DbCursor_destroy(nullptr), 0);
}

TEST(DbCursor, NameReadersFallBackOnACopyOfTheirLastLabel) {
  CursorPtr cursor(qx_DbCursor_create());
  qx_DbCursor_insEnd(cursor.get(), u"parts", one_field(u"1").release());
  qx_DbCursor_start(cursor.get());
  EXPECT_EQ(u8(qx_DbCursor_getCurrTblName(cursor.get())), "parts");
  EXPECT_EQ(u8(qx_DbCursor_getNthTblName(cursor.get(), 0)), "parts");
  // The element goes away: the fallback must not point into freed memory
  // (the sanitizer build checks).
  qx_DbCursor_delCurr(cursor.get());
  EXPECT_EQ(qx_DbCursor_getCurr(cursor.get()), nullptr);
  EXPECT_EQ(u8(qx_DbCursor_getCurrTblName(cursor.get())), "parts");
  EXPECT_EQ(u8(qx_DbCursor_getNthTblName(cursor.get(), 5)), "parts");
}

TEST(DbCursor, CopySkipsIncompleteElementsAndJoinMovesAll) {
  CursorPtr cursor(qx_DbCursor_create());
  qx_DbCursor_insEnd(cursor.get(), u"a", one_field(u"1").release());
  qx_DbCursor_insEnd(cursor.get(), nullptr, one_field(u"2").release());
  qx_DbCursor_insEnd(cursor.get(), u"c", nullptr);
  CursorPtr copy(qx_DbCursor_copy(cursor.get()));
  ASSERT_EQ(qx_DbCursor_length(copy.get()), 1);
  EXPECT_NE(qx_DbCursor_getNthFldList(copy.get(), 0), qx_DbCursor_getNthFldList(cursor.get(), 0));
  CursorPtr empty(qx_DbCursor_create());
  qx_DbCursor_insEnd(empty.get(), nullptr, nullptr);
  EXPECT_EQ(qx_DbCursor_copy(empty.get()), nullptr);
  EXPECT_EQ(qx_DbCursor_copy(nullptr), nullptr);
  EXPECT_EQ(qx_DbCursor_join(cursor.get(), copy.release()), 1);
  EXPECT_EQ(qx_DbCursor_length(cursor.get()), 4);
  EXPECT_EQ(u8(qx_DbCursor_getNthTblName(cursor.get(), 3)), "a");
  EXPECT_EQ(qx_DbCursor_join(cursor.get(), cursor.get()), 0);
}

}  // namespace
