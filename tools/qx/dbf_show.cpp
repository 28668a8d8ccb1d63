// qx dbf info and qx dbf list: a table's header and fields, and its records.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "dbf/error.h"
#include "dbf_command.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

int run_info(const Args& args) {
  if (args.size() != 2) return dbf_usage("info takes one FILE");
  QuietEngine q;
  Table* t = open_table(q.engine, args[1], true);
  if (!t) return dbf_failure(q.engine, args[1], "info");
  TableHeader h = dbfHeader(t);
  long count = dbfRecordCount(t);
  std::printf("file:          %s\n", from_table(dbfName(t)).c_str());
  std::printf("version:       0x%02X%s\n", h.version, (h.version & 0x80) ? " (memo file)" : "");
  std::printf("last update:   %04d-%02d-%02d\n", h.year, h.month, h.day);
  std::printf("records:       %ld\n", count);
  std::printf("header length: %u\n", h.header_length);
  std::printf("record length: %u\n", h.record_length);
  std::printf("table flags:   0x%02X%s\n", h.flags, h.production_index ? " (production index)" : "");
  std::printf("fields:        %d\n", dbfFieldCount(t));
  for (int i = 1; i <= dbfFieldCount(t); ++i) {
    Field* f = dbfFieldByNumber(t, i);
    std::printf("  %3d %-10s %c %5d %3d\n", i, from_table(fldName(f)).c_str(), fldStoredType(f),
                fldWidth(f), fldDecimals(f));
  }
  dbfClose(t);
  return kExitOk;
}

constexpr size_t kMemoColumn = 12;

bool is_binary_number(const Field* f) {
  return (fldStoredType(f) == 'I' && fldWidth(f) == 4) || (fldStoredType(f) == 'Y' && fldWidth(f) == 8);
}

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

// A value for the listing: memo fields show their contents' size.
std::string list_value(Field* f) {
  if (!fldIsMemo(f)) return printable(f);
  std::string memo;
  std::string shown = fldMemoText(f, memo) != 0 ? "(unreadable)"
                      : memo.empty()            ? ""
                                                : "(" + std::to_string(memo.size()) + " bytes)";
  shown.resize(std::max(shown.size(), kMemoColumn), ' ');
  return shown;
}

// Columns are as wide as the field or its name, whichever is wider.
size_t column_width(Field* f) {
  size_t width = fldIsMemo(f) ? kMemoColumn : static_cast<size_t>(fldWidth(f));
  if (is_binary_number(f)) width = fldStoredType(f) == 'I' ? 11 : 20;
  return std::max(width, std::strlen(fldName(f)));
}

int run_list(const Args& args) {
  if (args.size() != 2) return dbf_usage("list takes one FILE");
  QuietEngine q;
  Engine& e = q.engine;
  Table* t = open_table(e, args[1], true);
  if (!t) return dbf_failure(e, args[1], "list");
  std::string head = "  recno   ";
  for (int i = 1; i <= dbfFieldCount(t); ++i) {
    Field* f = dbfFieldByNumber(t, i);
    std::string name = fldName(f);
    name.resize(column_width(f), ' ');
    head += from_table(name) + " ";
  }
  while (!head.empty() && head.back() == ' ') head.pop_back();
  std::printf("%s\n", head.c_str());
  long shown = 0;
  int rc;
  for (rc = dbfTop(t); rc == 0; rc = dbfSkip(t, 1)) {
    std::string line = std::to_string(dbfRecordNumber(t));
    line.insert(0, line.size() < 7 ? 7 - line.size() : 0, ' ');
    line += dbfDeleted(t) ? " * " : "   ";
    for (int i = 1; i <= dbfFieldCount(t); ++i) {
      Field* f = dbfFieldByNumber(t, i);
      std::string v = list_value(f);
      // Pad by characters shown, not bytes: the text is UTF-8 now.
      size_t shown_width =
          fldIsMemo(f) || is_binary_number(f) ? v.size() : static_cast<size_t>(fldWidth(f));
      v.append(column_width(f) - std::min(column_width(f), shown_width), ' ');
      line += v + " ";
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    std::printf("%s\n", line.c_str());
    ++shown;
  }
  if (rc != kEof) {
    dbfClose(t);
    return dbf_failure(e, args[1], "list");
  }
  std::printf("(%ld record%s)\n", shown, shown == 1 ? "" : "s");
  dbfClose(t);
  return kExitOk;
}

const DbfSubcommand kInfo("info", "info FILE                 header, fields, memo file", run_info);
const DbfSubcommand kList("list", "list FILE                 every record, deleted ones marked '*'",
                          run_list);

}  // namespace

}  // namespace qxtool
