// qx dbf query: the records of a table for which an expression is true, in
// record order or in a tag's order, listed as qx dbf list lists them.  The
// engine takes the records from the table's tags where the expression
// compares a tag's key with a constant.
//
// It stays on the engine's operations: the table API's query gathers every
// matching record into a cursor of trimmed texts, without record numbers,
// deletion marks or NULL marks, and reports no error position for an
// expression that does not parse.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "dbf/cdx.h"
#include "dbf/error.h"
#include "dbf/expr.h"
#include "dbf/null_marks.h"
#include "dbf/relation.h"
#include "dbf_command.h"
#include "dbf_listing.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

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
  std::vector<int> null_bits = nullBits(t);
  std::vector<Column> columns = listing_columns(t, null_bits);
  std::printf("%s\n", listing_head(columns).c_str());
  long shown = 0;
  for (; rc == 0; rc = relSkip(r, 1), ++shown) print_record(t, columns, null_bits, false);
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
