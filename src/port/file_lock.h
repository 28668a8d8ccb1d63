// Taking turns at changing a shared file.  Processes that read a file,
// change it and write it back (replacing it by rename) must not interleave,
// or the second write loses the first one's change.  A FolderLock gives one
// process at a time the folder the file lives in; the operating system
// drops the lock when its holder ends, even by a crash.  A FileStamp tells
// whether a file was replaced or changed since it was last seen.
#ifndef QX_PORT_FILE_LOCK_H
#define QX_PORT_FILE_LOCK_H

#include <chrono>
#include <cstdint>
#include <string>

namespace qx::port {

class FolderLock {
 public:
  // How long a writer waits for its turn before it gives up.
  static constexpr std::chrono::milliseconds kDefaultWait{30000};

  // Waits for the folder of `native_path` (a POSIX path in UTF-8).  When the
  // folder cannot be opened (it does not exist, or may not be read) nothing
  // is held and nothing is waited for: the change that follows fails or runs
  // alone anyway.
  explicit FolderLock(const std::string& native_path,
                      std::chrono::milliseconds wait = kDefaultWait);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool held() const { return fd_ >= 0; }
  // Another process kept the folder for the whole wait: the caller must not
  // change the file.
  bool timed_out() const { return timed_out_; }

 private:
  int fd_ = -1;
  bool timed_out_ = false;
};

// What identifies one state of a file: a replaced file has another inode,
// a rewritten one another size or change time (nanoseconds).
struct FileStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = -1;  // -1: no such file
  int64_t change_ns = 0;
  int64_t modify_ns = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp of the file now (links followed); size -1 when it cannot be had.
FileStamp file_stamp(const std::string& native_path);

}  // namespace qx::port

#endif  // QX_PORT_FILE_LOCK_H
