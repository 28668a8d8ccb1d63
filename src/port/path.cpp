#include "port/path.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <vector>

#include "port/wstr.h"

namespace qx::port {

namespace {

bool exists(const std::string& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

// Case-insensitive (ASCII) comparison, as the single-byte C locale folds.
bool same_name_ignoring_case(const char* a, const std::string& b) {
  return ::strcasecmp(a, b.c_str()) == 0;
}

// Finds `name` in `dir` without regard to case; empty when absent.
std::string find_ignoring_case(const std::string& dir, const std::string& name) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return {};
  std::string found;
  while (struct dirent* e = ::readdir(d)) {
    if (same_name_ignoring_case(e->d_name, name)) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

std::string join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

}  // namespace

std::string drive_root(char letter) {
  char var[] = "QX_DRIVE_X";
  var[9] = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  const char* v = std::getenv(var);
  if (!v || !*v) {
    var[9] = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    v = std::getenv(var);
  }
  return (v && *v) ? std::string(v) : std::string("/");
}

std::string native_path_utf8(std::string_view in) {
  std::string path(in);
  for (char& c : path)
    if (c == '\\') c = '/';

  // A drive prefix "X:" maps onto its folder; "X:rel" is taken as "X:/rel".
  std::string prefix;
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    prefix = drive_root(path[0]);
    path.erase(0, 2);
    while (!path.empty() && path.front() == '/') path.erase(0, 1);
    if (prefix.empty() || prefix.back() != '/') prefix.push_back('/');
  } else if (!path.empty() && path.front() == '/') {
    prefix = "/";
    while (!path.empty() && path.front() == '/') path.erase(0, 1);
  }

  // Split into components; walk them resolving case where needed.
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      if (i > start) parts.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  bool trailing_slash = !path.empty() && path.back() == '/';

  std::string out = prefix;
  bool resolving = true;
  for (const std::string& part : parts) {
    std::string dir = out.empty() ? std::string() : out;
    std::string candidate = join(dir, part);
    if (resolving && part != "." && part != ".." && !exists(candidate)) {
      std::string match = find_ignoring_case(dir, part);
      if (!match.empty()) {
        candidate = join(dir, match);
      } else {
        resolving = false;  // nothing below a missing component can exist
      }
    }
    out = candidate;
  }
  if (trailing_slash && !out.empty() && out.back() != '/') out.push_back('/');
  if (out.empty() && !prefix.empty()) out = prefix;
  return out;
}

std::string native_path(std::u16string_view path) { return native_path_utf8(to_utf8(path)); }

std::string native_path_latin1(std::string_view path) {
  return native_path_utf8(to_utf8(widen(path)));
}

}  // namespace qx::port
