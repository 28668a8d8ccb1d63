// Files on real files in a test folder: text reading, moves and copies,
// deletes, pieces, scrambling, times and access.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "fs_test.h"
#include "qx/file.h"

using qxtest::drain;
using qxtest::read_file;
using qxtest::u8;
using qxtest::write_file;
using Strings = std::vector<std::string>;

namespace {

class FileTest : public qxtest::FsTest {
 protected:
  std::FILE* open(const std::string& name, const char* mode) {
    return std::fopen(file(name).c_str(), mode);
  }
  bool exists(const std::string& name) {
    struct stat st;
    return ::stat(file(name).c_str(), &st) == 0;
  }
};

TEST_F(FileTest, ReadLineCutsLongLinesAndResumesAtTheNext) {
  write_file(file("t.txt"), "abcdefg\nxy\r\n\nlast");
  std::FILE* f = open("t.txt", "rb");
  qx_wchar buf[16];
  ASSERT_EQ(qx_File_readLine(f, buf, 4), 1);
  EXPECT_EQ(u8(buf), "abcd");
  ASSERT_EQ(qx_File_readLine(f, buf, 4), 1);
  EXPECT_EQ(u8(buf), "xy") << "a carriage return before the line feed is part of the line end";
  ASSERT_EQ(qx_File_readLine(f, buf, 4), 1);
  EXPECT_EQ(u8(buf), "");
  ASSERT_EQ(qx_File_readLine(f, buf, 4), 1) << "an unterminated last line is still a line";
  EXPECT_EQ(u8(buf), "last");
  EXPECT_EQ(qx_File_readLine(f, buf, 4), 0);
  EXPECT_EQ(qx_File_readLine(f, buf, 4), 0);
  std::fclose(f);
  EXPECT_EQ(qx_File_readLine(nullptr, buf, 4), 0);
}

TEST_F(FileTest, ReadLineTakesUtf8AndEightBitText) {
  write_file(file("t.txt"), "caf\xc3\xa9\ncaf\xe9\n");
  std::FILE* f = open("t.txt", "rb");
  qx_wchar buf[16];
  ASSERT_EQ(qx_File_readLine(f, buf, 15), 1);
  EXPECT_EQ(std::u16string(buf), u"caf\u00e9");
  ASSERT_EQ(qx_File_readLine(f, buf, 15), 1);
  EXPECT_EQ(std::u16string(buf), u"caf\u00e9");
  std::fclose(f);
}

TEST_F(FileTest, ReadFileSkipsEmptyLinesAndTheUnterminatedLast) {
  write_file(file("t.txt"), "one\ttwo\n\nthree\r\nunterminated");
  EXPECT_EQ(drain(qx_File_readFile(w("t.txt").c_str())), (Strings{"one two", "three"}));
  EXPECT_EQ(drain(qx_File_readFileExactly(w("t.txt").c_str())),
            (Strings{"one\ttwo\n", "\n", "three\n"}));

  write_file(file("one.txt"), "only");
  qx_StrList* list = qx_File_readFile(w("one.txt").c_str());
  ASSERT_NE(list, nullptr) << "a line was read, so there is a list";
  EXPECT_EQ(qx_StrList_count(list), 0);
  qx_StrList_destroy(list);
  EXPECT_EQ(qx_File_readFileExactly(w("one.txt").c_str()), nullptr);

  write_file(file("empty.txt"), "");
  EXPECT_EQ(qx_File_readFile(w("empty.txt").c_str()), nullptr);
  EXPECT_EQ(qx_File_readFileExactly(w("empty.txt").c_str()), nullptr);
  EXPECT_EQ(qx_File_readFile(w("missing.txt").c_str()), nullptr);
  EXPECT_EQ(qx_File_readFile(nullptr), nullptr);

  // Lines are cut at 512 characters, the rest of the line skipped.
  write_file(file("long.txt"), std::string(700, 'x') + "\nend\n");
  Strings lines = drain(qx_File_readFile(w("long.txt").c_str()));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 512u);
  EXPECT_EQ(lines[1], "end");
}

TEST_F(FileTest, MoveReplacesTheTargetButNeverLosesIt) {
  write_file(file("a"), "new");
  write_file(file("b"), "old");
  EXPECT_EQ(qx_File_move(w("a").c_str(), w("b").c_str()), 0);
  EXPECT_FALSE(exists("a"));
  EXPECT_EQ(read_file(file("b")), "new");
  // A move that cannot happen leaves the target as it was.
  EXPECT_EQ(qx_File_move(w("a").c_str(), w("b").c_str()), -1);
  EXPECT_EQ(read_file(file("b")), "new");
  EXPECT_EQ(qx_File_move(nullptr, w("b").c_str()), -1);
  EXPECT_EQ(qx_File_move(w("b").c_str(), u""), -1);
}

