// The table API: its id rules, records through table field lists, indexes
// named TAG000..., bad input, and the reference tables made by an
// independent program, read and walked through the API.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "dbf/table.h"
#include "port/alert.h"
#include "port/wstr.h"
#include "qx/db.h"
#include "table/table_test.h"
#include "test_support.h"

namespace {

using qxtest::u8;
using qxtest::CursorPtr;
using qxtest::DbListPtr;


// Every test starts and ends with nothing open, so ids start afresh.
// Engine error boxes are recorded instead of shown: the API switches most
// reports off, so a box where none is due is a fault.
class DbApi : public testing::Test {
 protected:
  void SetUp() override {
    qx_Db_closeAll();
    qx::port::set_alert_sink(&DbApi::record_alert, &alerts_);
  }
  void TearDown() override {
    qx_Db_closeAll();
    qx::port::set_alert_sink(nullptr, nullptr);
  }
  static int record_alert(const qx::port::Alert& alert, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(u8(alert.text));
    return 1;
  }

  // A table of parts: CODE C 8, DIAM N 8 2, MADE D, OK L, NOTE M.
  int create_parts(const std::string& name) {
    DbListPtr fields(qx_DbFldList_create(static_cast<const qx_wchar*>(nullptr)));
    qx_DbFldList_insEnd(fields.get(), u"code", nullptr, 8, 0, u'C');
    qx_DbFldList_insEnd(fields.get(), u"DIAM", nullptr, 8, 2, u'N');
    qx_DbFldList_insEnd(fields.get(), u"MADE", nullptr, 8, 0, u'D');
    qx_DbFldList_insEnd(fields.get(), u"OK", nullptr, 1, 0, u'L');
    qx_DbFldList_insEnd(fields.get(), u"NOTE", nullptr, 10, 0, u'M');
    return qx_Db_createDb(dir_.wfile(name).c_str(), fields.get());
  }

  // Appends a record through a field list.
  void add_part(int id, const qx_wchar* code, const qx_wchar* diam, const qx_wchar* note) {
    ASSERT_EQ(qx_Db_appRec(id), 0);
    DbListPtr rec(qx_DbFldList_create(u"CODE", code, u"DIAM", diam, u"MADE", u"20240131", u"NOTE",
                                    note, static_cast<const qx_wchar*>(nullptr)));
    ASSERT_EQ(qx_Db_modRec(id, rec.get()), 0);
  }

