// Timers found by first name, and base-36 numbers at their boundaries.
#include "qx/timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

using W = std::u16string;

class TimerTest : public ::testing::Test {
 protected:
  void TearDown() override { qx_Timer_clearAll(); }
};

TEST_F(TimerTest, UnknownNames) {
  EXPECT_EQ(qx_Timer_check(u"never"), 0.0);
  EXPECT_EQ(qx_Timer_delete(u"never"), 0.0);  // check created nothing
  EXPECT_EQ(qx_Timer_reset(u"fresh"), 0.0);   // reset creates it
  EXPECT_GE(qx_Timer_delete(u"fresh"), 0.0);
  EXPECT_EQ(qx_Timer_delete(u"fresh"), 0.0);
}

TEST_F(TimerTest, ElapsedTimeIncludesWaitsAndTheOlderTimerGoesFirst) {
  ASSERT_EQ(qx_Timer_create(u"t"), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  ASSERT_EQ(qx_Timer_create(u"t"), 1);
  double older = qx_Timer_delete(u"t");
  EXPECT_GE(older, 0.025);
  // The younger one is left and is now found.
  EXPECT_LT(qx_Timer_check(u"t"), older);
  EXPECT_GE(qx_Timer_reset(u"t"), 0.0);
  EXPECT_LT(qx_Timer_check(u"t"), 0.025);
  EXPECT_EQ(qx_Timer_clearAll(), 1);
  EXPECT_EQ(qx_Timer_check(u"t"), 0.0);
}

TEST_F(TimerTest, NodesCompareByName) {
  W long_name(80, u'n');
  qx_TimerNode* node = qx_TimerNode_create(long_name.c_str());
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(W(node->name).size(), 51u);
  EXPECT_EQ(qx_TimerNode_compare(node, long_name.c_str()), 0);
  EXPECT_NE(qx_TimerNode_compare(node, u"n"), 0);
  EXPECT_EQ(qx_TimerNode_compare(nullptr, u"n"), -1);
  EXPECT_EQ(qx_TimerNode_compare(node, nullptr), -1);
  qx_TimerNode_delete(node);
  qx_TimerNode_delete(nullptr);
}

TEST(Base36, ToTextAtDigitAndPowerBoundaries) {
  EXPECT_EQ(W(qx_Base36_fromBase10(0)), u"0");
  EXPECT_EQ(W(qx_Base36_fromBase10(0.5)), u"0");
  EXPECT_EQ(W(qx_Base36_fromBase10(1)), u"1");
  EXPECT_EQ(W(qx_Base36_fromBase10(35)), u"Z");
  EXPECT_EQ(W(qx_Base36_fromBase10(36)), u"10");
  EXPECT_EQ(W(qx_Base36_fromBase10(37.9)), u"11");
  EXPECT_EQ(W(qx_Base36_fromBase10(1295)), u"ZZ");
  EXPECT_EQ(W(qx_Base36_fromBase10(1296)), u"100");
  EXPECT_EQ(W(qx_Base36_fromBase10(1301)), u"105");
  EXPECT_EQ(W(qx_Base36_fromBase10(1332)), u"110");
  const double top = 101559956668416.0;  // 36^9
  EXPECT_EQ(W(qx_Base36_fromBase10(top)), u"1000000000");
  EXPECT_EQ(W(qx_Base36_fromBase10(top - 1)), u"ZZZZZZZZZ");
  EXPECT_EQ(W(qx_Base36_fromBase10(top + 1)), u"");
}

TEST(Base36, ToNumberCompareAndIncrement) {
  EXPECT_EQ(qx_Base36_toBase10(u"ZZ"), 1295.0);
  EXPECT_EQ(qx_Base36_toBase10(u""), 0.0);
  EXPECT_EQ(qx_Base36_toBase10(nullptr), 0.0);
  EXPECT_EQ(qx_Base36_toBase10(u"1000000000"), 101559956668416.0);
  EXPECT_EQ(qx_Base36_toBase10(u"1a"), 36.0 - 1);  // outside the alphabet: -1
  EXPECT_EQ(qx_Base36_compare(u"10", u"Z"), 1);
  EXPECT_EQ(qx_Base36_compare(u"Z", u"10"), -1);
  EXPECT_EQ(qx_Base36_compare(u"010", u"10"), 0);
  qx_wchar text[16] = u"Z";
  EXPECT_EQ(qx_Base36_increment(text, 1), 1);
  EXPECT_EQ(W(text), u"10");
  EXPECT_EQ(qx_Base36_increment(text, -2), 1);
  EXPECT_EQ(W(text), u"Y");
  EXPECT_EQ(qx_Base36_increment(nullptr, 1), 0);
  // Round trip over a spread of values.
  for (double v = 1; v < 1e13; v = v * 7 + 3)
    ASSERT_EQ(qx_Base36_toBase10(qx_Base36_fromBase10(v)), v) << v;
}

}  // namespace
