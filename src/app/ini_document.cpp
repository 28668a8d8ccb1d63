#include "app/ini_document.h"

#include "app/ini_line.h"
#include "port/wstr.h"

namespace qx::app {

namespace {

constexpr size_t npos = static_cast<size_t>(-1);
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Names compare without regard to case (C locale), so the index holds them
// folded.
std::u16string fold(std::u16string_view name) {
  std::u16string key(name);
  for (char16_t& c : key) c = port::wtolower(c);
  return key;
}

std::u16string entry_key(std::u16string_view group, std::u16string_view name) {
  return fold(group) + u'\n' + fold(name);
}

bool is_utf8(std::string_view bytes) {
  return port::to_utf8(port::from_utf8(bytes)) == bytes;
}

}  // namespace

// --- reading and writing the bytes -----------------------------------------

// Each line is read as the library reads text files: UTF-8, with a byte
// that is not part of a UTF-8 sequence taken as ISO-8859-1.
std::u16string IniDocument::decode(std::string_view bytes) const { return port::from_utf8(bytes); }

// A new line of an ISO-8859-1 file is written in ISO-8859-1 when that reads
// back as the same text; otherwise (characters beyond U+00FF, or bytes that
// would happen to form UTF-8) in UTF-8.
std::string IniDocument::encode(std::u16string_view text) const {
  if (!utf8_) {
    std::string latin1 = port::narrow(text);
    if (port::from_utf8(latin1) == text) return latin1;
  }
  return port::to_utf8(text);
}

void IniDocument::classify(Line* line, std::u16string_view text) const {
  line->kind = Kind::kOther;
  line->name.clear();
  line->value.clear();
  if (ini_is_empty_line(text) || ini_is_comment(text)) return;
  if (auto group = ini_header_name(text)) {
    line->kind = Kind::kHeader;
    line->name = *group;
    return;
  }
  IniEntryText entry = ini_split_entry(text);
  line->kind = Kind::kEntry;
  line->name = entry.name;
  line->value = entry.value;
}

IniDocument::Line IniDocument::make_line(std::u16string text) const {
  Line line;
  line.bytes = encode(text);
  line.end = eol_;
  classify(&line, text);
  return line;
}

IniDocument IniDocument::parse(std::string_view bytes) {
  IniDocument doc;
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
    doc.byte_order_mark_ = true;
    bytes.remove_prefix(kUtf8Mark.size());
  }
  doc.utf8_ = is_utf8(bytes);
  bool eol_seen = false;
  while (!bytes.empty()) {
    Line line;
    size_t feed = bytes.find('\n');
    if (feed == std::string_view::npos) {
      line.bytes = bytes;
      bytes = {};
    } else {
      size_t end = feed > 0 && bytes[feed - 1] == '\r' ? feed - 1 : feed;
      line.bytes = bytes.substr(0, end);
      // Assigned as a constant: copying the computed slice makes gcc 12
      // warn (-Wrestrict) about an overlap that cannot happen.
      line.end = end < feed ? "\r\n" : "\n";
      bytes.remove_prefix(feed + 1);
      if (!eol_seen) doc.eol_ = line.end;
      eol_seen = true;
    }
    doc.classify(&line, doc.decode(line.bytes));
    doc.lines_.push_back(std::move(line));
  }
  return doc;
}

std::string IniDocument::text() const {
  std::string out;
  if (byte_order_mark_) out += kUtf8Mark;
  for (const Line& line : lines_) out.append(line.bytes).append(line.end);
  return out;
}

// --- lookups ----------------------------------------------------------------

const IniDocument::Index& IniDocument::index() const {
  if (index_) return *index_;
  Index& ix = index_.emplace();
  std::u16string group;  // folded name of the block being read
  bool first_block = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::kHeader) {
      group = fold(line.name);
      first_block = ix.headers.emplace(group, i).second;
      if (first_block) ix.groups.push_back(line.name);
    } else if (line.kind == Kind::kEntry && first_block && !line.name.empty()) {
      ix.entries.emplace(group + u'\n' + fold(line.name), i);
    }
  }
  return ix;
}

void IniDocument::changed() {
  index_.reset();
  modified_ = true;
}

const std::vector<std::u16string>& IniDocument::groups() const { return index().groups; }

size_t IniDocument::find_header(std::u16string_view group) const {
  auto it = index().headers.find(fold(group));
  return it == index().headers.end() ? npos : it->second;
}

bool IniDocument::has_group(std::u16string_view group) const { return find_header(group) != npos; }

size_t IniDocument::block_end(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::kHeader) ++i;
  return i;
}

size_t IniDocument::entries_end(size_t header) const {
  size_t i = block_end(header);
  while (i > header + 1 && lines_[i - 1].kind != Kind::kEntry) --i;
  return i;
}

std::vector<IniDocument::Entry> IniDocument::entries(std::u16string_view group) const {
  std::vector<Entry> out;
  size_t h = find_header(group);
  if (h == npos) return out;
  for (size_t i = h + 1, end = block_end(h); i < end; ++i)
    if (lines_[i].kind == Kind::kEntry && !lines_[i].name.empty())
      out.emplace_back(lines_[i].name, lines_[i].value);
  return out;
}

std::optional<std::u16string> IniDocument::value(std::u16string_view group,
                                                 std::u16string_view name) const {
  auto it = index().entries.find(entry_key(group, name));
  if (it == index().entries.end()) return std::nullopt;
  return lines_[it->second].value;
}

// --- changes ----------------------------------------------------------------

void IniDocument::insert(size_t at, Line line) {
  // A last line without a line end gets one before anything follows it.
  if (at == lines_.size() && at > 0 && lines_[at - 1].end.empty()) lines_[at - 1].end = eol_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  changed();
}

void IniDocument::append(Line line) { insert(lines_.size(), std::move(line)); }

bool IniDocument::add_group(std::u16string_view group) {
  if (!ini_group_writable(group) || has_group(group)) return false;
  append(make_line(u"[" + std::u16string(group) + u"]"));
  return true;
}

bool IniDocument::remove_group(std::u16string_view group) {
  size_t h = find_header(group);
  if (h == npos) return false;
  while (h != npos) {
    // The comments and blank lines after the last entry belong to what
    // follows, so they stay.
    size_t end = entries_end(h);
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(h),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
    changed();
    h = find_header(group);
  }
  return true;
}

bool IniDocument::set_value(std::u16string_view group, std::u16string_view name,
                            std::u16string_view value) {
  if (!ini_group_writable(group) || !ini_entry_writable(name, value)) return false;
  auto it = index().entries.find(entry_key(group, name));
  if (it == index().entries.end()) return add_entry(group, name, value);
  Line& line = lines_[it->second];
  if (line.value == value) return true;  // nothing to write
  std::u16string text = line.name + u"=" + std::u16string(value);
  line.bytes = encode(text);
  classify(&line, text);
  modified_ = true;  // the same line with the same name: the index still holds
  return true;
}

bool IniDocument::add_entry(std::u16string_view group, std::u16string_view name,
                            std::u16string_view value) {
  if (!ini_group_writable(group) || !ini_entry_writable(name, value)) return false;
  add_group(group);
  insert(entries_end(find_header(group)),
         make_line(std::u16string(name) + u"=" + std::u16string(value)));
  return true;
}

bool IniDocument::clear_group(std::u16string_view group) {
  size_t h = find_header(group);
  if (h == npos) return false;
  size_t end = block_end(h);
  for (size_t i = end; i-- > h + 1;) {
    if (lines_[i].kind != Kind::kEntry) continue;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
    changed();
  }
  return true;
}

}  // namespace qx::app
