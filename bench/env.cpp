// Variables at the sizes a host program has: session lookups in a session of
// 100 variables (a list walked from the start), %name% expansion of a path
// over the session, and alias expansion of INI values with and without a
// reference.
#include <benchmark/benchmark.h>

#include <string>

#include "config/expand.h"
#include "port/wstr.h"
#include "qx/env.h"

namespace {

constexpr int kSessionSize = 100;

void fill_session() {
  qx_Env_resetSes();
  for (int i = 0; i < kSessionSize; ++i) {
    std::u16string name = qx::port::widen("VAR" + std::to_string(i));
    qx_Env_setSes(name.c_str(), u"c:\\vexlor\\value");
  }
}

void BM_SessionLookupLast(benchmark::State& state) {
  fill_session();
  for (auto _ : state) benchmark::DoNotOptimize(qx_Env_getSes(u"var99"));
  qx_Env_resetSes();
}
BENCHMARK(BM_SessionLookupLast);

void BM_SessionLookupFirst(benchmark::State& state) {
  fill_session();
  for (auto _ : state) benchmark::DoNotOptimize(qx_Env_getSes(u"var0"));
  qx_Env_resetSes();
}
BENCHMARK(BM_SessionLookupFirst);

void BM_ExpandPathOverSession(benchmark::State& state) {
  fill_session();
  for (auto _ : state)
    benchmark::DoNotOptimize(qx_Env_expandStr(u"%VAR3%\\specs\\%VAR7%\\pipe.dbf"));
  qx_Env_resetSes();
}
BENCHMARK(BM_ExpandPathOverSession);

void BM_AliasExpansionPlainValue(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(qx::config::expand_aliases(u"c:\\vexlor\\data\\pipe.dbf"));
}
BENCHMARK(BM_AliasExpansionPlainValue);

void BM_AliasExpansionOneReference(benchmark::State& state) {
  qx_Alias_put(u"ROOT", u"c:\\vexlor");
  for (auto _ : state)
    benchmark::DoNotOptimize(qx::config::expand_aliases(u"%ROOT%\\data\\pipe.dbf"));
  qx_Alias_del(u"ROOT");
}
BENCHMARK(BM_AliasExpansionOneReference);

}  // namespace

BENCHMARK_MAIN();
