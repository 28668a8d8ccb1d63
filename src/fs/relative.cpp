// A file name relative to a directory: "c\f.txt" below it, "..\x\f.txt"
// beside it.  Both names are absolute; a drive name is compared after its
// "C:\" prefix, a POSIX name after its root "/".
#include "qx/fname.h"

#include "fs/names.h"
#include "port/wstr.h"

namespace {

using qx::fs::is_separator;
using qx::fs::kPathRoom;

// Characters compare equal when they are, or when both are separators.
bool same_char(qx_wchar a, qx_wchar b) { return a == b || (is_separator(a) && is_separator(b)); }

}  // namespace

extern "C" qx_wchar* qx_File_getRelativeFilename(const qx_wchar* directory, const qx_wchar* file) {
  static qx_wchar buffer[kPathRoom + 1];
  size_t dlen = qx::port::wlen(directory), flen = qx::port::wlen(file);
  if (dlen < 4 || dlen > kPathRoom || flen < 4 || flen > kPathRoom) return nullptr;

  // Different drives: nothing relative to say.
  if (directory[0] != file[0]) return qx::fs::into_buffer(buffer, file);

  size_t i = directory[1] == u':' ? 3 : 1;
  while (i < dlen && i < flen && same_char(directory[i], file[i])) ++i;

  // The file lies in the directory or below it.
  if (i == dlen && (is_separator(file[i]) || is_separator(file[i - 1]))) {
    if (is_separator(file[i])) ++i;
    return qx::fs::into_buffer(buffer, file + i);
  }

  // Climb one level, plus one for each further directory level after the
  // point of difference; the rest starts at the file's component there.
  size_t levels = 1;
  for (size_t k = i; k < dlen; ++k)
    if (is_separator(directory[k]) && directory[k + 1]) ++levels;
  while (i > 0 && !is_separator(file[i - 1])) --i;

  std::u16string_view rest(file + i, flen - i);
  if (3 * levels + rest.size() >= kPathRoom + 1) return nullptr;
  qx_wchar sep = qx::fs::separator_of(std::u16string_view(file, flen));
  std::u16string out;
  for (size_t k = 0; k < levels; ++k) {
    out += u"..";
    out += sep;
  }
  out += rest;
  return qx::fs::into_buffer(buffer, out);
}
