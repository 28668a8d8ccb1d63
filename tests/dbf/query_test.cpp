// The query walk: on random tables, the records a query visits are exactly
// those a plain C++ test of the generated values picks, in the selected
// order; with tags, the records taken from key ranges are exactly those that
// evaluating the query record by record finds.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "dbf/cdx.h"
#include "dbf/error.h"
#include "dbf/expr.h"
#include "dbf/relation.h"
#include "dbf_support.h"

using namespace qx::dbf;
using qxtest::TempDir;

namespace {

const FieldInfo kFields[] = {{"CODE", 'C', 6, 0}, {"QTY", 'N', 7, 1}, {"DUE", 'D', 8, 0},
                             {"OK", 'L', 1, 0},   {nullptr, 0, 0, 0}};

// One generated record, as the test knows it.
struct Row {
  std::string code;  // 0 to 6 letters of A-E
  double qty;
  long due;  // day number, 0 for a blank date
  bool ok;
  bool deleted;
};

class QueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    installCompoundIndex();
    engine.quietErrors = 1;
    table = dbfCreate(&engine, dir.file("random").c_str(), kFields, nullptr);
    ASSERT_NE(table, nullptr);
  }
  void TearDown() override {
    if (table) dbfClose(table);
  }

  void fill(int count, unsigned seed) {
    std::mt19937 rng(seed);
    long base = date_to_day("20200101");
    for (int i = 0; i < count; ++i) {
      Row r;
      int letters = static_cast<int>(rng() % 7);
      for (int k = 0; k < letters; ++k) r.code += static_cast<char>('A' + rng() % 5);
      r.qty = static_cast<double>(static_cast<int>(rng() % 2001) - 1000) / 10.0;
      r.due = rng() % 8 == 0 ? 0 : base + static_cast<long>(rng() % 60);
      r.ok = rng() % 2 == 0;
      r.deleted = rng() % 10 == 0;
      ASSERT_EQ(dbfAppendStart(table, 0), 0);
      dbfBlank(table);
      fldAssign(dbfFieldByName(table, "CODE"), r.code.c_str());
      fldAssignDouble(dbfFieldByName(table, "QTY"), r.qty);
      if (r.due) fldAssignDouble(dbfFieldByName(table, "DUE"), static_cast<double>(r.due));
      fldAssignChar(dbfFieldByName(table, "OK"), r.ok ? 'T' : 'F');
      if (r.deleted) dbfDelete(table);
      ASSERT_EQ(dbfAppend(table), 0);
      rows.push_back(r);
    }
  }

  // The records the query walk visits, in order.
  std::vector<long> walk(const char* query, bool* used_tags = nullptr) {
    Relation* r = relInit(table);
    EXPECT_NE(r, nullptr);
    relSetQuery(r, query);
    std::vector<long> seen;
    int rc = relTop(r);
    for (; rc == 0; rc = relSkip(r, 1)) seen.push_back(dbfRecordNumber(table));
    EXPECT_EQ(rc, 3) << query;
    EXPECT_EQ(dbfEof(table), 1);
    if (used_tags) *used_tags = rel_used_tags(r);
    relFree(r, 0);
    return seen;
  }

  // The records for which the query is true, one evaluation per record.
  std::vector<long> evaluated(const char* query) {
    Expr* e = exprParse(table, query);
    EXPECT_NE(e, nullptr) << query;
    std::vector<long> out;
    for (long n = 1; e && n <= dbfRecordCount(table); ++n) {
      dbfGo(table, n);
      if (exprTrue(e) == 1) out.push_back(n);
    }
    exprFree(e);
    return out;
  }

  std::vector<long> picked(const std::function<bool(const Row&)>& test) const {
    std::vector<long> out;
    for (size_t i = 0; i < rows.size(); ++i)
      if (test(rows[i])) out.push_back(static_cast<long>(i) + 1);
    return out;
  }

  TempDir dir;
  Engine engine;
  Table* table = nullptr;
  std::vector<Row> rows;
};

