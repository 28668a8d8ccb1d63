// qx dbf append and qx dbf pack, through the table API: a record built in
// the record buffer (qx_Db_appendStart, the field assignments, qx_Db_append)
// and a pack (qx_Db_packDb).  Each waits a bounded time for the locks it
// needs (--wait SECONDS); append refuses, before anything is stored, a
// value the table could not hold as given (dbf_values.h).
#include <cstdio>
#include <string>
#include <vector>

#include "dbf_api.h"
#include "dbf_command.h"
#include "dbf_values.h"
#include "qx/db.h"
#include "text.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

// The fields that take the values given, in field order: every field but
// the table's system ones.
std::vector<const qx_DbFldNode*> value_fields(qx_DbFldList* fields) {
  std::vector<const qx_DbFldNode*> taking;
  for_each_node(fields, [&](const qx_DbFldNode* node) {
    if (!is_system(node)) taking.push_back(node);
  });
  return taking;
}

int run_append(const Args& given) {
  Engine& e = api_context();
  Args args = given;
  if (!take_wait(&args, e)) return dbf_usage("--wait takes whole seconds from 0 to 3600");
  if (args.size() < 2) return dbf_usage("append takes FILE and the values");
  ApiTable table(args[1], false);
  if (!table.is_open()) return dbf_failure(e, args[1], "append");
  FieldList structure(qx_Db_struct(table.id()));
  std::vector<const qx_DbFldNode*> fields = value_fields(structure.list);
  if (args.size() - 2 > fields.size()) return dbf_usage("more values than fields");
  std::vector<FieldValue> values(fields.size());
  for (size_t i = 2; i < args.size(); ++i) {
    std::string why;
    if (!check_value(fields[i - 2], args[i], &values[i - 2], &why)) {
      std::fprintf(stderr, "qx dbf append: field %s: '%s' %s\n", utf8(fields[i - 2]->name).c_str(),
                   args[i].c_str(), why.c_str());
      return kExitFailure;
    }
  }
  if (qx_Db_appendStart(table.id()) != 0) return dbf_failure(e, args[1], "append");
  // The buffer starts as a copy of the current record: every field is
  // stored, those given no value as blanks, and the mark taken away.
  qx_Db_undelRec(table.id());
  for (size_t i = 0; i < fields.size(); ++i) store_value(table.id(), fields[i], values[i]);
  if (qx_Db_append(table.id()) != 0) return dbf_failure(e, args[1], "append");
  long appended = qx_Db_getRecordNo(table.id());
  if (table.close() != 0) return dbf_failure(e, args[1], "append");
  std::printf("appended record %ld\n", appended);
  return kExitOk;
}

int run_pack(const Args& given) {
  Engine& e = api_context();
  Args args = given;
  if (!take_wait(&args, e)) return dbf_usage("--wait takes whole seconds from 0 to 3600");
  if (args.size() != 2) return dbf_usage("pack takes one FILE");
  ApiTable table(args[1], false);
  if (!table.is_open()) return dbf_failure(e, args[1], "pack");
  long before = qx_Db_getRecordCount(table.id());
  if (qx_Db_packDb(table.id()) != 0) return dbf_failure(e, args[1], "pack");
  long after = qx_Db_getRecordCount(table.id());
  if (table.close() != 0) return dbf_failure(e, args[1], "pack");
  std::printf("packed: %ld records kept, %ld removed\n", after, before - after);
  return kExitOk;
}

const DbfSubcommand kAppend("append", "append FILE VALUE... [--wait S]   one value per field, in field order",
                            run_append);
const DbfSubcommand kPack("pack", "pack FILE [--wait S]      remove the deleted records", run_pack);

}  // namespace

}  // namespace qxtool
