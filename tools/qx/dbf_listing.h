// The listing of records shared by qx dbf list and qx dbf query.
#ifndef QX_TOOL_DBF_LISTING_H
#define QX_TOOL_DBF_LISTING_H

#include <cstddef>
#include <string>
#include <vector>

#include "dbf_command.h"

namespace qxtool {

// One column of the listing.
struct Column {
  int number;  // the field's number, from 1
  qx::dbf::Field* field;
  size_t width;
};

// Characters a UTF-8 text takes on the terminal (one per code point).
size_t shown_width(const std::string& utf8);
std::string without_trailing_blanks(std::string text);
// A date-time field of a later table (T, 8 bytes: the day number, where
// 2000-01-01 is 2451545, and the milliseconds since midnight, both 32-bit
// little-endian) as "YYYY-MM-DD hh:mm:ss", to the nearest second; "" when
// both are zero.
std::string shown_date_time(qx::dbf::Field* f);
// A column as wide as the field's shown values or its name, whichever is
// wider; `nullable` fields also fit the NULL mark.
size_t column_width(qx::dbf::Field* f, bool nullable);
// A column for every field but the system ones (null_bits from nullBits()).
std::vector<Column> listing_columns(qx::dbf::Table* t, const std::vector<int>& null_bits);
// The heading line: "recno" and the column names.
std::string listing_head(const std::vector<Column>& columns);
// Prints the current record's line, and with `memo` the memo contents under it.
void print_record(qx::dbf::Table* t, const std::vector<Column>& columns,
                  const std::vector<int>& null_bits, bool memo);

}  // namespace qxtool

#endif  // QX_TOOL_DBF_LISTING_H