  qxtest::TempDir dir_;
  std::vector<std::string> alerts_;
};

TEST_F(DbApi, TableIdsReuseTheLargestAfterItCloses) {
  EXPECT_EQ(create_parts("a.dbf"), 0);
  EXPECT_EQ(create_parts("b.dbf"), 1);
  EXPECT_EQ(qx_Db_closeDb(1), 0);
  EXPECT_EQ(qx_Db_openDb(dir_.wfile("b.dbf").c_str()), 1);
  EXPECT_EQ(qx_Db_closeDb(0), 0);
  EXPECT_EQ(qx_Db_openDb(dir_.wfile("a.dbf").c_str()), 2);
  EXPECT_EQ(qx_Db_closeDb(0), 1);  // already closed
  EXPECT_NE(qx_DbRef_sel(2), nullptr);
  EXPECT_EQ(qx_DbRef_sel(0), nullptr);
  EXPECT_EQ(qx_Db_openDb(dir_.wfile("missing.dbf").c_str()), -1);
  EXPECT_EQ(qx_Db_openDb(nullptr), -1);
  EXPECT_EQ(qx_Db_createDb(dir_.wfile("c.dbf").c_str(), nullptr), -1);
  // Creating over a table that exists replaces it (the context overwrites);
  // one held exclusively elsewhere is left whole.
  add_part(2, u"X", u"1", u"");
  EXPECT_EQ(qx_Db_closeDb(2), 0);
  {
    qx::dbf::Engine holder;
    holder.quietErrors = 1;
    holder.exclusiveAccess = 1;
    qx::dbf::Table* held = qx::dbf::dbfOpen(&holder, dir_.file("a.dbf").c_str());
    ASSERT_NE(held, nullptr);
    std::string before = qxtest::read_file(dir_.file("a.dbf"));
    EXPECT_EQ(create_parts("a.dbf"), -1);
    EXPECT_EQ(qxtest::read_file(dir_.file("a.dbf")), before);
    qx::dbf::dbfClose(held);
  }
  int again = create_parts("a.dbf");
  EXPECT_GE(again, 0);
  EXPECT_EQ(qx_Db_getRecordCount(again), 0);
  EXPECT_EQ(qx_Db_rendx(), -1);
}

TEST_F(DbApi, IndexIdsAreHundredsAndTagIdsRoundDown) {
  int id = create_parts("p.dbf");
  add_part(id, u"B", u"2", u"");
  add_part(id, u"A", u"1", u"");
  EXPECT_EQ(qx_Db_createNdx(id, dir_.wfile("p1").c_str(), u"CODE", 0), 100);
  EXPECT_EQ(qx_Db_createNdx(id, dir_.wfile("p2").c_str(), u"DIAM", 0), 200);
  EXPECT_NE(qx_DbTagRef_selNdx(199), nullptr);
  EXPECT_EQ(qx_DbTagRef_selNdx(99), nullptr);
  EXPECT_EQ(qx_Db_closeNdx(205), 0);
  EXPECT_EQ(qx_DbTagRef_selNdx(200), nullptr);
  EXPECT_EQ(qx_Db_closeNdx(205), 1);
  EXPECT_EQ(qx_Db_openNdx(id, dir_.wfile("p2.cdx").c_str()), 200);
  EXPECT_EQ(qx_Db_openNdx(id, dir_.wfile("none.cdx").c_str()), -1);
  EXPECT_EQ(qx_Db_openNdx(7, dir_.wfile("p2.cdx").c_str()), -1);
  EXPECT_EQ(qx_Db_createNdx(id, dir_.wfile("p3").c_str(), u" , ", 0), -1);  // no expression
  EXPECT_EQ(qx_Db_createNdx(id, dir_.wfile("p4").c_str(), u"NOSUCH", 0), -1);
  EXPECT_EQ(qx_DbTagRef_selNdx(300), nullptr);  // a failed create leaves no entry
  EXPECT_TRUE(alerts_.empty()) << alerts_[0];    // missing files and bad keys are quiet
  // Closing the table drops its index ids.
  EXPECT_EQ(qx_Db_closeDb(id), 0);
  EXPECT_EQ(qx_DbTagRef_selNdx(100), nullptr);
  EXPECT_EQ(qx_DbTagRef_selNdx(200), nullptr);
}

TEST_F(DbApi, TagsAreNamedAfterTheOrderOfTheirExpressions) {
  int id = create_parts("p.dbf");
  const qx_wchar* codes[] = {u"C", u"A", u"D", u"B"};
  const qx_wchar* diams[] = {u"1", u"4", u"2", u"3"};
  for (int i = 0; i < 4; ++i) add_part(id, codes[i], diams[i], u"");
  ASSERT_EQ(qx_Db_createNdx(id, dir_.wfile("p").c_str(), u"CODE,UPPER(NOTE) DIAM", 0), 100);
  qx_Db_closeDb(id);
  id = qx_Db_openDb(dir_.wfile("p.dbf").c_str());
  ASSERT_EQ(qx_Db_openNdx(id, dir_.wfile("p.cdx").c_str()), 100);
  void* table = qx_DbRef_sel(id);
  EXPECT_NE(qx_Cb_findTag(table, u"upper(note)"), nullptr);
  EXPECT_EQ(qx_Cb_findTag(table, u"NOTE"), nullptr);
  auto walk = [&](int tag) {
    std::string order;
    for (int rc = qx_Db_topRec(id, tag); rc == 0 && !qx_Db_eof(id); rc = qx_Db_nextRec(id, tag))
      order += u8(qx_Db_getFldStr(id, u"CODE"));
    return order;
  };
  EXPECT_EQ(walk(-1), "CADB");
  EXPECT_EQ(walk(0), "ABCD");
  EXPECT_EQ(walk(102), "CDBA");  // the hundreds do not matter: TAG002 on DIAM
  EXPECT_EQ(walk(2), "CDBA");
  EXPECT_EQ(walk(57), "CADB");  // no TAG057: record-number order
  EXPECT_EQ(qx_Db_botRec(id, 0), 0);
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"CODE")), "D");
  EXPECT_EQ(qx_Db_prevRec(id, 0), 0);
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"CODE")), "C");
  EXPECT_EQ(qx_Db_seekStr(u"B", id, 0), 0);
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"DIAM")), "    3.00");  // trailing blanks only go
  EXPECT_EQ(qx_Db_seekStr(u"BB", id, 0), 2);
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"CODE")), "C");
  EXPECT_EQ(qx_Db_seekStr(u"Z", id, 0), 3);
  EXPECT_EQ(qx_Db_eof(id), 1);
  EXPECT_EQ(qx_Db_seekDouble(4.0, id, 2), 0);
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"CODE")), "A");
}

