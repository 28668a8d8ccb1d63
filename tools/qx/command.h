// The qx program's commands.  Each command lives in a file of its own and
// registers itself with a static Command object; main() dispatches on the
// first argument.
#ifndef QX_TOOL_COMMAND_H
#define QX_TOOL_COMMAND_H

#include <string>
#include <vector>

namespace qxtool {

using Args = std::vector<std::string>;
// Returns the process exit code.
using CommandFn = int (*)(const Args& args);

struct Command {
  Command(const char* name, const char* usage, CommandFn fn);
};

// Exit codes shared by the commands.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the operation failed (bad file, not found, ...)
constexpr int kExitUsage = 2;    // the command line was wrong

}  // namespace qxtool

#endif  // QX_TOOL_COMMAND_H
