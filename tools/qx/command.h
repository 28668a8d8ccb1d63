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

// `usage` is one line: the command's arguments, then after a run of blanks
// what it does ("demo [SECTION]       show the library at work").  main()
// answers `qx NAME --help` (and -h, and `qx help NAME`) from it, so a
// command never sees those arguments.
struct Command {
  Command(const char* name, const char* usage, CommandFn fn);
};

// Records a subcommand's usage line (same form, without the command's name)
// so that `qx COMMAND SUB --help` is answered centrally too.  Commands that
// dispatch to subcommands call it from their own registry.
void register_subcommand_usage(const char* command, const char* name, const char* usage);

// Exit codes shared by the commands.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the operation failed (bad file, not found, ...)
constexpr int kExitUsage = 2;    // the command line was wrong

}  // namespace qxtool

#endif  // QX_TOOL_COMMAND_H
