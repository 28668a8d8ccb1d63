// Demo section: variables and directories.  A configuration folder with its
// qx.ini (written through the library) is made in the demo's work folder;
// the section then shows the one
// lookup order (session, qx.ini, environment), both %name% expansions, the
// system directories, a per-session temporary folder and a child process.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "demo.h"
#include "port/com.h"
#include "port/path.h"
#include "qx/env.h"
#include "qx/file.h"
#include "qx/global.h"
#include "qx/sys.h"
#include "text.h"

namespace qxtool {
namespace {

void line(const char* what, const qx_wchar* value) {
  if (value)
    std::printf("  %-34s \"%s\"\n", what, utf8(value).c_str());
  else
    std::printf("  %-34s (null)\n", what);
}

// qx.ini written through the library itself.
bool write_config(const std::string& work) {
  std::u16string net = wide(work + "/net");
  return qx_Env_setIni(u"GENERAL", u"QV", net.c_str()) == 0 &&
         qx_Env_setIni(u"GENERAL", u"WHERE", u"qx.ini") == 0 &&
         qx_Env_setIni(u"GENERAL", u"DATA", u"%PLANT%\\data") == 0;
}

int run(const std::string& work_dir) {
  std::string cfg = work_dir + "/config/";
  qx_Dir_create(wide(cfg).c_str());
  setenv("QX_CONFIG_DIR", cfg.c_str(), 1);
  setenv("WHERE", "environment", 1);
  CoInitialize(nullptr);
  qx_Global_destroyData();
  if (!write_config(work_dir)) {
    std::printf("  cannot write %sqx.ini\n", cfg.c_str());
    return 1;
  }

  std::printf("Lookup order: session, then GENERAL of qx.ini, then the environment:\n");
  line("%WHERE% (qx.ini beats environment)", qx_Env_expandStr(u"%WHERE%"));
  qx_Env_setSes(u"where", u"  session  ");
  line("%WHERE% after qx_Env_setSes", qx_Env_expandStr(u"%WHERE%"));
  line("100%% and an %unknown% reference", qx_Env_expandStr(u"100%% and an %unknown% reference"));

  std::printf("\nAliases expand INI values; unknown references stay:\n");
  line("DATA before the alias", qx_Env_getIni(u"GENERAL", u"DATA"));
  qx_Alias_put(u"PLANT", u"p:\\plant7");
  line("DATA with PLANT=p:\\plant7", qx_Env_getIni(u"GENERAL", u"DATA"));

  std::printf("\nSystem directories (lower-cased, in the library's path form):\n");
  qx_wchar dir[QX_MAX_PATH];
  line("network (QV from qx.ini)", qx_Sys_getNetDir(dir));
  line("local (defaults to network)", qx_Sys_getLocalDir(dir));
  line("binary name", qx_Sys_getBinName(dir, u"QX_HLP18AN.DLL"));
  line("pipe-specs dir, sub PIPE", qx_Sys_getSpecDir(dir, u"PIPE"));
  line("per-session temporary directory", qx_Sys_getTempDir(dir, 1));
  line("  its number (QVSES)", qx_Env_getSes(u"QVSES"));
  std::printf("  %-34s %s\n", "  on this system", qx::port::native_path(dir).c_str());

  std::printf("\nA child process through the Windows command-line rules:\n");
  std::fflush(stdout);
  int started = qx_Sys_createProcess(u"sh", u"-c \"echo '  child says: hello'\"", 1, nullptr, 0);
  qx_wchar error[200];
  int missing = qx_Sys_createProcess(u"no-such-program.exe", nullptr, 1, error, 200);
  std::printf("  started %d; a missing program gives %d: \"%s\"\n", started, missing,
              utf8(error).c_str());

  qx_Alias_del(u"PLANT");
  qx_Env_resetSes();
  qx_Global_destroyData();
  CoUninitialize();
  unsetenv("QX_CONFIG_DIR");
  unsetenv("WHERE");
  return started == 1 && missing == 0 ? 0 : 1;
}

const DemoSection kSection("55-env", "Variables, directories and processes", run);

}  // namespace
}  // namespace qxtool
