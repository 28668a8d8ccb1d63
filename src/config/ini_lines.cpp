// INI groups read and rewritten straight from the file, line by line.
//
// Reading follows the documented line rules exactly: lines of at most 1024
// characters, leading blanks removed, empty lines ignored.  Rewriting a
// group keeps every other line of the file byte for byte (long lines,
// leading blanks, "\r\n" ends, a byte-order mark), writes new lines with
// the file's own line end, and replaces the file in one step.
#include <cstring>
#include <string>
#include <vector>

#include "app/ini_line.h"
#include "config/ini_internal.h"
#include "fs/names.h"
#include "port/file_lock.h"
#include "port/fs.h"
#include "port/native_file.h"
#include "port/path.h"
#include "port/wstr.h"
#include "qx/file.h"
#include "qx/ini.h"
#include "qx/str.h"

namespace {

namespace port = qx::port;
namespace app = qx::app;
using qx::config::current_name;
using qx::config::current_text;
using qx::config::kIniText;

constexpr char16_t kByteOrderMark = 0xFEFF;
constexpr char16_t kTempName[] = u"qx_tmp.ini";

using LineBuffer = qx_wchar[kIniText + 1];

// One line of the file: 1 when read, 0 at the end or on a read error (a
// directory opened as a file reads as an error, never as an endless empty
// line).  The byte-order mark before the first line is not part of it.
bool read_line(std::FILE* stream, LineBuffer& line) {
  bool at_start = std::ftell(stream) == 0;
  if (!qx_File_readLine(stream, line, static_cast<int>(kIniText)) || std::ferror(stream))
    return false;
  if (at_start && line[0] == kByteOrderMark)
    std::memmove(line, line + 1, port::wlen(line) * sizeof(qx_wchar));
  return true;
}

std::FILE* open_for_reading(const qx_wchar* file) {
  if (!file || !*file) return nullptr;
  port::FileStatus status;
  if (port::stat_path(file, &status) && status.is_directory) return nullptr;
  return port::open_file(file, "rb");
}

// --- rewriting --------------------------------------------------------------

struct RawLine {
  std::string_view text;  // without its line end
  std::string_view end;   // "\n", "\r\n", or "" for a last line without one
};

std::vector<RawLine> split_raw(std::string_view bytes) {
  std::vector<RawLine> lines;
  while (!bytes.empty()) {
    size_t feed = bytes.find('\n');
    if (feed == std::string_view::npos) {
      lines.push_back({bytes, {}});
      break;
    }
    size_t end = feed > 0 && bytes[feed - 1] == '\r' ? feed - 1 : feed;
    lines.push_back({bytes.substr(0, end), bytes.substr(end, feed + 1 - end)});
    bytes.remove_prefix(feed + 1);
  }
  return lines;
}

// The group name of a header line as the readers see it: the first 1024
// characters of the line, without a byte-order mark.
std::optional<std::u16string> header_of(std::string_view raw) {
  std::u16string line = port::from_utf8(raw);
  if (!line.empty() && line.front() == kByteOrderMark) line.erase(0, 1);
  if (line.size() > kIniText) line.resize(kIniText);
  auto name = app::ini_header_name(line);
  if (!name) return std::nullopt;
  return std::u16string(*name);
}

// The new group: header, one entry per field that can be written as one,
// and an empty line.
std::string group_text(const std::u16string& group, qx_FldList* list, const std::string& eol,
                       bool with_header) {
  std::string text;
  if (with_header) text += port::to_utf8(u"[" + group + u"]") + eol;
  for (qx_FldList_start(list); !qx_FldList_eol(list); qx_FldList_next(list)) {
    std::u16string name = current_name(list), value;
    int status;
    if (name.empty() || !current_text(list, kIniText, &value, &status)) continue;
    if (!app::ini_entry_writable(name, value)) continue;  // it would read back as something else
    text += port::to_utf8(name + u"=" + value) + eol;
  }
  return text + eol;
}

std::string rewrite(std::string_view old, const std::u16string& group, qx_FldList* list) {
  std::vector<RawLine> lines = split_raw(old);
  std::string eol = "\n";
  for (const RawLine& line : lines)
    if (!line.end.empty()) {
      eol = std::string(line.end);
      break;
    }
  std::string out;
  size_t i = 0;
  bool found = false;
  for (; i < lines.size() && !found; ++i) {
    auto name = header_of(lines[i].text);
    found = name && port::wicmp(name->c_str(), group.c_str()) == 0;
    out.append(lines[i].text).append(found && lines[i].end.empty() ? eol : lines[i].end);
  }
  if (!found) {
    if (!lines.empty() && lines.back().end.empty()) out += eol;
    return out + group_text(group, list, eol, true);
  }
  out += group_text(group, list, eol, false);
  while (i < lines.size() && !header_of(lines[i].text)) ++i;  // the old group's lines go
  for (; i < lines.size(); ++i) out.append(lines[i].text).append(lines[i].end);
  return out;
}

}  // namespace

