// The index side of `qx dbf` end to end: a tag added to a new production
// index, the tags listed, seeks answering found / next / eof, a listing in
// a tag's order, the index kept up to date by the changing commands, and
// clear messages for bad expressions and unknown tags.
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

std::string firstLine(const std::string& s) { return s.substr(0, s.find('\n')); }

class CdxCli : public qxtest::CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    if (IsSkipped()) return;
    t = quoted("parts");
    ASSERT_EQ(qx("create " + t + " NAME:C:12 QTY:N:8:2 DUE:D").status, 0);
    for (const char* rec : {"bolt 12.5 20240229", "nut 3 20230101", "washer 7 20250615", "axle 40 20240229"})
      ASSERT_EQ(qx("append " + t + " " + rec).status, 0);
  }
  std::string t;
};

TEST_F(CdxCli, IndexTagsSeekAndListInTagOrder) {
  ToolRun r = qx("index " + t + " name \"UPPER(NAME)\"");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "tag NAME: 4 keys\n");
  EXPECT_TRUE(std::filesystem::exists(dir.file("parts.cdx")));
  ASSERT_EQ(qx("index " + t + " big NAME --for \"QTY > 5\" --descending").status, 0);
  ASSERT_EQ(qx("index " + t + " due DUE --unique").status, 0);
  r = qx("tags " + t);
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "BIG        C(12)  key: NAME  for: QTY > 5  descending\n"
            "DUE        D(8)  key: DUE  unique\n"
            "NAME       C(12)  key: UPPER(NAME)\n"
            "(3 tags)\n");

  r = qx("seek " + t + " name NUT");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(firstLine(r.out), "found 2");
  EXPECT_NE(r.out.find("NAME: nut"), std::string::npos) << r.out;
  EXPECT_EQ(firstLine(qx("seek " + t + " name C").out), "next 2");
  EXPECT_EQ(firstLine(qx("seek " + t + " name ZZ").out), "eof");
  EXPECT_EQ(firstLine(qx("seek " + t + " due 2024-02-29").out), "found 1");

  r = qx("list " + t + " --tag big");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "  recno   NAME         QTY      DUE\n"
            "      3   washer           7.00 2025-06-15\n"
            "      1   bolt            12.50 2024-02-29\n"
            "      4   axle            40.00 2024-02-29\n"
            "(3 records)\n");
  // The changing commands keep the index up to date.
  ASSERT_EQ(qx("append " + t + " crank 9 20200101").status, 0);
  EXPECT_EQ(firstLine(qx("seek " + t + " name CRANK").out), "found 5");
  ASSERT_EQ(qx("delete " + t + " 1").status, 0);
  ASSERT_EQ(qx("pack " + t).status, 0);
  EXPECT_EQ(firstLine(qx("seek " + t + " name CRANK").out), "found 4");
  EXPECT_EQ(firstLine(qx("seek " + t + " name BOLT").out), "next 4");
  // So does import; and a unique tag leaves a duplicate key out, as the
  // engine does unless told otherwise.
  qxtest::write_file(dir.file("more.csv"), "NAME,DUE\nanvil,2024-02-29\n");
  ASSERT_EQ(qx("import " + t + " '" + dir.file("more.csv") + "'").status, 0);
  EXPECT_EQ(firstLine(qx("seek " + t + " name ANVIL").out), "found 5");
  r = qxtest::qx_dbf("export " + t + " --csv --tag due", false);
  EXPECT_EQ(r.out, "NAME,QTY,DUE\r\ncrank,9.00,2020-01-01\r\nnut,3.00,2023-01-01\r\n"
                   "axle,40.00,2024-02-29\r\nwasher,7.00,2025-06-15\r\n");
}

TEST_F(CdxCli, BadExpressionsAndTagsAreNamedClearly) {
  ToolRun r = qx("index " + t + " bad \"UPPER(NAME\"");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Right Bracket Missing (error -450)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("UPPER(NAME"), std::string::npos) << r.out;
  r = qx("index " + t + " bad \"NOSUCH(NAME)\"");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("error -4"), std::string::npos) << r.out;
  EXPECT_FALSE(std::filesystem::exists(dir.file("parts.cdx")));
  ASSERT_EQ(qx("index " + t + " name NAME").status, 0);
  r = qx("seek " + t + " nosuch x");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("no tag 'nosuch'"), std::string::npos) << r.out;
  r = qx("list " + t + " --tag nosuch");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(qx("index " + t + " name").status, 2);
}

}  // namespace
