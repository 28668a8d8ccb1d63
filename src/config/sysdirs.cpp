// System directories and names.  The configuration directory comes from the
// application component; the library's configuration file qx.ini lives there.
#include "qx/sys.h"

#include "app/holder.h"
#include "port/wstr.h"

namespace {
constexpr size_t kPathCap = 260;
}

extern "C" {

void qx_Sys_getCfgDir(qx_wchar* dir) {
  if (!dir) return;
  dir[0] = 0;
  qx::ComPtr<qx::app::IApplicationObject> app = qx::app::application();
  if (!app) return;
  qx::port::Bstr config;
  if (FAILED(app->get_ConfigDirectory(config.out())) || config.length() == 0) return;
  qx::port::wcopy(dir, kPathCap, config.get());
  size_t n = qx::port::wlen(dir);
  if (n > 0 && dir[n - 1] != u'\\' && dir[n - 1] != u'/' && n + 1 < kPathCap) {
    dir[n] = u'\\';
    dir[n + 1] = 0;
  }
  qx::port::wlwr(dir);
}

qx_wchar* qx_Sys_getCfgName(qx_wchar* path, const qx_wchar* name) {
  if (!path) return path;
  qx_Sys_getCfgDir(path);
  qx::port::wappend(path, kPathCap, name);
  return qx::port::wlwr(path);
}

}  // extern "C"
