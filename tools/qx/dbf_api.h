// The table API (qx/db.h) as the qx dbf commands use it: a table opened by
// the name typed on the command line and known by its table id, and the
// API's engine context set up as the program wants it.  Text crosses the
// API as UTF-16: command-line UTF-8 goes in through wide(), the API's text
// comes out through utf8() (text.h).
#ifndef QX_TOOL_DBF_API_H
#define QX_TOOL_DBF_API_H

#include <string>

#include "dbf/engine.h"
#include "dbf/table.h"
#include "qx/dbfldlist.h"

namespace qxtool {

// The API's engine context with the settings of a plain one (a table's
// production index opens with it, so every change keeps it up to date;
// unique tags leave duplicates out) and failures kept quiet, for the
// command to report with dbf_failure().  Its lock attempts are the
// command's to set (take_wait()).
qx::dbf::Engine& api_context();

// A table opened through the API for the length of a command.
class ApiTable {
 public:
  // Opens `file` (UTF-8) with qx_Db_openDbEx; is_open() says whether it did.
  ApiTable(const std::string& file, bool read_only);
  // Takes over a table id the API gave (qx_Db_createDb); -1 for none.
  explicit ApiTable(int id) : id_(id) {}
  ~ApiTable() { close(); }
  ApiTable(const ApiTable&) = delete;
  ApiTable& operator=(const ApiTable&) = delete;

  bool is_open() const { return id_ >= 0; }
  int id() const { return id_; }
  // Closes the table: the engine's result, 0 when it was not open.
  int close();
  // The engine table behind the id, for what the API's text cannot carry.
  qx::dbf::Table* engine_table() const;

 private:
  int id_;
};

// A new table field list of the table's fields (qx_Db_struct), owned.
struct FieldList {
  explicit FieldList(qx_DbFldList* list) : list(list) {}
  ~FieldList() { qx_DbFldList_destroy(list); }
  FieldList(const FieldList&) = delete;
  FieldList& operator=(const FieldList&) = delete;
  qx_DbFldList* list;
};

// The nodes of a table field list, in order.
template <typename Visit>
void for_each_node(qx_DbFldList* list, Visit visit) {
  for (qx_LnkListNode* at = list ? list->first : nullptr; at; at = at->next)
    if (at->data) visit(static_cast<qx_DbFldNode*>(at->data));
}

// True for a system field (_NullFlags, type 0), no column of the user's.
inline bool is_system(const qx_DbFldNode* node) { return node->type == u'0'; }

}  // namespace qxtool

#endif  // QX_TOOL_DBF_API_H
