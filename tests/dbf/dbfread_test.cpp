// A table written by the engine, read back by an independent reader (the
// Python dbfread module, through the helper script beside this file).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "dbf_support.h"

using namespace qx::dbf;
using qxtest::TempDir;

namespace {

const std::string kScript = std::string(QX_TEST_DATA_DIR) + "/../dbf/dbfread_dump.py";

std::string python() {
  // The distribution's interpreter is the one its dbfread package serves.
  return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

// Runs the helper; its exit status and its output lines.
int runReader(const std::string& table, std::vector<std::string>* lines) {
  std::string cmd = python() + " '" + kScript + "' '" + table + "' 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return -1;
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = ::pclose(p);
  for (size_t start = 0; start < out.size();) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    lines->push_back(out.substr(start, end - start));
    start = end + 1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Dbfread, ReadsWhatTheEngineWrote) {
  TempDir dir;
  std::string path = dir.file("interop.dbf");
  Engine e;
  FieldInfo fields[] = {{"NAME", 'C', 12, 0}, {"QTY", 'N', 8, 2},   {"DUE", 'D', 8, 0},
                        {"OK", 'L', 1, 0},    {"CNT", 'N', 5, 0},   {"RATIO", 'F', 10, 4},
                        {"NOTE", 'M', 10, 0}, {nullptr, 0, 0, 0}};
  Table* t = dbfCreate(&e, path.c_str(), fields, nullptr);
  ASSERT_NE(t, nullptr);
  auto f = [&](const char* name) { return dbfFieldByName(t, name); };

  ASSERT_EQ(dbfAppendBlank(t), 0);
  fldAssign(f("NAME"), "Widget");
  fldAssignDouble(f("QTY"), 12.5);
  fldAssign(f("DUE"), "20240229");
  fldAssignChar(f("OK"), 'T');
  fldAssignInt(f("CNT"), 7);
  fldAssignDouble(f("RATIO"), 0.125);
  fldAssignMemo(f("NOTE"), "line1\r\nline2");
  ASSERT_EQ(dbfAppendBlank(t), 0);
  fldAssign(f("NAME"), "M\xfcller");
  fldAssignDouble(f("QTY"), -3.14159);
  fldAssignChar(f("OK"), 'F');
  fldAssignInt(f("CNT"), -42);
  dbfDelete(t);
  ASSERT_EQ(dbfAppendBlank(t), 0);
  fldAssignDouble(f("QTY"), 0);
  fldAssignDouble(f("DUE"), static_cast<double>(date_to_day("19000101")));
  fldAssignDouble(f("RATIO"), -1.5);
  fldAssignMemo(f("NOTE"), std::string(1000, 'x'));
  ASSERT_EQ(dbfClose(t), 0);

  std::vector<std::string> lines;
  int status = runReader(path, &lines);
  if (status == 77 || status == 127) GTEST_SKIP() << "python3 with the dbfread module is absent";
  ASSERT_EQ(status, 0) << (lines.empty() ? "" : lines[0]);
  std::vector<std::string> expected = {
      "version=245 fields=NAME:C:12:0,QTY:N:8:2,DUE:D:8:0,OK:L:1:0,CNT:N:5:0,RATIO:F:10:4,"
      "NOTE:M:10:0",
      "live|NAME='Widget'|QTY=12.5|DUE=datetime.date(2024, 2, 29)|OK=True|CNT=7|RATIO=0.125|"
      "NOTE='line1\\r\\nline2'",
      "live|NAME=''|QTY=0.0|DUE=datetime.date(1900, 1, 1)|OK=None|CNT=None|RATIO=-1.5|NOTE='" +
          std::string(1000, 'x') + "'",
      "deleted|NAME='M\\xfcller'|QTY=-3.14|DUE=None|OK=False|CNT=-42|RATIO=None|NOTE=None",
  };
  EXPECT_EQ(lines, expected);
}

}  // namespace
