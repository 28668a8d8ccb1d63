#include "core/owned_text.h"

#include <algorithm>

#include "qx/memory.h"

namespace qx {

qx_wchar* wdup(std::u16string_view s) {
  auto* p = static_cast<qx_wchar*>(qx_Malloc(static_cast<unsigned>((s.size() + 1) * sizeof(qx_wchar))));
  if (!p) return nullptr;
  std::copy(s.begin(), s.end(), p);
  p[s.size()] = 0;
  return p;
}

qx_wchar* wdup(const qx_wchar* s) { return s ? wdup(std::u16string_view(s)) : nullptr; }

}  // namespace qx
