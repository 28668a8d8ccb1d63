// Compound indexes this engine writes: built from a table's records, kept
// up to date through appends, key-changing writes, deletions and a pack.
// Every tag must hold exactly the entries its definition gives for the
// records (computed here from the records, independently of the index
// code), equal a tag rebuilt from scratch, and read the same through an
// independent reader (a Perl module, through the script beside this file).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <sys/wait.h>

#include "dbf/cdx.h"
#include "dbf/cdx_internal.h"
#include "dbf/error.h"
#include "dbf_support.h"

using namespace qx::dbf;
using qxtest::TempDir;

namespace {

const std::string kReaderScript = std::string(QX_TEST_DATA_DIR) + "/../dbf/cdx_reader_dump.pl";

const FieldInfo kFields[] = {{"NAME", 'C', 20, 0}, {"CODE", 'C', 10, 0}, {"QTY", 'N', 12, 2},
                             {"DUE", 'D', 8, 0},   {"OK", 'L', 1, 0},    {nullptr, 0, 0, 0}};

// Five kinds of tag: character, numeric, date, filtered, unique; and a
// descending one.
const TagInfo kTags[] = {{"NAME", "NAME", nullptr, 0, 0},       {"QTY", "QTY", nullptr, 0, 0},
                         {"DUE", "DUE", nullptr, 0, 0},         {"BIG", "NAME", "QTY > 5", 0, 0},
                         {"UCODE", "CODE", nullptr, 25, 0},     {"NDESC", "NAME", nullptr, 0, 1},
                         {nullptr, nullptr, nullptr, 0, 0}};

using Entries = std::vector<std::pair<std::string, long>>;

std::string field(Table* t, const char* name) { return fldString(dbfFieldByName(t, name)); }

std::string numberKey(double v) {
  unsigned char k[8];
  cdx::numeric_key(v, k);
  return std::string(reinterpret_cast<char*>(k), 8);
}

// The entries a tag must hold, from the records as the table reads them.
Entries expectedEntries(Table* t, const std::string& tag) {
  Entries e;
  std::map<std::string, long> firstOfCode;
  long count = dbfRecordCount(t);
  for (long n = 1; n <= count; ++n) {
    EXPECT_EQ(dbfGo(t, n), 0);
    std::string name = field(t, "NAME"), code = field(t, "CODE");
    double qty = std::strtod(field(t, "QTY").c_str(), nullptr);
    std::string key;
    if (tag == "NAME" || tag == "NDESC") key = name;
    else if (tag == "QTY") key = numberKey(qty);
    else if (tag == "DUE") key = numberKey(static_cast<double>(date_to_day(field(t, "DUE").c_str())));
    else if (tag == "BIG") {
      if (!(qty > 5)) continue;
      key = name;
    } else if (tag == "UCODE") {
      if (!firstOfCode.emplace(code, n).second) continue;
      key = code;
    }
    e.emplace_back(key, n);
  }
  std::sort(e.begin(), e.end());
  return e;
}

// The entries of a tag as its tree holds them, in stored order.
Entries storedEntries(Tag* tag) {
  Entries e;
  cdx::Position at;
  EXPECT_EQ(cdx::leftmost(*tag, &at), 0);
  while (at.valid) {
    e.emplace_back(std::string(reinterpret_cast<const char*>(cdx::key_at(*tag, at)), tag->key_length),
                   static_cast<long>(cdx::record_at(*tag, at)));
    EXPECT_EQ(cdx::next_entry(*tag, &at), 0);
  }
  return e;
}

// The independent reader's view: (record, key text) lines; 77 when it is
// not installed.
int readerEntries(const std::string& cdx, const std::string& tag, char type,
                  std::vector<std::pair<long, std::string>>* out) {
  std::string cmd = "perl '" + kReaderScript + "' '" + cdx + "' " + tag + " " + type + " 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return -1;
  char line[512];
  while (std::fgets(line, sizeof line, p)) {
    std::string s(line);
    if (!s.empty() && s.back() == '\n') s.pop_back();
    size_t tab = s.find('\t');
    if (tab == std::string::npos) {
      out->emplace_back(-1, s);
      continue;
    }
    out->emplace_back(std::stol(s.substr(0, tab)), s.substr(tab + 1));
  }
  int status = ::pclose(p);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string trimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

class CdxWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    installCompoundIndex();
    engInit(&engine);
    engine.quietErrors = 1;
    engine.exclusiveAccess = 1;
  }
  void TearDown() override {
    engShutdown(&engine);
    cdx::set_page_cache_budget(kDefaultCacheBudget);
  }
  static inline const size_t kDefaultCacheBudget = cdx::page_cache_budget();