TEST_F(DbApi, RecordsGoInAndComeBackThroughFieldLists) {
  int id = create_parts("p.dbf");
  std::u16string note = u"first line\r\nsecond line with \u00e9\u00fc, longer than the ten "
                        u"characters of a memo field's record bytes";
  add_part(id, u"PIPE-1", u"  12.5 ", note.c_str());
  add_part(id, u"PIPE-2", u"7", u"");
  EXPECT_EQ(qx_Db_getRecordCount(id), 2);
  EXPECT_EQ(qx_Db_getRecordNo(id), 2);
  qx_Db_closeDb(id);

  id = qx_Db_openDbEx(dir_.wfile("p.dbf").c_str(), 1);
  ASSERT_EQ(id, 0);
  EXPECT_EQ(qx_Db_getRecordNo(id), 1);  // an open goes to the top
  DbListPtr rec(qx_Db_readRec(id, nullptr));
  ASSERT_EQ(qx_DbFldList_length(rec.get()), 5);
  EXPECT_EQ(u8(qx_DbFldList_getFldVal(rec.get(), u"code")), "PIPE-1");
  EXPECT_EQ(u8(qx_DbFldList_getFldVal(rec.get(), u"DIAM")), "12.50");
  EXPECT_EQ(u8(qx_DbFldList_getFldVal(rec.get(), u"MADE")), "20240131");
  EXPECT_EQ(qx_DbFldList_getFldVal(rec.get(), u"NOTE"), note);
  EXPECT_EQ(qx_DbFldList_findFld(rec.get(), u"DIAM")->decimals, 2);
  EXPECT_EQ(qx_DbFldList_findFld(rec.get(), u"NOTE")->width, 10);
  // A template reads only its own fields; one the table lacks is C 1 0.
  DbListPtr tpl(qx_DbFldList_create(u"diam", nullptr, u"GHOST", u"old",
                                  static_cast<const qx_wchar*>(nullptr)));
  EXPECT_EQ(qx_Db_readRec(id, tpl.get()), tpl.get());
  qx_DbFldNode* ghost = qx_DbFldList_findFld(tpl.get(), u"GHOST");
  EXPECT_EQ(ghost->type, u'C');
  EXPECT_EQ(ghost->width, 1);
  EXPECT_EQ(u8(ghost->value), "");
  EXPECT_EQ(qx_DbFldList_findFld(tpl.get(), u"DIAM")->type, u'N');
  // The single-field readers.
  EXPECT_DOUBLE_EQ(qx_Db_getFldDouble(id, u"DIAM"), 12.5);
  EXPECT_EQ(qx_Db_getFldInt(id, u"DIAM"), 12);
  qx_wchar buf[5];
  EXPECT_EQ(qx_Db_cpyFldN(id, u"CODE", buf, 5), 4);
  EXPECT_EQ(u8(buf), "PIPE");
  qx_wchar padded[16] = u"ab";
  EXPECT_EQ(qx_Db_padVal(padded, id, u"CODE"), 0);
  EXPECT_EQ(u8(padded), "ab      ");
  DbListPtr structure(qx_Db_struct(id));
  EXPECT_EQ(qx_DbFldList_length(structure.get()), 5);
  // Opened for reading only: a store is refused by the engine, the file stays.
  std::string before = qxtest::read_file(dir_.file("p.dbf"));
  qx_Db_assignFldStr(id, u"CODE", u"CHANGED");
  qx_Db_writeRec(id);
  qx_Db_closeDb(id);
  EXPECT_EQ(qxtest::read_file(dir_.file("p.dbf")), before);
  // The one report the API leaves on: a write to a file opened read-only.
  ASSERT_FALSE(alerts_.empty());
  EXPECT_NE(alerts_[0].find("-930"), std::string::npos) << alerts_[0];
}

TEST_F(DbApi, SingleFieldStoresAreCutOrMarkedAndTouchOnlyTheirField) {
  int id = create_parts("p.dbf");
  add_part(id, u"X", u"1", u"");
  EXPECT_EQ(qx_Db_assignFldStr(id, u"code", u"TOO-LONG-FOR-IT"), 0);
  EXPECT_EQ(qx_Db_assignFldStrN(id, u"NOTE", u"abcdef", 3), 0);
  EXPECT_EQ(qx_Db_assignFldDouble(id, u"DIAM", 123456789.0), 0);  // does not fit
  EXPECT_EQ(qx_Db_writeRec(id), 0);
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"CODE")), "TOO-LONG");
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"NOTE")), "abc");
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"DIAM")), "********");
  EXPECT_EQ(qx_Db_assignFldInt(id, u"DIAM", 42), 0);
  EXPECT_EQ(qx_Db_getFldInt(id, u"DIAM"), 42);
  EXPECT_EQ(qx_Db_assignFldStrN(id, u"CODE", u"ab", 1000), 0);  // no read past the text
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"CODE")), "ab");
  // Characters beyond Latin-1 reach the engine as '?'.
  EXPECT_EQ(qx_Db_assignFldStr(id, u"CODE", u"\u20ac5"), 0);
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"CODE")), "?5");
}

