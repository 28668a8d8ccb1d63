#include "port/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

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

FolderLock::FolderLock(const std::string& native_path, std::chrono::milliseconds wait) {
  fd_ = ::open(folder_of(native_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  // flock() rather than a record lock: a folder cannot be opened for
  // writing, and the lock must go with this descriptor only.  It is tried
  // rather than waited for, so that a holder that hangs costs the others a
  // bounded wait and a reported failure instead of a hang of their own.
  auto give_up = std::chrono::steady_clock::now() + wait;
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
    if (errno != EWOULDBLOCK && errno != EINTR) break;
    if (std::chrono::steady_clock::now() >= give_up) {
      timed_out_ = true;
      break;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
  ::close(fd_);
  fd_ = -1;
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
