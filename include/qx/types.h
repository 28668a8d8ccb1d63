/* qx — basic types shared by every family of the library. */
#ifndef QX_TYPES_H
#define QX_TYPES_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define QX_API __declspec(dllexport)
#else
#define QX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define QX_EXTERN_C_BEGIN extern "C" {
#define QX_EXTERN_C_END }
#else
#define QX_EXTERN_C_BEGIN
#define QX_EXTERN_C_END
#endif

/* A wide character is one UTF-16 code unit, as in the library's records. */
#ifdef __cplusplus
typedef char16_t qx_wchar;
#else
#include <uchar.h>
typedef char16_t qx_wchar;
#endif

/* Marks a variadic constructor whose argument list ends with a null
   pointer, so that the compiler warns when the terminator is missing (the
   constructor would read past the arguments).  An empty list is then made
   with two nulls, qx_StrList_create(NULL, NULL); define QX_NO_SENTINEL to
   keep the one-null form of older code quiet. */
#if (defined(__GNUC__) || defined(__clang__)) && !defined(QX_NO_SENTINEL)
#define QX_SENTINEL __attribute__((sentinel))
#else
#define QX_SENTINEL
#endif

/* Room of the Windows path buffers the library's interface uses (MAX_PATH),
   terminator included. */
#define QX_MAX_PATH 260

/* Release callback: receives one element's data pointer; its result is ignored. */
typedef int (*qx_ReleaseFn)(void *data);
/* Comparison callback: negative, 0 or positive; for searches 0 means a match. */
typedef int (*qx_CompareFn)(const void *a, const void *b);

#endif /* QX_TYPES_H */
