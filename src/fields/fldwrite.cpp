// Changing fields by name, and adding values under a repeated name, which
// gathers them in a nested 'V' list named like them.
#include "fields/field_internal.h"
#include "qx/fldlist.h"
#include "qx/lnklist.h"

namespace qx::fields {

namespace {

// Puts the node under the list's cursor into a new nested list held by a
// new 'V' node of the same name, which takes its place.  Null, with nothing
// changed, when memory runs out.
qx_FldNode* wrap_current_in_list(qx_FldList* list, qx_FldNode* node) {
  qx_FldList* nested = new_list();
  if (!nested) return nullptr;
  qx_FldNode* wrapper = make_node(node->name, list_value(nested));
  if (!wrapper) {
    qx_LnkList_destroy(nested, nullptr);
    return nullptr;
  }
  if (!qx_LnkList_insEnd(nested, node)) {
    qx_FldList_destroyNode(wrapper);  // and its still empty nested list
    return nullptr;
  }
  qx_LnkList_modCurr(list, wrapper, nullptr);
  return wrapper;
}

}  // namespace

int modify(qx_FldList* list, const qx_wchar* name, const Value& value) {
  qx_FldNode* node = find(list, name);
  if (!node) return append(list, name, value);
  // An old nested list or string list is left to whoever holds it.
  return store(node, value) ? QX_FLD_OK : QX_FLD_NO_MEMORY;
}

int add(qx_FldList* list, const qx_wchar* name, const Value& value) {
  qx_FldNode* node = find(list, name);
  if (!node) return append(list, name, value);
  if (node->type != 'V') node = wrap_current_in_list(list, node);
  // Adding to an existing name reports success even when the value could
  // not be placed.
  if (node) append(node->value.list, name, value);
  return QX_FLD_OK;
}

}  // namespace qx::fields

using namespace qx::fields;

namespace {

// addVal hands numbers over by address; a null address reads as zero.
int32_t int_at(const void* value) { return value ? *static_cast<const int32_t*>(value) : 0; }
double real_at(const void* value) { return value ? *static_cast<const double*>(value) : 0.0; }
const qx_Point* point_at(const void* value) { return static_cast<const qx_Point*>(value); }
const qx_wchar* text_at(const void* value) { return static_cast<const qx_wchar*>(value); }

}  // namespace

extern "C" {

// --- changing by name ------------------------------------------------------

int qx_FldList_modChar(qx_FldList* list, const qx_wchar* name, const qx_wchar* text) {
  return modify(list, name, text_value('C', text));
}

int qx_FldList_modHandle(qx_FldList* list, const qx_wchar* name, const qx_wchar* handle) {
  // A changed field keeps the handle's letters as given; an appended one is
  // upper-cased like every new Handle field.
  return modify(list, name, text_value('H', handle));
}

int qx_FldList_modInt(qx_FldList* list, const qx_wchar* name, int32_t value) {
  return modify(list, name, int_value('I', value));
}

int qx_FldList_modLong(qx_FldList* list, const qx_wchar* name, int32_t value) {
  return modify(list, name, int_value('L', value));
}

int qx_FldList_modReal(qx_FldList* list, const qx_wchar* name, double value) {
  return modify(list, name, real_value(value));
}

int qx_FldList_modPoint(qx_FldList* list, const qx_wchar* name, const qx_Point* point) {
  return modify(list, name, point_value('P', point));
}

int qx_FldList_modMpoint(qx_FldList* list, const qx_wchar* name, const qx_Point* point) {
  return modify(list, name, point_value('M', point));
}

int qx_FldList_modDpoint(qx_FldList* list, const qx_wchar* name, const qx_Point* point) {
  return modify(list, name, point_value('D', point));
}

int qx_FldList_modVector(qx_FldList* list, const qx_wchar* name, const qx_Vector* vector) {
  return modify(list, name, point_value('O', vector));
}

int qx_FldList_modList(qx_FldList* list, const qx_wchar* name, qx_FldList* nested) {
  return modify(list, name, list_value(nested));
}

int qx_FldList_modUnknown(qx_FldList* list, const qx_wchar* name) {
  return modify(list, name, unknown_value());
}

// --- adding under a repeated name -------------------------------------------

int qx_FldList_addCharVal(qx_FldList* list, const qx_wchar* name, const qx_wchar* text) {
  return add(list, name, text_value('C', text));
}

int qx_FldList_addHandleVal(qx_FldList* list, const qx_wchar* name, const qx_wchar* handle) {
  return add(list, name, text_value('H', handle));
}

int qx_FldList_addIntVal(qx_FldList* list, const qx_wchar* name, int32_t value) {
  return add(list, name, int_value('I', value));
}

int qx_FldList_addLongVal(qx_FldList* list, const qx_wchar* name, int32_t value) {
  return add(list, name, int_value('L', value));
}

int qx_FldList_addRealVal(qx_FldList* list, const qx_wchar* name, double value) {
  return add(list, name, real_value(value));
}

int qx_FldList_addPointVal(qx_FldList* list, const qx_wchar* name, const qx_Point* point) {
  return add(list, name, point_value('P', point));
}

int qx_FldList_addMpointVal(qx_FldList* list, const qx_wchar* name, const qx_Point* point) {
  return add(list, name, point_value('M', point));
}

int qx_FldList_addDpointVal(qx_FldList* list, const qx_wchar* name, const qx_Point* point) {
  return add(list, name, point_value('D', point));
}

int qx_FldList_addVectorVal(qx_FldList* list, const qx_wchar* name, const qx_Vector* vector) {
  return add(list, name, point_value('O', vector));
}

int qx_FldList_addUnknownVal(qx_FldList* list, const qx_wchar* name) {
  return add(list, name, unknown_value());
}

int qx_FldList_addVal(qx_FldList* list, const qx_wchar* name, qx_wchar type, const void* value) {
  switch (type) {
    case 'C':
    case 'H':
      add(list, name, text_value(type, text_at(value)));
      return 1;
    case 'I':
    case 'L':
      add(list, name, int_value(type, int_at(value)));
      return 1;
    case 'N':
      add(list, name, real_value(real_at(value)));
      return 1;
    case 'D':
    case 'M':
    case 'O':
    case 'P':
      add(list, name, point_value(type, point_at(value)));
      return 1;
    case 'U':
      add(list, name, unknown_value());
      return 1;
    default:  // 'S' and 'V' values can't be added this way; nor can unknown letters
      return 0;
  }
}

qx_FldNode* qx_FldList_convertNodeToList(qx_FldList* list, const qx_wchar* name) {
  qx_FldNode* node = find(list, name);
  if (!node) {
    // A 'V' field with no nested list stands for the missing name.
    if (append(list, name, list_value(nullptr)) != QX_FLD_OK) return nullptr;
    return static_cast<qx_FldNode*>(list->last->data);
  }
  if (node->type == 'V') return nullptr;
  return wrap_current_in_list(list, node);
}

}  // extern "C"
