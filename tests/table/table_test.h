// Owners for the lists and cursors the table tests make, so that a failed
// assertion frees them too.
#ifndef QX_TESTS_TABLE_TABLE_TEST_H
#define QX_TESTS_TABLE_TABLE_TEST_H

#include <memory>

#include "qx/dbfldlist.h"
#include "qx/fldlist.h"

namespace qxtest {

struct DbListDeleter {
  void operator()(qx_DbFldList* l) const { qx_DbFldList_destroy(l); }
};
using DbListPtr = std::unique_ptr<qx_DbFldList, DbListDeleter>;

struct CursorDeleter {
  void operator()(qx_DbCursor* c) const { qx_DbCursor_destroy(c); }
};
using CursorPtr = std::unique_ptr<qx_DbCursor, CursorDeleter>;

struct FldListDeleter {
  void operator()(qx_FldList* l) const { qx_FldList_destroy(l); }
};
using FldListPtr = std::unique_ptr<qx_FldList, FldListDeleter>;

}  // namespace qxtest

#endif  // QX_TESTS_TABLE_TABLE_TEST_H
