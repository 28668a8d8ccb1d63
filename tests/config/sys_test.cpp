// System directories and settings: one test per row of the lookup table
// (session beats qx.ini beats the default, copies into the session where
// they are made), the per-session temporary folders of processes started at
// once, and the application object's settings.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "port/com.h"
#include "port/fs.h"
#include "qx/env.h"
#include "qx/global.h"
#include "qx/sys.h"
#include "component_test.h"

using qxtest::ScopedEnv;
using qxtest::TempDir;
using qxtest::u8;

namespace {

std::string lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

class SysTest : public qxtest::SessionTest {
 protected:
  // The folder in the form the directory functions give it.
  std::string dir(const std::string& sub = "") const { return lower(root_.path() + "/" + sub); }

  TempDir root_;
  qx_wchar buf_[QX_MAX_PATH];
};

TEST_F(SysTest, NetworkAndLocalDirectories) {
  EXPECT_EQ(u8(qx_Sys_getNetDir(buf_)), "");
  EXPECT_EQ(u8(qx_Sys_getLocalDir(buf_)), "") << "local falls back to the network directory";

  write_ini("[GENERAL]\nQV=C:\\Vexlor\\Net\nQVWS=D:/WS\n");
  EXPECT_EQ(u8(qx_Sys_getNetDir(buf_)), "c:\\vexlor\\net\\");
  EXPECT_EQ(u8(qx_Sys_getLocalName(buf_, u"Pipe.DBF")), "d:/ws/pipe.dbf")
      << "the separator the value uses";
  qx_Env_setSes(u"QV", u"E:\\Session");
  EXPECT_EQ(u8(qx_Sys_getNetName(buf_, u"A.txt")), "e:\\session\\a.txt") << "session first";
  EXPECT_EQ(qx_Env_getSes(u"QVWS"), nullptr) << "the local directory is not copied";
  qx_Env_setSes(u"qvws", u"F:\\Local");
  EXPECT_EQ(u8(qx_Sys_getLocalDir(buf_)), "f:\\local\\") << "session first";
}

TEST_F(SysTest, BinaryDirectoryReadsOnlyQxIni) {
  qx_Env_setSes(u"QV", u"n:\\qv");
  qx_Env_setSes(u"QX_BIN_DIR", u"s:\\ignored");
  EXPECT_EQ(u8(qx_Sys_getBinDir(buf_)), "n:\\qv\\bin\\");
  write_ini("[GENERAL]\nQX_BIN_DIR=B:\\Bin\n");
  EXPECT_EQ(u8(qx_Sys_getBinName(buf_, u"X.DLL")), "b:\\bin\\x.dll");
  write_ini("[GENERAL]\nQX_BIN_DIR=B:\\Bin\nQX_DEV_BIN_DIR=d:\\dev\\\n");
  EXPECT_EQ(u8(qx_Sys_getBinDir(buf_)), "d:\\dev\\") << "the development override wins";
}

TEST_F(SysTest, SpecsDirectoryIsCopiedIntoTheSession) {
  qx_Env_setSes(u"QV", u"N:\\QV");
  EXPECT_EQ(u8(qx_Sys_getSpecDir(buf_, nullptr)), "n:\\qv\\specs\\");
  EXPECT_EQ(u8(qx_Env_getSes(u"QVSPECS")), "n:\\qv\\specs") << "the default, without separator";
  qx_Env_resetSes();
  write_ini("[GENERAL]\nQVSPECS=x:\\Specs\n");
  EXPECT_EQ(u8(qx_Sys_getSpecName(buf_, u"Pipe", u"A.SPC")), "x:\\specs\\pipe\\a.spc");
  EXPECT_EQ(u8(qx_Env_getSes(u"QVSPECS")), "x:\\Specs");
  write_ini("[GENERAL]\nQVSPECS=y:\\changed\n");
  EXPECT_EQ(u8(qx_Sys_getSpecDir(buf_, u"")), "x:\\specs\\") << "qx.ini is not read again";
}

TEST_F(SysTest, TemporaryDirectoryIsMadeAndCopiedIntoTheSession) {
  write_ini("[GENERAL]\nQVTMP=" + root_.path() + "/Tmp\n");
  EXPECT_EQ(u8(qx_Sys_getTempDir(buf_, 0)), dir("tmp/"));
  EXPECT_TRUE(std::filesystem::is_directory(root_.file("tmp"))) << "made lower-case";
  EXPECT_EQ(u8(qx_Env_getSes(u"QVTMP")), root_.path() + "/Tmp");
  write_ini("[GENERAL]\nQVTMP=" + root_.path() + "/elsewhere\n");
  EXPECT_EQ(u8(qx_Sys_getTempName(buf_, u"A.TMP", 0)), dir("tmp/a.tmp"))
      << "a later change of qx.ini is not seen";
  qx_Env_resetSes();
  EXPECT_EQ(u8(qx_Sys_getTempDir(buf_, 0)), dir("elsewhere/")) << "until the session is reset";

  // A session value wins over qx.ini and is kept as it is.
  qx_Env_setSes(u"QVTMP", qx::port::from_utf8(root_.path() + "/Session").c_str());
  EXPECT_EQ(u8(qx_Sys_getTempDir(buf_, 0)), dir("session/"));
  EXPECT_EQ(u8(qx_Env_getSes(u"QVTMP")), root_.path() + "/Session");

  // Without any variable, under the local directory.
  qx_Env_resetSes();
  write_ini("");
  qx_Env_setSes(u"QVWS", qx::port::from_utf8(root_.path()).c_str());
  EXPECT_EQ(u8(qx_Sys_getTempDir(buf_, 0)), dir("qvtmp/"));
}

TEST_F(SysTest, PerSessionFoldersAreNumberedAndKept) {
  qx_Env_setSes(u"QVTMP", qx::port::from_utf8(root_.path()).c_str());
  std::filesystem::create_directory(root_.file("1"));
  EXPECT_EQ(u8(qx_Sys_getTempDir(buf_, 1)), dir("2/")) << "1 is taken";
  EXPECT_EQ(u8(qx_Env_getSes(u"QVSES")), "2");
  EXPECT_TRUE(std::filesystem::is_directory(root_.file("2")));
  std::filesystem::remove(root_.file("1"));
  EXPECT_EQ(u8(qx_Sys_getTempName(buf_, u"x", 1)), dir("2/x")) << "the number is kept";
}

// Several processes asking at the same moment each get a number of their
// own: the folder is claimed by creating it.
TEST_F(SysTest, ProcessesStartingAtOnceGetDifferentNumbers) {
  qx_Env_setSes(u"QVTMP", qx::port::from_utf8(root_.path()).c_str());
  constexpr int kChildren = 8;
  int start[2], results[2];
  ASSERT_EQ(pipe(start), 0);
  ASSERT_EQ(pipe(results), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < kChildren; ++i) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(start[1]);
      char go;
      if (read(start[0], &go, 1) != 1) _exit(2);  // all start together
      qx_wchar path[QX_MAX_PATH];
      qx_Sys_getTempDir(path, 1);
      std::string line = u8(qx_Env_getSes(u"QVSES")) + "\n";
      _exit(write(results[1], line.data(), line.size()) == (ssize_t)line.size() ? 0 : 3);
    }
    children.push_back(pid);
  }
  close(start[0]);
  close(results[1]);
  std::string go(kChildren, 'g');
  ASSERT_EQ(write(start[1], go.data(), go.size()), (ssize_t)go.size());
  close(start[1]);
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::string all;
  char chunk[256];
  for (ssize_t n; (n = read(results[0], chunk, sizeof chunk)) > 0;) all.append(chunk, n);
  close(results[0]);
  std::set<std::string> numbers;
  for (size_t pos = 0, end; (end = all.find('\n', pos)) != std::string::npos; pos = end + 1)
    numbers.insert(all.substr(pos, end - pos));
  EXPECT_EQ(numbers.size(), static_cast<size_t>(kChildren)) << all;
  EXPECT_EQ(numbers.count(""), 0u);
}

