// Wide string toolkit: in-place editing, copying, comparison, wildcard
// matching, words, tokens, keywords and wrapping.  Nothing here is traced.
// Results that live in library buffers are bounded by those buffers: longer
// text is cut, never written past them.
#include "qx/str.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/owned_text.h"
#include "port/wstr.h"
#include "qx/memory.h"
#include "qx/strlist.h"

namespace {

using qx::port::wlen;
using qx::port::wstring;
using qx::port::wstring_view;

constexpr qx_wchar kBlank = u' ';

qx_wchar g_replace_buf[QX_STR_REPLACECHAR_BUF + 1];
qx_wchar g_keyword_buf[QX_STR_KEYWORD_BUF + 1];
qx_wchar g_token_buf[QX_STR_TOKEN_BUF + 1];
qx_wchar g_right_token_buf[QX_STR_TOKEN_BUF + 1];

wstring upper_copy(const qx_wchar* s) {
  wstring out = qx::port::wstring_of(s);
  for (auto& c : out) c = qx::port::wtoupper(c);
  return out;
}

void fill_blanks(qx_wchar* at, size_t count) { std::fill(at, at + count, kBlank); }

size_t width_of(int width) { return width < 0 ? 0 : static_cast<size_t>(width); }

// Removes every character for which `drop` holds; returns the string.
template <typename Pred>
qx_wchar* remove_if(qx_wchar* s, Pred drop) {
  qx_wchar* out = s;
  for (const qx_wchar* in = s; *in; ++in)
    if (!drop(*in)) *out++ = *in;
  *out = 0;
  return s;
}

// Index of `sub` in `s` from `from` on, or npos; case folded on request.
size_t find_text(wstring_view s, wstring_view sub, bool ignore_case, size_t from = 0) {
  if (!ignore_case) return s.find(sub, from);
  if (sub.size() > s.size()) return wstring_view::npos;
  for (size_t i = from; i + sub.size() <= s.size(); ++i) {
    size_t k = 0;
    while (k < sub.size() && qx::port::wtoupper(s[i + k]) == qx::port::wtoupper(sub[k])) ++k;
    if (k == sub.size()) return i;
  }
  return wstring_view::npos;
}

// Appends a line to the wrap result, creating the list with the first one.
void append_line(qx_StrList*& list, const wstring& line) {
  if (!list)
    list = qx_StrList_create(line.c_str(), nullptr);
  else
    qx_StrList_insEnd(list, line.c_str());
}

}  // namespace

