// The process environment as the library reads it (_wgetenv): names follow
// this system's rules (letter case counts) and values are UTF-8 text.
#ifndef QX_PORT_ENVIRONMENT_H
#define QX_PORT_ENVIRONMENT_H

#include <optional>
#include <string>
#include <string_view>

namespace qx::port {

// The value of an environment variable; nothing when it is not set.  A name
// holding '=' or a NUL names no variable.
std::optional<std::u16string> environment_value(std::u16string_view name);

// Switches the locale of the whole process, every category, to `name`;
// returns the name the run-time library answers (empty when it refused).
std::string set_process_locale(const std::string& name);

}  // namespace qx::port

#endif  // QX_PORT_ENVIRONMENT_H
