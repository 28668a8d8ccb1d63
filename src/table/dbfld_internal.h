// Internals shared by the table API sources: the value rule of table field
// nodes, the crossing of text between wide callers and the 8-bit engine, and
// the reading of records into nodes.
#ifndef QX_TABLE_DBFLD_INTERNAL_H
#define QX_TABLE_DBFLD_INTERNAL_H

#include <string>
#include <string_view>
#include <vector>

#include "dbf/field.h"
#include "qx/dbfldlist.h"

namespace qx::table {

// Stores `text` as the node's value by the value rule: 0 for a null text
// (value left null), else 1 (also when memory runs out, with a null value).
int set_value(qx_DbFldNode* node, const qx_wchar* text);

// A node's value copy of 8-bit engine text (up to a zero byte), widened
// byte by byte, with the value rule applied for `type`; null when memory
// runs out.
qx_wchar* trimmed_copy(std::string_view text, qx_wchar type);

// The upper-cased type letter a node keeps.
qx_wchar node_type(int letter);

// Text for the engine in the ANSI code page (ISO-8859-1 here: characters
// beyond it become '?').
std::string to_ansi(const qx_wchar* text);
// Text for the engine that keeps the low byte of each character (field
// names of a new table, tag names and key expressions).
std::string low_bytes(const qx_wchar* text);
// Puts a node just made into the list with `insert` (qx_LnkList_insStart or
// qx_LnkList_insEnd); a node that could not be put in is freed.  1 done, 0
// not (also for a null node).
int insert_new_node(int (*insert)(qx_LnkList*, void*), qx_DbFldList* list, qx_DbFldNode* node);
// Engine text widened byte by byte.
std::u16string from_engine(const char* text);

// A field's value as the API hands it out, widened: the record text, or for
// a memo field its memo contents (its record bytes are only the block
// number, which callers have no use for).
std::u16string field_text(dbf::Field* field);
// Stores 8-bit text in a field as the API takes it in: cut or padded to the
// field's width, or for a memo field as its memo contents, so that text
// never overwrites the block number.  The engine's result.
int store_text(dbf::Field* field, const std::string& text);

// The nodes of a record read from a table, worked out once for a read of
// many records: each field found and its name widened once, so a record
// costs only its own values.  It holds the table's field handles: use it
// only while the table stays open.
class RecordReader {
 public:
  // The fields the non-null nodes of `fields` name, in that order, as a
  // template fills them (a name the table lacks reads as an empty 'C'
  // field of width 1); without a template, or one without such nodes,
  // every field of the table in field order, as qx_DbFldNode_fromFld
  // makes its node.
  explicit RecordReader(dbf::Table* table, const qx_DbFldList* fields = nullptr);

  // The current record as a new table field list; null when memory runs
  // out before the list is made.  A node that cannot be made is left out,
  // a value that cannot be copied left null, as a single record's read does.
  qx_DbFldList* read() const;
  // The same nodes appended to `list`.
  void append_to(qx_DbFldList* list) const;
  // Fills the template this reader was made from in place: each non-null
  // node gets the width, decimals, type and value of its field (the old
  // value freed), its name kept.
  void fill(qx_DbFldList* fields) const;

 private:
  struct Column {
    dbf::Field* field;   // null: not in the table
    bool memo;
    qx_DbFldNode shape;  // name, width, decimals and type; no value
  };
  qx_DbFldNode* make_node(const Column& column) const;

  std::vector<Column> columns_;
  mutable std::string memo_;  // memo contents, reused from record to record
};

}  // namespace qx::table

#endif  // QX_TABLE_DBFLD_INTERNAL_H
