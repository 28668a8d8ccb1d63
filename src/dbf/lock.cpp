// The byte-range locks a table takes on its data file.  Record locks stand
// at 0x40000000 plus the record's offset, or, for a table with a production
// index, just below the append lock at 0x7FFFFFFE; the whole-file lock covers
// both.  A table holds at most one record lock at a time.
#include <algorithm>

#include "dbf/table_internal.h"

namespace qx::dbf {

namespace {

uint64_t record_lock_offset(const Table* t, long n) {
  if (t->production_index) return kAppendLock - static_cast<uint64_t>(n);
  return kRecordLockBase + t->header_length + static_cast<uint64_t>(n - 1) * t->record_length;
}

bool holds_record(const Table* t, long n) {
  return std::find(t->locked_records.begin(), t->locked_records.end(), n) != t->locked_records.end();
}

}  // namespace

int lock_record(Table* t, long n) {
  if (t->file_locked || holds_record(t, n)) return 0;
  int rc = unlock_records(t);
  if (rc != 0) return rc;
  rc = file_lock(t->file, record_lock_offset(t, n), 1);
  if (rc == 0) t->locked_records.push_back(n);
  return rc;
}

int lock_append(Table* t) {
  if (t->file_locked || t->append_locked) return 0;
  int rc = file_lock(t->file, kAppendLock, 1);
  if (rc != 0) return rc;
  t->append_locked = true;
  if (!t->file.exclusive) t->locked_count = -1;  // read afresh under the lock
  return 0;
}

int lock_whole_file(Table* t) {
  if (t->file_locked) return 0;
  int rc = unlock_all(t);
  if (rc != 0) return rc;
  rc = file_lock(t->file, kFileLockOffset, kFileLockLength);
  if (rc != 0) return rc;
  t->file_locked = true;
  if (!t->file.exclusive) t->locked_count = -1;
  return 0;
}

int unlock_records(Table* t) {
  int first = 0;
  for (long n : t->locked_records) {
    int rc = file_unlock(t->file, record_lock_offset(t, n), 1);
    if (rc != 0 && first == 0) first = rc;
  }
  t->locked_records.clear();
  return first;
}

int unlock_all(Table* t) {
  int first = unlock_records(t);
  if (t->append_locked) {
    int rc = file_unlock(t->file, kAppendLock, 1);
    if (rc != 0 && first == 0) first = rc;
    t->append_locked = false;
  }
  if (t->file_locked) {
    int rc = file_unlock(t->file, kFileLockOffset, kFileLockLength);
    if (rc != 0 && first == 0) first = rc;
    t->file_locked = false;
  }
  if (!count_is_stable(t)) t->locked_count = -1;
  return first;
}

}  // namespace qx::dbf
