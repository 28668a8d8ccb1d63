// The process environment.
#include "port/environment.h"

#include <clocale>
#include <cstdlib>

#include "port/wstr.h"

namespace qx::port {

std::optional<std::u16string> environment_value(std::u16string_view name) {
  if (name.empty() || name.find(u'=') != std::u16string_view::npos ||
      name.find(u'\0') != std::u16string_view::npos)
    return std::nullopt;
  const char* value = std::getenv(to_utf8(name).c_str());
  if (!value) return std::nullopt;
  return from_utf8(value);
}

std::string set_process_locale(const std::string& name) {
  const char* answer = std::setlocale(LC_ALL, name.c_str());
  return answer ? answer : "";
}

}  // namespace qx::port
