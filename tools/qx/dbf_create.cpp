// qx dbf create: a new table from field descriptions NAME:TYPE[:WIDTH[:DEC]],
// made through the table API (qx_Db_createDb) from a table field list.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dbf/error.h"
#include "dbf_api.h"
#include "dbf_command.h"
#include "port/fs.h"
#include "port/wstr.h"
#include "qx/db.h"
#include "text.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

constexpr size_t kMaxNameLength = 10;
constexpr int kMaxCharWidth = 254;
constexpr int kMaxNumberWidth = 20;
constexpr long kMaxRecordLength = 65535;

// The field description NAME:TYPE[:WIDTH[:DECIMALS]] split at its colons.
std::vector<std::string> split_description(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t colon; (colon = text.find(':', start)) != std::string::npos; start = colon + 1)
    parts.push_back(text.substr(start, colon - start));
  parts.push_back(text.substr(start));
  return parts;
}

bool parse_number(const std::string& s, int* out) {
  char* end = nullptr;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end || v < 0 || v > 65535) return false;
  *out = static_cast<int>(v);
  return true;
}

// The width a type takes when none is given, or must take when one is; 0
// for the types whose width is the caller's choice.
int fixed_width(char type) {
  switch (type) {
    case 'D': return 8;
    case 'L': return 1;
    case 'M': case 'G': case 'B': return 10;
    default: return 0;
  }
}

// Why the width and decimals cannot be, or "" when they can.
std::string width_problem(char type, int width, int decimals, bool width_given) {
  if (int fixed = fixed_width(type)) {
    if (width_given && width != fixed)
      return std::string("a field of type ") + type + " is " + std::to_string(fixed) + " wide";
    if (decimals) return std::string("a field of type ") + type + " has no decimals";
    return "";
  }
  if (!width_given || width == 0) return std::string("a field of type ") + type + " needs a width";
  if (type == 'C') {
    if (width > kMaxCharWidth) return "text fields are at most 254 wide";
    if (decimals) return "text fields have no decimals";
    return "";
  }
  if (width > kMaxNumberWidth) return "number fields are at most 20 wide";
  // Room for the digits before the point, the point and the decimals.
  if (decimals && decimals > width - 2)
    return "a number " + std::to_string(width) + " wide holds at most " +
           std::to_string(width > 2 ? width - 2 : 0) + " decimals";
  return "";
}

// Parses one description; on failure *problem says why.
bool parse_field(const std::string& text, std::string* name, FieldInfo* info,
                 std::string* problem) {
  std::vector<std::string> parts = split_description(text);
  if (parts.size() < 2 || parts.size() > 4) {
    *problem = "expected NAME:TYPE[:WIDTH[:DECIMALS]]";
    return false;
  }
  std::string field_name = to_table(parts[0]);
  while (!field_name.empty() && field_name.back() == ' ') field_name.pop_back();
  if (field_name.empty() || field_name.front() == ' ') {
    *problem = "a field name may not be blank or start with a blank";
    return false;
  }
  if (field_name.size() > kMaxNameLength) {
    *problem = "field names have at most 10 characters";
    return false;
  }
  if (parts[1].size() != 1 ||
      !std::strchr("CNFDLMGB", std::toupper(static_cast<unsigned char>(parts[1][0])))) {
    *problem = "the type is one of C, N, F, D, L, M, G, B";
    return false;
  }
  char type = static_cast<char>(std::toupper(static_cast<unsigned char>(parts[1][0])));
  int width = fixed_width(type), decimals = 0;
  if ((parts.size() > 2 && !parse_number(parts[2], &width)) ||
      (parts.size() > 3 && !parse_number(parts[3], &decimals))) {
    *problem = "width and decimals are numbers";
    return false;
  }
  *problem = width_problem(type, width, decimals, parts.size() > 2);
  if (!problem->empty()) return false;
  for (char& c : field_name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  *name = field_name;
  info->type = type;
  info->width = width;
  info->decimals = decimals;
  return true;
}

int refuse(const std::string& file, const std::string& why) {
  std::fprintf(stderr, "qx dbf create: %s: %s\n", file.c_str(), why.c_str());
  return kExitFailure;
}

// The folder part of a name typed on the command line ("." for none).
std::string folder_of(const std::string& file) {
  size_t cut = file.find_last_of("/\\");
  if (cut == std::string::npos) return ".";
  return cut == 0 ? file.substr(0, 1) : file.substr(0, cut);
}

int run_create(const Args& args) {
  if (args.size() < 3) return dbf_usage("create takes FILE and at least one NAME:TYPE[:WIDTH[:DEC]]");
  std::vector<std::string> names(args.size() - 2);
  std::vector<FieldInfo> fields(args.size() - 2, FieldInfo{nullptr, 0, 0, 0});
  long record_length = 1;
  for (size_t i = 2; i < args.size(); ++i) {
    std::string problem;
    if (!parse_field(args[i], &names[i - 2], &fields[i - 2], &problem))
      return dbf_usage(("bad field '" + args[i] + "': " + problem).c_str());
    for (size_t k = 0; k + 2 < i; ++k)
      if (names[k] == names[i - 2])
        return dbf_usage(("field name '" + from_table(names[k]) + "' given twice").c_str());
    record_length += fields[i - 2].width;
  }
  if (record_length > kMaxRecordLength)
    return dbf_usage(("the fields make a record of " + std::to_string(record_length) +
                      " bytes; at most 65535 fit").c_str());

  // Say plainly what stands in the way before the engine tries.
  std::string folder = folder_of(args[1]);
  qx::port::FileStatus status;
  if (!qx::port::stat_path(qx::port::from_utf8(folder), &status) || !status.is_directory)
    return refuse(args[1], "no such folder: " + folder);
  // File names are UTF-8 for the engine, as for the system.
  std::string target = with_extension(args[1], "dbf");
  if (qx::port::stat_path(qx::port::from_utf8(target), nullptr))
    return refuse(target, "already exists; it is not replaced");

  qx_DbFldList* list = qx_DbFldList_create(nullptr);
  for (size_t i = 0; i < names.size(); ++i)
    qx_DbFldList_insEnd(list, qx::port::widen(names[i]).c_str(), nullptr, fields[i].width,
                        fields[i].decimals, static_cast<qx_wchar>(fields[i].type));
  Engine& e = api_context();
  ApiTable table(qx_Db_createDb(wide(args[1]).c_str(), list));
  qx_DbFldList_destroy(list);
  if (!table.is_open()) {
    if (e.lastError == kErrCreate) return refuse(target, "cannot create the file");
    return dbf_failure(e, args[1], "create");
  }
  std::printf("created %s: %zu fields, record length %ld\n", target.c_str(), names.size(), record_length);
  return table.close() == 0 ? kExitOk : kExitFailure;
}

const DbfSubcommand kCreate("create", "create FILE FIELD...      FIELD is NAME:TYPE[:WIDTH[:DECIMALS]]",
                            run_create);

}  // namespace

}  // namespace qxtool
