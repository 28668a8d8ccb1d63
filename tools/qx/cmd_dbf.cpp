// qx dbf: look at and change dBASE/FoxPro tables with the library's own
// table engine.
//
//   qx dbf info FILE                 header, fields, memo file
//   qx dbf list FILE                 every record, deleted ones marked '*'
//   qx dbf create FILE FIELD...      FIELD is NAME:TYPE[:WIDTH[:DECIMALS]]
//   qx dbf append FILE VALUE...      one value per field, in field order
//   qx dbf delete FILE RECNO         mark a record deleted
//   qx dbf recall FILE RECNO         take the mark away
//   qx dbf pack FILE                 remove the deleted records
//
// Command-line text is UTF-8; the tables hold 8-bit (ISO-8859-1) text.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "command.h"
#include "dbf/error.h"
#include "dbf/table.h"
#include "port/wstr.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

const char kUsage[] =
    "dbf info|list|create|append|delete|recall|pack FILE ...   work with tables";

std::string toTable(const std::string& utf8) {
  return qx::port::narrow(qx::port::from_utf8(utf8));
}

std::string fromTable(const std::string& latin1) {
  return qx::port::to_utf8(qx::port::widen(latin1));
}

// An engine that keeps quiet: the command prints the failure itself.
struct QuietEngine {
  QuietEngine() { engine.quietErrors = 1; }
  Engine engine;
};

int fail(Engine& e, const std::string& file, const char* doing) {
  int code = e.lastError;
  const char* text = errorText(code);
  std::string why;
  if (code == kNoOpen || code == kErrOpen) why = "cannot open the file";
  else if (code == kErrRead) why = "not a table, or one cut short (the file ends too early)";
  else if (code == kLocked) why = "the table is locked by another user";
  else if (text) why = text;
  else why = "error " + std::to_string(code);
  if (code == kErrData) why = "not a table (bad header)";
  std::string name = fromTable(withExtension(toTable(file), "dbf"));
  std::fprintf(stderr, "qx dbf %s: %s: %s (error %d)\n", doing, name.c_str(), why.c_str(), code);
  return kExitFailure;
}

int usage(const char* detail) {
  std::fprintf(stderr, "qx dbf: %s\nusage: qx %s\n", detail, kUsage);
  return kExitUsage;
}

Table* openTable(Engine& e, const std::string& file, bool readOnly) {
  e.readOnlyAccess = readOnly ? 1 : 0;
  return dbfOpen(&e, toTable(file).c_str());
}

std::string fieldText(Field* f) {
  return std::string(fldString(f), static_cast<size_t>(fldWidth(f)));
}

int cmdInfo(const Args& args) {
  if (args.size() != 2) return usage("info takes one FILE");
  QuietEngine q;
  Table* t = openTable(q.engine, args[1], true);
  if (!t) return fail(q.engine, args[1], "info");
  const unsigned char* h = t->header;
  long count = dbfRecordCount(t);
  std::printf("file:          %s\n", fromTable(t->name).c_str());
  std::printf("version:       0x%02X%s\n", h[0], (h[0] & 0x80) ? " (memo file)" : "");
  std::printf("last update:   %04d-%02d-%02d\n", 1900 + h[1], h[2], h[3]);
  std::printf("records:       %ld\n", count);
  std::printf("header length: %u\n", t->headerLength);
  std::printf("record length: %u\n", t->recordLength);
  std::printf("table flags:   0x%02X%s\n", h[28],
              t->productionIndex ? " (production index)" : "");
  std::printf("fields:        %d\n", dbfFieldCount(t));
  for (int i = 1; i <= dbfFieldCount(t); ++i) {
    Field* f = dbfFieldByNumber(t, i);
    std::printf("  %3d %-10s %c %5d %3d\n", i, fromTable(fldName(f)).c_str(), f->type,
                fldWidth(f), fldDecimals(f));
  }
  dbfClose(t);
  return kExitOk;
}

constexpr size_t kMemoColumn = 12;

bool isBinaryNumber(const Field* f) {
  return (f->type == 'I' && f->width == 4) || (f->type == 'Y' && f->width == 8);
}

// Binary fields of later tables are shown as numbers, other bytes below
// blank as dots, so a listing never sends control codes to the terminal.
std::string printable(Field* f) {
  if (isBinaryNumber(f)) {
    char text[48];
    if (f->type == 'I')
      std::snprintf(text, sizeof text, "%11d", fldInt(f));
    else
      std::snprintf(text, sizeof text, "%20.4f", fldDouble(f));
    return text;
  }
  std::string raw = fieldText(f);
  for (char& c : raw)
    if (static_cast<unsigned char>(c) < 0x20) c = '.';
  return fromTable(raw);
}

