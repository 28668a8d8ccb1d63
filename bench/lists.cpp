// Lists at scale: splitting and joining a string list of a million
// elements, the linked list's quicksort of a million random integers next to
// std::sort of the same values, and sorted insertion into a growing string
// list.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "port/wstr.h"
#include "qx/lnklist.h"
#include "qx/memory.h"
#include "qx/strlist.h"

namespace {

constexpr int kMillion = 1000000;

std::u16string field(int i) { return qx::port::widen("item" + std::to_string(i)); }

std::u16string million_fields() {
  std::u16string text;
  for (int i = 0; i < kMillion; ++i) {
    if (i) text += u", ";
    text += field(i);
  }
  return text;
}

void BM_StrList_split_1M(benchmark::State& state) {
  const std::u16string text = million_fields();
  for (auto _ : state) {
    qx_StrList* list = qx_StrList_fromDelimitedString(text.c_str(), u",");
    benchmark::DoNotOptimize(list);
    state.PauseTiming();
    qx_StrList_destroy(list);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kMillion);
}
BENCHMARK(BM_StrList_split_1M)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StrList_join_1M(benchmark::State& state) {
  qx_StrList* list = qx_StrList_fromDelimitedString(million_fields().c_str(), u",");
  for (auto _ : state) {
    qx_wchar* text = qx_StrList_toDelimitedString(list, u", ");
    benchmark::DoNotOptimize(text);
    qx_Free(text);
  }
  qx_StrList_destroy(list);
  state.SetItemsProcessed(state.iterations() * kMillion);
}
BENCHMARK(BM_StrList_join_1M)->Unit(benchmark::kMillisecond)->Iterations(5);

int compare_ints(const void* a, const void* b) {
  int x = *static_cast<const int*>(a), y = *static_cast<const int*>(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

// Each round puts the same random values back into the list, sorts it, and
// sorts a copy of the values with std::sort; the counters give both times
// and their ratio.
void BM_LnkList_qSort_1M_random(benchmark::State& state) {
  std::mt19937 rng(42);
  std::vector<int> values(kMillion);
  for (int& v : values) v = static_cast<int>(rng());
  qx_LnkList* list = qx_LnkList_create(nullptr);
  for (int& v : values) qx_LnkList_insEnd(list, &v);
  double qsort_s = 0, std_s = 0;
  using Clock = std::chrono::steady_clock;
  for (auto _ : state) {
    state.PauseTiming();
    size_t i = 0;
    for (auto* node = list->first; node; node = node->next) node->data = &values[i++];
    state.ResumeTiming();
    auto t0 = Clock::now();
    qx_LnkList_qSort(list, compare_ints);
    auto t1 = Clock::now();
    state.PauseTiming();
    std::vector<int> copy = values;
    auto t2 = Clock::now();
    std::sort(copy.begin(), copy.end());
    auto t3 = Clock::now();
    benchmark::DoNotOptimize(copy.data());
    state.ResumeTiming();
    qsort_s += std::chrono::duration<double>(t1 - t0).count();
    std_s += std::chrono::duration<double>(t3 - t2).count();
  }
  qx_LnkList_destroy(list, nullptr);
  const double n = static_cast<double>(state.iterations());
  state.counters["qSort_ms"] = qsort_s / n * 1e3;
  state.counters["std_sort_ms"] = std_s / n * 1e3;
  state.counters["ratio"] = qsort_s / std_s;
}
BENCHMARK(BM_LnkList_qSort_1M_random)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LnkList_qSort_1M_sorted(benchmark::State& state) {
  std::vector<int> values(kMillion);
  for (int i = 0; i < kMillion; ++i) values[i] = i;
  qx_LnkList* list = qx_LnkList_create(nullptr);
  for (int& v : values) qx_LnkList_insEnd(list, &v);
  for (auto _ : state) qx_LnkList_qSort(list, compare_ints);
  qx_LnkList_destroy(list, nullptr);
}
BENCHMARK(BM_LnkList_qSort_1M_sorted)->Unit(benchmark::kMillisecond)->Iterations(3);

// A sorted list with one more element appended: each partition step peels
// off one element until the sort settles the deep, all-distinct range.
void BM_LnkList_qSort_1M_sorted_plus_one(benchmark::State& state) {
  std::vector<int> values(kMillion);
  for (int i = 0; i < kMillion; ++i) values[i] = 2 * i;
  values.back() = kMillion + 1;
  qx_LnkList* list = qx_LnkList_create(nullptr);
  for (int& v : values) qx_LnkList_insEnd(list, &v);
  for (auto _ : state) {
    state.PauseTiming();
    size_t i = 0;
    for (auto* node = list->first; node; node = node->next) node->data = &values[i++];
    state.ResumeTiming();
    qx_LnkList_qSort(list, compare_ints);
  }
  qx_LnkList_destroy(list, nullptr);
}
BENCHMARK(BM_LnkList_qSort_1M_sorted_plus_one)->Unit(benchmark::kMillisecond)->Iterations(3);

// Sorted insertion walks from the front: building a list of n strings this
// way grows with n squared.
void BM_StrList_insSorted(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::mt19937 rng(1);
  std::vector<std::u16string> words(n);
  for (auto& w : words) w = field(static_cast<int>(rng() % 1000000));
  for (auto _ : state) {
    qx_StrList* list = qx_StrList_create(nullptr);
    for (auto& w : words) qx_StrList_insSorted(list, w.c_str());
    state.PauseTiming();
    qx_StrList_destroy(list);
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_StrList_insSorted)
    ->RangeMultiplier(2)
    ->Range(1000, 16000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNSquared);

}  // namespace

BENCHMARK_MAIN();
