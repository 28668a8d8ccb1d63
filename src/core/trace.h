// The trace frame wrapped round the exported functions of the traced
// families.  At level 3 or more, with the family's condition bit set, it
// writes "Entering <name>." on entry and "<exit word> <name>." before every
// return, each under the family's source file and the line of the event.
// The test is made afresh at every event, so a frame whose entry was silent
// may still write its exit line.
//
// Usage in a traced function:
//
//   static const qx::TraceFamily kArray{QX_DIAG_ARRAY, "Exiting", __FILE__};
//
//   uint32_t qx_Array_size(const qx_Array* a) {
//     qx::TraceFrame frame(kArray, u"qx_Array_size", __LINE__);
//     if (!a) return frame.leave(0u, __LINE__);
//     return frame.leave(a->count, __LINE__);
//   }
//
// or the QX_TRACE / QX_RETURN macros, which fill in the line.
#ifndef QX_CORE_TRACE_H
#define QX_CORE_TRACE_H

#include <cstdint>
#include <type_traits>
#include <utility>

#include "qx/diag.h"
#include "qx/types.h"

namespace qx {

struct TraceFamily {
  uint32_t bit;            // condition bit of the family
  const char* exit_word;   // "Exiting" or "Leaving"
  const char* source;      // the family's source path (__FILE__)
};

// True when a line of this family would be written now.  Inline, so a frame
// costs two loads and a test while tracing is off (list operations run
// millions of frames a second).
inline bool trace_enabled(const TraceFamily& family) {
  return QX_DiagCurrentLevel >= 3 && (QX_DiagCurrentCondition & family.bit) != 0;
}
// Writes "<word> <name>." for the family at the given line, when enabled.
void trace_event(const TraceFamily& family, const char* word, const qx_wchar* name, int line);

class TraceFrame {
 public:
  TraceFrame(const TraceFamily& family, const qx_wchar* name, int line)
      : family_(family), name_(name) {
    if (trace_enabled(family_)) trace_event(family_, "Entering", name_, line);
  }
  TraceFrame(const TraceFrame&) = delete;
  TraceFrame& operator=(const TraceFrame&) = delete;

  // Writes the exit line and passes the result through.
  template <typename T>
  std::decay_t<T> leave(T&& value, int line) {
    if (trace_enabled(family_)) trace_event(family_, family_.exit_word, name_, line);
    return std::forward<T>(value);
  }
  void leave(int line) {
    if (trace_enabled(family_)) trace_event(family_, family_.exit_word, name_, line);
  }

 private:
  const TraceFamily& family_;
  const qx_wchar* name_;
};

}  // namespace qx

// Opens a frame named `frame` in the current function.
#define QX_TRACE(family, name) ::qx::TraceFrame qx_trace_frame_((family), (name), __LINE__)
// Returns `value` through the frame opened by QX_TRACE.
#define QX_RETURN(value) return qx_trace_frame_.leave((value), __LINE__)
// Returns from a void function through the frame opened by QX_TRACE.
#define QX_RETURN_VOID() \
  do {                   \
    qx_trace_frame_.leave(__LINE__); \
    return;              \
  } while (0)

#endif  // QX_CORE_TRACE_H
