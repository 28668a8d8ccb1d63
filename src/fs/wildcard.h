// File-name patterns matched as the Windows directory search matches them:
// letter case is ignored, '*' takes any run of characters and '?' any one,
// with the rules that make "*.*" match every name and "name.*" match
// "name":
//   - '?' at a point or at the end of the name matches nothing there;
//   - a point followed by '?', '*' or the end of the pattern also matches
//     the end of the name;
//   - '*' followed by a point does not run past the name's last point.
#ifndef QX_FS_WILDCARD_H
#define QX_FS_WILDCARD_H

#include <string_view>

namespace qx::fs {

bool name_matches(std::u16string_view pattern, std::u16string_view name);

// True when the pattern holds '*' or '?'.
bool has_wildcards(std::u16string_view pattern);

}  // namespace qx::fs

#endif  // QX_FS_WILDCARD_H