// A value for the listing: memo fields show their contents' size.
std::string listValue(Field* f) {
  if (f->memo < 0) return printable(f);
  std::string memo;
  std::string shown = memoText(f, memo) != 0 ? "(unreadable)"
                      : memo.empty()         ? ""
                                             : "(" + std::to_string(memo.size()) + " bytes)";
  shown.resize(std::max(shown.size(), kMemoColumn), ' ');
  return shown;
}

// Columns are as wide as the field or its name, whichever is wider.
size_t columnWidth(Field* f) {
  size_t width = f->memo >= 0 ? kMemoColumn : f->width;
  if (isBinaryNumber(f)) width = f->type == 'I' ? 11 : 20;
  return std::max(width, std::strlen(fldName(f)));
}

int cmdList(const Args& args) {
  if (args.size() != 2) return usage("list takes one FILE");
  QuietEngine q;
  Engine& e = q.engine;
  Table* t = openTable(e, args[1], true);
  if (!t) return fail(e, args[1], "list");
  std::string head = "  recno   ";
  for (int i = 1; i <= dbfFieldCount(t); ++i) {
    Field* f = dbfFieldByNumber(t, i);
    std::string name = fldName(f);
    name.resize(columnWidth(f), ' ');
    head += fromTable(name) + " ";
  }
  while (!head.empty() && head.back() == ' ') head.pop_back();
  std::printf("%s\n", head.c_str());
  long shown = 0;
  int rc;
  for (rc = dbfTop(t); rc == 0; rc = dbfSkip(t, 1)) {
    std::string line = std::to_string(dbfRecordNumber(t));
    line.insert(0, line.size() < 7 ? 7 - line.size() : 0, ' ');
    line += dbfDeleted(t) ? " * " : "   ";
    for (int i = 1; i <= dbfFieldCount(t); ++i) {
      Field* f = dbfFieldByNumber(t, i);
      std::string v = listValue(f);
      // Pad by characters shown, not bytes: the text is UTF-8 now.
      size_t shownWidth = f->memo >= 0 || isBinaryNumber(f) ? v.size() : f->width;
      v.append(columnWidth(f) - std::min(columnWidth(f), shownWidth), ' ');
      line += v + " ";
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    std::printf("%s\n", line.c_str());
    ++shown;
  }
  if (rc != kEof) {
    dbfClose(t);
    return fail(e, args[1], "list");
  }
  std::printf("(%ld record%s)\n", shown, shown == 1 ? "" : "s");
  dbfClose(t);
  return kExitOk;
}

bool parseField(const std::string& field_text, std::string* name, FieldInfo* info) {
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
  *name = toTable(parts[0]);
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

int cmdCreate(const Args& args) {
  if (args.size() < 3) return usage("create takes FILE and at least one NAME:TYPE[:WIDTH[:DEC]]");
  std::vector<std::string> names(args.size() - 2);
  std::vector<FieldInfo> fields(args.size() - 1, FieldInfo{nullptr, 0, 0, 0});
  for (size_t i = 2; i < args.size(); ++i) {
    if (!parseField(args[i], &names[i - 2], &fields[i - 2]))
      return usage(("bad field '" + args[i] + "'").c_str());
  }
  for (size_t i = 0; i < names.size(); ++i) fields[i].name = names[i].c_str();
  QuietEngine q;
  Table* t = dbfCreate(&q.engine, toTable(args[1]).c_str(), fields.data(), nullptr);
  if (!t) {
    if (q.engine.lastError == kErrCreate)
      std::fprintf(stderr, "qx dbf create: %s: cannot create the file (does it exist?)\n",
                   args[1].c_str());
    else
      fail(q.engine, args[1], "create");
    return kExitFailure;
  }
  std::printf("created %s: %d fields, record length %u\n", fromTable(t->name).c_str(),
              dbfFieldCount(t), t->recordLength);
  return dbfClose(t) == 0 ? kExitOk : kExitFailure;
}

bool isNumber(const std::string& s) {
  char* end = nullptr;
  std::strtod(s.c_str(), &end);
  return !s.empty() && *end == 0;
}

// Stores one command-line value; false with a reason when it does not fit
// the field.
bool storeValue(Field* f, const std::string& value, std::string* why) {
  std::string text = toTable(value);
  switch (f->type) {
    case 'N':
    case 'F':
      if (value.empty()) return fldAssign(f, "") == 0;
      if (!isNumber(value)) return *why = "not a number", false;
      fldAssignDouble(f, std::strtod(value.c_str(), nullptr));
      if (fieldText(f).find('*') != std::string::npos) return *why = "does not fit", false;
      return true;
    case 'D':
      if (!value.empty() && (value.size() != 8 || dateToDay(value.c_str()) == 0))
        return *why = "not a date CCYYMMDD", false;
      return fldAssign(f, text.c_str()) == 0;
    case 'L':
      if (value.size() > 1 || (value.size() == 1 && !std::strchr("TtFfYyNn?", value[0])))
        return *why = "not a logical (T, F, Y, N, ?)", false;
      return fldAssignChar(f, value.empty() ? ' ' : std::toupper(value[0])) == 0;
    case 'M':
    case 'G':
    case 'B':
      return memoAssign(f, text) == 0;
    default:
      if (text.size() > f->width) return *why = "longer than the field", false;
      return fldAssign(f, text.c_str()) == 0;
  }
}

int cmdAppend(const Args& args) {
  if (args.size() < 2) return usage("append takes FILE and the values");
  QuietEngine q;
  Engine& e = q.engine;
  Table* t = openTable(e, args[1], false);
  if (!t) return fail(e, args[1], "append");
  if (args.size() - 2 > static_cast<size_t>(dbfFieldCount(t))) {
    dbfClose(t);
    return usage("more values than fields");
  }
  if (dbfAppendStart(t, 0) != 0) {
    dbfClose(t);
    return fail(e, args[1], "append");
  }
  dbfBlank(t);
  for (size_t i = 2; i < args.size(); ++i) {
    Field* f = dbfFieldByNumber(t, static_cast<int>(i - 1));
    std::string why;
    if (!storeValue(f, args[i], &why)) {
      std::fprintf(stderr, "qx dbf append: field %s: '%s' %s\n", fromTable(fldName(f)).c_str(),
                   args[i].c_str(), why.c_str());
      t->recordChanged = false;
      dbfClose(t);
      return kExitFailure;
    }
  }
  if (dbfAppend(t) != 0) {
    int rc = fail(e, args[1], "append");
    dbfClose(t);
    return rc;
  }
  std::printf("appended record %ld\n", dbfRecordNumber(t));
  return dbfClose(t) == 0 ? kExitOk : fail(e, args[1], "append");
}

int cmdMark(const Args& args, bool remove) {
  const char* doing = remove ? "delete" : "recall";
  if (args.size() != 3) return usage("delete and recall take FILE and RECNO");
  char* end = nullptr;
  long n = std::strtol(args[2].c_str(), &end, 10);
  if (args[2].empty() || *end || n < 1) return usage("RECNO is a record number from 1");
  QuietEngine q;
  Engine& e = q.engine;
  Table* t = openTable(e, args[1], false);
  if (!t) return fail(e, args[1], doing);
  long count = dbfRecordCount(t);
  if (n > count) {
    std::fprintf(stderr, "qx dbf %s: %s: no record %ld (the table has %ld)\n", doing,
                 args[1].c_str(), n, count);
    dbfClose(t);
    return kExitFailure;
  }
  if (dbfGo(t, n) != 0) {
    int rc = fail(e, args[1], doing);
    dbfClose(t);
    return rc;
  }
  remove ? dbfDelete(t) : dbfRecall(t);
  if (dbfClose(t) != 0) return fail(e, args[1], doing);
  std::printf("record %ld %s\n", n, remove ? "deleted" : "recalled");
  return kExitOk;
}

int cmdPack(const Args& args) {
  if (args.size() != 2) return usage("pack takes one FILE");
  QuietEngine q;
  Engine& e = q.engine;
  Table* t = openTable(e, args[1], false);
  if (!t) return fail(e, args[1], "pack");
  long before = dbfRecordCount(t);
  if (dbfPack(t) != 0) {
    int rc = fail(e, args[1], "pack");
    dbfClose(t);
    return rc;
  }
  long after = dbfRecordCount(t);
  if (dbfClose(t) != 0) return fail(e, args[1], "pack");
  std::printf("packed: %ld records kept, %ld removed\n", after, before - after);
  return kExitOk;
}

int runDbf(const Args& args) {
  if (args.empty()) return usage("missing subcommand");
  const std::string& sub = args[0];
  if (sub == "info") return cmdInfo(args);
  if (sub == "list") return cmdList(args);
  if (sub == "create") return cmdCreate(args);
  if (sub == "append") return cmdAppend(args);
  if (sub == "delete") return cmdMark(args, true);
  if (sub == "recall") return cmdMark(args, false);
  if (sub == "pack") return cmdPack(args);
  return usage(("unknown subcommand '" + sub + "'").c_str());
}

const Command kDbf("dbf", kUsage, runDbf);

}  // namespace

}  // namespace qxtool
