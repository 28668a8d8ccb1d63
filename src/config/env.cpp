// The library's configuration file qx.ini, read and written through the
// INI functions (the application component's settings service); values of
// any Windows-style INI file read through the private-profile reader;
// ';'-separated lists.
#include "qx/env.h"

#include "port/profile.h"
#include "port/wstr.h"
#include "qx/ini.h"
#include "qx/str.h"
#include "qx/strlist.h"
#include "qx/sys.h"

namespace {

constexpr size_t kWinValueRoom = 256;
qx_wchar g_win_value[kWinValueRoom];

constexpr size_t kSplitRoom = 1024;

std::u16string config_file() {
  qx_wchar file[QX_MAX_PATH];
  return qx_Sys_getCfgName(file, u"qx.ini");
}

}  // namespace

extern "C" {

qx_wchar* qx_Env_getIni(const qx_wchar* group, const qx_wchar* name) {
  if (!group || !name) return nullptr;
  return qx_Ini_get(config_file().c_str(), group, name);
}

int qx_Env_setIni(const qx_wchar* group, const qx_wchar* name, const qx_wchar* value) {
  return qx_Ini_set(config_file().c_str(), group, name, value);
}

int qx_Env_displayIniError(const qx_wchar* group, const qx_wchar* name) {
  return qx_Ini_displayError(config_file().c_str(), group, name);
}

qx_FldList* qx_Env_getIniGroup(const qx_wchar* group) {
  return qx_Ini_getGroup(config_file().c_str(), group);
}

qx_wchar* qx_Env_getWin(const qx_wchar* file, const qx_wchar* section, const qx_wchar* key) {
  g_win_value[0] = 0;
  if (!file || !section || !key) return nullptr;
  std::optional<std::u16string> value = qx::port::profile_string(file, section, key);
  if (!value || value->empty()) return nullptr;
  qx::port::wcopy(g_win_value, kWinValueRoom, *value);
  return g_win_value;
}

qx_StrList* qx_Env_split(const qx_wchar* text) {
  if (!text) return nullptr;
  qx_wchar work[kSplitRoom + 1];
  qx::port::wcopy(work, kSplitRoom + 1, text);
  qx_StrList* list = nullptr;
  qx_wchar* context = nullptr;
  for (qx_wchar* part = qx::port::wtok(work, u";", &context); part;
       part = qx::port::wtok(nullptr, u";", &context)) {
    qx_Str_delBlks(part);
    if (!list) {
      list = qx_StrList_create(part, nullptr);
      if (!list) return nullptr;
    } else {
      qx_StrList_insEnd(list, part);
    }
  }
  return list;
}

}  // extern "C"
