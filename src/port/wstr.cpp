#include "port/wstr.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace qx::port {

size_t wlen(const qx_wchar* s) {
  if (!s) return 0;
  const qx_wchar* p = s;
  while (*p) ++p;
  return static_cast<size_t>(p - s);
}

qx_wchar* wcpy(qx_wchar* dst, const qx_wchar* src) {
  qx_wchar* d = dst;
  while ((*d++ = *src++)) {
  }
  return dst;
}

qx_wchar* wcat(qx_wchar* dst, const qx_wchar* src) {
  wcpy(dst + wlen(dst), src);
  return dst;
}

qx_wchar* wcopy(qx_wchar* dst, size_t cap, const qx_wchar* src) {
  if (!dst || cap == 0) return dst;
  size_t n = 0;
  if (src)
    for (; n + 1 < cap && src[n]; ++n) dst[n] = src[n];
  dst[n] = 0;
  return dst;
}

qx_wchar* wcopy(qx_wchar* dst, size_t cap, wstring_view src) {
  if (!dst || cap == 0) return dst;
  size_t n = src.size() < cap - 1 ? src.size() : cap - 1;
  for (size_t i = 0; i < n; ++i) dst[i] = src[i];
  dst[n] = 0;
  return dst;
}

qx_wchar* wappend(qx_wchar* dst, size_t cap, const qx_wchar* src) {
  if (!dst || cap == 0) return dst;
  size_t used = 0;
  while (used < cap && dst[used]) ++used;
  if (used >= cap) {  // not terminated within the bound: terminate it
    dst[cap - 1] = 0;
    return dst;
  }
  wcopy(dst + used, cap - used, src);
  return dst;
}

int wcmp(const qx_wchar* a, const qx_wchar* b) {
  while (*a && *a == *b) ++a, ++b;
  return static_cast<int>(*a) - static_cast<int>(*b);
}

int wncmp(const qx_wchar* a, const qx_wchar* b, size_t n) {
  for (; n; --n, ++a, ++b) {
    if (*a != *b) return static_cast<int>(*a) - static_cast<int>(*b);
    if (!*a) return 0;
  }
  return 0;
}

int wicmp(const qx_wchar* a, const qx_wchar* b) {
  for (;; ++a, ++b) {
    int ca = wtolower(*a), cb = wtolower(*b);
    if (ca != cb || !ca) return ca - cb;
  }
}

int wnicmp(const qx_wchar* a, const qx_wchar* b, size_t n) {
  for (; n; --n, ++a, ++b) {
    int ca = wtolower(*a), cb = wtolower(*b);
    if (ca != cb || !ca) return ca - cb;
  }
  return 0;
}

const qx_wchar* wchr(const qx_wchar* s, qx_wchar c) {
  for (;; ++s) {
    if (*s == c) return s;
    if (!*s) return nullptr;
  }
}

const qx_wchar* wrchr(const qx_wchar* s, qx_wchar c) {
  const qx_wchar* found = nullptr;
  for (;; ++s) {
    if (*s == c) found = s;
    if (!*s) return found;
  }
}

const qx_wchar* wstr(const qx_wchar* s, const qx_wchar* sub) {
  size_t n = wlen(sub);
  if (n == 0) return s;
  for (; *s; ++s)
    if (*s == *sub && wncmp(s, sub, n) == 0) return s;
  return nullptr;
}

static bool in_set(qx_wchar c, const qx_wchar* set) {
  for (; *set; ++set)
    if (*set == c) return true;
  return false;
}

size_t wspn(const qx_wchar* s, const qx_wchar* set) {
  size_t n = 0;
  while (s[n] && in_set(s[n], set)) ++n;
  return n;
}

size_t wcspn(const qx_wchar* s, const qx_wchar* set) {
  size_t n = 0;
  while (s[n] && !in_set(s[n], set)) ++n;
  return n;
}

qx_wchar* wtok(qx_wchar* s, const qx_wchar* delims, qx_wchar** context) {
  if (!s) s = *context;
  if (!s) return nullptr;
  s += wspn(s, delims);
  if (!*s) {
    *context = s;
    return nullptr;
  }
  qx_wchar* end = s + wcspn(s, delims);
  if (*end) {
    *end = 0;
    *context = end + 1;
  } else {
    *context = end;
  }
  return s;
}

bool wisspace(qx_wchar c) { return c == ' ' || (c >= 9 && c <= 13); }
bool wisdigit(qx_wchar c) { return c >= '0' && c <= '9'; }
bool wisupper(qx_wchar c) { return c >= 'A' && c <= 'Z'; }
bool wislower(qx_wchar c) { return c >= 'a' && c <= 'z'; }
bool wisalpha(qx_wchar c) { return wisupper(c) || wislower(c); }
bool wisalnum(qx_wchar c) { return wisalpha(c) || wisdigit(c); }
qx_wchar wtoupper(qx_wchar c) { return wislower(c) ? static_cast<qx_wchar>(c - 32) : c; }
qx_wchar wtolower(qx_wchar c) { return wisupper(c) ? static_cast<qx_wchar>(c + 32) : c; }

