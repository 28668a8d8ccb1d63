// Base-36 numbers: text in the digits 0-9 and A-Z, values carried as
// doubles up to 36^9.  Not traced.
#include <cmath>

#include "port/wstr.h"
#include "qx/timer.h"

namespace {

constexpr char16_t kDigits[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int kMaxPower = 9;

qx_wchar g_text[QX_BASE36_MAX_DIGITS + 1];

double power36(int k) {
  double p = 1.0;
  while (k-- > 0) p *= 36.0;
  return p;
}

// A character's position in the alphabet; -1 for any other character, as
// the library always counted it.
int digit_value(qx_wchar c) {
  for (int i = 0; i < 36; ++i)
    if (kDigits[i] == c) return i;
  return -1;
}

}  // namespace

extern "C" {

// Digits from the top; a remainder equal to a power of 36 completes the
// text at once with a 1 and zeros (the digit count is chosen with v <= 36^n,
// so an exact power needs one digit more than n).
qx_wchar* qx_Base36_fromBase10(double value) {
  g_text[0] = 0;
  if (value > power36(kMaxPower)) return g_text;
  if (!(value >= 1.0)) {
    g_text[0] = u'0';
    g_text[1] = 0;
    return g_text;
  }
  int n = 1;
  while (n < kMaxPower && value > power36(n)) ++n;
  size_t out = 0;
  double rest = value;
  for (int k = n; k >= 1; --k) {
    int zeros = rest == power36(k) ? k : rest == power36(k - 1) ? k - 1 : -1;
    if (zeros >= 0) {
      g_text[out++] = u'1';
      while (zeros-- > 0) g_text[out++] = u'0';
      break;
    }
    double place = power36(k - 1);
    double digit = std::floor(rest / place);
    if (digit < 0) digit = 0;
    if (digit > 35) digit = 35;
    g_text[out++] = kDigits[static_cast<int>(digit)];
    rest -= digit * place;
  }
  g_text[out] = 0;
  return g_text;
}

double qx_Base36_toBase10(const qx_wchar* text) {
  double value = 0.0;
  for (const qx_wchar* c = text; c && *c; ++c) value = value * 36.0 + digit_value(*c);
  return value;
}

int qx_Base36_compare(const qx_wchar* a, const qx_wchar* b) {
  double x = qx_Base36_toBase10(a), y = qx_Base36_toBase10(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

int qx_Base36_increment(qx_wchar* text, int32_t amount) {
  if (!text) return 0;
  qx::port::wcpy(text, qx_Base36_fromBase10(qx_Base36_toBase10(text) + amount));
  return 1;
}

}  // extern "C"
