// Helpers shared by the test programs.
#ifndef QX_TESTS_TEST_SUPPORT_H
#define QX_TESTS_TEST_SUPPORT_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "port/wstr.h"
#include "qx/strlist.h"

namespace qxtest {

// A fresh folder for one test, removed when the test ends.
class TempDir {
 public:
  TempDir() {
    const char* base = std::getenv("QX_TEST_TMP");
    std::filesystem::path root = base && *base ? base : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(root);
    std::string templ = (root / "qx-XXXXXX").string();
    path_ = ::mkdtemp(templ.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  std::u16string wfile(const std::string& name) const { return qx::port::from_utf8(file(name)); }

 private:
  std::string path_;
};

inline void write_file(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// UTF-8 view of a wide result, for readable assertions.
inline std::string u8(const char16_t* s) { return qx::port::to_utf8(s); }
inline std::string u8(const std::u16string& s) { return qx::port::to_utf8(s); }

// The strings of a string list, each in brackets ("[a][b]"); the list stays.
inline std::u16string bracketed(const qx_StrList* list) {
  std::u16string out;
  for (auto* n = list ? list->first : nullptr; n; n = n->next) {
    out += u"[";
    out += static_cast<qx_StrListNode*>(n->data)->str;
    out += u"]";
  }
  return out;
}

// The strings of a string list in UTF-8, in order; the list is destroyed.
inline std::vector<std::string> drain(qx_StrList* list) {
  std::vector<std::string> out;
  if (!list) return out;
  for (auto* n = list->first; n; n = n->next) out.push_back(u8(static_cast<qx_StrListNode*>(n->data)->str));
  qx_StrList_destroy(list);
  return out;
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_)
      ::setenv(name_.c_str(), old_.c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }

 private:
  std::string name_, old_;
  bool had_ = false;
};

}  // namespace qxtest

#endif  // QX_TESTS_TEST_SUPPORT_H
