// Message lists: texts translated together in one call (each node names its
// text, key and layout) and found again by the node's short name.
#include <cstdarg>
#include <cstdint>

#include "port/wstr.h"
#include "qx/memory.h"
#include "qx/msg.h"
#include "qx/msglist.h"
#include "qx/str.h"

namespace {

qx_wchar g_found[QX_MSG_FIND_LEN + 1];

int release_node(void* data) {
  auto* node = static_cast<qx_MsgNode*>(data);
  if (!node) return 0;
  qx_Free(node->text);
  qx_Free(node);
  return 1;
}

void append_node(qx_MsgList* list, const qx_wchar* name, const qx_wchar* text,
                 const qx_wchar* key, int format) {
  qx_MsgNode* node = qx_MsgNode_create(name, text, key, format, 0);
  if (node && !qx_LnkList_insEnd(list, node)) release_node(node);
}

}  // namespace

extern "C" {

qx_MsgNode* qx_MsgNode_create(const qx_wchar* name, const qx_wchar* text, const qx_wchar* key,
                              int format, int width) {
  auto* node = static_cast<qx_MsgNode*>(qx_Malloc(sizeof(qx_MsgNode)));
  if (!node) return nullptr;
  qx_Str_ncpy(node->name, name, QX_MSGNODE_NAME_LEN);
  qx_Str_ncpy(node->key, key, QX_MSGNODE_NAME_LEN);
  node->text = text ? qx_Str_dup(text) : nullptr;
  if (text && !node->text) {
    qx_Free(node);
    return nullptr;
  }
  node->format = format;
  node->width = width;
  return node;
}

int qx_Msg_multiple(qx_MsgList* list) {
  if (!list) return 1;
  for (qx_LnkListNode* at = list->first; at; at = at->next) {
    auto* node = static_cast<qx_MsgNode*>(at->data);
    if (!node || !node->text || !node->text[0] || !node->key[0]) continue;
    const qx_wchar* looked_up = qx_Msg_pad(node->text, node->key, node->format, node->width);
    if (looked_up[0] == u'^') continue;  // marked as not to be used
    qx_wchar* copy = qx_Str_dup(looked_up);
    if (!copy) continue;
    qx_Free(node->text);
    node->text = copy;
  }
  return 1;
}

qx_MsgList* qx_Msg_mlt(const qx_wchar* name, ...) {
  qx_MsgList* list = qx_LnkList_create(nullptr);
  if (!list) return nullptr;
  va_list ap;
  va_start(ap, name);
  int format = 0;
  while (name) {
    const qx_wchar* text = va_arg(ap, const qx_wchar*);
    if (!text) break;
    const qx_wchar* key = va_arg(ap, const qx_wchar*);
    if (key) format = va_arg(ap, int);  // without a key the last layout stays
    append_node(list, name, text, key, format);
    if (format != 0) name = va_arg(ap, const qx_wchar*);
  }
  va_end(ap);
  qx_Msg_multiple(list);
  return list;
}

qx_MsgList* qx_Msg_mltReadArray(const qx_wchar* const (*records)[4]) {
  qx_MsgList* list = qx_LnkList_create(nullptr);
  if (!list) return nullptr;
  for (size_t i = 0; records && records[i][0] && records[i][0][0]; ++i) {
    int format = static_cast<int>(reinterpret_cast<intptr_t>(records[i][3]));
    append_node(list, records[i][0], records[i][1], records[i][2], format);
  }
  qx_Msg_multiple(list);
  return list;
}

qx_wchar* qx_Msg_find(qx_MsgList* list, const qx_wchar* name) {
  qx::port::wcopy(g_found, QX_MSG_FIND_LEN + 1, name);
  if (!list || !name) return g_found;
  for (qx_LnkListNode* at = list->first; at; at = at->next) {
    auto* node = static_cast<const qx_MsgNode*>(at->data);
    if (node && node->text && qx::port::wcmp(node->name, name) == 0) {
      qx::port::wcopy(g_found, QX_MSG_FIND_LEN + 1, node->text);
      break;
    }
  }
  return g_found;
}

int qx_MsgList_destroy(qx_MsgList* list) { return qx_LnkList_destroy(list, release_node); }

}  // extern "C"
