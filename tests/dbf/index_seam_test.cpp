// What the table layer promises its index files: every append and every
// record write passes their key maintenance with the old and new record,
// a refusal stops the change, pack rebuilds them, and a selected order
// drives top, bottom and skip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "dbf/error.h"
#include "dbf/cdx.h"
#include "dbf_support.h"
#include "qx/dbf.h"

using namespace qx::dbf;
using qxtest::read_file;
using qxtest::TempDir;
namespace port = qx::port;

namespace {

// Records what the table asks of it; a key is the record's NAME field.
class RecordingIndex : public IndexFile {
 public:
  int add_keys(Table& t, long rec_no) override {
    if (refuse) return refuse;
    log.push_back("add " + std::to_string(rec_no) + " " + name(t.record.data()));
    return 0;
  }
  int remove_keys(Table&, long rec_no) override {
    log.push_back("remove " + std::to_string(rec_no));
    return 0;
  }
  int change_keys(Table& t, long rec_no, const char* old) override {
    if (refuse) return refuse;
    log.push_back("change " + std::to_string(rec_no) + " " + name(old) + "->" +
                  name(t.record.data()));
    return 0;
  }
  int rebuild(Table& t) override {
    log.push_back("rebuild " + std::to_string(dbfRecordCount(&t)));
    return 0;
  }
  int lock_all() override { return 0; }
  int unlock_all() override { return 0; }
  int close() override {
    if (closed) *closed = true;
    return 0;
  }

