#include "port/alert.h"

#include <cstdio>
#include <cstdlib>

#include "port/wstr.h"

namespace qx::port {

namespace {

int stderr_sink(const Alert& a, void*) {
  std::fprintf(stderr, "%s: %s\n", to_utf8(a.caption).c_str(), to_utf8(a.text).c_str());
  std::fflush(stderr);
  return 1;
}

AlertSink g_sink = stderr_sink;
void* g_context = nullptr;

}  // namespace

AlertSink set_alert_sink(AlertSink sink, void* context) {
  AlertSink old = g_sink;
  g_sink = sink ? sink : stderr_sink;
  g_context = sink ? context : nullptr;
  return old == stderr_sink ? nullptr : old;
}

int alert(const std::u16string& caption, const std::u16string& text, unsigned flags) {
  return g_sink(Alert{caption, text, flags}, g_context);
}

void fatal_exit(const std::u16string& text, int code) {
  alert(u"Fatal error", text, kAlertIconError);
  std::fflush(nullptr);
  std::_Exit(code);
}

}  // namespace qx::port
