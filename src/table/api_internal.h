// Internals shared by the table API sources: the process-wide engine context
// and the registries behind the table and index ids.
#ifndef QX_TABLE_API_INTERNAL_H
#define QX_TABLE_API_INTERNAL_H

#include "dbf/table.h"
#include "table/dbfld_internal.h"
#include "table/engine_context.h"

namespace qx::table {

// The engine keeps a negative error number until its caller clears it, and
// refuses opens, creates, reads and stores meanwhile.  The API has no
// operation that reads the number, so it clears one that an earlier call
// left before each call begins: one bad query expression must not leave
// every later call failing.
void forget_earlier_error();

// The engine table of a table id (the earlier error forgotten), or null.
dbf::Table* table_of(int id);

// Empties both registries (freeing their elements) and makes them anew.
void reset_registries();
// Whether the registries have been made.
bool registries_exist();

}  // namespace qx::table

#endif  // QX_TABLE_API_INTERNAL_H
