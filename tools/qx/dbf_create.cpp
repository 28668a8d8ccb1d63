// qx dbf create: a new table from field descriptions NAME:TYPE[:WIDTH[:DEC]].
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dbf/error.h"
#include "dbf_command.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

bool parse_field(const std::string& field_text, std::string* name, FieldInfo* info) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t colon = field_text.find(':', start);
    parts.push_back(field_text.substr(start, colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (parts.size() < 2 || parts.size() > 4 || parts[0].empty() || parts[0].size() > 10 ||
      parts[1].size() != 1)
    return false;
  *name = to_table(parts[0]);
  char type = static_cast<char>(std::toupper(static_cast<unsigned char>(parts[1][0])));
  if (!std::strchr("CNFDLMGB", type)) return false;
  auto number = [](const std::string& s, int* out) {
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || v < 0 || v > 65534) return false;
    *out = static_cast<int>(v);
    return true;
  };
  int width = 0, decimals = 0;
  if (parts.size() > 2 && !number(parts[2], &width)) return false;
  if (parts.size() > 3 && !number(parts[3], &decimals)) return false;
  bool sized = type == 'C' || type == 'N' || type == 'F';
  if (sized && width == 0) return false;
  if ((type == 'N' || type == 'F') && (width > 255 || decimals >= width)) return false;
  if (type == 'C' && decimals) return false;
  info->type = type;
  info->width = width;
  info->decimals = decimals;
  return true;
}

int run_create(const Args& args) {
  if (args.size() < 3) return dbf_usage("create takes FILE and at least one NAME:TYPE[:WIDTH[:DEC]]");
  std::vector<std::string> names(args.size() - 2);
  std::vector<FieldInfo> fields(args.size() - 1, FieldInfo{nullptr, 0, 0, 0});
  for (size_t i = 2; i < args.size(); ++i) {
    if (!parse_field(args[i], &names[i - 2], &fields[i - 2]))
      return dbf_usage(("bad field '" + args[i] + "'").c_str());
  }
  for (size_t i = 0; i < names.size(); ++i) fields[i].name = names[i].c_str();
  QuietEngine q;
  Table* t = dbfCreate(&q.engine, to_table(args[1]).c_str(), fields.data(), nullptr);
  if (!t) {
    if (q.engine.lastError == kErrCreate)
      std::fprintf(stderr, "qx dbf create: %s: cannot create the file (does it exist?)\n",
                   args[1].c_str());
    else
      dbf_failure(q.engine, args[1], "create");
    return kExitFailure;
  }
  std::printf("created %s: %d fields, record length %u\n", from_table(dbfName(t)).c_str(),
              dbfFieldCount(t), dbfHeader(t).record_length);
  return dbfClose(t) == 0 ? kExitOk : kExitFailure;
}

const DbfSubcommand kCreate("create", "create FILE FIELD...      FIELD is NAME:TYPE[:WIDTH[:DECIMALS]]",
                            run_create);

}  // namespace

}  // namespace qxtool
