// String lists: linked lists whose elements are string nodes, each owning a
// copy of one string.  Placement, deletion and navigation are the linked
// list's; this file adds copying strings in and out, sorted insertion,
// searching, splitting and joining.
#include "qx/strlist.h"

#include <algorithm>
#include <cstdarg>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/trace.h"
#include "port/wstr.h"
#include "qx/diag.h"
#include "qx/memory.h"

namespace {

const qx::TraceFamily kStrList{QX_DIAG_STRLIST, "Exiting", __FILE__};

using qx::port::wstring;
using qx::port::wstring_view;
using Node = qx_LnkListNode;

qx_wchar g_curr_buf[QX_STRLIST_BUF + 1];
qx_wchar g_search_buf[QX_STRLIST_BUF + 1];

// The string nodes: a record owning one copy.  They trace under their own
// names, as the library always did.
qx_StrListNode* node_create(const qx_wchar* s) {
  qx::TraceFrame frame(kStrList, u"qx_StrListNode_create", __LINE__);
  if (!s) return frame.leave(static_cast<qx_StrListNode*>(nullptr), __LINE__);
  auto* node = static_cast<qx_StrListNode*>(qx_Malloc(sizeof(qx_StrListNode)));
  if (!node) return frame.leave(node, __LINE__);
  node->str = qx_Str_dup(s);
  if (!node->str) {
    qx_Free(node);
    return frame.leave(static_cast<qx_StrListNode*>(nullptr), __LINE__);
  }
  return frame.leave(node, __LINE__);
}

int node_destroy(void* data) {
  qx::TraceFrame frame(kStrList, u"qx_StrListNode_destroy", __LINE__);
  auto* node = static_cast<qx_StrListNode*>(data);
  if (!node) return frame.leave(0, __LINE__);
  qx_Free(node->str);
  qx_Free(node);
  return frame.leave(1, __LINE__);
}

const qx_wchar* text_of(const Node* node) {
  return node && node->data ? static_cast<const qx_StrListNode*>(node->data)->str : nullptr;
}

// Makes a node for `s` and hands it to one of the linked list's inserts;
// the node goes again when the insert fails.
template <typename Insert>
int insert_copy(qx_StrList* list, const qx_wchar* s, Insert insert) {
  if (!list || !s) return 0;
  qx_StrListNode* node = node_create(s);
  if (!node) return 0;
  if (insert(node)) return 1;
  node_destroy(node);
  return 0;
}

bool equal_text(const qx_wchar* a, const qx_wchar* b, bool ignore_case) {
  return ignore_case ? qx_Str_cmpi(a, b) == 0 : qx::port::wcmp(a, b) == 0;
}

// Joins `parts` with `separator` into one block from qx_Malloc.
qx_wchar* join(const std::vector<wstring_view>& parts, wstring_view separator) {
  size_t total = 0;
  for (auto& part : parts) total += part.size();
  total += separator.size() * (parts.size() - 1);
  auto* out = static_cast<qx_wchar*>(qx_Malloc((total + 1) * sizeof(qx_wchar)));
  if (!out) return nullptr;
  qx_wchar* at = out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) at = std::copy(separator.begin(), separator.end(), at);
    at = std::copy(parts[i].begin(), parts[i].end(), at);
  }
  *at = 0;
  return out;
}

}  // namespace

