// Reading field values, by name and at the cursor.  The two families
// convert differently (getReal refuses text with -3 where currReal converts
// it with 1; getInt converts text where currInt refuses it); callers rely on
// these differences, so each reader states its own rules.
#include "fields/field_internal.h"
#include "port/wstr.h"
#include "qx/fldlist.h"
#include "qx/str.h"

using namespace qx::fields;

namespace {

// Copies text as qx_Str_ncpy does: at most `size` characters and a
// terminator, so the buffer holds size + 1.
void copy_text(qx_wchar* buffer, int size, const qx_wchar* text) {
  if (buffer) qx_Str_ncpy(buffer, text, size < 0 ? 0 : size);
}

void clear(qx_wchar* buffer) {
  if (buffer) buffer[0] = 0;
}

// The text of a field for the Char readers: text as it is (1), numbers
// formatted (-3), anything else an empty buffer (-3).  Null text leaves the
// buffer as it was.
int read_char(const qx_FldNode* node, qx_wchar* buffer, int size) {
  if (is_text_type(node->type)) {
    if (node->value.text) copy_text(buffer, size, node->value.text);
    return QX_FLD_OK;
  }
  if (is_int_type(node->type) || node->type == 'N') {
    if (buffer) qx::port::wcopy(buffer, static_cast<size_t>(size < 0 ? 0 : size) + 1, text_form(node));
  } else {
    clear(buffer);
  }
  return QX_FLD_OTHER_TYPE;
}

// The Handle readers take text only.
int read_handle(const qx_FldNode* node, qx_wchar* buffer, int size) {
  if (!is_text_type(node->type)) {
    clear(buffer);
    return QX_FLD_OTHER_TYPE;
  }
  if (node->value.text) copy_text(buffer, size, node->value.text);
  return QX_FLD_OK;
}

// Numbers as double: 'N' and the integers give 1; anything else -3 with
// the output untouched.
int read_number_as_real(const qx_FldNode* node, double* out) {
  if (node->type == 'N') {
    if (out) *out = node->value.real;
    return QX_FLD_OK;
  }
  if (is_int_type(node->type)) {
    if (out) *out = node->value.integer;
    return QX_FLD_OK;
  }
  return QX_FLD_OTHER_TYPE;
}

// Numbers as a 32-bit integer, reals truncated toward zero.
int read_number_as_int(const qx_FldNode* node, int32_t* out) {
  if (is_int_type(node->type)) {
    if (out) *out = node->value.integer;
    return QX_FLD_OK;
  }
  if (node->type == 'N') {
    if (out) *out = truncate_to_int(node->value.real);
    return QX_FLD_OK;
  }
  return QX_FLD_OTHER_TYPE;
}

int read_point(const qx_FldNode* node, qx_Point* out) {
  if (!is_point_type(node->type)) return QX_FLD_OTHER_TYPE;
  if (out) *out = node->value.point;
  return QX_FLD_OK;
}

// getInt and getLong: numbers as above; Char text converted, but told as
// another type.
template <typename Out>
int get_integer(qx_FldList* list, const qx_wchar* name, Out* out,
                int32_t (*convert)(const qx_wchar*)) {
  const qx_FldNode* node = find(list, name);
  if (!node) return QX_FLD_NOT_FOUND;
  if (node->type == 'C') {
    if (node->value.text && out) *out = convert(node->value.text);
    return QX_FLD_OTHER_TYPE;
  }
  int32_t value = 0;
  int rc = read_number_as_int(node, &value);
  if (rc == QX_FLD_OK && out) *out = value;
  return rc;
}

int32_t text_to_int(const qx_wchar* text) { return qx::port::wtoi(text); }

}  // namespace

