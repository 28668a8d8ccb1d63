// Opens arbitrary bytes as a table and reads everything the engine will
// give: every field of every record as text and as numbers, and the memo
// contents (the same bytes serve as the memo file when the header asks for
// one).  Tables that open and are small enough are then changed too:
// a blank record appended, one deleted, the table packed.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "dbf/table_internal.h"
#include "port/alert.h"

namespace {

using namespace qx::dbf;

std::string g_dir;

void removeWorkDir() {
  for (const char* ext : {"/t.dbf", "/t.fpt"}) ::unlink((g_dir + ext).c_str());
  ::rmdir(g_dir.c_str());
}

const std::string& workDir() {
  if (g_dir.empty()) {
    char templ[] = "/tmp/qx-fuzz-dbf-XXXXXX";
    const char* d = ::mkdtemp(templ);
    g_dir = d ? d : "/tmp";
    if (d) std::atexit(removeWorkDir);
  }
  return g_dir;
}

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

int silentSink(const qx::port::Alert&, void*) { return 1; }

void readEverything(Table* t) {
  std::string memo;
  int records = 0;
  for (int rc = dbfTop(t); rc == 0 && records < 2000; rc = dbfSkip(t, 1), ++records) {
    dbfDeleted(t);
    for (int i = 1; i <= dbfFieldCount(t); ++i) {
      Field* f = dbfFieldByNumber(t, i);
      fldString(f);
      fldDouble(f);
      fldInt(f);
      fldMemoText(f, memo);
    }
  }
  dbfBottom(t);
  dbfSkip(t, -3);
  dbfSkip(t, 5);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qx::port::set_alert_sink(silentSink, nullptr);
  std::string base = workDir() + "/t";
  writeFile(base + ".dbf", data, size);
  writeFile(base + ".fpt", data, size);

  Engine engine;
  engine.quietErrors = 1;
  engine.readOnlyAccess = 1;
  engine.lockRetries = 1;
  Table* t = dbfOpen(&engine, base.c_str());
  if (!t) return 0;
  readEverything(t);
  // Only tables whose header count fits the file are written to, so the
  // fuzzer never makes huge sparse files.
  uint64_t claimed = t->header_length + static_cast<uint64_t>(dbfRecordCount(t)) * t->record_length;
  dbfClose(t);
  if (claimed > size + 1) return 0;

  engine.lastError = 0;
  engine.readOnlyAccess = 0;
  t = dbfOpen(&engine, base.c_str());
  if (!t) return 0;
  dbfAppendBlank(t);
  fldAssign(dbfFieldByNumber(t, 1), "fuzz");
  fldAssignMemo(dbfFieldByNumber(t, 1), "memo");
  dbfGo(t, 1);
  dbfDelete(t);
  dbfPack(t);
  readEverything(t);
  dbfClose(t);
  return 0;
}
