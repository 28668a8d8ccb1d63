// Queries on a million records: one a tag answers from its key range
// (CODE >= 'M' .AND. CODE < 'N', about one record in 26) and one of the same
// share that no tag can answer, so every record is read and tested.  Each
// figure is one whole walk: relTop, then relSkip to the end; the items are
// the records of the table.  Argument 0: the table is shared; 1: opened
// exclusively.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "bench_folder.h"
#include "dbf/cdx.h"
#include "dbf/relation.h"
#include "dbf/table.h"

namespace {

using namespace qx::dbf;

constexpr long kRecords = 1000000;

const FieldInfo kFields[] = {{"CODE", 'C', 10, 0}, {"QTY", 'N', 12, 2}, {nullptr, 0, 0, 0}};

// The table with its production index, made once for the whole run.
struct Workspace {
  Workspace() {
    table = dir + "/query.dbf";
    installCompoundIndex();
    Engine engine;
    engine.exclusiveAccess = 1;
    Table* t = dbfCreate(&engine, table.c_str(), kFields, nullptr);
    if (!t) return;
    Field* code = dbfFieldByName(t, "CODE");
    Field* qty = dbfFieldByName(t, "QTY");
    std::mt19937 rng(42);
    char text[11] = {};
    for (long i = 0; i < kRecords; ++i) {
      dbfAppendStart(t, 0);
      for (int k = 0; k < 10; ++k) text[k] = static_cast<char>('A' + rng() % 26);
      fldAssign(code, text);
      fldAssignDouble(qty, static_cast<double>(rng() % 1000000) / 100.0);
      dbfAppend(t);
    }
    const TagInfo tags[] = {{"CODE", "CODE", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
    ready = idxCreate(t, nullptr, tags) != nullptr;
    dbfClose(t);
  }
  BenchFolder folder{"query"};
  std::string dir = folder.path(), table;
  bool ready = false;
};

Workspace& workspace() {
  static Workspace w;
  return w;
}

void run_query(benchmark::State& state, const char* query, bool tag_answers) {
  if (!workspace().ready) {
    state.SkipWithError("cannot make the table and its index");
    return;
  }
  Engine engine;
  engine.exclusiveAccess = static_cast<int>(state.range(0));
  Table* t = dbfOpen(&engine, workspace().table.c_str());
  if (!t) {
    state.SkipWithError("cannot open the table");
    return;
  }
  long matched = 0;
  for (auto _ : state) {
    Relation* r = relInit(t);
    relSetQuery(r, query);
    matched = 0;
    for (int rc = relTop(r); rc == 0; rc = relSkip(r, 1)) ++matched;
    if (rel_used_tags(r) != tag_answers) state.SkipWithError("the tag path was not as expected");
    relFree(r, 0);
  }
  state.counters["matched"] = static_cast<double>(matched);
  state.SetItemsProcessed(state.iterations() * kRecords);
  dbfClose(t);
}

void BM_QueryTagAnswers(benchmark::State& state) {
  run_query(state, "CODE >= 'M' .AND. CODE < 'N'", true);
}

void BM_QueryEveryRecord(benchmark::State& state) {
  run_query(state, "SUBSTR(CODE,2,1) = 'M'", false);
}

BENCHMARK(BM_QueryTagAnswers)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QueryEveryRecord)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
