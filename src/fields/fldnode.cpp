// Field nodes: making one from a value, replacing its value, releasing it
// with what it owns, and its value as text.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "core/owned_text.h"
#include "fields/field_internal.h"
#include "port/wstr.h"
#include "qx/fldlist.h"
#include "qx/memory.h"
#include "qx/strlist.h"

// Callers read field nodes directly, so their layout is part of the
// interface: the name pointer, the 16-bit type letter and the two spare
// words, then the value union of three doubles at offset 16.
static_assert(offsetof(qx_FldNode, name) == 0);
static_assert(offsetof(qx_FldNode, type) == sizeof(void*));
static_assert(sizeof(qx_FldNode::type) == 2);
static_assert(offsetof(qx_FldNode, spare1) == sizeof(void*) + 2);
static_assert(offsetof(qx_FldNode, spare2) == sizeof(void*) + 4);
static_assert(offsetof(qx_FldNode, value) == 16);
static_assert(sizeof(qx_FldValue) == 3 * sizeof(double));
static_assert(sizeof(qx_FldNode) == 40);

namespace qx::fields {

namespace {

// The text form is built in a buffer of this many units, terminator included.
constexpr size_t kTextFormCap = 512;

qx_wchar* dup_text(const qx_wchar* text, bool upper) {
  qx_wchar* copy = qx::wdup(text);
  if (copy && upper) port::wupr(copy);
  return copy;
}

}  // namespace

Value text_value(qx_wchar type, const qx_wchar* text) {
  Value v;
  v.type = type;
  v.data.text = const_cast<qx_wchar*>(text);  // copied when stored
  return v;
}

Value int_value(qx_wchar type, int32_t value) {
  Value v;
  v.type = type;
  v.data.integer = value;
  return v;
}

Value real_value(double value) {
  Value v;
  v.type = 'N';
  v.data.real = value;
  return v;
}

Value point_value(qx_wchar type, const qx_Point* point) {
  Value v;
  v.type = type;
  if (point) v.data.point = *point;
  return v;
}

Value list_value(qx_FldList* nested) {
  Value v;
  v.type = 'V';
  v.data.list = nested;
  return v;
}

Value strlist_value(qx_StrList* strings) {
  Value v;
  v.type = 'S';
  v.data.strList = strings;
  return v;
}

Value unknown_value() { return Value{}; }

qx_FldNode* make_node(const qx_wchar* name, const Value& value) {
  auto* node = static_cast<qx_FldNode*>(qx_Malloc(sizeof(qx_FldNode)));
  if (!node) return nullptr;
  std::memset(node, 0, sizeof *node);
  node->type = value.type;
  node->spare1 = 1;
  node->spare2 = 0;
  node->value = value.data;
  if (is_text_type(value.type)) node->value.text = nullptr;  // the copy goes here
  node->name = dup_text(name, true);
  bool ok = !name || node->name;
  if (ok && is_text_type(value.type) && value.data.text) {
    node->value.text = dup_text(value.data.text, value.type == 'H');
    ok = node->value.text != nullptr;
  }
  if (!ok) {
    discard_node(node);
    return nullptr;
  }
  return node;
}

void discard_node(qx_FldNode* node) {
  if (!node) return;
  qx_Free(node->name);
  if (is_text_type(node->type)) qx_Free(node->value.text);
  qx_Free(node);
}

bool store(qx_FldNode* node, const Value& value) {
  qx_wchar* text = nullptr;
  if (is_text_type(value.type) && value.data.text) {
    text = dup_text(value.data.text, false);
    if (!text) return false;
  }
  if (is_text_type(node->type)) qx_Free(node->value.text);
  node->type = value.type;
  node->value = value.data;
  if (is_text_type(value.type)) node->value.text = text;
  return true;
}

int release_node(void* node) {
  qx_FldList_destroyNode(static_cast<qx_FldNode*>(node));
  return 1;
}

std::u16string text_form(const qx_FldNode* node) {
  if (!node) return {};
  const qx_FldValue& v = node->value;
  std::u16string text;
  switch (node->type) {
    case 'C':
    case 'H':
      if (v.text) text = v.text;
      break;
    case 'I':
      text = port::wformat(u"%d", static_cast<int>(v.integer));
      break;
    case 'L':
      text = port::wformat(u"%ld", static_cast<long>(v.integer));
      break;
    case 'N':
      text = port::wformat(u"%f", v.real);
      break;
    case 'D':
    case 'M':
    case 'O':
    case 'P':
      text = port::wformat(u"%c:%.3f %.3f %.3f", static_cast<int>(node->type), v.point.x,
                           v.point.y, v.point.z);
      break;
    default:  // 'S', 'U', 'V' and letters outside the table have no text
      break;
  }
  if (text.size() >= kTextFormCap) text.resize(kTextFormCap - 1);
  return text;
}

int32_t truncate_to_int(double value) {
  // The range test is written so that NaN fails it.
  if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
  return INT32_MIN;
}

int32_t text_to_long(const qx_wchar* text) { return port::wtoi(text); }

}  // namespace qx::fields

