// The table engine loses nothing: headers whose count lies about the file,
// a record written back after a pack moved it, pack's rollback journal,
// tables it cannot write, dBASE III memo files, file names in UTF-8 and
// names that are no regular file.  Each case plants the fault on disk and
// checks the bytes the engine leaves behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/coding.h"
#include "dbf/error.h"
#include "dbf/journal.h"
#include "dbf_support.h"

using namespace qx::dbf;
using qxtest::read_file;
using qxtest::TempDir;
using qxtest::write_file;

namespace {

class Safety : public ::testing::Test {
 protected:
  void SetUp() override { e.quietErrors = 1; }

  // A table of `n` records NAME "r1", "r2", ... made and closed.
  std::string makeTable(const std::string& file, int n) {
    std::string path = dir.file(file);
    Table* t = dbfCreate(&e, path.c_str(), qxtest::sampleFields(), nullptr);
    EXPECT_NE(t, nullptr);
    for (int i = 1; i <= n; ++i) EXPECT_EQ(qxtest::appendSample(t, ("r" + std::to_string(i)).c_str(), i), 0);
    EXPECT_EQ(dbfClose(t), 0);
    return path;
  }

  static void setCount(const std::string& path, uint32_t count) {
    std::string bytes = read_file(path);
    qx::coding::put32le(bytes.data() + 4, count);
    write_file(path, bytes);
  }

  // The NAME of every record in file order, '*' before a deleted one.
  std::vector<std::string> names(const std::string& path) {
    std::vector<std::string> out;
    Table* t = dbfOpen(&e, path.c_str());
    EXPECT_NE(t, nullptr);
    if (!t) return out;
    for (int rc = dbfTop(t); rc == 0; rc = dbfSkip(t, 1))
      out.push_back((dbfDeleted(t) ? "*" : "") + qxtest::fieldText(t, "NAME"));
    dbfClose(t);
    return out;
  }

