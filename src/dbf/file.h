// The engine's file access: opening and creating with the context's access,
// sharing and overwrite settings, positioned reads and writes, byte-range
// locks with the context's retry rule, and temporary working files.  Every
// failure is reported through the error routine with the file's name.
#ifndef QX_DBF_FILE_H
#define QX_DBF_FILE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "port/winfile.h"

namespace qx::dbf {

struct Engine;

// Bytes read ahead from a file that this handle has to itself.  Every write
// and length change through this layer drops them.
struct ReadAhead {
  std::vector<char> data;
  uint64_t offset = 0;
  size_t size = 0;
  // Where the last read ended: a read that starts there is part of a
  // sequential run and reads ahead; any other read takes only its bytes, so
  // random access (seeks, walks in key order) does not pay for a window.
  uint64_t last_end = 0;
};

// Writes held back from a file that this handle has to itself: runs of
// bytes not yet given to the system, back to back in one buffer.  Appending
// records grows one run (the end-of-file marker of each record is
// overwritten by the next), rewriting the header keeps a second one, so an
// exclusive append costs a copy instead of two system calls.  The runs
// reach the file when the buffer is full, before the system is asked to read
// any byte they hold, when the file's length is changed, and on flush and
// close.
struct WriteBehind {
  struct Run {
    uint64_t offset;  // in the file
    size_t start;     // in `data`
    size_t size;
  };
  std::vector<char> data;
  size_t used = 0;
  std::vector<Run> runs;
};

struct File {
  Engine* engine = nullptr;
  std::string name;  // the name as the engine was given it (8-bit)
  port::WinFile handle;
  bool read_only = false;
  bool exclusive = false;
  ReadAhead ahead;
  WriteBehind behind;
  // The length with the held-back writes, for a file this handle has to
  // itself (no one else can change it); -1 until it is first asked for.
  int64_t known_length = -1;

  bool is_open() const { return handle.is_open(); }
};

// Opens an existing file: 0, or -60 / 70 (see reportOpenFailure), or -1
// when the context is already in error.
int file_open(Engine* engine, File& file, const std::string& name);
// Creates a file (refusing an existing one when refuseOverwrite is on): 0,
// or -20 / 60 (see reportCreateFailure), or -1 when the context is in error.
int file_create(Engine* engine, File& file, const std::string& name);
// Creates a temporary working file "TEMPnnnn.TMP" in the current folder,
// exclusively; 0 or -20 after 100 failed attempts.
int file_temp(Engine* engine, File& file);
// Writes what is held back and closes the file; 0 or -120.
int file_close(File& file);

// Reads up to `size` bytes at `offset`; the number read, or -70 on error.
int64_t file_read(File& file, uint64_t offset, void* buffer, size_t size);
// Reads up to `size` bytes at `offset` without reporting; the number read,
// or -1.  A file opened exclusively is read ahead in larger pieces, since no
// other handle can change it; shared files are always read afresh.
int64_t file_read_quiet(File& file, uint64_t offset, void* buffer, size_t size);
// Reads exactly `size` bytes: 0, or -70 (short reads included).
int file_read_all(File& file, uint64_t offset, void* buffer, size_t size);
// Writes all bytes: 0, -930 on a read-only file, -120 on failure.  A file
// opened exclusively (and not for reading only) holds the bytes back (see
// WriteBehind); a failure to write them is reported when they go out.
int file_write(File& file, uint64_t offset, const void* data, size_t size);
// Hands the held-back writes to the system, from the end of the file towards
// its start (a header after the records it counts): 0 or -120.
int file_flush(File& file);
// The length the file has with every write made through this handle, held-
// back ones included: for a file opened exclusively without asking the
// system again, else the system's answer.  -1 when it cannot be determined.
int64_t file_logical_length(File& file);
// The same length; one that cannot be determined is a severe error.
int64_t file_length(File& file);
// Cuts or extends the file: 0, -930 read-only, -40 on failure.
int file_set_length(File& file, uint64_t length);

// Brings the file's written data to the disk (fdatasync): 0 or -120.  A
// file opened for reading only has nothing to bring.
int file_sync(File& file);

// Locks a byte range: 0, 50 when the attempts ran out (lockRetries), or -50.
// Files opened for reading only or exclusively are never locked.
int file_lock(File& file, uint64_t offset, uint64_t length);
// Releases a byte range: 0 or -110.
int file_unlock(File& file, uint64_t offset, uint64_t length);

// Waits until the clock's seconds value changes (the pause between lock
// attempts and between temporary-name attempts).
void wait_for_next_second();

// The POSIX path of an engine (8-bit) file name.
std::string native_name(const std::string& name);

}  // namespace qx::dbf

#endif  // QX_DBF_FILE_H
