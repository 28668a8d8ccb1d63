// Whole-file operations: existence and access, create, delete, move, copy,
// append and time stamps.  Existence tests go to the file service of the
// application component; deletes, moves and copies tell it what changed.
#include <cstring>

#include "fs/names.h"
#include "fs/service_internal.h"
#include "port/fs.h"
#include "port/path.h"
#include "port/wstr.h"
#include "qx/file.h"

namespace {

using qx::fs::path_arg;
namespace port = qx::port;

// The transfer buffer shared by qx_File_copy and qx_File_copyRest.
constexpr size_t kTransferSize = 16384;
unsigned char g_transfer[kTransferSize];

// Copies a stream to its end in blocks of `block` bytes; false when a
// write fails.  After a short read the next read asks only for as many bytes
// as that read gave, as the descriptor-level copy always did.
bool copy_stream(std::FILE* target, std::FILE* source, size_t block) {
  size_t want = block;
  for (;;) {
    size_t got = std::fread(g_transfer, 1, want, source);
    if (got == 0) return true;
    if (std::fwrite(g_transfer, 1, got, target) != got) return false;
    want = got;
  }
}

int delete_listed_files(const std::u16string& list_file) {
  std::FILE* f = port::open_file(list_file, "rb");
  if (!f) return 0;
  int count = 0;
  qx_wchar line[qx::fs::kPathRoom + 1];
  while (qx_File_readLine(f, line, static_cast<int>(qx::fs::kPathRoom))) {
    if (port::remove_file(line)) {
      qx::fs::service_revalidate(line);
      ++count;
    }
  }
  std::fclose(f);
  return count;
}

int delete_matching_files(const std::u16string& pattern) {
  std::u16string dir = qx::fs::directory_of(pattern);
  qx_wchar name[QX_MAX_PATH];
  int count = 0;
  for (int r = qx_File_findFirst(pattern.c_str(), name); r == 0; r = qx_File_findNext(name)) {
    std::u16string path = dir + name;
    if (port::remove_file(path)) {
      qx::fs::service_revalidate(path);
      ++count;
    }
  }
  return count;
}

}  // namespace

