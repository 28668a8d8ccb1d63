// A table field list (one record's values as text) turned into a field list
// of typed values: numbers with decimals become reals, whole numbers ints,
// everything else text.
#include <string>

#include "port/wstr.h"
#include "qx/dbfldlist.h"
#include "qx/fldlist.h"
#include "qx/lnklist.h"

namespace {

// Names and value texts are read into buffers of this many characters,
// terminator included: longer text is cut.
constexpr size_t kTextCap = 512;

std::u16string cut(const qx_wchar* text) {
  std::u16string s = qx::port::wstring_of(text);
  if (s.size() >= kTextCap) s.resize(kTextCap - 1);
  return s;
}

// A table may write its decimal point as a comma; the first one is read as
// the point.
double real_of(std::u16string text) {
  if (size_t comma = text.find(u','); comma != std::u16string::npos) text[comma] = u'.';
  return qx::port::wtof(text.c_str());
}

void append_typed(qx_FldList* list, const qx_DbFldNode& field, const std::u16string& value) {
  std::u16string name = cut(field.name);
  if (field.type != u'N')
    qx_FldList_appChar(list, name.c_str(), value.c_str());
  else if (field.decimals != 0)
    qx_FldList_appReal(list, name.c_str(), real_of(value));
  else
    qx_FldList_appInt(list, name.c_str(), qx::port::wtoi(value.c_str()));
}

}  // namespace

extern "C" {

qx_FldList* qx_FldList_fromDbFldList(qx_DbFldList* tableFields) {
  qx_FldList* list = qx_LnkList_create(nullptr);
  if (!list || !tableFields) return list;
  for (qx_DbFldList_start(tableFields); !qx_DbFldList_eol(tableFields);
       qx_DbFldList_next(tableFields)) {
    const qx_DbFldNode* field = qx_DbFldList_getCurrFld(tableFields);
    if (!field || !field->name[0]) continue;
    append_typed(list, *field, cut(qx_DbFldList_getCurrStr(tableFields)));
  }
  return list;
}

}  // extern "C"