TEST_F(DbApi, BadIdsNamesAndListsChangeNothing) {
  int id = create_parts("p.dbf");
  add_part(id, u"KEEP", u"1", u"kept");
  qx_Db_closeDb(id);
  std::string before = qxtest::read_file(dir_.file("p.dbf"));
  id = qx_Db_openDb(dir_.wfile("p.dbf").c_str());
  const int bad = 42;
  EXPECT_EQ(qx_Db_closeDb(bad), 1);
  EXPECT_EQ(qx_Db_getRecordCount(bad), 0);
  EXPECT_EQ(qx_Db_getRecordNo(bad), 0);
  EXPECT_EQ(qx_Db_struct(bad), nullptr);
  EXPECT_EQ(qx_Db_packDb(bad), 1);
  for (auto move : {qx_Db_topRec, qx_Db_botRec, qx_Db_nextRec, qx_Db_prevRec})
    EXPECT_EQ(move(bad, 0), 1);
  EXPECT_EQ(qx_Db_seekStr(u"A", bad, 0), 1);
  EXPECT_EQ(qx_Db_seekDouble(1.0, bad, 0), 1);
  for (auto flag : {qx_Db_eof, qx_Db_bof, qx_Db_deleted, qx_Db_writeRec, qx_Db_appRec,
                    qx_Db_appendStart, qx_Db_append, qx_Db_delRec, qx_Db_undelRec})
    EXPECT_EQ(flag(bad), 1);
  EXPECT_EQ(qx_Db_readRec(bad, nullptr), nullptr);
  EXPECT_EQ(qx_Db_readCurrRec(nullptr, nullptr), nullptr);
  EXPECT_EQ(qx_Db_readTable(bad, u"x", nullptr), nullptr);
  EXPECT_EQ(qx_Db_query(bad, u".T.", u"x", nullptr), nullptr);
  DbListPtr rec(qx_DbFldList_create(u"CODE", u"NEW", static_cast<const qx_wchar*>(nullptr)));
  EXPECT_EQ(qx_Db_modRec(bad, rec.get()), 1);
  EXPECT_EQ(qx_Db_modRec(id, nullptr), 0);
  EXPECT_EQ(qx_Db_assignFldStr(bad, u"CODE", u"x"), 1);
  EXPECT_EQ(qx_Db_assignFldStr(id, u"NOSUCH", u"x"), 1);
  EXPECT_EQ(qx_Db_assignFldStr(id, nullptr, u"x"), 1);
  EXPECT_EQ(qx_Db_assignFldDouble(id, u"NOSUCH", 1), 1);
  EXPECT_EQ(qx_Db_assignFldInt(bad, u"DIAM", 1), 1);
  EXPECT_EQ(qx_Db_assignFldStrN(id, u"NOSUCH", u"x", 1), 1);
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"NOSUCH")), "");
  EXPECT_EQ(qx_Db_getFldDouble(bad, u"DIAM"), 0.0);
  EXPECT_EQ(qx_Db_getFldInt(id, u"NOSUCH"), 0);
  qx_wchar buf[8] = u"junk";
  EXPECT_EQ(qx_Db_cpyFldN(id, u"NOSUCH", buf, 8), 0);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(qx_Db_cpyFldN(id, u"CODE", nullptr, 8), 0);
  qx_wchar text[16] = u"a";
  EXPECT_EQ(qx_Db_padVal(text, id, u"NOSUCH"), 1);
  // A list naming a missing field and a node without value: those are not
  // stored, the others are, and the result says so.
  DbListPtr mixed(qx_DbFldList_create(u"GHOST", u"x", static_cast<const qx_wchar*>(nullptr)));
  qx_DbFldList_insEnd(mixed.get(), u"DIAM", nullptr, 0, 0, u'N');
  EXPECT_EQ(qx_Db_modRec(id, mixed.get()), 1);
  EXPECT_EQ(qx_Db_updFld(nullptr, nullptr), 1);
  qx_Db_closeDb(id);
  EXPECT_EQ(qxtest::read_file(dir_.file("p.dbf")), before);
  EXPECT_TRUE(alerts_.empty()) << alerts_[0];
}

