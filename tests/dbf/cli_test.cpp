// The `qx dbf` commands end to end: their output, and their exit codes for
// bad command lines and bad files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "cli_support.h"
#include "test_support.h"

using qxtest::TempDir;
using qxtest::ToolRun;

namespace {

ToolRun qx(const std::string& args) { return qxtest::qx_dbf(args); }

using CliTest = qxtest::CliTest;

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
            "  recno   NAME         QTY      DUE        OK\n"
            "      1   bolt            12.50 2024-02-29 T\n"
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

// Copies a reference table (with its memo and index files) into the folder.
std::string copy_reference(const TempDir& dir, const std::string& name,
                           std::initializer_list<const char*> extensions) {
  for (const char* ext : extensions)
    std::filesystem::copy_file(std::string(QX_TEST_DATA_DIR) + "/reference/later/" + name + ext,
                               dir.file(name + ext));
  return "'" + dir.file(name + ".dbf") + "'";
}

TEST_F(CliTest, ListTakesARangeFieldsDeletedRecordsAndMemos) {
  std::string t = "'" + dir.file("notes") + "'";
  ASSERT_EQ(qx("create " + t + " NAME:C:8 SEEN:D NOTE:M").status, 0);
  for (const char* row : {"a 20240101 'first\nsecond'", "b", "c 19991231 memo", "d"})
    ASSERT_EQ(qx("append " + t + " " + row).status, 0);
  ASSERT_EQ(qx("delete " + t + " 3").status, 0);
  ToolRun r = qx("list " + t + " 2-3 --fields=note,NAME --memo");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out,
            "  recno   NOTE         NAME\n"
            "      2                b\n"
            "      3 * (4 bytes)    c\n"
            "          NOTE: memo\n"
            "(2 records)\n");
  r = qx("list " + t + " 1 --memo");
  EXPECT_EQ(r.out,
            "  recno   NAME     SEEN       NOTE\n"
            "      1   a        2024-01-01 (12 bytes)\n"
            "          NOTE: first\n"
            "            second\n"
            "(1 record)\n");
  EXPECT_NE(qx("list " + t + " --deleted=hide").out.find("(3 records)"), std::string::npos);
  r = qx("list " + t + " 2- --deleted=only");
  EXPECT_NE(r.out.find("      3 * c        1999-12-31 (4 bytes)\n(1 record)"), std::string::npos)
      << r.out;
  EXPECT_EQ(qx("list " + t + " 9-").out, "  recno   NAME     SEEN       NOTE\n(0 records)\n");
  for (const char* bad : {" 3-2", " 0", " x", " --deleted=maybe", " --fields=", " --colour"})
    EXPECT_EQ(qx("list " + t + bad).status, 2) << bad;
  r = qx("list " + t + " --fields=NAME,WEIGHT");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("no field 'WEIGHT'"), std::string::npos) << r.out;
  // Help is answered before the file is looked for.
  r = qx("list --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("usage: qx dbf list FILE", 0), 0u) << r.out;
}

// Date-times against the values an independent reader (dbfread) gives for
// the same reference table, rounded to the second.
TEST_F(CliTest, ListDecodesDateTimesOfLaterTables) {
  std::string t = copy_reference(dir, "calls", {".dbf", ".FPT", ".CDX"});
  ToolRun r = qx("list " + t + " 1-5 --fields=CALL_ID,CALL_DATE");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out,
            "  recno   CALL_ID     CALL_DATE\n"
            "      1             1 1994-11-21 13:35:39\n"
            "      2             2 1994-12-19 15:19:53\n"
            "      3             3 1994-12-25 14:25:00\n"
            "      4             4 1994-01-13 16:10:00\n"
            "      5             5 1995-01-22 13:13:00\n"
            "(5 records)\n");
}

// The _NullFlags system field is hidden, and a value it marks NULL says so
// (the reference table has no NULL: one is planted in record 1).
TEST_F(CliTest, ListHidesNullFlagsAndShowsNullValues) {
  std::string t = copy_reference(dir, "employees", {".dbf", ".fpt", ".cdx"});
  ToolRun r = qx("list " + t + " 1");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("_NullFlags"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("_NULLFLAGS"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1968-12-08"), std::string::npos) << r.out;  // BIRTHDATE, as dbfread reads it
  r = qx("list " + t + " 1 --fields=LASTNAME,TITLE");
  EXPECT_EQ(r.out.find(".NULL."), std::string::npos) << r.out;

  std::string bytes = qxtest::read_file(dir.file("employees.dbf"));
  size_t header_length = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
  size_t record_length = static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11]) << 8;
  // _NullFlags is the last field: its two bytes end the record.  TITLE is
  // the first field that may be NULL, so bit 0 marks it.
  bytes[header_length + record_length - 2] |= 1;
  qxtest::write_file(dir.file("employees.dbf"), bytes);
  r = qx("list " + t + " 1 --fields=LASTNAME,TITLE");
  EXPECT_NE(r.out.find("Davolio              .NULL.\n"), std::string::npos) << r.out;
}

TEST_F(CliTest, CreateRefusesImpossibleFieldsAndSaysWhy) {
  std::string t = "'" + dir.file("t") + "'";
  struct Case {
    const char* fields;
    const char* why;
  } cases[] = {
      {"NAME:C:8 name:N:3", "field name 'NAME' given twice"},
      {"' ':C:8", "may not be blank"},
      {"ELEVENCHARS:C:8", "at most 10 characters"},
      {"NAME:C:300", "at most 254 wide"},
      {"NAME:C", "needs a width"},
      {"QTY:N:25", "at most 20 wide"},
      {"QTY:N:4:3", "holds at most 2 decimals"},
      {"DUE:D:6", "is 8 wide"},
      {"NAME:Q:3", "the type is one of"},
  };
  for (const Case& c : cases) {
    ToolRun r = qx("create " + t + " " + c.fields);
    EXPECT_EQ(r.status, 2) << c.fields;
    EXPECT_NE(r.out.find(c.why), std::string::npos) << c.fields << ": " << r.out;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("t.dbf")));
  ToolRun r = qx("create '" + dir.file("no/such/folder/t") + "' NAME:C:8");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("no such folder"), std::string::npos) << r.out;
  ASSERT_EQ(qx("create " + t + " NAME:C:8").status, 0);
  std::string before = qxtest::read_file(dir.file("t.dbf"));
  r = qx("create " + t + " OTHER:N:4");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("already exists"), std::string::npos) << r.out;
  EXPECT_EQ(qxtest::read_file(dir.file("t.dbf")), before);
}

}  // namespace
