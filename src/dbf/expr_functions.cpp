// The expression language's one table of operators, constants and
// functions, and the routine that evaluates each of its rows.
//
// Every routine takes its arguments from the top of the value stack and
// leaves its result in the place of the first one.  Routines that build text
// write into the work area region of their instruction; routines that only
// cut text (SUBSTR, LEFT, TRIM, LTRIM, IIF) point into their argument.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string_view>

#include "core/coding.h"
#include "dbf/expr_internal.h"
#include "dbf/field.h"
#include "dbf/table_internal.h"
#include "port/winfile.h"

namespace qx::dbf {

namespace {

// --- Helpers -------------------------------------------------------------

char* region(Evaluation& ev, const Instr& in) { return ev.work + in.offset; }

// Takes the top value off the stack and gives the new top (the first
// argument of a binary routine, where its result goes).
Value& pop_onto(Evaluation& ev) {
  --ev.sp;
  return ev.sp[-1];
}

Value& push(Evaluation& ev) { return *ev.sp++; }

const char* field_bytes(const Field* f) { return f->table->record.data() + f->offset; }

bool logical_true(char c) { return c == 'T' || c == 't' || c == 'Y' || c == 'y'; }

// A computed date as a day number: out of any calendar (or not a number)
// it is a blank date.
long day_number(double day) { return day >= 1 && day <= 1e8 ? static_cast<long>(day) : 0; }

// Year, month and day of a day number; all 0 for a blank date.
void split_date(double day, int* year, int* month, int* dd) {
  char text[8];
  day_to_date(day_number(day), text);
  if (text[0] == ' ') {
    *year = *month = *dd = 0;
    return;
  }
  auto digits = [&text](int at, int n) {
    int v = 0;
    for (int i = at; i < at + n; ++i) v = v * 10 + (text[i] - '0');
    return v;
  };
  *year = digits(0, 4);
  *month = digits(4, 2);
  *dd = digits(6, 2);
}

// The day number of a CCYYMMDD text; 0 for a blank or impossible date (the
// 30th of February does not roll over into March).
long checked_day(const char* text) {
  long day = date_to_day(text);
  char back[8];
  day_to_date(day, back);
  return std::memcmp(back, text, 8) == 0 ? day : 0;
}

long day_of(int year, int month, int day) {
  if (year < 0 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return 0;
  char text[8];
  int values[3] = {year, month, day};
  int widths[3] = {4, 2, 2};
  char* p = text;
  for (int i = 0; i < 3; ++i) {
    for (int k = widths[i] - 1; k >= 0; --k) {
      p[k] = static_cast<char>('0' + values[i] % 10);
      values[i] /= 10;
    }
    p += widths[i];
  }
  return checked_day(text);
}

// The digits a run of one picture letter stands for (C century, Y year, M
// month, D day), or -1 for a character that stands for itself.
int picture_value(char letter, int run, bool has_century, int year, int month, int day) {
  switch (letter) {
    case 'C': return year / 100;
    case 'Y': return has_century || run < 4 ? year % 100 : year;
    case 'M': return month;
    case 'D': return day;
    default: return -1;
  }
}

bool is_picture_letter(char c) { return c == 'C' || c == 'Y' || c == 'M' || c == 'D'; }

// --- Operands --------------------------------------------------------------

void load_text_field(Evaluation& ev, const Instr& in) {
  Value& v = push(ev);
  v.text = field_bytes(in.field);
  v.length = in.length;
}

void load_number_field(Evaluation& ev, const Instr& in) {
  const Field* f = in.field;
  double value;
  if (f->type == 'B') {
    // The double of a later table's binary numeric field, little-endian.
    uint64_t bits = coding::get64le(reinterpret_cast<const unsigned char*>(field_bytes(f)));
    std::memcpy(&value, &bits, sizeof value);
  } else {
    value = fldDouble(in.field);
  }
  push(ev).number = value;
}

void load_date_field(Evaluation& ev, const Instr& in) {
  push(ev).number = static_cast<double>(date_to_day(field_bytes(in.field)));
}

void load_logical_field(Evaluation& ev, const Instr& in) {
  push(ev).number = logical_true(field_bytes(in.field)[0]) ? 1 : 0;
}

void load_text(Evaluation& ev, const Instr& in) {
  Value& v = push(ev);
  v.text = ev.constants + in.offset;
  v.length = in.length;
}

void load_number(Evaluation& ev, const Instr& in) { push(ev).number = in.number; }
void load_true(Evaluation& ev, const Instr&) { push(ev).number = 1; }
void load_false(Evaluation& ev, const Instr&) { push(ev).number = 0; }

// --- Arithmetic --------------------------------------------------------------

void power(Evaluation& ev, const Instr&) {
  Value& a = pop_onto(ev);
  a.number = std::pow(a.number, ev.sp->number);
}

void multiply(Evaluation& ev, const Instr&) {
  Value& a = pop_onto(ev);
  a.number *= ev.sp->number;
}

// Division by zero gives 0, so that every record of a table has a key.
void divide(Evaluation& ev, const Instr&) {
  Value& a = pop_onto(ev);
  a.number = ev.sp->number == 0 ? 0 : a.number / ev.sp->number;
}

void add_numbers(Evaluation& ev, const Instr&) {
  Value& a = pop_onto(ev);
  a.number += ev.sp->number;
}

void subtract_numbers(Evaluation& ev, const Instr&) {
  Value& a = pop_onto(ev);
  a.number -= ev.sp->number;
}

void join(Evaluation& ev, const Instr& in) {
  Value& a = pop_onto(ev);
  const Value& b = *ev.sp;
  char* out = region(ev, in);
  std::memmove(out, a.text, static_cast<size_t>(a.length));
  std::memmove(out + a.length, b.text, static_cast<size_t>(b.length));
  a.length += b.length;
  a.text = out;
}

// Text minus text: joined, with the left text's trailing blanks moved to the
// end.
void join_trimmed(Evaluation& ev, const Instr& in) {
  Value& a = pop_onto(ev);
  const Value& b = *ev.sp;
  int kept = a.length;
  while (kept > 0 && a.text[kept - 1] == ' ') --kept;
  char* out = region(ev, in);
  std::memmove(out, a.text, static_cast<size_t>(kept));
  std::memmove(out + kept, b.text, static_cast<size_t>(b.length));
  std::memset(out + kept + b.length, ' ', static_cast<size_t>(a.length - kept));
  a.length += b.length;
  a.text = out;
}

// --- Comparisons -------------------------------------------------------------

template <typename Test>
void compare_texts(Evaluation& ev, Test test) {
  Value& a = pop_onto(ev);
  const Value& b = *ev.sp;
  a.number = test(compare_text(a.text, a.length, b.text, b.length)) ? 1 : 0;
}

template <typename Test>
void compare_numbers(Evaluation& ev, Test test) {
  Value& a = pop_onto(ev);
  a.number = test(a.number, ev.sp->number) ? 1 : 0;
}

void text_equal(Evaluation& ev, const Instr&) { compare_texts(ev, [](int c) { return c == 0; }); }
void text_not_equal(Evaluation& ev, const Instr&) { compare_texts(ev, [](int c) { return c != 0; }); }
void text_greater_equal(Evaluation& ev, const Instr&) { compare_texts(ev, [](int c) { return c >= 0; }); }
void text_less_equal(Evaluation& ev, const Instr&) { compare_texts(ev, [](int c) { return c <= 0; }); }
void text_greater(Evaluation& ev, const Instr&) { compare_texts(ev, [](int c) { return c > 0; }); }
void text_less(Evaluation& ev, const Instr&) { compare_texts(ev, [](int c) { return c < 0; }); }

void number_equal(Evaluation& ev, const Instr&) { compare_numbers(ev, [](double a, double b) { return a == b; }); }
void number_not_equal(Evaluation& ev, const Instr&) { compare_numbers(ev, [](double a, double b) { return a != b; }); }
void number_greater_equal(Evaluation& ev, const Instr&) { compare_numbers(ev, [](double a, double b) { return a >= b; }); }
void number_less_equal(Evaluation& ev, const Instr&) { compare_numbers(ev, [](double a, double b) { return a <= b; }); }
void number_greater(Evaluation& ev, const Instr&) { compare_numbers(ev, [](double a, double b) { return a > b; }); }
void number_less(Evaluation& ev, const Instr&) { compare_numbers(ev, [](double a, double b) { return a < b; }); }

// Left text contained in right text; an empty text is contained nowhere.
void contained(Evaluation& ev, const Instr&) {
  Value& a = pop_onto(ev);
  const Value& b = *ev.sp;
  std::string_view needle(a.text, static_cast<size_t>(a.length));
  std::string_view hay(b.text, static_cast<size_t>(b.length));
  a.number = !needle.empty() && hay.find(needle) != std::string_view::npos ? 1 : 0;
}

// --- Logic ---------------------------------------------------------------------

void logical_not(Evaluation& ev, const Instr&) { ev.sp[-1].number = ev.sp[-1].number != 0 ? 0 : 1; }

void logical_and(Evaluation& ev, const Instr&) {
  Value& a = pop_onto(ev);
  a.number = a.number != 0 && ev.sp->number != 0 ? 1 : 0;
}

void logical_or(Evaluation& ev, const Instr&) {
  Value& a = pop_onto(ev);
  a.number = a.number != 0 || ev.sp->number != 0 ? 1 : 0;
}

// --- Functions -----------------------------------------------------------------

void chr(Evaluation& ev, const Instr& in) {
  Value& a = ev.sp[-1];
  char* out = region(ev, in);
  double code = std::isfinite(a.number) ? std::fmod(std::trunc(a.number), 256.0) : 0;
  out[0] = static_cast<char>(static_cast<unsigned char>(static_cast<int>(code < 0 ? code + 256 : code)));
  a.text = out;
  a.length = 1;
}

void deletion_flag(Evaluation& ev, const Instr&) {
  Value& v = push(ev);
  v.text = ev.expr->table->record.data();
  v.length = 1;
}

// STR(n [, width [, decimals]]): width and decimals are constants folded
// into the instruction (10 and 0 when not given).
void str(Evaluation& ev, const Instr& in) {
  Value& a = ev.sp[-1];
  char* out = region(ev, in);
  format_number(out, static_cast<unsigned>(in.p1), static_cast<unsigned>(in.p2), a.number);
  a.text = out;
  a.length = in.p1;
}

// SUBSTR(text, start, length) and LEFT(text, length): start (from 1) and
// length are folded into the instruction; the result points into the text.
void substr(Evaluation& ev, const Instr& in) {
  Value& a = ev.sp[-1];
  int from = in.p1 - 1;
  int available = std::max(0, a.length - from);
  a.text += std::min(from, a.length);
  a.length = std::min(in.length, available);
}

void time_of_day(Evaluation& ev, const Instr& in) {
  std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  char* out = region(ev, in);
  int parts[3] = {local ? local->tm_hour : 0, local ? local->tm_min : 0, local ? local->tm_sec : 0};
  for (int i = 0; i < 3; ++i) {
    out[i * 3] = static_cast<char>('0' + parts[i] / 10 % 10);
    out[i * 3 + 1] = static_cast<char>('0' + parts[i] % 10);
    if (i < 2) out[i * 3 + 2] = ':';
  }
  Value& v = push(ev);
  v.text = out;
  v.length = 8;
}

void upper(Evaluation& ev, const Instr& in) {
  Value& a = ev.sp[-1];
  char* out = region(ev, in);
  for (int i = 0; i < a.length; ++i) {
    char c = a.text[i];
    out[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  a.text = out;
}

void dtos(Evaluation& ev, const Instr& in) {
  Value& a = ev.sp[-1];
  char* out = region(ev, in);
  day_to_date(day_number(a.number), out);
  a.text = out;
  a.length = 8;
}

// DTOC(date): the date in the picture taken when the expression was parsed
// (kept in the constant pool at the instruction's offset, p1 characters).
// A blank date keeps the picture's other characters and blanks the digits.
void dtoc(Evaluation& ev, const Instr& in) {
  Value& a = ev.sp[-1];
  const char* picture = ev.constants + in.p2;
  int n = in.p1;
  int year, month, day;
  split_date(a.number, &year, &month, &day);
  bool blank = year == 0;
  bool has_century = std::memchr(picture, 'C', static_cast<size_t>(n)) != nullptr;
  char* out = region(ev, in);
  for (int i = 0; i < n;) {
    char letter = picture[i];
    int run = 1;
    while (i + run < n && picture[i + run] == letter) ++run;
    int value = picture_value(letter, run, has_century, year, month, day);
    for (int k = run - 1; k >= 0; --k) {
      if (value < 0) out[i + k] = letter;
      else if (blank) out[i + k] = ' ';
      else {
        out[i + k] = static_cast<char>('0' + value % 10);
        value /= 10;
      }
    }
    i += run;
  }
  a.text = out;
  a.length = n;
}

// CTOD(text): reads the date by the picture of DTOC; two-digit years
// without a century in the picture are taken in the 1900s.
void ctod(Evaluation& ev, const Instr& in) {
  Value& a = ev.sp[-1];
  const char* picture = ev.constants + in.p2;
  int n = in.p1;
  int parts[4] = {-1, -1, -1, -1};  // century, year, month, day
  int year_digits = 0;
  bool bad = false;
  for (int i = 0; i < n && !bad;) {
    char letter = picture[i];
    int run = 1;
    while (i + run < n && picture[i + run] == letter) ++run;
    if (is_picture_letter(letter)) {
      int value = 0;
      bool any = false;
      for (int k = i; k < i + run; ++k) {
        char c = k < a.length ? a.text[k] : ' ';
        if (c >= '0' && c <= '9') {
          if (value < 1000000) value = value * 10 + (c - '0');
          any = true;
        } else if (c != ' ') {
          bad = true;
        }
      }
      if (!any) bad = true;
      int slot = letter == 'C' ? 0 : letter == 'Y' ? 1 : letter == 'M' ? 2 : 3;
      parts[slot] = value;
      if (letter == 'Y') year_digits = run;
    }
    i += run;
  }
  double day = 0;
  if (!bad && parts[1] >= 0 && parts[2] >= 0 && parts[3] >= 0) {
    int year = parts[1];
    if (parts[0] >= 0) year += parts[0] * 100;
    else if (year_digits < 4) year += 1900;
    day = static_cast<double>(day_of(year, parts[2], parts[3]));
  }
  a.number = day;
}

void trim(Evaluation& ev, const Instr&) {
  Value& a = ev.sp[-1];
  while (a.length > 0 && a.text[a.length - 1] == ' ') --a.length;
}

void ltrim(Evaluation& ev, const Instr&) {
  Value& a = ev.sp[-1];
  while (a.length > 0 && a.text[0] == ' ') {
    ++a.text;
    --a.length;
  }
}

void iif(Evaluation& ev, const Instr&) {
  ev.sp -= 2;
  Value& condition = ev.sp[-1];
  condition = condition.number != 0 ? ev.sp[0] : ev.sp[1];
}

void stod(Evaluation& ev, const Instr&) {
  Value& a = ev.sp[-1];
  a.number = a.length >= 8 ? static_cast<double>(checked_day(a.text)) : 0;
}

void today(Evaluation& ev, const Instr&) {
  port::LocalDate d = port::local_date();
  push(ev).number = static_cast<double>(day_of(d.year, d.month, d.day));
}

void day_part(Evaluation& ev, const Instr&) {
  int y, m, d;
  split_date(ev.sp[-1].number, &y, &m, &d);
  ev.sp[-1].number = d;
}

void month_part(Evaluation& ev, const Instr&) {
  int y, m, d;
  split_date(ev.sp[-1].number, &y, &m, &d);
  ev.sp[-1].number = m;
}

void year_part(Evaluation& ev, const Instr&) {
  int y, m, d;
  split_date(ev.sp[-1].number, &y, &m, &d);
  ev.sp[-1].number = y;
}

void deleted(Evaluation& ev, const Instr&) {
  push(ev).number = ev.expr->table->record[0] != ' ' ? 1 : 0;
}

void record_count(Evaluation& ev, const Instr&) {
  push(ev).number = static_cast<double>(dbfRecordCount(ev.expr->table));
}

void record_number(Evaluation& ev, const Instr&) {
  push(ev).number = static_cast<double>(dbfRecordNumber(ev.expr->table));
}

void val(Evaluation& ev, const Instr&) {
  Value& a = ev.sp[-1];
  a.number = textToDouble(a.text, a.length);
}

// No report is being printed: the page number is 0.
void page_number(Evaluation& ev, const Instr&) { push(ev).number = 0; }

// --- The table -------------------------------------------------------------

constexpr ValueType C = ValueType::kText;
constexpr ValueType N = ValueType::kNumber;
constexpr ValueType D = ValueType::kDate;
constexpr ValueType L = ValueType::kLogical;
constexpr ValueType K = ValueType::kNumberConstant;  // a number known when parsing
constexpr ValueType X = ValueType::kNone;

constexpr uint8_t length_of(const char* s) {
  uint8_t n = 0;
  while (s[n]) ++n;
  return n;
}

constexpr OpRow row(EvalFn eval, const char* name, OpId id, int priority, ValueType result,
                    int params, ValueType p0 = X, ValueType p1 = X, ValueType p2 = X,
                    uint8_t depends = 0) {
  return OpRow{eval, name, id, length_of(name), static_cast<uint8_t>(priority), result,
               static_cast<int8_t>(params), {p0, p1, p2}, depends};
}

}  // namespace

const OpRow kOpTable[] = {
    // Operands: fields are chosen by their type, not by name.
    row(load_text_field, "", OpId::kField, 0, C, 0, X, X, X, kOnRecord),
    row(load_number_field, "", OpId::kField, 0, N, 0, X, X, X, kOnRecord),
    row(load_date_field, "", OpId::kField, 0, D, 0, X, X, X, kOnRecord),
    row(load_logical_field, "", OpId::kField, 0, L, 0, X, X, X, kOnRecord),
    row(load_text, "", OpId::kTextConstant, 0, C, 0),
    row(load_number, "", OpId::kNumberConstant, 0, N, 0),
    row(load_true, ".TRUE.", OpId::kTrue, 0, L, 0),
    row(load_true, ".T.", OpId::kTrue, 0, L, 0),
    row(load_false, ".FALSE.", OpId::kFalse, 0, L, 0),
    row(load_false, ".F.", OpId::kFalse, 0, L, 0),

    // Operators, highest priority first.
    row(power, "^", OpId::kPower, 9, N, 2, N, N),
    row(power, "**", OpId::kPower, 9, N, 2, N, N),
    row(multiply, "*", OpId::kMultiply, 8, N, 2, N, N),
    row(divide, "/", OpId::kDivide, 8, N, 2, N, N),
    row(join, "+", OpId::kAdd, 7, C, 2, C, C),
    row(add_numbers, "", OpId::kAdd, 7, N, 2, N, N),
    row(add_numbers, "", OpId::kAdd, 7, D, 2, N, D),
    row(add_numbers, "", OpId::kAdd, 7, D, 2, D, N),
    row(join_trimmed, "-", OpId::kSubtract, 7, C, 2, C, C),
    row(subtract_numbers, "", OpId::kSubtract, 7, N, 2, N, N),
    row(subtract_numbers, "", OpId::kSubtract, 7, N, 2, D, D),
    row(subtract_numbers, "", OpId::kSubtract, 7, D, 2, D, N),
    row(text_equal, "=", OpId::kEqual, 6, L, 2, C, C),
    row(number_equal, "", OpId::kEqual, 6, L, 2, L, L),
    row(number_equal, "", OpId::kEqual, 6, L, 2, N, N),
    row(number_equal, "", OpId::kEqual, 6, L, 2, D, D),
    row(text_not_equal, "#", OpId::kNotEqual, 6, L, 2, C, C),
    row(number_not_equal, "", OpId::kNotEqual, 6, L, 2, N, N),
    row(number_not_equal, "", OpId::kNotEqual, 6, L, 2, D, D),
    row(number_not_equal, "", OpId::kNotEqual, 6, L, 2, L, L),
    row(text_not_equal, "<>", OpId::kNotEqual, 6, L, 2, C, C),
    row(number_not_equal, "", OpId::kNotEqual, 6, L, 2, N, N),
    row(number_not_equal, "", OpId::kNotEqual, 6, L, 2, D, D),
    row(number_not_equal, "", OpId::kNotEqual, 6, L, 2, L, L),
    row(text_greater_equal, ">=", OpId::kGreaterEqual, 6, L, 2, C, C),
    row(number_greater_equal, "", OpId::kGreaterEqual, 6, L, 2, N, N),
    row(number_greater_equal, "", OpId::kGreaterEqual, 6, L, 2, D, D),
    row(text_less_equal, "<=", OpId::kLessEqual, 6, L, 2, C, C),
    row(number_less_equal, "", OpId::kLessEqual, 6, L, 2, N, N),
    row(number_less_equal, "", OpId::kLessEqual, 6, L, 2, D, D),
    row(text_greater, ">", OpId::kGreater, 6, L, 2, C, C),
    row(number_greater, "", OpId::kGreater, 6, L, 2, N, N),
    row(number_greater, "", OpId::kGreater, 6, L, 2, D, D),
    row(text_less, "<", OpId::kLess, 6, L, 2, C, C),
    row(number_less, "", OpId::kLess, 6, L, 2, N, N),
    row(number_less, "", OpId::kLess, 6, L, 2, D, D),
    row(contained, "$", OpId::kContained, 6, L, 2, C, C),
    row(logical_not, ".NOT.", OpId::kNot, 5, L, 1, L),
    row(logical_and, ".AND.", OpId::kAnd, 4, L, 2, L, L),
    row(logical_or, ".OR.", OpId::kOr, 3, L, 2, L, L),

    // Functions.
    row(chr, "CHR", OpId::kChr, 0, C, 1, N),
    row(deletion_flag, "DEL", OpId::kDel, 0, C, 0, X, X, X, kOnRecord),
    row(str, "STR", OpId::kStr, 0, C, 1, N),
    row(str, "", OpId::kStr, 0, C, 2, N, K),
    row(str, "", OpId::kStr, 0, C, 3, N, K, K),
    row(substr, "SUBSTR", OpId::kSubstr, 0, C, 3, C, K, K),
    row(time_of_day, "TIME", OpId::kTime, 0, C, 0, X, X, X, kOnClock),
    row(upper, "UPPER", OpId::kUpper, 0, C, 1, C),
    row(dtos, "DTOS", OpId::kDtos, 0, C, 1, D),
    row(dtoc, "DTOC", OpId::kDtoc, 0, C, 1, D),
    row(trim, "TRIM", OpId::kTrim, 0, C, 1, C),
    row(ltrim, "LTRIM", OpId::kLtrim, 0, C, 1, C),
    row(substr, "LEFT", OpId::kLeft, 0, C, 2, C, K),
    row(iif, "IIF", OpId::kIif, 0, C, 3, L, C, C),
    row(iif, "", OpId::kIif, 0, N, 3, L, N, N),
    row(iif, "", OpId::kIif, 0, D, 3, L, D, D),
    row(iif, "", OpId::kIif, 0, L, 3, L, L, L),
    row(stod, "STOD", OpId::kStod, 0, D, 1, C),
    row(ctod, "CTOD", OpId::kCtod, 0, D, 1, C),
    row(today, "DATE", OpId::kDate, 0, D, 0, X, X, X, kOnClock),
    row(day_part, "DAY", OpId::kDay, 0, N, 1, D),
    row(month_part, "MONTH", OpId::kMonth, 0, N, 1, D),
    row(year_part, "YEAR", OpId::kYear, 0, N, 1, D),
    row(deleted, "DELETED", OpId::kDeleted, 0, L, 0, X, X, X, kOnRecord),
    row(record_count, "RECCOUNT", OpId::kRecCount, 0, N, 0, X, X, X, kOnRecord),
    row(record_number, "RECNO", OpId::kRecNo, 0, N, 0, X, X, X, kOnRecord),
    row(val, "VAL", OpId::kVal, 0, N, 1, C),
    row(page_number, "PAGENO", OpId::kPageNo, 0, N, 0),
    row(nullptr, "", OpId::kField, 0, X, 0),
};

int compare_text(const char* a, int a_length, const char* b, int b_length) {
  int common = std::min(a_length, b_length);
  if (common > 0) {
    int c = std::memcmp(a, b, static_cast<size_t>(common));
    if (c != 0) return c;
  }
  for (int i = common; i < b_length; ++i) {
    auto rb = static_cast<unsigned char>(b[i]);
    if (rb != ' ') return ' ' < rb ? -1 : 1;
  }
  return 0;
}

char type_letter(ValueType type) {
  switch (type) {
    case ValueType::kText: return 'C';
    case ValueType::kNumber: return 'N';
    case ValueType::kDate: return 'D';
    case ValueType::kLogical: return 'L';
    default: return 0;
  }
}

}  // namespace qx::dbf
