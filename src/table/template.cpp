// Template files: plain-text descriptions of a table's fields, one a line,
// each a name and a seven-character descriptor such as "N010002" (type,
// width in three digits, decimals in three digits).
#include <cstdio>

#include "fs/names.h"
#include "port/fs.h"
#include "port/wstr.h"
#include "qx/dbfldlist.h"
#include "qx/file.h"
#include "qx/str.h"

namespace {

namespace port = qx::port;

// The line buffer of template reading, and the room of a parsed name.
constexpr int kLineRoom = 256;
constexpr size_t kDescriptorLength = 7;

// _wtoi of `count` characters of `from`.
int number_of(const qx_wchar* from, size_t count) {
  qx_wchar digits[kDescriptorLength + 1] = {};
  for (size_t i = 0; i < count && from[i]; ++i) digits[i] = from[i];
  return port::wtoi(digits);
}

}  // namespace

extern "C" {

int qx_DbFldList_parseFldDesc(const qx_wchar* line, qx_wchar* name, qx_wchar* type, int* width,
                              int* decimals) {
  if (!line) return 0;
  // The first word is cut to the room the name output is documented to
  // have, so a long line cannot overrun it.
  qx_wchar word[kLineRoom * 4];
  std::u16string cut(line, port::wlen(line) < sizeof word / sizeof *word - 1
                               ? port::wlen(line)
                               : sizeof word / sizeof *word - 1);
  int position = 0;
  qx_Str_nextSDLWord(word, cut.c_str(), &position);
  if (name) port::wcopy(name, kLineRoom, word);
  size_t at = static_cast<size_t>(position);
  while (cut[at] == u' ') ++at;
  qx_wchar descriptor[kDescriptorLength + 1] = {};
  size_t length = 0;
  while (length < kDescriptorLength && cut[at + length]) {
    descriptor[length] = cut[at + length];
    ++length;
  }
  if (!word[0] || length != kDescriptorLength) return 0;
  if (name) port::wupr(name);
  if (type) *type = port::wtoupper(descriptor[0]);
  if (width) *width = number_of(descriptor + 1, 3);
  if (decimals) *decimals = number_of(descriptor + 4, 3);
  return 1;
}

qx_DbFldList* qx_DbFldList_fromTemplate(const qx_wchar* path) {
  auto p = qx::fs::path_arg(path);
  std::FILE* file = p ? port::open_file(*p, "rb") : nullptr;
  if (!file) return nullptr;
  qx_DbFldList* list = qx_LnkList_create(nullptr);
  qx_wchar line[kLineRoom + 1];
  while (list && qx_File_readLine(file, line, kLineRoom)) {
    qx_wchar name[kLineRoom];
    qx_wchar type = 0;
    int width = 0, decimals = 0;
    if (qx_DbFldList_parseFldDesc(line, name, &type, &width, &decimals))
      qx_DbFldList_insEnd(list, name, nullptr, width, decimals, type);
  }
  std::fclose(file);
  if (list && list->count == 0) {
    qx_DbFldList_destroy(list);
    list = nullptr;
  }
  return list;
}

}  // extern "C"
