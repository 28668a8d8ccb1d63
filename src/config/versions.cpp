// Versions of modules and installed products, and the operating system's
// generation.
//
// This library's own version is built in.  Other modules and installed
// products have no version resources or uninstall registry on this system;
// their versions come from the versions file "qx_versions.ini" in the
// configuration directory, a Windows-style INI file:
//
//   ; one group per module, named by its file name without extension
//   [qx_HLP18AN]
//   FileVersion = 5, 2, 10, 3
//   ProductVersion = 5.2.10.3
//   ; one group per installed product, as the uninstall entries list them
//   [Uninstall\VexlorPiping]
//   DisplayName = Vexlor Piping
//   DisplayVersion = 18.01
//
// A module's versions are answered only while that module is loaded in the
// process, as a version resource can only be read from a loaded module.
//
// The operating system answers as the Windows version in the environment
// variable QX_WINDOWS_VERSION ("major.minor[.build]", 10.0 by default) of
// the NT family.
#include <cstdio>
#include <string>

#include "port/dynlib.h"
#include "port/environment.h"
#include "port/profile.h"
#include "port/wstr.h"
#include "qx/global.h"
#include "qx/sys.h"

#ifndef QX_LIBRARY_VERSION
#error "the build gives the library's version (QX_LIBRARY_VERSION)"
#endif

namespace {

using std::u16string;

constexpr size_t kVersionRoom = 260;
constexpr size_t kProductRoom = 512;
qx_wchar g_version_number[kVersionRoom];
qx_wchar g_product_version[kProductRoom];
qx_wchar g_file_version[kVersionRoom];
qx_wchar g_module_product_version[kVersionRoom];

constexpr char16_t kLibraryName[] = u"qx_zur18iv";
constexpr char16_t kUninstallPrefix[] = u"Uninstall\\";

u16string versions_file() {
  qx_wchar path[QX_MAX_PATH];
  return qx_Sys_getCfgName(path, u"qx_versions.ini");
}

// The module's name without "lib" in front, as the versions file names it.
u16string plain_stem(const u16string& module) {
  std::string stem = qx::port::module_stem(qx::port::to_utf8(module));
  if (stem.rfind("lib", 0) == 0) stem.erase(0, 3);
  return qx::port::from_utf8(stem);
}

// "libqx_zur18iv.so", "QX_ZUR18IV.DLL", ... name this library itself.
bool is_this_library(const u16string& module) {
  return qx::port::wicmp(plain_stem(module).c_str(), kLibraryName) == 0;
}

// One version text of a loaded module: "FileVersion" or "ProductVersion".
std::optional<u16string> module_version(const qx_wchar* module, const char16_t* which) {
  if (!module || !*module) return std::nullopt;
  u16string name(module);
  if (is_this_library(name)) return qx::port::widen(QX_LIBRARY_VERSION);
  if (qx::port::loaded_module_path(name).empty()) return std::nullopt;
  u16string file = versions_file();
  std::optional<u16string> version = qx::port::profile_string(file, plain_stem(name), which);
  if (!version) version = qx::port::profile_string(file, u"lib" + plain_stem(name), which);
  return version;
}

// The four numbers of a version text ("5.2.10.3", "5, 2, 10, 3"); missing
// ones are 0.
void version_numbers(const u16string& text, unsigned short parts[4]) {
  const qx_wchar* p = text.c_str();
  for (int i = 0; i < 4; ++i) {
    while (*p && !qx::port::wisdigit(*p)) ++p;
    const qx_wchar* end = p;
    long value = qx::port::wcstol(p, &end, 10);
    parts[i] = static_cast<unsigned short>(end == p ? 0 : value);
    p = end;
  }
}

qx_wchar* module_text(qx_wchar* buffer, const qx_wchar* module, const char16_t* which) {
  buffer[0] = 0;
  std::optional<u16string> version = module_version(module, which);
  if (!version) return buffer;
  u16string cleaned;
  for (char16_t c : *version) {
    if (c == u',') cleaned += u'.';
    else if (!qx::port::wisspace(c)) cleaned += c;
  }
  qx::port::wcopy(buffer, kVersionRoom, cleaned);
  return buffer;
}

// --- operating system -----------------------------------------------------

struct OsVersion {
  bool read = false;
  int platform = 0;  // 2: the NT family
  int major = 0;
  int minor = 0;
  int build = 0;
};

OsVersion g_os;

bool read_os_version(OsVersion* os) {
  u16string text = qx::port::environment_value(u"QX_WINDOWS_VERSION").value_or(u"10.0");
  int major = 0, minor = 0, build = 0;
  if (std::sscanf(qx::port::narrow(text).c_str(), "%d.%d.%d", &major, &minor, &build) < 2)
    return false;
  *os = {true, 2, major, minor, build & 0xFFFF};
  return true;
}

// Read when the library is loaded, and again at a later need only while no
// reading has succeeded.
const OsVersion& os_version() {
  if (!g_os.read) read_os_version(&g_os);
  return g_os;
}

[[maybe_unused]] const bool g_os_read_at_load = read_os_version(&g_os);

// The generation code of the version record (106: NT 6.0).
int os_generation(const OsVersion& os) {
  if (!os.read) return 0;
  if (os.platform == 2) {
    struct { int major, minor, code; } nt[] = {{3, 51, 101}, {4, 0, 102}, {5, 0, 103},
                                              {5, 1, 104}, {5, 2, 105}, {6, 0, 106}};
    for (const auto& v : nt)
      if (os.major == v.major && os.minor == v.minor) return v.code;
  }
  return 0;
}

}  // namespace

