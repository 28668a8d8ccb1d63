// INI groups read and rewritten straight from the file: the documented line
// rules on files written by hand, and rewrites that keep every other line.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "config/ini_test.h"
#include "qx/file.h"

namespace qxtest {
namespace {

using IniLines = IniTest;

std::string name_of(const char16_t* line) {
  std::u16string copy(line);
  qx_wchar name[64] = u"untouched";
  return qx_Ini_getGroupName(copy.data(), name) ? u8(name) : "no header";
}

std::pair<std::string, std::string> parsed(const char16_t* line) {
  qx_wchar name[64], value[64];
  qx_Ini_parse(line, name, value);
  return {u8(name), u8(value)};
}

TEST(IniLineRules, HeadersAndEntries) {
  EXPECT_EQ(name_of(u"  [ Pipe Sizes ]"), "Pipe Sizes");
  EXPECT_EQ(name_of(u"[Open"), "Open") << "a missing ']' is accepted";
  EXPECT_EQ(name_of(u"x[Group]"), "no header");
  EXPECT_EQ(name_of(u"\t[a]b]"), "a") << "the name ends at the first ']'";

  EXPECT_EQ(parsed(u"  KEY =  =  value  "), std::make_pair(std::string("KEY"), std::string("value")));
  EXPECT_EQ(parsed(u"KEY"), std::make_pair(std::string("KEY"), std::string()));
  EXPECT_EQ(parsed(u"=v"), std::make_pair(std::string(), std::string("v")));
  EXPECT_EQ(parsed(u"a = = b"), std::make_pair(std::string("a"), std::string("b")));
  EXPECT_EQ(parsed(u"path = C:\\a=b\t"), std::make_pair(std::string("path"), std::string("C:\\a=b")))
      << "only the '=' signs right after the name are skipped";
}

// A file as people write them on Windows: byte-order mark, "\r\n", comments,
// blank lines, blanks round '=', a group twice, a line far over 1024
// characters.
const std::string kLong(1500, 'x');
std::string hand_written() {
  return "\xEF\xBB\xBF[First]\r\n"
         "; a comment\r\n"
         "  alpha = 1  \r\n"
         "\r\n"
         "beta=two words  \r\n"
         "alpha=again\r\n"
         "bare\r\n"
         "long=" + kLong + "\r\n"
         "   [ second ]\r\n"
         "gamma = \xC3\xA9t\xC3\xA9\r\n"
         "[FIRST]\r\n"
         "late=in the second block\r\n";
}

TEST_F(IniLines, ReadsGroupsOfAFileWrittenByHand) {
  write_file(file("hand.ini"), hand_written());
  auto lines = strings_of(qx_Ini_getGroupLines(w("hand.ini").c_str(), u"first", 0));
  ASSERT_EQ(lines.size(), 5u) << "the group after the byte-order mark is found";
  EXPECT_EQ(lines[0], "alpha = 1  ") << "leading blanks removed, trailing kept";
  EXPECT_EQ(lines[3], "bare");
  EXPECT_EQ(lines[4].size(), 1024u) << "long lines are cut at 1024 characters";
  EXPECT_EQ(lines[4], "long=" + kLong.substr(0, 1019));

  auto with_comments = strings_of(qx_Ini_getGroupLines(w("hand.ini").c_str(), u"FIRST", 1));
  ASSERT_EQ(with_comments.size(), 6u);
  EXPECT_EQ(with_comments[0], "; a comment");

  EXPECT_EQ(fields_of(qx_Ini_getGroupItems(w("hand.ini").c_str(), u"First")),
            (Pairs{{"ALPHA", "1"}, {"BETA", "two words"}, {"ALPHA", "again"},
                   {"LONG", "x" + kLong.substr(0, 1018)}}))
      << "repeated names as they come, a name without a value left out";
  EXPECT_EQ(fields_of(qx_Ini_getGroupItems(w("hand.ini").c_str(), u"Second")),
            (Pairs{{"GAMMA", "\xC3\xA9t\xC3\xA9"}}));
  EXPECT_EQ(qx_Ini_getGroupLines(w("hand.ini").c_str(), u"Third", 1), nullptr);
}

TEST_F(IniLines, FindGroupLeavesTheStreamAfterTheHeader) {
  write_file(file("f.ini"), "[A]\nx=1\n[general]\ny=2\n");
  std::FILE* f = std::fopen(file("f.ini").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(qx_Ini_findGroup(f, u"GENERAL"), 1);
  qx_wchar line[QX_INI_LINE + 1];
  ASSERT_EQ(qx_File_readLine(f, line, QX_INI_LINE), 1);
  EXPECT_EQ(u8(line), "y=2");
  EXPECT_EQ(qx_Ini_findGroup(f, u"A"), 0) << "the search runs from the stream's position";
  std::fclose(f);
}

TEST_F(IniLines, RewritingAGroupKeepsEveryOtherLineByteForByte) {
  std::string before = "\xEF\xBB\xBF; settings\r\n[A]\r\na=1\r\nlong=" + kLong + "\r\n\r\n";
  std::string old_b = "[B]\r\n; old comment\r\nold=1\r\n\r\n";
  std::string after = "  [C]\r\nc=3\r\nno line end";
  write_file(file("abc.ini"), before + old_b + after);
  qx_FldList* fields = list_of({{"n1", "v1"}, {"bad=name", "x"}, {"n2", "value two"}});
  qx_FldList_appInt(fields, u"count", 7);
  EXPECT_EQ(qx_Ini_setGroupItems(w("abc.ini").c_str(), u"b", fields), 1);
  EXPECT_EQ(read_file(file("abc.ini")),
            before + "[B]\r\nN1=v1\r\nN2=value two\r\nCOUNT=7\r\n\r\n" + after)
      << "new lines take the file's line end; a name with '=' is left out";
  EXPECT_FALSE(std::filesystem::exists(file("qx_tmp.ini")));

  // A group the file lacks goes at the end; a last line without a line end
  // gets one first.
  EXPECT_EQ(qx_Ini_setGroupItems(w("abc.ini").c_str(), u"D", fields), 1);
  EXPECT_EQ(read_file(file("abc.ini")),
            before + "[B]\r\nN1=v1\r\nN2=value two\r\nCOUNT=7\r\n\r\n" + after +
                "\r\n[D]\r\nN1=v1\r\nN2=value two\r\nCOUNT=7\r\n\r\n");
  qx_FldList_destroy(fields);
}

TEST_F(IniLines, RewritingMakesAMissingFile) {
  qx_FldList* fields = list_of({{"k", "v"}});
  EXPECT_EQ(qx_Ini_setGroupItems(w("new.ini").c_str(), u"G", fields), 1);
  EXPECT_EQ(read_file(file("new.ini")), "[G]\nK=v\n\n");
  EXPECT_EQ(qx_Ini_setGroupItems(w("no/such/folder/x.ini").c_str(), u"G", fields), 0);
  qx_FldList_destroy(fields);
}

TEST_F(IniLines, BadInputLeavesFilesAlone) {
  qx_FldList* fields = list_of({{"k", "v"}});
  // A folder where the file should be: nothing to read, nothing replaced.
  std::filesystem::create_directory(file("folder.ini"));
  EXPECT_EQ(qx_Ini_getGroupLines(w("folder.ini").c_str(), u"G", 1), nullptr);
  EXPECT_EQ(qx_Ini_setGroupItems(w("folder.ini").c_str(), u"G", fields), 0);
  EXPECT_TRUE(std::filesystem::is_directory(file("folder.ini")));
  EXPECT_EQ(qx_Ini_getGroupItems(w("missing.ini").c_str(), u"G"), nullptr);

  // A group name that would read back as another group.
  write_file(file("g.ini"), "[G]\nk=1\n");
  EXPECT_EQ(qx_Ini_setGroupItems(w("g.ini").c_str(), u"a]b", fields), 0);
  EXPECT_EQ(qx_Ini_setGroupItems(w("g.ini").c_str(), u"two\nlines", fields), 0);
  EXPECT_EQ(read_file(file("g.ini")), "[G]\nk=1\n");

  // A file that cannot be read is not replaced by the one group.
  if (::geteuid() != 0) {
    ::chmod(file("g.ini").c_str(), 0200);
    EXPECT_EQ(qx_Ini_getGroupLines(w("g.ini").c_str(), u"G", 1), nullptr);
    EXPECT_EQ(qx_Ini_setGroupItems(w("g.ini").c_str(), u"G", fields), 0);
    ::chmod(file("g.ini").c_str(), 0600);
    EXPECT_EQ(read_file(file("g.ini")), "[G]\nk=1\n");
  }
  // A read-only file stays as it was.
  ::chmod(file("g.ini").c_str(), 0444);
  EXPECT_EQ(qx_Ini_setGroupItems(w("g.ini").c_str(), u"G", fields), 0);
  EXPECT_EQ(read_file(file("g.ini")), "[G]\nk=1\n");
  EXPECT_FALSE(std::filesystem::exists(file("qx_tmp.ini")));
  qx_FldList_destroy(fields);
}

}  // namespace
}  // namespace qxtest
