// The porting header's text helpers are a second, header-only copy of the
// library's own UTF-8 conversions: they must agree with them on any input,
// including unpaired surrogates and bytes that start no UTF-8 sequence, and
// never write past the caller's buffer.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "port/com.h"
#include "port/wstr.h"
#include "qx/porting.h"

namespace {

std::u16string random_units(std::mt19937& rng) {
  // Mostly ASCII and Latin-1, with surrogates (paired or not) and the
  // boundaries of each UTF-8 length.
  static const char16_t kSpecial[] = {0x7F, 0x80, 0x7FF, 0x800, 0xD800, 0xDBFF, 0xDC00, 0xDFFF,
                                      0xFFFF, 0xE9, 0x20AC};
  std::u16string s(rng() % 24, u'a');
  for (auto& c : s) {
    switch (rng() % 4) {
      case 0: c = static_cast<char16_t>(1 + rng() % 0xFF); break;
      case 1: c = kSpecial[rng() % std::size(kSpecial)]; break;
      default: c = static_cast<char16_t>(1 + rng() % 0xFFFF); break;
    }
  }
  return s;
}

std::string random_bytes(std::mt19937& rng) {
  std::string s(rng() % 24, 'a');
  for (auto& c : s) c = static_cast<char>(1 + rng() % 0xFF);
  return s;
}

TEST(PortingText, HelpersAgreeWithTheLibrarysConversions) {
  std::mt19937 rng(15);
  for (int round = 0; round < 5000; ++round) {
    std::u16string wide = random_units(rng);
    std::string expected8 = qx::port::to_utf8(wide);
    char buf8[128];
    ASSERT_EQ(qx_utf16_to_utf8(buf8, sizeof buf8, wide.c_str()), expected8.size());
    ASSERT_EQ(std::string(buf8), expected8);

    std::string bytes = random_bytes(rng);
    std::u16string expected16 = qx::port::from_utf8(bytes);
    qx_wchar buf16[64];
    ASSERT_EQ(qx_utf8_to_utf16(buf16, std::size(buf16), bytes.c_str()), expected16.size());
    ASSERT_EQ(std::u16string(buf16), expected16);
  }
}

TEST(PortingText, ShortBuffersCutAtWholeCharactersAndStayTerminated) {
  // "aé€🔧" is 1 + 2 + 3 + 4 bytes and 1 + 1 + 1 + 2 units.
  const qx_wchar* wide = QX_T("a\u00e9\u20ac\U0001F527");
  const char* utf8 = "a\u00e9\u20ac\U0001F527";
  char out8[16];
  for (size_t cap = 0; cap <= 11; ++cap) {
    std::fill(std::begin(out8), std::end(out8), '#');
    EXPECT_EQ(qx_utf16_to_utf8(out8, cap, wide), 10u);
    size_t kept = cap <= 1 ? 0 : cap <= 3 ? 1 : cap <= 6 ? 3 : cap <= 10 ? 6 : 10;
    if (cap > 0) {
      EXPECT_EQ(std::string(out8), std::string(utf8, kept)) << cap;
    }
    EXPECT_EQ(out8[cap], '#') << "wrote past a buffer of " << cap;
  }
  qx_wchar out16[8];
  for (size_t cap = 0; cap <= 6; ++cap) {
    std::fill(std::begin(out16), std::end(out16), u'#');
    EXPECT_EQ(qx_utf8_to_utf16(out16, cap, utf8), 5u);
    size_t kept = cap <= 1 ? 0 : cap == 2 ? 1 : cap == 3 ? 2 : cap <= 5 ? 3 : 5;
    if (cap > 0) {
      EXPECT_EQ(std::u16string(out16), std::u16string(wide, kept)) << cap;
    }
    EXPECT_EQ(out16[cap], u'#') << "wrote past a buffer of " << cap;
  }
}

TEST(PortingText, CopiesComeFromTheLibrarysAllocatorAndNullIsEmpty) {
  char* narrow = qx_utf16_to_utf8_dup(nullptr);
  ASSERT_NE(narrow, nullptr);
  EXPECT_STREQ(narrow, "");
  qx_Free(narrow);
  qx_wchar* wide = qx_utf8_to_utf16_dup("pipe \xE2\x86\x92 valve");
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(std::u16string(wide), u"pipe \u2192 valve");
  qx_Free(wide);
}

TEST(PortingCom, InitialisationsAreCountedPerThread) {
  ASSERT_FALSE(qx::port::com_initialized());
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  CoUninitialize();
  EXPECT_TRUE(qx::port::com_initialized());
  CoUninitialize();
  EXPECT_FALSE(qx::port::com_initialized());
}

}  // namespace
