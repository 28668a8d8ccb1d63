// Owns a field list for one test (a new empty one when given none).
#ifndef QX_TESTS_FIELDS_FLD_LIST_OWNER_H
#define QX_TESTS_FIELDS_FLD_LIST_OWNER_H

#include "qx/fldlist.h"

namespace qxtest {

struct OwnedFldList {
  qx_FldList* list;
  explicit OwnedFldList(qx_FldList* l = nullptr) : list(l ? l : qx_FldList_create(nullptr)) {}
  ~OwnedFldList() { qx_FldList_destroy(list); }
  OwnedFldList(const OwnedFldList&) = delete;
  OwnedFldList& operator=(const OwnedFldList&) = delete;
  operator qx_FldList*() const { return list; }
};

}  // namespace qxtest

#endif  // QX_TESTS_FIELDS_FLD_LIST_OWNER_H