TEST_F(SysTest, VersionedBinaryNames) {
  write_ini("[GENERAL]\nQX_BIN_DIR=" + root_.path() + "\n");
  std::filesystem::create_directories(root_.file("r18"));
  qxtest::write_file(root_.file("both.dll"), "");
  qxtest::write_file(root_.file("r18/both.dll"), "");
  qxtest::write_file(root_.file("plain.dll"), "");
  qx_Env_setSes(u"ACADVER", u"R18");
  EXPECT_EQ(u8(qx_Sys_getVersionBinName(buf_, u"Both.DLL", 1)), dir("r18/both.dll"));
  EXPECT_EQ(u8(qx_Sys_getVersionBinName(buf_, u"plain.dll", 1)), dir("plain.dll"))
      << "falls back to the binary directory";
  qx_Env_setSes(u"ACADVER", u"R19");
  EXPECT_EQ(u8(qx_Sys_getVersionBinName(buf_, u"new.dll", 0)), dir("r19/new.dll"));
  EXPECT_TRUE(std::filesystem::is_directory(root_.file("r19"))) << "made for a new file";
  EXPECT_EQ(u8(qx_Sys_getVersionBinName(buf_, nullptr, 1)), dir("r19/"));
}

TEST_F(SysTest, SettingsOfTheApplication) {
  qx_wchar group[8];
  EXPECT_EQ(qx_Sys_getApplicationGroup(group, 7), 0);
  EXPECT_EQ(qx_Sys_setApplicationGroup(u"PIPING_DESIGN"), 1);
  EXPECT_EQ(qx_Sys_getApplicationGroup(group, 6), 1);
  EXPECT_EQ(u8(group), "PIPING") << "cut to the maximum";
  EXPECT_EQ(qx_Sys_setApplicationGroup(nullptr), 0);

  EXPECT_EQ(qx_Sys_getShowModeSelectGUI(), 0);
  EXPECT_EQ(qx_Sys_setShowModeSelectGUI(7), 0);
  qx_Global_destroyData();
  EXPECT_EQ(qx_Sys_getShowModeSelectGUI(), 1);
  EXPECT_NE(qxtest::read_file(cfg_.file("qx.ini")).find("ShowModeSelectionGUI=1"),
            std::string::npos);
  EXPECT_EQ(qx_Sys_setShowModeSelectGUI(0), 0);
  EXPECT_EQ(qx_Sys_getShowModeSelectGUI(), 0);
}

TEST(SysWithoutVariables, DirectoriesAreRelative) {
  TempDir work;
  std::u16string before = qx::port::current_directory();
  ASSERT_TRUE(qx::port::change_directory(work.wfile("")));
  qx_Global_destroyData();
  qx_Env_resetSes();
  qx_wchar buf[QX_MAX_PATH];
  EXPECT_EQ(u8(qx_Sys_getBinDir(buf)), "bin\\");
  EXPECT_EQ(u8(qx_Sys_getSpecDir(buf, nullptr)), "specs\\");
  EXPECT_EQ(u8(qx_Sys_getTempDir(buf, 0)), "qvtmp\\");
  EXPECT_EQ(u8(qx_Sys_getCfgName(buf, u"QX.INI")), "qx.ini");
  EXPECT_EQ(qx_Sys_getApplicationGroup(buf, 10), 0) << "no application object";
  EXPECT_EQ(qx_Sys_setApplicationGroup(u"G"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(work.file("qvtmp")));
  qx_Env_resetSes();
  EXPECT_TRUE(qx::port::change_directory(before));
}

}  // namespace
