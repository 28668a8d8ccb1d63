// Files shared between handles and processes: Windows sharing modes,
// byte-range locks that exclude every other handle, lock retries, and two
// processes appending to one table at once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>

#include "dbf/error.h"
#include "dbf_support.h"
#include "port/winfile.h"
#include "qx/dbf.h"

using namespace qx::dbf;
using namespace qx::port;
using qxtest::read_file;
using qxtest::TempDir;
using qxtest::write_file;

namespace {

constexpr uint32_t kReadWrite = kGenericRead | kGenericWrite;
constexpr uint32_t kShareAll = kShareRead | kShareWrite;

WinFile openFile(const std::string& path, uint32_t access, uint32_t share,
                 Disposition d = Disposition::kOpenExisting) {
  return WinFile::create_file(path, access, share, d);
}

// Runs `body` in a child process that signals through a pipe once it is
// ready, then stays until the parent closes its end.
class Child {
 public:
  template <typename Body>
  explicit Child(Body body) {
    int ready[2], done[2];
    EXPECT_EQ(::pipe(ready), 0);
    EXPECT_EQ(::pipe(done), 0);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(done[1]);
      body();
      char c = 1;
      ssize_t w = ::write(ready[1], &c, 1);
      ssize_t r = ::read(done[0], &c, 1);  // until the parent lets go
      ::_exit(w == 1 && r >= 0 ? 0 : 1);
    }
    ::close(ready[1]);
    ::close(done[0]);
    char c;
    EXPECT_EQ(::read(ready[0], &c, 1), 1);
    ::close(ready[0]);
    release_ = done[1];
  }
  ~Child() { finish(); }
  void finish() {
    if (release_ < 0) return;
    ::close(release_);
    release_ = -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
};

TEST(Sharing, ModesExcludeEachOtherAsOnWindows) {
  TempDir dir;
  std::string path = dir.file("s.dat");
  write_file(path, "data");
  WinFile a = openFile(path, kReadWrite, kShareAll);
  ASSERT_TRUE(a.is_open());
  WinFile b = openFile(path, kReadWrite, kShareAll);
  EXPECT_TRUE(b.is_open());
  WinFile c = openFile(path, kGenericRead, 0);
  EXPECT_FALSE(c.is_open());
  EXPECT_EQ(c.error(), kErrorSharingViolation);
  // A reader that will not share writing meets the writers.
  WinFile d = openFile(path, kGenericRead, kShareRead);
  EXPECT_EQ(d.error(), kErrorSharingViolation);
  a.close();
  b.close();
  d = openFile(path, kGenericRead, kShareRead);
  ASSERT_TRUE(d.is_open());
  EXPECT_TRUE(openFile(path, kGenericRead, kShareAll).is_open());
  EXPECT_EQ(openFile(path, kReadWrite, kShareAll).error(), kErrorSharingViolation);
  d.close();
  // A failed open leaves no share behind.
  EXPECT_TRUE(openFile(path, kReadWrite, 0).is_open());
}

TEST(Sharing, ExclusiveOpenInAnotherProcessBlocksOpensAndReplaces) {
  TempDir dir;
  std::string path = dir.file("x.dat");
  write_file(path, "precious");
  {
    Child holder([&] {
      static WinFile held;
      held = openFile(path, kReadWrite, 0);
    });
    EXPECT_EQ(openFile(path, kGenericRead, kShareAll).error(), kErrorSharingViolation);
    WinFile replace = openFile(path, kReadWrite, kShareAll, Disposition::kCreateAlways);
    EXPECT_EQ(replace.error(), kErrorSharingViolation);
    EXPECT_EQ(read_file(path), "precious");
  }
  EXPECT_TRUE(openFile(path, kReadWrite, 0).is_open());
}

TEST(Sharing, CreationDispositions) {
  TempDir dir;
  std::string path = dir.file("c.dat");
  EXPECT_EQ(openFile(path, kReadWrite, kShareAll).error(), kErrorFileNotFound);
  EXPECT_TRUE(openFile(path, kReadWrite, kShareAll, Disposition::kCreateNew).is_open());
  write_file(path, "keep");
  EXPECT_EQ(openFile(path, kReadWrite, kShareAll, Disposition::kCreateNew).error(),
            kErrorFileExists);
  EXPECT_EQ(read_file(path), "keep");
  EXPECT_TRUE(openFile(path, kReadWrite, kShareAll, Disposition::kOpenAlways).is_open());
  EXPECT_EQ(read_file(path), "keep");
  EXPECT_TRUE(openFile(path, kReadWrite, kShareAll, Disposition::kCreateAlways).is_open());
  EXPECT_EQ(read_file(path), "");
  EXPECT_FALSE(openFile(dir.path(), kGenericRead, kShareAll).is_open());  // a folder
}

TEST(ByteRangeLocks, ExcludeOtherHandlesEvenInOneProcess) {
  TempDir dir;
  std::string path = dir.file("l.dat");
  write_file(path, "x");
  WinFile a = openFile(path, kReadWrite, kShareAll);
  WinFile b = openFile(path, kReadWrite, kShareAll);
  ASSERT_TRUE(a.lock(0x40000000, 16));
  EXPECT_FALSE(b.lock(0x40000008, 1));
  EXPECT_EQ(b.error(), kErrorLockViolation);
  EXPECT_TRUE(b.lock(0x40000010, 1));  // just past a's range
  // Locks do not stack within a handle, and unlocking needs the exact range.
  EXPECT_FALSE(a.lock(0x40000000, 1));
  EXPECT_EQ(a.error(), kErrorLockViolation);
  EXPECT_FALSE(a.unlock(0x40000000, 8));
  EXPECT_EQ(a.error(), kErrorNotLocked);
  EXPECT_TRUE(a.unlock(0x40000000, 16));
  EXPECT_TRUE(b.lock(0x40000000, 1));
  b.close();  // closing releases everything
  EXPECT_TRUE(a.lock(0x40000000, 0x3FFFFFFF));
}

class EngineLocks : public ::testing::Test {
 protected:
  void SetUp() override {
    Table* t = dbfCreate(&engine, dir.file("t").c_str(), qxtest::sampleFields(), nullptr);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(qxtest::appendSample(t, "a", 1), 0);
    dbfClose(t);
  }
  TempDir dir;
  Engine engine;
};

TEST_F(EngineLocks, OneAttemptGivesLockedAtOnce) {
  std::string path = dir.file("t.dbf");
  Child holder([&] {
    static WinFile held;
    held = openFile(path, kReadWrite, kShareAll);
    held.lock(kAppendLock, 1);
  });
  engine.lockRetries = 1;
  Table* t = dbfOpen(&engine, path.c_str());
  ASSERT_NE(t, nullptr);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(dbfAppendBlank(t), kLocked);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_EQ(engine.lastError, kLocked);
  EXPECT_EQ(dbfRecordCount(t), 1);
  // Two attempts: the second comes once the clock's second has turned.
  engine.lastError = 0;
  engine.lockRetries = 2;
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(dbfAppendBlank(t), kLocked);
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GT(waited, std::chrono::milliseconds(0));
  EXPECT_LT(waited, std::chrono::milliseconds(2500));
  engine.lockRetries = 1;
  // The record lock of record 1 is free: writing it goes ahead.
  ASSERT_EQ(dbfTop(t), 0);
  fldAssign(dbfFieldByName(t, "NAME"), "b");
  EXPECT_EQ(qx_d4write(t, 1), 0);
  // Pack needs the whole file, which the append lock lies in.
  EXPECT_EQ(dbfPack(t), kLocked);
  holder.finish();
  EXPECT_EQ(dbfAppendBlank(t), 0);
  EXPECT_EQ(dbfRecordCount(t), 2);
  dbfClose(t);
}

TEST_F(EngineLocks, WaitingLockIsHadOnceTheHolderLetsGo) {
  std::string path = dir.file("t.dbf");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t pid = ::fork();
  if (pid == 0) {
    WinFile held = openFile(path, kReadWrite, kShareAll);
    bool locked = held.lock(kAppendLock, 1);
    char c = 1;
    ssize_t w = ::write(ready[1], &c, 1);
    sleep_ms(300);
    ::_exit(locked && w == 1 ? 0 : 1);
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  engine.lockRetries = -1;
  Table* t = dbfOpen(&engine, path.c_str());
  ASSERT_NE(t, nullptr);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(dbfAppendBlank(t), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  EXPECT_EQ(dbfRecordCount(t), 2);
  dbfClose(t);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ::close(ready[0]);
  ::close(ready[1]);
}

TEST_F(EngineLocks, ReadOnlyAndExclusiveTablesTakeNoLocks) {
  std::string path = dir.file("t.dbf");
  WinFile other = openFile(path, kGenericRead, kShareAll);
  engine.exclusiveAccess = 1;
  engine.quietErrors = 1;
  EXPECT_EQ(dbfOpen(&engine, path.c_str()), nullptr);  // shared elsewhere
  EXPECT_EQ(engine.lastError, kErrOpen);
  other.close();
  engine.lastError = 0;
  Table* t = dbfOpen(&engine, path.c_str());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(dbfAppendBlank(t), 0);
  EXPECT_TRUE(t->locked_records.empty());
  dbfClose(t);
}

TEST(Concurrency, TwoProcessesAppendingLoseNothing) {
  TempDir dir;
  std::string path = dir.file("shared.dbf");
  {
    Engine e;
    Table* t = dbfCreate(&e, path.c_str(), qxtest::sampleFields(), nullptr);
    ASSERT_NE(t, nullptr);
    dbfClose(t);
  }
  constexpr int kPerProcess = 5000;
  EXPECT_TRUE(qxtest::workInChildren(2, path, [](Table* t, int c) {
    int failures = 0;
    for (int i = 0; i < kPerProcess; ++i) {
      std::string name = std::to_string(c) + "-" + std::to_string(i);
      failures += qxtest::appendSample(t, name.c_str(), i) != 0;
    }
    return failures;
  }));
  Engine e;
  Table* t = dbfOpen(&e, path.c_str());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(dbfRecordCount(t), 2 * kPerProcess);
  std::set<std::string> seen;
  int last[2] = {-1, -1};
  for (int rc = dbfTop(t); rc == 0; rc = dbfSkip(t, 1)) {
    std::string name = qxtest::fieldText(t, "NAME");
    EXPECT_TRUE(seen.insert(name).second) << name << " twice";
    // Each process's records stand in the order it appended them.
    int c = name[0] - '0', i = std::stoi(name.substr(2));
    EXPECT_EQ(i, last[c] + 1);
    last[c] = i;
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(2 * kPerProcess));
  dbfClose(t);
  std::string bytes = read_file(path);
  EXPECT_EQ(bytes.size(), 161u + 2 * kPerProcess * 38u + 1);
  EXPECT_EQ(bytes.back(), 0x1A);
}

}  // namespace
