// The sibling libraries loaded at run time: the help library qx_HLP18AN,
// whose three entry points the qx_Help_ functions pass their values to, and
// the interface library QX_MFC18AN, whose alert dialog reports a help
// library that cannot be loaded.  Each is taken from the modules already in
// the process, else from the binary directory, else from the system's own
// search; loaded libraries stay loaded.
//
// The help library once also needed the system's HTML component; nothing
// of the kind exists here, so that check always passes.
#include <cstdint>
#include <string>

#include "port/alert.h"
#include "port/dynlib.h"
#include "port/fs.h"
#include "port/wstr.h"
#include "qx/global.h"
#include "qx/msg.h"
#include "qx/sys.h"

namespace {

using std::u16string;

constexpr char16_t kHelpLibrary[] = u"qx_HLP18AN";
constexpr char16_t kInterfaceLibrary[] = u"QX_MFC18AN";
constexpr unsigned kTaskModalError = 0x2010;
constexpr unsigned kSystemModalError = 0x1010;

void* g_help = nullptr;
void* g_interface = nullptr;

using AlertEntry = int (*)(const qx_wchar* text, const qx_wchar* title, unsigned flags);

u16string text_of(const char* text, const char* key, int layout) {
  return qx::port::wstring_of(qx_Msg(text, key, layout));
}

void* load_sibling(const char16_t* name) {
  if (void* loaded = qx::port::loaded_module(name)) return loaded;
  qx_wchar bin[QX_MAX_PATH];
  u16string dir = qx_Sys_getBinDir(bin);
  for (bool lib_prefix : {true, false}) {
    u16string candidate = dir + qx::port::library_file_name(name, lib_prefix);
    if (qx::port::access_path(candidate, 0)) return qx::port::load_library(candidate);
  }
  return qx::port::load_library(qx::port::library_file_name(name, true));
}

// Shows a message through the interface library's alert dialog; 0 when the
// library or its entry is missing.  A missing library is reported in a
// message box of its own, and the message itself still goes to the alert
// sink so that the user sees what was to be said.
int interface_alert(const u16string& text, const u16string& title, unsigned flags) {
  if (!g_interface) g_interface = load_sibling(kInterfaceLibrary);
  if (!g_interface) {
    u16string why =
        text_of("Unable to load the Vexlor MFC Interface library", "TOOL_1608", 5) +
        text_of("The most likely cause is that the correct MFC DLL does not exist in your "
                "system area", "TOOL", 5) +
        text_of("Please check the installation of this product from the Vexlor distribution "
                "disk.", "TOOL_1610", 5);
    qx::port::alert(text_of("MFC Interface Error", "TOOL_1611", 1), why, kSystemModalError);
    qx::port::alert(title, text, flags);
    return 0;
  }
  auto entry = reinterpret_cast<AlertEntry>(qx::port::find_entry(g_interface, "qx_mfcDlgAlert"));
  return entry ? entry(text.c_str(), title.c_str(), flags) : 0;
}

// Loads the help library before each help call; false (after telling the
// user) when it cannot be had.
bool help_library_ready() {
  if (!g_help) g_help = load_sibling(kHelpLibrary);
  if (g_help) return true;
  u16string text =
      text_of("Unable to load the Vexlor help Interface library", "TOOL_1588", 5) +
      text_of("The most likely cause is that Microsoft Internet Explorer is not loaded.",
              "TOOL_1589", 5) +
      text_of("Please install Microsoft Internet Explorer 4.0x from the Vexlor distribution "
              "disk.", "TOOL_1590", 5);
  interface_alert(text, text_of("Help Library Error", "TOOL_1591", 1), kTaskModalError);
  return false;
}

template <class Fn>
Fn help_entry(const char* name) {
  if (!help_library_ready()) return nullptr;
  return reinterpret_cast<Fn>(qx::port::find_entry(g_help, name));
}

}  // namespace

extern "C" {

int qx_Help_Initialize(void) {
  auto entry = help_entry<int (*)()>("qx_Help_Initialize");
  return entry ? entry() : 0;
}

int qx_Help_DisplayContext(int32_t a, int32_t b, int32_t c, int32_t d) {
  auto entry = help_entry<int (*)(int32_t, int32_t, int32_t, int32_t)>("qx_Help_DisplayContext");
  return entry ? entry(a, b, c, d) : 0;
}

int qx_Help_DisplayTopic(int32_t a, int32_t b, int32_t c) {
  auto entry = help_entry<int (*)(int32_t, int32_t, int32_t)>("qx_Help_DisplayTopic");
  return entry ? entry(a, b, c) : 0;
}

}  // extern "C"