TEST_F(DbApi, ReadTableAndQueryFillCursorsInTheSelectedOrder) {
  int id = create_parts("p.dbf");
  for (int i = 0; i < 30; ++i) {
    std::u16string code = qx::port::from_utf8("P" + std::to_string(100 - i));
    std::u16string diam = qx::port::from_utf8(std::to_string(i));
    add_part(id, code.c_str(), diam.c_str(), code.c_str());
  }
  ASSERT_EQ(qx_Db_createNdx(id, dir_.wfile("p").c_str(), u"CODE", 0), 100);
  qx_Db_topRec(id, 0);
  CursorPtr all(qx_Db_readTable(id, u"parts", nullptr));
  ASSERT_EQ(qx_DbCursor_length(all.get()), 30);
  EXPECT_EQ(u8(qx_DbCursor_getNthTblName(all.get(), 0)), "parts");
  EXPECT_EQ(u8(qx_DbFldList_getFldVal(qx_DbCursor_getNthFldList(all.get(), 0), u"CODE")), "P100");
  EXPECT_EQ(u8(qx_DbFldList_getFldVal(qx_DbCursor_getNthFldList(all.get(), 29), u"CODE")), "P99");
  DbListPtr tpl(qx_DbFldList_create(u"DIAM", nullptr, static_cast<const qx_wchar*>(nullptr)));
  CursorPtr some(qx_Db_query(id, u"DIAM >= 10 .AND. DIAM < 13", u"q", tpl.get()));
  ASSERT_EQ(qx_DbCursor_length(some.get()), 3);
  qx_DbFldList* first = qx_DbCursor_getNthFldList(some.get(), 0);
  EXPECT_EQ(qx_DbFldList_length(first), 1);  // the template's fields only
  EXPECT_EQ(u8(qx_DbFldList_getFldVal(first, u"DIAM")), "12.00");  // P88 sorts first
  EXPECT_EQ(qx_DbFldList_length(tpl.get()), 1);                   // the template is untouched
  EXPECT_EQ(u8(static_cast<qx_DbFldNode*>(tpl->first->data)->value), "");
  EXPECT_EQ(qx_Db_query(id, u"DIAM > 1000", u"q", nullptr), nullptr);
  // A template's names are kept as given, a memo is read record by record,
  // a field the table lacks is C 1 0; a template of null elements only
  // reads every field.
  DbListPtr memo(qx_DbFldList_create(u"note", nullptr, u"GHOST", u"old",
                                   static_cast<const qx_wchar*>(nullptr)));
  static_cast<qx_DbFldNode*>(memo->first->data)->name[0] = u'n';
  CursorPtr notes(qx_Db_query(id, u"DIAM < 2", u"q", memo.get()));
  ASSERT_EQ(qx_DbCursor_length(notes.get()), 2);
  for (int i = 0; i < 2; ++i) {
    qx_DbFldList* rec = qx_DbCursor_getNthFldList(notes.get(), i);
    auto* note = static_cast<qx_DbFldNode*>(rec->first->data);
    auto* ghost = static_cast<qx_DbFldNode*>(rec->last->data);
    EXPECT_EQ(u8(note->name), "nOTE");
    EXPECT_EQ(note->type, u'M');
    EXPECT_EQ(note->width, 10);
    EXPECT_EQ(u8(note->value), i == 0 ? "P100" : "P99");  // in CODE order
    EXPECT_EQ(u8(ghost->name), "GHOST");
    EXPECT_EQ(ghost->type, u'C');
    EXPECT_EQ(ghost->width, 1);
    EXPECT_EQ(u8(ghost->value), "");
  }
  DbListPtr nulls(qx_LnkList_create(static_cast<void*>(nullptr)));
  qx_LnkList_insEnd(nulls.get(), nullptr);
  CursorPtr whole(qx_Db_readTable(id, u"w", nulls.get()));
  ASSERT_EQ(qx_DbCursor_length(whole.get()), 30);
  EXPECT_EQ(qx_DbFldList_length(qx_DbCursor_getNthFldList(whole.get(), 29)), 5);
}

