/* qx — wide string utilities.

   Strings are NUL-terminated UTF-16.  Functions that change a string work in
   place in the caller's buffer, which must have the room the result needs.
   "White space" is space, tab, line feed, vertical tab, form feed and
   carriage return; a "blank" is the space character alone.  Case folding is
   that of the single-byte C locale.

   Some results live in library buffers that the next call of the same
   function overwrites (sizes below, terminator not counted); new strings
   come from qx_Malloc and are released with qx_Free. */
#ifndef QX_STR_H
#define QX_STR_H

#include "qx/lnklist.h"

QX_EXTERN_C_BEGIN

/* A string list is a linked list of owned strings (see qx/strlist.h). */
typedef struct qx_LnkList qx_StrList;

#define QX_STR_REPLACECHAR_BUF 511
#define QX_STR_KEYWORD_BUF 259
#define QX_STR_KEYWORD_MAX 256
#define QX_STR_TOKEN_BUF 512

/* In-place editing; each returns the string it was given. */
QX_API qx_wchar *qx_Str_rlb(qx_wchar *s);     /* leading white space removed */
QX_API qx_wchar *qx_Str_rtb(qx_wchar *s);     /* trailing white space removed */
QX_API qx_wchar *qx_Str_delBlks(qx_wchar *s); /* both */
QX_API qx_wchar *qx_Str_pad(qx_wchar *s, int width);
QX_API qx_wchar *qx_Str_lj(qx_wchar *s, int width);
QX_API qx_wchar *qx_Str_rj(qx_wchar *s, int width);
QX_API qx_wchar *qx_Str_cj(qx_wchar *s, int width);
QX_API qx_wchar *qx_Str_stripChar(qx_wchar *s, qx_wchar c);
QX_API qx_wchar *qx_Str_strip(qx_wchar *s);
QX_API qx_wchar *qx_Str_stripChars(qx_wchar *s, const qx_wchar *set, int leadingOnly);
QX_API qx_wchar *qx_Str_toLower(qx_wchar *dst, const qx_wchar *src);
QX_API qx_wchar *qx_Str_toUpper(qx_wchar *dst, const qx_wchar *src);

/* Copying. */
QX_API qx_wchar *qx_Str_cpy(qx_wchar *dst, const qx_wchar *src);
QX_API int qx_Str_ncpy(qx_wchar *dst, const qx_wchar *src, int n);
QX_API qx_wchar *qx_Str_dup(const qx_wchar *s);
QX_API qx_wchar *qx_Str_dupW(const qx_wchar *s);
QX_API qx_wchar *qx_Str_cat(qx_wchar *dst, const qx_wchar *src);
QX_API qx_wchar *qx_Str_substr(qx_wchar *dst, const qx_wchar *src, int start, int count);

/* Comparison and search. */
QX_API int qx_Str_cmpi(const qx_wchar *a, const qx_wchar *b);
QX_API int qx_Str_ncmpi(const qx_wchar *a, const qx_wchar *b, int n);
QX_API int qx_Str_index(const qx_wchar *s, const qx_wchar *sub, int ignoreCase);
QX_API int qx_Str_matchWildcard(const qx_wchar *text, const qx_wchar *pattern);
QX_API int qx_Str_matchWildcardi(const qx_wchar *text, const qx_wchar *pattern);
QX_API int qx_Str_isAffirmative(const qx_wchar *s);
QX_API int qx_Str_isNegative(const qx_wchar *s);
QX_API int qx_Str_compareVersion(const qx_wchar *a, const qx_wchar *b);

/* Words, tokens and keywords. */
QX_API qx_wchar *qx_Str_nextSDLWord(qx_wchar *word, const qx_wchar *src, int *position);
QX_API qx_wchar *qx_Str_nextCDLWord(qx_wchar *word, const qx_wchar *src, int *position);
QX_API qx_wchar *qx_Str_getNthToken(const qx_wchar *text, const qx_wchar *delimiters, int n,
                                   int *position);
QX_API qx_wchar *qx_Str_getRightNthToken(const qx_wchar *text, const qx_wchar *delimiters, int n,
                                        int *position);
QX_API qx_wchar *qx_Str_locateKeyword(const qx_wchar *text, const qx_wchar *delimiter);
QX_API qx_wchar *qx_Str_replaceKeyword(qx_wchar *text, const qx_wchar *keyword,
                                      const qx_wchar *delimiter, const qx_wchar *replacement,
                                      int maxLength);
QX_API qx_wchar *qx_Str_replaceKeywordDynamic(const qx_wchar *text, const qx_wchar *keyword,
                                             const qx_wchar *delimiter,
                                             const qx_wchar *replacement);
QX_API qx_wchar *qx_Str_replaceChar(const qx_wchar *text, const qx_wchar *oldText,
                                   const qx_wchar *newText);
QX_API qx_StrList *qx_Str_wrapText(const qx_wchar *text, int width);
QX_API int qx_Str_findClosestWordBoundary(const qx_wchar *s, int width);

QX_EXTERN_C_END

#endif /* QX_STR_H */
