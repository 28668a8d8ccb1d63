// Demo section: an INI file written by hand, read and changed through the
// settings service and line by line, with its comments and line ends kept.
#include <cstdio>
#include <string>

#include "demo.h"
#include "port/com.h"
#include "port/native_file.h"
#include "qx/env.h"
#include "qx/global.h"
#include "qx/ini.h"
#include "text.h"

namespace qxtool {
namespace {

int failures = 0;

void check(bool ok, const char* what) {
  if (!ok) {
    std::printf("  !! %s\n", what);
    ++failures;
  }
}

const char kSettings[] =
    "; plant settings, written by hand\r\n"
    "[Project]\r\n"
    "Name = Pump station 4\r\n"
    "Specs = %SPECROOT%\\pipes\r\n"
    "\r\n"
    "; one group per pipe class\r\n"
    "[Pipe.1]\r\n"
    "Size=DN100\r\n"
    "[Pipe.2]\r\n"
    "Size=DN150\r\n";

std::string file_text(const std::string& path) {
  std::string text;
  qx::port::read_file(path, &text);
  return text;
}

// The file as it is, line ends shown.
void show_file(const std::string& path) {
  std::string text = file_text(path), line;
  for (char c : text) {
    if (c == '\r') {
      line += "\\r";
    } else if (c == '\n') {
      std::printf("    | %s\\n\n", line.c_str());
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) std::printf("    | %s\n", line.c_str());
}

std::string text_of(const qx_wchar* s) { return s ? utf8(s) : "(none)"; }

void show_values(const std::u16string& f) {
  qx_Alias_put(u"SPECROOT", u"C:\\plant\\specs");
  std::printf("  Project/Name:  %s\n", text_of(qx_Ini_get(f.c_str(), u"project", u"NAME")).c_str());
  std::printf("  Project/Specs: %s (stored as %s)\n",
              text_of(qx_Ini_get(f.c_str(), u"Project", u"Specs")).c_str(),
              text_of(qx_Ini_getAbsolute(f.c_str(), u"Project", u"Specs")).c_str());
  check(text_of(qx_Ini_get(f.c_str(), u"Project", u"Specs")) == "C:\\plant\\specs\\pipes",
        "the alias was not expanded");

  const qx_wchar* next = qx_Ini_getNextIncrSuffix(f.c_str(), u"Pipe");
  std::u16string group = u"Pipe." + std::u16string(next);
  std::printf("  next pipe class number: %s\n", utf8(next).c_str());
  check(utf8(next) == "3", "the next number should be 3");
  int written = qx_Ini_set(f.c_str(), group.c_str(), u"Size", u"DN200");
  written += qx_Ini_set(f.c_str(), u"Project", u"Name", u"Pump station 5");
  check(written == 0, "a value was not written");
}

void show_direct_route(const std::u16string& f) {
  qx_FldList* fields = qx_FldList_create(nullptr);
  qx_FldList_appChar(fields, u"Size", u"DN125");
  qx_FldList_appInt(fields, u"Wall", 4);
  int rewritten = qx_Ini_setGroupItems(f.c_str(), u"pipe.1", fields);
  qx_FldList_destroy(fields);
  std::printf("  group Pipe.1 rewritten in place: %s\n", rewritten ? "yes" : "no");
  check(rewritten == 1, "the group was not rewritten");

  qx_FldList* items = qx_Ini_getGroupItems(f.c_str(), u"Pipe.1");
  std::printf("  its entries, read line by line:");
  for (qx_FldList_start(items); items && !qx_FldList_eol(items); qx_FldList_next(items))
    std::printf(" %s=%s", utf8(qx_FldList_curr(items)->name).c_str(),
                utf8(qx_FldList_curr(items)->value.text).c_str());
  std::printf("\n");
  check(items && qx_FldList_count(items) == 2, "the rewritten group should hold two entries");
  qx_FldList_destroy(items);
}

int run(const std::string& work_dir) {
  failures = 0;
  // The settings service comes with a holder made while COM is on.
  CoInitialize(nullptr);
  qx_Global_destroyData();
  std::string path = work_dir + "/plant.ini";
  qx::port::write_file_atomically(path, kSettings);
  std::u16string f = wide(path);
  std::printf("A settings file written by hand (\\r\\n line ends):\n");
  show_file(path);
  std::printf("Read and changed through the settings service:\n");
  show_values(f);
  std::printf("Rewritten line by line:\n");
  show_direct_route(f);
  std::printf("The file now: comments, blank lines and line ends kept; new lines take \\r\\n:\n");
  show_file(path);
  check(file_text(path).find("; one group per pipe class\r\n") != std::string::npos,
        "a comment was lost");
  qx_Alias_del(u"SPECROOT");
  qx_Global_destroyData();
  CoUninitialize();
  return failures;
}

const DemoSection kSection("45-ini", "INI files", run);

}  // namespace
}  // namespace qxtool
