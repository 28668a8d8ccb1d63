// qx dbf info and qx dbf list: a table's header and fields, and its records.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/coding.h"
#include "dbf/cdx.h"
#include "dbf/error.h"
#include "dbf/null_marks.h"
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

// A date-time field holds the day number (2000-01-01 is 2451545) and the
// milliseconds since midnight, both 32-bit little-endian; shown to the
// nearest second.  Zero in both is an empty value.
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

// One column of the listing.
struct Column {
  int number;  // the field's number, from 1
  Field* field;
  size_t width;
};

size_t column_width(Field* f, bool nullable) {
  size_t width = fldIsMemo(f) ? kMemoColumn : static_cast<size_t>(fldWidth(f));
  if (is_binary_number(f)) width = fldStoredType(f) == 'I' ? 11 : 20;
  if (fldStoredType(f) == 'D') width = kDateColumn;
  if (is_date_time(f)) width = kDateTimeColumn;
  if (nullable) width = std::max(width, std::strlen(kNullText));
  return std::max(width, shown_width(from_table(fldName(f))));
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

enum class DeletedRecords { kShow, kHide, kOnly };

struct ListRequest {
  std::string file;
  long first = 1;
  long last = LONG_MAX;
  bool memo = false;
  DeletedRecords deleted = DeletedRecords::kShow;
  std::vector<std::string> fields;  // as typed; empty: every field
  std::string tag;                  // empty: record order
};

// "7", "7-12" or "7-" (to the end), records counted from 1.
bool parse_range(const std::string& text, long* first, long* last) {
  char* end = nullptr;
  long a = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || a < 1) return false;
  if (*end == 0) {
    *first = *last = a;
    return true;
  }
  if (*end != '-') return false;
  const char* rest = end + 1;
  if (*rest == 0) {
    *first = a;
    return true;
  }
  long b = std::strtol(rest, &end, 10);
  if (end == rest || *end || b < a) return false;
  *first = a;
  *last = b;
  return true;
}

std::vector<std::string> split_names(const std::string& list) {
  std::vector<std::string> names;
  size_t start = 0;
  for (size_t comma; (comma = list.find(',', start)) != std::string::npos; start = comma + 1)
    names.push_back(list.substr(start, comma - start));
  names.push_back(list.substr(start));
  return names;
}

// Returns 0, or the usage message's exit code.
int parse_list_args(const Args& args, ListRequest* request) {
  bool have_range = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--memo") {
      request->memo = true;
    } else if (arg == "--deleted=hide" || arg == "--deleted=only") {
      request->deleted = arg == "--deleted=hide" ? DeletedRecords::kHide : DeletedRecords::kOnly;
    } else if (arg.rfind("--fields=", 0) == 0) {
      request->fields = split_names(arg.substr(9));
      for (const auto& name : request->fields)
        if (name.empty()) return dbf_usage(("list: an empty name in '" + arg + "'").c_str());
    } else if (arg == "--tag" && i + 1 < args.size()) {
      request->tag = args[++i];
    } else if (arg.rfind("--tag=", 0) == 0) {
      request->tag = arg.substr(6);
    } else if (arg.rfind("--", 0) == 0) {
      return dbf_usage(("list: unknown option '" + arg + "'").c_str());
    } else if (request->file.empty()) {
      request->file = arg;
    } else if (!have_range && parse_range(arg, &request->first, &request->last)) {
      have_range = true;
    } else {
      return dbf_usage(("list: '" + arg + "' is no record range (N, N-M or N-)").c_str());
    }
  }
  if (request->file.empty()) return dbf_usage("list takes a FILE");
  return 0;
}

// The columns asked for, or every field but the system ones; false (after a
// message) for a name the table does not have.
bool choose_columns(Table* t, const ListRequest& request, std::vector<Column>* columns,
                    const std::vector<int>& null_bits) {
  auto add = [&](int number) {
    Field* f = dbfFieldByNumber(t, number);
    columns->push_back({number, f, column_width(f, null_bits[number - 1] >= 0)});
  };
  if (request.fields.empty()) {
    for (int i = 1; i <= dbfFieldCount(t); ++i)
      if (!fldIsSystem(dbfFieldByNumber(t, i))) add(i);
    return true;
  }
  for (const auto& name : request.fields) {
    Field* wanted = dbfFieldByName(t, to_table(name).c_str());
    int number = 0;
    for (int i = 1; wanted && i <= dbfFieldCount(t); ++i)
      if (dbfFieldByNumber(t, i) == wanted) number = i;
    if (!number) {
      std::fprintf(stderr, "qx dbf list: %s has no field '%s'\n", request.file.c_str(), name.c_str());
      return false;
    }
    add(number);
  }
  return true;
}

bool wanted(Table* t, DeletedRecords deleted) {
  if (deleted == DeletedRecords::kShow) return true;
  return (dbfDeleted(t) != 0) == (deleted == DeletedRecords::kOnly);
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

int run_list(const Args& args) {
  ListRequest request;
  if (int usage = parse_list_args(args, &request)) return usage;
  QuietEngine q;
  Engine& e = q.engine;
  Table* t = open_table(e, request.file, true);
  if (!t) return dbf_failure(e, request.file, "list");
  std::vector<int> null_bits = nullBits(t);
  std::vector<Column> columns;
  if (!choose_columns(t, request, &columns, null_bits)) {
    dbfClose(t);
    return kExitFailure;
  }
  std::string head = "  recno   ";
  for (const Column& c : columns) {
    std::string name = from_table(fldName(c.field));
    name.append(c.width - std::min(c.width, shown_width(name)), ' ');
    head += name + " ";
  }
  std::printf("%s\n", without_trailing_blanks(head).c_str());
  // In a tag's order the record range only picks the records shown.
  bool tagged = !request.tag.empty();
  if (tagged) {
    Tag* tag = tagFind(t, to_table(request.tag).c_str());
    if (!tag) {
      std::fprintf(stderr, "qx dbf list: %s has no tag '%s'\n", request.file.c_str(), request.tag.c_str());
      dbfClose(t);
      return kExitFailure;
    }
    tagSelect(t, tag);
  }
  long shown = 0;
  int rc = tagged                             ? dbfTop(t)
           : request.first > dbfRecordCount(t) ? kEof
           : request.first > 1                ? dbfGo(t, request.first)
                                              : dbfTop(t);
  for (; rc == 0 && !dbfEof(t) && (tagged || dbfRecordNumber(t) <= request.last); rc = dbfSkip(t, 1)) {
    if (!wanted(t, request.deleted)) continue;
    if (tagged && (dbfRecordNumber(t) < request.first || dbfRecordNumber(t) > request.last)) continue;
    print_record(t, columns, null_bits, request.memo);
    ++shown;
  }
  if (rc != 0 && rc != kEof) {
    dbfClose(t);
    return dbf_failure(e, request.file, "list");
  }
  std::printf("(%ld record%s)\n", shown, shown == 1 ? "" : "s");
  dbfClose(t);
  return kExitOk;
}

const DbfSubcommand kInfo("info", "info FILE                 header, fields, memo file", run_info);
const DbfSubcommand kList("list",
                          "list FILE [N[-M]] [--memo] [--fields=A,B] [--deleted=hide|only] [--tag TAG]   "
                          "the records, deleted ones marked '*'",
                          run_list);

}  // namespace

}  // namespace qxtool
