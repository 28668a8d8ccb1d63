// Whole-list operations on field lists: deep copy, appending and merging one
// list into another, copying one field under a new name, comparing fields
// and lists, moving the geometric values by a rotation and an offset, and
// building a list from name=value lines.
#include <cmath>
#include <string>

#include "app/ini_line.h"
#include "fields/field_internal.h"
#include "port/wstr.h"
#include "qx/fldlist.h"
#include "qx/lnklist.h"
#include "qx/memory.h"
#include "qx/point.h"
#include "qx/rotation.h"
#include "qx/strlist.h"

namespace qx::fields {

namespace {

// Two numbers or two points closer than this are equal; a difference of
// exactly this much is not.
constexpr double kSameValue = 0.001;
// The text a field copy reads, and the name a list comparison reads: longer
// text is cut, longer names are not supported.
constexpr int kCopyTextCap = 512;
constexpr size_t kNameCap = 260;

// A nested list as a new, independent list; a null nested list stays null.
qx_FldList* nested_copy(const qx_FldNode* node) {
  return node->value.list ? qx_FldList_copy(node->value.list) : nullptr;
}

// Appends a copy of one field under its own name.  A string list has no
// copying rule and becomes an Unknown field.
void append_copy(qx_FldList* dst, const qx_FldNode* node) {
  const qx_wchar* name = node->name;
  const qx_FldValue& v = node->value;
  switch (node->type) {
    case 'C': qx_FldList_appChar(dst, name, v.text); return;
    case 'H': qx_FldList_appHandle(dst, name, v.text); return;
    case 'I': qx_FldList_appInt(dst, name, v.integer); return;
    case 'L': qx_FldList_appLong(dst, name, v.integer); return;
    case 'N': qx_FldList_appReal(dst, name, v.real); return;
    case 'D': qx_FldList_appDpoint(dst, name, &v.point); return;
    case 'M': qx_FldList_appMpoint(dst, name, &v.point); return;
    case 'O': qx_FldList_appVector(dst, name, &v.vector); return;
    case 'P': qx_FldList_appPoint(dst, name, &v.point); return;
    case 'V': {
      qx_FldList* copy = nested_copy(node);
      if (qx_FldList_appList(dst, name, copy) != QX_FLD_OK) qx_FldList_destroy(copy);
      return;
    }
    default: qx_FldList_appUnknown(dst, name); return;
  }
}

// Stores a copy of one field under its own name, replacing the first field
// of that name or appending.
void merge_copy(qx_FldList* dst, const qx_FldNode* node) {
  const qx_wchar* name = node->name;
  const qx_FldValue& v = node->value;
  switch (node->type) {
    case 'C': qx_FldList_modChar(dst, name, v.text); return;
    case 'H': qx_FldList_modHandle(dst, name, v.text); return;
    case 'I': qx_FldList_modInt(dst, name, v.integer); return;
    case 'L': qx_FldList_modLong(dst, name, v.integer); return;
    case 'N': qx_FldList_modReal(dst, name, v.real); return;
    case 'D': qx_FldList_modDpoint(dst, name, &v.point); return;
    case 'M': qx_FldList_modMpoint(dst, name, &v.point); return;
    case 'O': qx_FldList_modVector(dst, name, &v.vector); return;
    case 'P': qx_FldList_modPoint(dst, name, &v.point); return;
    case 'V': {
      qx_FldList* copy = nested_copy(node);
      if (qx_FldList_modList(dst, name, copy) != QX_FLD_OK) qx_FldList_destroy(copy);
      return;
    }
    default: qx_FldList_modUnknown(dst, name); return;
  }
}

// Walks src with its own cursor (left past the end), handing each field to
// `each`.  The count is taken first, so a list merged into itself ends.
template <typename Each>
void walk_source(qx_FldList* src, Each each) {
  int left = qx_FldList_count(src);
  for (qx_FldList_start(src); left > 0 && !qx_FldList_eol(src); qx_FldList_next(src), --left)
    if (qx_FldNode* node = current(src)) each(node);
  while (!qx_FldList_eol(src)) qx_FldList_next(src);
}

int compare_numbers(double a, double b) {
  double d = a - b;
  if (std::fabs(d) < kSameValue) return 0;
  return d < 0 ? -1 : 1;
}

int compare_texts(const qx_wchar* a, const qx_wchar* b) {
  int c = port::wcmp(a ? a : u"", b ? b : u"");
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int compare_points(const qx_Point& a, const qx_Point& b) {
  double distance = 0;
  qx_Point_distance(&distance, &a, &b);
  return distance < kSameValue ? 0 : 1;
}

bool letter_chosen(const qx_wchar* letters, qx_wchar type) {
  for (; *letters; ++letters)
    if (*letters == type) return true;
  return false;
}

// Rotates (and for positions, shifts) one geometric value in place; the
// first step that gives other than 1 is the result.
int transform_value(qx_FldNode* node, const double* offset, const qx_RotMatrix* rotation) {
  qx_Point* value = &node->value.point;
  if (node->type == 'D' || node->type == 'O')
    return rotation ? qx_RotMatrix_rotateVector(value, rotation) : 1;
  int step = rotation ? qx_RotMatrix_rotatePoint(value, rotation) : 1;
  if (step != 1 || !offset) return step;
  const qx_Point shift{offset[0], offset[1], offset[2]};
  return qx_Point_add(value, value, &shift);
}

}  // namespace

}  // namespace qx::fields

using namespace qx::fields;

extern "C" {

qx_FldList* qx_FldList_copy(qx_FldList* list) {
  qx_FldList* copy = new_list();
  if (copy && list) qx_FldList_concatenate(copy, list);
  return copy;
}

int qx_FldList_concatenate(qx_FldList* dst, qx_FldList* src) {
  if (!dst || !src) return 0;
  walk_source(src, [dst](const qx_FldNode* node) { append_copy(dst, node); });
  return 1;
}

int qx_FldList_combine(qx_FldList* dst, qx_FldList* src) {
  if (!dst || !src) return 0;
  walk_source(src, [dst](const qx_FldNode* node) { merge_copy(dst, node); });
  return 1;
}

int qx_FldList_copyFld(qx_FldList* src, const qx_wchar* srcName, qx_FldList* dst,
                       const qx_wchar* dstName) {
  if (!src || !srcName || !dst || !dstName) return 0;
  qx_FldNode* node = qx_FldList_find(src, srcName);
  if (!node) return 0;
  if (is_text_type(node->type)) {
    qx_wchar text[kCopyTextCap + 1] = {};
    qx_FldList_currChar(src, text, kCopyTextCap);
    qx_FldList_modChar(dst, dstName, text);
  } else if (is_point_type(node->type)) {
    qx_Point point{};
    qx_FldList_currPoint(src, &point);
    switch (node->type) {
      case 'D': qx_FldList_modDpoint(dst, dstName, &point); break;
      case 'M': qx_FldList_modMpoint(dst, dstName, &point); break;
      case 'O': qx_FldList_modVector(dst, dstName, &point); break;
      default: qx_FldList_modPoint(dst, dstName, &point); break;
    }
  } else if (is_int_type(node->type)) {
    int32_t value = 0;
    qx_FldList_currInt(src, &value);
    if (node->type == 'I')
      qx_FldList_modInt(dst, dstName, value);
    else
      qx_FldList_modLong(dst, dstName, value);
  } else if (node->type == 'N') {
    double value = 0;
    qx_FldList_currReal(src, &value);
    qx_FldList_modReal(dst, dstName, value);
  }
  return 1;  // string lists, unknowns and nested lists are found but not copied
}

int qx_FldList_compareNode(const qx_FldNode* a, const qx_FldNode* b) {
  if (!a || !b) return -2;
  if (a->type != b->type) return a->type < b->type ? -1 : 1;
  switch (a->type) {
    case 'C':
    case 'H': return compare_texts(a->value.text, b->value.text);
    case 'N': return compare_numbers(a->value.real, b->value.real);
    case 'I':
    case 'L':
      return a->value.integer == b->value.integer ? 0 : a->value.integer < b->value.integer ? -1 : 1;
    case 'D':
    case 'M':
    case 'O':
    case 'P': return compare_points(a->value.point, b->value.point);
    default: return 0;
  }
}

qx_FldList* qx_FldList_diff(qx_FldList* a, qx_FldList* b, int includeMissing) {
  if (!a) return nullptr;
  qx_FldList* taken = nullptr;
  walk_source(a, [&](qx_FldNode* node) {
    if (!node->name || std::char_traits<qx_wchar>::length(node->name) >= kNameCap) return;
    qx_FldNode* other = b ? qx_FldList_find(b, node->name) : nullptr;
    bool take = other ? qx_FldList_compareNode(node, other) != 0 : includeMissing != 0;
    if (!take) return;
    if (!taken) taken = new_list();
    if (taken) append_copy(taken, node);
  });
  return taken;
}

int qx_FldList_applyTransform(qx_FldList* list, const double* offset,
                              const qx_RotMatrix* rotation, const qx_wchar* letters) {
  if (!list || (!offset && !rotation) || !letters) return 0;
  int result = 1;
  walk_source(list, [&](qx_FldNode* node) {
    if (!is_point_type(node->type) || !letter_chosen(letters, node->type)) return;
    int step = transform_value(node, offset, rotation);
    if (step != 1) result = step;
  });
  return result;
}

qx_FldList* qx_FldList_fromEnvList(qx_StrList* strings) {
  if (!strings) return nullptr;
  qx_FldList* list = nullptr;
  for (qx_StrList_start(strings); !qx_StrList_eol(strings); qx_StrList_next(strings)) {
    qx_wchar* copy = qx_StrList_getCurrPtr(strings);  // a copy of its own, freed here
    std::u16string line = qx::port::wstring_of(copy);
    qx_Free(copy);
    qx::app::IniEntryText entry = qx::app::ini_split_entry(line);
    std::u16string name(entry.name);
    std::u16string value(qx::app::trim_blanks(entry.value));
    if (name.empty() || value.empty()) continue;
    if (!list) list = new_list();
    if (list) qx_FldList_appChar(list, name.c_str(), value.c_str());
  }
  if (list) qx_FldList_start(list);
  return list;
}

}  // extern "C"
