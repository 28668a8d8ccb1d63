// The wide-text helpers: formatting as the C runtime writes it, conversions,
// bounded copies and C-locale case rules.
#include <gtest/gtest.h>

#include "port/wstr.h"
#include "test_support.h"

using namespace qx::port;
using qxtest::u8;

namespace {

TEST(WideFormat, NumbersComeOutAsTheNarrowFormatterWritesThem) {
  EXPECT_EQ(u8(wformat(u"%f|%.3f|%e|%g", 1.5, 2.0 / 3, 12345.678, 0.0001)),
            "1.500000|0.667|1.234568e+04|0.0001");
  EXPECT_EQ(u8(wformat(u"%5d|%-5d|%05d|%x|%X|%lu", 42, 42, 42, 255u, 255u, 7ul)),
            "   42|42   |00042|ff|FF|7");
  EXPECT_EQ(u8(wformat(u"%I64d %lld %hd", (long long)1 << 40, -5LL, 70000)),
            "1099511627776 -5 4464");
  EXPECT_EQ(u8(wformat(u"%*d|%-*d|%.*f", 4, 1, 3, 2, 2, 3.14159)), "   1|2  |3.14");
  EXPECT_EQ(u8(wformat(u"100%%")), "100%");
}

TEST(WideFormat, StringsAreWideInTheWideDialect) {
  EXPECT_EQ(u8(wformat(u"[%-16s]", u"name")), "[name            ]");
  EXPECT_EQ(u8(wformat(u"[%6s][%.2s]", u"ab", u"abcdef")), "[    ab][ab]");
  EXPECT_EQ(u8(wformat(u"%s|%ls|%S|%hs", u"w1", u"w2", u"w3", "narrow")), "w1|w2|w3|narrow");
  EXPECT_EQ(u8(wformat(u"%c%c%hc", u'x', 0x00E9, 'y')), "x\xC3\xA9y");
  EXPECT_EQ(u8(wformat(u"%s", static_cast<const qx_wchar*>(nullptr))), "(null)");
  // Text beyond Latin-1 passes through the wide path untouched.
  EXPECT_EQ(wformat(u"<%s>", u"\u4E2D\u6587"), u"<\u4E2D\u6587>");
}

TEST(WideFormat, BoundedFormattingCutsAndTerminates) {
  qx_wchar buf[6];
  buf[5] = u'#';
  EXPECT_EQ(wsnprintf(buf, 6, u"%s-%d", u"abcdef", 12), 5);
  EXPECT_EQ(u8(buf), "abcde");
  EXPECT_EQ(wsnprintf(buf, 6, u"%d", 7), 1);
  EXPECT_EQ(u8(buf), "7");
}

TEST(WideText, BoundedCopyAndAppend) {
  qx_wchar buf[4];
  wcopy(buf, 4, u"abcdef");
  EXPECT_EQ(u8(buf), "abc");
  wcopy(buf, 4, static_cast<const qx_wchar*>(nullptr));
  EXPECT_EQ(u8(buf), "");
  wcopy(buf, 4, u"a");
  wappend(buf, 4, u"bcdef");
  EXPECT_EQ(u8(buf), "abc");
}

TEST(WideText, CaseRulesFollowTheCLocale) {
  qx_wchar s[] = u"aZ\u00e9\u00c9-1";
  wupr(s);
  EXPECT_EQ(std::u16string(s), u"AZ\u00e9\u00c9-1") << "only ASCII letters change";
  wlwr(s);
  EXPECT_EQ(std::u16string(s), u"az\u00e9\u00c9-1");
  EXPECT_EQ(wicmp(u"Hello", u"hELLO"), 0);
  EXPECT_LT(wicmp(u"abc", u"ABD"), 0);
  EXPECT_EQ(wnicmp(u"ENGLISH", u"eng", 3), 0);
  EXPECT_TRUE(wisspace(u'\v'));
  EXPECT_FALSE(wisspace(0x00A0));
}

TEST(WideText, TokensAndSearch) {
  qx_wchar s[] = u"  a,b;;c  ";
  qx_wchar* ctx = nullptr;
  std::vector<std::string> tokens;
  for (qx_wchar* t = wtok(s, u" ,;", &ctx); t; t = wtok(nullptr, u" ,;", &ctx))
    tokens.push_back(u8(t));
  EXPECT_EQ(tokens, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(wstr(u"hello", u"ll") - u"hello", 2);
  EXPECT_EQ(wstr(u"hello", u"xyz"), nullptr);
  const char16_t* abc = u"a/b\\c";
  EXPECT_EQ(wrchr(abc, u'/'), abc + 1);
}

TEST(WideText, NumberParsing) {
  EXPECT_DOUBLE_EQ(wtof(u"  3.25xyz"), 3.25);
  EXPECT_EQ(wtoi(u" -42abc"), -42);
  EXPECT_EQ(wtoi(u"abc"), 0);
  EXPECT_EQ(wtoi(u"99999999999"), INT_MAX);
  EXPECT_EQ(wtof(nullptr), 0.0);
}

TEST(Conversions, Latin1AndUtf8RoundTrips) {
  EXPECT_EQ(narrow(u"caf\u00e9 \u20ac"), std::string("caf\xE9 ?"));
  EXPECT_EQ(widen("caf\xE9"), u"caf\u00e9");
  std::u16string mixed = u"a\u00e9\u20ac\U0001F600";
  EXPECT_EQ(from_utf8(to_utf8(mixed)), mixed);
  EXPECT_EQ(from_utf8("bad\xFF"), u"bad\u00ff") << "a stray byte is taken as Latin-1";
  EXPECT_EQ(from_utf8("\xE2\x82"), u"\u00e2\u0082") << "a cut sequence is not swallowed";
}

}  // namespace
