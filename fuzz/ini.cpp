// Fuzz target for INI line parsing: the settings service's documents (a
// file read and written back must come back byte for byte; a value set must
// read back), the line rules of the exported parsers, and the group search
// on a stream.  The input is the file's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/ini_document.h"
#include "app/ini_line.h"
#include "port/wstr.h"
#include "qx/ini.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

// What a value written as "name=value" reads back as: the spaces and '='
// after the name are skipped, then blanks.
std::u16string_view as_read_back(std::u16string_view value) {
  size_t skip = 0;
  while (skip < value.size() && (value[skip] == u' ' || value[skip] == u'=' ||
                                 qx::app::ini_is_blank(value[skip])))
    ++skip;
  return value.substr(skip);
}

void set_and_read_back(qx::app::IniDocument doc, std::u16string_view group,
                       std::u16string_view name, std::u16string_view value) {
  if (!doc.set_value(group, name, value)) return;
  qx::app::IniDocument again = qx::app::IniDocument::parse(doc.text());
  auto back = again.value(group, name);
  check(back.has_value() && *back == as_read_back(value));
}

void exported_parsers(std::u16string_view text) {
  for (size_t start = 0; start <= text.size();) {
    size_t end = std::min(text.find(u'\n', start), text.size());
    std::u16string line(text.substr(start, end - start));
    std::u16string name(line.size() + 1, u'\0'), value(line.size() + 1, u'\0');
    qx_Ini_parse(line.c_str(), name.data(), value.data());
    qx_Ini_getGroupName(line.data(), name.data());
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qx::app::IniDocument doc = qx::app::IniDocument::parse(bytes);
  check(doc.text() == bytes);

  // Values set into the groups and entries the input has, and new ones.
  std::u16string group = doc.groups().empty() ? u"G" : doc.groups().front();
  auto entries = doc.entries(group);
  std::u16string name = entries.empty() ? u"k" : entries.front().first;
  std::u16string value = entries.empty() ? u" v = x " : entries.back().second;
  set_and_read_back(doc, group, name, u"new value");
  set_and_read_back(doc, group, u"added", value);
  set_and_read_back(doc, u"Fresh", name, value);
  qx::app::IniDocument removed = doc;
  if (removed.remove_group(group)) check(!qx::app::IniDocument::parse(removed.text()).has_group(group));

  exported_parsers(qx::port::from_utf8(bytes.substr(0, 4096)));

  if (std::FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb")) {
    while (qx_Ini_findGroup(stream, group.c_str())) {
    }
    std::fclose(stream);
  }
  return 0;
}
