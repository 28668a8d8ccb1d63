// System directories and the names inside them.  Each directory comes from
// a variable looked up in the session and then in group "GENERAL" of qx.ini
// (some in only one of them), with a default built from the network
// directory; every result ends in a separator and is lower-cased.  Values
// taken from qx.ini for the temporary and pipe-specs (QVSPECS) directories are
// copied into the session, so a later change of qx.ini is not seen until
// the session is reset.
#include "qx/sys.h"

#include <string>

#include "app/holder.h"
#include "config/session_internal.h"
#include "fs/names.h"
#include "port/fs.h"
#include "port/wstr.h"
#include "qx/env.h"
#include "qx/file.h"

namespace {

using std::u16string;

// How many per-session numbers are tried before giving up on a subfolder.
constexpr int kMaxSessionNumber = 1000;

enum class Origin { kNone, kSession, kIni };

struct Setting {
  u16string value;
  Origin origin = Origin::kNone;
};

Setting from_ini(const qx_wchar* name) {
  const qx_wchar* value = qx_Env_getIni(u"GENERAL", name);
  if (!value || !*value) return {};
  return {value, Origin::kIni};
}

Setting from_session_then_ini(const qx_wchar* name) {
  std::optional<u16string> value = qx::config::session_value(name);
  if (value && !value->empty()) return {*value, Origin::kSession};
  return from_ini(name);
}

u16string with_separator(u16string dir) {
  if (!dir.empty() && !qx::fs::is_separator(dir.back())) dir += qx::fs::separator_of(dir);
  return dir;
}

qx_wchar* hand_out(qx_wchar* out, const u16string& text) {
  qx::port::wcopy(out, QX_MAX_PATH, text);
  return qx::port::wlwr(out);
}

u16string net_dir() {
  qx_wchar dir[QX_MAX_PATH];
  return qx_Sys_getNetDir(dir);
}

u16string local_dir() {
  qx_wchar dir[QX_MAX_PATH];
  return qx_Sys_getLocalDir(dir);
}

u16string bin_dir() {
  qx_wchar dir[QX_MAX_PATH];
  return qx_Sys_getBinDir(dir);
}

bool exists(const u16string& path) { return qx::port::access_path(path, 0); }

// The per-session number of this process: the session's "QVSES", or the
// first number whose folder inside `temp_dir` this process creates itself.
// Creating the folder is the claim, so two processes starting at once never
// share a number.  Empty when every number is taken.
u16string session_number(const u16string& temp_dir) {
  std::optional<u16string> known = qx::config::session_value(u"QVSES");
  if (known && !known->empty()) return *known;
  if (!exists(temp_dir)) qx_Dir_create(temp_dir.c_str());
  for (int n = 1; n <= kMaxSessionNumber; ++n) {
    u16string number = qx::port::widen(std::to_string(n));
    u16string folder = qx::fs::lower(temp_dir + number);
    if (exists(folder)) continue;
    if (!qx::port::make_directory(folder)) {
      if (exists(folder)) continue;  // another process took it first
      break;                         // no folder can be made here
    }
    qx_Env_setSes(u"QVSES", number.c_str());
    return number;
  }
  return {};
}

}  // namespace