  Table* makeTable(int records, std::mt19937& rng) {
    Table* t = dbfCreate(&engine, dir.file("items.dbf").c_str(), kFields, nullptr);
    EXPECT_NE(t, nullptr);
    for (int i = 0; i < records; ++i) EXPECT_EQ(appendRandom(t, rng), 0);
    return t;
  }

  static std::string randomName(std::mt19937& rng) {
    static const char* first[] = {"", "AB", "SMITH", "SMITHSON", "JONES", "Miller", "zed", "MC DONALD"};
    std::string s = first[rng() % 8];
    if (rng() % 3) s += ", " + std::string(1, static_cast<char>('A' + rng() % 26)) + std::to_string(rng() % 50);
    return s;
  }

  static void fillRandom(Table* t, std::mt19937& rng) {
    fldAssign(dbfFieldByName(t, "NAME"), randomName(rng).c_str());
    fldAssign(dbfFieldByName(t, "CODE"), ("C" + std::to_string(rng() % 400)).c_str());
    double qty = (static_cast<int>(rng() % 4000) - 1000) / 100.0;
    if (rng() % 10 == 0) qty = 5;
    fldAssignDouble(dbfFieldByName(t, "QTY"), qty);
    char due[9];
    std::snprintf(due, sizeof due, "%04d%02d%02d", 1990 + static_cast<int>(rng() % 40),
                  1 + static_cast<int>(rng() % 12), 1 + static_cast<int>(rng() % 28));
    fldAssign(dbfFieldByName(t, "DUE"), rng() % 15 == 0 ? "        " : due);
  }

  static int appendRandom(Table* t, std::mt19937& rng) {
    int rc = dbfAppendStart(t, 0);
    if (rc) return rc;
    dbfBlank(t);
    fillRandom(t, rng);
    return dbfAppend(t);
  }

  // Every tag holds what its definition gives, and the independent reader
  // reads the same entries in the same order.
  void expectTagsRight(Table* t, const std::string& cdxFile) {
    for (const TagInfo* info = kTags; info->name; ++info) {
      Tag* tag = tagFind(t, info->name);
      ASSERT_NE(tag, nullptr) << info->name;
      Entries stored = storedEntries(tag);
      EXPECT_EQ(stored, expectedEntries(t, info->name)) << info->name;
      char type = tagKeyType(tag) == 'C' ? 'C' : 'N';  // dates read as their day numbers
      std::vector<std::pair<long, std::string>> seen;
      int status = readerEntries(cdxFile, info->name, type, &seen);
      if (status == 77) GTEST_SKIP() << "the Perl index reader is not installed";
      ASSERT_EQ(status, 0) << (seen.empty() ? "" : seen.front().second);
      ASSERT_EQ(seen.size(), stored.size()) << info->name;
      for (size_t i = 0; i < seen.size(); ++i) {
        ASSERT_EQ(seen[i].first, stored[i].second) << info->name << " entry " << i;
        if (type == 'C') {
          EXPECT_EQ(seen[i].second, trimRight(stored[i].first)) << info->name << " entry " << i;
        } else {
          double v = cdx::numeric_from_key(reinterpret_cast<const unsigned char*>(stored[i].first.data()));
          EXPECT_NEAR(std::strtod(seen[i].second.c_str(), nullptr), v, 1e-6) << info->name << " " << i;
        }
      }
    }
  }

  Engine engine;
  TempDir dir;
};

