// The byte-range locks a table takes on its data file.  Record locks stand
// at 0x40000000 plus the record's offset, or, for a table with a production
// index, just below the append lock at 0x7FFFFFFE; the whole-file lock covers
// both.  A table holds at most one record lock at a time.
#include <algorithm>

#include "dbf/table.h"

namespace qx::dbf {

namespace {

uint64_t recordLockOffset(const Table* t, long n) {
  if (t->productionIndex) return kAppendLock - static_cast<uint64_t>(n);
  return kRecordLockBase + t->headerLength + static_cast<uint64_t>(n - 1) * t->recordLength;
}

bool holdsRecord(const Table* t, long n) {
  return std::find(t->lockedRecords.begin(), t->lockedRecords.end(), n) != t->lockedRecords.end();
}

}  // namespace

int lockRecord(Table* t, long n) {
  if (t->fileLocked || holdsRecord(t, n)) return 0;
  int rc = unlockRecords(t);
  if (rc != 0) return rc;
  rc = fileLock(t->file, recordLockOffset(t, n), 1);
  if (rc == 0) t->lockedRecords.push_back(n);
  return rc;
}

int lockAppend(Table* t) {
  if (t->fileLocked || t->appendLocked) return 0;
  int rc = fileLock(t->file, kAppendLock, 1);
  if (rc != 0) return rc;
  t->appendLocked = true;
  if (!t->file.exclusive) t->lockedCount = -1;  // read afresh under the lock
  return 0;
}

int lockWholeFile(Table* t) {
  if (t->fileLocked) return 0;
  int rc = unlockAll(t);
  if (rc != 0) return rc;
  rc = fileLock(t->file, kFileLockOffset, kFileLockLength);
  if (rc != 0) return rc;
  t->fileLocked = true;
  if (!t->file.exclusive) t->lockedCount = -1;
  return 0;
}

int unlockRecords(Table* t) {
  int first = 0;
  for (long n : t->lockedRecords) {
    int rc = fileUnlock(t->file, recordLockOffset(t, n), 1);
    if (rc != 0 && first == 0) first = rc;
  }
  t->lockedRecords.clear();
  return first;
}

int unlockAll(Table* t) {
  int first = unlockRecords(t);
  if (t->appendLocked) {
    int rc = fileUnlock(t->file, kAppendLock, 1);
    if (rc != 0 && first == 0) first = rc;
    t->appendLocked = false;
  }
  if (t->fileLocked) {
    int rc = fileUnlock(t->file, kFileLockOffset, kFileLockLength);
    if (rc != 0 && first == 0) first = rc;
    t->fileLocked = false;
  }
  if (!countIsStable(t)) t->lockedCount = -1;
  return first;
}

}  // namespace qx::dbf
