// qx dbf query: the records of a table for which an expression is true, in
// record order or in a tag's order, listed as qx dbf list lists them.  The
// engine takes the records from the table's tags where the expression
// compares a tag's key with a constant.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "dbf/cdx.h"
#include "dbf/error.h"
#include "dbf/expr.h"
#include "dbf/relation.h"
#include "dbf_command.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

constexpr size_t kMemoColumn = 12;
constexpr size_t kDateColumn = 10;  // YYYY-MM-DD

struct QueryRequest {
  std::string file;
  std::string expression;
  std::string tag;  // empty: record order
};

int parse_query_args(const Args& args, QueryRequest* request) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--tag" && i + 1 < args.size()) request->tag = args[++i];
    else if (arg.rfind("--tag=", 0) == 0) request->tag = arg.substr(6);
    else if (arg.rfind("--", 0) == 0) return dbf_usage(("query: unknown option '" + arg + "'").c_str());
    else if (request->file.empty()) request->file = arg;
    else if (request->expression.empty()) request->expression = arg;
    else return dbf_usage("query takes one FILE and one EXPR (quote the expression)");
  }
  if (request->file.empty() || request->expression.empty())
    return dbf_usage("query takes a FILE and an EXPR");
  return 0;
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

bool is_binary_number(const Field* f) {
  return (fldStoredType(f) == 'I' && fldWidth(f) == 4) || (fldStoredType(f) == 'Y' && fldWidth(f) == 8);
}

size_t column_width(Field* f) {
  size_t width = fldIsMemo(f) ? kMemoColumn : static_cast<size_t>(fldWidth(f));
  if (is_binary_number(f)) width = fldStoredType(f) == 'I' ? 11 : 20;
  if (fldStoredType(f) == 'D') width = kDateColumn;
  return std::max(width, shown_width(from_table(fldName(f))));
}

// The value as the listing shows it: dates as YYYY-MM-DD, memo fields by
// the size of their contents, control codes as dots, no trailing blanks.
std::string shown_value(Field* f) {
  char text[48];
  if (is_binary_number(f)) {
    if (fldStoredType(f) == 'I') std::snprintf(text, sizeof text, "%d", fldInt(f));
    else std::snprintf(text, sizeof text, "%.4f", fldDouble(f));
    return text;
  }
  if (fldIsMemo(f)) {
    std::string memo;
    if (fldMemoText(f, memo) != 0) return "(unreadable)";
    if (memo.empty()) return "";
    std::string shown = "(";  // piece by piece: "(" + text makes gcc 12 warn (-Wrestrict)
    shown += std::to_string(memo.size());
    return shown + " bytes)";
  }
  std::string raw = field_text(f);
  if (fldStoredType(f) == 'D' && raw.size() == 8 && raw != "        ")
    return raw.substr(0, 4) + "-" + raw.substr(4, 2) + "-" + raw.substr(6, 2);
  for (char& c : raw)
    if (static_cast<unsigned char>(c) < 0x20) c = '.';
  return without_trailing_blanks(from_table(raw));
}

std::string padded(std::string text, size_t width) {
  text.append(width - std::min(width, shown_width(text)), ' ');
  return text;
}

void print_head(Table* t) {
  std::string head = "  recno   ";
  for (int i = 1; i <= dbfFieldCount(t); ++i) {
    Field* f = dbfFieldByNumber(t, i);
    head += padded(from_table(fldName(f)), column_width(f)) + " ";
  }
  std::printf("%s\n", without_trailing_blanks(head).c_str());
}

void print_record(Table* t) {
  std::string line = std::to_string(dbfRecordNumber(t));
  line.insert(0, line.size() < 7 ? 7 - line.size() : 0, ' ');
  line += dbfDeleted(t) ? " * " : "   ";
  for (int i = 1; i <= dbfFieldCount(t); ++i) {
    Field* f = dbfFieldByNumber(t, i);
    line += padded(shown_value(f), column_width(f)) + " ";
  }
  std::printf("%s\n", without_trailing_blanks(line).c_str());
}

bool is_expression_error(int code) { return (code <= -400 && code >= -500) || code == kErrResult; }

// Names the code, its text and the place where the expression failed, with
// a mark under it.
int expression_failure(const Engine& e, const QueryRequest& request) {
  int code = e.lastError;
  const char* text = error_text(code);
  if (code == kErrResult) {
    std::fprintf(stderr, "qx dbf query: error %d (%s): the expression is no condition (true or false)\n",
                 code, text);
    return kExitUsage;
  }
  int at = expr_failure_offset();
  std::fprintf(stderr, "qx dbf query: error %d (%s) at character %d of the expression:\n  %s\n  %s^\n",
               code, text ? text : "unknown error", at + 1, request.expression.c_str(),
               std::string(shown_width(request.expression.substr(0, static_cast<size_t>(at))), ' ').c_str());
  return kExitUsage;
}

int run_query(const Args& args) {
  QueryRequest request;
  if (int usage = parse_query_args(args, &request)) return usage;
  installCompoundIndex();
  QuietEngine q;
  Engine& e = q.engine;
  Table* t = open_table(e, request.file, true);
  if (!t) return dbf_failure(e, request.file, "query");
  if (!request.tag.empty()) {
    Tag* tag = tagFind(t, to_table(request.tag).c_str());
    if (!tag) {
      std::fprintf(stderr, "qx dbf query: %s has no tag '%s'\n", request.file.c_str(),
                   request.tag.c_str());
      dbfClose(t);
      return kExitFailure;
    }
    tagSelect(t, tag);
  }
  Relation* r = relInit(t);
  relSetQuery(r, to_table(request.expression).c_str());
  int rc = relTop(r);
  if (rc < 0 && is_expression_error(e.lastError)) {
    relFree(r, 1);
    return expression_failure(e, request);
  }
  print_head(t);
  long shown = 0;
  for (; rc == 0; rc = relSkip(r, 1), ++shown) print_record(t);
  if (rc != kEof) {
    relFree(r, 0);
    int status = dbf_failure(e, request.file, "query");
    dbfClose(t);
    return status;
  }
  std::printf("(%ld record%s)\n", shown, shown == 1 ? "" : "s");
  relFree(r, 1);
  return kExitOk;
}

const DbfSubcommand kQuery("query",
                           "query FILE \"EXPR\" [--tag TAG]   the records for which EXPR is true",
                           run_query);

}  // namespace

}  // namespace qxtool
