// The value checks of the subcommands that write records.
#include "dbf_values.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dbf/field.h"
#include "port/wstr.h"
#include "qx/db.h"
#include "text.h"

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

// Whether the number fits a field of this width and decimals: the engine
// writes asterisks in its place when it does not.
bool fits_width(double number, int width, int decimals) {
  std::string text(static_cast<size_t>(width), ' ');
  format_number(text.data(), static_cast<unsigned>(width), static_cast<unsigned>(decimals), number);
  return text.find('*') == std::string::npos;
}

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

bool check_value(const qx_DbFldNode* field, const std::string& value, FieldValue* checked,
                 std::string* why) {
  if (!fits_code_page(value, why)) return false;
  *checked = FieldValue{};
  checked->text = wide(value);
  int width = field->width;
  switch (field->type) {
    case u'N':  // F comes as N
      if (value.empty()) return true;
      if (!is_number(value)) return *why = "not a number", false;
      checked->is_number = true;
      checked->number = std::strtod(value.c_str(), nullptr);
      if (!fits_width(checked->number, width, field->decimals)) return *why = "does not fit", false;
      return true;
    case u'D':
      if (!value.empty() && (!is_real_date(value) || date_to_day(value.c_str()) == 0))
        return *why = "not a date CCYYMMDD", false;
      return true;
    case u'L':
      if (value.size() > 1 || (value.size() == 1 && !std::strchr("TtFfYyNn?", value[0])))
        return *why = "not a logical (T, F, Y, N, ?)", false;
      checked->text = wide(value.empty() ? " " : std::string(1, static_cast<char>(std::toupper(value[0]))));
      return true;
    case u'M':
    case u'G':
    case u'B':
      return true;
    default:
      if (checked->text.size() > static_cast<size_t>(width)) return *why = "longer than the field", false;
      return true;
  }
}

void store_value(int id, const qx_DbFldNode* field, const FieldValue& value) {
  if (value.is_number) qx_Db_assignFldDouble(id, field->name, value.number);
  else qx_Db_assignFldStr(id, field->name, value.text.c_str());
}

}  // namespace qxtool
