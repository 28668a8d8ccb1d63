// qx dbf: look at and change dBASE/FoxPro tables with the library's own
// table engine.  This file dispatches to the subcommands (each in a dbf_*.cpp
// file of its own) and holds what they share.
#include <cstdio>
#include <map>
#include <string>

#include "dbf/error.h"
#include "dbf_command.h"
#include "dbf_values.h"
#include "port/wstr.h"

namespace qxtool {

using namespace qx::dbf;

namespace {

// How long a command waits for a lock that another program holds.
constexpr int kDefaultWaitSeconds = 5;

struct Subcommand {
  std::string usage;
  CommandFn fn;
};

std::map<std::string, Subcommand>& subcommands() {
  static std::map<std::string, Subcommand> registry;
  return registry;
}

std::string all_usages() {
  std::string text;
  for (const auto& [name, sub] : subcommands()) text += "  qx dbf " + sub.usage + "\n";
  return text;
}

int run_dbf(const Args& args) {
  if (args.empty()) return dbf_usage("missing subcommand");
  auto it = subcommands().find(args[0]);
  if (it == subcommands().end()) return dbf_usage(("unknown subcommand '" + args[0] + "'").c_str());
  return it->second.fn(args);
}

const Command kDbf("dbf", "dbf SUBCOMMAND FILE ...   look at and change tables", run_dbf);

}  // namespace

DbfSubcommand::DbfSubcommand(const char* name, const char* usage, CommandFn fn) {
  subcommands()[name] = Subcommand{usage, fn};
  register_subcommand_usage("dbf", name, usage);  // for `qx dbf NAME --help`
}

std::string to_table(const std::string& utf8) {
  return qx::port::narrow(qx::port::from_utf8(utf8));
}

std::string from_table(const std::string& latin1) {
  return qx::port::to_utf8(qx::port::widen(latin1));
}

int dbf_failure(Engine& e, const std::string& file, const char* doing) {
  int code = e.lastError;
  const char* text = error_text(code);
  std::string why;
  if (code == kNoOpen || code == kErrOpen) why = "cannot open the file";
  else if (code == kErrRead) why = "not a table, or one cut short (the file ends too early)";
  else if (code == kLocked) why = "the table is locked by another user";
  else if (text) why = text;
  else why = "error " + std::to_string(code);
  if (code == kErrData) why = "not a table (bad header)";
  if (code == kErrNoWriteSupport)
    why = "this kind of table (version 0x30 to 0x32, binary fields) is read only here";
  // File names are UTF-8 for the engine, as for the system.
  std::string name = with_extension(file, "dbf");
  if (!e.failedFile.empty()) name = e.failedFile + " (the memo file of " + name + ")";
  std::fprintf(stderr, "qx dbf %s: %s: %s (error %d)\n", doing, name.c_str(), why.c_str(), code);
  return kExitFailure;
}

int dbf_usage(const char* detail) {
  std::fprintf(stderr, "qx dbf: %s\nusage:\n%s", detail, all_usages().c_str());
  return kExitUsage;
}

Table* open_table(Engine& e, const std::string& file, bool read_only) {
  e.readOnlyAccess = read_only ? 1 : 0;
  return dbfOpen(&e, file.c_str());
}

// The engine tries a lock once at once and once more as each second of the
// clock passes, so the first, partial second does not count.
bool take_wait(Args* args, Engine& e) {
  int seconds = kDefaultWaitSeconds;
  for (size_t i = 1; i < args->size(); ++i) {
    if ((*args)[i] != "--wait") continue;
    if (i + 1 >= args->size()) return false;
    const std::string& value = (*args)[i + 1];
    size_t at = 0;
    if (skip_digits(value, &at) != value.size() || value.size() > 4) return false;
    seconds = std::stoi(value);
    if (seconds > 3600) return false;
    args->erase(args->begin() + static_cast<long>(i), args->begin() + static_cast<long>(i) + 2);
    break;
  }
  e.lockRetries = seconds == 0 ? 1 : seconds + 2;
  return true;
}

std::string trimmed(std::string text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string field_text(Field* f) {
  return std::string(fldString(f), static_cast<size_t>(fldWidth(f)));
}

}  // namespace qxtool