TEST_F(DbApi, DeletePackAndUndelete) {
  int id = create_parts("p.dbf");
  for (const qx_wchar* code : {u"A", u"B", u"C"}) add_part(id, code, u"1", code);
  qx_Db_topRec(id, -1);
  qx_Db_nextRec(id, -1);
  EXPECT_EQ(qx_Db_delRec(id), 0);
  EXPECT_EQ(qx_Db_deleted(id), 1);
  EXPECT_EQ(qx_Db_undelRec(id), 0);
  EXPECT_EQ(qx_Db_deleted(id), 0);
  qx_Db_delRec(id);
  qx_Db_writeRec(id);
  EXPECT_EQ(qx_Db_packDb(id), 0);
  EXPECT_EQ(qx_Db_getRecordCount(id), 2);
  EXPECT_EQ(qx_Db_getRecordNo(id), 1);
  qx_Db_nextRec(id, -1);
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"CODE")), "C");
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"NOTE")), "C");  // the memo followed its record
}

TEST_F(DbApi, StandAloneBuilderIndexesATableNotOpenHere) {
  int id = create_parts("stock.dbf");
  for (const qx_wchar* code : {u"Q", u"M", u"Z"}) add_part(id, code, u"1", u"");
  qx_Db_closeDb(id);
  EXPECT_EQ(qx_Cb_createNdx(dir_.wfile("stock").c_str(), u"CODE", 0), 1);
  EXPECT_TRUE(std::filesystem::exists(dir_.file("stock.cdx")));
  EXPECT_EQ(qx_Cb_createNdx(dir_.wfile("nothere").c_str(), u"CODE", 0), 0);
  id = qx_Db_openDb(dir_.wfile("stock.dbf").c_str());
  ASSERT_EQ(qx_Db_openNdx(id, dir_.wfile("stock.cdx").c_str()), 100);
  qx_Db_topRec(id, 0);
  EXPECT_EQ(u8(qx_Db_getFldStr(id, u"CODE")), "M");
  qx_StrList* tokens = qx_Cb_parseTagInfo(u"NAME,UPPER(CITY) ZIP");
  ASSERT_NE(tokens, nullptr);
  EXPECT_EQ(qx_LnkList_length(tokens), 3);
  qx_StrList_destroy(tokens);
  EXPECT_EQ(qx_Cb_parseTagInfo(u" ,, "), nullptr);
}

TEST(DbConversions, AnglesMultiplyFirst) {
  EXPECT_DOUBLE_EQ(qx_Cnv_dtor(180.0), 3.141592653589793);
  EXPECT_DOUBLE_EQ(qx_Cnv_rtod(3.141592653589793), 180.0);
  EXPECT_EQ(qx_Cnv_dtor(1.0), 1.0 * 3.141592653589793 / 180.0);
}

// --- The reference table, made by an independent program -------------------

// The records of notes.oracle-full.txt: field values by name, bytes as read.
std::vector<std::map<std::string, std::string>> reference_records() {
  std::ifstream in(std::string(QX_TEST_DATA_DIR) + "/reference/notes.oracle-full.txt");
  std::vector<std::map<std::string, std::string>> records;
  auto unescape = [](const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '\\' && i + 3 < s.size() + 0 && s[i + 1] == 'x') {
        out.push_back(static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16)));
        i += 3;
      } else {
        out.push_back(s[i]);
      }
    }
    return out;
  };
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("rec ", 0) != 0) continue;
    size_t id = line.find(" ID="), title = line.find(" TITLE=\""), note = line.find("\" NOTE=\"");
    size_t ok = line.rfind("\" OK=");
    std::map<std::string, std::string> r;
    r["DELETED"] = line.find(" * ID=") != std::string::npos ? "1" : "0";
    r["ID"] = line.substr(id + 4, title - id - 4);
    r["TITLE"] = unescape(line.substr(title + 8, note - title - 8));
    r["NOTE"] = unescape(line.substr(note + 8, ok - note - 8));
    r["OK"] = line.substr(ok + 5);
    records.push_back(r);
  }
  return records;
}

std::string latin1(const qx_wchar* s) {
  std::string out;
  for (; s && *s; ++s) out.push_back(static_cast<char>(*s));
  return out;
}

// What the value rule keeps: trailing white space goes.
std::string rtrim(std::string s) {
  while (!s.empty() && std::strchr(" \t\r\n\v\f", s.back())) s.pop_back();
  return s;
}

