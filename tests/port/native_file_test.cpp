// Whole files on native paths: a replacement is all or nothing, keeps what
// it replaces (mode, links, read-only files) and leaves nothing beside it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "port/native_file.h"
#include "test_support.h"

using namespace qx::port;
namespace stdfs = std::filesystem;

namespace {

std::vector<std::string> names_in(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : stdfs::directory_iterator(dir)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t mode_of(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(NativeFile, ReplacingKeepsModeAndLinksAndLeavesNothingBeside) {
  qxtest::TempDir dir;
  std::string path = dir.file("a.ini");
  std::string text("one\0two\n", 8);
  ASSERT_TRUE(write_file_atomically(path, text));
  mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(mode_of(path), 0666 & ~mask) << "a new file gets what the umask allows";
  std::string back;
  ASSERT_TRUE(read_file(path, &back));
  EXPECT_EQ(back, text);

  ::chmod(path.c_str(), 0640);
  stdfs::create_symlink(path, dir.file("link.ini"));
  ASSERT_TRUE(write_file_atomically(dir.file("link.ini"), "three\n"));
  EXPECT_TRUE(stdfs::is_symlink(dir.file("link.ini"))) << "written through, not replaced";
  EXPECT_EQ(qxtest::read_file(path), "three\n");
  EXPECT_EQ(mode_of(path), 0640u);
  EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"a.ini", "link.ini"}));
}

TEST(NativeFile, WhatCannotBeReplacedStaysAsItWas) {
  qxtest::TempDir dir;
  std::string path = dir.file("ro.ini");
  qxtest::write_file(path, "keep");
  ::chmod(path.c_str(), 0444);
  EXPECT_FALSE(write_file_atomically(path, "lost")) << "read-only, even for a privileged user";
  EXPECT_EQ(qxtest::read_file(path), "keep");
  stdfs::create_directory(dir.file("sub"));
  EXPECT_FALSE(write_file_atomically(dir.file("sub"), "x"));
  EXPECT_FALSE(write_file_atomically(dir.file("none/x.ini"), "x"));
  EXPECT_FALSE(write_file_atomically("", "x"));
  EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"ro.ini", "sub"}));

  std::string contents = "unchanged";
  EXPECT_FALSE(read_file(dir.file("sub"), &contents));
  EXPECT_FALSE(read_file(dir.file("missing"), &contents));
  EXPECT_EQ(contents, "unchanged");
  EXPECT_TRUE(file_exists(dir.file("sub")) && is_directory(dir.file("sub")));
  EXPECT_TRUE(is_file(path) && !is_file(dir.file("sub")) && !file_exists(""));
}

TEST(NativeFile, TemporaryFoldersGoWithEverythingInThemButNotWhatLinksReach) {
  qxtest::TempDir outside;
  qxtest::write_file(outside.file("keep"), "x");
  qxtest::ScopedEnv tmp("TMPDIR", outside.path());
  std::string dir = make_temp_directory("qx-test-");
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.rfind(outside.file("qx-test-"), 0), 0u) << dir;
  EXPECT_EQ(mode_of(dir), 0700u);
  stdfs::create_directories(dir + "/a/b");
  qxtest::write_file(dir + "/a/b/ro", "x");
  ::chmod((dir + "/a/b/ro").c_str(), 0444);
  stdfs::create_directory_symlink(outside.path(), dir + "/a/link");
  EXPECT_TRUE(remove_tree(dir));
  EXPECT_FALSE(stdfs::exists(dir));
  EXPECT_EQ(qxtest::read_file(outside.file("keep")), "x");
  EXPECT_FALSE(remove_tree(dir));
}

TEST(NativeFile, LinesEndWithNewlineOrCarriageReturnNewline) {
  std::string text = "a\r\n\nb\rc\nlast";
  std::vector<std::string_view> lines = split_lines(text);
  EXPECT_EQ(lines, (std::vector<std::string_view>{"a", "", "b\rc", "last"}));
  EXPECT_TRUE(split_lines("").empty());
  EXPECT_EQ(split_lines("x\n").size(), 1u);
}

}  // namespace
