// Compound indexes written by independent programs: every tag of every
// reference file must walk in exactly the order (and, where the dump lists
// them, with exactly the keys) that the independent readers printed, both
// ways, and seeks must land where those orders say.  Reading changes no
// byte of the files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "dbf/cdx.h"
#include "dbf/cdx_internal.h"
#include "dbf/error.h"
#include "dbf_support.h"

using namespace qx::dbf;
using qxtest::read_file;
using qxtest::TempDir;

namespace {

const std::string kRefDir = std::string(QX_TEST_DATA_DIR) + "/reference/";

struct Entry {
  long record = 0;
  std::string key;  // as printed: quoted text unquoted, or the bare word
};

struct DumpTag {
  std::string name;
  char type = 'C';
  bool descending = false;
  std::vector<Entry> order;
};

std::string unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
      out += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The tags of a raw page walk ("tag: NAME ... descending=D ...", "  order:",
// record numbers) or of a reader's dump ("tag N: NAME", "  keytype: T",
// "  order:", "    REC KEY").
std::vector<DumpTag> readTags(const std::string& path) {
  std::vector<DumpTag> tags;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  bool inOrder = false;
  while (std::getline(in, line)) {
    if (line.rfind("tag ", 0) == 0 || line.rfind("tag:", 0) == 0) {
      DumpTag t;
      size_t colon = line.find(": ");
      size_t end = line.find(' ', colon + 2);
      t.name = line.substr(colon + 2, end == std::string::npos ? std::string::npos : end - colon - 2);
      t.descending = line.find("descending=1") != std::string::npos;
      tags.push_back(t);
      inOrder = false;
    } else if (tags.empty() || line.rfind("raw_tag", 0) == 0) {
      inOrder = false;
    } else if (line.rfind("  keytype: ", 0) == 0) {
      tags.back().type = line[11];
    } else if (line.rfind("  descending: T", 0) == 0) {
      tags.back().descending = true;
    } else if (line == "  order:") {
      inOrder = true;
    } else if (inOrder && line.rfind("    ", 0) == 0) {
      Entry e;
      size_t pos = 0;
      e.record = std::stol(line, &pos);
      if (pos + 1 < line.size()) {
        std::string k = line.substr(pos + 1);
        if (k.size() >= 2 && k.front() == '"' && k.back() == '"') k = k.substr(1, k.size() - 2);
        e.key = unescape(k);
      }
      tags.back().order.push_back(e);
    } else {
      inOrder = false;
    }
  }
  return tags;
}

class CdxReference : public ::testing::Test {
 protected:
  void SetUp() override {
    installCompoundIndex();
    engInit(&engine);
    engine.quietErrors = 1;
    engine.readOnlyAccess = 1;
  }
  void TearDown() override { engShutdown(&engine); }

  // Copies a table with its memo and index files; the base name of the copy.
  std::string copyTable(const std::string& base) {
    std::filesystem::path from(kRefDir + base);
    for (const auto& entry : std::filesystem::directory_iterator(from.parent_path())) {
      std::string name = entry.path().filename().string();
      if (name.rfind(from.filename().string() + ".", 0) == 0 && name.find(".txt") == std::string::npos)
        std::filesystem::copy_file(entry.path(), dir.file(name));
    }
    return dir.file(from.filename().string());
  }

  // The records of the selected tag from top to bottom, and bottom to top.
  std::vector<long> walk(Table* t, bool backwards) {
    std::vector<long> got;
    int rc = backwards ? dbfBottom(t) : dbfTop(t);
    while (rc == 0 && !dbfEof(t)) {
      got.push_back(dbfRecordNumber(t));
      rc = dbfSkip(t, backwards ? -1 : 1);
      if (rc == kBof) break;
    }
    if (backwards) std::reverse(got.begin(), got.end());
    return got;
  }

  Engine engine;
  TempDir dir;
};

std::vector<long> recordsOf(const DumpTag& t) {
  std::vector<long> r;
  for (const Entry& e : t.order) r.push_back(e.record);
  return r;
}

}  // namespace

TEST_F(CdxReference, EveryTagOfTheWrittenTablesWalksInTheDumpsOrderBothWays) {
  for (const char* base : {"people", "notes"}) {
    std::string path = copyTable(base);
    std::string before = read_file(path + ".cdx");
    Table* t = dbfOpen(&engine, (path + ".dbf").c_str());
    ASSERT_NE(t, nullptr) << base;
    std::vector<DumpTag> tags = readTags(kRefDir + base + ".cdxwalk.txt");
    ASSERT_FALSE(tags.empty());
    int count = 0;
    for (Tag* tag = tagNext(t, nullptr); tag; tag = tagNext(t, tag)) ++count;
    EXPECT_EQ(count, static_cast<int>(tags.size()));
    for (const DumpTag& d : tags) {
      Tag* tag = tagFind(t, d.name.c_str());
      ASSERT_NE(tag, nullptr) << d.name;
      EXPECT_EQ(tagDescending(tag), d.descending) << d.name;
      tagSelect(t, tag);
      EXPECT_EQ(walk(t, false), recordsOf(d)) << base << " " << d.name;
      EXPECT_EQ(walk(t, true), recordsOf(d)) << base << " " << d.name << " backwards";
    }
    EXPECT_EQ(dbfClose(t), 0);
    EXPECT_EQ(read_file(path + ".cdx"), before);
  }
}

TEST_F(CdxReference, KeysReadAsTheReaderPrintedThem) {
  std::string path = copyTable("people");
  Table* t = dbfOpen(&engine, (path + ".dbf").c_str());
  ASSERT_NE(t, nullptr);
  for (const DumpTag& d : readTags(kRefDir + "people.oracle-full.txt")) {
    Tag* tag = tagFind(t, d.name.c_str());
    ASSERT_NE(tag, nullptr) << d.name;
    EXPECT_EQ(tagKeyType(tag), d.type) << d.name;
    // The tree in its stored (ascending) order, key by key.
    std::vector<Entry> expected = d.order;
    if (d.descending) std::reverse(expected.begin(), expected.end());
    cdx::Position at;
    ASSERT_EQ(cdx::leftmost(*tag, &at), 0);
    for (const Entry& e : expected) {
      ASSERT_TRUE(at.valid) << d.name;
      const unsigned char* k = cdx::key_at(*tag, at);
      EXPECT_EQ(static_cast<long>(cdx::record_at(*tag, at)), e.record) << d.name;
      if (d.type == 'C') {
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(k), tag->key_length), e.key) << d.name;
      } else if (d.type == 'N') {
        EXPECT_NEAR(cdx::numeric_from_key(k), std::stod(e.key), 1e-9) << d.name << " " << e.record;
      } else {
        long day = static_cast<long>(cdx::numeric_from_key(k));
        long want = e.key == "(empty)" ? 0 : date_to_day(e.key.c_str());
        EXPECT_EQ(day, want) << d.name << " " << e.record;
      }
      ASSERT_EQ(cdx::next_entry(*tag, &at), 0);
    }
    EXPECT_FALSE(at.valid) << d.name;
  }
  dbfClose(t);
}

