// The table engine on a million records of a five-field table: appending
// them, reading them all in record order, and packing after every other
// record was deleted.  Each figure is records per second (items_per_second).
#include <benchmark/benchmark.h>

#include <string>

#include "bench_folder.h"
#include "dbf/table.h"

namespace {

using namespace qx::dbf;

constexpr long kRecords = 1000000;

const FieldInfo kFields[] = {{"NAME", 'C', 20, 0}, {"CITY", 'C', 15, 0}, {"QTY", 'N', 8, 2},
                             {"DUE", 'D', 8, 0},   {"OK", 'L', 1, 0},    {nullptr, 0, 0, 0}};

// One folder for the whole run: the read and pack figures use the table
// the append figure made.
struct Workspace {
  Workspace() {
    table = dir + "/bench.dbf";
  }
  BenchFolder folder{"dbf"};
  std::string dir = folder.path(), table;
};

Workspace& workspace() {
  static Workspace w;
  return w;
}

void appendRecords(Table* t, long count) {
  Field* name = dbfFieldByName(t, "NAME");
  Field* city = dbfFieldByName(t, "CITY");
  Field* qty = dbfFieldByName(t, "QTY");
  Field* due = dbfFieldByName(t, "DUE");
  Field* ok = dbfFieldByName(t, "OK");
  long day = date_to_day("20000101");
  for (long i = 0; i < count; ++i) {
    dbfAppendStart(t, 0);
    dbfBlank(t);
    fldAssign(name, ("NAME " + std::to_string(i)).c_str());
    fldAssign(city, (i & 1) ? "London" : "Paris");
    fldAssignDouble(qty, (i % 100000) / 100.0);
    fldAssignDouble(due, static_cast<double>(day + i % 9000));
    fldAssignChar(ok, (i & 1) ? 'T' : 'F');
    dbfAppend(t);
  }
}

// Argument 0: the table is shared (locks taken, header count read for every
// move); 1: opened exclusively.
void BM_Append(benchmark::State& state) {
  Engine engine;
  engine.refuseOverwrite = 0;
  engine.exclusiveAccess = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Table* t = dbfCreate(&engine, workspace().table.c_str(), kFields, nullptr);
    if (!t) {
      state.SkipWithError("cannot create the table");
      return;
    }
    appendRecords(t, kRecords);
    dbfClose(t);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_ReadAll(benchmark::State& state) {
  Engine engine;
  engine.exclusiveAccess = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Table* t = dbfOpen(&engine, workspace().table.c_str());
    if (!t) {
      state.SkipWithError("no table (run the append benchmark first)");
      return;
    }
    Field* qty = dbfFieldByName(t, "QTY");
    Field* name = dbfFieldByName(t, "NAME");
    double sum = 0;
    long n = 0;
    for (int rc = dbfTop(t); rc == 0; rc = dbfSkip(t, 1), ++n) {
      sum += fldDouble(qty);
      benchmark::DoNotOptimize(fldString(name));
    }
    benchmark::DoNotOptimize(sum);
    if (n != kRecords) state.SkipWithError("wrong record count");
    dbfClose(t);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_PackHalf(benchmark::State& state) {
  Engine engine;
  for (auto _ : state) {
    state.PauseTiming();
    Table* t = dbfOpen(&engine, workspace().table.c_str());
    if (!t) {
      state.SkipWithError("no table (run the append benchmark first)");
      return;
    }
    for (int rc = dbfTop(t); rc == 0; rc = dbfSkip(t, 2)) dbfDelete(t);
    state.ResumeTiming();
    dbfPack(t);
    state.PauseTiming();
    long kept = dbfRecordCount(t);
    dbfClose(t);
    if (kept != kRecords / 2) state.SkipWithError("wrong count after pack");
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

BENCHMARK(BM_Append)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAll)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackHalf)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