extern "C" {

qx_wchar* qx_Sys_getVersionNumber(const qx_wchar* module) {
  g_version_number[0] = 0;
  std::optional<u16string> version = module_version(module, u"ProductVersion");
  if (!version || version->empty()) return nullptr;
  unsigned short v[4];
  version_numbers(*version, v);
  qx::port::wsnprintf(g_version_number, kVersionRoom, u"%02hd.%02hd.%02hd.%02hd", v[0], v[1],
                      v[2], v[3]);
  return g_version_number;
}

qx_wchar* qx_Sys_getProductVersion(const qx_wchar* display_name) {
  g_product_version[0] = 0;
  u16string file = versions_file();
  std::optional<std::vector<u16string>> sections = qx::port::profile_sections(file);
  if (!sections) return nullptr;  // no uninstall entries to open
  if (!display_name) return g_product_version;
  size_t prefix = qx::port::wlen(kUninstallPrefix);
  for (const u16string& section : *sections) {
    if (section.size() <= prefix || qx::port::wnicmp(section.c_str(), kUninstallPrefix, prefix))
      continue;
    std::optional<u16string> name = qx::port::profile_string(file, section, u"DisplayName");
    if (!name || qx::port::wicmp(name->c_str(), display_name) != 0) continue;
    std::optional<u16string> version = qx::port::profile_string(file, section, u"DisplayVersion");
    if (!version) continue;
    qx::port::wcopy(g_product_version, kProductRoom, *version);
    size_t n = qx::port::wlen(g_product_version);
    if (n >= 3) g_product_version[n - 3] = u'.';
    break;
  }
  return g_product_version;
}

qx_wchar* qx_Global_getModuleFileVersion(const qx_wchar* module) {
  return module_text(g_file_version, module, u"FileVersion");
}

qx_wchar* qx_Global_getModuleProductVersion(const qx_wchar* module) {
  return module_text(g_module_product_version, module, u"ProductVersion");
}

int qx_Global_isVista(void) { return os_generation(os_version()) == 106 ? 1 : 0; }

int qx_Global_isOSWithUACSupport(void) {
  const OsVersion& os = os_version();
  return os.read && os.platform == 2 && os.major >= 6 ? 1 : 0;
}

}  // extern "C"
