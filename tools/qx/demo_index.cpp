// Demo section: a parts catalogue of 20,000 records with a production index
// of four tags, sought, walked in key order and queried.
#include <cstdio>
#include <string>

#include "dbf/cdx.h"
#include "dbf/relation.h"
#include "dbf/table.h"
#include "demo.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

constexpr int kParts = 20000;

std::string value(Table* t, const char* field) {
  std::string s = fldString(dbfFieldByName(t, field));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

void show(Table* t) {
  std::printf("    %6ld  %-10s %-24s %10s  %s\n", dbfRecordNumber(t), value(t, "CODE").c_str(),
              value(t, "NAME").c_str(), value(t, "QTY").c_str(), value(t, "DUE").c_str());
}

// A deterministic catalogue: codes like "FL-0042-B", names from a few
// families and sizes, quantities and due dates spread over a year.
bool fill(Table* t) {
  const char* families[] = {"flange", "gasket", "bolt", "nut", "washer", "elbow", "tee", "valve"};
  const char* prefixes[] = {"FL", "GA", "BO", "NU", "WA", "EL", "TE", "VA"};
  const char* sizes[] = {"DN25", "DN50", "DN80", "DN100", "DN150", "M8", "M12", "M16"};
  unsigned seed = 12345;
  long first_day = date_to_day("20250101");
  for (int i = 0; i < kParts; ++i) {
    seed = seed * 1103515245u + 12345u;
    unsigned r = seed >> 8;
    int family = static_cast<int>(r % 8), size = static_cast<int>((r / 8) % 8);
    char code[16], name[40];
    std::snprintf(code, sizeof code, "%s-%04u-%c", prefixes[family], (r / 64) % 10000,
                  'A' + static_cast<char>(i % 3));
    std::snprintf(name, sizeof name, "%s %s", families[family], sizes[size]);
    if (dbfAppendBlank(t) != 0) return false;
    fldAssign(dbfFieldByName(t, "CODE"), code);
    fldAssign(dbfFieldByName(t, "NAME"), name);
    fldAssignDouble(dbfFieldByName(t, "QTY"), static_cast<double>((r / 7) % 5000) / 4.0);
    fldAssignDouble(dbfFieldByName(t, "DUE"), static_cast<double>(first_day + (r % 365)));
  }
  return dbfTop(t) >= 0;
}

int seek(Table* t, const char* tag, const char* key) {
  tagSelect(t, tagFind(t, tag));
  int rc = dbfSeek(t, key);
  const char* said = rc == 0 ? "found" : rc == 2 ? "next greater key" : rc == 3 ? "end of file" : "?";
  std::printf("  seek %-7s '%s': %s\n", tag, key, said);
  if (rc == 0 || rc == 2) show(t);
  return rc;
}

int query(Table* t, const char* expression) {
  Relation* r = relInit(t);
  if (!r || relSetQuery(r, expression) != 0) return -1;
  std::printf("  query %s (the first three, in CODE order):\n", expression);
  long count = 0;
  int rc;
  for (rc = relTop(r); rc == 0; rc = relSkip(r, 1)) {
    if (count < 3) show(t);
    ++count;
  }
  std::printf("    %ld records match%s\n", count,
              rel_used_tags(r) ? ", their numbers taken from tag CODE" : "; every record was evaluated");
  relFree(r, 0);
  return rc == kEof ? 0 : -1;
}

int run_index_demo(const std::string& work_dir) {
  installCompoundIndex();
  Engine engine;
  engine.quietErrors = 1;
  const FieldInfo fields[] = {{"CODE", 'C', 10, 0}, {"NAME", 'C', 24, 0}, {"QTY", 'N', 10, 2},
                              {"DUE", 'D', 8, 0}, {nullptr, 0, 0, 0}};
  const TagInfo tags[] = {{"CODE", "CODE", nullptr, 0, 0},
                          {"NAME", "UPPER(NAME)", nullptr, 0, 0},
                          {"DUE", "DUE", nullptr, 0, 0},
                          {"BIGQTY", "QTY", "QTY >= 1000", 0, 1},
                          {nullptr, nullptr, nullptr, 0, 0}};
  Table* t = dbfCreate(&engine, (work_dir + "/catalogue").c_str(), fields, tags);
  if (!t) {
    std::printf("  cannot create the catalogue (error %d)\n", engine.lastError);
    return 1;
  }
  if (!fill(t)) return 1;
  std::printf("catalogue.dbf: %ld parts; production index catalogue.cdx with tags", dbfRecordCount(t));
  for (Tag* tag = tagNext(t, nullptr); tag; tag = tagNext(t, tag))
    std::printf(" %s(%s%s%s)", tagName(tag), tagExpressionSource(tag),
                tagFilterSource(tag) ? " FOR " : "", tagFilterSource(tag) ? tagFilterSource(tag) : "");
  std::printf("\n");

  bool ok = seek(t, "CODE", "VA-0100") >= 0 && seek(t, "NAME", "VALVE DN80") >= 0 &&
            seek(t, "CODE", "ZZ") == kEof;
  tagSelect(t, tagFind(t, "BIGQTY"));
  std::printf("  the three largest quantities (tag BIGQTY, descending, QTY >= 1000 only):\n");
  int rc = dbfTop(t);
  for (int i = 0; i < 3 && rc == 0; ++i, rc = dbfSkip(t, 1)) show(t);

  tagSelect(t, tagFind(t, "CODE"));
  ok = ok && query(t, "CODE >= 'NU' .AND. CODE < 'NV'") == 0;
  ok = ok && query(t, "QTY > 1200 .AND. 'M12' $ NAME") == 0;
  tagSelect(t, nullptr);
  return dbfClose(t) == 0 && ok ? 0 : 1;
}

const DemoSection kIndexDemo("62-index", "Indexes: tags, seeks, ordered walks and queries",
                             run_index_demo);

}  // namespace

}  // namespace qxtool
