// Field lists as lists: the cursor operations, lookup by name, appending,
// the variadic constructor, deletion and destruction.
#include <cmath>
#include <cstdarg>

#include "fields/field_internal.h"
#include "qx/fldlist.h"
#include "qx/lnklist.h"
#include "qx/str.h"

namespace qx::fields {

namespace {

// The upper-case folding of qx_Str_cmpi (single-byte C locale), inline for
// the lookup loop; a test holds the two to the same answers.
constexpr qx_wchar fold(qx_wchar c) {
  return c >= u'a' && c <= u'z' ? static_cast<qx_wchar>(c - (u'a' - u'A')) : c;
}

// A lookup key folded once, so each candidate name costs one fold per
// character.  Long keys fall back to folding both sides.
class FoldedKey {
 public:
  explicit FoldedKey(const qx_wchar* name) : name_(name) {
    size_t n = 0;
    for (; name && name[n] && n < kCap - 1; ++n) folded_[n] = fold(name[n]);
    folded_[n] = 0;
    short_ = name && !name[n];
  }
  bool matches(const qx_wchar* candidate) const {
    if (!short_) return qx_Str_cmpi(candidate, name_) == 0;
    const qx_wchar* k = folded_;
    for (; *k; ++k, ++candidate)
      if (fold(*candidate) != *k) return false;
    return *candidate == 0;
  }

 private:
  static constexpr size_t kCap = 64;
  const qx_wchar* name_;
  qx_wchar folded_[kCap];
  bool short_ = false;
};

}  // namespace

qx_FldList* new_list() { return qx_LnkList_create(nullptr); }

qx_FldNode* find(qx_FldList* list, const qx_wchar* name) {
  if (!list) return nullptr;
  qx_LnkListNode* at = list->first;
  if (!name) at = nullptr;  // a null name matches nothing, not even a nameless field
  // The chain is walked directly, the cursor set once at the end.  The key
  // is folded once; stored names are compared through the same folding, so
  // a match is exactly what qx_Str_cmpi calls equal.
  FoldedKey key(name);
  for (; at; at = at->next) {
    auto* node = static_cast<qx_FldNode*>(at->data);
    if (node && node->name && key.matches(node->name)) break;
  }
  list->current = at;
  return at ? static_cast<qx_FldNode*>(at->data) : nullptr;
}

qx_FldNode* current(qx_FldList* list) {
  return static_cast<qx_FldNode*>(qx_LnkList_getCurr(list));
}

int append(qx_FldList* list, const qx_wchar* name, const Value& value) {
  qx_FldNode* node = make_node(name, value);
  if (!node) return QX_FLD_NO_MEMORY;
  if (!qx_LnkList_insEnd(list, node)) {
    discard_node(node);
    return QX_FLD_NO_MEMORY;
  }
  return QX_FLD_OK;
}

}  // namespace qx::fields

using namespace qx::fields;

namespace {

// The constructor's "no value" marker: numbers equal to it store zero.
int32_t int_or_zero(int32_t value) { return value == QX_FLD_NO_VALUE ? 0 : value; }
double real_or_zero(double value) {
  return std::fabs(value - QX_FLD_NO_VALUE) < 0.01 ? 0.0 : value;
}

// Reads one value of the given type from the argument list and appends it.
void append_from_args(qx_FldList* list, const qx_wchar* name, int type, va_list* ap) {
  switch (type) {
    case 'C':
    case 'H':
      append(list, name, text_value(static_cast<qx_wchar>(type), va_arg(*ap, const qx_wchar*)));
      break;
    case 'I':
    case 'L':
      append(list, name, int_value(static_cast<qx_wchar>(type), int_or_zero(va_arg(*ap, int32_t))));
      break;
    case 'N':
      append(list, name, real_value(real_or_zero(va_arg(*ap, double))));
      break;
    case 'D':
    case 'M':
    case 'O':
    case 'P': {
      qx_Point p;
      p.x = va_arg(*ap, double);
      p.y = va_arg(*ap, double);
      p.z = va_arg(*ap, double);
      append(list, name, point_value(static_cast<qx_wchar>(type), &p));
      break;
    }
    default:  // one pointer-sized word that carries nothing usable
      (void)va_arg(*ap, void*);
      append(list, name, unknown_value());
      break;
  }
}

}  // namespace

