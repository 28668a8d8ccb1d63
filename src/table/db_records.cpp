// Records through the table API as table field lists: the current record
// read into a list, a list stored into the record, and whole tables or the
// records of a query read into cursors.
#include <string>

#include "dbf/field.h"
#include "dbf/relation.h"
#include "qx/db.h"
#include "qx/str.h"
#include "table/api_internal.h"

namespace {

namespace dbf = qx::dbf;

// Appends the current record, read by `reader`, to *cursor (made with the
// first record).
void append_current(const qx::table::RecordReader& reader, const qx_wchar* label,
                    qx_DbCursor** cursor) {
  qx_DbFldList* list = reader.read();
  if (!list) return;
  if (!*cursor) *cursor = qx_DbCursor_create();
  if (!*cursor || !qx_DbCursor_insEnd(*cursor, label, list)) qx_DbFldList_destroy(list);
}

}  // namespace

extern "C" {

qx_DbFldList* qx_Db_readCurrRec(void* table, qx_DbFldList* fields) {
  auto* t = static_cast<dbf::Table*>(table);
  if (!t) return nullptr;
  if (fields && fields->count > 0) {
    qx::table::RecordReader(t, fields).fill(fields);
    return fields;
  }
  qx_DbFldList* list = fields ? fields : qx_LnkList_create(nullptr);
  if (list) qx::table::RecordReader(t).append_to(list);
  return list;
}

qx_DbFldList* qx_Db_readRec(int id, qx_DbFldList* fields) {
  dbf::Table* t = qx::table::table_of(id);
  return t ? qx_Db_readCurrRec(t, fields) : nullptr;
}

int qx_Db_updFld(void* table, qx_DbFldNode* node) {
  auto* t = static_cast<dbf::Table*>(table);
  if (!t || !node || !node->value) return 1;
  dbf::Field* f = dbf::dbfFieldByName(t, qx::table::to_ansi(node->name).c_str());
  if (!f) return 1;
  std::string text = qx::table::to_ansi(node->value);
  switch (dbf::fldType(f)) {
    case 'N':
      dbf::fldAssignDouble(f, dbf::textToDouble(text.c_str(), static_cast<int>(text.size())));
      break;
    case 'L':
      dbf::fldAssignChar(f, dbf::textToInt(text.c_str(), static_cast<int>(text.size())));
      break;
    default:
      qx::table::store_text(f, text);
      break;
  }
  return 0;
}

int qx_Db_modRec(int id, qx_DbFldList* fields) {
  dbf::Table* t = qx::table::table_of(id);
  if (!t) return 1;
  if (!fields) return 0;
  int failed = 0;
  for (qx_LnkListNode* at = fields->first; at; at = at->next) {
    auto* node = static_cast<qx_DbFldNode*>(at->data);
    if (!node || qx_Db_updFld(t, node) != 0) failed = 1;
  }
  dbf::dbfWrite(t, dbf::dbfRecordNumber(t));
  return failed;
}

qx_DbCursor* qx_Db_readTable(int id, const qx_wchar* label, qx_DbFldList* fields) {
  dbf::Table* t = qx::table::table_of(id);
  if (!t) return nullptr;
  // Each record's list is made as qx_Db_readCurrRec fills a copy of the
  // template, from one reading of the template and the table's fields.
  qx::table::RecordReader reader(t, fields);
  qx_DbCursor* cursor = nullptr;
  for (dbf::dbfTop(t); !dbf::dbfEof(t);) {
    append_current(reader, label, &cursor);
    if (dbf::dbfSkip(t, 1) < 0) break;  // a failed move would never reach the end
  }
  return cursor;
}

qx_DbCursor* qx_Db_query(int id, const qx_wchar* expression, const qx_wchar* label,
                         qx_DbFldList* fields) {
  dbf::Table* t = qx::table::table_of(id);
  if (!t) return nullptr;
  dbf::Relation* relation = dbf::relInit(t);
  if (!relation) return nullptr;
  dbf::relSetQuery(relation, qx::table::to_ansi(expression).c_str());
  dbf::relLock(relation);
  qx::table::RecordReader reader(t, fields);
  qx_DbCursor* cursor = nullptr;
  for (int rc = dbf::relTop(relation); rc == 0; rc = dbf::relSkip(relation, 1))
    append_current(reader, label, &cursor);
  dbf::relUnlock(relation);
  dbf::relFree(relation, 0);
  return cursor;
}

}  // extern "C"
