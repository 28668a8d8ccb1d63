// qx: the library's command-line program.  Each command registers itself
// (command.h); main() dispatches on the first argument and answers the help
// and version requests of every command and subcommand from the usage lines
// they registered.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "command.h"

#ifndef QX_VERSION
#define QX_VERSION "unknown"
#endif

namespace qxtool {

namespace {

struct Entry {
  std::string usage;
  CommandFn fn;
  std::map<std::string, std::string> subcommands;  // name -> usage line
};

std::map<std::string, Entry>& registry() {
  static std::map<std::string, Entry> commands;
  return commands;
}

void print_usage(std::FILE* out) {
  std::fprintf(out,
               "usage: qx COMMAND [ARGS...]\n"
               "       qx COMMAND --help      what a command (or a subcommand) takes\n"
               "       qx --version\n\ncommands:\n");
  for (const auto& [name, entry] : registry()) std::fprintf(out, "  %s\n", entry.usage.c_str());
}

bool is_help(const std::string& arg) { return arg == "--help" || arg == "-h"; }

// "list FILE [RANGE]     the records" -> "qx dbf list FILE [RANGE]\n    the records"
void print_usage_line(const std::string& prefix, const std::string& usage) {
  size_t gap = usage.find("  ");
  size_t text = gap == std::string::npos ? std::string::npos : usage.find_first_not_of(' ', gap);
  std::printf("usage: %s%s\n", prefix.c_str(), usage.substr(0, gap).c_str());
  if (text != std::string::npos) std::printf("\n  %s\n", usage.substr(text).c_str());
}

// `qx NAME --help` and `qx NAME SUB --help`: the subcommand's usage when
// the first argument names one, else the command's own with its
// subcommands listed.
int print_help(const std::string& name, const Entry& entry, const Args& args) {
  if (!args.empty() && !is_help(args[0])) {
    auto sub = entry.subcommands.find(args[0]);
    if (sub != entry.subcommands.end()) {
      print_usage_line("qx " + name + " ", sub->second);
      return kExitOk;
    }
  }
  print_usage_line("qx ", entry.usage);
  if (!entry.subcommands.empty()) {
    std::printf("\nsubcommands (qx %s SUBCOMMAND --help for one):\n", name.c_str());
    for (const auto& [sub, usage] : entry.subcommands) std::printf("  %s\n", usage.c_str());
  }
  return kExitOk;
}

bool asks_for_help(const Args& args) {
  for (const auto& arg : args) {
    if (arg == "--") return false;  // what follows are operands, even "--help"
    if (is_help(arg)) return true;
  }
  return false;
}

}  // namespace

Command::Command(const char* name, const char* usage, CommandFn fn) {
  Entry& entry = registry()[name];
  entry.usage = usage;
  entry.fn = fn;
}

void register_subcommand_usage(const char* command, const char* name, const char* usage) {
  registry()[command].subcommands[name] = usage;
}

}  // namespace qxtool

int main(int argc, char** argv) {
  using namespace qxtool;
  if (argc < 2) {
    print_usage(stderr);
    return kExitUsage;
  }
  std::string first = argv[1];
  if (is_help(first) || first == "help") {
    if (first == "help" && argc > 2) {
      auto it = registry().find(argv[2]);
      if (it == registry().end() || !it->second.fn) {
        std::fprintf(stderr, "qx: unknown command '%s'\n", argv[2]);
        print_usage(stderr);
        return kExitUsage;
      }
      return print_help(it->first, it->second, Args(argv + 3, argv + argc));
    }
    print_usage(stdout);
    return kExitOk;
  }
  if (first == "--version") {
    std::printf("qx %s\n", QX_VERSION);
    return kExitOk;
  }
  auto it = registry().find(first);
  if (it == registry().end() || !it->second.fn) {
    std::fprintf(stderr, "qx: unknown command '%s'\n", argv[1]);
    print_usage(stderr);
    return kExitUsage;
  }
  Args args(argv + 2, argv + argc);
  if (asks_for_help(args)) return print_help(it->first, it->second, args);
  for (auto arg = args.begin(); arg != args.end(); ++arg) {
    if (*arg == "--") {  // only marks where the operands start
      args.erase(arg);
      break;
    }
  }
  return it->second.fn(args);
}
