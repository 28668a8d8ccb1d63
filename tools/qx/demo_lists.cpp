// Demo section: linked lists, strings, string lists, stacks, queues, trees
// and base-36 numbers.
#include <cstdio>
#include <string>

#include "demo.h"
#include "text.h"
#include "qx/containers.h"
#include "qx/lnklist.h"
#include "qx/memory.h"
#include "qx/str.h"
#include "qx/strlist.h"
#include "qx/timer.h"
#include "qx/tree.h"

namespace qxtool {
namespace {

// "[a] [b] [c]" for a string list.
std::string show(qx_StrList* list) {
  std::string out;
  for (int ok = qx_StrList_start(list); ok; ok = qx_StrList_next(list)) {
    if (!out.empty()) out += ' ';
    out += '[';  // piece by piece: "[" + text makes gcc 12 warn (-Wrestrict)
    out += utf8(qx_StrList_getCurr(list));
    out += ']';
  }
  return out;
}

struct Pipe {
  const char* tag;
  int diameter;
};

int by_diameter(const void* a, const void* b) {
  return static_cast<const Pipe*>(a)->diameter - static_cast<const Pipe*>(b)->diameter;
}

int find_name(void* context, void* data) {
  return qx_Str_cmpi(static_cast<const qx_wchar*>(data), static_cast<const qx_wchar*>(context)) == 0;
}

int run(const std::string&) {
  int failures = 0;
  auto check = [&](bool ok, const char* what) {
    if (!ok) {
      std::printf("  unexpected: %s\n", what);
      ++failures;
    }
  };

  std::printf("A linked list of pipes, quicksorted by diameter (equal ones keep the sort's order):\n");
  Pipe pipes[] = {{"P-101", 150}, {"P-102", 50}, {"P-103", 100}, {"P-104", 50}, {"P-105", 200}};
  qx_LnkList* list = qx_LnkList_create(&pipes[0], &pipes[1], &pipes[2], &pipes[3], &pipes[4], nullptr);
  qx_LnkList_qSort(list, by_diameter);
  for (int ok = qx_LnkList_start(list); ok; ok = qx_LnkList_next(list)) {
    auto* p = static_cast<Pipe*>(qx_LnkList_getCurr(list));
    std::printf("  %s  DN%d\n", p->tag, p->diameter);
  }
  qx_LnkList_move(list, 4, 0);
  std::printf("  after moving the last to the front: %s first\n",
              static_cast<Pipe*>(qx_LnkList_getNth(list, 0))->tag);
  check(static_cast<Pipe*>(qx_LnkList_getNth(list, 0))->diameter == 200, "move");
  qx_LnkList_destroy(list, nullptr);

  std::printf("\nSplitting, sorting and joining a string list:\n");
  qx_StrList* parts = qx_StrList_fromDelimitedString(u" pump , valve,,flange ; Elbow", u",;");
  std::printf("  split:  %s\n", show(parts).c_str());
  qx_StrList_sort(parts);
  std::printf("  sorted: %s (ordinal: upper case first)\n", show(parts).c_str());
  qx_StrList_insSorted(parts, u"gasket");
  qx_wchar* joined = qx_StrList_toDelimitedString(parts, u" | ");
  std::printf("  joined: %s\n", utf8(joined).c_str());
  check(utf8(joined) == "Elbow | flange | gasket | pump | valve", "join");
  qx_Free(joined);
  qx_StrList* groups = qx_StrList_toDelimitedStringList(parts, u",", 2, 1);
  std::printf("  grouped by two, quoted: %s\n", show(groups).c_str());
  qx_StrList_destroy(groups);
  qx_StrList_destroy(parts);

  std::printf("\nStrings:\n");
  const qx_wchar* name = u"PIPE-0150-A.dbf";
  std::printf("  \"%s\" matches \"PIPE-*.DBF\" ignoring case: %d\n", utf8(name).c_str(),
              qx_Str_matchWildcardi(name, u"PIPE-*.DBF"));
  std::printf("  version 1.10 against 1.9: %d\n", qx_Str_compareVersion(u"1.10", u"1.9"));
  int pos = 0;
  qx_wchar* token = qx_Str_getRightNthToken(u"C:\\plant\\area1\\pipes.dbf", u"\\", 1, &pos);
  std::printf("  second path component from the right: %s at %d\n", utf8(token).c_str(), pos);
  qx_wchar centred[16] = u"DN50";
  std::printf("  centred in 10: \"%s\"\n", utf8(qx_Str_cj(centred, 10)).c_str());
  qx_StrList* lines = qx_Str_wrapText(u"Check the flange rating before welding the spool", 16);
  std::printf("  wrapped at 16: %s\n", show(lines).c_str());
  qx_StrList_destroy(lines);

  std::printf("\nA stack and a queue of the same three jobs:\n");
  const char* jobs[] = {"cut", "weld", "test"};
  qx_Stack* stack = qx_Stack_create();
  qx_Queue* queue = qx_Queue_create();
  for (const char* job : jobs) {
    qx_Stack_push(stack, const_cast<char*>(job));
    qx_Queue_push(queue, const_cast<char*>(job));
  }
  std::printf("  stack pops:");
  while (!qx_Stack_empty(stack)) std::printf(" %s", static_cast<char*>(qx_Stack_pop(stack)));
  std::printf("\n  queue pops:");
  while (!qx_Queue_empty(queue)) std::printf(" %s", static_cast<char*>(qx_Queue_pop(queue)));
  std::printf("\n");
  qx_Stack_destroy(stack, nullptr);
  qx_Queue_destroy(queue, nullptr);

  std::printf("\nA tree of plant areas, searched by dotted path and visited:\n");
  qx_TreeNode* plant = qx_TreeNode_create(u"plant", const_cast<qx_wchar*>(u"plant"));
  const qx_wchar* areas[] = {u"area1", u"area2"};
  for (const qx_wchar* area : areas) {
    qx_TreeNode* node = qx_TreeNode_create(area, const_cast<qx_wchar*>(area));
    qx_TreeNode_insChild(plant, node);
    qx_TreeNode_insChild(node, qx_TreeNode_create(u"pipe", const_cast<qx_wchar*>(u"pipe")));
    qx_TreeNode_insChild(node, qx_TreeNode_create(u"pipe", const_cast<qx_wchar*>(u"pipe#2")));
  }
  qx_TreeNode* found = qx_TreeNode_search(plant, u"AREA2.pipe", 2);
  std::printf("  AREA2.pipe, occurrence 2: %s under %s\n",
              utf8(static_cast<qx_wchar*>(qx_TreeNode_getData(found))).c_str(),
              utf8(qx_TreeNode_getName(qx_TreeNode_getParent(found))).c_str());
  check(found && qx_TreeNode_getParent(found) == qx_TreeNode_getLastChild(plant), "tree search");
  qx_TreeNode* visited = qx_TreeNode_visit(plant, const_cast<qx_wchar*>(u"AREA2"), find_name, 1);
  std::printf("  pre-order visit finds: %s\n", utf8(qx_TreeNode_getName(visited)).c_str());
  qx_TreeNode_destroy(plant, nullptr);

  std::printf("\nBase-36 numbers:\n");
  qx_wchar serial[16] = u"ZZ";
  qx_Base36_increment(serial, 1);
  std::printf("  ZZ + 1 = %s; 36^9 = %s; 1332 = %s\n", utf8(serial).c_str(),
              utf8(qx_Base36_fromBase10(101559956668416.0)).c_str(),
              utf8(qx_Base36_fromBase10(1332)).c_str());
  check(utf8(serial) == "100", "base-36 increment");
  return failures;
}

const DemoSection kSection("20-lists", "Lists and strings", run);

}  // namespace
}  // namespace qxtool
