// The table API: tables named by table ids, their records and fields, over
// the engine's operations in one process-wide context.
#include <cstring>
#include <string>

#include "dbf/cdx.h"
#include "dbf/field.h"
#include "port/wstr.h"
#include "qx/db.h"
#include "qx/memory.h"
#include "qx/str.h"
#include "table/api_internal.h"

namespace qx::table {

namespace {

dbf::Engine g_engine;
bool g_initialised = false;

// The room of qx_Db_getFldStr's buffer and the largest qx_Db_cpyFldN copy.
constexpr size_t kFieldRoom = 512;

// Opens or creates through `make`, then goes to the top and registers the
// table; a table that cannot be registered is closed again.
template <typename Make>
int open_and_register(Make make) {
  forget_earlier_error();
  dbf::Table* t = make(&g_engine);
  if (!t) return -1;
  dbf::dbfTop(t);
  int id = qx_DbRef_add(t);
  if (id < 0) dbf::dbfClose(t);
  return id;
}

dbf::Field* field_of(int id, const qx_wchar* name) {
  dbf::Table* t = table_of(id);
  if (!t || !name) return nullptr;
  return dbf::dbfFieldByName(t, to_ansi(name).c_str());
}

// Selects the order of `tag_id` and runs `move` on the table of `id`; 1
// when the id names no table.
template <typename Move>
int move_in_order(int id, int tag_id, Move move) {
  dbf::Table* t = table_of(id);
  if (!t) return 1;
  qx_DbTagRef_sel(t, tag_id);
  return move(t);
}

// The engine field descriptions of a table field list, with names from
// qx_Malloc as qx_Db_freeFldInfo frees them; ended by an all-zero entry.
dbf::FieldInfo* field_descriptions(qx_DbFldList* list, int* count) {
  *count = 0;
  auto* infos = static_cast<dbf::FieldInfo*>(
      qx_Malloc(sizeof(dbf::FieldInfo) * (static_cast<size_t>(qx_LnkList_length(list)) + 1)));
  if (!infos) return nullptr;
  for (qx_LnkListNode* at = list->first; at; at = at->next) {
    auto* node = static_cast<const qx_DbFldNode*>(at->data);
    if (!node) continue;
    std::string name = low_bytes(node->name);
    auto* copy = static_cast<char*>(qx_Malloc(name.size() + 1));
    if (!copy) {
      qx_Db_freeFldInfo(infos, *count);
      return nullptr;
    }
    std::memcpy(copy, name.c_str(), name.size() + 1);
    infos[*count] = dbf::FieldInfo{copy, node->type & 0xFFFF, node->width, node->decimals};
    ++*count;
  }
  infos[*count] = dbf::FieldInfo{nullptr, 0, 0, 0};
  return infos;
}

}  // namespace

dbf::Engine* api_engine() {
  qx_Db_init();
  return &g_engine;
}

}  // namespace qx::table

namespace dbf = qx::dbf;
namespace port = qx::port;
using qx::table::field_of;
using qx::table::table_of;
using qx::table::to_ansi;