  TempDir dir;
  Engine e;
};

TEST_F(Safety, ACountLargerThanTheFileIsRefusedWhereverAWriteIsPositioned) {
  std::string path = makeTable("lie.dbf", 3);
  // A wild count, a count one too high, and a table cut short by a crash.
  for (uint32_t count : {0xFFFFFFFFu, 4u}) {
    setCount(path, count);
    std::string before = read_file(path);
    Table* t = dbfOpen(&e, path.c_str());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(qxtest::appendSample(t, "new", 1), kErrRead) << count;
    e.lastError = 0;
    EXPECT_EQ(dbfPack(t), kErrRead) << count;
    e.lastError = 0;
    dbfBlank(t);
    EXPECT_EQ(dbfWrite(t, 4), kErrRead) << count;  // record 4 is not in the file
    e.lastError = 0;
    dbfAbandonChanges(t);
    dbfClose(t);
    EXPECT_EQ(read_file(path), before) << count;
  }
  // The honest count still appends, right after the last record.
  setCount(path, 3);
  Table* t = dbfOpen(&e, path.c_str());
  ASSERT_EQ(qxtest::appendSample(t, "r4", 4), 0);
  dbfClose(t);
  EXPECT_EQ(names(path), (std::vector<std::string>{"r1", "r2", "r3", "r4"}));
}

TEST_F(Safety, ACountWhoseRecordLockWouldLeaveTheLockRangeIsRefused) {
  std::string path = makeTable("big.dbf", 1);
  std::string bytes = read_file(path);
  bytes[28] = kFlagProductionIndex;  // record locks below 0x7FFFFFFE
  write_file(path, bytes);
  // A sparse file long enough for the count, so only the lock range speaks.
  uint32_t count = 0x7FFFFFF0u;
  uint64_t length = 161 + uint64_t{count} * 38 + 1;
  setCount(path, count);
  std::filesystem::resize_file(path, length);
  e.autoOpenProductionIndex = 0;
  Table* t = dbfOpen(&e, path.c_str());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(qxtest::appendSample(t, "x", 1), kErrRead);
  dbfClose(t);
  EXPECT_EQ(std::filesystem::file_size(path), length);
  std::ifstream in(path, std::ios::binary);
  unsigned char head[8] = {};
  in.read(reinterpret_cast<char*>(head), sizeof head);
  EXPECT_EQ(qx::coding::get32le(head + 4), count);
}

TEST_F(Safety, ARecordIsNotWrittenBackAfterAPackMovedIt) {
  std::string path = makeTable("moved.dbf", 6);
  Table* reader = dbfOpen(&e, path.c_str());
  Table* packer = dbfOpen(&e, path.c_str());
  ASSERT_TRUE(reader && packer);
  ASSERT_EQ(dbfGo(reader, 5), 0);  // r5, read before the pack
  ASSERT_EQ(dbfGo(packer, 2), 0);
  dbfDelete(packer);
  ASSERT_EQ(dbfPack(packer), 0);  // r6 now stands where r5 stood
  fldAssign(dbfFieldByName(reader, "NAME"), "r5 changed");
  EXPECT_EQ(dbfWrite(reader, 5), kErrResult);
  e.lastError = 0;
  dbfAbandonChanges(reader);
  dbfClose(reader);
  dbfClose(packer);
  EXPECT_EQ(names(path), (std::vector<std::string>{"r1", "r3", "r4", "r5", "r6"}));

  // A record that stayed where it was is written as always.
  reader = dbfOpen(&e, path.c_str());
  ASSERT_EQ(dbfGoLocked(reader, 2), 0);
  fldAssign(dbfFieldByName(reader, "NAME"), "r3 changed");
  EXPECT_EQ(dbfClose(reader), 0);
  EXPECT_EQ(names(path)[1], "r3 changed");
}

TEST_F(Safety, PackUnderItsJournalGivesTheSameTableAndLeavesNoJournal) {
  std::string path = makeTable("p.dbf", 8);
  Table* t = dbfOpen(&e, path.c_str());
  for (long n : {1, 4, 5}) {
    ASSERT_EQ(dbfGo(t, n), 0);
    dbfDelete(t);
  }
  ASSERT_EQ(dbfPack(t), 0);
  EXPECT_FALSE(journal_exists(path));
  EXPECT_EQ(dbfClose(t), 0);
  EXPECT_EQ(names(path), (std::vector<std::string>{"r2", "r3", "r6", "r7", "r8"}));
  std::string bytes = read_file(path);
  EXPECT_EQ(bytes.size(), 161u + 5 * 38 + 1);
  EXPECT_EQ(bytes.back(), '\x1a');
}

// A crash after the journal was written and the table half changed: the
// next open puts back every byte.  A journal without its mark never
// vouched for anything and is just removed.
TEST_F(Safety, AnOpenRollsBackFromAJournalLeftByACrash) {
  std::string path = makeTable("c.dbf", 10);
  std::string before = read_file(path);
  Table* t = dbfOpen(&e, path.c_str());
  ASSERT_EQ(lock_whole_file(t), 0);
  ASSERT_EQ(journal_begin(t, 161 + 3 * 38), 0);
  // Half a pack: records closed up over record 4, the file cut, a new count.
  std::string half = before.substr(0, 161 + 3 * 38) + before.substr(161 + 4 * 38, 3 * 38);
  qx::coding::put32le(half.data() + 4, 6);
  ASSERT_EQ(file_write(t->file, 0, half.data(), half.size()), 0);
  ASSERT_EQ(file_set_length(t->file, half.size()), 0);
  t->file.handle.close();  // dies holding its locks: the system lets them go
  t->file_locked = false;
  dbfClose(t);
  e.lastError = 0;
  ASSERT_TRUE(journal_exists(path));

  EXPECT_EQ(names(path).size(), 10u);
  EXPECT_EQ(read_file(path), before);
  EXPECT_FALSE(journal_exists(path));

  write_file(journal_path(path), std::string(64, '\0') + "cut short");
  EXPECT_EQ(names(path).size(), 10u);
  EXPECT_EQ(read_file(path), before);
  EXPECT_FALSE(journal_exists(path));
}

// An index file that pack rebuilds comes back too, through the seam.
class FileIndex : public IndexFile {
 public:
  explicit FileIndex(Engine* e, const std::string& path) { file_open(e, file_, path); }
  int add_keys(Table&, long) override { return 0; }
  int remove_keys(Table&, long) override { return 0; }
  int change_keys(Table&, long, const char*) override { return 0; }
  int rebuild(Table&) override {
    ++rebuilds;
    return file_write(file_, 0, "REBUILT", 7) || file_set_length(file_, 7);
  }
  int lock_all() override { return 0; }
  int unlock_all() override { return 0; }
  int close() override { return file_close(file_); }
  File* journal_file() override { return &file_; }
  int rebuilds = 0;

