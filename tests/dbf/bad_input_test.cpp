// Files that are not sound tables: each gives its documented error or a
// plain refusal, no crash, and no byte of the file changes.
#include <gtest/gtest.h>

#include "dbf/error.h"
#include "dbf_support.h"

using namespace qx::dbf;
using qxtest::read_file;
using qxtest::TempDir;
using qxtest::write_file;

namespace {

// A sound two-record table of fields NAME C(20), QTY N(8,2), DUE D, OK L.
std::string soundTable(const TempDir& dir) {
  Engine e;
  Table* t = dbfCreate(&e, dir.file("sound").c_str(), qxtest::sampleFields(), nullptr);
  qxtest::appendSample(t, "one", 1);
  qxtest::appendSample(t, "two", 2);
  dbfClose(t);
  return read_file(dir.file("sound.dbf"));
}

void put16(std::string& s, size_t at, unsigned v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}

struct BadCase {
  const char* what;
  std::string bytes;
  int error;
};

class BadInputTest : public ::testing::Test {
 protected:
  // Opens `bytes` as a table and reads all it can; the error met.
  int openBytes(const std::string& bytes, std::string* after) {
    std::string path = dir.file("bad.dbf");
    write_file(path, bytes);
    Engine e;
    e.quietErrors = 1;
    Table* t = dbfOpen(&e, path.c_str());
    int error = e.lastError;
    if (t) {
      // Whatever opened must read without harm.
      for (int rc = dbfTop(t); rc == 0; rc = dbfSkip(t, 1))
        for (int i = 1; i <= dbfFieldCount(t); ++i) fldString(dbfFieldByNumber(t, i));
      error = e.lastError;
      dbfClose(t);
    }
    *after = read_file(path);
    return error;
  }
  TempDir dir;
};

TEST_F(BadInputTest, BrokenHeadersGiveTheirErrorsAndStayUntouched) {
  std::string good = soundTable(dir);
  std::vector<BadCase> cases;
  cases.push_back({"empty file", "", kErrRead});
  cases.push_back({"truncated header", good.substr(0, 20), kErrRead});
  cases.push_back({"descriptors cut off", good.substr(0, 100), kErrRead});
  std::string h = good;
  put16(h, 8, 32);
  cases.push_back({"header length 32", h, kErrData});
  put16(h, 8, 0);
  cases.push_back({"header length 0", h, kErrData});
  h = good;
  put16(h, 10, 39);
  cases.push_back({"record length not the fields' sum", h, kErrData});
  h = good;
  h[160] = 'X';  // the terminator overwritten
  cases.push_back({"no terminator", h, kErrData});
  h = good;
  put16(h, 8, 65535);
  cases.push_back({"header longer than the file", h, kErrRead});
  cases.push_back({"text file", std::string("this is not a table at all, just some words\n") +
                                    std::string(200, 'x'),
                   kErrRead});  // its "header length" runs past the end
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string after;
    EXPECT_EQ(openBytes(c.bytes, &after), c.error);
    EXPECT_TRUE(after == c.bytes);
  }
}

TEST_F(BadInputTest, RecordsMissingFromTheEndReadAsShort) {
  std::string good = soundTable(dir);
  std::string cut = good.substr(0, good.size() - 30);  // record 2 cut short
  std::string after;
  EXPECT_EQ(openBytes(cut, &after), kErrRead);
  EXPECT_TRUE(after == cut);
  // A record count far beyond the file.
  std::string big = good;
  big[7] = 0x7F;
  EXPECT_EQ(openBytes(big, &after), kErrRead);
  EXPECT_TRUE(after == big);
}

TEST_F(BadInputTest, MemoTableWithoutItsMemoFileIsRefused) {
  std::string good = soundTable(dir);
  good[0] = static_cast<char>(0xF5);
  std::string after;
  EXPECT_EQ(openBytes(good, &after), kErrOpen);
}

TEST_F(BadInputTest, BrokenMemoBlocksReadAsWhatIsThere) {
  Engine e;
  FieldInfo fields[] = {{"NOTE", 'M', 10, 0}, {nullptr, 0, 0, 0}};
  Table* t = dbfCreate(&e, dir.file("m").c_str(), fields, nullptr);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(dbfAppendBlank(t), 0);
  // A block number past the end of the memo file, then one whose length
  // runs past it.
  fldAssign(dbfFieldByName(t, "NOTE"), "     99999");
  std::string memo = "?";
  EXPECT_EQ(fldMemoText(dbfFieldByName(t, "NOTE"), memo), 0);
  EXPECT_EQ(memo, "");
  dbfClose(t);
  std::string fpt = read_file(dir.file("m.fpt"));
  fpt += std::string("\0\0\0\1\x7F\xFF\xFF\xFFshort", 13);
  write_file(dir.file("m.fpt"), fpt);
  t = dbfOpen(&e, dir.file("m").c_str());
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(dbfTop(t), 0);
  fldAssign(dbfFieldByName(t, "NOTE"), "         8");
  EXPECT_EQ(fldMemoText(dbfFieldByName(t, "NOTE"), memo), 0);
  EXPECT_EQ(memo, "short");
  t->record_changed = false;
  dbfClose(t);
}

}  // namespace