TEST_F(DbApi, ReferenceTableReadsAsTheIndependentReaderSawIt) {
  for (const char* ext : {".dbf", ".fpt"})
    std::filesystem::copy_file(std::string(QX_TEST_DATA_DIR) + "/reference/notes" + ext,
                               dir_.file(std::string("notes") + ext));
  auto expected = reference_records();
  ASSERT_EQ(expected.size(), 30u);
  int id = qx_Db_openDb(dir_.wfile("notes.dbf").c_str());
  ASSERT_GE(id, 0);
  CursorPtr cursor(qx_Db_readTable(id, u"notes", nullptr));
  ASSERT_EQ(qx_DbCursor_length(cursor.get()), 30);
  for (int i = 0; i < 30; ++i) {
    SCOPED_TRACE(i + 1);
    qx_DbFldList* rec = qx_DbCursor_getNthFldList(cursor.get(), i);
    EXPECT_EQ(latin1(qx_DbFldList_getFldVal(rec, u"ID")), expected[i]["ID"]);
    EXPECT_EQ(latin1(qx_DbFldList_getFldVal(rec, u"TITLE")), rtrim(expected[i]["TITLE"]));
    // The whole memo, from the node (the by-name reader's buffer holds 512).
    EXPECT_EQ(latin1(qx_DbFldList_findFld(rec, u"NOTE")->value), rtrim(expected[i]["NOTE"]));
    EXPECT_EQ(latin1(qx_DbFldList_getFldVal(rec, u"OK")), expected[i]["OK"]);
  }
  // An index built here over the same expression walks in the order the
  // independent program walked the table's own tag.
  ASSERT_EQ(qx_Db_createNdx(id, dir_.wfile("mine").c_str(), u"UPPER(TITLE)", 0), 100);
  std::ifstream walk(std::string(QX_TEST_DATA_DIR) + "/reference/notes.cdxwalk.txt");
  std::vector<long> order;
  bool in_tag = false;
  for (std::string line; std::getline(walk, line);) {
    if (line.rfind("tag:", 0) == 0) in_tag = line.find("key=UPPER(TITLE)") != std::string::npos;
    else if (in_tag && line.rfind("    ", 0) == 0) order.push_back(std::stol(line));
  }
  ASSERT_EQ(order.size(), 30u);
  std::vector<long> mine;
  for (int rc = qx_Db_topRec(id, 0); rc == 0 && !qx_Db_eof(id); rc = qx_Db_nextRec(id, 0))
    mine.push_back(qx_Db_getRecordNo(id));
  EXPECT_EQ(mine, order);
}

// --- Against the dbfread module --------------------------------------------

// Python's ascii() of a string: quoted, with everything outside printable
// ASCII escaped.
std::string py_ascii(const qx_wchar* s) {
  std::string out = "'";
  for (; s && *s; ++s) {
    unsigned c = *s;
    char hex[8];
    if (c == '\\' || c == '\'') out += '\\', out += static_cast<char>(c);
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (c >= 0x20 && c < 0x7f) out += static_cast<char>(c);
    else std::snprintf(hex, sizeof hex, c < 0x100 ? "\\x%02x" : "\\u%04x", c), out += hex;
  }
  return out + "'";
}

// A cursor value as dbfread gives it (in ascii() form): numbers parsed as
// int, else float; dates as dates; logicals as booleans; empty as None.
std::string as_dbfread(const qx_DbFldNode* node) {
  std::u16string text = node->value ? node->value : u"";
  std::string narrow = latin1(text.c_str());
  if (node->type == u'C') return py_ascii(text.c_str());
  if (text.empty()) return "None";
  switch (node->type) {
    case u'N': {
      if (narrow.find('.') == std::string::npos) return std::to_string(std::stol(narrow));
      char buf[32];
      auto end = std::to_chars(buf, buf + sizeof buf, std::stod(narrow)).ptr;
      std::string repr(buf, end);  // the shortest form, as Python's repr
      return repr.find_first_of(".e") == std::string::npos ? repr + ".0" : repr;
    }
    case u'D':
      return "datetime.date(" + std::to_string(std::stoi(narrow.substr(0, 4))) + ", " +
             std::to_string(std::stoi(narrow.substr(4, 2))) + ", " +
             std::to_string(std::stoi(narrow.substr(6, 2))) + ")";
    case u'L':
      return std::strchr("TtYy", narrow[0]) ? "True" : std::strchr("FfNn", narrow[0]) ? "False"
                                                                                        : "None";
    default:
      return py_ascii(text.c_str());
  }
}

