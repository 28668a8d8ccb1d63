// What the table layer asks of its index files.  A table keeps the index
// files open on it in the order they were opened; every record that is
// written or appended passes their key maintenance, pack rebuilds them, and
// a selected tag (at most one per table) sets the order of top, bottom and
// skip.  The compound-index module implements these interfaces; without it
// a table has no index files and walks in record-number order.
#ifndef QX_DBF_INDEX_H
#define QX_DBF_INDEX_H

namespace qx::dbf {

struct Table;
struct TagInfo;
struct File;

// An order over the records of a table (a selected tag).  Each operation
// gives 0 with a record number (0 when there is none), 50 when a lock could
// not be had, or a negative error.
class TagOrder {
 public:
  virtual ~TagOrder() = default;
  // The first / last record of the order; 0 when it is empty.
  virtual int first(Table& table, long* rec_no) = 0;
  virtual int last(Table& table, long* rec_no) = 0;
  // The record `count` steps away from `from` in the order; 0 when the
  // order ends first, with `*off_start` telling whether it ran off the start
  // (a backward step) rather than the end.
  virtual int step(Table& table, long from, long count, long* to, bool* off_start) = 0;
};

class IndexFile {
 public:
  virtual ~IndexFile() = default;
  // Adds the keys of the table's record buffer as the new record `rec_no` to
  // every tag.  A tag that refuses the key (an error, or 20 from a unique
  // tag) makes the file take out the keys it added; the code is returned.
  virtual int add_keys(Table& table, long rec_no) = 0;
  // Takes the keys of the new record `rec_no` out again (a later index file
  // refused the record).
  virtual int remove_keys(Table& table, long rec_no) = 0;
  // Moves the keys of record `rec_no` from those of `oldRecord` (the record
  // as it was read) to those of the table's record buffer, in every tag
  // whose key or filter result differs.
  virtual int change_keys(Table& table, long rec_no, const char* oldRecord) = 0;
  // Rebuilds every tag from the records (after pack).
  virtual int rebuild(Table& table) = 0;
  // Locks / releases the whole index file.
  virtual int lock_all() = 0;
  virtual int unlock_all() = 0;
  // Closes the file; 0 or the first error.
  virtual int close() = 0;
  // The file that rebuild() rewrites, so that pack's rollback journal can
  // save it beforehand and bring it to the disk afterwards; null when the
  // index has no file of its own to save.
  virtual File* journal_file() { return nullptr; }
};

// Opens the production index of a table (same name, extension CDX); the
// compound-index module installs it.  Without one installed, opening a
// table whose header names a production index leaves the index closed.
using ProductionIndexOpener = IndexFile* (*)(Table& table);
void set_production_index_opener(ProductionIndexOpener opener);
ProductionIndexOpener production_index_opener();

// Creates and builds the production index of a new table from its tag list
// (dbfCreate with tags); null on failure, with the error in the context.
// Without one installed, creating a table with tags fails with -1010.
using ProductionIndexCreator = IndexFile* (*)(Table& table, const TagInfo* tags);
void set_production_index_creator(ProductionIndexCreator creator);

// Sets or clears the production-index flag, header byte 28, in the file.
int set_production_index_flag(Table* table, bool on);

}  // namespace qx::dbf

#endif  // QX_DBF_INDEX_H
