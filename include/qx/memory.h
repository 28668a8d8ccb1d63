/* qx — allocation entry points with replaceable hooks. */
#ifndef QX_MEMORY_H
#define QX_MEMORY_H

#include "qx/types.h"

QX_EXTERN_C_BEGIN

typedef void *(*qx_AllocFn)(size_t size);
typedef void *(*qx_ReallocFn)(void *block, size_t size);
typedef void *(*qx_CallocFn)(size_t count, size_t size);
typedef void (*qx_FreeFn)(void *block);

/* Replaces the hooks whose argument differs from the runtime's own function
   of the same role; passing the runtime's functions changes nothing. */
QX_API void qx_MemoryManager_set(qx_AllocFn alloc, qx_ReallocFn realloc_fn,
                                 qx_CallocFn calloc_fn, qx_FreeFn free_fn);

/* Each returns null on failure, after composing a translated failure message
   ("Unable to allocate 24 bytes of memory") in a library-owned buffer.
   Whatever the library hands out "from qx_Malloc" goes back through qx_Free. */
QX_API void *qx_Malloc(size_t size);
QX_API void *qx_Realloc(void *block, size_t size); /* a null block allocates anew */
QX_API void *qx_Calloc(size_t count, size_t size); /* zeroed */
QX_API void qx_Free(void *block);                  /* through the free hook; null ignored */

/* Kept for compatibility; both do nothing. */
QX_API void qx_Memory_clear(void);
QX_API void qx_Memory_statistics(void);

QX_EXTERN_C_END

#endif /* QX_MEMORY_H */
