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

std::optional<std::string> read_bytes(std::u16string_view path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(open_file(path, "rb"), std::fclose);
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[8192];
  size_t n;
  while (bytes.size() < kMaxProfileBytes && (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
    bytes.append(chunk, n);
  if (std::ferror(file.get())) return std::nullopt;  // a directory, say
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

// Calls `visit(section, line)` for every non-blank, non-comment line: a
// header with its section name and an empty line, or an entry line with the
// name of the section it is in.
template <class Visit>
bool walk(std::u16string_view path, Visit visit) {
  std::optional<std::string> bytes = read_bytes(path);
  if (!bytes) return false;
  std::u16string text = decode(*bytes);
  std::u16string_view rest(text);
  std::u16string_view section;
  bool have_section = false;
  while (!rest.empty()) {
    size_t end = rest.find(u'\n');
    std::u16string_view line = trim(rest.substr(0, end));
    rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 1);
    if (line.empty() || line.front() == u';') continue;
    if (line.front() == u'[') {
      size_t close = line.find(u']');
      if (close == std::u16string_view::npos) continue;
      section = trim(line.substr(1, close - 1));
      have_section = true;
      if (!visit(section, std::u16string_view())) return true;
    } else if (have_section && !visit(section, line)) {
      return true;
    }
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::u16string>> profile_sections(std::u16string_view path) {
  std::vector<std::u16string> sections;
  bool read = walk(path, [&](std::u16string_view section, std::u16string_view line) {
    if (!line.empty()) return true;
    for (const std::u16string& known : sections)
      if (same_name(known, section)) return true;
    sections.emplace_back(section);
    return true;
  });
  if (!read) return std::nullopt;
  return sections;
}

std::optional<std::u16string> profile_string(std::u16string_view path,
                                             std::u16string_view section,
                                             std::u16string_view key) {
  std::optional<std::u16string> found;
  walk(path, [&](std::u16string_view in_section, std::u16string_view line) {
    if (line.empty() || !same_name(in_section, trim(section))) return true;
    size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos || !same_name(trim(line.substr(0, equals)), trim(key)))
      return true;
    found = std::u16string(unquoted(trim(line.substr(equals + 1))));
    return false;
  });
  return found;
}

}  // namespace qx::port
