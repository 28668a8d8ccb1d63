// Field values: every value is text of the field's width in the current
// record buffer.
#include "dbf/field.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/coding.h"
#include "dbf/error.h"
#include "dbf/table_internal.h"
#include "qx/dbf.h"

namespace qx::dbf {

namespace {

char* value_of(Field* f) { return &f->table->record[f->offset]; }

bool stores_refused(const Field* f) { return !f || !f->table || in_error(f->table->engine); }

void mark_changed(Field* f) { f->table->record_changed = true; }

bool all_digits(const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (p[i] < '0' || p[i] > '9') return false;
  return true;
}

int digits_value(const char* p, size_t n) {
  int v = 0;
  for (size_t i = 0; i < n; ++i) v = v * 10 + (p[i] - '0');
  return v;
}

// "00" to "99", so that digits go out two at a time.
constexpr char kDigitPairs[] =
    "0001020304050607080910111213141516171819202122232425262728293031323334353637383940414243444546"
    "4748495051525354555657585960616263646566676869707172737475767778798081828384858687888990919293"
    "949596979899";

// `value` (0 or more, fewer than `n` digits, `n` even) in exactly `n` digits.
void put_digits(char* out, long value, int n) {
  auto v = static_cast<unsigned>(value);
  for (int i = n - 2; i >= 0; i -= 2, v /= 100) std::memcpy(out + i, kDigitPairs + 2 * (v % 100), 2);
}

// The blanks of the C locale, which atof and strtol skip.
bool is_c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// 10^0 to 10^22, the powers of ten that a double holds exactly.
constexpr unsigned kMaxPower = 22;
constexpr double kPowersOfTen[kMaxPower + 1] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

}  // namespace

void normalise_field(char type, int width, int decimals, unsigned* outWidth,
                    unsigned* outDecimals) {
  unsigned w = width > 0 ? static_cast<unsigned>(width) : 0;
  unsigned d = decimals > 0 ? static_cast<unsigned>(decimals) : 0;
  switch (type) {
    case 'C': *outWidth = w; *outDecimals = 0; return;
    // Width and decimals of a number each take one descriptor byte.
    case 'N': case 'F': *outWidth = std::min(w, 255u); *outDecimals = std::min(d, 255u); return;
    case 'D': *outWidth = 8; *outDecimals = 0; return;
    case 'L': *outWidth = 1; *outDecimals = 0; return;
    case 'M': case 'G': case 'B': *outWidth = 10; *outDecimals = 0; return;
    default: *outWidth = 0; *outDecimals = 0; return;
  }
}

const char* fldName(const Field* f) { return f ? f->name : ""; }
int fldType(const Field* f) { return !f ? 0 : f->type == 'F' ? 'N' : f->type; }
int fldStoredType(const Field* f) { return f ? f->type : 0; }
bool fldIsMemo(const Field* f) { return f && f->memo >= 0; }
int fldWidth(const Field* f) { return f ? static_cast<int>(f->width) : 0; }
int fldDecimals(const Field* f) { return f ? static_cast<int>(f->decimals) : 0; }

char* fldString(Field* f) {
  if (!f || !f->table) return nullptr;
  std::string& buffer = f->table->engine->field_buffer;
  buffer.assign(value_of(f), f->width);
  return buffer.data();
}

int fldCopy(Field* f, char* buffer, int size) {
  if (!f || !buffer || size <= 0) return 0;
  size_t n = std::min<size_t>(f->width, static_cast<size_t>(size - 1));
  std::memcpy(buffer, value_of(f), n);
  buffer[n] = 0;
  return static_cast<int>(n);
}

namespace {

// Binary integers (I, 4 bytes) and currency (Y, 8 bytes in ten-thousandths)
// of later tables, little-endian.
bool binary_number(const Field* f, double* value) {
  const auto* p = reinterpret_cast<const unsigned char*>(&f->table->record[f->offset]);
  if (f->type == 'I' && f->width == 4) {
    *value = static_cast<int32_t>(coding::get32le(p));
    return true;
  }
  if (f->type == 'Y' && f->width == 8) {
    *value = static_cast<double>(static_cast<int64_t>(coding::get64le(p))) / 10000.0;
    return true;
  }
  return false;
}

}  // namespace

double fldDouble(Field* f) {
  if (!f || !f->table) return 0.0;
  if (f->type == 'D') return static_cast<double>(date_to_day(value_of(f)));
  double binary;
  if (binary_number(f, &binary)) return binary;
  return textToDouble(value_of(f), static_cast<int>(f->width));
}

int fldInt(Field* f) {
  if (!f || !f->table || in_error(f->table->engine)) return -1;
  double binary;
  if (binary_number(f, &binary))
    return static_cast<int>(std::clamp(binary, double{INT32_MIN}, double{INT32_MAX}));
  return textToInt(value_of(f), static_cast<int>(f->width));
}

int fldAssignN(Field* f, const char* text, size_t length) {
  if (stores_refused(f)) return -1;
  char* dst = value_of(f);
  size_t n = text ? std::min<size_t>(length, f->width) : 0;
  if (n) std::memcpy(dst, text, n);
  std::memset(dst + n, ' ', f->width - n);
  mark_changed(f);
  return 0;
}

int fldAssign(Field* f, const char* text) {
  return fldAssignN(f, text, text ? std::strlen(text) : 0);
}

int fldAssignChar(Field* f, int character) {
  if (stores_refused(f)) return -1;
  char* dst = value_of(f);
  std::memset(dst, ' ', f->width);
  if (f->width) dst[0] = static_cast<char>(character);
  mark_changed(f);
  return 0;
}

namespace {

__extension__ typedef unsigned __int128 Wide;

// |value| x 10^places rounded to a whole number, to nearest with ties to
// even, computed exactly from the double's binary form (mantissa x 2^e):
// the rounding of the C library's "%.*f".  False when the result needs more
// than 64 bits.
bool scaled_exactly(double value, unsigned places, uint64_t* scaled) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  unsigned biased = static_cast<unsigned>(bits >> 52) & 0x7FF;
  uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
  int exponent = biased ? static_cast<int>(biased) - 1075 : -1074;
  if (biased) mantissa |= uint64_t{1} << 52;
  Wide n = static_cast<Wide>(mantissa) * static_cast<uint64_t>(kPowersOfTen[places]);  // < 2^103
  if (exponent >= 0) {
    if (exponent > 24) return false;
    n <<= exponent;
  } else if (-exponent >= 110) {
    n = 0;  // less than half of one unit of the last place
  } else {
    int shift = -exponent;
    Wide whole = n >> shift;
    Wide rest = n - (whole << shift);
    Wide half = static_cast<Wide>(1) << (shift - 1);
    if (rest > half || (rest == half && (whole & 1))) ++whole;
    n = whole;
  }
  if (n >> 64) return false;
  *scaled = static_cast<uint64_t>(n);
  return true;
}

// The fixed-point text of a number scaled by 10^places, with a minus sign
// unless it is zero; at the end of `text`, its length returned.
size_t fixed_text(uint64_t scaled, unsigned places, bool negative, char* text, size_t size) {
  char* p = text + size;
  bool zero = scaled == 0;  // a value that rounds to zero shows no sign
  for (unsigned i = 0; i < places; ++i, scaled /= 10) *--p = static_cast<char>('0' + scaled % 10);
  if (places) *--p = '.';
  do {
    *--p = static_cast<char>('0' + scaled % 10);
    scaled /= 10;
  } while (scaled);
  if (negative && !zero) *--p = '-';
  return static_cast<size_t>(text + size - p);
}

}  // namespace

