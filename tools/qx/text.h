// Text conversions for the qx program's output: the library's UTF-16 text
// to UTF-8 for the terminal, and command-line UTF-8 to UTF-16.
#ifndef QX_TOOL_TEXT_H
#define QX_TOOL_TEXT_H

#include <string>

#include "port/wstr.h"

namespace qxtool {

inline std::string utf8(const qx_wchar* s) { return qx::port::to_utf8(s); }
inline std::u16string wide(const std::string& s) { return qx::port::from_utf8(s); }

}  // namespace qxtool

#endif  // QX_TOOL_TEXT_H
