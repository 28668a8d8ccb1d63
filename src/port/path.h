// Library paths to POSIX paths.  The library speaks Windows path syntax:
// '\' and '/' both separate, "X:" names a drive whose folder comes from the
// environment variable QX_DRIVE_X (default "/"), and names match without
// regard to letter case.  native_path() maps such a path onto this file
// system: separators become '/', the drive prefix becomes its folder, and
// each component that does not exist as written is matched without regard
// to case in its directory (an exact match always wins).  Components that do
// not exist at all are kept as written, so a path for a new file still maps.
#ifndef QX_PORT_PATH_H
#define QX_PORT_PATH_H

#include <string>
#include <string_view>

namespace qx::port {

// `path` is UTF-16 library text; the result is UTF-8 for the system calls.
std::string native_path(std::u16string_view path);
// `path` is 8-bit (ISO-8859-1) library text, as the table engine uses.
std::string native_path_latin1(std::string_view path);
// Same for a path already in UTF-8.
std::string native_path_utf8(std::string_view path);

// The folder a drive letter maps to (QX_DRIVE_<letter>, default "/").
std::string drive_root(char letter);

}  // namespace qx::port

#endif  // QX_PORT_PATH_H