// Runs the dbfread helper of the engine's tests: its exit status and lines.
int run_dbfread(const std::string& table, std::vector<std::string>* lines) {
  std::string python = std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
  std::string cmd = python + " '" + QX_TEST_DATA_DIR + "/../dbf/dbfread_dump.py' '" + table +
                    "' 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return -1;
  std::string out;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  int status = ::pclose(p);
  for (size_t start = 0, end; start < out.size(); start = end + 1) {
    end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    lines->push_back(out.substr(start, end - start));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(DbApi, CursorReadsWhatDbfreadReads) {
  DbListPtr fields(qx_DbFldList_create(static_cast<const qx_wchar*>(nullptr)));
  qx_DbFldList_insEnd(fields.get(), u"NAME", nullptr, 12, 0, u'C');
  qx_DbFldList_insEnd(fields.get(), u"QTY", nullptr, 9, 3, u'N');
  qx_DbFldList_insEnd(fields.get(), u"CNT", nullptr, 5, 0, u'N');
  qx_DbFldList_insEnd(fields.get(), u"DUE", nullptr, 8, 0, u'D');
  qx_DbFldList_insEnd(fields.get(), u"OK", nullptr, 1, 0, u'L');
  qx_DbFldList_insEnd(fields.get(), u"NOTE", nullptr, 10, 0, u'M');
  int id = qx_Db_createDb(dir_.wfile("mixed.dbf").c_str(), fields.get());
  ASSERT_EQ(id, 0);
  // Each row: the values stored (null: left blank) and whether it is deleted.
  struct Row {
    const qx_wchar *name, *qty, *cnt, *due, *ok, *note;
    bool deleted;
  };
  std::u16string long_note(700, u'x');
  long_note += u"\u00e9nd";
  const Row rows[] = {
      {u"Widget", u"12.5", u"7", u"20240229", u"84", u"line1\r\nline2", false},
      {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, false},  // all blank
      {u"M\u00fcller", u"-3.14159", u"-42", u"19991231", u"70", nullptr, true},
      {u"  lead", u"0", u"0", nullptr, nullptr, long_note.c_str(), false},
      {u"x", u"1234.5", u"99999", u"20000101", u"84", u"caf\u00e9 \t mid", true},
      {u"last one", u"0.001", nullptr, u"19000101", nullptr, u"z", false},
  };
  for (const Row& row : rows) {
    ASSERT_EQ(qx_Db_appRec(id), 0);
    DbListPtr rec(qx_DbFldList_create(static_cast<const qx_wchar*>(nullptr)));
    const std::pair<const qx_wchar*, const qx_wchar*> values[] = {
        {u"NAME", row.name}, {u"QTY", row.qty}, {u"CNT", row.cnt},
        {u"DUE", row.due},   {u"OK", row.ok},   {u"NOTE", row.note}};
    for (auto [name, value] : values)
      if (value) qx_DbFldList_insEnd(rec.get(), name, value, 0, 0, u'C');
    ASSERT_EQ(qx_Db_modRec(id, rec.get()), 0);
    if (row.deleted) qx_Db_delRec(id);
  }
  ASSERT_EQ(qx_Db_closeDb(id), 0);

  std::vector<std::string> expected;
  int status = run_dbfread(dir_.file("mixed.dbf"), &expected);
  if (status == 77 || status == 127) GTEST_SKIP() << "python3 with the dbfread module is absent";
  ASSERT_EQ(status, 0) << (expected.empty() ? "" : expected[0]);

  id = qx_Db_openDb(dir_.wfile("mixed.dbf").c_str());
  CursorPtr cursor(qx_Db_readTable(id, u"mixed", nullptr));
  ASSERT_EQ(qx_DbCursor_length(cursor.get()), 6);  // deleted records too
  // dbfread lists the live records, then the deleted ones.
  std::vector<std::string> live, deleted;
  std::string header;
  for (int i = 0; i < 6; ++i) {
    qx_DbFldList* rec = qx_DbCursor_getNthFldList(cursor.get(), i);
    std::string line = rows[i].deleted ? "deleted" : "live";
    std::string shape;
    for (qx_LnkListNode* at = rec->first; at; at = at->next) {
      auto* node = static_cast<const qx_DbFldNode*>(at->data);
      line += "|" + latin1(node->name) + "=" + as_dbfread(node);
      shape += (shape.empty() ? "" : ",") + latin1(node->name) + ":" +
               static_cast<char>(node->type) + ":" + std::to_string(node->width) + ":" +
               std::to_string(node->decimals);
    }
    (rows[i].deleted ? deleted : live).push_back(line);
    if (header.empty()) header = "fields=" + shape;
  }
  std::vector<std::string> mine = {expected.empty() ? "" : expected[0]};
  EXPECT_NE(mine[0].find(header), std::string::npos) << mine[0] << "\n" << header;
  mine.insert(mine.end(), live.begin(), live.end());
  mine.insert(mine.end(), deleted.begin(), deleted.end());
  EXPECT_EQ(mine, expected);
}

}  // namespace
