// Demo section: diagnostics, allocation and messages.
#include <cstdio>
#include <string>

#include "demo.h"
#include "text.h"
#include "qx/array.h"
#include "qx/diag.h"
#include "qx/memory.h"
#include "qx/msg.h"

namespace qxtool {
namespace {

int run(const std::string&) {
  std::printf("Call tracing at level 3 for fixed arrays (condition bit 64):\n");
  std::fflush(stdout);
  qx_Diag_setLevel(3);
  qx_Diag_setCondition(QX_DIAG_ARRAY);
  double origin = 0.0;
  qx_Array* a = qx_Array_create(3, sizeof origin, &origin);
  double one = 1.0;
  qx_Array_setNth(a, 1, &one, nullptr);
  qx_Diag_disable();
  std::printf("array of %u elements, element 1 = %g\n", qx_Array_size(a),
              *static_cast<double*>(qx_Array_getNth(a, 1)));
  qx_Array_destroy(a, nullptr);

  std::printf("\nMessages by key (no translator configured, so the defaults):\n");
  std::printf("  TOOL_216, layout 1: \"%s\"\n", utf8(qx_Msg("Unable to allocate", "TOOL_216", 1)).c_str());
  std::printf("  escapes, layout 2: \"%s\"\n", utf8(qx_Msg("tab\\there \\101\\102", "DEMO", 2)).c_str());
  std::printf("  padded to 12: \"%s\"\n", utf8(qx_Msg_pad(u"Name", u"DEMO_NAME", 1, 12)).c_str());
  qx_wchar first[QX_MAX_PATH], second[QX_MAX_PATH];
  qx_Msg_breakStr(u"TOOL_1084", first, second);
  std::printf("  key TOOL_1084 splits into \"%s\" and \"%s\"\n", utf8(first).c_str(),
              utf8(second).c_str());
  return 0;
}

const DemoSection kSection("10-core", "Diagnostics, memory and messages", run);

}  // namespace
}  // namespace qxtool
