// qx dbf append, delete, recall and pack: the subcommands that change a table.
// Each waits a bounded time for the locks it needs (--wait SECONDS); append
// refuses, before anything is written, a value the table could not hold as
// given (dbf_values.h).
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

// How long a command waits for a lock that another program holds.
constexpr int kDefaultWaitSeconds = 5;

// Takes "--wait SECONDS" out of the arguments into the engine's lock
// attempts: one at once and one more as each second of the clock passes, so
// that the first, partial second does not count.  False when SECONDS is not
// a whole number from 0 to 3600.
bool take_wait(Args* args, Engine& e) {
  int seconds = kDefaultWaitSeconds;
  for (size_t i = 1; i < args->size(); ++i) {
    if ((*args)[i] != "--wait") continue;
    if (i + 1 >= args->size()) return false;
    const std::string& value = (*args)[i + 1];
    size_t at = 0;
    if (skip_digits(value, &at) != value.size() || value.size() > 4) return false;
    seconds = std::stoi(value);
    if (seconds > 3600) return false;
    args->erase(args->begin() + static_cast<long>(i), args->begin() + static_cast<long>(i) + 2);
    break;
  }
  e.lockRetries = seconds == 0 ? 1 : seconds + 2;
  return true;
}

// A record number from 1, in decimal digits and within the engine's range.
bool parse_record_number(const std::string& text, long* n) {
  size_t at = 0;
  if (skip_digits(text, &at) != text.size()) return false;
  errno = 0;
  *n = std::strtol(text.c_str(), nullptr, 10);
  return errno == 0 && *n >= 1 && *n <= 0xFFFFFFFFL;
}

int run_append(const Args& given) {
  QuietEngine q;
  Engine& e = q.engine;
  Args args = given;
  if (!take_wait(&args, e)) return dbf_usage("--wait takes whole seconds from 0 to 3600");
  if (args.size() < 2) return dbf_usage("append takes FILE and the values");
  Table* t = open_table(e, args[1], false);
  if (!t) return dbf_failure(e, args[1], "append");
  if (args.size() - 2 > static_cast<size_t>(dbfFieldCount(t))) {
    dbfClose(t);
    return dbf_usage("more values than fields");
  }
  if (dbfAppendStart(t, 0) != 0) {
    dbfClose(t);
    return dbf_failure(e, args[1], "append");
  }
  dbfBlank(t);
  for (size_t i = 2; i < args.size(); ++i) {
    Field* f = dbfFieldByNumber(t, static_cast<int>(i - 1));
    std::string why;
    if (!store_value(f, args[i], &why)) {
      std::fprintf(stderr, "qx dbf append: field %s: '%s' %s\n", from_table(fldName(f)).c_str(),
                   args[i].c_str(), why.c_str());
      dbfAbandonChanges(t);
      dbfClose(t);
      return kExitFailure;
    }
  }
  if (dbfAppend(t) != 0) {
    int rc = dbf_failure(e, args[1], "append");
    dbfClose(t);
    return rc;
  }
  std::printf("appended record %ld\n", dbfRecordNumber(t));
  return dbfClose(t) == 0 ? kExitOk : dbf_failure(e, args[1], "append");
}

// Marks or unmarks one record.  The record is read under its lock and
// written back before the lock goes, so a pack running beside cannot move
// another record into its place in between.
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

int run_pack(const Args& given) {
  QuietEngine q;
  Engine& e = q.engine;
  Args args = given;
  if (!take_wait(&args, e)) return dbf_usage("--wait takes whole seconds from 0 to 3600");
  if (args.size() != 2) return dbf_usage("pack takes one FILE");
  Table* t = open_table(e, args[1], false);
  if (!t) return dbf_failure(e, args[1], "pack");
  long before = dbfRecordCount(t);
  if (dbfPack(t) != 0) {
    int rc = dbf_failure(e, args[1], "pack");
    dbfClose(t);
    return rc;
  }
  long after = dbfRecordCount(t);
  if (dbfClose(t) != 0) return dbf_failure(e, args[1], "pack");
  std::printf("packed: %ld records kept, %ld removed\n", after, before - after);
  return kExitOk;
}

int run_delete(const Args& args) { return run_mark(args, true); }
int run_recall(const Args& args) { return run_mark(args, false); }

const DbfSubcommand kAppend("append", "append FILE VALUE... [--wait S]   one value per field, in field order",
                            run_append);
const DbfSubcommand kDelete("delete", "delete FILE RECNO [--wait S]   mark a record deleted", run_delete);
const DbfSubcommand kRecall("recall", "recall FILE RECNO [--wait S]   take the mark away", run_recall);
const DbfSubcommand kPack("pack", "pack FILE [--wait S]      remove the deleted records", run_pack);

}  // namespace

}  // namespace qxtool
