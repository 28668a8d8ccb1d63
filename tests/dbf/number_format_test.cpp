// Number and date fields against the C library routines the engine used to
// write and read them with: the fixed-point text of "%.*f", atof, strtol and
// "%04ld%02ld%02ld".  Those routines are kept here as the reference; the
// engine's own must give the same bytes and the same values, over a million
// random values, widths and decimals, the ties of rounding and the edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "dbf/field.h"

namespace {

using namespace qx::dbf;

// The engine's former number writer.
std::string reference_format(unsigned width, unsigned decimals, double value) {
  if (width == 0) return "";
  unsigned places = std::min({decimals, 15u, width - 1});
  if (!std::isfinite(value)) return std::string(width, '*');
  char text[400];
  int n = std::snprintf(text, sizeof text, "%.*f", static_cast<int>(places), value);
  const char* digits = text;
  if (text[0] == '-' && std::strspn(text + 1, "0.") == std::strlen(text + 1)) {
    ++digits;
    --n;
  }
  if (n < 0 || static_cast<unsigned>(n) > width) return std::string(width, '*');
  return std::string(width - static_cast<unsigned>(n), ' ') + digits;
}

// The engine's former readers.
double reference_double(const char* text, int length) {
  char buf[50];
  size_t n = text && length > 0 ? strnlen(text, std::min(length, 49)) : 0;
  std::memcpy(buf, text ? text : "", n);
  buf[n] = 0;
  return std::atof(buf);
}

long reference_long(const char* text, int length) {
  char buf[128];
  size_t n = text && length > 0 ? strnlen(text, std::min(length, 127)) : 0;
  std::memcpy(buf, text ? text : "", n);
  buf[n] = 0;
  return std::strtol(buf, nullptr, 10);
}

std::string formatted(unsigned width, unsigned decimals, double value) {
  std::string out(width, '?');
  format_number(out.data(), width, decimals, value);
  return out;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class Numbers {
 public:
  explicit Numbers(unsigned seed) : rng_(seed) {}

  // Values of every kind the conversion meets: any bit pattern, plain
  // numbers of every size, halves of the last place (the ties of rounding),
  // values just below a power of ten (where rounding adds a digit) and tiny
  // negatives that round to zero.
  double value() {
    switch (pick(6)) {
      case 0: {
        uint64_t bits = rng_();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
      }
      case 1:
        return sign() * uniform_(rng_) * std::pow(10.0, static_cast<int>(pick(22)) - 6);
      case 2:
        return sign() * (static_cast<double>(pick(2000000)) + 0.5) / std::pow(10.0, pick(7));
      case 3:
        return sign() * (std::pow(10.0, pick(12)) - 0.5 / std::pow(10.0, pick(5)));
      case 4:
        return -uniform_(rng_) * 0.5 / std::pow(10.0, pick(6));
      default:
        return sign() * static_cast<double>(pick(100000000)) / 100.0;
    }
  }
  unsigned width() { return pick(10) == 0 ? 1 + pick(255) : 1 + pick(30); }
  unsigned decimals() { return pick(22); }
  unsigned pick(unsigned n) { return static_cast<unsigned>(rng_() % n); }

 private:
  double sign() { return pick(2) ? -1.0 : 1.0; }
  std::mt19937_64 rng_;
  std::uniform_real_distribution<double> uniform_{0.0, 1.0};
};

TEST(NumberFormat, AMillionRandomValuesMatchTheFixedPointConversion) {
  Numbers numbers(20240611);
  int mismatches = 0;
  for (int i = 0; i < 1000000 && mismatches < 10; ++i) {
    double v = numbers.value();
    unsigned w = numbers.width(), d = numbers.decimals();
    std::string want = reference_format(w, d, v), got = formatted(w, d, v);
    if (got != want) {
      ++mismatches;
      ADD_FAILURE() << "value " << v << " width " << w << " decimals " << d << ": got '" << got
                    << "', want '" << want << "'";
    }
  }
}

TEST(NumberFormat, EdgesOfRoundingSignsAndWidth) {
  const double values[] = {0.0,       -0.0,      0.5,       1.5,       2.5,     0.125,
                           0.375,     1.005,     1.015,     9.995,     99.995,  -0.004,
                           -0.005,    -0.0051,   -3.14159,  123456.7,  1e15,    1e21,
                           1e22,      -1e22,     1e23,      9.999999999999999e21,
                           DBL_MAX,   -DBL_MAX,  DBL_MIN,   -DBL_MIN,  4.9e-324, HUGE_VAL,
                           -HUGE_VAL, NAN,       -NAN,      99999999.0, -9999999.0};
  for (double v : values)
    for (unsigned w = 1; w <= 40; ++w)
      for (unsigned d = 0; d <= 17; ++d)
        ASSERT_EQ(formatted(w, d, v), reference_format(w, d, v))
            << "value " << v << " width " << w << " decimals " << d;
  EXPECT_EQ(formatted(8, 2, -3.14159), "   -3.14");
  EXPECT_EQ(formatted(8, 2, 123456.7), "********");
  EXPECT_EQ(formatted(5, 2, -0.001), " 0.00");  // no sign on a value that rounds to zero
  EXPECT_EQ(formatted(6, 2, 9.995), "  9.99");  // the double lies just below the tie
  EXPECT_EQ(formatted(255, 2, DBL_MAX).size(), 255u);
}

// Texts as fields hold them, as people type them and as damage leaves them.
std::string random_text(Numbers& n) {
  static const char kAlphabet[] = " \t+-.0123456789eExXpPiInNaAfFtTyY(),\v";
  std::string s;
  if (n.pick(3) == 0) {  // a written number with some blanks or junk around it
    s = formatted(n.width(), n.decimals(), n.value());
    if (n.pick(4) == 0)
      s.insert(n.pick(static_cast<unsigned>(s.size()) + 1), 1, kAlphabet[n.pick(sizeof kAlphabet - 1)]);
    return s;
  }
  static const char* const kWords[] = {"inf", "infinity", "nan", "nan(12)", "0x1p3", "0x.8", "1e400",
                                       "1e-400", "2.2250738585072011e-308", "1e", "e5", "-.e1",
                                       "+-1", "-+1", "000000000000000000000000000000012.5"};
  if (n.pick(4) == 0) {
    s = std::string(n.pick(3), ' ') + (n.pick(2) ? "-" : "") + kWords[n.pick(15)];
    return s;
  }
  size_t length = n.pick(60);
  for (size_t i = 0; i < length; ++i) s += kAlphabet[n.pick(sizeof kAlphabet - 1)];
  return s;
}

TEST(NumberParse, AMillionTextsReadAsAtofAndStrtolReadThem) {
  Numbers numbers(77);
  int mismatches = 0;
  for (int i = 0; i < 1000000 && mismatches < 10; ++i) {
    std::string s = random_text(numbers);
    if (numbers.pick(20) == 0 && !s.empty()) s[numbers.pick(static_cast<unsigned>(s.size()))] = 0;
    int length = static_cast<int>(numbers.pick(static_cast<unsigned>(s.size()) + 4));
    double want = reference_double(s.c_str(), length), got = textToDouble(s.c_str(), length);
    long want_long = reference_long(s.c_str(), length), got_long = textToLong(s.c_str(), length);
    if (!same_bits(got, want) || got_long != want_long) {
      ++mismatches;
      ADD_FAILURE() << "'" << s << "' length " << length << ": " << got << " / " << got_long
                    << ", want " << want << " / " << want_long;
    }
  }
}

TEST(NumberParse, IntegersSaturateAndStopWhereStrtolStops) {
  const char* const texts[] = {"9223372036854775807",  "9223372036854775808",
                               "-9223372036854775808", "-9223372036854775809",
                               "99999999999999999999999", "  -0012abc", "\t+7",
                               "+-5", "- 5", "", "   "};
  for (const char* s : texts) {
    int length = static_cast<int>(std::strlen(s));
    EXPECT_EQ(textToLong(s, length), reference_long(s, length)) << s;
    EXPECT_EQ(textToInt(s, length), static_cast<int>(std::clamp<long>(
                                        reference_long(s, length), INT32_MIN, INT32_MAX)))
        << s;
  }
  EXPECT_EQ(textToLong(nullptr, 5), 0);
  EXPECT_TRUE(same_bits(textToDouble("-0", 2), -0.0));
}

std::string reference_date(long day) {
  if (day <= 0 || day > 5373484) return "        ";
  long a = day + 32044, b = (4 * a + 3) / 146097, c = a - 146097 * b / 4;
  long d = (4 * c + 3) / 1461, e = c - 1461 * d / 4, m = (5 * e + 2) / 153;
  long yy = 100 * b + d - 4800 + m / 10;
  if (yy < 0) return "        ";
  char text[40];
  std::snprintf(text, sizeof text, "%04ld%02ld%02ld", yy, m + 3 - 12 * (m / 10),
                e - (153 * m + 2) / 5 + 1);
  return text;
}

TEST(DateFormat, DaysWrittenAsPrintfWroteThemAndReadBack) {
  std::vector<long> days = {-5, 0, 1, 1721426, 2451545, 5373484, 5373485, 9999999};
  for (long d = 1; d < 2000; ++d) days.push_back(d);
  for (long d = 5371000; d <= 5373490; ++d) days.push_back(d);
  Numbers numbers(5);
  for (int i = 0; i < 1000000; ++i) days.push_back(1 + numbers.pick(5373484));
  for (long day : days) {
    char out[9] = {};
    day_to_date(day, out);
    ASSERT_EQ(std::string(out), reference_date(day)) << day;
    if (out[0] != ' ' && std::strncmp(out, "0000", 4) != 0) {
      ASSERT_EQ(date_to_day(out), day) << out;
    }
  }
}

}  // namespace
