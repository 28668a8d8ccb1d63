// UTF-16 text helpers: the wide C runtime functions the library was written
// against (wcslen, _wcsicmp, _wcsupr, wcstok, _wtof, swprintf, ...), provided
// once for char16_t.  Case folding and blank tests follow the single-byte C
// locale; narrow text is ISO-8859-1.
#ifndef QX_PORT_WSTR_H
#define QX_PORT_WSTR_H

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "qx/types.h"

namespace qx::port {

using wstring = std::u16string;
using wstring_view = std::u16string_view;

// --- length, copy, compare -------------------------------------------------
size_t wlen(const qx_wchar* s);                       // null gives 0
qx_wchar* wcpy(qx_wchar* dst, const qx_wchar* src);   // unbounded, as wcscpy
qx_wchar* wcat(qx_wchar* dst, const qx_wchar* src);   // unbounded, as wcscat
// Copies at most cap-1 units and always terminates (cap counts the
// terminator).  A null source gives an empty string.  Returns dst.
qx_wchar* wcopy(qx_wchar* dst, size_t cap, const qx_wchar* src);
qx_wchar* wcopy(qx_wchar* dst, size_t cap, wstring_view src);
// Appends within the same bound.
qx_wchar* wappend(qx_wchar* dst, size_t cap, const qx_wchar* src);

int wcmp(const qx_wchar* a, const qx_wchar* b);
int wncmp(const qx_wchar* a, const qx_wchar* b, size_t n);
int wicmp(const qx_wchar* a, const qx_wchar* b);            // _wcsicmp
int wnicmp(const qx_wchar* a, const qx_wchar* b, size_t n); // _wcsnicmp

// --- searching -------------------------------------------------------------
const qx_wchar* wchr(const qx_wchar* s, qx_wchar c);   // terminator found too
const qx_wchar* wrchr(const qx_wchar* s, qx_wchar c);
const qx_wchar* wstr(const qx_wchar* s, const qx_wchar* sub);
size_t wspn(const qx_wchar* s, const qx_wchar* set);
size_t wcspn(const qx_wchar* s, const qx_wchar* set);
// wcstok with an explicit context pointer (the reentrant form).
qx_wchar* wtok(qx_wchar* s, const qx_wchar* delims, qx_wchar** context);

// --- character classes and case (C locale) -----------------------------------
bool wisspace(qx_wchar c);   // ' ', \t, \n, \v, \f, \r
bool wisdigit(qx_wchar c);
bool wisalpha(qx_wchar c);
bool wisalnum(qx_wchar c);
bool wisupper(qx_wchar c);
bool wislower(qx_wchar c);
qx_wchar wtoupper(qx_wchar c);
qx_wchar wtolower(qx_wchar c);
qx_wchar* wupr(qx_wchar* s);  // in place, returns s; null-safe
qx_wchar* wlwr(qx_wchar* s);

// --- numbers ---------------------------------------------------------------
double wtof(const qx_wchar* s);          // _wtof: leading blanks, C-locale strtod
int wtoi(const qx_wchar* s);             // _wtoi
long wtol(const qx_wchar* s);            // _wtol (32-bit semantics are the caller's)
double wcstod(const qx_wchar* s, const qx_wchar** end);
long wcstol(const qx_wchar* s, const qx_wchar** end, int base);

// --- conversions -----------------------------------------------------------
wstring widen(std::string_view latin1);          // byte -> U+0000..U+00FF
std::string narrow(const qx_wchar* s);           // > U+00FF becomes '?'
std::string narrow(wstring_view s);
std::string to_utf8(const qx_wchar* s);
std::string to_utf8(wstring_view s);
wstring from_utf8(std::string_view utf8);        // invalid bytes taken as Latin-1
wstring wstring_of(const qx_wchar* s);           // null gives ""

// --- formatting --------------------------------------------------------------
// Wide printf in the Windows wide-function dialect: %s, %ls and %S take a wide
// string, %hs a narrow (Latin-1) string, %c/%lc a wide character, %hc a narrow
// one; numeric conversions are rendered by the narrow C formatter so they come
// out exactly as the C runtime writes them.  %n is not supported.
wstring wvformat(const qx_wchar* fmt, va_list ap);
wstring wformat(const qx_wchar* fmt, ...);
// swprintf into a buffer of cap units (terminator included); longer output is
// cut.  Returns the number of units stored (without the terminator).
int wvsnprintf(qx_wchar* buf, size_t cap, const qx_wchar* fmt, va_list ap);
int wsnprintf(qx_wchar* buf, size_t cap, const qx_wchar* fmt, ...);
// wprintf / fwprintf: UTF-8 on the stream; returns units formatted.
int wfprintf(std::FILE* f, const qx_wchar* fmt, ...);
int wvfprintf(std::FILE* f, const qx_wchar* fmt, va_list ap);

}  // namespace qx::port

#endif  // QX_PORT_WSTR_H