// The digits are the exact decimal value of the double rounded to the
// places, to nearest with ties to even, as the C library's "%.*f" writes
// them: worked out in integers when the scaled value fits 64 bits, else by
// std::to_chars in fixed notation.
void format_number(char* out, unsigned width, unsigned decimals, double value) {
  if (width == 0) return;
  unsigned places = std::min({decimals, 15u, width - 1});
  // A value with more integer digits than the width cannot fit (nor can
  // infinity or NaN): no need to write its hundreds of digits first.
  if (!std::isfinite(value) || (width <= kMaxPower && !(std::fabs(value) < kPowersOfTen[width]))) {
    std::memset(out, '*', width);
    return;
  }
  uint64_t scaled;
  if (scaled_exactly(value, places, &scaled)) {
    char text[48];
    size_t n = fixed_text(scaled, places, std::signbit(value), text, sizeof text);
    if (n > width) {
      std::memset(out, '*', width);
      return;
    }
    std::memset(out, ' ', width - n);
    std::memcpy(out + (width - n), text + sizeof text - n, n);
    return;
  }
  char text[400];  // the longest double in fixed notation with 15 places
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                                 static_cast<int>(places));
  const char* digits = text;
  size_t n = ec == std::errc() ? static_cast<size_t>(end - text) : sizeof text + 1;
  // A value that rounds to zero shows no sign.
  if (n <= sizeof text && text[0] == '-' &&
      std::all_of(text + 1, end, [](char c) { return c == '0' || c == '.'; })) {
    ++digits;
    --n;
  }
  if (n > width) {
    std::memset(out, '*', width);
    return;
  }
  std::memset(out, ' ', width - n);
  std::memcpy(out + (width - n), digits, n);
}

int fldAssignDouble(Field* f, double value) {
  if (stores_refused(f)) return -1;
  char* dst = value_of(f);
  if (f->type == 'D') {
    char date[8];
    day_to_date(static_cast<long>(value), date);
    std::memset(dst, ' ', f->width);
    std::memcpy(dst, date, std::min<size_t>(8, f->width));
  } else {
    format_number(dst, f->width, f->decimals, value);
  }
  mark_changed(f);
  return 0;
}

