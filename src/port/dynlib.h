// Run-time libraries (LoadLibrary, GetModuleHandle, GetProcAddress).  A
// library the library names "qx_HLP18AN" or "qx_HLP18AN.dll" is the file
// "libqx_HLP18AN.so" or "qx_HLP18AN.so" here; names match without regard
// to letter case and to a version suffix (".so.6").
#ifndef QX_PORT_DYNLIB_H
#define QX_PORT_DYNLIB_H

#include <string>
#include <string_view>

namespace qx::port {

// The file of a module already loaded in the process whose name matches
// `name` (UTF-8 path); empty when none is.
std::string loaded_module_path(std::u16string_view name);

// The file names a library name stands for, in the order they are tried:
// "lib<name>.so", then "<name>.so" (a ".dll" extension is dropped first).
std::u16string library_file_name(std::u16string_view name, bool with_lib_prefix);

// The name a module goes by: its file name without folder, extension
// (".so", ".so.6", ".dll") or letter case: "/lib/libc.so.6" gives "libc".
std::string module_stem(std::string_view file);

// Loads a library: `path` with a separator is a library path, a bare file
// name is searched by the system.  Null when it cannot be loaded; loaded
// libraries are never unloaded.
void* load_library(std::u16string_view path);

// The handle of a loaded module (see loaded_module_path), or null.
void* loaded_module(std::u16string_view name);

// An entry point of a loaded library, or null.
void* find_entry(void* library, const char* name);

}  // namespace qx::port

#endif  // QX_PORT_DYNLIB_H