TEST_F(QueryTest, WalkVisitsExactlyTheRecordsTheTestPicks) {
  fill(3000, 7);
  long day = date_to_day("20200115");
  struct Query {
    const char* text;
    std::function<bool(const Row&)> test;
  };
  const Query queries[] = {
      {"CODE >= 'C' .AND. CODE < 'D'", [](const Row& r) { return !r.code.empty() && r.code[0] == 'C'; }},
      {"CODE = 'AB'", [](const Row& r) { return r.code.rfind("AB", 0) == 0; }},
      {"TRIM(CODE) = 'AB'", [](const Row& r) { return r.code.rfind("AB", 0) == 0; }},
      {"'ABC' $ CODE", [](const Row& r) { return r.code.find("ABC") != std::string::npos; }},
      {"QTY > 50 .OR. DELETED()", [](const Row& r) { return r.qty > 50 || r.deleted; }},
      {"QTY <= -99.5 .AND. OK", [](const Row& r) { return r.qty <= -99.5 && r.ok; }},
      {"DUE >= STOD('20200115') .AND. .NOT. OK",
       [day](const Row& r) { return r.due >= day && !r.ok; }},
      {"DTOS(DUE) = '        '", [](const Row& r) { return r.due == 0; }},
      {"RECNO() > 2990", [this](const Row& r) { return &r - rows.data() >= 2990; }},
      {".F.", [](const Row&) { return false; }},
      {"", [](const Row&) { return true; }},
  };
  for (const Query& q : queries) EXPECT_EQ(walk(q.text), picked(q.test)) << q.text;
}

TEST_F(QueryTest, TopSkipBackwardsAndTheEnds) {
  fill(200, 3);
  std::vector<long> want = picked([](const Row& r) { return r.qty > 0; });
  ASSERT_GE(want.size(), 3u);
  Relation* r = relInit(table);
  relSetQuery(r, "QTY > 0");
  ASSERT_EQ(relTop(r), 0);
  EXPECT_EQ(dbfRecordNumber(table), want[0]);
  // The record buffer holds the current record, not one the scan borrowed.
  EXPECT_EQ(fldDouble(dbfFieldByName(table, "QTY")), rows[static_cast<size_t>(want[0] - 1)].qty);
  EXPECT_EQ(relSkip(r, 2), 0);
  EXPECT_EQ(dbfRecordNumber(table), want[2]);
  EXPECT_EQ(relSkip(r, -1), 0);
  EXPECT_EQ(dbfRecordNumber(table), want[1]);
  EXPECT_EQ(relSkip(r, -5), 4);
  EXPECT_EQ(dbfRecordNumber(table), want[0]);
  EXPECT_EQ(relSkip(r, static_cast<long>(want.size())), 3);
  EXPECT_EQ(relSkip(r, -1), 0);
  EXPECT_EQ(dbfRecordNumber(table), want.back());
  relFree(r, 0);
}

TEST_F(QueryTest, TheSetIsSettledWhenTheWalkBegins) {
  fill(50, 11);
  std::vector<long> want = picked([](const Row& r) { return r.ok; });
  ASSERT_GE(want.size(), 2u);
  Relation* r = relInit(table);
  relSetQuery(r, "OK");
  ASSERT_EQ(relTop(r), 0);
  // Changing a later matching record, or appending one, does not move the
  // set: the walk still visits the records that matched at the start.
  dbfGo(table, want[1]);
  fldAssignChar(dbfFieldByName(table, "OK"), 'F');
  dbfAppendBlank(table);
  fldAssignChar(dbfFieldByName(table, "OK"), 'T');
  dbfGo(table, want[0]);
  std::vector<long> seen{dbfRecordNumber(table)};
  int rc;
  while ((rc = relSkip(r, 1)) == 0) seen.push_back(dbfRecordNumber(table));
  EXPECT_EQ(rc, 3);
  EXPECT_EQ(seen, want);
  // A new relTop looks again.
  want.erase(want.begin() + 1);
  want.push_back(51);
  ASSERT_EQ(relTop(r), 0);
  seen = {dbfRecordNumber(table)};
  while (relSkip(r, 1) == 0) seen.push_back(dbfRecordNumber(table));
  EXPECT_EQ(seen, want);
  relFree(r, 0);
}

// A random comparison of a key expression with a constant, or a condition
// no tag can answer; joined into .AND./.OR./.NOT. trees.
class QueryMaker {
 public:
  explicit QueryMaker(unsigned seed) : rng_(seed) {}

  std::string make(int depth) {
    int pick = static_cast<int>(rng_() % 10);
    if (depth == 0 || pick < 4) return atom();
    if (pick == 9) return ".NOT. (" + make(depth - 1) + ")";
    return "(" + make(depth - 1) + (pick < 7 ? " .AND. " : " .OR. ") + make(depth - 1) + ")";
  }

