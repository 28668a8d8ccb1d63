// Starting programs (CreateProcess): a Windows command line is split into
// arguments by the Windows rules and the program started with posix_spawn,
// with the caller's environment and current directory.  Like a process
// started without handle inheritance, the child gets only the standard
// input, output and error of its parent.
#ifndef QX_PORT_PROCESS_H
#define QX_PORT_PROCESS_H

#include <string>
#include <string_view>
#include <vector>

namespace qx::port {

// The arguments of a command line as CommandLineToArgvW splits it: blanks
// separate, double quotes group, 2n backslashes before a quote give n
// backslashes and a quote that groups, 2n+1 give n and a literal quote,
// and backslashes elsewhere are kept.  The program name (first argument)
// ends at the first blank outside quotes, its backslashes all kept.
std::vector<std::u16string> split_command_line(std::u16string_view line);

struct SpawnResult {
  bool started = false;
  int error = 0;      // errno of a failed start
  int exit_code = -1; // when waited for: the exit status, or 128 + signal
};

// Starts the command line.  A program named with a separator is a library
// path (mapped as every path is); a bare name is searched in PATH.  When
// the name ends in ".exe" and no such program exists, the name without it
// is tried.  With `wait` the call returns when the program has ended;
// without it, the child is reaped by a later call, so it never lingers.
SpawnResult spawn_command_line(std::u16string_view line, bool wait);
// The same for arguments already split; the first names the program.
SpawnResult spawn_arguments(const std::vector<std::u16string>& words, bool wait);

// The system's text for an error number.
std::u16string error_text(int error);

}  // namespace qx::port

#endif  // QX_PORT_PROCESS_H
