// The private-profile reader.
#include "port/profile.h"

#include <cstdio>
#include <memory>

#include "port/fs.h"
#include "port/wstr.h"

namespace qx::port {

namespace {

// Files larger than this are not settings files; reading stops there.
constexpr size_t kMaxProfileBytes = 16u << 20;

std::string read_bytes(std::u16string_view path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(open_file(path, "rb"), std::fclose);
  std::string bytes;
  if (!file) return bytes;
  char chunk[8192];
  size_t n;
  while (bytes.size() < kMaxProfileBytes && (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
    bytes.append(chunk, n);
  return bytes;
}

std::u16string decode(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                    static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
  }
  std::string_view view(bytes);
  if (view.substr(0, 3) == "\xEF\xBB\xBF") view.remove_prefix(3);
  return from_utf8(view);
}

std::u16string_view trim(std::u16string_view s) {
  while (!s.empty() && wisspace(s.front())) s.remove_prefix(1);
  while (!s.empty() && wisspace(s.back())) s.remove_suffix(1);
  return s;
}

bool same_name(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (wtolower(a[i]) != wtolower(b[i])) return false;
  return true;
}

std::u16string_view unquoted(std::u16string_view value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

std::optional<std::u16string> profile_string(std::u16string_view path,
                                             std::u16string_view section,
                                             std::u16string_view key) {
  std::u16string text = decode(read_bytes(path));
  std::u16string_view rest(text);
  bool in_section = false;
  while (!rest.empty()) {
    size_t end = rest.find(u'\n');
    std::u16string_view line = trim(rest.substr(0, end));
    rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 1);
    if (line.empty() || line.front() == u';') continue;
    if (line.front() == u'[') {
      size_t close = line.find(u']');
      if (close == std::u16string_view::npos) continue;
      in_section = same_name(trim(line.substr(1, close - 1)), trim(section));
      continue;
    }
    if (!in_section) continue;
    size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) continue;
    if (same_name(trim(line.substr(0, equals)), trim(key)))
      return std::u16string(unquoted(trim(line.substr(equals + 1))));
  }
  return std::nullopt;
}

}  // namespace qx::port