extern "C" {

qx_StrList* qx_StrList_create(const qx_wchar* s, ...) {
  qx_StrList* list = qx_LnkList_create(nullptr);
  if (!list) return list;
  va_list ap;
  va_start(ap, s);
  for (const qx_wchar* item = s; item; item = va_arg(ap, const qx_wchar*))
    qx_StrList_insEnd(list, item);
  va_end(ap);
  list->current = list->first;
  return list;
}

int qx_StrList_destroy(qx_StrList* list) { return qx_LnkList_destroy(list, node_destroy); }

int qx_StrList_delAll(qx_StrList* list) { return qx_LnkList_delAll(list, node_destroy); }

int qx_StrList_insStart(qx_StrList* list, const qx_wchar* s) {
  QX_TRACE(kStrList, u"qx_StrList_insStart");
  QX_RETURN(insert_copy(list, s, [list](void* node) { return qx_LnkList_insStart(list, node); }));
}

int qx_StrList_insEnd(qx_StrList* list, const qx_wchar* s) {
  return insert_copy(list, s, [list](void* node) { return qx_LnkList_insEnd(list, node); });
}

int qx_StrList_insBefore(qx_StrList* list, const qx_wchar* s) {
  QX_TRACE(kStrList, u"qx_StrList_insBefore");
  QX_RETURN(insert_copy(list, s, [list](void* node) { return qx_LnkList_insBefore(list, node); }));
}

int qx_StrList_insAfter(qx_StrList* list, const qx_wchar* s) {
  QX_TRACE(kStrList, u"qx_StrList_insAfter");
  QX_RETURN(insert_copy(list, s, [list](void* node) { return qx_LnkList_insAfter(list, node); }));
}

int qx_StrList_insNth(qx_StrList* list, int index, const qx_wchar* s) {
  QX_TRACE(kStrList, u"qx_StrList_insNth");
  QX_RETURN(insert_copy(list, s,
                        [list, index](void* node) { return qx_LnkList_insNth(list, index, node); }));
}

// Before the first greater string, so equal strings keep insertion order.
// The cursor ends on that string, or off the list when the new one went last.
int qx_StrList_insSorted(qx_StrList* list, const qx_wchar* s) {
  QX_TRACE(kStrList, u"qx_StrList_insSorted");
  if (!list || !s) QX_RETURN(0);
  Node* greater = list->first;
  while (greater && qx::port::wcmp(text_of(greater), s) <= 0) greater = greater->next;
  list->current = greater;
  if (greater)
    QX_RETURN(insert_copy(list, s, [list](void* node) { return qx_LnkList_insBefore(list, node); }));
  QX_RETURN(insert_copy(list, s, [list](void* node) { return qx_LnkList_insEnd(list, node); }));
}

qx_wchar* qx_StrList_getCurr(qx_StrList* list) {
  const qx_wchar* s = text_of(list ? list->current : nullptr);
  if (!s) return nullptr;
  return qx::port::wcopy(g_curr_buf, QX_STRLIST_BUF + 1, s);
}

qx_wchar* qx_StrList_getCurrPtr(qx_StrList* list) {
  return qx_Str_dup(text_of(list ? list->current : nullptr));
}

qx_wchar* qx_StrList_getNth(qx_StrList* list, int index) {
  if (!qx_LnkList_getNth(list, index)) return nullptr;
  return qx_StrList_getCurr(list);
}

int qx_StrList_modCurr(qx_StrList* list, const qx_wchar* s) {
  QX_TRACE(kStrList, u"qx_StrList_modCurr");
  if (!list || !list->current || !s) QX_RETURN(0);
  QX_RETURN(insert_copy(list, s,
                        [list](void* node) { return qx_LnkList_modCurr(list, node, node_destroy); }));
}

int qx_StrList_modNth(qx_StrList* list, int index, const qx_wchar* s) {
  QX_TRACE(kStrList, u"qx_StrList_modNth");
  if (!list || !s || !qx_LnkList_getNth(list, index)) QX_RETURN(0);
  QX_RETURN(qx_StrList_modCurr(list, s));
}

int qx_StrList_delCurr(qx_StrList* list) { return qx_LnkList_delCurr(list, node_destroy); }

int qx_StrList_delNth(qx_StrList* list, int index) {
  return qx_LnkList_delNth(list, index, node_destroy);
}

// The order depends only on the strings, so any sort gives the linked
// list's quicksort's result; the cursor ends as that sort leaves it (off
// the list once any two strings differ).
void qx_StrList_sort(qx_StrList* list) {
  if (!list || !list->first) return;
  std::vector<void*> nodes;
  nodes.reserve(static_cast<size_t>(list->count));
  for (Node* node = list->first; node; node = node->next) nodes.push_back(node->data);
  auto text = [](void* data) { return wstring_view(static_cast<qx_StrListNode*>(data)->str); };
  const wstring_view head = text(nodes.front());
  bool any_differs = std::any_of(nodes.begin(), nodes.end(),
                                 [&](void* data) { return text(data) != head; });
  if (!any_differs) return;
  std::stable_sort(nodes.begin(), nodes.end(),
                   [&](void* a, void* b) { return text(a) < text(b); });
  size_t i = 0;
  for (Node* node = list->first; node; node = node->next) node->data = nodes[i++];
  list->current = nullptr;
}

int qx_StrList_search(qx_StrList* list, const qx_wchar* s, int ignoreCase) {
  QX_TRACE(kStrList, u"qx_StrList_search");
  if (!list || !s) QX_RETURN(-1);
  int index = 0;
  for (Node* node = list->first; node; node = node->next, ++index) {
    if (equal_text(text_of(node), s, ignoreCase != 0)) {
      list->current = node;
      QX_RETURN(index);
    }
  }
  list->current = nullptr;
  QX_RETURN(-1);
}

qx_wchar* qx_StrList_searchForString(qx_StrList* list, const qx_wchar* sub, int ignoreCase) {
  QX_TRACE(kStrList, u"qx_StrList_searchForString");
  if (!list || !sub) QX_RETURN(static_cast<qx_wchar*>(nullptr));
  for (Node* node = list->first; node; node = node->next) {
    if (qx_Str_index(text_of(node), sub, ignoreCase) >= 0) {
      list->current = node;
      QX_RETURN(qx::port::wcopy(g_search_buf, QX_STRLIST_BUF + 1, text_of(node)));
    }
  }
  list->current = nullptr;
  QX_RETURN(static_cast<qx_wchar*>(nullptr));
}

qx_StrList* qx_StrList_copy(qx_StrList* list) {
  QX_TRACE(kStrList, u"qx_StrList_copy");
  qx_StrList* copy = qx_LnkList_create(nullptr);
  if (!copy || !list) QX_RETURN(copy);
  for (Node* node = list->first; node; node = node->next) qx_StrList_insEnd(copy, text_of(node));
  list->current = nullptr;
  QX_RETURN(copy);
}

int qx_StrList_concatenate(qx_StrList* target, qx_StrList* source) {
  QX_TRACE(kStrList, u"qx_StrList_concatenate");
  if (!target || !source) QX_RETURN(0);
  // The source's own nodes are taken by count, so concatenating a list to
  // itself doubles it once instead of running forever.
  Node* node = source->first;
  for (int i = source->count; i > 0 && node; --i, node = node->next)
    qx_StrList_insEnd(target, text_of(node));
  source->current = nullptr;
  QX_RETURN(1);
}

qx_StrList* qx_StrList_fromDelimitedString(const qx_wchar* text, const qx_wchar* delimiters) {
  if (!text || !delimiters) return nullptr;
  wstring copy(text);
  qx_StrList* list = nullptr;
  qx_wchar* context = nullptr;
  for (qx_wchar* token = qx::port::wtok(copy.data(), delimiters, &context); token;
       token = qx::port::wtok(nullptr, delimiters, &context)) {
    qx_Str_delBlks(token);
    if (!list) {
      list = qx_StrList_create(token, nullptr);
      if (!list) return nullptr;
    } else {
      qx_StrList_insEnd(list, token);
    }
  }
  return list;
}

qx_wchar* qx_StrList_toDelimitedString(qx_StrList* list, const qx_wchar* separator) {
  if (!list || !list->first) return nullptr;
  std::vector<wstring_view> parts;
  parts.reserve(static_cast<size_t>(list->count));
  for (Node* node = list->first; node; node = node->next) parts.emplace_back(text_of(node));
  list->current = nullptr;
  return join(parts, separator ? separator : u"");
}

// Joins every `groupSize` elements (all of them for a size of 0 or less)
// into one string of the result list, each element in apostrophes when
// `quote` is set.
qx_StrList* qx_StrList_toDelimitedStringList(qx_StrList* list, const qx_wchar* separator,
                                             int groupSize, int quote) {
  if (!list || !list->first) return nullptr;
  const size_t group = groupSize > 0 ? static_cast<size_t>(groupSize) : 0;
  qx_StrList* result = nullptr;
  std::vector<wstring> scratch;
  for (Node* node = list->first; node; node = node->next) {
    wstring element(text_of(node));
    scratch.push_back(quote ? u"'" + element + u"'" : element);
    if (scratch.size() != group && node->next) continue;
    std::vector<wstring_view> parts(scratch.begin(), scratch.end());
    qx_wchar* joined = join(parts, separator ? separator : u"");
    scratch.clear();
    if (!joined) continue;
    if (!result)
      result = qx_StrList_create(joined, nullptr);
    else
      qx_StrList_insEnd(result, joined);
    qx_Free(joined);
  }
  list->current = nullptr;
  return result;
}

// Keeps the first occurrence of every string.  Strings equal ignoring case
// are exactly those whose upper-cased forms are equal, so one hash set
// replaces a search of the new list for every element.
qx_StrList* qx_StrList_removeDuplicates(qx_StrList* list, int ignoreCase) {
  if (!list) return nullptr;
  if (list->count < 2) return list;
  qx_StrList* unique = qx_LnkList_create(nullptr);
  if (!unique) return nullptr;
  std::unordered_set<wstring> seen;
  for (Node* node = list->first; node; node = node->next) {
    wstring key(text_of(node));
    if (ignoreCase) qx::port::wupr(key.data());
    if (seen.insert(std::move(key)).second) qx_StrList_insEnd(unique, text_of(node));
  }
  unique->current = unique->first;
  qx_StrList_destroy(list);
  return unique;
}

// The linked list's navigation under this family's names.
int qx_StrList_start(qx_StrList* list) { return qx_LnkList_start(list); }
int qx_StrList_end(qx_StrList* list) { return qx_LnkList_end(list); }
int qx_StrList_next(qx_StrList* list) { return qx_LnkList_next(list); }
int qx_StrList_prev(qx_StrList* list) { return qx_LnkList_prev(list); }
int qx_StrList_skip(qx_StrList* list, int count) { return qx_LnkList_skip(list, count); }
int qx_StrList_eol(const qx_StrList* list) { return qx_LnkList_eol(list); }
int qx_StrList_length(const qx_StrList* list) { return qx_LnkList_length(list); }
int qx_StrList_count(const qx_StrList* list) { return qx_LnkList_length(list); }

}  // extern "C"
