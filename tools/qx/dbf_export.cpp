// qx dbf export: a table's records out as CSV (dbf_csv.h), so that data
// moves out without a program of one's own.  Dates are written YYYY-MM-DD,
// logicals T/F, numbers as stored without their padding, memo fields as
// their text; the binary fields of later tables as readable values (I an
// integer, B a number, Y with four decimals, T as YYYY-MM-DD hh:mm:ss).
//
// The walk goes through the table API: the table opened by its id, moved
// through in the order of a tag id (qx_Db_topRec, qx_Db_nextRec) and each
// record read into a table field list (qx_Db_readRec).  Three things the
// API's text cannot carry are read from the engine's field instead: memo
// text (a field list's value loses its trailing blanks and line breaks),
// the bytes of binary fields (their text stops at the first zero byte) and
// the NULL marks of later tables.  A tag named by name rather than by the
// API's tag id is selected and stepped through on the engine table, as the
// API's ids reach only the tags it names TAG000, TAG001, ...
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/coding.h"
#include "dbf/cdx.h"
#include "dbf/null_marks.h"
#include "dbf_api.h"
#include "dbf_command.h"
#include "dbf_csv.h"
#include "dbf_listing.h"
#include "qx/db.h"
#include "text.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

// A field of a later table that holds its value as binary bytes.
bool is_binary(Field* f) {
  int type = fldStoredType(f), width = fldWidth(f);
  return ((type == 'I') && width == 4) || ((type == 'B' || type == 'Y' || type == 'T') && width == 8);
}

// A binary value as readable text.  Currency is a 64-bit count of
// ten-thousandths, written from the count itself so that no digit is lost
// to a double.
std::string binary_text(Field* f) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(fldString(f));
  char text[48];
  switch (fldStoredType(f)) {
    case 'I':
      std::snprintf(text, sizeof text, "%" PRId32, static_cast<int32_t>(qx::coding::get32le(bytes)));
      return text;
    case 'Y': {
      auto count = static_cast<int64_t>(qx::coding::get64le(bytes));
      uint64_t magnitude = count < 0 ? 0 - static_cast<uint64_t>(count) : static_cast<uint64_t>(count);
      std::snprintf(text, sizeof text, "%s%" PRIu64 ".%04" PRIu64, count < 0 ? "-" : "", magnitude / 10000,
                    magnitude % 10000);
      return text;
    }
    case 'B': {
      uint64_t bits = qx::coding::get64le(bytes);
      double value;
      std::memcpy(&value, &bits, sizeof value);
      auto end = std::to_chars(text, text + sizeof text, value).ptr;  // the shortest exact text
      return std::string(text, end);
    }
    default:
      return shown_date_time(f);
  }
}

// A value the API's field list carries, as the CSV writes it.
std::string text_value(const qx_DbFldNode* node) {
  std::string value = utf8(node->value ? node->value : u"");
  // Leading blanks of a character value are data (codes set to the right);
  // those of the other types are the padding of their stored form.
  if (node->type != u'C') value = trimmed(value);
  switch (node->type) {
    case u'D':
      return value.size() == 8 ? value.substr(0, 4) + "-" + value.substr(4, 2) + "-" + value.substr(6, 2)
                               : value;
    case u'L':
      return value == "T" || value == "t" || value == "Y" || value == "y"   ? "T"
             : value == "F" || value == "f" || value == "N" || value == "n" ? "F"
                                                                            : "";
    default:
      return value;
  }
}

// One column of the CSV: the field's number (from 1), its engine field, and
// its node in the field list qx_Db_readRec fills, or null when the value
// comes from the engine's field.
struct ExportColumn {
  int number;
  Field* field;
  const qx_DbFldNode* node;
};

bool carried_by_api(int type) { return std::strchr("CNFDL", type) != nullptr; }

