// Fixed arrays: `count` elements of `elemSize` bytes, copied in and out by
// value, never growing.  Every function runs in the trace frame.
#include "qx/array.h"

#include <cstring>

#include "core/trace.h"
#include "qx/diag.h"
#include "qx/memory.h"

namespace {

const qx::TraceFamily kArray{QX_DIAG_ARRAY, "Exiting", __FILE__};

char* element(const qx_Array* a, uint32_t index) {
  return static_cast<char*>(a->data) + static_cast<size_t>(index) * a->elemSize;
}

}  // namespace

extern "C" {

qx_Array* qx_Array_create(uint32_t count, uint32_t elemSize, const void* init) {
  QX_TRACE(kArray, u"qx_Array_create");
  if (count == 0) QX_RETURN(static_cast<qx_Array*>(nullptr));
  auto* a = static_cast<qx_Array*>(qx_Malloc(sizeof(qx_Array)));
  if (!a) QX_RETURN(a);
  a->count = 0;
  a->elemSize = 0;
  a->data = nullptr;
  size_t bytes = static_cast<size_t>(count) * elemSize;
  // The count and element size are 32-bit; their product must be too.
  if (bytes > UINT32_MAX) QX_RETURN(a);
  a->data = qx_Malloc(bytes);
  if (!a->data) QX_RETURN(a);
  a->count = count;
  a->elemSize = elemSize;
  if (init)
    for (uint32_t i = 0; i < count; ++i) std::memcpy(element(a, i), init, elemSize);
  QX_RETURN(a);
}

int qx_Array_destroy(qx_Array* array, qx_ArrayReleaseFn release) {
  QX_TRACE(kArray, u"qx_Array_destroy");
  if (!array) QX_RETURN(0);
  if (array->data && release)
    for (uint32_t i = 0; i < array->count; ++i) release(element(array, i));
  qx_Free(array->data);
  qx_Free(array);
  QX_RETURN(1);
}

uint32_t qx_Array_size(const qx_Array* array) {
  QX_TRACE(kArray, u"qx_Array_size");
  QX_RETURN(array ? array->count : 0u);
}

void* qx_Array_getNth(const qx_Array* array, uint32_t index) {
  QX_TRACE(kArray, u"qx_Array_getNth");
  if (!array || index >= array->count) QX_RETURN(static_cast<void*>(nullptr));
  QX_RETURN(static_cast<void*>(element(array, index)));
}

int qx_Array_setNth(qx_Array* array, uint32_t index, const void* value,
                    qx_ArrayReleaseFn release) {
  QX_TRACE(kArray, u"qx_Array_modNth");
  // The index is the caller's to keep in range; an index past the end is
  // refused rather than written past the storage.
  if (array && index < array->count) {
    if (release) release(element(array, index));
    if (value) std::memcpy(element(array, index), value, array->elemSize);
  }
  QX_RETURN(0);
}

int qx_Array_swap(qx_Array* array, uint32_t a, uint32_t b) {
  QX_TRACE(kArray, u"qx_Array_swap");
  if (!array || a >= array->count || b >= array->count) QX_RETURN(0);
  void* tmp = qx_Malloc(array->elemSize ? array->elemSize : 1);
  if (!tmp) QX_RETURN(0);
  std::memcpy(tmp, element(array, a), array->elemSize);
  std::memmove(element(array, a), element(array, b), array->elemSize);
  std::memcpy(element(array, b), tmp, array->elemSize);
  qx_Free(tmp);
  QX_RETURN(1);
}

uint32_t qx_Array_search(const qx_Array* array, const void* key, qx_ArrayCompareFn compare) {
  QX_TRACE(kArray, u"qx_Array_search");
  if (!array || !compare || !array->data) QX_RETURN(0u);
  for (uint32_t i = 0; i < array->count; ++i)
    if (compare(element(array, i), key) == 0) QX_RETURN(i);
  QX_RETURN(0u);
}

void* qx_Array_getAddress(const qx_Array* array, uint32_t index) {
  QX_TRACE(kArray, u"qx_Array_getAddress");
  if (!array || index >= array->count) QX_RETURN(static_cast<void*>(nullptr));
  QX_RETURN(static_cast<void*>(element(array, index)));
}

}  // extern "C"