 private:
  std::string atom() {
    static const char* const kOps[] = {"=", "#", "<>", "<", "<=", ">", ">="};
    std::string op = kOps[rng_() % 7];
    switch (rng_() % 9) {
      case 0: return "CODE " + op + " '" + letters(5) + "'";
      case 1: return "UPPER(CODE) " + op + " '" + letters(3) + "'";
      case 2: return "QTY " + op + " " + number();
      case 3: return number() + " " + op + " QTY";
      case 4: return "QTY/2 " + op + " " + number();
      case 5: return "DUE " + op + " " + date();
      case 6: return date() + " " + op + " DUE";
      case 7: return "LEFT(CODE,2) " + op + " '" + letters(2) + "'";
      default: return rng_() % 2 ? "OK" : "DELETED()";
    }
  }
  std::string letters(int most) {
    std::string s;
    int n = static_cast<int>(rng_() % static_cast<unsigned>(most + 1));
    for (int i = 0; i < n; ++i) s += static_cast<char>('A' + rng_() % 5);
    return s;
  }
  std::string number() {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(static_cast<int>(rng_() % 241) - 120) / 2.0);
    return text;
  }
  std::string date() {
    if (rng_() % 10 == 0) return "STOD('')";
    char text[32];
    std::snprintf(text, sizeof text, "STOD('2020%02u%02u')", static_cast<unsigned>(1 + rng_() % 2),
                  static_cast<unsigned>(1 + rng_() % 28));
    return text;
  }
  std::mt19937 rng_;
};

class TaggedQueryTest : public QueryTest {
 protected:
  void SetUp() override {
    // The table to itself: the record-by-record reference reads ahead.
    engine.exclusiveAccess = 1;
    QueryTest::SetUp();
    fill(2000, 5);
    // QTY/2 is kept in descending order; LEFT(CODE,2) only in a filtered and
    // in a unique tag, which cannot answer.
    const TagInfo tags[] = {{"CODE", "CODE", nullptr, 0, 0},
                            {"UCODE", "UPPER(CODE)", nullptr, 0, 0},
                            {"QTY", "QTY", nullptr, 0, 0},
                            {"HALF", "QTY/2", nullptr, 0, 1},
                            {"DUE", "DUE", nullptr, 0, 0},
                            {"OKPAIR", "LEFT(CODE,2)", "OK", 0, 0},
                            {"ONEPAIR", "left(code,2)", nullptr, 25, 0},
                            {nullptr, nullptr, nullptr, 0, 0}};
    ASSERT_NE(idxCreate(table, nullptr, tags), nullptr) << engine.lastError;
  }
};

TEST_F(TaggedQueryTest, RecordsFromTagsAreExactlyThoseEvaluationFinds) {
  // Ranges with both ends on one tag, then random trees.
  std::vector<std::string> queries = {
      "CODE >= 'B' .AND. CODE < 'C'",        "CODE < 'CA' .AND. CODE > 'B'",
      "QTY < 10 .AND. QTY >= -5",            "QTY/2 >= 3 .AND. QTY/2 < 20",
      "DUE > STOD('20200110') .AND. DUE <= STOD('20200120')",
      "UPPER(CODE) <= 'AB' .AND. UPPER(CODE) >= 'AA'"};
  QueryMaker maker(99);
  for (int i = 0; i < 300; ++i) queries.push_back(maker.make(3));
  int answered = 0;
  for (const std::string& q : queries) {
    bool used = false;
    EXPECT_EQ(walk(q.c_str(), &used), evaluated(q.c_str())) << q;
    answered += used;
  }
  // Most random queries have at least one side a tag answers.
  EXPECT_GT(answered, 100);
}

TEST_F(TaggedQueryTest, OnlyPlainTagsAnswer) {
  bool used = false;
  walk("CODE >= 'C' .AND. CODE < 'D'", &used);
  EXPECT_TRUE(used);
  walk("DUE = STOD('') .OR. QTY/2 > 3", &used);
  EXPECT_TRUE(used);
  walk("LEFT(CODE,2) = 'AB'", &used);
  EXPECT_FALSE(used);
  walk("QTY > 3 .OR. OK", &used);
  EXPECT_FALSE(used);
}