extern "C" {

void qx_Sys_getCfgDir(qx_wchar* dir) {
  if (!dir) return;
  dir[0] = 0;
  qx::ComPtr<qx::app::IApplicationObject> app = qx::app::application();
  if (!app) return;
  qx::port::Bstr config;
  if (FAILED(app->get_ConfigDirectory(config.out())) || config.length() == 0) return;
  hand_out(dir, with_separator(config.str()));
}

qx_wchar* qx_Sys_getCfgName(qx_wchar* path, const qx_wchar* name) {
  if (!path) return path;
  qx_Sys_getCfgDir(path);
  return hand_out(path, path + qx::port::wstring_of(name));
}

qx_wchar* qx_Sys_getNetDir(qx_wchar* dir) {
  if (!dir) return dir;
  return hand_out(dir, with_separator(from_session_then_ini(u"QV").value));
}

qx_wchar* qx_Sys_getNetName(qx_wchar* path, const qx_wchar* name) {
  if (!path) return path;
  return hand_out(path, net_dir() + qx::port::wstring_of(name));
}

qx_wchar* qx_Sys_getLocalDir(qx_wchar* dir) {
  if (!dir) return dir;
  Setting local = from_session_then_ini(u"QVWS");
  return hand_out(dir, local.origin == Origin::kNone ? net_dir() : with_separator(local.value));
}

qx_wchar* qx_Sys_getLocalName(qx_wchar* path, const qx_wchar* name) {
  if (!path) return path;
  return hand_out(path, local_dir() + qx::port::wstring_of(name));
}

qx_wchar* qx_Sys_getTempDir(qx_wchar* dir, int per_session) {
  if (!dir) return dir;
  Setting temp = from_session_then_ini(u"QVTMP");
  u16string path = temp.origin == Origin::kNone ? with_separator(local_dir() + u"qvtmp") : with_separator(temp.value);
  if (temp.origin == Origin::kIni) qx_Env_setSes(u"QVTMP", temp.value.c_str());
  if (per_session) {
    u16string number = session_number(path);
    if (!number.empty()) path = with_separator(path + number);
  }
  if (!exists(path)) qx_Dir_create(path.c_str());
  return hand_out(dir, path);
}

qx_wchar* qx_Sys_getTempName(qx_wchar* path, const qx_wchar* name, int per_session) {
  if (!path) return path;
  qx_wchar dir[QX_MAX_PATH];
  qx_Sys_getTempDir(dir, per_session);
  return hand_out(path, dir + qx::port::wstring_of(name));
}

qx_wchar* qx_Sys_getSpecDir(qx_wchar* dir, const qx_wchar* sub) {
  if (!dir) return dir;
  Setting specs = from_session_then_ini(u"QVSPECS");
  if (specs.origin == Origin::kNone) specs.value = net_dir() + u"specs";
  if (specs.origin != Origin::kSession) qx_Env_setSes(u"QVSPECS", specs.value.c_str());
  u16string path = with_separator(specs.value);
  if (sub && *sub) path = with_separator(path + sub);
  return hand_out(dir, path);
}

qx_wchar* qx_Sys_getSpecName(qx_wchar* path, const qx_wchar* sub, const qx_wchar* name) {
  if (!path) return path;
  qx_wchar dir[QX_MAX_PATH];
  qx_Sys_getSpecDir(dir, sub);
  return hand_out(path, dir + qx::port::wstring_of(name));
}

qx_wchar* qx_Sys_getBinDir(qx_wchar* dir) {
  if (!dir) return dir;
  Setting bin = from_ini(u"QX_DEV_BIN_DIR");
  if (bin.origin == Origin::kNone) bin = from_ini(u"QX_BIN_DIR");
  return hand_out(dir, with_separator(bin.origin == Origin::kNone ? net_dir() + u"bin" : bin.value));
}

qx_wchar* qx_Sys_getBinName(qx_wchar* path, const qx_wchar* name) {
  if (!path) return path;
  return hand_out(path, bin_dir() + qx::port::wstring_of(name));
}

qx_wchar* qx_Sys_getVersionBinName(qx_wchar* path, const qx_wchar* name, int prefer_versioned) {
  if (!path) return path;
  u16string file = qx::fs::lower(qx::port::wstring_of(name));
  if (file.empty()) prefer_versioned = 0;
  u16string bin = bin_dir();
  u16string versioned = bin;
  std::optional<u16string> version = qx::config::session_value(u"ACADVER");
  if (version && !version->empty()) versioned = with_separator(versioned + *version);
  if (prefer_versioned) {
    hand_out(path, versioned + file);
    if (!qx_File_exists(path)) hand_out(path, bin + file);
    return path;
  }
  if (!exists(versioned)) qx_Dir_create(versioned.c_str());
  return hand_out(path, versioned + file);
}

int qx_Sys_getApplicationGroup(qx_wchar* group, int max_length) {
  if (group) group[0] = 0;
  qx::ComPtr<qx::app::IApplicationObject> app = qx::app::application();
  if (!app || !group) return 0;
  qx::port::Bstr value;
  if (FAILED(app->get_ApplicationGroup(value.out())) || value.length() == 0) return 0;
  qx_Str_ncpy(group, value.get(), max_length);
  return 1;
}

int qx_Sys_setApplicationGroup(const qx_wchar* group) {
  if (!group) return 0;
  qx::ComPtr<qx::app::IApplicationObject> app = qx::app::application();
  if (!app) return 0;
  qx::port::Bstr value(group);
  BSTR text = value.get();
  return SUCCEEDED(app->put_ApplicationGroup(&text)) ? 1 : 0;
}

int qx_Sys_getShowModeSelectGUI(void) {
  const qx_wchar* value = qx_Env_getIni(u"GENERAL", u"ShowModeSelectionGUI");
  return value && qx::port::wicmp(value, u"1") == 0 ? 1 : 0;
}

int qx_Sys_setShowModeSelectGUI(int flag) {
  return qx_Env_setIni(u"GENERAL", u"ShowModeSelectionGUI", flag ? u"1" : u"0");
}

}  // extern "C"