  static std::string name(const char* record) {
    std::string s(record + 1, 20);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  }
  int refuse = 0;
  bool* closed = nullptr;
  std::vector<std::string> log;
};

// Record-number order backwards.
class Backwards : public TagOrder {
 public:
  int first(Table& t, long* rec_no) override {
    *rec_no = dbfRecordCount(&t);
    return 0;
  }
  int last(Table& t, long* rec_no) override {
    *rec_no = dbfRecordCount(&t) > 0 ? 1 : 0;
    return 0;
  }
  int step(Table& t, long from, long count, long* to, bool* off_start) override {
    long n = from - count;
    *off_start = n > dbfRecordCount(&t);
    *to = n >= 1 && n <= dbfRecordCount(&t) ? n : 0;
    return 0;
  }
};

class IndexSeam : public ::testing::Test {
 protected:
  void SetUp() override {
    t = dbfCreate(&engine, dir.file("t").c_str(), qxtest::sampleFields(), nullptr);
    ASSERT_NE(t, nullptr);
    auto ix = std::make_unique<RecordingIndex>();
    index = ix.get();
    index->closed = &closed;
    t->indexes.push_back(std::move(ix));
  }
  TempDir dir;
  Engine engine;
  Table* t = nullptr;
  RecordingIndex* index = nullptr;
  bool closed = false;
};

TEST_F(IndexSeam, AppendsWritesAndPackPassTheIndex) {
  ASSERT_EQ(qxtest::appendSample(t, "alpha", 1), 0);
  ASSERT_EQ(qxtest::appendSample(t, "beta", 2), 0);
  ASSERT_EQ(dbfTop(t), 0);
  fldAssign(dbfFieldByName(t, "NAME"), "gamma");
  ASSERT_EQ(dbfSkip(t, 1), 0);
  // An unchanged record is not written and its keys are left alone.
  ASSERT_EQ(qx_d4write(t, 2), 0);
  dbfDelete(t);
  ASSERT_EQ(dbfPack(t), 0);
  EXPECT_EQ(index->log, (std::vector<std::string>{"add 1 alpha", "add 2 beta",
                                                  "change 1 alpha->gamma", "change 2 beta->beta",
                                                  "rebuild 1"}));
  dbfClose(t);
  EXPECT_TRUE(closed);
}

TEST_F(IndexSeam, RefusedKeyStopsAppendAndWrite) {
  ASSERT_EQ(qxtest::appendSample(t, "alpha", 1), 0);
  index->refuse = kUnique;
  EXPECT_EQ(qxtest::appendSample(t, "alpha", 2), kUnique);
  EXPECT_EQ(dbfRecordNumber(t), 0);
  EXPECT_EQ(dbfRecordCount(t), 1);
  ASSERT_EQ(dbfTop(t), 0);
  fldAssign(dbfFieldByName(t, "NAME"), "other");
  EXPECT_EQ(dbfSkip(t, 1), kUnique);  // the write fails, so the move does not happen
  EXPECT_EQ(dbfRecordNumber(t), 1);
  index->refuse = 0;
  t->record_changed = false;
  dbfClose(t);
  std::string f = read_file(dir.file("t.dbf"));
  EXPECT_EQ(f.size(), 161u + 38 + 1);
  EXPECT_EQ(f.substr(162, 5), "alpha");
}

// A record whose keys a unique tag refused with error -340 is dropped when
// the table closes: close neither writes it nor retries the refused keys.
TEST_F(IndexSeam, CloseAfterAUniqueKeyErrorDropsTheRefusedRecord) {
  ASSERT_EQ(qxtest::appendSample(t, "alpha", 1), 0);
  ASSERT_EQ(dbfTop(t), 0);
  fldAssign(dbfFieldByName(t, "NAME"), "beta");
  index->refuse = kErrUnique;
  engine.quietErrors = 1;
  EXPECT_EQ(qx_d4write(t, 1), kErrUnique);
  engine.lastError = kErrUnique;  // as the unique tag reports it
  index->refuse = 0;              // a retried write would now pass, and show
  EXPECT_EQ(dbfClose(t), 0);      // (the index is gone after close)
  EXPECT_EQ(engine.lastError, kErrUnique);
  EXPECT_EQ(read_file(dir.file("t.dbf")).substr(162, 5), "alpha");
}

TEST_F(IndexSeam, SelectedOrderDrivesTheMoves) {
  for (const char* n : {"one", "two", "three"}) ASSERT_EQ(qxtest::appendSample(t, n, 1), 0);
  Backwards order;
  t->selected = &order;
  EXPECT_EQ(dbfTop(t), 0);
  EXPECT_EQ(qxtest::fieldText(t, "NAME"), "three");
  EXPECT_EQ(dbfSkip(t, 1), 0);
  EXPECT_EQ(qxtest::fieldText(t, "NAME"), "two");
  EXPECT_EQ(dbfSkip(t, 1), 0);
  EXPECT_EQ(dbfSkip(t, 1), kEof);
  EXPECT_EQ(dbfEof(t), 1);
  EXPECT_EQ(dbfSkip(t, -1), 0);
  EXPECT_EQ(qxtest::fieldText(t, "NAME"), "one");
  EXPECT_EQ(dbfSkip(t, -5), kBof);
  EXPECT_EQ(qxtest::fieldText(t, "NAME"), "three");
  EXPECT_EQ(dbfBottom(t), 0);
  EXPECT_EQ(qxtest::fieldText(t, "NAME"), "one");
  t->selected = nullptr;
  dbfClose(t);
}

TEST_F(IndexSeam, ProductionIndexFlagAndHooks) {
  ASSERT_EQ(set_production_index_flag(t, true), 0);
  dbfClose(t);
  EXPECT_EQ(read_file(dir.file("t.dbf"))[28], 1);

  // Opening runs the installed opener; its failure refuses the table.
  static int opened = 0;
  set_production_index_opener([](Table&) -> IndexFile* {
    ++opened;
    return nullptr;
  });
  EXPECT_EQ(dbfOpen(&engine, dir.file("t").c_str()), nullptr);
  EXPECT_EQ(opened, 1);
  engine.autoOpenProductionIndex = 0;
  Table* again = dbfOpen(&engine, dir.file("t").c_str());
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(again->production_index);
  // A record lock of such a table stands below the append lock.
  ASSERT_EQ(qxtest::appendSample(again, "x", 1), 0);
  ASSERT_EQ(lock_record(again, 1), 0);
  port::WinFile other = port::WinFile::create_file(dir.file("t.dbf"),
                                            port::kGenericRead | port::kGenericWrite,
                                            port::kShareRead | port::kShareWrite,
                                            port::Disposition::kOpenExisting);
  EXPECT_FALSE(other.lock(kAppendLock - 1, 1));
  EXPECT_TRUE(other.lock(kAppendLock, 1));
  dbfClose(again);
  set_production_index_opener(nullptr);

  // Without an index module, a table with tags cannot be made.
  set_production_index_creator(nullptr);
  engine.quietErrors = 1;
  TagInfo tags[] = {{"TAG000", "UPPER(NAME)", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
  EXPECT_EQ(dbfCreate(&engine, dir.file("tagged").c_str(), qxtest::sampleFields(), tags), nullptr);
  EXPECT_EQ(engine.lastError, kErrNoIndexSupport);
  EXPECT_FALSE(port::file_exists(dir.file("tagged.dbf")));
  installCompoundIndex();  // the compound-index module's hooks again, for the tests after this one
}

TEST(MemoBlocks, NewContentsNeverOverwriteUsedBlocks) {
  TempDir dir;
  Engine engine;
  FieldInfo fields[] = {{"NOTE", 'M', 10, 0}, {nullptr, 0, 0, 0}};
  Table* t = dbfCreate(&engine, dir.file("m").c_str(), fields, nullptr);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(dbfAppendBlank(t), 0);
  ASSERT_EQ(fldAssignMemo(dbfFieldByName(t, "NOTE"), "first memo"), 0);
  ASSERT_EQ(dbfClose(t), 0);
  // A header whose next free block points back at the first memo.
  std::string fpt = read_file(dir.file("m.fpt"));
  fpt[3] = 8;
  qxtest::write_file(dir.file("m.fpt"), fpt);
  t = dbfOpen(&engine, dir.file("m").c_str());
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(dbfAppendBlank(t), 0);
  ASSERT_EQ(fldAssignMemo(dbfFieldByName(t, "NOTE"), "second"), 0);
  ASSERT_EQ(dbfTop(t), 0);
  std::string text;
  ASSERT_EQ(fldMemoText(dbfFieldByName(t, "NOTE"), text), 0);
  EXPECT_EQ(text, "first memo");
  ASSERT_EQ(dbfSkip(t, 1), 0);
  ASSERT_EQ(fldMemoText(dbfFieldByName(t, "NOTE"), text), 0);
  EXPECT_EQ(text, "second");
  dbfClose(t);
  fpt = read_file(dir.file("m.fpt"));
  EXPECT_EQ(fpt.size(), 512u + 64 + 64);
  EXPECT_EQ(fpt[3], 10);  // next free block kept up to date
}

}  // namespace
