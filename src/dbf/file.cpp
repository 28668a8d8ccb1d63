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

void drop_read_ahead(File& file) { file.ahead.size = 0; }

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
    h = port::WinFile::open(path, access_of(e), share_of(e), port::Disposition::kOpenExisting);
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
  port::WinFile h = port::WinFile::open(native_name(name),
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
    port::WinFile h = port::WinFile::open(native_name(name),
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
  file.handle.close();
  drop_read_ahead(file);
  file.ahead.data = std::vector<char>();
  return 0;
}

int64_t file_read_quiet(File& file, uint64_t offset, void* buffer, size_t size) {
  ReadAhead& a = file.ahead;
  if (!file.exclusive || size > kReadAheadSize / 4) return file.handle.read_at(offset, buffer, size);
  bool inside = offset >= a.offset && offset - a.offset <= a.size &&
                size <= a.size - (offset - a.offset);
  if (!inside) {
    a.data.resize(kReadAheadSize);
    int64_t n = file.handle.read_at(offset, a.data.data(), a.data.size());
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
  return static_cast<int64_t>(n);
}

int64_t file_read(File& file, uint64_t offset, void* buffer, size_t size) {
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
  drop_read_ahead(file);
  if (file.read_only || !file.handle.can_write())
    return report_error(file.engine, kErrParameter, "Attempt to write to a read-only file");
  if (!file.handle.write_at(offset, data, size))
    return report_error(file.engine, kErrWrite, file.name.c_str());
  return 0;
}

int64_t file_length(File& file) {
  int64_t n = file.handle.length();
  if (n < 0) severe_error(file.engine, kErrLength, "file_length()");
  return n;
}

int file_set_length(File& file, uint64_t length) {
  drop_read_ahead(file);
  if (file.read_only || !file.handle.can_write())
    return report_error(file.engine, kErrParameter,
                       "Attempt to change file length of a read-only file");
  if (!file.handle.set_length(length))
    return report_error(file.engine, kErrLengthSet, file.name.c_str());
  return 0;
}

int file_sync(File& file) {
  if (file.read_only || !file.handle.can_write()) return 0;
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
