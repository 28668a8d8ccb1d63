// The checks a value typed by the user passes before it goes into a field,
// shared by the subcommands that write records (append, import).  A value
// the table could not hold as given is refused before anything is written:
// an impossible date, a number in another notation, text outside the
// table's code page, the end-of-file byte 0x1A.
#ifndef QX_TOOL_DBF_VALUES_H
#define QX_TOOL_DBF_VALUES_H

#include <cstddef>
#include <string>

#include "dbf/field.h"

namespace qxtool {

// Skips the decimal digits from `*i`; how many there were.
size_t skip_digits(const std::string& s, size_t* i);

// Stores one UTF-8 value into the field of the record being built; false
// with a reason ("not a number", "does not fit", ...) when the field cannot
// hold it.  Dates are CCYYMMDD, logicals one of T, F, Y, N, ?.
bool store_value(qx::dbf::Field* f, const std::string& value, std::string* why);

}  // namespace qxtool

#endif  // QX_TOOL_DBF_VALUES_H