TEST_F(FileTest, CopyKeepsTheTimeAndRefusesToCopyOntoItself) {
  std::string big;
  for (int i = 0; i < 40000; ++i) big.push_back(static_cast<char>(i * 7));
  write_file(file("src.bin"), big);
  ASSERT_EQ(qx_File_setTime(w("src.bin").c_str(), 1000000000), 0);
  EXPECT_EQ(qx_File_copy(w("src.bin").c_str(), w("dst.bin").c_str()), 0);
  EXPECT_EQ(read_file(file("dst.bin")), big);
  int32_t t = 0;
  ASSERT_EQ(qx_File_getTime(w("dst.bin").c_str(), &t), 0);
  EXPECT_EQ(t, 1000000000);
  EXPECT_EQ(qx_File_cmpTime(w("src.bin").c_str(), w("dst.bin").c_str()), 0);

  // Onto itself, by the same name, another letter case, a detour or a link.
  EXPECT_EQ(qx_File_copy(w("src.bin").c_str(), w("src.bin").c_str()), 1);
  EXPECT_EQ(qx_File_copy(w("src.bin").c_str(), w("SRC.BIN").c_str()), 1);
  std::u16string detour = w("sub/../src.bin");
  std::filesystem::create_directory(file("sub"));
  EXPECT_EQ(qx_File_copy(w("src.bin").c_str(), detour.c_str()), 1);
  std::filesystem::create_symlink(file("src.bin"), file("soft.bin"));
  std::filesystem::create_hard_link(file("src.bin"), file("hard.bin"));
  EXPECT_EQ(qx_File_copy(w("src.bin").c_str(), w("soft.bin").c_str()), 1);
  EXPECT_EQ(qx_File_copy(w("hard.bin").c_str(), w("src.bin").c_str()), 1);
  EXPECT_EQ(read_file(file("src.bin")), big);

  EXPECT_EQ(qx_File_copy(w("missing").c_str(), w("x").c_str()), 1);
  EXPECT_FALSE(exists("x"));
  EXPECT_EQ(qx_File_copy(w("src.bin").c_str(), w("nodir/x").c_str()), 1);
}

TEST_F(FileTest, AppendAndCopyRest) {
  write_file(file("t"), "head\n");
  write_file(file("s"), "tail\n");
  EXPECT_EQ(qx_File_append(w("t").c_str(), w("s").c_str()), 0);
  EXPECT_EQ(read_file(file("t")), "head\ntail\n");
  EXPECT_EQ(qx_File_append(w("t").c_str(), w("t").c_str()), 1) << "never onto itself";
  EXPECT_EQ(qx_File_append(w("t").c_str(), w("missing").c_str()), 1);
  EXPECT_EQ(read_file(file("t")), "head\ntail\n");

  // The rest of the source counts from what the caller has read of it.
  std::FILE* in = open("s", "rb");
  std::fgetc(in);
  std::FILE* out = open("r", "wb");
  EXPECT_EQ(qx_File_copyRest(out, in), 0);
  EXPECT_EQ(qx_File_length(out), 4);
  std::fclose(out);
  std::fclose(in);
  EXPECT_EQ(read_file(file("r")), "ail\n");
}

TEST_F(FileTest, DeleteByPatternAndByListFile) {
  for (const char* n : {"a.tmp", "B.TMP", "c.txt", "d.tmp.keep"}) write_file(file(n), "x");
  std::filesystem::create_directory(file("dir.tmp"));
  EXPECT_EQ(qx_File_delete(w("*.tmp").c_str(), 0), 2);
  EXPECT_FALSE(exists("a.tmp"));
  EXPECT_FALSE(exists("B.TMP"));
  EXPECT_TRUE(exists("c.txt"));
  EXPECT_TRUE(exists("d.tmp.keep"));
  EXPECT_TRUE(exists("dir.tmp")) << "directories are not deleted";

  write_file(file("x1"), "x");
  write_file(file("x2"), "x");
  write_file(file("list.txt"),
             file("x1") + "\r\n" + file("missing") + "\n\n" + file("x2") + "\n");
  EXPECT_EQ(qx_File_delete(w("list.txt").c_str(), 1), 2);
  EXPECT_FALSE(exists("x1"));
  EXPECT_FALSE(exists("x2"));
  EXPECT_EQ(qx_File_delete(w("nolist.txt").c_str(), 1), 0);
  EXPECT_EQ(qx_File_delete(w("nodir/*").c_str(), 0), 0);
  EXPECT_EQ(qx_File_delete(nullptr, 0), 0);

  EXPECT_EQ(qx_File_deleteSingle(w("c.txt").c_str()), 1);
  EXPECT_EQ(qx_File_deleteSingle(w("c.txt").c_str()), 0);
}

