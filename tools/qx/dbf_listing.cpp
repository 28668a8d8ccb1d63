// The listing of records that qx dbf list and qx dbf query print: one line a
// record with its number, its deletion mark and a column per field, dates as
// YYYY-MM-DD, binary numbers and date-times of later tables decoded, NULL
// values marked, memo fields by the size of their contents (or their text
// under the record on request), no trailing blanks.
#include "dbf_listing.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/coding.h"
#include "dbf/null_marks.h"

namespace qxtool {

using namespace qx::dbf;

namespace {

constexpr size_t kMemoColumn = 12;
constexpr size_t kDateColumn = 10;      // YYYY-MM-DD
constexpr size_t kDateTimeColumn = 19;  // YYYY-MM-DD hh:mm:ss
constexpr char kNullText[] = ".NULL.";

bool is_binary_number(const Field* f) {
  return (fldStoredType(f) == 'I' && fldWidth(f) == 4) || (fldStoredType(f) == 'Y' && fldWidth(f) == 8);
}

bool is_date_time(const Field* f) { return fldStoredType(f) == 'T' && fldWidth(f) == 8; }

// Binary fields of later tables are shown as numbers, other bytes below
// blank as dots, so a listing never sends control codes to the terminal.
std::string printable(Field* f) {
  if (is_binary_number(f)) {
    char text[48];
    if (fldStoredType(f) == 'I')
      std::snprintf(text, sizeof text, "%11d", fldInt(f));
    else
      std::snprintf(text, sizeof text, "%20.4f", fldDouble(f));
    return text;
  }
  std::string raw = field_text(f);
  for (char& c : raw)
    if (static_cast<unsigned char>(c) < 0x20) c = '.';
  return from_table(raw);
}

// "20261205" -> "2026-12-05", as info shows dates; a blank date stays blank.
std::string shown_date(const std::string& ccyymmdd) {
  if (ccyymmdd.find_first_not_of(' ') == std::string::npos) return "";
  if (ccyymmdd.size() != 8) return ccyymmdd;
  return ccyymmdd.substr(0, 4) + "-" + ccyymmdd.substr(4, 2) + "-" + ccyymmdd.substr(6, 2);
}

// Memo contents for the lines under a record: line breaks kept, other
// control codes as dots.
std::string printable_memo(const std::string& contents) {
  std::string text;
  for (size_t i = 0; i < contents.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(contents[i]);
    if (c == '\r' && i + 1 < contents.size() && contents[i + 1] == '\n') continue;
    text += c == '\n' || c >= 0x20 ? static_cast<char>(c) : '.';
  }
  return from_table(text);
}


// "(12 bytes)", built piece by piece: "(" + text makes gcc 12 warn
// (-Wrestrict) about an overlap that cannot happen.
std::string memo_size(const std::string& memo) {
  std::string shown = "(";
  shown += std::to_string(memo.size());
  shown += " bytes)";
  return shown;
}

// The value as the listing shows it, without trailing blanks.
std::string list_value(Table* t, const std::vector<int>& null_bits, const Column& c) {
  Field* f = c.field;
  if (fldIsNull(t, null_bits, c.number)) return kNullText;
  if (fldIsMemo(f)) {
    std::string memo;
    if (fldMemoText(f, memo) != 0) return "(unreadable)";
    return memo.empty() ? "" : memo_size(memo);
  }
  if (fldStoredType(f) == 'D') return shown_date(field_text(f));
  if (is_date_time(f)) return shown_date_time(f);
  return without_trailing_blanks(printable(f));
}

}  // namespace

std::string shown_date_time(Field* f) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(fldString(f));
  long day = static_cast<int32_t>(qx::coding::get32le(bytes));
  long seconds = (static_cast<long>(qx::coding::get32le(bytes + 4)) + 500) / 1000;
  if (day == 0 && seconds == 0) return "";
  day += seconds / 86400;
  seconds %= 86400;
  char date[9] = {};
  day_to_date(day, date);
  char text[40];
  std::snprintf(text, sizeof text, "%s %02ld:%02ld:%02ld", shown_date(date).c_str(),
                seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

// Characters a UTF-8 text takes on the terminal (one per code point).
size_t shown_width(const std::string& utf8) {
  return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string without_trailing_blanks(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

size_t column_width(Field* f, bool nullable) {
  size_t width = fldIsMemo(f) ? kMemoColumn : static_cast<size_t>(fldWidth(f));
  if (is_binary_number(f)) width = fldStoredType(f) == 'I' ? 11 : 20;
  if (fldStoredType(f) == 'D') width = kDateColumn;
  if (is_date_time(f)) width = kDateTimeColumn;
  if (nullable) width = std::max(width, std::strlen(kNullText));
  return std::max(width, shown_width(from_table(fldName(f))));
}

std::vector<Column> listing_columns(Table* t, const std::vector<int>& null_bits) {
  std::vector<Column> columns;
  for (int i = 1; i <= dbfFieldCount(t); ++i) {
    Field* f = dbfFieldByNumber(t, i);
    if (!fldIsSystem(f)) columns.push_back({i, f, column_width(f, null_bits[i - 1] >= 0)});
  }
  return columns;
}

std::string listing_head(const std::vector<Column>& columns) {
  std::string head = "  recno   ";
  for (const Column& c : columns) {
    std::string name = from_table(fldName(c.field));
    name.append(c.width - std::min(c.width, shown_width(name)), ' ');
    head += name + " ";
  }
  return without_trailing_blanks(head);
}

void print_record(Table* t, const std::vector<Column>& columns, const std::vector<int>& null_bits,
                  bool memo) {
  std::string line = std::to_string(dbfRecordNumber(t));
  line.insert(0, line.size() < 7 ? 7 - line.size() : 0, ' ');
  line += dbfDeleted(t) ? " * " : "   ";
  for (const Column& c : columns) {
    std::string v = list_value(t, null_bits, c);
    v.append(c.width - std::min(c.width, shown_width(v)), ' ');
    line += v + " ";
  }
  std::printf("%s\n", without_trailing_blanks(line).c_str());
  if (!memo) return;
  for (const Column& c : columns) {
    std::string contents;
    if (!fldIsMemo(c.field) || fldIsNull(t, null_bits, c.number) ||
        fldMemoText(c.field, contents) != 0 || contents.empty())
      continue;
    std::string text = printable_memo(contents);
    std::string indent(10, ' ');
    std::string shown = indent + from_table(fldName(c.field)) + ": ";
    for (char ch : text) shown += ch == '\n' ? "\n" + indent + "  " : std::string(1, ch);
    std::printf("%s\n", without_trailing_blanks(shown).c_str());
  }
}

}  // namespace qxtool