extern "C" {

// --- in-place editing --------------------------------------------------------

qx_wchar* qx_Str_rlb(qx_wchar* s) {
  if (!s) return s;
  size_t skip = 0;
  while (s[skip] && qx::port::wisspace(s[skip])) ++skip;
  if (skip) std::memmove(s, s + skip, (wlen(s + skip) + 1) * sizeof(qx_wchar));
  return s;
}

qx_wchar* qx_Str_rtb(qx_wchar* s) {
  if (!s) return s;
  size_t n = wlen(s);
  while (n > 0 && qx::port::wisspace(s[n - 1])) --n;
  s[n] = 0;
  return s;
}

qx_wchar* qx_Str_delBlks(qx_wchar* s) { return qx_Str_rtb(qx_Str_rlb(s)); }

qx_wchar* qx_Str_pad(qx_wchar* s, int width) {
  if (!s) return s;
  size_t n = wlen(s), w = width_of(width);
  if (n < w) {
    fill_blanks(s + n, w - n);
    s[w] = 0;
  }
  return s;
}

qx_wchar* qx_Str_lj(qx_wchar* s, int width) {
  if (!s) return s;
  size_t w = width_of(width);
  if (wlen(s) >= w)
    s[w] = 0;
  else
    qx_Str_pad(s, width);
  return s;
}

qx_wchar* qx_Str_rj(qx_wchar* s, int width) {
  if (!s) return s;
  size_t n = wlen(s), w = width_of(width);
  if (n >= w) {
    s[w] = 0;
    return s;
  }
  std::memmove(s + (w - n), s, n * sizeof(qx_wchar));
  fill_blanks(s, w - n);
  s[w] = 0;
  return s;
}

qx_wchar* qx_Str_cj(qx_wchar* s, int width) {
  if (!s) return s;
  size_t n = wlen(s), w = width_of(width);
  if (n >= w) {
    s[w] = 0;
    return s;
  }
  size_t front = (w - n) / 2;
  std::memmove(s + front, s, n * sizeof(qx_wchar));
  fill_blanks(s, front);
  fill_blanks(s + front + n, w - n - front);
  s[w] = 0;
  return s;
}

qx_wchar* qx_Str_stripChar(qx_wchar* s, qx_wchar c) {
  if (!s) return s;
  return remove_if(s, [c](qx_wchar x) { return x == c; });
}

qx_wchar* qx_Str_strip(qx_wchar* s) { return qx_Str_stripChar(s, kBlank); }

qx_wchar* qx_Str_stripChars(qx_wchar* s, const qx_wchar* set, int leadingOnly) {
  if (!s || !set) return s;
  auto in_set = [set](qx_wchar c) { return qx::port::wchr(set, c) != nullptr; };
  if (!leadingOnly) return remove_if(s, in_set);
  size_t skip = 0;
  while (s[skip] && in_set(s[skip])) ++skip;
  if (skip) std::memmove(s, s + skip, (wlen(s + skip) + 1) * sizeof(qx_wchar));
  return s;
}

qx_wchar* qx_Str_toLower(qx_wchar* dst, const qx_wchar* src) {
  if (!dst) return dst;
  size_t i = 0;
  for (; src && src[i]; ++i) dst[i] = qx::port::wtolower(src[i]);
  dst[i] = 0;
  return dst;
}

qx_wchar* qx_Str_toUpper(qx_wchar* dst, const qx_wchar* src) {
  if (!dst) return dst;
  size_t i = 0;
  for (; src && src[i]; ++i) dst[i] = qx::port::wtoupper(src[i]);
  dst[i] = 0;
  return dst;
}

// --- copying -------------------------------------------------------------------

qx_wchar* qx_Str_cpy(qx_wchar* dst, const qx_wchar* src) {
  if (!src) {
    if (dst) dst[0] = 0;
    return nullptr;
  }
  if (!dst) return nullptr;
  return qx::port::wcpy(dst, src);
}

int qx_Str_ncpy(qx_wchar* dst, const qx_wchar* src, int n) {
  if (!dst) return 0;
  size_t limit = width_of(n), i = 0;
  if (src)
    for (; i < limit && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
  return src && n >= 0 && i == limit ? 1 : 0;
}

qx_wchar* qx_Str_dup(const qx_wchar* s) { return s ? qx::wdup(s) : nullptr; }

qx_wchar* qx_Str_dupW(const qx_wchar* s) { return qx_Str_dup(s); }

qx_wchar* qx_Str_cat(qx_wchar* dst, const qx_wchar* src) {
  if (!dst || !src) return nullptr;
  return qx::port::wcat(dst, src);
}

qx_wchar* qx_Str_substr(qx_wchar* dst, const qx_wchar* src, int start, int count) {
  if (!dst) return dst;
  dst[0] = 0;
  if (!src || count <= 0) return dst;
  size_t n = wlen(src), from = static_cast<size_t>(std::max(start, 1) - 1);
  if (from >= n) return dst;
  size_t take = std::min(n - from, static_cast<size_t>(count));
  std::memmove(dst, src + from, take * sizeof(qx_wchar));
  dst[take] = 0;
  return dst;
}

// --- comparison and search -----------------------------------------------------

int qx_Str_cmpi(const qx_wchar* a, const qx_wchar* b) {
  if (!a || !b) return a == b ? 0 : a ? 1 : -1;
  for (;; ++a, ++b) {
    qx_wchar x = qx::port::wtoupper(*a), y = qx::port::wtoupper(*b);
    if (x != y) return x < y ? -1 : 1;
    if (!x) return 0;
  }
}

int qx_Str_ncmpi(const qx_wchar* a, const qx_wchar* b, int n) {
  if (!a || !b) return a == b ? 0 : a ? 1 : -1;
  for (int i = 0; i < n; ++i) {
    qx_wchar x = qx::port::wtoupper(a[i]), y = qx::port::wtoupper(b[i]);
    if (x != y) return x < y ? -1 : 1;
    if (!x) return 0;
  }
  return 0;
}

int qx_Str_index(const qx_wchar* s, const qx_wchar* sub, int ignoreCase) {
  if (!s || !sub) return -1;
  size_t at = find_text(s, sub, ignoreCase != 0);
  return at == wstring_view::npos ? -1 : static_cast<int>(at);
}

// One pass over the pattern, never going back: a '*' takes the text up to
// and including the first occurrence of the pattern character after it.
int qx_Str_matchWildcard(const qx_wchar* text, const qx_wchar* pattern) {
  if (!text || !pattern) return 0;
  const qx_wchar* t = text;
  for (const qx_wchar* p = pattern; *p; ++p) {
    if (*p == u'*') {
      while (*p == u'*') ++p;
      if (!*p) return 1;  // a trailing '*' takes the rest
      const qx_wchar* hit = qx::port::wchr(t, *p);
      if (!hit) return 0;
      t = hit + 1;
    } else if (*p == u'?') {
      if (!*t) return 0;
      ++t;
    } else {
      if (*t != *p) return 0;
      ++t;
    }
  }
  return *t == 0 ? 1 : 0;
}

int qx_Str_matchWildcardi(const qx_wchar* text, const qx_wchar* pattern) {
  if (!text || !pattern) return 0;
  return qx_Str_matchWildcard(upper_copy(text).c_str(), upper_copy(pattern).c_str());
}

int qx_Str_isAffirmative(const qx_wchar* s) {
  if (!s) return 0;
  for (const qx_wchar* word : {u"1", u"TRUE", u"YES", u"ON"})
    if (qx_Str_cmpi(s, word) == 0) return 1;
  return 0;
}

int qx_Str_isNegative(const qx_wchar* s) {
  if (!s) return 0;
  for (const qx_wchar* word : {u"0", u"FALSE", u"NO", u"OFF"})
    if (qx_Str_cmpi(s, word) == 0) return 1;
  return 0;
}

// Compares part by part as numbers, in a's parts only: parts of b beyond
// a's count are never looked at.
int qx_Str_compareVersion(const qx_wchar* a, const qx_wchar* b) {
  if (!a && !b) return 0;
  if (!a) return -1;
  if (!b) return 1;
  if (qx_Str_cmpi(a, b) == 0) return 0;
  qx_StrList* parts_a = qx_StrList_fromDelimitedString(a, u".");
  qx_StrList* parts_b = qx_StrList_fromDelimitedString(b, u".");
  int result = 0;
  const qx_LnkListNode* node_b = parts_b ? parts_b->first : nullptr;
  for (const qx_LnkListNode* node_a = parts_a ? parts_a->first : nullptr; node_a && !result;
       node_a = node_a->next) {
    double x = qx::port::wtof(static_cast<qx_StrListNode*>(node_a->data)->str);
    double y = node_b ? qx::port::wtof(static_cast<qx_StrListNode*>(node_b->data)->str) : 0.0;
    if (x > y) result = 1;
    if (x < y) result = -1;
    if (node_b) node_b = node_b->next;
  }
  qx_StrList_destroy(parts_a);
  qx_StrList_destroy(parts_b);
  return result;
}

// --- words, tokens and keywords --------------------------------------------------

qx_wchar* qx_Str_nextSDLWord(qx_wchar* word, const qx_wchar* src, int* position) {
  if (!word) return word;
  word[0] = 0;
  if (!src || !position) return word;
  size_t n = wlen(src);
  if (*position < 0 || static_cast<size_t>(*position) > n) return word;
  size_t i = static_cast<size_t>(*position);
  while (src[i] == kBlank) ++i;
  size_t k = 0;
  while (src[i] && src[i] != kBlank) word[k++] = src[i++];
  word[k] = 0;
  *position = static_cast<int>(i);
  return word;
}

qx_wchar* qx_Str_nextCDLWord(qx_wchar* word, const qx_wchar* src, int* position) {
  if (!word) return word;
  word[0] = 0;
  if (!src || !position) return word;
  size_t n = wlen(src);
  if (*position < 0 || static_cast<size_t>(*position) > n) return word;
  size_t i = static_cast<size_t>(*position);
  if (src[i] == u';') ++i;
  size_t k = 0;
  while (src[i] && src[i] != u';') word[k++] = src[i++];
  word[k] = 0;
  *position = static_cast<int>(i);
  return word;
}

qx_wchar* qx_Str_getNthToken(const qx_wchar* text, const qx_wchar* delimiters, int n,
                             int* position) {
  if (position) *position = -1;
  if (!text || !delimiters || n < 0) return nullptr;
  if (wlen(text) > QX_STR_TOKEN_BUF) return nullptr;
  qx::port::wcopy(g_token_buf, QX_STR_TOKEN_BUF + 1, text);
  qx_wchar* context = nullptr;
  qx_wchar* token = qx::port::wtok(g_token_buf, delimiters, &context);
  for (int i = 0; token && i < n; ++i) token = qx::port::wtok(nullptr, delimiters, &context);
  if (token && position) *position = static_cast<int>(token - g_token_buf);
  return token;
}

// Tokenises the reversed text, so tokens count from the right, and turns
// the chosen token back round in place.
qx_wchar* qx_Str_getRightNthToken(const qx_wchar* text, const qx_wchar* delimiters, int n,
                                  int* position) {
  if (position) *position = -1;
  if (!text || !delimiters || n < 0) return nullptr;
  size_t len = wlen(text);
  if (len > QX_STR_TOKEN_BUF) return nullptr;
  std::reverse_copy(text, text + len, g_right_token_buf);
  g_right_token_buf[len] = 0;
  qx_wchar* context = nullptr;
  qx_wchar* token = qx::port::wtok(g_right_token_buf, delimiters, &context);
  for (int i = 0; token && i < n; ++i) token = qx::port::wtok(nullptr, delimiters, &context);
  if (!token) return nullptr;
  size_t token_len = wlen(token);
  std::reverse(token, token + token_len);
  if (position) *position = static_cast<int>(len - static_cast<size_t>(token - g_right_token_buf) - token_len);
  return token;
}

qx_wchar* qx_Str_locateKeyword(const qx_wchar* text, const qx_wchar* delimiter) {
  if (!text || !delimiter || !*delimiter) return nullptr;
  wstring_view s(text), d(delimiter);
  size_t open = s.find(d);
  if (open == wstring_view::npos) return nullptr;
  size_t from = open + d.size();
  size_t close = s.find(d, from);
  if (close == wstring_view::npos) return nullptr;
  size_t take = std::min<size_t>(close - from, QX_STR_KEYWORD_MAX);
  qx::port::wcopy(g_keyword_buf, QX_STR_KEYWORD_BUF + 1, s.substr(from, take));
  return g_keyword_buf;
}

qx_wchar* qx_Str_replaceKeyword(qx_wchar* text, const qx_wchar* keyword, const qx_wchar* delimiter,
                                const qx_wchar* replacement, int maxLength) {
  if (!text || !keyword || !delimiter || !replacement) return nullptr;
  wstring out(text);
  wstring framed = wstring(delimiter) + keyword + delimiter;
  size_t at = out.find(framed);
  if (at != wstring::npos) out.replace(at, framed.size(), replacement);
  // Cut to the maximum even when nothing was replaced.
  qx_Str_ncpy(text, out.c_str(), maxLength);
  return text;
}

qx_wchar* qx_Str_replaceKeywordDynamic(const qx_wchar* text, const qx_wchar* keyword,
                                       const qx_wchar* delimiter, const qx_wchar* replacement) {
  if (!text || !keyword || !delimiter || !replacement) return nullptr;
  wstring out(text);
  wstring framed = wstring(delimiter) + keyword + delimiter;
  size_t at = out.find(framed);
  if (at != wstring::npos) out.replace(at, framed.size(), replacement);
  return qx::wdup(out);
}

qx_wchar* qx_Str_replaceChar(const qx_wchar* text, const qx_wchar* oldText,
                             const qx_wchar* newText) {
  constexpr size_t kCap = QX_STR_REPLACECHAR_BUF;
  g_replace_buf[0] = 0;
  if (!text) return g_replace_buf;
  wstring_view s(text), from(oldText ? oldText : u""), to(newText ? newText : u"");
  size_t out = 0;
  for (size_t i = 0; i < s.size() && out < kCap;) {
    if (!from.empty() && s.compare(i, from.size(), from) == 0) {
      size_t take = std::min(to.size(), kCap - out);
      std::copy_n(to.data(), take, g_replace_buf + out);
      out += take;
      i += from.size();
    } else {
      g_replace_buf[out++] = s[i++];
    }
  }
  g_replace_buf[out] = 0;
  return g_replace_buf;
}

int qx_Str_findClosestWordBoundary(const qx_wchar* s, int width) {
  if (!s || width <= 0) return 0;
  size_t start = std::min(wlen(s), static_cast<size_t>(width));
  for (size_t k = start; k-- > 0;)
    if (s[k] == kBlank) return width - static_cast<int>(k);
  return 0;
}

// Lines end at the last blank within the width (the blank starts the rest,
// which then drops it) or are cut hard; the final rest is kept as it is.
qx_StrList* qx_Str_wrapText(const qx_wchar* text, int width) {
  if (!text) return nullptr;
  // A width below 1 would never shorten the rest.
  const size_t w = static_cast<size_t>(std::max(width, 1));
  wstring rest(text);
  qx_StrList* lines = nullptr;
  while (rest.size() > w) {
    if (rest[0] == kBlank) {
      rest.erase(0, 1);
      continue;
    }
    size_t length = w;
    if (rest[w] != kBlank) {
      int back = qx_Str_findClosestWordBoundary(rest.c_str(), static_cast<int>(w));
      if (back > 0) length = w - static_cast<size_t>(back);
    }
    append_line(lines, rest.substr(0, length));
    rest.erase(0, length);
  }
  append_line(lines, rest);
  return lines;
}

}  // extern "C"