// The columns (every field but the system ones) and the field list that
// qx_Db_readRec fills with the values the API carries.
std::vector<ExportColumn> export_columns(Table* t, qx_DbFldList* structure, qx_DbFldList* values) {
  std::vector<ExportColumn> columns;
  int number = 0;
  for_each_node(structure, [&](const qx_DbFldNode* node) {
    Field* f = dbfFieldByNumber(t, ++number);
    if (is_system(node)) return;
    const qx_DbFldNode* carried = nullptr;
    if (carried_by_api(fldStoredType(f)) && !is_binary(f)) {
      qx_DbFldList_insEnd(values, node->name, nullptr, node->width, node->decimals, node->type);
      carried = static_cast<const qx_DbFldNode*>(values->last->data);
    }
    columns.push_back({number, f, carried});
  });
  return columns;
}

std::string export_value(const ExportColumn& c) {
  if (c.node) return text_value(c.node);
  if (is_binary(c.field)) return binary_text(c.field);
  if (fldIsMemo(c.field)) {
    std::string memo;
    fldMemoText(c.field, memo);
    return from_table(memo);
  }
  return from_table(trimmed(field_text(c.field)));
}

// The order of the walk: a tag id, or a tag the engine found by its name.
struct Order {
  int tag_id = -1;  // record-number order
  Tag* named = nullptr;
};

// "--tag 3" is tag id 3; "--tag NAME" the tag of that name.  False (after
// a message) when the table has no such tag.
bool find_order(const ApiTable& table, const std::string& file, const std::string& tag, Order* order) {
  if (tag.empty()) return true;
  size_t digits = tag.find_first_not_of("0123456789");
  if (digits == std::string::npos && tag.size() < 9) {
    order->tag_id = std::stoi(tag);
    if (qx_DbTagRef_sel(table.engine_table(), order->tag_id)) return true;
  } else if ((order->named = tagFind(table.engine_table(), to_table(tag).c_str()))) {
    tagSelect(table.engine_table(), order->named);
    return true;
  }
  std::fprintf(stderr, "qx dbf export: %s has no tag '%s'\n", file.c_str(), tag.c_str());
  return false;
}

int first_record(const ApiTable& table, const Order& order) {
  return order.named ? dbfTop(table.engine_table()) : qx_Db_topRec(table.id(), order.tag_id);
}

int next_record(const ApiTable& table, const Order& order) {
  return order.named ? dbfSkip(table.engine_table(), 1) : qx_Db_nextRec(table.id(), order.tag_id);
}

int run_export(const Args& args) {
  std::string file, tag;
  bool csv = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--csv") csv = true;
    else if (args[i] == "--tag" && i + 1 < args.size()) tag = args[++i];
    else if (args[i].rfind("--", 0) == 0 || !file.empty())
      return dbf_usage(("export: unexpected '" + args[i] + "'").c_str());
    else file = args[i];
  }
  if (file.empty() || !csv) return dbf_usage("export takes FILE and --csv");
  Engine& e = api_context();
  ApiTable table(file, true);
  if (!table.is_open()) return dbf_failure(e, file, "export");
  Order order;
  if (!find_order(table, file, tag, &order)) return kExitFailure;
  FieldList structure(qx_Db_struct(table.id()));
  FieldList values(qx_DbFldList_create(nullptr));
  Table* t = table.engine_table();
  std::vector<ExportColumn> columns = export_columns(t, structure.list, values.list);
  std::vector<int> null_bits = nullBits(t);
  std::vector<std::string> row;
  for (const ExportColumn& c : columns) row.push_back(from_table(fldName(c.field)));
  print_csv_row(row);
  int rc = first_record(table, order);
  for (; rc == 0 && !qx_Db_eof(table.id()); rc = next_record(table, order)) {
    if (qx_Db_deleted(table.id())) continue;  // a deleted record is no longer the table's data
    if (values.list->count) qx_Db_readRec(table.id(), values.list);
    row.clear();
    for (const ExportColumn& c : columns)
      row.push_back(fldIsNull(t, null_bits, c.number) ? "" : export_value(c));
    print_csv_row(row);
  }
  if (rc != 0 && rc != kEof) return dbf_failure(e, file, "export");
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

const DbfSubcommand kExport("export", "export FILE --csv [--tag TAG]   the records as CSV on standard output",
                            run_export);

}  // namespace

}  // namespace qxtool
