// Whole files on native paths: the few operations the application component
// and the diagnostics facility need, so that no other folder opens files or
// asks the file system itself.  Every path here is a POSIX path in UTF-8, as
// native_path() (path.h) makes it from a library path.
#ifndef QX_PORT_NATIVE_FILE_H
#define QX_PORT_NATIVE_FILE_H

#include <string>
#include <string_view>
#include <vector>

namespace qx::port {

// Reads the whole file into `contents` (replaced).  False when the path is
// empty, names no file, names a directory or cannot be read to its end.
bool read_file(const std::string& native_path, std::string* contents);

// Replaces the file's contents so that a reader, or a crash, sees either the
// old contents or the new ones, never a part: the text goes to a new file
// beside it, is flushed to the disk and then renamed over the old one.  The
// new file keeps the old one's permissions; a symbolic link is written
// through, so the link stays a link.  False, with the old file untouched,
// when any step fails.
bool write_file_atomically(const std::string& native_path, std::string_view contents);

// The lines of a text file's contents, each without its "\n" or "\r\n".  A
// last line without an end counts; an empty text has no lines.  The views
// point into `text`.
std::vector<std::string_view> split_lines(std::string_view text);

// Whether the path names anything (as the Windows test does, a directory
// counts), a regular file, a directory; links are followed.  An empty path names nothing.
bool file_exists(const std::string& native_path);
bool is_file(const std::string& native_path);
bool is_directory(const std::string& native_path);

// Brings the folder entry of a file (its creation, removal or renaming) to
// the disk.  Some file systems cannot sync a folder; that is not reported.
void sync_folder_of(const std::string& native_path);

// Makes a new, private folder in the system's temporary folder ($TMPDIR, or
// /tmp) named `prefix` and six random characters; its path, or empty.
std::string make_temp_directory(std::string_view prefix);

// Removes a folder with everything in it, read-only files included.  Links
// are removed, never followed.  False when anything is left.
bool remove_tree(const std::string& native_path);

}  // namespace qx::port

#endif  // QX_PORT_NATIVE_FILE_H
