// Every change that reaches a data file: writing a record back, appending
// one and packing the table.  Record writes and appends both pass the index
// files' key maintenance before the record itself is written, so the tags
// never name a record whose key they do not hold.
#include <algorithm>
#include <cstring>
#include <new>

#include "dbf/error.h"
#include "dbf/table.h"
#include "qx/dbf.h"

namespace qx::dbf {

namespace {

uint64_t recordOffset(const Table* t, long n) {
  return t->headerLength + static_cast<uint64_t>(n - 1) * t->recordLength;
}

// Writes the memo contents stored since the record was read and puts their
// block numbers into the record buffer.
int writeMemos(Table* t) {
  for (MemoEntry& m : t->memos) {
    if (!m.changed) continue;
    if (!t->memo) return reportError(t->engine, kErrNoMemoSupport, t->name.c_str());
    long block = 0;
    int rc = memoWrite(*t->memo, m.contents, &block);
    if (rc != 0) return rc;
    setMemoBlock(&t->fields[static_cast<size_t>(m.field)], block);
    m.changed = false;
  }
  return 0;
}

bool memosChanged(const Table* t) {
  return std::any_of(t->memos.begin(), t->memos.end(), [](const MemoEntry& m) { return m.changed; });
}

// The old record image for key maintenance: the copy as read, or the record
// as it stands in the file.
int oldImage(Table* t, long n, std::vector<char>& image) {
  if (t->oldRecNo == n) {
    image = t->recordOld;
    return 0;
  }
  image.assign(t->recordLength + 1, ' ');
  image.back() = 0;
  return fileReadAll(t->file, recordOffset(t, n), image.data(), t->recordLength);
}

// Pack's two buffers: the largest size up to the context's buffer setting
// that memory allows, smaller in steps of 2048, never below one record.
bool packBuffers(const Table* t, std::vector<char>& in, std::vector<char>& out) {
  size_t size = std::max<size_t>(t->engine->memBuffer, 2048);
  for (;;) {
    size_t bytes = std::max<size_t>(size, t->recordLength);
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

int packRecords(Table* t, long count, long* kept) {
  std::vector<char> in, out;
  if (!packBuffers(t, in, out)) return reportError(t->engine, kErrMemory);
  size_t perBuffer = in.size() / t->recordLength;
  uint64_t writePos = t->headerLength;
  size_t outUsed = 0;
  *kept = 0;
  for (long next = 1; next <= count;) {
    size_t batch = std::min<size_t>(perBuffer, static_cast<size_t>(count - next + 1));
    size_t bytes = batch * t->recordLength;
    int64_t got = fileRead(t->file, recordOffset(t, next), in.data(), bytes);
    if (got < 0) return static_cast<int>(got);
    size_t whole = static_cast<size_t>(got) / t->recordLength;
    for (size_t i = 0; i < whole; ++i) {
      const char* rec = in.data() + i * t->recordLength;
      if (rec[0] != ' ') continue;
      if (outUsed + t->recordLength > out.size()) {
        int rc = fileWrite(t->file, writePos, out.data(), outUsed);
        if (rc != 0) return rc;
        writePos += outUsed;
        outUsed = 0;
      }
      std::memcpy(out.data() + outUsed, rec, t->recordLength);
      outUsed += t->recordLength;
      ++*kept;
    }
    if (whole < batch) break;  // the file ends before its header count
    next += static_cast<long>(batch);
  }
  return outUsed ? fileWrite(t->file, writePos, out.data(), outUsed) : 0;
}

}  // namespace

void markRecordClean(Table* t, long n) {
  std::copy(t->record.begin(), t->record.end(), t->recordOld.begin());
  t->oldRecNo = n;
  t->recordChanged = false;
}

int writeHeaderStart(Table* t, long count) {
  port::LocalDate today = port::local_date();
  t->header[1] = static_cast<unsigned char>(today.year - 1900);
  t->header[2] = static_cast<unsigned char>(today.month);
  t->header[3] = static_cast<unsigned char>(today.day);
  uint32_t c = static_cast<uint32_t>(count);
  for (int i = 0; i < 4; ++i) t->header[4 + i] = static_cast<unsigned char>(c >> (8 * i));
  t->header[8] = static_cast<unsigned char>(t->headerLength);
  t->header[9] = static_cast<unsigned char>(t->headerLength >> 8);
  return fileWrite(t->file, 0, t->header, 10);
}

int flushRecord(Table* t) {
  if (!t->recordChanged) return 0;
  if (t->recNo < 1) {
    t->recordChanged = false;  // no record to write it to (after append start)
    return 0;
  }
  return dbfWrite(t, t->recNo);
}

int dbfWrite(Table* t, long n) {
  if (!t || inError(t->engine) || n < 1) return -1;
  long count = dbfRecordCount(t);
  if (count < 0 || n > count) return -1;
  bool hadLock = t->fileLocked ||
                 std::find(t->lockedRecords.begin(), t->lockedRecords.end(), n) !=
                     t->lockedRecords.end();
  int rc = lockRecord(t, n);
  if (rc != 0) return rc;
  auto release = [&](int result) {
    if (!hadLock) {
      int u = unlockRecords(t);
      if (result == 0) result = u;
    }
    return result;
  };
  if (t->oldRecNo == n && !memosChanged(t) &&
      std::memcmp(t->record.data(), t->recordOld.data(), t->recordLength) == 0) {
    t->recordChanged = false;
    return release(0);
  }
  if (!t->indexes.empty()) {
    std::vector<char> old;
    rc = oldImage(t, n, old);
    for (size_t i = 0; rc == 0 && i < t->indexes.size(); ++i)
      rc = t->indexes[i]->changeKeys(*t, n, old.data());
    if (rc != 0) return release(rc);
  }
  rc = writeMemos(t);
  if (rc == 0) rc = fileWrite(t->file, recordOffset(t, n), t->record.data(), t->recordLength);
  if (rc != 0) return release(rc);
  markRecordClean(t, n);
  t->fileChanged = true;
  return release(0);
}

int dbfAppendStart(Table* t, int useMemo) {
  if (!t || inError(t->engine)) return -1;
  int rc = flushRecord(t);
  if (rc != 0) return rc;
  for (MemoEntry& m : t->memos) {
    if (useMemo) {
      Field& f = t->fields[static_cast<size_t>(m.field)];
      std::string text;
      rc = memoText(&f, text);
      if (rc != 0) return rc;
      m.changed = !m.contents.empty();  // the copy gets blocks of its own
    } else {
      m = MemoEntry{m.field, {}, false, false};
    }
  }
  if (!t->fileLocked) {
    rc = unlockAll(t);
    if (rc != 0) return rc;
  }
  t->recNo = 0;
  t->oldRecNo = 0;
  return 0;
}

int dbfAppend(Table* t) {
  if (!t || inError(t->engine)) return -1;
  int rc = lockAppend(t);
  if (rc != 0) return rc;
  auto release = [t](int result) {
    if (!t->fileLocked) {
      int u = unlockAll(t);
      if (result == 0) result = u;
    }
    return result;
  };
  long count = dbfRecordCount(t);
  if (count < 0) return release(reportError(t->engine, kErrRead, t->name.c_str()));
  long n = count + 1;
  rc = lockRecord(t, n);
  if (rc != 0) return release(rc);

  for (size_t i = 0; i < t->indexes.size(); ++i) {
    rc = t->indexes[i]->addKeys(*t, n);
    if (rc != 0) {
      while (i-- > 0) t->indexes[i]->removeKeys(*t, n);
      t->recNo = 0;
      return release(rc);
    }
  }
  rc = writeMemos(t);
  if (rc == 0) {
    // The buffer's spare byte carries the end-of-file marker, so record and
    // marker go out in one write.
    t->record[t->recordLength] = static_cast<char>(kEofMarker);
    rc = fileWrite(t->file, recordOffset(t, n), t->record.data(), t->recordLength + 1);
    t->record[t->recordLength] = 0;
  }
  if (rc == 0) rc = writeHeaderStart(t, n);
  if (rc != 0) {
    for (auto& ix : t->indexes) ix->removeKeys(*t, n);
    t->recNo = 0;
    return release(rc);
  }
  t->lockedCount = n;
  t->recNo = n;
  t->eof = false;
  t->bof = false;
  markRecordClean(t, n);
  t->fileChanged = true;
  return release(0);
}

int dbfAppendBlank(Table* t) {
  int rc = dbfAppendStart(t, 0);
  if (rc != 0) return rc;
  std::fill(t->record.begin(), t->record.end() - 1, ' ');
  return dbfAppend(t);
}

int dbfPack(Table* t) {
  if (!t || inError(t->engine)) return -1;
  bool hadLock = t->fileLocked;
  int rc = lockWholeFile(t);
  if (rc != 0) return rc;
  for (size_t i = 0; rc == 0 && i < t->indexes.size(); ++i) rc = t->indexes[i]->lockAll();
  if (rc == 0) rc = flushRecord(t);
  long kept = 0;
  if (rc == 0) {
    long count = dbfRecordCount(t);
    rc = count < 0 ? reportError(t->engine, kErrRead, t->name.c_str())
                   : packRecords(t, count, &kept);
  }
  if (rc == 0) {
    uint64_t end = recordOffset(t, kept + 1);
    unsigned char marker = kEofMarker;
    rc = fileWrite(t->file, end, &marker, 1);
    if (rc == 0) rc = fileSetLength(t->file, end + 1);
  }
  if (rc == 0) {
    t->lockedCount = kept;
    std::fill(t->record.begin(), t->record.end() - 1, ' ');
    t->recNo = 0;
    t->oldRecNo = 0;
    t->recordChanged = false;
    t->eof = t->bof = kept == 0;
    for (auto& ix : t->indexes)
      if (rc == 0) rc = ix->rebuild(*t);
    if (rc == 0) rc = writeHeaderStart(t, kept);
    t->fileChanged = true;
  }
  for (auto& ix : t->indexes) ix->unlockAll();
  if (!hadLock) {
    int u = unlockAll(t);
    if (rc == 0) rc = u;
  }
  return rc;
}

}  // namespace qx::dbf

extern "C" int qx_d4write(void* table, long record) {
  return qx::dbf::dbfWrite(static_cast<qx::dbf::Table*>(table), record);
}
