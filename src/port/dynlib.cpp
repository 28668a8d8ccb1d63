// Run-time libraries through dlopen.
#include "port/dynlib.h"

#include <dlfcn.h>
#include <link.h>

#include "port/path.h"
#include "port/wstr.h"

namespace qx::port {

namespace {

std::string lower_ascii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

std::string module_stem(std::string_view name) {
  std::string file = lower_ascii(std::string(name));
  size_t slash = file.find_last_of("/\\");
  if (slash != std::string::npos) file.erase(0, slash + 1);
  if (size_t so = file.find(".so"); so != std::string::npos &&
                                    (so + 3 == file.size() || file[so + 3] == '.'))
    file.erase(so);
  else if (file.size() > 4 && file.compare(file.size() - 4, 4, ".dll") == 0)
    file.erase(file.size() - 4);
  return file;
}

namespace {

struct Search {
  std::string wanted;
  std::string found;
};

int match_module(struct dl_phdr_info* info, size_t, void* data) {
  auto* search = static_cast<Search*>(data);
  if (!info->dlpi_name || !*info->dlpi_name) return 0;
  std::string stem = module_stem(info->dlpi_name);
  if (stem == search->wanted || (stem.rfind("lib", 0) == 0 && stem.substr(3) == search->wanted)) {
    search->found = info->dlpi_name;
    return 1;
  }
  return 0;
}

}  // namespace

std::string loaded_module_path(std::u16string_view name) {
  Search search{module_stem(to_utf8(name)), {}};
  if (search.wanted.empty()) return {};
  dl_iterate_phdr(match_module, &search);
  return search.found;
}

std::u16string library_file_name(std::u16string_view name, bool with_lib_prefix) {
  std::u16string stem(name);
  if (stem.size() > 4 && wicmp(stem.c_str() + stem.size() - 4, u".dll") == 0)
    stem.resize(stem.size() - 4);
  return (with_lib_prefix ? u"lib" : u"") + stem + u".so";
}

void* load_library(std::u16string_view path) {
  bool bare = path.find_first_of(u"\\/") == std::u16string_view::npos;
  std::string file = bare ? to_utf8(path) : native_path(path);
  return file.empty() ? nullptr : dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* loaded_module(std::u16string_view name) {
  std::string path = loaded_module_path(name);
  return path.empty() ? nullptr : dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
}

void* find_entry(void* library, const char* name) {
  return library && name ? dlsym(library, name) : nullptr;
}

}  // namespace qx::port
