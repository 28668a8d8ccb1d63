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

QX_API qx_Array *qx_Array_create(uint32_t count, uint32_t elemSize, const void *init);
QX_API int qx_Array_destroy(qx_Array *array, qx_ArrayReleaseFn release);
QX_API uint32_t qx_Array_size(const qx_Array *array);
QX_API void *qx_Array_getNth(const qx_Array *array, uint32_t index);
QX_API int qx_Array_setNth(qx_Array *array, uint32_t index, const void *value,
                           qx_ArrayReleaseFn release);
QX_API int qx_Array_swap(qx_Array *array, uint32_t a, uint32_t b);
QX_API uint32_t qx_Array_search(const qx_Array *array, const void *key, qx_ArrayCompareFn compare);
QX_API void *qx_Array_getAddress(const qx_Array *array, uint32_t index);

QX_EXTERN_C_END

#endif /* QX_ARRAY_H */
