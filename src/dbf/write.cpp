// Every change that reaches a data file: writing a record back, appending
// one and packing the table.  Record writes and appends both pass the index
// files' key maintenance before the record itself is written, so the tags
// never name a record whose key they do not hold.
#include <algorithm>
#include <cstring>
#include <new>

#include "core/coding.h"
#include "dbf/error.h"
#include "dbf/journal.h"
#include "dbf/table_internal.h"
#include "qx/dbf.h"

namespace qx::dbf {

namespace {

uint64_t record_offset(const Table* t, long n) {
  return t->header_length + static_cast<uint64_t>(n - 1) * t->record_length;
}

// The data file's length as the engine sees it.
int64_t data_length(Table* t) { return file_length(t->file); }

// Records 1 to `last` must lie in the file before a write is positioned by
// them: a header count larger than the file (a damaged header, or a file cut
// short by a crash) would otherwise have the write land past the data and
// invent records of zeros.  The documented read error, nothing written.
int check_records_in_file(Table* t, long last) {
  uint64_t end = t->header_length + static_cast<uint64_t>(last) * t->record_length;
  int64_t length = data_length(t);
  if (last < 0 || length < 0 || end > static_cast<uint64_t>(length))
    return report_error(t->engine, kErrRead, t->name.c_str());
  return 0;
}

// Record n can be counted in the header and locked: refused (the read error,
// as for a header that does not fit the file) when it cannot.
int check_record_number(Table* t, long n) {
  long most = t->production_index ? kMaxIndexedRecordNumber : kMaxRecordNumber;
  if (n < 1 || n > most) return report_error(t->engine, kErrRead, t->name.c_str());
  return 0;
}

int refuse_write(Table* t) {
  return report_error(t->engine, kErrNoWriteSupport, t->write_refusal, t->name.c_str());
}

// Writes the memo contents stored since the record was read and puts their
// block numbers into the record buffer.
int write_memos(Table* t) {
  for (MemoEntry& m : t->memos) {
    if (!m.changed) continue;
    if (!t->memo) return report_error(t->engine, kErrNoMemoSupport, t->name.c_str());
    long block = 0;
    int rc = memo_write(*t->memo, m.contents, &block);
    if (rc != 0) return rc;
    set_memo_block(&t->fields[static_cast<size_t>(m.field)], block);
    m.changed = false;
  }
  return 0;
}

bool memos_changed(const Table* t) {
  return std::any_of(t->memos.begin(), t->memos.end(), [](const MemoEntry& m) { return m.changed; });
}

// The old record image for key maintenance: the copy as read, or the record
// as it stands in the file.
int old_image(Table* t, long n, std::vector<char>& image) {
  if (t->old_rec_no == n) {
    image = t->record_old;
    return 0;
  }
  image.assign(t->record_length + 1, ' ');
  image.back() = 0;
  return file_read_all(t->file, record_offset(t, n), image.data(), t->record_length);
}

// Pack's two buffers: the largest size up to the context's buffer setting
// that memory allows, smaller in steps of 2048, never below one record.
bool pack_buffers(const Table* t, std::vector<char>& in, std::vector<char>& out) {
  size_t size = std::max<size_t>(t->engine->memBuffer, 2048);
  for (;;) {
    size_t bytes = std::max<size_t>(size, t->record_length);
    try {
      in.resize(bytes);
      out.resize(bytes);
      return true;
    } catch (const std::bad_alloc&) {
      in.clear();
      out.clear();
      if (size <= 2048) return false;
      size -= 2048;
    }
  }
}

// The first record marked deleted, or count + 1 when there is none: the
// records before it stay where they are.
int first_deleted(Table* t, long count, long* first) {
  std::vector<char> in(std::max<size_t>(65536, t->record_length));
  size_t perBuffer = in.size() / t->record_length;
  for (long next = 1; next <= count;) {
    size_t batch = std::min<size_t>(perBuffer, static_cast<size_t>(count - next + 1));
    int rc = file_read_all(t->file, record_offset(t, next), in.data(), batch * t->record_length);
    if (rc != 0) return rc;
    for (size_t i = 0; i < batch; ++i) {
      if (in[i * t->record_length] != ' ') {
        *first = next + static_cast<long>(i);
        return 0;
      }
    }
    next += static_cast<long>(batch);
  }
  *first = count + 1;
  return 0;
}

// Closes up the kept records from record `first` on; `*kept` gets the
// number of records left.
int pack_records(Table* t, long first, long count, long* kept) {
  std::vector<char> in, out;
  if (!pack_buffers(t, in, out)) return report_error(t->engine, kErrMemory);
  size_t perBuffer = in.size() / t->record_length;
  uint64_t writePos = record_offset(t, first);
  size_t outUsed = 0;
  *kept = first - 1;
  for (long next = first; next <= count;) {
    size_t batch = std::min<size_t>(perBuffer, static_cast<size_t>(count - next + 1));
    size_t bytes = batch * t->record_length;
    int64_t got = file_read(t->file, record_offset(t, next), in.data(), bytes);
    if (got < 0) return static_cast<int>(got);
    size_t whole = static_cast<size_t>(got) / t->record_length;
    for (size_t i = 0; i < whole; ++i) {
      const char* rec = in.data() + i * t->record_length;
      if (rec[0] != ' ') continue;
      if (outUsed + t->record_length > out.size()) {
        int rc = file_write(t->file, writePos, out.data(), outUsed);
        if (rc != 0) return rc;
        writePos += outUsed;
        outUsed = 0;
      }
      std::memcpy(out.data() + outUsed, rec, t->record_length);
      outUsed += t->record_length;
      ++*kept;
    }
    if (whole < batch) break;  // the file ends before its header count
    next += static_cast<long>(batch);
  }
  return outUsed ? file_write(t->file, writePos, out.data(), outUsed) : 0;
}

}  // namespace

void mark_record_clean(Table* t, long n) {
  std::copy(t->record.begin(), t->record.end(), t->record_old.begin());
  t->old_rec_no = n;
  t->count_when_read = static_cast<long>(coding::get32le(t->header + 4));
  t->record_changed = false;
}

namespace {

// Today's date for the header stamp.  The clock goes through the time-zone
// rules only when its second has changed since the last stamp, which spares
// a stream of appends most of that work.
port::LocalDate stamp_date() {
  static int64_t second = -1;
  static port::LocalDate date{};
  int64_t now = port::clock_seconds();
  if (now != second) {
    date = port::local_date();
    second = now;
  }
  return date;
}

}  // namespace

int write_header_start(Table* t, long count) {
  port::LocalDate today = stamp_date();
  t->header[1] = static_cast<unsigned char>(today.year - 1900);
  t->header[2] = static_cast<unsigned char>(today.month);
  t->header[3] = static_cast<unsigned char>(today.day);
  coding::put32le(t->header + 4, static_cast<uint32_t>(count));
  coding::put16le(t->header + 8, static_cast<uint16_t>(t->header_length));
  return file_write(t->file, 0, t->header, 10);
}

int flush_record(Table* t) {
  if (!t->record_changed) return 0;
  if (t->rec_no < 1) {
    t->record_changed = false;  // no record to write it to (after append start)
    return 0;
  }
  return dbfWrite(t, t->rec_no);
}

int dbfWrite(Table* t, long n) {
  if (!t || in_error(t->engine) || n < 1) return -1;
  if (t->write_refusal) return refuse_write(t);
  int rc = check_record_number(t, n);
  if (rc != 0) return rc;
  bool hadLock = t->file_locked ||
                 std::find(t->locked_records.begin(), t->locked_records.end(), n) !=
                     t->locked_records.end();
  rc = lock_record(t, n);
  if (rc != 0) return rc;
  auto release = [&](int result) {
    if (!hadLock) {
      int u = unlock_records(t);
      if (result == 0) result = u;
    }
    return result;
  };
  // Under the record's lock: the record is in the file, and it is still the
  // record that was read.  A count lower than when it was read means a pack
  // has moved the records since, and this slot may now hold another one.
  long count = dbfRecordCount(t);
  if (count < 0 || n > count) return release(-1);
  rc = check_records_in_file(t, n);
  if (rc != 0) return release(rc);
  if (t->old_rec_no == n && t->count_when_read > count)
    return release(report_error(t->engine, kErrResult,
                                "The table was packed since the record was read", t->name.c_str()));
  if (t->old_rec_no == n && !memos_changed(t) &&
      std::memcmp(t->record.data(), t->record_old.data(), t->record_length) == 0) {
    t->record_changed = false;
    return release(0);
  }
  if (!t->indexes.empty()) {
    std::vector<char> old;
    rc = old_image(t, n, old);
    for (size_t i = 0; rc == 0 && i < t->indexes.size(); ++i)
      rc = t->indexes[i]->change_keys(*t, n, old.data());
    if (rc != 0) return release(rc);
  }
  rc = write_memos(t);
  if (rc == 0) rc = file_write(t->file, record_offset(t, n), t->record.data(), t->record_length);
  if (rc != 0) return release(rc);
  mark_record_clean(t, n);
  t->file_changed = true;
  return release(0);
}

int dbfGoLocked(Table* t, long n) {
  if (!t || in_error(t->engine)) return -1;
  int rc = flush_record(t);
  if (rc == 0) rc = unlock_records(t);
  if (rc == 0) rc = check_record_number(t, n);
  if (rc == 0) rc = lock_record(t, n);
  if (rc != 0) return rc;
  long count = dbfRecordCount(t);
  rc = read_record(t, n >= 1 && n <= count ? n : 0);
  if (rc != 0) {
    unlock_records(t);
    return rc;
  }
  t->eof = false;
  t->bof = false;
  return 0;
}

int dbfAppendStart(Table* t, int useMemo) {
  if (!t || in_error(t->engine)) return -1;
  if (t->write_refusal) return refuse_write(t);
  int rc = flush_record(t);
  if (rc != 0) return rc;
  for (MemoEntry& m : t->memos) {
    if (useMemo) {
      Field& f = t->fields[static_cast<size_t>(m.field)];
      std::string text;
      rc = fldMemoText(&f, text);
      if (rc != 0) return rc;
      m.changed = !m.contents.empty();  // the copy gets blocks of its own
    } else {
      m = MemoEntry{m.field, {}, false, false};
    }
  }
  if (!t->file_locked) {
    rc = unlock_all(t);
    if (rc != 0) return rc;
  }
  t->rec_no = 0;
  t->old_rec_no = 0;
  return 0;
}

int dbfAppend(Table* t) {
  if (!t || in_error(t->engine)) return -1;
  if (t->write_refusal) return refuse_write(t);
  int rc = lock_append(t);
  if (rc != 0) return rc;
  auto release = [t](int result) {
    if (!t->file_locked) {
      int u = unlock_all(t);
      if (result == 0) result = u;
    }
    return result;
  };
  long count = dbfRecordCount(t);
  if (count < 0) return release(report_error(t->engine, kErrRead, t->name.c_str()));
  long n = count + 1;
  rc = check_records_in_file(t, count);
  if (rc == 0) rc = check_record_number(t, n);
  if (rc == 0) rc = lock_record(t, n);
  if (rc != 0) return release(rc);

  for (size_t i = 0; i < t->indexes.size(); ++i) {
    rc = t->indexes[i]->add_keys(*t, n);
    if (rc != 0) {
      while (i-- > 0) t->indexes[i]->remove_keys(*t, n);
      t->rec_no = 0;
      return release(rc);
    }
  }
  rc = write_memos(t);
  if (rc == 0) {
    // The buffer's spare byte carries the end-of-file marker, so record and
    // marker go out in one write.
    t->record[t->record_length] = static_cast<char>(kEofMarker);
    rc = file_write(t->file, record_offset(t, n), t->record.data(), t->record_length + 1);
    t->record[t->record_length] = 0;
  }
  if (rc == 0) rc = write_header_start(t, n);
  if (rc != 0) {
    for (auto& ix : t->indexes) ix->remove_keys(*t, n);
    t->rec_no = 0;
    return release(rc);
  }
  t->locked_count = n;
  t->rec_no = n;
  t->eof = false;
  t->bof = false;
  mark_record_clean(t, n);
  t->file_changed = true;
  return release(0);
}

int dbfAppendBlank(Table* t) {
  int rc = dbfAppendStart(t, 0);
  if (rc != 0) return rc;
  std::fill(t->record.begin(), t->record.end() - 1, ' ');
  return dbfAppend(t);
}

// Packing changes the file in place under a rollback journal (journal.h):
// whatever it overwrites is saved and on the disk first, and the pack takes
// effect when the journal is removed, after the packed table is on the disk.
// A failure on the way puts the saved bytes back at once.
int dbfPack(Table* t) {
  if (!t || in_error(t->engine)) return -1;
  if (t->write_refusal) return refuse_write(t);
  bool hadLock = t->file_locked;
  int rc = lock_whole_file(t);
  if (rc != 0) return rc;
  for (size_t i = 0; rc == 0 && i < t->indexes.size(); ++i) rc = t->indexes[i]->lock_all();
  if (rc == 0) rc = flush_record(t);
  // A pack that crashed after this table was opened left its journal.
  if (rc == 0 && journal_exists(t->name)) rc = journal_recover_locked(t);
  long count = 0, first = 0;
  if (rc == 0) {
    count = dbfRecordCount(t);
    rc = count < 0 ? report_error(t->engine, kErrRead, t->name.c_str())
                   : check_records_in_file(t, count);
  }
  if (rc == 0) rc = first_deleted(t, count, &first);
  if (rc == 0) rc = journal_begin(t, record_offset(t, first));
  bool journaled = rc == 0;
  long kept = 0;
  if (rc == 0) rc = pack_records(t, first, count, &kept);
  if (rc == 0) {
    uint64_t end = record_offset(t, kept + 1);
    unsigned char marker = kEofMarker;
    rc = file_write(t->file, end, &marker, 1);
    if (rc == 0) rc = file_set_length(t->file, end + 1);
  }
  if (journaled) {
    t->locked_count = kept;
    std::fill(t->record.begin(), t->record.end() - 1, ' ');
    t->rec_no = 0;
    t->old_rec_no = 0;
    t->record_changed = false;
    t->eof = t->bof = kept == 0;
  }
  for (auto& ix : t->indexes)
    if (rc == 0) rc = ix->rebuild(*t);
  if (rc == 0) rc = write_header_start(t, kept);
  if (rc == 0) rc = journal_commit(t);
  if (rc != 0 && journaled) {
    // Back to the table as it was; the first error stays the result.
    Engine* e = t->engine;
    int failure = e->lastError;
    journal_recover_locked(t);
    e->lastError = failure;
    t->eof = t->bof = false;
  }
  if (journaled) t->file_changed = true;
  for (auto& ix : t->indexes) ix->unlock_all();
  if (!hadLock) {
    int u = unlock_all(t);
    if (rc == 0) rc = u;
  }
  return rc;
}

}  // namespace qx::dbf

extern "C" int qx_d4write(void* table, long record) {
  return qx::dbf::dbfWrite(static_cast<qx::dbf::Table*>(table), record);
}
