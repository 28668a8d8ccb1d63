// Damaged index files: each is refused with "Not a Correct Index File"
// (-310) when it is opened or when a walk or seek meets the damage; nothing
// crashes, no walk goes on for ever, and the file is left as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/coding.h"
#include "dbf/cdx.h"
#include "dbf/error.h"
#include "dbf_support.h"

using namespace qx::dbf;
using qxtest::read_file;
using qxtest::TempDir;
using qxtest::write_file;

namespace {

class CdxBadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    installCompoundIndex();
    engInit(&engine);
    engine.quietErrors = 1;
    engine.autoOpenProductionIndex = 0;
    Table* t = dbfCreate(&engine, dir.file("t.dbf").c_str(), qxtest::sampleFields(), nullptr);
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < 2000; ++i)
      ASSERT_EQ(qxtest::appendSample(t, ("NAME" + std::to_string(i * 7919 % 2000)).c_str(), i), 0);
    const TagInfo tags[] = {{"NAME", "NAME", nullptr, 0, 0}, {nullptr, nullptr, nullptr, 0, 0}};
    ASSERT_NE(idxCreate(t, dir.file("good").c_str(), tags), nullptr);
    ASSERT_EQ(dbfClose(t), 0);
    good = read_file(dir.file("good.cdx"));
    table = dbfOpen(&engine, dir.file("t.dbf").c_str());
    ASSERT_NE(table, nullptr);
  }
  void TearDown() override { engShutdown(&engine); }

  uint32_t at32(const std::string& image, size_t offset) {
    return qx::coding::get32le(reinterpret_cast<const unsigned char*>(image.data() + offset));
  }
  void put32(std::string& image, size_t offset, uint32_t v) {
    qx::coding::put32le(reinterpret_cast<unsigned char*>(image.data() + offset), v);
  }
  uint32_t tagHeader() { return 0x600; }
  uint32_t tagRoot(const std::string& image) { return at32(image, tagHeader()); }
  // The first child of the tag's root (an interior page over the leaves).
  uint32_t firstLeaf(const std::string& image) {
    uint32_t root = tagRoot(image);
    return qx::coding::get32be(reinterpret_cast<const unsigned char*>(image.data() + root + 12 + 20 + 4));
  }

  // Opens a damaged copy and walks the tag to its end both ways; the first
  // error met (0 when none).  The copy must come out unchanged.
  int openAndWalk(const std::string& image) {
    std::string path = dir.file("bad.cdx");
    write_file(path, image);
    engine.lastError = 0;
    int result = 0;
    Index* ix = idxOpen(table, path.c_str());
    if (!ix) {
      result = engine.lastError;
    } else {
      tagSelect(table, tagFind(table, "NAME"));
      for (bool backwards : {false, true}) {
        int rc = backwards ? dbfBottom(table) : dbfTop(table);
        for (int steps = 0; rc == 0 && !dbfEof(table); ++steps) {
          EXPECT_LT(steps, 5000) << "a walk that does not end";
          if (steps >= 5000) break;
          rc = dbfSkip(table, backwards ? -1 : 1);
        }
        if (rc < 0 && result == 0) result = rc;
        engine.lastError = 0;
      }
      if (dbfSeek(table, "NAME1999") < 0 && result == 0) result = kErrIndex;
      engine.lastError = 0;
      idxClose(ix);
    }
    EXPECT_EQ(read_file(path), image) << "the file was changed";
    return result;
  }

  Engine engine;
  TempDir dir;
  std::string good;
  Table* table = nullptr;
};

TEST_F(CdxBadInput, TheUndamagedFileWalksWithoutError) {
  ASSERT_GT(tagRoot(good), 0u);
  EXPECT_EQ(openAndWalk(good), 0);
}

TEST_F(CdxBadInput, TruncatedFilesAreRefused) {
  for (size_t length : {size_t{0}, size_t{100}, size_t{1023}, size_t{0x600 + 512}, good.size() / 2,
                        good.size() - 512})
    EXPECT_EQ(openAndWalk(good.substr(0, length)), kErrIndex) << length;
}

