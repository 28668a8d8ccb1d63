// Processes, versions and the host registers of the system family: real
// child processes, the Windows command-line rules, versions from the
// library and the versions file, the operating system's generation, the
// help library's loader and the host registers.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "port/alert.h"
#include "port/com.h"
#include "port/dynlib.h"
#include "port/process.h"
#include "qx/env.h"
#include "qx/global.h"
#include "qx/sys.h"
#include "test_support.h"

using qxtest::ScopedEnv;
using qxtest::TempDir;
using qxtest::u8;

namespace {

std::vector<std::string> split(const char16_t* line) {
  std::vector<std::string> out;
  for (const auto& word : qx::port::split_command_line(line)) out.push_back(u8(word));
  return out;
}

bool appears_within_seconds(const std::string& path, int seconds) {
  for (int i = 0; i < seconds * 50; ++i) {
    if (std::filesystem::exists(path) && !qxtest::read_file(path).empty()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// The examples of the Windows command-line rules as its documentation gives them.
TEST(CommandLine, SplitsByTheWindowsRules) {
  using V = std::vector<std::string>;
  EXPECT_EQ(split(u"prog \"abc\" d e"), (V{"prog", "abc", "d", "e"}));
  EXPECT_EQ(split(u"prog a\\\\\\b d\"e f\"g h"), (V{"prog", "a\\\\\\b", "de fg", "h"}));
  EXPECT_EQ(split(u"prog a\\\\\\\"b c d"), (V{"prog", "a\\\"b", "c", "d"}));
  EXPECT_EQ(split(u"prog a\\\\\\\\\"b c\" d e"), (V{"prog", "a\\\\b c", "d", "e"}));
  EXPECT_EQ(split(u"\"C:\\Program Files\\x.exe\" -v"), (V{"C:\\Program Files\\x.exe", "-v"}))
      << "the program keeps its backslashes";
  EXPECT_TRUE(split(u"   ").empty());
}

// A real child receives the arguments as split, and waiting means the child
// has finished.
TEST(CreateProcess, ChildGetsTheArgumentsAndIsWaitedFor) {
  TempDir dir;
  std::string out = dir.file("args.txt");
  std::u16string args = u"-c \"printf '%s|' \\\"$@\\\" > '" + qx::port::from_utf8(out) +
                        u"'\" sh \"two words\" plain a\\\"q";
  EXPECT_EQ(qx_Sys_createProcess(u"/bin/sh", args.c_str(), 1, nullptr, 0), 1);
  EXPECT_EQ(qxtest::read_file(out), "two words|plain|a\"q|");

  std::string later = dir.file("later.txt");
  std::u16string line = u"-c \"sleep 0.2; echo done > '" + qx::port::from_utf8(later) + u"'\"";
  EXPECT_EQ(qx_Sys_createProcess(u"sh.exe", line.c_str(), 0, nullptr, 0), 1)
      << "searched in PATH, the .exe forgiven";
  EXPECT_FALSE(std::filesystem::exists(later)) << "not waited for";
  EXPECT_TRUE(appears_within_seconds(later, 10));
}

TEST(CreateProcess, FailureIsExplainedWithinTheBuffer) {
  qx_wchar error[200];
  EXPECT_EQ(qx_Sys_createProcess(u"/no/such/program", nullptr, 1, error, 200), 0);
  std::string text = u8(error);
  EXPECT_EQ(text.rfind("Unable to start the new process:\n/no/such/program", 0), 0u) << text;
  EXPECT_NE(text.find("No such file"), std::string::npos) << text;

  qx_wchar small[12];
  for (auto& c : small) c = u'#';
  EXPECT_EQ(qx_Sys_createProcess(u"/no/such/program", u"x", 0, small, 10), 0);
  EXPECT_EQ(u8(small), "Unable to");
  EXPECT_EQ(small[10], u'#') << "nothing written past the length";
  EXPECT_EQ(qx_Sys_createProcess(u"", nullptr, 0, nullptr, 0), 0);
}

class VersionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    qx_Global_destroyData();
  }
  void TearDown() override {
    qx_Global_destroyData();
    while (qx::port::com_initialized()) CoUninitialize();
  }
  TempDir cfg_;
  ScopedEnv cfg_env_{"QX_CONFIG_DIR", cfg_.path()};
};

TEST_F(VersionTest, ModulesAndProductsFromTheVersionsFile) {
  EXPECT_EQ(qx_Sys_getProductVersion(u"Vexlor Piping"), nullptr) << "no versions file";
  EXPECT_EQ(u8(qx_Sys_getVersionNumber(u"qx_zur18iv.dll")), "00.01.00.00") << "this library";
  qxtest::write_file(cfg_.file("qx_versions.ini"),
                     "[libc]\r\nFileVersion = 5, 2, 10, 3\r\nProductVersion=5.2.10.3\r\n"
                     "[qx_not_loaded]\r\nProductVersion=1.2.3.4\r\n"
                     "[Uninstall\\{A1}]\r\nDisplayName=Other\r\nDisplayVersion=1.00\r\n"
                     "[Uninstall\\{B2}]\r\nDisplayName=Vexlor Piping\r\nDisplayVersion=18,01\r\n");
  EXPECT_EQ(u8(qx_Sys_getVersionNumber(u"LIBC")), "05.02.10.03") << "libc is loaded";
  EXPECT_EQ(u8(qx_Global_getModuleFileVersion(u"libc.so.6")), "5.2.10.3");
  EXPECT_EQ(u8(qx_Global_getModuleProductVersion(u"libc")), "5.2.10.3");
  EXPECT_EQ(qx_Sys_getVersionNumber(u"qx_not_loaded"), nullptr) << "not loaded";
  EXPECT_EQ(u8(qx_Global_getModuleFileVersion(u"qx_not_loaded")), "");
  EXPECT_EQ(u8(qx_Sys_getProductVersion(u"vexlor piping")), "18.01");
  EXPECT_EQ(u8(qx_Sys_getProductVersion(u"Missing")), "");
}

// The operating system is read once when the library is loaded, so each
// configured version is tried in a process of its own: this test program
// runs itself with the version set.
TEST(OsGeneration, AnswersForTheConfiguredVersion) {
  const char* expect = std::getenv("QX_TEST_EXPECT_OS");
  if (expect) {
    EXPECT_EQ(std::to_string(qx_Global_isVista()) + std::to_string(qx_Global_isOSWithUACSupport()),
              expect);
    return;
  }
  EXPECT_EQ(qx_Global_isVista(), 0) << "10.0 by default";
  EXPECT_EQ(qx_Global_isOSWithUACSupport(), 1);
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  for (auto [version, answer] : {std::pair{"6.0.6002", "11"}, {"6.1", "01"}, {"5.1", "00"}}) {
    std::string command = "QX_WINDOWS_VERSION=" + std::string(version) + " QX_TEST_EXPECT_OS=" +
                          answer + " '" + self +
                          "' --gtest_filter=OsGeneration.* >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << version;
  }
}

std::vector<qx::port::Alert> g_alerts;
int keep_alert(const qx::port::Alert& alert, void*) {
  g_alerts.push_back(alert);
  return 1;
}

// A loaded library stays loaded, so the missing library comes first.
TEST_F(VersionTest, HelpLibraryIsLoadedFromTheBinaryDirectory) {
  if (!qx::port::loaded_module_path(u"qx_HLP18AN").empty())
    GTEST_SKIP() << "loaded by an earlier run of this test in this process";
  qxtest::write_file(cfg_.file("qx.ini"), "[GENERAL]\nQX_BIN_DIR=" + cfg_.path() + "\n");
  g_alerts.clear();
  qx::port::AlertSink old = qx::port::set_alert_sink(keep_alert, nullptr);
  EXPECT_EQ(qx_Help_Initialize(), 0);
  EXPECT_EQ(qx_Help_DisplayTopic(1, 2, 3), 0);
  qx::port::set_alert_sink(old, nullptr);
  ASSERT_EQ(g_alerts.size(), 4u) << "per call: the interface library, then the help text";
  EXPECT_EQ(u8(g_alerts[0].caption), "MFC Interface Error");
  EXPECT_EQ(g_alerts[0].flags, 0x1010u);
  EXPECT_EQ(u8(g_alerts[1].caption), "Help Library Error");
  EXPECT_EQ(g_alerts[1].flags, 0x2010u);
  EXPECT_EQ(u8(g_alerts[1].text).rfind("Unable to load the Vexlor help Interface library", 0), 0u);

  // The stand-in library answers with values made from the arguments.
  qxtest::write_file(cfg_.file("qx.ini"), "[GENERAL]\nQX_BIN_DIR=" QX_TEST_HELP_DIR "\n");
  qx_Global_destroyData();
  EXPECT_EQ(qx_Help_Initialize(), 7);
  EXPECT_EQ(qx_Help_DisplayContext(1, 20, 300, 4000), 4321);
  EXPECT_EQ(qx_Help_DisplayTopic(2, 3, -4), -24);
}

int track(int32_t a, int32_t b, int32_t c) { return a * 100 + b * 10 + c; }

TEST_F(VersionTest, HostRegisters) {
  EXPECT_EQ(u8(qx_Drawing_IgnoreSaveEvents(u"C:\\Plant\\A.dwg", 257)), "C:\\Plant\\A.dwg");
  EXPECT_EQ(qx_Drawing_IsSaveIgnored(u"c:\\plant\\a.DWG"), 1) << "a flag byte, case-blind name";
  qx_Drawing_IgnoreSaveEvents(u"B.dwg", 3);
  EXPECT_EQ(qx_Drawing_IsSaveIgnored(u"C:\\Plant\\A.dwg"), 0) << "one drawing at a time";
  EXPECT_EQ(qx_Drawing_IsSaveIgnored(nullptr), 0);

  qx_RM_setFuncTrackObject(nullptr);
  EXPECT_EQ(qx_RM_callFuncTrackObject(1, 2, 3), 0);
  EXPECT_EQ(qx_RM_setFuncTrackObject(track), track);
  EXPECT_EQ(qx_RM_callFuncTrackObject(1, 2, 3), 123);
  qx_RM_setFuncTrackObject(nullptr);
}

TEST(OpenFile, StartsTheEditorOnTheNativePath) {
  CoInitialize(nullptr);
  qx_Global_destroyData();  // a holder made without COM has no file service
  TempDir dir;
  // The "editor" runs the file it is given as a script.
  qxtest::write_file(dir.file("Note.TXT"), "echo opened > '" + dir.file("marker") + "'\n");
  ScopedEnv editor("QX_TEXT_EDITOR", "sh");
  std::u16string windows_form = qx::port::from_utf8(dir.path()) + u"\\note.txt";
  EXPECT_GT(qx_Global_openFileinNotepad(windows_form.c_str()), 32);
  EXPECT_TRUE(appears_within_seconds(dir.file("marker"), 10));
  EXPECT_EQ(qx_Global_openFileinNotepad(dir.wfile("none.txt").c_str()), 0);
  qx_Global_destroyData();
  while (qx::port::com_initialized()) CoUninitialize();
}

}  // namespace
