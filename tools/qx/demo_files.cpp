// Demo section: file names, files, directories and wildcard searches, in a
// folder of the demo's work directory.
#include <cstdio>
#include <string>

#include "demo.h"
#include "text.h"
#include "qx/file.h"
#include "qx/fname.h"
#include "qx/strlist.h"
#include "port/native_file.h"
#include "port/path.h"

namespace qxtool {
namespace {

int failures = 0;

void check(bool ok, const char* what) {
  if (!ok) {
    std::printf("  !! %s\n", what);
    ++failures;
  }
}

bool same_contents(const std::u16string& a, const std::u16string& b) {
  std::string ca, cb;
  return qx::port::read_file(qx::port::native_path(a), &ca) &&
         qx::port::read_file(qx::port::native_path(b), &cb) && ca == cb;
}

void show_names() {
  qx_wchar name[QX_MAX_PATH];
  qx_Fname_build(name, u"C", u"\\data", u"pipe", u"dbf");
  std::printf("  built name:          %s\n", utf8(name).c_str());
  qx_Fname_addExt(name, u"cdx");
  std::printf("  with extension cdx:  %s\n", utf8(name).c_str());
  const char16_t* deep = u"C:\\one\\two\\three\\four\\file.txt";
  std::printf("  %s in 22 characters: %s\n", utf8(deep).c_str(),
              utf8(qx_Fname_abbreviate(deep, 22)).c_str());
  std::printf("  C:\\a\\x\\f.txt seen from C:\\a\\b: %s\n",
              utf8(qx_File_getRelativeFilename(u"C:\\a\\b", u"C:\\a\\x\\f.txt")).c_str());
  std::printf("  a temporary name:    %s\n", utf8(qx_Fname_createTemp()).c_str());
}

void write_text(const std::u16string& path, const char* text) {
  qx::port::write_file_atomically(qx::port::native_path(path), text);
}

void show_files(const std::u16string& root) {
  std::u16string data = root + u"/Project/Data";
  int created = qx_Dir_create((data + u"/2024").c_str());
  std::printf("  created %s/2024: %d (new levels get lower-case names)\n",
              utf8(data.c_str()).c_str(), created);
  check(created == 0, "the folders were not created");

  // Written under its own name, read through any spelling of it.
  std::u16string notes = root + u"/project/data/notes.txt";
  write_text(notes, "pipe\t100\n\nvalve\t25\r\nflange without line end");
  std::u16string spelled = root + u"/PROJECT\\Data\\NOTES.TXT";
  qx_StrList* lines = qx_File_readFile(spelled.c_str());
  int count = lines ? qx_StrList_count(lines) : -1;
  std::printf("  %s: %d lines\n", utf8(spelled.c_str()).c_str(), count);
  for (qx_StrList_start(lines); lines && !qx_StrList_eol(lines); qx_StrList_next(lines))
    std::printf("    \"%s\"\n", utf8(qx_StrList_getCurr(lines)).c_str());
  qx_StrList_destroy(lines);
  check(count == 2, "readFile should give two lines");

  std::u16string copy = root + u"/project/data/notes.bak";
  int copied = qx_File_copy(spelled.c_str(), copy.c_str());
  std::printf("  copied to notes.bak: %d, same time: %s\n", copied,
              qx_File_cmpTime(notes.c_str(), copy.c_str()) == 0 ? "yes" : "no");
  check(copied == 0, "the copy failed");
  check(qx_File_copy(spelled.c_str(), notes.c_str()) == 1, "a copy onto itself was not refused");

  int pieces = qx_File_slice(copy.c_str(), 16);
  std::printf("  notes.bak in pieces of 16 bytes: %d pieces (notes.1 ...)\n", pieces);
  int first_missing = qx_File_mend(copy.c_str());
  std::printf("  mended again: first missing piece %d, same bytes: %s\n", first_missing,
              same_contents(notes, copy) ? "yes" : "no");
  check(first_missing == pieces + 1 && same_contents(notes, copy), "slice and mend disagree");

  std::u16string scrambled = root + u"/project/data/notes.scr";
  std::u16string back = root + u"/project/data/notes.out";
  qx_File_encrypt(scrambled.c_str(), notes.c_str());
  qx_File_decrypt(back.c_str(), scrambled.c_str());
  std::printf("  scrambled and unscrambled: same bytes: %s\n",
              same_contents(notes, back) ? "yes" : "no");
  check(same_contents(notes, back), "unscrambling did not give the original");

  std::printf("  search for NOTES.*:");
  qx_wchar found[QX_MAX_PATH];
  for (int r = qx_File_findFirst((root + u"\\PROJECT\\DATA\\NOTES.*").c_str(), found); r == 0;
       r = qx_File_findNext(found))
    std::printf(" %s", utf8(found).c_str());
  std::printf("\n");

  int removed = qx_File_delete((root + u"/project/data/notes.*").c_str(), 0);
  std::printf("  deleted notes.* files: %d\n", removed);
  int tree = qx_Dir_deleteTree((root + u"/Project").c_str());
  std::printf("  deleted the project tree: %d\n", tree);
  check(removed == 4 && tree == 0, "the deletes went wrong");
}

int run(const std::string& work_dir) {
  failures = 0;
  std::printf("File names:\n");
  show_names();
  std::printf("Files and folders:\n");
  show_files(wide(work_dir + "/files"));
  return failures;
}

const DemoSection kSection("40-files", "File names, files and folders", run);

}  // namespace
}  // namespace qxtool
