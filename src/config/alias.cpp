// The alias table: one process-wide field list of text values, made on the
// first qx_Alias_put and kept for the life of the process.  Names match as
// field names do (without regard to case, the first of a name winning).
#include "qx/env.h"
#include "qx/fldlist.h"

namespace {

qx_FldList* g_aliases = nullptr;

// Room of a value taken from a field list that hands its aliases over.
constexpr int kFieldTextRoom = 512;

}  // namespace

extern "C" {

int qx_Alias_get(qx_wchar* value, const qx_wchar* name, int max_length) {
  if (!value) return 0;
  value[0] = 0;
  if (!name || !g_aliases) return 0;
  return qx_FldList_getChar(g_aliases, name, value, max_length);
}

int qx_Alias_put(const qx_wchar* name, const qx_wchar* value) {
  if (!name) return 0;
  if (!g_aliases) g_aliases = qx_FldList_create(nullptr);
  if (!g_aliases) return 0;
  if (value) return qx_FldList_modChar(g_aliases, name, value);
  return qx_FldList_delFld(g_aliases, name);
}

int qx_Alias_del(const qx_wchar* name) { return qx_Alias_put(name, nullptr); }

int qx_Alias_putFromFldList(qx_FldList* list) {
  if (!list) return 0;
  qx_wchar value[kFieldTextRoom + 1];
  for (qx_FldList_start(list); !qx_FldList_eol(list); qx_FldList_next(list)) {
    const qx_FldNode* node = qx_FldList_curr(list);
    if (!node || !node->name) continue;
    value[0] = 0;
    qx_FldList_currChar(list, value, kFieldTextRoom);
    qx_Alias_put(node->name, value);
  }
  return 1;
}

}  // extern "C"
