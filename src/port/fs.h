// The file-system calls of the file families.  Every function takes a
// library path (UTF-16, Windows or POSIX syntax) and maps it onto this file
// system with native_path(): '\' becomes '/', a drive prefix becomes its
// folder, and components are matched without regard to case when they do
// not exist as written.  An empty path names nothing: every call refuses it.
//
// Windows semantics kept where callers rely on them: a file without any
// write permission is read-only even for a privileged user, as a file with
// the read-only attribute is (it fails write tests, cannot be opened for
// writing and cannot be deleted), and a directory listing includes "." and
// "..".
#ifndef QX_PORT_FS_H
#define QX_PORT_FS_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qx::port {

using path_view = std::u16string_view;

struct FileStatus {
  bool is_directory = false;
  bool is_regular = false;
  bool is_link = false;     // a symbolic link (set by list_directory only)
  bool writable = false;   // some write permission bit is set
  int64_t size = 0;
  int64_t access_time = 0;  // seconds since 1970
  int64_t write_time = 0;
  int64_t change_time = 0;
  uint64_t device = 0;
  uint64_t inode = 0;
};

// Status of the path (symbolic links followed).  False when it cannot be
// examined.
bool stat_path(path_view path, FileStatus* status);

// The access test with the run-time library's modes: 0 exists, 2 write,
// 4 read, 6 read and write.  Any other mode fails.
bool access_path(path_view path, int mode);

// Removes every write permission (read-only) or gives the owner write
// permission back (writable).
bool set_read_only(path_view path, bool read_only);

// Sets access and modification time to `seconds` since 1970.
bool set_file_times(path_view path, int64_t seconds);

// fopen() of the mapped path; `mode` as for fopen ("rb", "wb", "ab", ...).
// Null for an empty path or when the file cannot be opened.
std::FILE* open_file(path_view path, const char* mode);

// The length of an open stream's file in bytes (-1 when unknown).
int64_t stream_length(std::FILE* stream);

bool rename_path(path_view from, path_view to);
bool remove_file(path_view path);     // not a directory
bool make_directory(path_view path);  // one level, mode 0777 less the umask
bool remove_directory(path_view path);  // must be empty
bool change_directory(path_view path);
// The current directory, or empty when it cannot be read.
std::u16string current_directory();
// Whether the current directory lies in `folder` (a native UTF-8 path).
bool current_directory_within(const std::string& folder);

// True when both paths name one existing file (same device and inode).
bool same_file(path_view a, path_view b);

// One entry of a directory listing.
struct DirEntry {
  std::u16string name;
  FileStatus status;
};
// The entries of a directory, "." and ".." included, in the order the
// system gives them.  False when the directory cannot be read.
bool list_directory(path_view dir, std::vector<DirEntry>* entries);

}  // namespace qx::port

#endif  // QX_PORT_FS_H
