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

// "20-lists" -> "lists"
std::string short_name(const std::string& key) { return key.substr(key.find('-') + 1); }

// A section is named by its key ("20-lists") or its short name ("lists").
const Section* find_section(const std::string& name) {
  for (const auto& [key, section] : sections())
    if (key == name || short_name(key) == name) return &section;
  return nullptr;
}

int list_sections(const std::string& unknown) {
  std::fprintf(stderr, "qx demo: no section '%s'; the sections are:\n", unknown.c_str());
  for (const auto& [key, section] : sections())
    std::fprintf(stderr, "  %-10s %s\n", short_name(key).c_str(), section.title.c_str());
  return kExitUsage;
}

int run_demo(const Args& args) {
  if (args.size() > 1) {
    std::fprintf(stderr, "qx demo: one SECTION at most\n");
    return kExitUsage;
  }
  const Section* only = args.empty() ? nullptr : find_section(args[0]);
  if (!args.empty() && !only) return list_sections(args[0]);
  std::string dir = qx::port::make_temp_directory("qx-demo-");
  if (dir.empty()) {
    std::fprintf(stderr, "qx demo: cannot make a temporary folder\n");
    return kExitFailure;
  }
  int failed = 0;
  for (const auto& [key, section] : sections()) {
    if (only && only != &section) continue;
    std::printf("== %s ==\n", section.title.c_str());
    std::fflush(stdout);
    if (section.fn(dir) != 0) {
      std::printf("!! section failed\n");
      ++failed;
    }
    std::printf("\n");
  }
  qx::port::remove_tree(dir);
  std::printf("demo finished: %zu sections, %d failed\n", only ? size_t{1} : sections().size(),
              failed);
  return failed ? kExitFailure : kExitOk;
}

const Command kDemo("demo", "demo [SECTION]       show the library at work, or one section of it",
                    run_demo);

}  // namespace

DemoSection::DemoSection(const char* key, const char* title, DemoFn fn) {
  sections()[key] = Section{title, fn};
  // `qx demo --help` lists the sections by their short names.
  std::string name = short_name(key);
  std::string usage = name + std::string(name.size() < 11 ? 11 - name.size() : 1, ' ') + title;
  register_subcommand_usage("demo", name.c_str(), usage.c_str());
}

}  // namespace qxtool
