#include "fs/names.h"

#include "port/wstr.h"

namespace qx::fs {

qx_wchar separator_of(std::u16string_view name) {
  for (size_t i = name.size(); i-- > 0;)
    if (is_separator(name[i])) return name[i];
  return u'\\';
}

std::optional<std::u16string> path_arg(const qx_wchar* path) {
  size_t n = port::wlen(path);
  if (n == 0 || n > kPathRoom) return std::nullopt;
  return std::u16string(path, n);
}

std::u16string lower(std::u16string_view s) {
  std::u16string out(s);
  for (qx_wchar& c : out) c = port::wtolower(c);
  return out;
}

std::u16string directory_of(std::u16string_view name) {
  size_t n = name.size();
  while (n > 0 && !is_separator(name[n - 1]) && name[n - 1] != u':') --n;
  return std::u16string(name.substr(0, n));
}

qx_wchar* into_buffer(qx_wchar* buffer, std::u16string_view text) {
  return port::wcopy(buffer, kPathRoom + 1, text);
}

}  // namespace qx::fs
