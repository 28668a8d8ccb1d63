// INI values through the settings service, on a file of 1,000 groups of
// five entries: 100,000 reads of cached values (plain, and with an %alias%
// to expand), and 10,000 writes, each of which re-checks the file, rewrites
// it beside the old one, flushes it to the disk and renames it over.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench_folder.h"
#include "app/holder.h"
#include "port/com.h"
#include "port/wstr.h"
#include "qx/env.h"
#include "qx/ini.h"

namespace {

constexpr int kGroups = 1000;
constexpr int kEntries = 5;

std::u16string w(const std::string& s) { return qx::port::from_utf8(s); }

// A folder and a settings file for one benchmark, removed afterwards.
class SettingsFile {
 public:
  SettingsFile() {
    path_ = dir_ + "/settings.ini";
    std::ofstream out(path_, std::ios::binary);
    out << "; settings of the benchmark\r\n";
    for (int g = 0; g < kGroups; ++g) {
      out << "[Group" << g << "]\r\n";
      for (int e = 0; e < kEntries; ++e)
        out << "Entry" << e << " = " << (e == 0 ? "%ROOT%\\" : "value ") << g * 10 + e << "\r\n";
      out << "\r\n";
    }
    CoInitialize(nullptr);
    qx::app::destroy_holder();
  }
  ~SettingsFile() {
    qx::app::destroy_holder();
    CoUninitialize();
  }
  std::u16string file() const { return w(path_); }

 private:
  BenchFolder folder_{"ini"};
  std::string dir_ = folder_.path(), path_;
};

struct Key {
  std::u16string group, name;
};

// Every group and entry, spelled in another case than in the file, in an
// order that jumps about the file.
std::vector<Key> keys(int first_entry) {
  std::vector<Key> all;
  for (int i = 0; i < kGroups; ++i) {
    int g = (i * 7919) % kGroups;
    for (int e = first_entry; e < kEntries; ++e)
      all.push_back({w("GROUP" + std::to_string(g)), w("entry" + std::to_string(e))});
  }
  return all;
}

void BM_IniGetCached(benchmark::State& state) {
  SettingsFile settings;
  const std::u16string file = settings.file();
  std::vector<Key> all = keys(1);
  qx_Ini_get(file.c_str(), u"Group0", u"Entry1");  // the file is read into the cache here
  size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(qx_Ini_get(file.c_str(), all[k].group.c_str(), all[k].name.c_str()));
    if (++k == all.size()) k = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IniGetCached)->Iterations(100000);

void BM_IniGetCachedExpanded(benchmark::State& state) {
  SettingsFile settings;
  const std::u16string file = settings.file();
  qx_Alias_put(u"ROOT", u"C:\\plant\\specs");
  std::vector<std::u16string> groups;
  for (int g = 0; g < kGroups; ++g) groups.push_back(w("group" + std::to_string(g)));
  size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(qx_Ini_get(file.c_str(), groups[k].c_str(), u"ENTRY0"));
    if (++k == groups.size()) k = 0;
  }
  qx_Alias_del(u"ROOT");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IniGetCachedExpanded)->Iterations(100000);

void BM_IniSet(benchmark::State& state) {
  SettingsFile settings;
  const std::u16string file = settings.file();
  std::vector<Key> all = keys(0);
  size_t k = 0;
  int round = 0;
  for (auto _ : state) {
    std::u16string value = w("new value " + std::to_string(round));
    if (qx_Ini_set(file.c_str(), all[k].group.c_str(), all[k].name.c_str(), value.c_str()) != 0)
      state.SkipWithError("a value was not written");
    if (++k == all.size()) {
      k = 0;
      ++round;
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IniSet)->Iterations(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
