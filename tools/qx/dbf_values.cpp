// The value checks of the subcommands that write records.
#include "dbf_values.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dbf_command.h"
#include "port/wstr.h"

namespace qxtool {

using namespace qx::dbf;

namespace {

bool skip_sign(const std::string& s, size_t* i) {
  if (*i < s.size() && (s[*i] == '+' || s[*i] == '-')) return ++*i, true;
  return false;
}

// A decimal number: sign, digits with at most one point, an exponent.  What
// else strtod takes (hexadecimal such as 0x1A, "inf", "nan", leading
// blanks) is refused.
bool is_number(const std::string& s) {
  size_t i = 0;
  skip_sign(s, &i);
  size_t digits = skip_digits(s, &i);
  if (i < s.size() && s[i] == '.') {
    ++i;
    digits += skip_digits(s, &i);
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    skip_sign(s, &i);
    if (skip_digits(s, &i) == 0) return false;
  }
  return i == s.size();
}

bool leap_year(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// CCYYMMDD naming a day of the calendar (the engine's conversions would
// roll 20230231 over into March).
bool is_real_date(const std::string& s) {
  size_t i = 0;
  if (s.size() != 8 || skip_digits(s, &i) != 8) return false;
  int y = std::stoi(s.substr(0, 4)), m = std::stoi(s.substr(4, 2)), d = std::stoi(s.substr(6, 2));
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1 || m < 1 || m > 12 || d < 1) return false;
  return d <= kDays[m - 1] + (m == 2 && leap_year(y) ? 1 : 0);
}

// Text the table can hold: the table's code page is ISO-8859-1, and 0x1A
// marks the end of the data.
bool fits_code_page(const std::string& utf8, std::string* why) {
  if (utf8.find('\x1a') != std::string::npos)
    return *why = "holds the byte 0x1A, which marks the end of a table", false;
  for (char16_t c : qx::port::from_utf8(utf8))
    if (c > 0xFF)
      return *why = "has characters the table's code page (ISO-8859-1) cannot hold", false;
  return true;
}

}  // namespace

size_t skip_digits(const std::string& s, size_t* i) {
  size_t from = *i;
  while (*i < s.size() && std::isdigit(static_cast<unsigned char>(s[*i]))) ++*i;
  return *i - from;
}

bool store_value(Field* f, const std::string& value, std::string* why) {
  if (!fits_code_page(value, why)) return false;
  std::string text = to_table(value);
  switch (fldStoredType(f)) {
    case 'N':
    case 'F':
      if (value.empty()) return fldAssign(f, "") == 0;
      if (!is_number(value)) return *why = "not a number", false;
      fldAssignDouble(f, std::strtod(value.c_str(), nullptr));
      if (field_text(f).find('*') != std::string::npos) return *why = "does not fit", false;
      return true;
    case 'D':
      if (!value.empty() && (!is_real_date(value) || date_to_day(value.c_str()) == 0))
        return *why = "not a date CCYYMMDD", false;
      return fldAssign(f, text.c_str()) == 0;
    case 'L':
      if (value.size() > 1 || (value.size() == 1 && !std::strchr("TtFfYyNn?", value[0])))
        return *why = "not a logical (T, F, Y, N, ?)", false;
      return fldAssignChar(f, value.empty() ? ' ' : std::toupper(value[0])) == 0;
    case 'M':
    case 'G':
    case 'B':
      return fldAssignMemo(f, text) == 0;
    default:
      if (text.size() > static_cast<size_t>(fldWidth(f))) return *why = "longer than the field", false;
      return fldAssign(f, text.c_str()) == 0;
  }
}


}  // namespace qxtool
