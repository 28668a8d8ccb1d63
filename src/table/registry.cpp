// The table and index registries: the small ids callers name tables and
// index files by, mapped to the engine's handles, and the choice of a tag
// by tag id.
#include <cstdio>

#include "dbf/cdx.h"
#include "qx/db.h"
#include "qx/memory.h"
#include "table/api_internal.h"

namespace qx::table {

namespace {

qx_LnkList* g_tables = nullptr;
qx_LnkList* g_indexes = nullptr;

constexpr int kIndexStep = 100;

qx_LnkList* ensure(qx_LnkList*& registry) {
  if (!registry) registry = qx_LnkList_create(nullptr);
  return registry;
}

int free_element(void* data) {
  qx_Free(data);
  return 1;
}

// The index id a tag id belongs to: rounded down to a multiple of 100.
int index_id_of(int id) { return id - (id % kIndexStep + kIndexStep) % kIndexStep; }

qx_DbTagRefNode* find_index(int id) {
  if (!g_indexes) return nullptr;
  int wanted = index_id_of(id);
  for (qx_LnkListNode* at = g_indexes->first; at; at = at->next) {
    auto* node = static_cast<qx_DbTagRefNode*>(at->data);
    if (node && node->id == wanted) return node;
  }
  return nullptr;
}

// Removes the registry's first element for which `match` holds; true when
// one was removed.
template <typename Node, typename Match>
bool remove_first(qx_LnkList* registry, Match match) {
  if (!registry) return false;
  for (qx_LnkListNode* at = registry->first; at; at = at->next) {
    if (at->data && match(static_cast<Node*>(at->data))) {
      registry->current = at;
      qx_LnkList_delCurr(registry, free_element);
      return true;
    }
  }
  return false;
}

}  // namespace

void reset_registries() {
  qx_LnkList_destroy(g_tables, free_element);
  qx_LnkList_destroy(g_indexes, free_element);
  g_tables = qx_LnkList_create(nullptr);
  g_indexes = qx_LnkList_create(nullptr);
}

bool registries_exist() { return g_tables || g_indexes; }

void forget_earlier_error() {
  dbf::Engine* e = api_engine();
  if (e->lastError < 0) e->lastError = 0;
}

dbf::Table* table_of(int id) {
  auto* t = static_cast<dbf::Table*>(qx_DbRef_sel(id));
  if (t) forget_earlier_error();
  return t;
}

}  // namespace qx::table

using qx::table::g_indexes;
using qx::table::g_tables;

extern "C" {

qx_DbRefNode* qx_DbRefNode_create(void* table, int id) {
  auto* node = static_cast<qx_DbRefNode*>(qx_Malloc(sizeof(qx_DbRefNode)));
  if (node) *node = qx_DbRefNode{table, id};
  return node;
}

qx_DbRefNode* qx_DbRefNode_find(int id) {
  if (!g_tables) return nullptr;
  for (qx_LnkListNode* at = g_tables->first; at; at = at->next) {
    auto* node = static_cast<qx_DbRefNode*>(at->data);
    if (node && node->id == id) return node;
  }
  return nullptr;
}

int qx_DbRefNode_free(void* node) {
  qx_Free(node);
  return 1;
}

void* qx_DbRef_sel(int id) {
  qx_DbRefNode* node = qx_DbRefNode_find(id);
  return node ? node->table : nullptr;
}

int qx_DbRef_add(void* table) {
  qx_LnkList* registry = qx::table::ensure(g_tables);
  if (!registry) return -1;
  int id = -1;
  for (qx_LnkListNode* at = registry->first; at; at = at->next)
    if (auto* node = static_cast<qx_DbRefNode*>(at->data); node && node->id > id) id = node->id;
  ++id;
  qx_DbRefNode* node = qx_DbRefNode_create(table, id);
  if (!node) return -1;
  if (!qx_LnkList_insEnd(registry, node)) {
    qx_Free(node);
    return -1;
  }
  return id;
}

int qx_DbRef_del(int id) {
  return qx::table::remove_first<qx_DbRefNode>(g_tables, [id](auto* n) { return n->id == id; });
}

int qx_DbRef_delTags(int id) {
  int removed = 0;
  while (qx::table::remove_first<qx_DbTagRefNode>(g_indexes,
                                                  [id](auto* n) { return n->tableId == id; }))
    removed = 1;
  return removed;
}

qx_DbTagRefNode* qx_DbTagRefNode_create(void* index, int indexId, int tableId) {
  auto* node = static_cast<qx_DbTagRefNode*>(qx_Malloc(sizeof(qx_DbTagRefNode)));
  if (node) *node = qx_DbTagRefNode{index, tableId, indexId};
  return node;
}

int qx_DbTagRefNode_free(void* node) {
  qx_Free(node);
  return 1;
}

int qx_DbTagRef_add(int tableId, void* index) {
  qx_LnkList* registry = qx::table::ensure(g_indexes);
  if (!registry) return -1;
  int id = 0;
  for (qx_LnkListNode* at = registry->first; at; at = at->next)
    if (auto* node = static_cast<qx_DbTagRefNode*>(at->data); node && node->id > id) id = node->id;
  id += qx::table::kIndexStep;
  qx_DbTagRefNode* node = qx_DbTagRefNode_create(index, id, tableId);
  if (!node) return -1;
  if (!qx_LnkList_insEnd(registry, node)) {
    qx_Free(node);
    return -1;
  }
  return id;
}

void* qx_DbTagRef_selNdx(int indexId) {
  qx_DbTagRefNode* node = qx::table::find_index(indexId);
  return node ? node->index : nullptr;
}

int qx_DbTagRef_del(int indexId) {
  int wanted = qx::table::index_id_of(indexId);
  return qx::table::remove_first<qx_DbTagRefNode>(g_indexes,
                                                  [wanted](auto* n) { return n->id == wanted; });
}

int qx_DbTagRef_update(int indexId, void* index) {
  qx_DbTagRefNode* node = qx::table::find_index(indexId);
  if (!node) return 0;
  node->index = index;
  return 1;
}

void* qx_DbTagRef_sel(void* table, int tagId) {
  auto* t = static_cast<qx::dbf::Table*>(table);
  if (!t) return nullptr;
  qx::dbf::Tag* tag = nullptr;
  if (tagId >= 0) {
    // The hundreds of a tag id do not restrict the search: the tag names
    // are looked up over every index file open on the table.
    char name[16];
    std::snprintf(name, sizeof name, "TAG%03d", tagId % qx::table::kIndexStep);
    tag = qx::dbf::tagFind(t, name);
    if (!tag) {
      std::snprintf(name, sizeof name, "TAG%03d", tagId);
      tag = qx::dbf::tagFind(t, name);
    }
    if (!tag) {
      std::snprintf(name, sizeof name, "TAG%04d", tagId % qx::table::kIndexStep);
      tag = qx::dbf::tagFind(t, name);
    }
  }
  qx::dbf::tagSelect(t, tag);
  return tag;
}

}  // extern "C"
