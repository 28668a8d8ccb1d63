// Issue reproducers through the qx program: faults that a hostile user or a
// crashed machine brings to `qx dbf`, each refused with a message and the
// table's bytes left as they were; names, later tables, memo files and
// waiting for locks.  (The general command tests are in cli_test.cpp.)
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "dbf/table_internal.h"
#include "cli_support.h"
#include "test_support.h"

using qxtest::TempDir;
using qxtest::ToolRun;

namespace {

ToolRun qx(const std::string& args) { return qxtest::qx_dbf(args); }

class SafetyCli : public qxtest::CliTest {};

// The faults a hostile user or a crashed machine brings, through the
// program: each leaves the table's bytes as they were.
TEST_F(SafetyCli, RefusesWhatWouldLoseOrInventData) {
  std::string file = dir.file("t.dbf");
  std::string t = "'" + file + "'";
  ASSERT_EQ(qx("create " + t + " NAME:C:8 QTY:N:6:1 DUE:D").status, 0);
  ASSERT_EQ(qx("append " + t + " one 1 20240229").status, 0);
  std::string good = qxtest::read_file(file);

  // A header count far beyond the file.
  std::string lying = good;
  lying.replace(4, 4, "\xff\xff\xff\xff");
  qxtest::write_file(file, lying);
  ToolRun r = qx("append " + t + " two 2");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_EQ(qxtest::read_file(file), lying);
  qxtest::write_file(file, good);

  struct Case {
    const char* args;
    const char* says;
  } cases[] = {
      {" x 1 20230231", "not a date"},
      {" x 0x1A", "not a number"},
      {" x inf", "not a number"},
      {" '\xe6\x97\xa5\xe6\x9c\xac'", "code page"},
      {" 'a\x1a'", "0x1A"},
  };
  for (const Case& c : cases) {
    r = qx("append " + t + c.args);
    EXPECT_EQ(r.status, 1) << c.args << ": " << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << ": " << r.out;
  }
  r = qx("delete " + t + " 99999999999999999999");
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_EQ(r.out.find("9223372036854775807"), std::string::npos) << r.out;
  EXPECT_EQ(qxtest::read_file(file), good);
}

TEST_F(SafetyCli, FileNamesInUtf8AndNamesThatAreNoFile) {
  // A table whose name is outside Latin-1, made beside the program.
  std::string name = dir.file("real_\xe6\x97\xa5\xe6\x9c\xac.dbf");
  EXPECT_EQ(qx("create '" + name + "' A:C:3").status, 0);
  ASSERT_TRUE(std::filesystem::exists(std::filesystem::u8path(name)));
  EXPECT_EQ(qx("append '" + name + "' abc").status, 0);
  EXPECT_NE(qx("list '" + name + "'").out.find("abc"), std::string::npos);
  ASSERT_EQ(::mkfifo(dir.file("f.dbf").c_str(), 0600), 0);
  ToolRun r = qx("info '" + dir.file("f.dbf") + "'");  // returns instead of waiting for a writer
  EXPECT_EQ(r.status, 1) << r.out;
}

TEST_F(SafetyCli, LaterTablesAreReadOnlyAndMemoFilesAreNamed) {
  std::string from = std::string(QX_TEST_DATA_DIR) + "/reference/later/goods.";
  std::filesystem::copy_file(from + "dbf", dir.file("goods.dbf"));
  std::filesystem::copy_file(from + "cdx", dir.file("goods.cdx"));
  std::string before = qxtest::read_file(dir.file("goods.dbf"));
  ToolRun r = qx("append '" + dir.file("goods.dbf") + "' 123 ALFKI");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("read only"), std::string::npos) << r.out;
  EXPECT_EQ(qxtest::read_file(dir.file("goods.dbf")), before);

  std::string memo = "'" + dir.file("m.dbf") + "'";
  ASSERT_EQ(qx("create " + memo + " NOTE:M").status, 0);
  std::filesystem::remove(dir.file("m.fpt"));
  r = qx("append " + memo + " text");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("m.fpt (the memo file of"), std::string::npos) << r.out;
}

// A table locked by another process: the program waits as long as it was
// told and then says why it gives up.
TEST_F(SafetyCli, WaitsABoundedTimeForALockedTable) {
  std::string file = dir.file("w.dbf");
  ASSERT_EQ(qx("create '" + file + "' A:C:3").status, 0);
  ASSERT_EQ(qx("append '" + file + "' abc").status, 0);
  qx::dbf::Engine e;
  e.quietErrors = 1;
  qx::dbf::Table* holder = qx::dbf::dbfOpen(&e, file.c_str());
  ASSERT_NE(holder, nullptr);
  ASSERT_EQ(qx::dbf::lock_whole_file(holder), 0);
  for (const char* args : {"append '%s' xyz --wait 1", "pack --wait 1 '%s'", "delete '%s' 1 --wait 1"}) {
    char command[1024];
    std::snprintf(command, sizeof command, args, file.c_str());
    auto start = std::chrono::steady_clock::now();
    ToolRun r = qx(command);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.status, 1) << command << ": " << r.out;
    EXPECT_NE(r.out.find("locked"), std::string::npos) << r.out;
    EXPECT_GE(waited, std::chrono::milliseconds(900)) << command;
    EXPECT_LT(waited, std::chrono::seconds(10)) << command;
  }
  qx::dbf::dbfClose(holder);
  EXPECT_EQ(qx("append '" + file + "' xyz --wait 0").status, 0);
}

}  // namespace
