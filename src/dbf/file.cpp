#include "dbf/file.h"

#include <algorithm>
#include <cstring>

#include "dbf/engine.h"
#include "dbf/error.h"
#include "port/path.h"

namespace qx::dbf {

namespace {

uint32_t accessOf(const Engine* e) {
  return e->readOnlyAccess == 1 ? port::kGenericRead : port::kGenericRead | port::kGenericWrite;
}

uint32_t shareOf(const Engine* e) {
  return e->exclusiveAccess ? 0u : port::kShareRead | port::kShareWrite;
}

// Opening or creating starts afresh unless the context is in error.
bool mayStart(Engine* e) {
  if (e->lastError < 0) return false;
  e->lastError = 0;
  return true;
}

void adopt(File& file, Engine* e, const std::string& name, port::WinFile handle) {
  file.engine = e;
  file.name = name;
  file.handle = std::move(handle);
  file.readOnly = e->readOnlyAccess == 1;
  file.exclusive = e->exclusiveAccess != 0;
}

// One lock attempt is made at once; between the further attempts the engine
// waits for the clock's seconds value to change.  Within that wait the lock
// is tried again every few milliseconds, so a lock that a neighbour holds
// only for a moment is had at once, while lockRetries keeps its meaning of
// roughly "seconds to wait".
int lockWithRetries(File& file, uint64_t offset, uint64_t length) {
  Engine* e = file.engine;
  int attempts = e->lockRetries == 0 ? 1 : e->lockRetries;
  for (;;) {
    if (file.handle.lock(offset, length)) return 0;
    if (file.handle.error() != port::kErrorLockViolation)
      return reportError(e, kErrLock, file.name.c_str());
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
        return reportError(e, kErrLock, file.name.c_str());
      if (pause < 16) pause *= 2;
    }
  }
}

constexpr size_t kReadAheadSize = 32768;

void dropReadAhead(File& file) { file.ahead.size = 0; }

}  // namespace

std::string nativeName(const std::string& name) { return port::native_path_latin1(name); }

int fileOpen(Engine* e, File& file, const std::string& name) {
  if (!mayStart(e)) return -1;
  port::WinFile h = port::WinFile::open(nativeName(name), accessOf(e), shareOf(e),
                                        port::Disposition::kOpenExisting);
  if (!h.is_open()) {
    if (!e->reportOpenFailure) {
      e->lastError = kNoOpen;
      return kNoOpen;
    }
    return reportError(e, kErrOpen, "File Name:", name.c_str());
  }
  adopt(file, e, name, std::move(h));
  return 0;
}

int fileCreate(Engine* e, File& file, const std::string& name) {
  if (!mayStart(e)) return -1;
  auto disposition =
      e->refuseOverwrite ? port::Disposition::kCreateNew : port::Disposition::kCreateAlways;
  // A file is always created for writing, whatever readOnlyAccess says.
  port::WinFile h = port::WinFile::open(nativeName(name),
                                        port::kGenericRead | port::kGenericWrite, shareOf(e),
                                        disposition);
  if (!h.is_open()) {
    if (!e->reportCreateFailure) {
      e->lastError = kNoCreate;
      return kNoCreate;
    }
    return reportError(e, kErrCreate, "File Name:", name.c_str());
  }
  adopt(file, e, name, std::move(h));
  file.readOnly = false;
  return 0;
}

int fileTemp(Engine* e, File& file) {
  if (!mayStart(e)) return -1;
  // Temporary files are always made new: a name already taken is another
  // process's working file and must not be replaced.
  for (int attempt = 0; attempt < 100; ++attempt) {
    waitForNextSecond();
    std::string name = "TEMP" + fixedWidth(static_cast<long>(port::clock_seconds() % 10000), -4) +
                       ".TMP";
    port::WinFile h = port::WinFile::open(nativeName(name),
                                          port::kGenericRead | port::kGenericWrite, 0,
                                          port::Disposition::kCreateNew);
    if (h.is_open()) {
      adopt(file, e, name, std::move(h));
      file.readOnly = false;
      file.exclusive = true;
      return 0;
    }
  }
  return reportError(e, kErrCreate, "Temporary Working File");
}

int fileClose(File& file) {
  file.handle.close();
  dropReadAhead(file);
  file.ahead.data = std::vector<char>();
  return 0;
}

int64_t fileReadQuiet(File& file, uint64_t offset, void* buffer, size_t size) {
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

int64_t fileRead(File& file, uint64_t offset, void* buffer, size_t size) {
  int64_t n = file.handle.read_at(offset, buffer, size);
  if (n < 0) return reportError(file.engine, kErrRead, file.name.c_str());
  return n;
}

int fileReadAll(File& file, uint64_t offset, void* buffer, size_t size) {
  int64_t n = fileRead(file, offset, buffer, size);
  if (n < 0) return static_cast<int>(n);
  if (static_cast<size_t>(n) != size) return reportError(file.engine, kErrRead, file.name.c_str());
  return 0;
}

int fileWrite(File& file, uint64_t offset, const void* data, size_t size) {
  dropReadAhead(file);
  if (file.readOnly || !file.handle.can_write())
    return reportError(file.engine, kErrParameter, "Attempt to write to a read-only file");
  if (!file.handle.write_at(offset, data, size))
    return reportError(file.engine, kErrWrite, file.name.c_str());
  return 0;
}

int64_t fileLength(File& file) {
  int64_t n = file.handle.length();
  if (n < 0) severeError(file.engine, kErrLength, "fileLength()");
  return n;
}

int fileSetLength(File& file, uint64_t length) {
  dropReadAhead(file);
  if (file.readOnly || !file.handle.can_write())
    return reportError(file.engine, kErrParameter,
                       "Attempt to change file length of a read-only file");
  if (!file.handle.set_length(length))
    return reportError(file.engine, kErrLengthSet, file.name.c_str());
  return 0;
}

int fileLock(File& file, uint64_t offset, uint64_t length) {
  if (file.readOnly || file.exclusive) return 0;
  return lockWithRetries(file, offset, length);
}

int fileUnlock(File& file, uint64_t offset, uint64_t length) {
  if (file.readOnly || file.exclusive) return 0;
  if (!file.handle.unlock(offset, length))
    return reportError(file.engine, kErrUnlock, file.name.c_str());
  return 0;
}

void waitForNextSecond() {
  int64_t second = port::clock_seconds();
  while (port::clock_seconds() == second) port::sleep_ms(5);
}

}  // namespace qx::dbf
