// qx dbf index, tags and seek: adding a tag to a table's production index
// (creating the index, and setting the table's flag, when needed), listing
// the tags of the indexes open with a table, and seeking a key in a tag.
// They stay on the engine's operations: the table API makes whole index
// files of tags it names itself (TAG000, ...) from expressions without
// filters, lists no tags, and selects a tag only by its tag id, where these
// commands add to the production index and name tags as the user does.
#include <cstdio>
#include <string>

#include "dbf/cdx.h"
#include "dbf/error.h"
#include "dbf/expr.h"
#include "dbf_command.h"

namespace qxtool {

namespace {

using namespace qx::dbf;

struct IndexRequest {
  std::string file, tag, key, filter;
  bool unique = false;
  bool descending = false;
};

int parse_index_args(const Args& args, IndexRequest* r) {
  std::vector<std::string> plain;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--for" && i + 1 < args.size()) r->filter = args[++i];
    else if (arg.rfind("--for=", 0) == 0) r->filter = arg.substr(6);
    else if (arg == "--unique") r->unique = true;
    else if (arg == "--descending") r->descending = true;
    else if (arg.rfind("--", 0) == 0) return dbf_usage(("index: unknown option '" + arg + "'").c_str());
    else plain.push_back(arg);
  }
  if (plain.size() != 3) return dbf_usage("index takes FILE TAG \"KEY EXPR\" (quote the expression)");
  r->file = plain[0];
  r->tag = plain[1];
  r->key = plain[2];
  if (r->tag.empty() || r->tag.size() > 10) return dbf_usage("index: a tag name has 1 to 10 characters");
  return 0;
}

// Says what went wrong with an expression: the code, the text, and where
// the parser stopped.
int expression_failure(Engine& e, const std::string& file, const std::string& text) {
  int code = e.lastError;
  if (code > -400 || code < -500) return dbf_failure(e, file, "index");
  const char* why = error_text(code);
  std::fprintf(stderr, "qx dbf index: %s: %s (error %d) in \"%s\" at character %d\n", file.c_str(),
               why ? why : "expression error", code, text.c_str(), expr_failure_offset() + 1);
  return kExitFailure;
}

int run_index(const Args& args) {
  IndexRequest r;
  if (int usage = parse_index_args(args, &r)) return usage;
  QuietEngine q;
  Engine& e = q.engine;
  Table* t = open_table(e, r.file, false);
  if (!t) return dbf_failure(e, r.file, "index");
  std::string key = to_table(r.key), filter = to_table(r.filter), name = to_table(r.tag);
  TagInfo info{name.c_str(), key.c_str(), filter.empty() ? nullptr : filter.c_str(),
               r.unique ? kUniqueContinue : 0, r.descending ? 1 : 0};
  Index* production = idxProduction(t);
  int rc = 0;
  if (production) {
    rc = idxAddTag(production, &info);
  } else {
    const TagInfo tags[] = {info, {nullptr, nullptr, nullptr, 0, 0}};
    rc = idxCreate(t, nullptr, tags) ? 0 : (e.lastError ? e.lastError : -1);
  }
  if (rc != 0) {
    e.lastError = rc;
    int shown = rc <= -400 && rc >= -500 ? expression_failure(e, r.file, r.filter.empty() ? r.key : r.key + " / " + r.filter)
                                         : dbf_failure(e, r.file, "index");
    e.lastError = 0;
    dbfClose(t);
    return shown;
  }
  Tag* tag = tagFind(t, name.c_str());
  std::vector<long> records;
  tagRecordsInRange(t, tag, nullptr, nullptr, &records);
  std::printf("tag %s: %zu key%s\n", from_table(tagName(tag)).c_str(), records.size(),
              records.size() == 1 ? "" : "s");
  dbfClose(t);
  return kExitOk;
}

int run_tags(const Args& args) {
  if (args.size() != 2) return dbf_usage("tags takes one FILE");
  QuietEngine q;
  Table* t = open_table(q.engine, args[1], true);
  if (!t) return dbf_failure(q.engine, args[1], "tags");
  int count = 0;
  for (Tag* tag = tagNext(t, nullptr); tag; tag = tagNext(t, tag), ++count) {
    std::string line = from_table(tagName(tag));
    line.append(line.size() < 10 ? 10 - line.size() : 0, ' ');
    char type[16];
    std::snprintf(type, sizeof type, " %c(%d)", tagKeyType(tag), tagKeyLength(tag));
    line += type;
    line += "  key: " + from_table(tagExpressionSource(tag));
    if (tagFilterSource(tag)) line += "  for: " + from_table(tagFilterSource(tag));
    if (tagUnique(tag)) line += "  unique";
    if (tagDescending(tag)) line += "  descending";
    std::printf("%s\n", line.c_str());
  }
  std::printf("(%d tag%s)\n", count, count == 1 ? "" : "s");
  dbfClose(t);
  return kExitOk;
}

// "2024-01-31" as the engine's CCYYMMDD.
std::string seek_text(Tag* tag, const std::string& key) {
  std::string text = to_table(key);
  if (tagKeyType(tag) == 'D' && text.size() == 10 && text[4] == '-' && text[7] == '-')
    text = text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
  return text;
}

int run_seek(const Args& args) {
  if (args.size() != 4) return dbf_usage("seek takes FILE TAG KEY");
  QuietEngine q;
  Engine& e = q.engine;
  Table* t = open_table(e, args[1], true);
  if (!t) return dbf_failure(e, args[1], "seek");
  Tag* tag = tagFind(t, to_table(args[2]).c_str());
  if (!tag) {
    std::fprintf(stderr, "qx dbf seek: %s has no tag '%s'\n", args[1].c_str(), args[2].c_str());
    dbfClose(t);
    return kExitFailure;
  }
  tagSelect(t, tag);
  std::string text = seek_text(tag, args[3]);
  int rc = dbfSeek(t, text.c_str());
  if (rc != 0 && rc != 2 && rc != kEof) {
    int shown = dbf_failure(e, args[1], "seek");
    e.lastError = 0;
    dbfClose(t);
    return shown;
  }
  if (rc == kEof) {
    std::printf("eof\n");
  } else {
    std::printf("%s %ld\n", rc == 0 ? "found" : "next", dbfRecordNumber(t));
    for (int i = 1; i <= dbfFieldCount(t); ++i) {
      Field* f = dbfFieldByNumber(t, i);
      if (fldIsMemo(f)) continue;
      std::string value = from_table(field_text(f));
      while (!value.empty() && value.back() == ' ') value.pop_back();
      std::printf("  %s: %s\n", from_table(fldName(f)).c_str(), value.c_str());
    }
  }
  dbfClose(t);
  return kExitOk;
}

const DbfSubcommand kIndex("index",
                           "index FILE TAG \"KEY EXPR\" [--for EXPR] [--unique] [--descending]   "
                           "adds a tag to the production index",
                           run_index);
const DbfSubcommand kTags("tags", "tags FILE                 the tags of the table's indexes", run_tags);
const DbfSubcommand kSeek("seek",
                          "seek FILE TAG KEY         'found N', 'next N' or 'eof', then the record",
                          run_seek);

}  // namespace

}  // namespace qxtool