TEST_F(CdxReference, SeeksLandOnTheFirstRecordOfEachKeyInTheTagsOrder) {
  std::string path = copyTable("people");
  Table* t = dbfOpen(&engine, (path + ".dbf").c_str());
  ASSERT_NE(t, nullptr);
  for (const DumpTag& d : readTags(kRefDir + "people.oracle-full.txt")) {
    Tag* tag = tagFind(t, d.name.c_str());
    ASSERT_NE(tag, nullptr);
    tagSelect(t, tag);
    std::map<std::string, long> firstOf;
    for (const Entry& e : d.order) firstOf.emplace(e.key, e.record);
    for (const auto& [key, record] : firstOf) {
      int rc;
      if (d.type == 'C') {
        std::string text = key;
        while (!text.empty() && text.back() == ' ') text.pop_back();
        // A shorter text finds the first key beginning with it, which is
        // this key's first record unless a key with more after the same
        // text comes first in the tag's order.
        rc = dbfSeekN(t, key.c_str(), static_cast<int>(key.size()));
      } else if (d.type == 'N') {
        rc = dbfSeekDouble(t, std::stod(key));
      } else {
        rc = dbfSeekDouble(t, key == "(empty)" ? 0.0 : static_cast<double>(date_to_day(key.c_str())));
      }
      EXPECT_EQ(rc, 0) << d.name << " " << key;
      EXPECT_EQ(dbfRecordNumber(t), record) << d.name << " " << key;
    }
  }
  // Beyond the last key: end of file; between keys: the next greater one.
  tagSelect(t, tagFind(t, "NAME"));
  EXPECT_EQ(dbfSeek(t, "\xFF"), kEof);
  EXPECT_EQ(dbfEof(t), 1);
  EXPECT_EQ(dbfSeek(t, "SMITHERS, FRANKLIN!"), 2);
  EXPECT_EQ(qxtest::fieldText(t, "NAME").rfind("SMITHERS, FRANKLIN", 0), std::string::npos);
  EXPECT_EQ(dbfSeek(t, "SM"), 0);
  EXPECT_EQ(qxtest::fieldText(t, "NAME").substr(0, 2), "SM");
  EXPECT_EQ(dbfSeek(t, ""), 0);  // a prefix of every key: the first record of the tag
  EXPECT_EQ(dbfRecordNumber(t), 12);
  tagSelect(t, tagFind(t, "NAMEDESC"));
  EXPECT_EQ(dbfSeek(t, "\x01"), kEof);
  tagSelect(t, nullptr);
  EXPECT_EQ(dbfSeek(t, "SM"), 80);
  dbfClose(t);
}

