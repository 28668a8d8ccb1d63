// qx dbf delete and qx dbf recall: mark a record deleted or take the mark
// away.  They stay on the engine's operations: the table API reaches a
// record only by moving through the table, not by its number, and cannot
// read it under its lock, which is what keeps a pack running beside from
// moving another record into its place before the mark is written.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dbf/error.h"
#include "dbf_command.h"
#include "dbf_values.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

// A record number from 1, in decimal digits and within the engine's range.
bool parse_record_number(const std::string& text, long* n) {
  size_t at = 0;
  if (skip_digits(text, &at) != text.size()) return false;
  errno = 0;
  *n = std::strtol(text.c_str(), nullptr, 10);
  return errno == 0 && *n >= 1 && *n <= 0xFFFFFFFFL;
}

// Marks or unmarks one record.  The record is read under its lock and
// written back before the lock goes.
int run_mark(const Args& given, bool remove) {
  const char* doing = remove ? "delete" : "recall";
  QuietEngine q;
  Engine& e = q.engine;
  Args args = given;
  if (!take_wait(&args, e)) return dbf_usage("--wait takes whole seconds from 0 to 3600");
  if (args.size() != 3) return dbf_usage("delete and recall take FILE and RECNO");
  long n = 0;
  if (!parse_record_number(args[2], &n)) return dbf_usage("RECNO is a record number from 1");
  Table* t = open_table(e, args[1], false);
  if (!t) return dbf_failure(e, args[1], doing);
  int rc = n <= dbfRecordCount(t) ? dbfGoLocked(t, n) : kShortRead;
  long count = dbfRecordCount(t);
  if (n > count) {
    std::fprintf(stderr, "qx dbf %s: %s: no record %ld (the table has %ld)\n", doing,
                 args[1].c_str(), n, count);
    dbfClose(t);
    return kExitFailure;
  }
  if (rc != 0) {
    rc = dbf_failure(e, args[1], doing);
    dbfClose(t);
    return rc;
  }
  remove ? dbfDelete(t) : dbfRecall(t);
  if (dbfClose(t) != 0) {
    if (e.lastError != kErrResult) return dbf_failure(e, args[1], doing);
    std::fprintf(stderr, "qx dbf %s: %s: the table was packed since record %ld was read; nothing written\n",
                 doing, args[1].c_str(), n);
    return kExitFailure;
  }
  std::printf("record %ld %s\n", n, remove ? "deleted" : "recalled");
  return kExitOk;
}

int run_delete(const Args& args) { return run_mark(args, true); }
int run_recall(const Args& args) { return run_mark(args, false); }

const DbfSubcommand kDelete("delete", "delete FILE RECNO [--wait S]   mark a record deleted", run_delete);
const DbfSubcommand kRecall("recall", "recall FILE RECNO [--wait S]   take the mark away", run_recall);

}  // namespace

}  // namespace qxtool
