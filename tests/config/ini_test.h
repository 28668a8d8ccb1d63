// The fixture of the INI tests: a fresh folder per test and COM initialised,
// so that the settings service of the application component is there.
#ifndef QX_TESTS_CONFIG_INI_TEST_H
#define QX_TESTS_CONFIG_INI_TEST_H

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "component_test.h"
#include "qx/fldlist.h"
#include "qx/ini.h"
#include "qx/strlist.h"
#include "test_support.h"

namespace qxtest {

class IniTest : public ComponentTest {};

using Pairs = std::vector<std::pair<std::string, std::string>>;

// The (name, text) pairs of a field list of texts; the list is destroyed.
inline Pairs fields_of(qx_FldList* list) {
  Pairs out;
  if (!list) return out;
  for (qx_FldList_start(list); !qx_FldList_eol(list); qx_FldList_next(list)) {
    const qx_FldNode* node = qx_FldList_curr(list);
    out.emplace_back(u8(node->name), node->type == QX_FLD_CHAR ? u8(node->value.text) : "?");
  }
  qx_FldList_destroy(list);
  return out;
}

inline std::vector<std::string> strings_of(qx_StrList* list) {
  std::vector<std::string> out;
  if (!list) return out;
  // Straight from the nodes: the list's own buffer would cut at 512.
  for (qx_StrList_start(list); !qx_StrList_eol(list); qx_StrList_next(list))
    out.push_back(u8(static_cast<const qx_StrListNode*>(qx_LnkList_getCurr(list))->str));
  qx_StrList_destroy(list);
  return out;
}

// A field list of texts from (name, text) pairs.
inline qx_FldList* list_of(const Pairs& pairs) {
  qx_FldList* list = qx_FldList_create(nullptr);
  for (const auto& [name, text] : pairs)
    qx_FldList_appChar(list, qx::port::from_utf8(name).c_str(), qx::port::from_utf8(text).c_str());
  return list;
}

}  // namespace qxtest

#endif  // QX_TESTS_CONFIG_INI_TEST_H
