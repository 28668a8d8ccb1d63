#include "port/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace qx::port {

namespace {

std::string folder_of(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

int64_t nanoseconds(const struct timespec& t) {
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

}  // namespace

FolderLock::FolderLock(const std::string& native_path) {
  fd_ = ::open(folder_of(native_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  // flock() rather than a record lock: a folder cannot be opened for
  // writing, and the lock must go with this descriptor only.
  int rc;
  while ((rc = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (rc != 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);  // closing the only descriptor releases the lock
}

FileStamp file_stamp(const std::string& native_path) {
  FileStamp stamp;
  struct stat st;
  if (native_path.empty() || ::stat(native_path.c_str(), &st) != 0) return stamp;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.change_ns = nanoseconds(st.st_ctim);
  stamp.modify_ns = nanoseconds(st.st_mtim);
  return stamp;
}

}  // namespace qx::port