extern "C" {

int qx_FldList_start(qx_FldList* list) { return qx_LnkList_start(list); }
int qx_FldList_next(qx_FldList* list) { return qx_LnkList_next(list); }
int qx_FldList_prev(qx_FldList* list) { return qx_LnkList_prev(list); }
int qx_FldList_eol(const qx_FldList* list) { return qx_LnkList_eol(list); }
qx_FldNode* qx_FldList_curr(const qx_FldList* list) {
  return static_cast<qx_FldNode*>(qx_LnkList_getCurr(list));
}
int qx_FldList_count(const qx_FldList* list) { return qx_LnkList_length(list); }

qx_FldList* qx_FldList_create(const qx_wchar* name, ...) {
  qx_FldList* list = new_list();
  if (!list) return nullptr;
  va_list ap;
  va_start(ap, name);
  for (const qx_wchar* at = name; at; at = va_arg(ap, const qx_wchar*)) {
    int type = va_arg(ap, int);
    append_from_args(list, at, type, &ap);
  }
  va_end(ap);
  return list;
}

qx_FldNode* qx_FldList_find(qx_FldList* list, const qx_wchar* name) { return find(list, name); }

int qx_FldList_appChar(qx_FldList* list, const qx_wchar* name, const qx_wchar* text) {
  return append(list, name, text_value('C', text));
}

int qx_FldList_appHandle(qx_FldList* list, const qx_wchar* name, const qx_wchar* handle) {
  return append(list, name, text_value('H', handle));
}

int qx_FldList_appInt(qx_FldList* list, const qx_wchar* name, int32_t value) {
  return append(list, name, int_value('I', value));
}

int qx_FldList_appLong(qx_FldList* list, const qx_wchar* name, int32_t value) {
  return append(list, name, int_value('L', value));
}

int qx_FldList_appReal(qx_FldList* list, const qx_wchar* name, double value) {
  return append(list, name, real_value(value));
}

int qx_FldList_appPoint(qx_FldList* list, const qx_wchar* name, const qx_Point* point) {
  return append(list, name, point_value('P', point));
}

int qx_FldList_appMpoint(qx_FldList* list, const qx_wchar* name, const qx_Point* point) {
  return append(list, name, point_value('M', point));
}

int qx_FldList_appDpoint(qx_FldList* list, const qx_wchar* name, const qx_Point* point) {
  return append(list, name, point_value('D', point));
}

int qx_FldList_appVector(qx_FldList* list, const qx_wchar* name, const qx_Vector* vector) {
  return append(list, name, point_value('O', vector));
}

int qx_FldList_appList(qx_FldList* list, const qx_wchar* name, qx_FldList* nested) {
  return append(list, name, list_value(nested));
}

int qx_FldList_appUnknown(qx_FldList* list, const qx_wchar* name) {
  return append(list, name, unknown_value());
}

int qx_FldList_appStrList(qx_FldList* list, const qx_wchar* name, qx_StrList* strings) {
  return append(list, name, strlist_value(strings));
}

int qx_FldList_destroy(qx_FldList* list) { return qx_LnkList_destroy(list, release_node); }

int qx_FldList_delCurr(qx_FldList* list) { return qx_LnkList_delCurr(list, release_node); }

int qx_FldList_delFld(qx_FldList* list, const qx_wchar* name) {
  if (!list || !name || !find(list, name)) return 0;
  qx_LnkList_delCurr(list, release_node);
  return 1;
}

}  // extern "C"