qx_wchar* wupr(qx_wchar* s) {
  if (s)
    for (qx_wchar* p = s; *p; ++p) *p = wtoupper(*p);
  return s;
}

qx_wchar* wlwr(qx_wchar* s) {
  if (s)
    for (qx_wchar* p = s; *p; ++p) *p = wtolower(*p);
  return s;
}

// Number parsing narrows the text (numbers are ASCII) and lets the C library
// do the conversion so the results match the runtime exactly.
static std::string number_prefix(const qx_wchar* s, size_t* consumed_map_len) {
  std::string out;
  size_t n = 0;
  for (; s && s[n]; ++n) {
    qx_wchar c = s[n];
    out.push_back(c < 128 ? static_cast<char>(c) : '\x7f');
  }
  *consumed_map_len = n;
  return out;
}

double wcstod(const qx_wchar* s, const qx_wchar** end) {
  size_t n;
  std::string t = number_prefix(s, &n);
  char* e = nullptr;
  double v = std::strtod(t.c_str(), &e);
  if (end) *end = s ? s + (e - t.c_str()) : s;
  return v;
}

long wcstol(const qx_wchar* s, const qx_wchar** end, int base) {
  size_t n;
  std::string t = number_prefix(s, &n);
  char* e = nullptr;
  long v = std::strtol(t.c_str(), &e, base);
  if (end) *end = s ? s + (e - t.c_str()) : s;
  return v;
}

double wtof(const qx_wchar* s) { return s ? wcstod(s, nullptr) : 0.0; }

long wtol(const qx_wchar* s) {
  if (!s) return 0;
  long v = wcstol(s, nullptr, 10);
  return v;
}

int wtoi(const qx_wchar* s) {
  long v = wtol(s);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

wstring widen(std::string_view latin1) {
  wstring out;
  out.reserve(latin1.size());
  for (unsigned char c : latin1) out.push_back(c);
  return out;
}

std::string narrow(wstring_view s) {
  std::string out;
  out.reserve(s.size());
  for (qx_wchar c : s) out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  return out;
}

std::string narrow(const qx_wchar* s) { return narrow(wstring_view(s ? s : u"")); }

std::string to_utf8(wstring_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::string to_utf8(const qx_wchar* s) { return to_utf8(wstring_view(s ? s : u"")); }

// Length of the UTF-8 sequence starting with byte c, or 0 for a byte that
// cannot start one.
static int utf8_length(unsigned char c) {
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c < 0xE0) return 2;
  if (c >= 0xE0 && c < 0xF0) return 3;
  if (c >= 0xF0 && c < 0xF5) return 4;
  return 0;
}

wstring from_utf8(std::string_view in) {
  wstring out;
  out.reserve(in.size());
  size_t i = 0;
  while (i < in.size()) {
    unsigned char c = in[i];
    int n = utf8_length(c);
    uint32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    bool ok = n > 0 && i + n <= in.size();
    for (int k = 1; ok && k < n; ++k) {
      unsigned char cc = in[i + k];
      ok = (cc & 0xC0) == 0x80;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) {  // a stray byte: take it as Latin-1
      out.push_back(c);
      ++i;
      continue;
    }
    i += n;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<qx_wchar>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<qx_wchar>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<qx_wchar>(cp));
    }
  }
  return out;
}

wstring wstring_of(const qx_wchar* s) { return s ? wstring(s) : wstring(); }

// --- formatting --------------------------------------------------------------

namespace {

struct Conversion {
  std::string flags;
  int width = -1;        // -1: none
  int precision = -1;    // -1: none
  std::string length;    // h, hh, l, ll, L, I64, z, j, t
  char conv = 0;
};

void pad_text(wstring& out, wstring_view text, const Conversion& sp) {
  size_t n = text.size();
  if (sp.precision >= 0 && static_cast<size_t>(sp.precision) < n) n = sp.precision;
  size_t width = sp.width > 0 ? static_cast<size_t>(sp.width) : 0;
  bool left = sp.flags.find('-') != std::string::npos;
  if (!left && width > n) out.append(width - n, u' ');
  out.append(text.substr(0, n));
  if (left && width > n) out.append(width - n, u' ');
}

std::string c_conversion(const Conversion& sp, const char* length) {
  std::string s = "%" + sp.flags;
  if (sp.width >= 0) s += std::to_string(sp.width);
  if (sp.precision >= 0) {  // in two steps: "." + text makes gcc 12 warn (-Wrestrict)
    s += '.';
    s += std::to_string(sp.precision);
  }
  s += length;
  s += sp.conv;
  return s;
}

template <typename T>
void append_number(wstring& out, const Conversion& sp, const char* length, T value) {
  std::string f = c_conversion(sp, length);
  char small[128];
  int n = std::snprintf(small, sizeof small, f.c_str(), value);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof small) {
    out += widen(std::string_view(small, n));
    return;
  }
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), f.c_str(), value);
  big.resize(n);
  out += widen(big);
}

}  // namespace

