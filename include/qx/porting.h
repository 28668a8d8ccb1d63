/* qx — what a program moving over from Windows called around the library.

   COM start-up.  The library reaches its application component (settings,
   translator, file service) through COM, as it did on Windows: the thread
   that calls the library must have called CoInitialize or CoInitializeEx
   first, or the file service answers 0 and qx.ini is never read.  The three
   functions keep their Windows names and signatures, so start-up code
   compiles unchanged; they count initialisations per thread.

   Text.  A wide string of the library is UTF-16: qx_wchar is char16_t, not
   wchar_t (which is 32 bits here).  Write literals with QX_T("...") (u"..."
   underneath) instead of L"...", and convert to and from the system's UTF-8
   text with the helpers below.  File names are UTF-8 on this system. */
#ifndef QX_PORTING_H
#define QX_PORTING_H

#include "qx/types.h"
#include "qx/memory.h"

#include <string.h>

QX_EXTERN_C_BEGIN

/* --- COM start-up ---------------------------------------------------------- */

#ifndef _HRESULT_DEFINED
#define _HRESULT_DEFINED
typedef int32_t HRESULT;
#endif
#ifndef SUCCEEDED
#define SUCCEEDED(hr) ((HRESULT)(hr) >= 0)
#endif
#ifndef FAILED
#define FAILED(hr) ((HRESULT)(hr) < 0)
#endif
#ifndef S_OK
#define S_OK ((HRESULT)0)
#endif
#ifndef S_FALSE
#define S_FALSE ((HRESULT)1)
#endif
#ifndef COINIT_APARTMENTTHREADED
#define COINIT_APARTMENTTHREADED 0x2
#endif
#ifndef COINIT_MULTITHREADED
#define COINIT_MULTITHREADED 0x0
#endif

/* Initialises COM on the calling thread.  Returns S_OK for the thread's first
   initialisation and S_FALSE for each further one; every call, either answer,
   is balanced by one CoUninitialize.  `reserved` must be NULL. */
QX_API HRESULT CoInitialize(void *reserved);
/* As CoInitialize; every concurrency model (COINIT_...) is accepted alike. */
QX_API HRESULT CoInitializeEx(void *reserved, uint32_t coinit);
/* Ends one initialisation of the calling thread; extra calls are ignored. */
QX_API void CoUninitialize(void);

/* --- UTF-16 literals and UTF-8 conversion ------------------------------------ */

/* A UTF-16 literal of type const qx_wchar[]: QX_T("pipe.dbf"). */
#define QX_T(literal) u##literal

/* The helpers below convert exactly as the library does inside: UTF-16 to
   UTF-8 keeps an unpaired surrogate as its own three-byte sequence; UTF-8 to
   UTF-16 takes a byte that starts no valid sequence as a Latin-1 character.
   A NULL source counts as the empty string. */

/* Writes the UTF-8 form of `src` to `dst` (room for `cap` bytes, terminator
   included), cut at a whole character when it does not fit, and always
   terminated when cap > 0.  Returns the bytes the whole text needs, not
   counting the terminator; a result >= cap means it was cut. */
static inline size_t qx_utf16_to_utf8(char *dst, size_t cap, const qx_wchar *src) {
  size_t need = 0, put = 0, i = 0;
  int cut = 0;
  if (!src) src = u"";
  for (; src[i]; ++i) {
    uint32_t c = src[i];
    unsigned char seq[4];
    size_t n, k;
    if (c >= 0xD800 && c <= 0xDBFF && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t)(src[i + 1] - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      seq[0] = (unsigned char)c;
      n = 1;
    } else if (c < 0x800) {
      seq[0] = (unsigned char)(0xC0 | (c >> 6));
      seq[1] = (unsigned char)(0x80 | (c & 0x3F));
      n = 2;
    } else if (c < 0x10000) {
      seq[0] = (unsigned char)(0xE0 | (c >> 12));
      seq[1] = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
      seq[2] = (unsigned char)(0x80 | (c & 0x3F));
      n = 3;
    } else {
      seq[0] = (unsigned char)(0xF0 | (c >> 18));
      seq[1] = (unsigned char)(0x80 | ((c >> 12) & 0x3F));
      seq[2] = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
      seq[3] = (unsigned char)(0x80 | (c & 0x3F));
      n = 4;
    }
    need += n;
    if (!cut && dst && put + n < cap) {
      for (k = 0; k < n; ++k) dst[put++] = (char)seq[k];
    } else {
      cut = 1;
    }
  }
  if (dst && cap > 0) dst[put] = '\0';
  return need;
}

/* Writes the UTF-16 form of the UTF-8 text `src` to `dst` (room for `cap`
   units, terminator included), cut at a whole character when it does not
   fit, and always terminated when cap > 0.  Returns the units the whole text
   needs, not counting the terminator; a result >= cap means it was cut. */
static inline size_t qx_utf8_to_utf16(qx_wchar *dst, size_t cap, const char *src) {
  size_t need = 0, put = 0, i = 0, len;
  int cut = 0;
  if (!src) src = "";
  len = strlen(src);
  while (i < len) {
    unsigned char c = (unsigned char)src[i];
    size_t n = c < 0x80 ? 1 : c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3
             : c >= 0xF0 && c < 0xF5 ? 4 : 0;
    uint32_t cp = n == 1 ? c : n == 2 ? (c & 0x1Fu) : n == 3 ? (c & 0x0Fu) : (c & 0x07u);
    int ok = n > 0 && i + n <= len;
    size_t k, units;
    qx_wchar out[2];
    for (k = 1; ok && k < n; ++k) {
      unsigned char cc = (unsigned char)src[i + k];
      ok = (cc & 0xC0) == 0x80;
      cp = (cp << 6) | (cc & 0x3Fu);
    }
    if (!ok) { /* a stray byte: taken as Latin-1 */
      cp = c;
      n = 1;
    }
    i += n;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out[0] = (qx_wchar)(0xD800 + (cp >> 10));
      out[1] = (qx_wchar)(0xDC00 + (cp & 0x3FF));
      units = 2;
    } else {
      out[0] = (qx_wchar)cp;
      units = 1;
    }
    need += units;
    if (!cut && dst && put + units < cap) {
      for (k = 0; k < units; ++k) dst[put++] = out[k];
    } else {
      cut = 1;
    }
  }
  if (dst && cap > 0) dst[put] = 0;
  return need;
}

/* A new UTF-8 copy of `src` from qx_Malloc; free it with qx_Free.  NULL when
   memory runs out. */
static inline char *qx_utf16_to_utf8_dup(const qx_wchar *src) {
  size_t need = qx_utf16_to_utf8(NULL, 0, src) + 1;
  char *out = (char *)qx_Malloc(need);
  if (out) qx_utf16_to_utf8(out, need, src);
  return out;
}

/* A new UTF-16 copy of the UTF-8 text `src` from qx_Malloc; free it with
   qx_Free.  NULL when memory runs out. */
static inline qx_wchar *qx_utf8_to_utf16_dup(const char *src) {
  size_t need = qx_utf8_to_utf16(NULL, 0, src) + 1;
  qx_wchar *out = (qx_wchar *)qx_Malloc(need * sizeof(qx_wchar));
  if (out) qx_utf8_to_utf16(out, need, src);
  return out;
}

QX_EXTERN_C_END

#endif /* QX_PORTING_H */
