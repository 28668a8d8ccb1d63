// Turns at rewriting a shared file: the folder lock between processes, and
// the stamp that tells a changed file from an unchanged one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "port/file_lock.h"
#include "test_support.h"

using qx::port::FolderLock;
using qxtest::TempDir;
using qxtest::write_file;

namespace {

using std::chrono::milliseconds;

// A child process that takes the folder's lock, says so through a pipe and
// then holds it until it is killed.
pid_t holder(const std::string& path) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    FolderLock lock(path);
    char yes = lock.held() ? 'y' : 'n';
    if (write(ready[1], &yes, 1) != 1) _exit(1);
    for (;;) pause();
  }
  char answer = 0;
  close(ready[1]);
  bool ok = read(ready[0], &answer, 1) == 1 && answer == 'y';
  close(ready[0]);
  return ok ? pid : -1;
}

TEST(FolderLock, OneProcessAtATimeAndNoneAfterItsHolderDies) {
  TempDir dir;
  const std::string file = dir.file("settings.ini");
  pid_t pid = holder(file);
  ASSERT_GT(pid, 0);
  {
    FolderLock second(file, milliseconds(50));
    EXPECT_FALSE(second.held());
    EXPECT_TRUE(second.timed_out()) << "the other process has the folder";
  }
  kill(pid, SIGKILL);  // a crash: the system drops the lock
  waitpid(pid, nullptr, 0);
  FolderLock after(file, milliseconds(5000));
  EXPECT_TRUE(after.held());
  EXPECT_FALSE(after.timed_out());
}

TEST(FolderLock, AFolderThatCannotBeOpenedIsNotWaitedFor) {
  TempDir dir;
  FolderLock lock(dir.file("no/such/folder/x.ini"), milliseconds(50));
  EXPECT_FALSE(lock.held());
  EXPECT_FALSE(lock.timed_out());
}

TEST(FileStamp, ChangesWithTheFile) {
  TempDir dir;
  const std::string file = dir.file("a.ini");
  EXPECT_EQ(qx::port::file_stamp(file).size, -1);
  write_file(file, "[G]\n");
  auto first = qx::port::file_stamp(file);
  EXPECT_EQ(first.size, 4);
  EXPECT_EQ(qx::port::file_stamp(file), first);
  write_file(dir.file("b.ini"), "[H]\n");  // same size, another file
  ASSERT_EQ(std::rename(dir.file("b.ini").c_str(), file.c_str()), 0);
  EXPECT_NE(qx::port::file_stamp(file), first) << "a replaced file is another file";
}

}  // namespace