wstring wvformat(const qx_wchar* fmt, va_list ap_in) {
  wstring out;
  if (!fmt) return out;
  va_list ap;
  va_copy(ap, ap_in);
  for (const qx_wchar* p = fmt; *p;) {
    if (*p != '%') {
      out.push_back(*p++);
      continue;
    }
    const qx_wchar* start = p++;
    if (*p == '%') {
      out.push_back('%');
      ++p;
      continue;
    }
    Conversion sp;
    while (*p == '-' || *p == '+' || *p == ' ' || *p == '#' || *p == '0')
      sp.flags.push_back(static_cast<char>(*p++));
    if (*p == '*') {
      sp.width = va_arg(ap, int);
      if (sp.width < 0) {
        sp.flags.push_back('-');
        sp.width = -sp.width;
      }
      ++p;
    } else if (wisdigit(*p)) {
      sp.width = 0;
      while (wisdigit(*p)) sp.width = sp.width * 10 + (*p++ - '0');
    }
    if (*p == '.') {
      ++p;
      sp.precision = 0;
      if (*p == '*') {
        sp.precision = va_arg(ap, int);
        ++p;
      } else {
        while (wisdigit(*p)) sp.precision = sp.precision * 10 + (*p++ - '0');
      }
    }
    if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
      sp.length = "ll";
      p += 3;
    } else {
      while (*p == 'h' || *p == 'l' || *p == 'L' || *p == 'z' || *p == 'j' || *p == 't' ||
             *p == 'w')
        sp.length.push_back(static_cast<char>(*p++));
    }
    if (!*p) {  // dangling conversion: keep it as written
      out.append(start, p);
      break;
    }
    sp.conv = static_cast<char>(*p++);
    const std::string& L = sp.length;
    switch (sp.conv) {
      case 'd':
      case 'i':
        if (L == "ll") append_number(out, sp, "ll", va_arg(ap, long long));
        else if (L == "l") append_number(out, sp, "l", va_arg(ap, long));
        else if (L == "z") append_number(out, sp, "z", va_arg(ap, size_t));
        else if (L == "h") append_number(out, sp, "", static_cast<short>(va_arg(ap, int)));
        else append_number(out, sp, "", va_arg(ap, int));
        break;
      case 'u':
      case 'o':
      case 'x':
      case 'X':
        if (L == "ll") append_number(out, sp, "ll", va_arg(ap, unsigned long long));
        else if (L == "l") append_number(out, sp, "l", va_arg(ap, unsigned long));
        else if (L == "z") append_number(out, sp, "z", va_arg(ap, size_t));
        else if (L == "h")
          append_number(out, sp, "", static_cast<unsigned short>(va_arg(ap, unsigned)));
        else append_number(out, sp, "", va_arg(ap, unsigned));
        break;
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A':
        if (L == "L") append_number(out, sp, "L", va_arg(ap, long double));
        else append_number(out, sp, "", va_arg(ap, double));
        break;
      case 'p':
        append_number(out, sp, "", va_arg(ap, void*));
        break;
      case 'c':
      case 'C': {
        int c = va_arg(ap, int);
        qx_wchar ch = (L == "h") ? static_cast<qx_wchar>(static_cast<unsigned char>(c))
                                 : static_cast<qx_wchar>(c);
        Conversion text_conv = sp;
        text_conv.precision = -1;
        pad_text(out, wstring_view(&ch, 1), text_conv);
        break;
      }
      case 's':
      case 'S': {
        if (L == "h") {
          const char* s = va_arg(ap, const char*);
          pad_text(out, widen(s ? s : "(null)"), sp);
        } else {
          const qx_wchar* s = va_arg(ap, const qx_wchar*);
          pad_text(out, s ? wstring_view(s) : wstring_view(u"(null)"), sp);
        }
        break;
      }
      default:  // unknown conversion: copied as written
        out.append(start, p);
        break;
    }
  }
  va_end(ap);
  return out;
}

wstring wformat(const qx_wchar* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  wstring s = wvformat(fmt, ap);
  va_end(ap);
  return s;
}

int wvsnprintf(qx_wchar* buf, size_t cap, const qx_wchar* fmt, va_list ap) {
  wstring s = wvformat(fmt, ap);
  wcopy(buf, cap, s);
  if (cap == 0) return 0;
  return static_cast<int>(s.size() < cap - 1 ? s.size() : cap - 1);
}

int wsnprintf(qx_wchar* buf, size_t cap, const qx_wchar* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  int n = wvsnprintf(buf, cap, fmt, ap);
  va_end(ap);
  return n;
}

int wvfprintf(std::FILE* f, const qx_wchar* fmt, va_list ap) {
  wstring s = wvformat(fmt, ap);
  std::string u = to_utf8(s);
  if (std::fwrite(u.data(), 1, u.size(), f) != u.size()) return -1;
  return static_cast<int>(s.size());
}

int wfprintf(std::FILE* f, const qx_wchar* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  int n = wvfprintf(f, fmt, ap);
  va_end(ap);
  return n;
}

}  // namespace qx::port