TEST_F(CdxWrite, ABuiltIndexHoldsEveryTagsEntriesAndTheIndependentReaderAgrees) {
  std::mt19937 rng(7);
  Table* t = makeTable(3000, rng);
  ASSERT_NE(t, nullptr);
  Index* ix = idxCreate(t, nullptr, kTags);
  ASSERT_NE(ix, nullptr) << engine.lastError;
  EXPECT_EQ(dbfHeader(t).flags & 1, 1);
  expectTagsRight(t, dir.file("items.cdx"));
  // Ordered navigation goes the tag's way; the descending tag the other.
  tagSelect(t, tagFind(t, "ndesc"));
  ASSERT_EQ(dbfTop(t), 0);
  std::string prev = field(t, "NAME");
  for (int i = 0; i < 200 && dbfSkip(t, 1) == 0 && !dbfEof(t); ++i) {
    EXPECT_GE(prev, field(t, "NAME"));
    prev = field(t, "NAME");
  }
  EXPECT_EQ(dbfClose(t), 0);
}

TEST_F(CdxWrite, TenThousandChangesAndAPackLeaveEveryTagAsARebuildWouldMakeIt) {
  std::mt19937 rng(11);
  Table* t = makeTable(500, rng);
  ASSERT_NE(t, nullptr);
  ASSERT_NE(idxCreate(t, nullptr, kTags), nullptr);
  // A page cache of a dozen pages: the changes run with pages evicted and
  // read again all the time, and the cache keeps to its budget.
  constexpr size_t kBudget = 16 << 10;
  cdx::set_page_cache_budget(kBudget);
  for (int op = 0; op < 10000; ++op) {
    long count = dbfRecordCount(t);
    unsigned kind = rng() % 20;
    if (kind < 8) {
      ASSERT_EQ(appendRandom(t, rng), 0) << op;
      continue;
    }
    long n = 1 + static_cast<long>(rng() % count);
    ASSERT_EQ(dbfGo(t, n), 0);
    if (kind < 17) {
      fillRandom(t, rng);
    } else if (kind < 19) {
      dbfDelete(t);
    } else {
      dbfRecall(t);
    }
    ASSERT_EQ(dbfWrite(t, n), 0) << op;
  }
  expectTagsRight(t, dir.file("items.cdx"));
  for (const TagInfo* info = kTags; info->name; ++info)
    EXPECT_LE(tagFind(t, info->name)->cache.bytes(), kBudget) << info->name;
  ASSERT_EQ(dbfPack(t), 0);
  expectTagsRight(t, dir.file("items.cdx"));
  // A second index built from scratch holds the very same entries.
  Index* fresh = idxCreate(t, dir.file("fresh").c_str(), kTags);
  ASSERT_NE(fresh, nullptr);
  for (const TagInfo* info = kTags; info->name; ++info) {
    Tag* kept = tagFind(t, info->name);
    Tag* rebuilt = nullptr;
    for (Tag* tag = tagNext(t, nullptr); tag; tag = tagNext(t, tag))
      if (tag->index == fresh && tag->name == info->name) rebuilt = tag;
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(storedEntries(kept), storedEntries(rebuilt)) << info->name;
  }
  EXPECT_EQ(dbfClose(t), 0);
}

