// INI files shared between processes: writers that run at the same time
// lose none of each other's values, and a writer killed at any moment
// leaves the old or the new file whole.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

#include "config/ini_test.h"

namespace qxtest {
namespace {

using IniProcesses = IniTest;

// A file of `groups` groups of a few entries each, and a last group that
// only a whole file has.
std::string big_file(int groups) {
  std::string text = "; shared settings\r\n";
  for (int g = 0; g < groups; ++g) {
    text += "[Group" + std::to_string(g) + "]\r\n";
    for (int e = 0; e < 4; ++e)
      text += "entry" + std::to_string(e) + " = value " + std::to_string(g * 10 + e) + "\r\n";
    text += "\r\n";
  }
  return text + "[Last]\r\nend=1\r\n";
}

// Runs `body` in a child process with COM initialised; returns its pid.
template <typename Body>
pid_t child(Body body) {
  pid_t pid = fork();
  if (pid == 0) {
    qx::app::destroy_holder();
    CoInitialize(nullptr);
    int failures = body();
    _exit(failures == 0 ? 0 : 1);
  }
  return pid;
}

bool exited_cleanly(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(IniProcesses, TwoWritersAtOnceLoseNeitherValue) {
  write_file(file("shared.ini"), big_file(200));
  const std::u16string f = w("shared.ini");
  constexpr int kEach = 60;
  auto writer = [&](const std::u16string& prefix) {
    return [&f, prefix] {
      // Read first, so that the cache is soon out of date.
      int failures = qx_Ini_get(f.c_str(), u"Last", u"end") ? 0 : 1;
      for (int i = 0; i < kEach; ++i) {
        std::u16string name = prefix + qx::port::widen(std::to_string(i));
        failures += qx_Ini_set(f.c_str(), u"Group7", name.c_str(), name.c_str());
      }
      return failures;
    };
  };
  pid_t a = child(writer(u"a")), b = child(writer(u"b"));
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  EXPECT_TRUE(exited_cleanly(a));
  EXPECT_TRUE(exited_cleanly(b));

  Pairs items = fields_of(qx_Ini_getGroupItems(f.c_str(), u"Group7"));
  EXPECT_EQ(items.size(), 4u + 2 * kEach);
  for (const char* prefix : {"a", "b"})
    for (int i = 0; i < kEach; ++i) {
      std::string name = prefix + std::to_string(i);
      EXPECT_NE(std::find(items.begin(), items.end(), std::make_pair(
                              std::string(prefix[0] == 'a' ? "A" : "B") + std::to_string(i), name)),
                items.end())
          << name << " was lost";
    }
  EXPECT_EQ(strings_of(qx_Ini_getGroupLines(f.c_str(), u"Last", 0)).size(), 1u);
}

TEST_F(IniProcesses, AWriterKilledAtAnyMomentLeavesAWholeFile) {
  const std::string original = big_file(1000);
  write_file(file("k.ini"), original);
  const std::u16string f = w("k.ini");
  std::mt19937 random(12345);
  for (int round = 0; round < 12; ++round) {
    pid_t pid = child([&f] {
      for (int i = 0;; ++i)
        qx_Ini_set(f.c_str(), u"Group500", u"counter", qx::port::widen(std::to_string(i)).c_str());
      return 0;
    });
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 30000));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);

    // Whole: every group there, the last line last, only the counter new.
    std::string now = read_file(file("k.ini"));
    ASSERT_GE(now.size(), 15u) << "round " << round;
    ASSERT_EQ(now.substr(now.size() - 15), "[Last]\r\nend=1\r\n") << "round " << round;
    EXPECT_EQ(strings_of(qx_Ini_getGroupLines(f.c_str(), u"Group999", 0)).size(), 4u);
    size_t counter = now.find("counter=");
    if (counter == std::string::npos) {
      EXPECT_EQ(now, original) << "killed before its first write";
    } else {
      size_t end = now.find("\r\n", counter);
      std::string without = now.substr(0, counter) + now.substr(end + 2);
      EXPECT_EQ(without, original) << "round " << round;
    }
  }
}

// A file that exists but cannot be read must not be replaced by one holding
// only the change.  The writer runs as a user without read permission (an
// unprivileged one, since the owner of the test may read anything).
TEST_F(IniProcesses, AFileThatCannotBeReadIsNotReplaced) {
  const std::string original = "[G]\nk=1\n; and more\n";
  write_file(file("secret.ini"), original);
  ::chmod(file("secret.ini").c_str(), 0222);
  ::chmod(dir_.path().c_str(), 0777);
  const std::u16string f = w("secret.ini");
  pid_t pid = child([&f] {
    if (::geteuid() == 0 && ::setuid(65534) != 0) return 100;
    qx_FldList* list = list_of({{"k", "2"}});
    int failures = qx_Ini_set(f.c_str(), u"G", u"k", u"2") != 1;
    failures += qx_Ini_setGroupItems(f.c_str(), u"G", list) != 0;
    failures += qx_Ini_getGroupLines(f.c_str(), u"G", 1) != nullptr;
    qx_FldList_destroy(list);
    return failures;
  });
  EXPECT_TRUE(exited_cleanly(pid));
  ::chmod(file("secret.ini").c_str(), 0644);
  EXPECT_EQ(read_file(file("secret.ini")), original);
}

// The qx program as the other process: its exit code and its output.
std::pair<int, std::string> qx_ini(const std::string& args) {
  std::string cmd = std::string("'") + QX_TOOL_PATH + "' ini " + args + " 2>&1";
  std::pair<int, std::string> result{-1, {}};
  if (std::FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) result.second.append(buf, n);
    int status = ::pclose(p);
    result.first = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return result;
}

TEST_F(IniProcesses, TheQxProgramSharesTheFile) {
  if (!std::filesystem::exists(QX_TOOL_PATH)) GTEST_SKIP() << "the qx program is not built";
  write_file(file("p.ini"), "[Pipe]\r\nSize = DN100 \r\n");
  const std::u16string f = w("p.ini");
  const std::string q = "'" + file("p.ini") + "' ";
  EXPECT_EQ(u8(qx_Ini_get(f.c_str(), u"Pipe", u"Size")), "DN100 ");  // now cached here
  EXPECT_EQ(qx_ini("set " + q + "pipe Material 'St 37'").first, 0);
  EXPECT_EQ(qx_Ini_set(f.c_str(), u"Pipe", u"Rating", u"PN16"), 0);
  EXPECT_EQ(qx_ini("get " + q + "PIPE material"), std::make_pair(0, std::string("St 37\n")));
  EXPECT_EQ(qx_ini("group " + q + "pipe"),
            std::make_pair(0, std::string("Size=DN100\nMaterial=St 37\nRating=PN16\n")));
  EXPECT_EQ(qx_ini("groups " + q), std::make_pair(0, std::string("Pipe\n")));

  EXPECT_EQ(qx_ini("get " + q + "Pipe Missing").first, 1);
  EXPECT_EQ(qx_ini("group " + q + "Valve").first, 1);
  EXPECT_EQ(qx_ini("set " + q + "'a]b' n v").first, 1);
  EXPECT_EQ(qx_ini("get '" + file("none.ini") + "' a b").first, 1);
  EXPECT_EQ(qx_ini("get " + q).first, 2);
  EXPECT_EQ(qx_ini("frob " + q).first, 2);
  EXPECT_EQ(read_file(file("p.ini")), "[Pipe]\r\nSize = DN100 \r\nMaterial=St 37\r\nRating=PN16\r\n");
}

}  // namespace
}  // namespace qxtest
