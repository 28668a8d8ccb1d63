// A table: one open data file (DBF) with its fields, its current record, its
// memo file and the index files open on it.
//
// Layout of the data file (little-endian numbers): a 32-byte header
// (version, date of last update, record count, header length, record
// length, table flags at byte 28), one 32-byte descriptor per field, the
// terminator 0x0D, then the records at header length + (n - 1) x record
// length, each a deletion flag (blank or '*') and the fields as text, and
// the end-of-file marker 0x1A after the last record.
#ifndef QX_DBF_TABLE_H
#define QX_DBF_TABLE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbf/engine.h"
#include "dbf/field.h"
#include "dbf/file.h"
#include "dbf/index.h"
#include "dbf/memo.h"

namespace qx::dbf {

constexpr unsigned kHeaderSize = 32;
constexpr unsigned kDescriptorSize = 32;
constexpr unsigned char kHeaderEnd = 0x0D;
constexpr unsigned char kEofMarker = 0x1A;
constexpr unsigned char kVersionPlain = 0x03;
constexpr unsigned char kVersionMemo = 0xF5;
constexpr unsigned char kFlagProductionIndex = 0x01;

// The byte-range locks of a data file.
constexpr uint64_t kRecordLockBase = 0x40000000;  // + the record's offset
constexpr uint64_t kAppendLock = 0x7FFFFFFE;      // also the production-index record base
constexpr uint64_t kFileLockOffset = 0x40000000;
constexpr uint64_t kFileLockLength = 0x3FFFFFFF;

// The entry of a tag for index creation; a null name ends the list.
struct TagInfo {
  const char* name;
  const char* expression;
  const char* filter;
  int unique;
  int descending;
};

struct Table {
  Engine* engine = nullptr;
  std::string name;  // the data file's name, extension included
  File file;
  unsigned char header[kHeaderSize] = {};  // as read or last written
  unsigned headerLength = 0;
  unsigned recordLength = 0;
  std::vector<Field> fields;

  long recNo = 0;  // the current record; 0 when there is none
  bool eof = false;
  bool bof = false;
  std::vector<char> record;     // the current record (record length + 1)
  std::vector<char> recordOld;  // the record as read, for key maintenance
  long oldRecNo = 0;            // the record recordOld holds; 0 for none
  bool recordChanged = false;
  bool fileChanged = false;

  bool productionIndex = false;  // header byte 28
  std::vector<std::unique_ptr<IndexFile>> indexes;
  TagOrder* selected = nullptr;

  std::unique_ptr<MemoFile> memo;
  std::vector<MemoEntry> memos;

  // Locks this table holds on its data file.
  bool fileLocked = false;
  bool appendLocked = false;
  std::vector<long> lockedRecords;
  long lockedCount = -1;  // the record count read under the current lock (or exclusively)
};

// Tables.
Table* dbfCreate(Engine* engine, const char* name, const FieldInfo* fields, const TagInfo* tags);
Table* dbfOpen(Engine* engine, const char* name);
int dbfClose(Table* t);

// Positioning (record-number order, or the selected tag's order).
int dbfTop(Table* t);
int dbfBottom(Table* t);
int dbfSkip(Table* t, long count);
// Makes record n current (outside 1..count: no current record, result 5
// or -70 as for a short read).
int dbfGo(Table* t, long n);
// Goes to end of file (record count + 1, blank buffer); 3.
int dbfGoEof(Table* t);
int dbfEof(Table* t);
int dbfBof(Table* t);
long dbfRecordCount(Table* t);
long dbfRecordNumber(Table* t);

// The current record's deletion flag.
int dbfDeleted(Table* t);
void dbfDelete(Table* t);
void dbfRecall(Table* t);
// Fills the record buffer with blanks and marks it changed.
void dbfBlank(Table* t);

// Writing.
int dbfWrite(Table* t, long n);  // exported as qx_d4write
int dbfAppendBlank(Table* t);
int dbfAppendStart(Table* t, int useMemo);
int dbfAppend(Table* t);
int dbfPack(Table* t);

// Fields.
int dbfFieldCount(Table* t);
Field* dbfFieldByNumber(Table* t, int number);
Field* dbfFieldByName(Table* t, const char* name);

// Memo contents of the current record (empty for a field that is no memo).
int memoText(Field* f, std::string& contents);
// Stores memo contents, written to the memo file with the record.
int memoAssign(Field* f, const std::string& contents);
// The memo's first block as the record holds it: digits in a field of 10,
// a little-endian number in a field of 4; and storing one.
long memoBlockOf(const Field* f);
void setMemoBlock(Field* f, long block);

// Locks (Table-level helpers; each returns 0, 50 or an error).
int lockRecord(Table* t, long n);
int lockAppend(Table* t);
int lockWholeFile(Table* t);
int unlockRecords(Table* t);
int unlockAll(Table* t);

// Internal steps shared by the table's modules.
bool countIsStable(const Table* t);
int readRecord(Table* t, long n);
int flushRecord(Table* t);
int writeHeaderStart(Table* t, long count);
void markRecordClean(Table* t, long n);
std::string withExtension(const std::string& name, const char* ext);
std::string replaceExtension(const std::string& name, const char* ext);

}  // namespace qx::dbf

#endif  // QX_DBF_TABLE_H