TEST_F(CdxWrite, UniqueSettingsMeetDuplicatesAsDocumented) {
  std::mt19937 rng(3);
  Table* t = dbfCreate(&engine, dir.file("dups.dbf").c_str(), kFields, nullptr);
  ASSERT_NE(t, nullptr);
  for (const char* code : {"B", "A", "B"}) {
    ASSERT_EQ(dbfAppendStart(t, 0), 0);
    dbfBlank(t);
    fldAssign(dbfFieldByName(t, "CODE"), code);
    ASSERT_EQ(dbfAppend(t), 0);
  }
  // Any other setting keeps the first record of each key.
  const TagInfo keep[] = {{"U", "CODE", nullptr, 25, 0}, {nullptr, nullptr, nullptr, 0, 0}};
  Index* ix = idxCreate(t, dir.file("keep").c_str(), keep);
  ASSERT_NE(ix, nullptr);
  Entries e = storedEntries(tagFind(t, "U"));
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[1].second, 1);
  // 20 stops the build with 20 and leaves no file.
  const TagInfo stop[] = {{"U2", "CODE", nullptr, 20, 0}, {nullptr, nullptr, nullptr, 0, 0}};
  EXPECT_EQ(idxCreate(t, dir.file("stop").c_str(), stop), nullptr);
  EXPECT_EQ(engine.lastError, kUnique);
  EXPECT_FALSE(std::filesystem::exists(dir.file("stop.cdx")));
  engine.lastError = 0;
  // -340 is an error.
  const TagInfo fail[] = {{"U3", "CODE", nullptr, -340, 0}, {nullptr, nullptr, nullptr, 0, 0}};
  EXPECT_EQ(idxCreate(t, dir.file("fail").c_str(), fail), nullptr);
  EXPECT_EQ(engine.lastError, kErrUnique);
  engine.lastError = 0;
  // An append meeting a kept key leaves the tag as it was; with 20 the
  // record is refused.
  ASSERT_EQ(dbfAppendStart(t, 0), 0);
  dbfBlank(t);
  fldAssign(dbfFieldByName(t, "CODE"), "A");
  ASSERT_EQ(dbfAppend(t), 0);
  EXPECT_EQ(storedEntries(tagFind(t, "U")).size(), 2u);
  dbfClose(t);

  Table* u = dbfCreate(&engine, dir.file("once.dbf").c_str(), kFields, stop);
  ASSERT_NE(u, nullptr);
  for (const char* code : {"A", "B", "A"}) {
    ASSERT_EQ(dbfAppendStart(u, 0), 0);
    dbfBlank(u);
    fldAssign(dbfFieldByName(u, "CODE"), code);
    fillRandom(u, rng);
    fldAssign(dbfFieldByName(u, "CODE"), code);
    int rc = dbfAppend(u);
    EXPECT_EQ(rc, code == std::string("A") && dbfRecordCount(u) == 2 ? kUnique : 0) << code;
  }
  EXPECT_EQ(dbfRecordCount(u), 2);
  EXPECT_EQ(storedEntries(tagFind(u, "U2")).size(), 2u);
  dbfClose(u);
}

TEST_F(CdxWrite, CreationRefusesBadDefinitionsAndWritesNothing) {
  std::mt19937 rng(5);
  Table* t = makeTable(10, rng);
  ASSERT_NE(t, nullptr);
  std::string longKey(255, 'X');
  const TagInfo tooLong[] = {{"T", longKey.c_str(), nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
  EXPECT_EQ(idxCreate(t, dir.file("a").c_str(), tooLong), nullptr);
  EXPECT_EQ(engine.lastError, kErrIndex);
  engine.lastError = 0;
  const TagInfo notLogical[] = {{"T", "NAME", "QTY + 1", 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
  EXPECT_EQ(idxCreate(t, dir.file("b").c_str(), notLogical), nullptr);
  EXPECT_EQ(engine.lastError, kErrIndex);
  engine.lastError = 0;
  const TagInfo unknown[] = {{"T", "NOSUCH(NAME)", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
  EXPECT_EQ(idxCreate(t, dir.file("c").c_str(), unknown), nullptr);
  EXPECT_LT(engine.lastError, 0);
  engine.lastError = 0;
  for (const char* f : {"a.cdx", "b.cdx", "c.cdx"}) EXPECT_FALSE(std::filesystem::exists(dir.file(f))) << f;
  dbfClose(t);
}

TEST_F(CdxWrite, TheBuilderSpillsToTemporaryFilesWhenItsMemoryIsSmall) {
  std::mt19937 rng(9);
  Table* t = makeTable(4000, rng);
  ASSERT_NE(t, nullptr);
  // Two tags, as few as cover both ways the sorter holds items (a name's
  // 24 bytes as they are, a number's 12 as two numbers): every temporary file
  // costs a wait for a fresh name.
  const TagInfo big[] = {kTags[3], kTags[1], {nullptr, nullptr, nullptr, 0, 0}};
  setIndexSortMemory(16 << 10);
  Index* ix = idxCreate(t, nullptr, big);
  setIndexSortMemory(64 << 20);
  ASSERT_NE(ix, nullptr);
  EXPECT_EQ(storedEntries(tagFind(t, "BIG")), expectedEntries(t, "BIG"));
  EXPECT_EQ(storedEntries(tagFind(t, "QTY")), expectedEntries(t, "QTY"));
  dbfClose(t);
}

}  // namespace
