// Directories and drives: creating every missing level, removing one
// directory or a whole tree, changing and reading the current directory,
// and the parent of a path.
//
// The directory functions lower-case their working copy of the path, so
// the levels they create have lower-case names and the file service hears
// of lower-case paths.  Existing directories are looked up with the
// caller's own spelling: on a case-sensitive file system the lower-cased
// name could name another directory.
#include <vector>

#include "fs/names.h"
#include "fs/service_internal.h"
#include "port/fs.h"
#include "port/path.h"
#include "port/wstr.h"
#include "qx/file.h"

namespace {

using qx::fs::is_separator;
using qx::fs::path_arg;
namespace port = qx::port;

std::u16string with_separator(std::u16string path) {
  if (!path.empty() && !is_separator(path.back())) path.push_back(qx::fs::separator_of(path));
  return path;
}

bool is_dot_entry(const std::u16string& name) { return name == u"." || name == u".."; }

int delete_tree(const std::u16string& dir) {
  std::u16string prefix = with_separator(dir);
  qx_File_delete((prefix + u"*").c_str(), 0);
  // What is left are directories (and files that could not be deleted).
  // Links are never followed: what they point to lies outside the tree.
  std::vector<port::DirEntry> entries;
  port::list_directory(dir, &entries);
  for (const port::DirEntry& e : entries)
    if (!is_dot_entry(e.name) && e.status.is_directory && !e.status.is_link)
      delete_tree(prefix + e.name);
  return qx_Dir_delete(dir.c_str());
}

}  // namespace

extern "C" {

int qx_Dir_create(const qx_wchar* path) {
  auto p = path_arg(path);
  if (!p) return -1;
  std::u16string given = with_separator(*p);
  std::u16string lowered = qx::fs::lower(given);
  qx::fs::service_revalidate(lowered);

  int result = -1;
  size_t level_start = 0;  // where the current level's name starts
  for (size_t i = 1; i < given.size(); ++i) {
    if (!is_separator(given[i])) continue;
    if (!is_separator(given[i - 1]) &&
        !port::access_path(std::u16string_view(given).substr(0, i), 0)) {
      // The new level gets its lower-case name below its parent as given.
      std::u16string level = given.substr(0, level_start) +
                             lowered.substr(level_start, i - level_start);
      result = port::make_directory(level) ? 0 : -1;
    }
    level_start = i + 1;
  }
  return result;
}

int qx_Dir_delete(const qx_wchar* path) {
  auto p = path_arg(path);
  if (!p) return -1;
  qx::fs::service_revalidate(qx::fs::lower(*p));
  std::u16string dir = *p;
  if (dir.size() > 1 && is_separator(dir.back())) dir.pop_back();
  return port::remove_directory(dir) ? 0 : -1;
}

int qx_Dir_deleteTree(const qx_wchar* path) {
  auto p = path_arg(path);
  return p ? delete_tree(*p) : -1;
}

int qx_Dir_change(const qx_wchar* path) {
  auto p = path_arg(path);
  if (!p) return -1;
  std::u16string dir = *p;
  // "c:\" and "/" keep their separator; any other loses a trailing one.
  if (dir.size() > 1 && is_separator(dir.back()) && dir[dir.size() - 2] != u':') dir.pop_back();
  if (dir.size() < 2 || dir[1] != u':') return port::change_directory(dir) ? 0 : -1;

  int previous = qx_Drive_get();
  int result = qx_Drive_set(qx_Drive_num(dir[0]));
  if (result == 0 && dir.size() > 2) {
    result = port::change_directory(dir) ? 0 : -1;
    // Switching back cannot work: the current drive is never known.
    if (result != 0) qx_Drive_set(previous);
  }
  return result;
}

qx_wchar* qx_Dir_current(void) {
  static qx_wchar buffer[qx::fs::kPathRoom + 1];
  // A directory too long for the buffer is not given cut, as another one.
  std::u16string cwd = port::current_directory();
  if (cwd.size() > qx::fs::kPathRoom) cwd.clear();
  return qx::fs::into_buffer(buffer, cwd);
}

qx_wchar* qx_Dir_getParent(const qx_wchar* path) {
  static qx_wchar buffer[qx::fs::kPathRoom + 1];
  if (!qx::fs::path_arg(path)) return nullptr;
  qx::fs::into_buffer(buffer, qx_Fname_fullPath(path));
  size_t n = port::wlen(buffer);
  if (n > 0 && is_separator(buffer[n - 1])) buffer[--n] = 0;
  while (n > 0 && !is_separator(buffer[n - 1]) && buffer[n - 1] != u':') --n;
  // No separator left, or only a drive's colon: a root has no parent.
  if (n == 0 || buffer[n - 1] == u':') return nullptr;
  buffer[n] = 0;
  return buffer;
}

int qx_Drive_set(int drive) {
  if (drive < 1 || drive > 26) return -1;
  // Each drive is a folder; staying anywhere inside the drive's folder is
  // being on that drive already, otherwise its root becomes current.
  std::string folder = port::drive_root(static_cast<char>('A' + drive - 1));
  if (port::current_directory_within(folder)) return 0;
  return port::change_directory(port::from_utf8(folder)) ? 0 : -1;
}

int qx_Drive_num(qx_wchar letter) { return port::wtoupper(letter) - 64; }

int qx_Drive_get(void) { return -1; }

}  // extern "C"
