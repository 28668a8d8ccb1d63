#include "port/native_file.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace qx::port {

namespace {

bool stat_of(const std::string& path, struct stat* st) {
  return !path.empty() && ::stat(path.c_str(), st) == 0;
}

// Closes a descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { close(); }
  int get() const { return fd_; }
  bool close() {
    if (fd_ < 0) return true;
    bool ok = ::close(fd_) == 0;
    fd_ = -1;
    return ok;
  }

 private:
  int fd_;
};

bool write_all(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// The file a write really replaces: a link's target, so the link survives.
std::string resolve_link(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char real[PATH_MAX];
  return ::realpath(path.c_str(), real) ? std::string(real) : path;
}

std::string folder_of(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself durable.  Some file systems refuse to sync a
// directory; the data is on the disk by then, so that is not a failure.
void sync_folder(const std::string& folder) {
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace

bool read_file(const std::string& native_path, std::string* contents) {
  if (native_path.empty() || !contents) return false;
  Fd fd(::open(native_path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  std::string text;
  char buffer[64 * 1024];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  *contents = std::move(text);
  return true;
}

bool write_file_atomically(const std::string& native_path, std::string_view contents) {
  if (native_path.empty()) return false;
  std::string target = resolve_link(native_path);
  struct stat old;
  bool replaces = stat_of(target, &old);
  if (replaces && !S_ISREG(old.st_mode)) return false;
  // A file without write permission is read-only, even for a privileged
  // user; renaming over it would get around that.
  if (replaces && ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                   ::access(target.c_str(), W_OK) != 0))
    return false;

  std::string temp = target + ".XXXXXX";
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return false;
  // A new file gets what the umask allows a plain creat(); an old one keeps
  // its mode.  Reading the umask means setting it, which is safe because the
  // library is used from one thread at a time.
  mode_t mode = 0666;
  if (replaces) {
    mode = old.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  bool ok = ::fchmod(fd.get(), mode) == 0 && write_all(fd.get(), contents) &&
            ::fsync(fd.get()) == 0;
  ok = fd.close() && ok;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  sync_folder(folder_of(target));
  return true;
}

void sync_folder_of(const std::string& native_path) { sync_folder(folder_of(native_path)); }

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

bool file_exists(const std::string& native_path) {
  struct stat st;
  return stat_of(native_path, &st);
}

bool is_file(const std::string& native_path) {
  struct stat st;
  return stat_of(native_path, &st) && S_ISREG(st.st_mode);
}

bool is_directory(const std::string& native_path) {
  struct stat st;
  return stat_of(native_path, &st) && S_ISDIR(st.st_mode);
}

std::string make_temp_directory(std::string_view prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string templ = (base && *base) ? base : "/tmp";
  if (templ.back() != '/') templ.push_back('/');
  templ.append(prefix).append("XXXXXX");
  return ::mkdtemp(templ.data()) ? templ : std::string();
}

namespace {

int remove_entry(const char* path, const struct stat*, int type, struct FTW*) {
  return (type == FTW_DP ? ::rmdir(path) : ::unlink(path)) == 0 ? 0 : -1;
}

}  // namespace

bool remove_tree(const std::string& native_path) {
  if (native_path.empty()) return false;
  // Children first (FTW_DEPTH), links as themselves (FTW_PHYS).
  return ::nftw(native_path.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS) == 0;
}

}  // namespace qx::port
