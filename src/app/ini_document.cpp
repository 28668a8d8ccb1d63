#include "app/ini_document.h"

#include "port/native_file.h"
#include "port/path.h"
#include "port/wstr.h"

namespace qx::app {

namespace {

constexpr size_t npos = static_cast<size_t>(-1);

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string trim(const std::u16string& s) {
  size_t b = 0, e = s.size();
  while (b < e && is_blank(s[b])) ++b;
  while (e > b && is_blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool same_name(const std::u16string& a, const std::u16string& b) {
  return qx::port::wicmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

IniDocument::Line IniDocument::classify(const std::u16string& text) {
  Line line{Kind::kOther, text, {}, {}};
  size_t start = 0;
  while (start < text.size() && is_blank(text[start])) ++start;
  if (start == text.size() || text[start] == u';') return line;
  if (text[start] == u'[') {
    size_t close = text.find(u']', start + 1);
    line.kind = Kind::kHeader;
    line.name = trim(text.substr(start + 1, close == npos ? npos : close - start - 1));
    return line;
  }
  // name=value: spaces before the name skipped, the name up to the first
  // '=', then every space or '=' skipped before the value.
  size_t p = 0;
  while (p < text.size() && text[p] == u' ') ++p;
  size_t eq = text.find(u'=', p);
  line.kind = Kind::kEntry;
  line.name = trim(text.substr(p, eq == npos ? npos : eq - p));
  if (eq != npos) {
    size_t v = eq;
    while (v < text.size() && (text[v] == u' ' || text[v] == u'=')) ++v;
    line.value = trim(text.substr(v));
  }
  return line;
}

IniDocument IniDocument::load(const std::u16string& path) {
  IniDocument doc;
  doc.path_ = path;
  std::string contents;
  // A missing or unreadable file reads as an empty one.
  if (!qx::port::read_file(qx::port::native_path(path), &contents)) return doc;
  for (std::string_view raw : qx::port::split_lines(contents))
    doc.lines_.push_back(classify(qx::port::from_utf8(raw)));
  return doc;
}

bool IniDocument::save() const {
  std::string contents;
  for (const Line& line : lines_) contents += qx::port::to_utf8(line.text) + '\n';
  return qx::port::write_file_atomically(qx::port::native_path(path_), contents);
}

size_t IniDocument::find_header(const std::u16string& group) const {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::kHeader && same_name(lines_[i].name, group)) return i;
  return npos;
}

size_t IniDocument::group_end(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::kHeader) ++i;
  // Trailing lines that are not entries (blank lines, comments) stay with
  // the next group, so new entries go right after the last entry.
  while (i > header + 1 && lines_[i - 1].kind != Kind::kEntry) --i;
  return i;
}

std::vector<std::u16string> IniDocument::groups() const {
  std::vector<std::u16string> names;
  for (const Line& line : lines_) {
    if (line.kind != Kind::kHeader) continue;
    bool seen = false;
    for (const auto& n : names) seen = seen || same_name(n, line.name);
    if (!seen) names.push_back(line.name);
  }
  return names;
}

bool IniDocument::has_group(const std::u16string& group) const {
  return find_header(group) != npos;
}

std::vector<IniDocument::Entry> IniDocument::entries(const std::u16string& group) const {
  std::vector<Entry> out;
  size_t h = find_header(group);
  if (h == npos) return out;
  for (size_t i = h + 1; i < lines_.size() && lines_[i].kind != Kind::kHeader; ++i)
    if (lines_[i].kind == Kind::kEntry && !lines_[i].name.empty())
      out.emplace_back(lines_[i].name, lines_[i].value);
  return out;
}

std::optional<std::u16string> IniDocument::value(const std::u16string& group,
                                                 const std::u16string& name) const {
  size_t h = find_header(group);
  if (h == npos) return std::nullopt;
  for (size_t i = h + 1; i < lines_.size() && lines_[i].kind != Kind::kHeader; ++i)
    if (lines_[i].kind == Kind::kEntry && same_name(lines_[i].name, name)) return lines_[i].value;
  return std::nullopt;
}

bool IniDocument::add_group(const std::u16string& group) {
  if (has_group(group)) return false;
  std::u16string text = u"[" + group + u"]";
  lines_.push_back(Line{Kind::kHeader, text, group, {}});
  return true;
}

bool IniDocument::remove_group(const std::u16string& group) {
  size_t h = find_header(group);
  if (h == npos) return false;
  size_t end = h + 1;
  while (end < lines_.size() && lines_[end].kind != Kind::kHeader) ++end;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(h),
               lines_.begin() + static_cast<std::ptrdiff_t>(end));
  return true;
}

void IniDocument::set_value(const std::u16string& group, const std::u16string& name,
                            const std::u16string& value) {
  size_t h = find_header(group);
  if (h != npos) {
    for (size_t i = h + 1; i < lines_.size() && lines_[i].kind != Kind::kHeader; ++i) {
      if (lines_[i].kind == Kind::kEntry && same_name(lines_[i].name, name)) {
        lines_[i].value = value;
        lines_[i].text = lines_[i].name + u"=" + value;
        return;
      }
    }
  }
  add_entry(group, name, value);
}

void IniDocument::add_entry(const std::u16string& group, const std::u16string& name,
                            const std::u16string& value) {
  add_group(group);
  size_t at = group_end(find_header(group));
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                Line{Kind::kEntry, name + u"=" + value, name, value});
}

bool IniDocument::clear_group(const std::u16string& group) {
  size_t h = find_header(group);
  if (h == npos) return false;
  size_t i = h + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::kHeader) {
    if (lines_[i].kind == Kind::kEntry)
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
    else
      ++i;
  }
  return true;
}

}  // namespace qx::app
