// qx: the library's command-line program.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "command.h"

namespace qxtool {

namespace {

struct Entry {
  std::string usage;
  CommandFn fn;
};

std::map<std::string, Entry>& registry() {
  static std::map<std::string, Entry> commands;
  return commands;
}

void print_usage(std::FILE* out) {
  std::fprintf(out, "usage: qx COMMAND [ARGS...]\n\ncommands:\n");
  for (const auto& [name, entry] : registry())
    std::fprintf(out, "  %s\n", entry.usage.c_str());
}

}  // namespace

Command::Command(const char* name, const char* usage, CommandFn fn) {
  registry()[name] = Entry{usage, fn};
}

}  // namespace qxtool

int main(int argc, char** argv) {
  using namespace qxtool;
  if (argc < 2 || !std::strcmp(argv[1], "help") || !std::strcmp(argv[1], "--help") ||
      !std::strcmp(argv[1], "-h")) {
    print_usage(argc < 2 ? stderr : stdout);
    return argc < 2 ? kExitUsage : kExitOk;
  }
  auto it = registry().find(argv[1]);
  if (it == registry().end()) {
    std::fprintf(stderr, "qx: unknown command '%s'\n", argv[1]);
    print_usage(stderr);
    return kExitUsage;
  }
  Args args(argv + 2, argv + argc);
  return it->second.fn(args);
}
