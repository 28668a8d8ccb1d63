// File names: extensions, directory parts, joining, temporary names and
// absolute forms.  Pure string work in the caller's buffer, except
// qx_Fname_fullPath, which needs the current directory.
#include "qx/fname.h"

#include <cstdlib>
#include <ctime>
#include <vector>

#include "fs/names.h"
#include "port/fs.h"
#include "port/wstr.h"

namespace {

using qx::fs::is_separator;
using qx::fs::kPathRoom;
using qx::port::wlen;

// Index of the extension's point, or npos.  Scans back from the end and
// stops at a separator: a point in a directory name is no extension.
size_t extension_point(const qx_wchar* name) {
  for (size_t i = wlen(name); i-- > 0;) {
    if (is_separator(name[i])) break;
    if (name[i] == u'.') return i;
  }
  return std::u16string::npos;
}

bool ends_with(const std::u16string& s, qx_wchar c) { return !s.empty() && s.back() == c; }

bool is_drive_prefix(std::u16string_view s) {
  return s.size() >= 2 && s[1] == u':' && qx::port::wisalpha(s[0]);
}

// "." and ".." resolved over the components of `rest`, joined to `root`
// with `sep`; a trailing separator of the name is kept.
std::u16string normalized(std::u16string root, std::u16string_view rest, qx_wchar sep) {
  std::vector<std::u16string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= rest.size(); ++i) {
    if (i < rest.size() && !is_separator(rest[i])) continue;
    std::u16string_view part = rest.substr(start, i - start);
    start = i + 1;
    if (part.empty() || part == u".") continue;
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::u16string out = std::move(root);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out.push_back(sep);
    out.append(parts[i]);
  }
  if (!parts.empty() && !rest.empty() && is_separator(rest.back())) out.push_back(sep);
  return out;
}

// The absolute form of a name: a drive name keeps its drive and takes
// backslashes (as the system's full-path call gives them), anything else is
// a POSIX path, a relative one joined to the current directory.
std::u16string absolute_form(std::u16string_view name) {
  if (is_drive_prefix(name)) {
    std::u16string root{name[0], u':', u'\\'};
    return normalized(root, name.substr(2), u'\\');
  }
  if (is_separator(name[0])) return normalized(u"/", name, u'/');
  std::u16string cwd = qx::port::current_directory();
  if (cwd.empty()) return {};
  return normalized(u"/", cwd + u"/" + std::u16string(name), u'/');
}

}  // namespace

extern "C" {

void qx_Fname_fixDir(qx_wchar* name) {
  size_t n = wlen(name);
  if (n == 0 || is_separator(name[n - 1])) return;
  name[n] = qx::fs::separator_of(std::u16string_view(name, n));
  name[n + 1] = 0;
}

int qx_Fname_addExt(qx_wchar* name, const qx_wchar* ext) {
  if (!name) return 0;
  size_t point = extension_point(name);
  if (point != std::u16string::npos) name[point] = 0;
  qx::port::wcat(name, u".");
  if (ext) qx::port::wcat(name, ext);
  return 0;
}

int qx_Fname_modExt(qx_wchar* name, const qx_wchar* ext, int replace) {
  if (!name) return 0;
  size_t point = extension_point(name);
  if (point != std::u16string::npos && !replace) return 1;
  if (point != std::u16string::npos) name[point] = 0;
  if (ext && *ext) {
    qx::port::wcat(name, u".");
    qx::port::wcat(name, ext);
  }
  return 1;
}

int qx_Fname_extractPath(const qx_wchar* name, qx_wchar* path) {
  if (!path) return 0;
  std::u16string dir = qx::fs::directory_of(qx::port::wstring_of(name));
  qx::port::wcpy(path, dir.c_str());
  return static_cast<int>(dir.size());
}

int qx_Fname_extractExt(const qx_wchar* name, qx_wchar* ext) {
  if (!ext) return 0;
  ext[0] = 0;
  if (!name) return 0;
  size_t point = extension_point(name);
  if (point == std::u16string::npos) return 0;
  qx::port::wcpy(ext, name + point + 1);
  return static_cast<int>(wlen(ext));
}

int qx_Fname_rmvPath(qx_wchar* name) {
  size_t n = wlen(name);
  for (size_t i = n; i-- > 0;) {
    if (is_separator(name[i]) || name[i] == u':') {
      // The rest, terminator included, moves to the front.
      for (size_t k = 0; k + i + 1 <= n; ++k) name[k] = name[k + i + 1];
      break;
    }
  }
  return 0;
}

int qx_Fname_rmvExt(qx_wchar* name) {
  // The first character is never examined, so ".profile" keeps its point.
  for (size_t i = wlen(name); i-- > 1;) {
    qx_wchar c = name[i];
    if (is_separator(c) || c == u':') break;
    if (c == u'.') {
      name[i] = 0;
      break;
    }
  }
  return 0;
}

void qx_Fname_build(qx_wchar* out, const qx_wchar* drive, const qx_wchar* directory,
                    const qx_wchar* base, const qx_wchar* ext) {
  if (!out) return;
  // Empty parts count as absent: an empty directory must not turn into a
  // root separator, nor an empty extension into a trailing point.
  std::u16string name;
  if (drive && *drive) {
    name += drive;
    if (!ends_with(name, u':')) name += u':';
  }
  if (directory && *directory) {
    std::u16string dir(directory);
    name += dir;
    if (!is_separator(dir.back())) name += qx::fs::separator_of(dir);
  }
  if (base) name += base;
  if (ext && *ext) {
    if (ext[0] != u'.') name += u'.';
    name += ext;
  }
  qx::port::wcpy(out, name.c_str());
}

qx_wchar* qx_Fname_createTemp(void) {
  static qx_wchar buffer[kPathRoom + 1];
  static bool unseeded = true;
  if (unseeded) {
    std::srand(static_cast<unsigned>(static_cast<uint32_t>(std::time(nullptr))));
    unseeded = false;
  }
  qx::port::wsnprintf(buffer, sizeof buffer / sizeof buffer[0], u"qx_%05d", std::rand() % 32767);
  return buffer;
}

qx_wchar* qx_Fname_fullPath(const qx_wchar* name) {
  static qx_wchar buffer[kPathRoom + 1];
  std::u16string given = qx::port::wstring_of(name);
  std::u16string full = given.empty() ? std::u16string() : absolute_form(given);
  if (full.empty() || full.size() > kPathRoom) full = given;
  return qx::fs::into_buffer(buffer, full);
}

qx_wchar* qx_File_getUNCPathName(const qx_wchar* name) {
  static qx_wchar buffer[kPathRoom + 1];
  buffer[0] = 0;
  if (!name) return buffer;
  // A drive letter names a network share only when the drive is mapped to
  // one; drives here are local folders, so every name is already its own
  // network form.
  return qx::fs::into_buffer(buffer, name);
}

}  // extern "C"
