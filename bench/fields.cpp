// Field list lookups: find by name in lists of 10, 100 and 1000 fields.
// Names are looked up in another case than stored, as callers usually do.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "port/wstr.h"
#include "qx/fldlist.h"

namespace {

std::u16string field_name(int i, bool upper) {
  std::string s = (upper ? "FIELD_" : "field_") + std::to_string(i);
  return qx::port::widen(s);
}

qx_FldList* make_list(int count) {
  qx_FldList* list = qx_FldList_create(nullptr);
  for (int i = 0; i < count; ++i) qx_FldList_appInt(list, field_name(i, true).c_str(), i);
  return list;
}

// Looks up every name of the list in turn: the average cost of a lookup.
void BM_FindEach(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  qx_FldList* list = make_list(count);
  std::vector<std::u16string> names;
  for (int i = 0; i < count; ++i) names.push_back(field_name(i, false));
  size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(qx_FldList_find(list, names[k].c_str()));
    if (++k == names.size()) k = 0;
  }
  state.SetItemsProcessed(state.iterations());
  qx_FldList_destroy(list);
}
BENCHMARK(BM_FindEach)->Arg(10)->Arg(100)->Arg(1000);

// A name that is not there walks the whole list.
void BM_FindMissing(benchmark::State& state) {
  qx_FldList* list = make_list(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(qx_FldList_find(list, u"no_such_field"));
  state.SetItemsProcessed(state.iterations());
  qx_FldList_destroy(list);
}
BENCHMARK(BM_FindMissing)->Arg(10)->Arg(100)->Arg(1000);

// A typed read by name: lookup plus conversion.
void BM_GetInt(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  qx_FldList* list = make_list(count);
  std::u16string name = field_name(count / 2, false);
  int32_t value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(qx_FldList_getInt(list, name.c_str(), &value));
  }
  state.SetItemsProcessed(state.iterations());
  qx_FldList_destroy(list);
}
BENCHMARK(BM_GetInt)->Arg(10)->Arg(100)->Arg(1000);

}  // namespace

BENCHMARK_MAIN();
