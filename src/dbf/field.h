// Fields of a table and the operations on their values.  Every value lives
// as text in the table's current record buffer; stores mark the record
// changed, and moves write a changed record back before they leave it.
#ifndef QX_DBF_FIELD_H
#define QX_DBF_FIELD_H

#include <cstddef>
#include <string>

namespace qx::dbf {

struct Table;

struct Field;

// The entry of a field for table creation; a null name ends the list.
struct FieldInfo {
  const char* name;
  int type;  // the type letter
  int width;
  int decimals;
};

// Width and decimals that a field of `type` takes in the record, given the
// asked width and decimals (D 8, L 1, M/G/B 10; C up to 65535).  Letters
// outside the known types take no room.
void normalise_field(char type, int width, int decimals, unsigned* outWidth,
                    unsigned* outDecimals);

const char* fldName(const Field* f);
// The type letter, F reported as N.
int fldType(const Field* f);
// The type letter as the header stores it (F stays F).
int fldStoredType(const Field* f);
// True for memo fields (M, G and B), whose record bytes hold a block number.
bool fldIsMemo(const Field* f);
int fldWidth(const Field* f);
int fldDecimals(const Field* f);

// The value as text of the field's width in the context's shared buffer,
// valid until the next call.
char* fldString(Field* f);
// Copies at most size - 1 characters and a terminating zero; the number
// copied.
int fldCopy(Field* f, char* buffer, int size);
double fldDouble(Field* f);
int fldInt(Field* f);

int fldAssign(Field* f, const char* text);
int fldAssignN(Field* f, const char* text, size_t length);
int fldAssignDouble(Field* f, double value);
int fldAssignInt(Field* f, int value);
int fldAssignChar(Field* f, int character);

// The memo contents of the current record (empty for a field that is no
// memo); 0 or an error.
int fldMemoText(Field* f, std::string& contents);
// Stores memo contents, written to the memo file with the record; 0 or -1.
int fldAssignMemo(Field* f, const std::string& contents);

// Text to number conversions over at most the first `length` characters.
double textToDouble(const char* text, int length);
int textToInt(const char* text, int length);
long textToLong(const char* text, int length);

// Julian day numbers of CCYYMMDD dates (2000-01-01 is 2451545); a blank or
// impossible date gives 0, and 0 or less gives eight blanks back.
long date_to_day(const char* ccyymmdd);
void day_to_date(long day, char* ccyymmdd);

// Formats `value` in `width` characters with `decimals` places, right-
// aligned; asterisks when it does not fit.
void format_number(char* out, unsigned width, unsigned decimals, double value);

}  // namespace qx::dbf

#endif  // QX_DBF_FIELD_H
