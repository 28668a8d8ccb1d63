// qx dbf append, delete, recall and pack: the subcommands that change a table.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dbf/error.h"
#include "dbf_command.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

bool is_number(const std::string& s) {
  char* end = nullptr;
  std::strtod(s.c_str(), &end);
  return !s.empty() && *end == 0;
}

// Stores one command-line value; false with a reason when it does not fit
// the field.
bool store_value(Field* f, const std::string& value, std::string* why) {
  std::string text = to_table(value);
  switch (fldStoredType(f)) {
    case 'N':
    case 'F':
      if (value.empty()) return fldAssign(f, "") == 0;
      if (!is_number(value)) return *why = "not a number", false;
      fldAssignDouble(f, std::strtod(value.c_str(), nullptr));
      if (field_text(f).find('*') != std::string::npos) return *why = "does not fit", false;
      return true;
    case 'D':
      if (!value.empty() && (value.size() != 8 || date_to_day(value.c_str()) == 0))
        return *why = "not a date CCYYMMDD", false;
      return fldAssign(f, text.c_str()) == 0;
    case 'L':
      if (value.size() > 1 || (value.size() == 1 && !std::strchr("TtFfYyNn?", value[0])))
        return *why = "not a logical (T, F, Y, N, ?)", false;
      return fldAssignChar(f, value.empty() ? ' ' : std::toupper(value[0])) == 0;
    case 'M':
    case 'G':
    case 'B':
      return fldAssignMemo(f, text) == 0;
    default:
      if (text.size() > static_cast<size_t>(fldWidth(f))) return *why = "longer than the field", false;
      return fldAssign(f, text.c_str()) == 0;
  }
}

int run_append(const Args& args) {
  if (args.size() < 2) return dbf_usage("append takes FILE and the values");
  QuietEngine q;
  Engine& e = q.engine;
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

int run_mark(const Args& args, bool remove) {
  const char* doing = remove ? "delete" : "recall";
  if (args.size() != 3) return dbf_usage("delete and recall take FILE and RECNO");
  char* end = nullptr;
  long n = std::strtol(args[2].c_str(), &end, 10);
  if (args[2].empty() || *end || n < 1) return dbf_usage("RECNO is a record number from 1");
  QuietEngine q;
  Engine& e = q.engine;
  Table* t = open_table(e, args[1], false);
  if (!t) return dbf_failure(e, args[1], doing);
  long count = dbfRecordCount(t);
  if (n > count) {
    std::fprintf(stderr, "qx dbf %s: %s: no record %ld (the table has %ld)\n", doing,
                 args[1].c_str(), n, count);
    dbfClose(t);
    return kExitFailure;
  }
  if (dbfGo(t, n) != 0) {
    int rc = dbf_failure(e, args[1], doing);
    dbfClose(t);
    return rc;
  }
  remove ? dbfDelete(t) : dbfRecall(t);
  if (dbfClose(t) != 0) return dbf_failure(e, args[1], doing);
  std::printf("record %ld %s\n", n, remove ? "deleted" : "recalled");
  return kExitOk;
}

int run_pack(const Args& args) {
  if (args.size() != 2) return dbf_usage("pack takes one FILE");
  QuietEngine q;
  Engine& e = q.engine;
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

const DbfSubcommand kAppend("append", "append FILE VALUE...      one value per field, in field order",
                            run_append);
const DbfSubcommand kDelete("delete", "delete FILE RECNO         mark a record deleted", run_delete);
const DbfSubcommand kRecall("recall", "recall FILE RECNO         take the mark away", run_recall);
const DbfSubcommand kPack("pack", "pack FILE                 remove the deleted records", run_pack);

}  // namespace

}  // namespace qxtool
