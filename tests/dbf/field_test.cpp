// Field values: text stores padded or cut, numbers in the field's width and
// decimals, dates as day numbers, and the text-to-number conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "dbf_support.h"
#include "qx/dbf.h"

using namespace qx::dbf;
using qxtest::TempDir;

namespace {

class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FieldInfo fields[] = {{"NAME", 'C', 20, 0}, {"QTY", 'N', 8, 2}, {"DUE", 'D', 8, 0},
                          {"OK", 'L', 1, 0},    {"CNT", 'N', 5, 0}, {"F", 'F', 10, 4},
                          {"TINY", 'N', 1, 0},  {"MANY", 'N', 20, 18}, {nullptr, 0, 0, 0}};
    t = dbfCreate(&engine, dir.file("f").c_str(), fields, nullptr);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(dbfAppendBlank(t), 0);
  }
  void TearDown() override { dbfClose(t); }
  Field* field(const char* name) { return dbfFieldByName(t, name); }
  std::string raw(const char* name) {
    return std::string(fldString(field(name)), static_cast<size_t>(fldWidth(field(name))));
  }

  TempDir dir;
  Engine engine;
  Table* t = nullptr;
};

TEST_F(FieldTest, TextIsPaddedOrCut) {
  fldAssign(field("NAME"), "abcdefghijklmnopqrstuvwxyz0123");
  EXPECT_EQ(raw("NAME"), "abcdefghijklmnopqrst");
  fldAssign(field("NAME"), "short");
  EXPECT_EQ(raw("NAME"), "short" + std::string(15, ' '));
  fldAssignN(field("NAME"), "abc\0def", 7);
  EXPECT_EQ(raw("NAME"), std::string("abc\0def", 7) + std::string(13, ' '));
  fldAssign(field("NAME"), nullptr);
  EXPECT_EQ(raw("NAME"), std::string(20, ' '));
  EXPECT_TRUE(t->record_changed);
  // Neighbouring fields are never touched.
  EXPECT_EQ(raw("QTY"), std::string(8, ' '));
  EXPECT_EQ(t->record[0], ' ');
}

TEST_F(FieldTest, NumbersInWidthAndDecimals) {
  fldAssignDouble(field("QTY"), -3.14159);
  EXPECT_EQ(raw("QTY"), "   -3.14");
  fldAssignDouble(field("QTY"), 123456.7);
  EXPECT_EQ(raw("QTY"), "********");
  fldAssignDouble(field("QTY"), 99999.99);
  EXPECT_EQ(raw("QTY"), "99999.99");
  fldAssignDouble(field("QTY"), -9999.99);
  EXPECT_EQ(raw("QTY"), "-9999.99");
  fldAssignDouble(field("QTY"), -99999.99);  // the sign does not fit
  EXPECT_EQ(raw("QTY"), "********");
  fldAssignDouble(field("QTY"), 0.5);
  EXPECT_EQ(raw("QTY"), "    0.50");
  fldAssignDouble(field("QTY"), -0.001);
  EXPECT_EQ(raw("QTY"), "    0.00");
  fldAssignDouble(field("QTY"), NAN);
  EXPECT_EQ(raw("QTY"), "********");
  fldAssignDouble(field("CNT"), 41.6);
  EXPECT_EQ(raw("CNT"), "   42");
  fldAssignDouble(field("F"), 2.5);
  EXPECT_EQ(raw("F"), "    2.5000");
  // Decimals are at most width - 1 and at most 15.
  fldAssignDouble(field("TINY"), 7);
  EXPECT_EQ(raw("TINY"), "7");
  fldAssignDouble(field("MANY"), 0.25);
  EXPECT_EQ(raw("MANY"), "   0.250000000000000");
  EXPECT_DOUBLE_EQ(fldDouble(field("MANY")), 0.25);
}