using namespace qx::fields;

extern "C" {

qx_FldNode* qx_FldList_newChar(const qx_wchar* name, const qx_wchar* text) {
  return make_node(name, text_value('C', text));
}

qx_FldNode* qx_FldList_newHandle(const qx_wchar* name, const qx_wchar* handle) {
  return make_node(name, text_value('H', handle));
}

qx_FldNode* qx_FldList_newInt(const qx_wchar* name, int32_t value) {
  return make_node(name, int_value('I', value));
}

qx_FldNode* qx_FldList_newLong(const qx_wchar* name, int32_t value) {
  return make_node(name, int_value('L', value));
}

qx_FldNode* qx_FldList_newReal(const qx_wchar* name, double value) {
  return make_node(name, real_value(value));
}

qx_FldNode* qx_FldList_newPoint(const qx_wchar* name, const qx_Point* point) {
  return make_node(name, point_value('P', point));
}

qx_FldNode* qx_FldList_newMpoint(const qx_wchar* name, const qx_Point* point) {
  return make_node(name, point_value('M', point));
}

qx_FldNode* qx_FldList_newDpoint(const qx_wchar* name, const qx_Point* point) {
  return make_node(name, point_value('D', point));
}

qx_FldNode* qx_FldList_newVector(const qx_wchar* name, const qx_Vector* vector) {
  return make_node(name, point_value('O', vector));
}

qx_FldNode* qx_FldList_newList(const qx_wchar* name, qx_FldList* nested) {
  return make_node(name, list_value(nested));
}

qx_FldNode* qx_FldList_newUnknown(const qx_wchar* name) {
  return make_node(name, unknown_value());
}

void qx_FldList_destroyNode(qx_FldNode* node) {
  if (!node) return;
  if (node->type == 'V') qx_FldList_destroy(node->value.list);
  if (node->type == 'S') qx_StrList_destroy(node->value.strList);
  discard_node(node);
}

qx_wchar* qx_FldNode_getFldValue(const qx_FldNode* node) {
  // Released by the caller with free(), so it comes from the C allocator
  // rather than the library's replaceable one.
  std::u16string text = text_form(node);
  auto* copy = static_cast<qx_wchar*>(std::malloc((text.size() + 1) * sizeof(qx_wchar)));
  if (!copy) return nullptr;
  std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(qx_wchar));
  return copy;
}

void qx_FldNode_updateFldValue(qx_FldNode* node, const qx_wchar* text) {
  if (!node || !text) return;
  switch (node->type) {
    case 'I':
      node->value.integer = qx::port::wtoi(text);
      break;
    case 'L':
      node->value.integer = text_to_long(text);
      break;
    case 'N':
      node->value.real = qx::port::wtof(text);
      break;
    case 'C':
    case 'H':
      // Written over the stored text, never past it: a longer text is cut
      // to the stored length, so pointers to the text stay valid.
      if (node->value.text)
        qx::port::wcopy(node->value.text, qx::port::wlen(node->value.text) + 1, text);
      break;
    default:  // point kinds, lists and unknowns keep their value
      break;
  }
}

}  // extern "C"
