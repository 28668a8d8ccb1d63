// Strings: justification, copying, comparison, wildcards, versions, words and
// tokens, keywords, replacement and wrapping.
#include "qx/str.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qx/memory.h"
#include "test_support.h"
#include "qx/strlist.h"

namespace {

using W = std::u16string;

W lines_of(qx_StrList* list) { return qxtest::bracketed(list); }

TEST(StrEdit, JustifyPadsOrCutsToTheWidth) {
  qx_wchar b[32];
  EXPECT_EQ(W(qx_Str_cj(qx_Str_cpy(b, u"ab"), 5)), u" ab  ");
  EXPECT_EQ(W(qx_Str_rj(qx_Str_cpy(b, u"abc"), 2)), u"ab");
  EXPECT_EQ(W(qx_Str_rj(qx_Str_cpy(b, u"abc"), 6)), u"   abc");
  EXPECT_EQ(W(qx_Str_lj(qx_Str_cpy(b, u"abcdef"), 3)), u"abc");
  EXPECT_EQ(W(qx_Str_lj(qx_Str_cpy(b, u"ab"), 4)), u"ab  ");
  EXPECT_EQ(W(qx_Str_lj(qx_Str_cpy(b, u"ab"), -3)), u"");
  EXPECT_EQ(W(qx_Str_pad(qx_Str_cpy(b, u"abcdef"), 3)), u"abcdef");
  EXPECT_EQ(W(qx_Str_pad(qx_Str_cpy(b, u"a"), 3)), u"a  ");
  EXPECT_EQ(W(qx_Str_cj(qx_Str_cpy(b, u"abcdef"), 4)), u"abcd");
  EXPECT_EQ(qx_Str_pad(nullptr, 3), nullptr);
}

TEST(StrEdit, BlanksAndStripping) {
  qx_wchar b[32];
  EXPECT_EQ(W(qx_Str_rlb(qx_Str_cpy(b, u" \t\r\nab c "))), u"ab c ");
  EXPECT_EQ(W(qx_Str_rtb(qx_Str_cpy(b, u" ab c \t\n"))), u" ab c");
  EXPECT_EQ(W(qx_Str_delBlks(qx_Str_cpy(b, u"   "))), u"");
  EXPECT_EQ(W(qx_Str_strip(qx_Str_cpy(b, u" a b\tc "))), u"ab\tc");
  EXPECT_EQ(W(qx_Str_stripChar(qx_Str_cpy(b, u"a-b--c"), u'-')), u"abc");
  EXPECT_EQ(W(qx_Str_stripChars(qx_Str_cpy(b, u"xyaxby"), u"xy", 0)), u"ab");
  EXPECT_EQ(W(qx_Str_stripChars(qx_Str_cpy(b, u"xyaxby"), u"xy", 1)), u"axby");
  EXPECT_EQ(W(qx_Str_stripChars(qx_Str_cpy(b, u"xy"), nullptr, 1)), u"xy");
  EXPECT_EQ(qx_Str_rlb(nullptr), nullptr);
  qx_Str_cpy(b, u"MiXeD 1");
  EXPECT_EQ(W(qx_Str_toUpper(b, b)), u"MIXED 1");
  qx_wchar lower[16];
  EXPECT_EQ(W(qx_Str_toLower(lower, b)), u"mixed 1");
}

TEST(StrCopy, CopyingRulesAndNullSources) {
  qx_wchar b[16] = u"junk";
  EXPECT_EQ(qx_Str_cpy(b, nullptr), nullptr);
  EXPECT_EQ(W(b), u"");
  EXPECT_EQ(qx_Str_ncpy(b, u"abcd", 4), 1);
  EXPECT_EQ(W(b), u"abcd");
  EXPECT_EQ(qx_Str_ncpy(b, u"abcd", 5), 0);
  EXPECT_EQ(qx_Str_ncpy(b, u"abcdef", 2), 1);
  EXPECT_EQ(W(b), u"ab");
  EXPECT_EQ(qx_Str_ncpy(b, nullptr, 2), 0);
  EXPECT_EQ(W(b), u"");
  EXPECT_EQ(qx_Str_cat(b, nullptr), nullptr);
  qx_Str_cpy(b, u"ab");
  EXPECT_EQ(W(qx_Str_cat(b, u"cd")), u"abcd");
  EXPECT_EQ(W(qx_Str_substr(b, u"abcdef", 0, 2)), u"ab");
  EXPECT_EQ(W(qx_Str_substr(b, u"abcdef", 5, 10)), u"ef");
  EXPECT_EQ(W(qx_Str_substr(b, u"abcdef", 9, 1)), u"");
  qx_wchar* copy = qx_Str_dupW(u"dup");
  EXPECT_EQ(W(copy), u"dup");
  qx_Free(copy);
  EXPECT_EQ(qx_Str_dup(nullptr), nullptr);
}

TEST(StrCompare, CaseInsensitiveOrderAndIndex) {
  EXPECT_EQ(qx_Str_cmpi(u"abc", u"ABD"), -1);
  EXPECT_EQ(qx_Str_cmpi(u"ab", u"AB"), 0);
  EXPECT_EQ(qx_Str_cmpi(u"abc", u"ab"), 1);
  EXPECT_EQ(qx_Str_cmpi(u"ab", u"abc"), -1);
  EXPECT_EQ(qx_Str_ncmpi(u"abcx", u"ABCy", 3), 0);
  EXPECT_EQ(qx_Str_ncmpi(u"abcx", u"ABCy", 4), -1);
  EXPECT_EQ(qx_Str_ncmpi(u"ab", u"AB", 10), 0);
  EXPECT_EQ(qx_Str_index(u"Hello", u"LL", 1), 2);
  EXPECT_EQ(qx_Str_index(u"Hello", u"LL", 0), -1);
  EXPECT_EQ(qx_Str_index(u"Hello", u"", 0), 0);
  EXPECT_EQ(qx_Str_index(u"Hello", u"lo!", 1), -1);
  EXPECT_EQ(qx_Str_isAffirmative(u"yes"), 1);
  EXPECT_EQ(qx_Str_isAffirmative(u"On"), 1);
  EXPECT_EQ(qx_Str_isAffirmative(u"2"), 0);
  EXPECT_EQ(qx_Str_isAffirmative(nullptr), 0);
  EXPECT_EQ(qx_Str_isNegative(u"Off"), 1);
  EXPECT_EQ(qx_Str_isNegative(u"false"), 1);
  EXPECT_EQ(qx_Str_isNegative(u"yes"), 0);
}

TEST(StrWildcard, SinglePassWithoutBacktracking) {
  EXPECT_EQ(qx_Str_matchWildcard(u"abc", u"a*"), 1);
  EXPECT_EQ(qx_Str_matchWildcard(u"abc", u"a?c"), 1);
  EXPECT_EQ(qx_Str_matchWildcard(u"ab", u"ab?"), 0);
  EXPECT_EQ(qx_Str_matchWildcard(u"aab", u"*ab"), 0);  // no backtracking
  EXPECT_EQ(qx_Str_matchWildcard(u"xab", u"*ab"), 1);
  EXPECT_EQ(qx_Str_matchWildcard(u"abc", u"**c"), 1);
  EXPECT_EQ(qx_Str_matchWildcard(u"abcd", u"*c"), 0);  // text left over
  EXPECT_EQ(qx_Str_matchWildcard(u"a?b", u"*?b"), 1);  // '?' after '*' is literal
  EXPECT_EQ(qx_Str_matchWildcard(u"axb", u"*?b"), 0);
  EXPECT_EQ(qx_Str_matchWildcard(u"", u"*"), 1);
  EXPECT_EQ(qx_Str_matchWildcard(u"", u""), 1);
  EXPECT_EQ(qx_Str_matchWildcard(u"a", u""), 0);
  EXPECT_EQ(qx_Str_matchWildcard(u"ABC", u"a*"), 0);
  EXPECT_EQ(qx_Str_matchWildcardi(u"ABC", u"a*c"), 1);
  EXPECT_EQ(qx_Str_matchWildcard(nullptr, u"*"), 0);
  EXPECT_EQ(qx_Str_matchWildcardi(u"a", nullptr), 0);
}

TEST(StrVersion, PartsCompareAsNumbersInTheFirstArgumentsParts) {
  EXPECT_EQ(qx_Str_compareVersion(u"1.10", u"1.9"), 1);
  EXPECT_EQ(qx_Str_compareVersion(u"1.9", u"1.10"), -1);
  EXPECT_EQ(qx_Str_compareVersion(u"1.0", u"1.0.1"), 0);
  EXPECT_EQ(qx_Str_compareVersion(u"1.0.1", u"1.0"), 1);
  EXPECT_EQ(qx_Str_compareVersion(u"2.0a", u"2.0A"), 0);
  EXPECT_EQ(qx_Str_compareVersion(u"1.02", u"1.2"), 0);
  EXPECT_EQ(qx_Str_compareVersion(nullptr, nullptr), 0);
  EXPECT_EQ(qx_Str_compareVersion(nullptr, u"1"), -1);
  EXPECT_EQ(qx_Str_compareVersion(u"1", nullptr), 1);
}

TEST(StrWords, BlankAndSemicolonDelimitedWords) {
  qx_wchar word[32];
  int pos = 0;
  const qx_wchar* text = u"  one two";
  EXPECT_EQ(W(qx_Str_nextSDLWord(word, text, &pos)), u"one");
  EXPECT_EQ(pos, 5);
  EXPECT_EQ(W(qx_Str_nextSDLWord(word, text, &pos)), u"two");
  EXPECT_EQ(pos, 9);
  EXPECT_EQ(W(qx_Str_nextSDLWord(word, text, &pos)), u"");
  pos = 40;
  EXPECT_EQ(W(qx_Str_nextSDLWord(word, text, &pos)), u"");
  EXPECT_EQ(pos, 40);

  std::vector<W> words;
  pos = 0;
  const qx_wchar* cdl = u"a;b;;c";
  for (int i = 0; i < 5; ++i) words.push_back(qx_Str_nextCDLWord(word, cdl, &pos));
  EXPECT_EQ(words, (std::vector<W>{u"a", u"b", u"", u"c", u""}));
  EXPECT_EQ(pos, 6);
}

TEST(StrTokens, PositionsFromTheLeftAndTheRight) {
  int pos = 99;
  EXPECT_EQ(W(qx_Str_getNthToken(u"a,,b", u",", 1, &pos)), u"b");
  EXPECT_EQ(pos, 3);
  EXPECT_EQ(W(qx_Str_getNthToken(u",,first,second", u",", 0, &pos)), u"first");
  EXPECT_EQ(pos, 2);
  EXPECT_EQ(qx_Str_getNthToken(u"a,b", u",", 2, &pos), nullptr);
  EXPECT_EQ(pos, -1);
  EXPECT_EQ(W(qx_Str_getRightNthToken(u"C:\\dir\\sub\\file.txt", u"\\", 0, &pos)), u"file.txt");
  EXPECT_EQ(pos, 11);
  EXPECT_EQ(W(qx_Str_getRightNthToken(u"C:\\dir\\sub\\file.txt\\", u"\\", 1, &pos)), u"sub");
  EXPECT_EQ(pos, 7);
  EXPECT_EQ(qx_Str_getRightNthToken(u"abc", u",", 1, &pos), nullptr);
  // The token buffer holds 512 characters: longer texts are refused.
  W max(512, u'x'), over(513, u'x');
  EXPECT_NE(qx_Str_getNthToken(max.c_str(), u",", 0, nullptr), nullptr);
  EXPECT_EQ(qx_Str_getNthToken(over.c_str(), u",", 0, &pos), nullptr);
  EXPECT_EQ(pos, -1);
  EXPECT_EQ(qx_Str_getRightNthToken(over.c_str(), u",", 0, nullptr), nullptr);
  EXPECT_EQ(qx_Str_getNthToken(nullptr, u",", 0, nullptr), nullptr);
}

TEST(StrKeywords, LocateAndReplaceFramedKeywords) {
  EXPECT_EQ(W(qx_Str_locateKeyword(u"path %QV%\\x %Y%", u"%")), u"QV");
  EXPECT_EQ(qx_Str_locateKeyword(u"only %one", u"%"), nullptr);
  W long_key = u"%" + W(300, u'k') + u"%";
  EXPECT_EQ(W(qx_Str_locateKeyword(long_key.c_str(), u"%")).size(), 256u);

  qx_wchar text[64];
  qx_Str_cpy(text, u"dir=%QV%\\bin %QV%");
  EXPECT_EQ(W(qx_Str_replaceKeyword(text, u"QV", u"%", u"/opt/qv", 63)), u"dir=/opt/qv\\bin %QV%");
  qx_Str_cpy(text, u"no keyword here");
  EXPECT_EQ(W(qx_Str_replaceKeyword(text, u"QV", u"%", u"x", 5)), u"no ke");  // cut anyway
  EXPECT_EQ(qx_Str_replaceKeyword(text, nullptr, u"%", u"x", 5), nullptr);

  qx_wchar* dynamic = qx_Str_replaceKeywordDynamic(u"a $K$ b", u"K", u"$", u"value");
  EXPECT_EQ(W(dynamic), u"a value b");
  qx_Free(dynamic);
  dynamic = qx_Str_replaceKeywordDynamic(u"a K b", u"K", u"$", u"value");
  EXPECT_EQ(W(dynamic), u"a K b");
  qx_Free(dynamic);
}

TEST(StrReplace, SubstringReplacementInTheBoundedBuffer) {
  EXPECT_EQ(W(qx_Str_replaceChar(u"a\tb\tc", u"\t", u"  ")), u"a  b  c");
  EXPECT_EQ(W(qx_Str_replaceChar(u"aaa", u"aa", u"b")), u"ba");
  EXPECT_EQ(W(qx_Str_replaceChar(u"same", u"", u"x")), u"same");
  EXPECT_EQ(W(qx_Str_replaceChar(nullptr, u"a", u"b")), u"");
  W big(400, u'a');
  EXPECT_EQ(W(qx_Str_replaceChar(big.c_str(), u"a", u"bb")), W(511, u'b'));
}

TEST(StrWrap, LinesBreakAtBlanksOrHard) {
  qx_StrList* lines = qx_Str_wrapText(u"aaa bbb ccc", 5);
  EXPECT_EQ(lines_of(lines), u"[aaa][bbb][ ccc]");
  qx_StrList_destroy(lines);
  lines = qx_Str_wrapText(u"abcdefghij", 4);
  EXPECT_EQ(lines_of(lines), u"[abcd][efgh][ij]");
  qx_StrList_destroy(lines);
  lines = qx_Str_wrapText(u"abcd efgh", 4);  // a blank right at the width
  EXPECT_EQ(lines_of(lines), u"[abcd][efgh]");
  qx_StrList_destroy(lines);
  lines = qx_Str_wrapText(u"short", 10);
  EXPECT_EQ(lines_of(lines), u"[short]");
  qx_StrList_destroy(lines);
  lines = qx_Str_wrapText(u"ab cd", 0);  // a width below 1 counts as 1
  EXPECT_EQ(lines_of(lines), u"[a][b][c][d]");
  qx_StrList_destroy(lines);
  EXPECT_EQ(qx_Str_wrapText(nullptr, 5), nullptr);
  EXPECT_EQ(qx_Str_findClosestWordBoundary(u"aaa bbb", 5), 2);
  EXPECT_EQ(qx_Str_findClosestWordBoundary(u"aaaaaaa", 5), 0);
}

}  // namespace
