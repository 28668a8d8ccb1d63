// qx ini: look at and change INI files through the library's INI functions.
//
//   qx ini get FILE GROUP NAME          the value, as stored
//   qx ini set FILE GROUP NAME VALUE    write it (the file and group are made when missing)
//   qx ini groups FILE                  the group names, one a line
//   qx ini group FILE GROUP             the group's entries as name=value
//
// Values are read and written through the settings service, so a change
// keeps every other line of the file as it was and replaces the file in one
// step; `group` reads the file itself, line by line.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "port/com.h"
#include "qx/file.h"
#include "qx/ini.h"
#include "qx/str.h"
#include "qx/strlist.h"
#include "text.h"

namespace qxtool {

namespace {

const char kUsage[] = "ini get|set|groups|group FILE [GROUP [NAME [VALUE]]]   read and write INI files";

int usage(const char* detail) {
  std::fprintf(stderr, "qx ini: %s\nusage: qx %s\n", detail, kUsage);
  return kExitUsage;
}

// COM on this thread for the life of the command: the settings service
// needs it.
struct ComScope {
  ComScope() { CoInitialize(nullptr); }
  ~ComScope() { CoUninitialize(); }
};

bool readable(const std::u16string& file) { return qx_File_hasAccess(file.c_str(), 4) != 0; }

bool has_group(const std::u16string& file, const std::u16string& name) {
  bool found = false;
  qx_StrList* names = qx_Ini_findAllGroups(file.c_str());
  for (qx_StrList_start(names); names && !qx_StrList_eol(names) && !found; qx_StrList_next(names))
    found = qx_Str_cmpi(static_cast<qx_StrListNode*>(qx_LnkList_getCurr(names))->str,
                        name.c_str()) == 0;
  qx_StrList_destroy(names);
  return found;
}

int not_readable(const std::string& file) {
  std::fprintf(stderr, "qx ini: %s: cannot read the file\n", file.c_str());
  return kExitFailure;
}

int get(const std::u16string& file, const std::u16string& group, const std::u16string& name,
        const Args& args) {
  if (!readable(file)) return not_readable(args[1]);
  const qx_wchar* value =
      qx_Ini_getValue(file.c_str(), group.c_str(), name.c_str(), 0, QX_INI_LINE);
  if (!value) {
    std::fprintf(stderr, "qx ini: %s: no value for %s in [%s]\n", args[1].c_str(),
                 args[3].c_str(), args[2].c_str());
    return kExitFailure;
  }
  std::printf("%s\n", utf8(value).c_str());
  return kExitOk;
}

int set(const std::u16string& file, const std::u16string& group, const std::u16string& name,
        const std::u16string& value, const Args& args) {
  if (qx_Ini_set(file.c_str(), group.c_str(), name.c_str(), value.c_str()) == 0) return kExitOk;
  std::fprintf(stderr,
               "qx ini: %s: cannot write %s in [%s] (the file or its folder cannot be written, or "
               "the name holds '=', the group ']', either a line break)\n",
               args[1].c_str(), args[3].c_str(), args[2].c_str());
  return kExitFailure;
}

int groups(const std::u16string& file, const Args& args) {
  if (!readable(file)) return not_readable(args[1]);
  qx_StrList* names = qx_Ini_findAllGroups(file.c_str());
  for (qx_StrList_start(names); names && !qx_StrList_eol(names); qx_StrList_next(names))
    std::printf("%s\n", utf8(static_cast<qx_StrListNode*>(qx_LnkList_getCurr(names))->str).c_str());
  qx_StrList_destroy(names);
  return kExitOk;
}

int group(const std::u16string& file, const std::u16string& name, const Args& args) {
  if (!readable(file)) return not_readable(args[1]);
  if (!has_group(file, name)) {
    std::fprintf(stderr, "qx ini: %s: no group [%s]\n", args[1].c_str(), args[2].c_str());
    return kExitFailure;
  }
  qx_StrList* lines = qx_Ini_getGroupLines(file.c_str(), name.c_str(), 0);
  for (qx_StrList_start(lines); lines && !qx_StrList_eol(lines); qx_StrList_next(lines)) {
    const qx_wchar* line = static_cast<qx_StrListNode*>(qx_LnkList_getCurr(lines))->str;
    std::u16string entry_name(QX_INI_LINE + 1, u'\0'), entry_value(QX_INI_LINE + 1, u'\0');
    qx_Ini_parse(line, entry_name.data(), entry_value.data());
    std::printf("%s=%s\n", utf8(entry_name.c_str()).c_str(), utf8(entry_value.c_str()).c_str());
  }
  qx_StrList_destroy(lines);
  return kExitOk;
}

int run(const Args& args) {
  if (args.empty()) return usage("which operation?");
  const std::string& op = args[0];
  size_t wanted = op == "get" ? 4 : op == "set" ? 5 : op == "groups" ? 2 : op == "group" ? 3 : 0;
  if (wanted == 0) return usage(("unknown operation '" + op + "'").c_str());
  if (args.size() != wanted) return usage((op + " takes " + std::to_string(wanted - 1) +
                                           " arguments").c_str());
  ComScope com;
  std::vector<std::u16string> w;
  for (const std::string& a : args) w.push_back(wide(a));
  if (op == "get") return get(w[1], w[2], w[3], args);
  if (op == "set") return set(w[1], w[2], w[3], w[4], args);
  if (op == "groups") return groups(w[1], args);
  return group(w[1], w[2], args);
}

const Command kIni("ini", kUsage, run);

}  // namespace

}  // namespace qxtool
