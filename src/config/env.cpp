// The library's configuration file: values of qx.ini read through the
// application component's settings service.
#include "qx/env.h"

#include "app/holder.h"
#include "qx/sys.h"
#include "port/wstr.h"

namespace {
// Shared result buffer of the INI lookups (1024 characters and terminator).
qx_wchar g_value[1025];
constexpr size_t kMaxValue = 512;
}  // namespace

extern "C" {

qx_wchar* qx_Env_getIni(const qx_wchar* group, const qx_wchar* name) {
  if (!group || !name) return nullptr;
  qx::ComPtr<qx::app::IIniService> settings = qx::app::settings();
  if (!settings) return nullptr;
  qx_wchar file[260];
  qx_Sys_getCfgName(file, u"qx.ini");
  qx::port::Bstr b_file(file), b_group(group), b_name(name), value;
  settings->GetValue(b_file.get(), b_group.get(), b_name.get(), value.out());
  if (value.length() == 0) return nullptr;
  qx::port::wcopy(g_value, kMaxValue + 1, value.get());
  return g_value;
}

}  // extern "C"
