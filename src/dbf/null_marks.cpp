// NULL marks of later tables: which fields may hold NULL, read from the
// descriptors in the file's header, and the record's _NullFlags bits.
#include "dbf/null_marks.h"

#include <cstring>

#include "dbf/table_internal.h"

namespace qx::dbf {

namespace {

constexpr char kNullFlagsType = '0';
constexpr unsigned kDescriptorFlags = 18;
constexpr unsigned char kFlagSystem = 0x01;
constexpr unsigned char kFlagNullable = 0x02;

int null_flags_field(const Table* t) {
  for (size_t i = 0; i < t->fields.size(); ++i)
    if (t->fields[i].type == kNullFlagsType) return static_cast<int>(i) + 1;
  return 0;
}

}  // namespace

bool fldIsSystem(const Field* f) { return f && f->type == kNullFlagsType; }

std::vector<int> nullBits(Table* t) {
  std::vector<int> bits(t ? t->fields.size() : 0, -1);
  if (!t || !null_flags_field(t)) return bits;
  // The descriptors were parsed without their flag bytes: read those again.
  std::vector<unsigned char> area(t->fields.size() * kDescriptorSize);
  if (file_read_all(t->file, kHeaderSize, area.data(), area.size()) != 0) return bits;
  int next = 0;
  for (size_t i = 0; i < t->fields.size(); ++i) {
    unsigned char flags = area[i * kDescriptorSize + kDescriptorFlags];
    char type = t->fields[i].type;
    if (flags & kFlagSystem) continue;
    if (type == 'V' || type == 'Q') ++next;  // the "shorter than the field" bit
    if (flags & kFlagNullable) bits[i] = next++;
  }
  return bits;
}

bool fldIsNull(Table* t, const std::vector<int>& bits, int number) {
  if (!t || number < 1 || static_cast<size_t>(number) > bits.size()) return false;
  int bit = bits[static_cast<size_t>(number) - 1];
  int holder = null_flags_field(t);
  if (bit < 0 || !holder) return false;
  Field* flags = &t->fields[static_cast<size_t>(holder) - 1];
  if (static_cast<unsigned>(bit) >= flags->width * 8u) return false;
  const char* bytes = fldString(flags);
  return (static_cast<unsigned char>(bytes[bit / 8]) >> (bit % 8)) & 1u;
}

}  // namespace qx::dbf
