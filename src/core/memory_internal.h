// Library-internal view of the allocator.
#ifndef QX_CORE_MEMORY_INTERNAL_H
#define QX_CORE_MEMORY_INTERNAL_H

#include "qx/types.h"

namespace qx {
// The message composed by the last failed allocation (empty before any).
const qx_wchar* last_allocation_failure();
}  // namespace qx

#endif  // QX_CORE_MEMORY_INTERNAL_H
