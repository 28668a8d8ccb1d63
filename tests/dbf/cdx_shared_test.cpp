// A table with a production index shared by two processes: both append at
// once, each keeping the index's pages cached between its own changes, and
// every record must end up once in every tag, in key order.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "dbf/cdx.h"
#include "dbf/cdx_internal.h"
#include "dbf_support.h"

using namespace qx::dbf;
using qxtest::TempDir;

namespace {

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
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = ::fork();
    if (children[c] == 0) {
      Engine e;
      e.quietErrors = 1;
      Table* t = dbfOpen(&e, path.c_str());
      int failures = t && idxProduction(t) ? 0 : 1;
      for (int i = 0; !failures && i < kPerProcess; ++i) {
        // Names interleave the two processes' keys all over the tree.
        std::string name = "N" + std::to_string((i * 7919 + c * 13) % 100000) + "-" + std::to_string(c);
        if (qxtest::appendSample(t, name.c_str(), i % 200) != 0) ++failures;
        // A seek now and then uses the cached pages between changes.
        if (i % 50 == 0) {
          tagSelect(t, tagFind(t, "NAME"));
          if (dbfSeek(t, name.c_str()) != 0) ++failures;
          tagSelect(t, nullptr);
        }
      }
      if (t) dbfClose(t);
      ::_exit(failures ? 1 : 0);
    }
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
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
