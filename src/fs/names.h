// Helpers shared by the file-name and file families: separators, bounded
// working copies and the parts of a name.
#ifndef QX_FS_NAMES_H
#define QX_FS_NAMES_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "qx/types.h"

namespace qx::fs {

// The room of the library's path buffers (terminator not counted).
constexpr size_t kPathRoom = 512;

inline bool is_separator(qx_wchar c) { return c == u'\\' || c == u'/'; }

// The separator a name uses last; the backslash when it has none.
qx_wchar separator_of(std::u16string_view name);

// A working copy of a path argument, or nothing for a null or empty path
// or one longer than kPathRoom: such a path is refused rather than cut,
// since a cut path would name some other file.
std::optional<std::u16string> path_arg(const qx_wchar* path);

// Lower case in the C locale.
std::u16string lower(std::u16string_view s);

// The directory part with its final separator or colon ("" for a bare
// name), as qx_Fname_extractPath gives it.
std::u16string directory_of(std::u16string_view name);

// Copies `text` into a library buffer of kPathRoom+1 units, cut to fit,
// and returns the buffer.
qx_wchar* into_buffer(qx_wchar* buffer, std::u16string_view text);

}  // namespace qx::fs

#endif  // QX_FS_NAMES_H
