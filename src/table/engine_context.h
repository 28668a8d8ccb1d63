// The table API's engine context, for a program that drives the API and
// wants a say in the context's settings (how long a lock is waited for,
// whether a table's production index opens with it) and reads its error
// state to tell its user why a call failed.  The API clears that state as
// each of its calls begins, so it is read right after the failing call.
#ifndef QX_TABLE_ENGINE_CONTEXT_H
#define QX_TABLE_ENGINE_CONTEXT_H

#include "dbf/engine.h"

namespace qx::table {

// The API's engine context, set up (qx_Db_init) on first use.
dbf::Engine* api_engine();

}  // namespace qx::table

#endif  // QX_TABLE_ENGINE_CONTEXT_H
