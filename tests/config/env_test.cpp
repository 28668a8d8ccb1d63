// Session variables, qx.ini, the process environment and the one lookup
// order over them; the alias table and both %name% expansions; values of
// Windows-style INI files; ';' lists.  qx.ini is a real file in a folder of
// each test's own, read through the application component.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "config/expand.h"
#include "port/com.h"
#include "qx/env.h"
#include "qx/global.h"
#include "qx/strlist.h"
#include "component_test.h"

using qxtest::ScopedEnv;
using qxtest::TempDir;
using qxtest::u8;

namespace {

std::vector<std::string> lines_of(qx_StrList* list) { return qxtest::drain(list); }

std::string or_null(const qx_wchar* s) { return s ? u8(s) : "(null)"; }

// A configuration folder with its qx.ini, the application component on.
class EnvTest : public qxtest::SessionTest {};

TEST_F(EnvTest, SessionVariablesMatchWithoutCaseAndKeepTheirPlace) {
  EXPECT_EQ(qx_Env_setSes(u"TEMPDIR", u"  c:\\tmp  "), 1);
  EXPECT_EQ(qx_Env_setSes(u"Second", u"2"), 1);
  EXPECT_EQ(u8(qx_Env_getSes(u"tempdir")), "c:\\tmp") << "case-blind and trimmed";
  EXPECT_EQ(qx_Env_setSesLocal(u"tempDir", u"d:\\other"), 0) << "an existing name";
  EXPECT_EQ(lines_of(qx_Env_getSesList()),
            (std::vector<std::string>{"tempDir = d:\\other", "Second = 2"}))
      << "replaced in place, spelt as the last setter gave it";
  // A value read back by the INI entry rules loses '=' signs at its front.
  qx_Env_setSes(u"EQ", u"= =x=y ");
  EXPECT_EQ(u8(qx_Env_getSesLocal(u"eq")), "x=y");

  EXPECT_EQ(qx_Env_setSes(u"TEMPDIR", u""), 0) << "an empty value removes";
  EXPECT_EQ(qx_Env_getSes(u"TEMPDIR"), nullptr);
  EXPECT_EQ(qx_Env_setSes(u"NEVER", nullptr), 1) << "removing what is not set";
  EXPECT_EQ(lines_of(qx_Env_getSesList()), (std::vector<std::string>{"Second = 2", "EQ = = =x=y "}));

  qx_Env_resetSesLocal();
  EXPECT_EQ(qx_Env_getSes(u"Second"), nullptr);
  EXPECT_TRUE(lines_of(qx_Env_getSesList()).empty()) << "emptied, not destroyed";
}

TEST_F(EnvTest, LookupOrderIsSessionThenQxIniThenEnvironment) {
  write_ini("[GENERAL]\r\nBOTH = from ini\r\nINI_ONLY=ini value\r\nENV_TOO=ini wins\r\n");
  ScopedEnv both("BOTH", "from env");
  ScopedEnv env_too("ENV_TOO", "env loses");
  ScopedEnv env_only("QX_TEST_ENV_ONLY", "env value");
  qx_Env_setSes(u"BOTH", u"from session");

  EXPECT_EQ(u8(qx_Env_expandStr(u"%both%")), "from session");
  EXPECT_EQ(u8(qx_Env_expandStr(u"%ini_only%|%ENV_TOO%")), "ini value|ini wins");
  EXPECT_EQ(u8(qx_Env_expandStr(u"%QX_TEST_ENV_ONLY%")), "env value");
  EXPECT_EQ(u8(qx_Env_expandStr(u"%qx_test_env_only%")), "")
      << "the environment's own case rules apply";
  qx_Env_setSes(u"BOTH", nullptr);
  EXPECT_EQ(u8(qx_Env_expandStr(u"%BOTH%")), "from ini");
}

TEST_F(EnvTest, VariableExpansionEdges) {
  qx_Env_setSes(u"V", u"val");
  EXPECT_EQ(u8(qx_Env_expandStr(u"100%%")), "100%");
  EXPECT_EQ(u8(qx_Env_expandStr(u"a%NO_SUCH_NAME_ANYWHERE%b")), "ab");
  EXPECT_EQ(u8(qx_Env_expandStr(u"x %V")), "x val") << "an unclosed reference runs to the end";
  EXPECT_EQ(u8(qx_Env_expandStr(u"x %NOPE")), "x ");
  EXPECT_EQ(u8(qx_Env_expandStr(u"%V%%V%%%")), "valval%");
  EXPECT_EQ(u8(qx_Env_expandStr(nullptr)), "");

  int pos = 2;
  EXPECT_EQ(u8(qx_Env_expandVar(u"a %V% b", &pos)), "val");
  EXPECT_EQ(pos, 5);
  EXPECT_EQ(u8(qx_Env_expandVar(u"a %V% b", &pos)), "") << "not at a '%'";
  EXPECT_EQ(pos, 5);
  pos = 0;
  EXPECT_EQ(u8(qx_Env_expandVar(u"%%rest", &pos)), "") << "an empty name";
  EXPECT_EQ(pos, 2);

  // The result is cut to its 512-character buffer, never written past it.
  qx_Env_setSes(u"LONG", std::u16string(400, u'x').c_str());
  EXPECT_EQ(qx::port::wlen(qx_Env_expandStr(u"%LONG%%LONG%")), 512u);
}

TEST_F(EnvTest, AliasExpansionKeepsUnknownReferences) {
  EXPECT_EQ(qx_Alias_put(u"root", u"/srv/qv"), 1);
  qx_wchar out[256];
  qx_Alias_expandStr(out, u"%ROOT%\\bin;%unknown%;100%%;%open");
  EXPECT_EQ(u8(out), "/srv/qv\\bin;%unknown%;100;") << "unknown kept, %% and unclosed dropped";
  qx_wchar value[8];
  EXPECT_EQ(qx_Alias_get(value, u"Root", 4), 1);
  EXPECT_EQ(u8(value), "/srv") << "cut to the maximum";
  EXPECT_EQ(qx_Alias_del(u"ROOT"), 1);
  EXPECT_EQ(qx_Alias_get(value, u"ROOT", 4), -2);
  EXPECT_EQ(u8(qx::config::expand_aliases(u"%root%")), "%root%");
  EXPECT_EQ(qx_Alias_get(nullptr, u"ROOT", 4), 0);

  // Aliases from a field list: numbers are taken as their text, and an
  // alias that is not text stays unexpanded.
  qx_FldList* list = qx_FldList_create(u"DRIVE", (int)u'C', u"q:", u"COUNT", (int)u'I', 7, nullptr);
  EXPECT_EQ(qx_Alias_putFromFldList(list), 1);
  qx_FldList_destroy(list);
  EXPECT_EQ(u8(qx::config::expand_aliases(u"%drive%\\%count%")), "q:\\7");
  qx_Alias_del(u"DRIVE");
  qx_Alias_del(u"COUNT");
}

TEST_F(EnvTest, QxIniValuesAreAliasExpandedAndWritten) {
  write_ini("; settings\n[General]\nDATA=%QXROOT%\\data\nplain = x\n");
  qx_Alias_put(u"QXROOT", u"c:\\qv");
  EXPECT_EQ(u8(qx_Env_getIni(u"GENERAL", u"data")), "c:\\qv\\data");
  qx_Alias_del(u"QXROOT");
  EXPECT_EQ(u8(qx_Env_getIni(u"GENERAL", u"data")), "%QXROOT%\\data");

  qx_FldList* group = qx_Env_getIniGroup(u"general");
  qx_wchar value[64];
  EXPECT_EQ(qx_FldList_getChar(group, u"data", value, 63), 1);
  EXPECT_EQ(u8(value), "%QXROOT%\\data");
  qx_FldList_destroy(group);
  // The error report names qx.ini by its full path (the count is what was printed).
  std::string report = "Error reading Ini File\nFile Name " + cfg_.file("qx.ini") +
                       "\nGroup Name GENERAL\nVariable Name DATA";
  EXPECT_EQ(qx_Env_displayIniError(u"GENERAL", u"DATA"), static_cast<int>(report.size()));

  EXPECT_EQ(qx_Env_setIni(u"GENERAL", u"NEW", u"written"), 0);
  qx_Global_destroyData();  // read the file again, not the cache
  EXPECT_EQ(u8(qx_Env_getIni(u"GENERAL", u"NEW")), "written");
  std::string text = qxtest::read_file(cfg_.file("qx.ini"));
  EXPECT_NE(text.find("; settings"), std::string::npos) << "comments survive a write";
  EXPECT_NE(text.find("NEW=written"), std::string::npos);
}

TEST(EnvWithoutComponent, NothingComesFromQxIni) {
  TempDir cfg;
  qxtest::write_file(cfg.file("qx.ini"), "[GENERAL]\nQX_TEST_ONLY_INI=1\n");
  ScopedEnv env("QX_CONFIG_DIR", cfg.path());
  qx_Global_destroyData();
  EXPECT_EQ(u8(qx_Env_expandStr(u"[%QX_TEST_ONLY_INI%]")), "[]");
  EXPECT_EQ(qx_Env_setIni(u"GENERAL", u"X", u"1"), 1);
}

TEST(EnvWin, ReadsAnyWindowsStyleFile) {
  TempDir dir;
  // A byte-order mark, CRLF endings, comments, quotes and blanks round '='.
  qxtest::write_file(dir.file("app.ini"),
                     "\xEF\xBB\xBF; comment\r\n[Paths]\r\n  Root = \"c:\\qv\" \r\nEmpty=\r\n"
                     "[Other]\r\nRoot=wrong\r\n[paths]\r\nLate=\xC3\xA9t\xC3\xA9\r\n");
  std::u16string file = dir.wfile("app.ini");
  EXPECT_EQ(or_null(qx_Env_getWin(file.c_str(), u"PATHS", u"root")), "c:\\qv");
  EXPECT_EQ(or_null(qx_Env_getWin(file.c_str(), u"paths", u"late")), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(qx_Env_getWin(file.c_str(), u"Paths", u"Empty"), nullptr) << "empty is no value";
  EXPECT_EQ(qx_Env_getWin(file.c_str(), u"Paths", u"Missing"), nullptr);
  EXPECT_EQ(qx_Env_getWin(dir.wfile("none.ini").c_str(), u"Paths", u"Root"), nullptr);
  EXPECT_EQ(qx_Env_getWin(dir.wfile("").c_str(), u"Paths", u"Root"), nullptr) << "a directory";

  // UTF-16 with its byte-order mark, as Windows editors save such files.
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("[s]\r\nk=v\r\n")) utf16 += std::string{c, '\0'};
  qxtest::write_file(dir.file("wide.ini"), utf16);
  EXPECT_EQ(or_null(qx_Env_getWin(dir.wfile("wide.ini").c_str(), u"S", u"K")), "v");
}

TEST(EnvSplit, TrimsPartsAndSkipsEmptyOnes) {
  EXPECT_EQ(lines_of(qx_Env_split(u" a ;; b;   ; c ")),
            (std::vector<std::string>{"a", "b", "", "c"}));
  EXPECT_EQ(qx_Env_split(u";;"), nullptr);
  EXPECT_EQ(qx_Env_split(nullptr), nullptr);
  std::u16string long_text(1500, u'x');
  long_text[1000] = u';';
  std::vector<std::string> parts = lines_of(qx_Env_split(long_text.c_str()));
  ASSERT_EQ(parts.size(), 2u) << "the first 1024 characters count";
  EXPECT_EQ(parts[1].size(), 23u);
}

// The qx program's view: each variable with its source, and every directory
// with where it came from, without making anything.
struct ToolRun {
  int status = -1;
  std::string out;
};

ToolRun qx_env(const std::string& cwd, const std::string& args) {
  std::string cmd = "cd '" + cwd + "' && '" + std::string(QX_TOOL_PATH) + "' env " + args + " 2>&1";
  ToolRun run;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return run;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) run.out.append(buf, n);
  int status = ::pclose(p);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(EnvCommand, ShowsValuesDirectoriesAndTheirSources) {
  if (!std::filesystem::exists(QX_TOOL_PATH)) GTEST_SKIP() << "the qx program is not built";
  TempDir cfg, work;
  qxtest::write_file(cfg.file("qx.ini"),
                     "[GENERAL]\nQV=" + work.path() + "/Net\nQX_DEV_BIN_DIR=d:\\dev\n");
  ScopedEnv config("QX_CONFIG_DIR", cfg.path());
  ScopedEnv only_env("QX_TEST_ONLY_ENV", "from the environment");

  ToolRun all = qx_env(work.path(), "--all");
  EXPECT_EQ(all.status, 0) << all.out;
  for (const char* expected : {"QV from qx.ini", "default: network", "default: local + qvtmp",
                               "QX_DEV_BIN_DIR from qx.ini", "d:\\dev\\"})
    EXPECT_NE(all.out.find(expected), std::string::npos) << expected << "\n" << all.out;
  EXPECT_FALSE(std::filesystem::exists(work.file("net/qvtmp"))) << "looking makes nothing";

  ToolRun qv = qx_env(work.path(), "qv");
  EXPECT_EQ(qv.out, work.path() + "/Net\t(qx.ini)\n");
  EXPECT_EQ(qx_env(work.path(), "QX_TEST_ONLY_ENV").out, "from the environment\t(environment)\n");
  EXPECT_EQ(qx_env(work.path(), "'<%QX_TEST_ONLY_ENV%|%nothing%>'").out,
            "<from the environment|>\n");
  EXPECT_EQ(qx_env(work.path(), "NOT_SET_ANYWHERE").status, 1);
  EXPECT_EQ(qx_env(work.path(), "").status, 2);
  EXPECT_EQ(qx_env(work.path(), "a b").status, 2);
}

}  // namespace
