// Opens arbitrary bytes as the compound index of a small table and uses
// everything it offers: every tag walked both ways, seeks, key ranges; then
// a record appended and one changed, so that key maintenance meets the
// damaged trees too.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dbf/cdx.h"
#include "dbf/table_internal.h"
#include "port/alert.h"

namespace {

using namespace qx::dbf;

std::string g_dir;

void removeWorkDir() {
  for (const char* name : {"/t.dbf", "/t.cdx", "/base.dbf"}) ::unlink((g_dir + name).c_str());
  ::rmdir(g_dir.c_str());
}

int silentSink(const qx::port::Alert&, void*) { return 1; }

const FieldInfo kFields[] = {{"NAME", 'C', 20, 0}, {"ID", 'N', 5, 0},   {"TITLE", 'C', 25, 0},
                             {"DUE", 'D', 8, 0},   {"CODE", 'C', 10, 0}, {nullptr, 0, 0, 0}};

// A table of a few records, made once; each input starts from a copy.
std::string baseTable() {
  static std::string image;
  if (!image.empty()) return image;
  char templ[] = "/tmp/qx-fuzz-cdx-XXXXXX";
  const char* d = ::mkdtemp(templ);
  g_dir = d ? d : "/tmp";
  if (d) std::atexit(removeWorkDir);
  Engine engine;
  engine.quietErrors = 1;
  std::string base = g_dir + "/base.dbf";
  Table* t = dbfCreate(&engine, base.c_str(), kFields, nullptr);
  for (int i = 0; t && i < 40; ++i) {
    dbfAppendStart(t, 0);
    dbfBlank(t);
    fldAssign(dbfFieldByName(t, "NAME"), i % 5 ? "SMITH" : "JONES");
    fldAssignInt(dbfFieldByName(t, "ID"), 40 - i);
    fldAssign(dbfFieldByName(t, "DUE"), "20240131");
    dbfAppend(t);
  }
  if (t) dbfClose(t);
  FILE* f = std::fopen(base.c_str(), "rb");
  if (f) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) image.append(buf, n);
    std::fclose(f);
  }
  return image;
}

void writeFile(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

void useEveryTag(Table* t) {
  for (Tag* tag = tagNext(t, nullptr); tag; tag = tagNext(t, tag)) {
    tagSelect(t, tag);
    int steps = 0;
    for (int rc = dbfTop(t); rc == 0 && !dbfEof(t) && steps < 3000; rc = dbfSkip(t, 1)) ++steps;
    steps = 0;
    for (int rc = dbfBottom(t); rc == 0 && steps < 3000; rc = dbfSkip(t, -1)) ++steps;
    t->engine->lastError = 0;
    dbfSeek(t, "SMITH");
    dbfSeek(t, "");
    dbfSeekDouble(t, 7);
    t->engine->lastError = 0;
    KeyBound low{"J", 1, 3, true}, high{"T", 1, 30, false};
    std::vector<long> records;
    tagRecordsInRange(t, tag, &low, &high, &records);
    t->engine->lastError = 0;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qx::port::set_alert_sink(silentSink, nullptr);
  std::string table = baseTable();
  std::string base = g_dir + "/t";
  writeFile(base + ".dbf", table.data(), table.size());
  writeFile(base + ".cdx", data, size);

  Engine engine;
  engine.quietErrors = 1;
  engine.lockRetries = 1;
  engine.autoOpenProductionIndex = 0;
  engine.exclusiveAccess = 1;
  Table* t = dbfOpen(&engine, (base + ".dbf").c_str());
  if (!t) return 0;
  if (idxOpen(t, (base + ".cdx").c_str())) {
    useEveryTag(t);
    engine.lastError = 0;
    dbfAppendStart(t, 0);
    dbfBlank(t);
    fldAssign(dbfFieldByName(t, "NAME"), "ADAMS");
    dbfAppend(t);
    engine.lastError = 0;
    if (dbfGo(t, 3) == 0) {
      fldAssign(dbfFieldByName(t, "NAME"), "ZZ");
      dbfWrite(t, 3);
    }
    engine.lastError = 0;
    useEveryTag(t);
  }
  engine.lastError = 0;
  dbfClose(t);
  return 0;
}
