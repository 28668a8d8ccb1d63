// A table with a production index shared by two processes: both append at
// once, each keeping the index's pages cached between its own changes, and
// every record must end up once in every tag, in key order.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <set>

#include "core/coding.h"
#include "dbf/cdx.h"
#include "dbf/cdx_internal.h"
#include "dbf_support.h"

using namespace qx::dbf;
using qxtest::TempDir;

namespace {

uint32_t changeCounter(const std::string& cdx, uint32_t header) {
  std::string bytes = qxtest::read_file(cdx);
  return qx::coding::get32le(reinterpret_cast<const unsigned char*>(bytes.data() + header + 8));
}

// A second user's change raises the tag's counter, and a seek of the first
// user, whose pages are cached, sees the change.
TEST(CdxShared, ACachedTagSeesAnotherUsersChangeThroughItsCounter) {
  installCompoundIndex();
  TempDir dir;
  std::string path = dir.file("t.dbf");
  const TagInfo tags[] = {{"NAME", "NAME", nullptr, 0, 0}, {"QTY", "QTY", nullptr, 0, 0},
                          {nullptr, nullptr, nullptr, 0, 0}};
  Engine a, b;
  a.quietErrors = b.quietErrors = 1;
  Table* first = dbfCreate(&a, path.c_str(), qxtest::sampleFields(), tags);
  ASSERT_NE(first, nullptr);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(qxtest::appendSample(first, ("N" + std::to_string(i)).c_str(), i), 0);
  Table* second = dbfOpen(&b, path.c_str());
  ASSERT_NE(second, nullptr);
  Tag* tag = tagFind(first, "NAME");
  tagSelect(first, tag);
  EXPECT_EQ(dbfSeek(first, "X"), kEof);
  uint32_t before = changeCounter(dir.file("t.cdx"), tag->header_offset);
  ASSERT_EQ(qxtest::appendSample(second, "X", 1), 0);
  EXPECT_GT(changeCounter(dir.file("t.cdx"), tag->header_offset), before);
  EXPECT_EQ(dbfSeek(first, "X"), 0);
  EXPECT_EQ(dbfRecordNumber(first), 301);
  // And the other way round, over a page split or two.
  for (int i = 0; i < 100; ++i) ASSERT_EQ(qxtest::appendSample(first, ("M" + std::to_string(i)).c_str(), i), 0);
  tagSelect(second, tagFind(second, "NAME"));
  EXPECT_EQ(dbfSeek(second, "M99"), 0);
  EXPECT_EQ(dbfRecordNumber(second), 401);
  // A pack keeps every tag header where it was, so the other user reads on.
  ASSERT_EQ(dbfGo(first, 1), 0);
  dbfDelete(first);
  ASSERT_EQ(dbfPack(first), 0);
  EXPECT_EQ(dbfSeek(second, "M99"), 0);
  EXPECT_EQ(dbfRecordNumber(second), 400);
  EXPECT_EQ(dbfSeek(second, "N0"), 2);
  EXPECT_EQ(qxtest::fieldText(second, "NAME"), "N1");
  tagSelect(second, tagFind(second, "QTY"));
  EXPECT_EQ(dbfSeekDouble(second, 250), 0);
  EXPECT_EQ(qxtest::fieldText(second, "NAME"), "N250");
  dbfClose(second);
  dbfClose(first);
}

// Distinct names for record numbers below 100003, scattered over the tree.
std::string scatteredName(long n) {
  char name[16];
  std::snprintf(name, sizeof name, "K%06ld", n * 7919 % 100003);
  return name;
}

// A shared table of `count` scattered names with a production index on NAME.
void createScattered(const std::string& path, long count) {
  const TagInfo tags[] = {{"NAME", "NAME", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
  Engine e;
  e.quietErrors = 1;
  Table* t = dbfCreate(&e, path.c_str(), qxtest::sampleFields(), tags);
  ASSERT_NE(t, nullptr);
  for (long n = 1; n <= count; ++n) ASSERT_EQ(qxtest::appendSample(t, scatteredName(n).c_str(), 1), 0);
  dbfClose(t);
}

// One process appends while another seeks and steps.  Whether a read runs
// on the cached pages alone or under the lock, every record the table
// counted before a seek is found by its name, and a step from it lands on a
// greater name: a cache that outlived another user's change, or pages read
// half changed, would miss the new names or break the order.
TEST(CdxShared, ReadsBesideAnotherProcessesAppendsSeeEveryCountedRecord) {
  installCompoundIndex();
  TempDir dir;
  std::string path = dir.file("seek.dbf");
  constexpr long kFirst = 2000, kAppended = 3000;
  ASSERT_NO_FATAL_FAILURE(createScattered(path, kFirst));
  pid_t child = qxtest::startWorker(path, 0, [](Table* t, int) {
    int failures = 0;
    for (long n = kFirst + 1; !failures && n <= kFirst + kAppended; ++n)
      failures += qxtest::appendSample(t, scatteredName(n).c_str(), 1) != 0;
    return failures;
  });
  Engine e;
  e.quietErrors = 1;
  Table* t = dbfOpen(&e, path.c_str());
  ASSERT_NE(t, nullptr);
  Tag* tag = tagFind(t, "NAME");
  tagSelect(t, tag);
  std::mt19937 rng(5);
  // Reads the record's name and its successor's through the tag: "" when
  // both are right.  Steps go by record number, so that a neighbour whose
  // append is not finished is never read.
  auto check = [&](long n) -> std::string {
    std::string name = scatteredName(n);
    if (dbfSeek(t, name.c_str()) != 0 || dbfRecordNumber(t) != n) return "seek " + name;
    long next = 0;
    bool off = false;
    if (tag->step(*t, n, 1, &next, &off) != 0) return "step from " + name;
    if (next != 0 && scatteredName(next) <= name) return "order after " + name;
    return "";
  };
  std::string failure;
  int status = 0;
  for (bool done = false; !done && failure.empty();) {
    // The round after the other process ended sees its last change too.
    done = ::waitpid(child, &status, WNOHANG) == child;
    for (int i = 0; i < 100 && failure.empty(); ++i) {
      long count = dbfRecordCount(t);
      failure = check(1 + static_cast<long>(rng() % static_cast<unsigned long>(count)));
    }
  }
  if (!failure.empty()) ::waitpid(child, &status, 0);
  EXPECT_EQ(failure, "");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_EQ(dbfRecordCount(t), kFirst + kAppended);
  for (long n = 1; n <= kFirst + kAppended && failure.empty(); ++n) failure = check(n);
  EXPECT_EQ(failure, "");
  dbfClose(t);
}

// One process deletes records and packs while another seeks.  A pack moves
// records before it raises the tags' counters, so a seek that worked from
// its cached pages meanwhile must not land on a record that moved into the
// place its tree names: whatever a seek finds has the name sought.
TEST(CdxShared, SeeksBesideAnotherProcessesPacksLandOnTheRecordSought) {
  installCompoundIndex();
  TempDir dir;
  std::string path = dir.file("pack.dbf");
  constexpr long kRecords = 6000;
  ASSERT_NO_FATAL_FAILURE(createScattered(path, kRecords));
  pid_t child = qxtest::startWorker(path, 0, [](Table* t, int) {
    int failures = 0;
    // Each round deletes one record in sixteen, from the front, and packs.
    for (int round = 0; !failures && round < 10; ++round) {
      for (long n = 1; n <= dbfRecordCount(t); n += 16) {
        failures += dbfGo(t, n) != 0;
        dbfDelete(t);
      }
      failures += dbfPack(t) != 0;
    }
    return failures;
  });
  Engine e;
  e.quietErrors = 1;
  Table* t = dbfOpen(&e, path.c_str());
  ASSERT_NE(t, nullptr);
  tagSelect(t, tagFind(t, "NAME"));
  std::mt19937 rng(3);
  std::string failure;
  int status = 0;
  long found = 0;
  for (bool done = false; !done && failure.empty();) {
    done = ::waitpid(child, &status, WNOHANG) == child;
    for (int i = 0; i < 100 && failure.empty(); ++i) {
      std::string name = scatteredName(1 + static_cast<long>(rng() % kRecords));
      int rc = dbfSeek(t, name.c_str());
      // Not found (packed away), or locked while the pack runs, are answers.
      if (rc == 0 && qxtest::fieldText(t, "NAME") != name)
        failure = "seek " + name + " found " + qxtest::fieldText(t, "NAME");
      else if (rc != 0 && rc != 2 && rc != kEof && rc != kLocked)
        failure = "seek " + name + ": " + std::to_string(rc);
      found += rc == 0;
    }
  }
  if (!failure.empty()) ::waitpid(child, &status, 0);
  EXPECT_EQ(failure, "");
  EXPECT_GT(found, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  dbfClose(t);
}

TEST(CdxShared, TwoProcessesAppendingEndWithEveryRecordOnceInEveryTag) {
  installCompoundIndex();
  TempDir dir;
  std::string path = dir.file("shared.dbf");
  const TagInfo tags[] = {{"NAME", "NAME", nullptr, 0, 0},
                          {"QTY", "QTY", nullptr, 0, 0},
                          {"BIG", "NAME", "QTY >= 100", 0, 0},
                          {nullptr, nullptr, nullptr, 0, 0}};
  {
    Engine e;
    Table* t = dbfCreate(&e, path.c_str(), qxtest::sampleFields(), tags);
    ASSERT_NE(t, nullptr);
    dbfClose(t);
  }
  constexpr int kPerProcess = 1500;
  EXPECT_TRUE(qxtest::workInChildren(2, path, [](Table* t, int c) {
    int failures = idxProduction(t) ? 0 : 1;
    for (int i = 0; !failures && i < kPerProcess; ++i) {
      // Names interleave the two processes' keys all over the tree.
      std::string name = "N" + std::to_string((i * 7919 + c * 13) % 100000) + "-" + std::to_string(c);
      failures += qxtest::appendSample(t, name.c_str(), i % 200) != 0;
      // A seek now and then uses the cached pages between changes.
      if (i % 50 == 0) {
        tagSelect(t, tagFind(t, "NAME"));
        failures += dbfSeek(t, name.c_str()) != 0;
        tagSelect(t, nullptr);
      }
    }
    return failures;
  }));
  Engine e;
  Table* t = dbfOpen(&e, path.c_str());
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(dbfRecordCount(t), 2 * kPerProcess);
  for (const char* name : {"NAME", "QTY", "BIG"}) {
    Tag* tag = tagFind(t, name);
    ASSERT_NE(tag, nullptr);
    tagSelect(t, tag);
    std::set<long> seen;
    std::string prevKey;
    for (int rc = dbfTop(t); rc == 0 && !dbfEof(t); rc = dbfSkip(t, 1)) {
      EXPECT_TRUE(seen.insert(dbfRecordNumber(t)).second) << name << " " << dbfRecordNumber(t) << " twice";
      if (std::string(name) == "NAME") {
        std::string key = qxtest::fieldText(t, "NAME");
        EXPECT_LE(prevKey, key);
        prevKey = key;
      }
    }
    // Every record in the plain tags; in the filtered one those with QTY >= 100.
    size_t big = 0;
    for (int i = 0; i < kPerProcess; ++i) big += i % 200 >= 100 ? 2 : 0;
    size_t expected = std::string(name) == "BIG" ? big : 2u * kPerProcess;
    EXPECT_EQ(seen.size(), expected) << name;
  }
  dbfClose(t);
}

}  // namespace