extern "C" {

// --- by name ---------------------------------------------------------------

int qx_FldList_getChar(qx_FldList* list, const qx_wchar* name, qx_wchar* buffer, int size) {
  clear(buffer);
  const qx_FldNode* node = find(list, name);
  if (!node) return QX_FLD_NOT_FOUND;
  return read_char(node, buffer, size);
}

int qx_FldList_getHandle(qx_FldList* list, const qx_wchar* name, qx_wchar* buffer, int size) {
  clear(buffer);
  const qx_FldNode* node = find(list, name);
  if (!node) return QX_FLD_NOT_FOUND;
  return read_handle(node, buffer, size);
}

int qx_FldList_getReal(qx_FldList* list, const qx_wchar* name, double* value) {
  if (value) *value = 0.0;
  const qx_FldNode* node = find(list, name);
  if (!node) return QX_FLD_NOT_FOUND;
  if (node->type == 'C') {
    if (node->value.text && value) *value = qx::port::wtof(node->value.text);
    return QX_FLD_OTHER_TYPE;
  }
  return read_number_as_real(node, value);
}

int qx_FldList_getInt(qx_FldList* list, const qx_wchar* name, int32_t* value) {
  return get_integer(list, name, value, text_to_int);
}

int qx_FldList_getLong(qx_FldList* list, const qx_wchar* name, long* value) {
  return get_integer(list, name, value, text_to_long);
}

int qx_FldList_getPoint(qx_FldList* list, const qx_wchar* name, qx_Point* point, int /*flag*/) {
  const qx_FldNode* node = find(list, name);
  if (!node) return QX_FLD_NOT_FOUND;
  return read_point(node, point);
}

int qx_FldList_getVector(qx_FldList* list, const qx_wchar* name, qx_Vector* vector) {
  return qx_FldList_getPoint(list, name, vector, 1);
}

// --- at the cursor ---------------------------------------------------------

int qx_FldList_currFldname(qx_FldList* list, qx_wchar* buffer) {
  const qx_FldNode* node = current(list);
  if (!node || !node->name) return QX_FLD_NO_CURRENT;
  // The caller's buffer must hold the whole name; its size is not given.
  if (buffer) qx::port::wcpy(buffer, node->name);
  return QX_FLD_OK;
}

int qx_FldList_currFldtype(qx_FldList* list, qx_wchar* type) {
  const qx_FldNode* node = current(list);
  if (!node) return QX_FLD_NO_CURRENT;
  if (type) *type = node->type;
  return QX_FLD_OK;
}

int qx_FldList_currChar(qx_FldList* list, qx_wchar* buffer, int size) {
  const qx_FldNode* node = current(list);
  if (!node) return QX_FLD_NO_CURRENT;
  return read_char(node, buffer, size);
}

int qx_FldList_currHandle(qx_FldList* list, qx_wchar* buffer, int size) {
  const qx_FldNode* node = current(list);
  if (!node) return QX_FLD_NO_CURRENT;
  return read_handle(node, buffer, size);
}

int qx_FldList_currReal(qx_FldList* list, double* value) {
  const qx_FldNode* node = current(list);
  if (!node) return QX_FLD_NO_CURRENT;
  if (node->type == 'C') {
    // Text converts here, with success; null text reads as 0.0.
    if (value) *value = qx::port::wtof(node->value.text);
    return QX_FLD_OK;
  }
  return read_number_as_real(node, value);
}

int qx_FldList_currInt(qx_FldList* list, int32_t* value) {
  const qx_FldNode* node = current(list);
  if (!node) return QX_FLD_NO_CURRENT;
  return read_number_as_int(node, value);
}

int qx_FldList_currLong(qx_FldList* list, long* value) {
  int32_t v = 0;
  int rc = qx_FldList_currInt(list, &v);
  if (rc == QX_FLD_OK && value) *value = v;
  return rc;
}

int qx_FldList_currPoint(qx_FldList* list, qx_Point* point) {
  const qx_FldNode* node = current(list);
  if (!node) return QX_FLD_NO_CURRENT;
  return read_point(node, point);
}

int qx_FldList_currVector(qx_FldList* list, qx_Vector* vector) {
  return qx_FldList_currPoint(list, vector);
}

int qx_FldList_currList(qx_FldList* list, void** handle) {
  const qx_FldNode* node = current(list);
  // Without a current field this reader answers "another type", not -1.
  if (!node) return QX_FLD_OTHER_TYPE;
  if (node->type == 'V') {
    if (handle) *handle = node->value.list;
    return QX_FLD_OK;
  }
  if (node->type == 'S') {
    if (handle) *handle = node->value.strList;
    return QX_FLD_OK;
  }
  return QX_FLD_OTHER_TYPE;
}

}  // extern "C"