int fldAssignInt(Field* f, int value) {
  if (stores_refused(f)) return -1;
  if (f->decimals != 0) return fldAssignDouble(f, value);
  if (f->width) fixed_width(value_of(f), value, static_cast<int>(f->width));
  mark_changed(f);
  return 0;
}

// What the C library's atof makes of the first 49 characters (up to a zero
// byte), read with std::from_chars: blanks before the number, an optional
// sign, digits with a decimal point and an exponent.  The rarer forms that
// atof also takes (hexadecimal, infinity and NaN spelled out, a value out of
// range) go to the C library itself, so every text gives what it gave.
double textToDouble(const char* text, int length) {
  size_t n = text && length > 0 ? strnlen(text, std::min(length, 49)) : 0;
  const char* p = text;
  const char* end = p + n;
  while (p < end && is_c_space(*p)) ++p;
  const char* number = p;
  if (p < end && (*p == '+' || *p == '-')) ++p;
  bool plain = p < end && (*p == '.' || (*p >= '0' && *p <= '9')) &&
               !(*p == '0' && p + 1 < end && (p[1] == 'x' || p[1] == 'X'));
  if (plain) {
    // from_chars takes a minus sign but no plus.
    if (*number == '+') ++number;
    double value = 0;
    auto [stop, ec] = std::from_chars(number, end, value, std::chars_format::general);
    if (ec == std::errc()) return value;
    if (ec == std::errc::invalid_argument) return 0.0;  // a sign and a point, no digits
  } else if (p >= end || !std::strchr("iInN0", *p)) {
    return 0.0;
  }
  char buf[50];
  std::memcpy(buf, text, n);
  buf[n] = 0;
  return std::atof(buf);
}

// strtol's reading in base 10 of the first 127 characters (up to a zero
// byte): blanks, an optional sign, digits; out-of-range values saturate.
long textToLong(const char* text, int length) {
  size_t n = text && length > 0 ? strnlen(text, std::min(length, 127)) : 0;
  const char* p = text;
  const char* end = p + n;
  while (p < end && is_c_space(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  // The magnitude is gathered as unsigned, where LONG_MIN's still fits.
  constexpr unsigned long kMostPositive = static_cast<unsigned long>(LONG_MAX);
  unsigned long limit = negative ? kMostPositive + 1 : kMostPositive;
  unsigned long magnitude = 0;
  bool saturated = false;
  for (; p < end && *p >= '0' && *p <= '9'; ++p) {
    unsigned digit = static_cast<unsigned>(*p - '0');
    if (saturated || magnitude > (limit - digit) / 10) {
      saturated = true;
      continue;
    }
    magnitude = magnitude * 10 + digit;
  }
  if (saturated) return negative ? LONG_MIN : LONG_MAX;
  return negative ? static_cast<long>(0UL - magnitude) : static_cast<long>(magnitude);
}

int textToInt(const char* text, int length) {
  long v = textToLong(text, length);
  // Out-of-range values saturate, as the C runtime's conversion does.
  return static_cast<int>(std::clamp<long>(v, INT32_MIN, INT32_MAX));
}

long date_to_day(const char* p) {
  if (!all_digits(p, 8)) return 0;
  int y = digits_value(p, 4), m = digits_value(p + 4, 2), d = digits_value(p + 6, 2);
  if (m < 1 || m > 12 || d < 1 || d > 31) return 0;
  long a = (14 - m) / 12;
  long y2 = y + 4800 - a;
  long m2 = m + 12 * a - 3;
  return d + (153 * m2 + 2) / 5 + 365 * y2 + y2 / 4 - y2 / 100 + y2 / 400 - 32045;
}

void day_to_date(long day, char* out) {
  if (day <= 0 || day > 5373484) {  // up to 9999-12-31
    std::memset(out, ' ', 8);
    return;
  }
  // Gregorian calendar from the Julian day number; every step is positive
  // and small, so 32-bit unsigned arithmetic is exact (and quick).
  unsigned a = static_cast<unsigned>(day) + 32044;
  unsigned b = (4 * a + 3) / 146097;
  unsigned c = a - 146097 * b / 4;
  unsigned d = (4 * c + 3) / 1461;
  unsigned e = c - 1461 * d / 4;
  unsigned m = (5 * e + 2) / 153;
  long dd = static_cast<long>(e - (153 * m + 2) / 5 + 1);
  long mm = static_cast<long>(m + 3 - 12 * (m / 10));
  long yy = static_cast<long>(100 * b + d + m / 10) - 4800;
  if (yy < 0) {
    std::memset(out, ' ', 8);
    return;
  }
  put_digits(out, yy, 4);
  put_digits(out + 4, mm, 2);
  put_digits(out + 6, dd, 2);
}

}  // namespace qx::dbf

extern "C" {

double qx_c4atod(const char* text, int length) { return qx::dbf::textToDouble(text, length); }
int qx_c4atoi(const char* text, int length) { return qx::dbf::textToInt(text, length); }
long qx_c4atol(const char* text, int length) { return qx::dbf::textToLong(text, length); }

}  // extern "C"
