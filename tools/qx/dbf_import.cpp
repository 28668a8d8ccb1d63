// qx dbf import: the rows of a CSV file (dbf_csv.h) appended to a table
// through the table API, each built in the record buffer
// (qx_Db_appendStart, the field assignments, qx_Db_append).  The header
// line names the fields in any order; a row's values pass the checks of
// append (dbf_values.h) before anything of the row is stored, and a bad row
// stops the import with its line number, the rows before it kept.  Dates
// are read YYYY-MM-DD, as export writes them.  A long import says how far
// it got every 10,000 rows.
#include <cstdio>
#include <string>
#include <vector>

#include "dbf_api.h"
#include "dbf_command.h"
#include "dbf_csv.h"
#include "dbf_values.h"
#include "port/native_file.h"
#include "qx/db.h"
#include "text.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

constexpr long kProgressRows = 10000;

// The CSV's dates are YYYY-MM-DD; the field checks take CCYYMMDD.
std::string import_value(const qx_DbFldNode* field, const std::string& value) {
  if (field->type == u'D' && value.size() == 10 && value[4] == '-' && value[7] == '-')
    return value.substr(0, 4) + value.substr(5, 2) + value.substr(8, 2);
  return value;
}

// The header's names as the table's fields (qx_Db_struct); false (after a
// message) for a name the table has not, or one named twice.
bool header_fields(qx_DbFldList* structure, const std::string& file, const std::vector<std::string>& names,
                   std::vector<const qx_DbFldNode*>* fields) {
  for (const std::string& name : names) {
    const qx_DbFldNode* f = qx_DbFldList_findFld(structure, wide(trimmed(name)).c_str());
    bool twice = false;
    for (const qx_DbFldNode* seen : *fields) twice = twice || seen == f;
    if (!f || is_system(f) || twice) {
      std::fprintf(stderr, "qx dbf import: %s: line 1: %s field '%s'\n", file.c_str(),
                   twice ? "a second" : "no", name.c_str());
      return false;
    }
    fields->push_back(f);
  }
  return true;
}

// The import of one table: its structure, and the header's fields in it.
class Importer {
 public:
  Importer(const ApiTable& table, const std::string& file)
      : table_(table), file_(file), structure_(qx_Db_struct(table.id())) {}

  bool read_header(const std::vector<std::string>& names) {
    return header_fields(structure_.list, file_, names, &columns_);
  }

  // Appends one row; false (after a message, with nothing of the row
  // written) when a value does not fit its field or the append fails.
  bool append_row(long line, const std::vector<std::string>& row) {
    if (row.size() != columns_.size()) {
      std::fprintf(stderr, "qx dbf import: %s: line %ld: %zu values for %zu fields\n", file_.c_str(), line,
                   row.size(), columns_.size());
      return false;
    }
    std::vector<FieldValue> values(row.size());
    for (size_t i = 0; i < row.size(); ++i) {
      std::string why;
      if (!check_value(columns_[i], import_value(columns_[i], row[i]), &values[i], &why)) {
        std::fprintf(stderr, "qx dbf import: %s: line %ld: field %s: '%s' %s\n", file_.c_str(), line,
                     utf8(columns_[i]->name).c_str(), row[i].c_str(), why.c_str());
        return false;
      }
    }
    int id = table_.id();
    if (qx_Db_appendStart(id) != 0) return false;
    // The buffer starts as a copy of the current record: every field is
    // stored, those the CSV does not name as blanks, and the mark taken away.
    qx_Db_undelRec(id);
    for_each_node(structure_.list, [&](const qx_DbFldNode* field) {
      if (!is_system(field)) qx_Db_assignFldStr(id, field->name, u"");
    });
    for (size_t i = 0; i < values.size(); ++i) store_value(id, columns_[i], values[i]);
    return qx_Db_append(id) == 0;
  }

 private:
  const ApiTable& table_;
  const std::string& file_;
  FieldList structure_;
  std::vector<const qx_DbFldNode*> columns_;
};

int stopped(long rows, long line) {
  std::fprintf(stderr, "qx dbf import: %ld rows imported before line %ld\n", rows, line);
  return kExitFailure;
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
  Engine& e = api_context();
  ApiTable table(file, false);
  if (!table.is_open()) return dbf_failure(e, file, "import");
  Importer importer(table, file);
  CsvReader csv(std::move(text));
  std::vector<std::string> row;
  if (!csv.next(&row) || !importer.read_header(row)) {
    if (!csv.error().empty() || row.empty())
      std::fprintf(stderr, "qx dbf import: %s: line 1: no header line of field names\n", args[2].c_str());
    return kExitFailure;
  }
  long rows = 0;
  while (csv.next(&row)) {
    if (!importer.append_row(csv.start_line(), row)) {
      if (e.lastError != 0) dbf_failure(e, file, "import");
      return stopped(rows, csv.start_line());
    }
    if (++rows % kProgressRows == 0) std::fprintf(stderr, "qx dbf import: %ld rows\n", rows);
  }
  if (!csv.error().empty()) {
    std::fprintf(stderr, "qx dbf import: %s: line %ld: %s\n", args[2].c_str(), csv.start_line(),
                 csv.error().c_str());
    return stopped(rows, csv.start_line());
  }
  if (table.close() != 0) return dbf_failure(e, file, "import");
  std::printf("imported %ld rows\n", rows);
  return kExitOk;
}

const DbfSubcommand kImport("import", "import FILE CSV           append the rows of a CSV file", run_import);

}  // namespace

}  // namespace qxtool
