// The inside of a table, shared by the engine's own modules (table, write,
// lock, field, memo and the index and expression modules): the data file's
// layout, the Table and Field records and the steps the operations are made
// of.  Nothing outside src/dbf includes this header; the layers above use the
// operations of table.h and field.h.
//
// Layout of the data file (little-endian numbers): a 32-byte header
// (version, date of last update, record count, header length, record
// length, table flags at byte 28), one 32-byte descriptor per field, the
// terminator 0x0D, then the records at header length + (n - 1) x record
// length, each a deletion flag (blank or '*') and the fields as text, and
// the end-of-file marker 0x1A after the last record.
#ifndef QX_DBF_TABLE_INTERNAL_H
#define QX_DBF_TABLE_INTERNAL_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbf/engine.h"
#include "dbf/field.h"
#include "dbf/file.h"
#include "dbf/index.h"
#include "dbf/memo.h"
#include "dbf/table.h"

namespace qx::dbf {

constexpr unsigned kHeaderSize = 32;
constexpr unsigned kDescriptorSize = 32;
constexpr unsigned char kHeaderEnd = 0x0D;
constexpr unsigned char kEofMarker = 0x1A;
constexpr unsigned char kVersionPlain = 0x03;
constexpr unsigned char kVersionMemo = 0xF5;
constexpr unsigned char kFlagProductionIndex = 0x01;

// The last record number a table may hold: the count is 32 bits, and the
// locks of a table with a production index stand at 0x7FFFFFFE - n, which
// must stay inside the whole-file lock.
constexpr long kMaxRecordNumber = 0xFFFFFFFEL;
constexpr long kMaxIndexedRecordNumber = 0x7FFFFFFE - 0x40000000;

// The byte-range locks of a data file.
constexpr uint64_t kRecordLockBase = 0x40000000;  // + the record's offset
constexpr uint64_t kAppendLock = 0x7FFFFFFE;      // also the production-index record base
constexpr uint64_t kFileLockOffset = 0x40000000;
constexpr uint64_t kFileLockLength = 0x3FFFFFFF;

struct Field {
  char name[11] = {};  // at most 10 characters, upper case
  unsigned width = 0;
  unsigned decimals = 0;
  char type = 'C';
  unsigned offset = 0;  // in the record; the first field starts at 1
  Table* table = nullptr;
  int memo = -1;  // index of the memo entry for M, G and B fields
};

struct Table {
  Engine* engine = nullptr;
  std::string name;  // the data file's name, extension included
  File file;
  unsigned char header[kHeaderSize] = {};  // as read or last written
  unsigned header_length = 0;
  unsigned record_length = 0;
  std::vector<Field> fields;

  long rec_no = 0;  // the current record; 0 when there is none
  bool eof = false;
  bool bof = false;
  std::vector<char> record;      // the current record (record length + 1)
  std::vector<char> record_old;  // the record as read, for key maintenance
  long old_rec_no = 0;           // the record record_old holds; 0 for none
  long count_when_read = -1;     // the record count seen when record_old was read
  bool record_changed = false;
  bool file_changed = false;

  bool production_index = false;  // header byte 28
  // Why this table is only read, never written (a kind of table whose
  // fields the engine cannot write correctly); null when it may be written.
  const char* write_refusal = nullptr;
  std::vector<std::unique_ptr<IndexFile>> indexes;
  TagOrder* selected = nullptr;

  std::unique_ptr<MemoFile> memo;
  std::vector<MemoEntry> memos;

  // Locks this table holds on its data file.
  bool file_locked = false;
  bool append_locked = false;
  std::vector<long> locked_records;
  long locked_count = -1;  // the record count read under the current lock (or exclusively)
};

// The memo's first block as the record holds it: digits in a field of 10,
// a little-endian number in a field of 4; and storing one.
long memo_block_of(const Field* f);
void set_memo_block(Field* f, long block);

// Locks (each returns 0, 50 or an error).
int lock_record(Table* t, long n);
int lock_append(Table* t);
int lock_whole_file(Table* t);
int unlock_records(Table* t);
int unlock_all(Table* t);

// True while no one else can change the record count (see dbfRecordCount).
bool count_is_stable(const Table* t);
// Reads record n into the record buffer (and its copy for key maintenance).
int read_record(Table* t, long n);
// Writes the current record back when it was changed.
int flush_record(Table* t);
// Stamps today's date, the record count and the header length into the
// first ten header bytes and writes them.
int write_header_start(Table* t, long count);
// The record buffer now equals record n as stored.
void mark_record_clean(Table* t, long n);

}  // namespace qx::dbf

#endif  // QX_DBF_TABLE_INTERNAL_H
