// qx demo: shows what the library can do, section by section, in a
// temporary folder of its own that is removed afterwards.
#include "demo.h"

#include <cstdio>
#include <map>
#include <string>

#include "command.h"
#include "port/native_file.h"

namespace qxtool {

namespace {

struct Section {
  std::string title;
  DemoFn fn;
};

std::map<std::string, Section>& sections() {
  static std::map<std::string, Section> all;
  return all;
}

int run_demo(const Args&) {
  std::string dir = qx::port::make_temp_directory("qx-demo-");
  if (dir.empty()) {
    std::fprintf(stderr, "qx demo: cannot make a temporary folder\n");
    return kExitFailure;
  }
  int failed = 0;
  for (const auto& [key, section] : sections()) {
    std::printf("== %s ==\n", section.title.c_str());
    std::fflush(stdout);
    if (section.fn(dir) != 0) {
      std::printf("!! section failed\n");
      ++failed;
    }
    std::printf("\n");
  }
  qx::port::remove_tree(dir);
  std::printf("demo finished: %zu sections, %d failed\n", sections().size(), failed);
  return failed ? kExitFailure : kExitOk;
}

const Command kDemo("demo", "demo                 show the library at work", run_demo);

}  // namespace

DemoSection::DemoSection(const char* key, const char* title, DemoFn fn) {
  sections()[key] = Section{title, fn};
}

}  // namespace qxtool
