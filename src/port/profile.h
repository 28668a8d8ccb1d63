// The private-profile reader (GetPrivateProfileString): one value of a
// Windows-style INI file, read straight from the file on every call.
// Section and key names match without regard to case; the value is trimmed
// of blanks and loses one pair of matching quotes round it.  Files may be
// UTF-8 (with or without a byte-order mark), Latin-1 or UTF-16LE with its
// byte-order mark; line ends may be CRLF or LF.
#ifndef QX_PORT_PROFILE_H
#define QX_PORT_PROFILE_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::port {

// The value of `key` in `section` of the file `path` (a library path);
// nothing when the file, the section or the key is missing.
std::optional<std::u16string> profile_string(std::u16string_view path,
                                             std::u16string_view section,
                                             std::u16string_view key);

// The section names of the file in file order (each once, first spelling);
// nothing when the file cannot be read.
std::optional<std::vector<std::u16string>> profile_sections(std::u16string_view path);

}  // namespace qx::port

#endif  // QX_PORT_PROFILE_H
