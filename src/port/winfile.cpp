#include "port/winfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <utility>

namespace qx::port {

namespace {

// The sentinel bytes that describe a handle's access and sharing, far above
// any offset a table or index uses (4 GiB + 64 KiB).
constexpr off_t kSentinelBase = (off_t{1} << 32) + 0x10000;
constexpr off_t kReaders = kSentinelBase + 0;        // held by handles that read
constexpr off_t kWriters = kSentinelBase + 1;        // held by handles that write
constexpr off_t kDeniesReaders = kSentinelBase + 2;  // held by handles that do not share reading
constexpr off_t kDeniesWriters = kSentinelBase + 3;  // held by handles that do not share writing

uint32_t windows_error(int err) {
  switch (err) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return kErrorPathNotFound;
    case EEXIST: return kErrorFileExists;
    case ENOSPC:
    case EDQUOT: return kErrorDiskFull;
    case EINVAL: return kErrorInvalidParameter;
    case EBADF: return kErrorInvalidHandle;
    case EAGAIN:
    case EACCES: return kErrorAccessDenied;
    default: return kErrorAccessDenied;
  }
}

struct flock one_byte(short type, off_t offset) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = offset;
  fl.l_len = 1;
  return fl;
}

// True when another open file description holds a lock on the byte.
bool held_by_others(int fd, off_t offset) {
  struct flock fl = one_byte(F_WRLCK, offset);
  if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

bool take_shared(int fd, off_t offset) {
  struct flock fl = one_byte(F_RDLCK, offset);
  return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// Serialises the sharing checks of concurrent opens of one file.
class OpenGate {
 public:
  explicit OpenGate(int fd) : fd_(fd) {
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~OpenGate() { ::flock(fd_, LOCK_UN); }
  OpenGate(const OpenGate&) = delete;
  OpenGate& operator=(const OpenGate&) = delete;

 private:
  int fd_;
};

// Checks the new handle against the handles already open and records its
// own access and sharing.  False on a sharing violation.
bool claim_share(int fd, uint32_t access, uint32_t share) {
  OpenGate gate(fd);
  bool reads = access & kGenericRead, writes = access & kGenericWrite;
  bool denies_readers = !(share & kShareRead), denies_writers = !(share & kShareWrite);
  if (reads && held_by_others(fd, kDeniesReaders)) return false;
  if (writes && held_by_others(fd, kDeniesWriters)) return false;
  if (denies_readers && held_by_others(fd, kReaders)) return false;
  if (denies_writers && held_by_others(fd, kWriters)) return false;
  if (reads && !take_shared(fd, kReaders)) return false;
  if (writes && !take_shared(fd, kWriters)) return false;
  if (denies_readers && !take_shared(fd, kDeniesReaders)) return false;
  if (denies_writers && !take_shared(fd, kDeniesWriters)) return false;
  return true;
}

int open_flags(uint32_t access, Disposition disposition) {
  // Write access opens for reading too: the sharing locks need a readable
  // descriptor.
  int flags = O_CLOEXEC | ((access & kGenericWrite) ? O_RDWR : O_RDONLY);
  switch (disposition) {
    case Disposition::kCreateNew: return flags | O_CREAT | O_EXCL;
    case Disposition::kCreateAlways:
    case Disposition::kOpenAlways: return flags | O_CREAT;
    case Disposition::kOpenExisting:
    case Disposition::kTruncateExisting: return flags;
  }
  return flags;
}

}  // namespace

WinFile::~WinFile() { close(); }

WinFile::WinFile(WinFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      access_(other.access_),
      error_(other.error_),
      locks_(std::move(other.locks_)) {}

WinFile& WinFile::operator=(WinFile&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    access_ = other.access_;
    error_ = other.error_;
    locks_ = std::move(other.locks_);
  }
  return *this;
}

WinFile WinFile::create_file(const std::string& path, uint32_t access, uint32_t share,
                      Disposition disposition) {
  WinFile f;
  f.access_ = access;
  if (path.empty() || !(access & (kGenericRead | kGenericWrite))) {
    f.error_ = kErrorInvalidParameter;
    return f;
  }
  bool truncates = disposition == Disposition::kCreateAlways ||
                   disposition == Disposition::kTruncateExisting;
  if (truncates && !(access & kGenericWrite)) {
    f.error_ = kErrorInvalidParameter;
    return f;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), open_flags(access, disposition), 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    f.error_ = windows_error(errno);
    return f;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    f.error_ = kErrorAccessDenied;
    return f;
  }
  if (!claim_share(fd, access, share)) {
    ::close(fd);  // releases whatever part of the share was taken
    f.error_ = kErrorSharingViolation;
    return f;
  }
  // Emptying waits until the sharing check passed: a file that is in use
  // elsewhere must not lose its contents to a failed replace.
  if (truncates && st.st_size != 0 && ::ftruncate(fd, 0) != 0) {
    f.error_ = windows_error(errno);
    ::close(fd);
    return f;
  }
  f.fd_ = fd;
  f.error_ = 0;
  return f;
}

int64_t WinFile::read_at(uint64_t offset, void* buffer, size_t size) {
  if (fd_ < 0) return fail(kErrorInvalidHandle), -1;
  if (!(access_ & kGenericRead)) return fail(kErrorAccessDenied), -1;
  auto* p = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd_, p + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(kErrorReadFault);
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  error_ = 0;
  return static_cast<int64_t>(done);
}

bool WinFile::write_at(uint64_t offset, const void* data, size_t size) {
  if (fd_ < 0) return fail(kErrorInvalidHandle);
  if (!can_write()) return fail(kErrorAccessDenied);
  const auto* p = static_cast<const char*>(data);
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pwrite(fd_, p + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno == ENOSPC ? kErrorDiskFull : kErrorWriteFault);
    }
    done += static_cast<size_t>(n);
  }
  error_ = 0;
  return true;
}

