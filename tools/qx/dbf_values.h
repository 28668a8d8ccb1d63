// The checks a value typed by the user passes before it goes into a field,
// shared by the subcommands that write records (append, import).  A value
// the table could not hold as given is refused before anything is stored:
// an impossible date, a number in another notation or too wide for its
// field, text outside the table's code page, the end-of-file byte 0x1A.
#ifndef QX_TOOL_DBF_VALUES_H
#define QX_TOOL_DBF_VALUES_H

#include <cstddef>
#include <string>

#include "qx/dbfldlist.h"

namespace qxtool {

// Skips the decimal digits from `*i`; how many there were.
size_t skip_digits(const std::string& s, size_t* i);

// A value that passed the checks, as the table API stores it: a number for
// a number field, else the text.
struct FieldValue {
  bool is_number = false;
  double number = 0.0;
  std::u16string text;
};

// Checks one UTF-8 value for the field `field` describes (qx_Db_struct);
// false with a reason ("not a number", "does not fit", ...) when the field
// cannot hold it.  Dates are CCYYMMDD, logicals one of T, F, Y, N, ?.
bool check_value(const qx_DbFldNode* field, const std::string& value, FieldValue* checked,
                 std::string* why);

// Stores a checked value into the record buffer of table `id`.
void store_value(int id, const qx_DbFldNode* field, const FieldValue& value);

}  // namespace qxtool

#endif  // QX_TOOL_DBF_VALUES_H
