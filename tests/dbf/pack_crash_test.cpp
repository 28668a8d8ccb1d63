// Pack against crashes and neighbours: a process killed at random moments
// while it packs leaves a table that the next open finds exactly as before
// the pack or exactly as after it; and `qx dbf delete` running beside
// `qx dbf pack` never puts one record over another.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "dbf/journal.h"
#include "dbf_support.h"

using namespace qx::dbf;
using qxtest::read_file;
using qxtest::TempDir;
using qxtest::write_file;

namespace {

// The bytes of a table and of its production index.
struct Files {
  std::string data, index;
  bool operator==(const Files&) const = default;
};

Files readFiles(const std::string& path) { return {read_file(path + ".dbf"), read_file(path + ".cdx")}; }
void writeFiles(const std::string& path, const Files& f) {
  write_file(path + ".dbf", f.data);
  write_file(path + ".cdx", f.index);
}

// A table of `n` records named by number, every third one deleted, with a
// production index on the names (so that pack rebuilds an index file too).
Files makeTable(Engine& e, const std::string& path, int n) {
  static const TagInfo tags[] = {{"NAME", "NAME", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
  Table* t = dbfCreate(&e, (path + ".dbf").c_str(), qxtest::sampleFields(), tags);
  EXPECT_NE(t, nullptr);
  for (int i = 1; i <= n; ++i) {
    EXPECT_EQ(qxtest::appendSample(t, std::to_string(i).c_str(), i), 0);
    if (i % 3 == 0) dbfDelete(t);
  }
  EXPECT_EQ(dbfClose(t), 0);
  return readFiles(path);
}

// Starts a child that opens the table, says so through a pipe and packs.
pid_t startPacker(const std::string& path, int* ready) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    Engine e;
    e.quietErrors = 1;
    Table* t = dbfOpen(&e, path.c_str());
    char c = 1;
    if (!t || ::write(fds[1], &c, 1) != 1) ::_exit(2);
    ::_exit(dbfPack(t) == 0 && dbfClose(t) == 0 ? 0 : 1);
  }
  ::close(fds[1]);
  *ready = fds[0];
  return pid;
}

TEST(PackCrash, EveryKilledPackLeavesTheTableBeforeOrAfter) {
  TempDir dir;
  std::string path = dir.file("k");
  Engine e;
  e.quietErrors = 1;
  const Files before = makeTable(e, path, 15000);
  // The packed table, and how long a whole pack takes in a child.
  int ready = -1;
  pid_t pid = startPacker(path, &ready);
  char c;
  ASSERT_EQ(::read(ready, &c, 1), 1);
  auto packing = std::chrono::steady_clock::now();
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::close(ready);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  auto took = std::chrono::steady_clock::now() - packing;
  const Files after = readFiles(path);
  ASSERT_NE(before.data, after.data);
  ASSERT_NE(before.index, after.index);
  ASSERT_EQ(after.data.size(), 161u + 10000 * 38 + 1);

  std::mt19937 random(12345);
  // Kills at random moments over the whole pack, from the open to the exit.
  long window = std::max<long>(200, std::chrono::duration_cast<std::chrono::microseconds>(took).count());
  std::uniform_int_distribution<long> delay(0, window);
  std::map<std::string, int> outcomes;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(12);
  int kills = 0;
  // Hundreds of kills on an idle machine; a loaded or sanitized one goes on
  // past the deadline until it has a few dozen.
  for (; kills < 400 && (kills < 40 || std::chrono::steady_clock::now() < deadline); ++kills) {
    writeFiles(path, before);
    pid = startPacker(path, &ready);
    ASSERT_EQ(::read(ready, &c, 1), 1);
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    ::close(ready);
    // The next open puts the table right; only then is it looked at.
    Table* t = dbfOpen(&e, path.c_str());
    ASSERT_NE(t, nullptr) << "kill " << kills << ": error " << e.lastError;
    dbfClose(t);
    Files now = readFiles(path);
    ASSERT_TRUE(now == before || now == after)
        << "kill " << kills << ": a mixture of " << now.data.size() << " data bytes";
    ASSERT_FALSE(journal_exists(path + ".dbf"));
    ++outcomes[WIFSIGNALED(status) ? (now == before ? "killed, before" : "killed, after")
                                   : "finished"];
  }
  for (const auto& [what, n] : outcomes) std::printf("  %s: %d\n", what.c_str(), n);
  // The kills must have landed inside packs, or the test proves nothing.
  EXPECT_GT(outcomes["killed, before"], 0);
}

// The qx program: `qx dbf` with arguments; the exit status.
int qx(const std::string& args) {
  std::string cmd = std::string("'") + QX_TOOL_PATH + "' dbf " + args + " >/dev/null 2>&1";
  int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PackRace, DeleteBesidePackNeverPutsOneRecordOverAnother) {
  if (!std::filesystem::exists(QX_TOOL_PATH)) GTEST_SKIP() << "the qx program is not built";
  TempDir dir;
  std::string path = dir.file("r.dbf");
  Engine e;
  e.quietErrors = 1;
  Table* t = dbfCreate(&e, path.c_str(), qxtest::sampleFields(), nullptr);
  ASSERT_NE(t, nullptr);
  const int kRecords = 60;
  for (int i = 1; i <= kRecords; ++i) ASSERT_EQ(qxtest::appendSample(t, std::to_string(i).c_str(), i), 0);
  ASSERT_EQ(dbfClose(t), 0);

  std::mt19937 random(7);
  int gone_or_marked = 0;  // at most one name per round
  for (int round = 0; round < 40; ++round) {
    std::uniform_int_distribution<long> pick(1, kRecords - round);
    std::string n = std::to_string(pick(random));
    std::thread pack([&] { qx("pack '" + path + "'"); });
    std::thread remove([&] { EXPECT_EQ(qx("delete '" + path + "' " + n + " --wait 30"), 0); });
    pack.join();
    remove.join();
    // Every name at most once; each round takes away or marks one more.
    std::set<std::string> seen;
    int marked = 0;
    t = dbfOpen(&e, path.c_str());
    ASSERT_NE(t, nullptr);
    for (int rc = dbfTop(t); rc == 0; rc = dbfSkip(t, 1)) {
      std::string name = qxtest::fieldText(t, "NAME");
      ASSERT_TRUE(seen.insert(name).second) << "round " << round << ": " << name << " twice";
      if (dbfDeleted(t)) ++marked;
    }
    dbfClose(t);
    ++gone_or_marked;
    ASSERT_LE(kRecords - static_cast<int>(seen.size()) + marked, gone_or_marked) << "round " << round;
  }
}

}  // namespace