TEST_F(FileTest, SliceAndMendRoundTrip) {
  write_file(file("data.bin"), "0123456789");
  EXPECT_EQ(qx_File_slice(w("data.bin").c_str(), 4), 3);
  EXPECT_EQ(read_file(file("data.1")), "0123");
  EXPECT_EQ(read_file(file("data.2")), "4567");
  EXPECT_EQ(read_file(file("data.3")), "89");
  EXPECT_FALSE(exists("data.4"));
  EXPECT_EQ(qx_File_mend(w("out.bin").c_str()), 1) << "no pieces of out.bin";
  EXPECT_FALSE(exists("out.bin"));

  std::filesystem::remove(file("data.bin"));
  EXPECT_EQ(qx_File_mend(w("data.bin").c_str()), 4);
  EXPECT_EQ(read_file(file("data.bin")), "0123456789");
  EXPECT_FALSE(exists("data.1"));
  EXPECT_FALSE(exists("data.3"));

  // An exact multiple ends in an empty piece, which is counted.
  EXPECT_EQ(qx_File_slice(w("data.bin").c_str(), 5), 3);
  EXPECT_EQ(read_file(file("data.2")), "56789");
  EXPECT_TRUE(exists("data.3"));
  EXPECT_EQ(read_file(file("data.3")), "");
  EXPECT_EQ(qx_File_mend(w("data.bin").c_str()), 4);
  EXPECT_EQ(read_file(file("data.bin")), "0123456789");

  // Pieces larger than one transfer block.
  std::string big(200000, 'q');
  big[150000] = 'z';
  write_file(file("big"), big);
  EXPECT_EQ(qx_File_slice(w("big").c_str(), 70000), 3);
  EXPECT_EQ(read_file(file("big.1")).size(), 70000u);
  EXPECT_EQ(qx_File_mend(w("big").c_str()), 4);
  EXPECT_EQ(read_file(file("big")), big);
}

TEST_F(FileTest, SliceAndMendRefuseWhatWouldDestroyData) {
  write_file(file("data.2"), "0123456789");
  EXPECT_EQ(qx_File_slice(w("data.2").c_str(), 4), 0) << "piece 2 would overwrite the input";
  EXPECT_EQ(read_file(file("data.2")), "0123456789");
  EXPECT_EQ(qx_File_slice(w("data.2").c_str(), 0), 0);
  EXPECT_EQ(qx_File_slice(w("missing").c_str(), 4), 0);

  write_file(file("data.1"), "abc");
  EXPECT_EQ(qx_File_mend(w("data.1").c_str()), 0) << "the target is a piece";
  EXPECT_EQ(read_file(file("data.1")), "abc");
  EXPECT_EQ(read_file(file("data.2")), "0123456789");
}

TEST_F(FileTest, ScramblingTwiceGivesTheOriginal) {
  std::string zeros(1100, '\0');
  write_file(file("z"), zeros);
  ASSERT_EQ(qx_File_encrypt(w("z.scr").c_str(), w("z").c_str()), 1);
  std::string s = read_file(file("z.scr"));
  ASSERT_EQ(s.size(), zeros.size());
  // Zeros show the table itself: it repeats every 512 bytes and is fixed,
  // or files scrambled before could no longer be read back.
  EXPECT_EQ(s.substr(0, 512), s.substr(512, 512));
  EXPECT_EQ(s.substr(0, 8), std::string("\xC0\x8D\xBA\x96\x59\x80\xB6\x06", 8));
  for (char c : s.substr(0, 512)) EXPECT_NE(c, 0) << "every byte is changed";

  std::string text = "The quick brown fox\n" + std::string(1000, '#');
  write_file(file("t"), text);
  ASSERT_EQ(qx_File_encrypt(w("t.scr").c_str(), w("t").c_str()), 1);
  EXPECT_NE(read_file(file("t.scr")), text);
  ASSERT_EQ(qx_File_decrypt(w("t.out").c_str(), w("t.scr").c_str()), 1);
  EXPECT_EQ(read_file(file("t.out")), text);

  EXPECT_EQ(qx_File_encrypt(w("t").c_str(), w("t").c_str()), 0) << "never onto the input";
  EXPECT_EQ(read_file(file("t")), text);
  EXPECT_EQ(qx_File_encrypt(w("o").c_str(), w("missing").c_str()), 0);
  EXPECT_FALSE(exists("o"));
}