TEST_F(FieldTest, IntegersInFixedWidth) {
  fldAssignInt(field("CNT"), -42);
  EXPECT_EQ(raw("CNT"), "  -42");
  EXPECT_EQ(fldInt(field("CNT")), -42);
  fldAssignInt(field("CNT"), 123456);
  EXPECT_EQ(raw("CNT"), "*****");
  fldAssignInt(field("QTY"), 12);  // with decimals, as a double
  EXPECT_EQ(raw("QTY"), "   12.00");
  EXPECT_EQ(fldInt(field("QTY")), 12);
  EXPECT_DOUBLE_EQ(fldDouble(field("QTY")), 12.0);
  EXPECT_EQ(fldType(field("F")), 'N');
}

TEST_F(FieldTest, CharactersAndLogicals) {
  fldAssignChar(field("OK"), 'T');
  EXPECT_EQ(raw("OK"), "T");
  fldAssignChar(field("NAME"), 'x');
  EXPECT_EQ(raw("NAME"), "x" + std::string(19, ' '));
}

TEST_F(FieldTest, DatesAsDayNumbers) {
  fldAssignDouble(field("DUE"), 2451545);
  EXPECT_EQ(raw("DUE"), "20000101");
  EXPECT_EQ(fldDouble(field("DUE")), 2451545.0);
  fldAssign(field("DUE"), "19960704");
  EXPECT_EQ(fldDouble(field("DUE")), 2450269.0);
  fldAssign(field("DUE"), "20240229");
  EXPECT_EQ(fldDouble(field("DUE")) + 1, static_cast<double>(date_to_day("20240301")));
  fldAssign(field("DUE"), "");
  EXPECT_EQ(fldDouble(field("DUE")), 0.0);
  fldAssign(field("DUE"), "20241301");
  EXPECT_EQ(fldDouble(field("DUE")), 0.0);
  fldAssignDouble(field("DUE"), 0);
  EXPECT_EQ(raw("DUE"), "        ");
  // Every day of several centuries goes there and back.
  char text[8];
  for (long day = date_to_day("18991225"); day < date_to_day("21010105"); day += 7) {
    day_to_date(day, text);
    ASSERT_EQ(date_to_day(text), day);
  }
}

TEST_F(FieldTest, CopyAndSharedBuffer) {
  fldAssign(field("NAME"), "hello");
  char buf[4] = {'z', 'z', 'z', 'z'};
  EXPECT_EQ(fldCopy(field("NAME"), buf, 4), 3);
  EXPECT_STREQ(buf, "hel");
  EXPECT_EQ(fldCopy(field("NAME"), buf, 0), 0);
  char big[64];
  EXPECT_EQ(fldCopy(field("NAME"), big, sizeof big), 20);
  char* shared = fldString(field("NAME"));
  EXPECT_EQ(std::strlen(shared), 20u);
}

TEST(TextToNumber, ConvertsAtMostTheGivenLength) {
  EXPECT_DOUBLE_EQ(qx_c4atod("  12.5xyz", 6), 12.5);
  EXPECT_DOUBLE_EQ(qx_c4atod("12345", 3), 123.0);
  EXPECT_DOUBLE_EQ(qx_c4atod("1", 0), 0.0);
  EXPECT_DOUBLE_EQ(qx_c4atod("7", -4), 0.0);
  EXPECT_DOUBLE_EQ(qx_c4atod(nullptr, 5), 0.0);
  EXPECT_EQ(qx_c4atoi(" -42 ", 5), -42);
  EXPECT_EQ(qx_c4atoi("99999999999", 11), INT32_MAX);
  EXPECT_EQ(qx_c4atol("123456789", 4), 1234);
  // A length beyond 49 characters (127 for integers) reads only that many.
  std::string digits = std::string(48, ' ') + "12";
  EXPECT_DOUBLE_EQ(qx_c4atod(digits.c_str(), 50), 1.0);
  std::string n(200, '0');
  n[126] = '5';
  n[127] = '9';
  EXPECT_EQ(qx_c4atol(n.c_str(), 200), 5);
}

}  // namespace