extern "C" {

int qx_Ini_getGroupName(qx_wchar* line, qx_wchar* name) {
  if (!line) return 0;
  qx_Str_rlb(line);
  auto found = app::ini_header_name(line);
  if (!found) return 0;
  if (name) port::wcopy(name, found->size() + 1, *found);
  return 1;
}

void qx_Ini_parse(const qx_wchar* line, qx_wchar* name, qx_wchar* value) {
  std::u16string text_line = port::wstring_of(line);
  app::IniEntryText entry = app::ini_split_entry(text_line);
  std::u16string_view text = app::trim_blanks(entry.value);
  if (name) port::wcopy(name, entry.name.size() + 1, entry.name);
  if (value) port::wcopy(value, text.size() + 1, text);
}

int qx_Ini_findGroup(FILE* stream, const qx_wchar* group) {
  if (!stream) return 0;
  LineBuffer line, name;
  while (read_line(stream, line))
    if (qx_Ini_getGroupName(line, name) && port::wicmp(name, group ? group : u"") == 0) return 1;
  return 0;
}

qx_StrList* qx_Ini_getGroupLines(const qx_wchar* file, const qx_wchar* group, int keepComments) {
  std::FILE* stream = open_for_reading(file);
  if (!stream) return nullptr;
  qx_StrList* lines = nullptr;
  LineBuffer line;
  if (qx_Ini_findGroup(stream, group)) {
    while (read_line(stream, line)) {
      qx_Str_rlb(line);
      if (!line[0] || (line[0] == u';' && !keepComments)) continue;
      if (line[0] == u'[') break;
      if (!lines) lines = qx_StrList_create(static_cast<const qx_wchar*>(nullptr));
      if (lines) qx_StrList_insEnd(lines, line);
    }
  }
  std::fclose(stream);
  return lines;
}

qx_FldList* qx_Ini_getGroupItems(const qx_wchar* file, const qx_wchar* group) {
  qx_StrList* lines = qx_Ini_getGroupLines(file, group, 0);
  if (!lines) return nullptr;
  qx_FldList* items = nullptr;
  for (qx_StrList_start(lines); !qx_StrList_eol(lines); qx_StrList_next(lines)) {
    const qx_StrListNode* node = static_cast<const qx_StrListNode*>(qx_LnkList_getCurr(lines));
    app::IniEntryText entry = app::ini_split_entry(node->str);
    std::u16string name(entry.name), value(app::trim_blanks(entry.value));
    if (name.empty() || value.empty()) continue;
    if (!items) items = qx_FldList_create(nullptr);
    if (items) qx_FldList_appChar(items, name.c_str(), value.c_str());
  }
  qx_StrList_destroy(lines);
  return items;
}

int qx_Ini_setGroupItems(const qx_wchar* file, const qx_wchar* group, qx_FldList* list) {
  std::u16string path = port::wstring_of(file), name = port::wstring_of(group);
  if (path.empty() || !app::ini_group_writable(name)) return 0;
  std::string native = port::native_path(path);
  std::u16string temp = qx::fs::directory_of(path) + kTempName;

  // One writer at a time in the folder: the settings service and other
  // processes rewrite files here too, and the temporary name is fixed.
  port::FolderLock turn(native);
  if (turn.timed_out()) return 0;
  std::string old;
  bool readable = port::read_file(native, &old);
  // A file that exists but cannot be read (or is a folder) is left alone:
  // writing only the new group over it would lose everything else.
  if (!readable && port::file_exists(native)) return 0;
  std::string text = readable ? rewrite(old, name, list) : port::to_utf8(u"[" + name + u"]\n") +
                                                               group_text(name, list, "\n", false);
  if (!port::write_file_atomically(port::native_path(temp), text)) return 0;
  if (qx_File_move(temp.c_str(), path.c_str()) == 0) return 1;
  port::remove_file(temp);
  return 0;
}

}  // extern "C"
