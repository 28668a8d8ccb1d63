// Parses arbitrary bytes as an expression over a small table with a field of
// every type the language knows, evaluates what parses for every record (as
// a key, and as a condition when it is logical) and walks it as a query.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "dbf/expr.h"
#include "dbf/relation.h"
#include "dbf/table.h"
#include "port/alert.h"

namespace {

using namespace qx::dbf;

constexpr size_t kMaxSource = 4096;

int silent_sink(const qx::port::Alert&, void*) { return 1; }

struct Fixture {
  Fixture() {
    qx::port::set_alert_sink(silent_sink, nullptr);
    char templ[] = "/tmp/qx-fuzz-expr-XXXXXX";
    const char* d = ::mkdtemp(templ);
    dir = d ? d : "/tmp";
    engine.quietErrors = 1;
    engine.exclusiveAccess = 1;
    const FieldInfo fields[] = {{"NAME", 'C', 12, 0}, {"QTY", 'N', 9, 2}, {"RATE", 'F', 12, 4},
                                {"DUE", 'D', 8, 0},   {"OK", 'L', 1, 0},  {"NOTE", 'M', 10, 0},
                                {nullptr, 0, 0, 0}};
    table = dbfCreate(&engine, (dir + "/t.dbf").c_str(), fields, nullptr);
    if (!table) return;
    const char* names[] = {"Smith", "  jones ", "", "\xE9t\xE9", "ZZZZZZZZZZZZ"};
    const char* dates[] = {"20240229", "        ", "19991231", "00000000", "99991231"};
    for (int i = 0; i < 5; ++i) {
      dbfAppendBlank(table);
      fldAssign(dbfFieldByName(table, "NAME"), names[i]);
      fldAssignDouble(dbfFieldByName(table, "QTY"), i * 1234.5 - 2000);
      fldAssignDouble(dbfFieldByName(table, "RATE"), i / 7.0);
      fldAssign(dbfFieldByName(table, "DUE"), dates[i]);
      fldAssignChar(dbfFieldByName(table, "OK"), "TFYn?"[i]);
      if (i == 3) dbfDelete(table);
    }
    dbfGo(table, 1);
  }
  ~Fixture() {
    if (table) dbfClose(table);
    for (const char* f : {"/t.dbf", "/t.fpt"}) ::unlink((dir + f).c_str());
    ::rmdir(dir.c_str());
  }
  std::string dir;
  Engine engine;
  Table* table = nullptr;
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void evaluate_every_record(Table* table, Expr* e) {
  std::vector<char> key(static_cast<size_t>(exprKeyLength(e)) + 1);
  double number = 0;
  for (long n = 1; n <= dbfRecordCount(table); ++n) {
    dbfGo(table, n);
    exprEvaluate(e, key.data(), &number);
    if (exprType(e) == 'L') exprTrue(e);
  }
}

void walk_as_query(Table* table, const std::string& source) {
  Relation* r = relInit(table);
  if (!r) return;
  relSetQuery(r, source.c_str());
  int steps = 0;
  for (int rc = relTop(r); rc == 0 && steps < 20; rc = relSkip(r, 1)) ++steps;
  relSkip(r, -2);
  relFree(r, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Fixture& f = fixture();
  if (!f.table || size > kMaxSource) return 0;
  // The first byte picks the date picture the date functions use.
  static const char* const kPictures[] = {"MM/DD/YY", "CCYY.MM.DD", "DD-MM-YYYY", "YYMMDD"};
  f.engine.dateFormat = kPictures[size ? data[0] % 4 : 0];
  std::string source(reinterpret_cast<const char*>(data), size);
  source = source.c_str();  // the engine takes zero-terminated text
  f.engine.lastError = 0;
  Expr* e = exprParse(f.table, source.c_str());
  if (!e) return 0;
  evaluate_every_record(f.table, e);
  bool logical = exprType(e) == 'L';
  exprFree(e);
  if (logical) walk_as_query(f.table, source);
  f.engine.lastError = 0;
  return 0;
}