TEST_F(CdxBadInput, PagePointersPastTheEndOrOffThePageGridAreRefused) {
  std::string image = good;
  put32(image, tagHeader(), static_cast<uint32_t>(good.size() + 512));
  EXPECT_EQ(openAndWalk(image), kErrIndex);
  image = good;
  put32(image, tagHeader(), tagRoot(good) + 100);
  EXPECT_EQ(openAndWalk(image), kErrIndex);
  // A child pointer of the root, big-endian in the interior entry.
  image = good;
  size_t child = tagRoot(good) + 12 + 20 + 4;
  qx::coding::put32be(reinterpret_cast<unsigned char*>(image.data() + child), firstLeaf(good) + 7);
  EXPECT_EQ(openAndWalk(image), kErrIndex);
  image = good;
  qx::coding::put32be(reinterpret_cast<unsigned char*>(image.data() + child), 0x7FFFFE00);
  EXPECT_EQ(openAndWalk(image), kErrIndex);
}

TEST_F(CdxBadInput, ACycleOfSiblingPointersEndsTheWalkWithAnError) {
  // The first leaf's left points to the last leaf and the last leaf's right
  // back to the first: the chain is consistent but circles.
  std::string image = good;
  uint32_t first = firstLeaf(good);
  uint32_t last = first;
  for (int guard = 0; guard < 10000 && at32(good, last + 8) != 0xFFFFFFFF; ++guard) last = at32(good, last + 8);
  ASSERT_NE(first, last);
  put32(image, last + 8, first);
  put32(image, first + 4, last);
  EXPECT_EQ(openAndWalk(image), kErrIndex);
  // A leaf pointing to itself.
  image = good;
  put32(image, first + 8, first);
  EXPECT_EQ(openAndWalk(image), kErrIndex);
}

TEST_F(CdxBadInput, KeyLengthsOfZeroOrAbove240AreRefused) {
  for (uint16_t length : {uint16_t{0}, uint16_t{241}, uint16_t{0xFFFF}}) {
    std::string image = good;
    qx::coding::put16le(reinterpret_cast<unsigned char*>(image.data() + tagHeader() + 12), length);
    EXPECT_EQ(openAndWalk(image), kErrIndex) << length;
  }
}

TEST_F(CdxBadInput, ADirectoryNamingAMissingHeaderIsRefused) {
  // The directory's only entry: its record number is the header's offset.
  std::string image = good;
  std::string page = good.substr(0x400, 512);
  unsigned eb = static_cast<unsigned char>(page[23]);
  unsigned rb = static_cast<unsigned char>(page[20]);
  uint64_t v = 0;
  for (unsigned b = 0; b < eb; ++b) v |= uint64_t{static_cast<unsigned char>(page[24 + b])} << (8 * b);
  ASSERT_EQ(v & ((uint64_t{1} << rb) - 1), tagHeader());
  ASSERT_GT((((uint64_t{1} << rb) - 1) & 0xFE00), good.size());
  uint64_t moved = (v & ~((uint64_t{1} << rb) - 1)) | (((uint64_t{1} << rb) - 1) & 0xFE00);
  for (unsigned b = 0; b < eb; ++b) image[0x400 + 24 + b] = static_cast<char>(moved >> (8 * b));
  EXPECT_EQ(openAndWalk(image), kErrIndex);
}

TEST_F(CdxBadInput, HeadersThatAreNoCompactIndexAreRefused) {
  std::string image = good;
  image[14] = 0x10;  // option byte below 0x20
  EXPECT_EQ(openAndWalk(image), kErrIndex);
  image = good;
  put32(image, 0, 0);  // no root
  EXPECT_EQ(openAndWalk(image), kErrIndex);
}

TEST_F(CdxBadInput, ATableWhoseProductionIndexIsDamagedDoesNotOpen) {
  dbfClose(table);
  std::filesystem::copy_file(dir.file("good.cdx"), dir.file("t.cdx"));
  engine.autoOpenProductionIndex = 1;
  Table* t = dbfOpen(&engine, dir.file("t.dbf").c_str());
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(set_production_index_flag(t, true), 0);
  dbfClose(t);
  write_file(dir.file("t.cdx"), good.substr(0, 700));
  EXPECT_EQ(dbfOpen(&engine, dir.file("t.dbf").c_str()), nullptr);
  EXPECT_EQ(engine.lastError, kErrIndex);
}

}  // namespace
