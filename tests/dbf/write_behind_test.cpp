// Writes held back from exclusive tables, and shared reads that keep the
// record count they read last.  An exclusive table must end up byte for byte
// as a shared one does under the same changes (the shared path writes every
// change at once), hold nothing back from a flush or a close, report a write
// that fails when the held-back bytes go out, and never leave a header
// counting records that are not in the file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "core/coding.h"
#include "dbf/error.h"
#include "dbf_support.h"

using namespace qx::dbf;
using qxtest::fieldText;
using qxtest::read_file;
using qxtest::TempDir;

namespace {

const FieldInfo kFields[] = {{"NAME", 'C', 20, 0}, {"QTY", 'N', 8, 2}, {"DUE", 'D', 8, 0},
                             {"NOTE", 'M', 10, 0}, {nullptr, 0, 0, 0}};
constexpr size_t kHeader = 32 * 5 + 1, kRecord = 1 + 20 + 8 + 8 + 10;

uint32_t count_in(const std::string& bytes) {
  return qx::coding::get32le(reinterpret_cast<const unsigned char*>(bytes.data()) + 4);
}

// The same changes on any table: appends past several buffers' worth, memos,
// records changed, deleted and written back in the middle, a pack.
void change(Table* t) {
  for (int i = 1; i <= 3000; ++i) {
    ASSERT_EQ(dbfAppendStart(t, 0), 0);
    dbfBlank(t);
    fldAssign(dbfFieldByName(t, "NAME"), ("name " + std::to_string(i)).c_str());
    fldAssignDouble(dbfFieldByName(t, "QTY"), i * 1.25);
    fldAssignDouble(dbfFieldByName(t, "DUE"), 2451545.0 + i);
    if (i % 100 == 0) fldAssignMemo(dbfFieldByName(t, "NOTE"), "memo of " + std::to_string(i));
    ASSERT_EQ(dbfAppend(t), 0);
  }
  for (long n = 7; n <= 3000; n += 331) {
    ASSERT_EQ(dbfGo(t, n), 0);
    fldAssign(dbfFieldByName(t, "NAME"), "changed");
    if (n % 2) dbfDelete(t);
    ASSERT_EQ(dbfSkip(t, 1), 0);  // writes record n back
  }
  ASSERT_EQ(dbfGo(t, 200), 0);
  std::string memo;
  ASSERT_EQ(fldMemoText(dbfFieldByName(t, "NOTE"), memo), 0);
  EXPECT_EQ(memo, "memo of 200");
  ASSERT_EQ(dbfPack(t), 0);
  ASSERT_EQ(dbfBottom(t), 0);
  EXPECT_EQ(fieldText(t, "NAME"), "name 3000");
}

TEST(WriteBehind, AnExclusiveTableEndsAsASharedOneDoes) {
  TempDir dir;
  Engine shared, exclusive;
  exclusive.exclusiveAccess = 1;
  Table* a = dbfCreate(&shared, dir.file("a").c_str(), kFields, nullptr);
  Table* b = dbfCreate(&exclusive, dir.file("b").c_str(), kFields, nullptr);
  ASSERT_TRUE(a && b);
  change(a);
  change(b);
  ASSERT_EQ(dbfClose(a), 0);
  ASSERT_EQ(dbfClose(b), 0);
  std::string data = read_file(dir.file("a.dbf"));
  EXPECT_EQ(count_in(data), 2995u);
  EXPECT_EQ(data.size(), kHeader + 2995 * kRecord + 1);
  EXPECT_TRUE(data == read_file(dir.file("b.dbf")));
  EXPECT_TRUE(read_file(dir.file("a.fpt")) == read_file(dir.file("b.fpt")));
}

TEST(WriteBehind, FlushAndCloseLeaveNothingHeldBack) {
  TempDir dir;
  Engine e;
  e.exclusiveAccess = 1;
  Table* t = dbfCreate(&e, dir.file("t").c_str(), qxtest::sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(qxtest::appendSample(t, "x", i), 0);
  std::string path = dir.file("t.dbf");
  EXPECT_EQ(read_file(path).size(), 162u);  // the appends are still held back
  EXPECT_EQ(file_logical_length(t->file), 161 + 100 * 38 + 1);
  ASSERT_EQ(file_flush(t->file), 0);
  std::string bytes = read_file(path);
  EXPECT_EQ(bytes.size(), 161u + 100 * 38 + 1);
  EXPECT_EQ(count_in(bytes), 100u);
  EXPECT_EQ(bytes.back(), 0x1A);
  ASSERT_EQ(qxtest::appendSample(t, "last", 1), 0);
  EXPECT_EQ(dbfClose(t), 0);
  bytes = read_file(path);
  EXPECT_EQ(count_in(bytes), 101u);
  EXPECT_EQ(bytes.size(), 161u + 101 * 38 + 1);
  EXPECT_EQ(bytes.substr(bytes.size() - 39, 5), " last");
}

// A planted fault: the file may not grow past 8000 bytes (RLIMIT_FSIZE), so
// the held-back records fail when they go out at close.  In a child process,
// whose limit dies with it.
TEST(WriteBehind, AWriteThatFailsLaterIsReportedAndTheHeaderNeverCountsAhead) {
  TempDir dir;
  std::string path = dir.file("full");
  pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {8000, 8000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    Engine e;
    e.exclusiveAccess = 1;
    e.quietErrors = 1;
    Table* t = dbfCreate(&e, path.c_str(), qxtest::sampleFields(), nullptr);
    int appended = 0;
    for (int i = 0; t && i < 1000; ++i) appended += qxtest::appendSample(t, "r", i) == 0;
    int closed = t ? dbfClose(t) : 0;
    ::_exit(appended == 1000 && closed == kErrWrite && e.lastError == kErrWrite ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::string bytes = read_file(path + ".dbf");
  ASSERT_GE(bytes.size(), 161u);
  EXPECT_LE(161 + count_in(bytes) * 38, bytes.size());
}

class SharedReads : public ::testing::Test {
 protected:
  void SetUp() override {
    Table* t = dbfCreate(&writer, dir.file("s").c_str(), qxtest::sampleFields(), nullptr);
    ASSERT_NE(t, nullptr);
    for (int i = 1; i <= 5; ++i) ASSERT_EQ(qxtest::appendSample(t, std::to_string(i).c_str(), i), 0);
    ASSERT_EQ(dbfClose(t), 0);
  }
  TempDir dir;
  Engine reader, writer;
};

TEST_F(SharedReads, RecordsAddedElsewhereAreFoundPastTheCountReadFirst) {
  Table* r = dbfOpen(&reader, dir.file("s.dbf").c_str());
  Table* w = dbfOpen(&writer, dir.file("s.dbf").c_str());
  ASSERT_TRUE(r && w);
  ASSERT_EQ(dbfTop(r), 0);
  ASSERT_EQ(qxtest::appendSample(w, "6", 6), 0);
  ASSERT_EQ(qxtest::appendSample(w, "7", 7), 0);
  int seen = 1;
  while (dbfSkip(r, 1) == 0) EXPECT_EQ(fieldText(r, "NAME"), std::to_string(++seen));
  EXPECT_EQ(seen, 7);
  EXPECT_EQ(dbfRecordNumber(r), 8);
  // The end of file moves on with the count: a skip from it reads the count
  // again, as a reader that read it for every move would.
  ASSERT_EQ(qxtest::appendSample(w, "8", 8), 0);
  EXPECT_EQ(dbfSkip(r, 1), kEof);
  EXPECT_EQ(dbfRecordNumber(r), 9);
  ASSERT_EQ(dbfSkip(r, -1), 0);
  EXPECT_EQ(fieldText(r, "NAME"), "8");
  dbfClose(w);
  dbfClose(r);
}

TEST_F(SharedReads, ATablePackedElsewhereEndsTheWalkAtItsNewEnd) {
  Table* r = dbfOpen(&reader, dir.file("s.dbf").c_str());
  Table* w = dbfOpen(&writer, dir.file("s.dbf").c_str());
  ASSERT_TRUE(r && w);
  ASSERT_EQ(dbfGo(r, 2), 0);  // the reader has read the count 5
  for (long n = 3; n <= 5; ++n) {
    ASSERT_EQ(dbfGo(w, n), 0);
    dbfDelete(w);
  }
  ASSERT_EQ(dbfPack(w), 0);
  EXPECT_EQ(dbfSkip(r, 1), kEof);
  EXPECT_EQ(dbfRecordNumber(r), 3);
  EXPECT_EQ(reader.lastError, 0);
  ASSERT_EQ(dbfSkip(r, -1), 0);
  EXPECT_EQ(fieldText(r, "NAME"), "2");
  dbfClose(w);
  dbfClose(r);
}

}  // namespace
