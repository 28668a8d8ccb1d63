// The table API against the engine beneath it, on the five-field table of
// the engine's own benchmark: appending a million records field by field
// by name and through a table field list, and reading a table into a
// cursor.  Each API figure has an engine figure doing the same work through
// the engine's operations, so the cost of the layer is their ratio.  Figures
// are records per second (items_per_second).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "bench_folder.h"
#include "dbf/table.h"
#include "port/wstr.h"
#include "qx/db.h"
#include "qx/memory.h"

namespace {

using namespace qx::dbf;

constexpr long kRecords = 1000000;
// A cursor holds every record as nodes: a tenth of the table keeps the run
// within a few hundred megabytes.
constexpr long kCursorRecords = 100000;

const FieldInfo kFields[] = {{"NAME", 'C', 20, 0}, {"CITY", 'C', 15, 0}, {"QTY", 'N', 8, 2},
                             {"DUE", 'D', 8, 0},   {"OK", 'L', 1, 0},    {nullptr, 0, 0, 0}};

struct Workspace {
  Workspace() {
  }
  std::string file(const char* name) const { return dir + "/" + name; }
  std::u16string wfile(const char* name) const { return qx::port::from_utf8(file(name)); }
  BenchFolder folder{"table-api"};
  std::string dir = folder.path();
};

Workspace& workspace() {
  static Workspace w;
  return w;
}

// The values of record i, as text, the way an application holds them.
struct RecordText {
  std::u16string name, qty, due;
  const char16_t* city;
  const char16_t* ok;
  void set(long i) {
    name = u"NAME " + qx::port::from_utf8(std::to_string(i));
    city = (i & 1) ? u"London" : u"Paris";
    qty = qx::port::from_utf8(std::to_string(i % 100000 / 100) + "." +
                              std::to_string(i % 100 / 10) + std::to_string(i % 10));
    due = qx::port::from_utf8(std::to_string(20000101 + i % 28));
    ok = (i & 1) ? u"84" : u"70";  // a list stores a logical by its character code
  }
};

// The engine alone, set up as the API sets up its own context, storing the
// same texts (converted as the API converts them).
void BM_EngineAppend(benchmark::State& state) {
  for (auto _ : state) {
    Engine engine;
    qx_Cb_init(&engine);
    Table* t = dbfCreate(&engine, workspace().file("engine.dbf").c_str(), kFields, nullptr);
    if (!t) return state.SkipWithError("cannot create the table");
    Field* fields[5];
    for (int f = 0; f < 5; ++f) fields[f] = dbfFieldByName(t, kFields[f].name);
    RecordText r;
    for (long i = 0; i < kRecords; ++i) {
      r.set(i);
      dbfAppendStart(t, 1);
      fldAssign(fields[0], qx::port::narrow(r.name).c_str());
      fldAssign(fields[1], qx::port::narrow(r.city).c_str());
      std::string qty = qx::port::narrow(r.qty);
      fldAssignDouble(fields[2], textToDouble(qty.c_str(), static_cast<int>(qty.size())));
      fldAssign(fields[3], qx::port::narrow(r.due).c_str());
      std::string ok = qx::port::narrow(r.ok);
      fldAssignChar(fields[4], textToInt(ok.c_str(), static_cast<int>(ok.size())));
      dbfAppend(t);
    }
    dbfClose(t);
    engShutdown(&engine);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

int create_api_table(const char* name) {
  qx_DbFldList* list = qx_DbFldList_create(static_cast<const qx_wchar*>(nullptr));
  for (const FieldInfo* f = kFields; f->name; ++f) {
    std::u16string field = qx::port::widen(f->name);
    qx_DbFldList_insEnd(list, field.c_str(), nullptr, f->width, f->decimals,
                        static_cast<qx_wchar>(f->type));
  }
  int id = qx_Db_createDb(workspace().wfile(name).c_str(), list);
  qx_DbFldList_destroy(list);
  return id;
}

// Field by field, each looked up by name as the API does for every call.
void BM_ApiAppendFieldByField(benchmark::State& state) {
  for (auto _ : state) {
    int id = create_api_table("fields.dbf");
    if (id < 0) return state.SkipWithError("cannot create the table");
    RecordText r;
    for (long i = 0; i < kRecords; ++i) {
      r.set(i);
      qx_Db_appendStart(id);
      qx_Db_assignFldStr(id, u"NAME", r.name.c_str());
      qx_Db_assignFldStr(id, u"CITY", r.city);
      qx_Db_assignFldDouble(id, u"QTY", qx::port::wtof(r.qty.c_str()));
      qx_Db_assignFldStr(id, u"DUE", r.due.c_str());
      qx_Db_assignFldStr(id, u"OK", (i & 1) ? u"T" : u"F");
      qx_Db_append(id);
    }
    qx_Db_closeAll();
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// Through one table field list whose values are replaced for each record
// and stored field by field (qx_Db_updFld) into the appended record.
void BM_ApiAppendFieldList(benchmark::State& state) {
  for (auto _ : state) {
    int id = create_api_table("list.dbf");
    if (id < 0) return state.SkipWithError("cannot create the table");
    void* table = qx_DbRef_sel(id);
    qx_DbFldList* rec = qx_DbFldList_create(u"NAME", nullptr, u"CITY", nullptr, u"QTY", nullptr,
                                            u"DUE", nullptr, u"OK", nullptr,
                                            static_cast<const qx_wchar*>(nullptr));
    RecordText r;
    for (long i = 0; i < kRecords; ++i) {
      r.set(i);
      qx_DbFldList_modNthVal(rec, 0, r.name.c_str());
      qx_DbFldList_modNthVal(rec, 1, r.city);
      qx_DbFldList_modNthVal(rec, 2, r.qty.c_str());
      qx_DbFldList_modNthVal(rec, 3, r.due.c_str());
      qx_DbFldList_modNthVal(rec, 4, r.ok);
      qx_Db_appendStart(id);
      for (qx_LnkListNode* at = rec->first; at; at = at->next)
        qx_Db_updFld(table, static_cast<qx_DbFldNode*>(at->data));
      qx_Db_append(id);
    }
    qx_DbFldList_destroy(rec);
    qx_Db_closeAll();
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// The table the read figures use: the first kCursorRecords of the list run.
void make_read_table() {
  static bool made = false;
  if (made) return;
  made = true;
  int id = create_api_table("read.dbf");
  RecordText r;
  for (long i = 0; i < kCursorRecords; ++i) {
    r.set(i);
    qx_Db_appendStart(id);
    qx_Db_assignFldStr(id, u"NAME", r.name.c_str());
    qx_Db_assignFldStr(id, u"CITY", r.city);
    qx_Db_assignFldStr(id, u"QTY", r.qty.c_str());
    qx_Db_assignFldStr(id, u"DUE", r.due.c_str());
    qx_Db_assignFldStr(id, u"OK", u"T");
    qx_Db_append(id);
  }
  qx_Db_closeAll();
}

// The engine reading every field of every record as wide text, as the
// API's cursor holds it.
void BM_EngineReadAll(benchmark::State& state) {
  make_read_table();
  for (auto _ : state) {
    Engine engine;
    qx_Cb_init(&engine);
    Table* t = dbfOpen(&engine, workspace().file("read.dbf").c_str());
    if (!t) return state.SkipWithError("no table");
    int count = dbfFieldCount(t);
    size_t characters = 0;
    for (int rc = dbfTop(t); rc == 0 && !dbfEof(t); rc = dbfSkip(t, 1)) {
      for (int f = 1; f <= count; ++f) {
        Field* field = dbfFieldByNumber(t, f);
        std::u16string name = qx::port::widen(fldName(field));
        std::u16string value = qx::port::widen(fldString(field));
        characters += name.size() + value.size();
      }
    }
    benchmark::DoNotOptimize(characters);
    dbfClose(t);
    engShutdown(&engine);
  }
  state.SetItemsProcessed(state.iterations() * kCursorRecords);
}

// The cursor keeps what the engine figure only converts: for each record a
// list header, a cursor element, a label copy and a link, and for each field
// a node, its value and a link, every one its own block from qx_Malloc
// (callers free and replace them one by one).  That is nineteen blocks a
// record on this table, and allocating them is most of this figure's lead
// over the engine's; the destroy between runs is not timed.
// Reads the table into a cursor once a round; `reading(true)` and
// `reading(false)` are called just before and after the read.  Freeing the
// cursor is not timed.
template <class Reading>
void read_rounds(benchmark::State& state, Reading reading) {
  make_read_table();
  for (auto _ : state) {
    reading(true);
    int id = qx_Db_openDb(workspace().wfile("read.dbf").c_str());
    qx_DbCursor* cursor = qx_Db_readTable(id, u"read", nullptr);
    reading(false);
    state.PauseTiming();
    if (qx_DbCursor_length(cursor) != kCursorRecords) state.SkipWithError("wrong record count");
    qx_DbCursor_destroy(cursor);
    qx_Db_closeAll();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kCursorRecords);
}

void BM_ApiReadTable(benchmark::State& state) {
  read_rounds(state, [](bool) {});
}

// The same read with allocation taken out: while a read runs, the library's
// allocation hooks hand out blocks from an arena touched beforehand (at
// other times they pass through to the runtime), so this figure against
// the engine's is the API's own work.  Hooks once set stay for the process:
// this benchmark is registered last.
namespace arena {

constexpr size_t kSize = size_t(256) << 20;
char* base = nullptr;
size_t used = 0;
bool on = false;

bool owns(void* p) {
  return base && static_cast<char*>(p) >= base && static_cast<char*>(p) < base + kSize;
}
void* take(size_t n) {
  if (!on) return std::malloc(n);
  size_t size = (n + 15) & ~size_t(15);
  if (size > kSize - used) return nullptr;
  void* p = base + used;
  used += size;
  return p;
}
void* take_cleared(size_t count, size_t n) {
  if (!on) return std::calloc(count, n);
  void* p = take(count * n);
  if (p) std::memset(p, 0, count * n);
  return p;
}
void* retake(void* p, size_t n) {
  if (!owns(p)) return std::realloc(p, n);  // a runtime block stays one
  void* q = take(n);
  if (q) std::memcpy(q, p, std::min<size_t>(n, base + kSize - static_cast<char*>(p)));
  return q;
}
void give_back(void* p) {
  if (!owns(p)) std::free(p);
}

}  // namespace arena

void BM_ApiReadTableArena(benchmark::State& state) {
  make_read_table();
  if (!arena::base) {
    arena::base = static_cast<char*>(std::malloc(arena::kSize));
    if (!arena::base) return state.SkipWithError("no arena");
    std::memset(arena::base, 0, arena::kSize);
    qx_MemoryManager_set(arena::take, arena::retake, arena::take_cleared, arena::give_back);
  }
  read_rounds(state, [](bool starting) {
    if (starting) arena::used = 0;
    arena::on = starting;
  });
}

BENCHMARK(BM_EngineAppend)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ApiAppendFieldByField)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ApiAppendFieldList)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EngineReadAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApiReadTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApiReadTableArena)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