extern "C" {

void qx_Db_init(void) {
  if (qx::table::g_initialised) return;
  qx::table::g_initialised = true;
  qx_Cb_init(&qx::table::g_engine);
  qx::table::reset_registries();
}

int qx_Db_openDb(const qx_wchar* path) { return qx_Db_openDbEx(path, 0); }

int qx_Db_openDbEx(const qx_wchar* path, int readOnly) {
  if (!path) return -1;
  std::string name = port::to_utf8(path);
  return qx::table::open_and_register([&](dbf::Engine* e) {
    e->readOnlyAccess = readOnly == 1 ? 1 : 0;
    dbf::Table* t = dbf::dbfOpen(e, name.c_str());
    e->readOnlyAccess = 0;
    return t;
  });
}

int qx_Db_createDb(const qx_wchar* path, qx_DbFldList* fields) {
  if (!path || !fields) return -1;
  std::string name = port::to_utf8(path);
  return qx::table::open_and_register([&](dbf::Engine* e) -> dbf::Table* {
    int count = 0;
    dbf::FieldInfo* infos = qx::table::field_descriptions(fields, &count);
    if (!infos) return nullptr;
    // The context overwrites files: a table that exists is replaced, as
    // programs that re-create their work tables expect.  A file another
    // handle holds without sharing writes is refused, never emptied.
    dbf::Table* t = dbf::dbfCreate(e, name.c_str(), infos, nullptr);
    qx_Db_freeFldInfo(infos, count);
    return t;
  });
}

int qx_Db_closeDb(int id) {
  dbf::Table* t = table_of(id);
  if (!t) return 1;
  int rc = dbf::dbfClose(t);
  qx_DbRef_del(id);
  qx_DbRef_delTags(id);
  return rc;
}

int qx_Db_closeAll(void) {
  int rc = 1;
  if (qx::table::registries_exist()) rc = dbf::engCloseAll(&qx::table::g_engine);
  qx::table::reset_registries();
  return rc;
}

long qx_Db_getRecordCount(int id) {
  dbf::Table* t = table_of(id);
  return t ? dbf::dbfRecordCount(t) : 0;
}

long qx_Db_getRecordNo(int id) {
  dbf::Table* t = table_of(id);
  return t ? dbf::dbfRecordNumber(t) : 0;
}

qx_DbFldList* qx_Db_struct(int id) {
  dbf::Table* t = table_of(id);
  if (!t) return nullptr;
  qx_DbFldList* list = qx_LnkList_create(nullptr);
  if (!list) return nullptr;
  int count = dbf::dbfFieldCount(t);
  for (int i = 1; i <= count; ++i) {
    qx::table::insert_new_node(qx_LnkList_insEnd, list,
                               qx_DbFldNode_fromFld(dbf::dbfFieldByNumber(t, i)));
  }
  return list;
}

int qx_Db_packDb(int id) {
  dbf::Table* t = table_of(id);
  if (!t) return 1;
  int rc = dbf::dbfPack(t);
  if (rc == 0) dbf::dbfTop(t);
  return rc;
}

int qx_Db_rendx(void) { return -1; }

int qx_Db_topRec(int id, int tagId) {
  return qx::table::move_in_order(id, tagId, [](dbf::Table* t) { return dbf::dbfTop(t); });
}

int qx_Db_botRec(int id, int tagId) {
  return qx::table::move_in_order(id, tagId, [](dbf::Table* t) { return dbf::dbfBottom(t); });
}

int qx_Db_nextRec(int id, int tagId) {
  return qx::table::move_in_order(id, tagId, [](dbf::Table* t) { return dbf::dbfSkip(t, 1); });
}

int qx_Db_prevRec(int id, int tagId) {
  return qx::table::move_in_order(id, tagId, [](dbf::Table* t) { return dbf::dbfSkip(t, -1); });
}

int qx_Db_seekStr(const qx_wchar* key, int id, int tagId) {
  std::string text = to_ansi(key ? key : u"");
  return qx::table::move_in_order(id, tagId,
                                  [&](dbf::Table* t) { return dbf::dbfSeek(t, text.c_str()); });
}

int qx_Db_seekDouble(double key, int id, int tagId) {
  return qx::table::move_in_order(id, tagId,
                                  [&](dbf::Table* t) { return dbf::dbfSeekDouble(t, key); });
}

int qx_Db_eof(int id) {
  dbf::Table* t = table_of(id);
  return t ? dbf::dbfEof(t) : 1;
}

int qx_Db_bof(int id) {
  dbf::Table* t = table_of(id);
  return t ? dbf::dbfBof(t) : 1;
}

int qx_Db_deleted(int id) {
  dbf::Table* t = table_of(id);
  return t ? dbf::dbfDeleted(t) : 1;
}

int qx_Db_writeRec(int id) {
  dbf::Table* t = table_of(id);
  if (!t) return 1;
  dbf::dbfWrite(t, dbf::dbfRecordNumber(t));
  return 0;
}

int qx_Db_appRec(int id) {
  dbf::Table* t = table_of(id);
  if (!t) return 1;
  int rc = dbf::dbfAppendBlank(t);
  if (rc == 0) dbf::dbfWrite(t, dbf::dbfRecordNumber(t));
  return rc;
}

int qx_Db_appendStart(int id) {
  dbf::Table* t = table_of(id);
  return t ? dbf::dbfAppendStart(t, 1) : 1;
}

int qx_Db_append(int id) {
  dbf::Table* t = table_of(id);
  return t ? dbf::dbfAppend(t) : 1;
}

int qx_Db_delRec(int id) {
  dbf::Table* t = table_of(id);
  if (!t) return 1;
  dbf::dbfDelete(t);
  return 0;
}

int qx_Db_undelRec(int id) {
  dbf::Table* t = table_of(id);
  if (!t) return 1;
  dbf::dbfRecall(t);
  return 0;
}

int qx_Db_assignFldStr(int id, const qx_wchar* name, const qx_wchar* text) {
  dbf::Field* f = field_of(id, name);
  if (!f) return 1;
  qx::table::store_text(f, to_ansi(text ? text : u""));
  return 0;
}

int qx_Db_assignFldStrN(int id, const qx_wchar* name, const qx_wchar* text, int length) {
  dbf::Field* f = field_of(id, name);
  if (!f) return 1;
  std::string converted = to_ansi(text ? text : u"");
  // A length beyond the text stops at its end rather than reading past it.
  if (length < 0) length = 0;
  if (static_cast<size_t>(length) < converted.size()) converted.resize(static_cast<size_t>(length));
  qx::table::store_text(f, converted);
  return 0;
}

int qx_Db_assignFldDouble(int id, const qx_wchar* name, double value) {
  dbf::Field* f = field_of(id, name);
  if (!f) return 1;
  dbf::fldAssignDouble(f, value);
  return 0;
}

int qx_Db_assignFldInt(int id, const qx_wchar* name, int value) {
  dbf::Field* f = field_of(id, name);
  if (!f) return 1;
  dbf::fldAssignInt(f, value);
  return 0;
}

const qx_wchar* qx_Db_getFldStr(int id, const qx_wchar* name) {
  static qx_wchar buffer[qx::table::kFieldRoom];
  buffer[0] = 0;
  if (dbf::Field* f = field_of(id, name)) {
    port::wcopy(buffer, qx::table::kFieldRoom, qx::table::field_text(f));
    qx_Str_rtb(buffer);
  }
  return buffer;
}

double qx_Db_getFldDouble(int id, const qx_wchar* name) {
  dbf::Field* f = field_of(id, name);
  return f ? dbf::fldDouble(f) : 0.0;
}

int qx_Db_getFldInt(int id, const qx_wchar* name) {
  dbf::Field* f = field_of(id, name);
  return f ? dbf::fldInt(f) : 0;
}

int qx_Db_cpyFldN(int id, const qx_wchar* name, qx_wchar* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  dbf::Field* f = field_of(id, name);
  if (!f) return 0;
  if (size > static_cast<int>(qx::table::kFieldRoom)) size = qx::table::kFieldRoom;
  char narrow[qx::table::kFieldRoom];
  int copied = dbf::fldCopy(f, narrow, size);
  std::u16string wide = qx::table::from_engine(narrow);
  port::wcopy(buffer, static_cast<size_t>(size), wide);
  return copied;
}

int qx_Db_padVal(qx_wchar* text, int id, const qx_wchar* name) {
  dbf::Field* f = field_of(id, name);
  if (!f || !text) return 1;
  qx_Str_pad(text, dbf::fldWidth(f));
  return 0;
}

void qx_Db_freeFldInfo(void* fields, int count) {
  auto* infos = static_cast<dbf::FieldInfo*>(fields);
  if (!infos) return;
  for (int i = 0; i < count; ++i) qx_Free(const_cast<char*>(infos[i].name));
  qx_Free(infos);
}

double qx_Cnv_dtor(double degrees) { return degrees * 3.141592653589793 / 180.0; }

double qx_Cnv_rtod(double radians) { return radians * 180.0 / 3.141592653589793; }

}  // extern "C"