TEST_F(CdxReference, TablesOfLaterVersionsOpenWithEveryTag) {
  // Candidate tags, integer keys, long field names cut in the data file,
  // and keys led by a null flag byte (walked, but not sought).
  for (const char* base : {"calls", "setup", "customer", "products", "employees", "goods", "menutools"}) {
    std::string path = copyTable(std::string("later/") + base);
    Table* t = dbfOpen(&engine, (path + ".dbf").c_str());
    ASSERT_NE(t, nullptr) << base << " " << engine.lastError;
    std::vector<DumpTag> tags = readTags(kRefDir + "later/" + base + ".cdxwalk.txt");
    ASSERT_FALSE(tags.empty()) << base;
    for (const DumpTag& d : tags) {
      Tag* tag = tagFind(t, d.name.c_str());
      ASSERT_NE(tag, nullptr) << base << " " << d.name;
      tagSelect(t, tag);
      EXPECT_EQ(walk(t, false), recordsOf(d)) << base << " " << d.name;
      EXPECT_EQ(walk(t, true), recordsOf(d)) << base << " " << d.name << " backwards";
      if (tag->nullable()) {
        EXPECT_EQ(dbfSeek(t, "1"), kErrInfo) << base << " " << d.name;
        engine.lastError = 0;
      }
    }
    dbfClose(t);
  }
}

TEST_F(CdxReference, IntegerKeysOfLaterTablesAreSought) {
  std::string path = copyTable("later/calls");
  Table* t = dbfOpen(&engine, (path + ".dbf").c_str());
  ASSERT_NE(t, nullptr);
  tagSelect(t, tagFind(t, "call_id"));
  EXPECT_EQ(dbfSeekDouble(t, 7), 0);
  EXPECT_EQ(dbfRecordNumber(t), 7);
  EXPECT_EQ(dbfSeek(t, "12"), 0);
  EXPECT_EQ(dbfRecordNumber(t), 12);
  EXPECT_EQ(dbfSeekDouble(t, 1000), kEof);
  dbfClose(t);
}
