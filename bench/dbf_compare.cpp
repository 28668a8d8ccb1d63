// The table engine on a fixed workload that can be repeated beside any other
// engine that reads and writes these files: a table of 200,000 records with
// the fields ID N(8), CODE C(10), NAME C(30), AMT N(12,2) and DUE D,
// appended once opened exclusively and once shared (the append lock and the
// record lock taken for every record), then read in record order, shared
// and exclusively, summing AMT.  Beside them stands the floor of the append:
// the same file's bytes written record by record through buffered fwrite.
//
//   qx_bench_dbf_compare [records] [rounds] [profile]
//
// Each row is the best of the rounds (3 unless given), in seconds and in
// records per second.  The tables live in a fresh temporary folder.  With
// "profile", only the exclusive appends run (for perf record).
#include <stdio.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "dbf/table.h"
#include "port/native_file.h"

namespace {

using namespace qx::dbf;
using Clock = std::chrono::steady_clock;

const FieldInfo kFields[] = {{"ID", 'N', 8, 0},    {"CODE", 'C', 10, 0}, {"NAME", 'C', 30, 0},
                             {"AMT", 'N', 12, 2},  {"DUE", 'D', 8, 0},   {nullptr, 0, 0, 0}};

// The values of record i (from 0) are made before the clock starts, so that
// the figures measure the engine, not the making of test data.
struct Values {
  std::vector<std::string> codes, names;
  std::vector<double> amounts;
  std::vector<long> days;
};

Values make_values(long records) {
  Values v;
  long first_day = date_to_day("20200101");
  for (long i = 0; i < records; ++i) {
    v.codes.push_back("C" + std::to_string(i % 97 * 101));
    v.names.push_back("Customer number " + std::to_string(i));
    v.amounts.push_back(static_cast<double>((i * 7919) % 10000000) / 100.0 - 12345.67);
    v.days.push_back(first_day + i % 3650);
  }
  return v;
}

bool append_all(Engine& engine, const std::string& path, const Values& v) {
  Table* t = dbfCreate(&engine, path.c_str(), kFields, nullptr);
  if (!t) return false;
  Field* id = dbfFieldByName(t, "ID");
  Field* code = dbfFieldByName(t, "CODE");
  Field* name = dbfFieldByName(t, "NAME");
  Field* amt = dbfFieldByName(t, "AMT");
  Field* due = dbfFieldByName(t, "DUE");
  bool ok = true;
  for (size_t i = 0; ok && i < v.names.size(); ++i) {
    dbfAppendStart(t, 0);
    fldAssignInt(id, static_cast<int>(i + 1));
    fldAssignN(code, v.codes[i].data(), v.codes[i].size());
    fldAssignN(name, v.names[i].data(), v.names[i].size());
    fldAssignDouble(amt, v.amounts[i]);
    fldAssignDouble(due, static_cast<double>(v.days[i]));
    ok = dbfAppend(t) == 0;
  }
  return dbfClose(t) == 0 && ok;
}

bool read_all(Engine& engine, const std::string& path, long records, double* sum) {
  Table* t = dbfOpen(&engine, path.c_str());
  if (!t) return false;
  Field* amt = dbfFieldByName(t, "AMT");
  long n = 0;
  *sum = 0;
  for (int rc = dbfTop(t); rc == 0; rc = dbfSkip(t, 1), ++n) *sum += fldDouble(amt);
  return dbfClose(t) == 0 && n == records;
}

// The floor: the finished file's bytes, header first, then one fwrite per
// record and the end-of-file marker.
bool fwrite_all(const std::string& path, const std::string& image, size_t header,
                size_t record) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(image.data(), 1, header, f) == header;
  for (size_t at = header; ok && at + record <= image.size(); at += record)
    ok = fwrite(image.data() + at, 1, record, f) == record;
  ok = ok && fputc(0x1A, f) != EOF;
  return fclose(f) == 0 && ok;
}

struct Row {
  const char* what;
  std::function<bool()> run;
  double best = 1e30;
  double best_cpu = 1e30;
};

