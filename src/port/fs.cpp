#include "port/fs.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "port/path.h"
#include "port/wstr.h"

namespace qx::port {

namespace {

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

// The mapped path, or empty for an empty library path (which names nothing;
// native_path would otherwise take it for the current directory).
std::string native(path_view path) {
  if (path.empty()) return {};
  return native_path(path);
}

bool native_stat(const std::string& p, struct stat* st) {
  return !p.empty() && ::stat(p.c_str(), st) == 0;
}

FileStatus status_of(const struct stat& st) {
  FileStatus s;
  s.is_directory = S_ISDIR(st.st_mode);
  s.is_regular = S_ISREG(st.st_mode);
  s.writable = (st.st_mode & kAnyWrite) != 0;
  s.size = static_cast<int64_t>(st.st_size);
  s.access_time = static_cast<int64_t>(st.st_atime);
  s.write_time = static_cast<int64_t>(st.st_mtime);
  s.change_time = static_cast<int64_t>(st.st_ctime);
  s.device = static_cast<uint64_t>(st.st_dev);
  s.inode = static_cast<uint64_t>(st.st_ino);
  return s;
}

}  // namespace

bool stat_path(path_view path, FileStatus* status) {
  struct stat st;
  if (!native_stat(native(path), &st)) return false;
  if (status) *status = status_of(st);
  return true;
}

bool access_path(path_view path, int mode) {
  int how;
  switch (mode) {
    case 0: how = F_OK; break;
    case 2: how = W_OK; break;
    case 4: how = R_OK; break;
    case 6: how = R_OK | W_OK; break;
    default: return false;
  }
  std::string p = native(path);
  if (p.empty() || ::access(p.c_str(), how) != 0) return false;
  if (!(mode & 2)) return true;
  // A privileged user passes every write test; the read-only attribute of
  // a file stops even that user, so a file without write bits fails here.
  struct stat st;
  if (!native_stat(p, &st)) return false;
  return S_ISDIR(st.st_mode) || (st.st_mode & kAnyWrite) != 0;
}

bool set_read_only(path_view path, bool read_only) {
  std::string p = native(path);
  struct stat st;
  if (!native_stat(p, &st)) return false;
  mode_t mode = st.st_mode & 07777;
  mode = read_only ? (mode & ~kAnyWrite) : (mode | S_IWUSR);
  return ::chmod(p.c_str(), mode) == 0;
}

bool set_file_times(path_view path, int64_t seconds) {
  std::string p = native(path);
  if (p.empty()) return false;
  struct timeval times[2];
  times[0].tv_sec = static_cast<time_t>(seconds);
  times[0].tv_usec = 0;
  times[1] = times[0];
  return ::utimes(p.c_str(), times) == 0;
}

namespace {

// A regular file without any write permission, which a privileged user
// could still change: such files are read-only here as on Windows.
bool read_only_file(const std::string& p, bool follow_links) {
  struct stat st;
  int r = follow_links ? ::stat(p.c_str(), &st) : ::lstat(p.c_str(), &st);
  return r == 0 && S_ISREG(st.st_mode) && (st.st_mode & kAnyWrite) == 0;
}

}  // namespace

std::FILE* open_file(path_view path, const char* mode) {
  std::string p = native(path);
  if (p.empty() || !mode) return nullptr;
  bool writes = std::strpbrk(mode, "wa+") != nullptr;
  if (writes && read_only_file(p, true)) {
    errno = EACCES;
    return nullptr;
  }
  return std::fopen(p.c_str(), mode);
}

int64_t stream_length(std::FILE* stream) {
  if (!stream) return -1;
  struct stat st;
  if (::fstat(::fileno(stream), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool rename_path(path_view from, path_view to) {
  std::string f = native(from), t = native(to);
  return !f.empty() && !t.empty() && ::rename(f.c_str(), t.c_str()) == 0;
}

bool remove_file(path_view path) {
  std::string p = native(path);
  if (p.empty() || read_only_file(p, false)) return false;
  return ::unlink(p.c_str()) == 0;
}

bool make_directory(path_view path) {
  std::string p = native(path);
  return !p.empty() && ::mkdir(p.c_str(), 0777) == 0;
}

bool remove_directory(path_view path) {
  std::string p = native(path);
  return !p.empty() && ::rmdir(p.c_str()) == 0;
}

bool change_directory(path_view path) {
  std::string p = native(path);
  return !p.empty() && ::chdir(p.c_str()) == 0;
}

std::u16string current_directory() {
  std::string buf(4096, '\0');
  if (!::getcwd(buf.data(), buf.size())) return {};
  buf.resize(std::char_traits<char>::length(buf.c_str()));
  return from_utf8(buf);
}

bool current_directory_within(const std::string& folder) {
  std::string buf(4096, '\0');
  if (!::getcwd(buf.data(), buf.size())) return false;
  buf.resize(std::char_traits<char>::length(buf.c_str()));
  std::string root = folder;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  if (root == "/") return true;
  return buf == root || (buf.size() > root.size() && buf.compare(0, root.size(), root) == 0 &&
                         buf[root.size()] == '/');
}

bool same_file(path_view a, path_view b) {
  struct stat sa, sb;
  if (!native_stat(native(a), &sa) || !native_stat(native(b), &sb)) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool list_directory(path_view dir, std::vector<DirEntry>* entries) {
  // An empty directory part means the current directory here.
  std::string p = dir.empty() ? std::string(".") : native_path(dir);
  DIR* d = ::opendir(p.c_str());
  if (!d) return false;
  if (p.back() != '/') p.push_back('/');
  while (struct dirent* e = ::readdir(d)) {
    DirEntry entry;
    entry.name = from_utf8(e->d_name);
    std::string full = p + e->d_name;
    struct stat st;
    // A link is described by what it points to; a dangling one by itself.
    bool is_link = ::lstat(full.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    if (::stat(full.c_str(), &st) == 0 || ::lstat(full.c_str(), &st) == 0)
      entry.status = status_of(st);
    entry.status.is_link = is_link;
    if (entries) entries->push_back(std::move(entry));
  }
  ::closedir(d);
  return true;
}

}  // namespace qx::port
