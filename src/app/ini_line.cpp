#include "app/ini_line.h"

#include "port/wstr.h"

namespace qx::app {

bool ini_is_blank(char16_t c) { return port::wisspace(c); }

std::u16string_view trim_leading_blanks(std::u16string_view text) {
  size_t b = 0;
  while (b < text.size() && ini_is_blank(text[b])) ++b;
  return text.substr(b);
}

std::u16string_view trim_blanks(std::u16string_view text) {
  text = trim_leading_blanks(text);
  size_t e = text.size();
  while (e > 0 && ini_is_blank(text[e - 1])) --e;
  return text.substr(0, e);
}

bool ini_is_empty_line(std::u16string_view line) { return trim_leading_blanks(line).empty(); }

bool ini_is_comment(std::u16string_view line) {
  line = trim_leading_blanks(line);
  return !line.empty() && line.front() == u';';
}

std::optional<std::u16string_view> ini_header_name(std::u16string_view line) {
  line = trim_leading_blanks(line);
  if (line.empty() || line.front() != u'[') return std::nullopt;
  std::u16string_view inside = line.substr(1);
  return trim_blanks(inside.substr(0, inside.find(u']')));  // a missing ']' is accepted
}

IniEntryText ini_split_entry(std::u16string_view line) {
  // Only the space character is skipped before the name; other blanks end
  // up trimmed from the name anyway.
  size_t start = 0;
  while (start < line.size() && line[start] == u' ') ++start;
  line = line.substr(start);
  size_t eq = line.find(u'=');
  IniEntryText entry{trim_blanks(line.substr(0, eq)), {}};
  if (eq == std::u16string_view::npos) return entry;
  size_t v = eq;
  while (v < line.size() && (line[v] == u' ' || line[v] == u'=')) ++v;
  entry.value = trim_leading_blanks(line.substr(v));
  return entry;
}

namespace {

bool has_line_break(std::u16string_view text) {
  return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

}  // namespace

bool ini_group_writable(std::u16string_view group) {
  return !group.empty() && trim_blanks(group) == group && !has_line_break(group) &&
         group.find(u']') == std::u16string_view::npos;
}

bool ini_entry_writable(std::u16string_view name, std::u16string_view value) {
  return !name.empty() && trim_blanks(name) == name && !has_line_break(name) &&
         name.find(u'=') == std::u16string_view::npos && name.front() != u'[' &&
         name.front() != u';' && !has_line_break(value);
}

}  // namespace qx::app
