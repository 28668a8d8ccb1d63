// Files opened the Windows way: an access mask, a sharing mode and a
// creation disposition, with byte-range locks that conflict between any two
// handles (even two handles of one process), as the table engine expects.
//
// Sharing is enforced between cooperating processes with open-file-
// description locks on a sentinel range above 4 GiB, where no table data
// ever lies.  Every open handle holds shared locks on the sentinel bytes
// that describe it ("reads", "writes", "denies readers", "denies writers");
// an open that would clash with the handles already there finds their locks
// with F_OFD_GETLK and fails with the sharing violation.  Opens of one file
// are serialised by a whole-file flock, so two of them never pass the check
// at once.  Byte-range locks are exclusive OFD locks; like LockFile, locking
// a range that overlaps one the handle already holds fails, and unlocking
// needs the exact range that was locked.
#ifndef QX_PORT_WINFILE_H
#define QX_PORT_WINFILE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "port/native_file.h"  // file_exists, for callers of delete_file

namespace qx::port {

// Access rights (GENERIC_READ, GENERIC_WRITE).
constexpr uint32_t kGenericRead = 0x80000000u;
constexpr uint32_t kGenericWrite = 0x40000000u;
// Sharing mode bits (FILE_SHARE_READ, FILE_SHARE_WRITE).
constexpr uint32_t kShareRead = 0x1u;
constexpr uint32_t kShareWrite = 0x2u;

// Creation dispositions, with their Windows values.
enum class Disposition : uint32_t {
  kCreateNew = 1,         // fails when the file exists
  kCreateAlways = 2,      // replaces an existing file
  kOpenExisting = 3,      // fails when the file is missing
  kOpenAlways = 4,        // opens or creates
  kTruncateExisting = 5,  // opens and empties an existing file
};

// Windows error numbers the callers look at.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorWriteFault = 29;
constexpr uint32_t kErrorReadFault = 30;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorLockViolation = 33;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorDiskFull = 112;
constexpr uint32_t kErrorNotLocked = 158;

class WinFile {
 public:
  WinFile() = default;
  ~WinFile();
  WinFile(WinFile&& other) noexcept;
  WinFile& operator=(WinFile&& other) noexcept;
  WinFile(const WinFile&) = delete;
  WinFile& operator=(const WinFile&) = delete;

  // Opens or creates `path` (a POSIX path in UTF-8).  On failure the result
  // is not open and error() gives the Windows error number.
  static WinFile create_file(const std::string& path, uint32_t access, uint32_t share,
                      Disposition disposition);

  bool is_open() const { return fd_ >= 0; }
  // The Windows error number of the last failed operation (0 after success).
  uint32_t error() const { return error_; }
  bool can_write() const { return (access_ & kGenericWrite) != 0; }

  // Reads up to `size` bytes at `offset`; the number read, or -1.  Fewer
  // bytes than asked come back only at the end of the file.
  int64_t read_at(uint64_t offset, void* buffer, size_t size);
  // Writes all `size` bytes at `offset`; false on failure.
  bool write_at(uint64_t offset, const void* data, size_t size);
  // The file's length in bytes, or -1.
  int64_t length();
  bool set_length(uint64_t length);
  bool flush();

  // LockFile / UnlockFile: exclusive, never waiting.  A range held by any
  // other handle fails with kErrorLockViolation.
  bool lock(uint64_t offset, uint64_t length);
  bool unlock(uint64_t offset, uint64_t length);

  // Closes the handle, releasing its locks and its share of the file.
  void close();

 private:
  struct Range {
    uint64_t offset, length;
  };
  bool fail(uint32_t error) {
    error_ = error;
    return false;
  }

  int fd_ = -1;
  uint32_t access_ = 0;
  uint32_t error_ = 0;
  std::vector<Range> locks_;
};

// Deletes a file; false when it could not be removed.
bool delete_file(const std::string& path);

// The local calendar date (year with century, month 1-12, day 1-31).
struct LocalDate {
  int year, month, day;
};
LocalDate local_date();
// The clock's seconds since the epoch.
int64_t clock_seconds();
// Sleeps for about `ms` milliseconds.
void sleep_ms(unsigned ms);

}  // namespace qx::port

#endif  // QX_PORT_WINFILE_H
