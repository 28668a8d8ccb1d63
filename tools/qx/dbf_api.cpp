// The table API as the qx dbf commands use it.
#include "dbf_api.h"

#include "qx/db.h"
#include "table/engine_context.h"
#include "text.h"

namespace qxtool {

using namespace qx::dbf;

Engine& api_context() {
  // The API switches the engine's reports and its production-index opening
  // off for its callers; the program wants the engine's plain settings, so
  // that a change to a table keeps its production index up to date and a
  // failure leaves the same error number it always did.
  static Engine* context = [] {
    Engine* e = qx::table::api_engine();
    engInit(e);
    e->quietErrors = 1;
    return e;
  }();
  return *context;
}

ApiTable::ApiTable(const std::string& file, bool read_only) : id_(-1) {
  api_context();
  id_ = qx_Db_openDbEx(wide(file).c_str(), read_only ? 1 : 0);
}

int ApiTable::close() {
  if (id_ < 0) return 0;
  int rc = qx_Db_closeDb(id_);
  id_ = -1;
  return rc;
}

Table* ApiTable::engine_table() const { return static_cast<Table*>(qx_DbRef_sel(id_)); }

}  // namespace qxtool
