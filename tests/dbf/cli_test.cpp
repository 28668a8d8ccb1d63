// The `qx dbf` commands end to end: their output, and their exit codes for
// bad command lines and bad files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "test_support.h"

using qxtest::TempDir;

namespace {

struct ToolRun {
  int status;
  std::string out;  // standard output and standard error together
};

ToolRun qx(const std::string& args) {
  std::string cmd = std::string("'") + QX_TOOL_PATH + "' dbf " + args + " 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  ToolRun r{-1, {}};
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = ::pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(QX_TOOL_PATH)) GTEST_SKIP() << "the qx program is not built";
  }
  TempDir dir;
};

TEST_F(CliTest, CreateAppendDeletePackAndList) {
  std::string t = "'" + dir.file("parts") + "'";
  ToolRun r = qx("create " + t + " NAME:C:12 QTY:N:8:2 DUE:D OK:L");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("4 fields, record length 30"), std::string::npos) << r.out;
  EXPECT_EQ(qx("append " + t + " bolt 12.5 20240229 T").status, 0);
  EXPECT_EQ(qx("append " + t + " 'M\xc3\xbcller' -3").status, 0);
  EXPECT_EQ(qx("append " + t + " nut").status, 0);
  EXPECT_EQ(qx("delete " + t + " 2").status, 0);
  r = qx("list " + t);
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "  recno   NAME         QTY      DUE      OK\n"
            "      1   bolt            12.50 20240229 T\n"
            "      2 * M\xc3\xbcller          -3.00\n"
            "      3   nut\n"
            "(3 records)\n");
  r = qx("pack " + t);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "packed: 2 records kept, 1 removed\n");
  r = qx("info " + t);
  EXPECT_NE(r.out.find("records:       2\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  2 QTY        N     8   2\n"), std::string::npos) << r.out;
  // The table stays a table the engine accepts after every command.
  EXPECT_EQ(qx("recall " + t + " 1").status, 0);
}

TEST_F(CliTest, BadInputGivesMessagesAndExitCodes) {
  std::string t = "'" + dir.file("t.dbf") + "'";
  EXPECT_EQ(qx("").status, 2);
  EXPECT_EQ(qx("frobnicate x").status, 2);
  EXPECT_EQ(qx("create " + t + " NAME:X:3").status, 2);
  EXPECT_EQ(qx("create " + t + " QTY:N:5:5").status, 2);
  ASSERT_EQ(qx("create " + t + " QTY:N:5:1").status, 0);
  EXPECT_EQ(qx("create " + t + " QTY:N:5:1").status, 1);  // exists
  ToolRun r = qx("append " + t + " abc");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("not a number"), std::string::npos);
  EXPECT_EQ(qx("append " + t + " 123456").status, 1);  // does not fit
  EXPECT_EQ(qx("append " + t + " 1 2").status, 2);     // more values than fields
  EXPECT_EQ(qx("delete " + t + " 1").status, 1);       // no such record
  EXPECT_EQ(qx("delete " + t + " zero").status, 2);

  qxtest::write_file(dir.file("junk.dbf"), "this is not a table at all");
  r = qx("list '" + dir.file("junk.dbf") + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("junk.dbf"), std::string::npos);
  std::string header(32, '\0');
  header[8] = 20;  // a header length of 20
  qxtest::write_file(dir.file("short.dbf"), header);
  r = qx("info '" + dir.file("short.dbf") + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("not a table (bad header) (error -200)"), std::string::npos) << r.out;
  r = qx("list '" + dir.file("missing") + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("missing.dbf: cannot open the file"), std::string::npos) << r.out;
}

}  // namespace