TEST_F(TaggedQueryTest, WalkFollowsTheSelectedTag) {
  const char* query = "QTY > 20 .AND. CODE >= 'B'";
  std::vector<long> members = evaluated(query);
  tagSelect(table, tagFind(table, "HALF"));
  std::vector<long> in_order;
  for (int rc = dbfTop(table); rc == 0; rc = dbfSkip(table, 1))
    if (std::binary_search(members.begin(), members.end(), dbfRecordNumber(table)))
      in_order.push_back(dbfRecordNumber(table));
  ASSERT_EQ(in_order.size(), members.size());
  EXPECT_EQ(walk(query), in_order);
  // Backwards through the tag's order too.
  Relation* r = relInit(table);
  relSetQuery(r, query);
  ASSERT_EQ(relTop(r), 0);
  ASSERT_EQ(relSkip(r, 3), 0);
  EXPECT_EQ(dbfRecordNumber(table), in_order[3]);
  ASSERT_EQ(relSkip(r, -2), 0);
  EXPECT_EQ(dbfRecordNumber(table), in_order[1]);
  EXPECT_EQ(relSkip(r, -2), 4);
  EXPECT_EQ(dbfRecordNumber(table), in_order[0]);
  relFree(r, 0);
}

// The qx program's query command: output and exit status.
std::pair<int, std::string> run_qx(const std::string& args) {
  std::string cmd = std::string("'") + QX_TOOL_PATH + "' dbf query " + args + " 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return {-1, ""};
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = ::pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST_F(QueryTest, QueryCommandListsMatchesAndPointsAtErrors) {
  if (!std::filesystem::exists(QX_TOOL_PATH)) GTEST_SKIP() << "the qx program is not built";
  const char* codes[] = {"BX", "A", "BA", "C", "B"};
  for (const char* c : codes) {
    ASSERT_EQ(dbfAppendBlank(table), 0);
    fldAssign(dbfFieldByName(table, "CODE"), c);
    fldAssignDouble(dbfFieldByName(table, "QTY"), 1.5);
    fldAssign(dbfFieldByName(table, "DUE"), "20240229");
  }
  const TagInfo tags[] = {{"CODE", "CODE", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
  ASSERT_NE(idxCreate(table, nullptr, tags), nullptr);
  dbfClose(table);
  table = nullptr;
  std::string file = "'" + dir.file("random.dbf") + "'";

  auto [status, out] = run_qx(file + " \"CODE >= 'B' .AND. CODE < 'C'\"");
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(out,
            "  recno   CODE   QTY     DUE        OK\n"
            "      1   BX         1.5 2024-02-29\n"
            "      3   BA         1.5 2024-02-29\n"
            "      5   B          1.5 2024-02-29\n"
            "(3 records)\n");
  std::tie(status, out) = run_qx(file + " \"CODE >= 'B'\" --tag code");
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("      5   B   "), std::string::npos) << out;
  EXPECT_LT(out.find("      5   B   "), out.find("      3   BA"));
  EXPECT_LT(out.find("      3   BA"), out.find("      1   BX"));
  EXPECT_NE(out.find("(4 records)"), std::string::npos) << out;

  std::tie(status, out) = run_qx(file + " \"CODE = 'B' .AND. QTY + CODE > 1\"");
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out,
            "qx dbf query: error -460 (Sub-expression Type is Wrong) at character 22 of the "
            "expression:\n"
            "  CODE = 'B' .AND. QTY + CODE > 1\n"
            "                       ^\n");
  std::tie(status, out) = run_qx(file + " \"QTY\"");
  EXPECT_EQ(status, 2);
  EXPECT_NE(out.find("error -950"), std::string::npos) << out;
  std::tie(status, out) = run_qx(file + " \"CODE > 'A'\" --tag NOPE");
  EXPECT_EQ(status, 1);
}

TEST_F(QueryTest, AHeaderClaimingBillionsOfRecordsWalksThoseTheFileHolds) {
  fill(3, 1);
  dbfClose(table);
  std::string path = dir.file("random.dbf");
  std::string bytes = qxtest::read_file(path);
  bytes.replace(4, 4, "\xFF\xFF\xFF\x7F", 4);
  qxtest::write_file(path, bytes);
  engine.readOnlyAccess = 1;
  table = dbfOpen(&engine, path.c_str());
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(walk("QTY > -1000"), (std::vector<long>{1, 2, 3}));
}

TEST_F(QueryTest, BadQueriesAndAnEmptyTable) {
  Relation* r = relInit(table);
  relSetQuery(r, "CODE = 'A'");
  EXPECT_EQ(relTop(r), 3);
  EXPECT_EQ(dbfEof(table), 1);
  relSetQuery(r, "CODE = ");
  EXPECT_EQ(relTop(r), -1);
  EXPECT_EQ(engine.lastError, -410);
  engine.lastError = 0;
  relSetQuery(r, "QTY + 1");
  EXPECT_EQ(relTop(r), -1);
  EXPECT_EQ(engine.lastError, kErrResult);
  engine.lastError = 0;
  EXPECT_EQ(relFree(r, 1), 0);
  table = nullptr;
}

}  // namespace
