// The key forms of compound index tags, all compared as unsigned bytes:
// character keys are the text padded with blanks to the key length; numeric
// and date keys (dates as Julian days) are 8-byte doubles, big-endian, with
// the sign bit flipped for positive values and every bit inverted for
// negative ones; integer fields of later tables are 4 bytes, big-endian,
// with the sign bit flipped.  A tag whose key is a plain field takes its key
// straight from the record; any other key is evaluated by the expression
// module.
#ifndef QX_DBF_CDX_KEY_INTERNAL_H
#define QX_DBF_CDX_KEY_INTERNAL_H

#include <string>

namespace qx::dbf {
struct Expr;
struct Field;
struct Table;
}  // namespace qx::dbf

namespace qx::dbf::cdx {

constexpr unsigned kNumericKeyLength = 8;
constexpr unsigned kIntegerKeyLength = 4;

void numeric_key(double value, unsigned char* out);
double numeric_from_key(const unsigned char* key);
void integer_key(int32_t value, unsigned char* out);
int32_t integer_from_key(const unsigned char* key);

// Where a tag's key comes from.
struct KeySource {
  enum Kind {
    kExpression,     // evaluated by the expression module
    kCharField,      // the field's bytes
    kNumberField,    // N or F: the field's text as a number
    kDateField,      // D: CCYYMMDD as a Julian day
    kIntegerField,   // I: 4-byte little-endian integer
    kDoubleField,    // B (8-byte double of later tables)
    kUnsupported,    // a field whose key form this engine does not know
  };
  Kind kind = kExpression;
  const Field* field = nullptr;
  Expr* expression = nullptr;
  // 'C' character, 'N' numeric, 'D' date; the fill byte of the key's
  // compression follows from it.
  char type = 'C';

  unsigned char fill() const { return type == 'C' ? ' ' : 0; }
};

// Resolves the key text of a tag against the table: a plain field name
// becomes a field source, anything else is parsed.  Field names longer than
// ten characters (written by programs that keep long names outside the data
// file) are cut to the ten the data file holds.  0 or the parse error.
int resolve_key_source(Table* table, const std::string& source, KeySource& out);

// The text parsed in place of `source`: names longer than ten characters
// that are no function call cut to ten.
std::string with_short_names(const std::string& source);

// Computes the key of the table's current record buffer into `out`
// (key_length bytes).  0 or a negative error.
int make_key(const KeySource& source, Table* table, unsigned key_length, unsigned char* out);

}  // namespace qx::dbf::cdx

#endif  // QX_DBF_CDX_KEY_INTERNAL_H
