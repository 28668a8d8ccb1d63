// Every change that reaches a data file: writing a record back, appending
// one and packing the table.  Record writes and appends both pass the index
// files' key maintenance before the record itself is written, so the tags
// never name a record whose key they do not hold.
#include <algorithm>
#include <cstring>
#include <new>

#include "core/coding.h"
#include "dbf/error.h"
#include "dbf/table_internal.h"
#include "qx/dbf.h"

namespace qx::dbf {

namespace {

uint64_t record_offset(const Table* t, long n) {
  return t->header_length + static_cast<uint64_t>(n - 1) * t->record_length;
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

int pack_records(Table* t, long count, long* kept) {
  std::vector<char> in, out;
  if (!pack_buffers(t, in, out)) return report_error(t->engine, kErrMemory);
  size_t perBuffer = in.size() / t->record_length;
  uint64_t writePos = t->header_length;
  size_t outUsed = 0;
  *kept = 0;
  for (long next = 1; next <= count;) {
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
  t->record_changed = false;
}

int write_header_start(Table* t, long count) {
  port::LocalDate today = port::local_date();
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
  long count = dbfRecordCount(t);
  if (count < 0 || n > count) return -1;
  bool hadLock = t->file_locked ||
                 std::find(t->locked_records.begin(), t->locked_records.end(), n) !=
                     t->locked_records.end();
  int rc = lock_record(t, n);
  if (rc != 0) return rc;
  auto release = [&](int result) {
    if (!hadLock) {
      int u = unlock_records(t);
      if (result == 0) result = u;
    }
    return result;
  };
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

int dbfAppendStart(Table* t, int useMemo) {
  if (!t || in_error(t->engine)) return -1;
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
  rc = lock_record(t, n);
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

int dbfPack(Table* t) {
  if (!t || in_error(t->engine)) return -1;
  bool hadLock = t->file_locked;
  int rc = lock_whole_file(t);
  if (rc != 0) return rc;
  for (size_t i = 0; rc == 0 && i < t->indexes.size(); ++i) rc = t->indexes[i]->lock_all();
  if (rc == 0) rc = flush_record(t);
  long kept = 0;
  if (rc == 0) {
    long count = dbfRecordCount(t);
    rc = count < 0 ? report_error(t->engine, kErrRead, t->name.c_str())
                   : pack_records(t, count, &kept);
  }
  if (rc == 0) {
    uint64_t end = record_offset(t, kept + 1);
    unsigned char marker = kEofMarker;
    rc = file_write(t->file, end, &marker, 1);
    if (rc == 0) rc = file_set_length(t->file, end + 1);
  }
  if (rc == 0) {
    t->locked_count = kept;
    std::fill(t->record.begin(), t->record.end() - 1, ' ');
    t->rec_no = 0;
    t->old_rec_no = 0;
    t->record_changed = false;
    t->eof = t->bof = kept == 0;
    for (auto& ix : t->indexes)
      if (rc == 0) rc = ix->rebuild(*t);
    if (rc == 0) rc = write_header_start(t, kept);
    t->file_changed = true;
  }
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
