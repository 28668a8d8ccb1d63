// Tables made, moved through and changed by the engine, checked byte by
// byte against the file layout and by reading them back.
#include <gtest/gtest.h>

#include <cstring>

#include "dbf/error.h"
#include "dbf_support.h"
#include "qx/dbf.h"

using namespace qx::dbf;
namespace port = qx::port;
using qxtest::appendSample;
using qxtest::fieldText;
using qxtest::read_file;
using qxtest::sampleFields;
using qxtest::TempDir;

namespace {

class TableTest : public ::testing::Test {
 protected:
  std::string path(const char* name) { return dir.file(name); }
  TempDir dir;
  Engine engine;
};

unsigned le16(const std::string& s, size_t at) {
  return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}
uint32_t le32(const std::string& s, size_t at) { return le16(s, at) | (le16(s, at + 2) << 16); }

TEST_F(TableTest, CreateWritesHeaderDescriptorsAndMarkers) {
  Table* t = dbfCreate(&engine, path("parts").c_str(), sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->name, path("parts") + ".dbf");
  EXPECT_EQ(dbfClose(t), 0);
  std::string f = read_file(path("parts.dbf"));
  ASSERT_EQ(f.size(), 162u);  // header of 161 bytes and the end-of-file marker
  EXPECT_EQ(static_cast<unsigned char>(f[0]), 0x03);
  port::LocalDate today = port::local_date();
  EXPECT_EQ(static_cast<unsigned char>(f[1]), today.year - 1900);
  EXPECT_EQ(f[2], today.month);
  EXPECT_EQ(f[3], today.day);
  EXPECT_EQ(le32(f, 4), 0u);
  EXPECT_EQ(le16(f, 8), 161u);
  EXPECT_EQ(le16(f, 10), 38u);
  EXPECT_EQ(f.substr(12, 20), std::string(20, '\0'));
  // Names upper-cased and zero-padded; widths and decimals in bytes 16, 17.
  EXPECT_EQ(f.substr(32, 12), std::string("NAME\0\0\0\0\0\0\0C", 12));
  EXPECT_EQ(f[32 + 16], 20);
  EXPECT_EQ(f.substr(64, 12), std::string("QTY\0\0\0\0\0\0\0\0N", 12));
  EXPECT_EQ(f[64 + 16], 8);
  EXPECT_EQ(f[64 + 17], 2);
  EXPECT_EQ(f[96 + 11], 'D');
  EXPECT_EQ(f[96 + 16], 8);
  EXPECT_EQ(f[128 + 11], 'L');
  EXPECT_EQ(f[128 + 16], 1);
  EXPECT_EQ(f[160], 0x0D);
  EXPECT_EQ(f[161], 0x1A);
}

TEST_F(TableTest, WideCharacterFieldKeepsHighByteOfWidth) {
  FieldInfo fields[] = {{"long text  ", 'c', 300, 0}, {"averyverylongname", 'n', 5, 0},
                        {nullptr, 0, 0, 0}};
  Table* t = dbfCreate(&engine, path("wide.dbf").c_str(), fields, nullptr);
  ASSERT_NE(t, nullptr);
  dbfClose(t);
  std::string f = read_file(path("wide.dbf"));
  EXPECT_EQ(f.substr(32, 11), std::string("LONG TEXT\0\0", 11));
  EXPECT_EQ(static_cast<unsigned char>(f[32 + 16]), 44);
  EXPECT_EQ(f[32 + 17], 1);
  EXPECT_EQ(f.substr(64, 11), std::string("AVERYVERYL\0", 11));
  t = dbfOpen(&engine, path("wide").c_str());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(fldWidth(dbfFieldByNumber(t, 1)), 300);
  EXPECT_EQ(fldWidth(dbfFieldByNumber(t, 2)), 5);
  EXPECT_EQ(t->record_length, 306u);
  dbfClose(t);
}

TEST_F(TableTest, MemoFieldMakesVersionF5AndMemoFile) {
  FieldInfo fields[] = {{"ID", 'N', 5, 0}, {"NOTE", 'M', 0, 0}, {nullptr, 0, 0, 0}};
  Table* t = dbfCreate(&engine, path("NOTES").c_str(), fields, nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(fldWidth(dbfFieldByName(t, "NOTE")), 10);
  ASSERT_EQ(dbfAppendBlank(t), 0);
  fldAssignInt(dbfFieldByName(t, "ID"), 7);
  std::string text(300, 'x');
  text += "\r\nend";
  ASSERT_EQ(fldAssignMemo(dbfFieldByName(t, "NOTE"), text), 0);
  ASSERT_EQ(dbfWrite(t, 1), 0);
  // An appended copy gets memo blocks of its own.
  ASSERT_EQ(dbfAppendStart(t, 1), 0);
  ASSERT_EQ(dbfAppend(t), 0);
  EXPECT_NE(fldString(dbfFieldByName(t, "NOTE")), std::string(""));
  dbfClose(t);

  std::string f = read_file(path("NOTES.DBF"));
  EXPECT_EQ(static_cast<unsigned char>(f[0]), 0xF5);
  std::string memo = read_file(path("NOTES.FPT"));
  ASSERT_GE(memo.size(), 512u);
  EXPECT_EQ(memo[6], 0);
  EXPECT_EQ(memo[7], 64);  // block size

  t = dbfOpen(&engine, path("notes").c_str());
  ASSERT_NE(t, nullptr);
  std::string got;
  ASSERT_EQ(dbfTop(t), 0);
  std::string block1 = fldString(dbfFieldByName(t, "NOTE"));
  ASSERT_EQ(fldMemoText(dbfFieldByName(t, "NOTE"), got), 0);
  EXPECT_EQ(got, text);
  ASSERT_EQ(dbfSkip(t, 1), 0);
  EXPECT_NE(fldString(dbfFieldByName(t, "NOTE")), block1);
  ASSERT_EQ(fldMemoText(dbfFieldByName(t, "NOTE"), got), 0);
  EXPECT_EQ(got, text);
  dbfClose(t);
}

TEST_F(TableTest, TooLargeTablesAreRefused) {
  qxtest::AlertRecorder alerts;
  engine.quietErrors = 1;
  FieldInfo big[] = {{"A", 'C', 40000, 0}, {"B", 'C', 30000, 0}, {nullptr, 0, 0, 0}};
  EXPECT_EQ(dbfCreate(&engine, path("big").c_str(), big, nullptr), nullptr);
  EXPECT_EQ(engine.lastError, kErrRecordLength);
  EXPECT_FALSE(port::file_exists(path("big.dbf")));

  engine.lastError = 0;
  std::vector<FieldInfo> many(2100, FieldInfo{"F", 'L', 1, 0});
  many.push_back({nullptr, 0, 0, 0});
  EXPECT_EQ(dbfCreate(&engine, path("many").c_str(), many.data(), nullptr), nullptr);
  EXPECT_EQ(engine.lastError, kErrCreate);
  EXPECT_TRUE(alerts.shown().empty());
}

TEST_F(TableTest, CreateRefusesToOverwriteUnlessAllowed) {
  qxtest::write_file(path("keep.dbf"), "precious");
  engine.quietErrors = 1;
  EXPECT_EQ(dbfCreate(&engine, path("keep").c_str(), sampleFields(), nullptr), nullptr);
  EXPECT_EQ(engine.lastError, kErrCreate);
  EXPECT_EQ(read_file(path("keep.dbf")), "precious");

  engine.lastError = 0;
  engine.reportCreateFailure = 0;
  EXPECT_EQ(dbfCreate(&engine, path("keep").c_str(), sampleFields(), nullptr), nullptr);
  EXPECT_EQ(engine.lastError, kNoCreate);

  engine.lastError = 0;
  engine.refuseOverwrite = 0;
  Table* t = dbfCreate(&engine, path("keep").c_str(), sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(dbfRecordCount(t), 0);
  dbfClose(t);
}

TEST_F(TableTest, FieldsByNumberAndName) {
  Table* t = dbfCreate(&engine, path("f").c_str(), sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(dbfFieldCount(t), 4);
  EXPECT_EQ(dbfFieldByNumber(t, 0), nullptr);
  EXPECT_EQ(dbfFieldByNumber(t, 5), nullptr);
  Field* qty = dbfFieldByNumber(t, 2);
  EXPECT_STREQ(fldName(qty), "QTY");
  EXPECT_EQ(dbfFieldByName(t, "qty  "), qty);
  EXPECT_EQ(fldType(qty), 'N');
  EXPECT_EQ(fldDecimals(qty), 2);
  EXPECT_EQ(qty->offset, 21u);

  qxtest::AlertRecorder alerts;
  EXPECT_EQ(dbfFieldByName(t, "nope"), nullptr);
  ASSERT_EQ(alerts.shown().size(), 1u);
  EXPECT_EQ(alerts.shown()[0],
            "TABLE ENGINE ERROR|Error #: -210\nUnrecognized Field Name\nNOPE\n");
  engine.lastError = 0;
  engine.reportFieldNameFailure = 0;
  EXPECT_EQ(dbfFieldByName(t, "nope"), nullptr);
  EXPECT_EQ(alerts.shown().size(), 1u);
  EXPECT_EQ(engine.lastError, 0);
  // A name longer than any buffer is cut, not overrun.
  std::string huge(5000, 'Q');
  EXPECT_EQ(dbfFieldByName(t, huge.c_str()), nullptr);
  dbfClose(t);
}

TEST_F(TableTest, MovesInRecordOrderWithEofAndBof) {
  Table* t = dbfCreate(&engine, path("m").c_str(), sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(dbfTop(t), kEof);
  EXPECT_EQ(dbfEof(t), 1);
  EXPECT_EQ(dbfBof(t), 1);
  EXPECT_EQ(dbfBottom(t), kEof);
  for (int i = 1; i <= 3; ++i)
    ASSERT_EQ(appendSample(t, ("rec" + std::to_string(i)).c_str(), i), 0);
  EXPECT_EQ(dbfRecordCount(t), 3);
  EXPECT_EQ(dbfRecordNumber(t), 3);

  EXPECT_EQ(dbfTop(t), 0);
  EXPECT_EQ(fieldText(t, "NAME"), "rec1");
  EXPECT_EQ(dbfEof(t), 0);
  EXPECT_EQ(dbfSkip(t, 1), 0);
  EXPECT_EQ(dbfRecordNumber(t), 2);
  EXPECT_EQ(dbfSkip(t, 2), kEof);
  EXPECT_EQ(dbfEof(t), 1);
  EXPECT_EQ(dbfRecordNumber(t), 4);
  EXPECT_EQ(fieldText(t, "NAME"), "");
  // Back from the end lands on the last record.
  EXPECT_EQ(dbfSkip(t, -1), 0);
  EXPECT_EQ(dbfRecordNumber(t), 3);
  EXPECT_EQ(dbfSkip(t, -5), kBof);
  EXPECT_EQ(dbfBof(t), 1);
  EXPECT_EQ(dbfRecordNumber(t), 1);
  EXPECT_EQ(fieldText(t, "NAME"), "rec1");
  EXPECT_EQ(dbfBottom(t), 0);
  EXPECT_EQ(fieldText(t, "NAME"), "rec3");
  EXPECT_EQ(dbfGo(t, 2), 0);
  EXPECT_EQ(fieldText(t, "NAME"), "rec2");
  fldAssign(dbfFieldByName(t, "NAME"), "two");
  EXPECT_EQ(dbfGoEof(t), kEof);  // writes the changed record first
  EXPECT_EQ(dbfRecordNumber(t), 4);
  EXPECT_EQ(dbfGo(t, 2), 0);
  EXPECT_EQ(fieldText(t, "NAME"), "two");
  dbfClose(t);
}

TEST_F(TableTest, SkipFromNoRecordIsRefused) {
  Table* t = dbfCreate(&engine, path("s").c_str(), sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(appendSample(t, "a", 1), 0);
  ASSERT_EQ(dbfAppendStart(t, 0), 0);  // no current record now
  qxtest::AlertRecorder alerts;
  EXPECT_EQ(dbfSkip(t, 1), kErrInfo);
  ASSERT_EQ(alerts.shown().size(), 1u);
  EXPECT_NE(alerts.shown()[0].find("Skip must be made from valid record number"),
            std::string::npos);
  engine.lastError = 0;
  engine.reportSkipFailure = 0;
  EXPECT_EQ(dbfSkip(t, 1), -1);
  EXPECT_EQ(engine.lastError, 0);
  dbfClose(t);
}

TEST_F(TableTest, ChangedRecordIsWrittenBeforeAMoveAndOnClose) {
  Table* t = dbfCreate(&engine, path("w").c_str(), sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(appendSample(t, "first", 1), 0);
  ASSERT_EQ(appendSample(t, "second", 2), 0);
  ASSERT_EQ(dbfTop(t), 0);
  fldAssign(dbfFieldByName(t, "NAME"), "changed");
  dbfDelete(t);
  EXPECT_EQ(dbfDeleted(t), 1);
  ASSERT_EQ(dbfSkip(t, 1), 0);  // writes record 1
  fldAssign(dbfFieldByName(t, "NAME"), "last");
  ASSERT_EQ(dbfClose(t), 0);    // writes record 2

  std::string f = read_file(path("w.dbf"));
  ASSERT_EQ(f.size(), 161u + 2 * 38 + 1);
  EXPECT_EQ(f.substr(161, 8), "*changed");
  EXPECT_EQ(f.substr(161 + 38, 5), " last");
  EXPECT_EQ(f.back(), 0x1A);
  EXPECT_EQ(le32(f, 4), 2u);

  t = dbfOpen(&engine, path("w").c_str());
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(dbfTop(t), 0);
  EXPECT_EQ(dbfDeleted(t), 1);
  dbfRecall(t);
  EXPECT_EQ(dbfDeleted(t), 0);
  EXPECT_EQ(qx_d4write(t, 1), 0);
  EXPECT_EQ(qx_d4write(t, 0), -1);
  EXPECT_EQ(qx_d4write(t, 3), -1);
  dbfClose(t);
  EXPECT_EQ(read_file(path("w.dbf"))[161], ' ');
}

TEST_F(TableTest, WriteOfAnUnchangedRecordTouchesNothing) {
  Table* t = dbfCreate(&engine, path("u").c_str(), sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(appendSample(t, "same", 1), 0);
  dbfClose(t);
  std::string before = read_file(path("u.dbf"));
  // Stamp an old date so a header rewrite would show.
  before[1] = 90;
  qxtest::write_file(path("u.dbf"), before);
  t = dbfOpen(&engine, path("u").c_str());
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(dbfTop(t), 0);
  EXPECT_EQ(qx_d4write(t, 1), 0);
  fldAssign(dbfFieldByName(t, "NAME"), "same");  // a store of the same text
  EXPECT_EQ(dbfSkip(t, 1), kEof);
  dbfClose(t);
  EXPECT_EQ(read_file(path("u.dbf")), before);

  // A table that was changed gets today's date when it closes.
  t = dbfOpen(&engine, path("u").c_str());
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(dbfTop(t), 0);
  fldAssign(dbfFieldByName(t, "NAME"), "other");
  ASSERT_EQ(dbfClose(t), 0);
  std::string after = read_file(path("u.dbf"));
  port::LocalDate today = port::local_date();
  EXPECT_EQ(static_cast<unsigned char>(after[1]), today.year - 1900);
  EXPECT_EQ(static_cast<unsigned char>(after[2]), today.month);
  EXPECT_EQ(static_cast<unsigned char>(after[3]), today.day);
}

TEST_F(TableTest, PackKeepsActiveRecordsInOrder) {
  Table* t = dbfCreate(&engine, path("p").c_str(), sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  engine.memBuffer = 2048;  // several buffer loads
  for (int i = 1; i <= 200; ++i) ASSERT_EQ(appendSample(t, std::to_string(i).c_str(), i), 0);
  for (int i = 1; i <= 200; ++i) {
    ASSERT_EQ(dbfGo(t, i), 0);
    if (i % 3 != 0) dbfDelete(t);
  }
  ASSERT_EQ(dbfPack(t), 0);
  EXPECT_EQ(dbfRecordCount(t), 66);
  EXPECT_EQ(dbfRecordNumber(t), 0);
  int expect = 3;
  for (int rc = dbfTop(t); rc == 0; rc = dbfSkip(t, 1), expect += 3) {
    EXPECT_EQ(fieldText(t, "NAME"), std::to_string(expect));
    EXPECT_EQ(fldInt(dbfFieldByName(t, "QTY")), expect);
  }
  EXPECT_EQ(expect, 201);
  dbfClose(t);
  std::string f = read_file(path("p.dbf"));
  EXPECT_EQ(f.size(), 161u + 66 * 38 + 1);
  EXPECT_EQ(f.back(), 0x1A);
  EXPECT_EQ(le32(f, 4), 66u);
}

TEST_F(TableTest, PackOfOnlyDeletedRecordsLeavesAnEmptyTable) {
  Table* t = dbfCreate(&engine, path("e").c_str(), sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(appendSample(t, "gone", 1), 0);
  dbfDelete(t);
  ASSERT_EQ(dbfPack(t), 0);
  EXPECT_EQ(dbfRecordCount(t), 0);
  EXPECT_EQ(dbfEof(t), 1);
  EXPECT_EQ(dbfBof(t), 1);
  dbfClose(t);
  EXPECT_EQ(read_file(path("e.dbf")).size(), 162u);
}

TEST_F(TableTest, ExclusiveTableReadsAheadAndSeesItsOwnChanges) {
  engine.exclusiveAccess = 1;
  Table* t = dbfCreate(&engine, path("x").c_str(), sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  for (int i = 1; i <= 1500; ++i) ASSERT_EQ(appendSample(t, std::to_string(i).c_str(), i), 0);
  ASSERT_EQ(dbfGo(t, 5), 0);
  EXPECT_EQ(fieldText(t, "NAME"), "5");
  fldAssign(dbfFieldByName(t, "NAME"), "five");
  ASSERT_EQ(dbfSkip(t, 1), 0);  // writes record 5
  ASSERT_EQ(dbfSkip(t, -1), 0);
  EXPECT_EQ(fieldText(t, "NAME"), "five");
  ASSERT_EQ(appendSample(t, "last", 0), 0);
  ASSERT_EQ(dbfBottom(t), 0);
  EXPECT_EQ(fieldText(t, "NAME"), "last");
  for (int i = 1; i <= 1000; ++i) {
    ASSERT_EQ(dbfGo(t, i), 0);
    dbfDelete(t);
  }
  ASSERT_EQ(dbfPack(t), 0);
  int expect = 1001;
  for (int rc = dbfTop(t); rc == 0; rc = dbfSkip(t, 1), ++expect)
    ASSERT_EQ(fieldText(t, "NAME"), expect == 1501 ? "last" : std::to_string(expect));
  EXPECT_EQ(expect, 1502);
  dbfClose(t);
}

TEST_F(TableTest, ReadOnlyTablesRefuseWrites) {
  Table* t = dbfCreate(&engine, path("r").c_str(), sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(appendSample(t, "x", 1), 0);
  dbfClose(t);
  std::string before = read_file(path("r.dbf"));
  engine.readOnlyAccess = 1;
  engine.quietErrors = 1;
  t = dbfOpen(&engine, path("r").c_str());
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(dbfTop(t), 0);
  fldAssign(dbfFieldByName(t, "NAME"), "y");
  EXPECT_EQ(qx_d4write(t, 1), kErrParameter);
  EXPECT_EQ(dbfAppendBlank(t), -1);  // the context is in error now
  engine.lastError = 0;
  t->record_changed = false;
  dbfClose(t);
  EXPECT_EQ(read_file(path("r.dbf")), before);
}

TEST_F(TableTest, ContextInErrorRefusesOpensReadsAndStores) {
  Table* t = dbfCreate(&engine, path("c").c_str(), sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(appendSample(t, "x", 1), 0);
  engine.lastError = -200;
  EXPECT_EQ(dbfOpen(&engine, path("c").c_str()), nullptr);
  EXPECT_EQ(dbfCreate(&engine, path("d").c_str(), sampleFields(), nullptr), nullptr);
  EXPECT_EQ(dbfTop(t), -1);
  EXPECT_EQ(dbfEof(t), -1);
  EXPECT_EQ(fldInt(dbfFieldByName(t, "QTY")), -1);
  EXPECT_EQ(fldAssign(dbfFieldByName(t, "NAME"), "no"), -1);
  EXPECT_EQ(dbfAppendBlank(t), -1);
  // A positive value is a result, not an error: opens go on and reset it.
  engine.lastError = kLocked;
  Table* again = dbfOpen(&engine, path("c").c_str());
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(engine.lastError, 0);
  EXPECT_EQ(engCloseAll(&engine), 0);
  EXPECT_TRUE(engine.tables.empty());
}

TEST_F(TableTest, ShortRecordReadGivesResultOrError) {
  Table* t = dbfCreate(&engine, path("short").c_str(), sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(appendSample(t, "x", 1), 0);
  ASSERT_EQ(appendSample(t, "y", 2), 0);
  dbfClose(t);
  // Cut the file in the middle of record 2; the header still counts two.
  std::string f = read_file(path("short.dbf"));
  qxtest::write_file(path("short.dbf"), f.substr(0, 161 + 38 + 10));
  engine.reportReadFailure = 0;
  engine.readOnlyAccess = 1;
  t = dbfOpen(&engine, path("short").c_str());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(dbfBottom(t), kShortRead);
  EXPECT_EQ(dbfRecordNumber(t), 0);
  EXPECT_EQ(fieldText(t, "NAME"), "");
  engine.reportReadFailure = 1;
  engine.quietErrors = 1;
  EXPECT_EQ(dbfBottom(t), kErrRead);
  engine.lastError = 0;
  dbfClose(t);
}

}  // namespace
