// Wildcard patterns as the Windows directory search matches them, and the
// one process-wide enumeration.
#include <fnmatch.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <string>

#include "fs/wildcard.h"
#include "fs_test.h"
#include "qx/file.h"

using qxtest::drain;
using qxtest::u8;
using qxtest::write_file;
using Strings = std::vector<std::string>;

namespace {

bool m(const char16_t* pattern, const char16_t* name) { return qx::fs::name_matches(pattern, name); }

TEST(WildcardTest, StarAndQuestionMarkIgnoringCase) {
  EXPECT_TRUE(m(u"*", u"anything.at.all"));
  EXPECT_TRUE(m(u"*.TXT", u"notes.txt"));
  EXPECT_TRUE(m(u"*.txt", u"a.b.txt"));
  EXPECT_FALSE(m(u"*.txt", u"a.txt.bak"));
  EXPECT_TRUE(m(u"a*b", u"aab"));
  EXPECT_TRUE(m(u"*ab", u"aab")) << "a star backtracks";
  EXPECT_TRUE(m(u"f?le", u"FILE"));
  EXPECT_FALSE(m(u"f?le", u"fle"));
  EXPECT_FALSE(m(u"abc", u"abcd"));
  EXPECT_TRUE(m(u"", u"")) ;
  EXPECT_FALSE(m(u"", u"a"));
}

TEST(WildcardTest, PointRules) {
  // "*.*" takes every name, with or without a point, "." and ".." too.
  EXPECT_TRUE(m(u"*.*", u"README"));
  EXPECT_TRUE(m(u"*.*", u"a.b.c"));
  EXPECT_TRUE(m(u"*.*", u"."));
  EXPECT_TRUE(m(u"*.*", u".."));
  // "name.*" also takes the bare name; "*." only names without a point.
  EXPECT_TRUE(m(u"data.*", u"data"));
  EXPECT_TRUE(m(u"data.*", u"data.dbf"));
  EXPECT_TRUE(m(u"*.", u"README"));
  EXPECT_FALSE(m(u"*.", u"a.b"));
  // '?' at a point or the end matches nothing there.
  EXPECT_TRUE(m(u"file?.txt", u"file.txt"));
  EXPECT_TRUE(m(u"file?.txt", u"file1.txt"));
  EXPECT_FALSE(m(u"file?.txt", u"file12.txt"));
  EXPECT_TRUE(m(u"ab??", u"ab"));
  EXPECT_FALSE(m(u"?", u"."));
  EXPECT_TRUE(m(u"*", u".."));
}

// Without points and question marks the Windows rules are the plain ones, so
// the system's matcher is an independent judge.  The many-star cases would
// take exponential time in a backtracking matcher and stall the suite.
TEST(WildcardTest, StarsAgreeWithTheSystemMatcherEvenWhenMany) {
  std::mt19937 rng(11);
  auto random_text = [&](const char* alphabet, size_t most) {
    std::string text(rng() % (most + 1), ' ');
    for (char& c : text) c = alphabet[rng() % std::strlen(alphabet)];
    return text;
  };
  auto agree = [](const std::string& pattern, const std::string& name) {
    bool system = ::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
    return m(qx::port::from_utf8(pattern).c_str(), qx::port::from_utf8(name).c_str()) == system;
  };
  for (int i = 0; i < 5000; ++i) {
    std::string pattern = random_text("ab*", 12), name = random_text("aAb", 40);
    ASSERT_TRUE(agree(pattern, name)) << "pattern " << pattern << ", name " << name;
  }
  const char16_t* many_stars = u"*a*a*a*a*a*a*a*a*a*a*a*a*b";
  std::u16string name(300, u'a');
  EXPECT_FALSE(m(many_stars, name.c_str()));
  EXPECT_TRUE(m(many_stars, (name + u"b").c_str()));
}

class SearchTest : public qxtest::FsTest {};

TEST_F(SearchTest, FindFirstAndNextWalkTheMatchesInOrder) {
  for (const char* n : {"b.txt", "A.TXT", "c.dat", "README"}) write_file(file(n), "x");
  qx_wchar name[260];
  Strings found;
  for (int r = qx_File_findFirst(w("*.txt").c_str(), name); r == 0; r = qx_File_findNext(name))
    found.push_back(u8(name));
  EXPECT_EQ(found, (Strings{"A.TXT", "b.txt"}));
  EXPECT_NE(qx_File_findNext(name), 0) << "the search is over";

  found.clear();
  for (int r = qx_File_findFirst(w("*").c_str(), name); r == 0; r = qx_File_findNext(name))
    found.push_back(u8(name));
  EXPECT_EQ(found, (Strings{".", "..", "A.TXT", "b.txt", "c.dat", "README"}));

  // One search at a time: a new one replaces the one under way.
  ASSERT_EQ(qx_File_findFirst(w("*.txt").c_str(), name), 0);
  ASSERT_EQ(qx_File_findFirst(w("*.dat").c_str(), name), 0);
  EXPECT_EQ(u8(name), "c.dat");
  EXPECT_NE(qx_File_findNext(name), 0);

  EXPECT_EQ(qx_File_findFirst(w("*.none").c_str(), name), -1);
  EXPECT_EQ(qx_File_findFirst(w("nodir/*").c_str(), name), -1);
  EXPECT_EQ(qx_File_findFirst(w("").c_str(), name), -1);
  EXPECT_EQ(qx_File_findFirst(nullptr, name), -1);
  EXPECT_NE(qx_File_findNext(name), 0);
}

TEST_F(SearchTest, UnreadableDirectoriesFindNothing) {
  if (::geteuid() == 0) GTEST_SKIP() << "a privileged user reads every directory";
  std::filesystem::create_directory(file("closed"));
  write_file(file("closed/f"), "x");
  std::filesystem::permissions(file("closed"), std::filesystem::perms::none);
  qx_wchar name[260];
  EXPECT_EQ(qx_File_findFirst(w("closed/*").c_str(), name), -1);
  EXPECT_EQ(qx_Dir_list(w("closed/*").c_str()), nullptr);
  EXPECT_EQ(qx_File_delete(w("closed/*").c_str(), 0), 0);
  std::filesystem::permissions(file("closed"), std::filesystem::perms::owner_all);
}

TEST_F(SearchTest, DirListGivesLowerCasePaths) {
  std::filesystem::create_directory(file("Sub"));
  write_file(file("Sub/One.TXT"), "x");
  write_file(file("Sub/two.txt"), "x");
  std::string dir = file("Sub/");
  std::string lowered = dir;
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(drain(qx_Dir_list(qx::port::from_utf8(dir + "*.txt").c_str())),
            (Strings{lowered + "one.txt", lowered + "two.txt"}));
  EXPECT_EQ(drain(qx_Dir_list(qx::port::from_utf8(dir + "*").c_str())),
            (Strings{lowered + ".", lowered + "..", lowered + "one.txt", lowered + "two.txt"}));
  // The lower-cased paths still name the files.
  EXPECT_EQ(qx_File_exists(qx::port::from_utf8(lowered + "one.txt").c_str()), 1);
  EXPECT_EQ(qx_Dir_list(qx::port::from_utf8(dir + "*.none").c_str()), nullptr);
  EXPECT_EQ(qx_Dir_list(nullptr), nullptr);
}

}  // namespace
