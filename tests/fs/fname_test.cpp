// File names: extensions, directory parts, joining, abbreviation, relative
// names and absolute forms, on Windows names and on POSIX names.
#include <gtest/gtest.h>

#include <string>

#include "port/fs.h"
#include "port/wstr.h"
#include "qx/fname.h"
#include "test_support.h"

using qxtest::u8;

namespace {

// Runs an in-place name function on a roomy copy and gives the result.
template <typename Fn>
std::string edited(const char16_t* name, Fn fn) {
  qx_wchar buf[600];
  qx::port::wcopy(buf, 600, name);
  fn(buf);
  return u8(buf);
}

TEST(FnameTest, FixDirAppendsTheNamesOwnSeparator) {
  EXPECT_EQ(edited(u"C:\\a", qx_Fname_fixDir), "C:\\a\\");
  EXPECT_EQ(edited(u"C:\\a\\", qx_Fname_fixDir), "C:\\a\\");
  EXPECT_EQ(edited(u"", qx_Fname_fixDir), "");
  EXPECT_EQ(edited(u"/srv/a", qx_Fname_fixDir), "/srv/a/");
  EXPECT_EQ(edited(u"/srv/a/", qx_Fname_fixDir), "/srv/a/");
  EXPECT_EQ(edited(u"data", qx_Fname_fixDir), "data\\") << "no separator yet: a backslash";
  EXPECT_EQ(edited(u"C:\\srv/a", qx_Fname_fixDir), "C:\\srv/a/") << "the kind used last";
  qx_Fname_fixDir(nullptr);
}

TEST(FnameTest, ExtensionsStopAtTheLastSeparator) {
  auto add = [](const char16_t* ext) { return [ext](qx_wchar* b) { qx_Fname_addExt(b, ext); }; };
  EXPECT_EQ(edited(u"dir.old\\file", add(u"txt")), "dir.old\\file.txt");
  EXPECT_EQ(edited(u"file.dat", add(u"txt")), "file.txt");
  EXPECT_EQ(edited(u"/srv/dir.old/file", add(u"txt")), "/srv/dir.old/file.txt");
  EXPECT_EQ(qx_Fname_addExt(nullptr, u"x"), 0);

  auto mod = [](const char16_t* ext, int replace) {
    return [ext, replace](qx_wchar* b) { EXPECT_EQ(qx_Fname_modExt(b, ext, replace), 1); };
  };
  EXPECT_EQ(edited(u"file.dat", mod(u"txt", 0)), "file.dat");
  EXPECT_EQ(edited(u"file", mod(u"txt", 0)), "file.txt");
  EXPECT_EQ(edited(u"file.dat", mod(nullptr, 1)), "file");
  EXPECT_EQ(edited(u"file.dat", mod(u"", 1)), "file");
  EXPECT_EQ(edited(u"dir.old\\file", mod(u"txt", 1)), "dir.old\\file.txt");
  EXPECT_EQ(qx_Fname_modExt(nullptr, u"txt", 1), 0);

  qx_wchar ext[32];
  EXPECT_EQ(qx_Fname_extractExt(u"C:\\a\\pipe.dbf", ext), 3);
  EXPECT_EQ(u8(ext), "dbf");
  EXPECT_EQ(qx_Fname_extractExt(u"dir.old\\file", ext), 0);
  EXPECT_EQ(u8(ext), "");
  EXPECT_EQ(qx_Fname_extractExt(u"/srv/dir.old/file", ext), 0);
  EXPECT_EQ(qx_Fname_extractExt(u"archive.tar.gz", ext), 2);
  EXPECT_EQ(u8(ext), "gz");
}

TEST(FnameTest, RemovingExtensionsAndPaths) {
  EXPECT_EQ(edited(u"dir.old\\file", qx_Fname_rmvExt), "dir.old\\file");
  EXPECT_EQ(edited(u"/srv/dir.old/file", qx_Fname_rmvExt), "/srv/dir.old/file");
  EXPECT_EQ(edited(u"C:\\a\\pipe.dbf", qx_Fname_rmvExt), "C:\\a\\pipe");
  EXPECT_EQ(edited(u".profile", qx_Fname_rmvExt), ".profile") << "the first character is kept";

  EXPECT_EQ(edited(u"C:\\a\\pipe.dbf", qx_Fname_rmvPath), "pipe.dbf");
  EXPECT_EQ(edited(u"C:pipe.dbf", qx_Fname_rmvPath), "pipe.dbf");
  EXPECT_EQ(edited(u"/srv/a/pipe.dbf", qx_Fname_rmvPath), "pipe.dbf");
  EXPECT_EQ(edited(u"pipe.dbf", qx_Fname_rmvPath), "pipe.dbf");
  EXPECT_EQ(edited(u"C:\\a\\", qx_Fname_rmvPath), "");

  qx_wchar path[64];
  EXPECT_EQ(qx_Fname_extractPath(u"C:\\a\\b.txt", path), 5);
  EXPECT_EQ(u8(path), "C:\\a\\");
  EXPECT_EQ(qx_Fname_extractPath(u"C:file", path), 2);
  EXPECT_EQ(u8(path), "C:");
  EXPECT_EQ(qx_Fname_extractPath(u"file", path), 0);
  EXPECT_EQ(u8(path), "");
  EXPECT_EQ(qx_Fname_extractPath(u"/srv/a/b.txt", path), 7);
  EXPECT_EQ(u8(path), "/srv/a/");
}

TEST(FnameTest, BuildJoinsPartsWithoutDoubling) {
  qx_wchar out[128];
  qx_Fname_build(out, u"C", u"\\data", u"pipe", u"dbf");
  EXPECT_EQ(u8(out), "C:\\data\\pipe.dbf");
  qx_Fname_build(out, u"C:", u"\\data\\", u"pipe", u".dbf");
  EXPECT_EQ(u8(out), "C:\\data\\pipe.dbf");
  qx_Fname_build(out, nullptr, u"/srv/data", u"pipe", u"dbf");
  EXPECT_EQ(u8(out), "/srv/data/pipe.dbf");
  qx_Fname_build(out, nullptr, nullptr, u"pipe", nullptr);
  EXPECT_EQ(u8(out), "pipe");
  // An empty directory is no directory: it must not become the root.
  qx_Fname_build(out, u"", u"", u"*", u"");
  EXPECT_EQ(u8(out), "*");
}

TEST(FnameTest, AbbreviateKeepsWhatFitsAroundTheDots) {
  const char16_t* name = u"C:\\one\\two\\three\\four\\file.txt";
  EXPECT_EQ(u8(qx_Fname_abbreviate(u"  C:\\a\\b.txt  ", 40)), "C:\\a\\b.txt");
  EXPECT_EQ(u8(qx_Fname_abbreviate(name, 22)), "C:\\...\\four\\file.txt");
  // Exactly fitting candidates are taken as soon as they appear.
  EXPECT_EQ(u8(qx_Fname_abbreviate(name, 20)), "C:\\...\\four\\file.txt");
  EXPECT_EQ(u8(qx_Fname_abbreviate(name, 24)), "C:\\one\\...\\four\\file.txt");
  // Right, left, right, left: "three" no longer fits on the right, "two"
  // still fits on the left.
  EXPECT_EQ(u8(qx_Fname_abbreviate(name, 26)), "C:\\one\\...\\four\\file.txt");
  EXPECT_EQ(u8(qx_Fname_abbreviate(name, 29)), "C:\\one\\two\\...\\four\\file.txt");
  // The sides stop where they meet: no component is shown twice.
  EXPECT_EQ(u8(qx_Fname_abbreviate(u"C:\\a\\\\\\\\\\\\\\\\b\\f", 14)), "C:\\a\\...\\b\\f");
  // Too small for head and tail: "...\tail", then the tail alone.
  EXPECT_EQ(u8(qx_Fname_abbreviate(name, 13)), "...\\file.txt");
  EXPECT_EQ(u8(qx_Fname_abbreviate(name, 10)), "file.txt");
  // A file part longer than the maximum is cut.
  EXPECT_EQ(u8(qx_Fname_abbreviate(u"C:\\a\\verylongname.txt", 6)), "verylo");
  // No separator at all: cut.
  EXPECT_EQ(u8(qx_Fname_abbreviate(u"abcdefgh", 3)), "abc");
  // One component only: the file part less one character.
  EXPECT_EQ(u8(qx_Fname_abbreviate(u"\\\\abcdefgh", 9)), "abcdefgh");
  EXPECT_EQ(u8(qx_Fname_abbreviate(u"/srv/one/two/three/file.txt", 20)), "/srv/.../file.txt");
  EXPECT_EQ(u8(qx_Fname_abbreviate(nullptr, 20)), "");
  EXPECT_EQ(u8(qx_Fname_abbreviate(name, 513)), "");
  for (int max = 0; max < 40; ++max) {
    std::string r = u8(qx_Fname_abbreviate(name, max));
    if (r != "file.txt") {
      EXPECT_LE(r.size(), static_cast<size_t>(max)) << max;
    }
  }
  std::u16string huge(5000, u'x');
  huge[100] = u'\\';
  // Only the first 512 characters are taken: "...\" and a tail of 411.
  EXPECT_EQ(u8(qx_Fname_abbreviate(huge.c_str(), 500)).size(), 415u);
}

TEST(FnameTest, RelativeNames) {
  EXPECT_EQ(u8(qx_File_getRelativeFilename(u"C:\\a\\b", u"C:\\a\\b\\c\\f.txt")), "c\\f.txt");
  EXPECT_EQ(u8(qx_File_getRelativeFilename(u"C:\\a\\b\\", u"C:\\a\\b\\c\\f.txt")), "c\\f.txt");
  EXPECT_EQ(u8(qx_File_getRelativeFilename(u"C:\\a\\b", u"C:\\a\\x\\f.txt")), "..\\x\\f.txt");
  EXPECT_EQ(u8(qx_File_getRelativeFilename(u"C:\\a\\bc", u"C:\\a\\b\\f")), "..\\b\\f");
  EXPECT_EQ(u8(qx_File_getRelativeFilename(u"C:\\a\\b", u"C:\\a\\bc\\f")), "..\\bc\\f");
  EXPECT_EQ(u8(qx_File_getRelativeFilename(u"C:\\a\\b\\c\\d", u"C:\\a\\x.txt")), "..\\..\\..\\x.txt");
  EXPECT_EQ(u8(qx_File_getRelativeFilename(u"C:\\a", u"D:\\a\\f.txt")), "D:\\a\\f.txt");
  EXPECT_EQ(qx_File_getRelativeFilename(u"C:\\", u"C:\\a\\f.txt"), nullptr);
  EXPECT_EQ(qx_File_getRelativeFilename(nullptr, u"C:\\a\\f.txt"), nullptr);
  // POSIX names are compared after their root, not after three characters.
  EXPECT_EQ(u8(qx_File_getRelativeFilename(u"/srv/a/b", u"/srv/a/b/c/f.txt")), "c/f.txt");
  EXPECT_EQ(u8(qx_File_getRelativeFilename(u"/srv/a/b", u"/srv/a/x/f.txt")), "../x/f.txt");
  EXPECT_EQ(u8(qx_File_getRelativeFilename(u"/ab/x", u"/cd/x/f")), "../../cd/x/f");
  // A result that would not fit the buffer is refused.
  std::u16string deep = u"C:";
  for (int i = 0; i < 120; ++i) deep += u"\\d";
  std::u16string file = u"C:\\" + std::u16string(400, u'f');
  EXPECT_EQ(qx_File_getRelativeFilename(deep.c_str(), file.c_str()), nullptr);
}

TEST(FnameTest, TemporaryNamesHaveFiveDigits) {
  for (int i = 0; i < 50; ++i) {
    std::string t = u8(qx_Fname_createTemp());
    ASSERT_EQ(t.size(), 8u) << t;
    EXPECT_EQ(t.substr(0, 3), "qx_");
    int n = std::stoi(t.substr(3));
    EXPECT_LT(n, 32767);
  }
}

TEST(FnameTest, FullPathResolvesDotsAndKeepsDrives) {
  EXPECT_EQ(u8(qx_Fname_fullPath(u"C:\\a\\.\\b\\..\\c")), "C:\\a\\c");
  EXPECT_EQ(u8(qx_Fname_fullPath(u"c:/a/b/")), "c:\\a\\b\\");
  EXPECT_EQ(u8(qx_Fname_fullPath(u"/srv/a/../b")), "/srv/b");
  EXPECT_EQ(u8(qx_Fname_fullPath(u"/..")), "/");
  std::string cwd = u8(qx::port::current_directory());
  EXPECT_EQ(u8(qx_Fname_fullPath(u"x\\y.txt")), cwd + "/x/y.txt");
  EXPECT_EQ(u8(qx_Fname_fullPath(nullptr)), "");
  EXPECT_EQ(u8(qx_File_getUNCPathName(u"C:\\a\\b")), "C:\\a\\b");
  EXPECT_EQ(u8(qx_File_getUNCPathName(nullptr)), "");
}

}  // namespace
