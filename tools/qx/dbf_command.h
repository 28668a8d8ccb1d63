// The `qx dbf` subcommands and what they share.  Each subcommand lives in a
// file of its own and registers itself with a static DbfSubcommand object;
// `qx dbf SUBCOMMAND ...` dispatches on the name.  The subcommands drive
// tables through the library's table API (qx/db.h, dbf_api.h) where it can
// do their work, and through the table engine's operations (dbf/table.h,
// dbf/field.h) where it cannot; each file that keeps to the engine says why.
//
// Command-line text is UTF-8; the tables hold 8-bit (ISO-8859-1) text.
#ifndef QX_TOOL_DBF_COMMAND_H
#define QX_TOOL_DBF_COMMAND_H

#include <string>

#include "command.h"
#include "dbf/engine.h"
#include "dbf/field.h"
#include "dbf/table.h"

namespace qxtool {

// args[0] is the subcommand's own name, as for a command.
struct DbfSubcommand {
  DbfSubcommand(const char* name, const char* usage, CommandFn fn);
};

// Command-line (UTF-8) text to table text and back.
std::string to_table(const std::string& utf8);
std::string from_table(const std::string& latin1);

// An engine that keeps quiet: the command prints the failure itself.
struct QuietEngine {
  QuietEngine() { engine.quietErrors = 1; }
  qx::dbf::Engine engine;
};

// Prints why `doing` failed on `file`, from the engine's last error; exit 1.
int dbf_failure(qx::dbf::Engine& e, const std::string& file, const char* doing);
// Prints a usage error for the dbf command; exit 2.
int dbf_usage(const char* detail);
// Opens a table named on the command line.
qx::dbf::Table* open_table(qx::dbf::Engine& e, const std::string& file, bool read_only);
// Takes "--wait SECONDS" out of the arguments into the engine's lock
// attempts (5 seconds when not given); false when SECONDS is not a whole
// number from 0 to 3600.
bool take_wait(Args* args, qx::dbf::Engine& e);
// The text without the blanks before and after it.
std::string trimmed(std::string text);
// The field's value as stored: its width in bytes.
std::string field_text(qx::dbf::Field* f);

}  // namespace qxtool

#endif  // QX_TOOL_DBF_COMMAND_H
