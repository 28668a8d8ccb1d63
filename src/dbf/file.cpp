#include "dbf/file.h"

#include <algorithm>
#include <cstring>

#include "dbf/engine.h"
#include "dbf/error.h"
#include "port/path.h"
#include "port/wstr.h"

namespace qx::dbf {

namespace {

uint32_t access_of(const Engine* e) {
  return e->readOnlyAccess == 1 ? port::kGenericRead : port::kGenericRead | port::kGenericWrite;
}

uint32_t share_of(const Engine* e) {
  return e->exclusiveAccess ? 0u : port::kShareRead | port::kShareWrite;
}

// Opening or creating starts afresh unless the context is in error.
bool may_start(Engine* e) {
  if (e->lastError < 0) return false;
  e->lastError = 0;
  return true;
}

void adopt(File& file, Engine* e, const std::string& name, port::WinFile handle) {
  file.engine = e;
  file.name = name;
  file.handle = std::move(handle);
  file.read_only = e->readOnlyAccess == 1;
  file.exclusive = e->exclusiveAccess != 0;
  file.behind.runs.clear();
  file.behind.used = 0;
  file.known_length = -1;
}

// One lock attempt is made at once; between the further attempts the engine
// waits for the clock's seconds value to change.  Within that wait the lock
// is tried again every few milliseconds, so a lock that a neighbour holds
// only for a moment is had at once, while lockRetries keeps its meaning of
// roughly "seconds to wait".
int lock_with_retries(File& file, uint64_t offset, uint64_t length) {
  Engine* e = file.engine;
  int attempts = e->lockRetries == 0 ? 1 : e->lockRetries;
  for (;;) {
    if (file.handle.lock(offset, length)) return 0;
    if (file.handle.error() != port::kErrorLockViolation)
      return report_error(e, kErrLock, file.name.c_str());
    if (attempts == 1) {
      e->lastError = kLocked;
      return kLocked;
    }
    if (attempts > 0) --attempts;
    int64_t second = port::clock_seconds();
    unsigned pause = 1;
    while (port::clock_seconds() == second) {
      port::sleep_ms(pause);
      if (file.handle.lock(offset, length)) return 0;
      if (file.handle.error() != port::kErrorLockViolation)
        return report_error(e, kErrLock, file.name.c_str());
      if (pause < 16) pause *= 2;
    }
  }
}

constexpr size_t kReadAheadSize = 32768;
constexpr size_t kWriteBehindSize = 65536;
constexpr size_t kMaxRuns = 8;

void drop_read_ahead(File& file) { file.ahead.size = 0; }

bool writes_behind(const File& file) { return file.exclusive && !file.read_only; }

bool overlaps(uint64_t a, uint64_t a_size, uint64_t b, uint64_t b_size) {
  return a < b + b_size && b < a + a_size;
}

// The bytes read ahead show what this handle wrote: a write over them (or
// just after them, where the file ended when they were read) is copied in.
void patch_read_ahead(File& file, uint64_t offset, const char* bytes, size_t size) {
  ReadAhead& a = file.ahead;
  if (a.size == 0 || offset > a.offset + a.size || offset + size <= a.offset) return;
  uint64_t from = std::max(offset, a.offset);
  uint64_t to = std::min<uint64_t>(offset + size, a.offset + a.data.size());
  if (to <= from) return;
  std::memcpy(a.data.data() + (from - a.offset), bytes + (from - offset), to - from);
  a.size = std::max<size_t>(a.size, static_cast<size_t>(to - a.offset));
}

void note_length(File& file, uint64_t end) {
  if (file.known_length >= 0 && end > static_cast<uint64_t>(file.known_length))
    file.known_length = static_cast<int64_t>(end);
}

// Copies a write into the held-back runs: into the run that holds its first
// byte (or ends where it starts), growing that run; or as a run of its own.  False when it cannot be held back as things stand (it would join two
// runs, the buffer or the run table is full, it is too large).
bool hold_back(File& file, uint64_t offset, const char* bytes, size_t size) {
  WriteBehind& b = file.behind;
  if (size > kWriteBehindSize / 2) return false;
  if (b.data.size() < kWriteBehindSize) b.data.resize(kWriteBehindSize);
  uint64_t end = offset + size;
  auto clear_of_others = [&](const WriteBehind::Run* except, uint64_t from, uint64_t to) {
    for (const WriteBehind::Run& r : b.runs)
      if (&r != except && overlaps(r.offset, r.size, from, to - from)) return false;
    return true;
  };
  // A run holding the first byte, else one that ends where the write starts.
  WriteBehind::Run* run = nullptr;
  for (WriteBehind::Run& r : b.runs)
    if (offset >= r.offset && offset < r.offset + r.size) run = &r;
  if (!run)
    for (WriteBehind::Run& r : b.runs)
      if (offset == r.offset + r.size) run = &r;
  if (run) {
    uint64_t run_end = run->offset + run->size;
    if (end > run_end) {
      size_t grow = static_cast<size_t>(end - run_end);
      if (!clear_of_others(run, run_end, end)) return false;
      if (run->start + run->size != b.used) {
        // Only the buffer's last run can grow: this one moves there first
        // (once, when the header's run was made after the records' run).
        if (b.used + run->size + grow > b.data.size()) return false;
        std::memcpy(b.data.data() + b.used, b.data.data() + run->start, run->size);
        run->start = b.used;
        b.used += run->size;
      }
      if (b.used + grow > b.data.size()) return false;
      run->size += grow;
      b.used += grow;
    }
    std::memcpy(b.data.data() + run->start + (offset - run->offset), bytes, size);
    return true;
  }
  if (b.runs.size() >= kMaxRuns || b.used + size > b.data.size() ||
      !clear_of_others(nullptr, offset, end))
    return false;
  b.runs.push_back({offset, b.used, size});
  std::memcpy(b.data.data() + b.used, bytes, size);
  b.used += size;
  return true;
}

// Before the system is asked for a range, the held-back bytes in it go out.
int settle(File& file, uint64_t offset, size_t size) {
  for (const WriteBehind::Run& r : file.behind.runs)
    if (overlaps(r.offset, r.size, offset, size)) return file_flush(file);
  return 0;
}

}  // namespace

// File names on this system are UTF-8, and so is the engine's 8-bit text for
// file names; bytes that do not form UTF-8 are taken as Latin-1 characters,
// so a name narrowed to the single-byte code page still finds its file.
std::string native_name(const std::string& name) {
  return port::native_path_utf8(port::to_utf8(port::from_utf8(name)));
}

int file_open(Engine* e, File& file, const std::string& name) {
  if (!may_start(e)) return -1;
  // Only regular files are tables: opening a pipe would wait for a writer
  // for ever, and a device or a folder is no table.
  std::string path = native_name(name);
  port::WinFile h;
  if (!port::file_exists(path) || port::is_file(path))
    h = port::WinFile::create_file(path, access_of(e), share_of(e), port::Disposition::kOpenExisting);
  if (!h.is_open()) {
    if (!e->reportOpenFailure) {
      e->lastError = kNoOpen;
      return kNoOpen;
    }
    return report_error(e, kErrOpen, "File Name:", name.c_str());
  }
  adopt(file, e, name, std::move(h));
  return 0;
}

int file_create(Engine* e, File& file, const std::string& name) {
  if (!may_start(e)) return -1;
  auto disposition =
      e->refuseOverwrite ? port::Disposition::kCreateNew : port::Disposition::kCreateAlways;
  // A file is always created for writing, whatever readOnlyAccess says.
  port::WinFile h = port::WinFile::create_file(native_name(name),
                                        port::kGenericRead | port::kGenericWrite, share_of(e),
                                        disposition);
  if (!h.is_open()) {
    if (!e->reportCreateFailure) {
      e->lastError = kNoCreate;
      return kNoCreate;
    }
    return report_error(e, kErrCreate, "File Name:", name.c_str());
  }
  adopt(file, e, name, std::move(h));
  file.read_only = false;
  return 0;
}

int file_temp(Engine* e, File& file) {
  if (!may_start(e)) return -1;
  // Temporary files are always made new: a name already taken is another
  // process's working file and must not be replaced.
  for (int attempt = 0; attempt < 100; ++attempt) {
    wait_for_next_second();
    std::string name = "TEMP" + fixed_width(static_cast<long>(port::clock_seconds() % 10000), -4) +
                       ".TMP";
    port::WinFile h = port::WinFile::create_file(native_name(name),
                                          port::kGenericRead | port::kGenericWrite, 0,
                                          port::Disposition::kCreateNew);
    if (h.is_open()) {
      adopt(file, e, name, std::move(h));
      file.read_only = false;
      file.exclusive = true;
      return 0;
    }
  }
  return report_error(e, kErrCreate, "Temporary Working File");
}

int file_close(File& file) {
  int rc = file_flush(file);
  file.handle.close();
  drop_read_ahead(file);
  file.ahead.data = std::vector<char>();
  file.behind = WriteBehind();
  file.known_length = -1;
  return rc;
}

int64_t file_read_quiet(File& file, uint64_t offset, void* buffer, size_t size) {
  ReadAhead& a = file.ahead;
  if (!file.exclusive || size > kReadAheadSize / 4) {
    if (settle(file, offset, size) != 0) return -1;
    return file.handle.read_at(offset, buffer, size);
  }
  bool inside = offset >= a.offset && offset - a.offset <= a.size &&
                size <= a.size - (offset - a.offset);
  if (!inside) {
    size_t window = offset == a.last_end ? kReadAheadSize : size;
    if (settle(file, offset, window) != 0) return -1;
    a.data.resize(std::max(a.data.size(), window));
    int64_t n = file.handle.read_at(offset, a.data.data(), window);
    // Where the system's file ends short of held-back bytes further on, the
    // gap between is part of the file too: they go out and the read is made
    // again.
    if (n >= 0 && static_cast<size_t>(n) < window && !file.behind.runs.empty()) {
      if (file_flush(file) != 0) return -1;
      n = file.handle.read_at(offset, a.data.data(), window);
    }
    if (n < 0) {
      a.size = 0;
      return -1;
    }
    a.offset = offset;
    a.size = static_cast<size_t>(n);
  }
  size_t from = static_cast<size_t>(offset - a.offset);
  size_t n = std::min(size, a.size - from);
  std::memcpy(buffer, a.data.data() + from, n);
  a.last_end = offset + n;
  return static_cast<int64_t>(n);
}

int64_t file_read(File& file, uint64_t offset, void* buffer, size_t size) {
  int rc = settle(file, offset, size);
  if (rc != 0) return rc;
  int64_t n = file.handle.read_at(offset, buffer, size);
  if (n < 0) return report_error(file.engine, kErrRead, file.name.c_str());
  return n;
}

int file_read_all(File& file, uint64_t offset, void* buffer, size_t size) {
  int64_t n = file_read(file, offset, buffer, size);
  if (n < 0) return static_cast<int>(n);
  if (static_cast<size_t>(n) != size) return report_error(file.engine, kErrRead, file.name.c_str());
  return 0;
}

int file_write(File& file, uint64_t offset, const void* data, size_t size) {
  if (file.read_only || !file.handle.can_write()) {
    drop_read_ahead(file);
    return report_error(file.engine, kErrParameter, "Attempt to write to a read-only file");
  }
  const char* bytes = static_cast<const char*>(data);
  if (writes_behind(file)) {
    patch_read_ahead(file, offset, bytes, size);
    note_length(file, offset + size);
    if (size == 0 || hold_back(file, offset, bytes, size)) return 0;
    int rc = file_flush(file);
    if (rc != 0) return rc;
    if (hold_back(file, offset, bytes, size)) return 0;
  } else {
    drop_read_ahead(file);
  }
  if (!file.handle.write_at(offset, data, size))
    return report_error(file.engine, kErrWrite, file.name.c_str());
  return 0;
}

int file_flush(File& file) {
  WriteBehind& b = file.behind;
  if (b.runs.empty()) return 0;
  std::sort(b.runs.begin(), b.runs.end(),
            [](const WriteBehind::Run& x, const WriteBehind::Run& y) { return x.offset > y.offset; });
  int rc = 0;
  for (const WriteBehind::Run& r : b.runs)
    if (rc == 0 && !file.handle.write_at(r.offset, b.data.data() + r.start, r.size))
      rc = report_error(file.engine, kErrWrite, file.name.c_str());
  b.runs.clear();
  b.used = 0;
  return rc;
}

int64_t file_logical_length(File& file) {
  if (!writes_behind(file)) return file.handle.length();
  if (file.known_length < 0) {
    int64_t n = file.handle.length();
    if (n < 0) return -1;
    for (const WriteBehind::Run& r : file.behind.runs)
      n = std::max(n, static_cast<int64_t>(r.offset + r.size));
    file.known_length = n;
  }
  return file.known_length;
}

int64_t file_length(File& file) {
  int64_t n = file_logical_length(file);
  if (n < 0) severe_error(file.engine, kErrLength, "file_length()");
  return n;
}

int file_set_length(File& file, uint64_t length) {
  drop_read_ahead(file);
  int rc = file_flush(file);
  if (rc != 0) return rc;
  file.known_length = -1;
  if (file.read_only || !file.handle.can_write())
    return report_error(file.engine, kErrParameter,
                       "Attempt to change file length of a read-only file");
  if (!file.handle.set_length(length))
    return report_error(file.engine, kErrLengthSet, file.name.c_str());
  return 0;
}

int file_sync(File& file) {
  if (file.read_only || !file.handle.can_write()) return 0;
  int rc = file_flush(file);
  if (rc != 0) return rc;
  if (!file.handle.flush()) return report_error(file.engine, kErrWrite, file.name.c_str());
  return 0;
}

int file_lock(File& file, uint64_t offset, uint64_t length) {
  if (file.read_only || file.exclusive) return 0;
  return lock_with_retries(file, offset, length);
}

int file_unlock(File& file, uint64_t offset, uint64_t length) {
  if (file.read_only || file.exclusive) return 0;
  if (!file.handle.unlock(offset, length))
    return report_error(file.engine, kErrUnlock, file.name.c_str());
  return 0;
}

void wait_for_next_second() {
  int64_t second = port::clock_seconds();
  while (port::clock_seconds() == second) port::sleep_ms(5);
}

}  // namespace qx::dbf