// Wall-clock seconds, and the processor seconds of this process (user and
// system), which a machine busy with other work disturbs far less.
double seconds_of(const std::function<bool()>& run, bool* ok, double* cpu) {
  auto start = Clock::now();
  std::clock_t cpu_start = std::clock();
  *ok = run();
  *cpu = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  long records = argc > 1 ? std::atol(argv[1]) : 200000;
  int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  bool profile = argc > 3 && std::string(argv[3]) == "profile";
  if (records < 1 || rounds < 1) {
    fprintf(stderr, "usage: %s [records] [rounds] [profile]\n", argv[0]);
    return 2;
  }
  std::string dir = qx::port::make_temp_directory("qx-bench-compare-");
  if (dir.empty()) return 1;
  std::string exclusive_table = dir + "/exclusive.dbf";
  std::string shared_table = dir + "/shared.dbf";
  std::string plain_file = dir + "/fwrite.dbf";
  Values values = make_values(records);
  if (profile) {
    Engine engine;
    engine.refuseOverwrite = 0;
    engine.exclusiveAccess = 1;
    bool ok = true;
    double best = 1e30, best_cpu = 1e30;
    for (int round = 0; ok && round < rounds; ++round) {
      double cpu = 0;
      best = std::min(best, seconds_of([&] { return append_all(engine, exclusive_table, values); },
                                       &ok, &cpu));
      best_cpu = std::min(best_cpu, cpu);
    }
    printf("appends, exclusive: %.3f s, %.3f processor s\n", best, best_cpu);
    qx::port::remove_tree(dir);
    return ok ? 0 : 1;
  }

  Engine exclusive, shared;
  exclusive.refuseOverwrite = shared.refuseOverwrite = 0;
  exclusive.exclusiveAccess = 1;
  std::string image;
  size_t header = 32 * 6 + 1, record = 1 + 8 + 10 + 30 + 12 + 8;
  double sum_shared = 0, sum_exclusive = 0;

  std::vector<Row> rows = {
      {"appends, exclusive", [&] { return append_all(exclusive, exclusive_table, values); }},
      {"appends, shared (append lock per record)",
       [&] { return append_all(shared, shared_table, values); }},
      {"read all records in order, shared",
       [&] { return read_all(shared, shared_table, records, &sum_shared); }},
      {"read all records in order, exclusive",
       [&] { return read_all(exclusive, exclusive_table, records, &sum_exclusive); }},
      {"the same bytes through buffered fwrite",
       [&] { return fwrite_all(plain_file, image, header, record); }},
  };
  for (int round = 0; round < rounds; ++round) {
    for (Row& row : rows) {
      bool ok = false;
      double cpu = 0;
      double s = seconds_of(row.run, &ok, &cpu);
      if (!ok) {
        fprintf(stderr, "failed: %s\n", row.what);
        qx::port::remove_tree(dir);
        return 1;
      }
      row.best = std::min(row.best, s);
      row.best_cpu = std::min(row.best_cpu, cpu);
      if (image.empty() && !qx::port::read_file(exclusive_table, &image)) return 1;
      if (image.size() != header + records * record + 1) {
        fprintf(stderr, "the exclusive table has %zu bytes\n", image.size());
        return 1;
      }
    }
  }

  std::string shared_image, plain_image;
  qx::port::read_file(shared_table, &shared_image);
  qx::port::read_file(plain_file, &plain_image);
  bool same = shared_image == image && plain_image == image && sum_shared == sum_exclusive;

  printf("%ld records (ID N(8), CODE C(10), NAME C(30), AMT N(12,2), DUE D), best of %d\n\n",
         records, rounds);
  printf("| operation | seconds | records per second | processor seconds |\n|---|---|---|---|\n");
  for (const Row& row : rows)
    printf("| %s | %.3f | %.0f | %.3f |\n", row.what, row.best,
           static_cast<double>(records) / row.best, row.best_cpu);
  printf("\nexclusive appends / fwrite of the same bytes: %.2fx the time, %.2fx the processor time\n",
         rows[0].best / rows[4].best, rows[0].best_cpu / rows[4].best_cpu);
  printf("files of both appends and of fwrite identical, both reads agree: %s\n",
         same ? "yes" : "NO");
  qx::port::remove_tree(dir);
  return same ? 0 : 1;
}
