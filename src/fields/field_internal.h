// Internals shared by the field list sources: the value a caller hands in,
// node making and storing, and the lookups every by-name operation rests on.
#ifndef QX_FIELDS_FIELD_INTERNAL_H
#define QX_FIELDS_FIELD_INTERNAL_H

#include <cstdint>
#include <string>

#include "qx/fldlist.h"

namespace qx::fields {

constexpr bool is_text_type(qx_wchar t) { return t == 'C' || t == 'H'; }
constexpr bool is_int_type(qx_wchar t) { return t == 'I' || t == 'L'; }
constexpr bool is_point_type(qx_wchar t) { return t == 'D' || t == 'M' || t == 'O' || t == 'P'; }

// A value on its way into a node: its type letter and the value area as the
// node will hold it.  Text is still the caller's (it is copied when stored);
// a nested list or string list is handed over as it is.
struct Value {
  qx_wchar type = 'U';
  qx_FldValue data{};
};

Value text_value(qx_wchar type, const qx_wchar* text);
Value int_value(qx_wchar type, int32_t value);
Value real_value(double value);
Value point_value(qx_wchar type, const qx_Point* point);  // null reads as (0, 0, 0)
Value list_value(qx_FldList* nested);
Value strlist_value(qx_StrList* strings);
Value unknown_value();

// A new node holding the value, name upper-cased, Handle text upper-cased;
// null when memory runs out (nothing of the value is taken over then).
qx_FldNode* make_node(const qx_wchar* name, const Value& value);
// Frees what make_node allocated (name, text copy, node) but not a nested
// list or string list: used when a node could not be placed, so the caller
// keeps what it handed in.
void discard_node(qx_FldNode* node);
// Replaces a node's value in place: old text is freed, new text copied as
// given.  False (node unchanged) when the text copy can't be allocated.
bool store(qx_FldNode* node, const Value& value);

// Release callback adapter for the linked-list operations.
int release_node(void* node);

// A new empty field list, or null.
qx_FldList* new_list();
// The first node of that name (case-insensitive), left current; null and
// the cursor past the end when there is none.
qx_FldNode* find(qx_FldList* list, const qx_wchar* name);
// The node under the cursor, or null.
qx_FldNode* current(qx_FldList* list);

// Append, change and add, by value kind; results as the exported families.
int append(qx_FldList* list, const qx_wchar* name, const Value& value);
int modify(qx_FldList* list, const qx_wchar* name, const Value& value);
int add(qx_FldList* list, const qx_wchar* name, const Value& value);

// The text form of a value: "%s", "%d", "%ld", "%f", "%c:%.3f %.3f %.3f";
// empty for null text and for 'S', 'U', 'V' and unknown letters.
std::u16string text_form(const qx_FldNode* node);
// A double truncated toward zero into 32 bits; out of range or NaN gives
// INT32_MIN, what the processor's own conversion gives, instead of undefined
// behaviour.
int32_t truncate_to_int(double value);
// Text to a 32-bit integer, as the runtime's _wtol does for a 32-bit long.
int32_t text_to_long(const qx_wchar* text);

}  // namespace qx::fields

#endif  // QX_FIELDS_FIELD_INTERNAL_H
