// Text files read line by line.  A text file is UTF-8, or 8-bit text
// (ISO-8859-1) where its bytes are not UTF-8; a carriage return before a
// line feed belongs to the line end, as text-mode reading on Windows has it.
#include <algorithm>
#include <string>

#include "fs/names.h"
#include "port/fs.h"
#include "port/wstr.h"
#include "qx/file.h"
#include "qx/strlist.h"

namespace {

namespace port = qx::port;

// The line buffer of readFile and readFileExactly: 512 characters.
constexpr int kLineRoom = 512;

bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Reads the raw bytes of one line, its line feed consumed but not kept.
// Bytes beyond what `maximum` characters can take are skipped, so a huge
// line costs no memory.  Returns how many bytes the line had.
size_t read_raw_line(std::FILE* stream, std::string* raw, size_t maximum) {
  const size_t keep = 4 * maximum + 4;  // a character is at most 4 bytes
  size_t count = 0;
  for (int c; (c = std::getc(stream)) != EOF;) {
    if (c == '\n') {
      if (!raw->empty() && raw->back() == '\r' && count <= keep) raw->pop_back();
      return count;
    }
    if (raw->size() < keep) raw->push_back(static_cast<char>(c));
    ++count;
  }
  return count;
}

std::FILE* open_text(const qx_wchar* path) {
  auto p = qx::fs::path_arg(path);
  return p ? port::open_file(*p, "rb") : nullptr;
}

}  // namespace

extern "C" {

int qx_File_readLine(FILE* stream, qx_wchar* buffer, int maximum) {
  if (!stream || std::feof(stream)) return 0;
  size_t max = maximum > 0 ? static_cast<size_t>(maximum) : 0;
  std::string raw;
  size_t count = read_raw_line(stream, &raw, max);
  if (buffer) {
    std::u16string line = port::from_utf8(raw);
    if (line.size() > max) {
      line.resize(max);
      if (!line.empty() && is_high_surrogate(line.back())) line.pop_back();
    }
    port::wcopy(buffer, max + 1, line);
  }
  return !std::feof(stream) || count > 0 ? 1 : 0;
}

qx_StrList* qx_File_readFile(const qx_wchar* path) {
  std::FILE* f = open_text(path);
  if (!f) return nullptr;
  qx_wchar line[kLineRoom + 1];
  if (!qx_File_readLine(f, line, kLineRoom)) {
    std::fclose(f);
    return nullptr;
  }
  qx_StrList* list = qx_StrList_create(static_cast<const qx_wchar*>(nullptr));
  // Each line is taken only when the stream is not at its end after
  // reading it, so a last line without a line feed is left out.
  while (list && !std::feof(f)) {
    if (line[0]) {
      std::replace(line, line + port::wlen(line), u'\t', u' ');
      qx_StrList_insEnd(list, line);
    }
    qx_File_readLine(f, line, kLineRoom);
  }
  std::fclose(f);
  return list;
}

qx_StrList* qx_File_readFileExactly(const qx_wchar* path) {
  std::FILE* f = open_text(path);
  if (!f) return nullptr;
  qx_StrList* list = nullptr;
  qx_wchar line[kLineRoom + 2];
  while (qx_File_readLine(f, line, kLineRoom) && !std::feof(f)) {
    if (!list) list = qx_StrList_create(static_cast<const qx_wchar*>(nullptr));
    if (!list) break;
    port::wappend(line, kLineRoom + 2, u"\n");
    qx_StrList_insEnd(list, line);
  }
  std::fclose(f);
  return list;
}

}  // extern "C"
