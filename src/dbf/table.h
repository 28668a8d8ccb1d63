// The table engine's operations on tables: one open data file (DBF) with its
// fields, its current record, its memo file and the index files open on it.
// This is what the layers above the engine use; the records behind these
// handles are the engine's own (table_internal.h).
#ifndef QX_DBF_TABLE_H
#define QX_DBF_TABLE_H

#include <string>

#include "dbf/engine.h"
#include "dbf/field.h"

namespace qx::dbf {

struct Table;
struct Field;

// The entry of a tag for index creation; a null name ends the list.
struct TagInfo {
  const char* name;
  const char* expression;
  const char* filter;
  int unique;
  int descending;
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
// Makes record n current as dbfGo does, but reads it under its record lock,
// which the table keeps until the record is written back or the table moves
// on: a record read this way cannot be moved by a pack before it is written.
// 50 when the lock could not be had.
int dbfGoLocked(Table* t, long n);
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

// File names: `name` with the extension added when it has none, or with its
// extension replaced; the extension takes the case of the name.
std::string with_extension(const std::string& name, const char* ext);
std::string replace_extension(const std::string& name, const char* ext);

// What the data file's header says, for programs that show it.
struct TableHeader {
  int version = 0;                  // byte 0
  int year = 0, month = 0, day = 0; // date of last update
  unsigned header_length = 0;
  unsigned record_length = 0;
  int flags = 0;                    // byte 28
  bool production_index = false;
  bool memo_file = false;           // a memo file is open with the table
};
TableHeader dbfHeader(Table* t);
// The data file's name as the table was opened, extension included.
const char* dbfName(Table* t);
// Forgets the changes made to the record buffer and its memos since the
// record was read: nothing of them will be written.
void dbfAbandonChanges(Table* t);

}  // namespace qx::dbf

#endif  // QX_DBF_TABLE_H
