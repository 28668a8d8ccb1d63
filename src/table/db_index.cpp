// Index files through the table API: opening, creating and closing them
// under index ids, and the stand-alone index builder whose tags are named
// TAG000, TAG001, ... after the order of their key expressions.
#include <cstdio>
#include <cstring>
#include <string>

#include "dbf/cdx.h"
#include "port/wstr.h"
#include "qx/db.h"
#include "qx/fname.h"
#include "qx/memory.h"
#include "qx/str.h"
#include "qx/strlist.h"
#include "table/api_internal.h"

namespace {

namespace dbf = qx::dbf;
namespace port = qx::port;

// The buffer the key expressions are cut up in.
constexpr size_t kExpressionRoom = 512;

char* engine_copy(const std::string& text) {
  auto* copy = static_cast<char*>(qx_Malloc(text.size() + 1));
  if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

// The tag descriptions of the expressions of `list`, ended by an all-zero
// entry; names, expressions from qx_Malloc as qx_Cb_freeTags frees them.
dbf::TagInfo* tag_descriptions(qx_StrList* list, int unique, int* count) {
  *count = 0;
  int length = qx_LnkList_length(list);
  auto* tags =
      static_cast<dbf::TagInfo*>(qx_Malloc(sizeof(dbf::TagInfo) * (static_cast<size_t>(length) + 1)));
  if (!tags) return nullptr;
  for (qx_LnkListNode* at = list->first; at; at = at->next) {
    auto* node = static_cast<const qx_StrListNode*>(at->data);
    char name[16];
    std::snprintf(name, sizeof name, "TAG%03d", *count);
    char* tag_name = engine_copy(name);
    char* expression = engine_copy(qx::table::low_bytes(node ? node->str : nullptr));
    if (!tag_name || !expression) {
      qx_Free(tag_name);
      qx_Free(expression);
      qx_Cb_freeTags(tags, *count);
      return nullptr;
    }
    tags[*count] = dbf::TagInfo{tag_name, expression, nullptr, unique, 0};
    ++*count;
  }
  tags[*count] = dbf::TagInfo{nullptr, nullptr, nullptr, 0, 0};
  return tags;
}

}  // namespace

extern "C" {

void qx_Cb_init(void* engine) {
  auto* e = static_cast<dbf::Engine*>(engine);
  if (!e) return;
  dbf::engInit(e);
  e->reportCreateFailure = 0;
  e->reportOpenFailure = 0;
  e->reportFieldNameFailure = 0;
  e->reportExpressionFailure = 0;
  e->reportReadFailure = 0;
  e->reportSkipFailure = 0;
  e->reportRelationFailure = 0;
  e->reportTagNameFailure = 0;
  e->autoOpenProductionIndex = 0;
  e->refuseOverwrite = 0;
  e->uniqueDefault = 0;
}

qx_StrList* qx_Cb_parseTagInfo(const qx_wchar* expressions) {
  if (!expressions) return nullptr;
  qx_wchar buffer[kExpressionRoom];
  port::wcopy(buffer, kExpressionRoom, expressions);
  qx_StrList* list = nullptr;
  qx_wchar* context = nullptr;
  for (qx_wchar* token = port::wtok(buffer, u", ", &context); token;
       token = port::wtok(nullptr, u", ", &context)) {
    if (!list && !(list = qx_StrList_create(static_cast<const qx_wchar*>(nullptr)))) return nullptr;
    qx_StrList_insEnd(list, token);
  }
  return list;
}

void qx_Cb_freeTags(void* tags, int count) {
  auto* entries = static_cast<dbf::TagInfo*>(tags);
  if (!entries) return;
  for (int i = 0; i < count; ++i) {
    qx_Free(const_cast<char*>(entries[i].name));
    qx_Free(const_cast<char*>(entries[i].expression));
    qx_Free(const_cast<char*>(entries[i].filter));
  }
  qx_Free(entries);
}

void* qx_Cb_i4create(void* table, const qx_wchar* name, const qx_wchar* expressions, int /*unused*/,
                     int unique) {
  auto* t = static_cast<dbf::Table*>(table);
  if (!t) return nullptr;
  qx_StrList* list = qx_Cb_parseTagInfo(expressions);
  if (!list) return nullptr;
  int count = 0;
  dbf::TagInfo* tags = tag_descriptions(list, unique, &count);
  dbf::Index* index = nullptr;
  if (tags) {
    std::string file = name ? port::to_utf8(name) : std::string();
    index = dbf::idxCreate(t, name ? file.c_str() : nullptr, tags);
    qx_Cb_freeTags(tags, count);
  }
  qx_StrList_destroy(list);
  return index;
}

int qx_Cb_createNdx(const qx_wchar* tablePath, const qx_wchar* expressions, int unique) {
  if (!tablePath || port::wlen(tablePath) >= QX_MAX_PATH) return 0;
  dbf::Engine engine;
  qx_Cb_init(&engine);
  qx_wchar path[QX_MAX_PATH + 4];
  port::wcopy(path, QX_MAX_PATH + 4, tablePath);
  qx_Fname_addExt(path, u"dbf");
  int done = 0;
  if (dbf::Table* t = dbf::dbfOpen(&engine, port::to_utf8(path).c_str())) {
    qx_Fname_rmvExt(path);
    done = qx_Cb_i4create(t, path, expressions, 0, unique) ? 1 : 0;
    dbf::dbfClose(t);
  }
  dbf::engShutdown(&engine);
  return done;
}

void* qx_Cb_findTag(void* table, const qx_wchar* expression) {
  auto* t = static_cast<dbf::Table*>(table);
  if (!t || !expression) return nullptr;
  for (dbf::Tag* tag = dbf::tagNext(t, nullptr); tag; tag = dbf::tagNext(t, tag)) {
    std::u16string source = qx::table::from_engine(dbf::tagExpressionSource(tag));
    if (qx_Str_cmpi(source.c_str(), expression) == 0) return tag;
  }
  return nullptr;
}

int qx_Db_openNdx(int id, const qx_wchar* path) {
  dbf::Table* t = qx::table::table_of(id);
  if (!t || !path) return -1;
  dbf::Index* index = dbf::idxOpen(t, port::to_utf8(path).c_str());
  if (!index) return -1;
  int index_id = qx_DbTagRef_add(id, index);
  if (index_id < 0) dbf::idxClose(index);
  return index_id;
}

int qx_Db_createNdx(int id, const qx_wchar* name, const qx_wchar* expressions, int unique) {
  dbf::Table* t = qx::table::table_of(id);
  if (!t) return -1;
  int index_id = qx_DbTagRef_add(id, nullptr);
  if (index_id < 0) return -1;
  void* index = qx_Cb_i4create(t, name, expressions, 0, unique);
  if (!index) {
    qx_DbTagRef_del(index_id);
    return -1;
  }
  qx_DbTagRef_update(index_id, index);
  return index_id;
}

int qx_Db_closeNdx(int indexId) {
  auto* index = static_cast<dbf::Index*>(qx_DbTagRef_selNdx(indexId));
  if (!index) return 1;
  int rc = dbf::idxClose(index);
  qx_DbTagRef_del(indexId);
  return rc;
}

}  // extern "C"
