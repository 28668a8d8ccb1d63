// qx dbf info and qx dbf list: a table's header and fields, and its records.
// They stay on the engine's operations: the table API gives neither the
// header's bytes (version, date of update, lengths, flags) nor a record's
// deletion mark beside its values, nor the values as stored (a field list
// trims them and cuts binary bytes at the first zero).
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
#include "dbf_listing.h"

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
  std::printf("%s\n", listing_head(columns).c_str());
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