extern "C" {

int qx_File_exists(const qx_wchar* path) {
  auto p = path_arg(path);
  return p && qx::fs::service_file_exists(*p) ? 1 : 0;
}

int qx_Dir_exists(const qx_wchar* path) {
  auto p = path_arg(path);
  return p && qx::fs::service_dir_exists(*p) ? 1 : 0;
}

int qx_File_hasAccess(const qx_wchar* path, int mode) {
  auto p = path_arg(path);
  return p && port::access_path(*p, mode) ? 1 : 0;
}

int qx_File_isWriteEnabled(const qx_wchar* path) { return qx_File_hasAccess(path, 2); }

int qx_File_setReadOnlyAccess(const qx_wchar* path) {
  auto p = path_arg(path);
  return p && port::set_read_only(*p, true) ? 1 : 0;
}

int qx_File_setReadWriteAccess(const qx_wchar* path) {
  auto p = path_arg(path);
  return p && port::set_read_only(*p, false) ? 1 : 0;
}

int qx_File_create(const qx_wchar* path) {
  auto p = path_arg(path);
  if (!p) return 0;
  if (qx_File_exists(path)) return 1;
  // Append mode creates a missing file and leaves an existing one (which
  // the service may not have reported) as it is.
  std::FILE* f = port::open_file(*p, "ab");
  if (!f) return 0;
  std::fclose(f);
  return 1;
}

int qx_File_deleteSingle(const qx_wchar* path) {
  auto p = path_arg(path);
  if (!p) return 0;
  qx::fs::service_revalidate(*p);
  return port::remove_file(*p) ? 1 : 0;
}

int qx_File_delete(const qx_wchar* path, int listFile) {
  auto p = path_arg(path);
  if (!p) return 0;
  return listFile ? delete_listed_files(*p) : delete_matching_files(*p);
}

int qx_File_move(const qx_wchar* from, const qx_wchar* to) {
  auto f = path_arg(from), t = path_arg(to);
  if (!f || !t) return -1;
  // The rename replaces an existing target in one step, so a move that
  // cannot happen (missing source, read-only or directory target) leaves
  // the target in place.
  int result = -1;
  port::FileStatus target;
  bool target_exists = port::stat_path(*t, &target);
  if (port::stat_path(*f, nullptr) &&
      !(target_exists && (target.is_directory || !target.writable)))
    result = port::rename_path(*f, *t) ? 0 : -1;
  qx::fs::service_revalidate(*f);
  qx::fs::service_revalidate(*t);
  return result;
}

int qx_File_copy(const qx_wchar* from, const qx_wchar* to) {
  auto f = path_arg(from), t = path_arg(to);
  if (!f || !t) return 1;
  std::u16string full_from = qx::fs::lower(qx_Fname_fullPath(f->c_str()));
  std::u16string full_to = qx::fs::lower(qx_Fname_fullPath(t->c_str()));
  // A copy onto the source would empty it before reading it; two names of
  // one file (links, another letter case) are refused as well.
  if (full_from == full_to || port::same_file(*f, *t)) return 1;

  std::FILE* in = port::open_file(*f, "rb");
  if (!in) return 1;
  int32_t time = 0;
  bool have_time = qx_File_getTime(f->c_str(), &time) == 0;
  int result = 1;
  if (std::FILE* out = port::open_file(*t, "wb")) {
    bool copied = copy_stream(out, in, kTransferSize - 1);
    bool closed = std::fclose(out) == 0;
    if (have_time) qx_File_setTime(t->c_str(), time);
    result = copied && closed && !std::ferror(in) ? 0 : 1;
  }
  std::fclose(in);
  qx::fs::service_revalidate(*t);
  return result;
}

int qx_File_append(const qx_wchar* target, const qx_wchar* source) {
  auto t = path_arg(target), s = path_arg(source);
  if (!t || !s) return 1;
  // Appending a file to itself would read what it writes without end.
  if (port::same_file(*t, *s)) return 1;
  std::FILE* in = port::open_file(*s, "rb");
  if (!in) return 1;
  std::FILE* out = port::open_file(*t, "ab");
  if (out) {
    qx_File_copyRest(out, in);
    std::fclose(out);
  }
  std::fclose(in);
  return out ? 0 : 1;
}

int qx_File_copyRest(FILE* target, FILE* source) {
  if (!target || !source) return 0;
  // Through the streams rather than their descriptors, so that what the
  // caller has already read or written through them counts.
  copy_stream(target, source, kTransferSize);
  std::fflush(target);
  return 0;
}

void qx_File_revalidate(const qx_wchar* path) {
  if (auto p = path_arg(path)) qx::fs::service_revalidate(*p);
}

long qx_File_length(FILE* stream) { return static_cast<long>(port::stream_length(stream)); }

int qx_File_getTime(const qx_wchar* path, int32_t* time) {
  auto p = path_arg(path);
  port::FileStatus st;
  if (!p || !port::stat_path(*p, &st)) return 1;
  if (time) *time = static_cast<int32_t>(st.write_time);
  return 0;
}

int qx_File_setTime(const qx_wchar* path, int32_t time) {
  auto p = path_arg(path);
  return p && port::set_file_times(*p, static_cast<int64_t>(time)) ? 0 : -1;
}

int qx_File_cmpTime(const qx_wchar* a, const qx_wchar* b) {
  int32_t ta = 0, tb = 0;
  if (qx_File_getTime(a, &ta) != 0) return -1;
  if (qx_File_getTime(b, &tb) != 0) return 1;
  if (ta == tb) return 0;
  return ta < tb ? -1 : 1;
}

}  // extern "C"
