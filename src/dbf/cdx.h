// Compound index files (CDX): several tags in one file, each a B-tree of
// 512-byte pages over the keys of a table's records, and a tag directory
// naming them.  A table keeps the index files opened on it; every record it
// writes, appends or packs passes their key maintenance (through the
// IndexFile seam of index.h), and a selected tag sets the order of top,
// bottom, skip and the seeks.
#ifndef QX_DBF_CDX_H
#define QX_DBF_CDX_H

#include <cstddef>
#include <vector>

#include "dbf/index.h"

namespace qx::dbf {

struct Table;
struct TagInfo;
class Index;
class Tag;

// Opens an index file and all its tags.  With a name, the extension CDX is
// added when it has none; with null, the table's own name with extension
// CDX (the production index).  The index, owned by the table, or null.
Index* idxOpen(Table* table, const char* name);
// Closes the index file and takes it off its table; 0 or an error.
int idxClose(Index* index);
// Creates an index file with the tags of `tags` (ended by a null name) and
// builds them from the table's records.  Null for the production index
// (which also sets header byte 28).  The index or null; a unique tag with
// setting 20 meeting a duplicate leaves lastError 20.
Index* idxCreate(Table* table, const char* name, const TagInfo* tags);

// The table's production index (the one named after it) when it is open.
Index* idxProduction(Table* table);

// Adds a tag to an open compound index and builds it; a tag of the same
// name is replaced.  0, 20 (a unique setting of 20 met a duplicate) or an
// error.
int idxAddTag(Index* index, const TagInfo* tag);

// The tag whose name equals `name` cut to 10 characters and upper-cased,
// over all index files of the table in their order; null when none (error
// -330 when reportTagNameFailure is on).
Tag* tagFind(Table* table, const char* name);
// Selects the tag (null: record-number order).
void tagSelect(Table* table, Tag* tag);
// The selected tag, or null.
Tag* tagSelected(Table* table);
// The tag after `tag` over all index files in order; null gives the first.
Tag* tagNext(Table* table, Tag* tag);

// What a tag is.
const char* tagName(const Tag* tag);
const char* tagExpressionSource(const Tag* tag);
// Null when the tag has no filter.
const char* tagFilterSource(const Tag* tag);
// 'C' character, 'N' numeric, 'D' date (keys of binary fields of later
// tables report as 'N').
char tagKeyType(const Tag* tag);
int tagKeyLength(const Tag* tag);
bool tagUnique(const Tag* tag);
bool tagDescending(const Tag* tag);

// Seeks in the selected tag: 0 found, 2 on the next greater key, 3 end of
// file, 50 locked, 80 no tag selected, -1 with the context in error.  A
// character text shorter than the key finds the first key beginning with it
// (a length of 0 or less takes the text's length).
int dbfSeek(Table* table, const char* text);
int dbfSeekN(Table* table, const char* text, int length);
// Seeks a numeric or date (Julian day) key; -1 on a character tag.
int dbfSeekDouble(Table* table, double value);

// One end of a key range.  Character bounds compare over `length` bytes of
// `text` as a prefix; numeric and date bounds compare `number` (dates as
// Julian days).  An absent bound (null) leaves the range open on that side.
struct KeyBound {
  const char* text;
  int length;
  double number;
  bool inclusive;
};
// The record numbers whose keys lie within [low, high] (each end inclusive
// or not as it says), in key order, appended to *out.  Records that the
// tag's filter leaves out are not in it, nor are the duplicates a unique tag
// keeps out.  0, 50 locked, or a negative error.
int tagRecordsInRange(Table* table, Tag* tag, const KeyBound* low, const KeyBound* high,
                      std::vector<long>* out);

// The memory the index builder sorts in before it spills sorted runs to
// temporary files (64 MiB unless set).
void setIndexSortMemory(size_t bytes);

// Installs the production-index opener and creator into the table layer.
// Tables opened before this keep their index files closed.
void installCompoundIndex();

}  // namespace qx::dbf

#endif  // QX_DBF_CDX_H
