// The library's configuration file qx.ini, read and written through the
// application component's settings service; values of any Windows-style INI
// file read through the private-profile reader; ';'-separated lists.
#include "config/expand.h"
#include "qx/env.h"

#include "app/holder.h"
#include "port/profile.h"
#include "port/wstr.h"
#include "qx/str.h"
#include "qx/strlist.h"
#include "qx/sys.h"

namespace {

// Shared result buffer of the INI lookups (1024 characters and terminator);
// a configuration value is cut to 512.
qx_wchar g_value[1025];
constexpr size_t kMaxValue = 512;

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
  qx::ComPtr<qx::app::IIniService> settings = qx::app::settings();
  if (!settings) return nullptr;
  qx::port::Bstr b_file(config_file()), b_group(group), b_name(name), value;
  settings->GetValue(b_file.get(), b_group.get(), b_name.get(), value.out());
  if (value.length() == 0) return nullptr;
  std::u16string expanded = qx::config::expand_aliases({value.get(), value.length()});
  qx::port::wcopy(g_value, kMaxValue + 1, expanded);
  return g_value;
}

int qx_Env_setIni(const qx_wchar* group, const qx_wchar* name, const qx_wchar* value) {
  if (!group || !name) return 1;
  qx::ComPtr<qx::app::IIniService> settings = qx::app::settings();
  if (!settings) return 1;
  qx::port::Bstr b_file(config_file()), b_group(group), b_name(name),
      b_value(value ? value : u"");
  VARIANT_BOOL written = VARIANT_FALSE;
  HRESULT hr = settings->SetValue(b_file.get(), b_group.get(), b_name.get(), b_value.get(),
                                  &written);
  return SUCCEEDED(hr) && written ? 0 : 1;
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
