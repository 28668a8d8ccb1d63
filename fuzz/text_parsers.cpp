// Fuzz target for the text parsers that take outside input: the wildcard
// match, delimited-string splitting and joining, and points read from text.
// The input is split at its first NUL pair into a pattern/delimiter part and
// a text part, both read as UTF-16.
#include <cstddef>
#include <cstdint>
#include <string>

#include "qx/memory.h"
#include "qx/point.h"
#include "qx/str.h"
#include "qx/strlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string all(size / 2, u'\0');
  for (size_t i = 0; i < all.size(); ++i)
    all[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  size_t cut = all.find(u'\0');
  std::u16string first = all.substr(0, cut);
  std::u16string second = cut == std::u16string::npos ? std::u16string() : all.substr(cut + 1);
  second = second.substr(0, second.find(u'\0'));

  qx_Str_matchWildcard(second.c_str(), first.c_str());
  qx_Str_matchWildcardi(second.c_str(), first.c_str());

  if (qx_StrList* list = qx_StrList_fromDelimitedString(second.c_str(), first.c_str())) {
    qx_wchar* joined = qx_StrList_toDelimitedString(list, first.c_str());
    qx_Free(joined);
    qx_StrList_destroy(list);
  }

  qx_Point p{};
  qx_Point_fromDelimitedString(&p, second.c_str(), first.c_str());
  return 0;
}
