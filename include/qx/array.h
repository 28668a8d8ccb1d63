/* qx — fixed arrays: a block of equally sized elements that never grows. */
#ifndef QX_ARRAY_H
#define QX_ARRAY_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

typedef struct qx_Array {
  uint32_t count;     /* number of elements */
  uint32_t elemSize;  /* bytes per element */
  void *data;         /* count * elemSize bytes, index order */
} qx_Array;

/* Release callback: receives the address of one element inside the array. */
typedef int (*qx_ArrayReleaseFn)(void *element);
/* Comparison callback: element address and caller's key; 0 means a match. */
typedef int (*qx_ArrayCompareFn)(const void *element, const void *key);

/* A new array of count elements (count * elemSize at most 4 GiB), each a
   copy of *init when init is given, else uninitialised.  Null for a count of
   0; when memory runs out an array with count 0 and no data.  Free it with
   qx_Array_destroy. */
QX_API qx_Array *qx_Array_create(uint32_t count, uint32_t elemSize, const void *init);
/* Hands each element's address to `release` (when given), then frees the
   storage and the array: 1, or 0 for null. */
QX_API int qx_Array_destroy(qx_Array *array, qx_ArrayReleaseFn release);
QX_API uint32_t qx_Array_size(const qx_Array *array); /* the count; 0 for null */
/* The address of the element inside the array (valid until destroy), or
   null for an index out of range; getAddress is the same. */
QX_API void *qx_Array_getNth(const qx_Array *array, uint32_t index);
/* Hands the old element to `release` (when given) and copies elemSize bytes
   from value over it (when given).  Always 0; an index out of range changes
   nothing. */
QX_API int qx_Array_setNth(qx_Array *array, uint32_t index, const void *value,
                           qx_ArrayReleaseFn release);
/* Exchanges two elements: 1, or 0 for an index out of range. */
QX_API int qx_Array_swap(qx_Array *array, uint32_t a, uint32_t b);
/* The index of the first element with compare(element, key) == 0; 0 also
   when there is none (check the element when 0 comes back). */
QX_API uint32_t qx_Array_search(const qx_Array *array, const void *key, qx_ArrayCompareFn compare);
QX_API void *qx_Array_getAddress(const qx_Array *array, uint32_t index);

QX_EXTERN_C_END

#endif /* QX_ARRAY_H */
