// The alert sink: where the library's message boxes and fatal exits go.
// By default the caption and text are written to standard error; a host or a
// test may install its own sink.
#ifndef QX_PORT_ALERT_H
#define QX_PORT_ALERT_H

#include <string>

#include "qx/types.h"

namespace qx::port {

// Message-box style flags the library uses (Windows values).
enum AlertFlags : unsigned {
  kAlertOk = 0x0,
  kAlertIconError = 0x10,
  kAlertIconQuestion = 0x20,
  kAlertIconWarning = 0x30,
  kAlertIconInformation = 0x40,
};

struct Alert {
  std::u16string caption;
  std::u16string text;
  unsigned flags = 0;
};

// Returns the button the user chose (1 = OK).
using AlertSink = int (*)(const Alert& alert, void* context);

// Installs a sink (null restores the default); returns the previous one.
AlertSink set_alert_sink(AlertSink sink, void* context);
// Shows a message box through the current sink.
int alert(const std::u16string& caption, const std::u16string& text, unsigned flags);
// Shows the text through the sink, then ends the process with `code`.
[[noreturn]] void fatal_exit(const std::u16string& text, int code);

}  // namespace qx::port

#endif  // QX_PORT_ALERT_H