 private:
  File file_;
};

TEST_F(Safety, TheJournalRestoresTheIndexFilesPackRebuilds) {
  std::string path = makeTable("ix.dbf", 4);
  std::string index = dir.file("ix.idx");
  write_file(index, std::string(3000, 'k'));
  std::string before = read_file(path);
  Table* t = dbfOpen(&e, path.c_str());
  auto* ix = new FileIndex(&e, index);
  t->indexes.emplace_back(ix);
  ASSERT_EQ(lock_whole_file(t), 0);
  ASSERT_EQ(journal_begin(t, 161), 0);
  ASSERT_EQ(ix->rebuild(*t), 0);
  ASSERT_EQ(read_file(index), "REBUILT");
  t->file.handle.close();
  t->file_locked = false;
  dbfClose(t);
  e.lastError = 0;
  EXPECT_EQ(names(path).size(), 4u);
  EXPECT_EQ(read_file(index), std::string(3000, 'k'));

  // A pack that completes keeps the rebuilt index and the packed table.
  t = dbfOpen(&e, path.c_str());
  ix = new FileIndex(&e, index);
  t->indexes.emplace_back(ix);
  ASSERT_EQ(dbfGo(t, 1), 0);
  dbfDelete(t);
  ASSERT_EQ(dbfPack(t), 0);
  EXPECT_EQ(ix->rebuilds, 1);
  dbfClose(t);
  EXPECT_EQ(read_file(index), "REBUILT");
  EXPECT_EQ(names(path).size(), 3u);
}

// A compound production index is saved by its name beside the table.  The
// crash is a child process that ends half-way through, holding its files.
TEST_F(Safety, TheProductionIndexComesBackWithTheTable) {
  static const TagInfo tags[] = {{"NAME", "NAME", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
  std::string path = dir.file("tagged.dbf"), index = dir.file("tagged.cdx");
  Table* t = dbfCreate(&e, path.c_str(), qxtest::sampleFields(), tags);
  ASSERT_NE(t, nullptr) << e.lastError;
  for (int i = 0; i < 50; ++i) ASSERT_EQ(qxtest::appendSample(t, std::to_string(i * 7919 % 50).c_str(), i), 0);
  ASSERT_EQ(dbfClose(t), 0);
  const std::string before = read_file(path), index_before = read_file(index);
  pid_t pid = ::fork();
  if (pid == 0) {
    Table* c = dbfOpen(&e, path.c_str());
    bool ok = c && lock_whole_file(c) == 0 && journal_begin(c, 161) == 0 &&
              file_set_length(c->file, 161) == 0;
    write_file(index, "half rebuilt");
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_TRUE(journal_exists(path));
  t = dbfOpen(&e, path.c_str());
  ASSERT_NE(t, nullptr) << e.lastError;
  EXPECT_EQ(dbfRecordCount(t), 50);
  dbfClose(t);
  EXPECT_EQ(read_file(path), before);
  EXPECT_EQ(read_file(index), index_before);
}

TEST_F(Safety, TablesWithBinaryFieldsAreReadButNeverWritten) {
  std::string path = dir.file("orders.dbf");
  std::string from = std::string(QX_TEST_DATA_DIR) + "/reference/later/goods.";
  std::filesystem::copy_file(from + "dbf", path);
  std::filesystem::copy_file(from + "cdx", dir.file("orders.cdx"));
  std::string before = read_file(path);
  Table* t = dbfOpen(&e, path.c_str());
  ASSERT_NE(t, nullptr);
  long count = dbfRecordCount(t);
  ASSERT_EQ(dbfTop(t), 0);
  EXPECT_EQ(dbfAppendBlank(t), kErrNoWriteSupport);
  e.lastError = 0;
  ASSERT_EQ(dbfTop(t), 0);
  dbfDelete(t);
  EXPECT_EQ(dbfWrite(t, 1), kErrNoWriteSupport);
  e.lastError = 0;
  EXPECT_EQ(dbfPack(t), kErrNoWriteSupport);
  e.lastError = 0;
  dbfAbandonChanges(t);
  EXPECT_EQ(dbfRecordCount(t), count);
  dbfClose(t);
  EXPECT_EQ(read_file(path), before);
}

// A dBASE III table with a memo, made byte by byte: its DBT file has
// 512-byte blocks, the next free block at 0 and texts ended by 0x1A.
TEST_F(Safety, DbaseIIIMemoFilesAreReadAndWritten) {
  std::string header(32 + 2 * 32 + 1, '\0');
  header[0] = '\x83';
  qx::coding::put32le(&header[4], 1);
  qx::coding::put16le(reinterpret_cast<unsigned char*>(&header[8]), 97);
  qx::coding::put16le(reinterpret_cast<unsigned char*>(&header[10]), 21);
  std::memcpy(&header[32], "NAME", 4);
  header[32 + 11] = 'C';
  header[32 + 16] = 10;
  std::memcpy(&header[64], "NOTES", 5);
  header[64 + 11] = 'M';
  header[64 + 16] = 10;
  header[96] = '\x0d';
  write_file(dir.file("old.dbf"), header + " first              1\x1a");
  std::string dbt(512, '\0');
  dbt[0] = 2;  // next free block
  dbt += "a memo of dBASE III\x1a\x1a";
  dbt.resize(1024, '\0');
  write_file(dir.file("old.dbt"), dbt);

  Table* t = dbfOpen(&e, dir.file("old.dbf").c_str());
  ASSERT_NE(t, nullptr) << e.lastError;
  ASSERT_EQ(dbfTop(t), 0);
  std::string text;
  ASSERT_EQ(fldMemoText(dbfFieldByName(t, "NOTES"), text), 0);
  EXPECT_EQ(text, "a memo of dBASE III");
  ASSERT_EQ(dbfAppendStart(t, 0), 0);
  dbfBlank(t);
  fldAssign(dbfFieldByName(t, "NAME"), "second");
  fldAssignMemo(dbfFieldByName(t, "NOTES"), std::string(600, 'm'));
  ASSERT_EQ(dbfAppend(t), 0);
  ASSERT_EQ(dbfClose(t), 0);

  std::string after = read_file(dir.file("old.dbt"));
  ASSERT_EQ(after.size(), 4u * 512);
  EXPECT_EQ(qx::coding::get32le(after.data()), 4u);  // two blocks taken from 2 on
  EXPECT_EQ(after.substr(1024, 600), std::string(600, 'm'));
  EXPECT_EQ(after.substr(1624, 2), "\x1a\x1a");
  std::string records = read_file(dir.file("old.dbf"));
  EXPECT_EQ(records.substr(97 + 21, 21), " second    " + std::string(9, ' ') + "2");
}

TEST_F(Safety, FileNamesReachTheSystemInUtf8) {
  std::string utf8 = dir.file("\xe6\x97\xa5\xe6\x9c\xac.dbf");  // two CJK characters
  Table* t = dbfCreate(&e, utf8.c_str(), qxtest::sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  dbfClose(t);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(utf8)));
  t = dbfOpen(&e, utf8.c_str());
  ASSERT_NE(t, nullptr);
  dbfClose(t);
  // A name narrowed to the single-byte code page still finds its file.
  t = dbfCreate(&e, dir.file("caf\xe9.dbf").c_str(), qxtest::sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  dbfClose(t);
  EXPECT_TRUE(std::filesystem::exists(dir.file("caf\xc3\xa9.dbf")));
}

TEST_F(Safety, OnlyRegularFilesAreOpened) {
  std::string fifo = dir.file("f.dbf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(dbfOpen(&e, fifo.c_str()), nullptr);  // returns instead of waiting for a writer
  EXPECT_EQ(e.lastError, kErrOpen);
  e.lastError = 0;
  std::filesystem::create_directory(dir.file("d.dbf"));
  EXPECT_EQ(dbfOpen(&e, dir.file("d.dbf").c_str()), nullptr);
}

}  // namespace
