// Message tables: numbered texts kept in a small table with a character
// field MSG_NO (the number, the index key) and MSG_NAME (the text).  A table
// is looked for first in the network directory's language folder, then by
// its temporary, local and network name, so that a site can put a
// translated table in front of the one shipped with a program.
#include <string>

#include "port/wstr.h"
#include "qx/db.h"
#include "qx/fname.h"
#include "qx/msglist.h"
#include "qx/str.h"
#include "qx/sys.h"

namespace {

using std::u16string;

constexpr const qx_wchar* kNumberField = u"MSG_NO";
constexpr const qx_wchar* kTextField = u"MSG_NAME";
constexpr size_t kWidestField = 65535;
qx_wchar g_value[QX_MSG_VALUE_LEN + 1];

using PlaceFn = void (*)(qx_wchar* path, const qx_wchar* file);

void in_language_folder(qx_wchar* path, const qx_wchar* file) {
  qx_Sys_getNetDir(path);
  qx_Fname_fixDir(path);
  qx::port::wappend(path, QX_MAX_PATH, u"language");
  qx_Fname_fixDir(path);
  qx::port::wappend(path, QX_MAX_PATH, file);
}
void temp_name(qx_wchar* path, const qx_wchar* file) { qx_Sys_getTempName(path, file, 0); }
void local_name(qx_wchar* path, const qx_wchar* file) { qx_Sys_getLocalName(path, file); }
void net_name(qx_wchar* path, const qx_wchar* file) { qx_Sys_getNetName(path, file); }

// The places a message table is looked for, in the order they are tried.
constexpr PlaceFn kPlaces[] = {in_language_folder, temp_name, local_name, net_name};

// The index file belongs to the table of the same path, without extension.
u16string index_path(const qx_wchar* table_path) {
  qx_wchar path[QX_MAX_PATH];
  qx::port::wcopy(path, QX_MAX_PATH, table_path);
  qx_Fname_rmvExt(path);
  return qx::port::wstring_of(path);
}

// Opens the table's index, or builds it on MSG_NO when the table came
// without one: index id, or -1.
int open_or_build_index(int table, const qx_wchar* table_path) {
  u16string path = index_path(table_path);
  int index = qx_Db_openNdx(table, path.c_str());
  if (index >= 0) return index;
  return qx_Db_createNdx(table, path.c_str(), kNumberField, 1);
}

}  // namespace

extern "C" {

int qx_Msg_openDb(const qx_wchar* first, const qx_wchar* second, int* table, int* index) {
  if (!table || !index) return 0;
  u16string file = qx::port::wstring_of(first) + u"_" + qx::port::wstring_of(second) + u".dbf";
  qx_Db_init();
  *table = -1;
  *index = -1;
  for (PlaceFn place : kPlaces) {
    qx_wchar path[QX_MAX_PATH];
    path[0] = 0;
    place(path, file.c_str());
    *table = qx_Db_openDb(path);
    if (*table < 0) continue;
    *index = open_or_build_index(*table, path);
    if (*index >= 0) return 1;
    qx_Db_closeDb(*table);
    *table = -1;
    *index = -1;
    return 0;
  }
  return 0;
}

qx_wchar* qx_Msg_getVal(int table, int index, const qx_wchar* number) {
  if (!number) return nullptr;
  qx_Db_topRec(table, index);
  // The key is padded in place to the field's width, which a table file
  // may set as high as 65535: the copy has room for the widest.
  u16string key(kWidestField + 1, u'\0');
  qx::port::wcopy(key.data(), key.size(), number);
  qx_Db_padVal(key.data(), table, kNumberField);
  if (qx_Db_seekStr(key.c_str(), table, index) != 0) return nullptr;
  qx::port::wcopy(g_value, QX_MSG_VALUE_LEN + 1, qx_Db_getFldStr(table, kTextField));
  qx_Str_rtb(g_value);
  return g_value;
}

int qx_Msg_closeDb(int table) {
  qx_Db_closeDb(table);
  return 1;
}

}  // extern "C"
