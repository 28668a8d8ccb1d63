#include "core/trace.h"

#include "qx/diag.h"
#include "port/wstr.h"

namespace qx {

void trace_event(const TraceFamily& family, const char* word, const qx_wchar* name, int line) {
  if (!trace_enabled(family)) return;
  port::wstring text = port::widen(word);
  text += u' ';
  text += port::wstring_of(name);
  text += u'.';
  port::wstring source = port::widen(family.source);
  qx_Diag_putOutputMsg(text.c_str(), source.c_str(), line);
}

}  // namespace qx
