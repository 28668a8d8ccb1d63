// Wide text handed to the caller: a copy in a block from qx_Malloc, which the
// caller gives back with qx_Free (or the destroy operation of its family).
#ifndef QX_CORE_OWNED_TEXT_H
#define QX_CORE_OWNED_TEXT_H

#include <string_view>

#include "qx/types.h"

namespace qx {

// The copy, terminated; null for a null source or when memory runs out.
qx_wchar* wdup(const qx_wchar* s);
qx_wchar* wdup(std::u16string_view s);

}  // namespace qx

#endif  // QX_CORE_OWNED_TEXT_H
