// Session variables as the other files of this folder read them.
#ifndef QX_CONFIG_SESSION_INTERNAL_H
#define QX_CONFIG_SESSION_INTERNAL_H

#include <optional>
#include <string>
#include <string_view>

#include "qx/types.h"

namespace qx::config {

// One "name=value" line split by the INI entry rules: leading spaces
// skipped, the name up to the first '=' trimmed of blanks, then every space
// and '=' skipped and the rest trimmed.  A line without '=' is all name.
struct EntryLine {
  std::u16string_view name;
  std::u16string_view value;
};
EntryLine split_entry_line(std::u16string_view line);

// The session value of `name` at full length (qx_Env_getSesLocal cuts it to
// its 512-character buffer); nothing when the session does not have it.
std::optional<std::u16string> session_value(const qx_wchar* name);

}  // namespace qx::config

#endif  // QX_CONFIG_SESSION_INTERNAL_H
