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

/* In-place editing in the caller's buffer; each returns the string it was
   given (null stays null).  Widths below 0 count as 0. */
QX_API qx_wchar *qx_Str_rlb(qx_wchar *s);     /* leading white space removed */
QX_API qx_wchar *qx_Str_rtb(qx_wchar *s);     /* trailing white space removed */
QX_API qx_wchar *qx_Str_delBlks(qx_wchar *s); /* both */
/* Blanks appended up to `width` characters (room for width+1 needed); a
   longer string is left alone. */
QX_API qx_wchar *qx_Str_pad(qx_wchar *s, int width);
/* Exactly `width` characters (room for width+1): cut, or padded on the
   right (lj), on the left (rj), or on both sides, the extra blank on the
   right (cj). */
QX_API qx_wchar *qx_Str_lj(qx_wchar *s, int width);
QX_API qx_wchar *qx_Str_rj(qx_wchar *s, int width);
QX_API qx_wchar *qx_Str_cj(qx_wchar *s, int width);
QX_API qx_wchar *qx_Str_stripChar(qx_wchar *s, qx_wchar c); /* every c removed */
QX_API qx_wchar *qx_Str_strip(qx_wchar *s);                 /* every blank removed */
/* Every character of `set` removed, or with leadingOnly only those in
   front; a null set changes nothing. */
QX_API qx_wchar *qx_Str_stripChars(qx_wchar *s, const qx_wchar *set, int leadingOnly);
/* Case-converted copy of src into dst (room for the whole string; dst may
   be src); a null src gives "".  Returns dst. */
QX_API qx_wchar *qx_Str_toLower(qx_wchar *dst, const qx_wchar *src);
QX_API qx_wchar *qx_Str_toUpper(qx_wchar *dst, const qx_wchar *src);

/* Copying. */
/* wcscpy: returns dst; a null src empties dst and returns null. */
QX_API qx_wchar *qx_Str_cpy(qx_wchar *dst, const qx_wchar *src);
/* At most n characters and always a terminator (room for n+1): 1 when
   exactly n were copied (src was cut or n long), 0 otherwise. */
QX_API int qx_Str_ncpy(qx_wchar *dst, const qx_wchar *src, int n);
/* A new copy from qx_Malloc (free with qx_Free); null for a null string or
   when memory runs out.  dupW is the same function. */
QX_API qx_wchar *qx_Str_dup(const qx_wchar *s);
QX_API qx_wchar *qx_Str_dupW(const qx_wchar *s);
/* wcscat: returns dst, or null (nothing done) when either is null. */
QX_API qx_wchar *qx_Str_cat(qx_wchar *dst, const qx_wchar *src);
/* `count` characters from 1-based position `start` (below 1 counts as 1)
   into dst (room for count+1); empty when start is past the end.  Returns
   dst; dst may overlap src. */
QX_API qx_wchar *qx_Str_substr(qx_wchar *dst, const qx_wchar *src, int start, int count);

/* Comparison and search. */
/* Negative, 0 or positive, ignoring case (C locale); null sorts first. */
QX_API int qx_Str_cmpi(const qx_wchar *a, const qx_wchar *b);
QX_API int qx_Str_ncmpi(const qx_wchar *a, const qx_wchar *b, int n); /* first n only */
/* 0-based index of the first `sub` in s, or -1 (also for a null argument). */
QX_API int qx_Str_index(const qx_wchar *s, const qx_wchar *sub, int ignoreCase);
/* 1 when the whole text matches ('*' any run, '?' one character), else 0.
   A '*' takes the text up to the first occurrence of the pattern character
   after it, never going back ("*b" does not match "abab" past its first b).
   matchWildcardi ignores case. */
QX_API int qx_Str_matchWildcard(const qx_wchar *text, const qx_wchar *pattern);
QX_API int qx_Str_matchWildcardi(const qx_wchar *text, const qx_wchar *pattern);
/* 1 for "1", "TRUE", "YES", "ON" (any case), else 0; isNegative likewise
   for "0", "FALSE", "NO", "OFF".  Blanks are not trimmed. */
QX_API int qx_Str_isAffirmative(const qx_wchar *s);
QX_API int qx_Str_isNegative(const qx_wchar *s);
/* Dotted versions compared part by part as numbers over a's parts (b's
   extra parts are not looked at): -1, 0 or 1; null is lowest. */
QX_API int qx_Str_compareVersion(const qx_wchar *a, const qx_wchar *b);

/* Words, tokens and keywords. */
/* The next blank-separated word from *position into `word` (room for the
   whole word), *position moved past it; `word` is "" at the end.  Returns
   word.  nextCDLWord separates at ';' instead. */
QX_API qx_wchar *qx_Str_nextSDLWord(qx_wchar *word, const qx_wchar *src, int *position);
QX_API qx_wchar *qx_Str_nextCDLWord(qx_wchar *word, const qx_wchar *src, int *position);
/* The 0-based n-th token (wcstok rules: runs of delimiters are one) counted
   from the left (or the right), in a library buffer of 512 characters that
   the next call of the same function overwrites; *position gets its index
   in text, or -1.  Null when there is no such token or text is longer than
   512 characters. */
QX_API qx_wchar *qx_Str_getNthToken(const qx_wchar *text, const qx_wchar *delimiters, int n,
                                   int *position);
QX_API qx_wchar *qx_Str_getRightNthToken(const qx_wchar *text, const qx_wchar *delimiters, int n,
                                        int *position);
/* The text between the first two delimiters ("%" in "a %KEY% b" gives
   "KEY"), cut to 256 characters, in a library buffer overwritten by the
   next call; null when there is no such pair. */
QX_API qx_wchar *qx_Str_locateKeyword(const qx_wchar *text, const qx_wchar *delimiter);
/* Replaces the first delimiter+keyword+delimiter in place and cuts the
   result to maxLength characters (room for maxLength+1).  Returns text, or
   null for a null argument. */
QX_API qx_wchar *qx_Str_replaceKeyword(qx_wchar *text, const qx_wchar *keyword,
                                      const qx_wchar *delimiter, const qx_wchar *replacement,
                                      int maxLength);
/* As replaceKeyword, into a new string from qx_Malloc (free with qx_Free),
   without a length limit; null for a null argument. */
QX_API qx_wchar *qx_Str_replaceKeywordDynamic(const qx_wchar *text, const qx_wchar *keyword,
                                             const qx_wchar *delimiter,
                                             const qx_wchar *replacement);
/* Every oldText replaced by newText, in a library buffer of 511 characters
   (longer results are cut) that the next call overwrites; never null. */
QX_API qx_wchar *qx_Str_replaceChar(const qx_wchar *text, const qx_wchar *oldText,
                                   const qx_wchar *newText);
/* Lines of at most `width` characters, broken at blanks where possible, as
   a new string list (free with qx_StrList_destroy); null for null text. */
QX_API qx_StrList *qx_Str_wrapText(const qx_wchar *text, int width);
/* How far back from `width` the last blank within the first `width`
   characters lies (width minus its index), or 0 when there is none. */
QX_API int qx_Str_findClosestWordBoundary(const qx_wchar *s, int width);

QX_EXTERN_C_END

#endif /* QX_STR_H */
