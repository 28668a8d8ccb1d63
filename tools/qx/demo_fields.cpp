// Demo section: field lists, the library's record of named typed values.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "demo.h"
#include "text.h"
#include "qx/fldlist.h"

namespace qxtool {
namespace {

// One line per field, nested lists indented under their field.
void show(qx_FldList* list, int depth) {
  for (qx_FldList_start(list); !qx_FldList_eol(list); qx_FldList_next(list)) {
    qx_FldNode* node = qx_FldList_curr(list);
    qx_wchar* value = qx_FldNode_getFldValue(node);
    std::printf("  %*s%-10s %c  %s\n", depth * 4, "", utf8(node->name).c_str(),
                static_cast<char>(node->type), utf8(value).c_str());
    std::free(value);
    if (node->type == QX_FLD_LIST) show(node->value.list, depth + 1);
  }
}

int run(const std::string&) {
  int failures = 0;
  auto check = [&](bool ok, const char* what) {
    if (!ok) {
      std::printf("  unexpected: %s\n", what);
      ++failures;
    }
  };

  std::printf("A pipe record made in one call (-9999 marks \"no value\"):\n");
  qx_FldList* pipe = qx_FldList_create(u"Tag", 'C', u"P-101", u"Handle", 'H', u"2f4a",
                                       u"Diameter", 'N', 0.25, u"Schedule", 'I', -9999,
                                       u"Start", 'P', 0.0, 0.0, 0.0, u"Direction", 'O', 1.0,
                                       0.0, 0.0, nullptr);
  show(pipe, 0);

  std::printf("\nReading by name, in any case (1 done, -2 missing, -3 other type):\n");
  qx_wchar text[64];
  double real = 0;
  int32_t integer = 0;
  int rc = qx_FldList_getReal(pipe, u"diameter", &real);
  std::printf("  getReal(diameter)  -> %d, %g\n", rc, real);
  check(rc == 1 && real == 0.25, "getReal of a Real field");
  rc = qx_FldList_getChar(pipe, u"DIAMETER", text, 63);
  std::printf("  getChar(DIAMETER)  -> %d, \"%s\"\n", rc, utf8(text).c_str());
  check(rc == -3, "getChar of a Real field formats it and says so");
  rc = qx_FldList_getInt(pipe, u"Length", &integer);
  std::printf("  getInt(Length)     -> %d\n", rc);
  check(rc == -2, "missing field");

  std::printf("\nThree nozzles added under one name gather in a nested list:\n");
  qx_FldList_addCharVal(pipe, u"Nozzle", u"N1");
  qx_FldList_addCharVal(pipe, u"Nozzle", u"N2");
  qx_FldList_addCharVal(pipe, u"Nozzle", u"N3");
  qx_FldList_modReal(pipe, u"Diameter", 0.3);
  qx_FldList_delFld(pipe, u"Schedule");
  show(pipe, 0);
  qx_FldNode* nozzles = qx_FldList_find(pipe, u"nozzle");
  check(nozzles && nozzles->type == QX_FLD_LIST && qx_FldList_count(nozzles->value.list) == 3,
        "nested list of three");
  check(qx_FldList_count(pipe) == 6, "six fields after one deleted and one added");

  qx_FldList_destroy(pipe);  // the nested list goes with it
  return failures;
}

const DemoSection kSection("30-fields", "Field lists", run);

}  // namespace
}  // namespace qxtool
