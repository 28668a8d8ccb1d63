// Demo section: the table API as a C program uses it.  A pipe register is
// made, filled through table field lists, indexed with three key
// expressions, sought, walked and queried into a cursor, all by the small
// table and tag ids the API hands out.
#include <cstdio>
#include <string>

#include "demo.h"
#include "qx/db.h"
#include "qx/dbfldlist.h"
#include "text.h"

namespace qxtool {

namespace {

constexpr int kPipes = 2000;

std::string field(int table, const char16_t* name) { return utf8(qx_Db_getFldStr(table, name)); }

void show(int table, const char* how) {
  std::printf("  %-9s %-12s DN %4s  length %8s  laid %s\n", how, field(table, u"TAG").c_str(),
              field(table, u"DN").c_str(), field(table, u"LENGTH").c_str(),
              field(table, u"LAID").c_str());
}

int create_register(const std::string& path) {
  qx_DbFldList* fields = qx_DbFldList_create(nullptr, nullptr);
  qx_DbFldList_insEnd(fields, u"TAG", nullptr, 12, 0, u'C');
  qx_DbFldList_insEnd(fields, u"DN", nullptr, 5, 0, u'N');
  qx_DbFldList_insEnd(fields, u"LENGTH", nullptr, 8, 2, u'N');
  qx_DbFldList_insEnd(fields, u"LAID", nullptr, 8, 0, u'D');
  int table = qx_Db_createDb(wide(path).c_str(), fields);
  qx_DbFldList_destroy(fields);
  return table;
}

// Each pipe crosses as a table field list of texts, as a C program hands it.
bool fill(int table) {
  const int sizes[] = {50, 80, 100, 150, 200, 300, 400, 600};
  qx_DbFldList* pipe = qx_DbFldList_create(u"TAG", nullptr, u"DN", nullptr, u"LENGTH", nullptr,
                                           u"LAID", nullptr, nullptr);
  bool ok = pipe != nullptr;
  for (int i = 0; ok && i < kPipes; ++i) {
    char text[4][24];
    std::snprintf(text[0], sizeof text[0], "L-%03d-%04d", (i * 37) % 120, i);
    std::snprintf(text[1], sizeof text[1], "%d", sizes[(i * 7) % 8]);
    std::snprintf(text[2], sizeof text[2], "%d.%02d", 2 + (i * 13) % 12, (i * 29) % 100);
    std::snprintf(text[3], sizeof text[3], "2025%02d%02d", 1 + (i * 5) % 12, 1 + (i * 11) % 28);
    for (int f = 0; f < 4; ++f) qx_DbFldList_modNthVal(pipe, f, wide(text[f]).c_str());
    ok = qx_Db_appRec(table) == 0 && qx_Db_modRec(table, pipe) == 0;
  }
  qx_DbFldList_destroy(pipe);
  return ok;
}

int run_table_api_demo(const std::string& work_dir) {
  qx_Db_init();
  int table = create_register(work_dir + "/pipes.dbf");
  if (table < 0 || !fill(table)) {
    std::printf("  cannot build the pipe register\n");
    return 1;
  }
  // Tag 0 orders by tag number, tag 1 by size, tag 2 by the day laid.
  int index = qx_Db_createNdx(table, wide(work_dir + "/pipes").c_str(), u"TAG,DN,DTOS(LAID)+TAG", 0);
  std::printf("pipes.dbf: table id %d, %ld pipes; index id %d with tags on TAG, DN, DTOS(LAID)+TAG\n",
              table, qx_Db_getRecordCount(table), index);
  bool ok = index >= 0 && qx_Db_getRecordCount(table) == kPipes;

  int found = qx_Db_seekStr(u"L-042-", table, index + 0);
  std::printf("  seek 'L-042-' on tag %d: %s\n", index, found == 0 ? "found" : "not found");
  if (found == 0) show(table, "first");
  ok = ok && found == 0;

  std::printf("  the three largest pipes, walking tag %d from its end:\n", index + 1);
  qx_Db_botRec(table, index + 1);
  for (int i = 0; i < 3 && !qx_Db_bof(table); ++i, qx_Db_prevRec(table, index + 1)) show(table, "largest");
  std::printf("  the first pipes laid (tag %d):\n", index + 2);
  qx_Db_topRec(table, index + 2);
  for (int i = 0; i < 2 && !qx_Db_eof(table); ++i, qx_Db_nextRec(table, index + 2)) show(table, "earliest");

  qx_Db_topRec(table, index + 0);
  qx_DbCursor* big = qx_Db_query(table, u"DN >= 400 .AND. LENGTH > 12", u"big", nullptr);
  int count = big ? qx_DbCursor_length(big) : -1;
  std::printf("  query DN >= 400 .AND. LENGTH > 12 into a cursor: %d pipes; the first as a field list:\n",
              count);
  if (count > 0) {
    std::fflush(stdout);
    qx_DbFldList_printList(qx_DbCursor_getNthFldList(big, 0));
    std::fflush(stdout);
  }
  ok = ok && count > 0;
  if (big) qx_DbCursor_destroy(big);
  return qx_Db_closeAll() == 0 && ok ? 0 : 1;
}

const DemoSection kTableApiDemo("64-table-api", "The table API: ids, field lists, tags and cursors",
                                run_table_api_demo);

}  // namespace

}  // namespace qxtool
