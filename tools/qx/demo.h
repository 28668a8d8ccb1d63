// `qx demo` runs a series of sections, each showing one family of the
// library at work.  A section lives beside its family's commands and
// registers itself; sections run in the order of their keys.
#ifndef QX_TOOL_DEMO_H
#define QX_TOOL_DEMO_H

#include <string>

namespace qxtool {

// Returns 0 when the section ran as expected.
using DemoFn = int (*)(const std::string& work_dir);

struct DemoSection {
  // `key` orders the sections ("10-diag", "20-lists", ...).
  DemoSection(const char* key, const char* title, DemoFn fn);
};

}  // namespace qxtool

#endif  // QX_TOOL_DEMO_H
