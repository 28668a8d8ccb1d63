// qx env: the library's variables and directories as a program built on it
// sees them, and where each came from.
//
//   qx env NAME       the variable's value (session, qx.ini "GENERAL", then
//                     the process environment) and its source
//   qx env TEXT%..%   a text with %name% references expanded
//   qx env --all      the configuration file and every system directory
//
// Looking does not change anything: the temporary directory is shown as it
// would be made, not made.
#include <cstdio>
#include <string>

#include "command.h"
#include "port/com.h"
#include "port/environment.h"
#include "port/fs.h"
#include "port/path.h"
#include "qx/env.h"
#include "qx/global.h"
#include "qx/sys.h"
#include "text.h"

namespace qxtool {

namespace {

const char kUsage[] = "env NAME | TEXT | --all   variables, %name% expansion, system directories";

struct ComScope {
  ComScope() { CoInitialize(nullptr); }
  ~ComScope() {
    qx_Global_destroyData();
    CoUninitialize();
  }
};

std::u16string cfg_name() {
  qx_wchar path[QX_MAX_PATH];
  return qx_Sys_getCfgName(path, u"qx.ini");
}

// The stores a variable is looked up in: all three for %name% expansion,
// the session and qx.ini for most directories, qx.ini alone for some.
enum class Stores { kAll, kSessionAndIni, kIniOnly };

// Where the variable is found first: "session", "qx.ini" or "environment";
// empty when nowhere.
std::string source_of(const std::u16string& name, Stores stores = Stores::kSessionAndIni) {
  if (stores != Stores::kIniOnly && qx_Env_getSes(name.c_str())) return "session";
  if (qx_Env_getIni(u"GENERAL", name.c_str())) return "qx.ini";
  if (stores == Stores::kAll && qx::port::environment_value(name)) return "environment";
  return {};
}

std::string from(const char* variable, const std::string& source, const std::string& fallback) {
  return source.empty() ? fallback : std::string(variable) + " from " + source;
}

// Ends the directory with the separator it uses last (a backslash when it
// has none), as the directory functions do.
std::u16string with_separator(std::u16string dir) {
  if (dir.empty() || dir.back() == u'\\' || dir.back() == u'/') return dir;
  size_t last = dir.find_last_of(u"\\/");
  return dir + (last != std::u16string::npos && dir[last] == u'/' ? u'/' : u'\\');
}

void show(const char* what, const std::u16string& dir, const std::string& origin) {
  std::string native = dir.empty() ? "(the current directory)" : qx::port::native_path(dir);
  bool exists = !dir.empty() && qx::port::access_path(dir, 0);
  std::printf("%-14s %-32s %s\n%-14s   -> %s%s\n", what, utf8(dir.c_str()).c_str(), origin.c_str(),
              "", native.c_str(), dir.empty() || exists ? "" : "  (missing)");
}

int show_all() {
  qx_wchar dir[QX_MAX_PATH];
  qx_Sys_getCfgDir(dir);
  show("configuration", dir, dir[0] ? "the application component (QX_CONFIG_DIR)" : "none: not set");
  std::u16string ini = cfg_name();
  show("qx.ini", ini, qx::port::access_path(ini, 4) ? "read through the settings service"
                                                    : "not readable: defaults apply");

  std::string qv = source_of(u"QV");
  show("network", qx_Sys_getNetDir(dir), from("QV", qv, "default: empty"));
  show("local", qx_Sys_getLocalDir(dir), from("QVWS", source_of(u"QVWS"), "default: network"));

  std::string tmp_source = source_of(u"QVTMP");
  std::u16string temp;
  if (!tmp_source.empty()) {
    temp = tmp_source == "session" ? qx_Env_getSes(u"QVTMP") : qx_Env_getIni(u"GENERAL", u"QVTMP");
  } else {
    temp = std::u16string(qx_Sys_getLocalDir(dir)) + u"qvtmp";
  }
  temp = with_separator(temp);
  for (auto& c : temp) c = qx::port::wtolower(c);
  show("temporary", temp, from("QVTMP", tmp_source, "default: local + qvtmp"));

  std::string specs = source_of(u"QVSPECS");
  show("pipe specs", qx_Sys_getSpecDir(dir, nullptr),
       from("QVSPECS", specs, "default: network + specs"));
  std::string dev = source_of(u"QX_DEV_BIN_DIR", Stores::kIniOnly);
  std::string bin = dev.empty() ? from("QX_BIN_DIR", source_of(u"QX_BIN_DIR", Stores::kIniOnly),
                                       "default: network + bin")
                                : "QX_DEV_BIN_DIR from qx.ini";
  show("binary", qx_Sys_getBinDir(dir), bin);
  return kExitOk;
}

int show_variable(const std::string& arg) {
  std::u16string text = wide(arg);
  if (text.find(u'%') != std::u16string::npos) {
    std::printf("%s\n", utf8(qx_Env_expandStr(text.c_str())).c_str());
    return kExitOk;
  }
  std::string source = source_of(text, Stores::kAll);
  if (source.empty()) {
    std::fprintf(stderr, "qx env: %s is not set (session, %s, environment)\n", arg.c_str(),
                 utf8(cfg_name().c_str()).c_str());
    return kExitFailure;
  }
  std::u16string reference = u"%" + text + u"%";
  std::printf("%s\t(%s)\n", utf8(qx_Env_expandStr(reference.c_str())).c_str(), source.c_str());
  return kExitOk;
}

int run(const Args& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "qx env: one argument\nusage: qx %s\n", kUsage);
    return kExitUsage;
  }
  ComScope com;
  return args[0] == "--all" ? show_all() : show_variable(args[0]);
}

const Command kEnv("env", kUsage, run);

}  // namespace

}  // namespace qxtool
