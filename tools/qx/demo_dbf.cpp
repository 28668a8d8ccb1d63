// Demo section: a small table made, filled, thinned out and packed by the
// library's table engine, listed after each step.
#include <cstdio>
#include <string>

#include "demo.h"
#include "dbf/table.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

// fldString hands out one shared buffer: each value is copied at once.
std::string value(Table* t, const char* field) { return fldString(dbfFieldByName(t, field)); }

void list(Table* t) {
  for (int rc = dbfTop(t); rc == 0; rc = dbfSkip(t, 1)) {
    std::printf("  %3ld %c %s %s %s\n", dbfRecordNumber(t), dbfDeleted(t) ? '*' : ' ',
                value(t, "PART").c_str(), value(t, "QTY").c_str(), value(t, "DUE").c_str());
  }
  std::printf("  (%ld records in the file)\n", dbfRecordCount(t));
}

int run_table_demo(const std::string& work_dir) {
  Engine engine;
  engine.quietErrors = 1;
  const FieldInfo fields[] = {{"PART", 'C', 12, 0}, {"QTY", 'N', 8, 2}, {"DUE", 'D', 8, 0},
                              {nullptr, 0, 0, 0}};
  std::string name = work_dir + "/parts.dbf";
  Table* t = dbfCreate(&engine, name.c_str(), fields, nullptr);
  if (!t) {
    std::printf("  cannot create %s (error %d)\n", name.c_str(), engine.lastError);
    return 1;
  }
  const char* parts[] = {"flange", "gasket", "bolt M8", "nut M8", "washer"};
  for (int i = 0; i < 5; ++i) {
    if (dbfAppendBlank(t) != 0) return 1;
    fldAssign(dbfFieldByName(t, "PART"), parts[i]);
    fldAssignDouble(dbfFieldByName(t, "QTY"), 12.5 * (i + 1));
    fldAssignDouble(dbfFieldByName(t, "DUE"), date_to_day("20240301") + 7 * i);
  }
  std::printf("appended five records to %s:\n", "parts.dbf");
  list(t);
  dbfGo(t, 2);
  dbfDelete(t);
  dbfGo(t, 4);
  dbfDelete(t);
  std::printf("records 2 and 4 marked deleted:\n");
  list(t);
  if (dbfPack(t) != 0) return 1;
  std::printf("after pack:\n");
  list(t);
  bool ok = dbfRecordCount(t) == 3;
  return dbfClose(t) == 0 && ok ? 0 : 1;
}

const DemoSection kTableDemo("60-table", "Tables: create, append, delete, pack", run_table_demo);

}  // namespace

}  // namespace qxtool
