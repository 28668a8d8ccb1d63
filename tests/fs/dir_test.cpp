// Directories and drives, the mapping of library paths onto this file
// system, and the file service behind the existence tests.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "fs_test.h"
#include "port/path.h"
#include "qx/file.h"

using qxtest::read_file;
using qxtest::ScopedEnv;
using qxtest::u8;
using qxtest::write_file;
namespace stdfs = std::filesystem;

namespace {

class DirTest : public qxtest::FsTest {
 protected:
  void SetUp() override {
    FsTest::SetUp();
    cwd_ = stdfs::current_path();
  }
  void TearDown() override {
    stdfs::current_path(cwd_);
    FsTest::TearDown();
  }
  bool is_dir(const std::string& name) { return stdfs::is_directory(file(name)); }

  stdfs::path cwd_;
};

TEST_F(DirTest, CreateMakesEveryMissingLevel) {
  // Drive Q is the test folder, so the Windows example runs as written.
  ScopedEnv drive("QX_DRIVE_Q", dir_.path());
  stdfs::create_directory(file("x"));
  EXPECT_EQ(qx_Dir_create(u"q:\\x\\y\\z"), 0);
  EXPECT_TRUE(is_dir("x/y/z"));
  EXPECT_EQ(qx_Dir_create(u"q:\\x\\y\\z"), -1) << "nothing left to create";
  EXPECT_EQ(qx_Dir_create(u"Q:\\X\\Y\\Z\\"), -1) << "letter case and a final separator";

  // New levels get lower-case names; POSIX names and mixed separators.
  EXPECT_EQ(qx_Dir_create((w("x") + u"\\New/Deeper").c_str()), 0);
  EXPECT_TRUE(is_dir("x/new/deeper"));
  EXPECT_EQ(qx_Dir_create(nullptr), -1);
  EXPECT_EQ(qx_Dir_create(u""), -1);

  // A level that is a file cannot be created over.
  write_file(file("f"), "x");
  EXPECT_EQ(qx_Dir_create((w("f") + u"/sub").c_str()), -1);
  EXPECT_EQ(read_file(file("f")), "x");
}

TEST_F(DirTest, DeleteOnlyEmptyDirectories) {
  stdfs::create_directories(file("a/b"));
  EXPECT_EQ(qx_Dir_delete(w("a").c_str()), -1);
  EXPECT_EQ(qx_Dir_delete((w("a/b") + u"/").c_str()), 0);
  EXPECT_FALSE(is_dir("a/b"));
  EXPECT_EQ(qx_Dir_delete(w("A").c_str()), 0);
  EXPECT_EQ(qx_Dir_delete(w("a").c_str()), -1);
  EXPECT_EQ(qx_Dir_delete(nullptr), -1);
}

// Makes the entries of a folder impossible to remove, or possible again:
// without write permission for an ordinary user, append-only for a
// privileged one (who ignores permissions).  False when this file system
// cannot do it.
bool pin_entries(const std::string& dir, bool pinned) {
  if (::geteuid() != 0) return ::chmod(dir.c_str(), pinned ? 0555 : 0755) == 0;
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = pinned ? (flags | FS_APPEND_FL) : (flags & ~FS_APPEND_FL);
  ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(fd);
  return ok;
}

TEST_F(DirTest, DeleteTreeRemovesEverythingBelowButFollowsNoLinks) {
  stdfs::create_directories(file("t/One/two"));
  stdfs::create_directories(file("t/.hidden"));
  write_file(file("t/f1"), "x");
  write_file(file("t/One/F2.TXT"), "x");
  write_file(file("t/One/two/f3"), "x");
  // A linked folder outside the tree keeps its contents.
  stdfs::create_directories(file("outside"));
  write_file(file("outside/keep"), "x");
  stdfs::create_directory_symlink(file("outside"), file("t/One/link"));

  EXPECT_EQ(qx_Dir_deleteTree(w("t").c_str()), 0);
  EXPECT_FALSE(stdfs::exists(file("t")));
  EXPECT_EQ(read_file(file("outside/keep")), "x");

  EXPECT_EQ(qx_Dir_deleteTree(w("t").c_str()), -1);
  EXPECT_EQ(qx_Dir_deleteTree(u""), -1);
  EXPECT_EQ(qx_Dir_deleteTree(nullptr), -1);
}

// A link to a folder that the file pass could not remove is still never
// entered: what it points to lies outside the tree.
TEST_F(DirTest, DeleteTreeNeverEntersALinkItCouldNotRemove) {
  stdfs::create_directories(file("t/pinned"));
  write_file(file("t/f1"), "x");
  stdfs::create_directories(file("outside"));
  write_file(file("outside/keep"), "x");
  stdfs::create_directory_symlink(file("outside"), file("t/pinned/link"));
  if (!pin_entries(file("t/pinned"), true)) GTEST_SKIP() << "entries cannot be pinned here";
  // Unpinned however the test ends, so that the folder can go.
  std::unique_ptr<const std::string, void (*)(const std::string*)> unpin(
      new std::string(file("t/pinned")), [](const std::string* dir) {
        pin_entries(*dir, false);
        delete dir;
      });
  if (::unlink(file("t/pinned/link").c_str()) == 0)
    GTEST_SKIP() << "pinned entries can still be removed here";

  EXPECT_EQ(qx_Dir_deleteTree(w("t").c_str()), -1) << "the pinned folder stays";
  EXPECT_EQ(read_file(file("outside/keep")), "x");
  EXPECT_FALSE(stdfs::exists(file("t/f1")));
  EXPECT_TRUE(stdfs::is_symlink(file("t/pinned/link")));
}

TEST_F(DirTest, ParentKeepsItsSeparatorAndRootsHaveNone) {
  EXPECT_EQ(u8(qx_Dir_getParent(u"c:\\a\\b")), "c:\\a\\");
  EXPECT_EQ(u8(qx_Dir_getParent(u"c:\\a\\b\\")), "c:\\a\\");
  EXPECT_EQ(u8(qx_Dir_getParent(u"c:\\a")), "c:\\");
  EXPECT_EQ(qx_Dir_getParent(u"c:\\"), nullptr);
  EXPECT_EQ(u8(qx_Dir_getParent(u"/srv/a/b")), "/srv/a/");
  EXPECT_EQ(u8(qx_Dir_getParent(u"/srv")), "/");
  EXPECT_EQ(qx_Dir_getParent(u"/"), nullptr);
  EXPECT_EQ(qx_Dir_getParent(u""), nullptr);
  EXPECT_EQ(qx_Dir_getParent(nullptr), nullptr);
  std::u16string overlong = u"/srv/" + std::u16string(600, u'x') + u"/y";
  EXPECT_EQ(qx_Dir_getParent(overlong.c_str()), nullptr);
}

TEST_F(DirTest, ChangeDirectoryAndDrive) {
  stdfs::create_directories(file("Work/sub"));
  ASSERT_EQ(qx_Dir_change((w("work") + u"\\").c_str()), 0);
  EXPECT_EQ(stdfs::current_path(), stdfs::path(file("Work")));
  EXPECT_EQ(u8(qx_Dir_current()), file("Work"));
  EXPECT_EQ(qx_Dir_change(u"SUB"), 0);
  EXPECT_EQ(qx_Dir_change(u"missing"), -1);
  EXPECT_EQ(stdfs::current_path(), stdfs::path(file("Work/sub")));
  EXPECT_EQ(qx_Dir_change(u""), -1);
  EXPECT_EQ(qx_Dir_change(nullptr), -1);

  ScopedEnv drive("QX_DRIVE_Q", file("Work"));
  EXPECT_EQ(qx_Dir_change(u"q:"), 0) << "already on drive Q";
  EXPECT_EQ(stdfs::current_path(), stdfs::path(file("Work/sub")));
  EXPECT_EQ(qx_Dir_change(u"q:\\"), 0);
  EXPECT_EQ(stdfs::current_path(), stdfs::path(file("Work")));
  stdfs::current_path(cwd_);
  EXPECT_EQ(qx_Drive_set(qx_Drive_num(u'q')), 0);
  EXPECT_EQ(stdfs::current_path(), stdfs::path(file("Work"))) << "to the drive's root";

  EXPECT_EQ(qx_Drive_num(u'c'), 3);
  EXPECT_EQ(qx_Drive_num(u'C'), 3);
  EXPECT_EQ(qx_Drive_num(u'a'), 1);
  EXPECT_EQ(qx_Drive_set(0), -1);
  EXPECT_EQ(qx_Drive_set(27), -1);
  EXPECT_EQ(qx_Drive_get(), -1);
}

TEST_F(DirTest, MixedSeparatorsAndUpperCaseNamesResolve) {
  stdfs::create_directories(file("Data/Sub"));
  write_file(file("Data/Sub/File.TXT"), "line\n");
  std::u16string spelled = w("DATA") + u"\\sub/file.txt";
  EXPECT_EQ(qx_File_exists(spelled.c_str()), 1);
  EXPECT_EQ(qx_Dir_exists((w("data") + u"\\SUB").c_str()), 1);
  EXPECT_EQ(qx_File_exists((w("data") + u"\\SUB").c_str()), 0) << "a directory is no file";
  EXPECT_EQ(qx_File_hasAccess(spelled.c_str(), 4), 1);
  EXPECT_EQ(qxtest::drain(qx_File_readFile(spelled.c_str())), std::vector<std::string>{"line"});
  EXPECT_EQ(qx_File_copy(spelled.c_str(), (w("data") + u"\\copy.txt").c_str()), 0);
  EXPECT_EQ(read_file(file("Data/copy.txt")), "line\n") << "new names keep their spelling";

  // An exact match wins over one that differs in case.
  write_file(file("Data/file.txt"), "exact\n");
  EXPECT_EQ(qxtest::drain(qx_File_readFile((w("Data") + u"/file.txt").c_str())),
            std::vector<std::string>{"exact"});
  EXPECT_EQ(qx::port::native_path(w("DATA/SUB/FILE.txt")), file("Data/Sub/File.TXT"));
  EXPECT_EQ(qx::port::native_path(w("data/new/NAME")), file("Data/new/NAME"))
      << "missing components stay as written";
}

TEST_F(DirTest, WithoutComTheExistenceTestsAnswerNo) {
  write_file(file("f"), "x");
  EXPECT_EQ(qx_File_exists(w("f").c_str()), 1);
  EXPECT_EQ(qx_Dir_exists(u""), 0);
  EXPECT_EQ(qx_Dir_exists(qx::port::from_utf8(dir_.path()).c_str()), 1);
  qx::app::destroy_holder();
  CoUninitialize();
  EXPECT_EQ(qx_File_exists(w("f").c_str()), 0);
  EXPECT_EQ(qx_Dir_exists(qx::port::from_utf8(dir_.path()).c_str()), 0);
  // The other functions do not depend on the service.
  EXPECT_EQ(qx_File_hasAccess(w("f").c_str(), 0), 1);
  EXPECT_EQ(qx_File_deleteSingle(w("f").c_str()), 1);
  qx_File_revalidate(w("f").c_str());
}

}  // namespace
