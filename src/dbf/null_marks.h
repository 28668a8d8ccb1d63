// NULL values of later tables.  A field that may hold NULL says so in its
// descriptor (flag 0x02 of byte 18), and the current record's NULL marks are
// the bits of the hidden system field _NullFlags (type '0'), one per such
// field in field order; variable-length fields (V, Q) take a bit of their
// own before it.
#ifndef QX_DBF_NULL_MARKS_H
#define QX_DBF_NULL_MARKS_H

#include <vector>

namespace qx::dbf {

struct Table;
struct Field;

// True for a system field of the table (_NullFlags), which is no column of
// the user's.
bool fldIsSystem(const Field* f);

// For each field (index 0 is field 1), the bit of _NullFlags that marks its
// value NULL, or -1 when the field cannot be NULL or the table has no
// _NullFlags field.
std::vector<int> nullBits(Table* t);

// True when the current record marks field `number` (from 1) NULL; `bits`
// comes from nullBits(t).
bool fldIsNull(Table* t, const std::vector<int>& bits, int number);

}  // namespace qx::dbf

#endif  // QX_DBF_NULL_MARKS_H