int64_t WinFile::length() {
  if (fd_ < 0) return fail(kErrorInvalidHandle), -1;
  struct stat st;
  if (::fstat(fd_, &st) != 0) return fail(windows_error(errno)), -1;
  error_ = 0;
  return static_cast<int64_t>(st.st_size);
}

bool WinFile::set_length(uint64_t length) {
  if (fd_ < 0) return fail(kErrorInvalidHandle);
  if (!can_write()) return fail(kErrorAccessDenied);
  if (::ftruncate(fd_, static_cast<off_t>(length)) != 0) return fail(windows_error(errno));
  error_ = 0;
  return true;
}

bool WinFile::flush() {
  if (fd_ < 0) return fail(kErrorInvalidHandle);
  if (::fdatasync(fd_) != 0 && errno != EINVAL) return fail(kErrorWriteFault);
  error_ = 0;
  return true;
}

bool WinFile::lock(uint64_t offset, uint64_t length) {
  if (fd_ < 0) return fail(kErrorInvalidHandle);
  // A zero length would mean "to the end of all offsets" to fcntl.
  if (length == 0 || offset + length < offset) return fail(kErrorInvalidParameter);
  for (const Range& r : locks_)
    if (offset < r.offset + r.length && r.offset < offset + length) return fail(kErrorLockViolation);
  struct flock fl {};
  // A descriptor open for reading only cannot hold a write lock; its lock
  // then keeps writers' handles out but not other readers'.
  fl.l_type = can_write() ? F_WRLCK : F_RDLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  while (::fcntl(fd_, F_OFD_SETLK, &fl) != 0) {
    if (errno == EINTR) continue;
    return fail(errno == EAGAIN || errno == EACCES ? kErrorLockViolation : windows_error(errno));
  }
  locks_.push_back({offset, length});
  error_ = 0;
  return true;
}

bool WinFile::unlock(uint64_t offset, uint64_t length) {
  if (fd_ < 0) return fail(kErrorInvalidHandle);
  for (size_t i = 0; i < locks_.size(); ++i) {
    if (locks_[i].offset != offset || locks_[i].length != length) continue;
    struct flock fl {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    if (::fcntl(fd_, F_OFD_SETLK, &fl) != 0) return fail(windows_error(errno));
    locks_.erase(locks_.begin() + static_cast<std::ptrdiff_t>(i));
    error_ = 0;
    return true;
  }
  return fail(kErrorNotLocked);
}

void WinFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  locks_.clear();
}

bool delete_file(const std::string& path) { return ::unlink(path.c_str()) == 0; }

LocalDate local_date() {
  std::time_t now = std::time(nullptr);
  struct tm tm {};
  ::localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

int64_t clock_seconds() { return static_cast<int64_t>(std::time(nullptr)); }

void sleep_ms(unsigned ms) {
  struct timespec ts {};
  ts.tv_sec = ms / 1000;
  ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

}  // namespace qx::port