TEST_F(FileTest, TimesCompareAndMissingFilesReport) {
  write_file(file("a"), "a");
  write_file(file("b"), "b");
  ASSERT_EQ(qx_File_setTime(w("a").c_str(), 1000), 0);
  ASSERT_EQ(qx_File_setTime(w("b").c_str(), 2000), 0);
  int32_t t = 0;
  EXPECT_EQ(qx_File_getTime(w("a").c_str(), &t), 0);
  EXPECT_EQ(t, 1000);
  EXPECT_EQ(qx_File_cmpTime(w("a").c_str(), w("b").c_str()), -1);
  EXPECT_EQ(qx_File_cmpTime(w("b").c_str(), w("a").c_str()), 1);
  EXPECT_EQ(qx_File_cmpTime(w("missing").c_str(), w("a").c_str()), -1);
  EXPECT_EQ(qx_File_cmpTime(w("a").c_str(), w("missing").c_str()), 1);
  EXPECT_EQ(qx_File_getTime(w("missing").c_str(), &t), 1);
  EXPECT_EQ(qx_File_setTime(w("missing").c_str(), 5), -1);
  EXPECT_EQ(qx_File_getTime(nullptr, &t), 1);
}

TEST_F(FileTest, ReadOnlyFilesStayUnchangedWhoeverAsks) {
  write_file(file("f"), "keep");
  EXPECT_EQ(qx_File_hasAccess(w("f").c_str(), 0), 1);
  EXPECT_EQ(qx_File_hasAccess(w("f").c_str(), 6), 1);
  EXPECT_EQ(qx_File_hasAccess(w("f").c_str(), 1), 0);
  EXPECT_EQ(qx_File_hasAccess(w("missing").c_str(), 0), 0);
  EXPECT_EQ(qx_File_hasAccess(u"", 0), 0);
  EXPECT_EQ(qx_File_hasAccess(nullptr, 0), 0);

  ASSERT_EQ(qx_File_setReadOnlyAccess(w("f").c_str()), 1);
  EXPECT_EQ(qx_File_isWriteEnabled(w("f").c_str()), 0);
  EXPECT_EQ(qx_File_hasAccess(w("f").c_str(), 4), 1);
  write_file(file("src"), "other");
  EXPECT_EQ(qx_File_copy(w("src").c_str(), w("f").c_str()), 1);
  EXPECT_EQ(qx_File_move(w("src").c_str(), w("f").c_str()), -1);
  EXPECT_EQ(qx_File_deleteSingle(w("f").c_str()), 0);
  EXPECT_EQ(read_file(file("f")), "keep");

  ASSERT_EQ(qx_File_setReadWriteAccess(w("f").c_str()), 1);
  EXPECT_EQ(qx_File_isWriteEnabled(w("f").c_str()), 1);
  EXPECT_EQ(qx_File_setReadOnlyAccess(w("missing").c_str()), 0);
  EXPECT_EQ(qx_File_setReadWriteAccess(nullptr), 0);
}

TEST_F(FileTest, CreateNeverEmptiesAnExistingFile) {
  EXPECT_EQ(qx_File_create(w("new").c_str()), 1);
  EXPECT_TRUE(exists("new"));
  write_file(file("full"), "data");
  EXPECT_EQ(qx_File_create(w("full").c_str()), 1);
  // Without the file service the file is not known to exist; it must
  // still keep its contents.
  qx::app::destroy_holder();
  CoUninitialize();
  EXPECT_EQ(qx_File_exists(w("full").c_str()), 0);
  EXPECT_EQ(qx_File_create(w("full").c_str()), 1);
  EXPECT_EQ(read_file(file("full")), "data");
  EXPECT_EQ(qx_File_create(w("nodir/x").c_str()), 0);
  EXPECT_EQ(qx_File_create(nullptr), 0);
}

TEST_F(FileTest, OverlongPathsAreRefusedNotCut) {
  // Cut to the buffer, an overlong name would name some other file: it is
  // refused, and nothing is touched.
  write_file(file("a"), "keep");
  std::u16string name = w("a") + u"/" + std::u16string(600, u'x');
  EXPECT_EQ(qx_File_deleteSingle(name.c_str()), 0);
  EXPECT_EQ(qx_File_hasAccess(name.c_str(), 0), 0);
  EXPECT_EQ(qx_File_copy(w("a").c_str(), name.c_str()), 1);
  EXPECT_EQ(qx_File_slice(name.c_str(), 1), 0);
  EXPECT_EQ(read_file(file("a")), "keep");
}

}  // namespace
