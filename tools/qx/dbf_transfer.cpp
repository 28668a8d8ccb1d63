// qx dbf export and qx dbf import: a table's records out to CSV and CSV rows
// into a table, so that data moves in and out without a program of one's
// own.  The CSV is RFC 4180 (fields with a comma, a quote or a line break
// are quoted, quotes doubled; lines end in CRLF, LF is read too), UTF-8,
// with a header line of field names.  Dates are written YYYY-MM-DD, logicals
// T/F, numbers as stored without their padding.
#include <cstdio>
#include <string>
#include <vector>

#include "dbf/cdx.h"
#include "dbf/error.h"
#include "dbf/null_marks.h"
#include "dbf_command.h"
#include "dbf_values.h"
#include "port/native_file.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

// An import reports how far it got every this many rows.
constexpr long kProgressRows = 10000;

std::string trimmed(std::string text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string csv_quoted(const std::string& value) {
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string quoted = "\"";
  for (char c : value) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// The field's value as the CSV carries it (UTF-8, before quoting).
std::string export_value(Field* f) {
  if (fldIsMemo(f)) {
    std::string memo;
    fldMemoText(f, memo);
    return from_table(memo);
  }
  std::string raw = trimmed(field_text(f));
  switch (fldStoredType(f)) {
    case 'D':
      return raw.size() == 8 ? raw.substr(0, 4) + "-" + raw.substr(4, 2) + "-" + raw.substr(6, 2) : raw;
    case 'L':
      return raw == "T" || raw == "t" || raw == "Y" || raw == "y" ? "T"
             : raw == "F" || raw == "f" || raw == "N" || raw == "n" ? "F"
                                                                    : "";
    default:
      return from_table(raw);
  }
}

// The fields a CSV row holds: every one but the table's system fields.
std::vector<Field*> data_fields(Table* t) {
  std::vector<Field*> fields;
  for (int i = 1; i <= dbfFieldCount(t); ++i)
    if (!fldIsSystem(dbfFieldByNumber(t, i))) fields.push_back(dbfFieldByNumber(t, i));
  return fields;
}

void print_row(const std::vector<std::string>& values) {
  std::string line;
  for (size_t i = 0; i < values.size(); ++i) line += (i ? "," : "") + csv_quoted(values[i]);
  line += "\r\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
}

int run_export(const Args& args) {
  std::string file, tag_name;
  bool csv = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--csv") csv = true;
    else if (args[i] == "--tag" && i + 1 < args.size()) tag_name = args[++i];
    else if (args[i].rfind("--", 0) == 0 || !file.empty())
      return dbf_usage(("export: unexpected '" + args[i] + "'").c_str());
    else file = args[i];
  }
  if (file.empty() || !csv) return dbf_usage("export takes FILE and --csv");
  QuietEngine q;
  Engine& e = q.engine;
  Table* t = open_table(e, file, true);
  if (!t) return dbf_failure(e, file, "export");
  if (!tag_name.empty()) {
    Tag* tag = tagFind(t, to_table(tag_name).c_str());
    if (!tag) {
      std::fprintf(stderr, "qx dbf export: %s has no tag '%s'\n", file.c_str(), tag_name.c_str());
      dbfClose(t);
      return kExitFailure;
    }
    tagSelect(t, tag);
  }
  std::vector<Field*> fields = data_fields(t);
  std::vector<int> null_bits = nullBits(t);
  std::vector<std::string> row;
  for (Field* f : fields) row.push_back(from_table(fldName(f)));
  print_row(row);
  int rc = dbfTop(t);
  for (; rc == 0 && !dbfEof(t); rc = dbfSkip(t, 1)) {
    if (dbfDeleted(t)) continue;  // a deleted record is no longer the table's data
    row.clear();
    for (int i = 1; i <= dbfFieldCount(t); ++i) {
      Field* f = dbfFieldByNumber(t, i);
      if (fldIsSystem(f)) continue;
      row.push_back(fldIsNull(t, null_bits, i) ? "" : export_value(f));
    }
    print_row(row);
  }
  if (rc != 0 && rc != kEof) {
    dbfClose(t);
    return dbf_failure(e, file, "export");
  }
  dbfClose(t);
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

// Reads RFC 4180 rows one by one, counting lines so that a bad row can be
// named by the line it starts on.
class CsvReader {
 public:
  explicit CsvReader(std::string text) : text_(std::move(text)) {}

  // False at the end of the text, or (with `error_` set) on a quote that
  // does not close.
  bool next(std::vector<std::string>* row) {
    row->clear();
    if (at_ >= text_.size()) return false;
    start_line_ = line_;
    std::string value;
    bool quoted = false;
    while (at_ < text_.size()) {
      char c = text_[at_++];
      if (quoted) {
        if (c == '"' && at_ < text_.size() && text_[at_] == '"') value += text_[at_++];
        else if (c == '"') quoted = false;
        else value += c, line_ += c == '\n';
      } else if (c == '"') {
        quoted = true;
      } else if (c == ',') {
        row->push_back(value), value.clear();
      } else if (c == '\n' || (c == '\r' && at_ < text_.size() && text_[at_] == '\n')) {
        if (c == '\r') ++at_;
        ++line_;
        break;
      } else {
        value += c;
      }
    }
    if (quoted) error_ = "a quoted value does not end";
    row->push_back(value);
    return error_.empty();
  }

  long start_line() const { return start_line_; }
  const std::string& error() const { return error_; }

 private:
  std::string text_;
  size_t at_ = 0;
  long line_ = 1;
  long start_line_ = 1;
  std::string error_;
};

// The CSV's dates are YYYY-MM-DD, as export writes them; the field checks
// take CCYYMMDD.
std::string import_value(Field* f, const std::string& value) {
  if (fldStoredType(f) == 'D' && value.size() == 10 && value[4] == '-' && value[7] == '-')
    return value.substr(0, 4) + value.substr(5, 2) + value.substr(8, 2);
  return value;
}

// The header's names as the table's fields; false (after a message) for a
// name the table has not, or one named twice.
bool header_fields(Table* t, const std::string& file, const std::vector<std::string>& names,
                   std::vector<Field*>* fields) {
  for (const std::string& name : names) {
    Field* f = dbfFieldByName(t, to_table(trimmed(name)).c_str());
    bool twice = false;
    for (Field* seen : *fields) twice = twice || seen == f;
    if (!f || fldIsSystem(f) || twice) {
      std::fprintf(stderr, "qx dbf import: %s: line 1: %s field '%s'\n", file.c_str(),
                   twice ? "a second" : "no", name.c_str());
      return false;
    }
    fields->push_back(f);
  }
  return true;
}

// Appends one row; false (after a message, with nothing of the row written)
// when a value does not fit its field.
bool append_row(Table* t, const std::string& file, long line, const std::vector<Field*>& fields,
                const std::vector<std::string>& row) {
  if (row.size() != fields.size()) {
    std::fprintf(stderr, "qx dbf import: %s: line %ld: %zu values for %zu fields\n", file.c_str(), line,
                 row.size(), fields.size());
    return false;
  }
  if (dbfAppendStart(t, 0) != 0) return false;
  dbfBlank(t);
  for (size_t i = 0; i < row.size(); ++i) {
    std::string why;
    if (!store_value(fields[i], import_value(fields[i], row[i]), &why)) {
      std::fprintf(stderr, "qx dbf import: %s: line %ld: field %s: '%s' %s\n", file.c_str(), line,
                   from_table(fldName(fields[i])).c_str(), row[i].c_str(), why.c_str());
      dbfAbandonChanges(t);
      return false;
    }
  }
  return dbfAppend(t) == 0;
}

int run_import(const Args& args) {
  if (args.size() != 3) return dbf_usage("import takes FILE and CSV");
  const std::string& file = args[1];
  std::string text;
  if (!qx::port::read_file(args[2], &text)) {
    std::fprintf(stderr, "qx dbf import: %s: cannot read the file\n", args[2].c_str());
    return kExitFailure;
  }
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);  // a byte-order mark is no field name
  QuietEngine q;
  Engine& e = q.engine;
  Table* t = open_table(e, file, false);
  if (!t) return dbf_failure(e, file, "import");
  CsvReader csv(std::move(text));
  std::vector<std::string> row;
  std::vector<Field*> fields;
  if (!csv.next(&row) || !header_fields(t, file, row, &fields)) {
    if (!csv.error().empty() || row.empty())
      std::fprintf(stderr, "qx dbf import: %s: line 1: no header line of field names\n", args[2].c_str());
    dbfClose(t);
    return kExitFailure;
  }
  long rows = 0;
  while (csv.next(&row)) {
    if (!append_row(t, file, csv.start_line(), fields, row)) {
      if (e.lastError != 0) dbf_failure(e, file, "import");
      std::fprintf(stderr, "qx dbf import: %ld rows imported before line %ld\n", rows, csv.start_line());
      dbfClose(t);
      return kExitFailure;
    }
    if (++rows % kProgressRows == 0) std::fprintf(stderr, "qx dbf import: %ld rows\n", rows);
  }
  if (!csv.error().empty()) {
    std::fprintf(stderr, "qx dbf import: %s: line %ld: %s\n", args[2].c_str(), csv.start_line(),
                 csv.error().c_str());
    std::fprintf(stderr, "qx dbf import: %ld rows imported before line %ld\n", rows, csv.start_line());
    dbfClose(t);
    return kExitFailure;
  }
  if (dbfClose(t) != 0) return dbf_failure(e, file, "import");
  std::printf("imported %ld rows\n", rows);
  return kExitOk;
}

const DbfSubcommand kExport("export", "export FILE --csv [--tag TAG]   the records as CSV on standard output",
                            run_export);
const DbfSubcommand kImport("import", "import FILE CSV           append the rows of a CSV file", run_import);

}  // namespace

}  // namespace qxtool
